// MouseState: the mouse of the frame: the position accumulated from the device's movements, the
// wheel counter and up to eight buttons with their changes, and the move callback with its user
// value that the game state installs. The server gives it no mouse, so its update returns at once
// there and every button stays up.
#pragma once
#include <cstdint>

class MouseDevice;
struct MouseDeviceRecord;

class MouseState {
public:
    static constexpr int32_t kButtons = 8;
    static constexpr uint32_t kRecordBatch = 16;  // buffered records taken per device call
    // Nothing in the program sets the acceleration, so the pointer moves exactly as the device
    // reports it; a client that turns it on gets at most three times the movement.
    static constexpr float kDefaultAcceleration = 0.0f;
    static constexpr float kDefaultAccelerationCap = 2.0f;
    // Given the update's movement, which it may change, and the user value.
    using MoveCallback = void (*)(float& moveX, float& moveY, intptr_t userValue);

    // A button outside 0 .. 7 is never down, pressed or released.
    bool IsButtonDown(int32_t button) const { return Valid(button) && down[button] == 1; }
    bool WasButtonPressed(int32_t button) const { return Valid(button) && pressed[button] != 0; }
    bool WasButtonReleased(int32_t button) const { return Valid(button) && released[button] != 0; }
    // The button held or let go as the mouse would report it in this update: its edges follow.
    // For fake mice and tests; setting the state it has changes nothing.
    void SetButtonDown(int32_t button, bool held);
    // Takes the buffered records: 0 without a mouse, else 1.
    int32_t Update();

    // Leaving the game state: its move callback and the value it was given go.
    void ClearGameHooks()
    {
        onMove = nullptr;
        userValue = 0;
    }

    int32_t result = 0;              // of the last device call
    MouseDevice* device = nullptr;   // given from outside; none on the server
    int32_t reacquired = 0;          // the device was lost and taken again
    int32_t buttonCount = kButtons;  // buttons whose edges are kept, at most kButtons
    double lastTime = 0.0;           // program clock seconds of the last update
    float x = 0.0f;                  // accumulated position in device units
    float y = 0.0f;
    int32_t wheel = 0;
    int32_t down[kButtons] = {};     // 1 held
    int32_t pressed[kButtons] = {};  // went down this update
    int32_t released[kButtons] = {};
    int32_t previousDown[kButtons] = {};
    float acceleration = kDefaultAcceleration;
    float accelerationCap = kDefaultAccelerationCap;
    MoveCallback onMove = nullptr;
    intptr_t userValue = 0;

private:
    // The sums of one update's records.
    struct Movement {
        float x = 0.0f;
        float y = 0.0f;
        int32_t wheel = 0;
    };

    static bool Valid(int32_t button) { return button >= 0 && button < kButtons; }
    void ReadRecords(Movement& move);
    void ApplyRecord(const MouseDeviceRecord& record, Movement& move);
    float Accelerate(float move, double seconds) const;
    void NoteEdges(int32_t button);
};

// The program's mouse: the key bindings read it.
extern MouseState g_MouseState;
