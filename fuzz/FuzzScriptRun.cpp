// FuzzScriptRun: a whole fuzzed script run on the calling thread, twice, with the same outcome
// and the same global variables both times.
//
// A script may rightly run forever or fill memory, so only scripts whose work is bounded by their
// length are run: no loops, no script functions (no recursion), a few string-growing operations
// (each may double a text), array sizes given by small literals or by at most a few variables.
// "include" and "LoadString" are spelled otherwise, so no file is read.
#include "FuzzTarget.h"

#include "base/Random.h"
#include "script/ScriptReader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int32_t kMaxGrowingOperations = 6;  // "+", "+=" and character replacements
constexpr int32_t kMaxLiteralSize = 4096;     // elements of an array sized by a literal
constexpr int32_t kMaxNamedSizes = 4;         // arrays sized by a variable (at most 1 << 20 each)

// Names no scope holds: reads give Int 1, calls Int 0, assignments go nowhere.
ScriptValue* GetGameVariable(ScriptValue* result, const char*, int32_t)
{
    result->SetInt(1);
    return result;
}
ScriptValue* CallGameFunction(ScriptValue* result, const char*, ScriptValue*, int32_t)
{
    result->SetInt(0);
    return result;
}
void SetGameVariable(const char*, int32_t, ScriptValue*) {}

struct Token {
    int32_t code;
    std::string text;
};

bool IsName(int32_t code) { return code == kTokenName || code == kTokenCall || code == kTokenIndexed; }

// True when the script's work is bounded by its length (see above).
bool IsBounded(ScriptReader& reader)
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

struct Outcome {
    int32_t type = -1;
    std::string value;  // the final value's text, number or integer
    std::string error;
    std::vector<uint8_t> globals;  // the global scope in the save format
};

Outcome RunOnce(ScriptReader& reader)
{
    Outcome outcome;
    Random::Seed(1);
    try {
        ScriptValue value = reader.Execute();
        outcome.type = value.m_Type;
        outcome.value = value.m_Type == kScriptString  ? value.m_Text.c_str()
                        : value.m_Type == kScriptFloat ? std::to_string(value.m_Number)
                                                       : std::to_string(value.m_Integer);
    } catch (const ErrorMsg& error) {
        outcome.error = error.message;
    }
    File file;
    file.CreateMemoryFile(0);
    reader.GetGlobalScope().Save(file);
    outcome.globals.assign(file.GetMemoryBuffer(), file.GetMemoryBuffer() + file.GetSize());
    return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size > (1 << 14))
        return 0;
    const std::string text = Fuzz::ScriptText(data, size, {"include", "LoadString"});

    ScriptReader reader;
    reader.SetThreaded(false);
    if (!reader.LoadInline(text.c_str()))
        return 0;
    ScriptGameCallbacks callbacks;
    callbacks.getVariable = GetGameVariable;
    callbacks.callFunction = CallGameFunction;
    callbacks.setVariable = SetGameVariable;
    reader.SetGameCallbacks(callbacks);
    if (!IsBounded(reader))
        return 0;

    const Outcome first = RunOnce(reader);
    reader.Reset();
    const Outcome second = RunOnce(reader);
    if (first.type != second.type || first.value != second.value || first.error != second.error)
        Fuzz::Finding("a second run of the same script ended otherwise");
    if (first.globals != second.globals)
        Fuzz::Finding("a second run of the same script left other global variables");
    return 0;
}
