// FontTable: fonts found by name in any letter case, the default for every other name, a name
// entered twice, and the graphics object's built-in font as the default while none is set.
#include "game/ctrl/FontTable.h"

#include "support/DeviceGfx.h"
#include "support/ScopedGfx.h"

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

TEST(FontTableTest, BuiltinFontIsTheDefaultOnAClient)
{
    FontTable& table = FontTable::Get();
    table.Clear();
    {
        ScopedGfx server;  // no device: no font
        EXPECT_EQ(FindFont("unknown"), nullptr);
    }
    DeviceGfx client;
    DXC_Font* builtin = FindFont("unknown");
    ASSERT_NE(builtin, nullptr);
    EXPECT_EQ(builtin, client.Gfx().GetBuiltinFont());
    int other = 0;
    table.SetDefault(reinterpret_cast<DXC_Font*>(&other));  // a default set takes its place
    EXPECT_EQ(FindFont("unknown"), reinterpret_cast<DXC_Font*>(&other));
    table.Clear();
}
