// GameCtrl stories: "cfg\stories.cfg" with quest texts from a database the test writes (a quest id
// holding a quote among them), the loader's errors, and SetStory / GetStory with the quest-stage
// rule, its events and the autosave request.
#include "game/ctrl/GameCtrl.h"

#include "base/GameOptions.h"
#include "base/LocalText.h"

#include "ScriptProbe.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"
#include "support/SqliteFile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A localisation database with Quests rows, open while it lives.
class QuestDatabase {
public:
    explicit QuestDatabase(const GameDir& dir)
    {
        const std::string path = dir / "localisation.db";
        EXPECT_TRUE(WriteSqliteFile(path, "CREATE TABLE Quests (id TEXT, value INTEGER, content TEXT, info TEXT);"
                                          "INSERT INTO Quests VALUES ('q.start', 1, 'Start content', 'Start info'),"
                                          "('it''s open', 3, 'Key content', 'Key info'), ('q.start', 2, 'Wrong', 'Wrong');"));
        EXPECT_TRUE(LocalText::Get().Open(path.c_str()));
    }
    ~QuestDatabase() { LocalText::Get().Close(); }
};

std::string Narrow(const wString& text) { return String(text).c_str(); }

}  // namespace

TEST(GameCtrlStoriesTest, StoriesWithTheirValuesAndQuests)
{
    GameDir dir;
    CopyFixture(dir, "stories.cfg", "cfg/stories.cfg");
    QuestDatabase database(dir);
    GameCtrl ctrl;
    ctrl.LoadStories();

    StoryVariable* main = ctrl.GetStories().Find("Main");
    ASSERT_NE(main, nullptr);
    EXPECT_STREQ(main->name.c_str(), "Main");
    EXPECT_STREQ(main->levelID.c_str(), "level01");
    EXPECT_EQ(main->values.GetSize(), 5);
    EXPECT_STREQ(main->values.GetAt(3)->text.c_str(), "found the key");
    ASSERT_EQ(main->quests.GetSize(), 3);
    const QuestInfo& start = *main->quests.GetAt(0);  // sorted by value
    EXPECT_EQ(start.value, 1);
    EXPECT_EQ(start.questEnd, 0);
    EXPECT_EQ(Narrow(start.content), "Start content");  // the row of its id and value
    EXPECT_EQ(Narrow(start.info), "Start info");
    const QuestInfo& key = *main->quests.GetAt(1);
    EXPECT_EQ(Narrow(key.id), "it's open");  // the quote neither breaks nor changes the query
    EXPECT_EQ(Narrow(key.content), "Key content");
    const QuestInfo& end = *main->quests.GetAt(2);
    EXPECT_EQ(end.value, 5);
    EXPECT_EQ(end.questEnd, 1);
    EXPECT_EQ(Narrow(end.content), "Plain end");  // no row: the next quoted string
    EXPECT_TRUE(end.info.IsEmpty());
    ASSERT_EQ(end.extraStrings.size(), 2u);
    EXPECT_EQ(Narrow(end.extraStrings[1]), "extra two");

    StoryVariable* side = ctrl.GetStories().Find("Side");
    ASSERT_NE(side, nullptr);
    EXPECT_TRUE(side->levelID.IsEmpty());
    EXPECT_EQ(side->quests.GetSize(), 0);
}

TEST(GameCtrlStoriesTest, LoaderErrors)
{
    GameDir dir;
    LocalText::Get().Close();  // without a database every quest takes its next quoted string
    GameCtrl ctrl;
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"; no entry at all\nvalue 1 \"x\"\nquest 1 \"q\"\n", "no error"},
        {"#\ndesc = \"A\"\n#\ndesc = \"A\"\n", "Story entry 'A' not unique"},
        {"#\ndesc = \"A\"\n#\nlevelID = \"x\"\n", "No valid desc entry in story.cfg, entry:1"},
        {"#\ndesc = \"A\"\nvalue x \"t\"\n", "Invalid 'value' entry in stories.cfg at line 3"},
        {"#\ndesc = \"A\"\nvalue 1 \"open\n", "Invalid 'value' entry in stories.cfg at line 3"},
        {"#\ndesc = \"A\"\nvalue 99999999999 \"t\"\n", "Invalid 'value' entry in stories.cfg at line 3"},
        {"#\ndesc = \"A\"\nquest 1\n", "Invalid 'quest' entry in stories.cfg at line 3"},
        {"#\ndesc = \"A\"\n\nquest 1 \"q\"\n", "Missing quest-info in stories.cfg at line 4\n(maybe invalid DB entry)"},
        {"#\ndesc = \"A\"\nquest 1 \"q\" \"info\"\n", "no error"},
    };
    for (const auto& test : cases) {
        Rewrite(dir, "cfg/stories.cfg", test.text, 0);
        EXPECT_EQ(ErrorOf([&] { ctrl.LoadStories(); }), test.error) << test.text;
        if (std::string(test.error) != "no error") {
            EXPECT_EQ(ctrl.GetStories().Find("A"), nullptr);  // a failed load leaves no story
        }
    }
    EXPECT_NE(ctrl.GetStories().Find("A"), nullptr);
    Rewrite(dir, "cfg/stories.cfg", "; no entry\n", 0);
    ctrl.LoadStories();
    EXPECT_EQ(ctrl.GetStories().Find("A"), nullptr);
}

class GameCtrlSetStoryTest : public ::testing::Test {
protected:
    GameCtrlSetStoryTest()
    {
        LocalText::Get().Close();
        dir.Write("cfg/stories.cfg",
                  "#\ndesc = \"Main\"\nvalue 0 \"a\"\nvalue 1 \"b\"\nvalue 2 \"c\"\nvalue 3 \"d\"\nvalue 5 \"e\"\n"
                  "quest 1 \"q1\" \"i\"\nquest 3 \"q3\" \"i\"\nquestend 5 \"q5\" \"i\"\n"
                  "#\ndesc = \"Never\"\nvalue 0 \"a\"\nvalue 4 \"b\"\nquest -1 \"q\" \"i\"\nquest -3 \"r\" \"i\"\n");
        ctrl.LoadStories();
    }

    GameDir dir;
    ProbeCtrl ctrl;
};

TEST_F(GameCtrlSetStoryTest, QuestEventsByStage)
{
    const struct {
        int32_t value;
        const char* sound;  // "" none
    } steps[] = {{1, "QuestReceived"}, {2, ""}, {3, "QuestUpdated"}, {5, "QuestSolved"}, {5, ""}};
    for (const auto& step : steps) {
        ctrl.sounds.clear();
        EXPECT_EQ(ctrl.SetStory("Main", step.value), 1);
        EXPECT_EQ(ctrl.GetStory("Main"), step.value);
        EXPECT_EQ(ctrl.sounds.empty() ? std::string() : ctrl.sounds[0], step.sound) << step.value;
    }
    EXPECT_GT(ctrl.GetWorld().GetTextMessages().GetSize(), 0);

    ctrl.sounds.clear();  // negative thresholds are never reached: no quest at any value
    EXPECT_EQ(ctrl.SetStory("Never", 4), 1);
    EXPECT_EQ(ctrl.SetStory("Never", 0), 1);
    EXPECT_TRUE(ctrl.sounds.empty());
    bool solved = false;
    EXPECT_EQ(ctrl.GetStories().Find("Never")->GetQuestStage(false, solved), -1);
}

// Outside a script the reports throw; the story keeps its value.
TEST_F(GameCtrlSetStoryTest, UnknownStoriesAndUndefinedValues)
{
    EXPECT_EQ(ErrorOf([&] { ctrl.SetStory("Main", 4); }), "Undefined value for story 'Main': 4");
    EXPECT_EQ(ctrl.GetStory("Main"), 0);
    EXPECT_EQ(ErrorOf([&] { ctrl.SetStory("Gone", 1); }), "Story 'Gone' undefined");
    EXPECT_EQ(ErrorOf([&] { ctrl.GetStory("Gone"); }), "Story 'Gone' undefined");
}

TEST_F(GameCtrlSetStoryTest, QuestChangeRequestsAnAutosaveAfterAMinute)
{
    const uint8_t autoSave = g_Options.autoSave;
    g_Options.autoSave = 1;
    ctrl.SetStory("Main", 1);
    EXPECT_FALSE(ctrl.IsAutoSaveRequested());  // less than 60 s since the last save
    ctrl.SetGameTime(61.0);
    ctrl.SetStory("Main", 2);  // the same stage: no request
    EXPECT_FALSE(ctrl.IsAutoSaveRequested());
    ctrl.SetStory("Main", 3);
    EXPECT_TRUE(ctrl.IsAutoSaveRequested());
    ctrl.OnAutoSaveDone();
    ctrl.SetStory("Main", 5);
    EXPECT_FALSE(ctrl.IsAutoSaveRequested());
    g_Options.autoSave = autoSave;
}

TEST(GameCtrlStoriesTest, SampleGameStoriesLoadWithoutAWarning)
{
    Log::Write("loading the sample stories");  // the log stays where the test started
    ScopedCurrentDir game(std::string(SERVER_FIXTURES) + "/../../gamedata");
    LocalText::Get().Close();
    GameCtrl ctrl;
    LogCapture log;
    ASSERT_EQ(ErrorOf([&] { ctrl.LoadStories(); }), "no error");
    EXPECT_EQ(log.Count("Warning"), 0);
    StoryVariable* crates = ctrl.GetStories().Find("Crate");
    ASSERT_NE(crates, nullptr);
    EXPECT_EQ(crates->quests.GetSize(), 3);
    EXPECT_NE(ctrl.GetStories().Find("Barrier"), nullptr);
}
