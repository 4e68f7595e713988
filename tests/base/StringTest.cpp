// Tests of String and wString: the empty forms, buffer management, search, edits and formatting.
#include "base/String.h"

#include <gtest/gtest.h>

#include <string>

TEST(StringTest, NullBufferAndEmptyTextAreEqualEverywhere)
{
    String none;
    String empty("");
    ASSERT_EQ(none.GetBuffer(), nullptr);
    ASSERT_NE(empty.GetBuffer(), nullptr);
    EXPECT_STREQ(none.c_str(), "");
    EXPECT_STREQ(empty.c_str(), "");
    EXPECT_TRUE(none == empty);
    EXPECT_TRUE(none == "");
    EXPECT_TRUE(empty == nullptr);
    EXPECT_TRUE(none.EqualsNoCase(empty));
    EXPECT_TRUE(none.StartsWith(""));
    EXPECT_TRUE(empty.EndsWith(""));
    String assigned("x");
    assigned = "";
    EXPECT_EQ(assigned.GetBuffer(), nullptr);  // assigning "" frees
}

TEST(StringTest, BufferManagement)
{
    String s;
    s.Reserve(10);
    EXPECT_EQ(s.GetLength(), 10);
    EXPECT_STREQ(s.c_str(), "");

    String t("abc");
    t.Resize(6);
    EXPECT_EQ(t.GetLength(), 6);
    EXPECT_STREQ(t.c_str(), "abc");  // terminated at the old end
    t.Resize(2);
    EXPECT_STREQ(t.c_str(), "ab");
    t.Resize(0);
    EXPECT_EQ(t.GetBuffer(), nullptr);

    String u("hello");
    u.Alloc(-1);
    EXPECT_EQ(u.GetBuffer(), nullptr);
    EXPECT_EQ(u.GetLength(), 0);
}

TEST(StringTest, SearchAndCompare)
{
    struct Case {
        const char* text;
        const char* find;
        int start;
        int expected;
    } cases[] = {
        {"aBC", "bc", 0, 1},
        {"abcabc", "ABC", 1, 3},
        {"abc", "x", 0, -1},
        {"abc", "abc", 3, -1},  // start at the end
        {"", "a", 0, -1},
        {"abc", "abcd", 0, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(String(c.text).Find(c.find, c.start), c.expected) << c.text << " / " << c.find;

    String s("Hello.cfg");
    EXPECT_TRUE(s.StartsWithNoCase("HELLO"));
    EXPECT_FALSE(s.StartsWith("HELLO"));
    EXPECT_TRUE(s.EndsWith(".cfg"));
    EXPECT_FALSE(s.EndsWith("xHello.cfg"));
    EXPECT_FALSE(String("ab").StartsWith("abc"));
    EXPECT_LT(String::Compare("a", "\xe9"), 0);  // unsigned comparison
    EXPECT_EQ(String::CompareNoCase("ABC_", "abc_"), 0);
}

TEST(StringTest, InsertReplaceAndConcatenate)
{
    String s("hed");
    s.Insert("llo worl", 2);
    EXPECT_STREQ(s.c_str(), "hello world");

    String gap("ab");
    gap.Insert("X", 5);  // past the end: the gap holds spaces
    EXPECT_STREQ(gap.c_str(), "ab   X");
    EXPECT_EQ(gap.GetLength(), 6);

    struct Case {
        int position, count;
        const char* with;
        const char* expected;
    } cases[] = {
        {1, 2, "XY", "aXYd"},
        {0, 0, "Z", "Zabcd"},
        {3, 100, nullptr, "abc"},   // count clamped
        {10, 1, "!", "abcd!"},      // position clamped
        {-3, 1, "#", "#bcd"},
    };
    for (const Case& c : cases) {
        String r("abcd");
        EXPECT_TRUE(r.Replace(c.position, c.count, c.with));
        EXPECT_STREQ(r.c_str(), c.expected);
    }

    String a("foo");
    String b = a + String("bar");
    b += "baz";
    b += b;  // appending itself
    EXPECT_STREQ(b.c_str(), "foobarbazfoobarbaz");
    EXPECT_STREQ((a + "").c_str(), "foo");
}

TEST(StringTest, FormatIsBounded)
{
    String s;
    s.Format("%d-%s-%.2f", 42, "x", 1.5);
    EXPECT_STREQ(s.c_str(), "42-x-1.50");
    std::string big(5000, 'a');
    s.Format("%s", big.c_str());
    EXPECT_EQ(s.GetLength(), String::kFormatLimit);
    EXPECT_EQ(s.TextLength(), String::kFormatLimit);
    s.Format("%s", "");
    EXPECT_STREQ(s.c_str(), "");
}

TEST(StringTest, WideConversionsAndFormat)
{
    const char16_t wide[] = {u'a', 0x00C8, 0x0100, 0x4E2D, 0};
    String narrow(wide);
    EXPECT_STREQ(narrow.c_str(), "a\xC8  ");  // units of 256 and above become spaces

    wString w("\xC8z");
    ASSERT_EQ(w.GetLength(), 2);
    EXPECT_EQ(w.c_str()[0], char16_t(200));

    wString f;
    f.Format(u"%s=%d %S %5.1f|%-3c|", u"key", -7, "narrow", 2.25, u'q');
    EXPECT_EQ(String(f).c_str(), std::string("key=-7 narrow   2.2|q  |"));
    f.FormatNarrow("%s:%i", "n", 3);
    EXPECT_TRUE(f == u"n:3");
    EXPECT_TRUE(wString(u"ABC").StartsWithNoCase(u"ab"));

    std::u16string big(5000, u'w');
    f.Format(u"%s", big.c_str());
    EXPECT_EQ(f.GetLength(), wString::kFormatLimit);
}

TEST(StringTest, CaseMappingAndSetBuffer)
{
    String s("MiXeD_1");
    s.ToUpper();
    EXPECT_STREQ(s.c_str(), "MIXED_1");
    s.ToLower();
    EXPECT_STREQ(s.c_str(), "mixed_1");

    char16_t* heap = new char16_t[4]{u'x', u'y', u'z', 0};
    wString w;
    w.SetBuffer(heap, 3);
    EXPECT_TRUE(w == u"xyz");
}
