// ScriptEvaluator: the operators of expressions, one function per kind of application, shared by
// the nine passes over an item list (ScriptExpression.cpp) and by the plans of simple constructs
// (ScriptPlans.cpp), so that both give the same values, stores and messages.
#pragma once
#include "script/ScriptReader.h"

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

private:
    static void Arithmetic(ScriptReader& reader, int32_t op, ScriptValue& l, const ScriptValue& r);
    static void Comparison(ScriptReader& reader, int32_t op, ScriptValue& l, const ScriptValue& r);
    static void Bitwise(ScriptReader& reader, int32_t op, ScriptValue& l, const ScriptValue& r);
    static void Logical(ScriptReader& reader, int32_t op, ScriptValue& l, const ScriptValue& r);
};
