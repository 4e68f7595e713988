// StateManager: states, the main loop with its frame pacing, the message pump and the wait while
// the window is inactive.
#include "game/ctrl/StateManager.h"

#include "base/Timer.h"
#include "engine/gfx/DXC_Gfx.h"
#include "platform/Window.h"

#include <algorithm>
#include <limits>

WindowStateFlags g_WindowState;

// The wait for a lost graphics device takes this loop's window messages: there is one queue per
// thread, whoever waits on it.
StateManager::StateManager()
{
    CopyName32(this, "StateManager");
    DXC_Gfx::SetMessagePump([this] { PumpMessages(true); }, this);
    g_InputState.SetMessageLoop(this);
}

StateManager::~StateManager()
{
    DXC_Gfx::SetMessagePump(nullptr, this);
    if (g_InputState.GetMessageLoop() == this)
        g_InputState.SetMessageLoop(nullptr);
}

void StateManager::OnSkippedTime(double seconds) { (void)seconds; }

void StateManager::OnActivate() {}

void StateManager::OnDeactivate() {}

void StateManager::EnterState(int32_t state) { (void)state; }

void StateManager::LeaveState(int32_t state) { (void)state; }

void StateManager::Update(double step) { (void)step; }

void StateManager::Draw() {}

double StateManager::GetTimeScale() { return m_TimeScale; }

int32_t StateManager::Execute()
{
    Run();
    return m_ExitCode;
}

void StateManager::DrawDebugInfo() {}

void StateManager::SetState(int32_t state)
{
    if (state < 0)
        return;
    if (m_State != kStateNone)
        LeaveState(m_State);
    m_State = state;
    if (state != kStateQuit)
        EnterState(state);
}

void StateManager::SetFPSLimits(double minimum, double maximum)
{
    if (!(minimum > 0.0) || !(maximum > 0.0) || minimum > maximum) {
        Warning("Invalid frame rate limits %.3f / %.3f ignored", minimum, maximum);
        return;
    }
    m_MinFPS = minimum;
    m_MaxFPS = maximum;
}

double StateManager::WaitForNextPass()
{
    const double period = 1.0 / m_MaxFPS;
    double now = Timer::GetTime();
    // An interval exactly one period long ends the wait; under a millisecond left, read again.
    while (now - m_LastTime < period) {
        const double remaining = std::min((period - (now - m_LastTime)) * 1000.0,
                                          double(std::numeric_limits<uint32_t>::max()));
        const uint32_t ms = uint32_t(remaining);
        if (ms > 0)
            Timer::Sleep(ms);
        now = Timer::GetTime();
    }
    return now;
}

void StateManager::Run()
{
    m_LastTime = Timer::GetTime();
    do {
        const double now = WaitForNextPass();
        double interval = now - m_LastTime;
        m_LastTime = now;
        m_LastInterval = interval;
        m_RealTimeTotal += interval;

        double step = 0.0;
        if (m_Paused || m_InSizeMove) {
            OnSkippedTime(interval);
        } else {
            const double largest = 1.0 / m_MinFPS;
            if (interval > largest) {
                OnSkippedTime(interval - largest);
                interval = largest;
            }
            step = GetTimeScale() * interval;  // asked after the skip, which may change it
        }
        m_ScaledTimeTotal += step;
        Update(step);

        if (m_DrawSuppression <= 0 && IsFrameDue()) {
            Draw();
            DrawDebugInfo();
        }
        ++m_FrameCount;
        PumpMessages(true);
        if (!m_RunWhileInactive)
            WaitWhileInactive();
    } while (m_State != kStateQuit);
}

bool StateManager::IsFrameDue() const { return m_WindowVisible && (m_AppActive || m_RunWhileInactive); }

void StateManager::PumpMessages(bool peek)
{
    const bool wasDue = IsFrameDue();
    WindowMessage message;
    if (peek) {
        while (m_Messages.Peek(message))
            HandleWindowMessage(message.window, message.message, message.wParam, message.lParam);
    } else {
        m_Messages.Wait(message);
        HandleWindowMessage(message.window, message.message, message.wParam, message.lParam);
    }
    SettleWindowState(wasDue);
}

void StateManager::DispatchWindowMessage(const WindowMessage& message)
{
    const bool wasDue = IsFrameDue();
    HandleWindowMessage(message.window, message.message, message.wParam, message.lParam);
    SettleWindowState(wasDue);
}

void StateManager::SettleWindowState(bool wasDue)
{
    // A destroyed window quits without entering state 1; state 1 was never entered, so it is not
    // left again by a later pump.
    if (m_QuitRequested) {
        if (m_State != kStateNone && m_State != kStateQuit)
            LeaveState(m_State);
        m_State = kStateQuit;
    }
    const bool due = IsFrameDue();
    if (due != wasDue) {
        if (wasDue)
            OnDeactivate();
        else
            OnActivate();
    }
}

// A destroyed window also ends the wait: nothing would come to end it otherwise.
void StateManager::WaitWhileInactive()
{
    if (m_QuitRequested || (m_WindowVisible && m_AppActive))
        return;
    const double start = Timer::GetTime();
    do {
        PumpMessages(false);
        m_LastTime = Timer::GetTime();
    } while (!m_QuitRequested && !Platform::IsDebuggerPresent() && !(m_WindowVisible && m_AppActive));
    OnSkippedTime(m_LastTime - start);
}

intptr_t StateManager::HandleWindowMessage(Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    (void)window;
    (void)lParam;
    switch (message) {
    case WM_ACTIVATEAPP:
        m_AppActive = wParam != 0 ? 1 : 0;
        break;
    case WM_DESTROY:
        m_QuitRequested = 1;
        break;
    case WM_SIZE:
        m_WindowVisible = (wParam == SIZE_MINIMIZED || wParam == SIZE_MAXHIDE) ? 0 : 1;
        break;
    case WM_ENTERSIZEMOVE:
        m_InSizeMove = 1;
        break;
    case WM_EXITSIZEMOVE:
        m_InSizeMove = 0;
        break;
    default:
        break;
    }
    g_WindowState.appActive = m_AppActive;
    g_WindowState.windowVisible = m_WindowVisible;
    g_WindowState.quitRequested = m_QuitRequested;
    g_WindowState.inSizeMove = m_InSizeMove;
    return 0;
}
