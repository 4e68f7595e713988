// StateManager: the loop's pacing and time steps on a test clock, state changes, the message pump
// with a destroyed or minimised window, draw suppression, the frame limits, and the messages taken
// while a lost graphics device is waited for or by the key state's pump.
#include "game/ctrl/StateManager.h"

#include "support/DeviceGfx.h"
#include "support/FakeInputDevices.h"
#include "support/LogCapture.h"
#include "support/TestClock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

// Records every call of the loop; stops after a number of passes, or when its own test says so.
class RecordingStateManager : public StateManager {
public:
    void OnSkippedTime(double seconds) override { skipped.push_back(seconds); }
    void OnActivate() override { calls.push_back("activate"); }
    void OnDeactivate() override { calls.push_back("deactivate"); }
    void EnterState(int32_t state) override { calls.push_back("enter " + std::to_string(state)); }
    void LeaveState(int32_t state) override { calls.push_back("leave " + std::to_string(state)); }
    void Update(double step) override
    {
        steps.push_back(step);
        if (onUpdate)
            onUpdate();
        if (int32_t(steps.size()) >= passes || (stopWhen && stopWhen()))
            SetState(kStateQuit);
    }
    void Draw() override { ++draws; }
    void DrawDebugInfo() override { ++overlays; }

    void Post(uint32_t message, uintptr_t wParam = 0) { GetMessageQueue().Post({nullptr, message, wParam, 0}); }

    int32_t passes = 1;
    std::function<bool()> stopWhen;
    std::function<void()> onUpdate;
    std::vector<double> steps;
    std::vector<double> skipped;
    std::vector<std::string> calls;
    int draws = 0;
    int overlays = 0;
};

class StateManagerTest : public ::testing::Test {
protected:
    void SetUp() override { g_WindowState = WindowStateFlags(); }
    void TearDown() override { g_WindowState = WindowStateFlags(); }
};

}  // namespace

TEST_F(StateManagerTest, LongPassIsCutToTheLargestStep)
{
    struct Case {
        bool paused;
        double timeScale;
        double step;
        double skipped;
    } cases[] = {
        {false, 1.0, 0.2, 1.3},
        {false, 2.5, 0.5, 1.3},  // the cut interval is scaled, the skipped part is not
        {true, 1.0, 0.0, 1.5},   // paused: the whole interval is skipped, the update still runs
    };
    for (const Case& c : cases) {
        TestClock clock(10.0, 1.5);  // every reading 1.5 s after the one before
        RecordingStateManager manager;
        manager.SetTimeScale(c.timeScale);
        manager.SetPaused(c.paused);
        manager.Run();
        ASSERT_EQ(manager.steps.size(), 1u);
        EXPECT_NEAR(manager.steps[0], c.step, 1e-9);
        ASSERT_EQ(manager.skipped.size(), 1u);
        EXPECT_NEAR(manager.skipped[0], c.skipped, 1e-9);
        EXPECT_NEAR(manager.GetLastInterval(), 1.5, 1e-9);
        EXPECT_NEAR(manager.GetRealTimeTotal(), 1.5, 1e-9);
        EXPECT_NEAR(manager.GetScaledTimeTotal(), c.step, 1e-9);
        EXPECT_TRUE(clock.Sleeps().empty());
    }
}

TEST_F(StateManagerTest, ShortPassesWaitForTheNextPeriod)
{
    {
        // 4.6 ms of the 5 ms period have passed: 0.4 ms is not worth a sleep, the clock is read
        // again at once.
        TestClock clock(10.0, 0.0046);
        RecordingStateManager manager;
        manager.Run();
        EXPECT_TRUE(clock.Sleeps().empty());
        EXPECT_NEAR(manager.steps[0], 0.0092, 1e-9);
        EXPECT_TRUE(manager.skipped.empty());
    }
    {
        // 10 to 30 frames a second for one second of the clock.
        TestClock clock(10.0, 0.0001);
        RecordingStateManager manager;
        manager.SetFPSLimits(10.0, 30.0);
        manager.passes = 1000;
        manager.stopWhen = [&] { return manager.GetRealTimeTotal() >= 1.0; };
        manager.Run();
        EXPECT_NEAR(double(manager.GetFrameCount()), 30.0, 1.0);
        ASSERT_FALSE(clock.Sleeps().empty());
        for (uint32_t ms : clock.Sleeps())
            EXPECT_EQ(ms, 33u);
        for (double step : manager.steps)
            EXPECT_GE(step, 1.0 / 30.0);
    }
}

TEST_F(StateManagerTest, StatesAreLeftAndEntered)
{
    RecordingStateManager manager;
    EXPECT_EQ(manager.GetState(), StateManager::kStateNone);
    manager.SetState(100);  // nothing to leave yet
    manager.SetState(-5);   // refused
    manager.SetState(100);  // left and entered again
    manager.SetState(StateManager::kStateQuit);  // left; 1 is never entered
    EXPECT_EQ(manager.GetState(), StateManager::kStateQuit);
    EXPECT_EQ(manager.calls, (std::vector<std::string>{"enter 100", "leave 100", "enter 100", "leave 100"}));
}

TEST_F(StateManagerTest, DestroyedWindowQuitsWithoutEnteringState1)
{
    TestClock clock(10.0, 0.01);
    RecordingStateManager manager;
    manager.SetState(100);
    manager.passes = 1000;
    manager.onUpdate = [&] {
        if (manager.steps.size() == 3)
            manager.Post(WM_DESTROY);
    };
    manager.Run();
    EXPECT_EQ(manager.steps.size(), 3u);  // the pass that pumped the message was the last
    EXPECT_EQ(manager.GetState(), StateManager::kStateQuit);
    EXPECT_EQ(manager.calls, (std::vector<std::string>{"enter 100", "leave 100"}));
    EXPECT_EQ(g_WindowState.quitRequested, 1);
}

TEST_F(StateManagerTest, MinimisedWindowWaitsAndSkipsTheTimeWaited)
{
    // The restore is posted when the loop announces that frames stopped being due, so it is
    // waiting in the queue when the loop blocks on it.
    struct Manager : RecordingStateManager {
        void OnDeactivate() override
        {
            RecordingStateManager::OnDeactivate();
            Post(WM_SIZE, 0);
        }
    };
    TestClock clock(10.0, 0.01);
    Manager manager;
    manager.passes = 2;
    manager.onUpdate = [&] {
        if (manager.steps.size() == 1)
            manager.Post(WM_SIZE, SIZE_MINIMIZED);
    };
    manager.Run();
    EXPECT_EQ(manager.calls, (std::vector<std::string>{"deactivate", "activate"}));
    ASSERT_EQ(manager.skipped.size(), 1u);  // the wait, between two readings of the clock
    EXPECT_NEAR(manager.skipped[0], 0.01, 1e-9);
    EXPECT_EQ(manager.draws, 2);
    EXPECT_EQ(g_WindowState.windowVisible, 1);
}

TEST_F(StateManagerTest, DrawingAndTheFrameCounter)
{
    struct Case {
        bool suppressed;
        uintptr_t size;  // WM_SIZE sent before the loop
        uint32_t appActive;
        int draws;
    } cases[] = {
        {false, 0, 1, 3},
        {true, 0, 1, 0},
        {true, SIZE_MINIMIZED, 0, 0},
        {false, SIZE_MAXHIDE, 1, 0},  // hidden: no frame is due, though the loop runs on
        {false, 0, 0, 3},             // inactive, but the loop runs while inactive
    };
    for (const Case& c : cases) {
        TestClock clock(10.0, 0.01);
        RecordingStateManager manager;
        manager.passes = 3;
        manager.SetRunWhileInactive(true);
        if (c.suppressed)
            manager.SuppressDrawing();
        manager.HandleWindowMessage(nullptr, WM_SIZE, c.size, 0);
        manager.HandleWindowMessage(nullptr, WM_ACTIVATEAPP, c.appActive, 0);
        manager.Run();
        EXPECT_EQ(manager.draws, c.draws);
        EXPECT_EQ(manager.overlays, c.draws);
        EXPECT_EQ(manager.GetFrameCount(), 3u);
    }
}

TEST_F(StateManagerTest, WindowMessagesSetTheFlags)
{
    RecordingStateManager manager;
    manager.HandleWindowMessage(nullptr, WM_ENTERSIZEMOVE, 0, 0);
    EXPECT_EQ(g_WindowState.inSizeMove, 1);
    manager.HandleWindowMessage(nullptr, WM_ACTIVATEAPP, 0, 0);
    EXPECT_EQ(g_WindowState.appActive, 0);
    EXPECT_FALSE(manager.IsFrameDue());
    manager.SetRunWhileInactive(true);
    EXPECT_TRUE(manager.IsFrameDue());
    manager.HandleWindowMessage(nullptr, WM_SIZE, SIZE_MAXHIDE, 0);
    EXPECT_FALSE(manager.IsFrameDue());
    manager.HandleWindowMessage(nullptr, WM_EXITSIZEMOVE, 0, 0);
    EXPECT_EQ(g_WindowState.inSizeMove, 0);

    // While the window is moved, time stands still as while paused.
    g_WindowState = WindowStateFlags();
    TestClock clock(10.0, 0.01);
    RecordingStateManager moving;
    moving.HandleWindowMessage(nullptr, WM_ENTERSIZEMOVE, 0, 0);
    moving.Run();
    EXPECT_EQ(moving.steps, std::vector<double>{0.0});
    EXPECT_EQ(moving.skipped.size(), 1u);
}

TEST_F(StateManagerTest, FrameLimitsRefuseRatesThatCannotPace)
{
    struct Case {
        double minimum;
        double maximum;
        bool taken;
    } cases[] = {
        {10.0, 30.0, true},
        {30.0, 30.0, true},
        {0.0, 30.0, false},
        {10.0, 0.0, false},
        {-5.0, 30.0, false},
        {30.0, 10.0, false},  // the minimum above the maximum
        {NAN, 30.0, false},
        {10.0, NAN, false},
    };
    for (const Case& c : cases) {
        RecordingStateManager manager;
        LogCapture log;
        manager.SetFPSLimits(c.minimum, c.maximum);
        EXPECT_EQ(manager.GetMinFPS(), c.taken ? c.minimum : 5.0);
        EXPECT_EQ(manager.GetMaxFPS(), c.taken ? c.maximum : 200.0);
        EXPECT_EQ(log.Count("Invalid frame rate limits"), c.taken ? 0 : 1);
    }
}

// While the graphics object waits for a lost device it takes this loop's window messages: one
// posted meanwhile is handled before the device is back, without the loop running.
TEST_F(StateManagerTest, LostDeviceWaitTakesTheLoopsMessages)
{
    TestClock clock;
    RecordingStateManager manager;
    DeviceGfx client;
    manager.Post(WM_ACTIVATEAPP, 0);
    client.Device().Lose(2);
    EXPECT_EQ(client.Gfx().Present(), 0);
    EXPECT_TRUE(manager.GetMessageQueue().IsEmpty());
    EXPECT_EQ(g_WindowState.appActive, 0);
    EXPECT_EQ(manager.calls, std::vector<std::string>{"deactivate"});
    EXPECT_TRUE(manager.steps.empty());
}

// The program's key state pumps the newest loop's messages, one per update, handled as the loop
// handles them; a lost foreground also calls its own hook. Waiting, it handles what another
// thread posts until the window is destroyed.
TEST_F(StateManagerTest, TheKeyStatePumpsTheLoopsMessages)
{
    static int32_t deactivations = 0;
    ScopedProgramInputDevices devices;
    RecordingStateManager manager;
    ASSERT_EQ(g_InputState.GetMessageLoop(), &manager);
    g_InputState.onDeactivate = [] { ++deactivations; };
    manager.Post(WM_ACTIVATEAPP, 1);
    manager.Post(WM_ACTIVATEAPP, 0);
    EXPECT_EQ(g_InputState.Update(), InputState::kUpdated);
    EXPECT_EQ(deactivations, 0);
    EXPECT_FALSE(manager.GetMessageQueue().IsEmpty());  // one message per update
    EXPECT_EQ(g_InputState.Update(), InputState::kUpdated);
    EXPECT_EQ(deactivations, 1);
    EXPECT_EQ(manager.calls, std::vector<std::string>{"deactivate"});
    EXPECT_TRUE(manager.GetMessageQueue().IsEmpty());

    manager.SetState(100);
    g_InputState.waitForMessages = 1;
    std::thread poster([&] {
        manager.Post(WM_ACTIVATEAPP, 1);
        manager.Post(WM_DESTROY);
    });
    EXPECT_EQ(g_InputState.Update(), InputState::kQuit);
    poster.join();
    EXPECT_EQ(manager.calls, (std::vector<std::string>{"deactivate", "enter 100", "activate", "leave 100"}));
    EXPECT_EQ(manager.GetState(), StateManager::kStateQuit);
    EXPECT_EQ(g_InputState.Update(), InputState::kUpdated);  // quit already: no wait
    g_InputState.waitForMessages = 0;
    g_InputState.onDeactivate = nullptr;
}
