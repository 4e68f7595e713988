// ScriptGame: the variables a script reads and writes without declaring them (the shared tables,
// the main character's facts, the last dialogue answer, the object slots and list, the game and
// level variables), and the position text of the running script.
#include "game/scriptfuncs/ScriptGame.h"

#include "game/ctrl/GameCtrl.h"
#include "game/objects/CreatureObj.h"
#include "world/ScriptReaderGameEngine.h"
#include "world/WorldCtrl.h"

#include <cstring>

namespace {

bool Is(const char* name, const char* builtin) { return std::strcmp(name, builtin) == 0; }

// The slot of an indexed table: no index is slot 0; one outside the table is reported.
bool TableIndex(GameCtrl& ctrl, const char* name, int32_t& index, int32_t size)
{
    if (index == -1)
        index = 0;
    if (index >= 0 && index < size)
        return true;
    ctrl.ScriptError("Invalid index (%i) for variable '%s'", index, name);
    return false;
}

bool NoIndex(GameCtrl& ctrl, const char* name, int32_t index)
{
    if (index == -1)
        return true;
    ctrl.ScriptError("Variable '%s' has no index", name);
    return false;
}

// Only a value of the slot's own type carries a number for it; the other type's field is 0.
int32_t IntField(const ScriptValue& value) { return value.m_Type == kScriptInt ? value.m_Integer : 0; }
double FloatField(const ScriptValue& value) { return value.m_Type == kScriptFloat ? value.m_Number : 0.0; }

// A game or level variable, or the element of an array variable; an unknown name is reported
// here, an index past the dimension by the lookup.
ScriptValue* FindDeclared(GameCtrl& ctrl, const char* name, int32_t index)
{
    ScriptValue* variable = ctrl.FindScriptVariable(name, -1);
    if (!variable) {
        ctrl.ScriptError("Variable '%s' is not defined", name);
        return nullptr;
    }
    return index < 0 ? variable : ctrl.FindScriptVariable(name, index);
}

}  // namespace

ScriptValue* ScriptGame::GetVariable(ScriptValue* result, const char* name, int32_t index)
{
    if (GameCtrl* ctrl = GetRunningCtrl())
        GetVariable(*ctrl, *result, name, index);
    else
        result->m_Type = kScriptRead;
    return result;
}

void ScriptGame::SetVariable(const char* name, int32_t index, ScriptValue* value)
{
    if (GameCtrl* ctrl = GetRunningCtrl(); ctrl && value)
        SetVariable(*ctrl, name, index, *value);
}

void ScriptGame::GetVariable(GameCtrl& ctrl, ScriptValue& result, const char* name, int32_t index)
{
    ctrl.GetScriptVariable(result, name, index);
    if (result.m_Type != kScriptRead || !name)
        return;  // a controller class answered
    ScriptValue value;
    WorldCtrl& world = ctrl.GetWorld();
    if (Is(name, "mc_Name")) {
        if (!NoIndex(ctrl, name, index))
            return;
        value.SetString("@Hero");
    } else if (Is(name, "mc_ID")) {
        if (index != -1 && index != 0) {
            ctrl.ScriptError("Variable '%s' has no index", name);
            return;
        }
        CreatureObj* hero = ctrl.GetMainChar();
        if (!hero)
            ctrl.ScriptError("Tried to get mc_ID, but no main character exists");
        value.SetInt(hero ? hero->m_ObjID : 0);
    } else if (Is(name, "mc_posX") || Is(name, "mc_posY")) {
        if (!NoIndex(ctrl, name, index))
            return;
        CreatureObj* hero = ctrl.GetMainChar();
        if (!hero)
            ctrl.ScriptError("Tried to get %s, but no main character exists", name);
        const D3DXVECTOR2 pos = hero ? hero->GetPos() : D3DXVECTOR2(0.0f, 0.0f);
        value.SetFloat(name[6] == 'X' ? pos.x : pos.y);
    } else if (Is(name, "dlgAnswer")) {
        if (!NoIndex(ctrl, name, index))
            return;
        value.SetInt(ctrl.GetDialogAnswer());
    } else if (Is(name, "obj")) {
        if (!TableIndex(ctrl, name, index, GameCtrl::kObjScriptVariables))
            return;
        value.SetInt(ctrl.GetObjScriptVariable(index));
    } else if (Is(name, "objList")) {
        if (!TableIndex(ctrl, name, index, WorldCtrl::kResultListSize))
            return;
        value.SetInt(world.GetScriptResultList()[index]);
    } else if (Is(name, "iTmp")) {
        if (!TableIndex(ctrl, name, index, GameCtrl::kScriptTempSlots))
            return;
        value.SetInt(*ctrl.GetScriptTempInt(index));
    } else if (Is(name, "fTmp")) {
        if (!TableIndex(ctrl, name, index, GameCtrl::kScriptTempSlots))
            return;
        value.SetFloat(*ctrl.GetScriptTempFloat(index));
    } else if (Is(name, "sTmp")) {
        if (!TableIndex(ctrl, name, index, GameCtrl::kObjScriptVariables))
            return;
        value.SetString(*ctrl.GetObjScriptText(index));
    } else if (ScriptValue* found = FindDeclared(ctrl, name, index)) {
        value = *found;
    } else {
        return;
    }
    result = value;
}

void ScriptGame::SetVariable(GameCtrl& ctrl, const char* name, int32_t index, const ScriptValue& value)
{
    ctrl.RaiseDebugUse();  // a write always counts
    if (!name || ctrl.SetScriptVariable(name, index, value))
        return;
    if (Is(name, "iTmp")) {
        if (TableIndex(ctrl, name, index, GameCtrl::kScriptTempSlots))
            *ctrl.GetScriptTempInt(index) = IntField(value);
    } else if (Is(name, "fTmp")) {
        if (TableIndex(ctrl, name, index, GameCtrl::kScriptTempSlots))
            *ctrl.GetScriptTempFloat(index) = float(FloatField(value));
    } else if (Is(name, "sTmp")) {
        if (TableIndex(ctrl, name, index, GameCtrl::kObjScriptVariables))
            *ctrl.GetObjScriptText(index) = value.m_Type == kScriptString ? value.m_Text : String();
    } else if (Is(name, "mc_Name")) {
        // Without a main character there is nobody to rename: nothing is written.
        if (CreatureObj* hero = ctrl.GetMainChar())
            hero->SetName(wString(value.m_Type == kScriptString ? value.m_Text.c_str() : ""));
    } else if (Is(name, "mc_Level") || Is(name, "mc_ID") || Is(name, "dlgAnswer")) {
        ctrl.ScriptError("Variable '%s' is read only", name);
    } else if (Is(name, "obj")) {
        if (TableIndex(ctrl, name, index, GameCtrl::kObjScriptVariables))
            ctrl.SetObjScriptVariable(index, value.GetIntView());
    } else if (Is(name, "objList")) {
        if (TableIndex(ctrl, name, index, WorldCtrl::kResultListSize))
            ctrl.GetWorld().GetScriptResultList()[index] = value.GetIntView();
    } else if (ScriptValue* found = FindDeclared(ctrl, name, index)) {
        found->m_Text = value.m_Text;
        found->m_Number = value.m_Number;
        found->m_Integer = value.m_Integer;
        found->m_Type = value.m_Type;
    }
}

String ScriptGame::FormatScriptPosition(String& fileName)
{
    ScriptReaderGameEngine* module = GetCurrentScriptModule();
    if (!module) {
        if (GameCtrl* ctrl = GetRunningCtrl())
            ctrl->GetWorld().Warning("Internal error: Can not determine current script");
        return String();
    }
    const String text = module->FormatRunPosition();
    const char* name = fileName.c_str();
    const size_t length = std::strlen(name);
    const bool scriptFile = (length >= 2 && std::strcmp(name + length - 2, ".c") == 0) ||
                            (length >= 4 && std::strcmp(name + length - 4, ".cpp") == 0);
    if (scriptFile)
        module->ResolvePathFromCurrent(fileName);
    return text;
}
