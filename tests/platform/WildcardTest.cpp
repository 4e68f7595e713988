// WildcardTest: listing patterns match as the game's original platform matched them.
#include "platform/Wildcard.h"

#include <gtest/gtest.h>

TEST(WildcardTest, Table)
{
    struct Case {
        const char* pattern;
        const char* name;
        bool match;
    } cases[] = {
        {"*", "anything.at.all", true},
        {"*", "", true},
        {"*.*", "abc", true},
        {"*.*", "a.b", true},
        {"*.*", ".hidden", true},
        {"*.ld", "level1.ld", true},
        {"*.ld", "LEVEL1.LD", true},
        {"*.ld", "level1.ldx", false},
        {"*.ld", "level1ld", false},
        {"*.ld", "a.b.ld", true},
        {"*.", "abc", true},
        {"*.", "a.b", false},
        {"abc.*", "abc", true},
        {"abc.*", "abc.txt", true},
        {"abc.*", "abcd", false},
        {"a?c", "abc", true},
        {"a?c", "a.c", true},
        {"a?c", "ac", false},
        {"a??", "a", true},
        {"a??", "ab", true},
        {"a??", "abc", true},
        {"a??", "abcd", false},
        {"save?.sv", "save1.sv", true},
        {"save?.sv", "save.sv", true},
        {"save?.sv", "save12.sv", false},
        {"?", "a", true},
        {"?", "ab", false},
        {"game.sv", "Game.SV", true},
        {"game.sv", "game.svx", false},
        {"*a*b*c*", "xxaxxbxxcxx", true},
        {"*a*b*c*", "xxaxxcxxbxx", false},
        {"**********x", "yyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyy", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Platform::MatchWildcard(c.pattern, c.name), c.match) << c.pattern << " vs " << c.name;
}
