// GameStateManager: the debug time scale, the pause key, keys and characters for the widget
// layer, the full-screen and hide-on-activation handling of the window, and the overlay text.
#include "game/ctrl/GameStateManager.h"

#include "engine/gfx/DXC_Gfx.h"
#include "engine/gui/DXC_GuiManager.h"
#include "engine/gui/InputState.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

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
        manager.SetTimeScale(2.0);
        manager.SetDebugMode(c.debugMode);
        EXPECT_EQ(manager.GetTimeScale(), 2.0);
        g_InputState.SetKeyDown(InputState::kBackspace, c.backspace);  // the program's keyboard
        g_InputState.SetKeyDown(InputState::kLeftShift, c.shift);
        EXPECT_DOUBLE_EQ(manager.GetTimeScale(), c.scale);
        InputState keys;  // another one, which holds nothing
        manager.SetKeyboard(&keys);
        EXPECT_EQ(manager.GetTimeScale(), 2.0);
        g_InputState.SetKeyDown(InputState::kBackspace, false);
        g_InputState.SetKeyDown(InputState::kLeftShift, false);
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
