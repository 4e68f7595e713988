// Window: the stand-in for the game window (shown or hidden, its client area) and the display
// mode. The server opens no window; a client-side window and tests make one.
#pragma once
#include <cstdint>

constexpr int32_t SW_HIDE = 0;
constexpr int32_t SW_SHOWNORMAL = 1;
constexpr int32_t SW_SHOW = 5;
constexpr int32_t SW_MINIMIZE = 6;

struct RECT {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// The window's outer rectangle and its client area, both in screen coordinates.
struct WINDOWINFO {
    RECT rcWindow;
    RECT rcClient;
};

class Window {
public:
    virtual ~Window() = default;

    // Hides the window (SW_HIDE, SW_MINIMIZE) or shows it (any other command); answers whether it
    // was visible before.
    virtual int32_t Show(int32_t command);
    bool IsVisible() const { return m_Visible; }
    bool IsMinimized() const { return m_Minimized; }
    int32_t GetShowCalls() const { return m_ShowCalls; }

    // The client area from (0, 0); a test resizes the window as a user would drag its frame.
    void GetClientRect(RECT* rect) const;
    void GetWindowInfo(WINDOWINFO* info) const;
    void SetClientSize(int32_t width, int32_t height);

private:
    bool m_Visible = true;
    bool m_Minimized = false;
    int32_t m_ShowCalls = 0;
    int32_t m_ClientWidth = 1024;
    int32_t m_ClientHeight = 768;
};

namespace Platform {

// Returns the display to the mode of the desktop; without a display of our own there is none
// to change.
void RestoreDisplayMode();
// True while a debugger traces the process.
bool IsDebuggerPresent();

}  // namespace Platform
