// Window: the window's shown state, the display mode and the debugger test over /proc.
#include "platform/Window.h"

#include <cstdio>
#include <cstring>

int32_t Window::Show(int32_t command)
{
    const bool wasVisible = m_Visible;
    ++m_ShowCalls;
    m_Visible = command != SW_HIDE && command != SW_MINIMIZE;
    m_Minimized = command == SW_MINIMIZE;
    return wasVisible ? 1 : 0;
}

void Window::GetClientRect(RECT* rect) const
{
    *rect = RECT();
    rect->right = m_ClientWidth;
    rect->bottom = m_ClientHeight;
}

// No frame of its own: the outer rectangle is the client area.
void Window::GetWindowInfo(WINDOWINFO* info) const
{
    GetClientRect(&info->rcClient);
    info->rcWindow = info->rcClient;
}

void Window::SetClientSize(int32_t width, int32_t height)
{
    m_ClientWidth = width;
    m_ClientHeight = height;
}

namespace Platform {

void RestoreDisplayMode() {}

bool IsDebuggerPresent()
{
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return false;
    char line[256];
    long tracer = 0;
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, "TracerPid:", 10) == 0) {
            std::sscanf(line + 10, "%ld", &tracer);
            break;
        }
    }
    std::fclose(f);
    return tracer != 0;
}

}  // namespace Platform
