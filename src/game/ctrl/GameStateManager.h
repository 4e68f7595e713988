// GameStateManager: the state manager of a game: debug keys that scale time, the pause key,
// keyboard forwarding to the widget layer and the debug text overlay (frame rate, mouse position,
// the widget under the mouse).
#pragma once
#include "base/String.h"
#include "game/ctrl/StateManager.h"

#include <cstdint>
#include <memory>

class DXC_Gfx;
struct PrintfTextBlock;
class DXC_GuiManager;
class InputState;

// Debug settings, copied in and out as one block.
struct DebugSettings {
    uint8_t hideWindowOnActivation = 0;
    uint8_t slowMotionKey = 14;  // scan code (Backspace)
    double slowMotionFactor = 0.1;
    double fastMotionFactor = 3.0;  // slow-motion key and Left Shift held
    int32_t textX = 1;
    int32_t textY = 1;
    // The overlay's output routine: 2 or 3 print through DXC_Gfx::PrintfW with the graphics
    // object's own options; any other value lays the text out into the overlay's own block
    // (LayoutTextW) and draws that (RenderTextBlock).
    int32_t textMode = 3;
    uint8_t showFrameRate = 0;
    uint8_t showMousePosition = 0;
    int32_t debugLevel = 0;  // 2 or more, or 1 in debug mode, enables the pause key
    double frameRateSampleInterval = 1.0;
};

class GameStateManager : public StateManager {
public:
    static constexpr uint32_t kKeyPause = 19;  // virtual key codes
    static constexpr uint32_t kKeyEnd = 35;
    static constexpr uint32_t kKeyHome = 36;
    static constexpr uint32_t kKeyLeft = 37;
    static constexpr uint32_t kKeyDown = 40;
    static constexpr uint32_t kKeyDelete = 46;
    static constexpr int32_t kMaxHideAttempts = 4;

    GameStateManager();
    ~GameStateManager() override;

    double GetTimeScale() override;
    intptr_t HandleWindowMessage(Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    void DrawDebugInfo() override;

    void GetDebugSettings(DebugSettings& settings) const { settings = m_Settings; }
    void SetDebugSettings(const DebugSettings& settings) { m_Settings = settings; }

    void SetDebugMode(bool flag) { m_DebugMode = flag ? 1 : 0; }
    void SetWindow(Window* window) { m_Window = window; }
    void SetGfx(DXC_Gfx* gfx) { m_Gfx = gfx; }
    void SetKeyboard(InputState* keyboard) { m_Keyboard = keyboard; }
    void SetGuiManager(DXC_GuiManager* guiManager) { m_GuiManager = guiManager; }

    // The overlay text of the last DrawDebugInfo; empty when nothing was to be shown.
    const String& GetDebugText() const { return m_DebugText; }

protected:
    bool IsPauseKeyEnabled() const;
    // The code the widget layer takes for a navigation key, or 0 for any other key.
    static uint32_t GuiKeyCode(uintptr_t virtualKey);

    uint8_t m_DebugMode = 0;
    Window* m_Window = nullptr;
    DXC_Gfx* m_Gfx = nullptr;
    InputState* m_Keyboard = nullptr;
    DXC_GuiManager* m_GuiManager = nullptr;
    DebugSettings m_Settings;
    double m_FrameRateSampleTime = -9000000000.0;
    float m_ShownFrameRate = 0.0f;
    String m_DebugText;
    std::unique_ptr<PrintfTextBlock> m_DebugBlock;  // of the block routine, made on first use
};
