// Window: the stand-in for the game window (shown or hidden) and the display mode. The server
// opens no window; a client-side window and tests make one.
#pragma once
#include <cstdint>

constexpr int32_t SW_HIDE = 0;
constexpr int32_t SW_SHOWNORMAL = 1;
constexpr int32_t SW_SHOW = 5;
constexpr int32_t SW_MINIMIZE = 6;

class Window {
public:
    virtual ~Window() = default;

    // Hides the window (SW_HIDE, SW_MINIMIZE) or shows it (any other command); answers whether it
    // was visible before.
    virtual int32_t Show(int32_t command);
    bool IsVisible() const { return m_Visible; }
    bool IsMinimized() const { return m_Minimized; }
    int32_t GetShowCalls() const { return m_ShowCalls; }

private:
    bool m_Visible = true;
    bool m_Minimized = false;
    int32_t m_ShowCalls = 0;
};

namespace Platform {

// Returns the display to the mode of the desktop; without a display of our own there is none
// to change.
void RestoreDisplayMode();
// True while a debugger traces the process.
bool IsDebuggerPresent();

}  // namespace Platform
