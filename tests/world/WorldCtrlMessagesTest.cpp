// WorldCtrl messages: text messages shown one after the other and extended by a repeated key,
// their texts from the controller's localised texts, log messages that stay twice their duration,
// and the translation of "SELECT" and "DB:" texts through the localisation database.
#include "world/WorldCtrl.h"

#include "base/LocalText.h"
#include "base/Utf8.h"

#include "world/WorldTestSupport.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

namespace {

class WorldCtrlMessagesTest : public ::testing::Test {
protected:
    // The keys of the text messages in the order they are shown, each with its time left.
    std::vector<std::pair<std::string, float>> Shown()
    {
        std::vector<std::pair<std::string, float>> shown;
        auto& list = world.GetTextMessages();
        for (int32_t i = 0; i < list.GetSize(); i++)
            shown.emplace_back(String(list.GetAt(i)->key).c_str(), list.GetAt(i)->time);
        return shown;
    }
    std::string NewestText()
    {
        auto& list = world.GetTextMessages();
        return String(list.GetAt(list.GetSize() - 1)->text).c_str();
    }
    std::vector<std::string> LogTexts()
    {
        std::vector<std::string> texts;
        auto& list = world.GetLogMessages();
        for (int32_t i = 0; i < list.GetSize(); i++)
            texts.push_back(String(list.GetAt(i)->text).c_str());
        return texts;
    }

    LevelTestCtrl ctrl;
    WorldCtrl world;
};

using Shown = std::vector<std::pair<std::string, float>>;

}  // namespace

TEST_F(WorldCtrlMessagesTest, TextMessagesAreShownOneAfterTheOther)
{
    world.ShowTextMessageByKey(2.0f, u"hello");
    world.ShowTextMessageByKey(5.0f, u"hello");  // the newest again: the larger time
    world.ShowTextMessageByKey(1.0f, u"hello");
    EXPECT_EQ(Shown(), (::Shown{{"hello", 5.0f}}));
    world.ShowTextMessageByKey(3.0f, u"bye");
    world.ShowTextMessageByKey(1.0f, u"hello");  // another key came between: a new entry
    EXPECT_EQ(Shown(), (::Shown{{"hello", 5.0f}, {"bye", 3.0f}, {"hello", 1.0f}}));

    world.UpdateTextMessages(4.0f);  // only the first counts down
    EXPECT_EQ(Shown(), (::Shown{{"hello", 1.0f}, {"bye", 3.0f}, {"hello", 1.0f}}));
    world.UpdateTextMessages(1.0f);
    EXPECT_EQ(Shown(), (::Shown{{"bye", 3.0f}, {"hello", 1.0f}}));
    world.UpdateTextMessages(3.5f);
    EXPECT_EQ(Shown(), (::Shown{{"hello", 1.0f}}));

    // A message added into a slot freed earlier still waits for the older ones.
    world.ClearMessages();
    for (const char16_t* key : {u"e", u"f", u"g"})
        world.ShowTextMessageByKey(1.0f, key);
    world.UpdateTextMessages(1.0f);
    world.ShowTextMessageByKey(1.0f, u"h");
    world.UpdateTextMessages(1.0f);
    EXPECT_EQ(Shown(), (::Shown{{"g", 1.0f}, {"h", 1.0f}}));

    std::u16string longText(1500, u'x');
    world.ShowTextMessage(2.0f, u"%s has %i", longText.c_str(), 5);
    EXPECT_EQ(String(world.GetTextMessages().GetAt(2)->key).TextLength(), WorldCtrl::kTextMessageChars - 1);
    world.ShowTextMessage(2.0f, u"%S has %i", "Hero", 5);
    EXPECT_EQ(Shown().back().first, "Hero has 5");
}

TEST_F(WorldCtrlMessagesTest, TextsOfTheKeys)
{
    ctrl.guiTexts["message/hello"] = "Hello there";
    ctrl.guiTexts["message/DB:direct"] = "never asked";
    ctrl.fieldTexts["Messages/content/DB:only"] = "Only in Messages";
    ctrl.fieldTexts["Messages/content/DB:direct"] = "Direct from Messages";
    const struct {
        const char16_t* key;
        const char* text;
    } cases[] = {
        {u"hello", "Hello there"},
        {u"only", "Only in Messages"},
        {u"DB:direct", "Direct from Messages"},
        {u"missing", "DB:missing"},  // what the controller left of the lookup
    };
    for (const auto& c : cases) {
        world.ShowTextMessageByKey(1.0f, c.key);
        EXPECT_EQ(NewestText(), c.text) << c.text;
        EXPECT_EQ(ctrl.processed.back(), c.text);  // the controller's hook saw every text
    }
}

TEST_F(WorldCtrlMessagesTest, LogMessages)
{
    ctrl.guiTexts["logmsg/GameSaved"] = "Game saved";
    world.AddLogMessage(u"Level up", 3.0f, false);
    EXPECT_EQ(world.GetLogMessages().GetAt(0)->time, 6.0f);
    world.UpdateLogMessages(5.9f);
    EXPECT_EQ(LogTexts(), std::vector<std::string>{"Level up"});
    world.UpdateLogMessages(0.2f);
    EXPECT_TRUE(LogTexts().empty());

    world.AddLogMessage(u"DB:GameSaved", 1.0f, false);
    world.AddLogMessage(u"DB:GameSaved", 1.0f, true);  // the same text is there
    world.AddLogMessage(u"Game saved", 1.0f, true);
    world.AddLogMessage(u"DB:Unknown", 1.0f, false);  // no GUI text: the text stays
    world.AddLogMessage(u"Game saved", 1.0f, false);
    EXPECT_EQ(LogTexts(), (std::vector<std::string>{"Game saved", "DB:Unknown", "Game saved"}));

    world.ShowTextMessageByKey(1.0f, u"hello");
    world.ClearMessages();
    EXPECT_TRUE(LogTexts().empty());
    EXPECT_TRUE(Shown().empty());
}

TEST_F(WorldCtrlMessagesTest, TranslateThroughTheDatabase)
{
    TempDir dir;
    const std::string path = dir / "localisation.db";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE Names (id TEXT, content TEXT);"
                           "INSERT INTO Names VALUES ('merchant', 'Jörg'), ('it''s', 'quoted');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    ASSERT_TRUE(LocalText::Get().Open(path.c_str()));
    const struct {
        const char* text;
        const char* translated;
    } cases[] = {
        {"DB:NamCon:merchant", "Jörg"},
        {"DB:NamCon:it's", "quoted"},
        {"DB:NamCon:nobody", "DB:NamCon:nobody"},  // nothing found: the text stays
        {"DB:Bogus:merchant", "DB:Bogus:merchant"},
        {"DB:merchant", "DB:merchant"},
        {"SELECT content FROM Names WHERE id='merchant'", "Jörg"},
        {"SELECT nonsense", "SELECT nonsense"},
        {"merchant", "merchant"},
        {"", ""},
    };
    for (const auto& c : cases) {
        wString text;
        ASSERT_TRUE(Utf8::ToUtf16(c.text, text));
        world.TranslateWString(text);
        String narrow;
        ASSERT_TRUE(Utf8::FromUtf16(text.c_str(), narrow));
        EXPECT_STREQ(narrow.c_str(), c.translated) << c.text;
    }
    EXPECT_EQ(ctrl.processed.size(), std::size(cases) - 1);  // every text but the empty one
    LocalText::Get().Close();
}
