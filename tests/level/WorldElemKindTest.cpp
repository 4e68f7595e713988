// WorldElemKind: every kind name in any letter case, and names that are no kind.
#include "level/WorldElemKind.h"

#include <gtest/gtest.h>

TEST(WorldElemKindTest, NamesGiveTheirCodes)
{
    const struct {
        const char* name;
        int32_t code;
    } kCases[] = {
        {"light", 100},       {"OBJECT", 200}, {"Creature", 300}, {"StartPos", 400}, {"visibilityPos", 401},
        {"event", 500},       {"Effect", 600}, {"start", -1},     {"", -1},          {"lights", -1},
        {"visibility", -1},   {nullptr, -1},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(ParseWorldElemKind(c.name), c.code) << (c.name ? c.name : "(null)");
}
