// ScriptGame: the built-ins the dispatcher runs before the controller classes: the three text
// messages and the two AI calls.
#include "game/scriptfuncs/ScriptGame.h"

#include "base/GameOptions.h"
#include "game/ctrl/GameCtrl.h"
#include "game/objects/CreatureObj.h"
#include "game/objects/KI_ScriptActionParams.h"
#include "game/scriptfuncs/ScriptCall.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

#include <cstring>

namespace {

constexpr int32_t kGotoCode = 7;
constexpr int32_t kAimAtCode = 8;

enum class MessageKind { kScreen, kDebug, kLog };

// "Message", "DebugMessage", "LogMessage": an optional leading number is the time in seconds when
// text follows; the rest is the text, each value by its type.
void ShowMessage(ScriptCall& call, MessageKind kind)
{
    GameCtrl& ctrl = call.GetCtrl();
    ctrl.LowerDebugUse();  // informing does not count
    if (kind == MessageKind::kDebug && !(ctrl.GetDebugMode() != 0 && g_Options.debugMessages != 0))
        return;
    if (!call.NeedCount(1, -1))
        return;
    float duration = 1.5f;
    int32_t first = 0;
    if (call.GetCount() >= 2 && call.IsNumber(0)) {
        duration = call.FloatArg(0);
        first = 1;
    }
    const String text = call.JoinArguments(first);
    if (kind == MessageKind::kScreen)
        ctrl.ShowMessage(duration, "%s", text.c_str());
    else
        ctrl.GetWorld().AddLogMessage(wString(text.c_str()), duration, false);
    call.Forward();
}

// The target by a slot name, then by world ID from the start of the element table.
WorldElem* FindNamedTarget(ScriptCall& call, const char* name, KI_ScriptActionParams& params)
{
    const int32_t slot = WorldCtrl::GetTargetSlotByName(name);
    if (slot >= 0) {
        params.targetSlot[0] = params.targetSlot[1] = slot;
        return nullptr;
    }
    int32_t start = 0;
    WorldElem* target = call.GetWorld().FindObjectByWorldID(name, &start);
    if (!target)
        call.Error("AI target not found for %s", params.typeName.c_str());
    return target;
}

// "SetAI" and "AddAI": creature, type name, then the optional targets and parameters.
void GiveAIAction(ScriptCall& call, bool add)
{
    if (call.GetCount() < 3 || !call.IsInt(0) || !call.IsString(1)) {
        call.Refuse();
        return;
    }
    CreatureObj* creature = call.Creature(0);
    if (!creature)
        return;
    KI_ScriptActionParams params;
    params.typeName = call.Text(1);
    params.kind = ParseAIActionType(params.typeName.c_str());
    if (params.kind == KI_ScriptActionParams::kUnknownKind)
        call.Error("Unknown AI type in script: %s", params.typeName.c_str());
    if (call.IsString(2))
        params.targetName = call.Text(2);
    if (call.IsString(3))
        params.secondName = call.Text(3);

    WorldElem* target = nullptr;
    const char* third = call.IsString(2) ? call.Text(2) : "";
    const char* fourth = call.IsString(3) ? call.Text(3) : "";
    if (params.kind == kGotoCode || params.kind == kAimAtCode) {
        if (call.IsString(2)) {
            int32_t slot = WorldCtrl::GetTargetSlotByName(third);
            if (slot < 0)
                slot = WorldCtrl::GetTargetSlotByName(fourth);
            if (slot >= 0)
                params.targetSlot[0] = params.targetSlot[1] = slot;
            else
                target = FindNamedTarget(call, *third ? third : fourth, params);
        } else {
            target = call.Object(2);
        }
    } else if (*fourth) {
        target = FindNamedTarget(call, fourth, params);
    } else if (call.IsInt(3)) {
        target = call.Object(3);
    } else {
        target = creature;
    }

    if (add) {
        if (call.GetCount() > 4)
            params.secondNumber = call.FloatArg(4);
        if (call.IsString(5))
            params.text = call.Text(5);
    } else {
        if (call.GetCount() > 4)
            params.intValue = call.Int(4);
        if (call.GetCount() > 5)
            params.number = call.FloatArg(5);
        if (call.GetCount() > 6)
            params.secondNumber = call.FloatArg(6);
        if (call.IsString(7))
            params.text = call.Text(7);
    }
    call.GetCtrl().StartScriptAIAction(*creature, params, target, add);
}

}  // namespace

bool ScriptGame::ExecuteEntryBuiltin(ScriptCall& call)
{
    const char* name = call.GetName();
    if (std::strcmp(name, "Message") == 0)
        ShowMessage(call, MessageKind::kScreen);
    else if (std::strcmp(name, "DebugMessage") == 0)
        ShowMessage(call, MessageKind::kDebug);
    else if (std::strcmp(name, "LogMessage") == 0)
        ShowMessage(call, MessageKind::kLog);
    else if (std::strcmp(name, "SetAI") == 0)
        GiveAIAction(call, false);
    else if (std::strcmp(name, "AddAI") == 0)
        GiveAIAction(call, true);
    else
        return false;
    return true;
}
