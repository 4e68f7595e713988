// ScriptReader variables: declaring, finding, reading and assigning through the scopes, and the
// hand-over of names that no scope holds to the game.
#include "script/ScriptReader.h"

CallScope& ScriptReader::PushScope()
{
    if (m_ScopeDepth == static_cast<int32_t>(m_Scopes.size()))
        m_Scopes.push_back(std::make_unique<CallScope>(*this, m_Layouts));
    CallScope* scope = m_Scopes[m_ScopeDepth++].get();
    m_Innermost = scope;
    return *scope;
}

// The scope's variables end here; the emptied scope waits for the next call.
void ScriptReader::PopScope()
{
    if (m_ScopeDepth > 0) {
        m_Scopes[--m_ScopeDepth]->Clear();
        m_Innermost = m_ScopeDepth > 0 ? m_Scopes[m_ScopeDepth - 1].get() : nullptr;
    }
}

ScriptStackVariable* ScriptReader::FindVariable(const char* name, bool localOnly)
{
    if (CallScope* local = GetInnermostScope())
        if (ScriptStackVariable* variable = local->FindVariable(name))
            return variable;
    return localOnly ? nullptr : m_Global.FindVariable(name);
}

// A name read at the same place finds the same variable while the global scope has not changed
// (a declaration, a clear) and the innermost scope has the same layout: the same slot of this
// call's scope, or the same global variable. The place remembers which, for every later call that
// comes by with the same names declared.
ScriptStackVariable* ScriptReader::FindAndKeepVariable(TokenInfo* site, const char* name)
{
    const uint64_t localKey = ScopeKey();
    if (!site || localKey == CallScope::kNoLayout)
        return FindVariable(name, false);
    const int32_t slot = m_Innermost ? m_Innermost->FindSlot(name) : -1;
    ScriptStackVariable* variable = slot >= 0 ? m_Innermost->GetSlot(slot) : m_Global.FindVariable(name);
    site->m_CacheKey1 = localKey;
    site->m_CacheKey2 = m_Global.GetGeneration();
    site->m_CacheName = name;
    site->m_Cached = variable;
    site->m_CacheSlot = slot;
    return variable;
}

ScriptStackVariable* ScriptReader::DeclareInCurrentScope(const char* name, int32_t type, int32_t count)
{
    CallScope* scope = GetInnermostScope();
    return scope ? scope->AddVariable(name, type, count) : m_Global.AddVariable(name, type, count);
}

ScriptValue& ScriptReader::GetOrDeclareVariable(ScriptValue& result, const char* name, int32_t indexOrSize,
                                                int32_t type)
{
    if (m_SkipMode) {
        result.SetUnevaluated();
        return result;
    }
    if (type >= kScriptVoid && type <= kScriptString) {
        CallScope* local = GetInnermostScope();
        if (local && local->FindVariable(name))
            Error("Variable '%s' already defined", name);
        if (indexOrSize > ScriptStackVariable::kMaxElements)
            Error("Array size %i of variable '%s' exceeds %i", indexOrSize, name, ScriptStackVariable::kMaxElements);
        if (indexOrSize > 0) {
            int64_t total = m_Global.GetElementTotal() + indexOrSize;
            for (int32_t i = 0; i < m_ScopeDepth; i++)
                total += m_Scopes[i]->GetElementTotal();
            if (total > ScriptStackVariable::kMaxScriptElements)
                Error("Arrays of the script exceed %i elements with variable '%s'", ScriptStackVariable::kMaxScriptElements,
                      name);
        }
        ScriptStackVariable* variable = DeclareInCurrentScope(name, type, indexOrSize);
        if (!variable)
            Error("Variable '%s' already in stack", name);
        result = variable->GetFirst();
        return result;
    }
    if (type != kScriptRead)
        Error("Invalid variable type %i for '%s'", type, name);
    return ReadVariableAt(result, nullptr, name, indexOrSize);
}

ScriptValue& ScriptReader::ReadVariableFrom(ScriptValue& result, TokenInfo* site, const char* name, int32_t indexOrSize)
{
    if (m_SkipMode) {
        result.SetUnevaluated();
        return result;
    }
    if (ScriptStackVariable* variable = FindVariableAt(site, name))
        return ReadVariable(result, *variable, indexOrSize);

    if (!m_Callbacks.getVariable)
        Error("Callback functions not set");
    ScriptValue buffer;
    ScriptValue* answer = m_Callbacks.getVariable(&buffer, name, indexOrSize < 0 ? -1 : indexOrSize);
    if (answer)
        result = *answer;
    else
        result.SetVoid();
    return result;
}

ScriptValue& ScriptReader::ReadVariable(ScriptValue& result, ScriptStackVariable& variable, int32_t index)
{
    const char* name = variable.m_Name.c_str();
    if (index < 0) {
        result = variable.GetFirst();
        return result;
    }
    if (!variable.IsArray()) {
        if (variable.m_Type != kScriptString)
            Error("Variable '%s' is none array", name);
        if (index >= variable.m_Text.TextLength())
            Error("Invalid string position %i in variable '%s'", index, name);
        result.SetString(String(variable.m_Text.c_str() + index, 1));
        return result;
    }
    if (index >= variable.m_ElementCount)
        Error("Index %i out of range for variable '%s'", index, name);
    result = variable.GetElement(index);
    return result;
}

void ScriptReader::SetVariable(const char* name, int32_t index, const ScriptValue& value)
{
    SetVariableAt(nullptr, name, index, value);
}

void ScriptReader::SetVariableFrom(TokenInfo* site, const char* name, int32_t index, const ScriptValue& value)
{
    if (m_SkipMode)
        return;
    ScriptStackVariable* variable = FindVariableAt(site, name);
    if (!variable) {
        if (!m_Callbacks.setVariable)
            Error("Callback functions not set");
        ScriptValue copy = value;
        m_Callbacks.setVariable(name, index < 0 ? -1 : index, &copy);
        return;
    }
    ScriptValue* target = &variable->GetFirst();
    if (index >= 0 && !variable->IsArray()) {
        if (variable->m_Type != kScriptString)
            Error("Variable '%s' is none array", name);
        if (index >= variable->m_Text.TextLength())
            Error("Invalid string position %i in variable '%s'", index, name);
        if (value.m_Type == kScriptInt) {
            variable->m_Text.GetBuffer()[index] = static_cast<char>(value.m_Integer & 0xFF);
        } else if (value.m_Type == kScriptString) {
            int64_t length = static_cast<int64_t>(variable->m_Text.GetLength()) - 1 + value.m_Text.TextLength();
            if (length > ScriptValue::kMaxTextLength)
                Error("String of %lld characters exceeds %i", static_cast<long long>(length), ScriptValue::kMaxTextLength);
            variable->m_Text.Replace(index, 1, value.m_Text.c_str());
        } else {
            Error("String elements can only be set to characters");
        }
        return;
    }
    if (index >= 0) {
        if (index >= variable->m_ElementCount)
            Error("Index out of range: %i", index);
        target = &variable->GetElement(index);
    }
    StoreValue(*target, value);
}

// Stores a value by the target's own type.
void ScriptReader::StoreValue(ScriptValue& target, const ScriptValue& value)
{
    if (target.m_Type == kScriptVoid)
        Error("Void variables can not be set");
    if (value.m_Type == kScriptVoid)
        Error("Variables can not be set 'Void'");
    if (value.m_Type != kScriptInt && value.m_Type != kScriptFloat && value.m_Type != kScriptString)
        return;  // Unevaluated and the like leave the target as it is
    switch (target.m_Type) {
    case kScriptInt:
        if (value.m_Type == kScriptString)
            Error("Can not convert 'String' to 'Int'");
        target.m_Integer = value.GetIntView();
        break;
    case kScriptFloat:
        if (value.m_Type == kScriptString)
            Error("Can not convert 'String' to 'Float'");
        target.m_Number = value.GetNumberView();
        break;
    case kScriptString:
        if (value.m_Type != kScriptString)
            Error("Can not convert '%s' to 'String'", ScriptValue::GetTypeName(value.m_Type));
        target.m_Text = value.m_Text;
        break;
    default:
        break;
    }
}
