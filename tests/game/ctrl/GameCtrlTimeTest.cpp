// GameCtrl time: the game time and the per-frame step, the drawn frame's time, the screen fade,
// the loading progress, pause, the game speed and the profiling time.
#include "game/ctrl/GameCtrl.h"

#include "base/MusicChannels.h"
#include "game/ctrl/StateManager.h"

#include "support/RecordingSoundDevice.h"
#include "support/TestClock.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// Keeps the calls of the hooks that the network layers replace.
class HookCtrl : public GameCtrl {
public:
    void ShowLoadingProgress(float percent, int32_t stage, float alpha, int32_t flag) override
    {
        progress.push_back({percent, float(stage), alpha, float(flag)});
        GameCtrl::ShowLoadingProgress(percent, stage, alpha, flag);
    }
    void ServiceNetwork() override { ++services; }
    bool IsJoiningNetworkGame(float* fraction) override
    {
        (void)fraction;
        return joining;
    }
    bool IsNetworkClient() override { return client; }
    int32_t AdvanceGameTime(float seconds) override
    {
        steps.push_back(seconds);
        return GameCtrl::AdvanceGameTime(seconds);
    }

    std::vector<std::vector<float>> progress;
    std::vector<float> steps;
    int services = 0;
    bool joining = false;
    bool client = false;
};

class GameCtrlTimeTest : public ::testing::Test {
protected:
    void TearDown() override { g_WindowState = WindowStateFlags(); }
};

}  // namespace

TEST_F(GameCtrlTimeTest, FrameStepAdvancesTheGameTime)
{
    TestClock clock(10.0, 0.001);
    HookCtrl ctrl;
    EXPECT_EQ(ctrl.GetGameTime(), 0.0);
    const uint32_t frames = g_GameFrameCounter;
    EXPECT_EQ(ctrl.UpdateFrame(0.0f), 1);  // a paused step: only the time moves, by nothing
    EXPECT_EQ(ctrl.steps, std::vector<float>{0.0f});
    EXPECT_EQ(ctrl.GetGameTime(), 0.0);
    EXPECT_EQ(g_GameFrameCounter, frames + 1);
    EXPECT_DOUBLE_EQ(ctrl.GetRealTime(), clock.Now());

    for (int i = 0; i < 20; ++i)
        ctrl.UpdateFrame(0.05f);
    EXPECT_NEAR(ctrl.GetGameTime(), 1.0, 1e-6);
    EXPECT_NEAR(ctrl.GetStepTimeTotal(), 1.0f, 1e-5f);
    EXPECT_EQ(g_GameFrameCounter, frames + 21);
    ctrl.ResetStepTime();
    EXPECT_EQ(ctrl.GetStepTimeTotal(), 0.0f);

    ctrl.SetGameTime(123.5);
    EXPECT_EQ(ctrl.GetGameTime(), 123.5);
    ctrl.ResetGameState();  // a new game starts at 0
    EXPECT_EQ(ctrl.GetGameTime(), 0.0);
}

TEST_F(GameCtrlTimeTest, DrawnFrameTimeIsCappedAndStartsAtZero)
{
    TestClock clock(10.0, 0.0);
    GameCtrl ctrl;
    g_LastFrameTime = 7.0f;
    ctrl.RenderFrame();
    EXPECT_EQ(g_LastFrameTime, 0.0f);  // the first frame
    EXPECT_DOUBLE_EQ(ctrl.GetRealTime(), 10.0);
    clock.Advance(0.5);
    ctrl.RenderFrame();
    EXPECT_FLOAT_EQ(g_LastFrameTime, 0.2f);
    clock.Advance(0.1);
    ctrl.RenderFrame();
    EXPECT_NEAR(g_LastFrameTime, 0.1f, 1e-6f);
}

TEST_F(GameCtrlTimeTest, ScreenFade)
{
    struct Case {
        float value;
        float rate;
        float dt;
        bool joining;
        float result;
    } cases[] = {
        {1.0f, -5.0f, 0.1f, false, 1.0f},  // shown: stays shown whatever the rate
        {0.9f, 2.0f, 0.1f, false, 1.0f},   // 1.1 clamped
        {0.5f, -10.0f, 0.1f, false, 0.0f},
        {0.2f, 1.0f, 0.1f, false, 0.3f},
        {0.2f, 1.0f, 0.1f, true, 0.2f},  // no fade while a network game joins
    };
    for (const Case& c : cases) {
        HookCtrl ctrl;
        ctrl.joining = c.joining;
        ctrl.SetScreenFade(c.value, c.rate);
        ctrl.UpdateScreenFade(c.dt);
        EXPECT_NEAR(ctrl.GetScreenFade(), c.result, 1e-6f);
    }

    // The drawn frame advances the fade by its frame time.
    TestClock clock(10.0, 0.0);
    HookCtrl ctrl;
    ctrl.SetScreenFade(0.0f, 1.0f);
    ctrl.RenderFrame();
    clock.Advance(0.05);
    ctrl.RenderFrame();
    EXPECT_NEAR(ctrl.GetScreenFade(), 0.05f, 1e-6f);
}

TEST_F(GameCtrlTimeTest, LoadingScreenAndProgressServeTheNetwork)
{
    HookCtrl ctrl;
    ctrl.ShowLoadingScreenFade();  // fully shown: no loading screen
    EXPECT_TRUE(ctrl.progress.empty());
    ctrl.SetScreenFade(0.25f, 1.0f);
    ctrl.ShowLoadingScreenFade();
    ASSERT_EQ(ctrl.progress.size(), 1u);
    EXPECT_EQ(ctrl.progress[0], (std::vector<float>{100.0f, 0.0f, 0.75f, 1.0f}));
    EXPECT_EQ(ctrl.services, 1);
    ctrl.joining = true;
    ctrl.ShowLoadingScreenFade();
    EXPECT_EQ(ctrl.progress.size(), 1u);
    ctrl.ShowLoadingProgress(50.0f, 0, 1.0f, 1);
    EXPECT_EQ(ctrl.services, 2);
}

TEST_F(GameCtrlTimeTest, Pause)
{
    HookCtrl ctrl;
    EXPECT_FALSE(ctrl.IsPaused());
    ctrl.TogglePause();
    EXPECT_EQ(ctrl.GetPauseFlag(), 1);
    EXPECT_TRUE(ctrl.IsPaused());
    ctrl.client = true;  // a network client runs on, paused or not
    EXPECT_FALSE(ctrl.IsPaused());
    ctrl.client = false;
    ctrl.TogglePause();
    EXPECT_EQ(ctrl.GetPauseFlag(), 0);
    EXPECT_FALSE(ctrl.IsPaused());
    ctrl.SetPause(1);
    EXPECT_TRUE(ctrl.IsPaused());
    ctrl.SetPause(0);

    g_WindowState.inSizeMove = 1;  // the window is being moved
    EXPECT_TRUE(ctrl.IsPaused());
    g_WindowState.inSizeMove = 0;
    EXPECT_TRUE(ctrl.IsWindowActive());
    g_WindowState.windowVisible = 0;
    EXPECT_FALSE(ctrl.IsWindowActive());
}

TEST_F(GameCtrlTimeTest, PauseEndsTheSpeechAndSoundsHaltAndContinue)
{
    ScopedSoundManager sound;
    sound.device->handle = 7;
    sound.device->playing = true;
    GameCtrl ctrl;
    WorldCtrl& world = ctrl.GetWorld();
    world.PlaySpeech("speech\\a.ogg", 0);
    ctrl.TogglePause();  // paused: the world's pause routines end the speech
    EXPECT_EQ(sound.device->stopped, std::vector<int32_t>{7});
    world.PlaySpeech("speech\\b.ogg", 0);
    ctrl.TogglePause();  // running again: the routines do not run
    ctrl.SetPause(0);
    EXPECT_EQ(sound.device->stopped.size(), 1u);
    ctrl.SetPause(1);
    EXPECT_EQ(sound.device->stopped.size(), 2u);
    EXPECT_EQ(world.GetSpeechHandle(), -1);

    g_MusicChannels = MusicChannels();
    ctrl.PlayMusic("a.ogg", 1.0f, 1.0f, 1, 1.0f);
    ctrl.PlayAmbientMusic("wind.ogg", 0.0f);
    sound.device->playing = false;  // the ambient sound is halted only while it plays
    ctrl.HaltSounds();
    EXPECT_EQ(sound.device->halted, std::vector<int32_t>{7});
    sound.device->playing = true;
    ctrl.ContinueSounds();
    EXPECT_EQ(sound.device->continued, (std::vector<int32_t>{7, 7}));
    g_MusicChannels = MusicChannels();
}

TEST_F(GameCtrlTimeTest, GameSpeedReachesTheLinkedStateManager)
{
    GameCtrl ctrl;
    ctrl.SetGameSpeed(2.0f);  // nothing linked yet
    EXPECT_EQ(ctrl.GetGameSpeed(), 2.0f);
    auto manager = std::make_unique<StateManager>();
    EXPECT_EQ(manager->GetTimeScale(), 1.0);
    ctrl.SetStateManager(manager.get());
    EXPECT_EQ(ctrl.GetStateManager(), manager.get());
    ctrl.SetGameSpeed(0.5f);
    EXPECT_EQ(manager->GetTimeScale(), 0.5);
    manager.reset();  // the link goes with the state manager
    EXPECT_EQ(ctrl.GetStateManager(), nullptr);
    ctrl.SetGameSpeed(3.0f);
    EXPECT_EQ(ctrl.GetGameSpeed(), 3.0f);
}

TEST_F(GameCtrlTimeTest, ProfilingTimeOnlyWhileTheDisplayIsShown)
{
    TestClock clock(10.0, 0.0);
    GameCtrl ctrl;
    EXPECT_EQ(ctrl.GetProfilingTime(), 0.0);
    ctrl.GetTextViewer(GameCtrl::kProfilingViewer).SetOpenState(true);
    EXPECT_EQ(ctrl.GetProfilingTime(), 10.0);
}
