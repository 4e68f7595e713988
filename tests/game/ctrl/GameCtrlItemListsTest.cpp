// GameCtrl item lists: the lists of a level's item list file as the configuration reader counts
// them, items with their probabilities, comments, '#' inside a line, long names and the faults.
#include "game/ctrl/GameCtrl.h"

#include "GameCtrlListsTestSupport.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Entries = std::vector<std::pair<std::string, float>>;

Entries ListEntries(GameCtrl& ctrl, int32_t index)
{
    Entries entries;
    ItemList* list = ctrl.GetItemList(index);
    for (int32_t i = 0; list && i < list->entries.GetSize(); ++i) {
        const ItemListEntry* entry = list->entries.GetAt(i);
        entries.emplace_back(entry->name.c_str(), entry->probability);
    }
    return entries;
}

}  // namespace

TEST(GameCtrlItemListsTest, ListsAsTheReaderCountsThem)
{
    GameDir dir;
    CopyFixture(dir, "itemlists.cfg", "levels/items.cfg");
    ListTestCtrl ctrl(dir);
    LogCapture log;
    ctrl.LoadItemLists("levels\\items.cfg");
    EXPECT_EQ(log.Count("Warning"), 0);
    ASSERT_EQ(ctrl.GetNumItemLists(), 4);
    EXPECT_EQ(ListEntries(ctrl, 0), (Entries{{"Rifle", 0.75f}, {"Medkit", 0.125f}}));
    EXPECT_EQ(ListEntries(ctrl, 1), (Entries{{"Medkit", 0.5f}, {"Rifle", 0.25f}, {"Rifle", 1.5f}}));
    EXPECT_EQ(ListEntries(ctrl, 2), Entries{});
    EXPECT_EQ(ListEntries(ctrl, 3), (Entries{{"Rifle", 2.0f}}));
    EXPECT_EQ(ctrl.GetItemList(4), nullptr);

    ctrl.FreeItemLists();  // a level without "TreasureList"
    EXPECT_EQ(ctrl.GetNumItemLists(), 0);
    EXPECT_EQ(ctrl.GetItemList(0), nullptr);
}

TEST(GameCtrlItemListsTest, Faults)
{
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"; no list here\n\"Rifle\" 1\n", "No valid list! levels\\items.cfg"},
        {"", "No valid list! levels\\items.cfg"},
        {"#1\n\"Rifle\" 1\n\"Sword\" 1\n", "Unknown item 'Sword' in itemlist"},
        {"#1\n\"Rifle\"\n\"Medkit\" 1\n", "Missing probability entry for obj Rifle"},
        {"#1\n\"Rifle\" ;0.5\n", "Missing probability entry for obj Rifle"},
        {"#1\n\"Rifle\"\n#2\n", "Missing probability entry for obj Rifle"},
        {"#1\n\"Rifle\"", "Missing probability entry for obj Rifle"},
        {"#1\n{\n", "Unfinished block in file"},
    };
    for (const auto& c : cases) {
        GameDir dir;
        dir.Write("levels/items.cfg", c.text);
        ListTestCtrl ctrl(dir);
        dir.Write("levels/old.cfg", "#1\n\"Rifle\" 1\n");
        ctrl.LoadItemLists("levels\\old.cfg");
        const std::string error = ErrorOf([&] { ctrl.LoadItemLists("levels\\items.cfg"); });
        EXPECT_NE(error.find(c.error), std::string::npos) << c.text << " gave " << error;
        EXPECT_EQ(ctrl.GetNumItemLists(), 0) << c.text;  // the old lists are gone, no new ones stay
    }
    GameDir dir;
    ListTestCtrl ctrl(dir);
    EXPECT_NE(ErrorOf([&] { ctrl.LoadItemLists("levels\\gone.cfg"); }).find("Can not open"), std::string::npos);
}

TEST(GameCtrlItemListsTest, LongNameIsReportedAndSkipped)
{
    GameDir dir;
    const std::string longName(128, 'x');
    dir.Write("levels/items.cfg", "#1\n\"" + std::string(127, 'y') + "\" 1\n\"" + longName +
                                      "\" 2 \"Medkit\" 0.5\n");
    ListTestCtrl ctrl(dir);
    LogCapture log;
    EXPECT_EQ(ErrorOf([&] { ctrl.LoadItemLists("levels\\items.cfg"); }),
              "Unknown item '" + std::string(127, 'y') + "' in itemlist");  // 127 characters are a name

    dir.Write("levels/items.cfg", "#1\n\"" + longName + "\" 2 \"Medkit\" 0.5\n");
    EXPECT_EQ(ErrorOf([&] { ctrl.LoadItemLists("levels\\items.cfg"); }), "no error");
    EXPECT_EQ(log.Count("String too long (>127)"), 1);
    EXPECT_EQ(ListEntries(ctrl, 0), (Entries{{"Medkit", 0.5f}}));
}
