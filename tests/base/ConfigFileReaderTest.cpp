// ConfigFileReader: lines, entries, blocks, the desc index, getters with their status codes,
// the setters and text edits, saving and the reload test.
#include "base/ConfigFileReader.h"

#include "support/FixtureRoot.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"
#include "base/ConstantTable.h"
#include "base/ErrorClass.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

namespace {

const std::string kFixtures = std::string(SERVER_FIXTURES) + "/base/config/";

void Open(ConfigFileReader& reader, const std::string& text)
{
    ASSERT_EQ(reader.OpenMemory(text.data(), int32_t(text.size())), 0) << reader.GetErrorText();
}

std::string Line(ConfigFileReader& reader, int32_t line)
{
    const char* text = reader.GetLine(line);
    return text ? text : "<null>";
}

}  // namespace

TEST(ConfigFileReaderTest, SplitsLinesAtEachKindOfBreak)
{
    struct Case {
        const char* text;
        std::vector<std::string> lines;
    } cases[] = {
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\rb\nc", {"a", "b", "c"}},
        {"a\n", {"a", ""}},
        {"a\n\x01\x02\tb", {"a", "\tb"}},  // control characters after a break are dropped, TAB is kept
        {"  lead", {"  lead"}},
        {"", {""}},
    };
    for (const Case& c : cases) {
        ConfigFileReader reader;
        Open(reader, c.text);
        ASSERT_EQ(reader.GetLineCount(), int32_t(c.lines.size())) << c.text;
        for (size_t i = 0; i < c.lines.size(); ++i)
            EXPECT_EQ(Line(reader, int32_t(i)), c.lines[i]) << c.text;
    }

    ConfigFileReader reader;
    ASSERT_EQ(reader.Load((kFixtures + "breaks.cfg").c_str()), 0);
    const std::vector<std::string> expected = {"first", "second", "third", "fourth", "", "  sixth", "", "last"};
    ASSERT_EQ(reader.GetLineCount(), int32_t(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(Line(reader, int32_t(i)), expected[i]);
    EXPECT_EQ(reader.GetLine(8), nullptr);
    EXPECT_STREQ(reader.GetErrorText(), "Line #8 does not exist");
}

TEST(ConfigFileReaderTest, LineLengthAndCountLimits)
{
    ConfigFileReader reader;
    std::string limit(65535, 'x');
    Open(reader, limit + "\nk = 1");  // the longest line a break may follow
    EXPECT_EQ(reader.GetLine(0), nullptr);
    EXPECT_STREQ(reader.GetErrorText(), "Line #0 is too long:65535");
    EXPECT_EQ(Line(reader, 1), "k = 1");

    Open(reader, std::string(65534, 'y') + "\n");
    EXPECT_EQ(Line(reader, 0).size(), 65534u);

    std::string tooLong = std::string(65536, 'x') + "\n";
    EXPECT_EQ(reader.OpenMemory(tooLong.data(), int32_t(tooLong.size())), 4);
    EXPECT_STREQ(reader.GetErrorText(), "Line too long in file *memory*");
    EXPECT_FALSE(reader.IsLoaded());

    std::string lastLine(70000, 'z');  // no break follows: accepted, but not fetchable
    Open(reader, lastLine);
    EXPECT_EQ(reader.GetLine(0), nullptr);

    std::string tooMany(8388480, '\n');  // one line more than allowed
    EXPECT_EQ(reader.OpenMemory(tooMany.data(), int32_t(tooMany.size())), 3);
    EXPECT_STREQ(reader.GetErrorText(), "File *memory* too big");
}

TEST(ConfigFileReaderTest, LoadReportsMissingFile)
{
    LogCapture log;
    ConfigFileReader reader;
    EXPECT_EQ(reader.Load((kFixtures + "no_such.cfg").c_str()), 1);
    EXPECT_EQ(std::string(reader.GetErrorText()).rfind("Can not open file ", 0), 0u) << reader.GetErrorText();
    EXPECT_FALSE(reader.IsLoaded());
    EXPECT_EQ(log.Count("Open() failed"), 1);
}

TEST(ConfigFileReaderTest, EntriesAndSubEntries)
{
    ConfigFileReader reader;
    ASSERT_EQ(reader.Load((kFixtures + "entries.cfg").c_str()), 0);
    EXPECT_TRUE(reader.IsLoaded());
    ASSERT_EQ(reader.GetNumEntries(), 3);
    EXPECT_EQ(reader.GetEntryLineCount(0), 15);
    EXPECT_EQ(reader.GetEntryLineCount(1), 9);
    EXPECT_EQ(reader.GetEntryLineCount(2), 4);
    EXPECT_EQ(reader.GetEntryLineCount(-1), 32);
    EXPECT_EQ(reader.GetEntryLineCount(3), -1);
    EXPECT_EQ(reader.GetEntryLineCount(-2), -1);
    EXPECT_EQ(reader.GetEntryTextOffset(3), -1);
    std::string text(reader.GetText(), size_t(reader.GetTextLength()));
    EXPECT_EQ(text.substr(size_t(reader.GetEntryTextOffset(2)), size_t(reader.GetEntryTextLength(2))),
              "  #Potion\ndesc = \"Potion\"\nheal = 25\n");
    EXPECT_EQ(text.substr(size_t(reader.GetEntryTextOffset(1)), 14), "##Item variant");

    int32_t v = 0;
    EXPECT_EQ(reader.GetInt("Version", v), 0);  // before the first entry: found with entry -1
    EXPECT_EQ(v, 3);
    EXPECT_EQ(reader.GetInt("damage", v, 1), 0);  // the sub-entry's own key
    EXPECT_EQ(v, 20);
    EXPECT_EQ(reader.GetInt("speed", v, 1), 0);  // inherited from the parent
    EXPECT_EQ(v, 3);
    EXPECT_EQ(reader.GetInt("speed", v, 2), 1);
    EXPECT_EQ(reader.GetInt("hp", v, 0), 0);  // outside block reading every depth counts
    EXPECT_EQ(v, 100);

    ConfigFileReader noParent;
    Open(noParent, "##Orphan\nk = 1\n#Top\n##Child\n");
    ASSERT_EQ(noParent.GetNumEntries(), 3);
    EXPECT_EQ(noParent.GetInt("k", v, 2), 1);  // the child's parent is #Top, not the orphan

    ConfigFileReader none;
    Open(none, "a = 1\nb = 2");
    EXPECT_EQ(none.GetNumEntries(), 0);
    EXPECT_EQ(none.GetInt("b", v), 0);
    EXPECT_EQ(v, 2);
    EXPECT_EQ(none.GetInt("b", v, 0), 2);
}

TEST(ConfigFileReaderTest, KeyFormsAndStatusCodes)
{
    ConfigFileReader reader;
    Open(reader,
         "#E\n"
         "k=3\n"
         "sp 4\n"
         "eq = = 5\n"
         "speedy = 6\n"
         "idx3 = 7\n"
         "idx3_2 = 8\n"
         "idx0 = 9\n"
         "tab\t10\n"
         "novalue =   \n"
         "bare\n"
         "; cmt = 11\n"
         "text = \"hello world\" tail\n"
         "open = \"unclosed\n"
         "noquote = plain\n"
         "#F\n");
    struct Case {
        const char* name;
        int32_t entry, index1, index2;
        int32_t status;
        double value;
    } cases[] = {
        {"k", 0, -1, -1, 0, 3},        {"sp", 0, -1, -1, 0, 4},      {"eq", 0, -1, -1, 0, 5},
        {"speed", 0, -1, -1, 1, 0},    {"idx", 0, 3, -1, 0, 7},      {"idx", 0, 3, 2, 0, 8},
        {"idx", 0, 0, -1, 0, 9},       {"idx", 0, -1, 5, 1, 0},      {"tab", 0, -1, -1, 0, 10},
        {"novalue", 0, -1, -1, 1, 0},  {"bare", 0, -1, -1, 1, 0},    {"cmt", 0, -1, -1, 1, 0},
        {"k", 1, -1, -1, 1, 0},        {"k", 2, -1, -1, 2, 0},       {"k", -1, -1, -1, 0, 3},
        {"#", 0, -1, -1, 0, 0},        {"k", -3, -1, -1, 1, 0},
    };
    for (const Case& c : cases) {
        double value = -1;
        EXPECT_EQ(reader.GetDouble(c.name, value, c.entry, c.index1, c.index2), c.status)
            << c.name << " " << c.entry << " " << c.index1 << " " << c.index2;
        if (c.status == 0)
            EXPECT_EQ(value, c.value) << c.name;
        else
            EXPECT_EQ(value, -1) << c.name;  // untouched
    }

    struct TextCase {
        const char* name;
        int32_t entry;
        int32_t status;
        const char* text;
    } texts[] = {
        {"text", 0, 0, "hello world"}, {"open", 0, 9, nullptr}, {"noquote", 0, 9, nullptr},
        {"absent", 0, 1, nullptr},     {"text", 5, 2, nullptr},
    };
    for (const TextCase& c : texts) {
        String value("default");
        EXPECT_EQ(reader.GetString(c.name, value, c.entry), c.status) << c.name;
        EXPECT_STREQ(value.c_str(), c.text ? c.text : "default") << c.name;
    }

    char small[6];
    EXPECT_EQ(reader.GetValueText("text", small, sizeof small, 0), 0);  // cut to the buffer
    EXPECT_STREQ(small, "hello");

    ConfigFileReader folded;
    Open(folded, "Speed = 5\n");
    double value = 0;
    EXPECT_EQ(folded.GetDouble("speed", value), 1);
    folded.m_CaseInsensitiveKeys = 1;
    EXPECT_EQ(folded.GetDouble("speed", value), 0);
    EXPECT_EQ(value, 5);
}

TEST(ConfigFileReaderTest, NumberRunsAndConstants)
{
    LogCapture log;
    ConstantTable table;
    table.SetValue("FAST", 2.5);
    table.SetValue("NOTANUMBER", std::numeric_limits<double>::quiet_NaN());
    ConfigFileReader reader;
    reader.SetConstantTable(&table);
    Open(reader,
         "a = 1e3\nb = 1E3\nc = -.5x\nd = 0x10\ne = FAST\nf = SLOW\ng = inf\nh = 1-2\ni = .\n"
         "j = NOTANUMBER\nk = 1e400\nl = -1\nm = 3000000000\nn = 2.9\no = -2.9\np = 0.4\nq = 0.5\nr = 70000\n");
    struct Case {
        const char* name;
        double value;
    } cases[] = {
        {"a", 1000}, {"b", 1}, {"c", -0.5}, {"d", 0}, {"e", 2.5}, {"f", 0}, {"g", 0}, {"h", 1}, {"i", 0},
    };
    for (const Case& c : cases) {
        double value = -7;
        EXPECT_EQ(reader.GetDouble(c.name, value), 0) << c.name;
        EXPECT_EQ(value, c.value) << c.name;
    }
    EXPECT_EQ(log.Count("Unrecognized constant: SLOW (file '*memory*')"), 1);
    EXPECT_EQ(log.Count("Unrecognized constant: inf (file '*memory*')"), 1);

    // Conversions of the integer getters never overflow: clamped, or through 64 bits.
    int32_t i = 0;
    uint32_t u = 0;
    int16_t s = 0;
    uint8_t b = 0;
    bool flag = false;
    float f = 0;
    EXPECT_EQ(reader.GetInt("j", i), 0);
    EXPECT_EQ(i, 0);
    EXPECT_EQ(reader.GetInt("k", i), 0);
    EXPECT_EQ(i, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(reader.GetFloat("k", f), 0);
    EXPECT_TRUE(std::isinf(f));
    EXPECT_EQ(reader.GetUInt("l", u), 0);
    EXPECT_EQ(u, 4294967295u);
    EXPECT_EQ(reader.GetUInt("m", u), 0);
    EXPECT_EQ(u, 3000000000u);
    EXPECT_EQ(reader.GetInt("m", i), 0);
    EXPECT_EQ(i, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(reader.GetInt("n", i), 0);
    EXPECT_EQ(i, 2);
    EXPECT_EQ(reader.GetInt("o", i), 0);
    EXPECT_EQ(i, -2);
    EXPECT_EQ(reader.GetShort("r", s), 0);
    EXPECT_EQ(s, int16_t(70000 - 65536));
    EXPECT_EQ(reader.GetByte("r", b), 0);
    EXPECT_EQ(b, uint8_t(70000 % 256));
    EXPECT_EQ(reader.GetBoolRounded("p", flag), 0);
    EXPECT_FALSE(flag);
    EXPECT_EQ(reader.GetBoolRounded("q", flag), 0);
    EXPECT_TRUE(flag);
    EXPECT_EQ(reader.GetBool("p", flag), 0);
    EXPECT_TRUE(flag);
    EXPECT_EQ(reader.GetRoundedInt("j", flag), 0);  // NaN rounds to 0
    EXPECT_FALSE(flag);

    ConfigFileReader bare;  // no table: a name reads 0 without a warning
    Open(bare, "x = SLOW\n");
    double value = -1;
    EXPECT_EQ(bare.GetDouble("x", value), 0);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(log.Count("Unrecognized constant: SLOW"), 1);
}

TEST(ConfigFileReaderTest, ListGetters)
{
    ConfigFileReader reader;
    Open(reader,
         "#E\n"
         "vec = 1.5, -2 ,3e1 junk\n"
         "two = 1, 2\n"
         "pair = 4.9, -7.9\n"
         "nolist 1, 2, 3\n"
         "list = 1,2, 3 ,4,5\n"
         "texts = \"a\", \"b, c\" , \"d\"\n"
         "badtexts = \"a\", b\n"
         "mixed = 0.5, \"half\", 2\n"
         "label = \"Lab\", 1, 2, 3\n");
    float v[3] = {9, 9, 9};
    EXPECT_EQ(reader.GetVector3("vec", v, 0), 0);
    EXPECT_EQ(v[0], 1.5f);
    EXPECT_EQ(v[1], -2.0f);
    EXPECT_EQ(v[2], 30.0f);

    float w[3] = {9, 9, 9};
    EXPECT_EQ(reader.GetValueVariantA("two", w, 0), 1);  // two parts stored, the third kept
    EXPECT_EQ(w[0], 1.0f);
    EXPECT_EQ(w[1], 2.0f);
    EXPECT_EQ(w[2], 9.0f);
    EXPECT_EQ(reader.GetVector3("vec", w, 1), 2);
    EXPECT_EQ(reader.GetVector3("nolist", w, 0), 1);  // lists need the "="

    float fp[2] = {};
    EXPECT_EQ(reader.GetFloatPair("pair", fp, 0), 0);
    EXPECT_EQ(fp[1], -7.9f);
    int32_t ip[2] = {};
    EXPECT_EQ(reader.GetIntPair("pair", ip, 0), 0);
    EXPECT_EQ(ip[0], 4);
    EXPECT_EQ(ip[1], -7);

    float list[8] = {};
    EXPECT_EQ(reader.GetFloatList("list", list, 8, 0), 5);
    EXPECT_EQ(list[4], 5.0f);
    float three[3] = {};
    EXPECT_EQ(reader.GetFloatList("list", three, 3, 0), 3);  // the capacity bounds what is stored
    EXPECT_EQ(three[2], 3.0f);
    EXPECT_EQ(reader.GetFloatList("absent", list, 8, 0), 0);

    String texts[4];
    EXPECT_EQ(reader.GetTextList("texts", texts, 4, 0), 3);
    EXPECT_STREQ(texts[1].c_str(), "b, c");
    EXPECT_STREQ(texts[2].c_str(), "d");
    EXPECT_EQ(reader.GetTextList("texts", texts, 2, 0), 2);
    EXPECT_EQ(reader.GetTextList("badtexts", texts, 4, 0), 1);

    float a = 0, c = 0;
    String half;
    EXPECT_EQ(reader.GetFloatTextFloat("mixed", a, half, c, 0), 0);
    EXPECT_EQ(a, 0.5f);
    EXPECT_STREQ(half.c_str(), "half");
    EXPECT_EQ(c, 2.0f);
    EXPECT_EQ(reader.GetFloatTextFloat("vec", a, half, c, 0), 1);

    String label;
    float xyz[3] = {};
    EXPECT_EQ(reader.GetTextAndVector3("label", label, xyz, 0), 0);
    EXPECT_STREQ(label.c_str(), "Lab");
    EXPECT_EQ(xyz[2], 3.0f);
}

TEST(ConfigFileReaderTest, LinkedReaderIsAskedFirst)
{
    ConfigFileReader own, linked;
    Open(own, "#E\nspeed = 1\nonly = 5\n");
    Open(linked, "speed = 2\nname = \"linked\"\n");
    own.SetLinkedReader(&linked);
    EXPECT_EQ(own.GetLinkedReader(), &linked);

    int32_t v = 0;
    EXPECT_EQ(own.GetInt("speed", v, 0), 0);
    EXPECT_EQ(v, 2);
    EXPECT_TRUE(own.WasFoundInLinkedReader());
    EXPECT_EQ(own.GetInt("only", v, 0), 0);
    EXPECT_EQ(v, 5);
    EXPECT_FALSE(own.WasFoundInLinkedReader());
    String name;
    EXPECT_EQ(own.GetString("name", name, 0), 0);
    EXPECT_STREQ(name.c_str(), "linked");

    // The setters always write into the linked reader.
    EXPECT_EQ(own.SetInt("speed", 8, 0), 0);
    EXPECT_EQ(own.SetInt("fresh", 4, 0), 0);
    EXPECT_TRUE(own.WasFoundInLinkedReader());
    EXPECT_EQ(std::string(linked.GetText(), size_t(linked.GetTextLength())),
              "speed = 8\nname = \"linked\"\n\r\nfresh=4");
    EXPECT_EQ(std::string(own.GetText(), size_t(own.GetTextLength())), "#E\nspeed = 1\nonly = 5\n");

    LogCapture log;
    linked.SetLinkedReader(&own);  // would ask in a circle
    EXPECT_EQ(linked.GetLinkedReader(), nullptr);
    EXPECT_EQ(log.Count("would lead back"), 1);
}

TEST(ConfigFileReaderTest, BlockReading)
{
    ConfigFileReader reader;
    ASSERT_EQ(reader.Load((kFixtures + "entries.cfg").c_str()), 0);
    int32_t v = 0;
    String name;

    reader.BeginBlockRead(0);
    ASSERT_EQ(reader.NextBlock(name), 1);
    EXPECT_STREQ(name.c_str(), "Stats");
    EXPECT_EQ(reader.GetInt("hp", v, 0), 1);  // hp lies one level deeper
    reader.EnterBlock();
    EXPECT_EQ(reader.GetInt("hp", v, 0), 0);
    EXPECT_EQ(v, 100);
    EXPECT_EQ(reader.GetInt("after", v, 0), 0);
    EXPECT_EQ(reader.GetInt("deep", v, 0), 1);
    ASSERT_EQ(reader.NextBlock(name), 1);
    EXPECT_STREQ(name.c_str(), "Inner");
    reader.EnterBlock();
    EXPECT_EQ(reader.GetInt("hp", v, 0), 0);
    EXPECT_EQ(v, 5);
    EXPECT_EQ(reader.NextBlock(name), 0);
    EXPECT_STREQ(name.c_str(), "");
    reader.ExitBlock();
    EXPECT_EQ(reader.NextBlock(name), 0);  // Stats holds no further block
    reader.ExitBlock();
    char buffer[4];
    ASSERT_EQ(reader.NextBlock(buffer, sizeof buffer), 1);
    EXPECT_STREQ(buffer, "Ext");  // cut to the caller's buffer
    reader.SkipBlock();
    EXPECT_EQ(reader.NextBlock(name), 0);  // the entry ends: the sub-entry's blocks are not ours
    EXPECT_EQ(reader.GetInt("heal", v, 0), 1);
    reader.EndBlockRead();
    EXPECT_EQ(reader.GetBlockDepth(), -1);

    // A sub-entry's block falls back to its parent's block of the same name only.
    reader.BeginBlockRead(1);
    ASSERT_EQ(reader.NextBlock(name), 1);
    EXPECT_STREQ(name.c_str(), "Stats");
    reader.EnterBlock();
    EXPECT_EQ(reader.GetInt("mp", v, 1), 0);
    EXPECT_EQ(reader.GetInt("hp", v, 1), 0);
    EXPECT_EQ(v, 100);
    reader.ExitBlock();
    ASSERT_EQ(reader.NextBlock(name), 1);
    EXPECT_STREQ(name.c_str(), "Other");
    reader.EnterBlock();
    EXPECT_EQ(reader.GetInt("x", v, 1), 0);
    EXPECT_EQ(v, 2);
    EXPECT_EQ(reader.GetInt("after", v, 1), 1);
    reader.ExitBlock();
    reader.EndBlockRead();
}

TEST(ConfigFileReaderTest, BlockErrors)
{
    struct Case {
        const char* file;
        const char* message;
    } cases[] = {
        {"brace_close.cfg", "Invalid '}' in file '%s' at line 1"},
        {"brace_after.cfg", "Invalid block start/end in file '%s' at line 3"},
        {"brace_open.cfg", "Unfinished block in file '%s'"},
    };
    for (const Case& c : cases) {
        std::string path = kFixtures + c.file;
        char expected[512];
        std::snprintf(expected, sizeof expected, c.message, path.c_str());
        ConfigFileReader reader;
        try {
            reader.Load(path.c_str());
            ADD_FAILURE() << c.file << " loaded";
        } catch (const ErrorMsg& error) {
            EXPECT_STREQ(error.message, expected);
            EXPECT_STREQ(error.className, "ConfigFileReader");
        }
        EXPECT_FALSE(reader.IsLoaded());  // nothing half-built stays
        EXPECT_EQ(reader.GetNumEntries(), 0);
        EXPECT_EQ(reader.GetLineCount(), 0);
    }

    ConfigFileReader reader;
    std::string path = kFixtures + "brace_name.cfg";
    ASSERT_EQ(reader.Load(path.c_str()), 0);  // only reading the block refuses it
    String name;
    EXPECT_THROW(reader.NextBlock(name), ErrorMsg);
    reader.BeginBlockRead(0);
    try {
        reader.NextBlock(name);
        ADD_FAILURE();
    } catch (const ErrorMsg& error) {
        EXPECT_EQ(std::string(error.message), "Unreachable code in file '" + path + "' at line 1");
    }

    Open(reader, "#E\nBlock {\nx = 1\n}\n");
    reader.BeginBlockRead(0);
    EXPECT_THROW(reader.EnterBlock(), ErrorMsg);  // the cursor is on "#E"
    EXPECT_THROW(reader.ExitBlock(), ErrorMsg);   // not inside a block
    ASSERT_EQ(reader.NextBlock(name), 1);
    reader.EnterBlock();
    reader.ExitBlock();
    EXPECT_EQ(reader.GetBlockLine(), 4);
}

TEST(ConfigFileReaderTest, DescIndex)
{
    LogCapture log;
    ConfigFileReader reader;
    reader.SetDescKey("desc");
    std::string path = kFixtures + "desc.cfg";
    ASSERT_EQ(reader.Load(path.c_str()), 0);  // the empty name is skipped, not fatal
    ASSERT_EQ(reader.GetNumEntries(), 6);
    EXPECT_EQ(reader.FindEntryByDesc("Twin"), 0);
    EXPECT_EQ(reader.FindEntryByDesc("TWIN"), 0);
    EXPECT_EQ(reader.FindEntryByDesc("Last"), 4);
    EXPECT_EQ(reader.FindEntryByDesc("Nothing"), -1);
    EXPECT_EQ(reader.FindEntryByDesc(""), -1);
    EXPECT_STREQ(reader.GetDescOfEntry(1).c_str(), "twin");
    EXPECT_STREQ(reader.GetDescOfEntry(5).c_str(), "Last");  // the parent's
    EXPECT_STREQ(reader.GetDescOfEntry(2).c_str(), "");
    EXPECT_STREQ(reader.GetDescOfEntry(-1).c_str(), "");

    EXPECT_EQ(log.Count(("'desc' entry in '" + path + "' (1) not unique: 'twin'").c_str()), 1);
    EXPECT_EQ(log.Count(("No 'desc' entry in entry 2 in file '" + path + "'").c_str()), 1);
    EXPECT_EQ(log.Count(("Invalid 'desc' entry in '" + path + "' (3): ''").c_str()), 1);
    EXPECT_EQ(log.Count(("'desc' entry in '" + path + "' (5) not unique: 'Last'").c_str()), 1);

    Open(reader, "#A\ndesc = \"\x01odd\"\n#B\ndesc = \"Fine\"\n#C\ndesc = \"R\xfcstung\"\n#D\ndesc = \"\xe9p\xe9" "e\"\n");
    EXPECT_EQ(reader.FindEntryByDesc("Fine"), 1);
    EXPECT_EQ(reader.FindEntryByDesc("R\xfcstung"), 2);  // 8-bit letters after the first are kept
    EXPECT_EQ(reader.FindEntryByDesc("\xe9p\xe9" "e"), -1);
    EXPECT_EQ(log.Count("Invalid 'desc' entry in '*memory*' (0)"), 1);
    EXPECT_EQ(log.Count("Invalid 'desc' entry in '*memory*' (3)"), 1);

    // Names that share all but their ends, as in the game's definition files.
    std::string text;
    for (int e = 0; e < 300; ++e)
        text += "#E\ndesc = \"Monster_Forest_Troll_" + std::to_string(e) + "\"\n";
    text += "#Again\ndesc = \"MONSTER_forest_TROLL_7\"\n";
    Open(reader, text);
    for (int e = 0; e < 300; ++e)
        ASSERT_EQ(reader.FindEntryByDesc(("Monster_Forest_Troll_" + std::to_string(e)).c_str()), e);
    EXPECT_EQ(reader.FindEntryByDesc("monster_forest_troll_299"), 299);
    EXPECT_EQ(reader.FindEntryByDesc("Monster_Forest_Troll_"), -1);
    EXPECT_EQ(reader.FindEntryByDesc("Monster_Forest_Troll_3000"), -1);
    EXPECT_EQ(log.Count("'desc' entry in '*memory*' (300) not unique: 'MONSTER_forest_TROLL_7'"), 1);
}

TEST(ConfigFileReaderTest, SetIntReplacesOrInserts)
{
    ConfigFileReader reader;
    Open(reader, "#A\nk = 12 rest\npair = 1 , 2 tail\n#B\nm = 1");
    EXPECT_EQ(reader.SetInt("k", -345, 0), 0);
    EXPECT_EQ(reader.SetIntPair("pair", 30, 40, 0), 0);
    EXPECT_EQ(reader.SetInt("new", 7, 1), 0);  // last entry: at the end of the text
    EXPECT_EQ(reader.SetIntPair("np", 5, 6, 0), 0);
    EXPECT_EQ(reader.SetInt("k", 1, 2), 2);
    EXPECT_EQ(std::string(reader.GetText(), size_t(reader.GetTextLength())),
              "#A\nk = -345 rest\npair = 30 , 40 tail\nnp=5,6\r\n#B\nm = 1\r\nnew=7");
    int32_t pair[2] = {};
    EXPECT_EQ(reader.GetIntPair("np", pair, 0), 0);
    EXPECT_EQ(pair[1], 6);
}

TEST(ConfigFileReaderTest, InsertedKeyKeepsEntriesRight)
{
    TempDir dir;
    ConfigFileReader reader;
    Open(reader, "#One\na = 1\n#Two\nb = 2\n#Three\nc = 3\n");
    ASSERT_EQ(reader.SetInt("x", 10, 0), 0);  // a new line inside the first entry
    int32_t v = 0;
    EXPECT_EQ(reader.GetInt("b", v, 1), 0);
    EXPECT_EQ(v, 2);
    EXPECT_EQ(reader.GetInt("c", v, 2), 0);
    EXPECT_EQ(v, 3);
    EXPECT_EQ(reader.GetInt("x", v, 1), 1);  // it belongs to entry 0 only
    EXPECT_EQ(reader.SetInt("y", 20, 1), 0);
    EXPECT_EQ(reader.SetInt("b", 22, 1), 0);
    EXPECT_EQ(reader.SetInt("c", 33, 2), 0);
    EXPECT_EQ(reader.SetInt("a", 11, 0), 0);
    EXPECT_EQ(reader.SetInt("z", 30, 2), 0);
    EXPECT_EQ(reader.GetEntryLineCount(0), 3);
    EXPECT_EQ(reader.GetEntryLineCount(1), 3);

    std::string path = dir("saved.cfg");
    ASSERT_EQ(reader.SaveAs(path.c_str()), 0);
    ConfigFileReader saved;
    ASSERT_EQ(saved.Load(path.c_str()), 0);
    struct Case {
        const char* key;
        int32_t entry, value;
    } cases[] = {{"a", 0, 11}, {"x", 0, 10}, {"b", 1, 22}, {"y", 1, 20}, {"c", 2, 33}, {"z", 2, 30}};
    for (const Case& c : cases) {
        v = -1;
        EXPECT_EQ(saved.GetInt(c.key, v, c.entry), 0) << c.key;
        EXPECT_EQ(v, c.value) << c.key;
    }
    EXPECT_EQ(saved.GetInt("y", v, 0), 1);
    EXPECT_EQ(saved.GetInt("x", v, 1), 1);
}

TEST(ConfigFileReaderTest, TextEdits)
{
    ConfigFileReader reader;
    Open(reader, "one\ntwo");
    EXPECT_EQ(reader.InsertLine(5, "three"), 0);  // at the end, without a final break
    EXPECT_EQ(Line(reader, 2), "three");
    EXPECT_EQ(reader.InsertLine(0, "zero"), 0);
    EXPECT_EQ(Line(reader, 0), "zero");
    EXPECT_EQ(Line(reader, 1), "one");
    EXPECT_EQ(reader.ReplaceInLine(1, 1, 1, "NN"), 0);
    EXPECT_EQ(Line(reader, 1), "oNNe");
    EXPECT_EQ(Line(reader, 3), "three");
    EXPECT_EQ(reader.ReplaceInLine(9, 0, 0, "x"), 1);
    EXPECT_EQ(reader.ReplaceInLine(1, 3, 2, "x"), 2);
    EXPECT_EQ(std::string(reader.GetText(), size_t(reader.GetTextLength())), "zero\r\noNNe\ntwo\r\nthree");
}

TEST(ConfigFileReaderTest, AppendFile)
{
    TempDir dir;
    ConfigFileReader reader;
    EXPECT_THROW(reader.AppendFile((kFixtures + "desc.cfg").c_str(), true), ErrorMsg);

    Open(reader, "#A\na = 1");
    {
        LogCapture log;
        EXPECT_EQ(reader.AppendFile(dir("missing.cfg").c_str(), true), 1);
    }
    std::string extra = dir("extra.cfg");
    TempDir::WriteAll(extra, {'#', 'B', '\n', 'b', ' ', '2'});
    EXPECT_EQ(reader.AppendFile(extra.c_str(), true), 0);
    EXPECT_EQ(reader.GetNumEntries(), 2);
    int32_t v = 0;
    EXPECT_EQ(reader.GetInt("b", v, 1), 0);
    EXPECT_EQ(v, 2);

    std::vector<uint8_t> longLine(70000, 'x');
    longLine.push_back('\n');
    TempDir::WriteAll(extra, longLine);
    int32_t length = reader.GetTextLength();
    EXPECT_EQ(reader.AppendFile(extra.c_str(), true), 4);  // the failed split is reported
    EXPECT_STREQ(reader.GetErrorText(), "Line too long in file *memory*");
    // ... and taken back: the text and its tables stay as they were.
    EXPECT_EQ(reader.GetTextLength(), length);
    ASSERT_EQ(reader.GetNumEntries(), 2);
    EXPECT_EQ(reader.GetEntryTextOffset(1), 9);
    EXPECT_EQ(reader.GetInt("b", v, 1), 0);
    EXPECT_EQ(Line(reader, 3), "b 2");
}

TEST(ConfigFileReaderTest, SaveAndReloadTest)
{
    TempDir dir;
    std::string path = dir("game.cfg");
    TempDir::WriteAll(path, {'k', ' ', '1', '\n'});
    ConstantTable table;
    ConfigFileReader reader;
    EXPECT_TRUE(reader.NeedsReload());
    reader.SetConstantTable(&table);
    ASSERT_EQ(reader.Load(path.c_str()), 0);
    EXPECT_FALSE(reader.NeedsReload());
    table.SetValue("NEW", 1);
    EXPECT_TRUE(reader.NeedsReload());
    ASSERT_EQ(reader.Load(path.c_str()), 0);  // the stamp is taken again
    EXPECT_FALSE(reader.NeedsReload());

    std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) - std::chrono::hours(1));
    EXPECT_TRUE(reader.NeedsReload());

    EXPECT_EQ(reader.SetInt("k", 5), 0);
    EXPECT_EQ(reader.Save(), 0);
    EXPECT_FALSE(reader.NeedsReload());
    auto bytes = TempDir::ReadAll(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "k 5\n");

    std::filesystem::remove(path);
    EXPECT_FALSE(reader.NeedsReload());  // a file that does not open needs no reload
    LogCapture log;
    EXPECT_EQ(reader.SaveAs(dir("no_dir/x.cfg").c_str()), 1);
}

// Random texts of the format's own characters through loading, every getter and a block walk:
// errors may be thrown for bad braces, but nothing may crash, hang or read out of bounds.
TEST(ConfigFileReaderTest, RandomTextsStayInBounds)
{
    const char alphabet[] = "#{}=,\"; \t\r\n\x01.e+-0123456789kKvAbx_\xe9";
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    LogCapture log;
    ConstantTable table;
    table.SetValue("A", 1);
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        size_t length = next() % 200;
        for (size_t i = 0; i < length; ++i)
            text += alphabet[next() % (sizeof alphabet - 1)];
        ConfigFileReader reader;
        reader.SetConstantTable(&table);
        reader.SetDescKey("k");
        try {
            if (reader.OpenMemory(text.data(), int32_t(text.size())) != 0)
                continue;
            for (int32_t entry = -2; entry <= reader.GetNumEntries(); ++entry) {
                double d;
                String s;
                float v[3];
                int32_t p[2];
                float list[4];
                String texts[2];
                float f1, f2;
                reader.GetDouble("k", d, entry);
                reader.GetString("k", s, entry);
                reader.GetVector3("k", v, entry);
                reader.GetIntPair("v", p, entry);
                reader.GetFloatList("k", list, 4, entry);
                reader.GetTextList("k", texts, 2, entry);
                reader.GetFloatTextFloat("k", f1, s, f2, entry);
                reader.GetTextAndVector3("k", s, v, entry);
                reader.SetIntPair("v", 1, 2, entry);
                reader.SetInt("k", 3, entry);
                reader.GetDescOfEntry(entry);
            }
            reader.BeginBlockRead(0);
            String name;
            for (int steps = 0; steps < 20 && reader.NextBlock(name); ++steps)
                reader.SkipBlock();
        } catch (const ErrorMsg&) {
        }
    }
}
