// ScriptTokens: tokens kept by the read position they were read at, the kept names, and keywords
// and operators recognised by their characters.
//
// The language reads its text again on every loop iteration and call. The merged text does not
// change once loaded, and a token depends only on the text and the position it is read from, so
// the first read at a position is kept and later reads there take it. What is kept is exactly what
// reading the text gives; a read that reports an error keeps nothing and reports it every time.
#include "script/ScriptReader.h"

#include <cstdlib>
#include <cstring>
#include <string_view>
#include <unordered_map>

struct ScriptReader::KeptNames {
    std::unordered_map<std::string_view, const char*> index;
    std::vector<std::unique_ptr<char[]>> names;  // never move, so the pointers handed out hold
    std::vector<String> literals;                // decoded string literals, a NUL inside included
    std::vector<std::unique_ptr<Plan, PlanDeleter>> plans;
};

namespace {

struct OperatorEntry {
    char first;
    char second;  // 0 for a one-character operator
    uint8_t op;
};

constexpr OperatorEntry kOperators[] = {
    {'!', 0, kOpNot},          {'%', 0, kOpMod},          {'&', 0, kOpBitAnd},         {'\'', 0, kOpQuote},
    {'(', 0, kOpOpenParen},    {')', 0, kOpCloseParen},   {'*', 0, kOpMul},            {'+', 0, kOpPlus},
    {',', 0, kOpComma},        {'-', 0, kOpMinus},        {'.', 0, kOpDot},            {'/', 0, kOpDiv},
    {':', 0, kOpColon},        {';', 0, kOpSemicolon},    {'<', 0, kOpLess},           {'=', 0, kOpAssign},
    {'>', 0, kOpGreater},      {'?', 0, kOpQuestion},     {'@', 0, kOpAt},             {'[', 0, kOpOpenBracket},
    {'\\', 0, kOpBackslash},   {']', 0, kOpCloseBracket}, {'^', 0, kOpXor},            {'{', 0, kOpOpenBrace},
    {'|', 0, kOpBitOr},        {'}', 0, kOpCloseBrace},   {'~', 0, kOpTilde},          {'>', '=', kOpGreaterEqual},
    {'<', '=', kOpLessEqual},  {'!', '=', kOpNotEqual},   {'^', '=', kOpXorAssign},    {'&', '=', kOpAndAssign},
    {'%', '=', kOpModAssign},  {'|', '=', kOpOrAssign},   {'*', '=', kOpMulAssign},    {'/', '=', kOpDivAssign},
    {'+', '=', kOpPlusAssign}, {'-', '=', kOpMinusAssign}, {'~', '=', kOpTildeEqual},  {'+', '+', kOpIncrement},
    {'-', '-', kOpDecrement},  {'=', '=', kOpEqual},      {'|', '|', kOpLogicalOr},    {'&', '&', kOpLogicalAnd},
};

struct SpellingTable {
    char text[kOpCount][3] = {};
    SpellingTable()
    {
        for (const OperatorEntry& entry : kOperators) {
            text[entry.op][0] = entry.first;
            text[entry.op][1] = entry.second;
        }
    }
};

const SpellingTable& Spellings()
{
    static const SpellingTable table;
    return table;
}

uint8_t OperatorOf(const char* text, int32_t length)
{
    char second = length > 1 ? text[1] : 0;
    for (const OperatorEntry& entry : kOperators)
        if (entry.first == text[0] && entry.second == second)
            return entry.op;
    return kOpNone;
}

bool Is(const char* text, size_t length, const char* word, size_t wordLength)
{
    return length == wordLength && std::memcmp(text, word, length) == 0;
}

}  // namespace

int32_t ScriptReader::OperatorNumber(const char* text)
{
    int32_t length = text ? static_cast<int32_t>(std::strlen(text)) : 0;
    return length == 1 || length == 2 ? int32_t(OperatorOf(text, length)) : int32_t(kOpNone);
}

const char* ScriptReader::OperatorSpelling(int32_t op)
{
    return op > kOpNone && op < kOpCount ? Spellings().text[op] : "";
}

// Exact, case-sensitive; by the first letter and the length instead of trying every word.
int32_t ScriptReader::GetKeyword(const char* text)
{
    if (!text)
        return kKeyNone;
    size_t n = std::strlen(text);
    switch (text[0]) {
    case 'b': return Is(text, n, "break", 5) ? kKeyBreak : kKeyNone;
    case 'c': return Is(text, n, "case", 4) ? kKeyCase : Is(text, n, "continue", 8) ? kKeyContinue : kKeyNone;
    case 'd': return Is(text, n, "do", 2) ? kKeyDo : Is(text, n, "default", 7) ? kKeyDefault : kKeyNone;
    case 'e': return Is(text, n, "else", 4) ? kKeyElse : Is(text, n, "exit", 4) ? kKeyExit : kKeyNone;
    case 'f': return Is(text, n, "for", 3) ? kKeyFor : Is(text, n, "float", 5) ? kKeyFloat : kKeyNone;
    case 'i': return Is(text, n, "if", 2) ? kKeyIf : Is(text, n, "int", 3) ? kKeyInt : kKeyNone;
    case 'r': return Is(text, n, "return", 6) ? kKeyReturn : kKeyNone;
    case 's': return Is(text, n, "switch", 6) ? kKeySwitch : Is(text, n, "string", 6) ? kKeyString : kKeyNone;
    case 'v': return Is(text, n, "void", 4) ? kKeyVoid : kKeyNone;
    case 'w': return Is(text, n, "while", 5) ? kKeyWhile : kKeyNone;
    default: return kKeyNone;
    }
}

void ScriptReader::KeptNamesDeleter::operator()(KeptNames* names) const { delete names; }

const char* ScriptReader::KeepName(const char* text, int32_t length)
{
    if (!m_Names)
        m_Names.reset(new KeptNames);
    auto found = m_Names->index.find(std::string_view(text, size_t(length)));
    if (found != m_Names->index.end())
        return found->second;
    auto copy = std::make_unique<char[]>(size_t(length) + 1);
    std::memcpy(copy.get(), text, size_t(length));
    copy[length] = 0;
    const char* kept = copy.get();
    m_Names->names.push_back(std::move(copy));
    m_Names->index.emplace(std::string_view(kept, size_t(length)), kept);
    return kept;
}

const ScriptReader::Plan* ScriptReader::KeepPlan(Plan* plan)
{
    if (!m_Names)
        m_Names.reset(new KeptNames);
    m_Names->plans.emplace_back(plan);
    return plan;
}

const String& ScriptReader::LiteralOf(const TokenInfo& token) const { return m_Names->literals[size_t(token.m_Integer)]; }

void ScriptReader::ForgetTokens()
{
    m_TokenAtPos = std::vector<TokenInfo*>();
    m_TokenCount = 0;
    if (m_Running > 0 || !m_Functions.IsEmpty()) {
        // a construct of the old text still runs (a callback loaded another text), or declared
        // functions still name themselves by kept names: what they hold stays until the next
        // text comes while nothing runs and no function is declared
        for (auto& block : m_TokenBlocks)
            m_RetiredBlocks.push_back(std::move(block));
        if (m_Names)
            m_RetiredNames.push_back(std::move(m_Names));
    } else {
        m_RetiredBlocks.clear();
        m_RetiredNames.clear();
        if (m_ScopeDepth == 0) {  // no place and no scope holds a layout now
            m_Layouts.Reset();
            for (auto& scope : m_Scopes)
                scope->ForgetLayouts();
        }
    }
    m_TokenBlocks.clear();
    m_Names.reset();
}

ScriptReader::TokenInfo* ScriptReader::ReadNewToken()
{
    const int32_t position = m_ReadPos;
    if (position > m_TextLength) {  // past the end the position stays where it is
        m_PastEnd.m_Code = kTokenEnd;
        m_PastEnd.m_Start = m_PastEnd.m_End = position;
        return &m_PastEnd;
    }
    const bool keep = position >= 0;
    if (keep && m_TokenAtPos.empty())
        m_TokenAtPos.assign(size_t(m_TextLength) + 1, nullptr);

    // The first read here: from the text, as GetToken always did (blanks, then the token).
    SkipBlanks();
    const int32_t start = m_ReadPos;
    if (keep && start <= m_TextLength && m_TokenAtPos[size_t(start)]) {
        TokenInfo* token = m_TokenAtPos[size_t(start)];
        m_TokenAtPos[size_t(position)] = token;
        m_ReadPos = token->m_End;
        return token;
    }
    String text;
    const int32_t code = LexToken(text);

    if (m_TokenCount % kTokenBlock == 0)
        m_TokenBlocks.push_back(std::make_unique<TokenInfo[]>(kTokenBlock));
    TokenInfo* token = &m_TokenBlocks.back()[m_TokenCount++ % kTokenBlock];
    token->m_Start = start;
    token->m_End = m_ReadPos;
    token->m_Length = text.GetLength();
    token->m_Code = static_cast<int8_t>(code);
    if (!m_Names)
        m_Names.reset(new KeptNames);
    switch (code) {
    case kTokenCall:
    case kTokenIndexed:
    case kTokenName:
        token->m_Text = KeepName(text.c_str(), text.GetLength());
        token->m_Keyword = static_cast<uint8_t>(GetKeyword(token->m_Text));
        if (code == kTokenCall)
            token->m_Builtin = static_cast<int16_t>(FindBuiltin(token->m_Text));
        break;
    case kTokenDirective: token->m_Text = KeepName(text.c_str(), text.GetLength()); break;
    case kTokenString:
        token->m_Integer = static_cast<int32_t>(m_Names->literals.size());
        m_Names->literals.push_back(std::move(text));
        break;
    case kTokenOperator: token->m_Op = OperatorOf(text.c_str(), text.GetLength()); break;
    case kTokenNumber: {
        // a literal with '.', 'e' or 'E' is a Float; any other is read the same way and truncated
        double number = std::strtod(text.c_str(), nullptr);
        token->m_IsFloat = std::strpbrk(text.c_str(), ".eE") != nullptr;
        if (token->m_IsFloat)
            token->m_Number = number;
        else
            token->m_Integer = ScriptValue::DoubleToInt(number);
        break;
    }
    default: break;
    }
    token->m_Plain = IsPlain(*token);
    if (keep) {
        m_TokenAtPos[size_t(position)] = token;
        if (start <= m_TextLength)
            m_TokenAtPos[size_t(start)] = token;
    }
    return token;
}

int32_t ScriptReader::GetToken(String& out)
{
    out = "";
    const TokenInfo* token = ReadToken();
    switch (token->m_Code) {
    case kTokenCall:
    case kTokenIndexed:
    case kTokenName:
    case kTokenDirective: out = String(token->m_Text, token->m_Length); break;
    case kTokenString: out = LiteralOf(*token); break;
    case kTokenNumber:
    case kTokenOperator: out = String(m_Text.get() + token->m_Start, token->m_Length); break;
    default: break;
    }
    return token->m_Code;
}
