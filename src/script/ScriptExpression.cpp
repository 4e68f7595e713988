// ScriptReader expressions: nine fixed passes over a flat list of values and operators, one per
// precedence level; each application of an operator replaces it and its operands by one value.
#include "script/ScriptReader.h"

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace {

using Items = std::vector<CompilerArgument>;

// Int arithmetic wraps at 32 bits like the original's machine code, without undefined behaviour.
int32_t WrapAdd(int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<int64_t>(a) + b); }
int32_t WrapSub(int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<int64_t>(a) - b); }
int32_t WrapMul(int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<int64_t>(a) * b); }
int32_t WrapNeg(int32_t a) { return static_cast<int32_t>(-static_cast<int64_t>(a)); }
int32_t WrapDiv(int32_t a, int32_t b) { return b == -1 ? WrapNeg(a) : a / b; }  // b != 0
int32_t WrapMod(int32_t a, int32_t b) { return b == -1 ? 0 : a % b; }           // b != 0

// A negative left value gives a result in (0, m], so -6 % 3.0 is 3.0.
double FloatMod(double a, double b)
{
    double m = std::fabs(b);
    double q = std::trunc(a / m);
    double result = a - m * q;
    return a < 0 ? result + m : result;
}

bool IsInt(const ScriptValue& v) { return v.m_Type == kScriptInt; }
bool IsFloat(const ScriptValue& v) { return v.m_Type == kScriptFloat; }
bool IsString(const ScriptValue& v) { return v.m_Type == kScriptString; }
bool IsVoid(const ScriptValue& v) { return v.m_Type == kScriptVoid; }
bool IsZero(const ScriptValue& v) { return (IsInt(v) && v.m_Integer == 0) || (IsFloat(v) && v.m_Number == 0.0); }

// Appends right to left unless the result would be longer than a script may build.
void AppendText(ScriptReader& reader, String& left, const String& right)
{
    int64_t length = static_cast<int64_t>(left.TextLength()) + right.TextLength();
    if (length > ScriptValue::kMaxTextLength)
        reader.Error("String of %lld characters exceeds %i", static_cast<long long>(length), ScriptValue::kMaxTextLength);
    left += right;
}

bool IsOperator(const CompilerArgument& item, std::initializer_list<const char*> spellings)
{
    if (item.m_Kind != CompilerArgument::kOperator)
        return false;
    for (const char* spelling : spellings)
        if (std::strcmp(item.m_Token.c_str(), spelling) == 0)
            return true;
    return false;
}

void Erase(Items& items, size_t at, size_t count = 1)
{
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(at), items.begin() + static_cast<std::ptrdiff_t>(at + count));
}

// Pass 1, right to left: ! ~ ++ -- and the unary minus.
void UnaryPass(ScriptReader& reader, Items& items)
{
    for (size_t i = items.size(); i-- > 0;) {
        CompilerArgument& item = items[i];
        if (!IsOperator(item, {"!", "~", "++", "--", "-"}))
            continue;
        const String op = item.m_Token;
        const char* x = op.c_str();

        if (op == "-" && i > 0 && !IsVoid(items[i - 1].m_Value))
            continue;  // a binary minus, for pass 3

        if (op == "++" || op == "--") {
            bool prefix = i + 1 < items.size() && items[i + 1].m_Kind == CompilerArgument::kReference;
            if (!prefix && (i == 0 || items[i - 1].m_Kind != CompilerArgument::kReference))
                reader.Error("Invalid L-value for '%s'", x);
            CompilerArgument& operand = items[prefix ? i + 1 : i - 1];
            if (!IsInt(operand.m_Value))
                reader.Error("Operator '%s' not applicable on '%s'", x, ScriptValue::GetTypeName(operand.m_Value.m_Type));
            int32_t step = op == "++" ? 1 : -1;
            int32_t old = operand.m_Value.m_Integer;
            operand.m_Value.m_Integer = WrapAdd(old, step);
            reader.SetVariable(operand.m_Token.c_str(), operand.m_ElementIndex, operand.m_Value);
            if (!prefix)
                operand.m_Value.m_Integer = old;  // the expression sees the old value
            Erase(items, i);
            continue;
        }

        if (i + 1 >= items.size())
            reader.Error("No R-value for '%s'", x);
        CompilerArgument& operand = items[i + 1];
        ScriptValue& v = operand.m_Value;
        if (op == "!") {
            if (!IsInt(v) && !IsFloat(v))
                reader.Error("Operator '!' not applicable on '%s'", ScriptValue::GetTypeName(v.m_Type));
            v.SetInt(IsInt(v) ? v.m_Integer == 0 : v.m_Number == 0.0);
        } else if (op == "~") {
            if (!IsInt(v))
                reader.Error("Operator '~' not applicable on '%s'", ScriptValue::GetTypeName(v.m_Type));
            v.SetInt(~v.m_Integer);
        } else {
            if (IsString(v))
                reader.Error("Unary operator '-' not applicable on 'String'");
            if (IsInt(v))
                v.m_Integer = WrapNeg(v.m_Integer);
            else if (IsFloat(v))
                v.m_Number = -v.m_Number;
            else
                reader.Error("Operator '-' not applicable on '%s'", ScriptValue::GetTypeName(v.m_Type));
        }
        operand.m_Kind = CompilerArgument::kComputed;
        Erase(items, i);
    }
}

// Passes 2 and 3: * / % and + -.
void Arithmetic(ScriptReader& reader, const char* x, ScriptValue& l, const ScriptValue& r)
{
    char op = x[0];
    if (op == '%' && IsZero(r))
        reader.Error("Modulo by zero");
    if (IsVoid(r))
        reader.Error("Operator '%s' not applicable on 'Void'", x);
    if (IsInt(l) && IsInt(r)) {
        int32_t a = l.m_Integer, b = r.m_Integer;
        switch (op) {
        case '*': l.m_Integer = WrapMul(a, b); break;
        case '/':
            if (b == 0)
                reader.Error("Integer division by zero");
            l.m_Integer = WrapDiv(a, b);
            break;
        case '%': l.m_Integer = WrapMod(a, b); break;
        case '+': l.m_Integer = WrapAdd(a, b); break;
        default: l.m_Integer = WrapSub(a, b); break;
        }
        return;
    }
    if (l.IsNumber() && r.IsNumber()) {
        double a = l.GetNumberView(), b = r.GetNumberView();
        switch (op) {
        case '*': l.m_Number = a * b; break;
        case '/': l.m_Number = IsInt(l) ? a * (1.0 / b) : a / b; break;
        case '%': l.m_Number = FloatMod(a, b); break;
        case '+': l.m_Number = a + b; break;
        default: l.m_Number = a - b; break;
        }
        l.m_Type = kScriptFloat;
        return;
    }
    if (op == '+') {
        if (!IsString(l) || !IsString(r))
            reader.Error("String Operator '+' can only operate on 'String'");
        AppendText(reader, l.m_Text, r.m_Text);
        return;
    }
    reader.Error("Operator '%s' not applicable on 'String'", x);
}

// Passes 4 and 5: > < >= <= and == != ~=; the result is an Int 0 or 1.
void Comparison(ScriptReader& reader, const char* x, ScriptValue& l, const ScriptValue& r)
{
    if (IsVoid(r))
        reader.Error("Operator '%s' not applicable on 'Void'", x);
    bool result = false;
    if (std::strcmp(x, "~=") == 0) {
        if (!IsString(l) || !IsString(r))
            reader.Error("Operator '~=' can only compare 'String' with 'String'");
        result = l.m_Text.EqualsNoCase(r.m_Text);
    } else if (l.IsNumber() && r.IsNumber()) {
        int order;
        if (IsInt(l) && IsInt(r)) {
            order = (l.m_Integer > r.m_Integer) - (l.m_Integer < r.m_Integer);
        } else {
            double a = l.GetNumberView(), b = r.GetNumberView();
            order = a > b ? 1 : a < b ? -1 : a == b ? 0 : 2;  // 2: unordered (NaN)
        }
        result = std::strcmp(x, "==") == 0   ? order == 0
                 : std::strcmp(x, "!=") == 0 ? order != 0
                 : std::strcmp(x, ">") == 0  ? order == 1
                 : std::strcmp(x, "<") == 0  ? order == -1
                 : std::strcmp(x, ">=") == 0 ? (order == 1 || order == 0)
                                             : (order == -1 || order == 0);
    } else if (IsString(l) && IsString(r)) {
        // the ordering operators compare the lengths of the texts, not their contents
        int32_t a = l.m_Text.TextLength(), b = r.m_Text.TextLength();
        result = std::strcmp(x, "==") == 0   ? l.m_Text.IsEqual(r.m_Text)
                 : std::strcmp(x, "!=") == 0 ? !l.m_Text.IsEqual(r.m_Text)
                 : std::strcmp(x, ">") == 0  ? a > b
                 : std::strcmp(x, "<") == 0  ? a < b
                 : std::strcmp(x, ">=") == 0 ? a >= b
                                             : a <= b;
    } else {
        reader.Error("Operator '%s' can not compare 'String' with type other than 'String'", x);
    }
    l.SetInt(result ? 1 : 0);
}

// Pass 6: & | ^ on two Ints.
void Bitwise(ScriptReader& reader, const char* x, ScriptValue& l, const ScriptValue& r)
{
    if (IsVoid(r))
        reader.Error("Operator '%s' not applicable on 'Void'", x);
    if (IsString(r))
        reader.Error("Operator '%s' can not operate on 'String'", x);
    if (!IsInt(r) || !IsInt(l))
        reader.Error("Operator '%s' can not operate on 'Float'", x);
    int32_t a = l.m_Integer, b = r.m_Integer;
    l.SetInt(x[0] == '&' ? (a & b) : x[0] == '|' ? (a | b) : (a ^ b));
}

// Passes 7 and 8: && and || without short-circuit (the statement executor short-circuits).
void Logical(ScriptReader& reader, const char* x, ScriptValue& l, const ScriptValue& r)
{
    if (IsVoid(r))
        reader.Error("Operator '%s' not applicable on 'Void'", x);
    if (!l.IsNumber() || !r.IsNumber())
        reader.Error("Operator '%s' not valid with 'String'", x);
    bool a = IsInt(l) ? l.m_Integer != 0 : l.m_Number != 0.0;
    bool b = IsInt(r) ? r.m_Integer != 0 : r.m_Number != 0.0;
    l.SetInt(x[0] == '&' ? (a && b) : (a || b));
}

template <class Apply>
void BinaryPass(ScriptReader& reader, Items& items, std::initializer_list<const char*> spellings, Apply apply)
{
    for (size_t i = 0; i < items.size();) {
        if (!IsOperator(items[i], spellings)) {
            i++;
            continue;
        }
        const String op = items[i].m_Token;
        const char* x = op.c_str();
        if (op == "+" && i == 0) {  // unary plus
            if (items.size() < 2)
                reader.Error("No R-value for '+'");
            const ScriptValue& v = items[1].m_Value;
            if (IsString(v))
                reader.Error("Unary operator '+' not applicable on 'String'");
            if (!v.IsNumber())
                reader.Error("Operator '+' not applicable on '%s'", ScriptValue::GetTypeName(v.m_Type));
            Erase(items, 0);
            continue;
        }
        if (op == "-" && (i == 0 || IsVoid(items[i - 1].m_Value)))
            reader.Error("Compiler error: '-'");
        if (i == 0)
            reader.Error("No L-value for operator '%s'", x);
        if (i + 1 >= items.size())
            reader.Error("No R-value for '%s'", x);
        CompilerArgument& left = items[i - 1];
        apply(reader, x, left.m_Value, items[i + 1].m_Value);
        left.m_Kind = CompilerArgument::kComputed;
        Erase(items, i, 2);  // the scan goes on with the item after the result
    }
}

// Pass 9, right to left: = and the compound assignments, stored by the target's own type.
void AssignmentPass(ScriptReader& reader, Items& items)
{
    for (size_t i = items.size(); i-- > 0;) {
        if (!IsOperator(items[i], {"=", "+=", "-=", "*=", "/=", "%=", "&=", "|=", "^="}))
            continue;
        const String op = items[i].m_Token;
        const char* x = op.c_str();
        if (i == 0)
            reader.Error("No L-value for operator '%s'", x);
        if (i + 1 >= items.size())
            reader.Error("No R-value for '%s'", x);
        CompilerArgument& target = items[i - 1];
        if (target.m_Kind != CompilerArgument::kReference)
            reader.Error("Invalid L-value for '%s'", x);
        const ScriptValue value = items[i + 1].m_Value;
        ScriptValue& t = target.m_Value;
        reader.GetOrDeclareVariable(t, target.m_Token.c_str(), target.m_ElementIndex, kScriptRead);
        if (IsVoid(value))
            reader.Error("Operator '%s' not applicable on 'Void'", x);

        char kind = x[0];
        if (op == "=") {
            if (IsInt(t)) {
                if (IsString(value))
                    reader.Error("Operator '=' type mismatch");
                t.m_Integer = value.GetIntView();
            } else if (IsFloat(t)) {
                if (IsString(value))
                    reader.Error("Operator '=' type mismatch");
                t.m_Number = value.GetNumberView();
            } else if (IsString(t)) {
                bool character = target.m_ElementIndex >= 0;
                if (IsString(value))
                    t.m_Text = value.m_Text;
                else if (character && IsInt(value))
                    t.SetInt(value.m_Integer);  // stored as that character code
                else
                    reader.Error("Operator '=' type mismatch");
            } else {
                t = value;  // a target of no scalar type: the store reports it
            }
        } else if (kind == '+') {
            if (IsInt(t) && value.IsNumber())
                t.m_Integer = WrapAdd(t.m_Integer, value.GetIntView());
            else if (IsFloat(t) && value.IsNumber())
                t.m_Number += value.GetNumberView();
            else if (IsString(t) && IsString(value))
                AppendText(reader, t.m_Text, value.m_Text);
            else
                reader.Error("Operator '+=' type mismatch");
        } else if (kind == '-' || kind == '*' || kind == '/') {
            if (IsString(value))
                reader.Error("Operator '%s' not applicable on 'String'", x);
            if (IsInt(t) && value.IsNumber()) {
                int32_t b = value.GetIntView();
                if (kind == '/' && b == 0)
                    reader.Error("Integer division by zero");
                t.m_Integer = kind == '-' ? WrapSub(t.m_Integer, b)
                              : kind == '*' ? WrapMul(t.m_Integer, b)
                                            : WrapDiv(t.m_Integer, b);
            } else if (IsFloat(t) && value.IsNumber()) {
                double b = value.GetNumberView();
                t.m_Number = kind == '-' ? t.m_Number - b : kind == '*' ? t.m_Number * b : t.m_Number / b;
            } else if (IsString(t) && IsFloat(value) && kind == '-') {
                reader.Error("Operator '-=' not applicable on 'String'");
            } else {
                reader.Error("Operator '%s' type mismatch", x);
            }
        } else if (kind == '%') {
            if (IsZero(value))
                reader.Error("Modulo by zero");
            if (IsString(value))
                reader.Error("Operator '%%=' not applicable on 'String'");
            if (IsInt(t) && IsInt(value))
                t.m_Integer = WrapMod(t.m_Integer, value.m_Integer);
            else if (IsFloat(t) && value.IsNumber())
                t.m_Number = FloatMod(t.m_Number, value.GetNumberView());
            else
                reader.Error("Operator '%%=' type mismatch");
        } else {  // &= |= ^=
            if (IsFloat(value) || IsString(value))
                reader.Error("Operator '%s' not applicable on '%s'", x, ScriptValue::GetTypeName(value.m_Type));
            if (!IsInt(t) || !IsInt(value))
                reader.Error("Operator '%s' type mismatch", x);
            t.m_Integer = kind == '&' ? (t.m_Integer & value.m_Integer)
                          : kind == '|' ? (t.m_Integer | value.m_Integer)
                                        : (t.m_Integer ^ value.m_Integer);
        }
        reader.SetVariable(target.m_Token.c_str(), target.m_ElementIndex, t);
        target.m_Kind = CompilerArgument::kComputed;
        Erase(items, i, 2);
    }
}

}  // namespace

ScriptValue& ScriptReader::EvaluateExpression(ScriptValue& result, ExpressionList& list)
{
    if (m_SkipMode) {
        result.SetUnevaluated();
        return result;
    }
    Items items;
    items.reserve(static_cast<size_t>(list.GetSize()));
    for (int32_t i = 0; i < list.GetSize(); i++)
        if (CompilerArgument* item = list.GetAt(i))
            items.push_back(std::move(*item));
    list.DeleteAll();
    if (items.empty()) {
        result.SetVoid();
        return result;
    }

    UnaryPass(*this, items);
    BinaryPass(*this, items, {"*", "/", "%"}, Arithmetic);
    BinaryPass(*this, items, {"+", "-"}, Arithmetic);
    BinaryPass(*this, items, {">", "<", ">=", "<="}, Comparison);
    BinaryPass(*this, items, {"==", "!=", "~="}, Comparison);
    BinaryPass(*this, items, {"&", "|", "^"}, Bitwise);
    BinaryPass(*this, items, {"&&"}, Logical);
    BinaryPass(*this, items, {"||"}, Logical);
    AssignmentPass(*this, items);

    for (const CompilerArgument& item : items)
        if (item.m_Kind == CompilerArgument::kOperator)
            Error("Unknown operator '%s'", item.m_Token.c_str());
    if (items.size() > 1)
        Error("Invalid statement. Missing ';' ?");
    result.m_Text = items[0].m_Value.m_Text;
    result.m_Number = items[0].m_Value.m_Number;
    result.m_Integer = items[0].m_Value.m_Integer;
    result.m_Type = items[0].m_Value.m_Type;
    return result;
}
