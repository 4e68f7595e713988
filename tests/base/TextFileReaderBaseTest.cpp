// TextFileReaderBase: decimal conversion against a correctly rounded oracle, the decimal-only
// syntax, and the constants link.
#include "base/TextFileReaderBase.h"

#include "base/ConfigFileReader.h"
#include "base/ConstantTable.h"
#include "support/FixtureRoot.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

uint64_t Bits(double v)
{
    uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

struct Sample {
    std::string text;
    uint64_t bits;
};

// numbers.txt comes from make_numbers.py beside it (Python's float() as the oracle).
std::vector<Sample> LoadSamples()
{
    std::ifstream in(std::string(SERVER_FIXTURES) + "/base/config/numbers.txt");
    std::vector<Sample> samples;
    std::string text, hex;
    while (in >> text >> hex)
        samples.push_back({text, std::stoull(hex, nullptr, 16)});
    return samples;
}

}  // namespace

TEST(TextFileReaderBaseTest, DecimalConversionMatchesOracle)
{
    std::vector<Sample> samples = LoadSamples();
    ASSERT_GT(samples.size(), 3000u);
    std::string config;
    for (size_t i = 0; i < samples.size(); ++i) {
        const Sample& s = samples[i];
        EXPECT_EQ(Bits(TextFileReaderBase::ConvertDecimal(s.text.c_str())), s.bits) << s.text;
        config += "v" + std::to_string(i) + " = " + s.text + "\n";
    }

    // The same texts as values of a configuration file.
    ConfigFileReader reader;
    ASSERT_EQ(reader.OpenMemory(config.data(), int32_t(config.size())), 0);
    for (size_t i = 0; i < samples.size(); ++i) {
        double value = 0;
        ASSERT_EQ(reader.GetDouble("v", value, -1, int32_t(i)), 0);
        EXPECT_EQ(Bits(value), samples[i].bits) << samples[i].text;
    }
}

TEST(TextFileReaderBaseTest, OnlyDecimalSyntaxIsANumber)
{
    struct Case {
        const char* text;
        double value;
        int32_t used;  // characters taken
    } cases[] = {
        {"1E3", 1000, 3},  {"1e3x", 1000, 3}, {"0x10", 0, 1},  {"inf", 0, 0},   {"-inf", 0, 0},
        {"nan", 0, 0},     {"1e", 1, 1},      {"1e+", 1, 1},   {"-.5a", -0.5, 3}, {".", 0, 0},
        {"+-3", 0, 0},     {"1.5.3", 1.5, 3}, {"12e-1", 1.2, 5}, {"", 0, 0},
    };
    for (const Case& c : cases) {
        const char* end = c.text + std::strlen(c.text);
        const char* stop = nullptr;
        EXPECT_EQ(TextFileReaderBase::ConvertDecimal(c.text, end, &stop), c.value) << c.text;
        EXPECT_EQ(stop - c.text, c.used) << c.text;
    }
}

TEST(TextFileReaderBaseTest, TextLinesLocateOffsets)
{
    TextLines lines;
    const char text[] = "ab\r\n\r\n\x01x\ny";
    ASSERT_EQ(lines.Split(text, int32_t(sizeof text - 1)), 0);
    ASSERT_EQ(lines.Count(), 4);
    EXPECT_EQ(lines.starts, (std::vector<int32_t>{0, 4, 7, 9}));
    EXPECT_EQ(lines.lengths, (std::vector<int32_t>{2, 0, 1, 1}));
    EXPECT_EQ(lines.LineOfOffset(3), 0);
    EXPECT_EQ(lines.LineOfOffset(6), 1);  // the skipped control character stays with the line before
    EXPECT_EQ(lines.LineOfOffset(10), 3);
}

TEST(TextFileReaderBaseTest, ConstantTableStamp)
{
    ConstantTable table;
    EXPECT_FALSE(table.SetValue("A", 1));
    EXPECT_TRUE(table.SetValue("a", 2));  // names ignore case
    EXPECT_EQ(table.GetChangeCount(), 2);
    double value = 0;
    EXPECT_TRUE(table.Lookup("A", value));
    EXPECT_EQ(value, 2);
    EXPECT_FALSE(table.Lookup("", value));
    EXPECT_FALSE(table.Lookup("\xe9t\xe9", value));  // outside 32..127: a miss, not an error

    ConfigFileReader reader;
    reader.SetConstantTable(&table);
    EXPECT_EQ(reader.GetConstantTable(), &table);
    reader.OpenMemory("", 0);
    EXPECT_FALSE(reader.NeedsReload());  // "*memory*" does not open: only the constants count
    table.SetValue("B", 3);
    EXPECT_TRUE(reader.NeedsReload());
    reader.SetConstantTable(&table);  // the table already held: the stamp stays
    EXPECT_TRUE(reader.NeedsReload());
    reader.SetConstantTable(nullptr);
    reader.SetConstantTable(&table);  // linked anew: the stamp is taken
    EXPECT_FALSE(reader.NeedsReload());
}
