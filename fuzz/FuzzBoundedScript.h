// FuzzBoundedScript: whether a fuzzed script's work is bounded by its length. A script may rightly
// run forever or fill memory, so the targets run only scripts with no loops, no script functions
// (no recursion), a few string-growing operations (each may double a text), and array sizes given
// by small literals or by at most a few variables.
#pragma once
#include "script/ScriptReader.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace Fuzz {

constexpr int32_t kMaxGrowingOperations = 6;  // "+", "+=" and character replacements
constexpr int32_t kMaxLiteralSize = 4096;     // elements of an array sized by a literal
constexpr int32_t kMaxNamedSizes = 4;         // arrays sized by a variable (at most 1 << 20 each)

struct Token {
    int32_t code;
    std::string text;
};

inline bool IsName(int32_t code) { return code == kTokenName || code == kTokenCall || code == kTokenIndexed; }

// True when the script's work is bounded by its length (see above).
inline bool IsBounded(ScriptReader& reader)
{
    std::vector<Token> tokens;
    String token;
    reader.SetReadPos(0);
    for (int32_t code; (code = reader.GetToken(token)) != kTokenEnd;)
        tokens.push_back(Token{code, std::string(token.c_str(), size_t(token.GetLength()))});
    reader.SetReadPos(0);

    int32_t growing = 0;
    int32_t namedSizes = 0;
    for (size_t i = 0; i < tokens.size(); i++) {
        const Token& t = tokens[i];
        const int32_t keyword = IsName(t.code) ? ScriptReader::GetKeyword(t.text.c_str()) : kKeyNone;
        if (keyword == kKeyWhile || keyword == kKeyFor || keyword == kKeyDo)
            return false;
        const bool typeName = keyword >= kKeyInt && keyword <= kKeyVoid && t.code == kTokenName;
        if (typeName && i + 1 < tokens.size() && tokens[i + 1].code == kTokenCall)
            return false;  // a function declaration
        if (t.code == kTokenOperator &&
            (t.text == "+" || t.text == "+=" || (t.text == "=" && i > 0 && tokens[i - 1].text == "]")))
            growing++;
        if (t.code == kTokenIndexed) {
            if (i + 3 >= tokens.size() || tokens[i + 1].text != "[" || tokens[i + 3].text != "]")
                return false;
            const Token& size = tokens[i + 2];
            if (size.code == kTokenNumber) {
                if (std::strtod(size.text.c_str(), nullptr) > kMaxLiteralSize)
                    return false;
            } else if (size.code != kTokenName || ++namedSizes > kMaxNamedSizes) {
                return false;
            }
        }
    }
    return growing <= kMaxGrowingOperations;
}

}  // namespace Fuzz
