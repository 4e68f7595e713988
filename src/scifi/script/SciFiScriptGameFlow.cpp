// SciFiScriptGameFlow: the game's script built-ins that ask for the pause menu, place the camera
// for a screenshot, set the mouse manipulation script, save the game and the main character,
// and accept checkpoints (the dedicated server's controller serves those itself).
#include "scifi/script/SciFiScriptFamilies.h"

#include <iterator>

namespace {

// The client's key step opens the menu and clears the request.
void ShowPauseMenu(ScriptCall& call) { SciFiCtrlOf(call).RequestPauseMenu(); }

// x, y, the third position value, the player camera's distance, the rotation and the angle above
// the ground, both in degrees: 90 looks straight down (pitch 0). The player camera keeps its
// copies of the angles, so that following the hero again starts from this view.
void SetScrShotCam(ScriptCall& call)
{
    constexpr double kDegToRad = 0.017453292;
    if (!call.NeedCount(6, -1))
        return;
    SciFiGameCtrl& ctrl = SciFiCtrlOf(call);
    const float yaw = float(call.Float(4) * kDegToRad);
    const float pitch = float((90.0 - call.Float(5)) * kDegToRad);
    ctrl.SetCamera(call.FloatArg(0), call.FloatArg(1), call.FloatArg(2), ctrl.GetCameraDistance(), pitch, yaw,
                   ctrl.GetCameraHeight(), ctrl.GetCameraRoll());
    ctrl.SetPlayerCamera(call.FloatArg(3), pitch, yaw);
}

void SetMouseManipulateScript(ScriptCall& call)
{
    if (!call.NeedCount(1, 1))
        return;
    SciFiCtrlOf(call).SetMouseManipulateScript(String(call.Text(0)));
    call.Forward(1, nullptr, 1, 1);
}

// Slot 1, no level name, -1, 0, no save name: the level's own save.
void LevelSaveGame(ScriptCall& call)
{
    call.SetTypeInt();
    if (call.NeedCount(0, 0))
        call.SetInt(call.GetCtrl().SaveGame(1, nullptr, -1, 0, wString()));
}

// Both keep the main character for the multiplayer game; the second converts a single-player
// character into a multiplayer one.
void SaveMainCharacter(ScriptCall& call)
{
    if (call.NeedCount(0, 0))
        SciFiCtrlOf(call).SaveCharacterForMultiplayer();
}

void ConvertMainCharacterToMultiplayer(ScriptCall& call)
{
    if (call.NeedCount(0, 0))
        SciFiCtrlOf(call).SaveCharacterForMultiplayer(true);
}

// Handled, so that the engine's tables never see the name.
void ActivateCheckpoint(ScriptCall& call) { (void)call; }

}  // namespace

ScriptBuiltinFamily SciFiScriptGameFlow()
{
    static const ScriptBuiltinEntry entries[] = {
        {"ShowPauseMenu", ShowPauseMenu},
        {"SetScrShotCam", SetScrShotCam},
        {"SetMouseManipulateScript", SetMouseManipulateScript},
        {"LevelSaveGame", LevelSaveGame},
        {"SaveMainCharacter", SaveMainCharacter},
        {"ConvertMainCharacterToMultiplayer", ConvertMainCharacterToMultiplayer},
        {"ActivateCheckpoint", ActivateCheckpoint},
    };
    return {entries, std::size(entries)};
}
