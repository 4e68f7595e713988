// MouseState: the pointer and the mouse buttons as the game reads them in a frame: the pointer
// position, the buttons held and their presses still to act on, and the move callback with its
// user value that the game state installs. The device layer fills it on a client; the server has
// no mouse, so every button stays up there.
#pragma once
#include <cstdint>

class MouseState {
public:
    static constexpr int32_t kButtons = 8;
    // Called with the user value and the new pointer position when the pointer moves.
    using MoveCallback = void (*)(intptr_t userValue, float x, float y);

    // A button outside 0 .. 7 is never down and never pressed.
    bool IsButtonDown(int32_t button) const { return Valid(button) && m_Down[button] != 0; }
    int32_t GetPendingPresses(int32_t button) const { return Valid(button) ? m_Presses[button] : 0; }
    void SetButtonDown(int32_t button, bool down)
    {
        if (Valid(button))
            m_Down[button] = down ? 1 : 0;
    }
    void SetPendingPresses(int32_t button, int32_t count)
    {
        if (Valid(button))
            m_Presses[button] = count;
    }

    float x = 0.0f;
    float y = 0.0f;
    float wheel = 0.0f;  // the third pointer value
    MoveCallback onMove = nullptr;
    intptr_t userValue = 0;

    // Leaving the game state: its move callback and the value it was given go.
    void ClearGameHooks()
    {
        onMove = nullptr;
        userValue = 0;
    }

private:
    static bool Valid(int32_t button) { return button >= 0 && button < kButtons; }

    uint8_t m_Down[kButtons] = {};
    int32_t m_Presses[kButtons] = {};
};
