// CreatureObj influences: start reactions refused by the running action's immunity, the main
// character's hit-repeat window, one end reaction for entries of one type that end together, the
// extended slow, which entries drive the movement, time factors and immunities, and the lookups.
#include "game/objects/CreatureObj.h"

#include "CreatureCombatTestSupport.h"

#include <gtest/gtest.h>

namespace {

class CountingCreature : public CreatureObj {
public:
    void OnWeaponEffectChanged(int32_t) override { weaponChanges++; }
    int32_t weaponChanges = 0;
};

InfluenceParams Params(float strength, float time)
{
    InfluenceParams params;
    params.x = strength;
    params.y = time;
    return params;
}

int32_t CountOf(CreatureObj& creature, int32_t type)
{
    int32_t count = 0;
    for (int32_t i = 0; i < creature.m_Influences.GetSize(); i++)
        count += creature.m_Influences.GetAt(i)->type == type;
    return count;
}

class CreatureObjInfluencesTest : public ::testing::Test {
protected:
    CreatureObjInfluencesTest()
    {
        ctrl.gameWorld = &world;
        creature = AddTestElem<CountingCreature>(world);
    }

    CombatTestCtrl ctrl;
    ScriptWorld world;
    CountingCreature* creature = nullptr;
};

}  // namespace

TEST_F(CreatureObjInfluencesTest, RunningActionImmunityRefusesItsInfluence)
{
    struct Case {
        int32_t immune;
        int32_t type;
        int32_t added;
    };
    const Case cases[] = {{2, CreatureObj::kEffectStun, 0}, {1, CreatureObj::kEffectHit, 0},
                          {1, CreatureObj::kEffectStun, 1}, {2, CreatureObj::kEffectSlow, 1}};
    for (const Case& c : cases) {
        creature->ClearInfluences();
        creature->RemoveForcedActions(100);
        creature->ClearAction();
        ActionEntry& guard = AddTestAction(world, ("Guard" + std::to_string(c.immune) + std::to_string(c.type)).c_str());
        guard.immune = c.immune;
        ASSERT_EQ(creature->StartAction(CreatureObj::kActionEntry, guard.name, nullptr, 0, 0.0f), 1);
        creature->AddInfluence(c.type, Params(1.0f, 2.0f));
        EXPECT_EQ(CountOf(*creature, c.type), c.added) << c.immune << " " << c.type;
    }
}

TEST_F(CreatureObjInfluencesTest, MainCharacterHitsWithinTheRepeatWindowDoNotStack)
{
    creature->m_MainCharacter = 1;
    creature->AddInfluence(CreatureObj::kEffectHit, Params(0.0f, 0.5f));
    creature->UpdateInfluences(0.1f);  // 0.4 s left: within a quarter second of a new 0.5 s hit
    creature->AddInfluence(CreatureObj::kEffectHit, Params(0.0f, 0.5f));
    EXPECT_EQ(CountOf(*creature, CreatureObj::kEffectHit), 1);
    creature->UpdateInfluences(0.2f);  // 0.2 s left
    creature->AddInfluence(CreatureObj::kEffectHit, Params(0.0f, 0.5f));
    EXPECT_EQ(CountOf(*creature, CreatureObj::kEffectHit), 2);
    creature->AddInfluence(CreatureObj::kEffectHit, Params(0.0f, 5.0f));  // two already: refused
    EXPECT_EQ(CountOf(*creature, CreatureObj::kEffectHit), 2);

    // Another creature stacks them.
    auto* monster = AddTestElem<CreatureObj>(world);
    monster->AddInfluence(CreatureObj::kEffectHit, Params(0.0f, 0.5f));
    monster->AddInfluence(CreatureObj::kEffectHit, Params(0.0f, 0.5f));
    EXPECT_EQ(CountOf(*monster, CreatureObj::kEffectHit), 2);
    EXPECT_EQ(monster->m_HitMark, 1);
}

TEST_F(CreatureObjInfluencesTest, EntriesOfOneTypeEndingTogetherEndOnce)
{
    creature->AddInfluence(CreatureObj::kEffectWeaponPoison, Params(1.0f, 0.1f));
    creature->AddInfluence(CreatureObj::kEffectWeaponPoison, Params(1.0f, 0.2f));
    EXPECT_EQ(creature->weaponChanges, 2);  // each start tells the weapon
    creature->weaponChanges = 0;
    creature->UpdateInfluences(0.5f);
    EXPECT_EQ(creature->m_Influences.GetSize(), 0);
    EXPECT_EQ(creature->weaponChanges, 1);

    // One of two ending leaves the type in force: no end yet.
    creature->AddInfluence(CreatureObj::kEffectWeaponPoison, Params(1.0f, 0.1f));
    creature->AddInfluence(CreatureObj::kEffectWeaponPoison, Params(1.0f, 1.0f));
    creature->weaponChanges = 0;
    creature->UpdateInfluences(0.5f);
    EXPECT_EQ(creature->weaponChanges, 0);
    creature->RemoveInfluence(CreatureObj::kEffectWeaponPoison);
    EXPECT_EQ(creature->weaponChanges, 1);
}

TEST_F(CreatureObjInfluencesTest, ExtendedSlowKeepsTheLongerTime)
{
    creature->AddInfluence(CreatureObj::kEffectSlow, Params(1.0f, 3.0f));
    creature->AddInfluence(CreatureObj::kEffectSlow, Params(1.0f, 1.0f), -1, true);
    ASSERT_EQ(creature->m_Influences.GetSize(), 1);
    EXPECT_FLOAT_EQ(creature->m_Influences.GetAt(0)->params.y, 3.0f);
    creature->AddInfluence(CreatureObj::kEffectSlow, Params(1.0f, 5.0f), -1, true);
    ASSERT_EQ(creature->m_Influences.GetSize(), 1);
    EXPECT_FLOAT_EQ(creature->m_Influences.GetAt(0)->params.y, 5.0f);
    creature->UpdateInfluences(0.1f);
    EXPECT_FLOAT_EQ(creature->m_SlowAmount, CreatureObj::s_SlowValue);
}

TEST_F(CreatureObjInfluencesTest, OnlyEntriesWithAPriorityDriveTheMovement)
{
    creature->AddInfluence(CreatureObj::kEffectSlow, Params(1.0f, 2.0f));
    creature->AddInfluence(CreatureObj::kEffectFreeze, Params(1.0f, 2.0f));
    creature->UpdateInfluences(0.1f);
    EXPECT_EQ(creature->m_ActionState.moveCode, 0);
    EXPECT_EQ(creature->m_Frozen, 1);

    creature->AddInfluence(CreatureObj::kEffectStun, Params(1.0f, 2.0f));  // no priority given
    ASSERT_EQ(CountOf(*creature, CreatureObj::kEffectStun), 1);
    EXPECT_EQ(creature->m_Influences.GetAt(2)->priority, CreatureObj::kStunPriority);
    creature->UpdateInfluences(0.1f);
    EXPECT_EQ(creature->m_ActionState.moveCode, 18);
}

TEST_F(CreatureObjInfluencesTest, TimeFactorsAndImmunities)
{
    creature->m_FreezeTimeFactor = 2.0f;
    creature->m_StunTimeFactor = 0.5f;
    creature->AddInfluence(CreatureObj::kEffectFreeze, Params(1.0f, 2.0f));
    creature->AddInfluence(CreatureObj::kEffectStun, Params(1.0f, 2.0f));
    EXPECT_FLOAT_EQ(creature->m_Influences.GetAt(0)->params.y, 4.0f);
    EXPECT_FLOAT_EQ(creature->m_Influences.GetAt(1)->params.y, 1.0f);

    creature->ClearInfluences();
    creature->m_ImmunityMask = 2;  // knock-down, which blast knock-downs share
    creature->AddInfluence(CreatureObj::kEffectBlastKnockDown, Params(1.0f, 2.0f));
    creature->AddInfluence(CreatureObj::kEffectShield, Params(0.0f, 0.0f));  // no time: dropped
    creature->AddInfluence(CreatureObj::kEffectNone, Params(1.0f, 2.0f));
    EXPECT_EQ(creature->m_Influences.GetSize(), 0);
    creature->KnockDown(2.0f);  // no knock-down cycle: refused
    EXPECT_EQ(creature->m_Influences.GetSize(), 0);
}

TEST_F(CreatureObjInfluencesTest, LookupsShieldAndPartyConversion)
{
    creature->m_Party = 2;
    creature->AddInfluence(CreatureObj::kEffectShield, Params(0.4f, 2.0f));
    creature->AddInfluence(CreatureObj::kEffectShield, Params(1.7f, 2.0f));
    InfluenceParams out;
    EXPECT_TRUE(creature->IsInfluenced(CreatureObj::kEffectShield, 0.0f, &out, false));
    EXPECT_FLOAT_EQ(out.x, 0.4f);
    EXPECT_TRUE(creature->IsInfluenced(CreatureObj::kEffectShield, 0.0f, &out, true));
    EXPECT_FLOAT_EQ(out.x, 1.7f);
    EXPECT_FALSE(creature->IsInfluenced(CreatureObj::kEffectShield, 2.0f, nullptr, false));
    creature->UpdateInfluences(0.1f);
    EXPECT_FLOAT_EQ(creature->m_ShieldStrength, 1.0f);  // at most 1

    InfluenceParams convert = Params(1.0f, 3.0f);
    convert.value = 1;
    creature->AddInfluence(CreatureObj::kEffectPartyConvert, convert);
    EXPECT_EQ(creature->GetParty(), 1);
    creature->RemoveInfluence(CreatureObj::kEffectPartyConvert);
    EXPECT_EQ(creature->GetParty(), 2);
}
