// Expression evaluation: precedence by passes, Int/Float/String rules, assignments through the
// scopes and the game's variables, wrap-around and every kind of message.
#include "script/ScriptReader.h"

#include "TestScriptGame.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The expected outcome: a typed value, or the message of an error.
struct Expect {
    int32_t type = -1;  // -1: an error with this message
    int32_t i = 0;
    double d = 0.0;
    std::string s;
};
Expect I(int32_t v) { return Expect{kScriptInt, v, 0.0, ""}; }
Expect F(double v) { return Expect{kScriptFloat, 0, v, ""}; }
Expect S(const char* v) { return Expect{kScriptString, 0, 0.0, v}; }
Expect Err(const char* message) { return Expect{-1, 0, 0.0, message}; }

class ExpressionReader : public ScriptReader {
public:
    void SetSkipMode(bool on) { m_SkipMode = on ? 1 : 0; }
    // Another text to read, keeping the variables.
    void Use(const char* text)
    {
        SetText(text, static_cast<int32_t>(std::strlen(text)));
        BuildLineTable();
    }
};

// Reads the items of a plain expression as the statement executor lists them: literals and
// variables become values, names references, "( ... )" one value; stops at ')' or the end.
void Collect(ScriptReader& reader, ExpressionList& list)
{
    String token;
    for (int32_t code; (code = reader.GetToken(token)) != kTokenEnd;) {
        if (code == kTokenOperator && token == ")")
            return;
        CompilerArgument& item = *list.GetBySlot(list.Add());
        item.m_Token = token;
        item.m_Kind = code;
        if (code == kTokenNumber) {
            double number = std::strtod(token.c_str(), nullptr);
            if (std::strpbrk(token.c_str(), ".eE"))
                item.m_Value.SetFloat(number);
            else
                item.m_Value.SetInt(ScriptValue::DoubleToInt(number));
        } else if (code == kTokenString) {
            item.m_Value.SetString(token);
        } else if (code == kTokenName || code == kTokenIndexed) {
            if (code == kTokenIndexed) {
                reader.GetChar();
                String index;
                reader.GetToken(index);
                reader.GetToken(token);  // "]"
                item.m_ElementIndex = std::atoi(index.c_str());
            }
            item.m_Kind = CompilerArgument::kReference;
            reader.GetOrDeclareVariable(item.m_Value, item.m_Token.c_str(), item.m_ElementIndex, kScriptRead);
        } else if (code == kTokenOperator && token == "(") {
            ExpressionList inner;
            Collect(reader, inner);
            reader.EvaluateExpression(item.m_Value, inner);
            item.m_Kind = CompilerArgument::kComputed;
        }
    }
}

void Declare(ScriptReader& reader, const char* name, int32_t type, int32_t count = 0)
{
    ScriptValue unused;
    reader.GetOrDeclareVariable(unused, name, count, type);
}

void Prepare(ExpressionReader& reader, const char* expression)
{
    ASSERT_TRUE(reader.LoadInline(expression));
    TestScriptGame::Bind(reader);
    ScriptValue v;
    Declare(reader, "i", kScriptInt);
    reader.SetVariable("i", -1, (v.SetInt(5), v));
    Declare(reader, "k", kScriptInt);
    Declare(reader, "m", kScriptInt);
    reader.SetVariable("m", -1, (v.SetInt(INT_MIN), v));
    Declare(reader, "f", kScriptFloat);
    reader.SetVariable("f", -1, (v.SetFloat(2.5), v));
    Declare(reader, "s", kScriptString);
    reader.SetVariable("s", -1, (v.SetString("abc"), v));
    Declare(reader, "v", kScriptVoid);
    Declare(reader, "a", kScriptInt, 3);
    for (int32_t i = 0; i < 3; i++)
        reader.SetVariable("a", i, (v.SetInt(10 * (i + 1)), v));
}

// The message part of a reader error: what stands between "line: N: " and the blank line.
std::string MessageOf(const char* report)
{
    std::string text = report;
    size_t start = text.find(": ", text.find("line: ") + 6);
    size_t end = text.find("\n\n");
    return start == std::string::npos ? text : text.substr(start + 2, end - start - 2);
}

Expect Evaluate(ExpressionReader& reader, const char* expression)
{
    ScriptValue result;
    try {
        ExpressionList list;
        Collect(reader, list);
        reader.EvaluateExpression(result, list);
    } catch (const ErrorMsg& error) {
        return Expect{-1, 0, 0.0, MessageOf(error.message)};
    }
    (void)expression;
    return Expect{result.m_Type, result.m_Integer, result.m_Number, result.m_Text.c_str()};
}

void Check(const Expect& got, const Expect& want, const std::string& what)
{
    const std::string& gotText = got.s;
    ASSERT_EQ(got.type, want.type) << what << " gave '" << gotText << "'";
    switch (want.type) {
    case kScriptInt: EXPECT_EQ(got.i, want.i) << what; break;
    case kScriptFloat:
        if (std::isinf(want.d))
            EXPECT_TRUE(std::isinf(got.d) && (got.d > 0) == (want.d > 0)) << what;
        else
            EXPECT_DOUBLE_EQ(got.d, want.d) << what;
        break;
    default: EXPECT_EQ(gotText, want.s) << what; break;
    }
}

}  // namespace

TEST(ScriptExpressionTest, Table)
{
    const double inf = INFINITY;
    struct Case {
        const char* expression;
        Expect result;
        const char* after = nullptr;  // an expression to read afterwards, and its value
        Expect afterResult = {};
    } cases[] = {
        // precedence and associativity
        {"2 + 3 * 4", I(14)},
        {"10 - 4 - 3", I(3)},
        {"2 * 3 % 4", I(2)},
        {"1 + 2 == 3 & 1", I(1)},
        {"(2 + 3) * 4", I(20)},
        {"2 * -3", I(-6)},
        {"1 - - 2", I(3)},
        {"+5", I(5)},
        {"!0", I(1)},
        {"!2.5", I(0)},
        {"~0", I(-1)},
        {"-f", F(-2.5)},
        {"1 && 2.5", I(1)},
        {"0 || 0.0", I(0)},
        {"1 || 0 && 0", I(1)},
        // Int and Float
        {"7 / 2", I(3)},
        {"7 / 2.0", F(3.5)},
        {"7.0 / 2", F(3.5)},
        {"7.0 / 0", F(inf)},
        {"7 / 0", Err("Integer division by zero")},
        {"-7 % 3", I(-1)},
        {"-6 % 3.0", F(3.0)},
        {"7.5 % 2", F(1.5)},
        {"5 % 0.0", Err("Modulo by zero")},
        {"\"x\" % 0", Err("Modulo by zero")},
        {"1 + 0.5", F(1.5)},
        {"1 < 1.5", I(1)},
        {"2 >= 2", I(1)},
        {"3 <= 2.5", I(0)},
        // wrap-around without undefined behaviour
        {"2147483647 + 1", I(INT_MIN)},
        {"65536 * 65536", I(0)},
        {"-2147483648", I(INT_MIN)},
        {"m / -1", I(INT_MIN)},
        {"m % -1", I(0)},
        {"-m", I(INT_MIN)},
        {"m - 1", I(INT_MAX)},
        {"m * -1", I(INT_MIN)},
        // strings
        {"\"ab\" + \"cd\"", S("abcd")},
        {"\"ab\" + 1", Err("String Operator '+' can only operate on 'String'")},
        {"1 + \"ab\"", Err("String Operator '+' can only operate on 'String'")},
        {"\"ab\" - \"b\"", Err("Operator '-' not applicable on 'String'")},
        {"\"abc\" > \"zz\"", I(1)},
        {"\"abc\" < \"zz\"", I(0)},
        {"\"aBc\" ~= \"AbC\"", I(1)},
        {"\"aBc\" == \"AbC\"", I(0)},
        {"\"abc\" != \"abd\"", I(1)},
        {"1 ~= 1", Err("Operator '~=' can only compare 'String' with 'String'")},
        {"\"a\" == 1", Err("Operator '==' can not compare 'String' with type other than 'String'")},
        {"1 >= \"a\"", Err("Operator '>=' can not compare 'String' with type other than 'String'")},
        {"s[1]", S("b")},
        {"s[3]", Err("Invalid string position 3 in variable 's'")},
        {"-\"a\"", Err("Unary operator '-' not applicable on 'String'")},
        {"+\"a\"", Err("Unary operator '+' not applicable on 'String'")},
        {"!\"a\"", Err("Operator '!' not applicable on 'String'")},
        {"~1.5", Err("Operator '~' not applicable on 'Float'")},
        // Void operands
        {"1 + v", Err("Operator '+' not applicable on 'Void'")},
        {"v + 1", Err("String Operator '+' can only operate on 'String'")},
        {"1 < v", Err("Operator '<' not applicable on 'Void'")},
        {"1 & v", Err("Operator '&' not applicable on 'Void'")},
        {"-v", Err("Operator '-' not applicable on 'Void'")},
        {"i = v", Err("Operator '=' not applicable on 'Void'")},
        // bitwise and logical
        {"6 & 3 | 8 ^ 1", I(11)},
        {"1 & 1.0", Err("Operator '&' can not operate on 'Float'")},
        {"1.0 | 1", Err("Operator '|' can not operate on 'Float'")},
        {"1 ^ \"a\"", Err("Operator '^' can not operate on 'String'")},
        {"\"a\" && 1", Err("Operator '&&' not valid with 'String'")},
        {"1 || v", Err("Operator '||' not applicable on 'Void'")},
        // increments
        {"i++", I(5), "i", I(6)},
        {"++i", I(6), "i", I(6)},
        {"i--", I(5), "i", I(4)},
        {"i++ + i", I(10)},  // operands are read before any operator applies
        {"f++", Err("Operator '++' not applicable on 'Float'")},
        {"s--", Err("Operator '--' not applicable on 'String'")},
        {"3++", Err("Invalid L-value for '++'")},
        // assignments
        {"i = 2.9", I(2), "i", I(2)},
        {"i = -2.9", I(-2), "i", I(-2)},
        {"i = 1e10", I(INT_MIN), "i", I(INT_MIN)},
        {"i = 0.0 / 0.0", I(INT_MIN), "i", I(INT_MIN)},
        {"f = 3", F(3.0), "f", F(3.0)},
        {"s = 3", Err("Operator '=' type mismatch")},
        {"i = \"3\"", Err("Operator '=' type mismatch")},
        {"s[0] = 65", I(65), "s", S("Abc")},
        {"s[0] = \"xy\"", S("xy"), "s", S("xybc")},
        {"s[0] = 1.5", Err("Operator '=' type mismatch")},
        {"i = k = 4", I(4), "k", I(4)},
        {"a", I(10)},
        {"a[2]", I(30)},
        {"a[3]", Err("Index 3 out of range for variable 'a'")},
        {"a[2] = 7", I(7), "a[2]", I(7)},
        {"a = 7", I(7), "a[0]", I(7)},
        {"i[0] = 1", Err("Variable 'i' is none array")},
        {"i += 2.7", I(7), "i", I(7)},
        {"f += 1", F(3.5), "f", F(3.5)},
        {"s += \"d\"", S("abcd"), "s", S("abcd")},
        {"s += 1", Err("Operator '+=' type mismatch")},
        {"i += \"a\"", Err("Operator '+=' type mismatch")},
        {"i -= 7", I(-2)},
        {"i *= 2.9", I(10)},
        {"i /= 2", I(2)},
        {"f /= 2", F(1.25)},
        {"f *= 2", F(5.0)},
        {"m -= 1", I(INT_MAX)},
        {"s -= 1", Err("Operator '-=' type mismatch")},
        {"s -= 1.0", Err("Operator '-=' not applicable on 'String'")},
        {"s *= 1.0", Err("Operator '*=' type mismatch")},
        {"i -= \"a\"", Err("Operator '-=' not applicable on 'String'")},
        {"i /= 0.5", Err("Integer division by zero")},
        {"i %= 3", I(2)},
        {"f %= 2", F(0.5)},
        {"i %= 0", Err("Modulo by zero")},
        {"i %= 1.5", Err("Operator '%=' type mismatch")},
        {"i %= \"a\"", Err("Operator '%=' not applicable on 'String'")},
        {"i &= 3", I(1)},
        {"i |= 2", I(7)},
        {"i ^= 1", I(4)},
        {"i &= 1.0", Err("Operator '&=' not applicable on 'Float'")},
        {"i ^= \"a\"", Err("Operator '^=' not applicable on 'String'")},
        {"f |= 1", Err("Operator '|=' type mismatch")},
        // structure
        {"3 = 4", Err("Invalid L-value for '='")},
        {"= 4", Err("No L-value for operator '='")},
        {"i =", Err("No R-value for '='")},
        {"* 2", Err("No L-value for operator '*'")},
        {"2 %", Err("No R-value for '%'")},
        {"!", Err("No R-value for '!'")},
        {"3 4", Err("Invalid statement. Missing ';' ?")},
        {"3 ? 4", Err("Unknown operator '?'")},
        // the game's variables through the callbacks
        {"iTmp = 3", I(3), "iTmp", I(3)},
        {"sTmp = \"t\"", S("t"), "sTmp", S("t")},
        {"mc_posY + 1", F(-1.5)},
        {"objList[2] = 5", I(5), "objList[2]", I(5)},
        {"mc_posX = 1", Err("Variable 'mc_posX' is read only")},
        {"mc_Level", Err("Variable 'mc_Level' is not defined")},
        {"nothing", Err("Variable 'nothing' is not defined")},
        {"iTmp[1]", Err("Variable 'iTmp' has no index")},
        {"objList[9]", Err("Invalid index (9) for variable 'objList'")},
    };
    for (const Case& c : cases) {
        ExpressionReader reader;
        Prepare(reader, c.expression);
        Check(Evaluate(reader, c.expression), c.result, c.expression);
        if (!c.after)
            continue;
        reader.Use(c.after);
        Check(Evaluate(reader, c.after), c.afterResult, std::string(c.expression) + " then " + c.after);
    }
}

TEST(ScriptExpressionTest, TextsCannotGrowWithoutBound)
{
    const std::string half(ScriptValue::kMaxTextLength / 2, 'h');
    struct Case {
        const char* expression;
        Expect result;
    } cases[] = {
        {"s + s", Expect{kScriptString, 0, 0.0, half + half}},  // at the limit: fine
        {"s + s + \"x\"", Err("String of 16777217 characters exceeds 16777216")},
        {"s += s + \"x\"", Err("String of 16777217 characters exceeds 16777216")},
        {"s[0] = s + s", Err("String of 25165823 characters exceeds 16777216")},
    };
    for (const Case& c : cases) {
        ExpressionReader reader;
        Prepare(reader, c.expression);
        ScriptValue v;
        reader.SetVariable("s", -1, (v.SetString(half.c_str()), v));
        Expect got = Evaluate(reader, c.expression);
        EXPECT_EQ(got.type, c.result.type) << c.expression;
        EXPECT_TRUE(got.s == c.result.s) << c.expression << ": " << got.s.substr(0, 80);
    }
}

TEST(ScriptExpressionTest, EmptyListAndSkipMode)
{
    ExpressionReader reader;
    ExpressionList list;
    ScriptValue result;
    result.SetInt(3);
    EXPECT_EQ(reader.EvaluateExpression(result, list).m_Type, kScriptVoid);

    // in skip mode nothing is applied, not even a division by zero
    Prepare(reader, "i = 7 / 0");
    Collect(reader, list);
    reader.SetSkipMode(true);
    EXPECT_EQ(reader.EvaluateExpression(result, list).m_Type, kScriptUnevaluated);
    reader.SetSkipMode(false);
    ScriptValue i;
    EXPECT_EQ(reader.GetOrDeclareVariable(i, "i", -1, kScriptRead).m_Integer, 5);
}

TEST(ScriptExpressionTest, ErrorsCarryThePosition)
{
    ExpressionReader reader;
    Prepare(reader, "i = 1;\r\nk = 7 / 0;\r\n");
    String token;
    while (reader.GetToken(token) != kTokenOperator || token != ";") {
    }
    ExpressionList list;
    for (int i = 0; i < 5; i++) {
        reader.GetToken(token);
        CompilerArgument& item = *list.GetBySlot(list.Add());
        item.m_Token = token;
        item.m_Kind = i == 0 ? CompilerArgument::kReference : i % 2 ? CompilerArgument::kOperator : kTokenNumber;
        item.m_Value.SetInt(std::atoi(token.c_str()));
    }
    ScriptValue result;
    try {
        reader.EvaluateExpression(result, list);
        FAIL();
    } catch (const ErrorMsg& error) {
        EXPECT_STREQ(error.message, "file:'*inline*', line: 2: Integer division by zero\n\ni = 1;\nk = 7 / 0;\n");
    }
}
