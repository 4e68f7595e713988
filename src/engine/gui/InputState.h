// InputState: which keys are down, by scan code, and the presses of each key still to act on in
// this frame. The message pump keeps it; the server reads no keyboard, so every key stays up there.
#pragma once
#include <cstdint>

class InputState {
public:
    static constexpr int32_t kKeys = 256;
    static constexpr int32_t kBackspace = 14;
    static constexpr int32_t kLeftShift = 42;
    static constexpr int32_t kRightShift = 54;

    // A code outside the table is never down.
    bool IsKeyDown(int32_t scanCode) const { return scanCode >= 0 && scanCode < kKeys && m_Down[scanCode] != 0; }
    void SetKeyDown(int32_t scanCode, bool down)
    {
        if (scanCode >= 0 && scanCode < kKeys)
            m_Down[scanCode] = down ? 1 : 0;
    }

    // The presses to act on in this frame: 0 for a key that is up. The device layer counts the
    // press and its auto-repeats; without a device they are set directly.
    int32_t GetKeyRepeats(int32_t scanCode) const
    {
        return IsKeyDown(scanCode) ? m_Repeats[scanCode] : 0;
    }
    void SetKeyRepeats(int32_t scanCode, int32_t count)
    {
        if (scanCode >= 0 && scanCode < kKeys)
            m_Repeats[scanCode] = count;
    }

private:
    uint8_t m_Down[kKeys] = {};
    int32_t m_Repeats[kKeys] = {};
};
