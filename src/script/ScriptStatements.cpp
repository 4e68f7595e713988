// ScriptStatements: the statement executor. It walks the source text, runs keywords as they come,
// collects the items of an expression and hands them to the evaluator; nested constructs are
// read by recursive calls in another mode, and branches not taken are passed over on the text.
//
// Choices where the language leaves room:
// - After an if statement (with its else branch, when one follows) a statement of mode 0 ends
//   before the next name that is not "else", and at the end of the text; any other token goes
//   on with the same statement, and passing over follows the same rule.
// - A declaration ends a statement in mode 0 (for (int i = 0; ...) keeps its condition).
// - After break or continue the whole loop body is passed over from its start, so a break met
//   in a nested block or statement never leaves half a body to be read as the next statement.
// - A short-circuit inside a block ends at the ';' (or ',') of its statement, and inside a call
//   argument at the ',' or the ')' that ends the argument.
#include "script/ScriptEvaluator.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

// The keywords of the executor; each handler returns kGoOn when the call reads on, else the
// status with which the executing call ends (its value in `value`).
class ScriptStatements {
public:
    static constexpr int32_t kGoOn = 100;

    static int32_t If(ScriptReader& r, int32_t& ifState, ScriptValue& value);
    static int32_t Else(ScriptReader& r, int32_t& ifState, ScriptValue& value);
    static int32_t While(ScriptReader& r, ScriptValue& value);
    static int32_t Do(ScriptReader& r, ScriptValue& value);
    static int32_t For(ScriptReader& r, ScriptValue& value);
    static int32_t Switch(ScriptReader& r, bool firstOfStatement, ScriptValue& value);
    static int32_t Return(ScriptReader& r, ScriptValue& value);
    static int32_t Exit(ScriptReader& r, ScriptValue& value);
    static int32_t Declaration(ScriptReader& r, int32_t keyword, int32_t mode, bool firstOfStatement);
    static int32_t BreakOrContinue(ScriptReader& r, int32_t keyword);
    static void Case(ScriptReader& r);
    static void Default(ScriptReader& r);

    static void ExpectOpenParen(ScriptReader& r, const char* message);
    static bool Truth(ScriptReader& r, const ScriptValue& condition, const char* message);
    static int32_t RunBody(ScriptReader& r, ScriptValue& value);
    static bool ReadPart(ScriptReader& r, ScriptValue& part, int32_t mode, int32_t& status, ScriptValue& value);
    static int32_t LoopBody(ScriptReader& r, bool truth, ScriptValue& value);
    static bool PassesOn(int32_t status) { return status <= kStatusReturn || status == kStatusEndOfText; }
    static void EndOfText(ScriptReader& r, int32_t mode, int32_t itemCount);
};

void ScriptStatements::ExpectOpenParen(ScriptReader& r, const char* message)
{
    r.SkipBlanks();
    if (r.PeekChar() != '(')
        r.Error("%s", message);
    r.GetChar();
}

// Int and Float are true when not zero; Unevaluated (skip mode) is true so that skipping proceeds.
bool ScriptStatements::Truth(ScriptReader& r, const ScriptValue& condition, const char* message)
{
    switch (condition.m_Type) {
    case kScriptInt: return condition.m_Integer != 0;
    case kScriptFloat: return condition.m_Number != 0.0;
    case kScriptUnevaluated: return true;
    default: break;
    }
    r.Error("%s", message);
    return true;  // counts as true should a report ever return
}

// A block in braces or one statement; the status is 2 or 0 (6 after a declared function) when it
// ended normally.
int32_t ScriptStatements::RunBody(ScriptReader& r, ScriptValue& value)
{
    int32_t status = kStatusEndOfText;
    r.SkipBlanks();
    if (r.PeekChar() == '{') {
        r.GetChar();
        r.ExecuteStatement(value, kModeBlock, &status, kScriptRead);
        return status == kModeBlock ? kModeStatement : status;
    }
    r.ExecuteStatement(value, kModeStatement, &status, kScriptRead);
    return status == kStatusFunctionDeclared ? kModeStatement : status;
}

// One nested part of a keyword (a condition, a selector, a for clause) read into part: true when
// its status ends the keyword statement too, which then ends with the part's value.
bool ScriptStatements::ReadPart(ScriptReader& r, ScriptValue& part, int32_t mode, int32_t& status, ScriptValue& value)
{
    status = kStatusEndOfText;
    r.ExecuteStatement(part, mode, &status, kScriptRead);
    if (!PassesOn(status))
        return false;
    value = part;
    return true;
}

// A while or for body after its condition: kGoOn once the loop is over (a false condition, skip
// mode or a break, the body then passed over from its start), else the body's status.
int32_t ScriptStatements::LoopBody(ScriptReader& r, bool truth, ScriptValue& value)
{
    int32_t bodyStart = r.GetReadPos();
    if (!truth || r.IsSkipMode()) {
        r.SkipBranch();
        return kGoOn;
    }
    int32_t status = RunBody(r, value);
    if (status == kStatusBreak) {
        r.SetReadPos(bodyStart);
        r.SkipBranch();
        return kGoOn;
    }
    return status;
}

int32_t ScriptStatements::If(ScriptReader& r, int32_t& ifState, ScriptValue& value)
{
    ExpectOpenParen(r, "Keyword 'if' without paramters");
    ScriptValue condition;
    int32_t status = kStatusEndOfText;
    r.ExecuteStatement(condition, kModeParen, &status, kScriptRead);
    if (status <= kStatusReturn) {
        value = condition;
        return status;
    }
    if (status != kModeParen)
        r.Error("Invalid arguments in 'if'");
    bool truth = Truth(r, condition, "Invalid parameters for 'if' keyword");
    ifState = truth ? 1 : 0;
    if (!truth || r.IsSkipMode()) {
        r.SkipBranch();
        return kGoOn;
    }
    status = RunBody(r, value);
    return status == kModeStatement ? kGoOn : status;
}

int32_t ScriptStatements::Else(ScriptReader& r, int32_t& ifState, ScriptValue& value)
{
    if (ifState == -1)
        r.Error("Misplaced 'else'");
    bool run = ifState == 0 && !r.IsSkipMode();
    ifState = -1;
    if (!run) {
        r.SkipBranch();
        return kGoOn;
    }
    int32_t status = RunBody(r, value);
    return status == kModeStatement ? kGoOn : status;
}

int32_t ScriptStatements::While(ScriptReader& r, ScriptValue& value)
{
    ExpectOpenParen(r, "Keyword 'while' without parameters");
    int32_t conditionStart = r.GetReadPos();
    for (int32_t turn = 0;; turn++) {
        r.SetReadPos(conditionStart);
        if (turn == 1)
            switch (r.RunIntLoop(kModeParen, value)) {
            case ScriptReader::kIntLoopEnded: return LoopBody(r, false, value);
            case ScriptReader::kIntLoopAborted: value = ScriptValue(); return kStatusAbort;
            default: break;
            }
        ScriptValue condition;
        int32_t status = kStatusEndOfText;
        if (ReadPart(r, condition, kModeParen, status, value))
            return status;
        status = LoopBody(r, Truth(r, condition, "Invalid parameters for 'while' keyword"), value);
        if (status == kGoOn || PassesOn(status))
            return status;
    }
}

int32_t ScriptStatements::Do(ScriptReader& r, ScriptValue& value)
{
    int32_t bodyStart = r.GetReadPos();
    for (;;) {
        int32_t status = RunBody(r, value);
        if (PassesOn(status))
            return status;
        if (status == kStatusBreak || status == kStatusContinue) {
            r.SetReadPos(bodyStart);
            r.SkipBranch();
        }
        const ScriptReader::TokenInfo* word = r.ReadToken();
        if (word->m_Code != kTokenCall || word->m_Keyword != kKeyWhile)
            r.Error("'do' without valid 'while'");
        r.SkipBlanks();
        r.GetChar();  // the '(' that made the name a call
        if (status == kStatusBreak) {
            if (r.SkipStatement(kModeParen) == kStatusAbort)
                return kStatusAbort;
            return kGoOn;
        }
        ScriptValue condition;
        int32_t conditionStatus = kStatusEndOfText;
        if (ReadPart(r, condition, kModeParen, conditionStatus, value))
            return conditionStatus;
        if (conditionStatus != kModeParen)
            r.Error("Invalid argument in 'while'");
        if (!Truth(r, condition, "Invalid parameters for 'while' keyword") || r.IsSkipMode())
            return kGoOn;
        r.SetReadPos(bodyStart);
    }
}

int32_t ScriptStatements::For(ScriptReader& r, ScriptValue& value)
{
    ExpectOpenParen(r, "'for' without parameters");
    ScriptValue work;
    int32_t status = kStatusEndOfText;
    if (ReadPart(r, work, kModeStatement, status, value))
        return status;
    int32_t conditionStart = r.GetReadPos();
    for (int32_t turn = 0;; turn++) {
        r.SetReadPos(conditionStart);
        if (turn == 1)
            switch (r.RunIntLoop(kModeStatement, value)) {
            case ScriptReader::kIntLoopEnded:  // the condition was false: the step is passed over, then the body
                if (r.SkipStatement(kModeParen) == kStatusAbort)
                    return kStatusAbort;
                return LoopBody(r, false, value);
            case ScriptReader::kIntLoopAborted: value = ScriptValue(); return kStatusAbort;
            default: break;
            }
        ScriptValue condition;
        if (ReadPart(r, condition, kModeStatement, status, value))
            return status;
        if (status != kModeStatement)
            r.Error("Invalid condition argument in 'for'");
        bool truth = condition.m_Type == kScriptVoid || Truth(r, condition, "Invalid condition argument in 'for'");
        int32_t stepStart = r.GetReadPos();
        if (r.SkipStatement(kModeParen) == kStatusAbort)
            return kStatusAbort;
        status = LoopBody(r, truth, value);
        if (status == kGoOn || PassesOn(status))
            return status;
        r.SetReadPos(stepStart);
        if (ReadPart(r, work, kModeParen, status, value))
            return status;
        if (status != kModeParen)
            r.Error("Invalid argument in 'for'");
    }
}

int32_t ScriptStatements::Switch(ScriptReader& r, bool firstOfStatement, ScriptValue& value)
{
    if (!firstOfStatement)
        r.Error("Invalid 'switch'");
    ExpectOpenParen(r, "'switch' without parameter block");
    ScriptValue selector;
    int32_t status = kStatusEndOfText;
    if (ReadPart(r, selector, kModeParen, status, value))
        return status;
    if (status != kModeParen)
        r.Error("Invalid paramters in 'switch'");
    r.SkipBlanks();
    if (r.PeekChar() != '{')
        r.Error("Invalid 'switch' block - '{' not found");
    r.GetChar();
    int32_t blockStart = r.GetReadPos();

    // The first case whose label equals the value, else the default label, starts the run.
    bool found = false;
    for (int pass = 0; pass < 2 && !found; pass++) {
        r.SetReadPos(blockStart);
        for (;;) {
            int32_t code = r.FindNextBlockNameToken();
            if (code == kTokenEnd)
                r.Error("End of file reached in switch block");
            if (code == 0)
                break;
            if (pass == 0 && r.m_LastBlockKeyword == kKeyCase) {
                ScriptValue label;
                r.ExecuteStatement(label, kModeCase, &status, kScriptRead);
                if (PassesOn(status))
                    return status;
                if (status != kModeCase)
                    r.Error("Invalid 'case' argument");
                if (label.Equals(selector)) {
                    found = true;
                    break;
                }
            } else if (pass == 1 && r.m_LastBlockKeyword == kKeyDefault) {
                Default(r);
                found = true;
                break;
            }
        }
    }
    if (!found) {
        r.SetReadPos(blockStart);
        return r.SkipStatement(kModeBlock) == kStatusAbort ? kStatusAbort : kGoOn;
    }

    r.ExecuteStatement(value, kModeBlock, &status, kScriptRead);
    if (status == kModeBlock)
        return kGoOn;
    if (status == kStatusBreak) {
        r.SetReadPos(blockStart);
        return r.SkipStatement(kModeBlock) == kStatusAbort ? kStatusAbort : kGoOn;
    }
    if (status == kStatusContinue || PassesOn(status))
        return status;
    r.Error("Invalid 'switch' block");
    return status;
}

void ScriptStatements::Case(ScriptReader& r) { r.SkipStatement(kModeCase); }

void ScriptStatements::Default(ScriptReader& r)
{
    r.SkipBlanks();
    if (r.PeekChar() != ':')
        r.Error("Invalid 'default' keyword");
    r.GetChar();
}

int32_t ScriptStatements::BreakOrContinue(ScriptReader& r, int32_t keyword)
{
    const ScriptReader::TokenInfo* token = r.ReadToken();
    if (token->m_Code != kTokenOperator || token->m_Op != kOpSemicolon)
        r.Error(keyword == kKeyBreak ? "Invalid break statement" : "Invalid continue statement");
    return keyword == kKeyBreak ? kStatusBreak : kStatusContinue;
}

// A return pauses the run instead when a re-enter function asked for it on the script thread;
// the game resumes the thread later and the script goes on after the return.
int32_t ScriptStatements::Return(ScriptReader& r, ScriptValue& value)
{
    int32_t status = kStatusEndOfText;
    r.ExecuteStatement(value, kModeStatement, &status, kScriptRead);
    if (status <= kStatusReturn)
        return status;
    if (!(r.m_Threaded && r.m_ReturnSuspends && r.IsOnScriptThread()))
        return kStatusReturn;

    r.m_FinalValue = value;
    r.m_ResumeRequested = 0;
    r.m_Suspended = 1;
    r.SignalDone();
    while (!r.m_ResumeRequested && !r.m_Abort)
        r.m_Resume.Wait();
    if (r.m_Abort)
        return kStatusAbort;
    value.SetVoid();
    return kGoOn;
}

int32_t ScriptStatements::Exit(ScriptReader& r, ScriptValue& value)
{
    if (r.IsSkipMode())
        return kGoOn;
    int32_t status = kStatusEndOfText;
    r.ExecuteStatement(value, kModeStatement, &status, kScriptRead);
    return status <= kStatusReturn ? status : kStatusExit;
}

// int, float, string and void before a declarator list or a function declaration.
int32_t ScriptStatements::Declaration(ScriptReader& r, int32_t keyword, int32_t mode, bool firstOfStatement)
{
    bool isVoid = keyword == kKeyVoid;
    r.SkipBlanks();
    char next = r.PeekChar();
    if (next == ')' || next == '(') {
        if (isVoid)
            r.Error("Invalid 'void'");
        if (next == '(')
            r.Error("Missing ';'");
        r.Error(keyword == kKeyInt ? "Type conversion only valid as function (missing ';' ?)"
                                   : "Type conversion only valid as function");
    }
    int32_t type = isVoid ? kScriptVoid : keyword - kKeyInt + kScriptInt;
    ScriptValue work;
    int32_t status = kStatusEndOfText;
    r.ExecuteStatement(work, kModeStatement, &status, type);
    if (status == kStatusFunctionDeclared) {
        if (!firstOfStatement)
            r.Error("Invalid position for function decleration");
    } else if (status == kStatusAbort) {
        return kStatusAbort;
    } else if (status != kModeStatement && status != kStatusEndOfText) {
        r.Error(isVoid ? "Invalid 'void'" : "Invalid variable declaration");
    }
    return mode == kModeStatement ? status : kGoOn;
}

void ScriptStatements::EndOfText(ScriptReader& r, int32_t mode, int32_t itemCount)
{
    switch (mode) {
    case kModeStatement:
        if (itemCount > 0)
            r.Error("Unexpected end of file");
        break;
    case kModeParen: r.Error("Unexpected end of file: Missing ')'"); break;
    case kModeBlock: r.Error("Unexpected end of file: Missing '}'"); break;
    case kModeIndex: r.Error("Unexpected end of file: Missing ']'"); break;
    case kModeArgument: r.Error("Unexpected end of file"); break;
    default: break;
    }
}

ScriptValue& ScriptReader::ExecuteAnyStatement(ScriptValue& result, int32_t mode, int32_t* statusOut,
                                               int32_t declarationType)
{
    NestingGuard nesting(*this);
    CheckStackUse();
    int32_t unused = 0;
    int32_t& status = statusOut ? *statusOut : unused;
    result.SetVoid();
    // A construct that a plan holds whole runs from it, as the first turn of the loop would.
    if (declarationType == kScriptRead && m_UseShortcuts && !m_SkipMode && m_ReadPos < m_TextLength && !m_Abort)
        if (TokenInfo* first = PeekKeptToken()) {
            if (first->m_Plan) {
                int32_t planStatus = PlanStatus(first->m_PlanEnd, mode);
                if (planStatus >= 0 && planStatus != kModeBlock) {
                    status = RunPlan(*first->m_Plan, result) ? planStatus : kStatusAbort;
                    return result;
                }
            } else if (first->m_Keyword == kKeyReturn && ReturnPlanned(*first, result, status)) {
                return result;
            }
        }
    return ExecuteConstruct(result, mode, status, declarationType);
}

// "return" first in a construct, and a construct planned up to its ';': as the executor reads
// them, the keyword ends the construct with the value of the planned one, read a level deeper.
// Only where a return cannot pause the run, since the construct would go on after the pause.
bool ScriptReader::ReturnPlanned(const TokenInfo& keyword, ScriptValue& result, int32_t& status)
{
    const uint32_t at = static_cast<uint32_t>(keyword.m_End);
    const TokenInfo* value = at < m_TokenAtPos.size() ? m_TokenAtPos[at] : nullptr;
    if (!value || !value->m_Plan || PlanStatus(value->m_PlanEnd, kModeStatement) != kModeStatement ||
        (m_Threaded && IsOnScriptThread()))
        return false;
    m_ReadPos = keyword.m_End;
    NestingGuard nesting(*this);
    CheckStackUse();
    if (RunPlan(*value->m_Plan, result)) {
        status = kStatusReturn;
    } else {
        status = kStatusAbort;
        result = ScriptValue();  // the construct ends with the value it started with
    }
    return true;
}

ScriptValue& ScriptReader::ExecuteConstruct(ScriptValue& result, int32_t mode, int32_t& status,
                                            int32_t declarationType)
{
    // The room of this nesting level, kept by the reader for the next constructs of the level.
    if (m_ConstructDepth == static_cast<int32_t>(m_ConstructRooms.size()))
        m_ConstructRooms.push_back(std::make_unique<unsigned char[]>(sizeof(ConstructRoom)));
    ConstructRoom* room = reinterpret_cast<ConstructRoom*>(m_ConstructRooms[m_ConstructDepth].get());
    struct Level {
        ScriptReader& reader;
        explicit Level(ScriptReader& r) : reader(r) { reader.m_ConstructDepth++; }
        ~Level() { reader.m_ConstructDepth--; }
    } level(*this);
    ItemList list(room->items.bytes);
    ScriptValue value;  // of the keyword statement that ends this call
    int32_t ifState = -1;
    bool keywordRan = false;
    bool ifJustEnded = false;
    bool declarator = declarationType != kScriptRead;  // the first item is declared (again after ',')
    bool continued = false;  // the list was emptied inside a statement, by ',' or a short-circuit

    // The plain tokens read since the list was last empty (-1: none are being kept): when the
    // construct ends with them, its plan is made for the next time.
    TokenInfo** planTokens = room->planTokens;
    int32_t planCount = -1;
    auto endWith = [&](int32_t endStatus, TokenInfo* end) -> ScriptValue& {
        if (planCount > 0)
            MakePlan(planTokens, planCount, end);
        status = endStatus;
        Evaluate(result, list);
        return result;
    };

    while (m_ReadPos < m_TextLength) {
        if (m_Abort) {
            status = kStatusAbort;
            return result;
        }
        if (list.Size() == 0) {
            planCount = -1;
            if (!declarator && m_UseShortcuts && !m_SkipMode && !(ifJustEnded && mode == kModeStatement)) {
                TokenInfo* first = PeekKeptToken();
                int32_t planStatus = first && first->m_Plan ? PlanStatus(first->m_PlanEnd, mode) : -1;
                if (planStatus >= 0) {
                    if (ifJustEnded) {  // the plan's first token is no "else"
                        ifJustEnded = false;
                        ifState = -1;
                    }
                    if (planStatus == kModeBlock) {
                        ScriptValue discarded;
                        if (!RunPlan(*first->m_Plan, discarded)) {
                            status = kStatusAbort;
                            return result;
                        }
                        continue;
                    }
                    status = RunPlan(*first->m_Plan, result) ? planStatus : kStatusAbort;
                    return result;
                }
                planCount = first && first->m_NoPlan ? -1 : 0;
            }
        }
        int32_t start = m_ReadPos;
        TokenInfo* token = ReadToken();
        if (planCount >= 0) {
            if (!IsPlainToken(*token))
                planCount = PlanStatus(token->m_Op, mode) >= 0 && token->m_Code == kTokenOperator ? planCount : -1;
            else if (planCount < kMaxPlanTokens)
                planTokens[planCount++] = token;
            else
                planCount = -1;
        }
        const int32_t code = token->m_Code;
        const bool isName = code == kTokenCall || code == kTokenIndexed || code == kTokenName;
        int32_t keyword = isName ? int32_t(token->m_Keyword) : int32_t(kKeyNone);
        // int(x), float(x) and string(x) are conversion calls, not declarations
        if (keyword >= kKeyInt && keyword <= kKeyString && code == kTokenCall)
            keyword = kKeyNone;

        if (ifJustEnded) {
            ifJustEnded = false;
            if (keyword != kKeyElse) {
                ifState = -1;
                if (mode == kModeStatement && (isName || code == kTokenEnd)) {
                    m_ReadPos = start;
                    status = kModeStatement;
                    return result;
                }
            }
        }

        if (keyword != kKeyNone) {
            bool firstOfStatement = list.Size() == 0 && !continued;
            int32_t flow = ScriptStatements::kGoOn;
            switch (keyword) {
            case kKeyIf: flow = ScriptStatements::If(*this, ifState, value); break;
            case kKeyElse: flow = ScriptStatements::Else(*this, ifState, value); break;
            case kKeyWhile: flow = ScriptStatements::While(*this, value); break;
            case kKeyDo: flow = ScriptStatements::Do(*this, value); break;
            case kKeyFor: flow = ScriptStatements::For(*this, value); break;
            case kKeySwitch: flow = ScriptStatements::Switch(*this, firstOfStatement, value); break;
            case kKeyCase: ScriptStatements::Case(*this); break;
            case kKeyDefault: ScriptStatements::Default(*this); break;
            case kKeyBreak:
            case kKeyContinue: flow = ScriptStatements::BreakOrContinue(*this, keyword); break;
            case kKeyReturn: flow = ScriptStatements::Return(*this, value); break;
            case kKeyExit: flow = ScriptStatements::Exit(*this, value); break;
            default: flow = ScriptStatements::Declaration(*this, keyword, mode, firstOfStatement); break;
            }
            keywordRan = true;
            ifJustEnded = keyword == kKeyIf || keyword == kKeyElse;
            if (keyword != kKeyIf)
                ifState = keyword == kKeyElse ? ifState : -1;
            if (flow != ScriptStatements::kGoOn) {
                status = flow;
                result = value;
                return result;
            }
            continue;
        }

        switch (code) {
        case kTokenEnd:
            ScriptStatements::EndOfText(*this, mode, list.Size());
            status = kStatusEndOfText;
            result.SetVoid();
            return result;
        case kTokenNumber: {
            Item& item = list.Add();
            item.m_Kind = code;
            if (token->m_IsFloat)
                item.m_Value.SetFloat(token->m_Number);
            else
                item.m_Value.SetInt(token->m_Integer);
            break;
        }
        case kTokenString: {
            Item& item = list.Add();
            item.m_Kind = code;
            item.m_Value.SetString(LiteralOf(*token));
            break;
        }
        case kTokenCall: {
            Item& item = list.Add();
            SkipBlanks();
            GetChar();  // the '('
            if (declarator && list.Size() == 1) {
                ParseFunctionDeclaration(token->m_Text, declarationType);
                status = kStatusFunctionDeclared;
                return result;
            }
            ParseCall(item.m_Value, token, token->m_Text);
            item.m_Kind = CompilerArgument::kComputed;
            break;
        }
        case kTokenIndexed: {
            Item& item = list.Add();
            item.m_Name = token->m_Text;
            item.m_Site = token;
            SkipBlanks();
            GetChar();  // the '['
            ScriptValue index;
            int32_t indexStatus = kStatusEndOfText;
            ExecuteStatement(index, kModeIndex, &indexStatus, kScriptRead);
            if (indexStatus <= kStatusReturn) {
                status = indexStatus;
                return result;
            }
            bool unevaluated = index.m_Type == kScriptUnevaluated;
            if (!unevaluated && (index.m_Type != kScriptInt || index.m_Integer < 0))
                Error("Index must be positive integer");
            int32_t element = unevaluated ? 0 : index.m_Integer;
            item.m_Kind = CompilerArgument::kReference;
            if (declarator && list.Size() == 1) {
                GetOrDeclareVariable(item.m_Value, item.m_Name, element, declarationType);
                item.m_ElementIndex = -1;  // an initialiser sets the first element
            } else {
                item.m_ElementIndex = element;
                ReadVariableAt(item.m_Value, token, item.m_Name, element);
            }
            break;
        }
        case kTokenName: {
            Item& item = list.Add();
            item.m_Kind = CompilerArgument::kReference;
            item.m_ElementIndex = -1;
            item.m_Name = token->m_Text;
            item.m_Site = token;
            if (declarator && list.Size() == 1)
                GetOrDeclareVariable(item.m_Value, item.m_Name, 0, declarationType);
            else
                ReadVariableAt(item.m_Value, token, item.m_Name, -1);
            break;
        }
        case kTokenDirective: Error("Invalid precompiler command: '%s'", token->m_Text); break;
        case kTokenOperator:
            // punctuation ends or opens a construct and never stays in the list
            switch (token->m_Op) {
            case kOpOpenParen: {
                Item& item = list.Add();
                int32_t groupStatus = kStatusEndOfText;
                ExecuteStatement(item.m_Value, kModeParen, &groupStatus, kScriptRead);
                item.m_Kind = CompilerArgument::kComputed;
                if (groupStatus <= kStatusReturn) {
                    status = groupStatus;
                    return result;
                }
                break;
            }
            case kOpOpenBrace: {
                Item& item = list.Add();
                int32_t blockStatus = kStatusEndOfText;
                ExecuteStatement(item.m_Value, kModeBlock, &blockStatus, kScriptRead);
                item.m_Kind = CompilerArgument::kComputed;
                if (blockStatus != kModeBlock) {
                    status = blockStatus;
                    result = item.m_Value;
                    return result;
                }
                list.Clear();
                continued = false;
                break;
            }
            case kOpOpenBracket: Error("Encountered invalid '['"); break;
            case kOpSemicolon: {
                if (mode == kModeStatement || mode == kModeArgument)
                    return endWith(kModeStatement, token);
                if (mode != kModeBlock)
                    Error("Encountered invalid ';'");
                if (planCount > 0)
                    MakePlan(planTokens, planCount, token);
                ScriptValue discarded;
                Evaluate(discarded, list);
                list.Clear();
                continued = false;
                break;
            }
            case kOpCloseParen:
                if (mode != kModeParen && mode != kModeArgument)
                    Error("Encountered invalid ')'");
                return endWith(kModeParen, token);
            case kOpCloseBrace:
                planCount = -1;
                if (mode == kModeBlock) {
                    endWith(kModeBlock, token);
                    result.SetVoid();
                    return result;
                }
                if (mode != kModeStatement || !keywordRan)
                    Error("Encountered invalid '}'");
                endWith(kModeStatement, token);
                m_ReadPos = start;  // the enclosing block reads it
                result.SetVoid();
                return result;
            case kOpCloseBracket:
                if (mode != kModeIndex)
                    Error("Encountered invalid ']'");
                return endWith(kModeIndex, token);
            case kOpComma: {
                if (mode == kModeArgument)
                    return endWith(kModeArgument, token);
                if (mode == kModeIndex)
                    Error("Invalid ',' in [] Block");
                declarator = declarationType != kScriptRead;
                ScriptValue discarded;
                Evaluate(discarded, list);
                list.Clear();
                continued = true;
                break;
            }
            case kOpColon:
                if (mode == kModeCase)
                    return endWith(kModeCase, token);
                if (list.Size() != 1)
                    Error("Encountered invalid ':'");
                list.Clear();
                break;
            case kOpLogicalAnd:
            case kOpLogicalOr: {
                bool isAnd = token->m_Op == kOpLogicalAnd;
                if (list.Size() == 0)
                    Error(isAnd ? "Encountered invalid '&&'" : "Encountered invalid '||'");
                ScriptValue left;
                Evaluate(left, list);
                list.Clear();
                continued = true;
                if (left.m_Type == kScriptUnevaluated)
                    break;
                if (!left.IsNumber())
                    Error("Invalid parameters for logical operator '||'");
                bool truth = left.m_Type == kScriptInt ? left.m_Integer != 0 : left.m_Number != 0.0;
                if (truth == isAnd) {
                    declarator = false;  // what follows is the value, not a new declarator
                    break;               // the right side decides: read on
                }
                int32_t skipStatus;
                if (mode == kModeBlock) {
                    // the rest of this statement only; the block goes on after its ';'
                    skipStatus = SkipStatement(kModeArgument);
                    if (skipStatus == kStatusAbort) {
                        status = kStatusAbort;
                        return result;
                    }
                    if (skipStatus == kModeParen)
                        Error("Encountered invalid ')'");
                    continued = skipStatus == kModeArgument;  // passed over up to a ',' of the statement
                    break;
                }
                skipStatus = SkipStatement(mode);
                status = skipStatus == kStatusAbort ? kStatusAbort : (mode == kModeArgument ? skipStatus : mode);
                result.SetInt(isAnd ? 0 : 1);
                return result;
            }
            default: {
                Item& item = list.Add();
                item.m_Kind = CompilerArgument::kOperator;
                item.m_Op = token->m_Op;
                break;
            }
            }
            break;
        default: Error("Encountered invalid character");
        }
    }

    if (ifJustEnded && mode == kModeStatement) {
        status = kModeStatement;  // the if statement is over; the end of the text is the caller's
        return result;
    }
    ScriptStatements::EndOfText(*this, mode, list.Size());
    status = kStatusEndOfText;
    result.SetVoid();
    return result;
}
