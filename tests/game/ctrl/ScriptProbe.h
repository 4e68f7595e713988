// ScriptProbe: what the controller's script tests share: a controller that records the sounds it
// plays and the scripts it forwards, and script callbacks through which a running script shows
// the test what it sees: "probe()" reads the object variables, the run flag and the current
// object, "fail()" reports a script error, "debug()" raises the debug-use counter, "result()"
// returns the value the test set.
#pragma once
#include "game/ctrl/GameCtrl.h"
#include "script/ScriptValue.h"
#include "world/WorldEventPayloads.h"

#include "GameCtrlTestSupport.h"

#include <string>
#include <vector>

class ProbeCtrl : public WorldGameCtrl {
public:
    ProbeCtrl() { SetScriptCallbacks({GetVariable, CallFunction, SetVariable}); }

    void PlayWorldSound(const char* name) override { sounds.push_back(name ? name : ""); }
    void ForwardScript(const char* text) override { forwarded.push_back(text ? text : ""); }

    // What the last "probe" saw.
    struct Seen {
        int32_t reads = 0;
        int32_t objVariables[4] = {};
        bool runFlag = false;
        int32_t currentObj = -2;
    };
    static Seen& Probe()
    {
        static Seen seen;
        return seen;
    }
    // What "result" returns.
    static ScriptValue& Result()
    {
        static ScriptValue value;
        return value;
    }

    std::vector<std::string> sounds;
    std::vector<std::string> forwarded;

private:
    static GameCtrl& Ctrl() { return *static_cast<GameCtrl*>(g_GameCtrl); }

    static ScriptValue* GetVariable(ScriptValue* result, const char*, int32_t)
    {
        result->SetInt(0);
        return result;
    }
    static ScriptValue* CallFunction(ScriptValue* result, const char* name, ScriptValue*, int32_t)
    {
        const std::string called(name);
        result->SetInt(0);
        if (called == "probe") {
            Seen& seen = Probe();
            seen.reads++;
            for (int32_t i = 0; i < 4; ++i)
                seen.objVariables[i] = Ctrl().GetObjScriptVariable(i);
            seen.runFlag = GameCtrl::IsScriptRunFlagSet();
            seen.currentObj = Ctrl().GetCurrentObjID();
        } else if (called == "fail")
            Ctrl().ScriptError("boom %s", "here");
        else if (called == "debug")
            Ctrl().RaiseDebugUse();
        else if (called == "result")
            *result = Result();
        return result;
    }
    static void SetVariable(const char*, int32_t, ScriptValue*) {}
};

// The script events waiting in the world's current event queue.
inline std::vector<ScriptEventRecord> QueuedScripts(GameCtrl& ctrl)
{
    std::vector<ScriptEventRecord> scripts;
    auto& queue = ctrl.GetWorld().GetEventQueue(0);
    for (int32_t slot = 0; slot < queue.GetCapacity(); ++slot) {
        const WorldEvent* event = queue.GetBySlot(slot);
        ScriptEventRecord record;
        if (event && event->type == WorldEventType::kScript && record.Read(*event))
            scripts.push_back(record);
    }
    return scripts;
}
