// WorldCtrl housekeeping: language paths, the nearest creature or item, the edge line between
// two elements, targets in a cone, entering only on an active block, held objects.
#include "world/WorldCtrl.h"

#include "world/WorldTestSupport.h"

#include <gtest/gtest.h>

namespace {

// A level of 40 x 40 cells of 40 units: 4 x 4 blocks.
struct HousekeepingWorld : ::testing::Test {
    HousekeepingWorld()
    {
        world.SetGameCtrl(&ctrl);
        world.SetGrid(40, 40, 40, 40);
    }
    LevelTestCtrl ctrl;
    GridWorld world;
};

}  // namespace

TEST_F(HousekeepingWorld, ResolveLanguagePath)
{
    const struct {
        const char* path;
        const char* resolved;
    } kPaths[] = {
        {"LANG\\texts\\a.txt", "lang\\english\\texts\\a.txt"},
        {"data\\LANG\\b.txt", "data\\lang\\english\\b.txt"},
        {"texts\\a.txt", "texts\\a.txt"},
        {"", ""},
    };
    for (const auto& p : kPaths) {
        String path(p.path);
        world.ResolveLanguagePath(path);
        EXPECT_STREQ(path.c_str(), p.resolved);
    }
    EXPECT_STREQ(world.GetLanguageDir().c_str(), "lang\\english\\");
}

TEST_F(HousekeepingWorld, NearestCreatureOrItemAndEdgeLine)
{
    auto* far = AddTestElem<TestElem>(world, ElemType::kItem, 500.0f, 100.0f);
    auto* near = AddTestElem<TestElem>(world, ElemType::kCreature, 200.0f, 100.0f);
    AddTestElem<TestElem>(world, ElemType::kEvent, 110.0f, 100.0f);  // neither creature nor item
    EXPECT_EQ(world.GetNearestCreatureOrItem(100.0f, 100.0f, 0.0f), near);
    EXPECT_EQ(world.GetNearestCreatureOrItem(100.0f, 100.0f, 50.0f), nullptr);
    EXPECT_EQ(world.GetNearestCreatureOrItem(600.0f, 100.0f, 150.0f), far);

    // Touching elements see each other even through a wall; others need a clear line.
    near->m_Radius = 20.0f;
    auto* touching = AddTestElem<TestElem>(world, ElemType::kCreature, 230.0f, 100.0f);
    touching->m_Radius = 10.0f;
    AddTestWall(world, 215.0f, 0.0f, 215.0f, 300.0f);
    EXPECT_TRUE(world.IsEdgeLineClear(near, touching, WorldCtrl::kLineWalls));
    EXPECT_FALSE(world.IsEdgeLineClear(near, far, WorldCtrl::kLineWalls));
    EXPECT_TRUE(world.IsEdgeLineClear(touching, far, WorldCtrl::kLineWalls));
}

TEST_F(HousekeepingWorld, ConeCandidatesComeSortedByScore)
{
    auto* shooter = AddTestElem<TestElem>(world, ElemType::kCreature, 100.0f, 500.0f);
    auto* ahead = AddTestElem<TestElem>(world, ElemType::kCreature, 400.0f, 500.0f);
    auto* aside = AddTestElem<TestElem>(world, ElemType::kCreature, 400.0f, 700.0f);
    auto* hidden = AddTestElem<TestElem>(world, ElemType::kCreature, 400.0f, 300.0f);
    AddTestElem<TestElem>(world, ElemType::kCreature, 1400.0f, 500.0f);  // beyond the reach
    for (TestElem* e : {ahead, aside, hidden})
        e->m_Radius = 10.0f;
    AddTestWall(world, 300.0f, 250.0f, 300.0f, 450.0f);
    WorldCtrl::ConeQuery q;
    q.startX = 100.0f;
    q.startY = 500.0f;
    q.dirX = 600.0f;
    q.width = 1.0f;
    q.source = shooter;
    const int32_t count = world.FindTargetsInCone(q);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(world.GetObjectList()[0].elem, ahead);
    EXPECT_EQ(world.GetObjectList()[1].elem, aside);
    EXPECT_LT(world.GetObjectList()[0].distance, world.GetObjectList()[1].distance);
}

// A body counts once its near edge is within the reach (times the range factor), so a strike
// reaches a body as big as the striker's standing next to it.
TEST_F(HousekeepingWorld, ConeReachCountsABodyByItsNearEdge)
{
    auto* shooter = AddTestElem<TestElem>(world, ElemType::kCreature, 100.0f, 500.0f);
    auto* target = AddTestElem<TestElem>(world, ElemType::kCreature, 100.0f, 500.0f);
    target->m_Radius = 30.0f;
    const struct {
        float distance, rangeFactor, minDistance;
        bool found;
    } kCases[] = {
        {60.0f, 1.0f, -9e9f, true},    // wholly inside the reach of 100
        {125.0f, 1.0f, -9e9f, true},   // only its near edge is within the reach
        {130.0f, 1.0f, -9e9f, true},   // the edge just touches it
        {131.0f, 1.0f, -9e9f, false},  // the edge beyond it
        {125.0f, 0.5f, -9e9f, false},  // the range factor shortens the reach to 50
        {75.0f, 0.5f, -9e9f, true},
        {60.0f, 1.0f, 40.0f, false},  // the near edge at 30 is short of the lower bound
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.distance);
        target->SetPos(100.0f + c.distance, 500.0f);
        WorldCtrl::ConeQuery q;
        q.startX = 100.0f;
        q.startY = 500.0f;
        q.dirX = 100.0f;
        q.width = 1.0f;
        q.rangeFactor = c.rangeFactor;
        q.minDistance = c.minDistance;
        q.source = shooter;
        EXPECT_EQ(world.FindTargetsInCone(q), c.found ? 1 : 0);
    }
}

TEST_F(HousekeepingWorld, AddObjIfOnFloorNeedsAnActiveBlock)
{
    world.SetActiveBlock(0, 0, true);
    const struct {
        float x, y;
        bool entered;
    } kCases[] = {
        {100.0f, 100.0f, true}, {-0.5f, 10.0f, true},  // truncated toward zero: block 0
        {600.0f, 100.0f, false},                       // not marked
        {-600.0f, 10.0f, false}, {3e9f, 10.0f, false}, {10.0f, -1e20f, false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.x);
        auto* elem = new TestElem(ElemType::kProjectile, c.x, c.y);
        const int32_t count = world.GetNumElements();
        const int32_t id = world.AddObjIfOnFloor(elem);
        EXPECT_EQ(id >= 0, c.entered);
        EXPECT_EQ(world.GetNumElements(), count + (c.entered ? 1 : 0));
        if (!c.entered)
            delete elem;
        else
            EXPECT_EQ(elem->inits, 1);
    }
    ASSERT_NE(world.GetObjectAt(0), nullptr);
    EXPECT_EQ(world.GetObjectAt(world.GetNumElements()), nullptr);
    EXPECT_EQ(world.GetObjectAt(-1), nullptr);

    TestElem held(ElemType::kItem);
    world.AddHeldObject(&held);
    EXPECT_EQ(held.m_IgnoreInQueries, 1);
    EXPECT_EQ(held.m_NoCollisions, 1);
    ASSERT_EQ(world.GetHeldObjects().GetSize(), 1);
    world.Process(0.1f);
    EXPECT_EQ(held.updates, 1);
}

TEST_F(HousekeepingWorld, ShotsAcrossFloorLayers)
{
    auto* shooter = AddTestElem<TestElem>(world, ElemType::kCreature, 100.0f, 100.0f);
    auto* target = AddTestElem<TestElem>(world, ElemType::kCreature, 400.0f, 100.0f);
    EXPECT_TRUE(world.CanHitAcrossFloors(shooter, target, nullptr, 0.0f, WorldCtrl::kLineWalls));
    target->m_FloorObjectFlags = 1;  // on a bridge, 60 higher: another floor
    target->m_Height = 60.0f;
    EXPECT_FALSE(world.CanHitAcrossFloors(shooter, target, nullptr, 0.0f, WorldCtrl::kLineWalls));
    target->m_Height = 40.0f;  // close enough to meet
    EXPECT_TRUE(world.CanHitAcrossFloors(shooter, target, nullptr, 0.0f, WorldCtrl::kLineWalls));
    target->m_FloorObjectFlags = 0;
    target->m_Height = 0.0f;
    AddTestWall(world, 250.0f, 0.0f, 250.0f, 300.0f);
    D3DXVECTOR2 reached;
    EXPECT_FALSE(world.CanHitAcrossFloors(shooter, target, &reached, 0.0f, WorldCtrl::kLineWalls));
    EXPECT_NEAR(reached.x, 250.0f, 0.01f);
}
