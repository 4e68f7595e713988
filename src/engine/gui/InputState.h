// InputState: which keys are down, by scan code. The message pump keeps it; the server reads no
// keyboard, so every key stays up there.
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

private:
    uint8_t m_Down[kKeys] = {};
};
