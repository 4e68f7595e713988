// MouseState: taking the mouse's buffered records, acceleration, and the button edges of an update.
#include "engine/gui/MouseState.h"

#include "base/Timer.h"
#include "platform/InputDevice.h"

#include <algorithm>
#include <cmath>
#include <mutex>

MouseState g_MouseState;

namespace {

// Movements wrap instead of overflowing: a device that reports nonsense cannot stop the program.
int32_t AddWrapping(int32_t a, int32_t b) { return int32_t(uint32_t(a) + uint32_t(b)); }

}  // namespace

void MouseState::NoteEdges(int32_t button)
{
    pressed[button] = down[button] == 1 && previousDown[button] == 0 ? 1 : 0;
    released[button] = down[button] == 0 && previousDown[button] == 1 ? 1 : 0;
    previousDown[button] = down[button];
}

void MouseState::SetButtonDown(int32_t button, bool held)
{
    if (!Valid(button) || IsButtonDown(button) == held)
        return;
    down[button] = held ? 1 : 0;
    NoteEdges(button);
}

void MouseState::ApplyRecord(const MouseDeviceRecord& record, Movement& move)
{
    const int32_t data = int32_t(record.data);  // movements are signed
    switch (record.offset) {
    case MouseDevice::kOffsetX:
        move.x += float(data);
        break;
    case MouseDevice::kOffsetY:
        move.y += float(data);
        break;
    case MouseDevice::kOffsetWheel:
        move.wheel = AddWrapping(move.wheel, data);
        break;
    default:
        if (record.offset >= MouseDevice::kOffsetButton0 && record.offset <= MouseDevice::kOffsetButton7)
            down[record.offset - MouseDevice::kOffsetButton0] = (record.data & 0x80) != 0 ? 1 : 0;
        break;  // any other field of the device is of no interest
    }
}

// Batches until one comes short: the device's buffer is then empty.
void MouseState::ReadRecords(Movement& move)
{
    std::lock_guard<std::mutex> guard(Platform::GetInputLock());
    MouseDeviceRecord records[kRecordBatch];
    uint32_t count = 0;
    for (;;) {
        result = ReadReacquiring(*device, reacquired, [&] {
            count = kRecordBatch;
            return device->GetDeviceData(records, count);
        });
        if (!InputDeviceSucceeded(result)) {
            std::fill(down, down + kButtons, 0);  // a lost mouse holds no button
            return;
        }
        count = std::min(count, kRecordBatch);
        for (uint32_t i = 0; i < count; i++)
            ApplyRecord(records[i], move);
        if (count < kRecordBatch)
            return;
    }
}

float MouseState::Accelerate(float move, double seconds) const
{
    double factor = std::fabs(double(move) / seconds) * double(acceleration) * 0.001;
    if (!(factor <= double(accelerationCap)))
        factor = accelerationCap;
    return float(double(move) * (1.0 + factor));
}

int32_t MouseState::Update()
{
    if (!device)
        return 0;
    Movement move;
    ReadRecords(move);
    const double now = Timer::GetTime();
    const double seconds = now - lastTime;
    if (seconds != 0.0) {
        move.x = Accelerate(move.x, seconds);
        move.y = Accelerate(move.y, seconds);
    }
    if (onMove)
        onMove(move.x, move.y, userValue);
    wheel = AddWrapping(wheel, move.wheel);
    x += move.x;
    y += move.y;
    const int32_t buttons = std::clamp(buttonCount, 0, kButtons);
    for (int32_t button = 0; button < buttons; button++)
        NoteEdges(button);
    lastTime = now;
    return 1;
}
