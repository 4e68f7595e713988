// SciFiScriptDialogues: the game's script built-ins that fill, show and hide the mission log and
// start and close dialogues. The server's windows take the same entries and lines as a client's
// and are never drawn; each call is repeated at the clients, whose windows the players see.
#include "scifi/script/SciFiScriptFamilies.h"

#include "world/WorldCtrl.h"

#include <iterator>

namespace {

// The script number of a network game's dialogue that no local script waits for: its answer
// goes to the server.
constexpr int32_t kServerScriptID = 99999999;

void AddMissionLog(ScriptCall& call)
{
    if (!call.NeedCount(2, 2))
        return;
    const int32_t kind = call.Int(0) == MissionLogGui::kMission ? MissionLogGui::kMission : MissionLogGui::kNews;
    SciFiCtrlOf(call).GetMissionLog().AddEntry(kind, String(call.Text(1)));
    call.Forward(2, nullptr, 1, 1);
}

void ClearMissionLog(ScriptCall& call)
{
    SciFiCtrlOf(call).GetMissionLog().Clear();
    call.Forward();
}

// Showing a shown log (or hiding a hidden one) changes nothing, but the clients are told all the
// same: theirs may differ.
void ShowMissionLog(ScriptCall& call)
{
    if (!call.NeedCount(0, 0))
        return;
    MissionLogGui& log = SciFiCtrlOf(call).GetMissionLog();
    if (!log.IsOpen())
        log.ToggleOpen();
    call.Forward(0, nullptr, 1, 1);
}

void HideMissionLog(ScriptCall& call)
{
    if (!call.NeedCount(0, 0))
        return;
    MissionLogGui& log = SciFiCtrlOf(call).GetMissionLog();
    if (log.IsOpen())
        log.ToggleOpen();
    call.Forward(0, nullptr, 1, 1);
}

void IsMissionLogVisible(ScriptCall& call)
{
    call.SetTypeInt();
    if (call.NeedCount(0, 0))
        call.SetInt(SciFiCtrlOf(call).GetMissionLog().IsOpen() ? 1 : 0);
}

// The partners are the two objects of the running event (object script variables 1 and 0). The
// script is checked as one that could wait for the dialogue's end; it is not suspended, since on
// the server no player answers a dialogue.
void Dialog(ScriptCall& call)
{
    if (!call.NeedCount(1, 1))
        return;
    SciFiGameCtrl& ctrl = SciFiCtrlOf(call);
    WorldCtrl& world = call.GetWorld();
    const int32_t first = ctrl.GetObjScriptVariable(0);
    const int32_t second = ctrl.GetObjScriptVariable(1);
    int32_t scriptID = kServerScriptID;
    if (!ctrl.IsNetworkGame() || GameCtrl::IsScriptRunFlagSet()) {
        world.CheckReenterAllowed(0);
        scriptID = world.GetCurrentScriptID();
    }
    ctrl.PlayDialogueLine(String(call.Text(0)), world.GetObjNoCheck(second, false), world.GetObjNoCheck(first, false),
                          scriptID, false);
    call.Forward(1, nullptr, 1, 1);
}

void DialogInvisible(ScriptCall& call)
{
    if (!call.NeedCount(1, 1))
        return;
    SciFiCtrlOf(call).PlayDialogueLine(String(call.Text(0)), nullptr, nullptr, -1, true);
    call.Forward(1, nullptr, 1, 1);
}

// The clients close theirs first: the server's close may end the script that waits.
void CloseDialog(ScriptCall& call)
{
    if (call.GetCount() != 0) {
        call.Error("Invalid number of arguments in function '%s'", call.GetName());
        return;
    }
    call.Forward(0, nullptr, 1, 1);
    SciFiCtrlOf(call).CloseDialog();
}

}  // namespace

ScriptBuiltinFamily SciFiScriptDialogues()
{
    static const ScriptBuiltinEntry entries[] = {
        {"AddMissionLog", AddMissionLog},
        {"ClearMissionLog", ClearMissionLog},
        {"ShowMissionLog", ShowMissionLog},
        {"HideMissionLog", HideMissionLog},
        {"IsMissionLogVisible", IsMissionLogVisible},
        {"Dialog", Dialog},
        {"DialogInvisible", DialogInvisible},
        {"CloseDialog", CloseDialog},
    };
    return {entries, std::size(entries)};
}
