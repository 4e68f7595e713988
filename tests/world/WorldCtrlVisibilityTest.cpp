// WorldCtrl visibility: the visibility grid of the visibility objects, the targets of the
// switched-on ones, the fade of the shown visibility, the marking of what the main character
// sees, and the floor vertices that a seeing element reveals.
#include "world/WorldCtrl.h"

#include "support/LogCapture.h"
#include "world/WorldTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TestElem* AddVisibilityObject(WorldCtrl& world, float x, float y, float radius)
{
    auto* object = AddTestElem<TestElem>(world, ElemType::kEvent, x, y);
    object->m_Radius = radius;
    object->m_VisMarks.kind = VisibilityMarks::kVisibilityObject;
    return object;
}

// Four walls of a square of that half size around (x, y).
void AddBox(WorldCtrl& world, float x, float y, float half)
{
    AddTestWall(world, x - half, y - half, x + half, y - half);
    AddTestWall(world, x + half, y - half, x + half, y + half);
    AddTestWall(world, x + half, y + half, x - half, y + half);
    AddTestWall(world, x - half, y + half, x - half, y - half);
}

struct VisibilityWorld : ::testing::Test {
    VisibilityWorld()
    {
        world.SetGameCtrl(&ctrl);
        world.SetGrid(20, 20, 40, 40);
        world.SetViewFloorSize(20, 20);
    }
    float Contribution(int32_t column, int32_t row)
    {
        const WorldCtrl::VisibilityVertex* vertex = world.GetVisibilityVertex(column, row);
        return vertex && vertex->count > 0 ? vertex->contributions[0] : 0.0f;
    }
    LevelTestCtrl ctrl;
    GridWorld world;
};

}  // namespace

TEST_F(VisibilityWorld, ContributionsFallToRadiusPlus64)
{
    AddVisibilityObject(world, 200.0f, 200.0f, 50.0f);
    AddTestElem<TestElem>(world, ElemType::kEvent, 400.0f, 400.0f)->m_Radius = 50.0f;  // not a visibility object
    world.BuildVisibilityGrid();
    const struct {
        int32_t column, row;
        float contribution;
    } kVertices[] = {
        {5, 5, 1.0f},                                    // at the position
        {6, 5, 1.0f},                                    // within the radius
        {6, 6, 1.0f - (std::sqrt(3200.0f) - 50.0f) / 64.0f},  // 56.6 away
        {4, 3, 1.0f - (std::sqrt(8000.0f) - 50.0f) / 64.0f},  // 89.4 away
        {3, 3, 0.0f},                                    // 113 away: 0.014 is not kept
        {10, 10, 0.0f},
    };
    for (const auto& v : kVertices)
        EXPECT_NEAR(Contribution(v.column, v.row), v.contribution, 1e-5f) << v.column << "," << v.row;
}

TEST_F(VisibilityWorld, WallsHideAllButTheObjectsOwnVertex)
{
    AddVisibilityObject(world, 200.0f, 200.0f, 60.0f);
    AddBox(world, 200.0f, 200.0f, 35.0f);
    world.BuildVisibilityGrid();
    EXPECT_EQ(Contribution(5, 5), 1.0f);  // no wall test at the position itself
    for (const auto& v : {std::pair{6, 5}, std::pair{4, 4}, std::pair{5, 6}})
        EXPECT_EQ(Contribution(v.first, v.second), 0.0f);
    EXPECT_EQ(world.GetWallVisibilityFactor({0.0f, 0.0f}, {0.0f, 0.0f}, 30.0f), 1.0f);
    EXPECT_EQ(world.GetWallVisibilityFactor({200.0f, 200.0f}, {400.0f, 200.0f}, 30.0f), 0.0f);
    EXPECT_EQ(world.GetWallVisibilityFactor({500.0f, 200.0f}, {700.0f, 200.0f}, 30.0f), 1.0f);
    // Each blocked ray takes half: the middle one alone leaves 0.5, two leave nothing.
    AddTestWall(world, 600.0f, 550.0f, 600.0f, 650.0f);
    EXPECT_EQ(world.GetWallVisibilityFactor({500.0f, 600.0f}, {700.0f, 600.0f}, 100.0f), 0.5f);
    EXPECT_EQ(world.GetWallVisibilityFactor({500.0f, 600.0f}, {700.0f, 600.0f}, 30.0f), 0.0f);
}

TEST_F(VisibilityWorld, MoreThanThreeObjectsWarnOnce)
{
    for (int32_t i = 0; i < 4; i++)
        AddVisibilityObject(world, 200.0f, 200.0f, 50.0f);
    LogCapture log;
    world.BuildVisibilityGrid();
    EXPECT_EQ(log.Count("Areas covered by more than 3 visibility objects"), 1);
    EXPECT_EQ(world.GetVisibilityVertex(5, 5)->count, 3);
}

TEST_F(VisibilityWorld, SwitchedOnObjectsSetTargetsAndTheShownValueFades)
{
    TestElem* a = AddVisibilityObject(world, 200.0f, 200.0f, 50.0f);
    TestElem* b = AddVisibilityObject(world, 240.0f, 200.0f, 50.0f);
    world.BuildVisibilityGrid();
    world.UpdateVisibilityArea(-5, -5, 100, 100);
    EXPECT_EQ(world.GetVisibilityVertex(5, 5)->target, 0.0f);  // both off
    a->m_VisMarks.flags |= VisibilityMarks::kOn;
    b->m_VisMarks.flags |= VisibilityMarks::kOn;
    world.UpdateVisibilityArea(0, 0, 21, 21);
    EXPECT_EQ(world.GetVisibilityVertex(5, 5)->target, 1.0f);  // 2.0 cut to 1.0
    EXPECT_NEAR(world.GetVisibilityVertex(4, 3)->target, 1.0f - (std::sqrt(8000.0f) - 50.0f) / 64.0f, 1e-5f);

    world.SetVisibilityMode(3);
    world.SetVisibilityFadeTime(0.5f);
    world.Process(0.1f);  // a step of 0.2
    EXPECT_NEAR(world.Vertex(5, 5).exploration, 0.2f, 1e-6f);
    world.Process(1.0f);  // a step above 1: every target at once
    EXPECT_EQ(world.Vertex(5, 5).exploration, 1.0f);
    EXPECT_FALSE(world.IsCoverCellRevealed(5, 5));
    world.UpdateVisibilityArea(0, 0, 21, 21);  // now shown: the cover map opens there
    EXPECT_TRUE(world.IsCoverCellRevealed(5, 5));
}

TEST_F(VisibilityWorld, MarkingSwitchesOnWhatTheMainCharacterSees)
{
    auto* hero = AddTestElem<TestElem>(world, ElemType::kCreature, 100.0f, 100.0f);
    ctrl.mainChar = hero;
    world.SetViewOrigin(100.0f, 100.0f);
    TestElem* seen = AddVisibilityObject(world, 300.0f, 100.0f, 40.0f);
    TestElem* hidden = AddVisibilityObject(world, 100.0f, 600.0f, 40.0f);
    AddBox(world, 100.0f, 600.0f, 60.0f);
    world.SetVisibilityMode(3);
    world.BuildVisibilityGrid();
    world.MarkVisibleElements(0);
    EXPECT_TRUE(seen->m_VisMarks.flags & VisibilityMarks::kOn);
    EXPECT_FALSE(hidden->m_VisMarks.flags & VisibilityMarks::kOn);
    EXPECT_EQ(world.GetVisibilityVertex(7, 2)->target, 1.0f);  // (280, 80) lies within its radius
    EXPECT_EQ(hero->m_VisMarks.seen, VisibilityMarks::kSeen);

    // Out of sight again: marked once as lost.
    AddBox(world, 300.0f, 100.0f, 50.0f);
    world.MarkVisibleElements(0);
    EXPECT_EQ(seen->m_VisMarks.flags, VisibilityMarks::kOn | VisibilityMarks::kLostSight);
    EXPECT_EQ(seen->m_VisMarks.flagValue, 1.0f);

    world.SetVisibilitySuspended(true);
    hidden->m_VisMarks.flags = 0;
    world.MarkVisibleElements(0);  // suspended: nothing
    EXPECT_EQ(hidden->m_VisMarks.flags, 0u);
}

TEST_F(VisibilityWorld, SeeingElementsRevealTheFloorAroundThem)
{
    auto* scout = AddTestElem<TestElem>(world, ElemType::kCreature, 200.0f, 200.0f);
    scout->m_VisMarks.marksArea = 1;
    scout->m_Perception[0] = 100.0f;
    AddTestWall(world, 260.0f, 0.0f, 260.0f, 799.0f);
    world.SetViewOrigin(200.0f, 200.0f);
    world.SetVisibilityMode(1);
    world.MarkVisibleElements(0);
    EXPECT_GT(world.Vertex(5, 5).exploration, 0.9f);
    EXPECT_GT(world.Vertex(6, 5).exploration, 0.0f);   // (240, 200): on this side of the wall
    EXPECT_EQ(world.Vertex(7, 5).exploration, 0.0f);   // (280, 200): behind it
    EXPECT_EQ(world.Vertex(5, 10).exploration, 0.0f);  // beyond the view range

    world.MarkVertexVisibility(15, 15, 0.8f, 21, 21);
    EXPECT_FLOAT_EQ(world.Vertex(15, 15).exploration, 0.8f);
    EXPECT_FLOAT_EQ(world.Vertex(16, 15).exploration, (1.0f - 40.0f / 100.0f) * 0.8f);
    EXPECT_EQ(world.Vertex(18, 15).exploration, 0.0f);  // beyond two columns
}
