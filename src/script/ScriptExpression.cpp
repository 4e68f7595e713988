// ScriptReader expressions: nine fixed passes over a flat list of values and operators, one per
// precedence level; each application of an operator replaces it and its operands by one value.
// Operators are known by number; a pass that no operator of the list belongs to is not walked.
#include "script/ScriptEvaluator.h"

#include <cmath>
#include <new>
#include <utility>
#include <vector>

namespace {

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

}  // namespace

uint32_t ScriptEvaluator::PassesOf(int32_t op)
{
    switch (op) {
    case kOpNot:
    case kOpTilde:
    case kOpIncrement:
    case kOpDecrement: return kUnary;
    case kOpMinus: return kUnary | kSum;
    case kOpMul:
    case kOpDiv:
    case kOpMod: return kProduct;
    case kOpPlus: return kSum;
    case kOpGreater:
    case kOpLess:
    case kOpGreaterEqual:
    case kOpLessEqual: return kOrder;
    case kOpEqual:
    case kOpNotEqual:
    case kOpTildeEqual: return kEquality;
    case kOpBitAnd:
    case kOpBitOr:
    case kOpXor: return kBits;
    case kOpLogicalAnd: return kAnd;
    case kOpLogicalOr: return kOr;
    case kOpAssign:
    case kOpPlusAssign:
    case kOpMinusAssign:
    case kOpMulAssign:
    case kOpDivAssign:
    case kOpModAssign:
    case kOpAndAssign:
    case kOpOrAssign:
    case kOpXorAssign: return kAssignment;
    default: return 0;
    }
}

// Pass 1, right to left: ! ~ ++ -- and the unary minus.
void ScriptEvaluator::Unary(ScriptReader& reader, Items& items)
{
    for (int32_t i = items.Size(); i-- > 0;) {
        Item& item = items[i];
        if (!IsOperatorOf(item, kUnary))
            continue;
        const int32_t op = item.m_Op;

        if (op == kOpMinus && i > 0 && !IsVoid(items[i - 1].m_Value))
            continue;  // a binary minus, for pass 3

        if (op == kOpIncrement || op == kOpDecrement) {
            bool prefix = i + 1 < items.Size() && items[i + 1].m_Kind == CompilerArgument::kReference;
            if (!prefix && (i == 0 || items[i - 1].m_Kind != CompilerArgument::kReference))
                reader.Error("Invalid L-value for '%s'", Spelling(item));
            Item& operand = items[prefix ? i + 1 : i - 1];
            Step(reader, op, prefix, operand.m_Value, operand.m_Site, operand.m_Name, operand.m_ElementIndex);
            items.Erase(i, 1);
            continue;
        }

        if (i + 1 >= items.Size())
            reader.Error("No R-value for '%s'", Spelling(item));
        Item& operand = items[i + 1];
        UnaryValue(reader, op, operand.m_Value);
        operand.m_Kind = CompilerArgument::kComputed;
        items.Erase(i, 1);
    }
}

// ++ and --: the variable takes the new value; a postfix expression keeps the old one.
void ScriptEvaluator::Step(ScriptReader& reader, int32_t op, bool prefix, ScriptValue& v, TokenInfo* site,
                           const char* name, int32_t index)
{
    if (!IsInt(v))
        reader.Error("Operator '%s' not applicable on '%s'", ScriptReader::OperatorSpelling(op),
                     ScriptValue::GetTypeName(v.m_Type));
    int32_t old = v.m_Integer;
    v.m_Integer = WrapAdd(old, op == kOpIncrement ? 1 : -1);
    reader.SetVariableAt(site, name, index, v);
    if (!prefix)
        v.m_Integer = old;  // the expression sees the old value
}

void ScriptEvaluator::UnaryValue(ScriptReader& reader, int32_t op, ScriptValue& v)
{
    if (op == kOpNot) {
        if (!IsInt(v) && !IsFloat(v))
            reader.Error("Operator '!' not applicable on '%s'", ScriptValue::GetTypeName(v.m_Type));
        v.SetInt(IsInt(v) ? v.m_Integer == 0 : v.m_Number == 0.0);
    } else if (op == kOpTilde) {
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
}

void ScriptEvaluator::UnaryPlus(ScriptReader& reader, const ScriptValue& v)
{
    if (IsString(v))
        reader.Error("Unary operator '+' not applicable on 'String'");
    if (!v.IsNumber())
        reader.Error("Operator '+' not applicable on '%s'", ScriptValue::GetTypeName(v.m_Type));
}

void ScriptEvaluator::BinaryValue(ScriptReader& reader, int32_t op, ScriptValue& l, const ScriptValue& r)
{
    if (IsInt(l) && IsInt(r) && IntBinary(op, l, r))  // the common case first, as the rules below give it
        return;
    uint32_t pass = PassesOf(op);
    if (pass & (kProduct | kSum))
        Arithmetic(reader, op, l, r);
    else if (pass & (kOrder | kEquality))
        Comparison(reader, op, l, r);
    else if (pass & kBits)
        Bitwise(reader, op, l, r);
    else
        Logical(reader, op, l, r);
}

// Passes 2 and 3: * / % and + -.
void ScriptEvaluator::Arithmetic(ScriptReader& reader, int32_t op, ScriptValue& l, const ScriptValue& r)
{
    auto x = [op] { return ScriptReader::OperatorSpelling(op); };
    if (op == kOpMod && IsZero(r))
        reader.Error("Modulo by zero");
    if (IsVoid(r))
        reader.Error("Operator '%s' not applicable on 'Void'", x());
    if (IsInt(l) && IsInt(r)) {
        int32_t a = l.m_Integer, b = r.m_Integer;
        switch (op) {
        case kOpMul: l.m_Integer = WrapMul(a, b); break;
        case kOpDiv:
            if (b == 0)
                reader.Error("Integer division by zero");
            l.m_Integer = WrapDiv(a, b);
            break;
        case kOpMod: l.m_Integer = WrapMod(a, b); break;
        case kOpPlus: l.m_Integer = WrapAdd(a, b); break;
        default: l.m_Integer = WrapSub(a, b); break;
        }
        return;
    }
    if (l.IsNumber() && r.IsNumber()) {
        double a = l.GetNumberView(), b = r.GetNumberView();
        switch (op) {
        case kOpMul: l.m_Number = a * b; break;
        case kOpDiv: l.m_Number = IsInt(l) ? a * (1.0 / b) : a / b; break;
        case kOpMod: l.m_Number = FloatMod(a, b); break;
        case kOpPlus: l.m_Number = a + b; break;
        default: l.m_Number = a - b; break;
        }
        l.m_Type = kScriptFloat;
        return;
    }
    if (op == kOpPlus) {
        if (!IsString(l) || !IsString(r))
            reader.Error("String Operator '+' can only operate on 'String'");
        AppendText(reader, l.m_Text, r.m_Text);
        return;
    }
    reader.Error("Operator '%s' not applicable on 'String'", x());
}

// Passes 4 and 5: > < >= <= and == != ~=; the result is an Int 0 or 1.
void ScriptEvaluator::Comparison(ScriptReader& reader, int32_t op, ScriptValue& l, const ScriptValue& r)
{
    auto x = [op] { return ScriptReader::OperatorSpelling(op); };
    if (IsVoid(r))
        reader.Error("Operator '%s' not applicable on 'Void'", x());
    bool result = false;
    if (op == kOpTildeEqual) {
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
        switch (op) {
        case kOpEqual: result = order == 0; break;
        case kOpNotEqual: result = order != 0; break;
        case kOpGreater: result = order == 1; break;
        case kOpLess: result = order == -1; break;
        case kOpGreaterEqual: result = order == 1 || order == 0; break;
        default: result = order == -1 || order == 0; break;
        }
    } else if (IsString(l) && IsString(r)) {
        // the ordering operators compare the lengths of the texts, not their contents
        int32_t a = l.m_Text.TextLength(), b = r.m_Text.TextLength();
        switch (op) {
        case kOpEqual: result = l.m_Text.IsEqual(r.m_Text); break;
        case kOpNotEqual: result = !l.m_Text.IsEqual(r.m_Text); break;
        case kOpGreater: result = a > b; break;
        case kOpLess: result = a < b; break;
        case kOpGreaterEqual: result = a >= b; break;
        default: result = a <= b; break;
        }
    } else {
        reader.Error("Operator '%s' can not compare 'String' with type other than 'String'", x());
    }
    l.SetInt(result ? 1 : 0);
}

// Pass 6: & | ^ on two Ints.
void ScriptEvaluator::Bitwise(ScriptReader& reader, int32_t op, ScriptValue& l, const ScriptValue& r)
{
    auto x = [op] { return ScriptReader::OperatorSpelling(op); };
    if (IsVoid(r))
        reader.Error("Operator '%s' not applicable on 'Void'", x());
    if (IsString(r))
        reader.Error("Operator '%s' can not operate on 'String'", x());
    if (!IsInt(r) || !IsInt(l))
        reader.Error("Operator '%s' can not operate on 'Float'", x());
    int32_t a = l.m_Integer, b = r.m_Integer;
    l.SetInt(op == kOpBitAnd ? (a & b) : op == kOpBitOr ? (a | b) : (a ^ b));
}

// Passes 7 and 8: && and || without short-circuit (the statement executor short-circuits).
void ScriptEvaluator::Logical(ScriptReader& reader, int32_t op, ScriptValue& l, const ScriptValue& r)
{
    auto x = [op] { return ScriptReader::OperatorSpelling(op); };
    if (IsVoid(r))
        reader.Error("Operator '%s' not applicable on 'Void'", x());
    if (!l.IsNumber() || !r.IsNumber())
        reader.Error("Operator '%s' not valid with 'String'", x());
    bool a = IsInt(l) ? l.m_Integer != 0 : l.m_Number != 0.0;
    bool b = IsInt(r) ? r.m_Integer != 0 : r.m_Number != 0.0;
    l.SetInt(op == kOpLogicalAnd ? (a && b) : (a || b));
}

void ScriptEvaluator::Binary(ScriptReader& reader, Items& items, uint32_t pass)
{
    for (int32_t i = 0; i < items.Size();) {
        if (!IsOperatorOf(items[i], pass)) {
            i++;
            continue;
        }
        const int32_t op = items[i].m_Op;
        if (op == kOpPlus && i == 0) {  // unary plus
            if (items.Size() < 2)
                reader.Error("No R-value for '+'");
            UnaryPlus(reader, items[1].m_Value);
            items.Erase(0, 1);
            continue;
        }
        if (op == kOpMinus && (i == 0 || IsVoid(items[i - 1].m_Value)))
            reader.Error("Compiler error: '-'");
        if (i == 0)
            reader.Error("No L-value for operator '%s'", Spelling(items[i]));
        if (i + 1 >= items.Size())
            reader.Error("No R-value for '%s'", Spelling(items[i]));
        Item& left = items[i - 1];
        BinaryValue(reader, op, left.m_Value, items[i + 1].m_Value);
        left.m_Kind = CompilerArgument::kComputed;
        items.Erase(i, 2);  // the scan goes on with the item after the result
    }
}

// Pass 9, right to left: = and the compound assignments, stored by the target's own type.
void ScriptEvaluator::Assignments(ScriptReader& reader, Items& items)
{
    for (int32_t i = items.Size(); i-- > 0;) {
        if (!IsOperatorOf(items[i], kAssignment))
            continue;
        if (i == 0)
            reader.Error("No L-value for operator '%s'", Spelling(items[i]));
        if (i + 1 >= items.Size())
            reader.Error("No R-value for '%s'", Spelling(items[i]));
        Item& target = items[i - 1];
        if (target.m_Kind != CompilerArgument::kReference)
            reader.Error("Invalid L-value for '%s'", Spelling(items[i]));
        // the right item goes with the operator
        Assign(reader, items[i].m_Op, target.m_Value, target.m_Site, target.m_Name, target.m_ElementIndex,
               std::move(items[i + 1].m_Value));
        target.m_Kind = CompilerArgument::kComputed;
        items.Erase(i, 2);
    }
}

// The target's current value is read again, so that its own declared type decides, then
// combined with the value and stored; t keeps the stored value.
void ScriptEvaluator::Assign(ScriptReader& reader, int32_t op, ScriptValue& t, TokenInfo* site, const char* name,
                             int32_t index, ScriptValue value)
{
    auto x = [op] { return ScriptReader::OperatorSpelling(op); };
    if (op == kOpPlusAssign && index < 0 && IsString(value) && reader.m_UseShortcuts && !reader.m_SkipMode) {
        // Appending to a String variable that a scope holds: the text grows where it is, and t
        // becomes what re-reading, appending and storing would leave.
        ScriptStackVariable* variable = reader.FindVariableAt(site, name);
        if (variable && IsString(variable->GetFirst())) {
            ScriptValue& target = variable->GetFirst();
            AppendText(reader, target.m_Text, value.m_Text);
            t = target;
            return;
        }
    }
    reader.ReadVariableAt(t, site, name, index);
    if (IsInt(t) && IsInt(value) && IntAssign(op, t.m_Integer, value.m_Integer, t.m_Integer)) {
        reader.SetVariableAt(site, name, index, t);  // the common case first, as the rules below give it
        return;
    }
    if (IsVoid(value))
        reader.Error("Operator '%s' not applicable on 'Void'", x());

    if (op == kOpAssign) {
        if (IsInt(t)) {
            if (IsString(value))
                reader.Error("Operator '=' type mismatch");
            t.m_Integer = value.GetIntView();
        } else if (IsFloat(t)) {
            if (IsString(value))
                reader.Error("Operator '=' type mismatch");
            t.m_Number = value.GetNumberView();
        } else if (IsString(t)) {
            bool character = index >= 0;
            if (IsString(value))
                t.m_Text = std::move(value.m_Text);
            else if (character && IsInt(value))
                t.SetInt(value.m_Integer);  // stored as that character code
            else
                reader.Error("Operator '=' type mismatch");
        } else {
            t = std::move(value);  // a target of no scalar type: the store reports it
        }
    } else if (op == kOpPlusAssign) {
        if (IsInt(t) && value.IsNumber())
            t.m_Integer = WrapAdd(t.m_Integer, value.GetIntView());
        else if (IsFloat(t) && value.IsNumber())
            t.m_Number += value.GetNumberView();
        else if (IsString(t) && IsString(value))
            AppendText(reader, t.m_Text, value.m_Text);
        else
            reader.Error("Operator '+=' type mismatch");
    } else if (op == kOpMinusAssign || op == kOpMulAssign || op == kOpDivAssign) {
        if (IsString(value))
            reader.Error("Operator '%s' not applicable on 'String'", x());
        if (IsInt(t) && value.IsNumber()) {
            int32_t b = value.GetIntView();
            if (op == kOpDivAssign && b == 0)
                reader.Error("Integer division by zero");
            t.m_Integer = op == kOpMinusAssign ? WrapSub(t.m_Integer, b)
                          : op == kOpMulAssign ? WrapMul(t.m_Integer, b)
                                               : WrapDiv(t.m_Integer, b);
        } else if (IsFloat(t) && value.IsNumber()) {
            double b = value.GetNumberView();
            t.m_Number = op == kOpMinusAssign ? t.m_Number - b : op == kOpMulAssign ? t.m_Number * b : t.m_Number / b;
        } else if (IsString(t) && IsFloat(value) && op == kOpMinusAssign) {
            reader.Error("Operator '-=' not applicable on 'String'");
        } else {
            reader.Error("Operator '%s' type mismatch", x());
        }
    } else if (op == kOpModAssign) {
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
            reader.Error("Operator '%s' not applicable on '%s'", x(), ScriptValue::GetTypeName(value.m_Type));
        if (!IsInt(t) || !IsInt(value))
            reader.Error("Operator '%s' type mismatch", x());
        t.m_Integer = op == kOpAndAssign  ? (t.m_Integer & value.m_Integer)
                      : op == kOpOrAssign ? (t.m_Integer | value.m_Integer)
                                          : (t.m_Integer ^ value.m_Integer);
    }
    reader.SetVariableAt(site, name, index, t);
}

ScriptReader::ItemList::~ItemList()
{
    Clear();
    if (m_Items != m_Room)
        ::operator delete(m_Items);
}

ScriptReader::Item& ScriptReader::ItemList::Add()
{
    if (m_Size == m_Capacity) {
        int32_t capacity = m_Capacity * 2;
        Item* items = static_cast<Item*>(::operator new(sizeof(Item) * size_t(capacity)));
        for (int32_t i = 0; i < m_Size; i++) {
            new (&items[i]) Item(std::move(m_Items[i]));
            m_Items[i].~Item();
        }
        if (m_Items != m_Room)
            ::operator delete(m_Items);
        m_Items = items;
        m_Capacity = capacity;
    }
    return *new (&m_Items[m_Size++]) Item();
}

void ScriptReader::ItemList::Erase(int32_t at, int32_t count)
{
    for (int32_t i = at; i + count < m_Size; i++)
        m_Items[i] = std::move(m_Items[i + count]);
    for (int32_t i = m_Size - count; i < m_Size; i++)
        m_Items[i].~Item();
    m_Size -= count;
}

void ScriptReader::ItemList::Clear()
{
    for (int32_t i = 0; i < m_Size; i++)
        m_Items[i].~Item();
    m_Size = 0;
}

// The list is consumed: only the passes its operators belong to walk it.
ScriptValue& ScriptReader::Evaluate(ScriptValue& result, ItemList& items)
{
    if (m_SkipMode) {
        result.SetUnevaluated();
        return result;
    }
    if (items.Size() == 0) {
        result.SetVoid();
        return result;
    }
    // A single value, and one binary operator on two Ints that cannot fail, as the passes give them.
    const bool single = items.Size() == 1 && items[0].m_Kind != CompilerArgument::kOperator;
    const bool pair = items.Size() == 3 && items[1].m_Kind == CompilerArgument::kOperator &&
                      items[0].m_Kind != CompilerArgument::kOperator &&
                      items[2].m_Kind != CompilerArgument::kOperator && items[0].m_Value.m_Type == kScriptInt &&
                      items[2].m_Value.m_Type == kScriptInt &&
                      (ScriptEvaluator::PassesOf(items[1].m_Op) & (ScriptEvaluator::kProduct | ScriptEvaluator::kSum |
                                                                   ScriptEvaluator::kOrder | ScriptEvaluator::kEquality |
                                                                   ScriptEvaluator::kBits | ScriptEvaluator::kAnd |
                                                                   ScriptEvaluator::kOr)) &&
                      ScriptEvaluator::IntBinary(items[1].m_Op, items[0].m_Value, items[2].m_Value);
    uint32_t passes = 0;
    if (!single && !pair)
        for (int32_t i = 0; i < items.Size(); i++)
            if (items[i].m_Kind == CompilerArgument::kOperator)
                passes |= ScriptEvaluator::PassesOf(items[i].m_Op);
    if (pair)
        items.Erase(1, 2);

    if (passes & ScriptEvaluator::kUnary)
        ScriptEvaluator::Unary(*this, items);
    for (uint32_t pass : ScriptEvaluator::kBinaryPasses)
        if (passes & pass)
            ScriptEvaluator::Binary(*this, items, pass);
    if (passes & ScriptEvaluator::kAssignment)
        ScriptEvaluator::Assignments(*this, items);

    for (int32_t i = 0; i < items.Size(); i++)
        if (items[i].m_Kind == CompilerArgument::kOperator)
            Error("Unknown operator '%s'", ScriptEvaluator::Spelling(items[i]));
    if (items.Size() > 1)
        Error("Invalid statement. Missing ';' ?");
    ScriptValue& last = items[0].m_Value;
    result.m_Text = std::move(last.m_Text);
    result.m_Number = last.m_Number;
    result.m_Integer = last.m_Integer;
    result.m_Type = last.m_Type;
    items.Clear();
    return result;
}

// A list built outside the executor: its operators are known by their spelling.
ScriptValue& ScriptReader::EvaluateExpression(ScriptValue& result, ExpressionList& list)
{
    if (m_SkipMode) {
        result.SetUnevaluated();
        return result;
    }
    std::vector<CompilerArgument> arguments;
    arguments.reserve(static_cast<size_t>(list.GetSize()));
    for (int32_t i = 0; i < list.GetSize(); i++)
        if (CompilerArgument* argument = list.GetAt(i))
            arguments.push_back(std::move(*argument));
    list.DeleteAll();
    ItemRoom room;
    ItemList items(room.bytes);
    for (CompilerArgument& argument : arguments) {
        Item& item = items.Add();
        item.m_Kind = argument.m_Kind;
        item.m_ElementIndex = argument.m_ElementIndex;
        item.m_Name = argument.m_Token.c_str();
        if (argument.m_Kind == CompilerArgument::kOperator)
            item.m_Op = static_cast<uint8_t>(OperatorNumber(argument.m_Token.c_str()));
        item.m_Value = std::move(argument.m_Value);
    }
    return Evaluate(result, items);
}
