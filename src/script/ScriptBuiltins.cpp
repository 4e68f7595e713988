// ScriptBuiltins: the language's own functions (conversions, arithmetic, random numbers, text),
// tried after the script's functions and before the game's.
#include "script/ScriptReader.h"

#include "base/Random.h"
#include "base/TextFileReaderBase.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// The handler computes the result; false sends the call on to the game-function callback.
using Builtin = bool (*)(ScriptReader& reader, ScriptValue& result, const char* name, ScriptValue* args,
                         int32_t count);

bool InvalidParameters(ScriptReader& reader, const char* name)
{
    reader.Error("Invalid parameters for function '%s'", name);
    return true;
}

// The leading decimal number of the text, after blanks: sign, digits with a point, exponent; 0.0
// when there is none. Hexadecimal, "inf" and "nan" are no numbers to a script, whatever the C
// library reads.
double ReadLeadingNumber(const String& text)
{
    const char* p = text.c_str();
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    return TextFileReaderBase::ConvertDecimal(p);
}

bool ConvertFloat(ScriptReader& reader, ScriptValue& result, const char* name, ScriptValue* args, int32_t count)
{
    if (count != 1)
        return InvalidParameters(reader, name);
    const ScriptValue& a = args[0];
    if (a.m_Type == kScriptVoid)
        reader.Error("Can not convert 'Void' to 'Float'");
    if (a.m_Type == kScriptString)
        result.SetFloat(ReadLeadingNumber(a.m_Text));
    else if (a.IsNumber())
        result.SetFloat(a.GetNumberView());
    else
        return InvalidParameters(reader, name);
    return true;
}

bool ConvertInt(ScriptReader& reader, ScriptValue& result, const char* name, ScriptValue* args, int32_t count)
{
    if (count != 1)
        return InvalidParameters(reader, name);
    const ScriptValue& a = args[0];
    if (a.m_Type == kScriptVoid)
        reader.Error("Can not convert 'Void' to 'Int'");
    if (a.m_Type == kScriptString)
        result.SetInt(ScriptValue::DoubleToInt(ReadLeadingNumber(a.m_Text)));
    else if (a.IsNumber())
        result.SetInt(a.GetIntView());
    else
        return InvalidParameters(reader, name);
    return true;
}

bool ConvertString(ScriptReader& reader, ScriptValue& result, const char* name, ScriptValue* args, int32_t count)
{
    if (count != 1)
        return InvalidParameters(reader, name);
    const ScriptValue& a = args[0];
    char text[64];
    switch (a.m_Type) {
    case kScriptVoid: reader.Error("Can not convert 'Void' to 'String'"); break;
    case kScriptInt: std::snprintf(text, sizeof text, "%i", a.m_Integer); result.SetString(text); break;
    case kScriptFloat: std::snprintf(text, sizeof text, "%g", a.m_Number); result.SetString(text); break;
    case kScriptString: result.SetString(a.m_Text); break;
    default: InvalidParameters(reader, name); break;
    }
    return true;
}

// One Int or Float argument, a Float result; domain errors give NaN or infinities, no message.
bool MathFunction(ScriptReader& reader, ScriptValue& result, const char* name, ScriptValue* args, int32_t count)
{
    if (count != 1 || !args[0].IsNumber())
        return InvalidParameters(reader, name);
    static const struct {
        const char* name;
        double (*function)(double);
    } kFunctions[] = {
        {"exp", [](double x) { return std::exp(x); }},   {"log", [](double x) { return std::log(x); }},
        {"sqrt", [](double x) { return std::sqrt(x); }}, {"abs", [](double x) { return std::fabs(x); }},
        {"sin", [](double x) { return std::sin(x); }},   {"cos", [](double x) { return std::cos(x); }},
        {"tan", [](double x) { return std::tan(x); }},   {"asin", [](double x) { return std::asin(x); }},
        {"acos", [](double x) { return std::acos(x); }}, {"atan", [](double x) { return std::atan(x); }},
    };
    for (const auto& entry : kFunctions)
        if (std::strcmp(entry.name, name) == 0) {
            result.SetFloat(entry.function(args[0].GetNumberView()));
            return true;
        }
    return false;
}

bool Pow(ScriptReader& reader, ScriptValue& result, const char* name, ScriptValue* args, int32_t count)
{
    if (count != 2)
        return InvalidParameters(reader, name);
    float base = static_cast<float>(args[0].GetNumberView());  // the base goes through single precision
    result.SetFloat(std::pow(static_cast<double>(base), args[1].GetNumberView()));
    return true;
}

// min and max keep the first argument's type; the second is converted to it.
bool MinMax(ScriptReader& reader, ScriptValue& result, const char* name, ScriptValue* args, int32_t count)
{
    if (count != 2 || !args[0].IsNumber())
        return InvalidParameters(reader, name);
    bool isMax = name[1] == 'a';
    if (args[0].m_Type == kScriptInt) {
        int32_t a = args[0].m_Integer;
        int32_t b = args[1].GetIntView();
        result.SetInt(isMax ? (a > b ? a : b) : (a < b ? a : b));
    } else {
        double a = args[0].m_Number;
        double b = args[1].GetNumberView();
        result.SetFloat(isMax ? (a > b ? a : b) : (a < b ? a : b));
    }
    return true;
}

// RAD and DEG: built-ins only with one argument; with another count the game may have a function
// of the name.
bool RadOrDeg(ScriptReader&, ScriptValue& result, const char* name, ScriptValue* args, int32_t count)
{
    if (count != 1)
        return false;
    float factor = name[0] == 'R' ? 0.01745329f : 57.29578f;
    result.SetFloat(args[0].GetNumberView() * static_cast<double>(factor));
    return true;
}

// The program-wide generator, so that a seeded game draws the same numbers.
bool Rand(ScriptReader&, ScriptValue& result, const char*, ScriptValue* args, int32_t count)
{
    switch (count) {
    case 0: result.SetFloat(Random::Float01()); return true;
    case 1: result.SetFloat(Random::RandomFloat(static_cast<float>(args[0].GetNumberView()))); return true;
    case 2:
        result.SetFloat(Random::Range(static_cast<float>(args[0].GetNumberView()),
                                      static_cast<float>(args[1].GetNumberView())));
        return true;
    default: return false;
    }
}

bool RandInt(ScriptReader& reader, ScriptValue& result, const char* name, ScriptValue* args, int32_t count)
{
    if (count != 2)
        return InvalidParameters(reader, name);
    result.SetInt(Random::RangeInt(args[0].GetIntView(), args[1].GetIntView()));
    return true;
}

// The text first argument of strlen and strtrim: false when the call is answered already (an
// unevaluated argument gives an unevaluated result; a wrong one is reported).
bool HasTextArgument(ScriptReader& reader, ScriptValue& result, const char* name, ScriptValue* args, int32_t count,
                     int32_t expected)
{
    if (count != expected) {
        InvalidParameters(reader, name);
        return false;
    }
    if (args[0].m_Type == kScriptUnevaluated) {
        result.SetUnevaluated();
        return false;
    }
    if (args[0].m_Type != kScriptString) {
        InvalidParameters(reader, name);
        return false;
    }
    return true;
}

bool StrLen(ScriptReader& reader, ScriptValue& result, const char* name, ScriptValue* args, int32_t count)
{
    if (!HasTextArgument(reader, result, name, args, count, 1))
        return true;
    result.SetInt(args[0].m_Text.TextLength());
    return true;
}

// Characters from..to inclusive, both clamped into the text; empty when to is before from or the
// text is empty.
bool StrTrim(ScriptReader& reader, ScriptValue& result, const char* name, ScriptValue* args, int32_t count)
{
    if (!HasTextArgument(reader, result, name, args, count, 3))
        return true;
    int32_t length = args[0].m_Text.TextLength();
    int32_t last = length - 1;
    int32_t from = args[1].GetIntView();
    int32_t to = args[2].GetIntView();
    from = from < 0 ? 0 : (from > last ? last : from);
    to = to < 0 ? 0 : (to > last ? last : to);
    if (length == 0 || to < from)
        result.SetString("");
    else
        result.SetString(String(args[0].m_Text.c_str() + from, to - from + 1));
    return true;
}

bool LoadString(ScriptReader& reader, ScriptValue& result, const char* name, ScriptValue* args, int32_t count)
{
    if (count != 1 || args[0].m_Type != kScriptString)
        return InvalidParameters(reader, name);
    String contents;
    reader.ReadTextFile(contents, args[0].m_Text.c_str());
    result.SetString(contents);
    return true;
}

// Exact, case-sensitive names.
const struct {
    const char* name;
    Builtin handler;
} kBuiltins[] = {
    {"float", ConvertFloat}, {"int", ConvertInt},     {"string", ConvertString}, {"exp", MathFunction},
    {"log", MathFunction},   {"sqrt", MathFunction},  {"abs", MathFunction},     {"sin", MathFunction},
    {"cos", MathFunction},   {"tan", MathFunction},   {"asin", MathFunction},    {"acos", MathFunction},
    {"atan", MathFunction},  {"pow", Pow},            {"min", MinMax},           {"max", MinMax},
    {"RAD", RadOrDeg},       {"DEG", RadOrDeg},            {"rand", Rand},            {"randInt", RandInt},
    {"strlen", StrLen},      {"strtrim", StrTrim},    {"LoadString", LoadString},
};

}  // namespace

int32_t ScriptReader::FindBuiltin(const char* name)
{
    for (size_t i = 0; i < sizeof kBuiltins / sizeof kBuiltins[0]; i++)
        if (std::strcmp(kBuiltins[i].name, name) == 0)
            return static_cast<int32_t>(i);
    return -1;
}

bool ScriptReader::CallBuiltinAt(int32_t builtin, ScriptValue& result, const char* name, ScriptValue* arguments,
                                 int32_t count)
{
    if (builtin < 0)
        return false;
    ScriptValue value;
    if (!kBuiltins[builtin].handler(*this, value, name, arguments, count))
        return false;
    result = value;
    return true;
}

bool ScriptReader::CallLanguageBuiltin(ScriptValue& result, const char* name, ScriptValue* arguments, int32_t count)
{
    return CallBuiltinAt(FindBuiltin(name), result, name, arguments, count);
}
