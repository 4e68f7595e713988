// SciFiGameCtrl's game state pass on a controller whose level-event step answers a chosen code:
// which codes end the pass, the save and the cleanup at the end of the game (and when they are
// left), the state change requests, the debug time steps, the paused game, the skill roll-ups
// behind an open window; the player camera's turn and leaving the game state.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/Log.h"
#include "engine/gui/InputState.h"
#include "engine/gui/MouseState.h"
#include "game/ctrl/StateManager.h"
#include "level/Angle.h"
#include "scifi/ctrl/GameStateDebug.h"
#include "scifi/input/SciFiInputCtrl.h"

#include "support/LogCapture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace {

class StepCtrl : public SciFiGameCtrl {
public:
    int32_t UpdateFrame(float frameTime) override
    {
        steps.push_back(frameTime);
        return 1;
    }
    int32_t ProcessPendingRequests() override
    {
        if (code == 3 || code == 5)
            RequestEndOfGame(code == 3 ? 1 : 2);
        return code;
    }
    int32_t SaveGame(int32_t slot, const char* levelName, int32_t a, int32_t b, const wString& name) override
    {
        (void)a;
        (void)b;
        (void)name;
        saves.push_back(std::to_string(slot) + " " + (levelName ? levelName : ""));
        return saveResult;
    }
    int32_t LoadGame(int32_t slot, int32_t a, int32_t b) override
    {
        loads.push_back(std::to_string(slot) + " " + std::to_string(a) + " " + std::to_string(b));
        return 1;
    }
    void ResetLevel(int32_t argument) override { resets.push_back(argument); }

    int32_t code = 0;
    int32_t saveResult = 1;
    std::vector<float> steps;
    std::vector<std::string> saves;
    std::vector<std::string> loads;
    std::vector<int32_t> resets;
};

class SciFiGameCtrlGameStateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ctrl.SetStateManager(&states);
        ctrl.SetInputDevices(&keys, &mouse);
        states.SetState(100);
    }
    void TearDown() override
    {
        g_GameStateDebug = GameStateDebug();
        ctrl.SetStateManager(nullptr);
    }

    // The pass copied the pointer: it went on past the level events.
    bool PassWentOn()
    {
        mouse.x = float(++pointer);
        ctrl.UpdateGameState(1.0 / 30.0);
        return ctrl.GetLastPointer()[0] == pointer;
    }

    // The save folder of the type as a path of the test folder.
    std::filesystem::path Folder(int32_t type)
    {
        std::string path = ctrl.GetSavegamePath(type).c_str();
        std::replace(path.begin(), path.end(), '\\', '/');
        return dir.Path() / path;
    }

    TempDir dir;
    ScopedCurrentDir current{(Log::Write("game state test"), dir.Path())};
    StepCtrl ctrl;
    StateManager states;
    InputState keys;
    MouseState mouse;
    int32_t pointer = 0;
};

}  // namespace

TEST_F(SciFiGameCtrlGameStateTest, LevelEventCodes)
{
    const struct {
        int32_t code;
        bool wentOn;
        std::vector<int32_t> resets;
        int32_t state;
    } cases[] = {
        {0, true, {}, 100},  {1, false, {}, 100}, {2, false, {}, 100},     {4, false, {1}, 100},
        {6, false, {0}, 100}, {5, true, {}, 100},  {9, true, {}, 100}, {3, true, {}, SciFiGameCtrl::kStateEndOfGame},
    };
    ctrl.SetGameTime(100.0);  // an autosave is due again
    bool autoSave = false;
    for (const auto& c : cases) {
        autoSave = autoSave || c.code == 1;  // the request waits for its frame
        ctrl.code = c.code;
        ctrl.resets.clear();
        states.SetState(100);
        EXPECT_EQ(PassWentOn(), c.wentOn) << c.code;
        EXPECT_EQ(ctrl.resets, c.resets) << c.code;
        EXPECT_EQ(states.GetState(), c.state) << c.code;
        EXPECT_FALSE(ctrl.IsEndOfGameRequested()) << c.code;  // kind 2 is cleared, no change
        EXPECT_EQ(ctrl.IsAutoSaveRequested(), autoSave) << c.code;
    }
    EXPECT_EQ(ctrl.saves, std::vector<std::string>{"1 FIRST_GAME_LEVEL"});
}

// The completed game is saved first; the working folder and the levels of the quick save and
// slots 1 and 2 go only after a save that succeeded, and not while saves are kept off the disk.
TEST_F(SciFiGameCtrlGameStateTest, CompletedGameIsSavedBeforeItsFoldersGo)
{
    const struct {
        int32_t saveResult;
        int32_t saveMode;
        bool deleted;
    } cases[] = {{1, 0, true}, {0, 0, false}, {1, 1, false}};
    for (const auto& c : cases) {
        for (int32_t type : {-1, 0, 1, 2, 3})
            dir.Write((Folder(type) / "a.ld").lexically_relative(dir.Path()).string(), "level");
        ctrl.saveResult = c.saveResult;
        ctrl.SetSaveMode(c.saveMode);
        ctrl.code = 3;
        LogCapture log;
        ctrl.UpdateGameState(0.0);
        EXPECT_EQ(states.GetState(), SciFiGameCtrl::kStateEndOfGame);
        EXPECT_EQ(!std::filesystem::exists(Folder(-1)), c.deleted) << c.saveResult << c.saveMode;
        for (int32_t type : {0, 1, 2})
            EXPECT_EQ(!std::filesystem::exists(Folder(type) / "a.ld"), c.deleted) << type;
        EXPECT_TRUE(std::filesystem::exists(Folder(3) / "a.ld"));
        EXPECT_EQ(log.Count("could not be saved"), c.saveResult == 0 ? 1 : 0);
        states.SetState(100);
    }
}

// A pass without a level event computes the visibility map of a level in visibility mode 3, once.
TEST_F(SciFiGameCtrlGameStateTest, VisibilityMapOnceWithoutALevelEvent)
{
    LogCapture log;
    ctrl.UpdateGameState(0.0);  // mode 0: no map
    ctrl.GetWorld().SetVisibilityMode(3);
    ctrl.code = 4;
    ctrl.UpdateGameState(0.0);  // the level is reset instead
    EXPECT_EQ(log.Count("Visibility map calculated"), 0);
    ctrl.code = 0;
    ctrl.UpdateGameState(0.0);
    ctrl.UpdateGameState(0.0);
    EXPECT_EQ(log.Count("Visibility map calculated"), 1);
}

TEST_F(SciFiGameCtrlGameStateTest, DebugStepsLoadsAndPause)
{
    GameStateDebug& debug = g_GameStateDebug;
    debug.skipMode = 1;
    ctrl.UpdateGameState(2.5);
    debug.skipMode = 0;
    debug.singleStepMode = 1;
    ctrl.UpdateGameState(2.5);  // no step key
    keys.SetKeyDown(SciFiGameCtrl::kSingleStepKey, true);  // pressed in this frame
    ctrl.UpdateGameState(2.5);
    EXPECT_EQ(ctrl.steps, (std::vector<float>{0.1f, 0.0f, 0.1f}));
    debug.singleStepMode = 0;

    ctrl.RequestQuickLoad(2);
    debug.loadRequestPending = 1;
    debug.requestedLoadSlot = 7;
    ctrl.TogglePause();  // a paused game of one player does nothing at all
    ctrl.UpdateGameState(1.0);
    EXPECT_EQ(ctrl.steps.size(), 3u);
    EXPECT_TRUE(ctrl.loads.empty());
    ctrl.TogglePause();
    ctrl.UpdateGameState(1.0);
    EXPECT_EQ(ctrl.loads, (std::vector<std::string>{"0 1 0", "7 0 0"}));
    EXPECT_EQ(debug.loadRequestPending, 0);
    EXPECT_EQ(ctrl.steps.back(), 1.0f);
}

TEST_F(SciFiGameCtrlGameStateTest, OpenWindowClosesTheSkillRollups)
{
    ctrl.GetSkillRollup(0).SetOpenState(true);
    ctrl.GetSkillRollup(2).SetOpenState(true);
    ctrl.UpdateGameState(0.0);
    EXPECT_TRUE(ctrl.GetSkillRollup(0).IsOpen());  // no window open: they stay
    ctrl.GetDialogWindow().SetOpenState(true);
    ctrl.UpdateGameState(0.0);
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_FALSE(ctrl.GetSkillRollup(i).IsOpen()) << i;
}

// The player camera never runs more than 3.14 ahead of the engine camera's yaw, whichever way
// it turns; a step counts at most 3.
TEST_F(SciFiGameCtrlGameStateTest, RotateCameraStaysNearTheCamerasYaw)
{
    const float reference = ctrl.GameCtrl::GetCameraYaw();
    const struct {
        float start;  // offset from the reference
        float step;
        float expected;
    } cases[] = {
        {0.0f, 1.0f, 1.0f}, {0.0f, 5.0f, 3.0f}, {0.0f, -5.0f, -3.0f}, {2.0f, 2.0f, 3.14f}, {-2.0f, -1.5f, -3.14f},
    };
    for (const auto& c : cases) {
        ctrl.SetPlayerCamera(300.0f, 0.5f, reference + c.start);
        ctrl.RotateCamera(c.step);
        EXPECT_NEAR(ctrl.GetCameraYaw() - reference, c.expected, 1e-5f) << c.start << " " << c.step;
        EXPECT_LE(std::fabs(Angle::Diff(reference, ctrl.GetCameraYaw())), 3.14f + 1e-5f);
    }
}

TEST_F(SciFiGameCtrlGameStateTest, LeavingTheGameStateEmptiesTheInputs)
{
    const int32_t input = ctrl.AddInputCtrl(new SciFiInputCtrl(), 1);
    ASSERT_TRUE(ctrl.HasInputCtrl(input));
    mouse.onMove = [](float&, float&, intptr_t) {};
    mouse.userValue = 42;
    keys.SetKeyDown(30, true);  // the key events of the frame stay for whoever reads them next
    keys.SetKeyDown(31, true);
    keys.SetKeyDown(31, false);
    ctrl.LeaveGameState();
    EXPECT_FALSE(ctrl.HasInputCtrl(input));
    EXPECT_EQ(mouse.onMove, nullptr);
    EXPECT_EQ(mouse.userValue, 0);
    EXPECT_EQ(keys.change[30], InputState::kChangeDown);
    EXPECT_EQ(keys.change[31], InputState::kChangeUp);
}
