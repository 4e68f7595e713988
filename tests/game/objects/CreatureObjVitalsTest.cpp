// CreatureObj vital values: health reports above half a point, refills spread over time (and at
// once without time), level-ups through the experience table with the hero's level-up for each
// level, the networked main character's experience and mana, the monster damage scaling, and
// potions used from an inventory.
#include "game/objects/CreatureObj.h"

#include "CreatureCombatTestSupport.h"
#include "game/objects/ItemAbility.h"
#include "game/objects/ItemBase.h"
#include "world/Inventory.h"

#include <gtest/gtest.h>

namespace {

class CreatureObjVitalsTest : public ::testing::Test {
protected:
    CreatureObjVitalsTest()
    {
        ctrl.gameWorld = &world;
        creature = AddTestElem<CreatureObj>(world);
    }

    // A health potion of amount over seconds in the creature's inventory; its position.
    int32_t AddPotion(float amount, float seconds, int32_t uses = 1, int32_t count = 1)
    {
        if (!creature->m_Inventory)
            creature->CreateInventory(10);
        auto* potion = new ItemBase;
        potion->m_Desc = "potion";
        ItemAbility ability;
        ability.type = ItemAbility::kHealth;
        ability.value = amount;
        ability.value2 = seconds;
        potion->AddAbility(ability, false);
        potion->m_Uses = uses;
        potion->m_Count = count;
        potion->m_Pile = count;
        EXPECT_GE(creature->m_Inventory->AddItem(potion), 0);
        return creature->m_Inventory->GetCount() - 1;
    }

    CombatTestCtrl ctrl;
    ScriptWorld world;
    CreatureObj* creature = nullptr;
};

}  // namespace

TEST_F(CreatureObjVitalsTest, HealthChangesAboveHalfAPointAreReported)
{
    creature->SetHealth(50.4f);
    EXPECT_TRUE(ctrl.healthReports.empty());
    EXPECT_FLOAT_EQ(creature->GetHealth(), 50.4f);
    creature->SetHealth(51.0f);
    ASSERT_EQ(ctrl.healthReports.size(), 1u);
    EXPECT_FLOAT_EQ(ctrl.healthReports[0], 51.0f);

    creature->SetHealth(20.0f);
    creature->RefillHealthToMax();
    EXPECT_FLOAT_EQ(creature->GetHealth(), 100.0f);
    EXPECT_EQ(ctrl.healthReports.size(), 3u);
}

TEST_F(CreatureObjVitalsTest, PotionsSpreadTheirRefillsOverTime)
{
    creature->UseItem(creature->m_Inventory, 0);  // no inventory: nothing
    const int32_t first = AddPotion(50.0f, 10.0f);
    creature->UseItem(creature->m_Inventory, first);
    EXPECT_FLOAT_EQ(creature->m_HealthRefillLeft, 50.0f);
    EXPECT_FLOAT_EQ(creature->m_HealthRefillRate, 5.0f);
    EXPECT_EQ(creature->m_Inventory->GetCount(), 0);  // used up and consumed

    creature->m_HealthRefillLeft = 25.0f;  // five seconds later
    creature->UseItem(creature->m_Inventory, AddPotion(50.0f, 10.0f));
    EXPECT_FLOAT_EQ(creature->m_HealthRefillLeft, 75.0f);
    EXPECT_NEAR(creature->m_HealthRefillRate, 50.0f / 15.0f, 1e-4f);

    // With the add flag the rates add up; without time the amount is there at once.
    creature->RefillHealth(10.0f, 2.0f, true);
    EXPECT_NEAR(creature->m_HealthRefillRate, 50.0f / 15.0f + 5.0f, 1e-4f);
    creature->RefillHealth(30.0f, 0.0f, false);
    EXPECT_FLOAT_EQ(creature->GetHealth(), 80.0f);
    creature->RefillHealth(30.0f, -1.0f, false);
    EXPECT_FLOAT_EQ(creature->GetHealth(), 100.0f);  // not beyond the maximum
    creature->RefillMana(20.0f, 0.0f);
    EXPECT_FLOAT_EQ(creature->m_Mana, 20.0f);
    EXPECT_FLOAT_EQ(creature->m_ManaRefillRate, 0.0f);
}

TEST_F(CreatureObjVitalsTest, PotionAtFullHealthIsNotUsed)
{
    creature->SetHealth(99.6f);  // rounds to the maximum
    const int32_t position = AddPotion(50.0f, 10.0f, 2, 3);
    creature->UseItem(creature->m_Inventory, position);
    EXPECT_EQ(ctrl.messages, std::vector<std::string>{"DB:DoNotNeedPotion"});
    InventoryItem* potion = creature->m_Inventory->GetItem(position);
    ASSERT_NE(potion, nullptr);
    EXPECT_EQ(potion->m_Uses, 2);
    EXPECT_FLOAT_EQ(creature->m_HealthRefillLeft, 0.0f);

    // A stack of three: the last use of a piece takes one piece and renews its use.
    creature->SetHealth(10.0f);
    creature->UseItem(creature->m_Inventory, position);
    creature->UseItem(creature->m_Inventory, position);
    EXPECT_EQ(potion->m_Count, 2);
    EXPECT_EQ(potion->m_Uses, 1);
}

TEST_F(CreatureObjVitalsTest, ItemScriptMayRefuseTheUse)
{
    const int32_t position = AddPotion(50.0f, 10.0f);
    auto* potion = static_cast<ItemBase*>(creature->m_Inventory->GetItem(position));
    potion->m_OnItemUse = "Refuse();";
    creature->SetHealth(10.0f);
    world.onRun = [this] { ctrl.allowFlag = 0; };
    creature->UseItem(creature->m_Inventory, position);
    EXPECT_EQ(ctrl.activator, creature->m_ObjID);
    EXPECT_EQ(world.runs, std::vector<std::string>{"onItemUse|Refuse();"});
    EXPECT_FLOAT_EQ(creature->m_HealthRefillLeft, 0.0f);
    EXPECT_EQ(potion->m_Uses, 1);
}

TEST_F(CreatureObjVitalsTest, ExperienceRaisesTheLevelAndTheHeroLevelUps)
{
    creature->m_MainCharacter = 1;
    creature->AddExperience(250.0f, true);  // level 1 to 3
    EXPECT_EQ(creature->GetLevel(), 3);
    EXPECT_EQ(creature->m_HighestLevel, 3);
    EXPECT_EQ(creature->m_PendingLevelUps, 2);
    EXPECT_EQ(ctrl.heroLevelUps, (std::vector<int32_t>{2, 3}));
    creature->GainLevel();
    EXPECT_EQ(creature->GetExperience(), 300);
    EXPECT_EQ(ctrl.heroLevelUps.back(), 4);

    creature->SetCharacterLevel(6);
    EXPECT_EQ(creature->GetExperience(), 500);
    EXPECT_EQ(creature->GetLevel(), 6);
    creature->SetExperience(120.0f);
    EXPECT_EQ(creature->GetLevel(), 2);  // no level-up reaction
    EXPECT_EQ(ctrl.heroLevelUps.size(), 3u);

    // A networked main character on the server waits for its client; its mana is unlimited.
    ctrl.networkGameServer = true;
    creature->AddExperience(1000.0f, true);
    EXPECT_EQ(ctrl.experienceGains, std::vector<float>{1000.0f});
    EXPECT_EQ(creature->GetLevel(), 2);
    EXPECT_FLOAT_EQ(creature->GetMana(), CreatureObj::kUnlimitedMana);

    // Experience goes to the receiver when there is one.
    auto* receiver = AddTestElem<CreatureObj>(world);
    auto* pet = AddTestElem<CreatureObj>(world);
    pet->m_ExperienceReceiver = receiver;
    pet->AddExperience(40.0f, true);
    EXPECT_EQ(pet->GetExperience(), 0);
    EXPECT_EQ(receiver->GetExperience(), 40);
}

TEST_F(CreatureObjVitalsTest, MonsterDamageScalingByParty)
{
    ctrl.monsterDamage[0] = 1.5f;
    ctrl.monsterDamage[1] = 2.0f;
    const struct {
        int32_t party;
        float result;
    } cases[] = {{0, 17.0f}, {-1, 17.0f}, {100, 17.0f}, {1, 10.0f}, {99, 10.0f}, {-2, 10.0f}};
    for (const auto& c : cases) {
        creature->m_Party = c.party;
        float value = 10.0f;
        creature->ApplyMonsterDamageScaling(value);
        EXPECT_FLOAT_EQ(value, c.result) << c.party;
    }
}
