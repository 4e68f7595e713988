// Plans of simple constructs: whatever a program does, the shortcuts do the same as reading alone,
// and where a value turns Void the passes decide again.
#include "ScriptTestRunner.h"

#include "base/File.h"
#include "script/ScriptReader.h"
#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// "flip" reads as the Int 5 and as Void by turns; a minus after a Void value is a unary minus,
// so the same construct is read otherwise the second time.
int32_t g_FlipReads = 0;
ScriptValue* GetFlip(ScriptValue* result, const char* name, int32_t)
{
    if (std::strcmp(name, "flip") == 0 && g_FlipReads++ % 2 == 0)
        result->SetInt(5);
    else
        result->SetVoid();
    return result;
}
ScriptValue* NoFunction(ScriptValue* result, const char*, ScriptValue*, int32_t) { return result; }
// The function "flipf" gives the Int 5 and Void by turns, as "flip" reads.
ScriptValue* FlipFunction(ScriptValue* result, const char* name, ScriptValue*, int32_t)
{
    if (std::strcmp(name, "flipf") == 0 && g_FlipReads++ % 2 == 0)
        result->SetInt(5);
    else
        result->SetVoid();
    return result;
}
void NoStore(const char*, int32_t, ScriptValue*) {}

class PlainReader : public ScriptReader {
public:
    PlainReader() { m_UseShortcuts = false; }
};

std::string RunFlip(ScriptReader& reader, const char* source)
{
    g_FlipReads = 0;
    reader.SetThreaded(false);
    EXPECT_TRUE(reader.LoadInline(source));
    reader.SetGameCallbacks(ScriptGameCallbacks{GetFlip, NoFunction, NoStore});
    return ErrorOf([&] { reader.Execute(); });
}

std::string RunFlipCalls(ScriptReader& reader, const char* source)
{
    g_FlipReads = 0;
    reader.SetThreaded(false);
    EXPECT_TRUE(reader.LoadInline(source));
    reader.SetGameCallbacks(ScriptGameCallbacks{GetFlip, FlipFunction, NoStore});
    return ErrorOf([&] { reader.Execute(); });
}

// Random programs over every kind of value, the game's variables and a script function, with
// loops whose counters only their own loop changes, so that each program ends.
class ProgramMaker {
public:
    explicit ProgramMaker(uint32_t seed) : m_Random(seed) {}

    std::string Make()
    {
        m_Mixed = Pick(10) < 3;  // else Ints only, so that most programs run on to their end
        std::string text = "int a = 3; int b = -2; int c; float f = 1.5; float g; string s = \"ab\"; string t;\r\n"
                           "void v; int arr[4]; int i; int j;\r\n"
                           "int h(int x) { if (x > 5) return x - a; return x * 2 + b; }\r\n";
        for (int n = 0; n < 6; n++)
            text += Statement(2) + "\r\n";
        return text + "return " + Expression(2) + ";";
    }

private:
    uint32_t Pick(uint32_t n) { return m_Random() % n; }
    template <size_t N> const char* OneOf(const char* const (&words)[N]) { return words[Pick(N)]; }
    // The first Ints entries of a pool are the Int ones.
    template <size_t N> const char* OneOf(const char* const (&words)[N], size_t ints)
    {
        return words[Pick(m_Mixed ? uint32_t(N) : uint32_t(ints))];
    }

    // Mostly Ints, so that programs run on; now and then another kind, which mostly ends them.
    std::string Target()
    {
        static const char* const kTargets[] = {"a", "b", "c", "a", "b", "c", "iTmp", "dlgAnswer", "f", "g", "fTmp",
                                               "s", "t", "sTmp", "v"};
        return Pick(6) == 0 ? "arr[" + std::to_string(Pick(4)) + "]" : OneOf(kTargets, 8);
    }

    std::string Operand(int depth)
    {
        static const char* const kReads[] = {"a", "b", "c", "i", "j", "a", "b", "c", "i", "j", "iTmp", "dlgAnswer",
                                             "mc_ID", "f", "g", "fTmp", "mc_posX", "s", "t", "sTmp", "mc_Name", "v"};
        static const char* const kLiterals[] = {"0", "1", "2", "7", "3", "11", "0", "1", "2", "5", "1.5", "0.25", "1e1",
                                                "\"x\"", "\"ab\"", "\"\""};
        switch (Pick(depth > 0 ? 9 : 6)) {
        case 0:
        case 1: return OneOf(kLiterals, 10);
        case 2:
        case 3: return OneOf(kReads, 13);
        case 4: return Pick(2) ? std::string(OneOf({"-", "!", "~"})) + OneOf(kReads, 13) : OneOf({"++", "--"}) + Target();
        case 5: return Target() + OneOf({"++", "--"});
        case 6: return "(" + Expression(depth - 1) + ")";
        case 7: return "h(" + Expression(depth - 1) + ")";
        default: return "arr[" + (Pick(3) ? std::to_string(Pick(4)) : Expression(depth - 1)) + "]";
        }
    }

    std::string Expression(int depth)
    {
        static const char* const kBinary[] = {"+", "-", "*", "+", "-", "*", "<", ">", "==", "<=", ">=", "!=",
                                              "&", "|", "^", "&&", "||", "+", "-", "/", "%", "~="};
        static const char* const kAssign[] = {"=", "+=", "-=", "=", "+=", "-=", "*=", "/=", "%=", "&=", "|=", "^="};
        std::string text = Operand(depth);
        for (uint32_t n = Pick(4); n > 0; n--)
            text += std::string(" ") + OneOf(kBinary, Pick(4) ? 19 : 21) + " " + Operand(depth);
        if (Pick(3) == 0)
            text = Target() + " " + OneOf(kAssign) + " " + text;
        return text;
    }

    std::string Statement(int depth)
    {
        switch (depth > 0 ? Pick(6) : 0) {
        case 1: return "if (" + Expression(1) + ") { " + Statement(depth - 1) + " } else " + Statement(depth - 1);
        case 2: {
            const char* counter = depth > 1 ? "i" : "j";  // an inner loop never resets an outer one
            return std::string("for (") + counter + " = 0; " + counter + " < " + std::to_string(Pick(5)) + "; " +
                   counter + "++) " + Statement(depth - 1);
        }
        case 3: return "{ " + Statement(depth - 1) + " " + Statement(depth - 1) + " }";
        default: return Expression(2) + ";";
        }
    }

    std::mt19937 m_Random;
    bool m_Mixed = false;
};

// Value or error, the global variables in the save format and the game's variables after a run.
std::string Record(ScriptReader& reader)
{
    ScriptOutcome outcome = ExecuteBound(reader);
    const ScriptValue& value = outcome.value;
    std::string text = outcome.error.empty() ? std::to_string(value.m_Type) + ":" + std::to_string(value.m_Integer) +
                                                   ":" + std::to_string(value.m_Number) + ":" + value.m_Text.c_str()
                                             : "error " + outcome.error;
    File file;
    file.CreateMemoryFile(0);
    reader.GetGlobalScope().Save(file);
    text += " globals " + std::string(reinterpret_cast<const char*>(file.GetMemoryBuffer()), size_t(file.GetSize()));
    return text + " game " + std::to_string(TestScriptGame::Variable("iTmp").m_Integer) + ":" +
           std::to_string(TestScriptGame::Variable("fTmp").m_Number) + ":" +
           TestScriptGame::Variable("sTmp").m_Text.c_str() + ":" +
           std::to_string(TestScriptGame::Variable("mc_Level").m_Integer);
}

// Random programs of script functions: parameters, locals declared on some calls only (so that
// calls of one function declare different names), calls inside expressions and from loops,
// recursion, returns of planned values, and loops whose every part is a plain Int construct.
// Loop counters change only in their own loop header, so that each program ends.
class CallProgramMaker {
public:
    explicit CallProgramMaker(uint32_t seed) : m_Random(seed) {}

    std::string Make()
    {
        std::string text = "int g = 2; int u = 100; int k; int i; int j; float fl = 0.5; string st = \"a\";\r\n";
        m_Calls = kGameCalls;
        text += "int down(int x) { if (x < 1) return g; return down(x - 1) + " + Expression({"x", "g", "u"}) + "; }\r\n";
        text += "void bump(int x) { g = g + x; }\r\n";
        text += "float half(float q) { return q * 0.5; }\r\n";
        m_Calls = kDownCalls;
        text += "int work(int a, int b) {\r\n  int s = " + Expression({"a", "b"}) + ";\r\n";
        text += "  if (a > " + std::to_string(Pick(4)) + ") { int u = " + Expression({"a", "b", "s"}) + "; s = s + u; }\r\n";
        text += "  s = s - u;\r\n";  // the local u on some calls, the global one on others
        for (int n = Pick(3) + 1; n > 0; n--)
            text += "  " + Statement({"a", "b", "s", "u", "g"}, "k") + "\r\n";
        text += "  if (s > " + std::to_string(Pick(30)) + ") return " + Expression({"s", "u", "a"}) + ";\r\n";
        text += "  return " + Expression({"s", "b", "u", "g"}) + ";\r\n}\r\n";
        m_Calls = kAllCalls;
        const uint32_t calls = Pick(3);  // work() called for 0 to 3 as its first argument, at some place
        for (uint32_t n = Pick(4) + 2, at = 0; n > 0; n--, at++)
            text += (at == calls ? "for (j = 0; j < 4; j++) k = k + work(j, g);\r\n" : "") +
                    Statement({"g", "u", "k"}, "i") + "\r\n";
        return text + "return " + Expression({"g", "u", "k"}) + ";";
    }

private:
    // The script functions a part of the program may call without recursing for ever.
    enum Calls { kGameCalls, kDownCalls, kAllCalls };

    uint32_t Pick(uint32_t n) { return m_Random() % n; }
    std::string OneOf(const std::vector<std::string>& words) { return words[Pick(uint32_t(words.size()))]; }

    std::string Operand(const std::vector<std::string>& names)
    {
        switch (Pick(12)) {
        case 0:
        case 1:
        case 2: return std::to_string(Pick(7));
        case 3:
            if (m_Calls == kAllCalls)
                return "work(" + OneOf(names) + ", " + std::to_string(Pick(5)) + ")";
            return OneOf(names);
        case 4:
            if (m_Calls != kGameCalls)
                return "down(" + std::to_string(Pick(4)) + ")";
            return OneOf(names);
        case 5: return OneOf({"testAdd(" + OneOf(names) + ", 1)", "echo(" + OneOf(names) + ")", "count()"});
        case 6:
            if (Pick(6) == 0)
                return OneOf({"bump(1)", "testLog(1)", "fl", "half(" + OneOf(names) + ")", "st", "iTmp"});
            return OneOf(names);
        default: return OneOf(names);
        }
    }

    std::string Expression(const std::vector<std::string>& names)
    {
        static const char* const kBinary[] = {"+", "-", "*", "+", "<", ">", "==", "&", "|", "%", "/"};
        std::string text = Operand(names);
        for (uint32_t n = Pick(3); n > 0; n--)
            text += std::string(" ") + kBinary[Pick(Pick(5) == 0 ? 11 : 9)] + " " + Operand(names);
        return text;
    }

    // An Int statement on the names: mostly plain, now and then with calls.
    std::string Plain(const std::vector<std::string>& names, const std::vector<std::string>& targets)
    {
        static const char* const kAssign[] = {"=", "+=", "-=", "=", "^="};
        std::string value = OneOf(names) + " " + OneOf({"+", "-", "*", "%", "&"}) + " " + OneOf(names);
        if (Pick(5) == 0)
            value = Expression(names);
        return OneOf(targets) + " " + kAssign[Pick(5)] + " " + value + ";";
    }

    std::string Statement(std::vector<std::string> names, const char* counter)
    {
        std::vector<std::string> targets(names.begin(), names.end());
        names.push_back(counter);
        const std::string bound = std::to_string(Pick(6));
        const char* gap = Pick(2) ? " " : "\r\n    ";  // messages tell the lines of a loop's parts
        switch (Pick(6)) {
        case 0:
        case 1: {
            std::string body = Pick(2) ? Plain(names, targets)
                                       : "{ " + Plain(names, targets) + gap + Plain(names, targets) + " }";
            return std::string("for (") + counter + " = 0; " + counter + " < " + bound + ";" + gap + counter + "++)" +
                   gap + body;
        }
        case 2:
            return std::string(counter) + " = 0; while (" + counter + " < " + bound + ") {" + gap + counter + "++; " +
                   Plain(names, targets) + " }";
        case 3:
            if (m_Calls == kDownCalls)  // in work()
                return "if (" + Expression(names) + ") return " + Expression(names) + ";";
            return "k = " + Expression(names) + ";";
        case 4: return "bump(" + Expression(names) + ");";
        default: return Plain(names, targets);
        }
    }

    std::mt19937 m_Random;
    Calls m_Calls = kAllCalls;
};

}  // namespace

// Whatever a program does, the shortcuts do the same: value or error (with its line), the global
// variables, the game's variables; on a first run and on a second that takes the plans made.
TEST(ScriptPlansTest, RandomProgramsRunAsReadingRunsThem)
{
    ProgramMaker maker(20240611);
    int32_t finished = 0;
    for (int n = 0; n < 400; n++) {
        std::string program = maker.Make();
        PlainReader plain;
        plain.SetThreaded(false);
        ASSERT_TRUE(plain.LoadInline(program.c_str())) << program;
        std::string read = Record(plain);
        ScriptReader reader;
        reader.SetThreaded(false);
        ASSERT_TRUE(reader.LoadInline(program.c_str()));
        ASSERT_EQ(Record(reader), read) << program;
        reader.Reset();
        ASSERT_EQ(Record(reader), read) << "second run: " << program;
        finished += read.rfind("error", 0) != 0;
    }
    EXPECT_GT(finished, 30);  // enough programs run to their end, not only into an error
}

TEST(ScriptPlansTest, VoidOperandsAreReadByThePasses)
{
    const char* source = "int i;\r\nint r = 0;\r\nfor (i = 0; i < 4; i++)\r\n  r = flip - 1;\r\nreturn r;";
    PlainReader plain;
    std::string read = RunFlip(plain, source);
    EXPECT_NE(read.find("line: 4: Operator '=' not applicable on 'Void'"), std::string::npos) << read;
    ScriptReader reader;
    EXPECT_EQ(RunFlip(reader, source), read);
    EXPECT_EQ(g_FlipReads, 2);  // the second reading of flip ended the run
}

// The same for a call that gives Void the second time, in a construct planned the first time.
TEST(ScriptPlansTest, VoidCallsAreReadByThePasses)
{
    const char* constructs[] = {"r = flipf() - 1;", "r = 2 - flipf() + 1;", "r = -flipf();", "r = 1 - 2 * flipf();"};
    for (const char* construct : constructs) {
        SCOPED_TRACE(construct);
        const std::string source =
            std::string("int i;\r\nint r = 0;\r\nfor (i = 0; i < 4; i++)\r\n  ") + construct + "\r\nreturn r;";
        PlainReader plain;
        std::string read = RunFlipCalls(plain, source.c_str());
        EXPECT_NE(read.find("line: 4:"), std::string::npos) << read;
        ScriptReader reader;
        EXPECT_EQ(RunFlipCalls(reader, source.c_str()), read);
    }
}

// The same for programs of function calls and loops: the variables a place finds in one call of
// a function, the turns of loops run on Ints and the calls inside planned constructs agree with
// reading, also in the game's variables and calls.
TEST(ScriptPlansTest, RandomCallProgramsRunAsReadingRunsThem)
{
    auto recordWithCalls = [](ScriptReader& reader) {
        std::string text = Record(reader);
        return text + " calls " + std::to_string(TestScriptGame::GetCallCount());
    };
    CallProgramMaker maker(20250107);
    int32_t finished = 0;
    for (int n = 0; n < 300; n++) {
        std::string program = maker.Make();
        PlainReader plain;
        plain.SetThreaded(false);
        ASSERT_TRUE(plain.LoadInline(program.c_str())) << program;
        std::string read = recordWithCalls(plain);
        ScriptReader reader;
        reader.SetThreaded(false);
        ASSERT_TRUE(reader.LoadInline(program.c_str()));
        ASSERT_EQ(recordWithCalls(reader), read) << program;
        reader.Reset();
        ASSERT_EQ(recordWithCalls(reader), read) << "second run: " << program;
        finished += read.rfind("error", 0) != 0;
    }
    EXPECT_GT(finished, 100);  // most programs run to their end
}
