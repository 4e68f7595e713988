// WorldCtrl line tests: every filter flag of the line test on walls and elements, a line that
// starts inside an element, line of sight, drop positions, box walls, circles against walls,
// intercept headings, shot paths and shots that stop at an element.
#include "world/WorldCtrl.h"

#include "world/WorldTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

class Shooter : public TestElem {
public:
    using TestElem::TestElem;
    float GetShotChance(WorldElem*) override { return chance; }
    bool GetSecondShotFlag() override { return secondShotFlag; }
    bool GetCatchFlag() override { return catchFlag; }
    void AddWall(VSD_WallIntern& wall) override { walls.push_back(&wall); }
    float chance = 0.0f;
    bool secondShotFlag = false;
    bool catchFlag = false;
    std::vector<VSD_WallIntern*> walls;
};

class WorldCtrlLineTestsTest : public ::testing::Test {
protected:
    WorldCtrlLineTestsTest() { world.SetGrid(32, 32, 64, 64); }

    VSD_WallIntern* AddWall(float x1, float y1, float x2, float y2) { return AddTestWall(world, x1, y1, x2, y2); }
    Shooter* Add(uint16_t type, float x, float y) { return AddTestElem<Shooter>(world, type, x, y); }

    LevelTestCtrl ctrl;
    GridWorld world;
};

}  // namespace

TEST_F(WorldCtrlLineTestsTest, WallFilters)
{
    VSD_WallIntern* wall = AddWall(500, 400, 500, 600);  // across the line; its normal points to +x
    WorldElem owner;
    const VSD_WallIntern defaults = *wall;
    const struct {
        const char* what;
        std::function<void()> setup;
        int32_t flags;
        bool solidMode;
        int16_t layer;
        float minHeight;
        int32_t clear;
    } kCases[] = {
        {"walls take part", [] {}, 1, false, 0, WorldCtrl::kNoMinHeight, 0},
        {"only elements", [] {}, 2 | 8 | 16, false, 0, WorldCtrl::kNoMinHeight, 1},
        {"one-sided, met from its back", [&] { wall->m_SemiPerm = 1; }, 1, false, 0, WorldCtrl::kNoMinHeight, 1},
        {"one-sided, no side test", [&] { wall->m_SemiPerm = 1; }, 33, false, 0, WorldCtrl::kNoMinHeight, 0},
        {"one-sided from the front", [&] { wall->m_SemiPerm = -1; }, 1, false, 0, WorldCtrl::kNoMinHeight, 0},
        {"not blocking", [&] { wall->m_Solid = 0; }, 1, false, 0, WorldCtrl::kNoMinHeight, 1},
        {"half opaque, opaque only", [&] { wall->m_WallOpacity = 0.5f; }, 5, false, 0, WorldCtrl::kNoMinHeight, 1},
        {"half opaque", [&] { wall->m_WallOpacity = 0.5f; }, 1, false, 0, WorldCtrl::kNoMinHeight, 0},
        {"see-through in see-through mode", [&] { wall->m_CanSeeThrough = 1; }, 33, false, 0,
         WorldCtrl::kNoMinHeight, 1},
        {"see-through", [&] { wall->m_CanSeeThrough = 1; }, 1, false, 0, WorldCtrl::kNoMinHeight, 0},
        {"reach-through skipped", [&] { wall->m_CanReachThrough = 1; }, 65, false, 0, WorldCtrl::kNoMinHeight, 1},
        {"action forces: a blocking wall", [&] { wall->m_SemiPerm = 1; }, 129, false, 0, WorldCtrl::kNoMinHeight,
         0},
        {"action forces pass", [&] { wall->m_BlocksActForce = 0; }, 129, false, 0, WorldCtrl::kNoMinHeight, 1},
        {"solid mode without the shot bit", [&] { wall->m_CollisionMask = 0x1; }, 1, true, 0,
         WorldCtrl::kNoMinHeight, 1},
        {"solid mode", [] {}, 1, true, 0, WorldCtrl::kNoMinHeight, 0},
        {"bridge layer 1 for the floor", [&] { wall->m_Bridge = 1; }, 1, false, 0, WorldCtrl::kNoMinHeight, 1},
        {"bridge layer 1 for objects", [&] { wall->m_Bridge = 1; }, 1, false, 1, WorldCtrl::kNoMinHeight, 0},
        {"lower than the minimum", [] {}, 1, false, 0, 150.0f, 1},
        {"as high as the minimum", [] {}, 1, false, 0, 100.0f, 0},
        {"attached to the ignored element",
         [&] { wall->m_Parent = static_cast<WorldElemBase*>(&owner); }, 1, false, 0, WorldCtrl::kNoMinHeight, 1},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        c.setup();
        D3DXVECTOR2 out;
        EXPECT_EQ(world.GetIntersection(400, 500, 600, 500, &out, c.flags, c.solidMode, &owner, nullptr, c.layer,
                                        c.minHeight),
                  c.clear);
        EXPECT_EQ(world.GetIntersection(400, 500, 600, 500, nullptr, c.flags, c.solidMode, &owner, nullptr, c.layer,
                                        c.minHeight),
                  c.clear);
        if (c.clear) {
            EXPECT_EQ(out, D3DXVECTOR2(600, 500));
            EXPECT_EQ(world.GetLastHit(), nullptr);
        } else {
            EXPECT_NEAR(out.x, 500.0f, 1e-3f);
            EXPECT_EQ(world.GetLastHit(), wall);
        }
        *wall = defaults;
    }

    D3DXVECTOR2 out;
    EXPECT_EQ(world.GetIntersection(450, 450, 450, 450, &out, 27, false, nullptr, nullptr, 0, WorldCtrl::kNoMinHeight),
              1);
    EXPECT_EQ(out, D3DXVECTOR2(450, 450));  // no line at all
}

TEST_F(WorldCtrlLineTestsTest, ElementFilters)
{
    Shooter* creature = Add(ElemType::kCreature, 500, 500);
    Shooter* crate = Add(ElemType::kElem, 700, 500);
    Shooter* ignored = Add(ElemType::kElem, 0, 0);
    const struct {
        const char* what;
        std::function<void()> setup;
        float x0;
        int32_t flags;
        bool solidMode;
        float hitX;  // where the line stops; 900 when clear
    } kCases[] = {
        {"walls only", [] {}, 400, 1, false, 900},
        {"walls and other elements", [] {}, 400, 19, false, 668},
        {"walls and all elements", [] {}, 400, 27, false, 468},
        {"starting inside the creature", [] {}, 490, 27, false, 668},
        {"not solid", [&] { creature->m_Solid = 0; }, 400, 27, false, 668},
        {"solid mode asks the shot flag", [&] { creature->m_Solid = 0; }, 400, 27, true, 468},
        {"solid mode without shot blocking", [&] { creature->m_BlocksShots = 0; }, 400, 27, true, 668},
        {"solid mode without the shot bit", [&] { creature->m_CollisionMask = 0x100; }, 400, 27, true, 668},
        {"inactive", [&] { creature->m_IgnoreInQueries = 1; }, 400, 27, false, 668},
        {"projectiles never block", [&] { creature->m_TypeCode = ElemType::kProjectile; }, 400, 27, false, 668},
        {"opaque only, obstruction 0", [] {}, 400, 31, false, 900},
        {"opaque only", [&] { crate->m_ObstructionValue = 1.0f; }, 400, 31, false, 668},
        {"attached to the ignored element", [&] { ignored->AttachChild(creature); }, 400, 27, false, 668},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        c.setup();
        D3DXVECTOR2 out;
        const int32_t clear =
            world.GetIntersection(c.x0, 500, 900, 500, &out, c.flags, c.solidMode, ignored, nullptr, 0, WorldCtrl::kNoMinHeight);
        EXPECT_EQ(clear, c.hitX == 900 ? 1 : 0);
        EXPECT_NEAR(out.x, c.hitX, 1e-2f);
        if (c.hitX == 468) {
            EXPECT_EQ(world.GetLastHit(), creature);
        }
        creature->m_Solid = 1;
        creature->m_BlocksShots = 1;
        creature->m_CollisionMask = -1;
        creature->m_IgnoreInQueries = 0;
        creature->m_TypeCode = ElemType::kCreature;
        crate->m_ObstructionValue = 0.0f;
        creature->DetachFromParent();
        creature->SetPos(500, 500);
    }
}

TEST_F(WorldCtrlLineTestsTest, LineOfSightAndDropPositions)
{
    Shooter* a = Add(ElemType::kCreature, 100, 500);
    Shooter* b = Add(ElemType::kCreature, 900, 500);
    EXPECT_EQ(world.IsLineClearBetween(a, b), 1);
    b->m_Opacity = 0.0f;  // an invisible element is never seen
    EXPECT_EQ(world.IsLineClearBetween(a, b), 0);
    b->m_Opacity = 1.0f;
    VSD_WallIntern* wall = AddWall(500, 490, 500, 510);  // short: one edge line passes beside it
    EXPECT_EQ(world.IsLineClearBetween(a, b), 1);
    wall->SetEndPoints(500, 400, 500, 600);
    EXPECT_EQ(world.IsLineClearBetween(a, b), 0);

    Shooter* anchor = Add(ElemType::kCreature, 1000, 1000);
    Shooter* item = new Shooter(ElemType::kItem, 0, 0);
    AddWall(1050, 900, 1050, 1100);  // blocks the anchor's facing direction (angle 0)
    EXPECT_TRUE(world.FindDropPosition(item, anchor, 10.0f, 0.0f));
    EXPECT_NEAR(item->GetAngle(), 1.0471976f, 1e-5f);  // the second try, 60 degrees on
    const float d = 32.0f + 32.0f + 10.0f + 1.0f;
    EXPECT_NEAR(item->GetPos().x, 1000.0f + std::cos(1.0471976f) * d, 1e-3f);
    EXPECT_NEAR(item->GetPos().y, 1000.0f + std::sin(1.0471976f) * d, 1e-3f);
    AddWall(900, 1060, 1100, 1060);
    AddWall(950, 900, 950, 1100);
    AddWall(900, 940, 1100, 940);
    EXPECT_FALSE(world.FindDropPosition(item, anchor, 10.0f, 0.0f));  // all six directions blocked
    delete item;
}

TEST_F(WorldCtrlLineTestsTest, BoxWallsAndCirclesAgainstWalls)
{
    Shooter* box = Add(ElemType::kItem, 500, 500);
    const int32_t before = world.GetNumWalls();
    world.AddBoxWalls(box, 100, 50, 10, 0, 5.0f, 1, 0, -1, 0, 0, -1, 1, 80.0f);
    ASSERT_EQ(world.GetNumWalls(), before + 4);
    ASSERT_EQ(box->walls.size(), 4u);
    const VSD_WallIntern* first = box->walls[0];
    EXPECT_EQ(first->m_X1, 460.0f);
    EXPECT_EQ(first->m_Y1, 475.0f);
    EXPECT_EQ(first->m_X2, 560.0f);
    EXPECT_EQ(first->m_Y2, 475.0f);
    EXPECT_EQ(first->m_Height1, 80.0f);
    EXPECT_EQ(first->m_CollisionMask, -1);
    EXPECT_EQ(first->m_BlocksActForce, 1);
    Shooter* mirrored = Add(ElemType::kItem, 1500, 500);
    world.AddBoxWalls(mirrored, -100, 50, 0, 0, 5.0f, 1, 0, 4, 0, 0, 0, 1, 80.0f);
    EXPECT_EQ(mirrored->walls[0]->m_X1, 1450.0f);  // the side's end points swapped
    EXPECT_EQ(mirrored->walls[0]->m_X2, 1550.0f);
    EXPECT_EQ(mirrored->walls[0]->m_CollisionMask, 4);

    VSD_WallIntern* wall = AddWall(0, 1000, 100, 1000);  // normal (0, -1)
    const struct {
        float x, y, r;
        bool touches;
        int32_t side;
    } kCases[] = {
        {50, 1010, 20, true, 1},  {50, 990, 20, true, -1}, {50, 970, 20, false, -1},
        {110, 1005, 20, true, 1}, {-15, 990, 20, true, -1}, {130, 1000, 20, false, -1},
    };
    for (const auto& c : kCases) {
        int32_t side = 0;
        EXPECT_EQ(world.CircleTouchesWall(c.x, c.y, c.r, *wall, side), c.touches) << c.x << " " << c.y;
        EXPECT_EQ(side, c.side) << c.x << " " << c.y;
    }
}

TEST_F(WorldCtrlLineTestsTest, InterceptHeadings)
{
    float angle = 5.0f;
    EXPECT_TRUE(SolveInterceptAngle(0, 0, 100, 0, 0, 0, 10, angle));  // a target that stands still
    EXPECT_NEAR(angle, 0.0f, 1e-6f);
    EXPECT_TRUE(SolveInterceptAngle(0, 0, 100, 0, 0, 5, 10, angle));  // one drifting sideways
    EXPECT_NEAR(angle, std::asin(0.5f), 1e-5f);
    const struct {
        float x0, y0, x1, y1, vx, vy, s;
    } kNone[] = {
        {0, 0, 100, 0, 0, 0, 0},       // no speed
        {50, 50, 50, 50, 1, 1, 10},    // start and target coincide
        {0, 0, 100, 0, 0, 50, 10},     // too fast to catch
        {0, 100, 0, 0, 0, -10, 10},    // fleeing at the same speed: no time for the heading
    };
    for (const auto& c : kNone) {
        angle = 5.0f;
        EXPECT_FALSE(SolveInterceptAngle(c.x0, c.y0, c.x1, c.y1, c.vx, c.vy, c.s, angle)) << c.x0 << " " << c.vy;
        EXPECT_EQ(angle, 5.0f);
    }
}

TEST_F(WorldCtrlLineTestsTest, ShotPathsAndShotsThatStop)
{
    Shooter* shooter = Add(ElemType::kCreature, 100, 100);
    const D3DXVECTOR2 east(1, 0);
    EXPECT_TRUE(world.IsShotPathClear(300, 100.8f, 0.5f, shooter, east, 0.01f, shooter));
    AddWall(200, 50, 200, 150);
    // Within the target's circle of radius max(r, 1): the length takes the root with that radius
    // (0.5 would give the root of a negative number and no line at all).
    EXPECT_FALSE(world.IsShotPathClear(300, 100.8f, 0.5f, shooter, east, 0.01f, shooter));
    EXPECT_FALSE(world.IsShotPathClear(300, 103.0f, 0.5f, shooter, east, 0.01f, shooter));
    EXPECT_FALSE(world.IsShotPathClear(300, 103.0f, 0.5f, shooter, east, 0.005f, shooter));
    EXPECT_FALSE(world.IsShotPathClear(50, 100.0f, 10.0f, shooter, east, 0.01f, shooter));  // behind
    EXPECT_TRUE(world.IsShotPathClear(150, 100.0f, 60.0f, shooter, east, 0.01f, shooter));  // the circle reaches back
    EXPECT_TRUE(world.IsShotPathClear(190, 100.0f, 5.0f, shooter, east, 0.01f, shooter));   // short of the wall

    Shooter* target = Add(ElemType::kCreature, 600, 600);
    EXPECT_NEAR(world.GetAngleToElement(shooter, target), 0.7853982f, 1e-6f);
    shooter->m_MyRnd = 0x40000000;
    target->m_MyRnd = 0;  // the pair draws 0.5
    const struct {
        float chance;
        bool collides;
    } kChances[] = {{0.0f, false}, {0.5f, false}, {0.51f, true}};
    for (const auto& c : kChances) {
        shooter->chance = c.chance;
        EXPECT_EQ(world.ShotCollides(shooter, target), c.collides) << c.chance;
    }
    target->m_Solid = 0;  // not solid: stopped without its second flag, or when not hostile
    EXPECT_TRUE(world.ShotCollides(shooter, target));
    target->secondShotFlag = true;
    EXPECT_TRUE(world.ShotCollides(shooter, target));  // both of party -2
    shooter->m_Party = 1;
    target->m_Party = 2;
    EXPECT_FALSE(world.ShotCollides(shooter, target));
    Shooter* catcher = Add(ElemType::kItem, 700, 700);
    EXPECT_FALSE(world.ShotCollides(shooter, catcher));
    catcher->catchFlag = true;
    catcher->m_Solid = 0;
    EXPECT_TRUE(world.ShotCollides(shooter, catcher));
    EXPECT_FALSE(world.ShotCollides(nullptr, target));
}
