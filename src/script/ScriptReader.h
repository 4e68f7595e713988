// ScriptReader: one loaded script (merged source, line and file tables, variables, functions and
// thread state) and the interpreter that runs it straight from its text.
// The implementation is split by role: ScriptReader.cpp (loading, includes, positions, reports),
// ScriptLexer.cpp (reading tokens from the text, passing over), ScriptTokens.cpp (tokens kept by
// position, names, keywords), ScriptVariables.cpp (scopes, reads, assignments),
// ScriptExpression.cpp (expression passes) with ScriptEvaluator.h (items and operators),
// ScriptPlans.cpp (simple constructs run from plans), ScriptFunctions.cpp (declarations, calls),
// ScriptStatements.cpp (statement executor), ScriptBuiltins.cpp (built-in functions),
// ScriptRun.cpp (runs and script threads). A function call's variables live in a CallScope.
#pragma once
#include "base/DynaMem.h"
#include "base/ErrorClass.h"
#include "base/FileList.h"
#include "base/SearchTree.h"
#include "base/String.h"
#include "script/CallScope.h"
#include "script/ScriptGameCallbacks.h"
#include "script/ScriptValue.h"
#include "script/VariableStack.h"
#include "platform/Thread.h"
#include "platform/ThreadEvent.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class ThreadContainer;

// Thrown inside a run once the abort flag is seen in a nested call; Run and the outermost call by
// name end there, so a stopped script unwinds without reporting errors on its way out.
struct ScriptAbort {};

// Token codes of GetToken.
enum ScriptToken : int32_t {
    kTokenEnd = -1,        // end of text (after blanks and comments)
    kTokenInvalid = -2,    // invalid character
    kTokenNumber = 1,      // the literal's characters; Int or Float is decided by the executor
    kTokenOperator = 2,    // one or two characters
    kTokenCall = 3,        // a name followed (after blanks) by '(', which is not consumed
    kTokenIndexed = 4,     // a name followed (after blanks) by '[', which is not consumed
    kTokenName = 5,        // any other name, keywords included
    kTokenString = 6,      // decoded contents, without quotes
    kTokenDirective = 7,   // the name after '#'
};

// Keyword numbers of GetKeyword; 0 for any other word.
enum ScriptKeyword : int32_t {
    kKeyNone = 0,
    kKeyIf = 1,
    kKeyElse = 2,
    kKeyWhile = 3,
    kKeyContinue = 4,
    kKeyBreak = 5,
    kKeyReturn = 6,
    kKeyExit = 7,
    kKeyDo = 8,
    kKeyFor = 9,
    kKeySwitch = 10,
    kKeyCase = 11,
    kKeyDefault = 12,
    kKeyInt = 13,
    kKeyFloat = 14,
    kKeyString = 15,
    kKeyVoid = 16,
};

// Operator tokens by spelling; every character that starts an operator has one.
enum ScriptOperator : uint8_t {
    kOpNone = 0,
    kOpNot, kOpMod, kOpBitAnd, kOpQuote, kOpOpenParen, kOpCloseParen, kOpMul, kOpPlus, kOpComma,
    kOpMinus, kOpDot, kOpDiv, kOpColon, kOpSemicolon, kOpLess, kOpAssign, kOpGreater, kOpQuestion,
    kOpAt, kOpOpenBracket, kOpBackslash, kOpCloseBracket, kOpXor, kOpOpenBrace, kOpBitOr,
    kOpCloseBrace, kOpTilde,
    kOpGreaterEqual, kOpLessEqual, kOpNotEqual, kOpXorAssign, kOpAndAssign, kOpModAssign,
    kOpOrAssign, kOpMulAssign, kOpDivAssign, kOpPlusAssign, kOpMinusAssign, kOpTildeEqual,
    kOpIncrement, kOpDecrement, kOpEqual, kOpLogicalOr, kOpLogicalAnd,
    kOpCount
};

// Constructs that ExecuteStatement reads and SkipStatement passes over.
enum ScriptMode : int32_t {
    kModeStatement = 0,  // up to ';'
    kModeParen = 1,      // the rest of a '(' group, up to ')'
    kModeBlock = 2,      // the rest of a '{' block, up to '}'
    kModeIndex = 3,      // the rest of a '[' group, up to ']'
    kModeArgument = 4,   // one call argument, up to ',' or the ')' that closes the call
    kModeCase = 5,       // a case label, up to ':'
};

// How a construct ended; 0 to 5 are the normal ends of the modes above.
enum ScriptStatus : int32_t {
    kStatusAbort = -6,
    kStatusExit = -5,
    kStatusReturn = -4,
    kStatusBreak = -3,
    kStatusContinue = -2,
    kStatusEndOfText = -1,
    kStatusFunctionDeclared = 6,
};

// One item of an expression list: an operand already turned into a value, or an operator.
struct CompilerArgument {
    static constexpr int32_t kComputed = 0;   // a value that an operator computed
    static constexpr int32_t kOperator = 2;
    static constexpr int32_t kReference = 4;  // a variable, element or character: an L-value

    String m_Token;              // operator spelling, or the name / literal text of an operand
    int32_t m_Kind = -1;         // token kind as the executor left it (see above)
    int32_t m_ElementIndex = -1; // element or character of a reference; -1 for the whole variable
    ScriptValue m_Value;         // stays Void for an operator item
};
using ExpressionList = DynaMem<CompilerArgument, 32>;

// One declared script function, keyed "name@count" in the reader's function table.
struct ScriptFunctionInfo {
    int32_t m_BodyStart = 0;  // offset just after the '{' of the body
    String m_Name;            // as written
    DynaMem<ScriptStackVariable, 8> m_Parameters;  // name and type code, element count 0
    int32_t m_ReturnType = kScriptVoid;
    const char* m_KeptName = nullptr;  // the name as the reader keeps it while the function runs
};

class ScriptReader : public ErrorClass {
public:
    // One substitution applied to include paths (the game maps "LANG\" to its language directory).
    struct PathReplace {
        String m_From;
        String m_To;
    };

    // Entry i covers the offsets from m_Start up to the start of entry i + 1.
    struct LineEntry {
        int32_t m_Start = 0;   // offset in the merged text
        int32_t m_Line = 0;    // line inside its source file, from 0
        int32_t m_FileId = 0;  // slot in the file table
    };

    struct Plan;  // a simple construct read once, run again without reading (ScriptPlans.cpp)

    // A token as GetToken reads it from one read position, kept by that position: the merged
    // text does not change once loaded, so a second read there gives the same token. Loops and
    // calls read the same text again and again; the text is read once.
    struct TokenInfo {
        int32_t m_Start = 0;    // its first byte, after blanks and comments
        int32_t m_End = 0;      // the read position after it (a name: after the blanks behind it)
        int32_t m_Length = 0;   // bytes of its text in the source (names, numbers, operators)
        int32_t m_Integer = 0;  // number literal without '.', 'e' or 'E': its Int; string literal: its index
        double m_Number = 0.0;  // number literal with one of them: its Float
        const char* m_Text = "";  // names and directives: the kept name
        int8_t m_Code = 0;      // ScriptToken
        uint8_t m_Keyword = 0;  // names: ScriptKeyword
        uint8_t m_Op = 0;       // operators: ScriptOperator
        bool m_IsFloat = false; // number literal read as a Float
        int16_t m_Builtin = -1; // names followed by '(': the built-in function of that name, or -1
        uint8_t m_PlanEnd = 0;  // with m_Plan: the operator that ends the planned construct
        bool m_PlanInts = false;  // with m_Plan: RunInts may run it
        bool m_NoPlan = false;  // a construct starting here was read and cannot be planned
        bool m_Plain = false;   // a token a plan may hold (IsPlain)
        const Plan* m_Plan = nullptr;  // the simple construct that starts here (ScriptPlans.cpp)
        // Passing over from here in m_PassMode (-1: not yet) ended at m_PassEnd with m_PassStatus,
        // nesting m_PassDepth levels below its own.
        int8_t m_PassMode = -1;
        int8_t m_PassStatus = 0;
        uint16_t m_PassDepth = 0;
        int32_t m_PassEnd = 0;
        // What a name at this place found last time, valid while the keys still hold: a
        // variable (keys: the innermost scope's layout and the global scope's generation), the
        // slot m_CacheSlot of the innermost scope when not -1, or a script function (keys:
        // function table generation and argument count).
        uint64_t m_CacheKey1 = 0;
        uint64_t m_CacheKey2 = 0;
        const char* m_CacheName = nullptr;
        void* m_Cached = nullptr;
        int32_t m_CacheSlot = -1;
    };

    static constexpr int32_t kMaxIncludeLevel = 16;
    static constexpr int32_t kMaxMergedText = 8 << 20;  // bytes of the merged text after includes
    static constexpr int32_t kMaxIncludes = 4096;       // include directives expanded for one script
    static constexpr int32_t kMaxNameLength = 256;      // characters of one name token
    static constexpr int32_t kMaxNesting = 256;         // nested groups and blocks read recursively
    static constexpr int32_t kMaxScopes = 256;          // active script function calls

    ScriptReader();
    ~ScriptReader() override;
    ScriptReader(const ScriptReader&) = delete;
    ScriptReader& operator=(const ScriptReader&) = delete;

    // --- reports (ScriptReader.cpp) ---
    // "file:'%s', line: %i: %s" with the previous, current and next line; always throws ErrorMsg.
    [[noreturn]] void Error(const char* format, ...) override __attribute__((format(printf, 2, 3)));
    // "file:'%s', pos: %i: %s".
    void Warning(const char* format, ...) override __attribute__((format(printf, 2, 3)));
    // Logs "Script Error: %s" and goes on (a headless server has no one to ask).
    virtual void ShowError(const String& text);

    // --- loading (ScriptReader.cpp) ---
    bool LoadFile(const char* name);
    // Copies text up to its first NUL; name null gives "*inline*". Errors are shown, not thrown;
    // the result tells whether loading went through.
    bool LoadInline(const char* text, const char* name = nullptr);
    void Clear();
    void Reset();
    void ResetFields();
    void AddPathReplace(const char* from, const char* to);
    // Files read from now on are registered in this list; null: none.
    void SetLoadedFileList(FileList* list) { m_LoadedFiles = list; }
    bool ResolvePath(String& path, const char* baseFileName);
    bool ResolvePathFromCurrent(String& path) { return ResolvePath(path, nullptr); }
    void ReadTextFile(String& result, const char* path);
    String GetMainFileName();
    int32_t GetCurrentLineNumber();
    String GetCurrentFileName();
    // "file:'%s', line: %i: %s" at the reading position, then the line before, the line and the
    // line after.
    String FormatErrorContext(const char* message);
    void BuildLineTable();
    void Preprocess(int32_t level);

    void SetGameCallbacks(const ScriptGameCallbacks& callbacks);
    const ScriptGameCallbacks& GetGameCallbacks() const { return m_Callbacks; }
    bool HasGameCallbacks() const;

    const char* GetText() const { return m_Text ? m_Text.get() : ""; }
    int32_t GetTextLength() const { return m_TextLength; }
    int32_t GetReadPos() const { return m_ReadPos; }
    void SetReadPos(int32_t position) { m_ReadPos = position; }
    int32_t GetLineCount() const { return static_cast<int32_t>(m_Lines.size()); }
    const LineEntry* GetLineEntry(int32_t index) const;
    int32_t GetFileCount() { return m_Files.GetSize(); }
    const char* GetFileName(int32_t fileId);  // "" for an unknown ID
    bool IsAborted() const { return m_Abort.load() != 0; }
    bool IsSkipMode() const { return m_SkipMode != 0; }
    void SetThrowOnError(bool on) { m_ThrowOnError = on ? 1 : 0; }
    void SetThreaded(bool on) { m_Threaded = on ? 1 : 0; }
    bool IsThreaded() const { return m_Threaded != 0; }

    // --- tokens and passing over (ScriptLexer.cpp, ScriptTokens.cpp) ---
    int32_t GetToken(String& out);
    static int32_t GetKeyword(const char* text);
    void SkipBlanks()
    {
        if (const TokenInfo* token = PeekKeptToken()) {  // a token was read here: it starts after them
            m_ReadPos = token->m_Start;
            return;
        }
        while (m_ReadPos >= 0 && m_ReadPos < m_TextLength && static_cast<unsigned char>(m_Text[m_ReadPos]) <= 32)
            m_ReadPos++;  // blanks; comments below
        if (m_ReadPos >= 0 && m_ReadPos < m_TextLength && m_Text[m_ReadPos] == '/')
            SkipBlanksAndComments();
    }
    void SkipBlanksAndComments();
    char PeekChar()
    {
        if (m_ReadPos < 0 || m_ReadPos >= m_TextLength)
            EndOfTextError();
        return m_Text[m_ReadPos];
    }
    char GetChar()
    {
        char c = PeekChar();
        m_ReadPos++;
        return c;
    }
    [[noreturn]] void EndOfTextError();
    void ReadNumber(String& out);
    void ReadName(String& out);
    // Passes over the rest of a construct without running it; returns the status the construct
    // would have ended with: the mode's number; -1 at the end of the text in mode 0; in mode 4,
    // 4 after the ',' that ends the argument, 1 after the ')' that closes the call, 0 after a
    // ';'; -6 when the abort flag was found set.
    int32_t SkipStatement(int32_t mode)
    {
        // Passed over before from the same token in the same mode, it ends at the same place (the
        // tokens do not change), unless the nesting met on the way would now go too deep.
        if (m_Nesting < kMaxNesting && m_UseShortcuts && !m_Abort)
            if (TokenInfo* first = PeekKeptToken();
                first && first->m_PassMode == mode && m_Nesting + 1 + first->m_PassDepth <= kMaxNesting) {
                if (m_Nesting + 1 + first->m_PassDepth > m_SkipDeepest)
                    m_SkipDeepest = m_Nesting + 1 + first->m_PassDepth;
                m_ReadPos = first->m_PassEnd;
                return first->m_PassStatus;
            }
        return PassOver(mode);
    }
    int32_t PassOver(int32_t mode);  // SkipStatement when the token does not know the way
    int32_t FindNextBlockName(String& out);

    // --- variables (ScriptVariables.cpp) ---
    ScriptStackVariable* FindVariable(const char* name, bool localOnly);
    // A type code 0-3 declares (indexOrSize: element count, 0 or -1 for a scalar); 255 reads
    // (indexOrSize: element or character, -1 for none).
    ScriptValue& GetOrDeclareVariable(ScriptValue& result, const char* name, int32_t indexOrSize, int32_t type);
    void SetVariable(const char* name, int32_t index, const ScriptValue& value);
    ScriptStackVariable* DeclareInCurrentScope(const char* name, int32_t type, int32_t count);
    VariableStack& GetGlobalScope() { return m_Global; }
    int32_t GetScopeDepth() const { return m_ScopeDepth; }
    CallScope* GetInnermostScope() { return m_Innermost; }
    // One scope per script function call; the caller checks kMaxScopes.
    CallScope& PushScope();
    void PopScope();

    // --- expressions (ScriptExpression.cpp) ---
    // Consumes the list; at most one item is left.
    ScriptValue& EvaluateExpression(ScriptValue& result, ExpressionList& list);

    // --- functions and calls (ScriptFunctions.cpp) ---
    void ParseFunctionDeclaration(const char* name, int32_t returnType);
    ScriptValue& ParseFunctionCall(ScriptValue& result, const char* name);
    ScriptValue& CallBuiltinFunction(ScriptValue& result, const char* name, ScriptValue* arguments, int32_t count);
    bool CallFunctionByName(const String& name, ScriptValue* arguments, int32_t count, ScriptValue* result);
    bool CallFunction(const char* name, ScriptValue* arguments, int32_t count, ScriptValue* result);
    ScriptValue& CallScriptFunction(ScriptValue& result, ScriptFunctionInfo& function);
    // A built-in of that name accepting that count: computes the result and returns true; false
    // sends the call on to the game (ScriptBuiltins.cpp).
    bool CallLanguageBuiltin(ScriptValue& result, const char* name, ScriptValue* arguments, int32_t count);

    // --- statements (ScriptStatements.cpp) ---
    ScriptValue& ExecuteStatement(ScriptValue& result, int32_t mode, int32_t* status, int32_t declarationType)
    {
        // A construct planned on Ints is computed at once (RunInts calls nothing that could
        // nest deeper or free the tokens); all else as ExecuteAnyStatement reads it.
        if (declarationType == kScriptRead && m_Nesting < kMaxNesting && m_UseShortcuts && !m_SkipMode &&
            m_ReadPos < m_TextLength && !m_Abort)
            if (const TokenInfo* first = PeekKeptToken(); first && first->m_PlanInts) {
                const int32_t planStatus = PlanStatus(first->m_PlanEnd, mode);
                if (planStatus >= 0 && planStatus != kModeBlock) {
                    CheckStackUse();
                    result.SetVoid();
                    if (RunInts(*first->m_Plan, result)) {
                        if (status)
                            *status = planStatus;
                        return result;
                    }
                }
            }
        return ExecuteAnyStatement(result, mode, status, declarationType);
    }
    // ExecuteStatement once a construct has been found not to run from a plan as a whole.
    ScriptValue& ExecuteConstruct(ScriptValue& result, int32_t mode, int32_t& status, int32_t declarationType);

    // --- runs and script threads (ScriptRun.cpp) ---
    int32_t Run();
    ScriptValue Execute();
    void StopThread();
    void SetThreadPool(ThreadContainer* pool) { m_ThreadPool = pool; }
    uint32_t RunGuarded();  // the thread's exit code: 0, or -10 after an error
    void SignalDone();
    void SetReturnSuspends(bool on) { m_ReturnSuspends = on ? 1 : 0; }
    bool GetReturnSuspends() const { return m_ReturnSuspends.load() != 0; }
    bool IsSuspended() const { return m_Suspended.load() != 0; }
    bool IsDone() const { return m_Done.load() != 0; }
    bool HasError() const { return m_ErrorFlag.load() != 0; }
    const ErrorMsg& GetLastError() const { return m_LastError; }
    const ScriptValue& GetFinalValue() const { return m_FinalValue; }
    // True on the script thread of this reader while it runs (a return may pause only there).
    bool IsOnScriptThread() const;

protected:
    // One expression item as the executor lists it, and the list of one expression
    // (ScriptEvaluator.h).
    struct Item;
    class ItemList;
    struct ItemRoom;
    struct ConstructRoom;

    // Index of the line entry that holds the offset; -1 when none does.
    int32_t FindLineIndex(int32_t position) const;
    // The text of line entry i without its line end; empty outside the table.
    String GetLineText(int32_t index) const;
    void SetText(const char* text, int32_t length);
    int32_t SkipBranch();
    int32_t SkipText(int32_t mode);  // SkipStatement read from the tokens
    int32_t AddFileName(const String& name, int32_t parentId);
    bool IsIncludedBy(const String& name, int32_t fileId);
    ScriptValue& ReadVariable(ScriptValue& result, ScriptStackVariable& variable, int32_t index);
    void StoreValue(ScriptValue& target, const ScriptValue& value);

    // --- kept tokens (ScriptTokens.cpp) ---
    // The token at the read position, which moves past it; reads the text the first time.
    TokenInfo* ReadToken()
    {
        const uint32_t position = static_cast<uint32_t>(m_ReadPos);  // a negative one is never kept
        if (position < m_TokenAtPos.size())
            if (TokenInfo* token = m_TokenAtPos[position]) {
                m_ReadPos = token->m_End;
                return token;
            }
        return ReadNewToken();
    }
    TokenInfo* ReadNewToken();
    // A token read from the text itself at the read position (GetToken without keeping it).
    int32_t LexToken(String& out);
    // Drops the kept tokens of the old text. Tokens and names that a running construct still
    // holds stay allocated until no construct runs.
    void ForgetTokens();
    const char* KeepName(const char* text, int32_t length);
    // FindNextBlockName keeping the name in m_LastBlockName and its keyword in m_LastBlockKeyword.
    int32_t FindNextBlockNameToken();
    const String& LiteralOf(const TokenInfo& token) const;
    static const char* OperatorSpelling(int32_t op);
    static int32_t OperatorNumber(const char* text);  // kOpNone for a text that is no operator

    // --- plans of simple constructs (ScriptPlans.cpp) ---
    // The kept token at the read position, without reading it; null when none is kept there.
    TokenInfo* PeekKeptToken() const
    {
        const uint32_t position = static_cast<uint32_t>(m_ReadPos);
        return position < m_TokenAtPos.size() ? m_TokenAtPos[position] : nullptr;
    }
    // A token a plan may hold: a literal, a plain name or an operator that is no punctuation.
    static bool IsPlainToken(const TokenInfo& token) { return token.m_Plain; }
    static bool IsPlain(const TokenInfo& token);  // to set m_Plain when the token is read
    // The status with which a construct of the mode ends at a plan's closing operator; -1 when
    // the operator does not end that mode (a ';' in a block ends a statement: 2).
    static int32_t PlanStatus(int32_t endOp, int32_t mode)
    {
        switch (endOp) {
        case kOpSemicolon:
            return mode == kModeStatement || mode == kModeArgument ? kModeStatement
                   : mode == kModeBlock                            ? kModeBlock
                                                                   : -1;
        case kOpCloseParen: return mode == kModeParen || mode == kModeArgument ? kModeParen : -1;
        case kOpCloseBracket: return mode == kModeIndex ? kModeIndex : -1;
        case kOpComma: return mode == kModeArgument ? kModeArgument : -1;
        case kOpColon: return mode == kModeCase ? kModeCase : -1;
        default: return -1;
        }
    }
    // Plans the construct of these plain tokens and its closing token, once it was read so; a
    // construct the plan cannot follow is marked and read as ever.
    void MakePlan(TokenInfo* const* tokens, int32_t count, TokenInfo* end);
    static constexpr int32_t kMaxPlanTokens = 16;  // tokens of a construct a plan may hold
    struct PlanDeleter {
        void operator()(Plan* plan) const;
    };
    const Plan* KeepPlan(Plan* plan);  // kept with the tokens
    // Reads the planned construct from the read position as the executor would, and its value;
    // false when the abort flag was found set on the way.
    bool RunPlan(const Plan& plan, ScriptValue& value);
    bool RunInts(const Plan& plan, ScriptValue& value);
    bool FindInts(const Plan& plan, ScriptValue** held);
    void StepInts(const Plan& plan, ScriptValue* const* held, int32_t* v);
    static void IntValue(const Plan& plan, ScriptValue* const* held, int32_t result, ScriptValue& value);
    // The turns of a loop from its second on, without reading, when the loop's constructs are all
    // planned on Ints (ScriptPlans.cpp). From the read position at the condition (conditionMode:
    // 0 for, 1 while); leaves the body's value as its last turn leaves it.
    enum IntLoopEnd : int32_t {
        kIntLoopNone,     // the loop is not such; nothing was done
        kIntLoopEnded,    // the condition was false; the read position is after it
        kIntLoopAborted,  // the abort flag was set; the read position is at the condition
    };
    int32_t RunIntLoop(int32_t conditionMode, ScriptValue& bodyValue);

    // --- fast paths of the executor (ScriptStatements.cpp, ScriptVariables.cpp, ScriptFunctions.cpp,
    // ScriptExpression.cpp) ---
    // ExecuteStatement of every construct, planned or read.
    ScriptValue& ExecuteAnyStatement(ScriptValue& result, int32_t mode, int32_t* status, int32_t declarationType);
    // ExecuteStatement of "return" and a planned construct; false when they are not such.
    bool ReturnPlanned(const TokenInfo& keyword, ScriptValue& result, int32_t& status);
    // FindVariable(name, false), remembered at the token where the name was read.
    ScriptStackVariable* FindVariableAt(TokenInfo* site, const char* name)
    {
        if (site && m_UseShortcuts) {
            if (site->m_CacheKey1 == ScopeKey() && site->m_CacheKey2 == m_Global.GetGeneration() &&
                site->m_CacheName == name)
                return site->m_CacheSlot >= 0 ? m_Innermost->GetSlot(site->m_CacheSlot)
                                              : static_cast<ScriptStackVariable*>(site->m_Cached);
        }
        return FindAndKeepVariable(site, name);
    }
    // The innermost scope's key for places remembering variables; 0 at the top level.
    uint64_t ScopeKey() const { return m_Innermost ? m_Innermost->GetKey() : 0; }
    ScriptStackVariable* FindAndKeepVariable(TokenInfo* site, const char* name);
    // GetOrDeclareVariable (reading) and SetVariable of a name read at site; the whole value of a
    // variable that a scope holds is taken and stored here, all else by the general way.
    ScriptValue& ReadVariableAt(ScriptValue& result, TokenInfo* site, const char* name, int32_t index)
    {
        if (!m_SkipMode && index < 0)
            if (ScriptStackVariable* variable = FindVariableAt(site, name)) {
                result = variable->GetFirst();
                return result;
            }
        return ReadVariableFrom(result, site, name, index);
    }
    void SetVariableAt(TokenInfo* site, const char* name, int32_t index, const ScriptValue& value)
    {
        if (!m_SkipMode && index < 0)
            if (ScriptStackVariable* variable = FindVariableAt(site, name)) {
                ScriptValue& target = variable->GetFirst();
                if (target.m_Type == kScriptInt && value.m_Type == kScriptInt)
                    target.m_Integer = value.m_Integer;
                else if (target.m_Type == kScriptFloat && value.m_Type == kScriptFloat)
                    target.m_Number = value.m_Number;
                else
                    StoreValue(target, value);
                return;
            }
        SetVariableFrom(site, name, index, value);
    }
    ScriptValue& ReadVariableFrom(ScriptValue& result, TokenInfo* site, const char* name, int32_t index);
    void SetVariableFrom(TokenInfo* site, const char* name, int32_t index, const ScriptValue& value);
    // ParseFunctionCall of the name read at site (null: no place to remember the function at).
    ScriptValue& ParseCall(ScriptValue& result, TokenInfo* site, const char* name);
    ScriptValue& Dispatch(ScriptValue& result, TokenInfo* site, const char* name, ScriptValue* arguments, int32_t count);
    ScriptFunctionInfo* FindFunction(const char* name, int32_t count);
    bool CallFound(ScriptFunctionInfo& found, ScriptValue* arguments, int32_t count, ScriptValue* result);
    // CallScriptFunction with the arguments bound on the way (null: the records hold the values).
    ScriptValue& RunFunction(ScriptValue& result, ScriptFunctionInfo& function, const char* name,
                             const ScriptValue* arguments);
    ScriptValue& Evaluate(ScriptValue& result, ItemList& list);
    static int32_t FindBuiltin(const char* name);
    bool CallBuiltinAt(int32_t builtin, ScriptValue& result, const char* name, ScriptValue* arguments, int32_t count);

    // Bounds the recursion of nested constructs; each reader of a nested group holds one. It
    // also marks that a construct runs, so that kept tokens it holds are not freed under it.
    class NestingGuard {
    public:
        explicit NestingGuard(ScriptReader& reader) : m_Reader(reader)
        {
            if (m_Reader.m_Nesting >= kMaxNesting)
                TooDeep(reader);
            m_Reader.m_Nesting++;
            m_Reader.m_Running++;
        }
        ~NestingGuard()
        {
            m_Reader.m_Nesting--;
            m_Reader.m_Running--;
        }
        NestingGuard(const NestingGuard&) = delete;
        NestingGuard& operator=(const NestingGuard&) = delete;

    private:
        [[noreturn]] static void TooDeep(ScriptReader& reader);
        ScriptReader& m_Reader;
    };

    // Source and positions.
    std::unique_ptr<char[]> m_Text;  // merged source text, NUL-terminated
    DynaMem<String, 32> m_Files;     // slot = file ID; 0 is the main file or the inline name
    std::vector<int32_t> m_FileParents;  // per file ID: the file that included it, -1 for the main one
    SearchTree<ScriptFunctionInfo> m_Functions;  // "name@count", letters matched ignoring case
    std::vector<LineEntry> m_Lines;
    int32_t m_TextLength = 0;
    int32_t m_ReadPos = 0;
    int32_t m_Nesting = 0;
    int32_t m_Running = 0;           // constructs running now (NestingGuard)
    int32_t m_SkipDeepest = 0;       // deepest nesting met while passing over
    FileList* m_LoadedFiles = nullptr;   // where files read are registered; null: nowhere

    // Kept tokens: per read position the token read there (null: not read yet), the tokens in
    // blocks that never move, the kept names, and what was dropped while constructs still ran.
    static constexpr int32_t kTokenBlock = 256;
    std::vector<TokenInfo*> m_TokenAtPos;
    std::vector<std::unique_ptr<TokenInfo[]>> m_TokenBlocks;
    int32_t m_TokenCount = 0;
    struct KeptNames;
    struct KeptNamesDeleter {
        void operator()(KeptNames* names) const;
    };
    std::unique_ptr<KeptNames, KeptNamesDeleter> m_Names;
    std::vector<std::unique_ptr<TokenInfo[]>> m_RetiredBlocks;
    std::vector<std::unique_ptr<KeptNames, KeptNamesDeleter>> m_RetiredNames;
    TokenInfo m_PastEnd;  // what a read past the end of the text gives
    const char* m_LastBlockName = "";
    int32_t m_LastBlockKeyword = kKeyNone;

    // Run state; suspended, done and abort are polled across the game and script threads.
    std::atomic<int32_t> m_Suspended{0};
    std::atomic<int32_t> m_Done{0};
    std::atomic<int32_t> m_Abort{0};
    // Set by Execute when it resumes a paused run: a parked thread goes on only then, so a Reset
    // that clears m_Suspended while the thread is still parking cannot let it run on.
    std::atomic<int32_t> m_ResumeRequested{0};
    std::atomic<int32_t> m_ReturnSuspends{0};
    std::atomic<int32_t> m_ErrorFlag{0};
    int32_t m_Threaded = 1;
    int32_t m_ThrowOnError = 1;
    int32_t m_SkipMode = 0;  // nothing sets it; reads, calls and expressions yield Unevaluated
    // Plans, passing over kept by its first token, and the variables and functions remembered at
    // the places of their names. Tests clear it to compare the shortcuts with reading alone.
    bool m_UseShortcuts = true;
    ErrorMsg m_LastError;
    ScriptValue m_FinalValue;

    // Scopes: one per active script function call, innermost last; popped scopes are kept
    // empty for the next call. The layouts go with the kept tokens, whose places hold them.
    VariableStack m_Global;
    ScopeLayouts m_Layouts;
    std::vector<std::unique_ptr<CallScope>> m_Scopes;
    int32_t m_ScopeDepth = 0;
    CallScope* m_Innermost = nullptr;  // the last of m_Scopes in use; null at the top level

    // Argument lists of the calls being read, one block of kMaxArguments per nesting level, kept
    // for the next calls (their values stay where they are while the callee runs).
    std::vector<std::unique_ptr<ScriptValue[]>> m_ArgumentBlocks;
    int32_t m_ArgumentDepth = 0;
    // The same for the constructs being read (ConstructRoom), one per nesting level.
    std::vector<std::unique_ptr<unsigned char[]>> m_ConstructRooms;
    int32_t m_ConstructDepth = 0;

    DynaMem<PathReplace, 4096> m_PathReplaces;
    ScriptGameCallbacks m_Callbacks;
    ThreadContainer* m_ThreadPool = nullptr;

    // Script threads (ScriptRun.cpp). The script thread pauses by waiting on m_Resume.
    friend class ScriptStatements;
    friend class ScriptEvaluator;
    static constexpr int32_t kMaxStackUse = 4 << 20;  // bytes of stack a run may use
    // One run or call by name active on the running thread. Stack use is measured on each thread
    // from its outermost frame: a paused script's own thread keeps its frames while the game, or
    // another script's thread, calls into the same reader.
    class RunFrame {
    public:
        explicit RunFrame(const ScriptReader& reader);
        ~RunFrame();
        RunFrame(const RunFrame&) = delete;
        RunFrame& operator=(const RunFrame&) = delete;
        // No run or call of this reader was active on this thread before this one.
        bool IsOutermost() const { return m_Outermost; }

    private:
        friend class ScriptReader;
        const ScriptReader* m_Reader;
        const char* m_StackBase;  // frame of the thread's outermost run or call
        RunFrame* m_Previous;
        bool m_Outermost;
        static constinit thread_local RunFrame* t_Innermost;  // of any reader, on this thread
    };
    static uint32_t ThreadMain(void* reader);
    static void PoolThreadMain(void* reader);
    bool CallFunctionInternal(const char* name, ScriptValue* arguments, int32_t count, ScriptValue* result);
    void CheckStackUse()
    {
        const char* frame = static_cast<const char*>(__builtin_frame_address(0));
        if (RunFrame::t_Innermost && RunFrame::t_Innermost->m_StackBase - frame > kMaxStackUse)
            StackTooDeep();
    }
    [[noreturn]] void StackTooDeep();
    bool WaitForScriptThread(int32_t timeoutMs);
    ThreadEvent m_Completion;                // set when a run ends or pauses
    ThreadEvent m_Resume;                    // set to resume a paused script thread
    std::unique_ptr<Thread> m_OwnThread;     // a thread of our own when no pool is set
    bool m_HasThread = false;                // a script thread exists (own or pooled)
};
