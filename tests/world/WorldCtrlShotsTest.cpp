// WorldCtrl shots and projectiles: a bad shooter, projectiles that fan out, a muzzle behind a
// wall, a shot out of the level, one that reaches its range, a splash whose damage script never
// lists the projectile, a direct hit, and a flight that crosses the map's edge.
#include "world/WorldCtrl.h"

#include "world/ActionShot.h"
#include "world/ProjectileBase.h"
#include "world/WorldTestSupport.h"

#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

class ShotWorld : public ScriptWorld {
public:
    using WorldCtrl::StepProjectile;
};

// A projectile that pierces what it meets: each element is remembered as touched.
class PiercingProjectile : public ProjectileBase {
public:
    bool TakeFlightHit(WorldElem& target, bool atStart) override
    {
        (void)atStart;
        AddTouched(&target);
        return true;
    }
};

// Records the kind code of the damage it takes.
class MarkedTarget : public TestElem {
public:
    MarkedTarget(float x, float y) : TestElem(ElemType::kCreature, x, y) { m_Radius = 5.0f; }
    int32_t OnDamage(DamageValues* damage, WorldElem* attacker, int32_t arg, const D3DXVECTOR2* direction,
                     const char* source, int32_t arg2, const D3DXVECTOR2* position) override
    {
        args.push_back(arg);
        return WorldElem::OnDamage(damage, attacker, arg, direction, source, arg2, position);
    }
    std::vector<int32_t> args;
};

class WorldCtrlShotsTest : public ::testing::Test {
protected:
    WorldCtrlShotsTest()
    {
        world.SetGrid(32, 32, 64, 64);  // 2048 x 2048
        shot.hitEffects.damage->damage[0] = 20.0f;
    }

    WorldElem* Add(uint16_t type, float x, float y, float radius, int32_t party = 0)
    {
        TestElem* elem = AddTestElem<TestElem>(world, type, x, y);
        elem->m_Radius = radius;
        elem->m_Party = party;
        return elem;
    }
    std::vector<ProjectileBase*> Projectiles()
    {
        std::vector<ProjectileBase*> found;
        for (int32_t id = 0; id < world.GetObjCapacity(); id++) {
            if (auto* p = dynamic_cast<ProjectileBase*>(world.GetObjNoCheck(id, false)))
                found.push_back(p);
        }
        return found;
    }
    // A projectile of the shot flying along angle from (x, y).
    ProjectileBase* Fly(float x, float y, float angle, float speed, float range)
    {
        auto* projectile = new ProjectileBase;
        projectile->m_Shot = &shot;
        projectile->m_PosX = x;
        projectile->m_PosY = y;
        projectile->m_Angle = angle;
        projectile->m_Speed = speed;
        projectile->m_Range = range;
        projectile->m_Radius = 1.0f;
        projectile->m_Damage.Assign(shot.hitEffects.damage);
        world.AddObj(projectile, 0, false);
        return projectile;
    }

    LevelTestCtrl ctrl;
    ShotWorld world;
    ActionShot shot;
};

}  // namespace

TEST_F(WorldCtrlShotsTest, ProjectilesFanOutFromTheMuzzle)
{
    WorldElem loose;
    EXPECT_NE(ErrorOf([&] { world.Shoot(&loose, &shot, nullptr); }).find("Invalid object ID in Shoot(): -1"),
              std::string::npos);

    WorldElem* shooter = Add(ElemType::kCreature, 500, 500, 32);
    shot.numShots = 3;
    shot.scatterAngle = 0.3f;
    shot.width = 20.0f;
    shot.startOffsetLocal[0] = 10.0f;  // within the shooter's radius: usable
    shot.maxDist = 300.0f;
    shot.damDist = 40.0f;
    const D3DXVECTOR2 up(0.0f, 2.0f);
    world.Shoot(shooter, &shot, &up);
    std::vector<ProjectileBase*> fired = Projectiles();
    ASSERT_EQ(fired.size(), 3u);
    const float angles[3] = {1.5707964f - 0.3f, 1.5707964f, 1.5707964f + 0.3f};
    const float lateral[3] = {10.0f, 0.0f, -10.0f};  // sideways of "up" is -x
    for (size_t i = 0; i < 3; i++) {
        EXPECT_NEAR(fired[i]->GetAngle(), angles[i], 1e-5f);
        EXPECT_NEAR(fired[i]->GetPos().x, 500.0f + lateral[i], 1e-3f);
        EXPECT_NEAR(fired[i]->GetPos().y, 510.0f, 1e-3f);
        EXPECT_EQ(fired[i]->m_Shooter.Get(), shooter);
        EXPECT_EQ(fired[i]->m_Range, 300.0f);
        EXPECT_EQ(fired[i]->m_SplashRadius, 40.0f);
        EXPECT_EQ(fired[i]->m_Speed, 500.0f);
        EXPECT_EQ(fired[i]->m_AttackSerial, uint32_t(shooter->m_ObjID) * 1000u * 100u);
        ASSERT_TRUE(fired[i]->m_Damage);
        EXPECT_EQ(fired[i]->m_Damage->damage[0], 20.0f);
        EXPECT_NE(fired[i]->m_Damage.Get(), shot.hitEffects.damage.Get());
        world.DelObj(fired[i]->m_ObjID, 1);
    }

    // A muzzle behind a wall: one projectile at the muzzle, marked to hit at once.
    shot.numShots = 1;
    shot.startOffsetLocal[0] = 60.0f;
    AddTestWall(world, 450, 530, 550, 530);
    world.Shoot(shooter, &shot, &up);
    fired = Projectiles();
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0]->m_StartsBlocked, 1);
    EXPECT_NEAR(fired[0]->GetPos().y, 560.0f, 1e-3f);
}

TEST_F(WorldCtrlShotsTest, OutOfTheLevelOrAtTheEndOfItsRange)
{
    shot.onHit = "Hit();";
    shot.onDamage = "Damage();";
    ProjectileBase* outside = Fly(-10, 100, 0.0f, 100.0f, 500.0f);
    world.StepProjectile(*outside, 0.1f);
    EXPECT_TRUE(Projectiles().empty());
    EXPECT_TRUE(world.runs.empty());  // no damage, no scripts

    ProjectileBase* far = Fly(100, 100, 0.0f, 100.0f, 50.0f);
    world.StepProjectile(*far, 0.3f);
    EXPECT_NEAR(far->GetPos().x, 130.0f, 1e-3f);
    EXPECT_TRUE(world.runs.empty());
    ctrl.shotHit[0] = ctrl.shotHit[1] = 5;
    world.StepProjectile(*far, 0.3f);  // 20 more: the range is reached
    EXPECT_EQ(world.runs, std::vector<std::string>{"SHOT:OnHit|Hit();"});
    EXPECT_EQ(ctrl.shotHit[0], -1);
    EXPECT_EQ(ctrl.shotHit[1], -1);
    EXPECT_TRUE(Projectiles().empty());
}

TEST_F(WorldCtrlShotsTest, SplashAndDirectHits)
{
    shot.onHit = "Hit();";
    shot.onDamage = "Damage();";
    WorldElem* near = Add(ElemType::kCreature, 520, 500, 10);
    WorldElem* other = Add(ElemType::kCreature, 700, 500, 10);
    std::vector<int32_t> listed;
    world.onRun = [&] {
        if (world.runs.back().rfind("SHOT:OnDamage", 0) == 0) {
            for (int32_t i = 0; i < world.GetScriptQueryCount(); i++)
                listed.push_back(world.GetScriptQueryEntry(i)->m_ObjID);
        }
    };
    ProjectileBase* splash = Fly(500, 500, 0.0f, 100.0f, 500.0f);
    splash->m_SplashRadius = 60.0f;
    splash->m_InstantHit = 1;
    Add(ElemType::kProjectile, 505, 500, 1);  // another shot close by is never damaged
    world.StepProjectile(*splash, 0.1f);
    EXPECT_EQ(listed, std::vector<int32_t>{near->m_ObjID});
    EXPECT_EQ(ctrl.shotDamagedCount, 1);
    EXPECT_EQ(world.runs, (std::vector<std::string>{"SHOT:OnDamage|Damage();", "SHOT:OnHit|Hit();"}));
    EXPECT_EQ(ctrl.shotHit[0], -1);  // nothing struck directly
    (void)other;

    // A direct hit: the projectile flies into the element and damages it alone.
    listed.clear();
    world.runs.clear();
    ProjectileBase* bolt = Fly(600, 500, 0.0f, 200.0f, 500.0f);
    world.StepProjectile(*bolt, 0.5f);
    EXPECT_EQ(listed, std::vector<int32_t>{other->m_ObjID});
    EXPECT_EQ(ctrl.shotHit[0], other->m_ObjID);
    EXPECT_EQ(ctrl.shotHit[1], 1);
    EXPECT_TRUE(Projectiles().empty());  // the bolt is gone
}

TEST_F(WorldCtrlShotsTest, AFlightOverTheEdgeHitsAtTheEdge)
{
    shot.onHit = "Hit();";
    ProjectileBase* bolt = Fly(2040, 1000, 0.0f, 100.0f, 500.0f);
    D3DXVECTOR2 at;
    world.onRun = [&] { at = bolt->GetPos(); };
    world.StepProjectile(*bolt, 0.2f);
    EXPECT_EQ(world.runs, std::vector<std::string>{"SHOT:OnHit|Hit();"});
    EXPECT_NEAR(at.x, 2048.0f, 1e-3f);
    EXPECT_NEAR(at.y, 1000.0f, 1e-3f);
    EXPECT_TRUE(Projectiles().empty());
}

TEST_F(WorldCtrlShotsTest, TouchedElementsAreDamagedOnce)
{
    shot.onDamage = "Damage();";
    auto* first = AddTestElem<MarkedTarget>(world, 550.0f, 500.0f);
    auto* second = AddTestElem<MarkedTarget>(world, 600.0f, 500.0f);
    std::vector<int32_t> listed;
    world.onRun = [&] {
        for (int32_t i = 0; i < world.GetScriptQueryCount(); i++)
            listed.push_back(world.GetScriptQueryEntry(i)->m_ObjID);
    };
    auto* bolt = new PiercingProjectile;
    bolt->m_Shot = &shot;
    bolt->m_PosX = 500;
    bolt->m_PosY = 500;
    bolt->m_Speed = 100.0f;
    bolt->m_Range = 1000.0f;
    bolt->m_Radius = 1.0f;
    bolt->m_Damage.Assign(shot.hitEffects.damage);
    world.AddObj(bolt, 0, false);
    world.StepProjectile(*bolt, 0.7f);  // through the first
    EXPECT_EQ(first->args, std::vector<int32_t>{-2});
    EXPECT_EQ(listed, std::vector<int32_t>{first->m_ObjID});
    world.StepProjectile(*bolt, 0.7f);  // through the second: the first is not damaged again
    EXPECT_EQ(first->args.size(), 1u);
    EXPECT_EQ(second->args, std::vector<int32_t>{-2});
    EXPECT_EQ(listed, (std::vector<int32_t>{first->m_ObjID, second->m_ObjID}));
    EXPECT_EQ(bolt->m_TouchedProcessed, 2);
    EXPECT_EQ(ctrl.shotDamagedCount, 1);
}
