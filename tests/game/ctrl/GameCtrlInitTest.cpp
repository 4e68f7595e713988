// GameCtrl start-up: the steps of "Game init" in their order, what the dedicated server switches
// off, the field of view by the screen's aspect, the loading-screen picture, and presenting the
// drawn frames with the recovery of a lost device.
#include "game/ctrl/GameCtrl.h"

#include "GameCtrlTestSupport.h"
#include "game/ctrl/StateManager.h"
#include "support/DeviceGfx.h"
#include "support/LogCapture.h"
#include "support/ScopedGfx.h"
#include "support/TestClock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

std::vector<std::string>& Events()
{
    static std::vector<std::string> s_Events;
    return s_Events;
}

// Records the progress figures between the log lines.
class InitCtrl : public GameCtrl {
public:
    void ShowLoadingProgress(float percent, int32_t, float, int32_t) override
    {
        Events().push_back(std::to_string(int(percent)));
    }
};

// The log lines that name a step, in the order written.
class StepLog {
public:
    StepLog()
    {
        Events().clear();
        Log::SetEchoHook([](const char* line) {
            for (const char* step : {"Shaders loaded", "No bump map support", "View init", "Gui field init",
                                     "Treasure list loaded"})
                if (std::string(line).find(step) != std::string::npos)
                    Events().push_back(step);
        });
    }
    ~StepLog() { Log::SetEchoHook(nullptr); }
};

// The screen size as a test sets it, given back when it ends.
class ScopedScreen {
public:
    ScopedScreen(int32_t width, int32_t height) : m_Width(g_ScreenWidth), m_Height(g_ScreenHeight)
    {
        g_ScreenWidth = width;
        g_ScreenHeight = height;
    }
    ~ScopedScreen()
    {
        g_ScreenWidth = m_Width;
        g_ScreenHeight = m_Height;
    }

private:
    int32_t m_Width, m_Height;
};

}  // namespace

TEST(GameCtrlInitTest, StepsInOrder)
{
    ScopedGameConfig config;
    GameDir dir;
    dir.Write("cfg/experience.cfg", "level2 = 100\nlevel3 = 300\n");
    dir.Write("cfg/difficulty.cfg", "#\ndesc = \"easy\"\nmonsterHealth = 0.5\n");
    for (const char* name : {"cfg/actions.cfg", "cfg/strategy.cfg", "cfg/sounds.cfg"})
        dir.Write(name, "\n");
    ScopedGfx gfx;
    g_Options.noBumpMaps = 0;
    InitCtrl ctrl;
    ctrl.GetWorld().GetOptions().compressFloorTex = 1;
    {
        StepLog log;
        try {
            ctrl.Init();
        } catch (const ErrorMsg& e) {
            ADD_FAILURE() << e.message;
        }
        const std::vector<std::string> expected = {"Shaders loaded", "No bump map support", "12", "View init", "50",
                                                   "Gui field init", "75", "98", "Treasure list loaded"};
        EXPECT_EQ(Events(), expected);
    }
    EXPECT_EQ(ctrl.GetScreenshotCountdown(), -1);
    EXPECT_EQ(ctrl.IsBumpMappingEnabled(), 0);  // no device: pixel shader version 0
    EXPECT_FLOAT_EQ(ctrl.GetBumpStrength(), 0.0f);
    EXPECT_EQ(ctrl.GetTextureStageLimit(), 0);
    EXPECT_EQ(ctrl.GetExperienceTable().GetSize(), 3);
    EXPECT_EQ(ctrl.GetDifficulty(), 1);
    EXPECT_EQ(ctrl.GetDifficultyName(), String("easy"));
    EXPECT_FLOAT_EQ(ctrl.GetCameraStartPitch(), g_Options.startPitch);
    EXPECT_TRUE(gfx.gfx.IsDedicated());
    EXPECT_EQ(g_Options.noBumpMaps, 1);
    EXPECT_EQ(ctrl.GetWorld().GetOptions().compressFloorTex, 0);
}

// F1 60 degrees at 4:3, F2 75 degrees at 16:9; 21:9 stays at the 16:9 value.
TEST(GameCtrlInitTest, FieldOfViewByAspect)
{
    ScopedGameConfig config;
    const float f1 = 1.0471976f, f2 = 1.3089969f;
    g_Options.fov = f1;
    g_Options.fov16_9 = f2;
    const double a = std::tan(f1 / 2.0), b = std::tan(f2 / 2.0);
    const struct {
        int32_t width, height;
        double t;
    } screens[] = {{1024, 768, 0.0}, {1920, 1080, 1.0}, {2560, 1080, 1.0}, {1280, 800, (1.6 - 4.0 / 3.0) * 2.25},
                   {1024, 0, 0.0}};
    for (const auto& s : screens) {
        ScopedScreen screen(s.width, s.height);
        GameCtrl ctrl;
        ctrl.UpdateFieldOfView();
        const double vertical = 2.0 * std::atan(a + (b - a) * s.t);
        EXPECT_NEAR(ctrl.GetFieldOfView(), vertical, 1e-5) << s.width << "x" << s.height;
        const double aspect = s.height > 0 ? double(s.width) / s.height : 4.0 / 3.0;
        EXPECT_NEAR(ctrl.GetHorizontalFieldOfView(), 2.0 * std::atan(std::tan(vertical / 2.0) * aspect), 1e-5)
            << s.width << "x" << s.height;
    }
}

TEST(GameCtrlInitTest, ScreenSizeFromTheGraphicsObject)
{
    ScopedScreen screen(1, 1);
    GameCtrl ctrl;
    EXPECT_EQ(ctrl.ReadScreenSize(), 0);  // no graphics object: unchanged
    EXPECT_EQ(g_ScreenWidth, 1);
    ScopedGfx gfx;
    EXPECT_EQ(ctrl.ReadScreenSize(), 1);
    EXPECT_EQ(g_ScreenWidth, DXC_Gfx::kNoDeviceWidth);
    EXPECT_EQ(g_ScreenHeight, DXC_Gfx::kNoDeviceHeight);
}

TEST(GameCtrlInitTest, LoadingScreenNothingWhenDedicated)
{
    ScopedGameConfig config;
    GameDir dir;
    dir.Write("graphics/mine.jpg", "x");
    g_Options.dedicatedServer = 1;
    GameCtrl ctrl;
    ctrl.LoadLoadingScreen("graphics\\mine.jpg");
    EXPECT_TRUE(ctrl.GetLoadingScreenFile().IsEmpty());

    g_Options.dedicatedServer = 0;  // without a graphics object only the choice of file is made
    ctrl.LoadLoadingScreen("graphics\\mine.jpg");
    EXPECT_EQ(ctrl.GetLoadingScreenFile(), String("graphics\\mine.jpg"));
    ctrl.LoadLoadingScreen("graphics\\missing.jpg");
    EXPECT_EQ(ctrl.GetLoadingScreenFile(), String("graphics\\gui_2\\loadingscreens\\loading_default.jpg"));
}

TEST(GameCtrlInitTest, ScreenshotCountdownEndsAtMinusOne)
{
    GameCtrl ctrl;
    ctrl.RequestScreenshot("shot.jpg", 2);
    const int32_t expected[] = {1, 0, -1, -1};
    for (int32_t after : expected) {
        ctrl.TakePendingScreenshot();
        EXPECT_EQ(ctrl.GetScreenshotCountdown(), after);
    }
}

// Frame time 0 for the first drawn frame after the surfaces came back.
TEST(GameCtrlInitTest, RecreateSurfacesRestartsFrameTime)
{
    ScopedGameConfig config;
    ScopedScreen screen(1920, 1080);
    g_Options.fov16_9 = 1.2f;
    TestClock clock;
    GameCtrl ctrl;
    ctrl.RenderFrame();
    clock.Advance(0.05);
    ctrl.RenderFrame();
    EXPECT_NEAR(g_LastFrameTime, 0.05f, 1e-6);
    {
        LogCapture log;
        ctrl.RecreateSurfaces();
        EXPECT_EQ(log.Count("RecreateSurfaces"), 1);
    }
    EXPECT_FLOAT_EQ(ctrl.GetFieldOfView(), 1.2f);
    clock.Advance(0.05);
    ctrl.RenderFrame();
    EXPECT_FLOAT_EQ(g_LastFrameTime, 0.0f);
}

// Frames held by the controller and frames of a hidden window are not presented; each lowers the
// hold counter, a hidden window's below 0 until the window shows again. A present that fails
// (the device was lost) has the surfaces made again, so the next frame time is 0.
TEST(GameCtrlInitTest, PresentFrameHoldsHidesAndRecovers)
{
    ScopedGameConfig config;
    ScopedScreen screen(1024, 768);
    g_WindowState = WindowStateFlags();
    TestClock clock;
    DeviceGfx fixture;
    D3D9Journal& journal = fixture.Journal();
    GameCtrl ctrl;
    ctrl.HoldFrames(2);
    const struct Step {
        int32_t show;  // -1: leave the window as it is
        bool result;
        int32_t holdAfter;
        int32_t presents;
    } steps[] = {
        {-1, true, 1, 0}, {-1, true, 0, 0}, {-1, true, 0, 1},                  // a hold of 2
        {SW_MINIMIZE, true, -1, 1}, {-1, true, -2, 1}, {SW_SHOW, true, 0, 2},  // hidden twice
    };
    for (const Step& step : steps) {
        if (step.show >= 0)
            fixture.GetWindow().Show(step.show);
        EXPECT_EQ(ctrl.PresentFrame(), step.result);
        EXPECT_EQ(ctrl.GetHoldCounter(), step.holdAfter);
        EXPECT_EQ(journal.Count(D3D9Op::Present), step.presents);
    }
    EXPECT_EQ(ctrl.GetDrawnFrames(), 6u);

    ctrl.RenderFrame();
    clock.Advance(0.05);
    fixture.Device().Lose(1);
    {
        LogCapture log;
        EXPECT_FALSE(ctrl.PresentFrame());
        EXPECT_EQ(log.Count("RecreateSurfaces"), 1);
    }
    EXPECT_EQ(journal.Count(D3D9Op::Reset), 1);
    EXPECT_EQ(ctrl.GetRenderFlag(), 0);  // no level: nothing to restore
    ctrl.RenderFrame();
    EXPECT_FLOAT_EQ(g_LastFrameTime, 0.0f);
    EXPECT_TRUE(ctrl.PresentFrame());
}
