// Inventory removals: by position with every count rule and its notices, by slot, name and quest
// flag while entries go behind the walk, and paying money in whole items.
#include "world/Inventory.h"

#include "world/InventoryTestSupport.h"

#include "support/ErrorOf.h"

#include <gtest/gtest.h>

namespace {

// An inventory with an owner and stacks of the given counts (pile 100, descs s0, s1, ...).
struct Stocked {
    explicit Stocked(std::initializer_list<int32_t> counts)
    {
        inventory.SetOwner(&owner);
        int32_t i = 0;
        for (int32_t count : counts)
            inventory.AddItem(new TestItem(("s" + std::to_string(i++)).c_str(), count, 100));
        owner.changes = 0;
    }
    std::vector<int32_t> Counts()
    {
        std::vector<int32_t> counts;
        for (int32_t position = 0; position < inventory.GetCount(); position++)
            counts.push_back(inventory.GetItem(position)->m_Count);
        return counts;
    }

    ItemTestCtrl ctrl;
    CountingOwner owner;
    Inventory inventory;
};

}  // namespace

TEST(InventoryRemovalTest, RemoveItemByPosition)
{
    struct Case {
        int32_t count;
        int32_t removed;
        std::vector<int32_t> left;
        int32_t told;
    } cases[] = {
        {2, 2, {3, 7}, 1},      // part of the stack
        {0, 0, {5, 7}, 1},
        {5, 5, {7}, 1},         // exactly the stack
        {9, 5, {7}, 0},         // more than the stack: it goes, untold
        {-1, 5, {7}, 0},        // the whole stack, untold
        {-3, 0, {5, 7}, 0},     // a negative amount takes nothing and adds nothing
    };
    for (const Case& c : cases) {
        Stocked stock{5, 7};
        EXPECT_EQ(stock.inventory.RemoveItem(0, c.count, true), c.removed) << c.count;
        EXPECT_EQ(stock.Counts(), c.left) << c.count;
        EXPECT_EQ(stock.owner.changes, c.told) << c.count;
    }
}

TEST(InventoryRemovalTest, BadPositionsAndEmptyEntries)
{
    Stocked stock{5, 7};
    for (int32_t position : {2, -1, 1000})
        EXPECT_EQ(ErrorOf([&] { stock.inventory.RemoveItem(position, 1, true); }),
                  "invalid ItemListID in Inventory::RemoveItem")
            << position;
    EXPECT_EQ(stock.Counts(), (std::vector<int32_t>{5, 7}));

    // Kept but not destroyed; an entry whose item went elsewhere is dropped with 0.
    InventoryItem* kept = stock.inventory.GetItem(0);
    EXPECT_EQ(stock.inventory.RemoveItem(0, -1, false), 5);
    delete stock.inventory.GetItem(0);
    EXPECT_EQ(stock.inventory.GetCount(), 1);
    EXPECT_EQ(stock.inventory.RemoveItem(0, 1, true), 0);
    EXPECT_EQ(stock.inventory.GetCount(), 0);
    delete kept;

    EXPECT_EQ(ErrorOf([&] { stock.inventory.RemoveAt(3, true); }), "Can not delete object nr: 3");
}

TEST(InventoryRemovalTest, RemoveAtKeepsTheOtherSlots)
{
    Stocked stock{1, 2, 3};
    const int32_t lastSlot = stock.inventory.GetItemListID(2);
    stock.inventory.RemoveAt(stock.inventory.GetItemListID(1), true);
    EXPECT_EQ(stock.owner.changes, 1);
    EXPECT_EQ(stock.Counts(), (std::vector<int32_t>{1, 3}));
    EXPECT_EQ(stock.inventory.GetItemListID(1), lastSlot);  // the later entry moved down a position
}

TEST(InventoryRemovalTest, RemovalWalksVisitEveryEntry)
{
    ItemTestCtrl ctrl;
    CountingOwner owner;
    Inventory inventory;
    inventory.SetOwner(&owner);
    for (const char* desc : {"ammo", "ammo", "ammo"})  // unequal piles: three stacks
        inventory.AddItem(new TestItem(desc, 4, inventory.GetCount() + 5));
    inventory.AddItem(QuestItem("letter"));
    inventory.AddItem(QuestItem("map"));
    inventory.AddItem(new TestItem("bread"));

    EXPECT_EQ(inventory.RemoveItemsByName("ammo", 0, true), 1);  // nothing, and 1
    EXPECT_EQ(inventory.GetCount(), 6);
    EXPECT_EQ(inventory.RemoveItemsByName("ammo", 6, true), 6);  // 4 and 2 of the second
    EXPECT_EQ(inventory.FindItemByName("ammo"), inventory.GetItemListID(0));
    EXPECT_EQ(inventory.GetItem(0)->m_Count, 2);
    EXPECT_EQ(inventory.RemoveItemsByName("ammo", -1, true), 6);  // all the rest
    EXPECT_EQ(inventory.FindItemByName("ammo"), -1);
    EXPECT_EQ(inventory.RemoveQuestItems(), 2);
    EXPECT_EQ(inventory.GetCount(), 1);
    EXPECT_EQ(owner.changes, 6 + 3);  // six adds, then each removal walk that ran tells once
}

TEST(InventoryRemovalTest, PayingMoney)
{
    struct Case {
        int32_t amount;
        bool paid;
        std::vector<int32_t> left;  // counts of the two stacks left
    } cases[] = {
        {25, true, {15}},       // the first stack, then 15 items of the second
        {50, false, {10, 30}},  // 40 cannot pay 50: nothing is taken
        {40, true, {}},
        {10, true, {30}},       // the first stack exactly
        {0, true, {10, 30}},
        {-5, true, {10, 30}},   // a negative amount adds no money
    };
    for (const Case& c : cases) {
        ItemTestCtrl ctrl;
        Inventory inventory;
        TestItem* second = Money(30);
        second->m_Desc = "coins";
        inventory.AddItem(Money(10));
        inventory.AddItem(second);
        EXPECT_EQ(inventory.RemoveMoney(c.amount), c.paid) << c.amount;
        std::vector<int32_t> left;
        for (int32_t position = 0; position < inventory.GetCount(); position++)
            left.push_back(inventory.GetItem(position)->m_Count);
        EXPECT_EQ(left, c.left) << c.amount;
    }
}

TEST(InventoryRemovalTest, MoneyIsPaidInWholeItemsRoundedUp)
{
    ItemTestCtrl ctrl;
    Inventory inventory;
    inventory.AddItem(Money(3, 10));  // worth 30
    EXPECT_TRUE(inventory.RemoveMoney(15));
    EXPECT_EQ(inventory.GetItem(0)->m_Count, 1);  // two items pay 15
    EXPECT_TRUE(inventory.RemoveMoney(1));
    EXPECT_EQ(inventory.GetCount(), 0);  // a rest below one item's value still costs an item
}

TEST(InventoryRemovalTest, ErrorsWithoutAController)
{
    Inventory inventory;
    EXPECT_EQ(ErrorOf([&] { inventory.RemoveItem(0, 1, true); }), "invalid ItemListID in Inventory::RemoveItem");
}
