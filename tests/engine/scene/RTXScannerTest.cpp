// Tests of RTXScanner: the keyword table, block skipping and the argument forms.
#include "engine/scene/RTXScanner.h"

#include "base/TextDataFileReader.h"
#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// A reader over a text held in memory.
struct Text {
    TextDataFileReader reader;
    RTXScanner scanner{reader};

    explicit Text(const std::string& text) { reader.OpenBytes("test.rtx", std::vector<char>(text.begin(), text.end())); }

    std::vector<int32_t> Keywords()
    {
        std::vector<int32_t> found;
        for (int32_t k = scanner.NextKeyword(); k != RTX_END_OF_FILE; k = scanner.NextKeyword())
            found.push_back(k);
        return found;
    }
};

}  // namespace

TEST(RTXScanner, KeywordTableAndAliases)
{
    struct Case {
        const char* word;
        int32_t id;
    };
    const Case cases[] = {
        {"SCENE", RTX_SCENE},
        {"3DSMAX_RTXEXPORT", RTX_EXPORT_HEADER},
        {"WIREFRAME_COLOR", RTX_WIREFRAME_COLOR},
        {"CONTROL_POS_TRACK", RTX_CONTROL_POS_BEZIER},
        {"CONTROL_ROT_TRACK", RTX_CONTROL_ROT_TCB},
        {"CONTROL_ROT_LINEAR", RTX_CONTROL_ROT_TCB},
        {"CONTROL_SCALE_TRACK", RTX_CONTROL_SCALE_BEZIER},
        {"CONTROL_ROT_KEY", RTX_CONTROL_ROT_SAMPLE},
        {"FOG_DENSITY", RTX_FOG_DENSITY},
        {"SCENES", RTX_UNKNOWN},
        {"", RTX_UNKNOWN},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RTXScanner::Lookup(c.word), c.id) << c.word;
    // 143 identities and 5 alias spellings.
    EXPECT_EQ(RTX_EXPORT_HEADER + 1 + 5, RTXScanner::kTableSize);
}

TEST(RTXScanner, KeywordsInAnyCaseAndSkippedBlocks)
{
    Text t("*scene { *Scene_FirstFrame 3 } *UNKNOWN_BLOCK { *GEOMOBJECT { { } } \"}\" } *node_name \"a{\" "
           "*NoSuchKeyword 5 } *MESH");
    EXPECT_EQ(t.scanner.NextKeyword(), RTX_SCENE);
    EXPECT_TRUE(t.scanner.OpenBlock());
    EXPECT_EQ(t.scanner.NextKeyword(), RTX_SCENE_FIRSTFRAME);
    EXPECT_EQ(t.scanner.NextKeyword(), RTX_END_OF_BLOCK);
    // Blocks not entered are passed over whole. The quoted brace of the skipped block counts: it
    // closes that block early, and its real closing brace then reads as the end of a block; the
    // quoted brace after NODE_NAME opens a level that hides the next keyword.
    EXPECT_EQ(t.Keywords(), (std::vector<int32_t>{RTX_UNKNOWN, RTX_END_OF_BLOCK, RTX_NODE_NAME, RTX_MESH}));
}

TEST(RTXScanner, BlocksAndTheEndOfTheText)
{
    Text t("*GEOMOBJECT  {\n *NODE_NAME \"x\" *TM_ANIMATION { *A { *B } } }\n}");
    EXPECT_EQ(t.scanner.NextKeyword(), RTX_GEOMOBJECT);
    EXPECT_TRUE(t.scanner.OpenBlock());
    EXPECT_EQ(t.scanner.NextKeyword(), RTX_NODE_NAME);
    EXPECT_EQ(t.scanner.NextKeyword(), RTX_TM_ANIMATION);  // its block is not entered: passed over
    EXPECT_EQ(t.scanner.NextKeyword(), RTX_END_OF_BLOCK);
    EXPECT_EQ(t.scanner.NextKeyword(), RTX_END_OF_BLOCK);  // a stray brace
    EXPECT_EQ(t.scanner.NextKeyword(), RTX_END_OF_FILE);
    EXPECT_FALSE(t.scanner.OpenBlock());

    const std::string longWord = "*" + std::string(128, 'K');
    Text tooLong(longWord);
    EXPECT_NE(ErrorOf([&] { tooLong.scanner.NextKeyword(); }).find("String too long (>127)"), std::string::npos);
    Text longest("*" + std::string(127, 'K') + " ");
    EXPECT_EQ(longest.scanner.NextKeyword(), RTX_UNKNOWN);
}

TEST(RTXScanner, IntegersRoundToNearest)
{
    struct Case {
        const char* text;
        bool present;
        int32_t value;
    };
    const Case cases[] = {
        {" 42", true, 42},      {"\n\t2.5", true, 3},   {"-1.6", true, -2},  {"+7", true, 7},
        {"0.49", true, 0},      {"*NEXT", false, 9},    {"abc", false, 9},   {"", false, 9},
        {"99999999999", true, INT32_MAX},
    };
    for (const Case& c : cases) {
        Text t(c.text);
        int32_t value = 9;
        EXPECT_EQ(t.scanner.ReadInt(value), c.present) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
    // An absent integer leaves the position on the character that is no number.
    Text t("  *MESH_MTLID 1");
    int32_t value = 0;
    EXPECT_FALSE(t.scanner.ReadInt(value));
    EXPECT_EQ(t.scanner.NextKeyword(), RTX_MESH_MTLID);
}

TEST(RTXScanner, NumbersWordsAndTexts)
{
    Text t("1.5, -2 ,3e1 4 } \"quoted text\" Omni,x \"" + std::string(200, 'q') + "\" \"" + std::string(128, 'q') +
           "\"");
    D3DXVECTOR3 v;
    EXPECT_TRUE(t.scanner.ReadVector(v));
    EXPECT_EQ(v, D3DXVECTOR3(1.5f, -2.0f, 30.0f));
    float f = 0;
    EXPECT_TRUE(t.scanner.ReadNumber(f));
    EXPECT_EQ(f, 4.0f);
    EXPECT_FALSE(t.scanner.ReadNumber(f));  // a brace is no number and stays for the block reader
    EXPECT_EQ(t.scanner.NextKeyword(), RTX_END_OF_BLOCK);
    String s;
    EXPECT_TRUE(t.scanner.ReadQuotedText(s));
    EXPECT_STREQ(s.c_str(), "quoted text");
    EXPECT_TRUE(t.scanner.ReadWord(s));
    EXPECT_STREQ(s.c_str(), "Omni");
    t.reader.ReadChar();
    EXPECT_TRUE(t.scanner.ReadWord(s));
    EXPECT_TRUE(t.scanner.ReadQuotedString(s));
    EXPECT_EQ(s.TextLength(), 200);
    EXPECT_NE(ErrorOf([&] { t.scanner.ReadQuotedText(s); }).find("String too long (>127)"), std::string::npos);
}
