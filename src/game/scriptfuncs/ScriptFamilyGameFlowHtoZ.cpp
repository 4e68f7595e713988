// ScriptFamilyGameFlowHtoZ: the built-ins from 'H' on that steer the game as a whole: stories and
// game and level variables, levels and saving, running and suspending scripts, the network
// queries, the camera, the screen and the frame rate, and debugging. Sounds, music, speech, video
// and the preloads are ScriptFamilyMediaHtoZ's.
#include "game/scriptfuncs/ScriptBuiltinFamilies.h"

#include "base/Log.h"
#include "base/Random.h"
#include "game/ctrl/GameCtrl.h"
#include "game/scriptfuncs/ScriptCall.h"
#include "game/scriptfuncs/ScriptGame.h"
#include "world/ScriptReaderGameEngine.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"
#include "world/WorldEventPayloads.h"

#include <cstring>
#include <iterator>

namespace {

constexpr int32_t kMaxDigits = 30;          // a Float as text keeps within its buffer
constexpr int32_t kMaxRunScriptDepth = 32;  // RunScript through itself ends here, not in the stack

// Quests, variables and game functions.

void SetStory(ScriptCall& call)
{
    if (!call.NeedCount(2, 2) || !call.NeedString(0) || !call.NeedInt(1))
        return;
    call.GetCtrl().SetStory(call.Text(0), call.Int(1));
    call.Forward(2, nullptr, 1, 1);
}

// "NewGameVariable" and "NewLevelVariable": type name, variable name, optional initial value. The
// call goes to the clients also after a refused type, so that they report it too.
void NewVariable(ScriptCall& call, bool game)
{
    if (!call.NeedCount(2, -1) || !call.NeedString(0) || !call.NeedString(1))
        return;
    const char* typeName = call.Text(0);
    int32_t type = 0;
    if (std::strcmp(typeName, "int") == 0)
        type = kScriptInt;
    else if (std::strcmp(typeName, "float") == 0)
        type = kScriptFloat;
    else if (std::strcmp(typeName, "String") == 0)
        type = kScriptString;
    if (type == 0) {
        call.Error("Invalid variable type in function %s", call.GetName());
        call.Forward();
        return;
    }
    GameCtrl& ctrl = call.GetCtrl();
    ScriptStackVariable* variable =
        game ? ctrl.AddGameVariable(call.Text(1), type, 0) : ctrl.AddLevelVariable(call.Text(1), type, 0);
    if (variable && call.GetCount() >= 3) {
        const ScriptValue& value = call.GetArguments()[2];
        if (type == kScriptInt)
            variable->SetInt(value.GetIntView());
        else if (type == kScriptFloat)
            variable->SetFloat(value.GetNumberView());
        else
            variable->SetString(value.m_Type == kScriptString ? value.m_Text.c_str() : "");
    }
    call.Forward();
}

void NewGameVariable(ScriptCall& call) { NewVariable(call, true); }

void NewLevelVariable(ScriptCall& call) { NewVariable(call, false); }

void IsValidGameVariable(ScriptCall& call)
{
    call.SetTypeInt();
    if (call.NeedCount(1, 1) && call.NeedString(0))
        call.SetInt(call.GetCtrl().GetGameVariables().FindVariable(call.Text(0)) ? 1 : 0);
}

void IsValidLevelVariable(ScriptCall& call)
{
    call.SetTypeInt();
    if (call.NeedCount(1, 1) && call.NeedString(0))
        call.SetInt(call.GetCtrl().GetLevelVariables().FindVariable(call.Text(0)) ? 1 : 0);
}

// With two arguments the plain curve (the value unchanged for an unknown name); with an element
// the controller applies the function at that creature's level.
void TransformByFunction(ScriptCall& call)
{
    call.SetTypeFloat();
    if (!call.NeedCount(2, -1))
        return;
    const float value = call.FloatArg(0);
    const char* name = call.IsString(1) ? call.Text(1) : "";
    if (call.GetCount() == 2) {
        const GameFunction* function = call.GetCtrl().FindGameFunction(name);
        call.SetFloat(function ? function->GetValue(value) : value);
        return;
    }
    if (WorldElem* elem = call.Object(2))
        call.SetFloat(call.GetCtrl().ApplyGameFunction(value, name, elem));
}

void SetMonsterLevel(ScriptCall& call)
{
    if (!call.NeedCount(2, 2))
        return;
    call.GetCtrl().SetMonsterLevelPair(call.Int(0), call.Int(1));
    call.Forward(2, nullptr, 1, 1);
}

void SetGameDifficulty(ScriptCall& call)
{
    if (call.NeedCount(1, 1))
        call.GetCtrl().SetDifficulty(call.Int(0), 1, 1);
}

void IsBossFight(ScriptCall& call)
{
    call.SetTypeInt();
    if (call.NeedCount(0, 0))
        call.SetInt(call.GetCtrl().IsBossFight() ? 1 : 0);
}

// Levels and saving.

// Refused silently while a network game runs: the server changes levels for all its players.
void LoadLevel(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(1, -1) || !call.NeedString(0))
        return;
    GameCtrl& ctrl = call.GetCtrl();
    if (ctrl.IsNetworkGame())
        return;
    LevelChangeRecord change;
    String::CopySized(change.levelName, sizeof change.levelName, call.Text(0));
    if (call.IsString(1)) {
        String::CopySized(change.startName, sizeof change.startName, call.Text(1));
        change.startNumber = -1;
    } else if (call.GetCount() >= 2) {
        change.startNumber = call.Int(1);
    }
    WorldEvent event;
    change.Write(event);
    ctrl.AddGameEvent(&event);
    call.SetInt(1);
}

void ResetLevel(ScriptCall& call) { call.GetCtrl().AddByteEvent(1); }

void RestartGame(ScriptCall& call)
{
    if (!call.NeedCount(1, -1))
        return;
    call.Forward();
    call.GetCtrl().RestartGame(call.Int(0));
}

// The controller saves into the slot under an empty name; its answer is the result.
void SaveGame(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(1, -1))
        return;
    call.SetInt(call.GetCtrl().SaveGame(call.Int(0), nullptr, 0, 0, wString()));
    call.Forward();
}

void SetStartLevel(ScriptCall& call)
{
    if (call.NeedCount(1, 1) && call.NeedString(0))
        call.GetCtrl().GetSettings().level = call.Text(0);
}

// Scripts.

// The label of a script text: the running script's position; a script file name is resolved
// against the running module in place.
String ScriptLabel(String& text) { return ScriptGame::FormatScriptPosition(text); }

// Counts the RunScript calls that run inside each other; the count goes down however a run ends.
class RunScriptDepth {
public:
    RunScriptDepth() { ++s_Depth; }
    ~RunScriptDepth() { --s_Depth; }
    RunScriptDepth(const RunScriptDepth&) = delete;
    RunScriptDepth& operator=(const RunScriptDepth&) = delete;
    static int32_t Get() { return s_Depth; }

private:
    static inline int32_t s_Depth = 0;
};

void RunScript(ScriptCall& call)
{
    if (!call.NeedCount(1, 1) || !call.NeedString(0))
        return;
    if (RunScriptDepth::Get() >= kMaxRunScriptDepth) {
        call.Error("RunScript nested deeper than %i in function %s", kMaxRunScriptDepth, call.GetName());
        return;
    }
    String text(call.Text(0));
    const String label = ScriptLabel(text);
    const ScriptReaderGameEngine* module = GetCurrentScriptModule();
    const int32_t flags = module ? module->GetRunFlags() : ScriptReaderGameEngine::kNoRunFlags;
    RunScriptDepth depth;
    call.GetWorld().RunScript(text, nullptr, 1, 0, label.c_str(), 1, flags);
}

void RequestRunScript(ScriptCall& call)
{
    if (!call.NeedCount(1, -1) || !call.NeedString(0))
        return;
    String text(call.Text(0));
    const String label = ScriptLabel(text);
    const float delay = call.GetCount() >= 2 ? call.FloatArg(1) : 0.0f;
    uint8_t flags = ScriptReaderGameEngine::kNoRunFlags;
    if (call.IntOr(2, 0) != 0)
        flags = 2;
    else if (GameCtrl::IsScriptRunFlagSet())
        flags = 1;
    call.GetWorld().RunInlineScript(text.c_str(), nullptr, delay, 0, label.c_str(), flags);
}

void RunScriptAtClient(ScriptCall& call)
{
    if (call.NeedCount(2, -1))
        call.GetCtrl().RunScriptAtClient(call.Int(0), call.IsString(1) ? call.Text(1) : "");
}

// The running script is suspended at its return and resumed by the event when it is due.
void Wait(ScriptCall& call)
{
    if (!call.NeedCount(1, -1))
        return;
    GameCtrl& ctrl = call.GetCtrl();
    WorldCtrl& world = call.GetWorld();
    world.CheckReenterAllowed(1);
    WorldEvent event;
    IDEventRecord{world.GetCurrentScriptID()}.Write(event, WorldEventType::kReenter);
    event.time = ctrl.GetGameTime() + call.Float(0);
    ctrl.AddGameEvent(&event);
}

void LogToFile(ScriptCall& call)
{
    if (call.NeedCount(1, -1))
        Log::Write("Script:%s", call.JoinArguments(0).c_str());
}

void SetNumberOfDigits(ScriptCall& call)
{
    if (!call.NeedCount(1, 1))
        return;
    const int32_t digits = call.Int(0);
    if (digits < 0 || digits > kMaxDigits) {
        call.Refuse();
        return;
    }
    g_NumberOfDigits = digits;
    call.Forward(1, nullptr, 1, 1);
}

// Network queries.

void IsNetworkGameRunning(ScriptCall& call)
{
    GameCtrl& ctrl = call.GetCtrl();
    call.SetInt(ctrl.IsNetworkGame() || ctrl.IsNetworkGameServer() ? 1 : 0);
}

void IsNetworkGameServer(ScriptCall& call) { call.SetInt(call.GetCtrl().IsNetworkGameServer() ? 1 : 0); }

// Camera, screen and frame rate.

// The stored camera views go with the mode.
void SetCameraMode(ScriptCall& call)
{
    if (!call.NeedCount(1, 1))
        return;
    call.GetCtrl().ResetCameraPath(call.Int(0));
    call.Forward(1, nullptr, 1, 1);
}

// Delay, point, distance, angle and pitch in degrees (the pitch from the horizon), optional roll.
void SetCameraView(ScriptCall& call)
{
    if (!call.NeedCount(7, -1))
        return;
    const auto radians = [](double degrees) { return float(degrees * double(ScriptCall::kDegToRad)); };
    call.GetCtrl().AddCameraPathKey(call.FloatArg(0), call.FloatArg(1), call.FloatArg(2),
                                    call.FloatArg(3), radians(call.Float(5)), radians(90.0 - call.Float(6)),
                                    call.FloatArg(4), call.GetCount() >= 8 ? radians(call.Float(7)) : 0.0f);
    call.Forward();
}

// A negative ID lets the camera go free.
void SetCameraViewTarget(ScriptCall& call)
{
    if (!call.NeedCount(1, -1))
        return;
    WorldElem* target = nullptr;
    if (call.Int(0) >= 0 && !(target = call.Object(0)))
        return;
    call.GetCtrl().SetCameraReference(target);
    call.Forward();
}

// The game mode is the view mode; mode 2 names its interactive scene. The flag and the two
// numbers that follow shape the scene's drawing on a client and change nothing here.
void SetGameMode(ScriptCall& call)
{
    if (!call.NeedCount(1, -1))
        return;
    call.GetCtrl().SetViewMode(call.Int(0), call.GetCount() >= 2 && call.IsString(1) ? call.Text(1) : nullptr);
    call.Forward();
}

void SetInteractiveScenePos(ScriptCall& call)
{
    if (call.NeedCount(2, -1))
        call.GetCtrl().SetInteractiveScenePos(call.FloatArg(0), call.FloatArg(1));
}

void SetGameSpeed(ScriptCall& call)
{
    if (!call.NeedCount(1, 1))
        return;
    call.GetCtrl().SetGameSpeed(call.FloatArg(0));
    call.Forward(1, nullptr, 1, 1);
}

void SetPause(ScriptCall& call)
{
    if (call.NeedCount(1, -1))
        call.GetCtrl().SetPause(uint8_t(call.Int(0)));
}

// A rate of 0 or below would stall the frame loop or leave it unpaced: refused.
void SetFrameRate(ScriptCall& call, bool maximum)
{
    if (!call.NeedCount(1, -1))
        return;
    const float rate = call.FloatArg(0);
    if (!(rate > 0.0f)) {
        call.Refuse();
        return;
    }
    GameCtrl& ctrl = call.GetCtrl();
    if (maximum)
        ctrl.SetScriptFrameRates(ctrl.GetScriptMinFPS(), rate);
    else
        ctrl.SetScriptFrameRates(rate, ctrl.GetScriptMaxFPS());
}

void SetMaxFPS(ScriptCall& call) { SetFrameRate(call, true); }

void SetMinFPS(ScriptCall& call) { SetFrameRate(call, false); }

void SetShowFPS(ScriptCall& call)
{
    if (call.NeedCount(1, -1))
        call.GetCtrl().SetShowFPS(uint8_t(call.Int(0)));
}

void RequestDoNotDrawFrame(ScriptCall& call)
{
    if (!call.NeedCount(1, -1))
        return;
    call.GetCtrl().HoldFrames(call.Int(0));
    call.Forward();
}

// The server has no select menu; the script is still checked as one that may wait for it.
void ShowSelectMenu(ScriptCall& call)
{
    if (call.NeedCount(1, -1) && call.NeedString(0))
        call.GetWorld().CheckReenterAllowed(0);
}

// Debugging.

void SetDebugMode(ScriptCall& call)
{
    if (call.NeedCount(1, -1))
        call.GetCtrl().SetDebugMode(call.Int(0));
}

void IsDebugMode(ScriptCall& call) { call.SetInt(call.GetCtrl().GetDebugMode()); }

void WasConsoleUsed(ScriptCall& call)
{
    GameCtrl& ctrl = call.GetCtrl();
    ctrl.LowerDebugUse();  // asking does not count as using
    call.SetInt(ctrl.GetConsoleUsed());
}

void SetRandomSeed(ScriptCall& call)
{
    if (!call.NeedCount(1, -1))
        return;
    const int32_t seed = call.Int(0);
    if (seed >= 0)
        Random::Seed(uint32_t(seed));
    else
        Random::SeedFromClock();
}

}  // namespace

ScriptBuiltinFamily ScriptFamilyGameFlowHtoZ()
{
    static const ScriptBuiltinEntry entries[] = {
        {"SetStory", SetStory},
        {"NewGameVariable", NewGameVariable},
        {"NewLevelVariable", NewLevelVariable},
        {"IsValidGameVariable", IsValidGameVariable},
        {"IsValidLevelVariable", IsValidLevelVariable},
        {"TransformByFunction", TransformByFunction},
        {"SetMonsterLevel", SetMonsterLevel},
        {"SetGameDifficulty", SetGameDifficulty},
        {"IsBossFight", IsBossFight},
        {"LoadLevel", LoadLevel},
        {"ResetLevel", ResetLevel},
        {"RestartGame", RestartGame},
        {"SaveGame", SaveGame},
        {"SetStartLevel", SetStartLevel},
        {"RunScript", RunScript},
        {"RequestRunScript", RequestRunScript},
        {"RunScriptAtClient", RunScriptAtClient},
        {"Wait", Wait},
        {"LogToFile", LogToFile},
        {"SetNumberOfDigits", SetNumberOfDigits},
        {"IsNetworkGameRunning", IsNetworkGameRunning},
        {"IsNetworkGameServer", IsNetworkGameServer},
        {"SetCameraMode", SetCameraMode},
        {"SetCameraView", SetCameraView},
        {"SetCameraViewTarget", SetCameraViewTarget},
        {"SetGameMode", SetGameMode},
        {"SetInteractiveScenePos", SetInteractiveScenePos},
        {"SetGameSpeed", SetGameSpeed},
        {"SetPause", SetPause},
        {"SetMaxFPS", SetMaxFPS},
        {"SetMinFPS", SetMinFPS},
        {"SetShowFPS", SetShowFPS},
        {"RequestDoNotDrawFrame", RequestDoNotDrawFrame},
        {"SelectMenu", ShowSelectMenu},
        {"SetDebugMode", SetDebugMode},
        {"IsDebugMode", IsDebugMode},
        {"WasConsoleUsed", WasConsoleUsed},
        {"SetRandomSeed", SetRandomSeed},
    };
    return {entries, std::size(entries)};
}
