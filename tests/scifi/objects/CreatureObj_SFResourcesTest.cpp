// CreatureObj_SF resources: the per-frame regeneration and the payout of pending refills, the
// capped resource operations, dodge energy and the points.
#include "scifi/objects/CreatureObj_SF.h"

#include "game/ctrl/Difficulty.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "scifi/objects/Item_SF.h"
#include "world/WorldCtrl.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

class CreatureObj_SFResourcesTest : public ::testing::Test {
protected:
    CreatureObj_SFResourcesTest()
    {
        creature.reset(dynamic_cast<CreatureObj_SF*>(ctrl.CreateCreature()));
        CreatureCombatValues& v = creature->m_Values;
        v.maxHealth = 100.0f;
        v.maxMana = 10.0f;
        v.maxShield = 10.0f;
        creature->m_Health = 100.0f;
        creature->m_Mana = 10.0f;
        creature->m_ShieldEnergy = 10.0f;
    }
    ~CreatureObj_SFResourcesTest() override { g_Difficulty = Difficulty(); }

    // The regeneration for a span, in steps of dt.
    void Run(float seconds, float dt)
    {
        for (float t = 0.0f; t < seconds - dt * 0.5f; t += dt)
            creature->Regenerate(dt);
    }

    bool MessageShown(const char* key)
    {
        auto& messages = ctrl.GetWorld().GetTextMessages();
        for (int32_t i = 0; i < messages.GetSize(); i++)
            if (messages.GetAt(i)->key == wString(key) || messages.GetAt(i)->text == wString(key))
                return true;
        return false;
    }

    SciFiGameCtrl ctrl;
    std::unique_ptr<CreatureObj_SF> creature;
};

// Right after an action the shield holds still for the recover time, then regenerates at the
// default 1.0 per second; what equipment allows during that time still comes through.
TEST_F(CreatureObj_SFResourcesTest, ShieldRecoversOnlyAfterTheNoActionTime)
{
    creature->m_ShieldEnergy = 2.0f;
    creature->ResetActionTime();
    Run(3.0f, 0.5f);
    EXPECT_FLOAT_EQ(creature->m_ShieldEnergy, 2.0f);
    Run(2.0f, 0.5f);
    EXPECT_FLOAT_EQ(creature->m_ShieldEnergy, 4.0f);
    Run(20.0f, 0.5f);
    EXPECT_FLOAT_EQ(creature->m_ShieldEnergy, 10.0f);  // capped

    creature->m_ShieldEnergy = 2.0f;
    creature->m_Modifiers.shieldRegenInAction = 0.5f;
    creature->ResetActionTime();
    Run(2.0f, 0.5f);
    EXPECT_FLOAT_EQ(creature->m_ShieldEnergy, 3.0f);
}

// A refill is paid out at its rate, a second one spread over the first's rest and its own time;
// a full resource drops what is pending, so a later loss is not topped up from it.
TEST_F(CreatureObj_SFResourcesTest, PendingRefillsArePaidOutAtTheirRate)
{
    creature->m_Health = 10.0f;
    creature->RefillHealth(30.0f, 3.0f, false);
    Run(1.0f, 0.25f);
    EXPECT_FLOAT_EQ(creature->m_Health, 20.0f);
    Run(3.0f, 0.25f);
    EXPECT_FLOAT_EQ(creature->m_Health, 40.0f);
    EXPECT_FLOAT_EQ(creature->m_HealthRefillLeft, 0.0f);

    creature->m_ShieldEnergy = 0.0f;
    creature->m_Values.shieldRegenAbs = 0.0f;
    creature->RefillShield(4.0f, 4.0f);  // 1/s
    creature->Regenerate(2.0f);
    creature->RefillShield(6.0f, 2.0f);  // over the 2 s still running and its own 2 s
    EXPECT_FLOAT_EQ(creature->m_ShieldRefillRate, 1.5f);
    EXPECT_FLOAT_EQ(creature->m_ShieldRefill, 8.0f);
    Run(4.0f, 0.5f);
    EXPECT_FLOAT_EQ(creature->m_ShieldEnergy, 8.0f);
    creature->RefillShield(1.0f, 0.0f);  // over no time: at once
    EXPECT_FLOAT_EQ(creature->m_ShieldEnergy, 9.0f);

    creature->RefillMana(5.0f, 5.0f);
    creature->Regenerate(0.1f);
    EXPECT_FLOAT_EQ(creature->m_ManaRefillLeft, 0.0f);
    creature->m_Mana = 0.0f;
    creature->Regenerate(1.0f);
    EXPECT_NEAR(creature->m_Mana, 0.6666667f + 0.16666668f, 1e-5f);  // the defaults alone
}

// Heroes regenerate health by the difficulty's factor, other creatures by 1.0; the dead not at all.
TEST_F(CreatureObj_SFResourcesTest, HealthRegenerationByKindAndDeath)
{
    g_Difficulty.heroHealthRegeneration = 2.0f;
    creature->m_Values.healthRegenAbs = 1.0f;
    creature->m_Values.healthRegenRel = 0.01f;  // 1 of 100 per second
    creature->m_Health = 50.0f;
    creature->Regenerate(1.0f);
    EXPECT_FLOAT_EQ(creature->m_Health, 52.0f);
    creature->m_MainCharacter = 1;
    creature->Regenerate(1.0f);
    EXPECT_FLOAT_EQ(creature->m_Health, 56.0f);

    creature->m_Dead = 1;
    creature->m_DodgeEnergy = 0.0f;
    const float idle = creature->m_TimeSinceAction;
    creature->Regenerate(1.0f);
    EXPECT_FLOAT_EQ(creature->m_Health, 56.0f);
    EXPECT_FLOAT_EQ(creature->m_DodgeEnergy, 0.0f);
    EXPECT_FLOAT_EQ(creature->m_TimeSinceAction, idle + 1.0f);
}

TEST_F(CreatureObj_SFResourcesTest, ResourceOperationsStopAtTheirLimits)
{
    creature->AddHealth(-20.0f);  // at the maximum: unchanged
    EXPECT_FLOAT_EQ(creature->m_Health, 100.0f);
    creature->m_Health = 90.0f;
    creature->AddHealth(30.0f);
    EXPECT_FLOAT_EQ(creature->m_Health, 100.0f);

    creature->m_Mana = 4.0f;
    creature->AddMana(-10.0f);
    EXPECT_FLOAT_EQ(creature->m_Mana, 0.0f);
    creature->AddMana(20.0f);
    EXPECT_FLOAT_EQ(creature->m_Mana, 10.0f);

    creature->m_ShieldEnergy = 3.0f;
    creature->AddShieldEnergy(-5.0f);
    EXPECT_FLOAT_EQ(creature->m_ShieldEnergy, 0.0f);
    creature->FillShield();
    EXPECT_FLOAT_EQ(creature->m_ShieldEnergy, 10.0f);

    // A maximum of 0 divides nothing and raises nothing.
    creature->m_Values.maxHealth = 0.0f;
    creature->m_Values.healthRegenRel = 0.5f;
    creature->m_Health = 0.0f;
    creature->Regenerate(1.0f);
    EXPECT_FLOAT_EQ(creature->m_Health, 0.0f);
}

TEST_F(CreatureObj_SFResourcesTest, LosingHealthBelowZeroKills)
{
    creature->m_Values.maxHealth = 50.0f;
    creature->m_Health = 10.0f;
    creature->AddHealth(-20.0f);
    EXPECT_LE(creature->m_Health, 0.0f);
    EXPECT_EQ(creature->m_Dying, 1);
}

TEST_F(CreatureObj_SFResourcesTest, DodgeEnergyChargesAndRefill)
{
    struct Case {
        float energy;
        bool charge;
        float after;  // once used
    };
    const Case cases[] = {{0.99995f, true, 0.0f}, {0.9998f, false, 0.0f}, {1.5f, true, 0.5f}, {2.0f, true, 1.0f}};
    for (const Case& c : cases) {
        creature->m_DodgeEnergy = c.energy;
        EXPECT_EQ(creature->HasDodgeEnergy(), c.charge) << c.energy;
        creature->UseDodgeEnergy();
        EXPECT_FLOAT_EQ(creature->m_DodgeEnergy, c.after) << c.energy;
    }
    creature->m_DodgeEnergy = 0.0f;
    creature->Regenerate(1.0f);
    EXPECT_FLOAT_EQ(creature->m_DodgeEnergy, 0.5f);
    creature->Regenerate(10.0f);
    EXPECT_FLOAT_EQ(creature->m_DodgeEnergy, 2.0f);
}

// A dodge without a charge is refused and costs nothing; a paid one starts the shield's wait.
TEST_F(CreatureObj_SFResourcesTest, DodgePaysOneCharge)
{
    creature->m_DodgeEnergy = 0.5f;
    creature->m_TimeSinceAction = 10.0f;
    EXPECT_FALSE(creature->Dodge(1));
    EXPECT_FLOAT_EQ(creature->m_DodgeEnergy, 0.5f);
    EXPECT_FLOAT_EQ(creature->m_TimeSinceAction, 10.0f);

    creature->m_DodgeEnergy = 1.5f;
    creature->Dodge(1);
    EXPECT_FLOAT_EQ(creature->m_DodgeEnergy, 0.5f);
    EXPECT_FLOAT_EQ(creature->m_TimeSinceAction, 0.0f);
}

// The nearest of the four directions is taken and the creature turned by the rest, so that the
// chosen direction points at the target.
TEST_F(CreatureObj_SFResourcesTest, DodgeTowardsPicksTheNearestDirection)
{
    struct Case {
        float target;  // radians from the facing 0
        float facingAfter;
    };
    const Case cases[] = {{0.3f, 0.3f}, {1.7f, 0.1292036f}, {-1.4f, 0.1707963f}, {2.9f, -0.2415927f}};
    for (const Case& c : cases) {
        creature->SetAngleImmediate(0.0f);
        creature->m_DodgeEnergy = 2.0f;
        creature->DodgeTowards(std::cos(c.target), std::sin(c.target));
        EXPECT_NEAR(creature->GetAngle(), c.facingAfter, 1e-4f) << c.target;
        EXPECT_FLOAT_EQ(creature->m_DodgeEnergy, 1.0f) << c.target;
    }
}

// A creature carries at most nine units of each kind of potion.
TEST_F(CreatureObj_SFResourcesTest, PotionsAreCarriedUpToNineUnits)
{
    if (!creature->m_Inventory)
        creature->CreateInventory(-1);
    auto potion = [](int32_t count) {
        auto* item = new Item_SF;
        item->m_Desc = "medkit";
        item->m_EquipmentType = CreatureObj_SF::kFirstNonEquipmentType;
        item->m_Count = count;
        item->m_Pile = 20;
        item->m_Uses = 1;
        ItemAbility health;
        health.type = ItemAbility::kHealth;
        health.subtype = 30;
        item->AddAbility(health, false);
        return item;
    };
    std::unique_ptr<Item_SF> another(potion(1));
    EXPECT_EQ(creature->GetCarryLimit(*another), 1);
    ASSERT_GE(creature->m_Inventory->AddItem(potion(9)), 0);
    EXPECT_EQ(creature->GetCarryLimit(*another), 0);
}

TEST_F(CreatureObj_SFResourcesTest, SpendingMoreThanThePointsChangesNothing)
{
    creature->SetPoints(4, 2);
    EXPECT_FALSE(creature->SpendAdvancePoints(5));
    EXPECT_EQ(creature->GetAdvancePoints(), 4);
    EXPECT_TRUE(MessageShown("GuiError"));
    EXPECT_TRUE(creature->SpendAdvancePoints(4));
    EXPECT_EQ(creature->GetAdvancePoints(), 0);
    EXPECT_FALSE(creature->SpendSkillPoints(3));
    creature->AddPoints(1, 1);
    EXPECT_TRUE(creature->SpendSkillPoints(3));
    EXPECT_EQ(creature->GetSkillPoints(), 0);
    EXPECT_EQ(creature->GetAdvancePoints(), 1);
}

// With the controller's defaults a purchase costs one point and raises the resource by one.
TEST_F(CreatureObj_SFResourcesTest, PurchasesRaiseBaseMaximumAndCurrentValue)
{
    creature->m_BaseValues.maxHealth = 50.0f;
    creature->m_BaseValues.maxShield = 4.0f;
    creature->UpdateValues(false);
    creature->SetHealth(30.0f);
    creature->m_ShieldEnergy = 2.0f;
    creature->SetPoints(2, 0);
    EXPECT_TRUE(creature->BuyHealth());
    EXPECT_FLOAT_EQ(creature->GetMaxHealth(false), 51.0f);
    EXPECT_FLOAT_EQ(creature->GetMaxHealth(), 51.0f);
    EXPECT_FLOAT_EQ(creature->GetHealth(), 31.0f);
    EXPECT_TRUE(creature->BuyShield());
    EXPECT_FLOAT_EQ(creature->m_Values.maxShield, 5.0f);
    EXPECT_FLOAT_EQ(creature->m_ShieldEnergy, 3.0f);
    const float mana = creature->m_Mana;
    EXPECT_FALSE(creature->BuyMana());
    EXPECT_FLOAT_EQ(creature->GetMaxMana(false), 10.0f);
    EXPECT_FLOAT_EQ(creature->m_Mana, mana);
}

TEST_F(CreatureObj_SFResourcesTest, LevelGainFillsAndGivesPointsToHeroesOnly)
{
    creature->m_Health = 20.0f;
    creature->OnLevelGain(2);
    EXPECT_FLOAT_EQ(creature->m_Health, 20.0f);
    EXPECT_EQ(creature->GetAdvancePoints(), 0);

    creature->m_MainCharacter = 1;
    creature->m_Mana = 1.0f;
    creature->OnLevelGain(2);
    EXPECT_FLOAT_EQ(creature->m_Health, 100.0f);
    EXPECT_FLOAT_EQ(creature->m_Mana, 10.0f);
    EXPECT_EQ(creature->GetAdvancePoints(), 4);
    EXPECT_EQ(creature->GetSkillPoints(), 2);
    EXPECT_TRUE(MessageShown("Levelgain"));
}

TEST_F(CreatureObj_SFResourcesTest, CombinedPoisonKeepsTheStrongerLead)
{
    struct Case {
        float rate, time, newRate, newTime;
        float wantRate, wantTime;
        bool newLeads;
    };
    const Case cases[] = {
        {10.0f, 2.0f, 10.0f, 1.0f, 10.0f, 2.0305f, false},  // (20^4 + 10^4)^(1/4) / 10
        {10.0f, 2.0f, 10.0f, -1.0f, 10.0f, 2.0f, false},    // refused: no time
        {10.0f, 2.0f, 0.0f, 5.0f, 10.0f, 2.0f, false},      // refused: no rate
        {0.0f, 0.0f, 5.0f, 3.0f, 5.0f, 3.0f, true},
        {2.0f, 1.0f, 6.0f, 1.0f, 5.0f, 1.2037f, true},  // w = 1/4; (2^4 + 6^4)^(1/4) / 5
    };
    for (const Case& c : cases) {
        float rate = c.rate;
        float time = c.time;
        EXPECT_EQ(CreatureObj_SF::CombinePoison(rate, time, c.newRate, c.newTime), c.newLeads) << c.newTime;
        EXPECT_NEAR(rate, c.wantRate, 1e-4f) << c.newTime;
        EXPECT_NEAR(time, c.wantTime, 1e-4f) << c.newTime;
    }
}

TEST_F(CreatureObj_SFResourcesTest, HealthStateByShareOfHealth)
{
    const float healths[] = {100.0f, 66.0f, 65.9f, 33.0f, 32.9f, 0.1f, 0.0f};
    const int32_t states[] = {4, 3, 2, 2, 1, 1, 0};
    for (int32_t i = 0; i < 7; i++) {
        creature->m_Health = healths[i];
        EXPECT_EQ(creature->GetHealthState(), states[i]) << healths[i];
    }
    creature->m_Values.maxHealth = 0.0f;
    creature->m_Health = 5.0f;
    EXPECT_EQ(creature->GetHealthState(), 0);
}

// A monster takes its poison in one-second steps, a hero every frame; the poison protection
// factor scales it.
TEST_F(CreatureObj_SFResourcesTest, PoisonIsDealtOverTime)
{
    creature->m_PoisonDamage = 10.0f;
    creature->m_PoisonTime = 3.0f;
    for (int32_t i = 0; i < 3; i++)
        creature->ApplyDamageOverTime(0.25f);
    EXPECT_FLOAT_EQ(creature->m_Health, 100.0f);
    creature->ApplyDamageOverTime(0.25f);
    EXPECT_FLOAT_EQ(creature->m_Health, 90.0f);

    creature->m_MainCharacter = 1;
    creature->m_Values.protection.poison = 0.5f;
    creature->ApplyDamageOverTime(0.25f);
    EXPECT_FLOAT_EQ(creature->m_Health, 88.75f);
    creature->ApplyDamageOverTime(10.0f);  // only the 1.75 s left
    EXPECT_FLOAT_EQ(creature->m_Health, 80.0f);
    EXPECT_FLOAT_EQ(creature->m_PoisonTime, 0.0f);

    creature->m_MainCharacter = 0;  // a monster's last part of a second when the poison ends
    creature->m_PoisonTime = 0.5f;
    creature->ApplyDamageOverTime(0.25f);
    EXPECT_FLOAT_EQ(creature->m_Health, 80.0f);
    creature->ApplyDamageOverTime(0.25f);
    EXPECT_FLOAT_EQ(creature->m_Health, 77.5f);

    creature->m_PoisonTime = 1.0f;
    creature->m_PoisonAccumulator = 3.0f;
    creature->ClearPoison();
    creature->ApplyDamageOverTime(1.0f);
    EXPECT_FLOAT_EQ(creature->m_Health, 77.5f);
}

}  // namespace
