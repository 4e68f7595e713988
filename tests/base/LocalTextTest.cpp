// LocalTextTest: lookups against a localisation database built here from SQL text, checked
// against the sqlite3 command-line tool where it is installed.
#include "base/LocalText.h"

#include "base/ErrorClass.h"
#include "base/Utf8.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

const char* kFixtureSql = R"SQL(
CREATE TABLE Gui (id TEXT, content TEXT, name TEXT);
CREATE TABLE Items (id TEXT, content TEXT);
CREATE TABLE Messages (id TEXT, content TEXT, audio TEXT);
CREATE TABLE Names (id TEXT, content TEXT);
CREATE TABLE Other (id TEXT, content TEXT);
CREATE TABLE Quests (id TEXT, value INTEGER, content TEXT, info TEXT);
CREATE TABLE Skills (id TEXT, content TEXT, info TEXT);
INSERT INTO Gui VALUES ('ok', 'OK', 'button'), ('cancel', 'Abbrechen', NULL);
INSERT INTO Items VALUES ('sword', 'Schwert der Flüsse'), ('empty', NULL);
INSERT INTO Messages VALUES ('hello', 'Grüße, Reisender!', 'speech\hello.ogg');
INSERT INTO Names VALUES ('merchant', 'Händler Jörg'), ('twin', 'First twin'), ('twin', 'Second twin'),
                         ('emoji', '😀 smile'), ('it''s', 'quoted id');
INSERT INTO Other VALUES ('intro', '日本語テキスト'), ('broken', CAST(X'C328' AS TEXT));
INSERT INTO Quests VALUES ('q1', 1, 'Find the key', 'The key lies in the cellar'),
                          ('q1', 2, 'Open the door', 'Use the key');
INSERT INTO Skills VALUES ('heal', 'Heilung', 'Restores health');
)SQL";

std::string Narrow(const wString& w)
{
    String s;
    EXPECT_TRUE(Utf8::FromUtf16(w.c_str(), s));
    return s.c_str();
}

class LocalTextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(tmp.Path() / "lang/english");
        dbPath = tmp / "lang/english/localisation.db";
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(dbPath.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, kFixtureSql, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
        ScopedCurrentDir cd(tmp.Path());
        ASSERT_TRUE(text.Open("lang\\ENGLISH\\Localisation.db"));  // a game name, any case
    }

    TempDir tmp;
    std::string dbPath;
    LocalText text;
};

}  // namespace

TEST_F(LocalTextTest, LookupReplacesReferences)
{
    struct Case {
        const char* input;
        const char* expected;
    } cases[] = {
        {"DB_NamCon:merchant", "Händler Jörg"},
        {"DB_NamCon:nobody", "DBError: entry not found"},
        {"DB_NamCon:twin", "First twin"},
        {"DB_NamCon:emoji", "😀 smile"},
        {"DB_NamCon:it's", "quoted id"},
        {"DB_OthCon:intro", "日本語テキスト"},
        {"DB_ItmCon:sword", "Schwert der Flüsse"},
        {"DB_ItmCon:empty", ""},  // NULL
        {"DB_MsgCon:hello", "Grüße, Reisender!"},
        {"DB_MsgAud:hello", "speech\\hello.ogg"},
        {"DB_QstCon:q1,2", "Open the door"},
        {"DB_QstInf:q1,1", "The key lies in the cellar"},
        {"DB_QstCon:q1", "DBError"},  // no value
        {"DB_QstCon:q1, 2", "Open the door"},  // blanks around a number, as SQL reads it
        {"DB_QstCon:q1, ", "DBError"},
        {"DB_SklInf:heal", "Restores health"},
        {"DB_Bogus:x", "DBError"},
        {"Talk to 'DB_NamCon:merchant' now.", "Talk to Händler Jörg now."},
        {"Say \"DB_GuiCon:ok\" or 'DB_GuiCon:cancel'.", "Say OK or Abbrechen."},
        {"A 'DB_Bogus:x' here", "A DBError here"},
        {"Who is 'DB_NamCon:nobody'?", "Who is DBError: entry not found?"},
        {"'DB_SklCon:heal' first", "Heilung first"},
        {"Open 'DB_NamCon:merchant and more", "Open 'DB_NamCon:merchant and more"},
        {"X 'DB_GuiCon:ok' 'DB_NamCon:merchant", "X OK 'DB_NamCon:merchant"},
        {"Empty 'DB_NamCon:' id", "Empty 'DB_NamCon:' id"},
        {"No colon 'DB_NamCon' here", "No colon 'DB_NamCon' here"},
        {"short", "short"},
        {"DB_N:", "DB_N:"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Narrow(text.Lookup(c.input)), c.expected) << c.input;
}

TEST_F(LocalTextTest, IdsCannotChangeTheQuery)
{
    const char* cases[] = {
        "DB_NamCon:x' OR '1'='1",
        "DB_NamCon:x'; DROP TABLE Names; --",
        "Say 'DB_NamCon:x\" OR 1=1 --\"' now",
    };
    EXPECT_EQ(Narrow(text.Lookup(cases[0])), "DBError: entry not found");
    EXPECT_EQ(Narrow(text.Lookup(cases[1])), "DBError: entry not found");
    EXPECT_EQ(Narrow(text.Lookup(cases[2])), "Say DBError: entry not found OR 1=1 --\"' now");
    // An unquoted part must be a number.
    EXPECT_EQ(Narrow(text.Lookup("DB_QstCon:q1,1 OR 1=1")), "DBError");
    EXPECT_EQ(Narrow(text.Lookup("DB_QstCon:q1,2")), "Open the door");
    EXPECT_EQ(Narrow(text.Lookup("DB_NamCon:merchant")), "Händler Jörg");  // the table is still there
}

TEST_F(LocalTextTest, RunQueryRowsAndResults)
{
    EXPECT_EQ(text.RunQuery("SELECT content FROM Names WHERE id='twin'", 2), 1);
    ASSERT_EQ(text.GetResultRows().GetSize(), 1);
    EXPECT_EQ(Narrow(text.GetResultRows().GetAt(0)->text), "Second twin");
    EXPECT_STREQ(text.GetResultRows().GetAt(0)->name.c_str(), "content");

    EXPECT_EQ(text.RunQuery("SELECT content FROM Names WHERE id='twin'", 3), -1);
    EXPECT_EQ(Narrow(text.GetResultRows().GetAt(0)->text), "DBError: entry not found");
    EXPECT_STREQ(text.GetResultRows().GetAt(0)->name.c_str(), "string");

    EXPECT_EQ(text.RunQuery("SELECT nonsense FROM Nowhere", 1), 0);
    EXPECT_EQ(Narrow(text.GetResultRows().GetAt(0)->text), "DBError");

    EXPECT_EQ(text.RunQuery("SELECT id, content, name FROM Gui WHERE id='cancel'", 1), 1);
    ASSERT_EQ(text.GetResultRows().GetSize(), 3);
    EXPECT_STREQ(text.GetResultRows().GetAt(2)->name.c_str(), "name");
    EXPECT_EQ(Narrow(text.GetResultRows().GetAt(2)->text), "");
}

TEST_F(LocalTextTest, QueryAndTemplates)
{
    DBRows rows;
    EXPECT_EQ(text.Query("plain text", rows, "SELECT content FROM Names WHERE id='%s'"), 0);
    ASSERT_EQ(rows.GetSize(), 1);
    EXPECT_STREQ(rows.GetAt(0)->name.c_str(), "string");
    EXPECT_EQ(Narrow(rows.GetAt(0)->text), "plain text");

    EXPECT_EQ(text.Query("DB:merchant", rows, "SELECT content FROM Names WHERE id='%s'"), 1);
    ASSERT_EQ(rows.GetSize(), 1);
    EXPECT_EQ(Narrow(rows.GetAt(0)->text), "Händler Jörg");

    EXPECT_EQ(text.Query("DB:hello", rows, "SELECT content, audio FROM Messages WHERE id='%s'"), 1);
    ASSERT_EQ(rows.GetSize(), 2);
    EXPECT_STREQ(rows.GetAt(1)->name.c_str(), "audio");

    EXPECT_EQ(text.QueryWithTemplate("DB:q1,1", rows, "SELECT info FROM Quests WHERE id='%s' AND value=%s"), 1);
    EXPECT_EQ(Narrow(rows.GetAt(0)->text), "The key lies in the cellar");
    EXPECT_EQ(text.QueryWithTemplate("DB:q1,x", rows, "SELECT info FROM Quests WHERE id='%s' AND value=%s"), 0);
    EXPECT_EQ(Narrow(rows.GetAt(0)->text), "DBError");
    EXPECT_EQ(text.QueryWithTemplate("DB:none", rows, "SELECT content FROM Names WHERE id='%s'"), -1);
    EXPECT_EQ(text.QueryWithTemplate("DB:", rows, "SELECT count(*) FROM Names"), 1);
    EXPECT_EQ(Narrow(rows.GetAt(0)->text), "5");
    EXPECT_EQ(text.QueryWithTemplate("DB:a,b,c,d,e,f,g", rows, "%s %s %s %s %s %s %s"), 0);
    EXPECT_EQ(Narrow(rows.GetAt(0)->text), "DBError");
}

TEST_F(LocalTextTest, BoundValuesAndWholeTextLookups)
{
    const char* byId = "SELECT content FROM Names WHERE id=?";
    EXPECT_EQ(text.RunQuery(byId, {"it's"}, 1), 1);
    EXPECT_EQ(Narrow(text.GetResultRows().GetAt(0)->text), "quoted id");
    EXPECT_EQ(text.RunQuery(byId, {"x' OR '1'='1"}, 1), -1);
    EXPECT_EQ(text.RunQuery(byId, {"twin"}, 2), 1);
    EXPECT_EQ(Narrow(text.GetResultRows().GetAt(0)->text), "Second twin");
    EXPECT_EQ(text.RunQuery(byId, {}, 1), 0);  // a parameter without its value
    EXPECT_EQ(text.RunQuery("SELECT content FROM Names WHERE id='twin'; DROP TABLE Names", 1), 1);  // the first only
    EXPECT_EQ(text.RunQuery("SELECT count(*) FROM Names", 1), 1);
    EXPECT_EQ(Narrow(text.GetResultRows().GetAt(0)->text), "5");

    DBRows rows;  // a placeholder within a longer literal of a template is refused
    EXPECT_EQ(text.QueryWithTemplate("DB:merchant", rows, "SELECT content FROM Names WHERE id='x%s'"), 0);
    EXPECT_EQ(
        text.QueryWithTemplate("DB:merchant", rows, "SELECT content FROM Names WHERE id='%s' AND 'a%%'='a%%'"), 1);

    const struct {
        const char* input;
        bool found;
        const char* output;
    } cases[] = {
        {"DB:NamCon:merchant", true, "Händler Jörg"},
        {"DB:QstCon:q1,2", true, "Open the door"},
        {"DB:NamCon:it's", true, "quoted id"},
        {"SELECT content FROM Items WHERE id='sword'", true, "Schwert der Flüsse"},
        {"DB:NamCon:nobody", false, "kept"},
        {"DB:NamCon:", false, "kept"},
        {"DB:merchant", false, "kept"},
        {"DB:Bogus:merchant", false, "kept"},
        {"SELECT nonsense", false, "kept"},
        {"merchant", false, "kept"},
        {nullptr, false, "kept"},
    };
    for (const auto& c : cases) {
        wString out = u"kept";
        EXPECT_EQ(text.Translate(c.input, out), c.found) << (c.input ? c.input : "null");
        EXPECT_EQ(Narrow(out), c.output);
    }
}

TEST(LocalTextSplitKeyTest, Table)
{
    struct Case {
        const char* key;
        int32_t count;
        const char* parts[LocalText::kMaxKeyParts];
    } cases[] = {
        {"DB:a,b,c", 3, {"a", "b", "c"}},
        {"DB:a,b,c", 2, {"a", "b,c"}},
        {"DB:a", 3, {"a", "", ""}},
        {"DBx:a,b", 2, {"a", "b"}},
        {"plain,key", 2, {"plain", "key"}},
        {"DB:,b", 2, {"", "b"}},
        {"DB:a,b,c,d,e,f,g", 6, {"a", "b", "c", "d", "e", "f,g"}},
    };
    for (const Case& c : cases) {
        String parts[LocalText::kMaxKeyParts];
        for (String& p : parts)
            p = "stale";
        LocalText::SplitKey(c.key, c.count, parts);
        for (int32_t i = 0; i < c.count; ++i)
            EXPECT_STREQ(parts[i].c_str(), c.parts[i]) << c.key << " part " << i;
    }
}

TEST_F(LocalTextTest, BadUtf8IsReportedAfterTheQuery)
{
    try {
        text.Lookup("DB_OthCon:broken");
        FAIL() << "no error";
    } catch (const ErrorMsg& e) {
        EXPECT_STREQ(e.message, "Could not convert string");
    }
    EXPECT_EQ(Narrow(text.Lookup("DB_OthCon:intro")), "日本語テキスト");
}

TEST(LocalTextClosedTest, NotOpenAndMissingFile)
{
    TempDir tmp;
    LocalText text;
    EXPECT_FALSE(text.IsOpen());
    EXPECT_EQ(Narrow(text.Lookup("DB_NamCon:merchant")), "DBError");
    EXPECT_EQ(Narrow(text.Lookup("Hi 'DB_NamCon:merchant'")), "Hi DBError");
    EXPECT_EQ(text.RunQuery("SELECT 1", 1), 0);
    EXPECT_FALSE(text.Open((tmp / "missing.db").c_str()));
    EXPECT_FALSE(std::filesystem::exists(tmp.Path() / "missing.db"));  // not created
    EXPECT_FALSE(text.IsOpen());
}

TEST_F(LocalTextTest, AgreesWithTheCommandLineTool)
{
    if (std::system("command -v sqlite3 >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "sqlite3 command-line tool not installed";
    struct Case {
        const char* reference;
        const char* sql;
    } cases[] = {
        {"DB_NamCon:merchant", "SELECT content FROM Names WHERE id='merchant'"},
        {"DB_NamCon:twin", "SELECT content FROM Names WHERE id='twin'"},
        {"DB_NamCon:emoji", "SELECT content FROM Names WHERE id='emoji'"},
        {"DB_NamCon:nobody", "SELECT content FROM Names WHERE id='nobody'"},
        {"DB_OthCon:intro", "SELECT content FROM Other WHERE id='intro'"},
        {"DB_ItmCon:sword", "SELECT content FROM Items WHERE id='sword'"},
        {"DB_ItmCon:empty", "SELECT content FROM Items WHERE id='empty'"},
        {"DB_MsgCon:hello", "SELECT content FROM Messages WHERE id='hello'"},
        {"DB_MsgAud:hello", "SELECT audio FROM Messages WHERE id='hello'"},
        {"DB_GuiCon:cancel", "SELECT content FROM Gui WHERE id='cancel'"},
        {"DB_QstCon:q1,2", "SELECT content FROM Quests WHERE id='q1' AND value=2"},
        {"DB_QstInf:q1,1", "SELECT info FROM Quests WHERE id='q1' AND value=1"},
        {"DB_SklCon:heal", "SELECT content FROM Skills WHERE id='heal'"},
        {"DB_SklInf:heal", "SELECT info FROM Skills WHERE id='heal'"},
    };
    std::string sqlFile = tmp / "query.sql";
    std::string outFile = tmp / "out.txt";
    for (const Case& c : cases) {
        std::ofstream(sqlFile) << ".headers off\n.mode list\n" << c.sql << ";\n";
        std::string command = "sqlite3 -batch '" + dbPath + "' < '" + sqlFile + "' > '" + outFile + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        std::string out = tmp.Read("out.txt");
        std::string expected = out.empty() ? "DBError: entry not found" : out.substr(0, out.find('\n'));
        EXPECT_EQ(Narrow(text.Lookup(c.reference)), expected) << c.reference;
    }
}

TEST_F(LocalTextTest, RandomTextsNeverBreakTheScanner)
{
    const char* pieces[] = {"DB_", "'", "\"", ":", "NamCon", "QstCon", "merchant", "q1", ",", "2",
                            " ", "x", "DB", "_", "\xC3\xA4", "%s", "%%", ";--"};
    uint32_t seed = 12345;
    auto next = [&seed]() { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    for (int round = 0; round < 3000; ++round) {
        std::string input;
        int count = int(next() % 12);
        for (int i = 0; i < count; ++i)
            input += pieces[next() % (sizeof pieces / sizeof pieces[0])];
        wString result = text.Lookup(input.c_str());
        if (input.find("DB_") == std::string::npos) {
            EXPECT_EQ(result.ToNarrow(), String(input.c_str())) << input;  // nothing to replace
        }
    }
    EXPECT_EQ(Narrow(text.Lookup("DB_NamCon:merchant")), "Händler Jörg");
}
