// Utf8Test: the decoder takes every well-formed sequence and refuses every malformed one.
#include "base/Utf8.h"

#include <gtest/gtest.h>

#include <string>

TEST(Utf8Test, WellFormedDecodesAndRoundTrips)
{
    struct Case {
        const char* utf8;
        std::u16string utf16;
    } cases[] = {
        {"", u""},
        {"abc", u"abc"},
        {"\x7F", u"\x7F"},
        {"\xC2\x80", u"\x80"},
        {"Gr\xC3\xBC\xC3\x9F" "e", u"Gr\u00FC\u00DFe"},
        {"\xDF\xBF", u"\u07FF"},
        {"\xE0\xA0\x80", u"\u0800"},
        {"\xE2\x82\xAC", u"\u20AC"},
        {"\xED\x9F\xBF", u"\uD7FF"},
        {"\xEE\x80\x80", u"\uE000"},
        {"\xEF\xBF\xBF", u"\uFFFF"},
        {"\xF0\x90\x80\x80", u"\U00010000"},
        {"\xF0\x9F\x98\x80 x", u"\U0001F600 x"},
        {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
    };
    for (const Case& c : cases) {
        wString w;
        ASSERT_TRUE(Utf8::ToUtf16(c.utf8, w)) << c.utf8;
        EXPECT_EQ(std::u16string(w.c_str()), c.utf16) << c.utf8;
        String back;
        ASSERT_TRUE(Utf8::FromUtf16(w.c_str(), back));
        EXPECT_STREQ(back.c_str(), c.utf8);
    }
}

TEST(Utf8Test, MalformedIsRefused)
{
    const char* cases[] = {
        "\x80",              // continuation byte alone
        "a\xBF",             // continuation byte after ASCII
        "\xC0\x80",          // overlong NUL
        "\xC1\xBF",          // overlong 2-byte
        "\xE0\x9F\xBF",      // overlong 3-byte
        "\xF0\x8F\xBF\xBF",  // overlong 4-byte
        "\xED\xA0\x80",      // high surrogate
        "\xED\xBF\xBF",      // low surrogate
        "\xF4\x90\x80\x80",  // above U+10FFFF
        "\xF5\x80\x80\x80",  // lead byte out of range
        "\xFF",
        "\xC3",              // truncated at the end
        "\xE2\x82",
        "\xF0\x9F\x98",
        "\xC3" "A",          // lead byte followed by ASCII
        "\xE2\x28\xA1",      // bad second byte
    };
    for (const char* c : cases) {
        wString w(u"unchanged");
        EXPECT_FALSE(Utf8::ToUtf16(c, w)) << testing::PrintToString(std::string(c));
    }
    // An explicit length stops before a trailing lead byte, and counts bytes past a NUL.
    wString w;
    EXPECT_TRUE(Utf8::ToUtf16("ab\xC3", 2, w));
    EXPECT_FALSE(Utf8::ToUtf16("ab\xC3", 3, w));
}

TEST(Utf8Test, UnpairedSurrogatesAreRefusedOnTheWayBack)
{
    const std::u16string cases[] = {u"\xD800", std::u16string(u"a\xDC00"), u"\xD800x",
                                    std::u16string(1, char16_t(0xDBFF))};
    for (const std::u16string& c : cases) {
        String s;
        EXPECT_FALSE(Utf8::FromUtf16(c.data(), c.size(), s));
    }
}
