// ScriptEvaluator: the expression items of the executor, and the operators of expressions, one
// function per kind of application, shared by the nine passes over an item list
// (ScriptExpression.cpp) and by the plans of simple constructs (ScriptPlans.cpp), so that both
// give the same values, stores and messages.
#pragma once
#include "script/ScriptReader.h"

// One expression item as the executor lists it: a CompilerArgument that knows its operator by
// number and a reference by the kept name and the token it was read at.
struct ScriptReader::Item {
    int8_t m_Kind = -1;  // a CompilerArgument kind or token code
    uint8_t m_Op = kOpNone;
    int32_t m_ElementIndex = -1;
    const char* m_Name = "";      // a reference's variable
    TokenInfo* m_Site = nullptr;  // where a reference was read: its variable cache; null none
    ScriptValue m_Value;
};

// The items of one expression: the common lengths in room the list is given (raw storage for
// Room items), longer lists on the heap.
class ScriptReader::ItemList {
public:
    static constexpr int32_t kRoom = 8;
    explicit ItemList(void* room) : m_Items(static_cast<Item*>(room)), m_Room(m_Items) {}
    ~ItemList();
    ItemList(const ItemList&) = delete;
    ItemList& operator=(const ItemList&) = delete;
    int32_t Size() const { return m_Size; }
    Item& operator[](int32_t i) { return m_Items[i]; }
    Item& Add();  // a new item at the end: kind -1, index -1, Void
    void Erase(int32_t at, int32_t count);
    void Clear();

private:
    Item* m_Items;
    Item* m_Room;
    int32_t m_Size = 0;
    int32_t m_Capacity = kRoom;
};

// Room for the items of one list, on the stack of a call that is not read recursively.
struct ScriptReader::ItemRoom {
    alignas(Item) unsigned char bytes[ItemList::kRoom * sizeof(Item)];
};

// What the executor of one construct keeps beside its stack frame, so that deeply nested
// constructs take little stack: the room of its item list and the tokens of a plan being made.
struct ScriptReader::ConstructRoom {
    ItemRoom items;
    TokenInfo* planTokens[kMaxPlanTokens];
};

class ScriptEvaluator {
public:
    using Item = ScriptReader::Item;
    using Items = ScriptReader::ItemList;
    using TokenInfo = ScriptReader::TokenInfo;

    // The passes an operator takes part in, from the first (binding tightest) to the last.
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
    static constexpr uint32_t kBinaryPasses[] = {kProduct, kSum, kOrder, kEquality, kBits, kAnd, kOr};
    static uint32_t PassesOf(int32_t op);

    // The passes over an item list.
    static void Unary(ScriptReader& reader, Items& items);
    static void Binary(ScriptReader& reader, Items& items, uint32_t pass);
    static void Assignments(ScriptReader& reader, Items& items);

    // One application each. A reference names its variable by the place it was read at, its name
    // and its element (-1: the whole variable).
    static void Step(ScriptReader& reader, int32_t op, bool prefix, ScriptValue& v, TokenInfo* site, const char* name,
                     int32_t index);                                        // ++ --
    static void UnaryValue(ScriptReader& reader, int32_t op, ScriptValue& v);  // ! ~ and the unary minus
    static void UnaryPlus(ScriptReader& reader, const ScriptValue& v);         // checks only
    static void BinaryValue(ScriptReader& reader, int32_t op, ScriptValue& l, const ScriptValue& r);
    static void Assign(ScriptReader& reader, int32_t op, ScriptValue& t, TokenInfo* site, const char* name,
                       int32_t index, ScriptValue value);  // = and the compound assignments

    // The operator's spelling for messages; a list handed in from outside may hold any text.
    static const char* Spelling(const Item& item)
    {
        return item.m_Op != kOpNone ? ScriptReader::OperatorSpelling(item.m_Op) : item.m_Name;
    }
    static bool IsOperatorOf(const Item& item, uint32_t pass)
    {
        return item.m_Kind == CompilerArgument::kOperator && (PassesOf(item.m_Op) & pass) != 0;
    }

    // Int arithmetic wraps at 32 bits like the original's machine code, without undefined behaviour.
    static int32_t WrapAdd(int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<int64_t>(a) + b); }
    static int32_t WrapSub(int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<int64_t>(a) - b); }
    static int32_t WrapMul(int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<int64_t>(a) * b); }
    static int32_t WrapNeg(int32_t a) { return static_cast<int32_t>(-static_cast<int64_t>(a)); }
    static int32_t WrapDiv(int32_t a, int32_t b) { return b == -1 ? WrapNeg(a) : a / b; }  // b != 0
    static int32_t WrapMod(int32_t a, int32_t b) { return b == -1 ? 0 : a % b; }           // b != 0

    // The binary operators on two Ints that cannot fail, as BinaryValue gives them; false for
    // the others (a division by zero, "~=" and the rest), which BinaryValue takes.
    static bool IntBinary(int32_t op, ScriptValue& l, const ScriptValue& r)
    {
        return IntBinary(op, l.m_Integer, r.m_Integer, l.m_Integer);
    }
    static bool IntBinary(int32_t op, int32_t a, int32_t b, int32_t& out)
    {
        switch (op) {
        case kOpPlus: out = WrapAdd(a, b); return true;
        case kOpMinus: out = WrapSub(a, b); return true;
        case kOpMul: out = WrapMul(a, b); return true;
        case kOpDiv: return b != 0 && (out = WrapDiv(a, b), true);
        case kOpMod: return b != 0 && (out = WrapMod(a, b), true);
        case kOpLess: out = a < b; return true;
        case kOpGreater: out = a > b; return true;
        case kOpLessEqual: out = a <= b; return true;
        case kOpGreaterEqual: out = a >= b; return true;
        case kOpEqual: out = a == b; return true;
        case kOpNotEqual: out = a != b; return true;
        case kOpBitAnd: out = a & b; return true;
        case kOpBitOr: out = a | b; return true;
        case kOpXor: out = a ^ b; return true;
        case kOpLogicalAnd: out = a != 0 && b != 0; return true;
        case kOpLogicalOr: out = a != 0 || b != 0; return true;
        default: return false;
        }
    }

    // The same for an assignment of an Int to an Int target: the new value of the target, or
    // false when op fails on these values or is none of the assignments.
    static bool IntAssign(int32_t op, int32_t a, int32_t b, int32_t& out)
    {
        switch (op) {
        case kOpAssign: out = b; return true;
        case kOpPlusAssign: out = WrapAdd(a, b); return true;
        case kOpMinusAssign: out = WrapSub(a, b); return true;
        case kOpMulAssign: out = WrapMul(a, b); return true;
        case kOpDivAssign: return b != 0 && (out = WrapDiv(a, b), true);
        case kOpModAssign: return b != 0 && (out = WrapMod(a, b), true);
        case kOpAndAssign: out = a & b; return true;
        case kOpOrAssign: out = a | b; return true;
        case kOpXorAssign: out = a ^ b; return true;
        default: return false;
        }
    }

private:
    static void Arithmetic(ScriptReader& reader, int32_t op, ScriptValue& l, const ScriptValue& r);
    static void Comparison(ScriptReader& reader, int32_t op, ScriptValue& l, const ScriptValue& r);
    static void Bitwise(ScriptReader& reader, int32_t op, ScriptValue& l, const ScriptValue& r);
    static void Logical(ScriptReader& reader, int32_t op, ScriptValue& l, const ScriptValue& r);
};
