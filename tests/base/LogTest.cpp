// Tests of the log: first line, append, fixed directory, suffix, line cap and the echo hook;
// and of warning folding, which ends in the log.
#include "base/DXC_Base.h"
#include "base/ErrorClass.h"
#include "base/Log.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

// Runs each test in a fresh directory with a fresh log run.
class LogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Log::SetFileName("test.log");
        Log::Restart();
        Log::SetEchoHook(nullptr);
        ErrorClassSimple::ResetWarningsForTest();
        DXC_Base::ResetWarningsForTest();
    }
    void TearDown() override { Log::SetEchoHook(nullptr); }
    std::string Contents() const { return m_Dir.Read("test.log"); }

    TempDir m_Dir;
    ScopedCurrentDir m_Cwd{m_Dir.Path()};
};

std::vector<std::string> g_Echoed;
void Echo(const char* line) { g_Echoed.push_back(line); }

// The message part of each logged line, without the suffix.
std::vector<std::string> Messages(const std::string& text)
{
    std::vector<std::string> out;
    for (const std::string& line : Lines(text)) {
        size_t at = line.rfind("(Time:");
        out.push_back(at == std::string::npos ? line : line.substr(0, at));
    }
    return out;
}

}  // namespace

TEST_F(LogTest, FirstLineTruncatesLaterLinesAppendInTheFirstDirectory)
{
    m_Dir.Write("test.log", "old contents\n");
    Log::Write("first %d", 1);
    TempDir elsewhere;
    ScopedCurrentDir moved(elsewhere.Path());
    Log::Write("second");
    EXPECT_EQ(Messages(Contents()), (std::vector<std::string>{"first 1", "second"}));
    EXPECT_FALSE(std::filesystem::exists(elsewhere / "test.log"));
    EXPECT_EQ(Log::GetLineCount(), 2);
}

TEST_F(LogTest, SuffixFollowsTheMessageDirectly)
{
    Log::Write("hello");
    std::string text = Contents();
    unsigned whole = 9, hundredths = 0;
    int memory = -1, consumed = 0;
    ASSERT_EQ(std::sscanf(text.c_str(), "hello(Time:%u.%2u, free sysmem:%d)\n%n", &whole, &hundredths, &memory, &consumed), 3)
        << text;
    EXPECT_EQ(size_t(consumed), text.size()) << text;
    EXPECT_EQ(whole, 0u);
    EXPECT_GT(memory, 0);
    EXPECT_EQ(text.substr(text.find('.') + 3, 14), ", free sysmem:");  // two decimals
}

TEST_F(LogTest, LongMessageIsCutSoTheSuffixFits)
{
    std::string big(3000, 'x');
    Log::Write("%s", big.c_str());
    std::string line = Lines(Contents()).at(0);
    EXPECT_LE(line.size() + 1, size_t(Log::kLineSize - 1));
    EXPECT_NE(line.find("(Time:"), std::string::npos);
}

TEST_F(LogTest, CapLineEndsTheLog)
{
    g_Echoed.clear();
    Log::SetEchoHook(Echo);
    Log::Write("before");
    Log::SetLineCountForTest(Log::kMaxLines - 1);
    Log::Write("last");
    Log::Write("dropped");
    std::vector<std::string> lines = Messages(Contents());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], "last");
    EXPECT_EQ(lines[2], "Maximum number of log entries reached!");
    ASSERT_EQ(g_Echoed.size(), 2u);  // the dropped line is not echoed
    EXPECT_EQ(g_Echoed[0].back(), '\n');
}

TEST_F(LogTest, WarningsFoldIntoRepeatLines)
{
    ErrorClass object;
    CopyName32(&object, "Tester");
    object.Warning("first");   // the first warning of a run is never remembered...
    object.Warning("first");   // ...so its repeat is logged in full
    object.Warning("same");
    object.Warning("same");
    object.Warning("same");
    object.Warning("other");
    EXPECT_EQ(Messages(Contents()),
              (std::vector<std::string>{"Warning:Tester: first", "Warning:Tester: first", "Warning:Tester: same",
                                        "Warning Repeat: 2", "Warning:Tester: other"}));
}

TEST_F(LogTest, PendingRepeatIsWrittenWhenTheLastObjectGoes)
{
    {
        ErrorClass object;
        CopyName32(&object, "Tester");
        object.Warning("a");
        object.Warning("b");
        object.Warning("b");
    }
    std::vector<std::string> lines = Messages(Contents());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "Warning Repeat: 1");
}

TEST_F(LogTest, WarningCapStopsWarningsButNotErrors)
{
    ErrorClass object;
    CopyName32(&object, "Cap");
    for (int i = 0; i < 65536; ++i)
        object.Warning("w%d", i);
    object.Warning("vanishes");
    EXPECT_THROW(object.Error("still %s", "logged"), ErrorMsg);
    std::vector<std::string> lines = Messages(Contents());
    ASSERT_EQ(lines.size(), 65538u);
    EXPECT_EQ(lines[65535], "Warning:Cap: w65535");
    EXPECT_EQ(lines[65536], "ErrorClass: Maximum number of warnings reached!");
    EXPECT_EQ(lines[65537], "Error:Cap: still logged");
}

TEST_F(LogTest, ErrorsAreLoggedAndThrownWithTheClassName)
{
    struct Named : ErrorClass {
        Named() { CopyName32(this, "AVeryLongClassNameThatExceedsThirtyOneChars"); }
    } named;
    try {
        named.Error("bad %d", 7);
        FAIL();
    } catch (const ErrorMsg& e) {
        EXPECT_STREQ(e.className, "AVeryLongClassNameThatExceedsTh");
        EXPECT_STREQ(e.message, "bad 7");
    }
    EXPECT_TRUE(named.HasErrorOccurred());
    EXPECT_THROW(ErrorClassSimple::StaticError("static"), ErrorMsg);

    struct Engine : DXC_Base {
        Engine() { SetName("Scene"); }
    } engine;
    try {
        engine.Error("broken");
        FAIL();
    } catch (const DXC_Error& e) {
        EXPECT_STREQ(e.className, "Scene");
    }
    EXPECT_EQ(Messages(Contents()),
              (std::vector<std::string>{"Error:AVeryLongClassNameThatExceedsTh: bad 7",
                                        "Error:ErrorClassSimple: static", "Error:Scene: broken"}));
}
