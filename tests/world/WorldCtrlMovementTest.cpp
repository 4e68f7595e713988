// WorldCtrl movement: zero moves, sub-steps, carried children, terrain, leave scripts of walls,
// velocity motion against a numeric integration, path motion frame by frame, turning with a
// carried child, and an element that walks across a generated level with walls.
#include "world/WorldCtrl.h"

#include "world/WorldTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

class WorldCtrlMovementTest : public ::testing::Test {
protected:
    WorldCtrlMovementTest() { world.SetGrid(32, 32, 64, 64); }
    ~WorldCtrlMovementTest() override { WorldCtrl::SetMaxMoveSubSteps(4); }

    VSD_WallIntern* AddWall(float x1, float y1, float x2, float y2) { return AddTestWall(world, x1, y1, x2, y2); }
    MovingElem* Add(uint16_t type, float x, float y, float radius)
    {
        return AddTestElem<MovingElem>(world, type, x, y, radius);
    }
    // A child at (dx, dy) from the parent that collides when it is carried.
    MovingElem* AddChild(MovingElem* parent, float dx, float dy, float radius)
    {
        MovingElem* child = Add(ElemType::kElem, dx, dy, radius);
        child->m_CollidesWhenCarried = 1;
        parent->AttachChild(child);
        return child;
    }
    void Frame(float dt)
    {
        ctrl.gameTime += dt;
        world.Process(dt);
    }

    LevelTestCtrl ctrl;
    ScriptWorld world;
};

void ExpectNear(const D3DXVECTOR2& got, float x, float y, float tolerance = 1e-3f)
{
    EXPECT_NEAR(got.x, x, tolerance);
    EXPECT_NEAR(got.y, y, tolerance);
}

}  // namespace

TEST_F(WorldCtrlMovementTest, ZeroMovesAndSubSteps)
{
    MovingElem* mover = Add(ElemType::kElem, 400, 500, 2);
    mover->m_Moved = 0;
    mover->m_GroundDirty = 1;
    EXPECT_EQ(world.MoveBy(*mover, 0, 0, 1.0f, 1, nullptr, nullptr, false), 1);
    EXPECT_EQ(mover->segments, 0);
    EXPECT_EQ(mover->m_Moved, 0);
    EXPECT_EQ(mover->m_GroundDirty, 1);  // not even the ground is looked at
    D3DXVECTOR2 out(-1, -1);
    EXPECT_EQ(world.MoveStepped(*mover, D3DXVECTOR2(7, 8), D3DXVECTOR2(7, 8), &out, 0.0, 1.0f, 1, nullptr, 0, nullptr),
              1);
    EXPECT_EQ(out, D3DXVECTOR2(7, 8));
    EXPECT_EQ(mover->segments, 0);

    // A long move where elements are near is cut into sub-steps of up to 16 units, at most the
    // program's limit: the engine's 4, the game's rules' 2.
    const struct {
        const char* what;
        float length;
        uint16_t near;  // what stands beside the way; none without a type
        uint8_t solid;
        uint8_t inactive;
        int32_t limit;
        int32_t segments;
    } kCases[] = {
        {"short", 10, ElemType::kCreature, 1, 0, 4, 1},
        {"as long as a sub-step", 16, ElemType::kCreature, 1, 0, 4, 1},
        {"long, nothing near", 40, ElemType::kNone, 1, 0, 4, 1},
        {"long, a creature near", 40, ElemType::kCreature, 1, 0, 4, 3},
        {"long, an item near, the game's limit", 40, ElemType::kItem, 1, 0, 2, 2},
        {"longer, a creature near", 100, ElemType::kCreature, 1, 0, 4, 4},
        {"a creature that blocks nothing", 40, ElemType::kCreature, 0, 0, 4, 1},
        {"an inactive creature", 40, ElemType::kCreature, 1, 1, 4, 1},
        {"another kind of element", 40, ElemType::kEvent, 1, 0, 4, 1},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        WorldCtrl::SetMaxMoveSubSteps(c.limit);
        mover->SetPos(400, 500);
        mover->segments = 0;
        // Beside the way, 20 units off it: near the middle, but not in the way.
        MovingElem* bystander = c.near != ElemType::kNone ? Add(c.near, 400 + c.length / 2, 520, 5) : nullptr;
        if (bystander) {
            bystander->m_Solid = c.solid;
            bystander->m_IgnoreInQueries = c.inactive;
        }
        EXPECT_EQ(world.MoveBy(*mover, c.length, 0, 1.0f, 1, nullptr, nullptr, false), 1);
        EXPECT_EQ(mover->segments, c.segments);
        ExpectNear(mover->GetPos(), 400 + c.length, 500);
        if (bystander)
            world.DelObj(bystander->m_ObjID, 1);
    }
}

TEST_F(WorldCtrlMovementTest, CarriedChildren)
{
    // A child 50 units to the side runs into a wall that the parent's own way misses: the parent
    // moves as far as the child can.
    MovingElem* parent = Add(ElemType::kElem, 400, 500, 10);
    MovingElem* child = AddChild(parent, 0, 50, 5);
    ExpectNear(child->GetPos(), 400, 550);
    AddWall(450, 530, 450, 600);
    EXPECT_EQ(world.MoveBy(*parent, 100, 0, 1.0f, 1, nullptr, nullptr, true), 0);
    ExpectNear(parent->GetPos(), 400, 500);  // silent: nothing changes
    EXPECT_EQ(world.MoveBy(*parent, 100, 0, 1.0f, 1, nullptr, nullptr, false), 1);
    ExpectNear(parent->GetPos(), 444.5f, 500);
    ExpectNear(child->GetPos(), 444.5f, 550);

    // A blocked move that went off the goal by more than a right angle leaves the element.
    MovingElem* walker = Add(ElemType::kElem, 1000, 1000, 10);
    AddWall(1050, 900, 1050, 1100);
    const D3DXVECTOR2 behind(900, 1300);
    EXPECT_EQ(world.MoveBy(*walker, 100, 0, 1.0f, 1, &behind, nullptr, false), 0);
    EXPECT_EQ(walker->blockedByAngle, 0);  // not a creature: no notice, but still left
    ExpectNear(walker->GetPos(), 1000, 1000);
    const D3DXVECTOR2 ahead(1100, 1000);
    EXPECT_EQ(world.MoveBy(*walker, 100, 0, 1.0f, 1, &ahead, nullptr, false), 0);
    ExpectNear(walker->GetPos(), 1039.5f, 1000);  // blocked on the way to the goal: as far as it got
}

TEST_F(WorldCtrlMovementTest, TerrainSlopes)
{
    // Cell column 10 rises 200 units: steeper than 60 degrees. Columns 11 and on are flat again.
    world.SetHeights([](int32_t x, int32_t) { return x <= 10 ? 0.0f : 200.0f; });
    const struct {
        const char* what;
        float fromX, toX;
        uint8_t ignoreTerrain;
        float above;  // height of a creature that steps over low obstacles; 0 a plain element
        bool wall;
        int32_t result;
        float endX;
        bool terrainEvent;
    } kCases[] = {
        {"onto the slope: held at its foot", 600, 660, 0, 0, false, 0, 600, true},
        // An element that ignores the terrain may also end its move on a steep cell: the end check
        // holding it back there would make a flying element stick at the foot of every steep cell.
        {"ignoring the terrain: ends on the slope", 600, 660, 1, 0, false, 1, 660, false},
        {"a creature above the rise over the way: passes over", 600, 660, 0, 200, false, 1, 660, false},
        {"a creature below it: held like a walker", 600, 660, 0, 150, false, 0, 600, true},
        {"across the slope onto flat ground", 600, 760, 0, 0, false, 1, 760, false},
        {"stopped by a wall on the slope: back where it started", 600, 760, 0, 0, true, 1, 600, false},
        {"ignoring the terrain, stopped on the slope: it stays there", 600, 760, 1, 0, true, 0, 689.5f, false},
    };
    VSD_WallIntern* wall = nullptr;
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        if (c.wall && !wall)
            wall = AddWall(700, 0, 700, 1000);
        MovingElem* mover = Add(c.above > 0 ? ElemType::kCreature : ElemType::kElem, c.fromX, 500, 10);
        mover->m_IgnoreTerrain = c.ignoreTerrain;
        mover->stepsOver = c.above > 0;
        mover->SetHeight(c.above);
        D3DXVECTOR2 out;
        EXPECT_EQ(world.MoveSegment(*mover, D3DXVECTOR2(c.fromX, 500), D3DXVECTOR2(c.toX, 500), out, 0.0, 1.0f, 1,
                                    nullptr, 0),
                  c.result);
        ExpectNear(out, c.endX, 500, 0.02f);
        const bool terrainEvent = !mover->collisions.empty() && mover->collisions[0].first == nullptr;
        EXPECT_EQ(terrainEvent, c.terrainEvent);
        world.DelObj(mover->m_ObjID, 1);
    }

    // A creature that passes over keeps its height above the level: the ground rose under it.
    MovingElem* flyer = Add(ElemType::kCreature, 600, 500, 10);
    flyer->stepsOver = true;
    flyer->SetHeight(200);
    EXPECT_EQ(world.MoveBy(*flyer, 60, 0, 1.0f, 1, nullptr, nullptr, false), 1);
    EXPECT_NEAR(flyer->GetGroundHeight(), 62.5f, 0.01f);
    EXPECT_NEAR(flyer->GetOwnHeight(), 137.5f, 0.01f);
}

TEST_F(WorldCtrlMovementTest, LeaveScriptsOfWalls)
{
    VSD_WallIntern* wall = AddWall(500, 0, 500, 1000);  // its normal points to +x
    wall->m_Solid = 0;
    wall->m_OnLeave = "left it";
    const struct {
        const char* what;
        float fromX, toX;
        size_t runs;
        int32_t side;
    } kCases[] = {
        {"crossed to the normal's side", 400, 600, 1, -1},
        {"crossed back", 600, 400, 1, 1},
        {"left from a place touching it", 495, 400, 1, 1},
        {"stopped on it", 400, 500, 0, 0},
        {"never near it", 100, 300, 0, 0},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        world.runs.clear();
        ctrl.objScriptVariables.clear();
        MovingElem* mover = Add(ElemType::kElem, c.fromX, 500, 10);
        D3DXVECTOR2 out;
        EXPECT_EQ(world.MoveSegment(*mover, D3DXVECTOR2(c.fromX, 500), D3DXVECTOR2(c.toX, 500), out, 0.0, 1.0f, 1,
                                    nullptr, 0),
                  1);
        ASSERT_EQ(world.runs.size(), c.runs);
        if (c.runs) {
            EXPECT_EQ(world.runs[0], "wall:OnLeave|left it");
            EXPECT_EQ(ctrl.objScriptVariables[1], mover->m_ObjID);
            EXPECT_EQ(ctrl.objScriptVariables[2], c.side);
        }
        world.DelObj(mover->m_ObjID, 1);
    }

    // A script that puts the element somewhere has the last word.
    MovingElem* mover = Add(ElemType::kElem, 400, 500, 10);
    world.onRun = [&] { mover->SetPos(100, 100); };
    D3DXVECTOR2 out;
    world.MoveSegment(*mover, D3DXVECTOR2(400, 500), D3DXVECTOR2(600, 500), out, 0.0, 1.0f, 1, nullptr, 0);
    EXPECT_EQ(out, D3DXVECTOR2(100, 100));
}

TEST_F(WorldCtrlMovementTest, VelocityMotionMatchesANumericIntegration)
{
    // dv/dt = -a - k v until the element stops; the distance in dt by small steps.
    auto integrate = [](double v, double a, double k, double dt) {
        const int32_t steps = 200000;
        const double h = dt / steps;
        double s = 0.0;
        for (int32_t i = 0; i < steps && v > 0.0; i++) {
            const double mid = v + (-a - k * v) * h * 0.5;  // the midpoint rule
            const double next = v + (-a - k * mid) * h;
            s += (next > 0.0 ? (v + next) * 0.5 * h : v * v / (2.0 * (a + k * v)));
            v = next;
        }
        return s;
    };
    const struct {
        float speed, deceleration, drag, dt;
    } kCases[] = {
        {1, 2, 0, 1},      // stops after half a second: 0.25
        {100, 50, 0, 1},   // still going
        {100, 50, 0.5f, 1},
        {300, 1000, 1, 0.1f},
        {50, 10, 2, 3},    // stops on the way
        {80, 0, 1.5f, 0.5f},  // drag alone
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.speed << " " << c.deceleration << " " << c.drag << " " << c.dt);
        MovingElem* elem = Add(ElemType::kElem, 200, 500, 5);
        elem->m_VelocityX = c.speed * 0.6f;
        elem->m_VelocityY = c.speed * 0.8f;
        elem->m_Deceleration = c.deceleration;
        elem->m_Drag = c.drag;
        D3DXVECTOR2 out;
        EXPECT_EQ(world.StepMotion(*elem, out, c.dt, 0, nullptr), 1);
        const double expected = integrate(c.speed, c.deceleration, c.drag, c.dt);
        const D3DXVECTOR2 pos = elem->GetPos();
        EXPECT_NEAR(std::hypot(pos.x - 200.0, pos.y - 500.0), expected, 1e-4 * expected + 1e-4);
        EXPECT_NEAR(pos.x - 200.0f, (pos.y - 500.0f) * 0.75f, 1e-3f);  // along the velocity
        EXPECT_EQ(elem->m_VelocityX, c.speed * 0.6f);  // the velocity is the element's to lower
        world.DelObj(elem->m_ObjID, 1);
    }
    MovingElem* still = Add(ElemType::kElem, 200, 500, 5);
    D3DXVECTOR2 out;
    EXPECT_EQ(world.StepMotion(*still, out, 1.0f, 0, nullptr), 1);
    EXPECT_EQ(out, D3DXVECTOR2(200, 500));
    EXPECT_EQ(still->segments, 0);
}

TEST_F(WorldCtrlMovementTest, PathMotionFrameByFrame)
{
    // A straight path up the map, two keys two seconds apart; the element stops at time 1.
    MovingElem* elem = Add(ElemType::kElem, 0, 0, 10);
    PathMotion& path = elem->m_PathMotion;
    PathKey key;
    key.x = 200;
    key.y = 100;
    path.curve.keys.push_back(key);
    key.time = 2;
    key.y = 500;
    path.curve.keys.push_back(key);
    path.curve.PrepareTangents(1.0f);
    path.speed = 1.0f;
    path.stopAtTarget = 1;
    path.gotoTime = 1.0f;
    path.faceDirection = 1;
    path.addOffset = 1;
    path.offset[0] = 10;

    std::vector<float> seen;
    for (int32_t frame = 0; frame < 4; frame++) {
        const float time = path.time;
        Frame(0.25f);
        D3DXVECTOR2 expected;
        path.curve.Evaluate(time, expected, nullptr);
        ExpectNear(elem->GetPos(), expected.x + 10, expected.y);  // where the path was at the frame's start
        seen.push_back(path.time);
    }
    EXPECT_EQ(seen, (std::vector<float>{0.25f, 0.5f, 0.75f, 1.0f}));
    EXPECT_EQ(path.speed, 0.0f);  // stopped at its goal
    Frame(0.25f);
    EXPECT_EQ(path.time, 1.0f);
    ExpectNear(elem->GetPos(), 210, 250);
    EXPECT_NEAR(elem->GetAngle(), 1.5707964f, 1e-4f);  // it faces up the path
    EXPECT_EQ(elem->turnStarts, 1);

    // A wall across the path holds the element, and its path time with it.
    path.speed = 1.0f;
    path.stopAtTarget = 0;
    AddWall(0, 350, 1000, 350);
    for (int32_t frame = 0; frame < 8; frame++)
        Frame(0.25f);
    EXPECT_NEAR(elem->GetPos().y, 339.5f, 1e-3f);
    EXPECT_LT(path.time, 1.75f);
    path.advanceWhenBlocked = 1;
    const float held = path.time;
    Frame(0.25f);
    EXPECT_EQ(path.time, held + 0.25f);
}

TEST_F(WorldCtrlMovementTest, TurningWithACarriedChild)
{
    MovingElem* parent = Add(ElemType::kElem, 400, 500, 10);
    MovingElem* child = AddChild(parent, 50, 0, 5);
    const struct {
        float degrees;
        int32_t steps;
    } kCases[] = {{20, 1}, {-20, 1}, {100, 4}, {-100, 4}, {170, 6}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.degrees);
        parent->SetAngle(0);
        child->segments = 0;
        EXPECT_EQ(world.RotateBy(*parent, c.degrees * 0.017453292f), 1);
        EXPECT_EQ(child->segments, c.steps);
        EXPECT_NEAR(parent->GetOwnAngle(), WorldElemGridBase::WrapAngle(c.degrees * 0.017453292f), 1e-5f);
        ExpectNear(child->GetPos(), 400 + 50 * std::cos(c.degrees * 0.017453292f),
                   500 + 50 * std::sin(c.degrees * 0.017453292f));
    }

    // A wall above: the turn stops where the child meets it, 24.5 units up its arm of 50.
    parent->SetAngle(0);
    AddWall(300, 530, 600, 530);
    EXPECT_EQ(world.RotateBy(*parent, 1.5707964f), 0);
    EXPECT_NEAR(parent->GetOwnAngle(), std::asin(24.5f / 50.0f), 0.01f);
    // The child touches the wall now: it cannot follow at all, and the turn is refused.
    const float touching = parent->GetOwnAngle();
    EXPECT_EQ(world.RotateBy(*parent, 0.3f), 0);
    EXPECT_EQ(parent->GetOwnAngle(), touching);
    EXPECT_EQ(world.RotateBy(*parent, -0.3f), 1);  // the other way is free

    // Turning to an angle or a point tells the element once it has to turn.
    parent->turnStarts = 0;
    EXPECT_EQ(world.TurnTo(*parent, parent->GetAngle(), 0.1f), 0);
    EXPECT_EQ(world.TurnToPoint(*parent, 400.01f, 500.01f, 0.1f), 0);  // too near to have a direction
    EXPECT_EQ(world.TurnToPoint(*parent, 300, 500, 0.1f), 1);
    EXPECT_EQ(parent->turnStarts, 1);
}

TEST_F(WorldCtrlMovementTest, WalkingTowardsAPoint)
{
    // 100 units a second for a tenth of a second: 10 units towards the point, turning to it.
    MovingElem* creature = Add(ElemType::kCreature, 400, 500, 10);
    creature->speed = 100;
    EXPECT_EQ(world.WalkTowards(*creature, 400, 600, 0.1f, 0.0f, nullptr), 1);
    ExpectNear(creature->GetPos(), 400, 510);
    EXPECT_NEAR(creature->GetAngle(), 1.5707964f, 1e-4f);
    EXPECT_EQ(creature->blockedByDistance, 0);
    // A step longer than the way left ends at the point, with the notice.
    EXPECT_EQ(world.WalkTowards(*creature, 400, 515, 0.1f, 0.0f, nullptr), 1);
    ExpectNear(creature->GetPos(), 400, 515);
    EXPECT_EQ(creature->blockedByDistance, 1);
    // Within its stop distance it stops instead.
    creature->stopDistance = 50;
    EXPECT_EQ(world.WalkTowards(*creature, 400, 540, 0.1f, 0.0f, nullptr), 1);
    ExpectNear(creature->GetPos(), 400, 515);
    EXPECT_EQ(creature->stops, 1);
    // A move direction of its own leads the way.
    creature->stopDistance = 0;
    creature->wantedDirection = D3DXVECTOR2(3, 0);
    EXPECT_EQ(world.WalkTowards(*creature, 400, 900, 0.1f, 0.0f, nullptr), 1);
    ExpectNear(creature->GetPos(), 410, 515);
    EXPECT_NEAR(creature->GetAngle(), 0.0f, 1e-4f);
}

TEST_F(WorldCtrlMovementTest, AnElementWalksAcrossAGeneratedLevel)
{
    LevelFixtureDir dir;
    ASSERT_EQ(world.LoadLevelData("walk.vsd", 1, 0), 0);
    ASSERT_GT(world.GetNumWalls(), 3);  // the long wall came in pieces
    // One walker heads up into the long wall at y = 1024, slides along it over the joints of its
    // pieces, past its end and into the fence at x = 1900. Another walks through the door, which
    // does not block, and into a crate.
    MovingElem* walker = Add(ElemType::kElem, 400, 700, 16);
    MovingElem* visitor = Add(ElemType::kElem, 1000, 512, 16);
    MovingElem* crate = Add(ElemType::kItem, 1500, 512, 20);
    for (MovingElem* elem : {walker, visitor}) {
        elem->m_Deceleration = 0;
        elem->m_Drag = 0;
    }
    walker->m_VelocityX = 60;
    walker->m_VelocityY = 160;
    visitor->m_VelocityX = 100;
    int32_t firstAtWall = -1;
    for (int32_t frame = 0; frame < 560; frame++) {
        Frame(0.05f);
        const D3DXVECTOR2 pos = walker->GetPos();
        ASSERT_LE(pos.y, 1024.0f - 16.5f + 1e-3f) << "frame " << frame;  // never through the wall
        ASSERT_LE(pos.x, 1900.0f - 16.5f + 1e-3f) << "frame " << frame;  // nor through the fence
        ASSERT_LE(visitor->GetPos().x, 1500.0f - 36.5f + 1e-3f) << "frame " << frame;  // nor the crate
        if (firstAtWall < 0 && pos.y > 1007.0f)
            firstAtWall = frame;
    }
    EXPECT_EQ(firstAtWall, 38);  // (1007.5 - 700) / 8 per frame
    ExpectNear(walker->GetPos(), 1883.5f, 1007.5f);
    EXPECT_EQ(walker->m_VelocityX, 0.0f);  // what pressed it against the wall and the fence is gone
    EXPECT_EQ(walker->m_VelocityY, 0.0f);
    ExpectNear(visitor->GetPos(), 1463.5f, 512);
    EXPECT_EQ(crate->collisions.size(), 1u);  // told once, when the visitor ran into it
    EXPECT_EQ(crate->collisions[0].first, visitor);
}
