// WorldElem events: uses counted down to none, the init script held back, the collision and
// damage events with the values their scripts read, pushes and damage handed to the parent, the
// status effect objects, the wall's use, and a shot fired at a target point.
#include "world/WorldElem.h"

#include "world/ActionShot.h"
#include "world/PartyFilter.h"
#include "world/WorldTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

class WorldElemEventsTest : public ::testing::Test {
protected:
    WorldElemEventsTest()
    {
        world.SetGrid(32, 32, 64, 64);
        ctrl.world = &world;  // posted scripts reach the world's event queue
    }

    // An element of the type with the cfgID, entered into the world.
    WorldElem* Add(const char* cfgID, uint16_t type = ElemType::kElem, float x = 500, float y = 500)
    {
        auto* elem = new WorldElem;
        elem->m_TypeCode = type;
        elem->m_CfgID = cfgID;
        elem->m_PosX = x;
        elem->m_PosY = y;
        world.AddObj(elem, 0, false);
        return elem;
    }

    // The element scripts run so far: posted ones run with the world's event step.
    std::vector<std::string>& Runs()
    {
        world.ProcessWorldEvents();
        return world.runs;
    }

    LevelTestCtrl ctrl;
    ScriptWorld world;
};

// Records the damage it dealt and the source names of the damage it took.
class DamageElem : public WorldElem {
public:
    void OnDamageDealt(WorldElem* target, DamageValues* damage) override { dealt.push_back({target, damage}); }
    int32_t OnDamaged(const char* sourceName) override
    {
        sources.push_back(sourceName ? sourceName : "(null)");
        return 7;
    }
    bool GetCreatureFlag() const override { return creatureFlag; }
    std::vector<std::pair<WorldElem*, DamageValues*>> dealt;
    std::vector<std::string> sources;
    bool creatureFlag = false;
};

}  // namespace

TEST_F(WorldElemEventsTest, UsesCountDownAndTheFlagOnlyCounts)
{
    WorldElem* lever = Add("lever");
    lever->m_OnUse = "Open();";
    lever->m_UsesLeft = 1;
    EXPECT_TRUE(lever->OnUse(0, 12, 3));
    EXPECT_EQ(Runs(), std::vector<std::string>{"OnUse:lever|Open();"});
    EXPECT_EQ(ctrl.scriptContext[0], 12);
    EXPECT_EQ(lever->m_UsesLeft, 0);
    EXPECT_TRUE(lever->OnUse(0, 12, 3));  // used up: no script, no sound
    EXPECT_EQ(Runs().size(), 1u);
    EXPECT_EQ(lever->m_UsesLeft, 0);

    lever->m_UsesLeft = 2;
    EXPECT_TRUE(lever->OnUse(1, 12, 3));  // only counted
    EXPECT_EQ(Runs().size(), 1u);
    EXPECT_EQ(lever->m_UsesLeft, 1);
    lever->m_UsesLeft = -1;
    lever->OnUse(0, 4, 0);
    lever->OnUse(0, 4, 0);
    EXPECT_EQ(Runs().size(), 3u);
    EXPECT_EQ(lever->m_UsesLeft, -1);  // unlimited stays unlimited

    // A use script that deletes its element: the use sound is not played by a deleted element.
    lever->m_Sounds[WorldElem::kUseSound] = "click";
    world.onRun = [&] { world.DelObj(lever->m_ObjID, 1); };
    EXPECT_TRUE(lever->OnUse(0, 4, 0));
    EXPECT_EQ(world.GetNumElements(), 0);
}

TEST_F(WorldElemEventsTest, InitHeldBackAndCollisionValues)
{
    WorldElem* crate = Add("crate");
    EXPECT_FALSE(crate->OnInitEvent());  // no script
    crate->m_OnInit = "Init();";
    world.SuspendInitScripts();
    EXPECT_FALSE(crate->OnInitEvent());
    world.ResumeInitScripts();
    EXPECT_TRUE(crate->OnInitEvent());
    WorldElem loose;
    loose.m_OnInit = "Init();";
    EXPECT_FALSE(loose.OnInitEvent());  // in no world
    EXPECT_EQ(Runs(), std::vector<std::string>{"OnInit:crate|Init();"});

    WorldElem* other = Add("rock");
    crate->OnCollisionEvent(other, 2);  // no script
    EXPECT_EQ(Runs().size(), 1u);
    crate->m_OnCollision = "Bump();";
    crate->OnCollisionEvent(other, 2);
    EXPECT_EQ(Runs().back(), "OnCollision:crate|Bump();");
    EXPECT_EQ(ctrl.scriptContext[0], other->m_ObjID);
    EXPECT_EQ(ctrl.scriptContext[1], 2);
    VSD_WallIntern* wall = AddTestWall(world, 0, 0, 100, 0);
    crate->OnCollisionEvent(wall, 1);  // a wall is no live element
    EXPECT_EQ(ctrl.scriptContext[0], -1);
    crate->OnCollisionEvent(nullptr, 5);  // the terrain
    EXPECT_EQ(ctrl.scriptContext[0], -1);
    EXPECT_EQ(ctrl.scriptContext[1], 5);
}

TEST_F(WorldElemEventsTest, DamagePushesRunsItsScriptAndGoesToTheParent)
{
    auto* victim = new DamageElem;
    victim->m_TypeCode = ElemType::kCreature;
    victim->m_CfgID = "orc";
    victim->m_Party = 0;
    victim->m_Mass = 2.0f;
    victim->m_OnDamage = "Hurt();";
    world.AddObj(victim, 0, false);
    auto* enemy = new DamageElem;
    enemy->m_Party = 1;
    world.AddObj(enemy, 0, false);
    TestDamageValues damage;
    damage.damage[0] = 8.0f;

    const D3DXVECTOR2 push(3.0f, 4.0f);
    EXPECT_EQ(victim->OnDamage(&damage, enemy, 0, &push, "fireball", 0), 7);
    EXPECT_EQ(enemy->dealt.size(), 1u);
    EXPECT_EQ(enemy->dealt[0].first, victim);
    EXPECT_FLOAT_EQ(victim->m_VelocityX, 0.6f * 8.0f / 2.0f);  // the unit direction times damage[0], over the mass
    EXPECT_FLOAT_EQ(victim->m_VelocityY, 0.8f * 8.0f / 2.0f);
    EXPECT_EQ(Runs(), std::vector<std::string>{"OnDamage:orc|Hurt();"});
    EXPECT_EQ(ctrl.scriptContext[0], enemy->m_ObjID);
    EXPECT_EQ(ctrl.currentDamage, std::vector<float>{8.0f});  // an enemy's damage counts
    EXPECT_EQ(victim->sources, std::vector<std::string>{"fireball"});

    auto* friendly = new DamageElem;
    friendly->m_Party = 0;
    world.AddObj(friendly, 0, false);
    victim->OnDamage(&damage, friendly, 0, nullptr, nullptr, 0);
    victim->OnDamage(&damage, nullptr, 0, nullptr, nullptr, 0);
    EXPECT_EQ(ctrl.currentDamage, (std::vector<float>{8.0f, -2.0f, 8.0f}));  // a friend's is not; none is
    EXPECT_EQ(ctrl.scriptContext[0], -1);

    // A creature held while the game takes no input is not pushed.
    victim->creatureFlag = true;
    ctrl.allowsInput = false;
    victim->m_VelocityX = victim->m_VelocityY = 0.0f;
    victim->OnDamage(&damage, nullptr, 0, &push, nullptr, 0);
    EXPECT_EQ(victim->m_VelocityX, 0.0f);

    // Forwarded to the parent: the child's own script does not run.
    auto* part = new DamageElem;
    part->m_ForwardDamageToParent = 1;
    part->m_OnDamage = "PartHurt();";
    world.AddObj(part, 0, false);
    victim->AttachChild(part);
    const size_t runs = Runs().size();
    EXPECT_EQ(part->OnDamage(&damage, nullptr, 0, nullptr, "blade", 0), 7);
    EXPECT_EQ(Runs().size(), runs + 1);
    EXPECT_EQ(Runs().back(), "OnDamage:orc|Hurt();");
    EXPECT_TRUE(part->sources.empty());

    // A damage script that deletes its element.
    world.onRun = [&] { world.DelObj(victim->m_ObjID, 0); };
    EXPECT_EQ(victim->OnDamage(&damage, nullptr, 0, nullptr, nullptr, 0), 0);
}

TEST_F(WorldElemEventsTest, StatusEffectObjectsComeAndFade)
{
    ctrl.specialNames[2] = "burning";
    ctrl.objectTypes["burning"] = ElemType::kElem;
    WorldElem* hero = Add("hero", ElemType::kCreature);
    hero->m_InActiveCell = 1;
    hero->SetAuraEffect(2);
    ASSERT_EQ(ctrl.objects.size(), 1u);
    LevelTestObject* effect = ctrl.objects[0].get();
    EXPECT_EQ(effect->typeName.c_str(), std::string("burning"));
    EXPECT_EQ(effect->m_Parent.Get(), hero);
    EXPECT_EQ(effect->m_IsAuraEffect, 1);
    EXPECT_EQ(effect->m_InActiveCell, 1);
    hero->SetAuraEffect(2);  // the same: nothing new
    EXPECT_EQ(ctrl.objects.size(), 1u);
    hero->SetAuraEffect(0);
    EXPECT_EQ(effect->m_IsAuraEffect, 0);
    EXPECT_LT(effect->m_FadeRate, 0.0f);  // fading out
    hero->DetachChild(effect);
}

TEST_F(WorldElemEventsTest, WallUseGoesToTheItemSlotOrRunsAndReachesTheParent)
{
    VSD_WallIntern* wall = AddTestWall(world, 0, 0, 100, 0);
    wall->m_CfgID = "door";
    wall->m_OnUse = "Creak();";
    EXPECT_TRUE(wall->OnUse(0, 3, 0));
    EXPECT_EQ(Runs(), std::vector<std::string>{"OnUse:door|Creak();"});
    EXPECT_EQ(ctrl.scriptContext[0], 3);

    WorldElem* user = Add("hero");
    wall->m_NeedKey = 4;
    EXPECT_FALSE(wall->OnUse(1, user->m_ObjID, 1));  // with the argument: the game's item slot
    ASSERT_EQ(ctrl.itemSlotUses.size(), 1u);
    EXPECT_EQ(ctrl.itemSlotUses[0].user, user);
    EXPECT_EQ(ctrl.itemSlotUses[0].slot, 4);
    EXPECT_EQ(Runs().size(), 1u);

    WorldElem* chest = Add("chest");
    chest->m_OnUse = "Lid();";
    wall->m_Parent = chest;
    wall->m_LinkToParent = 1;
    EXPECT_TRUE(wall->OnUse(0, 3, 0));
    EXPECT_EQ(Runs().back(), "OnUse:chest|Lid();");
    EXPECT_TRUE(PartyFilter::Accepts(std::vector<int32_t>{-999, 3, 3, 3}.data(), 7));
    EXPECT_FALSE(PartyFilter::Accepts(std::vector<int32_t>{1, 3, 3, 3}.data(), 7));
}

TEST_F(WorldElemEventsTest, ShotAtATargetPointAimsFromTheMuzzle)
{
    WorldElem* gunner = Add("gunner", ElemType::kElem, 500, 500);
    ActionShot shot;
    shot.spdMove = 100.0f;
    shot.startOffsetLocal[0] = 10.0f;
    shot.callScript = "Bang();";
    const D3DXVECTOR2 target(510, 600);  // straight up from the muzzle at (510, 500)
    gunner->CallShotScript(&shot, nullptr, &target);
    ASSERT_EQ(ctrl.shots.size(), 1u);
    EXPECT_EQ(Runs().back(), "SHOT:CallScript|Bang();");
    WorldElem* projectile = nullptr;
    for (int32_t id = 0; id < world.GetObjCapacity(); id++) {
        WorldElem* elem = world.GetObjNoCheck(id, false);
        if (elem && elem->m_TypeCode == ElemType::kProjectile)
            projectile = elem;
    }
    ASSERT_NE(projectile, nullptr);
    EXPECT_NEAR(projectile->GetAngle(), 1.5707964f, 1e-5f);
    EXPECT_NEAR(gunner->GetShotAngle(), 0.0f, 1e-6f);
}
