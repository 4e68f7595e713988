// ScriptFunctions: declaring script functions, reading calls, the dispatch order (script function,
// built-in, game), calls by name from the game and running a function body in its own scope.
#include "script/ScriptReader.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// "name@count": the function table's key. Built by appending, so no name or count can overflow it.
String FunctionKey(const char* name, int32_t count)
{
    char number[16];
    std::snprintf(number, sizeof number, "@%i", count);
    String key(name);
    key += number;
    return key;
}

// The parameter type of a type keyword; 0 for anything else.
int32_t ParameterType(int32_t keyword)
{
    switch (keyword) {
    case kKeyInt: return kScriptInt;
    case kKeyFloat: return kScriptFloat;
    case kKeyString: return kScriptString;
    default: return 0;
    }
}

// Restores the read position when a call ends, also when an error leaves it.
class ReadPosGuard {
public:
    explicit ReadPosGuard(ScriptReader& reader) : m_Reader(reader), m_Position(reader.GetReadPos()) {}
    ~ReadPosGuard() { m_Reader.SetReadPos(m_Position); }
    ReadPosGuard(const ReadPosGuard&) = delete;
    ReadPosGuard& operator=(const ReadPosGuard&) = delete;

private:
    ScriptReader& m_Reader;
    int32_t m_Position;
};

}  // namespace

void ScriptReader::ParseFunctionDeclaration(const char* name, int32_t returnType)
{
    // The record is built aside and inserted last: a declaration that fails leaves no trace.
    std::vector<std::pair<const char*, int32_t>> parameters;  // kept names, so equal names are one pointer
    SkipBlanks();
    if (PeekChar() == ')') {
        GetChar();
    } else {
        for (;;) {
            const TokenInfo* typeName = ReadToken();
            int32_t type = (typeName->m_Code == kTokenName) ? ParameterType(typeName->m_Keyword) : 0;
            if (type == 0)
                Error("Invalid function declaration");
            const TokenInfo* parameterName = ReadToken();
            if (parameterName->m_Code != kTokenName || parameterName->m_Keyword != kKeyNone)
                Error("Invalid function declaration");
            for (const auto& parameter : parameters)
                if (parameter.first == parameterName->m_Text)  // two parameters of one name cannot both be locals
                    Error("Invalid function declaration");
            parameters.emplace_back(parameterName->m_Text, type);
            SkipBlanks();
            char c = GetChar();
            if (c == ')')
                break;
            if (c != ',')
                Error("Invalid function declaration");
        }
    }

    SkipBlanks();
    char c = PeekChar();
    if (c == ';')
        Error("Function prototypes not supported");
    if (c != '{')
        Error("Invalid function declaration");
    GetChar();
    int32_t bodyStart = m_ReadPos;
    SkipStatement(kModeBlock);

    String key = FunctionKey(name, static_cast<int32_t>(parameters.size()));
    if (m_Functions.Find(key))
        Error("Overloaded function '%s' must be distinguishable by number of arguments", name);
    ScriptFunctionInfo* function = m_Functions.Insert(key);
    if (!function)
        Error("Overloaded function '%s' must be distinguishable by number of arguments", name);
    function->m_BodyStart = bodyStart;
    function->m_Name = name;
    function->m_KeptName = KeepName(name, static_cast<int32_t>(std::strlen(name)));
    function->m_ReturnType = returnType;
    for (const auto& parameter : parameters) {
        ScriptStackVariable* record = function->m_Parameters.GetBySlot(function->m_Parameters.Add());
        record->m_Name = parameter.first;
        record->Init(parameter.second, 0);
    }
}

ScriptValue& ScriptReader::ParseFunctionCall(ScriptValue& result, const char* name)
{
    return ParseCall(result, nullptr, name);
}

ScriptValue& ScriptReader::ParseCall(ScriptValue& result, TokenInfo* site, const char* name)
{
    if (IsSkipMode()) {
        SkipStatement(kModeParen);
        result.SetUnevaluated();
        return result;
    }
    SkipBlanks();
    if (PeekChar() == ')') {
        GetChar();
        return Dispatch(result, site, name, nullptr, 0);
    }
    // The arguments of each nesting level of calls have a block of their own, kept for the next
    // calls: nothing is allocated per call, and a deep recursion does not spend the script
    // thread's stack on them.
    if (m_ArgumentDepth == static_cast<int32_t>(m_ArgumentBlocks.size()))
        m_ArgumentBlocks.push_back(std::make_unique<ScriptValue[]>(ScriptValue::kMaxArguments));
    ScriptValue* arguments = m_ArgumentBlocks[m_ArgumentDepth].get();
    struct Level {
        ScriptReader& reader;
        explicit Level(ScriptReader& r) : reader(r) { reader.m_ArgumentDepth++; }
        ~Level() { reader.m_ArgumentDepth--; }
    } level(*this);
    int32_t count = 0;
    for (;;) {
        if (count == ScriptValue::kMaxArguments)
            Error("Too many arguments (>%i) in function call", ScriptValue::kMaxArguments);
        ScriptValue& argument = arguments[count++];
        argument.m_Text.Release();  // as a fresh value: what the last call left here is gone
        argument.m_Number = 0.0;
        argument.m_Integer = 0;
        argument.m_Type = kScriptVoid;
        int32_t status = kStatusEndOfText;
        ExecuteStatement(argument, kModeArgument, &status, kScriptRead);
        if (status == kModeArgument)
            continue;
        if (status == kModeParen)
            break;
        if (status == kStatusAbort)
            throw ScriptAbort();
        Error("Invalid block in function call");
    }
    return Dispatch(result, site, name, arguments, count);
}

// A script function of that name and count, else a built-in, else the game. The function a call
// site found is remembered there while the function table stays as it was.
ScriptValue& ScriptReader::Dispatch(ScriptValue& result, TokenInfo* site, const char* name, ScriptValue* arguments,
                                    int32_t count)
{
    ScriptFunctionInfo* function = nullptr;
    if (count >= 0 && (count == 0 || arguments)) {
        if (!m_UseShortcuts) {
            function = FindFunction(name, count);
        } else if (site && site->m_CacheKey1 == m_Functions.GetGeneration() && site->m_CacheKey2 == uint64_t(count) &&
                   site->m_CacheName == name) {
            function = static_cast<ScriptFunctionInfo*>(site->m_Cached);
        } else {
            function = FindFunction(name, count);
            if (site) {
                site->m_CacheKey1 = m_Functions.GetGeneration();
                site->m_CacheKey2 = uint64_t(count);
                site->m_CacheName = name;
                site->m_Cached = function;
            }
        }
    }
    if (function && CallFound(*function, arguments, count, &result))
        return result;
    if (CallBuiltinAt(site ? site->m_Builtin : FindBuiltin(name), result, name, arguments, count))
        return result;
    if (!m_Callbacks.callFunction)
        Error("Callback functions not set");
    ScriptValue buffer;
    ScriptValue* answer = m_Callbacks.callFunction(&buffer, name, count > 0 ? arguments : nullptr, count);
    result = answer ? *answer : buffer;
    return result;
}

ScriptValue& ScriptReader::CallBuiltinFunction(ScriptValue& result, const char* name, ScriptValue* arguments,
                                               int32_t count)
{
    return Dispatch(result, nullptr, name, arguments, count);
}

bool ScriptReader::CallFunctionByName(const String& name, ScriptValue* arguments, int32_t count, ScriptValue* result)
{
    return CallFunction(name.c_str(), arguments, count, result);
}

// The game's entry: an abort met inside (the script was stopped) ends the call with Void.
bool ScriptReader::CallFunction(const char* name, ScriptValue* arguments, int32_t count, ScriptValue* result)
{
    RunFrame frame(*this);
    if (!frame.IsOutermost())
        return CallFunctionInternal(name, arguments, count, result);
    try {
        return CallFunctionInternal(name, arguments, count, result);
    } catch (const ScriptAbort&) {
        if (result)
            result->SetVoid();
        return true;
    }
}

bool ScriptReader::CallFunctionInternal(const char* name, ScriptValue* arguments, int32_t count, ScriptValue* result)
{
    if (count < 0 || (count > 0 && !arguments))
        return false;
    ScriptFunctionInfo* found = FindFunction(name, count);
    return found && CallFound(*found, arguments, count, result);
}

// The key "name@count" is built on the stack for the usual names and counts.
ScriptFunctionInfo* ScriptReader::FindFunction(const char* name, int32_t count)
{
    char key[320];
    size_t length = std::strlen(name);
    if (length + 16 > sizeof key || count < 0)
        return m_Functions.Find(FunctionKey(name, count));
    std::memcpy(key, name, length);
    key[length++] = '@';
    char digits[12];
    int32_t n = 0;
    do {
        digits[n++] = static_cast<char>('0' + count % 10);
        count /= 10;
    } while (count > 0);
    while (n > 0)
        key[length++] = digits[--n];
    key[length] = 0;
    return m_Functions.Find(key);
}

bool ScriptReader::CallFound(ScriptFunctionInfo& found, ScriptValue* arguments, int32_t count, ScriptValue* result)
{
    if (found.m_Parameters.GetSize() != count)
        Error("Internal error: inconsistent number of arguments");
    ScriptValue value;
    {
        ReadPosGuard position(*this);
        RunFunction(value, found, found.m_KeptName ? found.m_KeptName : found.m_Name.c_str(), arguments);
    }
    if (result)
        *result = value;
    return true;
}

ScriptValue& ScriptReader::CallScriptFunction(ScriptValue& result, ScriptFunctionInfo& function)
{
    return RunFunction(result, function, function.m_Name.c_str(), nullptr);
}

// The body runs in a scope of its own that holds the parameters. Once the body has started only
// the name, the return type and the body start are used, copied here: declarations (and a reset)
// run by the body may change the function table meanwhile.
ScriptValue& ScriptReader::RunFunction(ScriptValue& result, ScriptFunctionInfo& function, const char* name,
                                       const ScriptValue* arguments)
{
    const int32_t returnType = function.m_ReturnType;
    result.SetVoid();
    m_ReadPos = function.m_BodyStart;
    if (m_ScopeDepth >= kMaxScopes)
        Error("Stack overflow: more than %i function iterations", kMaxScopes);

    // The scope lives exactly as long as the call: an error unwinding through here pops it too.
    // Nesting counts from zero inside each body; the stack limit bounds the whole run.
    struct ScopeGuard {
        ScriptReader& reader;
        int32_t depth;
        int32_t nesting;
        ~ScopeGuard()
        {
            while (reader.m_ScopeDepth > depth)  // Reset of a paused run may have popped it already
                reader.PopScope();
            reader.m_Nesting = nesting;
        }
    } scope{*this, m_ScopeDepth, m_Nesting};
    m_Nesting = 0;
    CallScope& locals = PushScope();

    for (int32_t i = 0; i < function.m_Parameters.GetSize(); i++) {
        const ScriptStackVariable* parameter = function.m_Parameters.GetAt(i);
        ScriptStackVariable* variable = locals.AddVariable(parameter->m_Name.c_str(), parameter->m_Type, 0);
        if (!variable)
            Error("Variable '%s' already defined", parameter->m_Name.c_str());
        if (arguments)
            variable->ConvertFrom(arguments[i]);  // as a fresh parameter record would take it
        else
            static_cast<ScriptValue&>(*variable) = static_cast<const ScriptValue&>(*parameter);
    }

    ScriptValue value;
    int32_t status = kStatusEndOfText;
    ExecuteStatement(value, kModeBlock, &status, kScriptRead);
    if (status == kStatusAbort)
        throw ScriptAbort();
    // inside a function an exit ends only that function
    bool properEnd = status == kModeBlock || status == kStatusReturn || status == kStatusExit;
    if (!properEnd || (returnType != kScriptVoid && value.m_Type == kScriptVoid))
        Error("Invalid return type for function '%s'", name);
    if (returnType == kScriptVoid && value.m_Type != kScriptVoid)
        Error("Function '%s' can not return a value", name);

    result.m_Type = returnType;
    result.ConvertFrom(value);
    return result;
}
