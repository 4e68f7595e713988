// ScriptGame: the callbacks' installation and the order in which a built-in call is tried.
#include "game/scriptfuncs/ScriptGame.h"

#include "base/DXC_Base.h"
#include "base/ErrorClass.h"
#include "game/ctrl/GameCtrl.h"
#include "game/scriptfuncs/ScriptBuiltinChain.h"
#include "game/scriptfuncs/ScriptCall.h"
#include "world/WorldCtrl.h"

void ScriptGame::Install(GameCtrl& ctrl)
{
    ctrl.SetScriptCallbacks({static_cast<ScriptGetVariableCallback>(GetVariable), CallBuiltin,
                             static_cast<ScriptSetVariableCallback>(SetVariable), CallBuiltinFromNetwork});
}

// Every controller that runs scripts is a game controller.
GameCtrl* ScriptGame::GetRunningCtrl() { return dynamic_cast<GameCtrl*>(g_GameCtrl); }

ScriptValue* ScriptGame::CallOfRunningCtrl(ScriptValue* result, const char* name, ScriptValue* arguments,
                                           int32_t count, int32_t fromNetwork)
{
    GameCtrl* ctrl = GetRunningCtrl();
    if (!ctrl) {
        *result = ScriptValue();
        return result;
    }
    ExecuteBuiltin(*ctrl, *result, name, arguments, count, fromNetwork);
    return result;
}

ScriptValue* ScriptGame::CallBuiltin(ScriptValue* result, const char* name, ScriptValue* arguments, int32_t count)
{
    return CallOfRunningCtrl(result, name, arguments, count, 0);
}

ScriptValue* ScriptGame::CallBuiltinFromNetwork(ScriptValue* result, const char* name, ScriptValue* arguments,
                                                int32_t count)
{
    return CallOfRunningCtrl(result, name, arguments, count, 1);
}

namespace {

// The call gives the void of its result type, and the error is the script's.
void EndCallWithError(GameCtrl& ctrl, ScriptCall& call, const char* message)
{
    const int32_t type = call.Result().m_Type;
    call.SetVoid();
    call.Result().m_Type = type;
    ctrl.ScriptError("%s", message);
}

}  // namespace

void ScriptGame::ExecuteBuiltin(GameCtrl& ctrl, ScriptValue& result, const char* name, ScriptValue* arguments,
                                int32_t count, int32_t fromNetwork)
{
    if (!name)
        name = "";
    // A script function of a loaded module hides a built-in of the same name.
    if (ctrl.GetWorld().CallScriptFunction(name, arguments, count, &result))
        return;
    ctrl.RaiseDebugUse();
    ScriptCall call(ctrl, name, arguments, count, fromNetwork);
    try {
        if (!ExecuteEntryBuiltin(call)) {
            ScriptValue layered;
            ctrl.ExecuteScriptFunction(layered, call.GetName(), arguments, call.GetCount(), fromNetwork);
            if (layered.m_Type != kScriptRead) {
                result = layered;
                return;
            }
            if (ScriptBuiltinChain::IsAtoGName(call.GetName()))
                ExecuteFunctionsAtoG(call);
            else
                ExecuteFunctionsHtoZ(call);
        }
    } catch (const ErrorMsg& error) {
        // Outside a script the error is the caller's; inside one it ends this call only.
        if (ctrl.GetWorld().GetCurrentScriptID() < 0)
            throw;
        EndCallWithError(ctrl, call, error.message);
    } catch (const DXC_Error& error) {  // a damaged scene file of an element the call made
        if (ctrl.GetWorld().GetCurrentScriptID() < 0)
            throw;
        EndCallWithError(ctrl, call, error.message);
    }
    result = call.Result();
}

void ScriptGame::ExecuteFunctionsAtoG(ScriptCall& call) { ScriptBuiltinChain::AtoG().Execute(call); }

void ScriptGame::ExecuteFunctionsHtoZ(ScriptCall& call) { ScriptBuiltinChain::HtoZ().Execute(call); }
