// WorldCtrl collision resolution: stopping at and sliding along walls, one-way walls, walls and
// elements passed by the move-through flags, wall groups, elements in the way, event objects
// entered and passed through, the movement target, shots in flight, walls longer than a block, low
// walls and event objects that a mover above them passes, and slides that would turn back.
#include "world/WorldCtrl.h"

#include "world/WorldTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

class WorldCtrlCollisionTest : public ::testing::Test {
protected:
    WorldCtrlCollisionTest() { world.SetGrid(32, 32, 64, 64); }

    VSD_WallIntern* AddWall(float x1, float y1, float x2, float y2) { return AddTestWall(world, x1, y1, x2, y2); }
    MovingElem* Add(uint16_t type, float x, float y, float radius)
    {
        return AddTestElem<MovingElem>(world, type, x, y, radius);
    }
    // One segment from where the mover stands, started at game time 10 and taking 2 seconds.
    int32_t Step(MovingElem* mover, float dx, float dy, D3DXVECTOR2& out, int32_t slideMode = 1,
                 WorldElem* flight = nullptr)
    {
        const D3DXVECTOR2 p = mover->GetPos();
        return world.MoveSegment(*mover, p, p + D3DXVECTOR2(dx, dy), out, 10.0, 2.0f, slideMode, flight, 0);
    }

    LevelTestCtrl ctrl;
    GridWorld world;
};

void ExpectNear(const D3DXVECTOR2& got, float x, float y)
{
    EXPECT_NEAR(got.x, x, 1e-3f);
    EXPECT_NEAR(got.y, y, 1e-3f);
}

}  // namespace

TEST_F(WorldCtrlCollisionTest, WallsStopAndSlide)
{
    // A wall along x = 500 whose normal points to +x; the mover (radius 10) starts to its left and
    // is kept 0.5 off it: it touches at x = 489.5.
    VSD_WallIntern* wall = AddWall(500, 0, 500, 1000);
    const struct {
        const char* what;
        uint16_t type;
        float x, dx, dy;
        int32_t slideMode;
        uint8_t noSlide;
        int32_t result;
        D3DXVECTOR2 end;
    } kCases[] = {
        {"straight in: it ends touching", ElemType::kElem, 400, 200, 0, 1, 0, 0, {489.5f, 500}},
        {"slanting, slide mode 1: the part along the wall", ElemType::kElem, 400, 200, 100, 1, 0, 0, {489.5f, 600}},
        {"slide mode 0: the step's length", ElemType::kElem, 400, 200, 100, 0, 0, 0,
         {489.5f, 544.75f + 0.5525f * std::sqrt(50000.0f)}},
        {"a projectile never slides", ElemType::kProjectile, 400, 200, 100, 1, 0, 0, {489.5f, 544.75f}},
        {"no sliding: it stops", ElemType::kElem, 400, 200, 100, 1, 1, 0, {489.5f, 544.75f}},
        {"away from the wall", ElemType::kElem, 400, -100, 0, 1, 0, 1, {300, 500}},
        {"along it, closer than it keeps: kept off", ElemType::kElem, 489.7f, 0, 100, 1, 0, 1, {489.5f, 600}},
        {"no step", ElemType::kElem, 400, 0, 0, 1, 0, 1, {400, 500}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        MovingElem* mover = Add(c.type, c.x, 500, 10);
        mover->m_NoSlide = c.noSlide;
        mover->m_VelocityX = 30;
        mover->m_VelocityY = 40;
        D3DXVECTOR2 out;
        EXPECT_EQ(Step(mover, c.dx, c.dy, out, c.slideMode), c.result);
        ExpectNear(out, c.end.x, c.end.y);
        if (c.result == 0) {
            EXPECT_EQ(world.GetLastCollision().blocker.Get(), wall);
            if (!c.noSlide) {
                EXPECT_EQ(mover->m_VelocityX, 0.0f);  // what is left of the velocity runs along the wall
            }
        }
        world.DelObj(mover->m_ObjID, 1);
    }
}

TEST_F(WorldCtrlCollisionTest, OneWayWallsMoveThroughFlagsAndWallGroups)
{
    VSD_WallIntern* wall = AddWall(500, 0, 500, 1000);
    const struct {
        const char* what;
        int16_t semiPerm;
        float x, dx;
        uint8_t canMoveThrough;
        int32_t result;
        int32_t side;  // of the collision event: +1 on the side the normal points away from
    } kCases[] = {
        {"one-way, blocking from the left", 1, 400, 200, 0, 0, 1},
        {"one-way, crossed from the right", 1, 600, -200, 0, 1, -1},
        {"the other way round: crossed from the left", -1, 400, 200, 0, 1, 1},
        {"the other way round: blocking from the right", -1, 600, -200, 0, 0, -1},
        {"walls never block it, their events still run", 0, 400, 200, 1, 1, 1},
        {"elements never block it: walls still do", 0, 400, 200, 2, 0, 1},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        wall->m_SemiPerm = c.semiPerm;
        MovingElem* mover = Add(ElemType::kElem, c.x, 500, 10);
        mover->m_CanMoveThrough = c.canMoveThrough;
        D3DXVECTOR2 out;
        EXPECT_EQ(Step(mover, c.dx, 0, out), c.result);
        EXPECT_EQ(out.x, c.result ? c.x + c.dx : (c.dx > 0 ? 489.5f : 510.5f));
        ASSERT_EQ(mover->collisions.size(), 1u);
        EXPECT_EQ(mover->collisions[0], std::make_pair(static_cast<WorldElemBase*>(wall), c.side));
        world.DelObj(mover->m_ObjID, 1);
    }

    // Two walls that let movers through and run scripts: one event each, or one for their group.
    wall->m_SemiPerm = 0;
    wall->m_Solid = 0;
    wall->m_OnCollision = "touched";
    VSD_WallIntern* second = AddWall(550, 0, 550, 1000);
    second->m_Solid = 0;
    second->m_OnCollision = "touched";
    WorldElem owner;
    for (WorldElemBase* group : {static_cast<WorldElemBase*>(nullptr), static_cast<WorldElemBase*>(&owner)}) {
        wall->SetGroupOwner(group);
        second->SetGroupOwner(group);
        MovingElem* mover = Add(ElemType::kElem, 400, 500, 10);
        D3DXVECTOR2 out;
        EXPECT_EQ(Step(mover, 300, 0, out), 1);
        EXPECT_EQ(mover->collisions.size(), group ? 1u : 2u);
        world.DelObj(mover->m_ObjID, 1);
    }
}

TEST_F(WorldCtrlCollisionTest, ElementsInTheWay)
{
    const struct {
        const char* what;
        uint16_t type;
        std::function<void(MovingElem& mover, MovingElem& other)> setup;
        int32_t result;
        float endX;
        size_t events;
    } kCases[] = {
        {"an item: radius 20 and the mover's 10", ElemType::kItem, [](MovingElem&, MovingElem&) {}, 0, 569.5f, 1},
        {"a creature meets the mover's body radius", ElemType::kCreature,
         [](MovingElem& mover, MovingElem&) { mover.m_BodyRadius = 4; }, 0, 575.5f, 1},
        {"not solid, with a script: passed, both told", ElemType::kItem,
         [](MovingElem&, MovingElem& other) {
             other.m_Solid = 0;
             other.m_OnCollision = "touched";
         },
         1, 700, 1},
        {"not solid, no scripts: passed unseen", ElemType::kItem,
         [](MovingElem&, MovingElem& other) { other.m_Solid = 0; }, 1, 700, 0},
        {"elements never block the mover", ElemType::kItem,
         [](MovingElem& mover, MovingElem&) { mover.m_CanMoveThrough = 2; }, 1, 700, 0},
        {"no collisions", ElemType::kItem, [](MovingElem&, MovingElem& other) { other.m_NoCollisions = 1; }, 1, 700, 0},
        {"its filter refuses the mover", ElemType::kItem,
         [](MovingElem&, MovingElem& other) { other.m_CollisionMask = 0; }, 1, 700, 0},
        {"already overlapping: ignored", ElemType::kItem,
         [](MovingElem& mover, MovingElem&) { mover.SetPos(590, 500); }, 1, 890, 0},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        MovingElem* mover = Add(ElemType::kElem, 400, 500, 10);
        MovingElem* other = Add(c.type, 600, 500, 20);
        c.setup(*mover, *other);
        D3DXVECTOR2 out;
        EXPECT_EQ(Step(mover, 300, 0, out), c.result);
        EXPECT_NEAR(out.x, c.endX, 1e-3f);
        EXPECT_EQ(mover->collisions.size(), c.events);
        EXPECT_EQ(other->collisions.size(), c.events);
        if (c.events) {
            EXPECT_EQ(mover->collisions[0], std::make_pair(static_cast<WorldElemBase*>(other), 0));
            EXPECT_EQ(other->collisions[0], std::make_pair(static_cast<WorldElemBase*>(mover), 0));
        }
        world.DelObj(mover->m_ObjID, 1);
        world.DelObj(other->m_ObjID, 1);
    }
}

TEST_F(WorldCtrlCollisionTest, EventObjects)
{
    // The event object's circle (radius 20 plus the mover's 10) begins 170 units along the step.
    const struct {
        const char* what;
        float startX;
        std::function<void(MovingElem& mover, MovingElem& event)> setup;
        int32_t result;
        float endX;
        bool fromOutside;
        float activatedAt;  // the fraction of the step
    } kCases[] = {
        {"entered from outside: a quarter unit past its edge, then passed", 400,
         [](MovingElem&, MovingElem& event) { event.m_Solid = 0; }, 1, 700, true, 170.25f / 300},
        {"an activation that stops the mover", 400,
         [](MovingElem&, MovingElem& event) {
             event.m_Solid = 0;
             event.activateAnswer = 0;
         },
         0, 570.25f, true, 170.25f / 300},
        {"left from inside", 590, [](MovingElem&, MovingElem& event) { event.m_Solid = 0; }, 1, 890, false,
         40.0f / 300},
        {"solid: the mover slides on it", 400, [](MovingElem&, MovingElem&) {}, 0, 569.5f, true, 169.5f / 300},
        {"solid, a mover that does not slide goes through", 400,
         [](MovingElem& mover, MovingElem&) { mover.m_NoSlide = 1; }, 1, 700, true, 169.5f / 300},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        MovingElem* mover = Add(ElemType::kElem, c.startX, 500, 10);
        MovingElem* event = Add(ElemType::kEvent, 600, 500, 20);
        c.setup(*mover, *event);
        D3DXVECTOR2 out;
        EXPECT_EQ(Step(mover, 300, 0, out), c.result);
        EXPECT_NEAR(out.x, c.endX, 1e-3f);
        ASSERT_EQ(event->activations.size(), 1u);
        EXPECT_EQ(event->activations[0].activator, mover);
        EXPECT_EQ(event->activations[0].enteredFromOutside, c.fromOutside);
        EXPECT_NEAR(event->activations[0].time, 10.0 + 2.0 * c.activatedAt, 1e-5);
        world.DelObj(mover->m_ObjID, 1);
        world.DelObj(event->m_ObjID, 1);
    }

    // A mover that does not slide passes solid event objects, but no more than eight in one step.
    MovingElem* mover = Add(ElemType::kElem, 400, 500, 10);
    mover->m_NoSlide = 1;
    std::vector<MovingElem*> row;
    for (int32_t i = 0; i < 10; i++)
        row.push_back(Add(ElemType::kEvent, 500.0f + 80.0f * float(i), 500, 20));
    D3DXVECTOR2 out;
    EXPECT_EQ(Step(mover, 900, 0, out), 0);
    EXPECT_NEAR(out.x, 500.0f + 80.0f * 8 - 30.5f, 1e-3f);  // stopped at the ninth
    for (int32_t i = 0; i < 10; i++)
        EXPECT_EQ(row[size_t(i)]->activations.size(), i < 9 ? 1u : 0u);
}

TEST_F(WorldCtrlCollisionTest, MovementTargetAndShotsInFlight)
{
    MovingElem* mover = Add(ElemType::kElem, 400, 500, 10);
    MovingElem* goal = Add(ElemType::kItem, 600, 500, 20);
    D3DXVECTOR2 out;
    EXPECT_EQ(world.MoveStepped(*mover, D3DXVECTOR2(400, 500), D3DXVECTOR2(700, 500), &out, 0.0, 1.0f, 1, nullptr, 0,
                                goal),
              0);
    EXPECT_EQ(mover->reachedTarget, 1);
    EXPECT_EQ(world.MoveStepped(*mover, D3DXVECTOR2(400, 500), D3DXVECTOR2(700, 500), &out, 0.0, 1.0f, 1, nullptr, 0,
                                nullptr),
              0);
    EXPECT_EQ(mover->reachedTarget, 1);  // blocked, but not by the target
    world.DelObj(goal->m_ObjID, 1);
    world.DelObj(mover->m_ObjID, 1);

    // A shot in flight stops at a creature that it does not hit, and flies on through one it hits.
    MovingElem* creature = Add(ElemType::kCreature, 600, 500, 20);
    creature->m_Solid = 0;
    creature->m_BlocksShots = 0;
    for (const bool hits : {false, true}) {
        SCOPED_TRACE(hits);
        MovingElem* shot = Add(ElemType::kProjectile, 400, 500, 10);
        shot->m_BodyRadius = 10;
        shot->hitsInFlight = hits;
        EXPECT_EQ(Step(shot, 300, 0, out, 1, shot), hits ? 1 : 0);
        EXPECT_NEAR(out.x, hits ? 700.0f : 570.0f, 1e-3f);
        ASSERT_EQ(shot->flightHits.size(), 1u);
        EXPECT_EQ(shot->flightHits[0], std::make_pair(static_cast<WorldElem*>(creature), false));
        world.DelObj(shot->m_ObjID, 1);
    }
}

TEST_F(WorldCtrlCollisionTest, WallsLongerThanABlockStopMovers)
{
    // A wall inserted whole, 3000 units long: its centre lies three blocks from where the mover
    // crosses it, beyond the two blocks the scan of a short step covers.
    VSD_WallIntern* wall = AddWall(100, 1000, 3100, 1000);
    ASSERT_EQ(wall->m_CellX, 3);
    EXPECT_EQ(world.GetLongestWallHalf(), 1500.0f);
    MovingElem* mover = Add(ElemType::kElem, 150, 900, 10);
    D3DXVECTOR2 out;
    EXPECT_EQ(Step(mover, 0, 200, out), 0);
    ExpectNear(out, 150, 989.5f);
}

TEST_F(WorldCtrlCollisionTest, LowWallsAndEventObjectsUnderAMoverAbove)
{
    // The wall is 100 high; an event object and an item 20 in radius stand on the ground. A mover
    // that steps over low obstacles passes the wall and the event object when they stay below its
    // base; an item stops it at any height.
    AddWall(500, 400, 500, 600);
    Add(ElemType::kEvent, 400, 800, 20);
    Add(ElemType::kItem, 400, 200, 20);
    const struct {
        const char* what;
        bool stepsOver;
        float height;
        float y, endX;
        int32_t result;
    } kCases[] = {
        {"over the wall's top", true, 150, 500, 600, 1},
        {"below the wall's top", true, 50, 500, 489.5f, 0},
        {"high, but it does not step over", false, 150, 500, 489.5f, 0},
        {"over the event object", true, 30, 800, 600, 1},
        {"into the event object", true, 10, 800, 369.5f, 0},
        {"into the item, high as it is", true, 150, 200, 369.5f, 0},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        MovingElem* mover = Add(ElemType::kElem, 300, c.y, 10);
        mover->stepsOver = c.stepsOver;
        mover->SetHeight(c.height);
        D3DXVECTOR2 out;
        EXPECT_EQ(Step(mover, 300, 0, out), c.result);
        ExpectNear(out, c.endX, c.y);
        world.DelObj(mover->m_ObjID, 1);
    }
}

TEST_F(WorldCtrlCollisionTest, ASlideNeverTurnsBackAgainstTheWholeStep)
{
    // The segment sets the whole step (+100, 0); a deeper level of the same segment that would go
    // back against it stops where it is, one level higher it still moves.
    MovingElem* mover = Add(ElemType::kElem, 300, 500, 10);
    D3DXVECTOR2 out;
    ASSERT_EQ(Step(mover, 100, 0, out), 1);
    for (const int32_t depth : {1, 2}) {
        SCOPED_TRACE(depth);
        EXPECT_EQ(world.ResolveWallCollision(*mover, 400, 500, -50, 10, out, 0.0, 1.0f, 1, nullptr, depth),
                  depth == 1 ? 1 : 0);
        ExpectNear(out, depth == 1 ? 350.0f : 400.0f, depth == 1 ? 510.0f : 500.0f);
    }
    EXPECT_EQ(world.ResolveWallCollision(*mover, 400, 500, 0, 10, out, 0.0, 1.0f, 1, nullptr, 2), 1);  // across it
}
