// Inventory: the capacity test with its entry maximum, stacks, free entries, load limits and the
// network server's exemption; adding into stacks, combined values and new entries; the grid.
#include "world/Inventory.h"

#include "world/InventoryTestSupport.h"

#include <gtest/gtest.h>

namespace {

// Adds items until one is refused; the slots given.
std::vector<int32_t> AddAll(Inventory& inventory, std::initializer_list<TestItem*> items)
{
    std::vector<int32_t> slots;
    for (TestItem* item : items) {
        const int32_t slot = inventory.AddItem(item);
        slots.push_back(slot);
        if (slot < 0)
            delete item;
    }
    return slots;
}

}  // namespace

TEST(InventoryTest, EntryMaximumAndStackRoom)
{
    ItemTestCtrl ctrl;
    Inventory inventory;
    EXPECT_EQ(inventory.GetMaxItems(), 32);
    for (int32_t i = 0; i < 31; i++)
        ASSERT_EQ(inventory.AddItem(new TestItem("single")), i);

    TestItem pile("bolts", 15, 10);  // 31 entries used, none of its kind
    EXPECT_EQ(inventory.GetAddableCount(pile), 10);
    TestItem few("bolts", 3, 10);
    EXPECT_EQ(inventory.GetAddableCount(few), 3);

    ASSERT_EQ(inventory.AddItem(new TestItem("single")), 31);
    EXPECT_EQ(inventory.GetAddableCount(pile), 0);
    EXPECT_EQ(AddAll(inventory, {new TestItem("single")}), std::vector<int32_t>{-1});  // the 33rd
    EXPECT_EQ(inventory.GetCount(), 32);

    inventory.SetMaxItems(-1);  // unlimited
    EXPECT_EQ(inventory.GetAddableCount(pile), 15);
}

TEST(InventoryTest, AddingFillsStacksThenAddsAnEntry)
{
    ItemTestCtrl ctrl;
    CountingOwner owner;
    Inventory inventory;
    inventory.SetOwner(&owner);
    TestItem* held = new TestItem("bolts", 8, 10);
    ASSERT_EQ(inventory.AddItem(held), 0);
    ASSERT_EQ(ctrl.itemsAdded.size(), 1u);
    EXPECT_EQ(ctrl.itemsAdded[0].first, &inventory);
    EXPECT_EQ(owner.changes, 1);

    TestItem* added = new TestItem("bolts", 7, 10);
    int32_t moved = 0;
    const int32_t slot = inventory.AddItem(added, &moved);
    EXPECT_EQ(slot, 1);  // the rest went into a new entry
    EXPECT_EQ(moved, 7);
    EXPECT_EQ(held->m_Count, 10);
    ASSERT_EQ(inventory.GetCount(), 2);
    EXPECT_EQ(inventory.GetItem(1), added);
    EXPECT_EQ(added->m_Count, 5);

    // Fits whole into the stack: the added item is destroyed, the stack's slot comes back.
    SmartPtr<InventoryItem> small(new TestItem("bolts", 4, 10));
    EXPECT_EQ(inventory.AddItem(small.Get(), &moved), 1);
    EXPECT_EQ(small.Get(), nullptr);
    EXPECT_EQ(moved, 4);
    EXPECT_EQ(added->m_Count, 9);
    EXPECT_EQ(ctrl.itemsAdded.size(), 2u);  // only new entries are announced
}

TEST(InventoryTest, UnitsMovedBeforeARefusalStayMovedAndAreReported)
{
    ItemTestCtrl ctrl;
    Inventory inventory;
    inventory.SetMaxItems(1);
    TestItem* held = new TestItem("bolts", 8, 10);
    ASSERT_EQ(inventory.AddItem(held), 0);

    TestItem rest("bolts", 7, 10);
    int32_t moved = -1;
    EXPECT_EQ(inventory.AddItem(&rest, &moved), -1);
    EXPECT_EQ(moved, 2);
    EXPECT_EQ(held->m_Count, 10);
    EXPECT_EQ(rest.m_Count, 5);  // 8 + 7 units: 10 held, 5 kept by the caller
    EXPECT_EQ(inventory.GetCount(), 1);
}

TEST(InventoryTest, ItemsWithManyUsesDoNotStack)
{
    ItemTestCtrl ctrl;
    Inventory inventory;
    ASSERT_EQ(inventory.AddItem(new TestItem("kit", 1, 5)), 0);
    TestItem* used = new TestItem("kit", 1, 5);
    used->m_Uses = 2;
    EXPECT_EQ(inventory.AddItem(used), 1);
    EXPECT_EQ(inventory.GetItem(0)->m_Count, 1);
}

TEST(InventoryTest, CombinedItemsMergeTheirValues)
{
    ItemTestCtrl ctrl;
    Inventory inventory;
    TestItem* first = new TestItem("gem-a");
    first->m_Combine = 1;
    first->m_BaseItem = "gem";
    first->m_Value.SetValue(2.0f);
    ASSERT_EQ(inventory.AddItem(first), 0);
    TestItem* second = new TestItem("gem-b");
    second->m_Combine = 1;
    second->m_BaseItem = "gem";
    second->m_Value.SetValue(3.5f);
    SmartPtr<InventoryItem> watch(second);
    EXPECT_EQ(inventory.AddItem(second), 0);
    EXPECT_EQ(watch.Get(), nullptr);  // destroyed
    EXPECT_EQ(inventory.GetCount(), 1);
    EXPECT_EQ(first->m_Value.GetRawValue(), 5.5f);
}

TEST(InventoryTest, QuestItemsAndMoneyTakeNoEntryInTypeOne)
{
    struct Case {
        int32_t type;
        std::vector<int32_t> slots;
    } cases[] = {
        {Inventory::kFreeEntryType, {0, 1, 2, 3, -1}},
        {Inventory::kDefaultType, {0, 1, -1, -1, -1}},
    };
    for (const Case& c : cases) {
        ItemTestCtrl ctrl;
        Inventory inventory;
        inventory.SetType(c.type);
        inventory.SetMaxItems(2);
        EXPECT_EQ(AddAll(inventory, {new TestItem("a"), Money(50), QuestItem(), new TestItem("b"), new TestItem("c")}),
                  c.slots)
            << "type " << c.type;
    }
}

TEST(InventoryTest, LoadLimitsAndTheNetworkServer)
{
    ItemTestCtrl ctrl;
    Inventory inventory;
    inventory.SetLoadLimits(10.0f, -1.0f);
    inventory.SetLoadTotals(9.5f, 100.0f);
    TestItem item("crate", 3, 5);
    EXPECT_EQ(inventory.GetAddableCount(item), 0);  // 9.5 + 1 above 10
    inventory.SetLoadTotals(9.0f, 100.0f);
    EXPECT_EQ(inventory.GetAddableCount(item), 3);  // at the limit; no limit B

    inventory.SetMaxItems(0);
    EXPECT_EQ(inventory.GetAddableCount(item), 0);
    ctrl.networkGameServer = true;  // the server admits every unit
    EXPECT_EQ(inventory.GetAddableCount(item), 3);
}

TEST(InventoryTest, GridPlacementRowByRow)
{
    ItemTestCtrl ctrl;
    Inventory inventory;
    inventory.SetGridSize(4, 2);
    TestItem* first = GridItem("plate-a", 2, 2);
    TestItem* second = GridItem("plate-b", 2, 2);
    EXPECT_EQ(AddAll(inventory, {first, second, GridItem("plate-c", 2, 2)}), (std::vector<int32_t>{0, 1, -1}));
    EXPECT_EQ(first->m_GridPos, 0);
    EXPECT_EQ(second->m_GridPos, 2);
    int32_t x = 0, y = 0;
    inventory.GetGridCell(*second, x, y);
    EXPECT_EQ(x, 2);
    EXPECT_EQ(y, 0);

    // Money and quest items take no cell in a grid.
    TestItem* gold = Money(5);
    gold->m_DimX = gold->m_DimY = 1;
    TestItem* letter = QuestItem();
    letter->m_DimX = letter->m_DimY = 1;
    EXPECT_EQ(AddAll(inventory, {gold, letter}), (std::vector<int32_t>{2, 3}));
    EXPECT_EQ(gold->m_GridPos, InventoryItem::kNoGridCell);
    EXPECT_EQ(letter->m_GridPos, InventoryItem::kNoGridCell);
}

TEST(InventoryTest, CellFilterAndFreePositions)
{
    ItemTestCtrl ctrl;
    Inventory inventory;
    inventory.SetGridSize(3, 3);
    inventory.SetCellFilter([](int32_t x, int32_t y) { return x == 0 && y == 0; });
    TestItem* wide = GridItem("rifle", 3, 1);
    ASSERT_EQ(inventory.AddItem(wide), 0);
    EXPECT_EQ(wide->m_GridPos, 3);  // row 0 is blocked at (0, 0)
    TestItem square("box");
    square.m_DimX = square.m_DimY = 2;
    EXPECT_EQ(inventory.FindFreeGridPosition(square, nullptr), -1);  // one row left
    EXPECT_EQ(inventory.FindFreeGridPosition(square, wide), 1);      // the rifle set aside
    square.m_DimX = 1;
    EXPECT_EQ(inventory.FindFreeGridPosition(square, nullptr), -1);
    square.m_DimY = 1;
    EXPECT_EQ(inventory.FindFreeGridPosition(square, nullptr), 1);
}

TEST(InventoryTest, LookupsByNameKeyAndMoney)
{
    ItemTestCtrl ctrl;
    Inventory inventory;
    TestItem* key = new TestItem("key");
    key->key = 7;
    TestItem* coins = Money(4, 5);
    coins->m_Desc = "coins";
    AddAll(inventory, {new TestItem(""), key, Money(30, 2), coins});
    EXPECT_EQ(inventory.FindItemByName("key"), 1);
    EXPECT_EQ(inventory.FindItemByName(nullptr), 0);  // an empty desc
    EXPECT_EQ(inventory.FindItemByName("nothing"), -1);
    EXPECT_EQ(inventory.HasKey(7), key);
    EXPECT_EQ(inventory.HasKey(8), nullptr);
    EXPECT_EQ(inventory.GetMoney(), 80);
    EXPECT_EQ(inventory.FindItem(key), 1);
    EXPECT_TRUE(inventory.IsValidSlot(3));
    EXPECT_FALSE(inventory.IsValidSlot(4));
    EXPECT_FALSE(inventory.IsValidSlot(-1));
}
