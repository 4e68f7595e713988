// FontTable: fonts found by name in any letter case, the default for every other name, and a
// name entered twice.
#include "game/ctrl/FontTable.h"

#include <gtest/gtest.h>

TEST(FontTableTest, NamesAndTheDefault)
{
    FontTable& table = FontTable::Get();
    table.Clear();
    int small = 0, medium = 0, fallback = 0, other = 0;  // stand-ins: the table never reads a font
    auto* smallFont = reinterpret_cast<DXC_Font*>(&small);
    auto* mediumFont = reinterpret_cast<DXC_Font*>(&medium);
    auto* defaultFont = reinterpret_cast<DXC_Font*>(&fallback);
    EXPECT_EQ(FindFont("small"), nullptr);  // no fonts, no default: the server's case
    table.Register("small", smallFont);
    table.Register("Medium", mediumFont);
    table.Register("medium", reinterpret_cast<DXC_Font*>(&other));  // the first stays
    table.SetDefault(defaultFont);
    EXPECT_EQ(FindFont("small"), smallFont);
    EXPECT_EQ(FindFont("MEDIUM"), mediumFont);
    EXPECT_EQ(FindFont("big"), defaultFont);
    EXPECT_EQ(FindFont(""), defaultFont);
    EXPECT_EQ(FindFont(nullptr), defaultFont);
    table.Clear();
}
