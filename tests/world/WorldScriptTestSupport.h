// WorldScriptTestSupport: the game side that the world's script tests give their scripts: a few
// script functions over the world and the test controller, whose calls are recorded, and a world
// whose script state the tests may look into.
//
//   Record(a, ...)   records its arguments, joined by ","
//   Flags()          the running module's run flags
//   Check(mode)      asks for a re-entry (WorldCtrl::CheckReenterAllowed)
//   Reenter()        asks for a re-entry and posts the event that resumes the script
//   SetObj(i, v), GetObj(i)   the controller's object script variables
//   Run(text)        runs a script text from inside the running one
//   Call(name, ...)  calls the script function of another module; -1 when none has it
//   Fail()           a script error of the world
//   Score()          the score of the test's strategy
//   Inline(text, delay)       posts an inline script
//   Scene(name)      starts the interactive scene, the script waiting for its end
#pragma once
#include "level/LevelTestSupport.h"
#include "world/KI_Strategy.h"
#include "world/ScriptReaderGameEngine.h"
#include "world/WorldCtrl.h"
#include "world/WorldTestSupport.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// A world whose script state the tests may look into.
class ScriptTestWorld : public GridWorld {
public:
    using WorldCtrl::m_InteractiveRunning;
    using WorldCtrl::m_WaitingScript;
};

namespace WorldScriptGame {

inline std::vector<std::string>& Records()
{
    static std::vector<std::string> s_Records;
    return s_Records;
}

// Runs inside every Record call while set: a test acts while a script runs.
inline std::function<void()>& RecordHook()
{
    static std::function<void()> s_Hook;
    return s_Hook;
}

inline KI_StratEntry*& DeedPointer()
{
    static KI_StratEntry* s_Deed = nullptr;
    return s_Deed;
}

inline std::string Text(const ScriptValue& value)
{
    char buffer[64];
    switch (value.m_Type) {
    case kScriptInt: return std::to_string(value.m_Integer);
    case kScriptFloat: std::snprintf(buffer, sizeof buffer, "%g", value.m_Number); return buffer;
    case kScriptString: return value.m_Text.c_str();
    default: return "void";
    }
}

inline ScriptValue* CallFunction(ScriptValue* result, const char* name, ScriptValue* args, int32_t count)
{
    const std::string n(name);
    result->SetVoid();
    ScriptReaderGameEngine* module = GetCurrentScriptModule();
    WorldCtrl& world = *module->GetWorld();
    GameCtrlInterface& ctrl = *g_GameCtrl;
    auto integer = [&](int32_t i) { return i < count ? args[i].GetIntView() : 0; };
    auto text = [&](int32_t i) { return i < count ? args[i].m_Text.c_str() : ""; };
    if (n == "Record") {
        std::string line;
        for (int32_t i = 0; i < count; i++)
            line += (i ? "," : "") + Text(args[i]);
        Records().push_back(line);
        if (RecordHook())
            RecordHook()();
    } else if (n == "Flags") {
        result->SetInt(module->GetRunFlags());
    } else if (n == "Check") {
        world.CheckReenterAllowed(integer(0));
    } else if (n == "Reenter") {
        world.CheckReenterAllowed(1);
        world.ReenterScript(world.GetCurrentScriptID());
    } else if (n == "SetObj") {
        ctrl.SetObjScriptVariable(integer(0), integer(1));
    } else if (n == "GetObj") {
        result->SetInt(ctrl.GetObjScriptVariable(integer(0)));
    } else if (n == "Run") {
        world.RunScript(String(text(0)), nullptr, 1, 0, "sub", 1, 255);
    } else if (n == "Call") {
        if (!world.CallScriptFunction(text(0), count > 1 ? args + 1 : nullptr, count - 1, result))
            result->SetInt(-1);
    } else if (n == "Fail") {
        world.ReportScriptError("boom");
    } else if (n == "Score") {
        result->SetFloat(world.EvaluateStrategyScore(*DeedPointer(), nullptr, nullptr));
    } else if (n == "Inline") {
        world.RunInlineScript(text(0), nullptr, float(count > 1 ? args[1].GetNumberView() : 0.0), 0, "later", 255);
    } else if (n == "Scene") {
        world.LoadInteractiveScene(text(0), true);
    } else {
        module->Error("Unknown function '%s' accepting %i arguments", name, count);
    }
    return result;
}

inline ScriptValue* GetVariable(ScriptValue* result, const char* name, int32_t)
{
    GetCurrentScriptModule()->Error("Variable '%s' is not defined", name);
    return result;
}

inline void SetVariable(const char* name, int32_t, ScriptValue*)
{
    GetCurrentScriptModule()->Error("Variable '%s' is not defined", name);
}

inline ScriptGameCallbacks Callbacks()
{
    ScriptGameCallbacks callbacks;
    callbacks.getVariable = GetVariable;
    callbacks.callFunction = CallFunction;
    callbacks.setVariable = SetVariable;
    return callbacks;
}

}  // namespace WorldScriptGame

// A test controller and a world that runs scripts with the functions above.
class WorldScriptFixture {
public:
    WorldScriptFixture()
    {
        ctrl.world = &world;
        ctrl.scriptCallbacks = WorldScriptGame::Callbacks();
        WorldScriptGame::Records().clear();
        deed.owner = &strategy;
        WorldScriptGame::DeedPointer() = &deed;
    }
    ~WorldScriptFixture() { WorldScriptGame::DeedPointer() = nullptr; }

    // Runs a script text as a level script does (flags 255: chosen by a leading '@').
    void RunText(const char* text, int32_t flags = 255, const char* label = "test")
    {
        world.RunScript(String(text), nullptr, 1, 0, label, 1, flags);
    }
    std::vector<std::string>& Records() { return WorldScriptGame::Records(); }
    int32_t QueuedEvents() { return world.GetEventQueue(0).GetSize() + world.GetEventQueue(1).GetSize(); }

    LevelTestCtrl ctrl;
    ScriptTestWorld world;
    KI_Strategy strategy;
    KI_StratEntry deed;  // of the strategy; its module stops before the world's script threads end
};
