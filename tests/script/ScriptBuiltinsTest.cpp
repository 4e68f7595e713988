// Built-in functions: results and types, the calls that go on to the game, the messages, and the
// random functions drawing from the program-wide generator.
#include "ScriptTestRunner.h"

#include "base/Random.h"
#include "script/ScriptReader.h"
#include "support/FixtureRoot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

struct BuiltinCase {
    const char* source;
    ScriptExpect expect;
};

const BuiltinCase kBuiltinCases[] = {
    {"return abs(-3);", {kScriptFloat, 3.0, nullptr}},
    {"return int(\"7.9\");", {kScriptInt, 7, nullptr}},
    {"return int(\"abc\");", {kScriptInt, 0, nullptr}},
    {"return int(-7.9);", {kScriptInt, -7, nullptr}},
    {"return float(\"2.5e1x\");", {kScriptFloat, 25.0, nullptr}},
    {"return float(3);", {kScriptFloat, 3.0, nullptr}},
    {"return string(0.1);", {kScriptString, 0, "0.1"}},
    {"return string(-12);", {kScriptString, 0, "-12"}},
    {"return string(1234567.0);", {kScriptString, 0, "1.23457e+06"}},
    {"return string(\"s\");", {kScriptString, 0, "s"}},
    {"return min(3, 2.7);", {kScriptInt, 2, nullptr}},
    {"return max(2.5, 3);", {kScriptFloat, 3.0, nullptr}},
    {"return min(2.5, \"x\");", {kScriptFloat, 0.0, nullptr}},
    {"return pow(2, 10);", {kScriptFloat, 1024.0, nullptr}},
    {"return pow(0.1, 1);", {kScriptFloat, static_cast<double>(0.1f), nullptr}},
    {"return sqrt(16) + exp(0) + log(1) + sin(0) + cos(0) + tan(0) + asin(0) + acos(1) + atan(0);",
     {kScriptFloat, 6.0, nullptr}},
    {"return RAD(180);", {kScriptFloat, 180.0 * static_cast<double>(0.01745329f), nullptr}},
    {"return DEG(1);", {kScriptFloat, static_cast<double>(57.29578f), nullptr}},
    {"return strlen(\"hello\");", {kScriptInt, 5, nullptr}},
    {"return strtrim(\"abcdef\", 1, 3);", {kScriptString, 0, "bcd"}},
    {"return strtrim(\"abcdef\", 4, 100);", {kScriptString, 0, "ef"}},
    {"return strtrim(\"abcdef\", -5, 1);", {kScriptString, 0, "ab"}},
    {"return strtrim(\"abcdef\", 3, 1);", {kScriptString, 0, ""}},
    {"return strtrim(\"\", 0, 5);", {kScriptString, 0, ""}},
    {"float sin(float x) { return 42.0; } return sin(1.0);", {kScriptFloat, 42.0, nullptr}},
    // counts that are not the built-in's go on to the game
    {"return RAD(1, 2);", {kExpectError, 0, "Unknown function 'RAD' accepting 2 arguments"}},
    {"return DEG();", {kExpectError, 0, "Unknown function 'DEG' accepting 0 arguments"}},
    {"return rand(1, 2, 3);", {kExpectError, 0, "Unknown function 'rand' accepting 3 arguments"}},
    {"return Sin(1);", {kExpectError, 0, "Unknown function 'Sin' accepting 1 arguments"}},
    // messages
    {"return sqrt(\"x\");", {kExpectError, 0, "Invalid parameters for function 'sqrt'"}},
    {"return sqrt(1, 2);", {kExpectError, 0, "Invalid parameters for function 'sqrt'"}},
    {"return randInt(1);", {kExpectError, 0, "Invalid parameters for function 'randInt'"}},
    {"return min(\"a\", 1);", {kExpectError, 0, "Invalid parameters for function 'min'"}},
    {"return strlen(1);", {kExpectError, 0, "Invalid parameters for function 'strlen'"}},
    {"void f() { } return int(f());", {kExpectError, 0, "Can not convert 'Void' to 'Int'"}},
    {"void f() { } return float(f());", {kExpectError, 0, "Can not convert 'Void' to 'Float'"}},
    {"void f() { } return string(f());", {kExpectError, 0, "Can not convert 'Void' to 'String'"}},
    {"return LoadString(\"no such file.txt\");", {kExpectError, 0, "Can not open file 'no such file.txt'"}},
};

// float and int read a text as its leading decimal number: what the C library reads beyond that
// (hexadecimal, infinity, not-a-number) gives 0.
const BuiltinCase kNumberTextCases[] = {
    {"return float(\"0x10\");", {kScriptFloat, 0.0, nullptr}},
    {"return float(\"0x1p3\");", {kScriptFloat, 0.0, nullptr}},
    {"return float(\"inf\");", {kScriptFloat, 0.0, nullptr}},
    {"return float(\"nan\");", {kScriptFloat, 0.0, nullptr}},
    {"return int(\"0x1A\");", {kScriptInt, 0, nullptr}},
    {"return int(\"-inf\");", {kScriptInt, 0, nullptr}},
    {"return float(\"12abc\");", {kScriptFloat, 12.0, nullptr}},
    {"return float(\" -.5E1\");", {kScriptFloat, -5.0, nullptr}},
    {"return float(\"+3.25\");", {kScriptFloat, 3.25, nullptr}},
    {"return float(\"7e\");", {kScriptFloat, 7.0, nullptr}},
    {"return int(\"-7.9\");", {kScriptInt, -7, nullptr}},
    {"return int(\"1e3\");", {kScriptInt, 1000, nullptr}},
    {"return int(\"\");", {kScriptInt, 0, nullptr}},
};

}  // namespace

TEST(ScriptBuiltinsTest, ResultsAndMessages)
{
    for (const BuiltinCase& test : kBuiltinCases) {
        ScriptReader reader;
        CheckOutcome(RunScriptText(reader, test.source), test.expect, test.source);
    }
}

TEST(ScriptBuiltinsTest, NumberTexts)
{
    for (const BuiltinCase& test : kNumberTextCases) {
        ScriptReader reader;
        CheckOutcome(RunScriptText(reader, test.source), test.expect, test.source);
    }
}

// Domain errors give the floating-point results of the operations, without a message.
TEST(ScriptBuiltinsTest, DomainErrorsGiveNotANumber)
{
    ScriptReader reader;
    ScriptOutcome outcome = RunScriptText(reader, "return sqrt(-1) + asin(2);");
    ASSERT_EQ(outcome.error, "");
    EXPECT_TRUE(std::isnan(outcome.value.m_Number));
    outcome = RunScriptText(reader, "return log(0);");
    EXPECT_TRUE(std::isinf(outcome.value.m_Number));
}

TEST(ScriptBuiltinsTest, LoadStringReadsAWholeFile)
{
    std::string source = std::string("return LoadString(\"") + SERVER_FIXTURES + "/script/run/loadstring.txt\");";
    ScriptReader reader;
    CheckOutcome(RunScriptText(reader, source.c_str()), {kScriptString, 0, "text for LoadString\r\nsecond line"},
                 "LoadString");
}

// rand and randInt draw from the program-wide generator: the same seed gives the same draws.
TEST(ScriptBuiltinsTest, RandomFunctionsFollowTheProgramGenerator)
{
    Random::Seed(1234);
    double expected[4] = {Random::Float01(), Random::RandomFloat(5.0f), Random::Range(2.0f, 4.0f),
                          static_cast<double>(Random::RangeInt(1, 6))};
    Random::Seed(1234);
    ScriptReader reader;
    ScriptOutcome outcome = RunScriptText(
        reader, "float a = rand(); float b = rand(5); float c = rand(2, 4); int d = randInt(1, 6);\r\n"
                "return string(a * 1000000) + \" \" + string(b * 1000000) + \" \" + string(c * 1000000) + \" \" + string(d);");
    ASSERT_EQ(outcome.error, "");
    char text[256];
    std::snprintf(text, sizeof text, "%g %g %g %i", expected[0] * 1000000, expected[1] * 1000000,
                  expected[2] * 1000000, static_cast<int>(expected[3]));
    EXPECT_STREQ(outcome.value.m_Text.c_str(), text);

    // every face of randInt(1, 6) comes up, and nothing else
    outcome = RunScriptText(reader, "int seen[7]; int f; int i; for (i = 0; i < 200; i++) { f = randInt(1, 6);\r\n"
                                    "if (f < 1 || f > 6) return -1; seen[f] = 1; }\r\n"
                                    "return seen[1] + seen[2] + seen[3] + seen[4] + seen[5] + seen[6];");
    EXPECT_EQ(outcome.value.m_Integer, 6);
    ASSERT_EQ(outcome.error, "");
}
