// FuzzScriptReader: arbitrary text loaded as an inline script (includes turned into unknown
// directives, so no file is read), then tokenised, passed over statement by statement and group by
// group, searched for block names, and read as expressions over a few declared variables.
#include "FuzzTarget.h"

#include "script/ScriptReader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int32_t kMaxStarts = 64;         // groups passed over from their opening character
constexpr int32_t kMaxExpressionDepth = 32;  // "(" groups read recursively by Collect

// Names no scope holds read as Void; assignments to them and calls go nowhere.
ScriptValue* GetGameVariable(ScriptValue* result, const char*, int32_t)
{
    result->SetVoid();
    return result;
}
ScriptValue* CallGameFunction(ScriptValue* result, const char*, ScriptValue*, int32_t)
{
    result->SetInt(0);
    return result;
}
void SetGameVariable(const char*, int32_t, ScriptValue*) {}

// Progress of a pass: each step must move on, and a pass ends within the text.
void CheckMoved(int32_t before, int32_t after, int32_t length)
{
    if (after <= before || after > length)
        Fuzz::Finding("a step read nothing or went past the text");
}

void Tokenise(ScriptReader& reader)
{
    String token;
    reader.SetReadPos(0);
    for (;;) {
        const int32_t before = reader.GetReadPos();
        const int32_t code = reader.GetToken(token);
        if (code == kTokenEnd)
            return;
        CheckMoved(before, reader.GetReadPos(), reader.GetTextLength());
        if ((code == kTokenName || code == kTokenCall || code == kTokenIndexed) &&
            token.GetLength() > ScriptReader::kMaxNameLength)
            Fuzz::Finding("a name token longer than names may be");
        if (code == kTokenOperator && (token.GetLength() < 1 || token.GetLength() > 2))
            Fuzz::Finding("an operator token of another length than 1 or 2");
        reader.GetCurrentLineNumber();
    }
}

// Statement after statement from the start, as a run that reads nothing would.
void SkipStatements(ScriptReader& reader)
{
    reader.SetReadPos(0);
    for (int32_t n = 0; n <= reader.GetTextLength(); n++) {
        const int32_t before = reader.GetReadPos();
        int32_t status;
        try {
            status = reader.SkipStatement(kModeStatement);
        } catch (const ErrorMsg&) {
            return;  // a closing character of another kind, a misplaced else, an open group
        }
        if (status == kStatusEndOfText)
            return;
        if (reader.GetReadPos() == before) {  // a '}' left for an enclosing block that is not there
            String token;
            reader.GetToken(token);
        }
    }
    Fuzz::Finding("passing over statements does not end");
}

// Each group passed over from just after its opening character must end just after its closing
// one; call arguments end at ',' or the call's ')'.
void SkipGroups(ScriptReader& reader)
{
    const char* text = reader.GetText();
    const int32_t length = reader.GetTextLength();
    String token;
    int32_t starts = 0;
    reader.SetReadPos(0);
    while (starts < kMaxStarts) {
        const int32_t code = reader.GetToken(token);
        if (code == kTokenEnd)
            break;
        if (code != kTokenOperator || token.GetLength() != 1 || !std::strchr("({[", token.c_str()[0]))
            continue;
        const int32_t resume = reader.GetReadPos();
        const char open = token.c_str()[0];
        const int32_t mode = open == '(' ? kModeParen : open == '{' ? kModeBlock : kModeIndex;
        const char close = open == '(' ? ')' : open == '{' ? '}' : ']';
        starts++;
        try {
            if (reader.SkipStatement(mode) != mode)
                Fuzz::Finding("a group passed over ended with another status");
            const int32_t end = reader.GetReadPos();
            if (end <= resume || end > length || text[end - 1] != close)
                Fuzz::Finding("a group passed over did not end after its closing character");
        } catch (const ErrorMsg&) {
        }
        if (open == '(') {  // the same group as call arguments
            reader.SetReadPos(resume);
            try {
                for (int32_t n = 0; n <= length; n++) {
                    const int32_t before = reader.GetReadPos();
                    const int32_t status = reader.SkipStatement(kModeArgument);
                    if (status != kModeArgument)
                        break;
                    CheckMoved(before, reader.GetReadPos(), length);
                }
            } catch (const ErrorMsg&) {
            }
        }
        if (open == '{') {  // the names at the block's own level
            reader.SetReadPos(resume);
            try {
                String name;
                for (int32_t n = 0; n <= length; n++) {
                    const int32_t before = reader.GetReadPos();
                    const int32_t code = reader.FindNextBlockName(name);
                    if (code == 0 || code == kTokenEnd)
                        break;
                    CheckMoved(before, reader.GetReadPos(), length);
                }
            } catch (const ErrorMsg&) {
            }
        }
        reader.SetReadPos(resume);
    }
}

// The items of a plain expression as the statement executor lists them: literals and variables
// become values, names references, "( ... )" one value; stops after ')' or ';' or at the end.
void Collect(ScriptReader& reader, ExpressionList& list, int32_t depth)
{
    if (depth > kMaxExpressionDepth)
        reader.Error("expression nested too deep for the fuzz target");
    String token;
    for (int32_t code; (code = reader.GetToken(token)) != kTokenEnd;) {
        if (code == kTokenOperator && (token == ")" || token == ";"))
            return;
        CompilerArgument& item = *list.GetBySlot(list.Add());
        item.m_Token = token;
        item.m_Kind = code;
        if (code == kTokenNumber) {
            double number = std::strtod(token.c_str(), nullptr);
            if (std::strpbrk(token.c_str(), ".eE"))
                item.m_Value.SetFloat(number);
            else
                item.m_Value.SetInt(ScriptValue::DoubleToInt(number));
        } else if (code == kTokenString) {
            item.m_Value.SetString(token);
        } else if (code == kTokenName || code == kTokenIndexed) {
            if (code == kTokenIndexed) {
                reader.GetChar();
                String index;
                reader.GetToken(index);
                reader.GetToken(token);  // "]"
                item.m_ElementIndex = std::atoi(index.c_str());
            }
            item.m_Kind = CompilerArgument::kReference;
            reader.GetOrDeclareVariable(item.m_Value, item.m_Token.c_str(), item.m_ElementIndex, kScriptRead);
        } else if (code == kTokenOperator && token == "(") {
            ExpressionList inner;
            Collect(reader, inner, depth + 1);
            reader.EvaluateExpression(item.m_Value, inner);
            item.m_Kind = CompilerArgument::kComputed;
        }
    }
}

void Declare(ScriptReader& reader, const char* name, int32_t type, int32_t count = 0)
{
    ScriptValue unused;
    reader.GetOrDeclareVariable(unused, name, count, type);
}

void Evaluate(ScriptReader& reader)
{
    ScriptValue v;
    Declare(reader, "i", kScriptInt);
    reader.SetVariable("i", -1, (v.SetInt(5), v));
    Declare(reader, "f", kScriptFloat);
    reader.SetVariable("f", -1, (v.SetFloat(2.5), v));
    Declare(reader, "s", kScriptString);
    reader.SetVariable("s", -1, (v.SetString("abc"), v));
    Declare(reader, "v", kScriptVoid);
    Declare(reader, "a", kScriptInt, 3);
    Declare(reader, "t", kScriptString, 2);
    reader.SetReadPos(0);
    for (int32_t n = 0; n <= reader.GetTextLength() && reader.GetReadPos() < reader.GetTextLength(); n++) {
        const int32_t before = reader.GetReadPos();
        try {
            ExpressionList list;
            Collect(reader, list, 0);
            ScriptValue result;
            reader.EvaluateExpression(result, list);
        } catch (const ErrorMsg&) {
            // type rules, division by zero, indexes out of range, lists that are no expression
        }
        if (reader.GetReadPos() <= before)
            reader.SetReadPos(before + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size > (1 << 16))
        return 0;
    const std::string text = Fuzz::ScriptText(data, size, {"include"});

    ScriptReader reader;
    ScriptGameCallbacks callbacks;
    callbacks.getVariable = GetGameVariable;
    callbacks.callFunction = CallGameFunction;
    callbacks.setVariable = SetGameVariable;
    if (!reader.LoadInline(text.c_str()))
        return 0;  // an invalid character, an open string or comment, an unknown directive
    reader.SetGameCallbacks(callbacks);
    if (reader.GetTextLength() != int32_t(text.size()))
        Fuzz::Finding("an inline script without includes changed its length");
    for (int32_t i = 1; i < reader.GetLineCount(); i++)
        if (reader.GetLineEntry(i)->m_Start <= reader.GetLineEntry(i - 1)->m_Start)
            Fuzz::Finding("line entries out of order");

    try {
        Tokenise(reader);
    } catch (const ErrorMsg& e) {
        Fuzz::Finding(e.message);  // the load already read every token
    }
    SkipStatements(reader);
    SkipGroups(reader);
    Evaluate(reader);
    return 0;
}
