// Statements and calls: control flow, declarations, short-circuits, function declarations and
// calls with their limits and messages, each as a small script and the value or error it gives.
#include "ScriptTestRunner.h"

#include "script/ScriptReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct StatementCase {
    const char* source;
    ScriptExpect expect;
    int32_t calls;  // calls of the game's count() the script must make
};

const StatementCase kStatementCases[] = {
    // if, else and where a statement ends
    {"int a = 0; int x = 0; if (x) a = 1; else a = 2; return a;", {kScriptInt, 2, nullptr}, 0},
    {"int a = 0; int b = 0; int x = 0; if (x) a = 1; b = 2; return a * 10 + b;", {kScriptInt, 2, nullptr}, 0},
    {"int r = 0; if (1) if (0) r = 1; else r = 2; return r;", {kScriptInt, 2, nullptr}, 0},
    {"int v = 2; string s; if (v == 1) s = \"one\"; else if (v == 2) s = \"two\"; else s = \"many\"; return s;",
     {kScriptString, 0, "two"}, 0},
    {"int r = 0; if (0) { r = 1 / 0; } return r;", {kScriptInt, 0, nullptr}, 0},
    // after an if only a name other than else ends the statement; other tokens go on with it,
    // and passing over the statement (when the loop ends) ends at the same place
    {"int i = 0; int n = 0; while (i < 3) if (1) i++; ++n; return i * 10 + n;", {kScriptInt, 33, nullptr}, 0},
    {"int i = 0; int n = 0; while (i < 2) if (0) n += 10; else i++; ++n; return i * 10 + n;",
     {kScriptInt, 22, nullptr}, 0},
    {"int a = 1; int b = 0; int x = 0; int y = 0; if (a) while (b) x++; y = 1; else y = 2; return y;",
     {kScriptInt, 1, nullptr}, 0},
    {"int i = 0; while (i < 3) if (1) i += count();", {kScriptVoid, 0, nullptr}, 2},  // the end of the text
    {"int a; { a = 1 } return a;", {kScriptInt, 1, nullptr}, 0},
    {"int a, b; a = 1, b = 2; return a + b;", {kScriptInt, 3, nullptr}, 0},
    // loops
    {"int i = 0; while (i < 3) i++; return i;", {kScriptInt, 3, nullptr}, 0},
    {"int i = 0; int y = 0; while (1) { i++; if (i == 3) { break; } y++; } return i * 10 + y;",
     {kScriptInt, 32, nullptr}, 0},
    {"int i; for (i = 0; ; i++) { if (i == 5) break; } return i;", {kScriptInt, 5, nullptr}, 0},
    {"int i = 0; do { i++; } while (i < 0); return i;", {kScriptInt, 1, nullptr}, 0},
    {"int s = 0; for (int i = 0; i < 4; i++) s += i; return s;", {kScriptInt, 6, nullptr}, 0},
    {"int i = 0; int n = 0; while (i < 5) { i++; if (i % 2) continue; n++; } return n;", {kScriptInt, 2, nullptr}, 0},
    {"int r = 0; switch (5) { case 1: r = 1; break; } return r;", {kScriptInt, 0, nullptr}, 0},
    {"int i = 0; do { i++; if (i == 2) { if (1) break; } } while (1); return i;", {kScriptInt, 2, nullptr}, 0},
    {"int i = 0; int n = 0; while (i < 4) { i++; switch (i) { case 2: continue; default: n++; } } return n;",
     {kScriptInt, 3, nullptr}, 0},
    {"string s = \"\"; switch (\"b\") { case \"a\": s += \"A\"; case \"b\": s += \"B\"; default: s += \"D\"; } return s;",
     {kScriptString, 0, "BD"}, 0},
    // short-circuits never evaluate the side they pass over
    {"int x = 1; x = 0 && count(); return x;", {kScriptInt, 0, nullptr}, 0},
    {"return 1 || count();", {kScriptInt, 1, nullptr}, 0},
    {"int a = 0; int r = 0; if (a && count()) r = 1; else r = 2; return r;", {kScriptInt, 2, nullptr}, 0},
    {"int r = 0; { 0 && count(); r = 5; } return r;", {kScriptInt, 5, nullptr}, 0},
    {"int f(int a, int b) { return a * 10 + b; } return f(0 && count(), 2) + f(1 || count(), 3);",
     {kScriptInt, 15, nullptr}, 0},
    {"int r = 1 && count(); return r;", {kScriptInt, 1, nullptr}, 1},
    {"return \"a\" && 1;", {kExpectError, 0, "Invalid parameters for logical operator '||'"}, 0},
    // top level: exit, return and what may not stand there
    {"exit 7; return 1;", {kScriptInt, 7, nullptr}, 0},
    {"int a = 1;", {kScriptVoid, 0, nullptr}, 0},
    {"break;", {kExpectError, 0, "Invalid break statement"}, 0},
    {"continue;", {kExpectError, 0, "Invalid continue statement"}, 0},
    {"int a; else a = 1;", {kExpectError, 0, "Misplaced 'else'"}, 0},
    {"int x; (int) x;", {kExpectError, 0, "Type conversion only valid as function (missing ';' ?)"}, 0},
    {"int a[2]; a[-1] = 1;", {kExpectError, 0, "Index must be positive integer"}, 0},
    {"{ int a = 1;", {kExpectError, 0, "Unexpected end of file: Missing '}'"}, 0},
    {"int i; while (i < 2) { int z; i++; }", {kExpectError, 0, "Variable 'z' already in stack"}, 0},
    {"int a = 1 2;", {kExpectError, 0, "Invalid statement. Missing ';' ?"}, 0},
    {"int a = 1; a = a + ;", {kExpectError, 0, "No R-value for '+'"}, 0},
    {"switch (1) case 1: ;", {kExpectError, 0, "Invalid 'switch' block - '{' not found"}, 0},
    {"int a; a = 1 + switch (1) { }", {kExpectError, 0, "Invalid 'switch'"}, 0},
    // functions: overloads, binding, results
    {"int f(int a) { return a; } int f(int a, int b) { return a + b; } return f(1) * 100 + f(2, 3);",
     {kScriptInt, 105, nullptr}, 0},
    {"int g(int a) { return a; } return g(7.9) * 100 + g(\"12\");", {kScriptInt, 700, nullptr}, 0},
    {"string t(string s) { return s; } return t(5);", {kScriptString, 0, ""}, 0},
    {"int h() { return 2.5; } return h();", {kScriptInt, 2, nullptr}, 0},
    {"float q(int a) { if (a) exit 1.5; return 0.0; } return q(1);", {kScriptFloat, 1.5, nullptr}, 0},
    {"int x = 5; int f() { int x = 1; return x; } int r = f(); return r * 10 + x;", {kScriptInt, 15, nullptr}, 0},
    {"int f(int n) { if (n) { int k = n; return k + f(n - 1); } return 0; } return f(4);", {kScriptInt, 10, nullptr}, 0},
    {"void v() { return 1; } v();", {kExpectError, 0, "Function 'v' can not return a value"}, 0},
    {"int n() { int a = 1; } n();", {kExpectError, 0, "Invalid return type for function 'n'"}, 0},
    {"void b() { break; } b();", {kExpectError, 0, "Invalid return type for function 'b'"}, 0},
    {"int f(int a) { return 1; } int F(float b) { return 2; }",
     {kExpectError, 0, "Overloaded function 'F' must be distinguishable by number of arguments"}, 0},
    {"int f(int a);", {kExpectError, 0, "Function prototypes not supported"}, 0},
    {"int f(int a, b) { return 1; }", {kExpectError, 0, "Invalid function declaration"}, 0},
    {"int f(int if) { return 1; }", {kExpectError, 0, "Invalid function declaration"}, 0},
    {"return later(); int later() { return 1; }", {kExpectError, 0, "Unknown function 'later' accepting 0 arguments"}, 0},
    {"int f(int a, int b) { return 1; } return f(1, 2, 3);", {kExpectError, 0, "Unknown function 'f' accepting 3 arguments"}, 0},
    {"int i; for (i = 0; i < 2; i++) { int k() { return 1; } }",
     {kExpectError, 0, "Overloaded function 'k' must be distinguishable by number of arguments"}, 0},
    {"int a = 1; a = 2 + int k() { return 1; }", {kExpectError, 0, "Invalid position for function decleration"}, 0},
    // a function is declared only by the first token of its statement, not after a ',' or a
    // short-circuit that emptied the list
    {"int x = 1, int g(int a) { return a; }", {kExpectError, 0, "Invalid position for function decleration"}, 0},
    {"int x; x = 1, int g(int a) { return a; }", {kExpectError, 0, "Invalid position for function decleration"}, 0},
    {"int x = 1 && int g(int a) { return a; }", {kExpectError, 0, "Invalid position for function decleration"}, 0},
    {"int x; { x = 0 || int g() { return 1; } }", {kExpectError, 0, "Invalid position for function decleration"}, 0},
    {"int x; { x = 1; int g() { return 4; } } { int h() { return 3; } } return g() * 10 + h();",
     {kScriptInt, 43, nullptr}, 0},
    {"int x; if (1) x = 1; int g() { return 5; } return g();", {kScriptInt, 5, nullptr}, 0},
    {"echo(1 2);", {kExpectError, 0, "Invalid statement. Missing ';' ?"}, 0},
    {"echo(1;", {kExpectError, 0, "Invalid block in function call"}, 0},
    // the game's variables and functions
    {"iTmp = 41; iTmp += 1; return iTmp + echo(100);", {kScriptInt, 142, nullptr}, 0},
};

// Loops whose conditions, steps, bodies, arguments, indexes and labels run again and again, as
// the plans of simple constructs take them over from the second time on.
const char* const kRepeatedScripts[] = {
    "int i; int s = 0; for (i = 1; i <= 20; i++) s = s + i % 3 * 2 - -i; return s;",
    "int i = 10; int n = 0; while (i > 0) { i -= 3; n += i > 2 & i != 4; } return n * 100 + i;",
    "float f = 1; int i; for (i = 0; i < 6; ++i) f = f * 1.5 + i / 2 - i % 4; return f;",
    "int i; int k; for (i = 0; i < 5; i++) k = i++ * 10 + --i; return k * 10 + i;",
    "string s = \"\"; int i; for (i = 0; i < 5; i++) { s += \"ab\"; s = s + \"c\"; } return s;",
    "string s = \"x\"; int i; for (i = 0; i < 4; i++) s += s; return strlen(s) * 1000 + (s == \"xx\");",
    "int i; int a[4]; for (i = 0; i < 4; i++) a[i % 4] = i * i; return a[3] * 100 + a[i - 2];",
    "int f(int a, int b) { return a * 10 + b; } int i; int s = 0; for (i = 0; i < 4; i++) s += f(i + 1, i); return s;",
    "int i; int r = 0; for (i = 0; i < 6; i++) switch (i % 3) { case 0: r += 1; break; case 1 + 1: r += 100; } return r;",
    "int i; for (i = 0; i < 5; i++) iTmp += i * 2; return iTmp;",
    "int i; for (i = 0; i < 5; i++) sTmp += \"z\"; return sTmp;",
    "int i; int k = 0; for (i = 3; i >= 0; i--) k = k + 12 / i; return k;",
    "int i; string s = \"abc\"; for (i = 0; i < 4; i++) s = s + i; return s;",
    "void v; int i; for (i = 0; i < 3; i++) v; return i;",
    "int i; int n = 0; for (i = 0; i < 4; i++) { if (i == 2) continue; if (i > 2) { n += 100; } else n += i; } return n;",
    "int i = 0; int n = 0; do { n += i; } while (++i < 4); return n;",
    "int i; int n = 0; for (i = 0; i < 3; i++) { int k = i; } return n;",
    "int i; float x = 0; for (i = 0; i < 4; i++) x += mc_posX * i; return x;",
    "int i; int n = 0; for (i = 0; i < 4; i++) n = n + mc_Level - dlgAnswer; return n;",
    // without blanks, so that passing over that ends a byte early or late shows
    "int i;int s=0;for(i=0;i<4;i++)s+=i;if(s>100)s=0;else s+=1;return s;",
    "int i;int n=0;for(i=0;i<4;i++){if(i>9)n=99;n++;if(i<9){n+=10;}else{n=0;}}return n;",
    "int i=0;int n=0;while(i<5){i++;if(i%2)continue;n+=i;}do{n--;}while(n>20);return n;",
    "int i;int r=0;for(i=0;i<4;i++){switch(i){case 1:r+=1;case 2:r+=2;break;default:r+=5;}}return r;",
};

// A reader that runs without plans, kept passing over and remembered variables and functions.
class PlainReader : public ScriptReader {
public:
    PlainReader() { m_UseShortcuts = false; }
};

std::string Describe(const ScriptOutcome& outcome)
{
    if (!outcome.error.empty())
        return "error " + outcome.error;
    const ScriptValue& v = outcome.value;
    return std::to_string(v.m_Type) + ":" + std::to_string(v.m_Integer) + ":" + std::to_string(v.m_Number) + ":" +
           v.m_Text.c_str();
}

}  // namespace

// The shortcuts change nothing: every script gives the same value or error, with the same calls
// of the game, as by reading alone, also on a second run that takes the plans the first made.
TEST(ScriptStatementTest, ShortcutsGiveWhatReadingGives)
{
    std::vector<const char*> sources;
    for (const StatementCase& test : kStatementCases)
        sources.push_back(test.source);
    for (const char* source : kRepeatedScripts)
        sources.push_back(source);
    for (const char* source : sources) {
        PlainReader plain;
        std::string read = Describe(RunScriptText(plain, source));
        int32_t readCalls = TestScriptGame::GetCallCount();
        ScriptReader reader;
        EXPECT_EQ(Describe(RunScriptText(reader, source)), read) << source;
        EXPECT_EQ(TestScriptGame::GetCallCount(), readCalls) << source;
        reader.Reset();
        EXPECT_EQ(Describe(ExecuteBound(reader)), read) << "second run: " << source;
    }
}

TEST(ScriptStatementTest, ScriptsGiveTheirValueOrError)
{
    for (const StatementCase& test : kStatementCases) {
        ScriptReader reader;
        ScriptOutcome outcome = RunScriptText(reader, test.source);
        CheckOutcome(outcome, test.expect, test.source);
        EXPECT_EQ(TestScriptGame::GetCallCount(), test.calls) << test.source;
    }
}

// 32 arguments are the most a call may pass.
TEST(ScriptStatementTest, CallsTakeAtMost32Arguments)
{
    std::string parameters, arguments;
    for (int i = 0; i < 32; i++) {
        parameters += (i ? ", int a" : "int a") + std::to_string(i);
        arguments += (i ? ", " : "") + std::to_string(i + 1);
    }
    std::string source = "int many(" + parameters + ") { return a0 + a31; } return many(" + arguments + ");";
    ScriptReader reader;
    CheckOutcome(RunScriptText(reader, source.c_str()), {kScriptInt, 33, nullptr}, "32 arguments");

    source = "return echo(" + arguments + ", 33);";
    CheckOutcome(RunScriptText(reader, source.c_str()),
                 {kExpectError, 0, "Too many arguments (>32) in function call"}, "33 arguments");
}

// A failed call leaves no scope behind and the read position where the caller had it, so later
// calls neither see stale locals nor run into the call limit.
TEST(ScriptStatementTest, FailedCallsUnwindTheirScopes)
{
    ScriptReader reader;
    ScriptOutcome declared = RunScriptText(
        reader, "int bad(int a) { int local = a; return deeper(a); } int deeper(int b) { return b / 0; }\r\n"
                "int ok(int a) { int local = a; return local; }");
    ASSERT_EQ(declared.error, "");
    for (int i = 0; i < 300; i++) {
        ScriptValue argument;
        argument.SetInt(i);
        EXPECT_THROW(reader.CallFunction("bad", &argument, 1, nullptr), ErrorMsg);
        ASSERT_EQ(reader.GetScopeDepth(), 0);
    }
    ScriptValue argument, result;
    argument.SetInt(5);
    int32_t position = reader.GetReadPos();
    EXPECT_TRUE(reader.CallFunction("ok", &argument, 1, &result));
    EXPECT_EQ(result.m_Integer, 5);
    EXPECT_EQ(reader.GetReadPos(), position);
}

// Function keys are built by appending: a long name and a large count neither overflow nor match.
TEST(ScriptStatementTest, CallByNameWithLongNamesAndLargeCounts)
{
    std::string name(256, 'n');
    std::string source = "int " + name + "(int a) { return a + 1; }";
    ScriptReader reader;
    ASSERT_EQ(RunScriptText(reader, source.c_str()).error, "");

    ScriptValue arguments[150];
    arguments[0].SetInt(1);
    ScriptValue result;
    EXPECT_TRUE(reader.CallFunctionByName(String(name.c_str()), arguments, 1, &result));
    EXPECT_EQ(result.m_Integer, 2);
    EXPECT_FALSE(reader.CallFunctionByName(String(name.c_str()), arguments, 150, &result));
    EXPECT_FALSE(reader.CallFunctionByName(String(std::string(5000, 'x').c_str()), arguments, 100, &result));
    EXPECT_FALSE(reader.CallFunction("missing", nullptr, 0, &result));
}

// Deep nesting is refused with an error instead of running the thread out of stack.
TEST(ScriptStatementTest, DeepNestingIsAnError)
{
    std::string deep = "return " + std::string(5000, '(') + "1" + std::string(5000, ')') + ";";
    ScriptReader reader;
    ScriptOutcome outcome = RunScriptText(reader, deep.c_str());
    EXPECT_NE(outcome.error.find("Nesting too deep"), std::string::npos) << outcome.error;

    std::string blocks = std::string(5000, '{') + std::string(5000, '}');
    outcome = RunScriptText(reader, blocks.c_str());
    EXPECT_NE(outcome.error.find("Nesting too deep"), std::string::npos) << outcome.error;

    // a deep recursion whose bodies nest deeply stops at the stack limit of the whole run
    std::string nested = "int f(int n) { if (n == 0) return 0; return " + std::string(200, '(') + "f(n - 1)" +
                         std::string(200, ')') + "; } return f(250);";
    outcome = RunScriptText(reader, nested.c_str());
    EXPECT_NE(outcome.error.find("Script nesting too deep"), std::string::npos) << outcome.error;
}
