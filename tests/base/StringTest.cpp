// Tests of String and wString: the empty forms, buffer management, search, edits and formatting.
#include "base/String.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
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
    EXPECT_EQ(std::string(s.GetBuffer(), 11), std::string(11, '\0'));  // room holds no stale bytes

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
    gap.Insert(gap.c_str() + 1, 8);  // its own text, past the end
    EXPECT_STREQ(gap.c_str(), "ab   X  b   X");

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

TEST(StringTest, WideFormatWidthsFromArguments)
{
    struct Case {
        int width, precision;
        const char* expected;
    } cases[] = {
        {5, 2, "   42|1.50 |ab   |"},
        {-5, 2, "42   |1.50 |ab   |"},  // a negative width aligns left, numbers too
        {3, -1, " 42|1.500000|ab |"},   // a negative precision counts as none
    };
    for (const Case& c : cases) {
        wString f;
        f.Format(u"%*d|%-*.*f|%-*S|", c.width, 42, 5, c.precision, 1.5, c.width < 0 ? -c.width : c.width, "ab");
        EXPECT_EQ(std::string(String(f).c_str()), c.expected) << c.width;
    }
    // Widths beyond the format limit are cut to it, not written past the buffer.
    wString huge;
    huge.Format(u"%*d%.*f", INT32_MIN, 1, INT32_MAX, 1.0);
    EXPECT_EQ(huge.GetLength(), wString::kFormatLimit);
    huge.Format(u"%1000d", 7);
    EXPECT_EQ(huge.GetLength(), 1000);
    EXPECT_EQ(huge.c_str()[999], u'7');
}

// Every integer and float conversion of both Formats gives what the C library gives, narrowing
// by h and hh included (the wide Format builds its own spec from the wide one).
TEST(StringTest, NumberConversionsMatchTheCLibrary)
{
    enum Kind { kInt, kUnsigned, kLong, kLongLong, kSize, kDouble };
    struct Case {
        const char* format;
        Kind kind;
        long long integer;
        double number;
    } cases[] = {
        {"%d", kInt, 0, 0}, {"%d", kInt, -1, 0}, {"%d", kInt, INT32_MIN, 0}, {"%i", kInt, INT32_MAX, 0},
        {"%5d|", kInt, 42, 0}, {"%-5d|", kInt, 42, 0}, {"%05d", kInt, -42, 0}, {"%+d", kInt, 7, 0},
        {"% d", kInt, 7, 0}, {"%.3d", kInt, 7, 0}, {"%8.3d", kInt, -7, 0}, {"%-+6d|", kInt, 3, 0},
        {"%.0d|", kInt, 0, 0}, {"%u", kUnsigned, -1, 0}, {"%x", kUnsigned, 255, 0}, {"%X", kUnsigned, 0xBEEF, 0},
        {"%#x", kUnsigned, 255, 0}, {"%#o", kUnsigned, 8, 0}, {"%08X", kUnsigned, 0xABC, 0},
        {"%hd", kInt, 70000, 0}, {"%hu", kInt, -1, 0}, {"%hi", kInt, -70000, 0}, {"%hx", kInt, -1, 0},
        {"%6hd|", kInt, 32768, 0}, {"%hhd", kInt, 200, 0}, {"%hhu", kInt, 300, 0}, {"%hhx", kInt, 0x1FF, 0},
        {"%hhi", kInt, -129, 0}, {"%ld", kLong, -5000000000LL, 0}, {"%lu", kLong, 5000000000LL, 0},
        {"%lld", kLongLong, INT64_MIN, 0}, {"%llx", kLongLong, -1, 0}, {"%20lld|", kLongLong, 123456789012LL, 0},
        {"%zu", kSize, 4096, 0},
        {"%f", kDouble, 0, 1.5}, {"%.0f", kDouble, 0, 2.5}, {"%10.3f|", kDouble, 0, -3.14159},
        {"%-10.2f|", kDouble, 0, 2.0}, {"%+.1f", kDouble, 0, 0.25}, {"% f", kDouble, 0, 1.0},
        {"%010.4f", kDouble, 0, -1.5}, {"%e", kDouble, 0, 12345.678}, {"%.2E", kDouble, 0, -0.000123},
        {"%g", kDouble, 0, 0.0001}, {"%g", kDouble, 0, 1e20}, {"%G", kDouble, 0, 1e-10}, {"%#g", kDouble, 0, 1.0},
        {"%.3g", kDouble, 0, 3.14159}, {"%a", kDouble, 0, 1.0}, {"%A", kDouble, 0, -0.5}, {"%f", kDouble, 0, 1e300},
        {"%f", kDouble, 0, HUGE_VAL}, {"%F", kDouble, 0, -HUGE_VAL}, {"%5.1f%%", kDouble, 0, 99.95},
    };
    for (const Case& c : cases) {
        std::u16string wideFormat(c.format, c.format + std::strlen(c.format));
        char expected[512];
        String narrow;
        wString wide;
        auto format = [&](auto value) {
            std::snprintf(expected, sizeof expected, c.format, value);
            narrow.Format(c.format, value);
            wide.Format(wideFormat.c_str(), value);
        };
        switch (c.kind) {
        case kInt: format(int(c.integer)); break;
        case kUnsigned: format(unsigned(c.integer)); break;
        case kLong: format(long(c.integer)); break;
        case kLongLong: format(c.integer); break;
        case kSize: format(size_t(c.integer)); break;
        case kDouble: format(c.number); break;
        }
        EXPECT_STREQ(narrow.c_str(), expected) << c.format;
        EXPECT_STREQ(String(wide).c_str(), expected) << c.format;
    }
    wString narrowed;
    narrowed.Format(u"%hd %hu", 70000, -1);
    EXPECT_TRUE(narrowed == u"4464 65535");
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

TEST(StringTest, ParseFloatListReadsCommaSeparatedNumbers)
{
    const struct Case {
        const char* text;  // null: a string without a buffer
        int32_t count;
        int result;
        float values[3];  // -9: left as it was
    } cases[] = {
        {"1.5, -2,3e1", 3, 1, {1.5f, -2.0f, 30.0f}},
        {"1,2", 3, 0, {1.0f, 2.0f, -9.0f}},
        {"1,,3", 3, 0, {1.0f, -9.0f, -9.0f}},
        {"1,2,3,4", 3, 1, {1.0f, 2.0f, 3.0f}},
        {"x,2,7y", 3, 1, {0.0f, 2.0f, 7.0f}},
        {"1,2,", 3, 0, {1.0f, 2.0f, -9.0f}},
        {"", 3, 0, {-9.0f, -9.0f, -9.0f}},
        {"5", 0, 1, {-9.0f, -9.0f, -9.0f}},
        {nullptr, 1, 0, {-9.0f, -9.0f, -9.0f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text ? c.text : "(no buffer)");
        const String text = c.text ? String(c.text) : String();  // "" is built with a buffer
        float values[3] = {-9.0f, -9.0f, -9.0f};
        EXPECT_EQ(text.ParseFloatList(values, c.count), c.result);
        for (int i = 0; i < 3; i++)
            EXPECT_EQ(values[i], c.values[i]) << i;
    }
}
