// ScriptReader expressions: nine fixed passes over a flat list of values and operators, one per
// precedence level; each application of an operator replaces it and its operands by one value.
// Operators are known by number; a pass that no operator of the list belongs to is not walked.
#include "script/ScriptReader.h"

#include <cmath>
#include <new>
#include <utility>
#include <vector>

// The passes, as friends of the reader: they read and store the variables of references.
class ScriptEvaluator {
public:
    using Item = ScriptReader::Item;
    using Items = ScriptReader::ItemList;

    // The passes an operator takes part in.
    enum Pass : uint32_t {
        kUnary = 1 << 0,
        kProduct = 1 << 1,
        kSum = 1 << 2,
        kOrder = 1 << 3,
        kEquality = 1 << 4,
        kBits = 1 << 5,
        kAnd = 1 << 6,
        kOr = 1 << 7,
        kAssignment = 1 << 8,
    };
    static uint32_t PassesOf(int32_t op);

    static void Unary(ScriptReader& reader, Items& items);
    template <class Apply> static void Binary(ScriptReader& reader, Items& items, uint32_t pass, Apply apply);
    static void Assignments(ScriptReader& reader, Items& items);

    static void Arithmetic(ScriptReader& reader, int32_t op, ScriptValue& l, const ScriptValue& r);
    static void Comparison(ScriptReader& reader, int32_t op, ScriptValue& l, const ScriptValue& r);
    static void Bitwise(ScriptReader& reader, int32_t op, ScriptValue& l, const ScriptValue& r);
    static void Logical(ScriptReader& reader, int32_t op, ScriptValue& l, const ScriptValue& r);

    // The operator's spelling for messages; a list handed in from outside may hold any text.
    static const char* Spelling(const Item& item)
    {
        return item.m_Op != kOpNone ? ScriptReader::OperatorSpelling(item.m_Op) : item.m_Name;
    }
    static bool IsOperatorOf(const Item& item, uint32_t pass)
    {
        return item.m_Kind == CompilerArgument::kOperator && (PassesOf(item.m_Op) & pass) != 0;
    }
};

namespace {

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
        const char* x = Spelling(item);

        if (op == kOpMinus && i > 0 && !IsVoid(items[i - 1].m_Value))
            continue;  // a binary minus, for pass 3

        if (op == kOpIncrement || op == kOpDecrement) {
            bool prefix = i + 1 < items.Size() && items[i + 1].m_Kind == CompilerArgument::kReference;
            if (!prefix && (i == 0 || items[i - 1].m_Kind != CompilerArgument::kReference))
                reader.Error("Invalid L-value for '%s'", x);
            Item& operand = items[prefix ? i + 1 : i - 1];
            if (!IsInt(operand.m_Value))
                reader.Error("Operator '%s' not applicable on '%s'", x, ScriptValue::GetTypeName(operand.m_Value.m_Type));
            int32_t old = operand.m_Value.m_Integer;
            operand.m_Value.m_Integer = WrapAdd(old, op == kOpIncrement ? 1 : -1);
            reader.SetVariableAt(operand.m_Site, operand.m_Name, operand.m_ElementIndex, operand.m_Value);
            if (!prefix)
                operand.m_Value.m_Integer = old;  // the expression sees the old value
            items.Erase(i, 1);
            continue;
        }

        if (i + 1 >= items.Size())
            reader.Error("No R-value for '%s'", x);
        Item& operand = items[i + 1];
        ScriptValue& v = operand.m_Value;
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
        operand.m_Kind = CompilerArgument::kComputed;
        items.Erase(i, 1);
    }
}

// Passes 2 and 3: * / % and + -.
void ScriptEvaluator::Arithmetic(ScriptReader& reader, int32_t op, ScriptValue& l, const ScriptValue& r)
{
    const char* x = ScriptReader::OperatorSpelling(op);
    if (op == kOpMod && IsZero(r))
        reader.Error("Modulo by zero");
    if (IsVoid(r))
        reader.Error("Operator '%s' not applicable on 'Void'", x);
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
    reader.Error("Operator '%s' not applicable on 'String'", x);
}

// Passes 4 and 5: > < >= <= and == != ~=; the result is an Int 0 or 1.
void ScriptEvaluator::Comparison(ScriptReader& reader, int32_t op, ScriptValue& l, const ScriptValue& r)
{
    const char* x = ScriptReader::OperatorSpelling(op);
    if (IsVoid(r))
        reader.Error("Operator '%s' not applicable on 'Void'", x);
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
        reader.Error("Operator '%s' can not compare 'String' with type other than 'String'", x);
    }
    l.SetInt(result ? 1 : 0);
}

// Pass 6: & | ^ on two Ints.
void ScriptEvaluator::Bitwise(ScriptReader& reader, int32_t op, ScriptValue& l, const ScriptValue& r)
{
    const char* x = ScriptReader::OperatorSpelling(op);
    if (IsVoid(r))
        reader.Error("Operator '%s' not applicable on 'Void'", x);
    if (IsString(r))
        reader.Error("Operator '%s' can not operate on 'String'", x);
    if (!IsInt(r) || !IsInt(l))
        reader.Error("Operator '%s' can not operate on 'Float'", x);
    int32_t a = l.m_Integer, b = r.m_Integer;
    l.SetInt(op == kOpBitAnd ? (a & b) : op == kOpBitOr ? (a | b) : (a ^ b));
}

// Passes 7 and 8: && and || without short-circuit (the statement executor short-circuits).
void ScriptEvaluator::Logical(ScriptReader& reader, int32_t op, ScriptValue& l, const ScriptValue& r)
{
    const char* x = ScriptReader::OperatorSpelling(op);
    if (IsVoid(r))
        reader.Error("Operator '%s' not applicable on 'Void'", x);
    if (!l.IsNumber() || !r.IsNumber())
        reader.Error("Operator '%s' not valid with 'String'", x);
    bool a = IsInt(l) ? l.m_Integer != 0 : l.m_Number != 0.0;
    bool b = IsInt(r) ? r.m_Integer != 0 : r.m_Number != 0.0;
    l.SetInt(op == kOpLogicalAnd ? (a && b) : (a || b));
}

template <class Apply> void ScriptEvaluator::Binary(ScriptReader& reader, Items& items, uint32_t pass, Apply apply)
{
    for (int32_t i = 0; i < items.Size();) {
        if (!IsOperatorOf(items[i], pass)) {
            i++;
            continue;
        }
        const int32_t op = items[i].m_Op;
        const char* x = Spelling(items[i]);
        if (op == kOpPlus && i == 0) {  // unary plus
            if (items.Size() < 2)
                reader.Error("No R-value for '+'");
            const ScriptValue& v = items[1].m_Value;
            if (IsString(v))
                reader.Error("Unary operator '+' not applicable on 'String'");
            if (!v.IsNumber())
                reader.Error("Operator '+' not applicable on '%s'", ScriptValue::GetTypeName(v.m_Type));
            items.Erase(0, 1);
            continue;
        }
        if (op == kOpMinus && (i == 0 || IsVoid(items[i - 1].m_Value)))
            reader.Error("Compiler error: '-'");
        if (i == 0)
            reader.Error("No L-value for operator '%s'", x);
        if (i + 1 >= items.Size())
            reader.Error("No R-value for '%s'", x);
        Item& left = items[i - 1];
        apply(reader, op, left.m_Value, items[i + 1].m_Value);
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
        const int32_t op = items[i].m_Op;
        const char* x = Spelling(items[i]);
        if (i == 0)
            reader.Error("No L-value for operator '%s'", x);
        if (i + 1 >= items.Size())
            reader.Error("No R-value for '%s'", x);
        Item& target = items[i - 1];
        if (target.m_Kind != CompilerArgument::kReference)
            reader.Error("Invalid L-value for '%s'", x);
        const ScriptValue value = std::move(items[i + 1].m_Value);  // the item goes with the operator
        ScriptValue& t = target.m_Value;
        reader.ReadVariableAt(t, target.m_Site, target.m_Name, target.m_ElementIndex);
        if (IsVoid(value))
            reader.Error("Operator '%s' not applicable on 'Void'", x);

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
                reader.Error("Operator '%s' not applicable on 'String'", x);
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
                reader.Error("Operator '%s' type mismatch", x);
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
                reader.Error("Operator '%s' not applicable on '%s'", x, ScriptValue::GetTypeName(value.m_Type));
            if (!IsInt(t) || !IsInt(value))
                reader.Error("Operator '%s' type mismatch", x);
            t.m_Integer = op == kOpAndAssign  ? (t.m_Integer & value.m_Integer)
                          : op == kOpOrAssign ? (t.m_Integer | value.m_Integer)
                                              : (t.m_Integer ^ value.m_Integer);
        }
        reader.SetVariableAt(target.m_Site, target.m_Name, target.m_ElementIndex, t);
        target.m_Kind = CompilerArgument::kComputed;
        items.Erase(i, 2);
    }
}

ScriptReader::ItemList::~ItemList()
{
    Clear();
    if (m_Items != reinterpret_cast<Item*>(m_Room))
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
        if (m_Items != reinterpret_cast<Item*>(m_Room))
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
    uint32_t passes = 0;
    for (int32_t i = 0; i < items.Size(); i++)
        if (items[i].m_Kind == CompilerArgument::kOperator)
            passes |= ScriptEvaluator::PassesOf(items[i].m_Op);

    if (passes & ScriptEvaluator::kUnary)
        ScriptEvaluator::Unary(*this, items);
    if (passes & ScriptEvaluator::kProduct)
        ScriptEvaluator::Binary(*this, items, ScriptEvaluator::kProduct, ScriptEvaluator::Arithmetic);
    if (passes & ScriptEvaluator::kSum)
        ScriptEvaluator::Binary(*this, items, ScriptEvaluator::kSum, ScriptEvaluator::Arithmetic);
    if (passes & ScriptEvaluator::kOrder)
        ScriptEvaluator::Binary(*this, items, ScriptEvaluator::kOrder, ScriptEvaluator::Comparison);
    if (passes & ScriptEvaluator::kEquality)
        ScriptEvaluator::Binary(*this, items, ScriptEvaluator::kEquality, ScriptEvaluator::Comparison);
    if (passes & ScriptEvaluator::kBits)
        ScriptEvaluator::Binary(*this, items, ScriptEvaluator::kBits, ScriptEvaluator::Bitwise);
    if (passes & ScriptEvaluator::kAnd)
        ScriptEvaluator::Binary(*this, items, ScriptEvaluator::kAnd, ScriptEvaluator::Logical);
    if (passes & ScriptEvaluator::kOr)
        ScriptEvaluator::Binary(*this, items, ScriptEvaluator::kOr, ScriptEvaluator::Logical);
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
    ItemList items;
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
