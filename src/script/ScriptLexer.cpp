// ScriptReader tokens: blanks and comments, number, name, string and operator tokens, keywords,
// and passing over code without running it.
#include "script/ScriptReader.h"

#include <cstring>
#include <string>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || IsDigit(c); }
bool IsOperatorChar(char c) { return c && std::strchr("!%&'()*+,-./:;<=>?@[\\]^{|}~", c) != nullptr; }

}  // namespace

void ScriptReader::EndOfTextError()
{
    Error("unexpected end of file");
    __builtin_unreachable();  // Error throws, also where a derived reader reports otherwise
}

void ScriptReader::SkipBlanksAndComments()
{
    while (m_ReadPos < m_TextLength) {
        char c = m_Text[m_ReadPos];
        if (static_cast<unsigned char>(c) <= 32) {
            m_ReadPos++;
        } else if (c == '/' && m_ReadPos + 1 < m_TextLength && m_Text[m_ReadPos + 1] == '/') {
            // runs up to and including the next CR or LF (of a CR LF the LF is a blank)
            int32_t end = m_ReadPos + 2;
            while (end < m_TextLength && m_Text[end] != '\r' && m_Text[end] != '\n')
                end++;
            m_ReadPos = end < m_TextLength ? end + 1 : m_TextLength;
        } else if (c == '/' && m_ReadPos + 1 < m_TextLength && m_Text[m_ReadPos + 1] == '*') {
            int32_t end = -1;
            for (int32_t i = m_ReadPos + 2; i + 1 < m_TextLength; i++)
                if (m_Text[i] == '*' && m_Text[i + 1] == '/') {
                    end = i + 2;
                    break;
                }
            if (end < 0) {
                m_ReadPos++;  // errors name the byte before the read position: here the comment's '/'
                Error("Missing '%s'", "*/");
            }
            m_ReadPos = end;
        } else {
            return;
        }
    }
}

// Digits and '.' in any order, and at most one exponent letter with an optional sign after it.
void ScriptReader::ReadNumber(String& out)
{
    int32_t start = m_ReadPos;
    bool exponent = false;
    while (m_ReadPos < m_TextLength) {
        char c = m_Text[m_ReadPos];
        if (IsDigit(c) || c == '.') {
            m_ReadPos++;
        } else if ((c == 'e' || c == 'E') && !exponent) {
            exponent = true;
            m_ReadPos++;
            if (m_ReadPos < m_TextLength && (m_Text[m_ReadPos] == '+' || m_Text[m_ReadPos] == '-'))
                m_ReadPos++;
        } else {
            break;
        }
    }
    out = String(m_Text.get() + start, m_ReadPos - start);
}

// Letters, digits and '_'; a longer run than kMaxNameLength continues as the next token.
void ScriptReader::ReadName(String& out)
{
    int32_t start = m_ReadPos;
    while (m_ReadPos < m_TextLength && m_ReadPos - start < kMaxNameLength && IsNameChar(m_Text[m_ReadPos]))
        m_ReadPos++;
    out = String(m_Text.get() + start, m_ReadPos - start);
}

int32_t ScriptReader::LexToken(String& out)
{
    out = "";
    SkipBlanks();
    if (m_ReadPos >= m_TextLength)
        return kTokenEnd;
    char c = m_Text[m_ReadPos];

    if (c == '"') {
        m_ReadPos++;
        std::string text;
        for (;;) {
            if (m_ReadPos >= m_TextLength)
                Error("End of file in string");
            char ch = m_Text[m_ReadPos++];
            if (ch == '"')
                break;
            if (ch == '\\') {
                ch = GetChar();
                if (ch == 'n' || ch == 'N')
                    ch = '\n';
                else if (ch == '0')
                    ch = 0;
            }
            text += ch;
        }
        out = String(text.data(), static_cast<int32_t>(text.size()));
        return kTokenString;
    }

    if (IsDigit(c)) {
        ReadNumber(out);
        return kTokenNumber;
    }

    if (IsOperatorChar(c)) {
        m_ReadPos++;
        char second = m_ReadPos < m_TextLength ? m_Text[m_ReadPos] : 0;
        bool pair = false;
        if (second == '=' && std::strchr("><!^&%|*/+-~", c))
            pair = true;  // ">=" ... "-=" and "~="
        else if (second == c && std::strchr("+-=|&", c))
            pair = true;  // "++", "--", "==", "||", "&&"
        // A '~' not followed by '=' stands alone, so that the unary '~' of expressions is a token.
        if (pair)
            m_ReadPos++;
        out = String(m_Text.get() + m_ReadPos - (pair ? 2 : 1), pair ? 2 : 1);
        return kTokenOperator;
    }

    if (IsNameStart(c)) {
        ReadName(out);
        SkipBlanks();
        if (m_ReadPos < m_TextLength && m_Text[m_ReadPos] == '(')
            return kTokenCall;
        if (m_ReadPos < m_TextLength && m_Text[m_ReadPos] == '[')
            return kTokenIndexed;
        return kTokenName;
    }

    if (c == '#') {
        m_ReadPos++;
        SkipBlanks();
        ReadName(out);
        return kTokenDirective;
    }

    m_ReadPos++;
    Error("Encountered invalid character: %c (%i)", c, static_cast<int32_t>(static_cast<signed char>(c)));
    return kTokenInvalid;
}

namespace {

// The character that closes a mode's construct, and the message for a text that ends inside it.
char ClosingChar(int32_t mode)
{
    switch (mode) {
    case kModeParen: return ')';
    case kModeBlock: return '}';
    case kModeIndex: return ']';
    case kModeCase: return ':';
    default: return 0;
    }
}

const char* EndOfTextMessage(int32_t mode)
{
    switch (mode) {
    case kModeParen: return "Unexpected end of file: Missing ')'";
    case kModeBlock: return "Unexpected end of file: Missing '}'";
    case kModeIndex: return "Unexpected end of file: Missing ']'";
    case kModeCase: return "Unexpected end of file: Missing ':'";
    default: return "Unexpected end of file";
    }
}

}  // namespace

// Passing over follows the executor's ends of each construct:
// - modes 1, 2, 3 and 5 end after their closing character at their own level; nested (), {}
//   and [] are passed over whole; a closing character of another kind is an error;
// - mode 4 (one call argument) ends after a ',' (4) or the ')' that closes the call (1), or after
//   a ';' (0), at its own level, so the caller knows whether another argument follows;
// - mode 0 ends after its ';', after a complete "if" chain when a name other than "else" (or the
//   end of the text) follows, or before a '}' of the enclosing block once a keyword was read;
//   blocks met on the way (loop bodies) are passed over and the statement goes on.
int32_t ScriptReader::PassOver(int32_t mode)
{
    NestingGuard guard(*this);
    if (m_Abort.load())
        return kStatusAbort;
    SkipBlanks();  // as reading the first token would
    // Passing over from the same token in the same mode ends at the same place (the tokens do not
    // change), unless the nesting met on the way would now go too deep: then it is read again.
    TokenInfo* first = PeekKeptToken();
    if (first && m_UseShortcuts && first->m_PassMode == mode && m_Nesting + first->m_PassDepth <= kMaxNesting) {
        if (m_Nesting + first->m_PassDepth > m_SkipDeepest)
            m_SkipDeepest = m_Nesting + first->m_PassDepth;
        m_ReadPos = first->m_PassEnd;
        return first->m_PassStatus;
    }
    const int32_t start = m_ReadPos;
    const int32_t outerDeepest = m_SkipDeepest;
    m_SkipDeepest = m_Nesting;
    int32_t status = SkipText(mode);
    const int32_t deepest = m_SkipDeepest;
    m_SkipDeepest = deepest > outerDeepest ? deepest : outerDeepest;
    const int32_t restart = m_ReadPos;
    m_ReadPos = start;
    first = status != kStatusAbort ? PeekKeptToken() : nullptr;
    m_ReadPos = restart;
    if (first) {
        first->m_PassMode = static_cast<int8_t>(mode);
        first->m_PassStatus = static_cast<int8_t>(status);
        first->m_PassDepth = static_cast<uint16_t>(deepest - m_Nesting);
        first->m_PassEnd = restart;
    }
    return status;
}

int32_t ScriptReader::SkipText(int32_t mode)
{
    bool keywordRead = false;
    bool ifEnded = false;     // an if chain was just passed over
    bool elseAllowed = false; // ... and may still take its else branch
    for (;;) {
        if (m_Abort.load())
            return kStatusAbort;
        int32_t start = (SkipBlanks(), m_ReadPos);
        const TokenInfo* token = ReadToken();
        int32_t code = token->m_Code;
        bool isName = code == kTokenCall || code == kTokenIndexed || code == kTokenName;
        if (ifEnded) {
            // as the executor: the next name that is not "else" (or the end of the text) is left
            // for the next statement; any other token goes on with this one
            ifEnded = false;
            bool isElse = isName && token->m_Keyword == kKeyElse;
            if (isElse && elseAllowed) {
                int32_t status = SkipBranch();
                if (status == kStatusAbort)
                    return status;
                if (status == kStatusEndOfText)
                    return 0;
                ifEnded = true;
                elseAllowed = false;
                continue;
            }
            if ((isName && !isElse) || code == kTokenEnd) {
                m_ReadPos = start;
                return 0;
            }
        }
        if (code == kTokenEnd) {
            if (mode == kModeStatement)
                return kStatusEndOfText;
            Error("%s", EndOfTextMessage(mode));
        }
        if (code == kTokenOperator && token->m_Length == 1) {
            char c = m_Text[token->m_Start];
            int32_t nested = c == '(' ? kModeParen : c == '{' ? kModeBlock : c == '[' ? kModeIndex : -1;
            if (nested >= 0) {
                int32_t status = SkipStatement(nested);
                if (status == kStatusAbort)
                    return status;
                continue;
            }
            if (mode == kModeStatement && c == ';')
                return 0;
            if (mode == kModeArgument && (c == ',' || c == ')' || c == ';'))
                return c == ',' ? kModeArgument : c == ')' ? kModeParen : 0;
            if (c == ClosingChar(mode))
                return mode;
            if (c == '}' && mode == kModeStatement && keywordRead) {
                m_ReadPos = start;  // left for the enclosing block
                return 0;
            }
            if (c == ')' || c == ']' || c == '}')
                Error("Encountered invalid '%c'", c);
            if (c == ';' && mode == kModeCase)
                Error("Encountered invalid ';'");
            continue;
        }
        if (mode != kModeStatement || !isName)
            continue;
        int32_t keyword = token->m_Keyword;
        if (keyword == kKeyElse)
            Error("Misplaced 'else'");
        keywordRead = keywordRead || keyword != kKeyNone;
        if (keyword != kKeyIf)
            continue;
        // if ( condition ) branch [ else branch ]
        if (code != kTokenCall)
            Error("Keyword 'if' without paramters");
        GetChar();
        if (SkipStatement(kModeParen) == kStatusAbort)
            return kStatusAbort;
        int32_t status = SkipBranch();
        if (status != 0)
            return status;
        ifEnded = true;
        elseAllowed = true;
    }
}

// A branch of "if" or "else": a block when the next byte opens a brace, else one statement.
int32_t ScriptReader::SkipBranch()
{
    SkipBlanks();
    int32_t status;
    if (m_ReadPos < m_TextLength && m_Text[m_ReadPos] == '{') {
        m_ReadPos++;
        status = SkipStatement(kModeBlock);
    } else {
        status = SkipStatement(kModeStatement);
    }
    return status == kModeBlock ? 0 : status;
}

int32_t ScriptReader::FindNextBlockName(String& out)
{
    int32_t code = FindNextBlockNameToken();
    if (code > 0)
        out = m_LastBlockName;
    return code;
}

int32_t ScriptReader::FindNextBlockNameToken()
{
    int32_t braces = 1;  // the current block
    int32_t parens = 0;
    int32_t brackets = 0;
    for (;;) {
        const TokenInfo* token = ReadToken();
        int32_t code = token->m_Code;
        if (code == kTokenEnd)
            return kTokenEnd;
        if (code == kTokenOperator && token->m_Length == 1) {
            switch (m_Text[token->m_Start]) {
            case '(': parens++; break;
            case ')':
                if (--parens < 0)
                    Error("Invalid () block found");
                break;
            case '[': brackets++; break;
            case ']':
                if (--brackets < 0)
                    Error("Invalid [] block found");
                break;
            case '{': braces++; break;
            case '}':
                if (--braces > 0)
                    break;
                if (parens > 0)
                    Error("Invalid () block found");
                if (brackets > 0)
                    Error("Invalid [] block found");
                return 0;
            default: break;
            }
            continue;
        }
        if ((code == kTokenCall || code == kTokenIndexed || code == kTokenName) && braces == 1 && parens == 0 &&
            brackets == 0) {
            m_LastBlockName = token->m_Text;
            m_LastBlockKeyword = token->m_Keyword;
            return code;
        }
    }
}
