// Item_SF: the record round trip with socketed names, strategies and the extra value; strategies
// that no longer exist; the stream of version 270 without the extra value; damaged records; the
// socket count; the copy; the controller's item factory.
#include "scifi/objects/Item_SF.h"

#include "base/File.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "world/KI_Strategy.h"
#include "world/WorldCtrl.h"

#include "support/ByteBuilder.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// The game's controller whose world knows the named strategies.
std::unique_ptr<SciFiGameCtrl> CtrlWith(std::initializer_list<const char*> strategies)
{
    auto ctrl = std::make_unique<SciFiGameCtrl>();
    for (const char* name : strategies)
        ctrl->GetWorld().GetStrategyTree().Insert(String(name))->name = name;
    return ctrl;
}

KI_Strategy* Strategy(SciFiGameCtrl& ctrl, const char* name)
{
    return ctrl.GetWorld().FindStrategyEntry(name, false);
}

// An item with two socketed names, both strategies and an extra value.
void Fill(Item_SF& item, SciFiGameCtrl& ctrl)
{
    item.m_Desc = "rifle";
    item.m_ItemName = "DB:rifle";
    *item.GetSocketedNames().GetBySlot(item.GetSocketedNames().Add()) = "ruby";
    *item.GetSocketedNames().GetBySlot(item.GetSocketedNames().Add()) = "opal";
    item.GetStrategies().Add(Strategy(ctrl, "Slash"));
    item.GetStrategies().Add(Strategy(ctrl, "Burst"));
    item.m_Tier = 7;
}

std::vector<uint8_t> Saved(Item_SF& item, uint16_t version = Item_SF::kRecordVersion)
{
    File file;
    file.CreateMemoryFile(0);
    file.WriteInt16Value(version);
    item.Save(file, 0);
    return BytesOf(file);
}

// Loads the bytes (a version word first); the error text, "no error" when it loaded.
std::string Load(Item_SF& item, const std::vector<uint8_t>& bytes, int32_t* left = nullptr)
{
    File file;
    ByteBuilder{bytes}.Into(file);
    file.ReadInt16Member();
    const std::string error = ErrorOf([&] { item.Load(file, -1, 0); });
    if (left)
        *left = file.GetRemaining();
    return error;
}

std::vector<std::string> Names(Item_SF& item)
{
    std::vector<std::string> names;
    for (int32_t i = 0; i < item.GetSocketedNames().GetSize(); i++)
        names.push_back(item.GetSocketedNames().GetAt(i)->c_str());
    return names;
}

}  // namespace

TEST(Item_SFTest, RecordRoundTripsAndUnknownStrategiesAreSkippedWithAWarning)
{
    std::vector<uint8_t> bytes;
    {
        auto ctrl = CtrlWith({"Slash", "Burst"});
        Item_SF item;
        Fill(item, *ctrl);
        bytes = Saved(item);
        Item_SF again;
        int32_t left = -1;
        ASSERT_EQ(Load(again, bytes, &left), "no error");
        EXPECT_EQ(left, 0);
        EXPECT_EQ(Saved(again), bytes);
        EXPECT_EQ(Names(again), (std::vector<std::string>{"ruby", "opal"}));
        EXPECT_EQ(again.m_Tier, 7);
    }

    auto ctrl = CtrlWith({"Slash"});  // "Burst" is gone from the game
    LogCapture log;
    Item_SF item;
    ASSERT_EQ(Load(item, bytes), "no error");
    EXPECT_EQ(log.Count("Item load: strategy 'Burst' unknown"), 1);
    ASSERT_EQ(item.GetStrategies().GetSize(), 1);
    EXPECT_EQ(item.GetStrategies().GetAt(0), Strategy(*ctrl, "Slash"));
    EXPECT_EQ(item.m_Tier, 7);
}

TEST(Item_SFTest, StreamOfVersion270HoldsNoExtraValue)
{
    auto ctrl = CtrlWith({});
    Item_SF plain;
    plain.m_Desc = "bolts";
    // The engine's part at 270 lacks its last byte (the combine flag of 272).
    File file;
    file.CreateMemoryFile(0);
    file.WriteInt16Value(270);
    plain.ItemBase::Save(file, 0);
    std::vector<uint8_t> bytes = BytesOf(file);
    bytes.pop_back();
    bytes = ByteBuilder{bytes}.U16(1).Str("ruby").U16(0).bytes;

    Item_SF item;
    item.m_Tier = 9;
    int32_t left = -1;
    ASSERT_EQ(Load(item, bytes, &left), "no error");
    EXPECT_EQ(left, 0);
    EXPECT_EQ(item.m_Tier, 0);
    EXPECT_EQ(Names(item), std::vector<std::string>{"ruby"});
}

TEST(Item_SFTest, DamagedRecordsFailCleanly)
{
    auto ctrl = CtrlWith({"Slash", "Burst"});
    Item_SF item;
    Fill(item, *ctrl);
    const std::vector<uint8_t> whole = Saved(item);
    for (size_t size = 2; size < whole.size(); size++) {
        Item_SF cut;
        EXPECT_NE(Load(cut, std::vector<uint8_t>(whole.begin(), whole.begin() + long(size))), "no error") << size;
    }
    // Counts and lengths that the bytes left cannot hold.
    Item_SF bare;
    std::vector<uint8_t> engine = Saved(bare);
    engine.resize(engine.size() - 8);  // the three counts and the extra value of an empty item
    const std::vector<std::vector<uint8_t>> lying = {
        ByteBuilder{engine}.U16(0x7FFF).bytes,
        ByteBuilder{engine}.U16(1).I32(0x7FFFFFFF).bytes,
        ByteBuilder{engine}.U16(0).U16(0x7FFF).I32(0).bytes,
    };
    for (const std::vector<uint8_t>& bytes : lying) {
        Item_SF target;
        EXPECT_NE(Load(target, bytes), "no error");
    }
}

TEST(Item_SFTest, SocketCountIsTheSubtypeOfTheFirstSocketAbility)
{
    struct Case {
        std::vector<std::pair<int32_t, int32_t>> abilities;  // type, subtype
        int32_t sockets;
    };
    const Case cases[] = {
        {{}, 0},
        {{{7, 5}}, 0},
        {{{7, 5}, {Item_SF::kSocketAbility, 2}}, 2},
        {{{Item_SF::kSocketAbility, 3}, {Item_SF::kSocketAbility, 1}}, 3},
    };
    for (const Case& c : cases) {
        Item_SF item;
        for (const auto& [type, subtype] : c.abilities) {
            ItemAbility ability;
            ability.type = type;
            ability.subtype = subtype;
            item.AddAbility(ability, false);
        }
        EXPECT_EQ(item.GetSocketCount(), c.sockets);
    }
}

TEST(Item_SFTest, CopyAndTheControllersFactory)
{
    auto ctrl = CtrlWith({"Slash", "Burst"});
    std::unique_ptr<ItemBase> made(ctrl->CreateItem());
    auto* item = dynamic_cast<Item_SF*>(made.get());
    ASSERT_NE(item, nullptr);
    Fill(*item, *ctrl);

    std::unique_ptr<Item_SF> copy(item->CreateNew());
    item->CopyTo(copy.get());
    EXPECT_EQ(Saved(*copy), Saved(*item));
    EXPECT_EQ(copy->GetStrategies().GetAt(1), Strategy(*ctrl, "Burst"));  // the same strategy, not a copy

    ItemBase engine;  // an engine item takes the engine's part alone
    item->CopyTo(&engine);
    EXPECT_EQ(engine.m_Desc, String("rifle"));
}
