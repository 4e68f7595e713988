// ScriptFamilyGameAtoG: the built-ins before 'H' that read the game's clocks, constants, stories
// and level, switch player input, build the texts of the select menu, the clipboard and script
// errors, free unused resources, read the camera and end the program. On the dedicated server
// there is no GUI, clipboard or moving camera: those calls answer and change nothing.
#include "game/scriptfuncs/ScriptBuiltinFamilies.h"

#include "base/Timer.h"
#include "game/ctrl/GameCtrl.h"
#include "game/ctrl/StateManager.h"
#include "game/scriptfuncs/ScriptCall.h"
#include "world/WorldCtrl.h"

#include <ctime>
#include <iterator>

namespace {

constexpr double kDegreesPerRadian = 57.29578;

// Clocks, constants and state.

void GetTime(ScriptCall& call) { call.SetFloat(Timer::GetTime()); }

void GetGameTime(ScriptCall& call) { call.SetFloat(call.GetCtrl().GetGameTime()); }

// The world's step of the last frame: what the controller handed to its update.
void GetTimeElapsed(ScriptCall& call) { call.SetFloat(call.GetWorld().GetLastFrameTime()); }

void GetCfgConstant(ScriptCall& call)
{
    call.SetTypeFloat();
    if (!call.NeedCount(1, 1) || !call.NeedString(0))
        return;
    double value = 0.0;
    if (call.GetCtrl().GetConstants().Lookup(call.Text(0), value))
        call.SetFloat(value);
    else
        call.Error("Constant not found %s", call.Text(0));
}

void GetStory(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(1, 1) || !call.NeedString(0))
        return;
    call.SetInt(call.GetCtrl().GetStory(call.Text(0)));
}

void GetNumPlayers(ScriptCall& call)
{
    call.SetTypeInt();
    if (call.NeedCount(0, 0))
        call.SetInt(call.GetCtrl().GetNumPlayers());
}

void GetNumberOfDigits(ScriptCall& call)
{
    call.SetTypeInt();
    if (call.NeedCount(0, 0))
        call.SetInt(g_NumberOfDigits);
}

void GetLevelName(ScriptCall& call) { call.SetString(call.GetCtrl().GetLevelDescFile().c_str()); }

void GetLevelID(ScriptCall& call) { call.SetString(call.GetCtrl().GetLevelSettings().levelID.c_str()); }

void GetLevelProgressID(ScriptCall& call) { call.SetInt(call.GetCtrl().GetLevelSettings().levelProgressID); }

void GetGameDifficulty(ScriptCall& call) { call.SetInt(call.GetCtrl().GetDifficulty()); }

void GetGameSpeed(ScriptCall& call)
{
    call.SetTypeFloat();
    if (call.NeedCount(0, 0))
        call.SetFloat(call.GetCtrl().GetGameSpeed());
}

void GetGameMode(ScriptCall& call)
{
    call.SetTypeInt();
    if (call.NeedCount(0, 0))
        call.SetInt(call.GetCtrl().GetViewMode());
}

void GetLanguage(ScriptCall& call) { call.SetString(call.GetCtrl().GetLanguageName().c_str()); }

// The local clock without seconds, as the system shows a time of day.
void GetLocalTimeString(ScriptCall& call)
{
    call.SetTypeString();
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    char text[257] = {};  // at most 256 characters
    if (local && std::strftime(text, sizeof text, "%H:%M", local) > 0)
        call.SetString(text);
}

// Input, menus and output.

// Type 0 the players' input, 1 the AI's.
void SwitchInput(ScriptCall& call, bool enabled)
{
    const int32_t type = call.IntOr(0, 0);
    if (type < 0 || type >= GameCtrl::kScriptInputTypes) {
        call.Error("Invalid input type:%i", type);
        return;
    }
    call.GetCtrl().SetInputTypeEnabled(type, enabled);
    call.Forward();
}

void DisableInput(ScriptCall& call) { SwitchInput(call, false); }

void EnableInput(ScriptCall& call) { SwitchInput(call, true); }

// The server has no game window to close.
void CloseGui(ScriptCall& call) { call.NeedCount(0, 0); }

// The server has no select menu: the text is built and let go.
void AddToSelectMenu(ScriptCall& call)
{
    if (call.NeedCount(1, -1))
        call.JoinArguments(0);
}

void CloseSelectMenu(ScriptCall& call) { (void)call; }

// The server has no clipboard.
void CopyToClipboard(ScriptCall& call)
{
    if (call.NeedCount(1, -1))
        call.JoinArguments(0);
}

void Error(ScriptCall& call)
{
    if (call.NeedCount(1, -1))
        call.GetCtrl().ScriptError("%s", call.JoinArguments(0).c_str());
}

void CountDown(ScriptCall& call)
{
    if (!call.NeedCount(2, -1) || !call.NeedString(1))
        return;
    call.GetWorld().SetCountDown(call.FloatArg(0), String(call.Text(1)));
    call.Forward();
}

// Nothing without a hero, as on a server, which has none.
void AlignCameraToHero(ScriptCall& call) { call.GetCtrl().CameraFollowMainChar(); }

void AutoSave(ScriptCall& call) { call.GetCtrl().RequestAutoSave(0); }

// The main loop ends at its next test of the state.
void ExitProgram(ScriptCall& call)
{
    if (StateManager* stateManager = call.GetCtrl().GetStateManager())
        stateManager->SetState(StateManager::kStateQuit);
}

void FreeUnusedSounds(ScriptCall& call) { call.GetCtrl().FreeLoadedSounds(); }

void FreeUnusedFloorTex(ScriptCall& call) { call.GetCtrl().FreeUnusedFloorTextures(); }

void FreeUnused3dObjs(ScriptCall& call) { call.GetCtrl().FreeUnused3dObjectRecords(); }

// The creature models are the creature definitions' prototypes, which the controller keeps for
// its life (creatures in the world show their scenes): there is nothing unused to free.
void FreeUnused3dCreatures(ScriptCall& call) { (void)call; }

void FreeUnusedEffects(ScriptCall& call) { (void)call; }

// Camera: the stored values (angles in radians, the pitch from the vertical).

void GetCameraAngle(ScriptCall& call) { call.SetFloat(double(call.GetCtrl().GetCameraYaw()) * kDegreesPerRadian); }

void GetCameraPitch(ScriptCall& call)
{
    call.SetFloat(90.0 - double(call.GetCtrl().GetCameraPitch()) * kDegreesPerRadian);
}

void GetCameraTargetDistance(ScriptCall& call) { call.SetFloat(call.GetCtrl().GetCameraDistance()); }

void GetCameraTargetHeight(ScriptCall& call) { call.SetFloat(call.GetCtrl().GetCameraHeight()); }

void GetFOV_hor(ScriptCall& call) { call.SetFloat(call.GetCtrl().GetHorizontalFieldOfView()); }

void GetFOV_ver(ScriptCall& call) { call.SetFloat(call.GetCtrl().GetFieldOfView()); }

void GetCountDown(ScriptCall& call) { call.SetFloat(call.GetWorld().GetCountDown()); }

}  // namespace

ScriptBuiltinFamily ScriptFamilyGameAtoG()
{
    static const ScriptBuiltinEntry entries[] = {
        {"GetTime", GetTime},
        {"GetGameTime", GetGameTime},
        {"GetTimeElapsed", GetTimeElapsed},
        {"GetCfgConstant", GetCfgConstant},
        {"GetStory", GetStory},
        {"GetNumPlayers", GetNumPlayers},
        {"GetNumberOfDigits", GetNumberOfDigits},
        {"GetLevelName", GetLevelName},
        {"GetLevelID", GetLevelID},
        {"GetLevelProgressID", GetLevelProgressID},
        {"GetGameDifficulty", GetGameDifficulty},
        {"GetGameSpeed", GetGameSpeed},
        {"GetGameMode", GetGameMode},
        {"GetLanguage", GetLanguage},
        {"GetLocalTimeString", GetLocalTimeString},
        {"DisableInput", DisableInput},
        {"EnableInput", EnableInput},
        {"CloseGui", CloseGui},
        {"AddToSelectMenu", AddToSelectMenu},
        {"CloseSelectMenu", CloseSelectMenu},
        {"CopyToClipboard", CopyToClipboard},
        {"Error", Error},
        {"CountDown", CountDown},
        {"AlignCameraToHero", AlignCameraToHero},
        {"AutoSave", AutoSave},
        {"ExitProgram", ExitProgram},
        {"FreeUnusedSounds", FreeUnusedSounds},
        {"FreeUnusedFloorTex", FreeUnusedFloorTex},
        {"FreeUnused3dObjs", FreeUnused3dObjs},
        {"FreeUnused3dCreatures", FreeUnused3dCreatures},
        {"FreeUnusedEffects", FreeUnusedEffects},
        {"GetCameraAngle", GetCameraAngle},
        {"GetCameraPitch", GetCameraPitch},
        {"GetCameraTargetDistance", GetCameraTargetDistance},
        {"GetCameraTargetHeight", GetCameraTargetHeight},
        {"GetFOV_hor", GetFOV_hor},
        {"GetFOV_ver", GetFOV_ver},
        {"GetCountDown", GetCountDown},
    };
    return {entries, std::size(entries)};
}
