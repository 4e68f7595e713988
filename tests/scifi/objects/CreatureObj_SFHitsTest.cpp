// CreatureObj_SF hits: the damage after the mana and energy shields, defence and blocking, what a
// hit starts (poison, leech, reflection), the damage taken with its log line and burning.
#include "scifi/objects/CreatureObj_SF.h"

#include "base/GameOptions.h"
#include "game/ctrl/Difficulty.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "scifi/ctrl/SciFiRules.h"
#include "scifi/objects/DamageValues_SF.h"
#include "world/WorldCtrl.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

// A controller whose sequences can be started: no input is taken while one plays.
class SequenceCtrl : public SciFiGameCtrl {
public:
    bool AllowsInput() override { return !sequence; }
    bool sequence = false;
};

class CreatureObj_SFHitsTest : public ::testing::Test {
protected:
    CreatureObj_SFHitsTest()
    {
        creature = MakeCreature();
        attacker = MakeCreature();
    }
    ~CreatureObj_SFHitsTest() override
    {
        g_SciFiRules = SciFiRules();
        g_Difficulty = Difficulty();
        g_Options.attributeDisplayFactor = 1.0f;
    }

    std::unique_ptr<CreatureObj_SF> MakeCreature()
    {
        std::unique_ptr<CreatureObj_SF> made(dynamic_cast<CreatureObj_SF*>(ctrl.CreateCreature()));
        made->m_Values.maxHealth = 100.0f;
        made->m_Values.maxMana = 10.0f;
        made->m_Values.maxShield = 0.0f;
        made->m_Health = 100.0f;
        made->m_Mana = 10.0f;
        made->m_ShieldEnergy = 0.0f;
        return made;
    }

    DamageValues_SF& Hit(float phys1, float phys2)
    {
        holder.Renew();
        auto* values = dynamic_cast<DamageValues_SF*>(holder.Get());
        values->SetPhysical(0, phys1);
        values->SetPhysical(1, phys2);
        return *values;
    }

    int32_t LogCount() { return ctrl.GetWorld().GetLogMessages().GetSize(); }
    wString LastLog()
    {
        auto& log = ctrl.GetWorld().GetLogMessages();
        return log.GetSize() > 0 ? log.GetAt(log.GetSize() - 1)->text : wString();
    }

    SequenceCtrl ctrl;
    std::unique_ptr<CreatureObj_SF> creature;
    std::unique_ptr<CreatureObj_SF> attacker;
    DamageValuesHolder holder;
};

TEST_F(CreatureObj_SFHitsTest, DamageFunctionMatchesItsFormula)
{
    EXPECT_NEAR(CreatureObj_SF::DamageFunction(10.0f, 5.0f, 0.01f), 10.0 * std::exp(-0.5 * (0.5 + 1.0)), 1e-5);
    EXPECT_NEAR(CreatureObj_SF::DamageFunction(10.0f, 5.0f, 0.01f), 4.7237f, 1e-4f);
    EXPECT_EQ(CreatureObj_SF::DamageFunction(0.0f, 5.0f, 0.01f), 0.0f);
    EXPECT_EQ(CreatureObj_SF::DamageFunction(-3.0f, 5.0f, 0.01f), 0.0f);
}

// The shields pay first: the mana shield at its factor, then the energy shield; what they leave
// scales the physical amounts before defence and protection take their share.
TEST_F(CreatureObj_SFHitsTest, ShieldsAbsorbBeforeDefence)
{
    struct Case {
        float phys1, manaShield, mana, shield;
        float damage, manaAfter, shieldAfter, physAfter;
    };
    const Case cases[] = {
        {15.0f, 2.0f, 10.0f, 0.0f, 0.0f, 2.5f, 0.0f, 15.0f},           // absorbed whole by mana
        {30.0f, 2.0f, 10.0f, 0.0f, 10.0f, 0.0f, 0.0f, 10.0f},          // mana pays 20 of 30
        {20.0f, 2.0f, 10.0f, 0.0f, 0.0f, 0.0f, 0.0f, 20.0f},           // exactly the capacity
        {30.0f, 2.0f, 10.0f, 4.0f, 6.0f, 0.0f, 0.0f, 6.0f},            // then the energy shield
        {5.0f, 0.0f, 10.0f, 8.0f, 0.0f, 10.0f, 3.0f, 5.0f},            // energy shield alone
        {0.0f, 2.0f, 10.0f, 8.0f, 0.0f, 10.0f, 8.0f, 0.0f},            // nothing to absorb
    };
    for (const Case& c : cases) {
        creature->m_Modifiers.manaShield = c.manaShield;
        creature->m_Mana = c.mana;
        creature->m_ShieldEnergy = c.shield;
        creature->m_TimeSinceAction = 5.0f;
        DamageValues_SF& hit = Hit(c.phys1, 0.0f);
        EXPECT_NEAR(creature->ComputeHitDamage(hit, nullptr, 1.0f, 0.0f), c.damage, 1e-4f) << c.phys1;
        EXPECT_NEAR(creature->m_Mana, c.manaAfter, 1e-4f) << c.phys1;
        EXPECT_NEAR(creature->m_ShieldEnergy, c.shieldAfter, 1e-4f) << c.phys1;
        EXPECT_NEAR(hit.GetPhysical(0), c.physAfter, 1e-4f) << c.phys1;
        EXPECT_EQ(creature->m_TimeSinceAction == 0.0f, c.phys1 > 0.0f) << c.phys1;  // the shield waits again
    }
}

// Defence, armour and protection through the damage function; blocking inside the block angle
// absorbs and reduces; a direction curve scales by the hit angle.
TEST_F(CreatureObj_SFHitsTest, DefenceBlockingAndDirection)
{
    g_SciFiRules.damageFuncFactorA = 0.01f;
    creature->m_Values.defPhys[0] = 3.0f;
    creature->m_Values.armour = 2.0f;  // defence 5
    creature->m_Values.defPhys[1] = 3.0f;
    creature->m_Values.protection.physical[1] = 0.5f;
    EXPECT_NEAR(creature->ComputeHitDamage(Hit(10.0f, 10.0f), nullptr, 1.0f, 0.0f), 4.7237f * 1.5f, 1e-3f);
    creature->m_Values = attacker->m_Values;  // no defence
    creature->SetAngleImmediate(0.0f);
    creature->m_Block[0] = 0.5f;  // reduction
    creature->m_Block[1] = 2.0f;  // absorb
    creature->m_Block[2] = 1.0f;  // radians either side
    creature->m_ActionState.actionCode = CreatureObj::kActionBlock;
    EXPECT_NEAR(creature->ComputeHitDamage(Hit(10.0f, 0.0f), nullptr, 1.0f, 0.0f), 4.0f, 1e-4f);  // in front
    EXPECT_NEAR(creature->ComputeHitDamage(Hit(1.5f, 0.0f), nullptr, 1.0f, 0.0f), 0.0f, 1e-4f);
    EXPECT_NEAR(creature->ComputeHitDamage(Hit(10.0f, 0.0f), nullptr, -1.0f, 0.0f), 10.0f, 1e-4f);  // behind
    creature->m_ActionState.actionCode = CreatureObj::kActionNone;

    BezierSpline<float>& curve = creature->m_Stats.damFactorAngle;
    curve.SetMode(0);
    curve.SetNumKeys(2);
    curve.GetKey(0) = {0.0f, 1.0f, 0.0f, 0.0f};
    curve.GetKey(1) = {180.0f, 2.0f, 0.0f, 0.0f};
    EXPECT_NEAR(creature->ComputeHitDamage(Hit(10.0f, 0.0f), nullptr, 0.0f, 1.0f), 15.0f, 1e-3f);  // 90 degrees
}

// A hit without physical damage still poisons and drains nothing from the shields; leech refills
// the attacker, reflection hurts it.
TEST_F(CreatureObj_SFHitsTest, HitStartsPoisonLeechAndReflection)
{
    creature->m_ShieldEnergy = 5.0f;
    DamageValues_SF& poison = Hit(0.0f, 0.0f);
    poison.poison = 10.0f;
    poison.poisonTime = 2.0f;
    creature->ApplyHit(&poison, attacker.get(), D3DXVECTOR2(10.0f, 0.0f), -2);
    EXPECT_FLOAT_EQ(creature->m_PoisonDamage, 10.0f);
    EXPECT_FLOAT_EQ(creature->m_PoisonTime, 2.0f);
    EXPECT_EQ(creature->m_Poisoner.Get(), attacker.get());
    EXPECT_FLOAT_EQ(creature->m_ShieldEnergy, 5.0f);
    EXPECT_FLOAT_EQ(creature->m_Health, 100.0f);

    creature->m_ShieldEnergy = 0.0f;
    creature->m_Modifiers.reflect[0] = 0.5f;
    attacker->m_Health = 50.0f;
    DamageValues_SF& leech = Hit(20.0f, 0.0f);
    leech.healthLeech = 0.5f;
    leech.manaLeech = 0.25f;
    creature->ApplyHit(&leech, attacker.get(), D3DXVECTOR2(10.0f, 0.0f), -2);
    EXPECT_FLOAT_EQ(creature->m_Health, 80.0f);
    EXPECT_FLOAT_EQ(attacker->m_Health, 40.0f);  // 10 reflected
    EXPECT_FLOAT_EQ(attacker->m_HealthRefillLeft, 10.0f);
    EXPECT_FLOAT_EQ(attacker->m_HealthRefillRate, 5.0f);
    EXPECT_FLOAT_EQ(attacker->m_ManaRefillLeft, 5.0f);
}

// The players see a hero's damage in display units; a lethal hit in a sequence leaves 1; a
// hit below 1 spawns no blood; a silent one leaves the AI alone; no maximum breaks nothing.
TEST_F(CreatureObj_SFHitsTest, TakeDamageLogsAndScales)
{
    g_Options.attributeDisplayFactor = 10.0f;
    creature->m_MainCharacter = 1;
    creature->m_Party = 1;
    g_Difficulty.monsterDamage = 2.0f;
    const int32_t before = LogCount();
    creature->TakeDamage(3.0f, attacker.get(), 0, 1, 0, -2);
    EXPECT_FLOAT_EQ(creature->m_Health, 94.0f);
    ASSERT_EQ(LogCount(), before + 1);
    uint8_t found = 0;
    const wString label = ctrl.GetGuiDBText("logmsg", "damagereceived", &found);
    EXPECT_EQ(LastLog(), wString(u"|Cada68d") + label + wString(u" |Cdc876560"));
    EXPECT_FLOAT_EQ(creature->m_RecentDamageSum, 6.0f);

    creature->TakeDamage(5.0f, attacker.get(), 0, 1, 1, -2);  // silent: no log, no recent damage
    EXPECT_EQ(LogCount(), before + 1);
    EXPECT_FLOAT_EQ(creature->m_RecentDamageSum, 6.0f);

    ctrl.sequence = true;  // a sequence plays
    creature->TakeDamage(500.0f, attacker.get(), 0, 1, 0, -2);
    EXPECT_FLOAT_EQ(creature->m_Health, 1.0f);
    EXPECT_EQ(creature->m_Dying, 0);
    ctrl.sequence = false;

    g_Difficulty.monsterHealth = 2.0f;  // monsters: divided by their toughness
    attacker->TakeDamage(10.0f, creature.get(), 0, 1, 1, -2);
    EXPECT_EQ(attacker->m_LastEnemy.Get(), nullptr);  // silent
    EXPECT_FLOAT_EQ(attacker->m_Health, 95.0f);
    attacker->m_LastBloodTime = -1.0f;
    attacker->TakeDamage(0.9f, creature.get(), 0, 1, 0, -2);
    EXPECT_FLOAT_EQ(attacker->m_Health, 94.55f);
    EXPECT_FLOAT_EQ(attacker->m_LastBloodTime, -1.0f);  // no blood below 1
    attacker->TakeDamage(10.0f, creature.get(), 0, 1, 0, -2);
    EXPECT_EQ(attacker->m_LastEnemy.Get(), creature.get());

    attacker->m_Values.maxHealth = 0.0f;
    attacker->TakeDamage(10.0f, creature.get(), 0, 1, 0, -2);
    EXPECT_EQ(attacker->GetHealthState(), 0);
}

// Burning is dealt in whole points, in steps of its strength x 0.75 (at least 1).
TEST_F(CreatureObj_SFHitsTest, InflameDealsWholePoints)
{
    creature->AddInfluence(CreatureObj::kEffectInflame, InfluenceParams(4.0f, 10.0f, attacker.get()));
    creature->ApplyDamageOverTime(0.5f);  // 2 points gathered, step 3
    EXPECT_FLOAT_EQ(creature->m_Health, 100.0f);
    creature->ApplyDamageOverTime(0.5f);  // 4
    EXPECT_FLOAT_EQ(creature->m_Health, 96.0f);
    EXPECT_FLOAT_EQ(creature->m_InflameAccumulator, 0.0f);
    creature->RemoveInfluence(CreatureObj::kEffectInflame);
    creature->m_InflameAccumulator = 1.5f;
    creature->ApplyDamageOverTime(0.1f);  // without the influence the step is 1
    EXPECT_FLOAT_EQ(creature->m_Health, 95.0f);
    EXPECT_FLOAT_EQ(creature->m_InflameAccumulator, 0.5f);
}

}  // namespace
