// ScriptReaderGameEngine: the module's defaults, its error report through the world, its
// position text, and the running module.
#include "world/ScriptReaderGameEngine.h"

#include "world/WorldCtrl.h"

namespace {

// Only one of the game thread and the script threads runs at a time, so one pointer serves all.
ScriptReaderGameEngine* g_CurrentScriptModule = nullptr;

}  // namespace

ScriptReaderGameEngine::ScriptReaderGameEngine()
{
    for (int32_t& value : m_SavedObjVariables)
        value = -1;
}

void ScriptReaderGameEngine::ShowError(const String& text)
{
    m_Reenter = 0;
    SetReturnSuspends(false);
    if (m_World)
        m_World->LogScriptError("Script Error", text.c_str());
    else
        ScriptReader::ShowError(text);
}

String ScriptReaderGameEngine::FormatRunPosition()
{
    String text;
    text.Format("*inline:RunScript:'%s',line:%i*", GetCurrentFileName().c_str(), GetCurrentLineNumber());
    return text;
}

ScriptReaderGameEngine* GetCurrentScriptModule() { return g_CurrentScriptModule; }

RunningModuleScope::RunningModuleScope(ScriptReaderGameEngine* module) : m_Previous(g_CurrentScriptModule)
{
    g_CurrentScriptModule = module;
}

RunningModuleScope::~RunningModuleScope() { g_CurrentScriptModule = m_Previous; }
