// ScriptPlans: simple constructs run again from a plan instead of being read token by token.
//
// A simple construct is what a condition, a loop step, an argument or a plain statement mostly
// is: literals, plain names, calls and operators (no parentheses, brackets, braces, keywords or
// short-circuits) up to the character that ends it. Once the executor has read one so, its kept
// tokens and the order in which the nine passes apply its operators are fixed: the passes look
// only at the operators' places and at whether an operand is Void, and a simple construct's
// operands are values, never operators. The plan keeps that order. Running it reads the same
// variables and makes the same calls in the same order with the read position where reading
// puts it, applies the operators through the same functions as the passes (ScriptEvaluator) and
// so gives the same values, stores, callbacks and messages. An operand that turns out Void sends
// the construct to the passes, which decide on their own.
#include "script/ScriptEvaluator.h"

#include <new>
#include <utility>

namespace {

enum StepKind : uint8_t { kStepPrefix, kStepPostfix, kStepUnary, kStepUnaryPlus, kStepBinary, kStepAssign };

}  // namespace

struct ScriptReader::Plan {
    static constexpr int32_t kMaxTokens = kMaxPlanTokens;
    enum LoadKind : uint8_t { kInt, kFloat, kText, kVariable, kTarget, kCall };
    struct Load {  // an operand, in the order of the text; the operand's number is its place here
        TokenInfo* token;
        uint8_t kind;
    };
    struct Step {
        uint8_t kind;
        uint8_t op;
        int8_t a;  // the operand, or the left one; the target of an assignment
        int8_t b;  // the right operand, the value of an assignment
    };
    int8_t count = 0;      // tokens before the closing one
    Load load[kMaxTokens] = {};
    int8_t slots = 0;      // operands
    int8_t steps = 0;
    int8_t result = 0;     // the operand that holds the value at the end
    TokenInfo* tokens[kMaxTokens] = {};
    int8_t slotOf[kMaxTokens] = {};          // per token: its operand, -1 for an operator
    TokenInfo* slotToken[kMaxTokens] = {};   // per operand: its token
    TokenInfo* end = nullptr;
    Step step[kMaxTokens] = {};
    // Operands first used as the target of an assignment, which reads the target again: the
    // value read at their place is never looked at.
    uint32_t targetOnly = 0;
    // Every operand is an Int literal or a variable (no call), and every step an operator that
    // Ints take: when the variables hold Ints, RunInts computes the construct on plain integers.
    bool intsOnly = false;
    // The variables of the operands as the places of their names found them last, for every run
    // while the innermost scope's layout and the global scope's generation are these: a slot of
    // the innermost scope, else the variable (null: none of a scope).
    mutable uint64_t foundScope = 0;
    mutable uint64_t foundGlobal = 0;
    mutable int32_t foundSlot[kMaxTokens] = {};
    mutable ScriptStackVariable* found[kMaxTokens] = {};
};

void ScriptReader::PlanDeleter::operator()(Plan* plan) const { delete plan; }

bool ScriptReader::IsPlain(const TokenInfo& token)
{
    switch (token.m_Code) {
    case kTokenNumber:
    case kTokenString: return true;
    case kTokenName: return token.m_Keyword == kKeyNone;
    case kTokenCall:  // a call, also to int(), float() or string(), but no keyword statement
        return token.m_Keyword == kKeyNone || (token.m_Keyword >= kKeyInt && token.m_Keyword <= kKeyString);
    case kTokenOperator:
        switch (token.m_Op) {
        case kOpOpenParen:
        case kOpCloseParen:
        case kOpOpenBracket:
        case kOpCloseBracket:
        case kOpOpenBrace:
        case kOpCloseBrace:
        case kOpSemicolon:
        case kOpComma:
        case kOpColon:
        case kOpLogicalAnd:
        case kOpLogicalOr: return false;
        default: return true;
        }
    default: return false;
    }
}

// The passes of ScriptEvaluator over the places alone: every operand is taken for a value that
// is not Void, every operator item for one that is. Where a pass would report an error of the
// construct's shape, or would apply an operator to an operator item, there is no plan.
void ScriptReader::MakePlan(TokenInfo* const* tokens, int32_t count, TokenInfo* end)
{
    TokenInfo* first = tokens[0];
    if (first->m_Plan || first->m_NoPlan)
        return;
    struct Place {
        bool isOperator;
        uint8_t op;
        int8_t kind;  // CompilerArgument kind: a reference, a computed value or a literal
        int8_t slot;
    };
    auto plan = std::make_unique<Plan>();
    Place places[Plan::kMaxTokens];
    int32_t size = count;
    for (int32_t i = 0; i < count; i++) {
        const TokenInfo& token = *tokens[i];
        plan->tokens[i] = tokens[i];
        bool isOperator = token.m_Code == kTokenOperator;
        places[i] = Place{isOperator, token.m_Op,
                          int8_t(isOperator                     ? CompilerArgument::kOperator
                                 : token.m_Code == kTokenName ? CompilerArgument::kReference
                                 : token.m_Code == kTokenCall ? CompilerArgument::kComputed
                                                              : token.m_Code),
                          int8_t(isOperator ? -1 : plan->slots)};
        plan->slotOf[i] = places[i].slot;
        if (!isOperator)
            plan->slotToken[plan->slots++] = tokens[i];
    }
    plan->count = static_cast<int8_t>(count);
    plan->end = end;

    auto erase = [&](int32_t at, int32_t n) {
        for (int32_t i = at; i + n < size; i++)
            places[i] = places[i + n];
        size -= n;
    };
    auto add = [&](uint8_t kind, uint8_t op, int8_t a, int8_t b) {
        plan->step[plan->steps++] = Plan::Step{kind, op, a, b};
    };
    auto fail = [&] { first->m_NoPlan = true; };
    using Evaluator = ScriptEvaluator;

    for (int32_t i = size; i-- > 0;) {  // pass 1, right to left
        Place& place = places[i];
        if (!place.isOperator || !(Evaluator::PassesOf(place.op) & Evaluator::kUnary))
            continue;
        if (place.op == kOpMinus && i > 0 && !places[i - 1].isOperator)
            continue;  // a binary minus
        if (place.op == kOpIncrement || place.op == kOpDecrement) {
            bool prefix = i + 1 < size && places[i + 1].kind == CompilerArgument::kReference;
            if (!prefix && (i == 0 || places[i - 1].kind != CompilerArgument::kReference))
                return fail();
            add(prefix ? kStepPrefix : kStepPostfix, place.op, places[prefix ? i + 1 : i - 1].slot, -1);
            erase(i, 1);
            continue;
        }
        if (i + 1 >= size || places[i + 1].isOperator)
            return fail();
        add(kStepUnary, place.op, places[i + 1].slot, -1);
        places[i + 1].kind = CompilerArgument::kComputed;
        erase(i, 1);
    }
    for (uint32_t pass : Evaluator::kBinaryPasses) {  // passes 2 to 8, left to right
        for (int32_t i = 0; i < size;) {
            const Place& place = places[i];
            if (!place.isOperator || !(Evaluator::PassesOf(place.op) & pass)) {
                i++;
                continue;
            }
            if (place.op == kOpPlus && i == 0) {  // unary plus
                if (size < 2 || places[1].isOperator)
                    return fail();
                add(kStepUnaryPlus, place.op, places[1].slot, -1);
                erase(0, 1);
                continue;
            }
            if (i == 0 || i + 1 >= size || places[i - 1].isOperator || places[i + 1].isOperator)
                return fail();
            add(kStepBinary, place.op, places[i - 1].slot, places[i + 1].slot);
            places[i - 1].kind = CompilerArgument::kComputed;
            erase(i, 2);
        }
    }
    for (int32_t i = size; i-- > 0;) {  // pass 9, right to left
        const Place& place = places[i];
        if (!place.isOperator || !(Evaluator::PassesOf(place.op) & Evaluator::kAssignment))
            continue;
        if (i == 0 || i + 1 >= size || places[i - 1].kind != CompilerArgument::kReference || places[i + 1].isOperator)
            return fail();
        add(kStepAssign, place.op, places[i - 1].slot, places[i + 1].slot);
        places[i - 1].kind = CompilerArgument::kComputed;
        erase(i, 2);
    }
    if (size != 1 || places[0].isOperator)
        return fail();  // an operator no pass knows, or operands without one between them
    plan->result = places[0].slot;
    uint32_t used = 0;
    for (int32_t i = 0; i < plan->steps; i++) {
        const Plan::Step& step = plan->step[i];
        uint32_t a = uint32_t(1) << step.a;
        if (step.kind == kStepAssign && !(used & a))
            plan->targetOnly |= a;
        used |= a | (step.b >= 0 ? uint32_t(1) << step.b : 0);
    }
    for (int32_t slot = 0; slot < plan->slots; slot++) {
        TokenInfo* token = plan->slotToken[slot];
        uint8_t kind = token->m_Code == kTokenString ? Plan::kText
                       : token->m_Code == kTokenNumber ? (token->m_IsFloat ? Plan::kFloat : Plan::kInt)
                       : token->m_Code == kTokenCall ? Plan::kCall
                       : (plan->targetOnly & (uint32_t(1) << slot)) ? Plan::kTarget
                                                                    : Plan::kVariable;
        plan->load[slot] = Plan::Load{token, kind};
    }
    plan->intsOnly = true;
    for (int32_t slot = 0; slot < plan->slots; slot++)
        plan->intsOnly = plan->intsOnly && (plan->load[slot].kind == Plan::kInt || plan->load[slot].kind == Plan::kVariable ||
                                            plan->load[slot].kind == Plan::kTarget);
    for (int32_t i = 0; i < plan->steps; i++)  // on two Ints every operator but "~=" gives an Int
        plan->intsOnly = plan->intsOnly && !(plan->step[i].kind == kStepBinary && plan->step[i].op == kOpTildeEqual);

    first->m_PlanEnd = end->m_Op;
    first->m_PlanInts = plan->intsOnly;
    first->m_Plan = KeepPlan(plan.release());
}

// The plan on plain integers, when every variable it reads is held by a scope and holds an Int:
// the same values, stores and messages as the steps below give for Int operands (reading such a
// variable has no effect of its own), and the value's text and number are those its operand was
// read with. False, having done nothing, when a variable is not such.
bool ScriptReader::RunInts(const Plan& plan, ScriptValue& value)
{
    ScriptValue* held[Plan::kMaxTokens];
    if (!FindInts(plan, held) || m_Abort)
        return false;  // the general way sees the abort flag too
    m_ReadPos = plan.end->m_End;
    int32_t v[Plan::kMaxTokens];
    StepInts(plan, held, v);
    IntValue(plan, held, v[plan.result], value);
    return true;
}

// The variable of each operand (null for a literal); false when one is not held by a scope or
// holds no Int.
bool ScriptReader::FindInts(const Plan& plan, ScriptValue** held)
{
    const uint64_t scopeKey = ScopeKey();
    if (plan.foundScope != scopeKey || plan.foundGlobal != m_Global.GetGeneration() || !m_UseShortcuts) {
        for (int32_t slot = 0; slot < plan.slots; slot++) {
            if (plan.load[slot].kind == Plan::kInt)
                continue;
            TokenInfo* token = plan.load[slot].token;
            plan.found[slot] = FindVariableAt(token, token->m_Text);
            plan.foundSlot[slot] = scopeKey == CallScope::kNoLayout ? -1 : token->m_CacheSlot;  // as the place keeps it
        }
        // a scope without layout makes its places remember nothing, and so this plan
        plan.foundScope = scopeKey == CallScope::kNoLayout ? 0 : scopeKey;
        plan.foundGlobal = scopeKey == CallScope::kNoLayout ? ~uint64_t(0) : m_Global.GetGeneration();
    }
    for (int32_t slot = 0; slot < plan.slots; slot++) {
        held[slot] = nullptr;
        if (plan.load[slot].kind == Plan::kInt)
            continue;
        ScriptStackVariable* variable = plan.found[slot];
        if (plan.foundSlot[slot] >= 0)
            variable = m_Innermost->GetSlot(plan.foundSlot[slot]);
        if (!variable || variable->GetFirst().m_Type != kScriptInt)
            return false;
        held[slot] = &variable->GetFirst();
    }
    return true;
}

// Reads the operands and applies the steps; v[plan.result] is the construct's value.
void ScriptReader::StepInts(const Plan& plan, ScriptValue* const* held, int32_t* v)
{
    for (int32_t slot = 0; slot < plan.slots; slot++)
        v[slot] = held[slot] ? held[slot]->m_Integer : plan.load[slot].token->m_Integer;
    for (int32_t s = 0; s < plan.steps; s++) {
        const Plan::Step& step = plan.step[s];
        int32_t& a = v[step.a];
        switch (step.kind) {
        case kStepPrefix:
        case kStepPostfix:
            held[step.a]->m_Integer = ScriptEvaluator::WrapAdd(a, step.op == kOpIncrement ? 1 : -1);
            if (step.kind == kStepPrefix)
                a = held[step.a]->m_Integer;
            break;
        case kStepUnary:
            a = step.op == kOpNot ? a == 0 : step.op == kOpTilde ? ~a : ScriptEvaluator::WrapNeg(a);
            break;
        case kStepUnaryPlus: break;
        case kStepBinary:
            if (!ScriptEvaluator::IntBinary(step.op, a, v[step.b], a))
                Error(step.op == kOpMod ? "Modulo by zero" : "Integer division by zero");
            break;
        default: {
            ScriptValue& target = *held[step.a];
            int32_t stored = 0;
            if (!ScriptEvaluator::IntAssign(step.op, target.m_Integer, v[step.b], stored))
                Error(step.op == kOpModAssign ? "Modulo by zero" : "Integer division by zero");
            target.m_Integer = stored;
            a = stored;
            break;
        }
        }
    }
}

void ScriptReader::IntValue(const Plan& plan, ScriptValue* const* held, int32_t result, ScriptValue& value)
{
    const ScriptValue* source = held[plan.result];
    if (source) {
        value.m_Text = source->m_Text;
        value.m_Number = source->m_Number;
    } else {
        value.m_Text.Release();
        value.m_Number = 0.0;
    }
    value.m_Integer = result;
    value.m_Type = kScriptInt;
}

// A for or while loop whose condition, body and step are constructs planned on Ints, over
// variables that scopes hold and that hold Ints: nothing a turn does can change which variables
// these are or their types, and nothing reaches the game, so the turns run on the variables
// found once, each construct with the read position where reading leaves it. The body is one
// statement or a block of statements ended by '}'. The loop's first turn was read: every check
// that depends on how deep it runs has passed where these turns run.
int32_t ScriptReader::RunIntLoop(int32_t conditionMode, ScriptValue& bodyValue)
{
    static constexpr int32_t kMaxBody = 8;
    if (!m_UseShortcuts || m_SkipMode)
        return kIntLoopNone;
    const int32_t conditionStart = m_ReadPos;
    auto planAt = [this](int32_t position, int32_t mode, int32_t status) -> const Plan* {
        const uint32_t at = static_cast<uint32_t>(position);
        const TokenInfo* token = at < m_TokenAtPos.size() ? m_TokenAtPos[at] : nullptr;
        return token && token->m_Plan && token->m_Plan->intsOnly && PlanStatus(token->m_PlanEnd, mode) == status
                   ? token->m_Plan
                   : nullptr;
    };
    const Plan* condition = planAt(conditionStart, conditionMode, conditionMode);
    if (!condition)
        return kIntLoopNone;
    const Plan* step = nullptr;
    int32_t bodyStart = condition->end->m_End;
    if (conditionMode == kModeStatement) {  // for: the step, passed over to reach the body
        const uint32_t at = static_cast<uint32_t>(bodyStart);
        const TokenInfo* stepToken = at < m_TokenAtPos.size() ? m_TokenAtPos[at] : nullptr;
        step = planAt(bodyStart, kModeParen, kModeParen);
        if (!step || stepToken->m_PassMode != kModeParen || stepToken->m_PassStatus != kModeParen)
            return kIntLoopNone;
        bodyStart = stepToken->m_PassEnd;
    }
    m_ReadPos = bodyStart;
    SkipBlanks();  // as the first turn did
    const int32_t bodyAt = m_ReadPos;
    m_ReadPos = conditionStart;
    if (bodyAt >= m_TextLength)
        return kIntLoopNone;
    const Plan* body[kMaxBody];
    int32_t bodyCount = 0;
    const bool block = m_Text[bodyAt] == '{';
    if (block) {
        for (int32_t at = bodyAt + 1;;) {
            const uint32_t position = static_cast<uint32_t>(at);
            const TokenInfo* token = position < m_TokenAtPos.size() ? m_TokenAtPos[position] : nullptr;
            if (token && token->m_Code == kTokenOperator && token->m_Op == kOpCloseBrace)
                break;
            const Plan* statement = planAt(at, kModeBlock, kModeBlock);
            if (!statement || bodyCount == kMaxBody)
                return kIntLoopNone;
            body[bodyCount++] = statement;
            at = statement->end->m_End;
        }
    } else {
        body[bodyCount] = planAt(bodyAt, kModeStatement, kModeStatement);
        if (!body[bodyCount++])
            return kIntLoopNone;
    }

    ScriptValue* conditionHeld[Plan::kMaxTokens];
    ScriptValue* stepHeld[Plan::kMaxTokens];
    ScriptValue* bodyHeld[kMaxBody][Plan::kMaxTokens];
    if (!FindInts(*condition, conditionHeld) || (step && !FindInts(*step, stepHeld)))
        return kIntLoopNone;
    for (int32_t i = 0; i < bodyCount; i++)
        if (!FindInts(*body[i], bodyHeld[i]))
            return kIntLoopNone;

    int32_t v[Plan::kMaxTokens];
    int32_t turns = 0;
    int32_t last = 0;
    for (;; turns++) {
        if (m_Abort) {
            m_ReadPos = conditionStart;
            return kIntLoopAborted;
        }
        m_ReadPos = condition->end->m_End;
        StepInts(*condition, conditionHeld, v);
        if (v[condition->result] == 0)
            break;
        for (int32_t i = 0; i < bodyCount; i++) {
            m_ReadPos = body[i]->end->m_End;
            StepInts(*body[i], bodyHeld[i], v);
            last = v[body[i]->result];
        }
        if (step) {
            m_ReadPos = step->end->m_End;
            StepInts(*step, stepHeld, v);
        }
    }
    if (turns > 0) {  // what the last turn's body left, as running it leaves it
        if (block)
            bodyValue.SetVoid();
        else
            IntValue(*body[0], bodyHeld[0], last, bodyValue);
    }
    m_ReadPos = condition->end->m_End;
    return kIntLoopEnded;
}

// Reading a variable that a scope holds has no effect of its own, and a script variable changes
// only by what the construct does itself: so only a read that reaches the game (and the end) looks
// for the abort flag first, and a target whose value no step looks at is only checked for Void.
bool ScriptReader::RunPlan(const Plan& plan, ScriptValue& value)
{
    if (plan.intsOnly && RunInts(plan, value))
        return true;
    // The operands, made as the items would be and freed with this call.
    struct Operands {
        alignas(ScriptValue) unsigned char room[Plan::kMaxTokens * sizeof(ScriptValue)];
        int32_t made = 0;
        ScriptValue& operator[](int32_t i) { return reinterpret_cast<ScriptValue*>(room)[i]; }
        ~Operands()
        {
            for (int32_t i = 0; i < made; i++)
                (*this)[i].~ScriptValue();
        }
    } operands;

    bool voidOperand = false;
    uint32_t unread = 0;  // operands whose value was not taken
    for (int32_t slot = 0; slot < plan.slots; slot++) {
        const Plan::Load& load = plan.load[slot];
        TokenInfo* token = load.token;
        m_ReadPos = token->m_End;
        ScriptValue* operand = &operands[slot];
        switch (load.kind) {
        case Plan::kInt:
            new (operand) ScriptValue();
            operands.made++;
            operand->SetInt(token->m_Integer);
            continue;
        case Plan::kFloat:
            new (operand) ScriptValue();
            operands.made++;
            operand->SetFloat(token->m_Number);
            continue;
        case Plan::kText:
            new (operand) ScriptValue();
            operands.made++;
            operand->SetString(LiteralOf(*token));
            continue;
        case Plan::kCall:  // as the executor reads it: past the name and the '(', then the call
            new (operand) ScriptValue();
            operands.made++;
            if (m_Abort)
                return false;
            SkipBlanks();
            GetChar();
            ParseCall(*operand, token, token->m_Text);
            voidOperand = voidOperand || operand->m_Type == kScriptVoid;
            continue;
        default:
            break;
        }
        if (ScriptStackVariable* variable = FindVariableAt(token, token->m_Text)) {
            const ScriptValue& held = variable->GetFirst();
            voidOperand = voidOperand || held.m_Type == kScriptVoid;
            if (load.kind == Plan::kTarget) {
                new (operand) ScriptValue();
                unread |= uint32_t(1) << slot;
            } else {
                new (operand) ScriptValue(held);
            }
            operands.made++;
            continue;
        }
        new (operand) ScriptValue();
        operands.made++;
        if (m_Abort)
            return false;
        ReadVariableFrom(*operand, token, token->m_Text, -1);
        voidOperand = voidOperand || operand->m_Type == kScriptVoid;
    }
    if (m_Abort)
        return false;
    m_ReadPos = plan.end->m_End;

    if (voidOperand) {  // the passes decide where a Void value stands
        for (int32_t slot = 0; slot < plan.slots; slot++)
            if (unread & (uint32_t(1) << slot))
                ReadVariableAt(operands[slot], plan.slotToken[slot], plan.slotToken[slot]->m_Text, -1);
        ItemRoom room;
        ItemList items(room.bytes);
        for (int32_t i = 0; i < plan.count; i++) {
            TokenInfo* token = plan.tokens[i];
            Item& item = items.Add();
            if (plan.slotOf[i] < 0) {
                item.m_Kind = CompilerArgument::kOperator;
                item.m_Op = token->m_Op;
                continue;
            }
            item.m_Kind = token->m_Code == kTokenName   ? CompilerArgument::kReference
                          : token->m_Code == kTokenCall ? CompilerArgument::kComputed
                                                        : token->m_Code;
            if (token->m_Code == kTokenName) {
                item.m_Name = token->m_Text;
                item.m_Site = token;
            }
            item.m_Value = std::move(operands[plan.slotOf[i]]);
        }
        Evaluate(value, items);
        return true;
    }

    for (int32_t s = 0; s < plan.steps; s++) {
        const Plan::Step& step = plan.step[s];
        ScriptValue& a = operands[step.a];
        switch (step.kind) {
        case kStepPrefix:
        case kStepPostfix: {
            TokenInfo* site = plan.slotToken[step.a];
            if (a.m_Type == kScriptInt)
                if (ScriptStackVariable* variable = FindVariableAt(site, site->m_Text))
                    if (ScriptValue& target = variable->GetFirst(); target.m_Type == kScriptInt) {
                        target.m_Integer = ScriptEvaluator::WrapAdd(a.m_Integer, step.op == kOpIncrement ? 1 : -1);
                        if (step.kind == kStepPrefix)
                            a.m_Integer = target.m_Integer;
                        break;
                    }
            ScriptEvaluator::Step(*this, step.op, step.kind == kStepPrefix, a, site, site->m_Text, -1);
            break;
        }
        case kStepUnary: ScriptEvaluator::UnaryValue(*this, step.op, a); break;
        case kStepUnaryPlus: ScriptEvaluator::UnaryPlus(*this, a); break;
        case kStepBinary: {
            ScriptValue& b = operands[step.b];
            if (!(a.m_Type == kScriptInt && b.m_Type == kScriptInt && ScriptEvaluator::IntBinary(step.op, a, b)))
                ScriptEvaluator::BinaryValue(*this, step.op, a, b);
            break;
        }
        default: {
            TokenInfo* site = plan.slotToken[step.a];
            ScriptValue& b = operands[step.b];
            if (b.m_Type == kScriptInt)
                if (ScriptStackVariable* variable = FindVariableAt(site, site->m_Text))
                    if (ScriptValue& target = variable->GetFirst(); target.m_Type == kScriptInt)
                        if (int32_t stored; ScriptEvaluator::IntAssign(step.op, target.m_Integer, b.m_Integer, stored)) {
                            target.m_Integer = stored;
                            a.m_Text = target.m_Text;  // a = target, not read back from what was just stored
                            a.m_Number = target.m_Number;
                            a.m_Integer = stored;
                            a.m_Type = kScriptInt;
                            break;
                        }
            ScriptEvaluator::Assign(*this, step.op, a, site, site->m_Text, -1, std::move(b));
            break;
        }
        }
    }
    ScriptValue& last = operands[plan.result];
    value.m_Text = std::move(last.m_Text);
    value.m_Number = last.m_Number;
    value.m_Integer = last.m_Integer;
    value.m_Type = last.m_Type;
    return true;
}
