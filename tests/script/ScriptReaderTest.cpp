// Loading scripts: line tables, #include expansion with its limits, path substitution and the
// error and warning texts that point into the source files.
#include "script/ScriptReader.h"

#include "base/FileList.h"
#include "base/Log.h"
#include "support/FixtureRoot.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const std::string kFixtures = std::string(SERVER_FIXTURES) + "/script/";

// Keeps what ShowError was given instead of only logging it.
class ShowingReader : public ScriptReader {
public:
    void ShowError(const String& text) override
    {
        ScriptReader::ShowError(text);
        m_Shown.push_back(text.c_str());
    }
    std::vector<std::string> m_Shown;
};

std::vector<std::string>& LoggedLines()
{
    static std::vector<std::string> lines;
    return lines;
}

// Collects the log lines written while it lives.
class LogCapture {
public:
    LogCapture()
    {
        LoggedLines().clear();
        Log::SetEchoHook([](const char* line) { LoggedLines().push_back(line); });
    }
    ~LogCapture() { Log::SetEchoHook(nullptr); }
    bool Contains(const std::string& text) const
    {
        for (const std::string& line : LoggedLines())
            if (line.find(text) != std::string::npos)
                return true;
        return false;
    }
};

std::string LoadError(ScriptReader& reader, const std::string& file)
{
    try {
        reader.LoadFile(file.c_str());
    } catch (const ErrorMsg& error) {
        return error.message;
    }
    return "no error";
}

// Line and file of the place where a marker word stands in the merged text.
std::pair<int32_t, std::string> PlaceOf(ScriptReader& reader, const char* marker)
{
    const char* text = reader.GetText();
    const char* at = std::strstr(text, marker);
    if (!at)
        return {-1, ""};
    reader.SetReadPos(static_cast<int32_t>(at - text) + 1);
    return {reader.GetCurrentLineNumber(), reader.GetCurrentFileName().c_str()};
}

}  // namespace

TEST(ScriptReaderTest, LineTableEndsLinesAtCrLfAndCrLf)
{
    ScriptReader reader;
    ASSERT_TRUE(reader.LoadInline("a\rb\r\nc\nd\r"));
    ASSERT_EQ(reader.GetLineCount(), 5);
    const int32_t starts[] = {0, 2, 5, 7, 9};
    for (int32_t i = 0; i < 5; i++) {
        EXPECT_EQ(reader.GetLineEntry(i)->m_Start, starts[i]);
        EXPECT_EQ(reader.GetLineEntry(i)->m_Line, i);
        EXPECT_EQ(reader.GetLineEntry(i)->m_FileId, 0);
    }
    EXPECT_STREQ(reader.GetMainFileName().c_str(), "*inline*");
}

TEST(ScriptReaderTest, ErrorTextShowsFileLineAndNeighbours)
{
    struct Case {
        const char* text;
        const char* name;
        std::string shown;
    } cases[] = {
        {"x = 1;\r\ny = $;\r\nz = 2;", nullptr,
         "file:'*inline*', line: 2: Encountered invalid character: $ (36)\n\nx = 1;\ny = $;\nz = 2;"},
        {"y = $;\r\nz = 2;", "hook", "file:'hook', line: 1: Encountered invalid character: $ (36)\n\n\ny = $;\nz = 2;"},
        // a lone LF ends a line as CR and CR LF do
        {"x = 1;\ny = $;", nullptr, "file:'*inline*', line: 2: Encountered invalid character: $ (36)\n\nx = 1;\ny = $;\n"},
        {"// note\nx = 1;\n\ny = $;\nz = 2;\n", nullptr,
         "file:'*inline*', line: 4: Encountered invalid character: $ (36)\n\n\ny = $;\nz = 2;"},
        {"#define X", nullptr, "file:'*inline*', line: 1: Invalid precompiler command: 'define'\n\n\n#define X\n"},
    };
    for (const Case& c : cases) {
        ShowingReader reader;
        EXPECT_FALSE(reader.LoadInline(c.text, c.name));
        ASSERT_EQ(reader.m_Shown.size(), 1u) << c.text;
        EXPECT_EQ(reader.m_Shown[0], c.shown);
    }
}

TEST(ScriptReaderTest, DirectiveErrors)
{
    struct Case {
        const char* text;
        std::string message;
    } cases[] = {
        {"#include x", ": Invalid 'include' command\n"},
        {"# \"x\"", ": Invalid precompiler command: ''\n"},
        {"#Include \"x\"", ": Invalid precompiler command: 'Include'\n"},
        {"#include \"not_there.scr\"", ": Can not open include file 'not_there.scr'\n"},
    };
    for (const Case& c : cases) {
        ShowingReader reader;
        EXPECT_FALSE(reader.LoadInline(c.text));
        ASSERT_EQ(reader.m_Shown.size(), 1u) << c.text;
        EXPECT_NE(reader.m_Shown[0].find(c.message), std::string::npos) << reader.m_Shown[0];
    }
    // '#' inside a string literal or a comment is no directive
    ShowingReader reader;
    EXPECT_TRUE(reader.LoadInline("s = \"#include\"; // #include \"x\"\r/* #x */"));
    EXPECT_TRUE(reader.m_Shown.empty());
}

TEST(ScriptReaderTest, IncludeChainMapsPositionsToTheirFiles)
{
    ScriptReader reader;
    std::string main = kFixtures + "include_main.scr";
    std::string error = LoadError(reader, main);
    // b.scr, included by inc\a.scr, has the bad character on its line 2
    EXPECT_NE(error.find("inc\\b.scr', line: 2: Encountered invalid character: $ (36)\n\nint marker_b;\nint bad = $;\nint b_last;"),
              std::string::npos)
        << error;

    // the same chain without the fault: every line maps back to its own file
    TempDir dir;
    dir.Write("main.scr", "int main_before;\r\n#include \"inc\\\\a.scr\" int after_a;\r\nint marker_main;\r\n");
    dir.Write("inc/a.scr", "// a\r\n#include \"b.scr\"\r\nint marker_a;\r\n");
    dir.Write("inc/b.scr", "int marker_b;\r\nint b_last;");
    ASSERT_TRUE(reader.LoadFile((dir / "main.scr").c_str()));
    EXPECT_EQ(reader.GetFileCount(), 3);
    auto place = PlaceOf(reader, "marker_b");
    EXPECT_EQ(place.first, 1);
    EXPECT_NE(place.second.find("inc\\b.scr"), std::string::npos);
    place = PlaceOf(reader, "b_last");
    EXPECT_EQ(place.first, 2);
    place = PlaceOf(reader, "marker_a");
    EXPECT_EQ(place.first, 3);
    EXPECT_NE(place.second.find("inc\\a.scr"), std::string::npos);
    place = PlaceOf(reader, "after_a");  // the rest of the directive's line
    EXPECT_EQ(place.first, 2);
    EXPECT_EQ(place.second, dir / "main.scr");
    place = PlaceOf(reader, "marker_main");
    EXPECT_EQ(place.first, 3);
    EXPECT_EQ(place.second, dir / "main.scr");
    EXPECT_EQ(reader.GetReadPos(), static_cast<int32_t>(std::strstr(reader.GetText(), "marker_main") - reader.GetText()) + 1);
}

TEST(ScriptReaderTest, FilesReadAreRegistered)
{
    FileList list;
    ScriptReader reader;
    reader.SetLoadedFileList(&list);
    ASSERT_TRUE(reader.LoadFile((kFixtures + "include_twice.scr").c_str()));
    EXPECT_EQ(list.GetCount(), 2);  // the main file and the included one, once
    EXPECT_GE(list.FindFile(String((kFixtures.substr(0, kFixtures.size() - 1) + "\\inc\\twice.scr").c_str())), 0);
}

TEST(ScriptReaderTest, RecursiveIncludesEndAtOnce)
{
    for (const char* file : {"self.scr", "cycle_a.scr"}) {
        ScriptReader reader;
        std::string error = LoadError(reader, kFixtures + file);
        EXPECT_NE(error.find(": Too many #include levels. (Recursion?)\n"), std::string::npos) << file << ": " << error;
        EXPECT_LE(reader.GetFileCount(), 2) << file;  // refused at the first repetition
    }
}

TEST(ScriptReaderTest, IncludeDepthAndMergedSize)
{
    TempDir dir;
    // a chain 16 files deep is allowed; the 17th level is refused
    for (int32_t i = 0; i < 17; i++)
        dir.Write("d" + std::to_string(i) + ".scr", "#include \"d" + std::to_string(i + 1) + ".scr\"\r\n");
    dir.Write("d17.scr", "int deepest;\r\n");
    ScriptReader reader;
    ASSERT_TRUE(reader.LoadFile((dir / "d1.scr").c_str()));
    EXPECT_EQ(reader.GetFileCount(), 17);
    EXPECT_NE(LoadError(reader, dir / "d0.scr").find(": Too many #include levels. (Recursion?)\n"), std::string::npos);

    // fan-out without recursion still cannot grow the text or the file table beyond their caps
    std::string padding(4000, ' ');
    dir.Write("w9.scr", "int leaf;");
    for (int32_t i = 0; i < 9; i++) {
        std::string text = padding;
        for (int32_t k = 0; k < 4; k++)
            text += "#include \"w" + std::to_string(i + 1) + ".scr\"\r\n";
        dir.Write("w" + std::to_string(i) + ".scr", text);
    }
    LogCapture capture;
    std::string error = LoadError(reader, dir / "w0.scr");
    EXPECT_NE(error.find(": Script text exceeds 8388608 bytes with its includes\n"), std::string::npos) << error;
    dir.Write("many.scr", std::string("") + [] {
        std::string text;
        for (int32_t i = 0; i < 4100; i++)
            text += "#include \"d17.scr\"\r";
        return text;
    }());
    error = LoadError(reader, dir / "many.scr");
    EXPECT_NE(error.find(": Too many #include directives: more than 4096\n"), std::string::npos) << error;
}

TEST(ScriptReaderTest, IncludedTwiceWarnsAndIncludesAgain)
{
    LogCapture capture;
    ErrorClassSimple::ResetWarningsForTest();
    ScriptReader reader;
    ASSERT_TRUE(reader.LoadFile((kFixtures + "include_twice.scr").c_str()));
    std::string text = reader.GetText();
    EXPECT_EQ(text, "int t;\r\n\r\nint t;\r\n\r\n");
    EXPECT_TRUE(capture.Contains("Warning:ScriptReader: file:'" + kFixtures + "include_twice.scr', pos: 2: File '" +
                                 kFixtures.substr(0, kFixtures.size() - 1) + "\\inc\\twice.scr' included multiple times"));
}

TEST(ScriptReaderTest, PathSubstitutionAndResolution)
{
    ScriptReader reader;
    reader.AddPathReplace("LANG\\", "lang_en\\");
    ASSERT_TRUE(reader.LoadFile((kFixtures + "include_lang.scr").c_str()));
    EXPECT_EQ(std::string(reader.GetText()), "string lang_text;\r\n\r\n");

    struct Case {
        const char* path;
        std::string base;
        bool resolved;
        std::string result;
    } cases[] = {
        {"", "", false, ""},
        {"c:\\x.scr", "dir\\main.scr", false, "c:\\x.scr"},
        {"\\x.scr", "dir\\main.scr", false, "\\x.scr"},
        {"/x.scr", "dir\\main.scr", false, "/x.scr"},
        {"LANG\\text.scr", "*inline*", false, "lang_en\\text.scr"},
        {"LANG\\text.scr", "main.scr", false, "lang_en\\text.scr"},
        {"LANG\\text.scr", kFixtures + "x.scr", true, kFixtures.substr(0, kFixtures.size() - 1) + "\\lang_en\\text.scr"},
        {"missing.scr", kFixtures + "x.scr", false, "missing.scr"},
    };
    for (const Case& c : cases) {
        String path(c.path);
        EXPECT_EQ(reader.ResolvePath(path, c.base.c_str()), c.resolved) << c.path;
        EXPECT_EQ(std::string(path.c_str()), c.result) << c.path;
    }
}

TEST(ScriptReaderTest, FailuresToOpen)
{
    ShowingReader reader;
    EXPECT_FALSE(reader.LoadFile("no_such_script.scr"));
    ASSERT_EQ(reader.m_Shown.size(), 1u);
    EXPECT_EQ(reader.m_Shown[0], "Failed to open file 'no_such_script.scr'");

    ASSERT_TRUE(reader.LoadInline("x;"));
    String text;
    try {
        reader.ReadTextFile(text, "no_such_text.txt");
        FAIL();
    } catch (const ErrorMsg& error) {
        EXPECT_NE(std::string(error.message).find(": Can not open file 'no_such_text.txt'\n"), std::string::npos);
    }
    reader.ReadTextFile(text, (kFixtures + "lang_en/text.scr").c_str());
    EXPECT_STREQ(text.c_str(), "string lang_text;\r\n");
}

TEST(ScriptReaderTest, ShowErrorLogsAndReportsWithoutLinesThrow)
{
    LogCapture capture;
    ScriptReader reader;
    reader.ShowError(String("something"));
    EXPECT_TRUE(capture.Contains("Script Error: something"));

    // before anything is read no line holds the position
    ASSERT_TRUE(reader.LoadInline("x;"));
    reader.SetReadPos(0);
    try {
        reader.Warning("w");
        FAIL();
    } catch (const ErrorMsg& error) {
        EXPECT_STREQ(error.message, "Invalid line: -1");
    }
}
