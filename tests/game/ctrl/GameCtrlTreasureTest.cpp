// GameCtrl treasure lists: the file-wide curves, each list's gold and might values, treasure lines
// by class or item name, and the faults that end the load.
#include "game/ctrl/GameCtrl.h"

#include "base/LocalText.h"

#include "GameCtrlListsTestSupport.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

using Entries = std::vector<std::tuple<std::string, int32_t, float>>;

Entries ListEntries(GameCtrl& ctrl, const char* name)
{
    Entries entries;
    TreasureList* list = ctrl.GetTreasureLists().Find(name);
    for (int32_t i = 0; list && i < list->entries.GetSize(); ++i) {
        const TreasureListEntry* entry = list->entries.GetAt(i);
        entries.emplace_back(entry->name.c_str(), entry->type, entry->probability);
    }
    return entries;
}

}  // namespace

TEST(GameCtrlTreasureTest, ListsAndCurves)
{
    GameDir dir;
    CopyFixture(dir, "treasure.cfg", "cfg/treasure.cfg");
    ListTestCtrl ctrl(dir);
    LogCapture log;
    ctrl.LoadTreasureLists("cfg\\treasure.cfg");
    EXPECT_EQ(log.Count("Warning"), 0);
    EXPECT_EQ(ctrl.GetMightProbFunct().GetNumKeys(), 2);
    ASSERT_EQ(ctrl.GetMonsterLevelMightFunct().GetNumKeys(), 2);
    EXPECT_FLOAT_EQ(ctrl.GetMonsterLevelMightFunct().GetKey(1).value, 4.0f);

    TreasureList* crate = ctrl.GetTreasureLists().Find("Crate");
    ASSERT_NE(crate, nullptr);
    EXPECT_EQ(crate->name, "Crate");
    EXPECT_FLOAT_EQ(crate->gold[0], 20.0f);
    EXPECT_FLOAT_EQ(crate->gold[1], 5.0f);
    EXPECT_FLOAT_EQ(crate->goldMight[0], 2.0f);
    EXPECT_FLOAT_EQ(crate->goldMight[1], 1.0f);
    EXPECT_FLOAT_EQ(crate->defaultMight, 3.0f);
    // A line before the first list belongs to it; "weapon" is a class and an item: the class
    // counts; an indented line is a treasure line too; a commented one is not.
    EXPECT_EQ(ListEntries(ctrl, "Crate"), (Entries{{"Medkit", -1, 0.1f},
                                              {"weapon", 0, 0.5f},
                                              {"Medkit", -1, 0.25f},
                                              {"Rifle", -1, 0.125f},
                                              {"Rifle", -1, 0.375f}}));

    TreasureList* boss = ctrl.GetTreasureLists().Find("boss");  // names match in any case
    ASSERT_NE(boss, nullptr);
    EXPECT_FLOAT_EQ(boss->gold[0], 1.0f);  // without "TreasureGold"
    EXPECT_FLOAT_EQ(boss->gold[1], 0.0f);
    EXPECT_FLOAT_EQ(boss->goldMight[0], 0.0f);
    EXPECT_FLOAT_EQ(boss->defaultMight, 1.0f);
    EXPECT_EQ(ListEntries(ctrl, "Boss"), (Entries{{"Medkit", -1, 1.0f}}));

    dir.Write("cfg/other.cfg", "#1\ndesc = \"Other\"\n\"gold\" 1\n");  // a new file empties the tree
    ctrl.LoadTreasureLists("cfg\\other.cfg");
    EXPECT_EQ(ctrl.GetTreasureLists().Find("Crate"), nullptr);
    EXPECT_EQ(ListEntries(ctrl, "Other"), (Entries{{"gold", 101, 1.0f}}));
    EXPECT_EQ(ctrl.GetMightProbFunct().GetNumKeys(), 0);

    ctrl.LoadTreasureLists("cfg\\gone.cfg");  // a file that is not there: no lists, no message
    EXPECT_TRUE(ctrl.GetTreasureLists().IsEmpty());
}

TEST(GameCtrlTreasureTest, Faults)
{
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"; nothing\n\"Rifle\" 1\n", "No valid list! cfg\\treasure.cfg"},
        {"#1\ndesc = \"A\"\n\"Sword\" 1\n", "Unknown treasure type 'Sword' in treasure list 'A'"},
        {"#1\ndesc = \"A\"\n\"Rifle\"\n", "Missing probability entry for treasure entry 'Rifle' in list 'A'"},
        {"#1\ndesc = \"A\"\n\"Rifle\" ; 1\n", "Missing probability entry for treasure entry 'Rifle' in list 'A'"},
        {"#1\ndesc = \"A\"\n\"Rifle 1\n", "Unknown treasure type 'Rifle 1' in treasure list 'A'"},
        {"#1\ndesc = \"A\n\"\n", "Error loading treasure list entry 'A'"},
        {"#1\ndesc = \"A\"\n#2\ndesc = \"B\n\"\n", "Error loading treasure list entry 'B'"},
        {"#1\ndesc = \"A\"\ndesc = \"C\n", "Error loading treasure list entry 'A'"},
        {"#1\n\"Rifle\" 1\n", "Empty name string"},
        {"#1\ndesc = \"A\"\n#2\n\"Rifle\" 1\n", "Invalid treasure list entry: 1"},
        {"#1\ndesc = \"A\"\n#2\ndesc = \"B\"\n#3\ndesc = \"a\"\n", "Treasure list 'a' not unique"},
        {"#1\ndesc = \"A\"\n##2\ndesc = \"A\"\n", "Treasure list 'A' not unique"},
        {"MightProbFunct = 1, 2, 3\n#1\ndesc = \"A\"\n", "Invalid 1-dim bezier spline (Treasure list)"},
    };
    for (const auto& c : cases) {
        GameDir dir;
        dir.Write("cfg/treasure.cfg", c.text);
        dir.Write("cfg/old.cfg", "#1\ndesc = \"Old\"\n");
        ListTestCtrl ctrl(dir);
        ctrl.LoadTreasureLists("cfg\\old.cfg");
        EXPECT_EQ(ErrorOf([&] { ctrl.LoadTreasureLists("cfg\\treasure.cfg"); }), c.error) << c.text;
        EXPECT_TRUE(ctrl.GetTreasureLists().IsEmpty()) << c.text;  // no list of either file stays
    }
}

TEST(GameCtrlTreasureTest, EngineKnowsNoTreasureClass)
{
    GameDir dir;
    dir.Write("cfg/treasure.cfg", "#1\ndesc = \"A\"\n\"weapon\" 1\n");
    WorldGameCtrl ctrl;
    EXPECT_EQ(ctrl.GetTreasureClass(String("weapon")), -1);
    EXPECT_EQ(ErrorOf([&] { ctrl.LoadTreasureLists("cfg\\treasure.cfg"); }),
              "Unknown treasure type 'weapon' in treasure list 'A'");  // the engine's item reader is empty
}

// The sample game's experience, treasure and level item lists load without a warning, against its
// items and the two treasure classes its lists name (the game's rules answer them); its
// localisation database holds the quests of the sample stories.
TEST(GameCtrlTreasureTest, SampleGameLoadsWithoutWarning)
{
    Log::Write("loading the sample game's lists");  // the log stays where the test started
    ScopedCurrentDir game(std::string(SERVER_FIXTURES) + "/../../gamedata");
    struct SampleClassesCtrl : WorldGameCtrl {
        int32_t GetTreasureClass(const String& name) override
        {
            return name == "gold" ? 101 : name == "weapon" ? 0 : -1;
        }
    } ctrl;
    ctrl.GetItemReader().SetDescKey("desc");
    ASSERT_EQ(ctrl.GetItemReader().Load("cfg\\items.cfg"), 0);
    LogCapture log;
    ctrl.LoadExperience();
    ctrl.LoadTreasureLists("cfg\\treasure.cfg");
    ctrl.LoadItemLists("levels\\sample\\itemlist.cfg");
    EXPECT_EQ(log.Count("Warning"), 0);
    EXPECT_EQ(log.Count("Error"), 0);
    EXPECT_EQ(ctrl.GetExperienceTable().GetSize(), 20);
    EXPECT_GT(ctrl.GetDeltaLevelXPFactorCurve().GetNumKeys(), 0);
    EXPECT_GT(ctrl.GetMonsterLevelMightFunct().GetNumKeys(), 0);
    ASSERT_NE(ctrl.GetTreasureLists().Find("Crate"), nullptr);
    EXPECT_EQ(ctrl.GetTreasureLists().Find("Crate")->entries.GetSize(), 3);
    EXPECT_EQ(ctrl.GetNumItemLists(), 2);

    LocalText database;
    ASSERT_TRUE(database.Open("lang\\english\\localisation.db"));
    for (const char* table : {"Gui", "Items", "Messages", "Names", "Other", "Skills", "Subtitles"}) {
        const std::string sql = std::string("SELECT count(*) FROM ") + table;
        EXPECT_EQ(database.RunQuery(sql.c_str(), 1), 1) << table;
    }
    ASSERT_EQ(database.RunQuery("SELECT content, info FROM Quests WHERE id=? AND value=2", {"q_first"}, 1), 1);
    ASSERT_EQ(database.GetResultRows().GetSize(), 2);
    EXPECT_TRUE(database.GetResultRows().GetAt(0)->text == u"Open the crate");
}
