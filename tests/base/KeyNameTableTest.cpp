// KeyNameTableTest: key and mouse button names both ways, and the constants of start-up.
#include "base/KeyNameTable.h"

#include "base/StartupConstants.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

TEST(KeyNameTableTest, NamesToCodes)
{
    struct Case {
        const char* name;
        bool found;
        int32_t kind;
        int32_t code;
    } cases[] = {
        {"Space", true, 1, 57}, {"A", true, 1, 30}, {"Z", true, 1, 44}, {"0", true, 1, 11},
        {"NumPad%", true, 1, 181}, {"NumPad,", true, 1, 83}, {"NumPadEnter", true, 1, 156},
        {"ESC", true, 1, 1}, {"F12", true, 1, 88}, {"Grave", true, 1, 41}, {"SysRQ", true, 1, 183},
        {"Mouse0", true, 2, 0}, {"Mouse7", true, 2, 7},
        {"space", false, 0, 0}, {"Mouse8", false, 0, 0}, {"Escape", false, 0, 0},
        {"", true, 0, 0},  // the empty row
    };
    for (const Case& c : cases) {
        int32_t kind = -5, code = -5;
        EXPECT_EQ(KeyNameTable::FindByName(c.name, kind, code), c.found) << c.name;
        if (c.found) {
            EXPECT_EQ(kind, c.kind) << c.name;
            EXPECT_EQ(code, c.code) << c.name;
        }
    }
}

TEST(KeyNameTableTest, CodesToNames)
{
    struct Case {
        int32_t kind;
        int32_t code;
        bool found;
        const char* name;
    } cases[] = {
        {2, 3, true, "Mouse3"}, {1, 1, true, "ESC"}, {1, 57, true, "Space"}, {1, 2, true, "1"},
        {1, 201, true, "Prior"}, {1, 86, true, "OEM102"}, {1, 255, false, ""}, {2, 8, false, ""},
        {3, 1, false, ""},
    };
    for (const Case& c : cases) {
        String name("stale");
        EXPECT_EQ(KeyNameTable::FindByCode(c.kind, c.code, name), c.found) << c.kind << "/" << c.code;
        EXPECT_STREQ(name.c_str(), c.name);
    }
}

TEST(KeyNameTableTest, EveryNamedRowFindsItself)
{
    for (int32_t row = 0; row < 112; ++row) {
        const KeyName& k = KeyNameTable::GetRow(row);
        ASSERT_NE(k.name, nullptr) << row;
        int32_t kind = 0, code = 0;
        ASSERT_TRUE(KeyNameTable::FindByName(k.name, kind, code)) << row;
        EXPECT_EQ(kind, k.kind);
        EXPECT_EQ(code, k.code);
        EXPECT_NE(kind, 0) << row;
    }
    EXPECT_STREQ(KeyNameTable::GetRow(90).name, "ESC");
    EXPECT_STREQ(KeyNameTable::GetRow(97).name, "ESC");
    EXPECT_STREQ(KeyNameTable::GetRow(111).name, "Mouse7");
    EXPECT_STREQ(KeyNameTable::GetRow(112).name, "");
    for (int32_t row = 113; row < KeyNameTable::kRowCount; ++row)
        EXPECT_EQ(KeyNameTable::GetRow(row).name, nullptr);
}

TEST(StartupConstantsTest, ComputedValuesFollowTheirRules)
{
    using namespace StartupConstants;
    double fov = 60.0 * std::numbers::pi / 180.0;
    EXPECT_NEAR(kFieldOfView, fov, 1e-6);
    EXPECT_NEAR(kProjectionDistance, (50.0 * 600.0 / 50.0) / std::tan(fov / 2) * std::tan(0.37), 1e-3);
    EXPECT_NEAR(kViewRangeNear, 1033.3333f, 1e-3);
    EXPECT_NEAR(kViewRangeMid, 1158.3333f, 1e-3);
    EXPECT_NEAR(kViewRangeFar, 2222.2222f, 1e-3);
    EXPECT_NEAR(kCos85, std::cos(85.0 * std::numbers::pi / 180.0), 1e-7);
    EXPECT_NEAR(kCos95, std::cos(95.0 * std::numbers::pi / 180.0), 1e-7);
    EXPECT_EQ(kDiagonalExtent, int32_t(std::sqrt(2.0) * 261 + 1));
    EXPECT_STREQ(kMenuScriptDir, "levels/menu/scripts/");
}
