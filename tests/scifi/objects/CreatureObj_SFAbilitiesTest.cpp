// CreatureObj_SF item abilities: a used item's refills and base values, an equipped item's two
// passes over the effective values, and the abilities too small to show.
#include "scifi/objects/CreatureObj_SF.h"

#include "base/GameOptions.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "scifi/objects/Item_SF.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class CreatureObj_SFAbilitiesTest : public ::testing::Test {
protected:
    CreatureObj_SFAbilitiesTest()
    {
        creature.reset(dynamic_cast<CreatureObj_SF*>(ctrl.CreateCreature()));
        creature->m_Stats.canEquip = 1;
        creature->m_BaseValues.maxHealth = 100.0f;
        creature->m_BaseValues.maxMana = 20.0f;
        creature->m_BaseValues.maxShield = 20.0f;
        creature->UpdateValues(false);
        creature->m_Health = 10.0f;
        creature->m_Mana = 0.0f;
        creature->m_ShieldEnergy = 0.0f;
        if (!creature->m_Inventory)
            creature->CreateInventory(-1);
    }
    ~CreatureObj_SFAbilitiesTest() override { g_Options.attributeDisplayFactor = 1.0f; }

    // An item of one ability (type, integer field, value, second value), equipped in the body
    // slot or carried.
    Item_SF* Item(int32_t type, int32_t subtype, float value, float value2 = 0.0f)
    {
        auto* item = new Item_SF;
        item->m_Desc = "thing";
        item->m_EquipmentType = 2;
        ItemAbility ability;
        ability.type = type;
        ability.subtype = subtype;
        ability.value = value;
        ability.value2 = value2;
        item->AddAbility(ability, false);
        return item;
    }

    // The item carried and used as the engine uses items.
    void Use(Item_SF* item)
    {
        item->m_EquipmentType = CreatureObj_SF::kFirstNonEquipmentType;
        item->m_Uses = 1;
        const int32_t index = creature->m_Inventory->AddItem(item);
        ASSERT_GE(index, 0);
        creature->UseItem(creature->m_Inventory, index);
    }

    SciFiGameCtrl ctrl;
    std::unique_ptr<CreatureObj_SF> creature;
};

TEST_F(CreatureObj_SFAbilitiesTest, UsedPotionsRefillOverTheirTime)
{
    Use(Item(ItemAbility::kHealth, 50, 5.0f));  // "health = 50, 5"
    EXPECT_FLOAT_EQ(creature->m_HealthRefillRate, 10.0f);
    creature->Regenerate(1.0f);
    EXPECT_FLOAT_EQ(creature->GetHealth(), 20.0f);
    creature->Regenerate(4.0f);
    EXPECT_FLOAT_EQ(creature->GetHealth(), 60.0f);

    ASSERT_NE(creature->PutIntoInventory(Item(115, 0, 0.5f), 1), nullptr);  // half of mana into the shield
    EXPECT_FLOAT_EQ(creature->m_Modifiers.fillShieldInsteadOfMana, 0.5f);
    creature->m_Mana = 0.0f;
    creature->m_ShieldEnergy = 0.0f;
    Use(Item(ItemAbility::kMana, 10, 2.0f));
    EXPECT_FLOAT_EQ(creature->m_ShieldRefill, 5.0f);
    EXPECT_FLOAT_EQ(creature->m_ManaRefillLeft, 5.0f);
    Use(Item(ItemAbility::kManaFillRel, 0, 0.0f, 0.5f));  // half the maxima at once
    EXPECT_FLOAT_EQ(creature->m_ShieldEnergy, 5.0f);
    EXPECT_FLOAT_EQ(creature->GetMana(), 5.0f);
}

TEST_F(CreatureObj_SFAbilitiesTest, UsedUpgradesRaiseTheBaseValues)
{
    Use(Item(4, -1, 3.0f));  // both physical defences
    EXPECT_FLOAT_EQ(creature->m_BaseValues.defPhys[0], 3.0f);
    EXPECT_FLOAT_EQ(creature->m_BaseValues.defPhys[1], 3.0f);
    EXPECT_FLOAT_EQ(creature->m_Values.defPhys[1], 3.0f);
    Use(Item(ItemAbility::kHitPoints, 0, 25.0f));
    EXPECT_FLOAT_EQ(creature->GetMaxHealth(), 125.0f);
}

// Equipped: factors of the first pass reach amounts listed before them; an amount that shows as
// 0 is left out, one that shows as 1 counts as 1.
TEST_F(CreatureObj_SFAbilitiesTest, EquippedItemsInTwoPasses)
{
    Item_SF* gun = Item(1, 0, 10.0f);
    ItemAbility further;
    further.type = 117;
    further.value = 1.5f;
    gun->AddAbility(further, false);
    ItemAbility both;
    both.type = 4;
    both.subtype = -1;
    both.value = 2.0f;
    gun->AddAbility(both, false);
    ASSERT_NE(creature->PutIntoInventory(gun, 1), nullptr);
    EXPECT_FLOAT_EQ(creature->m_Values.damPhys[0], 15.0f);
    EXPECT_FLOAT_EQ(creature->m_Values.defPhys[0], 2.0f);
    EXPECT_FLOAT_EQ(creature->m_Values.defPhys[1], 2.0f);

    struct Case {
        float value;
        float maxHealth;
    };
    Item_SF* worn = gun;
    for (const Case& c : {Case{0.4f, 100.0f}, Case{0.6f, 101.0f}}) {
        ASSERT_EQ(creature->Unequip(2), 1);
        delete worn;
        worn = Item(ItemAbility::kHitPoints, 0, c.value);
        ASSERT_NE(creature->PutIntoInventory(worn, 1), nullptr);
        EXPECT_FLOAT_EQ(creature->GetMaxHealth(), c.maxHealth) << c.value;
    }
}

}  // namespace
