// WindowMessageQueue: the stand-in for the main thread's window message queue, with the message
// codes that the main loop handles. The server has no window, so nothing posts to it there;
// tests post the messages a window would receive.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

class Window;

struct WindowMessage {
    Window* window = nullptr;
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

// Message codes and their arguments, with the values of the platform the game was made for.
constexpr uint32_t WM_DESTROY = 2;
constexpr uint32_t WM_SIZE = 5;
constexpr uint32_t WM_ACTIVATEAPP = 28;
constexpr uint32_t WM_KEYDOWN = 256;
constexpr uint32_t WM_CHAR = 258;
constexpr uint32_t WM_ENTERSIZEMOVE = 561;
constexpr uint32_t WM_EXITSIZEMOVE = 562;
constexpr uintptr_t SIZE_MINIMIZED = 1;
constexpr uintptr_t SIZE_MAXHIDE = 4;

class WindowMessageQueue {
public:
    WindowMessageQueue() = default;
    WindowMessageQueue(const WindowMessageQueue&) = delete;
    WindowMessageQueue& operator=(const WindowMessageQueue&) = delete;

    // Any thread may post; the owner takes the messages in order.
    void Post(const WindowMessage& message);
    // Takes the oldest message without waiting; false when none is there.
    bool Peek(WindowMessage& message);
    // Takes the oldest message, waiting until one is posted.
    void Wait(WindowMessage& message);
    bool IsEmpty();

private:
    std::mutex m_Lock;
    std::condition_variable m_Posted;
    std::deque<WindowMessage> m_Messages;
};
