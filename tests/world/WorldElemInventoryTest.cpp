// WorldElem inventory: a creature's inventory mode by its party, gold added in stacks (a stack
// size below 1 still ends, a refused stack takes back what the call added), gold paid out, an
// inventory dropped around the element, and the display name from the "Names" table.
#include "world/WorldElem.h"

#include "world/InventoryTestSupport.h"
#include "world/WorldTestSupport.h"

#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class WorldElemInventoryTest : public ::testing::Test {
protected:
    WorldElemInventoryTest()
    {
        ctrl.specialNames[0] = "coins";
        ctrl.itemTypes["coins"] = &coinType;
        coinType.moneyPerItem = 1;
    }

    // The stack counts of the inventory, in order.
    static std::vector<int32_t> Stacks(Inventory& inventory)
    {
        std::vector<int32_t> counts;
        for (int32_t i = 0; i < inventory.GetCount(); i++)
            counts.push_back(inventory.GetItem(i)->m_Count);
        return counts;
    }

    ItemTestCtrl ctrl;
    TestItem coinType{"coins", 1, 100};
};

}  // namespace

TEST_F(WorldElemInventoryTest, KindsAndModes)
{
    WorldElem chest;
    EXPECT_EQ(chest.GetInventoryType(), 0);
    EXPECT_EQ(chest.GetGold(), 0);
    EXPECT_EQ(chest.AddGold(10), 0);  // no inventory
    chest.CreateGridInventory(4, 3);
    EXPECT_EQ(chest.GetInventoryType(), 12);
    int32_t w = 0, h = 0;
    chest.m_Inventory->GetGridSize(w, h);
    EXPECT_EQ(w, 4);
    EXPECT_EQ(h, 3);
    EXPECT_EQ(chest.m_Inventory->GetOwner(), &chest);

    WorldElem hero;
    hero.m_TypeCode = ElemType::kCreature;
    hero.m_Party = 1;
    hero.CreateInventory(20);
    EXPECT_EQ(hero.m_Inventory->GetType(), 1);
    hero.m_Party = 3;
    hero.CreateInventory(20);  // the old one goes with its items
    EXPECT_EQ(hero.m_Inventory->GetType(), 2);
}

TEST_F(WorldElemInventoryTest, GoldInStacks)
{
    WorldElem hero;
    hero.CreateInventory(32);
    EXPECT_EQ(hero.AddGold(250), 1);
    EXPECT_EQ(Stacks(*hero.m_Inventory), (std::vector<int32_t>{100, 100, 50}));
    EXPECT_EQ(hero.GetGold(), 250);
    EXPECT_EQ(hero.AddGold(-120), 1);
    EXPECT_EQ(hero.GetGold(), 130);

    coinType.m_Pile = 0;  // a stack size of 0 counts as 1: the call ends (the inventory takes no such stack)
    WorldElem other;
    other.CreateInventory(32);
    EXPECT_EQ(other.AddGold(3), 0);
    EXPECT_EQ(other.GetGold(), 0);

    // Two entries at most: the third stack is refused and the call takes back what it added.
    coinType.m_Pile = 100;
    WorldElem small;
    small.CreateInventory(2);
    small.m_Inventory->AddItem(new TestItem("rope"));
    EXPECT_EQ(small.AddGold(40), 1);
    EXPECT_EQ(small.AddGold(150), 0);
    EXPECT_EQ(small.GetGold(), 40);

    ctrl.itemTypes.clear();
    EXPECT_NE(ErrorOf([&] { hero.AddGold(5); }).find("Gold coin item not found"), std::string::npos);
}

TEST_F(WorldElemInventoryTest, DroppedAroundTheElement)
{
    WorldElem crate;
    crate.m_Solid = 0;
    crate.CreateInventory(32);
    for (const char* desc : {"a", "b", "c", "d"})
        crate.m_Inventory->AddItem(new TestItem(desc));
    crate.DropInventory(10.0f, 0.0f);
    EXPECT_EQ(crate.m_Inventory->GetCount(), 0);
    ASSERT_EQ(ctrl.drops.size(), 4u);
    for (size_t i = 0; i < 4; i++) {
        EXPECT_EQ(ctrl.drops[i].distance, 30.0f);  // several items lie at least 30 out
        EXPECT_NEAR(ctrl.drops[i].angle, float(i) * 1.5707964f, 1e-5f);
        EXPECT_EQ(ctrl.drops[i].elem, &crate);
    }
    EXPECT_EQ(ctrl.droppedItems[2]->m_Desc.c_str(), std::string("c"));

    crate.m_Solid = 1;
    crate.m_BodyRadius = 8.0f;
    crate.m_Inventory->AddItem(new TestItem("e"));
    crate.DropInventory(10.0f, 0.5f);
    EXPECT_EQ(ctrl.drops.back().distance, 18.0f);  // one item: the body radius added, no spread
    EXPECT_EQ(ctrl.drops.back().angle, 0.5f);
}

TEST_F(WorldElemInventoryTest, DisplayNameFromTheNamesTable)
{
    WorldElem orc;
    EXPECT_EQ(String(orc.GetDisplayName()).c_str(), std::string("*nonmame*"));
    orc.SetName(wString("Orc_Chief"));
    EXPECT_EQ(String(orc.GetDisplayName()).c_str(), std::string("Orc_Chief"));  // not in the table
    ctrl.fieldTexts["Names/content/DB:Orc_Chief"] = "Chief of the Orcs";
    EXPECT_EQ(String(orc.GetDisplayName()).c_str(), std::string("Chief of the Orcs"));
}

// The script questions: nothing without an inventory; by desc with the container found; keys;
// a removal by name tells the owner; emptying destroys everything.
TEST_F(WorldElemInventoryTest, ScriptQuestions)
{
    CountingOwner owner;
    Inventory other;
    Inventory* container = &other;
    EXPECT_EQ(owner.RemoveItemsByName("apple", -1), 0);
    EXPECT_EQ(owner.FindItemByName("apple", &container), nullptr);
    EXPECT_EQ(container, nullptr);
    EXPECT_FALSE(owner.HasItem("apple"));
    EXPECT_EQ(owner.HasKey(3), nullptr);
    owner.ClearInventory(0);  // nothing to empty

    owner.CreateInventory(-1);
    auto* key = new TestItem("key");
    key->key = 3;
    owner.m_Inventory->AddItem(key);
    owner.m_Inventory->AddItem(new TestItem("apple", 5, 10));
    EXPECT_EQ(owner.FindItemByName("apple", &container)->m_Count, 5);
    EXPECT_EQ(container, owner.m_Inventory);
    EXPECT_TRUE(owner.HasItem("key"));
    EXPECT_EQ(owner.HasKey(3), key);
    EXPECT_EQ(owner.HasKey(4), nullptr);

    owner.changes = 0;
    EXPECT_EQ(owner.RemoveItemsByName("apple", 2), 2);
    EXPECT_GE(owner.changes, 1);
    EXPECT_EQ(owner.FindItemByName("apple", nullptr)->m_Count, 3);
    EXPECT_EQ(owner.RemoveItemsByName("apple", -1), 3);
    EXPECT_FALSE(owner.HasItem("apple"));
    owner.ClearInventory(1);
    EXPECT_EQ(owner.m_Inventory->GetCount(), 0);
}
