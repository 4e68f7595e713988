// FakeInputDevices: a keyboard and a mouse that a test holds keys and buttons on and feeds records
// into, which can be lost for a number of reads and refuse to be taken again; and a scope that
// gives the program's key and mouse states a device while it lives.
#pragma once
#include "engine/gui/InputState.h"
#include "engine/gui/MouseState.h"
#include "platform/InputDevice.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <vector>

// Counts the calls a device answered, with the loss a test sets up.
struct FakeDeviceLoss {
    int32_t lostReads = 0;  // the next reads that fail
    int32_t acquireResult = kInputDeviceOk;
    int32_t reads = 0;
    int32_t acquires = 0;

    bool ReadFails()
    {
        ++reads;
        if (lostReads <= 0)
            return false;
        --lostReads;
        return true;
    }
    int32_t Acquire()
    {
        ++acquires;
        return acquireResult;
    }
};

class FakeKeyboard : public KeyboardDevice {
public:
    int32_t GetDeviceState(uint8_t (&state)[kStateSize]) override
    {
        if (loss.ReadFails()) {
            std::fill(state, state + kStateSize, uint8_t(0x80));  // a failed read may leave anything
            return kInputDeviceLost;
        }
        std::copy(keys, keys + kStateSize, state);
        return kInputDeviceOk;
    }
    int32_t Acquire() override { return loss.Acquire(); }

    void Hold(int32_t key, bool held) { keys[key] = held ? 0x80 : 0; }

    uint8_t keys[kStateSize] = {};
    FakeDeviceLoss loss;
};

class FakeMouse : public MouseDevice {
public:
    int32_t GetDeviceData(MouseDeviceRecord* records, uint32_t& count) override
    {
        if (loss.ReadFails()) {
            count = 0;
            return kInputDeviceLost;
        }
        const uint32_t taken = std::min(count, uint32_t(pending.size()));
        for (uint32_t i = 0; i < taken; i++) {
            records[i] = pending.front();
            pending.pop_front();
        }
        count = taken;
        batches.push_back(taken);
        return kInputDeviceOk;
    }
    int32_t Acquire() override { return loss.Acquire(); }

    void Record(uint32_t offset, int32_t data) { pending.push_back({offset, uint32_t(data)}); }
    void Button(int32_t button, bool held) { Record(kOffsetButton0 + uint32_t(button), held ? 0x80 : 0); }

    std::deque<MouseDeviceRecord> pending;
    std::vector<uint32_t> batches;  // records handed out by each read
    FakeDeviceLoss loss;
};

// The program's key and mouse states read these devices while the scope lives, as a client's
// would; afterwards they have none again, as on the server.
class ScopedProgramInputDevices {
public:
    ScopedProgramInputDevices()
    {
        g_InputState.device = &keyboard;
        g_MouseState.device = &mouse;
    }
    ~ScopedProgramInputDevices()
    {
        g_InputState.device = nullptr;
        g_MouseState.device = nullptr;
    }
    ScopedProgramInputDevices(const ScopedProgramInputDevices&) = delete;
    ScopedProgramInputDevices& operator=(const ScopedProgramInputDevices&) = delete;

    FakeKeyboard keyboard;
    FakeMouse mouse;
};
