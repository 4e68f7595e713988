// TextDataFileReader: both ways of opening, positions, tokens, typed tokens and the constants file.
#include "base/TextDataFileReader.h"

#include "support/FixtureRoot.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"
#include "base/ConstantTable.h"
#include "base/ErrorClass.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kFixtures = std::string(SERVER_FIXTURES) + "/base/config/";

// A reader over a text written to a scratch file, opened one way or the other.
class TextDataFileReaderTest : public ::testing::TestWithParam<bool> {
protected:
    void OpenText(const std::string& text)
    {
        m_Path = m_Dir("data.txt");
        TempDir::WriteAll(m_Path, std::vector<uint8_t>(text.begin(), text.end()));
        m_Reader.Open(m_Path.c_str(), GetParam());
    }
    TempDir m_Dir;
    std::string m_Path;
    TextDataFileReader m_Reader;
};

}  // namespace

TEST_P(TextDataFileReaderTest, TokensAndPositions)
{
    OpenText("  word, =5 {x}\"quoted text\" tail\r\nnext\n");
    char token[TextDataFileReader::kTokenSize];
    EXPECT_TRUE(m_Reader.IsLoaded());
    EXPECT_EQ(m_Reader.GetLineCount(), 3);
    EXPECT_EQ(m_Reader.ReadNextToken(token), 0);
    EXPECT_STREQ(token, "word");
    EXPECT_EQ(m_Reader.PeekChar(), ',');  // the comma ends the word and stays
    EXPECT_EQ(m_Reader.ReadToken(token), 0);
    EXPECT_STREQ(token, ",");
    EXPECT_EQ(m_Reader.ReadNextToken(token), 0);
    EXPECT_STREQ(token, "=");
    EXPECT_EQ(m_Reader.PeekChar(), '5');
    int32_t saved = m_Reader.GetFilePos();
    EXPECT_EQ(m_Reader.ReadNextToken(token), 0);
    EXPECT_STREQ(token, "5");
    EXPECT_EQ(m_Reader.SetFilePos(saved), 0);
    int32_t i = 0;
    EXPECT_EQ(m_Reader.ReadIntToken(i), 0);
    EXPECT_EQ(i, 5);
    EXPECT_EQ(m_Reader.ReadNextToken(token), 0);
    EXPECT_STREQ(token, "{");
    EXPECT_EQ(m_Reader.ReadNextToken(token), 0);
    EXPECT_STREQ(token, "x");
    EXPECT_EQ(m_Reader.FindChar('}', true), 0);
    EXPECT_EQ(m_Reader.ReadQuotedText(token), 0);
    EXPECT_STREQ(token, "quoted text");
    EXPECT_EQ(m_Reader.GetCurrentLine(), 0);
    EXPECT_EQ(m_Reader.NextLine(), 0);
    EXPECT_EQ(m_Reader.GetCurrentLine(), 1);
    String word;
    EXPECT_EQ(m_Reader.ReadNextToken(word), 0);
    EXPECT_STREQ(word.c_str(), "next");
    EXPECT_EQ(m_Reader.ReadNextToken(word), 1);
    EXPECT_STREQ(word.c_str(), "");
    EXPECT_TRUE(m_Reader.IsEndOfFile());
    EXPECT_EQ(m_Reader.PeekChar(), 0);
    EXPECT_EQ(m_Reader.GetFilePos(), m_Reader.GetSize());

    LogCapture log;
    EXPECT_EQ(m_Reader.SetFilePos(m_Reader.GetSize()), 0);
    EXPECT_EQ(m_Reader.SetFilePos(m_Reader.GetSize() + 1), 1);
    EXPECT_EQ(log.Count((m_Path + ": Invalid file position:" + std::to_string(m_Reader.GetSize() + 1)).c_str()), 1);
    EXPECT_EQ(m_Reader.NextLine(), 1);  // on the last line
    EXPECT_EQ(log.Count("Invalid line in file:3"), 1);
    EXPECT_EQ(m_Reader.FindChar('#', false), 1);
    EXPECT_THROW(m_Reader.FindChar('#', true), ErrorMsg);
    EXPECT_FALSE(m_Reader.MovePos(-1000));
    EXPECT_EQ(m_Reader.GetFilePos(), 0);
    EXPECT_TRUE(m_Reader.MovePos(2));
    EXPECT_FALSE(m_Reader.IsEndOfFile());
    EXPECT_EQ(m_Reader.ReadChar(), 'w');
}

TEST_P(TextDataFileReaderTest, TypedTokensAndConstants)
{
    LogCapture log;
    ConstantTable table;
    table.SetValue("SPEED", 4.5);
    m_Reader.SetConstantTable(&table);
    OpenText("SPEED 1E3 0x10 inf 1 2 3 1,2,3 1 , 2 , 3 -2.9 0 7 1,2");
    float f = 0;
    double d = 0;
    EXPECT_EQ(m_Reader.ReadFloatToken(f), 0);
    EXPECT_EQ(f, 4.5f);
    EXPECT_EQ(m_Reader.ReadDoubleToken(d), 0);
    EXPECT_EQ(d, 1000);  // a whole token: the exponent letter may be a capital here
    EXPECT_EQ(m_Reader.ReadDoubleToken(d), 0);
    EXPECT_EQ(d, 0);  // no hexadecimal
    EXPECT_EQ(m_Reader.ReadDoubleToken(d), 0);
    EXPECT_EQ(d, 0);  // a constant name the table lacks
    EXPECT_EQ(log.Count("Unrecognized constant: inf (file '"), 1);
    for (int round = 0; round < 3; ++round) {
        float xyz[3] = {};
        EXPECT_EQ(m_Reader.ReadVector3Token(xyz), 0) << round;
        EXPECT_EQ(xyz[0], 1.0f);
        EXPECT_EQ(xyz[2], 3.0f);
    }
    int32_t i = 0;
    EXPECT_EQ(m_Reader.ReadIntToken(i), 0);
    EXPECT_EQ(i, -2);
    bool b = true;
    EXPECT_EQ(m_Reader.ReadBoolToken(b), 0);
    EXPECT_FALSE(b);
    EXPECT_EQ(m_Reader.ReadBoolToken(b), 0);
    EXPECT_TRUE(b);
    float xyz[3] = {9, 9, 9};
    EXPECT_EQ(m_Reader.ReadVector3Token(xyz), 1);  // only two: they stay stored
    EXPECT_EQ(xyz[1], 2.0f);
    EXPECT_EQ(xyz[2], 9.0f);
}

TEST_P(TextDataFileReaderTest, QuotedTexts)
{
    LogCapture log;
    std::string longText(600, 'q');
    OpenText("\"\" \"" + longText + "\" nope \"" + std::string(128, 'x') + "\" \"open");
    String text("x");
    EXPECT_EQ(m_Reader.ReadQuotedString(text), 0);
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(m_Reader.ReadQuotedString(text), 0);
    EXPECT_EQ(std::string(text.c_str()), longText);
    char buffer[TextDataFileReader::kTokenSize];
    EXPECT_EQ(m_Reader.ReadQuotedText(buffer), 1);
    EXPECT_EQ(log.Count(": No text string found"), 1);
    EXPECT_EQ(m_Reader.ReadQuotedString(text), 1);  // consumes the "n"
    EXPECT_EQ(m_Reader.ReadNextToken(buffer), 0);
    EXPECT_STREQ(buffer, "ope");
    try {
        m_Reader.ReadQuotedText(buffer);
        ADD_FAILURE();
    } catch (const ErrorMsg& error) {
        EXPECT_EQ(std::string(error.message), m_Path + ": String too long (>127)");
    }
    m_Reader.FindChar('"', true);
    EXPECT_EQ(m_Reader.ReadQuotedString(text), 1);  // not closed
}

TEST_P(TextDataFileReaderTest, TokenAtTheLimit)
{
    OpenText(std::string(127, 'a') + " " + std::string(128, 'b'));
    char buffer[TextDataFileReader::kTokenSize];
    EXPECT_EQ(m_Reader.ReadNextToken(buffer), 0);
    EXPECT_EQ(std::string(buffer).size(), 127u);
    EXPECT_THROW(m_Reader.ReadNextToken(buffer), ErrorMsg);
}

INSTANTIATE_TEST_SUITE_P(InMemoryAndStream, TextDataFileReaderTest, ::testing::Bool());

TEST(TextDataFileReaderFileTest, OpenErrors)
{
    LogCapture log;
    TextDataFileReader reader;
    std::string missing = kFixtures + "no_such.txt";
    for (bool inMemory : {false, true}) {
        try {
            reader.Open(missing.c_str(), inMemory);
            ADD_FAILURE();
        } catch (const ErrorMsg& error) {
            EXPECT_EQ(std::string(error.message).rfind(missing + ": Can not open file " + missing, 0), 0u)
                << error.message;
        }
        EXPECT_FALSE(reader.IsLoaded());
    }

    TempDir dir;
    std::string path = dir("long.txt");
    std::vector<uint8_t> bytes(65536, 'x');
    bytes.push_back('\n');
    TempDir::WriteAll(path, bytes);
    EXPECT_THROW(reader.Open(path.c_str(), true), ErrorMsg);
    EXPECT_FALSE(reader.IsLoaded());
}

TEST(TextDataFileReaderFileTest, ParseConstants)
{
    struct Case {
        const char* file;
        std::vector<std::pair<const char*, double>> defined;
        std::vector<const char*> undefined;
        int lineWarnings;
    } cases[] = {
        {"constants.cfg", {{"ONE", 1}, {"TWO", 2}, {"SUM", 1}, {"MISSING", 0}, {"HALF", 0.5}}, {"NOEQUALS", "not"}, 0},
        {"constants_nofinal.cfg", {{"A", 1}, {"B", 1}}, {}, 1},
    };
    for (const Case& c : cases) {
        LogCapture log;
        ConstantTable table;
        TextDataFileReader reader;
        reader.SetConstantTable(&table);
        std::string path = kFixtures + c.file;
        reader.Open(path.c_str(), true);
        reader.ParseConstants(table);
        for (const auto& [name, value] : c.defined) {
            double v = -1;
            EXPECT_TRUE(table.Lookup(name, v)) << c.file << " " << name;
            EXPECT_EQ(v, value) << c.file << " " << name;
        }
        for (const char* name : c.undefined) {
            double v = 0;
            EXPECT_FALSE(table.Lookup(name, v)) << name;
        }
        EXPECT_EQ(log.Count("Invalid line in file:"), c.lineWarnings) << c.file;
        EXPECT_EQ(log.Count("Unrecognized constant:"), std::string(c.file) == "constants.cfg" ? 1 : 0);
        EXPECT_EQ(int(log.Total()), c.lineWarnings + (std::string(c.file) == "constants.cfg" ? 1 : 0)) << c.file;
        EXPECT_FALSE(reader.NeedsReload());
    }

    // A last line that is not a definition and has no break must not hold the reader forever.
    TempDir dir;
    std::string path = dir("tail.cfg");
    TempDir::WriteAll(path, {'X', '=', '1', '\n', ';', 'e', 'n', 'd'});
    LogCapture log;
    ConstantTable table;
    TextDataFileReader reader;
    reader.Open(path.c_str(), false);
    reader.ParseConstants(table);
    double v = 0;
    EXPECT_TRUE(table.Lookup("X", v));
    EXPECT_EQ(log.Count("Invalid line in file:2"), 1);
}

// Random texts through every token reader and the constants parser: errors for long tokens
// may be thrown, but the reader must always reach the end without crashing or looping.
TEST(TextDataFileReaderFileTest, RandomTextsReachTheEnd)
{
    const char alphabet[] = "ab_Z09.+-e=,{}\" \t\r\n\x01;#\xe9";
    uint32_t seed = 777;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    TempDir dir;
    std::string path = dir("random.txt");
    LogCapture log;
    for (int round = 0; round < 150; ++round) {
        std::vector<uint8_t> bytes(next() % 300);
        for (uint8_t& b : bytes)
            b = uint8_t(alphabet[next() % (sizeof alphabet - 1)]);
        if (round % 7 == 0)
            bytes.insert(bytes.end(), 130, 'w');  // one token over the limit
        TempDir::WriteAll(path, bytes);
        ConstantTable table;
        TextDataFileReader reader;
        reader.SetConstantTable(&table);
        try {
            reader.Open(path.c_str(), round % 2 == 0);
            reader.ParseConstants(table);
            reader.SetFilePos(0);
            char buffer[TextDataFileReader::kTokenSize];
            String text;
            float xyz[3];
            int32_t i;
            for (int steps = 0; steps < 2000 && !reader.IsEndOfFile(); ++steps) {
                switch (steps % 6) {
                case 0: reader.ReadNextToken(buffer); break;
                case 1: reader.ReadQuotedString(text); break;
                case 2: reader.ReadVector3Token(xyz); break;
                case 3: reader.ReadIntToken(i); reader.ReadChar(); break;
                case 4: reader.ReadIdentifier(buffer); reader.ReadChar(); break;
                default: reader.ReadQuotedText(buffer); reader.NextLine(); break;
                }
            }
            EXPECT_TRUE(reader.IsEndOfFile()) << round;
        } catch (const ErrorMsg&) {
        }
    }
}
