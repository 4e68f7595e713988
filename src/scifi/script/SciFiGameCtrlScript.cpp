// SciFiGameCtrl: the game's layer of the script built-ins and variables. The engine asks the
// controller before its own tables, so a name served here hides an engine built-in of that name;
// a name no family of the game holds goes on to the network node's layer.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "game/scriptfuncs/ScriptCall.h"
#include "scifi/script/SciFiScriptFamilies.h"

#include <cstring>

namespace {

// The game's families split into the engine's two halves by first letter, so that a name is
// compared only with the names of its half.
const ScriptBuiltinChain& SciFiChainAtoG()
{
    static const ScriptBuiltinChain chain({SciFiScriptCreatureValues, SciFiScriptDamage, SciFiScriptItems,
                                           SciFiScriptSkills, SciFiScriptDialogues, SciFiScriptGameFlow},
                                          ScriptBuiltinChain::IsAtoGName);
    return chain;
}

const ScriptBuiltinChain& SciFiChainHtoZ()
{
    static const ScriptBuiltinChain chain({SciFiScriptCreatureValues, SciFiScriptDamage, SciFiScriptItems,
                                           SciFiScriptSkills, SciFiScriptDialogues, SciFiScriptGameFlow},
                                          ScriptBuiltinChain::IsHtoZName);
    return chain;
}

// Runs the name's handler of the chain into result; type 255 when the chain has none.
void RunSciFiHandler(SciFiGameCtrl& ctrl, const ScriptBuiltinChain& chain, ScriptValue& result, const char* name,
                     ScriptValue* arguments, int32_t count, int32_t fromNetwork)
{
    ScriptBuiltinHandler handler = chain.Find(name);
    if (!handler) {
        result = ScriptValue();
        result.m_Type = kScriptRead;
        return;
    }
    ScriptCall call(ctrl, name, arguments, count, fromNetwork);
    handler(call);
    result = call.Result();
}

}  // namespace

void SciFiGameCtrl::ExecuteScriptFunction(ScriptValue& result, const char* name, ScriptValue* arguments,
                                          int32_t count, int32_t fromNetwork)
{
    if (ScriptBuiltinChain::IsAtoGName(name))
        ExecuteScriptFunctionAtoG(result, name, arguments, count, fromNetwork);
    else
        ExecuteScriptFunctionHtoZ(result, name, arguments, count, fromNetwork);
    if (result.m_Type == kScriptRead)
        GameServer::ExecuteScriptFunction(result, name, arguments, count, fromNetwork);
}

void SciFiGameCtrl::ExecuteScriptFunctionAtoG(ScriptValue& result, const char* name, ScriptValue* arguments,
                                              int32_t count, int32_t fromNetwork)
{
    RunSciFiHandler(*this, SciFiChainAtoG(), result, name, arguments, count, fromNetwork);
}

void SciFiGameCtrl::ExecuteScriptFunctionHtoZ(ScriptValue& result, const char* name, ScriptValue* arguments,
                                              int32_t count, int32_t fromNetwork)
{
    RunSciFiHandler(*this, SciFiChainHtoZ(), result, name, arguments, count, fromNetwork);
}

// A bad index is the script's error, and the engine's variables are asked next (which know
// neither name and say so).
void SciFiGameCtrl::GetScriptVariable(ScriptValue& result, const char* name, int32_t index)
{
    const bool physical = name && std::strcmp(name, "damPhys") == 0;
    const bool poison = name && std::strcmp(name, "damPoison") == 0;
    if (!physical && !poison) {
        GameServer::GetScriptVariable(result, name, index);
        return;
    }
    result = ScriptValue();
    if (index == -1)
        index = 0;
    if (index < 0 || index > (physical ? 1 : 0)) {
        result.m_Type = kScriptRead;
        ScriptError("Invalid index (%i) for variable '%s'", index, name);
        return;
    }
    result.SetFloat(physical ? m_CurrentAttackDamage[index] : m_CurrentAttackValue);
}
