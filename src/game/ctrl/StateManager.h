// StateManager: the main loop. It keeps the number of the current game state, enters and leaves
// states, paces the passes of the loop between a minimum and a maximum frame rate, hands each
// pass's time step to the state, draws when a frame is due, pumps the window messages and waits
// while the window is inactive. What the states do is the derived classes' business; the engine
// knows two rules only: state 1 means quit, and negative states are refused.
#pragma once
#include "base/ErrorClass.h"
#include "base/SmartPtr.h"
#include "engine/gui/InputState.h"
#include "platform/WindowMessageQueue.h"

#include <cstdint>

class Window;

// The window flags that the loop keeps, mirrored for the game controller, which reads them
// without a state manager at hand.
struct WindowStateFlags {
    uint8_t appActive = 1;
    uint8_t windowVisible = 1;
    uint8_t quitRequested = 0;
    uint8_t inSizeMove = 0;  // the halt switch: the window is being moved or sized
};
extern WindowStateFlags g_WindowState;

// The newest state manager is the main loop whose messages the program's key state pumps.
class StateManager : public ErrorClass, public SmartClass, public WindowMessageLoop {
public:
    static constexpr int32_t kStateNone = -1;
    static constexpr int32_t kStateQuit = 1;

    StateManager();
    ~StateManager() override;
    StateManager(const StateManager&) = delete;
    StateManager& operator=(const StateManager&) = delete;

    // Time the loop did not hand to Update.
    virtual void OnSkippedTime(double seconds);
    // Frames became due again / stopped being due.
    virtual void OnActivate();
    virtual void OnDeactivate();
    virtual void EnterState(int32_t state);
    virtual void LeaveState(int32_t state);
    // The main loop; returns in the pass in which the state became 1.
    virtual void Run();
    virtual void Update(double step);
    virtual void Draw();
    virtual double GetTimeScale();
    // Run, then the exit code.
    virtual int32_t Execute();
    // Keeps the window flags; answers 0 to every message.
    virtual intptr_t HandleWindowMessage(Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam);
    virtual void DrawDebugInfo();

    // A negative state is ignored. Otherwise the current state (if any) is left, the new one
    // stored and, unless it is 1, entered; a state may be set to itself.
    void SetState(int32_t state);
    int32_t GetState() const { return m_State; }
    // Rates in frames per second. A rate of 0 or below, or a minimum above the maximum, is
    // refused with a warning: the loop would wait for ever or never pace.
    void SetFPSLimits(double minimum, double maximum);
    double GetMinFPS() const { return m_MinFPS; }
    double GetMaxFPS() const { return m_MaxFPS; }
    void SetTimeScale(double scale) { m_TimeScale = scale; }
    // While drawing is suppressed (the dedicated server, once at start-up) no draw call runs.
    void SuppressDrawing() { ++m_DrawSuppression; }
    // A running network game keeps the loop going while the window is inactive.
    void SetRunWhileInactive(bool flag) { m_RunWhileInactive = flag ? 1 : 0; }
    void SetPaused(bool flag) { m_Paused = flag ? 1 : 0; }
    bool IsPaused() const { return m_Paused != 0; }
    void SetExitCode(int32_t code) { m_ExitCode = code; }

    // Dispatches every waiting message (peek) or waits for one; then a destroyed window ends the
    // loop, and a change of IsFrameDue is announced.
    void PumpMessages(bool peek);
    // One message taken elsewhere (the key state's pump), handled as PumpMessages handles it.
    void DispatchWindowMessage(const WindowMessage& message) override;
    bool IsQuitRequested() const override { return m_QuitRequested != 0; }
    // The window is visible, and the application active or the loop runs while inactive.
    bool IsFrameDue() const;
    // Blocks on the messages until the window is visible and active again; the time waited is
    // skipped.
    void WaitWhileInactive();

    // The main thread's window messages: empty on the server.
    WindowMessageQueue& GetMessageQueue() override { return m_Messages; }

    uint32_t GetFrameCount() const { return m_FrameCount; }
    double GetScaledTimeTotal() const { return m_ScaledTimeTotal; }
    double GetRealTimeTotal() const { return m_RealTimeTotal; }
    double GetLastInterval() const { return m_LastInterval; }

protected:
    int32_t m_State = kStateNone;
    double m_MinFPS = 5.0;    // the largest step handed to Update is 1 / this
    double m_MaxFPS = 200.0;  // passes are at least 1 / this apart
    double m_TimeScale = 1.0;
    uint8_t m_Paused = 0;
    uint32_t m_FrameCount = 0;
    int32_t m_DrawSuppression = 0;
    double m_LastTime = 0.0;
    double m_ScaledTimeTotal = 0.0;
    double m_RealTimeTotal = 0.0;
    double m_LastInterval = 0.0;
    uint8_t m_RunWhileInactive = 0;
    uint8_t m_WindowVisible = 1;
    uint8_t m_AppActive = 1;
    uint8_t m_QuitRequested = 0;
    uint8_t m_InSizeMove = 0;
    int32_t m_ExitCode = 0;

private:
    // Reads the clock until one period of the maximum rate has passed since the last pass,
    // sleeping while a whole millisecond remains; the reading that ended the wait.
    double WaitForNextPass();
    // After messages were handled: a destroyed window ends the loop, and a change of IsFrameDue
    // since wasDue is announced.
    void SettleWindowState(bool wasDue);

    WindowMessageQueue m_Messages;
};
