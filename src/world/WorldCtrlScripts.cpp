// WorldCtrl: running scripts: the script modules, the running-script stack, execution on the
// script threads, re-entry and its refusals, inline scripts, script errors and the interactive
// scene's start and end.
//
// A script runs on a thread of the world's pool while the thread that started it waits, so the
// stack, the running module and the object variables are shared without locks. A re-entry
// function (one that must wait for the game, such as a timed wait or a menu) asks
// CheckReenterAllowed: the running script then pauses at its next return, keeping its thread,
// until its reenter event resumes it right after that return.
#include "world/WorldCtrl.h"

#include "base/File.h"
#include "base/Log.h"
#include "engine/gfx/DXC_Gfx.h"
#include "world/GameCtrlInterface.h"
#include "world/WorldElem.h"
#include "world/WorldEventPayloads.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// A script read from a plain file (not from the packed container) may have been edited.
bool IsPlainFile(const char* name)
{
    File file;
    return file.Open(String(name), true, File::kDiskFile, false) && file.GetCompression() == 0;
}

// Sets a value for a scope and gives the old one back on every way out.
template <class T> class ValueScope {
public:
    ValueScope(T& value, T during) : m_Value(value), m_Saved(value) { m_Value = during; }
    ~ValueScope() { m_Value = m_Saved; }
    ValueScope(const ValueScope&) = delete;
    ValueScope& operator=(const ValueScope&) = delete;

private:
    T& m_Value;
    T m_Saved;
};

}  // namespace

bool WorldCtrl::IsScriptFileName(const char* text)
{
    const size_t length = text ? std::strlen(text) : 0;
    for (const char* ending : {".txt", ".c", ".cpp"}) {
        const size_t n = std::strlen(ending);
        if (length >= n && String::CompareNoCase(text + length - n, ending) == 0)
            return true;
    }
    return false;
}

int32_t WorldCtrl::AddScriptModule(uint8_t runFlags, uint8_t keepLoaded)
{
    const int32_t id = m_ScriptModules.Add();
    ScriptReaderGameEngine& module = *m_ScriptModules.GetBySlot(id);
    SetUpScriptModule(module);
    module.m_ScriptID = id;
    module.m_RunFlags = runFlags;
    module.m_KeepLoaded = keepLoaded;
    return id;
}

void WorldCtrl::SetUpScriptModule(ScriptReaderGameEngine& module)
{
    module.SetWorld(this);
    module.SetThreadPool(&m_ScriptThreads);
    module.SetGameCallbacks(GetCtrl().GetScriptCallbacks());
    module.AddPathReplace("LANG\\", m_LanguageDir.c_str());
}

void WorldCtrl::RunScriptText(const String& text, WorldElemBase* elem, int32_t context, int32_t currentObj,
                              const char* label, uint8_t callMode, uint8_t runFlags)
{
    GameCtrlInterface& ctrl = GetCtrl();
    // Object variable 0 names the element for the run and gets its old value back on every way
    // out, a failing script included.
    struct ObjVariableScope {
        GameCtrlInterface* ctrl = nullptr;
        int32_t saved = 0;
        ~ObjVariableScope()
        {
            if (ctrl)
                ctrl->SetObjScriptVariable(0, saved);
        }
    } objVariable;
    if (currentObj) {
        objVariable.saved = ctrl.GetObjScriptVariable(0);
        objVariable.ctrl = &ctrl;
        ctrl.SetObjScriptVariable(0, elem ? elem->m_ObjID : -1);
    }

    if (IsScriptFileName(text.c_str())) {
        for (int32_t id = m_ScriptModules.NextUsedSlot(-1); id >= 0; id = m_ScriptModules.NextUsedSlot(id)) {
            ScriptReaderGameEngine* module = m_ScriptModules.GetBySlot(id);
            if (module && module->m_Finished && module->m_SourceName.EqualsNoCase(text)) {
                module->Reset();
                ExecuteScript(id, context, callMode);
                return;
            }
        }
        const int32_t id = AddScriptModule(runFlags, 1);
        ScriptReaderGameEngine& module = *m_ScriptModules.GetBySlot(id);
        module.m_SourceName = text;
        // A module that failed to load or holds nothing would never finish, so it would never be
        // reused: it goes at once.
        if (!module.LoadFile(text.c_str()) || module.GetTextLength() == 0) {
            m_ScriptModules.Delete(id);
            return;
        }
        if (IsPlainFile(text.c_str()))
            ctrl.SetSplitValueToOne();
        ExecuteScript(id, context, callMode);
        return;
    }

    String inlineText(text);
    for (char* c = inlineText.GetBuffer(); c && *c; c++)
        if (*c == '\'')
            *c = '"';  // snippets in configuration values cannot hold double quotes
    const int32_t id = AddScriptModule(runFlags, 0);
    if (!m_ScriptModules.GetBySlot(id)->LoadInline(inlineText.c_str(), label && *label ? label : nullptr)) {
        m_ScriptModules.Delete(id);
        return;
    }
    ExecuteScript(id, context, callMode);
}

void WorldCtrl::ExecuteScript(int32_t scriptID, int32_t context, uint8_t callMode)
{
    ScriptReaderGameEngine* module = GetScriptModule(scriptID);
    if (!module)
        Error("Tried to execute invalid script: %i", scriptID);
    GameCtrlInterface& ctrl = GetCtrl();
    if (!ctrl.CanRunScriptLocally(module->m_RunFlags))
        return;

    // The stack entry goes on every way out; the stack is empty between frames.
    struct StackEntry {
        std::vector<int32_t>& stack;
        ~StackEntry()
        {
            if (!stack.empty())
                stack.pop_back();
        }
    } entry{m_ScriptStack};
    m_ScriptStack.push_back(scriptID);

    if (module->m_Reenter) {  // resumed: the variables of the moment it paused are back
        for (int32_t i = 0; i < ScriptReaderGameEngine::kObjVariables; i++)
            ctrl.SetObjScriptVariable(i, module->m_SavedObjVariables[i]);
        module->m_Reenter = 0;
    }
    module->m_ScriptID = scriptID;
    module->m_Context = context;
    module->m_CallMode = callMode;
    module->m_Finished = 0;
    {
        // A module started from inside another takes over its run flags for this run.
        ScriptReaderGameEngine* caller = GetCurrentScriptModule();
        const uint8_t inherited = caller && caller != module && caller->m_RunFlags < ScriptReaderGameEngine::kNoRunFlags
                                      ? caller->m_RunFlags
                                      : module->m_RunFlags;
        ValueScope<uint8_t> runFlags(module->m_RunFlags, inherited);
        ValueScope<uint8_t> active(module->m_Active, 1);
        RunningModuleScope running(module);
        m_ScriptResult = module->Execute();
        module->m_Finished = module->IsDone() ? 1 : 0;
    }

    if (module->m_GlobalFunction)
        m_GlobalFunctionCount = 0;
    if (module->m_Finished) {
        if (module->m_Reenter) {
            module->m_ScriptID = -1;
            module->m_Reenter = 0;  // a later run of a kept module is not a resumption
            ctrl.ScriptError("Reenter function without 'return'");
            DropLastReenterEvent();
        }
        if (!(module->m_KeepLoaded == 1 && ctrl.GetDebugMode() == 0))
            m_ScriptModules.Delete(scriptID);  // in debug mode an edited file is read again next time
    }
    if (m_ScriptStack.empty())
        Error("Internal error:Empty script stack");
}

void WorldCtrl::ReleaseScriptModules(const String& fileName)
{
    for (int32_t id = m_ScriptModules.NextUsedSlot(-1); id >= 0; id = m_ScriptModules.NextUsedSlot(id)) {
        ScriptReaderGameEngine* module = m_ScriptModules.GetBySlot(id);
        if (module && !module->m_Active && module->m_SourceName.EqualsNoCase(fileName))
            m_ScriptModules.Delete(id);  // a module running now stays: its thread still reads it
    }
}

void WorldCtrl::RunInlineScript(const char* text, WorldElemBase* elem, float delay, uint8_t currentObj,
                                const char* label, uint8_t runFlags)
{
    if (!text || !*text)
        return;
    if (std::strlen(text) >= 255)
        Error("Inline scripts may not be longer than 256");
    GameCtrlInterface& ctrl = GetCtrl();
    ScriptEventRecord record;
    String::CopySized(record.text, ScriptEventRecord::kMaxText + 1, text);
    String::CopySized(record.label, ScriptEventRecord::kMaxText + 1, label ? label : "");
    for (int32_t i = 0; i < ScriptEventRecord::kObjVariables; i++)
        record.objVariables[i] = ctrl.GetObjScriptVariable(i);
    record.elem.Set(elem);
    record.currentObj = currentObj;
    record.runFlags = runFlags;
    WorldEvent event;
    event.time = delay > 0.0f ? double(delay) + ctrl.GetGameTime() : double(delay);
    record.Write(event);
    ctrl.AddGameEvent(&event);
}

void WorldCtrl::ReenterScript(int32_t scriptID)
{
    GameCtrlInterface& ctrl = GetCtrl();
    if (ctrl.IsShuttingDown())
        return;
    if (!GetScriptModule(scriptID))
        Error("Tried to reenter invalid script: %i", scriptID);
    WorldEvent event;
    IDEventRecord{scriptID}.Write(event, WorldEventType::kReenter);
    ctrl.AddGameEvent(&event);
}

void WorldCtrl::CheckReenterAllowed(int32_t mode)
{
    if (m_InteractiveRunning)
        Error("Can not call reenter functions from interactive scenes !");
    if (m_GlobalFunctionCount > 0)
        Error("Can not call reenter functions from global script functions. Use '#include' instead !");
    ScriptReaderGameEngine* top = GetScriptModule(GetCurrentScriptID());
    if (!top)
        Error("CurScript invalid !");
    if (m_ScriptStack.size() > 1) {
        ScriptReaderGameEngine* parent = GetScriptModule(m_ScriptStack[m_ScriptStack.size() - 2]);
        const String file = parent ? parent->GetCurrentFileName() : String();
        const int32_t line = parent ? parent->GetCurrentLineNumber() : 0;
        Error("Can not call reenter functions from sub-scripts, parent script: '%s', line:%i", file.c_str(), line);
    }
    if (mode == 0)
        return;
    if (mode != 1)
        Error("Invalid script reenter mode");

    // The running module is the stack's top, unless a module runs for it without a place on the
    // stack (a strategy's score script), which is then the one asked to pause.
    ScriptReaderGameEngine* current = GetCurrentScriptModule() ? GetCurrentScriptModule() : top;
    GameCtrlInterface& ctrl = GetCtrl();
    if (current->m_Reenter) {
        current->m_ScriptID = -1;
        ctrl.ScriptError("Multiple call of re-enter function. Possibly missing 'return'.");
        DropLastReenterEvent();
    }
    current->m_Reenter = 1;
    for (int32_t i = 0; i < ScriptReaderGameEngine::kObjVariables; i++)
        current->m_SavedObjVariables[i] = ctrl.GetObjScriptVariable(i);
    current->SetReturnSuspends(true);
}

bool WorldCtrl::IsAnyScriptActive()
{
    for (int32_t id = m_ScriptModules.NextUsedSlot(-1); id >= 0; id = m_ScriptModules.NextUsedSlot(id))
        if (ScriptReaderGameEngine* module = m_ScriptModules.GetBySlot(id); module && module->m_Active)
            return true;
    return false;
}

void WorldCtrl::ResetScriptModules()
{
    for (int32_t id = m_ScriptModules.NextUsedSlot(-1); id >= 0; id = m_ScriptModules.NextUsedSlot(id))
        if (ScriptReaderGameEngine* module = m_ScriptModules.GetBySlot(id))
            module->Reset();
    m_GlobalFunctionCount = 0;
}

void WorldCtrl::DropReenterEvents()
{
    for (DynaMem<WorldEvent, 4096, 1>& queue : m_EventQueues)
        for (int32_t slot = queue.NextUsedSlot(-1); slot >= 0; slot = queue.NextUsedSlot(slot))
            if (WorldEvent* event = queue.GetBySlot(slot); event && event->type == WorldEventType::kReenter)
                queue.Delete(slot);
}

// The newest events are those of the queue that takes new events, and its highest slots.
void WorldCtrl::DropLastReenterEvent()
{
    GameCtrlInterface& ctrl = GetCtrl();
    for (int32_t pass = 0; pass < 2; pass++) {
        DynaMem<WorldEvent, 4096, 1>& queue = m_EventQueues[(m_CurrentQueue + pass) & 1];
        for (int32_t slot = queue.GetCapacity() - 1; slot >= 0; slot--) {
            WorldEvent* event = queue.GetBySlot(slot);
            if (event && ctrl.IsReenterEndCode(*event)) {
                queue.Delete(slot);
                return;
            }
        }
    }
}

void WorldCtrl::ReportScriptError(const char* format, ...)
{
    char message[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    if (ScriptReaderGameEngine* module = GetScriptModule(GetCurrentScriptID()))
        ErrorClass::Error("Script '%s' line %i error: %s", module->GetCurrentFileName().c_str(),
                          module->GetCurrentLineNumber(), message);
    ErrorClass::Error("%s", message);
}

void WorldCtrl::LogScriptError(const char* title, const char* message)
{
    GameCtrlInterface& ctrl = GetCtrl();
    String line;
    line.Format("%s: %s, level:%s", title, message, GetFileName().c_str());
    if (WorldElem* hero = ctrl.GetMainChar()) {
        const D3DXVECTOR2 pos = hero->GetPos();
        String at;
        at.Format(";heropos:%i,%i", int32_t(std::lround(pos.x)), int32_t(std::lround(pos.y)));
        line += at;
    }
    Log::Write("%s", line.c_str());
    ctrl.ShowErrorMessage(message);
}

bool WorldCtrl::LoadInteractiveScene(const char* name, bool asReenter)
{
    // A scene that fails to start leaves no script waiting for it.
    struct WaitingScope {
        int32_t& waiting;
        int32_t saved;
        bool started = false;
        ~WaitingScope()
        {
            if (!started)
                waiting = saved;
        }
    } waiting{m_WaitingScript, m_WaitingScript};
    if (asReenter) {
        if (m_WaitingScript != -1)
            Error("Can not load interactive scene from another interactive scene as reenter function");
        CheckReenterAllowed(1);
        m_WaitingScript = GetCurrentScriptID();
    } else {
        m_WaitingScript = -1;
    }
    if (!m_InteractiveScene.IsInitialized() && (!g_Gfx || g_Gfx->IsDedicated())) {
        // Nothing shows a scene here: it ends as it is asked for, and a script that waits for
        // its end goes on with the next event pass instead of waiting for ever.
        Warning("Interactive scene '%s' is not run on the dedicated server", name ? name : "");
        waiting.started = true;
        ExitInteractiveScene();
        return false;
    }
    ValueScope<uint8_t> inScene(m_InteractiveRunning, 1);
    m_InteractiveScene.Enable(true);
    m_InteractiveScene.Show(true);
    const String& loaded = m_InteractiveScene.GetFileName();
    if (GetCtrl().GetDebugMode() == 0 && !loaded.IsEmpty() && loaded.EqualsNoCase(name))
        m_InteractiveScene.Restart();
    else
        m_InteractiveScene.Load(name);
    waiting.started = true;
    return true;
}

void WorldCtrl::ExitInteractiveScene()
{
    {
        ValueScope<uint8_t> inScene(m_InteractiveRunning, 1);
        m_InteractiveScene.CallScriptFunction("OnExit", nullptr, 0, nullptr);
    }
    const int32_t waiting = m_WaitingScript;
    m_WaitingScript = -1;
    if (waiting != -1)
        ReenterScript(waiting);
}
