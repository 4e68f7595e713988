// Controls: the player's key bindings, one primary and one secondary input (a keyboard key or a
// mouse button) per game action, read from a controls file; the binding queries (held, pressed)
// against the frame's key and mouse states; and the user's own controls file, made from the
// default one when it cannot be read. The client reads them at start-up; the server loads them
// too but never asks them.
#pragma once
#include "base/ErrorClass.h"
#include "base/String.h"

#include <cstdint>

class ConfigFileReader;
class InputState;
class MouseState;

// What the binding queries read in a frame: the keys, the mouse, whether the game takes input at
// all now, and whether the pointer is over a window of the user interface.
struct BindingInputs {
    InputState& keys;  // reading a press uses up its repeats
    const MouseState& mouse;
    bool gameInputAccepted = true;
    bool mouseOverWindow = false;
};

// One action's inputs: kind 0 none, 1 keyboard (DirectInput scan code), 2 mouse button (0 to 7).
struct KeyBinding {
    static constexpr int32_t kLeftControl = 29;  // scan codes of the modifier keys
    static constexpr int32_t kRightControl = 157;
    static constexpr int32_t kLeftAlt = 56;
    static constexpr int32_t kRightAlt = 184;

    int32_t primaryKind = 0;
    int32_t primaryCode = 0;
    int32_t secondaryKind = 0;
    int32_t secondaryCode = 0;
    int32_t tableValue = -1;  // the tables' own; loading never touches it

    // Non-zero while held. Right Alt held silences a keyboard primary input (Alt Gr chords);
    // with blockMouseOverGui a mouse button over a window does not count.
    int32_t IsHeld(const BindingInputs& in, bool blockMouseOverGui) const;
    // A press is waiting on either input; unless allowModifiers, not while a Control or Alt key
    // is held. A mouse press over a window never counts.
    bool WasPressed(const BindingInputs& in, bool allowModifiers) const;
};

class Controls : public ErrorClass {
public:
    // The actions in table order; a slot's position is its identity.
    enum Slot : int32_t {
        kUp, kDown, kLeft, kRight, kDodge, kAttackSwitch, kAttack1, kAttack2, kCamRotate,
        kUnreadSlot,  // never read from a file: it stays as constructed
        kHealthQuickUse, kManaQuickUse, kHighLight, kCamUp, kCamDown, kCamRaise, kCamLower, kCamCenter,
        kScreenShot, kCharSheet, kSkillTree, kOptions, kQuestLog, kInventory, kHelp, kToggleMap,
        kSkill1,  // the ten skill keys "Skill1" .. "Skill9", "Skill0"
        kTogglePause = kSkill1 + 10,
        kSlotCount
    };
    static constexpr const char* kDefaultFile = "cfg\\controls.cfg";
    static constexpr const char* kUserFile = "cfg\\controls_user.cfg";

    Controls();

    // True when the file cannot be loaded (nothing changed then); false after a load. Each
    // action's entry is read in table order; an unknown input name warns and keeps that input.
    bool Load(const String& fileName);
    // One action's entry: "Name" or "Primary Secondary"; a missing entry reads as empty and
    // unbinds the primary input. True when every name in it was known.
    bool ReadBinding(ConfigFileReader& reader, const char* keyName, KeyBinding& binding);
    // The kind and code of a known input name into the pair; a name no row holds leaves it.
    static bool ParseKeyName(const String& name, int32_t& kind, int32_t& code);
    // The name of the first input with that kind and code; empty when none has them.
    static String GetKeyName(int32_t kind, int32_t code);
    // The action key of a slot in the controls file; null for the slot that is never read.
    static const char* GetSlotKey(int32_t slot);

    KeyBinding& GetBinding(int32_t slot) { return m_Bindings[slot]; }
    const KeyBinding& GetBinding(int32_t slot) const { return m_Bindings[slot]; }
    const String& GetFileName() const { return m_FileName; }

    // The localised key names of the language, one reader for the process, and whether its names
    // are UTF-8 ("utf8").
    static ConfigFileReader& GetKeyNameReader();
    static inline bool s_KeyNamesUtf8 = false;

private:
    KeyBinding m_Bindings[kSlotCount];
    String m_FileName;  // of the last load
};

// The user's controls file into the bindings: "cfg\controls_user.cfg" when it loads, else a fresh
// copy of "cfg\controls.cfg" written in its place (never half-written) and loaded.
void LoadUserControls(Controls& controls);
