// ScriptFunctions: declaring script functions, reading calls, the dispatch order (script function,
// built-in, game), calls by name from the game and running a function body in its own scope.
#include "script/ScriptReader.h"

#include <cstdio>
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
    std::vector<std::pair<String, int32_t>> parameters;
    SkipBlanks();
    if (PeekChar() == ')') {
        GetChar();
    } else {
        for (;;) {
            String typeName;
            int32_t code = GetToken(typeName);
            int32_t type = (code == kTokenName) ? ParameterType(GetKeyword(typeName.c_str())) : 0;
            if (type == 0)
                Error("Invalid function declaration");
            String parameterName;
            code = GetToken(parameterName);
            if (code != kTokenName || GetKeyword(parameterName.c_str()) != kKeyNone)
                Error("Invalid function declaration");
            for (const auto& parameter : parameters)
                if (parameter.first == parameterName)  // two parameters of one name cannot both be locals
                    Error("Invalid function declaration");
            parameters.emplace_back(parameterName, type);
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
    function->m_ReturnType = returnType;
    for (const auto& parameter : parameters) {
        ScriptStackVariable* record = function->m_Parameters.GetBySlot(function->m_Parameters.Add());
        record->m_Name = parameter.first;
        record->Init(parameter.second, 0);
    }
}

ScriptValue& ScriptReader::ParseFunctionCall(ScriptValue& result, const char* name)
{
    if (IsSkipMode()) {
        SkipStatement(kModeParen);
        result.SetUnevaluated();
        return result;
    }
    SkipBlanks();
    if (PeekChar() == ')') {
        GetChar();
        return CallBuiltinFunction(result, name, nullptr, 0);
    }
    // On the heap: a deep recursion of calls should not spend the script thread's stack on them.
    std::vector<ScriptValue> arguments;
    for (;;) {
        if (arguments.size() == ScriptValue::kMaxArguments)
            Error("Too many arguments (>%i) in function call", ScriptValue::kMaxArguments);
        ScriptValue argument;
        int32_t status = kStatusEndOfText;
        ExecuteStatement(argument, kModeArgument, &status, kScriptRead);
        arguments.push_back(argument);
        if (status == kModeArgument)
            continue;
        if (status == kModeParen)
            break;
        if (status == kStatusAbort)
            throw ScriptAbort();
        Error("Invalid block in function call");
    }
    return CallBuiltinFunction(result, name, arguments.data(), static_cast<int32_t>(arguments.size()));
}

ScriptValue& ScriptReader::CallBuiltinFunction(ScriptValue& result, const char* name, ScriptValue* arguments,
                                               int32_t count)
{
    if (CallFunctionInternal(name, arguments, count, &result))
        return result;
    if (CallLanguageBuiltin(result, name, arguments, count))
        return result;
    if (!m_Callbacks.callFunction)
        Error("Callback functions not set");
    ScriptValue buffer;
    ScriptValue* answer = m_Callbacks.callFunction(&buffer, name, count > 0 ? arguments : nullptr, count);
    result = answer ? *answer : buffer;
    return result;
}

bool ScriptReader::CallFunctionByName(const String& name, ScriptValue* arguments, int32_t count, ScriptValue* result)
{
    return CallFunction(name.c_str(), arguments, count, result);
}

// The game's entry: an abort met inside (the script was stopped) ends the call with Void.
bool ScriptReader::CallFunction(const char* name, ScriptValue* arguments, int32_t count, ScriptValue* result)
{
    if (m_CallDepth > 0)
        return CallFunctionInternal(name, arguments, count, result);
    const char* frame = static_cast<const char*>(__builtin_frame_address(0));
    m_CallDepth++;
    m_StackBase = frame;
    struct DepthGuard {
        ScriptReader& reader;
        ~DepthGuard()
        {
            reader.m_CallDepth--;
            reader.m_StackBase = nullptr;
        }
    } depthGuard{*this};
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
    ScriptFunctionInfo* found = m_Functions.Find(FunctionKey(name, count));
    if (!found)
        return false;

    // A copy: declarations run by the body may change the table while the call runs.
    ScriptFunctionInfo function;
    function.m_BodyStart = found->m_BodyStart;
    function.m_Name = found->m_Name;
    function.m_ReturnType = found->m_ReturnType;
    for (int32_t i = 0; i < found->m_Parameters.GetSize(); i++)
        *function.m_Parameters.GetBySlot(function.m_Parameters.Add()) = *found->m_Parameters.GetAt(i);
    if (function.m_Parameters.GetSize() != count)
        Error("Internal error: inconsistent number of arguments");
    for (int32_t i = 0; i < count; i++)
        function.m_Parameters.GetAt(i)->ConvertFrom(arguments[i]);

    ScriptValue value;
    {
        ReadPosGuard position(*this);
        CallScriptFunction(value, function);
    }
    if (result)
        *result = value;
    return true;
}

ScriptValue& ScriptReader::CallScriptFunction(ScriptValue& result, ScriptFunctionInfo& function)
{
    result.SetVoid();
    m_ReadPos = function.m_BodyStart;
    if (m_Scopes.GetSize() >= kMaxScopes)
        Error("Stack overflow: more than %i function iterations", kMaxScopes);

    // The scope lives exactly as long as the call: an error unwinding through here pops it too.
    // Nesting counts from zero inside each body; the stack limit bounds the whole run.
    struct ScopeGuard {
        ScriptReader& reader;
        int32_t slot;
        int32_t nesting;
        ~ScopeGuard()
        {
            if (reader.m_Scopes.GetBySlot(slot))  // Reset of a paused run may have freed it already
                reader.m_Scopes.Delete(slot);
            reader.m_Nesting = nesting;
        }
    } scope{*this, m_Scopes.Add(), m_Nesting};
    m_Nesting = 0;
    VariableStack* locals = m_Scopes.GetBySlot(scope.slot);
    locals->SetOwner(this);

    for (int32_t i = 0; i < function.m_Parameters.GetSize(); i++) {
        const ScriptStackVariable* parameter = function.m_Parameters.GetAt(i);
        ScriptStackVariable* variable = DeclareInCurrentScope(parameter->m_Name.c_str(), parameter->m_Type, 0);
        if (!variable)
            Error("Variable '%s' already defined", parameter->m_Name.c_str());
        static_cast<ScriptValue&>(*variable) = static_cast<const ScriptValue&>(*parameter);
    }

    ScriptValue value;
    int32_t status = kStatusEndOfText;
    ExecuteStatement(value, kModeBlock, &status, kScriptRead);
    if (status == kStatusAbort)
        throw ScriptAbort();
    // inside a function an exit ends only that function
    bool properEnd = status == kModeBlock || status == kStatusReturn || status == kStatusExit;
    if (!properEnd || (function.m_ReturnType != kScriptVoid && value.m_Type == kScriptVoid))
        Error("Invalid return type for function '%s'", function.m_Name.c_str());
    if (function.m_ReturnType == kScriptVoid && value.m_Type != kScriptVoid)
        Error("Function '%s' can not return a value", function.m_Name.c_str());

    result.m_Type = function.m_ReturnType;
    result.ConvertFrom(value);
    return result;
}
