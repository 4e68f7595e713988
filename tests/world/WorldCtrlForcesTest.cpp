// WorldCtrl action forces: which elements a force moves by their kind, mass, immunity and
// relation, its reach in a circle and in a strip, walls that stop it, and the push out of the
// element's circle.
#include "world/WorldCtrl.h"

#include "world/WorldTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

class Pushed : public TestElem {
public:
    Pushed(uint16_t type, float x, float y) : TestElem(type, x, y)
    {
        m_Mass = 2.0f;
        m_Radius = 20.0f;
    }
    bool IsImmuneToForces() override { return immune; }
    bool immune = false;
};

class WorldCtrlForcesTest : public ::testing::Test {
protected:
    WorldCtrlForcesTest()
    {
        world.SetGrid(32, 32, 64, 64);
        source = new TestElem(ElemType::kElem, 1000, 1000);
        world.AddObj(source, 0, false);
        source->m_Radius = 50.0f;
        ActForce& force = source->m_ActForce;
        force.strength = 100.0f;
        force.attenuation[0] = 0.01f;
        force.attenuation[1] = 0.0001f;
        force.maxDist = 300.0f;
        force.maxSideDist = 50.0f;
    }
    Pushed* Add(uint16_t type, float x, float y) { return AddTestElem<Pushed>(world, type, x, y); }
    VSD_WallIntern* AddWall(float x1, float y1, float x2, float y2) { return AddTestWall(world, x1, y1, x2, y2); }

    LevelTestCtrl ctrl;
    GridWorld world;
    TestElem* source = nullptr;
};

constexpr int32_t kEveryKind = ActForce::kCreatures | ActForce::kOthers | ActForce::kProjectiles;
constexpr int32_t kAnyRelation = ActForce::kHostile | ActForce::kNotHostile;

}  // namespace

TEST_F(WorldCtrlForcesTest, WhatARadialForceMoves)
{
    // 100 units away the force is 100 / (1 + 1 + 1); half a second of it, on a mass of 2.
    const float push = 100.0f / 3.0f * 0.5f / 2.0f;
    const struct {
        const char* what;
        uint16_t type;
        int32_t flags;
        std::function<void(Pushed& other)> setup;
        bool pushed;
    } kCases[] = {
        {"creatures move", ElemType::kCreature, ActForce::kCreatures | kAnyRelation, [](Pushed&) {}, true},
        {"items do not with the creature flag alone", ElemType::kItem, ActForce::kCreatures | kAnyRelation,
         [](Pushed&) {}, false},
        {"items with the flag of other elements", ElemType::kItem, ActForce::kOthers | kAnyRelation, [](Pushed&) {},
         true},
        {"projectiles with theirs", ElemType::kProjectile, ActForce::kProjectiles | kAnyRelation, [](Pushed&) {}, true},
        {"projectiles are no other elements", ElemType::kProjectile, ActForce::kOthers | kAnyRelation,
         [](Pushed&) {}, false},
        {"no mass", ElemType::kCreature, kEveryKind | kAnyRelation, [](Pushed& o) { o.m_Mass = 0; }, false},
        {"an immune creature", ElemType::kCreature, kEveryKind | kAnyRelation, [](Pushed& o) { o.immune = true; },
         false},
        {"hostile, with the hostile flag", ElemType::kCreature, ActForce::kCreatures | ActForce::kHostile,
         [](Pushed& o) { o.m_Party = 1; }, true},
        {"hostile, with the other flag", ElemType::kCreature, ActForce::kCreatures | ActForce::kNotHostile,
         [](Pushed& o) { o.m_Party = 1; }, false},
        {"friendly, with the hostile flag", ElemType::kCreature, ActForce::kCreatures | ActForce::kHostile,
         [](Pushed&) {}, false},
        {"out of reach", ElemType::kCreature, kEveryKind | kAnyRelation, [](Pushed& o) { o.SetPos(1301, 1000); },
         false},
        {"attached to the force's element", ElemType::kCreature, kEveryKind | kAnyRelation,
         [&](Pushed& o) {
             o.SetPos(100, 0);
             source->AttachChild(&o);
         },
         false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        source->m_Party = 2;
        source->m_ActForce.flags = c.flags;
        Pushed* other = Add(c.type, 1100, 1000);
        c.setup(*other);
        world.ApplyActForce(*source, 0.5f);
        EXPECT_NEAR(other->m_VelocityX, c.pushed ? push : 0.0f, 1e-4f);
        EXPECT_EQ(other->m_VelocityY, 0.0f);
        world.DelObj(other->m_ObjID, 1);
    }

    source->m_ActForce.flags = kEveryKind | kAnyRelation;
    Pushed* other = Add(ElemType::kCreature, 1100, 1000);
    world.ApplyActForce(*source, 0.0f);  // no time, no push
    EXPECT_EQ(other->m_VelocityX, 0.0f);
    VSD_WallIntern* wall = AddWall(1050, 900, 1050, 1100);
    wall->m_BlocksActForce = 0;
    world.ApplyActForce(*source, 0.5f);
    EXPECT_NEAR(other->m_VelocityX, push, 1e-4f);  // a wall that lets forces through
    wall->m_BlocksActForce = 1;
    world.ApplyActForce(*source, 0.5f);
    EXPECT_NEAR(other->m_VelocityX, push, 1e-4f);  // one that stops them
}

TEST_F(WorldCtrlForcesTest, DirectedForcesAndPushingOut)
{
    // A strip along the element's facing (+x), 300 long and 50 to either side; the force runs
    // from the strip's axis, across the facing.
    source->m_ActForce.flags = kEveryKind | kAnyRelation;
    source->m_ActForce.directed = 1;
    const float push = 100.0f / 3.0f * 0.5f / 2.0f;
    const struct {
        const char* what;
        float x, y;
        bool pushed;
    } kCases[] = {
        {"ahead, beside the axis", 1100, 1030, true},
        {"behind", 900, 1000, false},
        {"too far to the side", 1100, 1060, false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        Pushed* other = Add(ElemType::kCreature, c.x, c.y);
        world.ApplyActForce(*source, 0.5f);
        EXPECT_NEAR(other->m_VelocityX, c.pushed ? push : 0.0f, 1e-4f);
        EXPECT_EQ(other->m_VelocityY, 0.0f);
        world.DelObj(other->m_ObjID, 1);
    }

    // Pushing out of the element's circle (radius 50): by the root of the overlap, the other's
    // friction, mass and the strength; what it moved across the push stays.
    source->m_ActForce.directed = 0;
    source->m_ActForce.pushOutside = 1;
    for (const float x : {1060.0f, 1070.0f}) {
        SCOPED_TRACE(x);
        Pushed* other = Add(ElemType::kItem, x, 1000);
        other->m_Deceleration = 1.0f;
        other->m_VelocityX = 5.0f;
        other->m_VelocityY = 7.0f;
        world.ApplyActForce(*source, 0.5f);
        const bool overlaps = x < 1070.0f;  // at 1070 the circles only touch
        EXPECT_NEAR(other->m_VelocityX, overlaps ? std::sqrt(10.0f) * 2.0f * 100.0f * 0.1f / 2.0f : 5.0f, 1e-4f);
        EXPECT_EQ(other->m_VelocityY, 7.0f);
        world.DelObj(other->m_ObjID, 1);
    }
}
