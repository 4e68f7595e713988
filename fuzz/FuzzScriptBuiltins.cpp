// FuzzScriptBuiltins: a fuzzed script run by the world of a controller with the game's built-ins
// installed and the sample level entered, so that its calls reach every built-in with any
// arguments, on the sample's elements, items and creatures. Only scripts whose work is bounded by
// their length run (FuzzBoundedScript.h); "include" and "LoadString" are spelled otherwise, so no
// file outside the copy of the sample game is read. A script error is the script's; anything
// escaping the run is a finding. The level is entered afresh when scripts have made or removed
// many elements.
#include "FuzzBoundedScript.h"
#include "FuzzSampleGame.h"
#include "FuzzTarget.h"

#include "game/scriptfuncs/ScriptGame.h"
#include "world/WorldCtrl.h"

#include <cstdlib>
#include <string>

namespace {

constexpr int32_t kMaxInput = 1 << 13;
constexpr int32_t kElementDrift = 64;  // elements made or gone before the level is entered again

const char* const kSampleLevel = "levels\\sample\\sample.cfg";

// Script errors go to the log only; the screen message of a real game is not there.
class BuiltinsCtrl : public Fuzz::SampleCtrl {
public:
    void ShowErrorMessage(const char*) override {}
};

int32_t g_EnteredElements = 0;

BuiltinsCtrl& EnterLevel(BuiltinsCtrl& ctrl)
{
    ctrl.ChangeLevel(kSampleLevel, String(), LevelChangeOptions());
    g_EnteredElements = ctrl.GetWorld().GetNumElements();
    return ctrl;
}

BuiltinsCtrl& Ctrl()
{
    static BuiltinsCtrl& ctrl = []() -> BuiltinsCtrl& {
        BuiltinsCtrl& loaded = Fuzz::LoadedCtrl<BuiltinsCtrl>();
        ScriptGame::Install(loaded);
        return EnterLevel(loaded);
    }();
    return ctrl;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > size_t(kMaxInput))
        return 0;
    BuiltinsCtrl& ctrl = Ctrl();
    const std::string text = Fuzz::ScriptText(data, size, {"include", "LoadString"});
    {
        ScriptReader check;
        check.SetThreaded(false);
        if (!check.LoadInline(text.c_str()) || !Fuzz::IsBounded(check))
            return 0;
    }
    WorldCtrl& world = ctrl.GetWorld();
    Fuzz::Guarded([&] { world.RunScript(String(text.c_str()), nullptr, 1, 0, "fuzz", 1, 255); });
    if (std::abs(world.GetNumElements() - g_EnteredElements) > kElementDrift)
        Fuzz::GuardedWithScenes([&] { EnterLevel(ctrl); });
    return 0;
}
