// GuiDBText: interface texts by group and name, and the text shown for a missing one.
#include "game/ctrl/GuiDBText.h"

#include "base/LocalText.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

TEST(GuiDBTextTest, FoundAndMissingTexts)
{
    LocalText::Get().Close();
    uint8_t found = 7;
    EXPECT_EQ(String(GetGuiDBText("logmsg", "nomana", &found)), "DBErr:logmsg,nomana");  // no database
    EXPECT_EQ(found, 0);

    TempDir dir;
    const std::string path = dir / "localisation.db";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE Gui (id TEXT, name TEXT, content TEXT);"
                           "INSERT INTO Gui VALUES ('logmsg', 'nomana', 'No mana!'), ('other', 'nomana', 'x');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    ASSERT_TRUE(LocalText::Get().Open(path.c_str()));
    EXPECT_EQ(String(GetGuiDBText("logmsg", "nomana", &found)), "No mana!");
    EXPECT_EQ(found, 1);
    EXPECT_EQ(String(GetGuiDBText("logmsg", "killed")), "DBErr:logmsg,killed");
    LocalText::Get().Close();
}
