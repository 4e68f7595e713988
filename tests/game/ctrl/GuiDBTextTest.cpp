// GuiDBText: interface texts by group and name and one field by id, the texts shown for missing
// ones, values that never change a query, and the world's texts checked against what the sqlite3
// tool selects from the same database.
#include "game/ctrl/GuiDBText.h"

#include "base/LocalText.h"
#include "base/Utf8.h"
#include "game/ctrl/GameCtrl.h"

#include "game/ctrl/GameCtrlTestSupport.h"

#include "support/ErrorOf.h"
#include "support/ScopedGfx.h"
#include "support/SqliteFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

TEST(GuiDBTextTest, FoundAndMissingTexts)
{
    LocalText::Get().Close();
    uint8_t found = 7;
    EXPECT_EQ(String(GetGuiDBText("logmsg", "nomana", &found)), "DBErr:logmsg,nomana");  // no database
    EXPECT_EQ(found, 0);

    TempDir dir;
    const std::string path = dir / "localisation.db";
    ASSERT_TRUE(WriteSqliteFile(path, "CREATE TABLE Gui (id TEXT, name TEXT, content TEXT);"
                                      "INSERT INTO Gui VALUES ('logmsg', 'nomana', 'No mana!'),"
                                      " ('other', 'nomana', 'x');"));
    ASSERT_TRUE(LocalText::Get().Open(path.c_str()));
    EXPECT_EQ(String(GetGuiDBText("logmsg", "nomana", &found)), "No mana!");
    EXPECT_EQ(found, 1);
    EXPECT_EQ(String(GetGuiDBText("logmsg", "killed")), "DBErr:logmsg,killed");
    // A missing name outside ASCII shows as it was written, not byte by byte.
    EXPECT_EQ(GetGuiDBText("logmsg", "Gr\xC3\xBC\xC3\x9F"), wString(u"DBErr:logmsg,Gr\u00FC\u00DF"));
    LocalText::Get().Close();
}

namespace {

bool HasSqliteTool() { return std::system("command -v sqlite3 >/dev/null 2>&1") == 0; }

// Runs SQL through the sqlite3 tool on the database; its first output line ("" for none).
std::string RunTool(const TempDir& dir, const std::string& db, const std::string& sql)
{
    std::ofstream(dir / "query.sql") << ".headers off\n.mode list\n" << sql << "\n";
    const std::string command = "sqlite3 -batch '" + db + "' < '" + dir / "query.sql" + "' > '" + dir / "out.txt" + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    const std::string out = dir.Read("out.txt");
    return out.substr(0, out.find('\n'));
}

std::string Narrow(const wString& text)
{
    String narrow;
    EXPECT_TRUE(Utf8::FromUtf16(text.c_str(), narrow));
    return narrow.c_str();
}

// A localisation database written by the sqlite3 tool, open while it lives.
class ToolDatabase {
public:
    ToolDatabase()
    {
        if (!HasSqliteTool())
            return;
        path = dir / "localisation.db";
        RunTool(dir, path,
                "CREATE TABLE Gui (id TEXT, name TEXT, content TEXT);"
                "CREATE TABLE Messages (id TEXT, content TEXT);"
                "INSERT INTO Gui VALUES ('message', 'hello', 'Hello there'), ('logmsg', 'GameSaved', 'Game saved'),"
                " ('message', 'it''s', 'GUI quote'), ('group''s', 'x', 'quoted group');"
                "INSERT INTO Messages VALUES ('DB:only', 'Only in Messages'), ('DB:it''s', 'Quoted key'),"
                " ('DB:empty', ''), ('DB:Jörg', 'Grüße');");
        open = LocalText::Get().Open(path.c_str());
    }
    ~ToolDatabase() { LocalText::Get().Close(); }

    TempDir dir;
    std::string path;
    bool open = false;
};

}  // namespace

TEST(GuiDBTextTest, WorldTextsAreWhatTheToolSelects)
{
    ToolDatabase db;
    if (!HasSqliteTool())
        GTEST_SKIP() << "sqlite3 command-line tool not installed";
    ASSERT_TRUE(db.open);
    GameCtrl ctrl;
    WorldCtrl& world = ctrl.GetWorld();
    const struct {
        const char16_t* key;
        const char* sql;
    } cases[] = {
        {u"hello", "SELECT content FROM Gui WHERE id='message' AND name='hello';"},
        {u"only", "SELECT content FROM Messages WHERE id='DB:only';"},
        {u"DB:it's", "SELECT content FROM Messages WHERE id='DB:it''s';"},
        {u"DB:Jörg", "SELECT content FROM Messages WHERE id='DB:Jörg';"},
    };
    for (const auto& c : cases) {
        world.ShowTextMessageByKey(1.0f, c.key);
        auto& list = world.GetTextMessages();
        EXPECT_EQ(Narrow(list.GetAt(list.GetSize() - 1)->text), RunTool(db.dir, db.path, c.sql)) << c.sql;
    }
    world.AddLogMessage(u"DB:GameSaved", 1.0f, false);
    EXPECT_EQ(Narrow(world.GetLogMessages().GetAt(0)->text),
              RunTool(db.dir, db.path, "SELECT content FROM Gui WHERE id='logmsg' AND name='GameSaved';"));
}

TEST(GuiDBTextTest, LookupsAreWhatTheToolSelects)
{
    ToolDatabase db;
    if (!HasSqliteTool())
        GTEST_SKIP() << "sqlite3 command-line tool not installed";
    ASSERT_TRUE(db.open);
    const struct {
        const char* group;
        const char* name;
        const char* sql;
    } gui[] = {
        {"message", "hello", "SELECT content FROM Gui WHERE id='message' AND name='hello';"},
        {"message", "it's", "SELECT content FROM Gui WHERE id='message' AND name='it''s';"},
        {"group's", "x", "SELECT content FROM Gui WHERE id='group''s' AND name='x';"},
    };
    for (const auto& c : gui)
        EXPECT_EQ(Narrow(GetGuiDBText(c.group, c.name)), RunTool(db.dir, db.path, c.sql)) << c.sql;
    const struct {
        const char16_t* text;
        const char* sql;
    } fields[] = {
        {u"only", "SELECT content FROM Messages WHERE id='DB:only';"},
        {u"DB:it's", "SELECT content FROM Messages WHERE id='DB:it''s';"},
        {u"DB:Jörg", "SELECT content FROM Messages WHERE id='DB:Jörg';"},
    };
    for (const auto& c : fields) {
        wString text = c.text;
        EXPECT_TRUE(DBGetField(text, "Messages", "content"));
        EXPECT_EQ(Narrow(text), RunTool(db.dir, db.path, c.sql)) << c.sql;
    }
}

TEST(GuiDBTextTest, ValuesNeverChangeTheQuery)
{
    ToolDatabase db;
    if (!HasSqliteTool())
        GTEST_SKIP() << "sqlite3 command-line tool not installed";
    ASSERT_TRUE(db.open);
    uint8_t found = 0;
    EXPECT_EQ(Narrow(GetGuiDBText("message", "it's", &found)), "GUI quote");
    EXPECT_EQ(found, 1);
    EXPECT_EQ(Narrow(GetGuiDBText("group's", "x")), "quoted group");
    EXPECT_EQ(Narrow(GetGuiDBText("message", "x' OR '1'='1", &found)), "DBErr:message,x' OR '1'='1");
    EXPECT_EQ(found, 0);

    const struct {
        const char16_t* text;
        const char* table;
        const char* field;
        bool result;
        const char* after;
    } cases[] = {
        {u"only", "Messages", "content", true, "Only in Messages"},  // looked up as "DB:only"
        {u"DB:only", "Messages", "content", true, "Only in Messages"},
        {u"it's", "Messages", "content", true, "Quoted key"},
        {u"DB:empty", "Messages", "content", false, ""},             // found, but empty
        {u"nothing", "Messages", "content", false, "nothing"},       // a plain key stays
        {u"DB:nothing", "Messages", "content", false, "DBErr:Messages,content='nothing'"},
        {u"DB:x' OR '1'='1", "Messages", "content", false, "DBErr:Messages,content='x' OR '1'='1'"},
        {u"DB:", "Messages", "content", false, "DB:"},               // fewer than 4 characters
        {u"only", "Messages; DROP TABLE Gui", "content", false, "only"},  // no name of the code
        {u"only", "Messages", "content FROM Gui --", false, "only"},
    };
    for (const auto& c : cases) {
        wString text = c.text;
        EXPECT_EQ(DBGetField(text, c.table, c.field), c.result) << c.after;
        EXPECT_EQ(Narrow(text), c.after);
    }
    EXPECT_EQ(RunTool(db.dir, db.path, "SELECT count(*) FROM Gui;"), "4");  // every table is still there
}

// The database of the language: "lang\\LANG\\localisation.db" or the configuration's file, its
// "LANG\\" the language directory; opened once into the list of used files.
TEST(GuiDBTextTest, OpenTheLanguagesDatabase)
{
    GameDir dir;
    ScopedGameConfig config;
    ScopedGfx gfx;
    FileList used;
    gfx.gfx.loadedFiles = &used;
    for (const char* folder : {"lang/english", "data/english"}) {
        std::filesystem::create_directories(dir(folder));
        const std::string file = std::string(folder) + (folder[0] == 'l' ? "/localisation.db" : "/texts.db");
        ASSERT_TRUE(WriteSqliteFile(dir(file), std::string("CREATE TABLE Gui (id TEXT, name TEXT, content TEXT);"
                                                           "INSERT INTO Gui VALUES ('x', 'where', '") +
                                                   folder + "');"));
    }
    const struct {
        const char* config;
        const char* result;  // the text found, or the error
    } cases[] = {
        {"langdir = \"english\"\n", "lang/english"},
        {"langdir = \"english\"\nDatabaseFile = \"data\\LANG\\texts.db\"\n", "data/english"},
        {"langdir = \"french\"\n", "Could not open database file lang\\french\\localisation.db"},
        {"langdir = \"english\"\n", "lang/english"},
    };
    for (const auto& c : cases) {
        config.Load(c.config);
        GameCtrl ctrl;
        const std::string error = ErrorOf([&] { ctrl.OpenLocalisationDB(); });
        if (error != "no error")
            EXPECT_NE(error.find(c.result), std::string::npos) << error;
        else
            EXPECT_EQ(String(GetGuiDBText("x", "where")), c.result) << c.config;
        LocalText::Get().Close();
    }
    ASSERT_EQ(used.GetCount(), 2);  // once each, though one was opened twice; the missing one not
    EXPECT_EQ(used.GetName(0), String("lang\\english\\localisation.db"));
    EXPECT_EQ(used.GetName(1), String("data\\english\\texts.db"));
}
