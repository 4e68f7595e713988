// InputState: the keyboard of the frame: the state byte of every key code (scan codes), what
// changed since the last frame, when each key went down and its auto-repeat; its frame update
// also pumps the main loop's window messages. The server gives it no keyboard, so its update
// returns at once there and every key stays up.
#pragma once
#include <cstdint>

class KeyboardDevice;
class WindowMessageQueue;
struct WindowMessage;

// The main loop's side of the key state's message pump: the queue the messages come from, the
// handling of one message, and the program's quit flag that ends a wait for messages.
class WindowMessageLoop {
public:
    virtual WindowMessageQueue& GetMessageQueue() = 0;
    virtual void DispatchWindowMessage(const WindowMessage& message) = 0;
    virtual bool IsQuitRequested() const = 0;

protected:
    ~WindowMessageLoop() = default;
};

class InputState {
public:
    static constexpr int32_t kKeys = 256;
    static constexpr int32_t kBackspace = 14;
    static constexpr int32_t kLeftShift = 42;
    static constexpr int32_t kRightShift = 54;
    static constexpr uint8_t kHeld = 0x80;       // the state byte's held bit
    static constexpr uint8_t kChangeDown = 1;    // change: went down this frame
    static constexpr uint8_t kChangeUp = 255;    // change: went up this frame
    // Update's results: no keyboard, a frame read, a wait for messages that ended on quit.
    static constexpr int32_t kNoDevice = 0;
    static constexpr int32_t kUpdated = 1;
    static constexpr int32_t kQuit = 2;

    // Nothing in the program sets the timing, so these hold: a held key repeats after half a
    // second, then 20 times a second, about what a desktop keyboard does out of the box.
    static constexpr float kDefaultRepeatDelay = 0.5f;
    static constexpr float kDefaultRepeatRate = 20.0f;

    // A code outside the table is never down, never released and has no repeats.
    bool IsKeyDown(int32_t key) const { return Valid(key) && (current[key] & kHeld) != 0; }
    bool IsKeyJustReleased(int32_t key) const { return Valid(key) && change[key] > 254; }
    // The key's event of this frame is consumed.
    void ClearKeyChange(int32_t key)
    {
        if (Valid(key))
            change[key] = 0;
    }
    // The key events to act on in this frame: 1 in the frame the key went down, plus the repeats
    // that fell due since the last call (which they use up); 0 for a key that is up.
    int32_t GetKeyRepeats(int32_t key);
    // The key held or let go as a keyboard would report it this frame: its change and press time
    // follow, as an update would set them. For fake keyboards and tests; setting the state it has
    // changes nothing.
    void SetKeyDown(int32_t key, bool down);
    // Reads the keyboard and pumps the messages: kNoDevice without a keyboard, kQuit when it waited
    // for messages until the quit flag was set, else kUpdated.
    int32_t Update();

    // The main loop registers itself; null: no messages are pumped here.
    void SetMessageLoop(WindowMessageLoop* loop) { m_MessageLoop = loop; }
    WindowMessageLoop* GetMessageLoop() const { return m_MessageLoop; }

    int32_t result = 0;                // of the last device call
    KeyboardDevice* device = nullptr;  // given from outside; none on the server
    int32_t reacquired = 0;            // the device was lost and taken again
    uint8_t current[kKeys] = {};
    double pressTime[kKeys] = {};      // program clock seconds; 0 while up; moved on by the repeats
    uint8_t previous[kKeys] = {};
    uint8_t change[kKeys] = {};
    uint8_t dispatchMessages = 1;      // off: a message taken is only looked at for onDeactivate
    uint8_t waitForMessages = 0;
    void (*onDeactivate)() = nullptr;  // the application lost the foreground
    float repeatDelay = kDefaultRepeatDelay;  // seconds before a held key repeats
    float repeatRate = kDefaultRepeatRate;    // repeats per second after that

private:
    static bool Valid(int32_t key) { return key >= 0 && key < kKeys; }
    void ReadDevice();
    // change and pressTime of a key from its held bit before and now.
    void NoteChange(int32_t key, bool wasDown, double now);
    int32_t PumpMessages();

    WindowMessageLoop* m_MessageLoop = nullptr;
};

// The program's keyboard: the key bindings and the state manager read it.
extern InputState g_InputState;
