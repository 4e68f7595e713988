// Inventory record: its golden header, a round trip through the controller's item factory, the
// two load modes, items the item table does not know, lying counts and short records; the copy.
#include "world/Inventory.h"

#include "world/InventoryTestSupport.h"

#include "support/ByteBuilder.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> Saved(Inventory& inventory, int32_t flag = 0)
{
    File file;
    file.CreateMemoryFile(0);
    inventory.Save(file, flag);
    return BytesOf(file);
}

void Load(Inventory& inventory, const std::vector<uint8_t>& bytes, bool replaceAll)
{
    File file;
    ByteBuilder{bytes}.Into(file);
    inventory.Load(file, -1, replaceAll, 0);
}

std::vector<std::string> Descs(Inventory& inventory)
{
    std::vector<std::string> descs;
    for (int32_t position = 0; position < inventory.GetCount(); position++)
        descs.push_back(inventory.GetItem(position)->m_Desc.c_str());
    return descs;
}

}  // namespace

TEST(InventoryRecordTest, SavesItsFieldsThenItsItems)
{
    ItemTestCtrl ctrl;
    Inventory inventory;
    inventory.SetLoadTotals(1.5f, 2.0f);
    inventory.SetLoadLimits(10.0f, -1.0f);
    inventory.SetMaxItems(12);
    inventory.SetType(1);
    inventory.AddItem(new TestItem("bolts", 3, 10));
    inventory.AddItem(QuestItem());
    delete inventory.GetItem(1);  // an entry without item has no record

    ByteBuilder golden;
    golden.F32s({1.5f, 2.0f, 10.0f, -1.0f}).I32(12).I32(1).I32(1);
    golden.Str("bolts").I32(3).I32(10).I32(0).I32(0).I32(-1).I32(7).Zeros(TestItem::kPadding);
    EXPECT_EQ(Saved(inventory, 7), golden.bytes);
}

TEST(InventoryRecordTest, RoundTripReplacesEverything)
{
    ItemTestCtrl ctrl;
    Inventory source;
    source.SetLoadLimits(5.0f, 6.0f);
    source.SetType(3);
    source.AddItem(new TestItem("bolts", 3, 10));
    source.AddItem(QuestItem("letter"));
    source.AddItem(Money(40));
    const std::vector<uint8_t> bytes = Saved(source);

    Inventory target;
    target.AddItem(QuestItem("old-letter"));
    target.SetGridSize(2, 2);
    Load(target, bytes, true);
    EXPECT_EQ(Descs(target), (std::vector<std::string>{"bolts", "letter", "gold"}));
    EXPECT_EQ(target.GetType(), 3);
    EXPECT_EQ(target.GetLoadLimit(1), 6.0f);
    EXPECT_TRUE(target.HasGrid());  // not part of the record
    EXPECT_EQ(static_cast<TestItem*>(target.GetItem(0))->loadedVersion, -1);
    EXPECT_EQ(Saved(target), bytes);
}

TEST(InventoryRecordTest, LoadingOverQuestItemsKeepsThoseHeld)
{
    ItemTestCtrl ctrl;
    Inventory source;
    source.AddItem(QuestItem("record-letter"));
    source.AddItem(new TestItem("bread"));
    const std::vector<uint8_t> bytes = Saved(source);

    Inventory held;
    held.AddItem(new TestItem("old-bread"));
    held.AddItem(QuestItem("held-letter"));
    Load(held, bytes, false);
    // The loaded bread takes the first free slot, which the dropped bread left.
    EXPECT_EQ(Descs(held), (std::vector<std::string>{"bread", "held-letter"}));
}

TEST(InventoryRecordTest, ItemsUnknownToTheItemTableAreDroppedWithAWarning)
{
    ItemTestCtrl ctrl;
    Inventory source;
    source.AddItem(new TestItem("known"));
    source.AddItem(new TestItem("retired"));
    const std::vector<uint8_t> bytes = Saved(source);

    ctrl.unknownItems.insert("retired");
    LogCapture log;
    Inventory target;
    Load(target, bytes, true);
    EXPECT_EQ(Descs(target), std::vector<std::string>{"known"});
    EXPECT_EQ(log.Count("item 'retired' is not in the item table; dropped"), 1);
}

TEST(InventoryRecordTest, DamagedRecordsFailCleanly)
{
    ItemTestCtrl ctrl;
    Inventory source;
    source.AddItem(new TestItem("bolts", 3, 10));
    const std::vector<uint8_t> bytes = Saved(source);
    const ByteBuilder header = ByteBuilder().F32s({0, 0, -1, -1}).I32(32).I32(5);

    struct Case {
        std::vector<uint8_t> bytes;
        const char* error;  // a part of the message
    } cases[] = {
        {ByteBuilder(header).I32(INT32_MIN + 1).bytes, "Inventory item count -2147483647 exceeds the 0 bytes left"},
        {ByteBuilder(header).I32(2).Append(bytes).bytes, "Inventory item count 2 exceeds"},  // one item's bytes
        {std::vector<uint8_t>(bytes.begin(), bytes.begin() + 27), "Inventory record cut short"},
        {std::vector<uint8_t>(bytes.begin(), bytes.end() - 1), "Test item cut short"},
    };
    for (const Case& c : cases) {
        Inventory target;
        const std::string error = ErrorOf([&] { Load(target, c.bytes, true); });
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
}

TEST(InventoryRecordTest, CopyMakesNewItemsAndKeepsTheOwner)
{
    ItemTestCtrl ctrl;
    CountingOwner owner;
    Inventory source;
    source.SetGridSize(4, 3);
    source.SetMaxItems(9);
    source.SetLoadTotals(2.0f, 3.0f);
    source.AddItem(new TestItem("bolts", 3, 10));
    source.AddItem(QuestItem());

    Inventory copy;
    copy.SetOwner(&owner);
    copy.AddItem(new TestItem("old"));
    copy.CopyFrom(source);
    EXPECT_EQ(copy.GetOwner(), &owner);
    EXPECT_EQ(source.GetOwner(), nullptr);
    EXPECT_EQ(Descs(copy), (std::vector<std::string>{"bolts", "letter"}));
    EXPECT_NE(copy.GetItem(0), source.GetItem(0));
    EXPECT_EQ(copy.GetItem(0)->m_Count, 3);
    int32_t width = 0, height = 0;
    copy.GetGridSize(width, height);
    EXPECT_EQ(width * 10 + height, 43);
    EXPECT_EQ(copy.GetMaxItems(), 9);
    EXPECT_EQ(copy.GetLoadTotal(1), 3.0f);

    ctrl.makeItem = nullptr;  // the factory gives none
    EXPECT_EQ(ErrorOf([&] { copy.CopyFrom(source); }), "Inventory::CopyFrom: no item could be made");
    const std::vector<uint8_t> bytes = Saved(source);
    EXPECT_EQ(ErrorOf([&] { Load(copy, bytes, true); }), "Inventory::Load: no item could be made");
}
