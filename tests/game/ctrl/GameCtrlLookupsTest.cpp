// GameCtrl lookups: values bound to game functions, copies that outlive a reload, the character
// entries with their classes, and indexed name lists.
#include "game/ctrl/GameCtrl.h"

#include "GameCtrlTestSupport.h"
#include "support/LogCapture.h"
#include "world/TransformableAttribute.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

namespace {

class LookupsTest : public ::testing::Test {
protected:
    LookupsTest() { CopyFixture(dir, "functions.cfg", "cfg/functions.cfg"); }

    GameDir dir;
};

}  // namespace

TEST_F(LookupsTest, AttributeFunctions)
{
    GameCtrl ctrl;
    struct Case {
        const char* text;
        bool read;
        float value;  // the attribute starts at 7
        const char* function;
        int warnings;
    };
    const Case cases[] = {
        {"hitp = 50\n", true, 50.0f, "", 0},
        {"hitp_func = \"linear\"\n", true, 7.0f, "linear", 0},
        {"hitp = 3\nhitp_func = \"Looped\"\n", true, 3.0f, "Looped", 0},
        {"hitp_func = \"nope\"\n", false, 7.0f, "", 1},
        {"hitp = 4\nhitp_func = \"nope\"\n", true, 4.0f, "", 1},
        {"hitp_func = \"\"\nother = 1\n", false, 7.0f, "", 0},
        {"hitpoints = 9\n", false, 7.0f, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        LogCapture log;
        ConfigFileReader reader;
        OpenText(reader, c.text);
        TransformableAttribute attribute(7.0f);
        EXPECT_EQ(ctrl.FindAttributeFunction(reader, attribute, "hitp", -1), c.read);
        EXPECT_FLOAT_EQ(attribute.GetRawValue(), c.value);
        EXPECT_STREQ(attribute.functionName.c_str(), c.function);
        EXPECT_EQ(log.Count("unknown attribute function 'nope'"), c.warnings);
    }

    // A pair: two numbers, and a name for each place.
    LogCapture log;
    ConfigFileReader reader;
    OpenText(reader, "dam = 2, 4\ndam_func = \"nope\", \"linear\"\n");
    AttributePair pair;
    EXPECT_TRUE(ctrl.FindAttributeFunctionPair(reader, pair, "dam", -1));
    EXPECT_FLOAT_EQ(pair.attributes[0].value, 2.0f);
    EXPECT_FLOAT_EQ(pair.attributes[1].value, 4.0f);
    EXPECT_TRUE(pair.attributes[0].functionName.IsEmpty());
    EXPECT_STREQ(pair.attributes[1].functionName.c_str(), "linear");
    EXPECT_EQ(log.Count("Warning:GameCtrl: unknown attribute function 'nope'"), 1);
}

TEST_F(LookupsTest, GameFunctionCopiesOutliveAReload)
{
    GameCtrl ctrl;
    LogCapture log;
    ConfigFileReader reader;
    OpenText(reader, "#1\nf = \"linear\"\n#2\nf = \"nope\"\n#3\nf = \"\"\n");
    GameFunction copy;
    EXPECT_TRUE(ctrl.FindGameFunction(reader, copy, "f", 0));
    EXPECT_FLOAT_EQ(copy.GetValue(5.0f), 50.0f);
    EXPECT_FALSE(ctrl.FindGameFunction(reader, copy, "f", 1));
    EXPECT_EQ(log.Count("Warning:GameCtrl: unknown game function 'nope'"), 1);
    EXPECT_FALSE(ctrl.FindGameFunction(reader, copy, "f", 2));  // empty: no message
    EXPECT_FALSE(ctrl.FindGameFunction(reader, copy, "g", 0));
    EXPECT_EQ(log.Count("unknown game function"), 1);

    dir.Write("cfg/functions.cfg", "#1\ndesc = \"other\"\nfunc = 0, 1\n");
    const auto path = std::filesystem::path(dir("cfg/functions.cfg"));
    std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::seconds(10));
    ctrl.LoadFunctions();
    ASSERT_EQ(ctrl.FindGameFunction("linear"), nullptr);
    EXPECT_STREQ(copy.name.c_str(), "linear");
    EXPECT_FLOAT_EQ(copy.GetValue(5.0f), 50.0f);
}

TEST_F(LookupsTest, CharacterEntriesAndTheirClasses)
{
    GameCtrl ctrl;
    dir.Write("cfg/3dCreatures.cfg",
              "#1\ndesc = \"ch_medic\"\nCharacterClass = 2\n#2\ndesc = \"ch_soldier\"\nCharacterClass = 4\n"
              "#3\ndesc = \"ch_scout\"\n");
    ConfigFileReader& creatures = ctrl.GetCreatureReader();
    creatures.SetDescKey("desc");
    ASSERT_EQ(creatures.Load("cfg\\3dCreatures.cfg"), 0);
    for (const char* id : {"ch_soldier", "ch_scout", "ch_ghost"})
        ctrl.GetCharacterEntries().push_back(CharacterEntry{id, "", -1});
    ctrl.LoadCharacterClasses();
    EXPECT_EQ(ctrl.GetCharacterEntries()[0].characterClass, 4);
    EXPECT_EQ(ctrl.GetCharacterEntries()[1].characterClass, 0);  // its entry lacks the key
    EXPECT_EQ(ctrl.GetCharacterEntries()[2].characterClass, 2);  // no entry: the first in the file

    // No player 2: the configuration this node announced for its own player.
    ctrl.SetPlayerCharacterID("ch_soldier");
    CharacterEntry entry = ctrl.GetPlayerCharacterEntry(2);
    EXPECT_STREQ(entry.configID.c_str(), "ch_soldier");
    EXPECT_EQ(entry.characterClass, 4);
    ctrl.SetPlayerCharacterID("ch_unknown");
    entry = ctrl.GetPlayerCharacterEntry(0);
    EXPECT_STREQ(entry.configID.c_str(), "ch_unknown");
    EXPECT_TRUE(entry.secondName.IsEmpty());
    EXPECT_EQ(entry.characterClass, -1);
    ctrl.SetPlayerCharacterID("");
    EXPECT_EQ(ctrl.GetPlayerCharacterEntry(0).characterClass, -1);  // an empty ID matches no named entry
}

TEST_F(LookupsTest, NameLists)
{
    GameCtrl ctrl;
    struct Case {
        const char* text;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"list = \"a\"\nlist1 = \"b\"\nlist3 = \"d\"\n", {"a", "b"}},
        {"list0 = \"z\"\nlist1 = \"\"\nlist2 = \"c\"\n", {"z", "c"}},
        {"list1 = \"b\"\nlist2 = \"c\"\nlist4 = \"e\"\n", {"b", "c"}},
        {"list = \"a\"\n", {"a"}},
        {"other = \"a\"\n", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ConfigFileReader reader;
        OpenText(reader, c.text);
        NameList list;
        ctrl.ReadNameList("list", list, reader, -1);
        ASSERT_EQ(list.GetSize(), int32_t(c.names.size()));
        for (int32_t i = 0; i < list.GetSize(); ++i) {
            EXPECT_STREQ(list.GetAt(i)->name.c_str(), c.names[size_t(i)].c_str());
            EXPECT_EQ(list.GetAt(i)->id, -1);
        }
    }
}
