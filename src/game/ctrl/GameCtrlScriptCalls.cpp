// GameCtrl: the game and level script variables, the error list of script errors, and the
// controller's runs of script texts (script calls, the boost script, the debug scripts), the
// tables and hooks of the built-in script functions.
#include "game/ctrl/GameCtrl.h"

#include "game/objects/CreatureObj.h"
#include "game/objects/KI_ScriptActionParams.h"
#include "world/KI_Strategy.h"
#include "world/ScriptReaderGameEngine.h"
#include "world/WorldElem.h"

// A name taken in either scope is reported (kind names the scope) but added all the same; one
// taken in the same scope is refused by the scope.
ScriptStackVariable* GameCtrl::AddScriptVariable(VariableStack& scope, const char* kind, const char* name,
                                                 int32_t type, int32_t dimension)
{
    if (!name)
        return nullptr;
    if (m_LevelVariables.FindVariable(name) || m_GameVariables.FindVariable(name))
        ScriptError("%s variable '%s' exists already ", kind, name);
    ScriptStackVariable* variable = scope.AddVariable(name, type, dimension);
    if (!variable)
        ScriptError("Variable '%s' already in stack", name);
    return variable;
}

ScriptStackVariable* GameCtrl::AddGameVariable(const char* name, int32_t type, int32_t dimension)
{
    return AddScriptVariable(m_GameVariables, "Game", name, type, dimension);
}

ScriptStackVariable* GameCtrl::AddLevelVariable(const char* name, int32_t type, int32_t dimension)
{
    return AddScriptVariable(m_LevelVariables, "Level", name, type, dimension);
}

// A plain variable counts as one element. An index past the elements is reported and finds
// nothing: there is no element to read or write there.
ScriptValue* GameCtrl::FindScriptVariable(const char* name, int32_t index)
{
    if (!name || !*name)
        return nullptr;
    ScriptStackVariable* variable = m_LevelVariables.FindVariable(name);
    if (!variable)
        variable = m_GameVariables.FindVariable(name);
    if (!variable)
        return nullptr;
    if (index < 0)
        return variable;
    const int32_t dimension = variable->m_Elements ? variable->m_ElementCount : 1;
    if (index >= dimension) {
        ScriptError("Index (%i) exceeds dimension of variable '%s'", index, name);
        return nullptr;
    }
    return variable->m_Elements ? &variable->m_Elements[index] : variable;
}

void GameCtrl::ShowError(const char* message)
{
    *m_ErrorList.GetBySlot(m_ErrorList.Add()) = message ? message : "";
    ShowErrorMessage(message ? message : "");
    PlayWorldSound("GuiError");
}

ScriptValue& GameCtrl::CallScript(ScriptValue& result, const String& text, int32_t context, const char* label,
                                  int32_t currentObj, WorldElem* object, int32_t mode)
{
    // The current object is the run's and the caller's again on every way out.
    struct CurrentObjScope {
        int32_t& current;
        int32_t saved;
        ~CurrentObjScope() { current = saved; }
    } scope{m_CurrentObjID, m_CurrentObjID};
    m_CurrentObjID = object ? object->m_ObjID : -1;
    m_World.RunScript(text, object, context, currentObj, label, 1, mode);
    result = m_World.GetScriptResult();
    return result;
}

ScriptValue& GameCtrl::RunScript(ScriptValue& result, const String& text, const char* label, int32_t context,
                                 int32_t currentObj)
{
    m_World.RunScript(text, nullptr, context, currentObj, label, 1, ScriptReaderGameEngine::kNoRunFlags);
    result = m_World.GetScriptResult();
    return result;
}

void GameCtrl::ExecuteScriptFunction(ScriptValue& result, const char* name, ScriptValue* arguments, int32_t count,
                                     int32_t fromNetwork)
{
    (void)name;
    (void)arguments;
    (void)count;
    (void)fromNetwork;
    result = ScriptValue();
    result.m_Type = kScriptRead;  // not known here: the next layer is asked
}

void GameCtrl::GetScriptVariable(ScriptValue& result, const char* name, int32_t index)
{
    (void)name;
    (void)index;
    result = ScriptValue();
    result.m_Type = kScriptRead;
}

int32_t* GameCtrl::GetScriptTempInt(int32_t index)
{
    return index >= 0 && index < kScriptTempSlots ? &m_ScriptTempInts[index] : nullptr;
}

float* GameCtrl::GetScriptTempFloat(int32_t index)
{
    return index >= 0 && index < kScriptTempSlots ? &m_ScriptTempFloats[index] : nullptr;
}

bool GameCtrl::SetScriptVariable(const char* name, int32_t index, const ScriptValue& value)
{
    (void)name;
    (void)index;
    (void)value;
    return false;
}

void GameCtrl::RunScriptFunctionAtClients(const char* name, const ScriptValue* arguments, int32_t count,
                                          WorldElem* subject, int32_t checkSubject, int32_t flag)
{
    (void)name;  // only a server has clients
    (void)arguments;
    (void)count;
    (void)subject;
    (void)checkSubject;
    (void)flag;
}

// The creature's AI starts the action and takes its first step once it can take a script's
// action; until then the call changes nothing.
// The script's order becomes a strategy entry of its own: the named action or strategy, the
// target slot it names, SetAI's priority (100 unless given) held for its number of seconds (1000
// unless given), the flee distance and the finish script; the order ends when it is done.
void GameCtrl::StartScriptAIAction(CreatureObj& creature, const KI_ScriptActionParams& params, WorldElem* target,
                                   bool add)
{
    KI_StratEntry entry;
    entry.type = params.kind;
    entry.id = params.targetName;
    const int32_t slot = params.targetSlot[0];
    if (slot != KI_ScriptActionParams::kNoSlot) {
        entry.target = slot;
        entry.positionID = slot;
    }
    if (!add) {
        entry.prior = params.intValue;
        entry.maxForceTime = params.number;
    }
    entry.fleeDist = params.secondNumber;
    entry.finishScript = params.text;
    entry.finishAction = 1;
    entry.myID = creature.m_AIRun.strategyID;  // the creature's strategy stays its own
    creature.StartStrategyEntry(entry, target, add, nullptr);
    creature.UpdateAI(0);
}

void GameCtrl::BoostItem(ItemBase* item)
{
    if (!item || m_Settings.boostScript.IsEmpty())
        return;
    ItemAbility ability;
    ability.type = item->GetMainAbility(ability.value, ability.subtype);
    if (ability.type == 0)
        return;  // nothing to boost
    m_BoostValues.item = item;
    m_BoostValues.abilityType = ability.type;
    m_BoostValues.value = ability.value;
    ScriptValue result;
    CallScript(result, m_Settings.boostScript, 1, "BoostScript", 1, nullptr, 1);
    m_BoostValues = BoostValues();
    int32_t value = 0;
    if (result.m_Type == kScriptInt)
        value = result.m_Integer;
    else if (result.m_Type == kScriptFloat)
        value = ScriptValue::DoubleToInt(result.m_Number);
    if (value == 0)
        return;
    ability.value = float(value);
    item->AddAbility(ability, true);
}

// "@" runs the rest on the game's behalf (mode 1); any other text also goes to the network's
// peers (mode 2).
void GameCtrl::RunDebugScript(int32_t number)
{
    if (number < 0 || number >= kDebugScriptCount)
        return;
    LoadDebugScripts();
    const String& text = m_DebugScripts[number];
    m_BuiltinCallCount = 0;
    if (!text.IsEmpty()) {
        const bool own = text.c_str()[0] == '@';
        ScriptValue result;
        CallScript(result, String(text.c_str() + (own ? 1 : 0)), 1, "DebugScript", 1, nullptr, own ? 1 : 2);
    }
    if (m_BuiltinCallCount > 0)
        m_ConsoleUsed = 1;
}
