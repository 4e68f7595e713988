// InputDevice: the keyboard and mouse devices that the frame's key and mouse states read, and the
// one program-wide input lock. Nothing in the program creates a device: a client gives its own,
// the server has none.
#pragma once
#include <cstdint>
#include <mutex>

// Results of a device call: 0 and 1 are success (1: the device was held already), below 0 failure.
constexpr int32_t kInputDeviceOk = 0;
constexpr int32_t kInputDeviceLost = -1;

inline bool InputDeviceSucceeded(int32_t result) { return result >= 0; }

// A read that failed because the device was lost: the device is taken again and, when that
// succeeds (reacquired is then set), read once more. The result of the last call.
template <class Device, class Read> int32_t ReadReacquiring(Device& device, int32_t& reacquired, Read read)
{
    const int32_t result = read();
    if (InputDeviceSucceeded(result))
        return result;
    const int32_t acquired = device.Acquire();
    if (!InputDeviceSucceeded(acquired))
        return acquired;
    reacquired = 1;
    return read();
}

class KeyboardDevice {
public:
    static constexpr int32_t kStateSize = 256;

    virtual ~KeyboardDevice() = default;
    // The state of every key code, bit 7 set while held; a failure (the device was lost) may leave
    // the bytes half written.
    virtual int32_t GetDeviceState(uint8_t (&state)[kStateSize]) = 0;
    // Takes the device again after it was lost.
    virtual int32_t Acquire() = 0;
};

// One buffered mouse event: what changed (the offset of the field in the device's state record)
// and its new value or movement.
struct MouseDeviceRecord {
    uint32_t offset = 0;
    uint32_t data = 0;
};

class MouseDevice {
public:
    // Record offsets: the movements, then one byte per button (bit 7 set while held).
    static constexpr uint32_t kOffsetX = 0;
    static constexpr uint32_t kOffsetY = 4;
    static constexpr uint32_t kOffsetWheel = 8;
    static constexpr uint32_t kOffsetButton0 = 12;
    static constexpr uint32_t kOffsetButton7 = 19;

    virtual ~MouseDevice() = default;
    // Takes up to count buffered records, oldest first, and sets count to how many it took.
    virtual int32_t GetDeviceData(MouseDeviceRecord* records, uint32_t& count) = 0;
    virtual int32_t Acquire() = 0;
};

namespace Platform {

// Held while buffered device records are taken: a device may fill its buffer from another thread.
std::mutex& GetInputLock();

}  // namespace Platform
