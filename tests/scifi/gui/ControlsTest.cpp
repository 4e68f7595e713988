// Controls: reading a controls file into the bindings (a table of entries), the user's controls
// file made from the default one, and the binding queries against test key and mouse states, quiet
// while a text field has the focus.
#include "scifi/gui/Controls.h"

#include "base/Log.h"
#include "engine/gui/DXC_GuiInputText.h"
#include "engine/gui/DXC_GuiManager.h"
#include "engine/gui/InputState.h"
#include "engine/gui/MouseState.h"

#include "support/FakeInputDevices.h"
#include "support/LogCapture.h"
#include "support/TestClock.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Pair {
    int32_t kind, code;
};

Pair Primary(const KeyBinding& b) { return {b.primaryKind, b.primaryCode}; }
Pair Secondary(const KeyBinding& b) { return {b.secondaryKind, b.secondaryCode}; }

void ExpectPair(Pair actual, Pair expected, const char* what)
{
    EXPECT_EQ(actual.kind, expected.kind) << what;
    EXPECT_EQ(actual.code, expected.code) << what;
}

class ControlsTest : public ::testing::Test {
protected:
    // The log stays where the test started: its folder is fixed by its first line.
    ControlsTest() : here((Log::Write("controls test"), dir.Path())) {}
    TempDir dir;
    ScopedCurrentDir here;
    Controls controls;
};

}  // namespace

// Each entry against bindings that held (keyboard 200) and (keyboard 208) before the load.
TEST_F(ControlsTest, EntriesBindTheirInputsAndUnknownNamesKeepTheOldOnes)
{
    struct Case {
        int32_t slot;
        const char* line;  // the entry's line; empty: no entry for the slot
        Pair primary, secondary;
        bool warns;
    };
    const Case cases[] = {
        {Controls::kAttack1, "Attack1 = \"Mouse0 Mouse1\"", {2, 0}, {2, 1}, false},
        {Controls::kUp, "Up = \"W\"", {1, 17}, {1, 208}, false},  // the secondary input stays
        {Controls::kDodge, "Dodge = \"Space Nothing\"", {1, 57}, {1, 208}, true},
        {Controls::kAttack2, "Attack2 = \"A B C\"", {1, 30}, {1, 208}, true},  // "B C" is one name
        {Controls::kDown, "Down = \"w\"", {1, 200}, {1, 208}, true},            // names are exact
        {Controls::kCamRotate, "", {0, 0}, {1, 208}, false},  // a missing entry unbinds the primary
        {Controls::kTogglePause, "TogglePause = \"Pause\"", {1, 197}, {1, 208}, false},
        {Controls::kSkill1 + 9, "Skill0 = \"0\"", {1, 11}, {1, 208}, false},
    };
    std::string text;
    for (int32_t slot = 0; slot < Controls::kSlotCount; slot++) {
        KeyBinding& binding = controls.GetBinding(slot);
        binding.primaryKind = binding.secondaryKind = 1;
        binding.primaryCode = 200;
        binding.secondaryCode = 208;
    }
    for (const Case& c : cases)
        text += std::string(c.line) + "\n";
    dir.Write("cfg/controls.cfg", text);

    LogCapture log;
    EXPECT_FALSE(controls.Load(String("cfg\\controls.cfg")));
    EXPECT_EQ(controls.GetFileName(), String("cfg\\controls.cfg"));
    for (const Case& c : cases) {
        const KeyBinding& binding = controls.GetBinding(c.slot);
        ExpectPair(Primary(binding), c.primary, c.line);
        ExpectPair(Secondary(binding), c.secondary, c.line);
        const std::string warning = std::string("Invalid keyboard code entry '") + Controls::GetSlotKey(c.slot) + "'";
        EXPECT_EQ(log.Count(warning.c_str()), c.warns ? 1 : 0) << c.line;
    }
    // The slot no file names is never touched.
    ExpectPair(Primary(controls.GetBinding(Controls::kUnreadSlot)), {1, 200}, "slot 9");
    EXPECT_EQ(Controls::GetSlotKey(Controls::kUnreadSlot), nullptr);
    EXPECT_EQ(controls.GetBinding(Controls::kUp).tableValue, -1);

    // A file that is not there changes nothing.
    EXPECT_TRUE(controls.Load(String("cfg\\nowhere.cfg")));
    ExpectPair(Primary(controls.GetBinding(Controls::kAttack1)), {2, 0}, "after a missing file");
    EXPECT_EQ(controls.GetFileName(), String("cfg\\controls.cfg"));

    EXPECT_EQ(Controls::GetKeyName(2, 1), String("Mouse1"));
    EXPECT_EQ(Controls::GetKeyName(1, 184), String("RMenu"));
    EXPECT_TRUE(Controls::GetKeyName(2, 9).IsEmpty());
}

// Without a user file the default one is copied and read; a user file that cannot be read is
// replaced by a fresh copy; a readable one is kept as the player changed it.
TEST_F(ControlsTest, TheUserFileIsMadeFromTheDefaultOne)
{
    dir.Write("cfg/controls.cfg", "Up = \"W\"\n");
    LoadUserControls(controls);
    EXPECT_EQ(dir.Read("cfg/controls_user.cfg"), "Up = \"W\"\n");
    EXPECT_EQ(controls.GetFileName(), String("cfg\\controls_user.cfg"));
    ExpectPair(Primary(controls.GetBinding(Controls::kUp)), {1, 17}, "copied");

    dir.Write("cfg/controls_user.cfg", "Up = \"Z\"\n");
    LoadUserControls(controls);
    ExpectPair(Primary(controls.GetBinding(Controls::kUp)), {1, 44}, "the player's own");

    // A line too long to read, and a brace that closes nothing.
    for (const std::string& corrupt : {std::string(70000, 'x') + "\n", std::string("#x\n}\n")}) {
        dir.Write("cfg/controls_user.cfg", corrupt);
        Controls fresh;
        LoadUserControls(fresh);
        EXPECT_EQ(dir.Read("cfg/controls_user.cfg"), "Up = \"W\"\n");
        ExpectPair(Primary(fresh.GetBinding(Controls::kUp)), {1, 17}, "replaced");
    }
}

// Read from a keyboard frame by frame, a held key is pressed in the frame it went down only, until
// its repeats begin.
TEST(KeyBindingTest, AKeyIsPressedInTheFrameOfThePressOnly)
{
    TestClock clock;
    FakeKeyboard keyboard;
    InputState keys;
    keys.device = &keyboard;
    keys.repeatDelay = 0.5f;
    MouseState mouse;
    BindingInputs in{keys, mouse, true, false};
    const KeyBinding letter{1, 17, 0, 0};
    keyboard.Hold(17, true);
    for (int32_t frame = 0; frame < 32; frame++) {  // half a second of frames of 1/64 s
        keys.Update();
        EXPECT_EQ(letter.WasPressed(in, false), frame == 0) << frame;
        EXPECT_NE(letter.IsHeld(in, false), 0);
        clock.Advance(1.0 / 64.0);
    }
}

// Held and pressed, with the modifier rules and a mouse over a window of the user interface.
TEST(KeyBindingTest, HeldAndPressedFollowTheModifiersAndTheWindows)
{
    TestClock clock;  // the program clock stands still: a held key never repeats here
    InputState keys;
    MouseState mouse;
    BindingInputs in{keys, mouse, true, false};
    KeyBinding letter{1, 17, 1, 31};  // W, S as the secondary
    KeyBinding click{2, 0, 0, 0};

    keys.SetKeyDown(17, true);  // pressed in this frame
    EXPECT_NE(letter.IsHeld(in, true), 0);
    EXPECT_TRUE(letter.WasPressed(in, false));

    keys.SetKeyDown(KeyBinding::kRightAlt, true);  // right Alt silences the keyboard primary ...
    EXPECT_EQ(letter.IsHeld(in, true), 0);
    keys.SetKeyDown(31, true);  // ... not the secondary
    EXPECT_NE(letter.IsHeld(in, true), 0);
    keys.SetKeyDown(KeyBinding::kRightAlt, false);
    keys.SetKeyDown(31, false);

    keys.SetKeyDown(KeyBinding::kLeftControl, true);
    EXPECT_FALSE(letter.WasPressed(in, false));
    EXPECT_TRUE(letter.WasPressed(in, true));
    keys.SetKeyDown(KeyBinding::kLeftControl, false);
    keys.ClearKeyChange(17);
    EXPECT_FALSE(letter.WasPressed(in, true));  // held, but no press waiting

    mouse.SetButtonDown(0, true);
    EXPECT_NE(click.IsHeld(in, true), 0);
    EXPECT_TRUE(click.WasPressed(in, false));
    in.mouseOverWindow = true;
    EXPECT_EQ(click.IsHeld(in, true), 0);
    EXPECT_NE(click.IsHeld(in, false), 0);
    EXPECT_FALSE(click.WasPressed(in, false));

    in.gameInputAccepted = false;  // the game takes no input now
    EXPECT_EQ(letter.IsHeld(in, false), 0);
    EXPECT_EQ(click.IsHeld(in, false), 0);
}

// While an input field has the focus the bindings are quiet: typed keys are not moves. Losing the
// focus gives them back.
TEST(KeyBindingTest, QuietWhileATextFieldHasTheFocus)
{
    TestClock clock;
    InputState keys;
    MouseState mouse;
    BindingInputs in{keys, mouse, true, false};
    const KeyBinding letter{1, 17, 0, 0};
    DXC_GuiManager manager;
    DXC_GuiField window;
    DXC_GuiInputText field;
    manager.AddWindow(&window);
    window.AddChild(&field);
    keys.SetKeyDown(17, true);
    ASSERT_TRUE(field.SetFocus(true));
    EXPECT_EQ(letter.IsHeld(in, false), 0);
    EXPECT_FALSE(letter.WasPressed(in, true));
    window.SetFocus(true);
    EXPECT_NE(letter.IsHeld(in, false), 0);
    EXPECT_TRUE(letter.WasPressed(in, true));
}
