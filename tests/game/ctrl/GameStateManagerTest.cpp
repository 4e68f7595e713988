// GameStateManager: the debug time scale, the pause key, keys and characters for the widget
// layer, the full-screen and hide-on-activation handling of the window, and the overlay text.
#include "game/ctrl/GameStateManager.h"

#include "engine/gfx/DXC_Gfx.h"
#include "engine/gui/DXC_GuiManager.h"
#include "engine/gui/InputState.h"
#include "platform/Window.h"
#include "support/DeviceGfx.h"
#include "support/TestClock.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Keeps what reaches the widget layer.
class RecordingGuiManager : public DXC_GuiManager {
public:
    DXC_GuiField* OnChar(uint32_t code, int32_t repeat, uint32_t flags) override
    {
        chars.push_back({code, repeat, flags});
        return nullptr;
    }
    struct Char {
        uint32_t code;
        int32_t repeat;
        uint32_t flags;
        bool operator==(const Char&) const = default;
    };
    std::vector<Char> chars;
};

// A game's state manager whose loop ends after a number of passes.
class PassingGameStateManager : public GameStateManager {
public:
    void Update(double) override
    {
        if (++updates >= passes)
            SetState(kStateQuit);
    }
    int32_t passes = 3;
    int32_t updates = 0;
};

class GameStateManagerTest : public ::testing::Test {
protected:
    void TearDown() override { g_WindowState = WindowStateFlags(); }
};

}  // namespace

TEST_F(GameStateManagerTest, DebugKeysScaleTime)
{
    struct Case {
        bool debugMode;
        bool backspace;
        bool shift;
        double scale;
    } cases[] = {
        {false, true, false, 2.0}, {true, false, true, 2.0}, {true, true, false, 0.2}, {true, true, true, 6.0},
    };
    for (const Case& c : cases) {
        GameStateManager manager;
        InputState keys;
        manager.SetTimeScale(2.0);
        manager.SetDebugMode(c.debugMode);
        keys.SetKeyDown(InputState::kBackspace, c.backspace);
        keys.SetKeyDown(InputState::kLeftShift, c.shift);
        EXPECT_EQ(manager.GetTimeScale(), 2.0);  // no keyboard yet
        manager.SetKeyboard(&keys);
        EXPECT_DOUBLE_EQ(manager.GetTimeScale(), c.scale);
    }
}

TEST_F(GameStateManagerTest, PauseKeyNeedsADebugLevel)
{
    struct Case {
        int32_t debugLevel;
        bool debugMode;
        bool toggles;
    } cases[] = {{0, true, false}, {1, false, false}, {1, true, true}, {2, false, true}};
    for (const Case& c : cases) {
        GameStateManager manager;
        DebugSettings settings;
        manager.GetDebugSettings(settings);
        settings.debugLevel = c.debugLevel;
        manager.SetDebugSettings(settings);
        manager.SetDebugMode(c.debugMode);
        manager.HandleWindowMessage(nullptr, WM_KEYDOWN, GameStateManager::kKeyPause, 0);
        EXPECT_EQ(manager.IsPaused(), c.toggles);
        manager.HandleWindowMessage(nullptr, WM_KEYDOWN, GameStateManager::kKeyPause, 0);
        EXPECT_FALSE(manager.IsPaused());
    }
}

TEST_F(GameStateManagerTest, NavigationKeysAndCharactersReachTheWidgets)
{
    GameStateManager manager;
    manager.HandleWindowMessage(nullptr, WM_CHAR, 'a', 1);  // no widget manager: nothing happens
    RecordingGuiManager gui;
    manager.SetGuiManager(&gui);
    const intptr_t lParam = 0x00480003;  // repeat 3, scan code 0x48
    for (uintptr_t key : {37u, 38u, 39u, 40u, 35u, 36u, 46u, 65u, 19u})
        manager.HandleWindowMessage(nullptr, WM_KEYDOWN, key, lParam);
    manager.HandleWindowMessage(nullptr, WM_CHAR, 'x', 1);
    std::vector<RecordingGuiManager::Char> expected = {{17, 3, 0x48}, {18, 3, 0x48}, {19, 3, 0x48}, {20, 3, 0x48},
                                                       {1, 3, 0x48},  {2, 3, 0x48},  {24, 3, 0x48}, {'x', 1, 0}};
    EXPECT_EQ(gui.chars, expected);
}

TEST_F(GameStateManagerTest, WindowOnActivationAndDeactivation)
{
    DXC_Gfx gfx;
    {
        // Leaving a full-screen game restores the desktop and minimises the window.
        GameStateManager manager;
        Window window;
        manager.SetWindow(&window);
        manager.SetGfx(&gfx);
        manager.HandleWindowMessage(&window, WM_ACTIVATEAPP, 0, 0);
        EXPECT_TRUE(window.IsVisible());  // windowed: left alone
        manager.HandleWindowMessage(&window, WM_ACTIVATEAPP, 1, 0);
        gfx.windowed = 0;
        manager.HandleWindowMessage(&window, WM_ACTIVATEAPP, 0, 0);
        EXPECT_TRUE(window.IsMinimized());
        EXPECT_EQ(g_WindowState.appActive, 0);
    }
    {
        // Hiding on activation stops once the window says it was hidden, and stops at the bound
        // even when that answer never comes.
        GameStateManager manager;
        Window window;
        manager.SetWindow(&window);
        DebugSettings settings;
        settings.hideWindowOnActivation = 1;
        manager.SetDebugSettings(settings);
        manager.HandleWindowMessage(&window, WM_ACTIVATEAPP, 1, 0);
        EXPECT_FALSE(window.IsVisible());
        EXPECT_EQ(window.GetShowCalls(), 2);

        struct StubbornWindow : Window {
            int32_t Show(int32_t command) override
            {
                Window::Show(command);
                return 1;  // always "was visible"
            }
        } stubborn;
        manager.SetWindow(&stubborn);
        manager.HandleWindowMessage(&stubborn, WM_ACTIVATEAPP, 1, 0);
        EXPECT_EQ(stubborn.GetShowCalls(), GameStateManager::kMaxHideAttempts);
        manager.SetWindow(nullptr);
        manager.HandleWindowMessage(nullptr, WM_ACTIVATEAPP, 1, 0);  // no window: nothing to hide
    }
}

TEST_F(GameStateManagerTest, OverlayText)
{
    GameStateManager manager;
    DebugSettings settings;
    settings.showFrameRate = 1;
    settings.showMousePosition = 1;
    manager.SetDebugSettings(settings);
    manager.DrawDebugInfo();
    EXPECT_EQ(std::string(manager.GetDebugText().c_str()), "");  // no graphics object: no overlay

    DXC_Gfx gfx;
    DXC_GuiManager gui(&gfx);
    InputState keys;
    gui.GetRoot().SetPos(100, 50);
    gui.SetMousePos(7, 9);
    manager.SetGfx(&gfx);
    manager.SetGuiManager(&gui);
    manager.SetKeyboard(&keys);
    manager.DrawDebugInfo();
    EXPECT_EQ(std::string(manager.GetDebugText().c_str()), "FPS: 0.0");  // the mouse only in debug mode
    manager.SetDebugMode(true);
    manager.DrawDebugInfo();
    EXPECT_EQ(std::string(manager.GetDebugText().c_str()), "FPS: 0.0\nMousePos: 7/9");
    keys.SetKeyDown(InputState::kRightShift, true);
    manager.DrawDebugInfo();
    EXPECT_EQ(std::string(manager.GetDebugText().c_str()), "FPS: 0.0\nMousePos: 7/9\nGuiName: DXC_GuiField");
}

TEST_F(GameStateManagerTest, OverlayDrawnOncePerFrameByEitherRoutine)
{
    TestClock clock(10.0, 0.02);
    for (int32_t mode : {3, 1}) {  // the printf routine, the text-block routine
        for (uint8_t showFrameRate : {0, 1}) {
            DeviceGfx fixture;
            PassingGameStateManager manager;
            manager.SetGfx(&fixture.Gfx());
            DebugSettings settings;
            settings.textMode = mode;
            settings.textX = 5;
            settings.textY = 7;
            settings.showFrameRate = showFrameRate;
            manager.SetDebugSettings(settings);
            fixture.Journal().Clear();
            manager.Run();
            const int32_t frames = showFrameRate ? 3 : 0;  // nothing to show: no scene, no draw
            EXPECT_EQ(fixture.Journal().Count(D3D9Op::BeginScene), frames) << mode;
            EXPECT_EQ(fixture.Journal().Count(D3D9Op::DrawPrimitive), frames) << mode;
            EXPECT_FALSE(fixture.Gfx().IsInScene());
            if (!showFrameRate)
                continue;
            const D3D9Call* draw = fixture.Journal().Last(D3D9Op::DrawPrimitive);
            EXPECT_EQ(draw->Arg(2), 2u * 8);  // "FPS: 0.0", the space's empty glyph too
            IDirect3DVertexBuffer9* buffer = nullptr;
            uint32_t offset = 0, stride = 0;
            fixture.Device().GetStreamSource(0, &buffer, &offset, &stride);
            ASSERT_NE(buffer, nullptr);
            buffer->Release();
            float x = 0.0f, y = 0.0f;
            std::memcpy(&x, buffer->GetBytes().data(), sizeof x);
            std::memcpy(&y, buffer->GetBytes().data() + sizeof x, sizeof y);
            EXPECT_EQ(x, 4.75f);  // at (text x, text y)
            EXPECT_EQ(y, 6.75f);
        }
    }
    // A scene already open stays open and is not opened again.
    DeviceGfx fixture;
    GameStateManager manager;
    manager.SetGfx(&fixture.Gfx());
    DebugSettings settings;
    settings.showFrameRate = 1;
    manager.SetDebugSettings(settings);
    fixture.Gfx().BeginScene();
    fixture.Journal().Clear();
    manager.DrawDebugInfo();
    EXPECT_EQ(fixture.Journal().Count(D3D9Op::BeginScene), 0);
    EXPECT_EQ(fixture.Journal().Count(D3D9Op::DrawPrimitive), 1);
    EXPECT_TRUE(fixture.Gfx().IsInScene());
    fixture.Gfx().EndScene();
}
