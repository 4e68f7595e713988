// WorldElem motion services: the nearest enemy in view by its front and back range, behind walls
// and out of the search, network smoothing that snaps or steps, the active area's fades, the
// stop time against a small-step integration, and the reach distances.
#include "world/WorldElem.h"

#include "world/WorldTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class WorldElemMotionTest : public ::testing::Test {
protected:
    WorldElemMotionTest() { world.SetGrid(32, 32, 64, 64); }

    WorldElem* Add(uint16_t type, float x, float y, int32_t party)
    {
        auto* elem = new WorldElem;
        elem->m_TypeCode = type;
        elem->m_PosX = x;
        elem->m_PosY = y;
        elem->m_Party = party;
        elem->m_Radius = 5.0f;
        world.AddObj(elem, 0, false);
        return elem;
    }

    LevelTestCtrl ctrl;
    ScriptWorld world;
};

class ExcludedCreature : public WorldElem {
public:
    bool IsExcludedFromTargeting() override { return true; }
};

}  // namespace

TEST_F(WorldElemMotionTest, NearestEnemyInViewByFrontAndBack)
{
    // All within one block: the search reaches r / 512 blocks around the element's own.
    WorldElem* guard = Add(ElemType::kCreature, 700, 700, 1);  // facing +x
    WorldElem* behind = Add(ElemType::kCreature, 650, 700, 0);
    EXPECT_EQ(guard->FindNearestEnemyInView(100, 20), -1);  // 50 behind, the back range 20
    WorldElem* ahead = Add(ElemType::kCreature, 750, 700, 0);
    EXPECT_EQ(guard->FindNearestEnemyInView(100, 20), ahead->m_ObjID);
    ahead->m_BodyRadius = 10.0f;  // 40 away now
    EXPECT_EQ(guard->FindNearestEnemyInView(30, 20), -1);
    EXPECT_EQ(guard->FindNearestEnemyInView(45, 20), ahead->m_ObjID);
    behind->m_BodyRadius = 20.0f;  // 30 away behind: nearer
    EXPECT_EQ(guard->FindNearestEnemyInView(100, 100), behind->m_ObjID);
    // A quarter turn to the side the range is halfway between front and back: (40 + 10) / 2.
    Add(ElemType::kCreature, 700, 710, 0)->m_IgnoreInQueries = 1;
    WorldElem* side = Add(ElemType::kCreature, 700, 728, 0);
    EXPECT_EQ(guard->FindNearestEnemyInView(40, 10), ahead->m_ObjID);  // 28 is beyond 25
    side->SetPos(700, 724);
    EXPECT_EQ(guard->FindNearestEnemyInView(40, 10), side->m_ObjID);

    Add(ElemType::kItem, 710, 700, 0);              // not a creature
    Add(ElemType::kCreature, 705, 700, 1);          // not hostile
    auto* excluded = new ExcludedCreature;
    excluded->m_TypeCode = ElemType::kCreature;
    excluded->m_Party = 0;
    excluded->m_PosX = 703;
    excluded->m_PosY = 700;
    world.AddObj(excluded, 0, false);
    AddTestWall(world, 712, 690, 712, 710);         // hides the nearest hostile one
    Add(ElemType::kCreature, 715, 700, 0);
    EXPECT_EQ(guard->FindNearestEnemyInView(40, 10), side->m_ObjID);
}

TEST_F(WorldElemMotionTest, SmoothingSnapsOrSteps)
{
    WorldElem* elem = Add(ElemType::kElem, 100, 100, 0);
    elem->m_NetTargetX = 110;
    elem->m_NetTargetY = 100;
    elem->m_NetTargetAngle = 1.0f;
    elem->m_NetSmoothTime = 0.1f;
    elem->SmoothToNetworkPos(0.2f);  // f = 2: snaps
    EXPECT_EQ(elem->GetPos().x, 110.0f);
    EXPECT_EQ(elem->GetAngle(), 1.0f);
    EXPECT_EQ(elem->m_NetSmoothTime, 0.0f);
    elem->SmoothToNetworkPos(0.2f);  // no time left: nothing

    elem->m_NetTargetX = 130;
    elem->m_NetTargetAngle = 2.0f;
    elem->m_NetSmoothTime = 0.4f;
    elem->SmoothToNetworkPos(0.1f);  // a quarter of the way
    EXPECT_FLOAT_EQ(elem->GetPos().x, 115.0f);
    EXPECT_FLOAT_EQ(elem->GetAngle(), 1.25f);
    EXPECT_FLOAT_EQ(elem->m_NetSmoothTime, 0.3f);

    elem->m_NetTargetX = 1000;  // more than 512 off: snaps
    elem->SmoothToNetworkPos(0.1f);
    EXPECT_EQ(elem->GetPos().x, 1000.0f);
}

TEST_F(WorldElemMotionTest, ActiveAreaFadesAndRotation)
{
    WorldElem* elem = Add(ElemType::kElem, 100, 100, 0);
    elem->m_FadeOutValue = 0.5f;
    elem->OnEnterActiveArea();
    EXPECT_EQ(elem->m_InActiveCell, 1);
    EXPECT_EQ(elem->m_FadeOutDirection, 1);
    elem->OnLeaveActiveArea();
    EXPECT_EQ(elem->m_FadeOutDirection, -1);
    ctrl.noAreaFade = 1;
    elem->OnEnterActiveArea();
    EXPECT_EQ(elem->m_FadeOutValue, 1.0f);
    elem->m_FadeOutValue = 0.0f;
    elem->OnLeaveActiveArea();
    EXPECT_EQ(elem->m_FadeOutDirection, 0);

    // The rotation second angle + time x speed goes on where it was when the speed changes.
    ctrl.gameTime = 2.0;
    elem->m_SecondAngle = 0.5f;
    elem->m_RotationSpeed = 0.25f;
    const float before = elem->m_SecondAngle + float(ctrl.gameTime) * elem->m_RotationSpeed;
    elem->SetRotationSpeed(0.75f);
    EXPECT_FLOAT_EQ(elem->m_SecondAngle + float(ctrl.gameTime) * elem->m_RotationSpeed, before);
}

TEST_F(WorldElemMotionTest, StopTimeAgreesWithIntegration)
{
    WorldElem elem;
    EXPECT_EQ(elem.GetStopTime(100.0f), 0.0f);  // immovable
    struct Case {
        float mass, deceleration, drag, impulse;
    };
    for (const Case& c : {Case{2.0f, 1000.0f, 1.0f, 3000.0f}, Case{1.0f, 50.0f, 4.0f, 200.0f},
                          Case{0.5f, 100.0f, 0.0f, 25.0f}}) {
        elem.m_Mass = c.mass;
        elem.m_Deceleration = c.deceleration;
        elem.m_Drag = c.drag;
        double v = c.impulse / c.mass;
        double t = 0.0;
        const double h = 1e-6;
        while (v > 0.0) {  // dv/dt = -A - k v
            v -= (c.deceleration + c.drag * v) * h;
            t += h;
        }
        EXPECT_NEAR(elem.GetStopTime(c.impulse), t, 1e-4) << c.drag;
    }
}

TEST_F(WorldElemMotionTest, TargetPointAndReach)
{
    WorldElem* a = Add(ElemType::kElem, 100, 100, 0);
    a->SetAngle(1.5707964f);
    a->m_TargetOffset[0] = 10.0f;
    const D3DXVECTOR2 point = a->GetTargetPoint();
    EXPECT_NEAR(point.x, 100.0f, 1e-4f);
    EXPECT_NEAR(point.y, 110.0f, 1e-4f);
    WorldElem* b = Add(ElemType::kElem, 100, 150, 0);
    b->m_ReachRadius = 15.0f;
    a->m_BodyRadius = 5.0f;
    EXPECT_FLOAT_EQ(b->GetReachDistanceToPoint(100, 100), 35.0f);
    EXPECT_FLOAT_EQ(b->GetReachDistanceTo(*a), 20.0f);  // 40 from a's target point, less 5 and 15
    EXPECT_EQ(b->GetReachDistanceToPoint(100, 140), 0.0f);
}
