// InputState: reading the keyboard, the key changes, auto-repeat and the message pump of a frame.
#include "engine/gui/InputState.h"

#include "base/Timer.h"
#include "platform/InputDevice.h"
#include "platform/WindowMessageQueue.h"

#include <algorithm>
#include <cmath>
#include <limits>

InputState g_InputState;

void InputState::NoteChange(int32_t key, bool wasDown, double now)
{
    const bool down = (current[key] & kHeld) != 0;
    if (down == wasDown) {
        change[key] = 0;
    } else if (!down) {
        change[key] = kChangeUp;
        pressTime[key] = 0.0;
    } else {
        change[key] = kChangeDown;
        pressTime[key] = now;
    }
}

void InputState::SetKeyDown(int32_t key, bool down)
{
    if (!Valid(key) || IsKeyDown(key) == down)
        return;
    current[key] = down ? kHeld : 0;
    NoteChange(key, !down, Timer::GetTime());
}

int32_t InputState::GetKeyRepeats(int32_t key)
{
    if (!IsKeyDown(key))
        return 0;
    int32_t repeats = 0;
    const double held = Timer::GetTime() - pressTime[key];
    // A rate of 0 or below, or one that is not finite, repeats nothing: it is never divided by.
    if (held > repeatDelay && repeatRate > 0.0f && std::isfinite(repeatRate)) {
        const double due = std::trunc((held - double(repeatDelay)) * double(repeatRate));
        repeats = int32_t(std::min(due, double(std::numeric_limits<int32_t>::max() - 1)));
        // The mark moves by whole repeat periods: the remainder carries into the next frame.
        pressTime[key] += double(repeats) / double(repeatRate);
    }
    return repeats + (change[key] == kChangeDown ? 1 : 0);
}

void InputState::ReadDevice()
{
    std::fill(current, current + kKeys, uint8_t(0));
    result = ReadReacquiring(*device, reacquired, [this] { return device->GetDeviceState(current); });
    if (!InputDeviceSucceeded(result))
        std::fill(current, current + kKeys, uint8_t(0));  // a lost keyboard holds no key
}

int32_t InputState::Update()
{
    if (!device)
        return kNoDevice;
    std::copy(current, current + kKeys, previous);
    ReadDevice();
    const double now = Timer::GetTime();
    for (int32_t key = 0; key < kKeys; key++)
        NoteChange(key, (previous[key] & kHeld) != 0, now);
    return PumpMessages();
}

// One message per frame; the queue has one message form, so there is no narrow or wide choice to
// make, and no translation step: character messages arrive as they are.
int32_t InputState::PumpMessages()
{
    if (!m_MessageLoop)
        return kUpdated;
    WindowMessageQueue& queue = m_MessageLoop->GetMessageQueue();
    WindowMessage message;
    if (queue.Peek(message)) {
        if (message.message == WM_ACTIVATEAPP && message.wParam == 0 && onDeactivate)
            onDeactivate();
        if (dispatchMessages)
            m_MessageLoop->DispatchWindowMessage(message);
    }
    if (!waitForMessages || m_MessageLoop->IsQuitRequested())
        return kUpdated;
    do {
        queue.Wait(message);
        m_MessageLoop->DispatchWindowMessage(message);
    } while (!m_MessageLoop->IsQuitRequested());
    return kQuit;
}
