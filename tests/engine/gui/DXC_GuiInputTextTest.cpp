// DXC_GuiInputText: sequences of characters and editing codes against the limits, the input
// modes, the result and paste; the caret moved between lines by measured widths and placed by a
// click; its blinking; the program-wide flag while focused; and any key sequence leaving the text
// within its length and the caret within the text.
#include "engine/gui/DXC_GuiInputText.h"

#include "engine/gfx/DXC_PrintfContainer.h"
#include "platform/Clipboard.h"

#include "support/GuiScreen.h"
#include "support/TenPixelFont.h"
#include "support/TestClock.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

// Editing codes inside the sequences of the table.
#define END u"\x01"
#define HOME u"\x02"
#define BKSP u"\x08"
#define ENTER u"\x0d"
#define LEFT u"\x11"
#define UP u"\x12"
#define RIGHT u"\x13"
#define DOWN u"\x14"
#define PASTE u"\x16"
#define DEL u"\x18"
#define ESC u"\x1b"

// An input field in a window, focused, with the ten-pixel font as the manager's default.
class GuiInputTextTest : public ::testing::Test {
protected:
    GuiInputTextTest()
    {
        MakeTenPixelFont(screen.device.Gfx(), font);
        screen.manager.SetDefaultFont(&font, 0xFFFFFFFFu);
        window.SetRect(0, 0, 640, 480);
        screen.manager.AddWindow(&window);
        input.SetRect(100, 100, 400, 300);
        window.AddChild(&input);
        input.SetFocus(true);
        Platform::EmptyClipboard();
    }
    ~GuiInputTextTest() override { Platform::EmptyClipboard(); }
    void Type(const std::u16string& codes)
    {
        for (char16_t c : codes)
            screen.manager.OnChar(c, 1, 0);
    }
    std::u16string Text() const { return input.GetText().c_str(); }

    TestClock clock;
    GuiScreen screen;
    DXC_Font font;
    DXC_GuiField window;
    DXC_GuiInputText input;
};

}  // namespace

TEST_F(GuiInputTextTest, CodeSequences)
{
    struct Case {
        const char* name;
        int32_t maxLength;
        int32_t inputMode;
        bool keepEditing;
        const char16_t* clipboard;
        const char16_t* codes;
        const char16_t* text;
        int32_t caret;
        int32_t result;
    };
    const Case cases[] = {
        {"typing stops at maxLength", 5, 0, false, nullptr, u"abcdefg", u"abcde", 5, 0},
        {"a paste is cut to the free space", 6, 0, false, u"cdefgh", u"ab" PASTE, u"abcdef", 6, 0},
        {"a paste into a full text", 2, 0, false, u"cd", u"ab" PASTE, u"ab", 2, 0},
        {"mode 1 refuses ! and .", 32, 1, false, nullptr, u"a!b.c_d-e f", u"abc_d-e f", 9, 0},
        {"mode 2 as mode 1", 32, 2, false, nullptr, u"x?y", u"xy", 2, 0},
        {"Backspace at caret 0", 32, 0, false, nullptr, u"ab" HOME BKSP, u"ab", 0, 0},
        {"Delete at the end", 32, 0, false, nullptr, u"ab" DEL, u"ab", 2, 0},
        {"Backspace and Delete inside", 32, 0, false, nullptr, u"abcd" LEFT LEFT BKSP DEL, u"ad", 1, 0},
        {"insert at the caret", 32, 0, false, nullptr, u"abc" LEFT LEFT u"X", u"aXbc", 2, 0},
        {"left and right stop at the ends", 32, 0, false, nullptr, u"ab" LEFT LEFT LEFT RIGHT RIGHT RIGHT, u"ab", 2, 0},
        {"Enter ends the editing", 32, 0, false, nullptr, u"ab" ENTER u"cd" BKSP, u"ab", 2, 1},
        {"keepEditing goes on after Enter", 32, 0, true, nullptr, u"ab" ENTER u"cd", u"abcd", 4, 1},
        {"Escape cancels", 32, 0, false, nullptr, u"ab" ESC u"c", u"ab", 2, -1},
        {"a paste turns tabs into blanks and drops refused characters", 32, 1, false, u"a\tb!c", PASTE, u"a bc", 4, 0},
        {"a paste drops what the font cannot show", 32, 0, false, u"a\u00e9b", PASTE, u"ab", 2, 0},
        {"control codes are no text", 32, 0, false, nullptr, u"a\x03\x07\x1f" u"b", u"ab", 2, 0},
        {"line start and end", 32, 0, false, nullptr, u"ab\ncd" HOME u"X" END u"Y", u"ab\nXcdY", 7, 0},
        {"up lands on the measured position", 32, 0, false, nullptr, u"abcdefgh\nabc" UP, u"abcdefgh\nabc", 3, 0},
        {"down to a shorter line lands on its end", 32, 0, false, nullptr, u"abcdefgh\nabc" UP END DOWN, u"abcdefgh\nabc", 12, 0},
        {"down to a longer line by the width", 32, 0, false, nullptr, u"abc\nabcdefgh" UP DOWN, u"abc\nabcdefgh", 7, 0},
        {"down from the middle", 32, 0, false, nullptr, u"abcdef\nabcdef" UP LEFT LEFT DOWN, u"abcdef\nabcdef", 11, 0},
        {"up on the first line stays", 32, 0, false, nullptr, u"abc" LEFT UP, u"abc", 2, 0},
        {"up on an empty text is no character", 32, 0, false, nullptr, UP DOWN, u"", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        input.Reset(false);
        input.SetMaxLength(c.maxLength);
        input.SetInputMode(c.inputMode);
        input.SetKeepEditing(c.keepEditing);
        if (c.clipboard)
            Platform::SetClipboardText(c.clipboard);
        else
            Platform::EmptyClipboard();
        Type(c.codes);
        EXPECT_EQ(Text(), std::u16string(c.text));
        EXPECT_EQ(input.GetCaret(), c.caret);
        EXPECT_EQ(input.GetResult(), c.result);
    }
}

// A repeated character is cut to the free space; after Reset typing works again; a field asked to
// clear on input starts over with the next edit; forbidden characters never go in.
TEST_F(GuiInputTextTest, RepeatsResetClearOnInputAndForbidden)
{
    screen.manager.OnChar(u'x', 100, 0);
    EXPECT_EQ(Text(), std::u16string(32, u'x'));
    Type(ENTER u"y");
    EXPECT_EQ(input.GetResult(), 1);
    input.Reset(true);
    EXPECT_EQ(input.GetResult(), 0);
    EXPECT_EQ(Text().size(), 32u);
    input.Reset(false);
    screen.manager.OnChar(u'z', 1, 1);  // with flags: not for the field
    EXPECT_EQ(Text(), u"");
    input.SetForbidden(wString(u"q"));
    Type(u"pqr");
    EXPECT_EQ(Text(), u"pr");
    input.SetClearOnInput(true);
    Type(LEFT u"s");
    EXPECT_EQ(Text(), u"s");
    Type(u"t");
    EXPECT_EQ(Text(), u"st");
}

// A press of the left button puts the caret before the character of the clicked line whose
// prefix passes the click; below the last line means the last line.
TEST_F(GuiInputTextTest, AClickPlacesTheCaret)
{
    Type(u"abcdefgh\nabc");
    const struct {
        int32_t x, y;  // in the field
        int32_t caret;
    } clicks[] = {{10 + 25, 35 + 5, 2}, {10 + 25, 35 + 15, 11}, {10 + 95, 35 + 5, 8}, {10 + 5, 35 + 80, 9},
                  {0, 0, 0}};
    for (const auto& click : clicks) {
        screen.manager.SetMousePos(100 + click.x, 100 + click.y);
        screen.manager.QueueButtonEvent(0, 0);
        screen.manager.QueueButtonEvent(0, 1);
        screen.manager.Render(true, false);
        EXPECT_EQ(input.GetCaret(), click.caret) << click.x << " " << click.y;
    }
}

// The caret shows for the whole second after an even number of seconds since the last edit and
// hides for the second after an odd one; an unfocused field shows none.
TEST_F(GuiInputTextTest, TheCaretBlinksFromTheLastEdit)
{
    Type(u"ab");
    const struct {
        double after;
        bool shown;
    } times[] = {{0.0, true}, {0.9, true}, {1.0, false}, {1.99, false}, {2.0, true}, {3.5, false}, {4.2, true}};
    double elapsed = 0.0;
    for (const auto& t : times) {
        clock.Advance(t.after - elapsed);
        elapsed = t.after;
        EXPECT_EQ(input.IsCaretVisible(), t.shown) << t.after;
        screen.manager.Render(false, true);
        EXPECT_EQ(screen.device.Gfx().GetPrintfContainer().GetOwnBlock().cursorLine >= 0, t.shown) << t.after;
    }
    Type(u"c");  // an edit starts the blinking again
    EXPECT_TRUE(input.IsCaretVisible());
    window.SetFocus(true);
    EXPECT_FALSE(input.IsCaretVisible());
}

// The focus sets the program-wide flag; losing it or the field's end clears it.
TEST_F(GuiInputTextTest, FocusSetsTheTextInputFlag)
{
    EXPECT_EQ(textInputActive, 1);
    window.SetFocus(true);
    EXPECT_EQ(textInputActive, 0);
    {
        DXC_GuiInputText other;
        window.AddChild(&other);
        other.SetFocus(true);
        EXPECT_EQ(textInputActive, 1);
    }
    EXPECT_EQ(textInputActive, 0);
    input.SetFocus(true);
    input.SetOpenState(false);
    EXPECT_EQ(textInputActive, 0);
}

// Whatever codes arrive, with whatever repeat counts and clipboard, the text stays within
// maxLength and the caret within the text.
TEST_F(GuiInputTextTest, AnyKeySequenceKeepsTheBounds)
{
    std::mt19937 random(109);
    const uint32_t codes[] = {1, 2, 8, 10, 13, 17, 18, 19, 20, 22, 24, 27, 0, 0xFFFF, 0x10000, 0xFFFFFFFFu};
    Platform::SetClipboardText(std::u16string(5000, u'w') + u"\t\n");
    for (int32_t maxLength : {0, 1, 7, 40}) {
        input.Reset(false);
        input.SetMaxLength(maxLength);
        input.SetKeepEditing(true);
        for (int32_t i = 0; i < 4000; ++i) {
            const uint32_t pick = random() % 24;
            const uint32_t code = pick < 16 ? codes[pick] : u'a' + random() % 26;
            const int32_t repeat = int32_t(random() % 5) - 1 + (pick == 23 ? 70000 : 0);
            screen.manager.OnChar(code, repeat, 0);
            ASSERT_LE(int32_t(Text().size()), maxLength);
            ASSERT_GE(input.GetCaret(), 0);
            ASSERT_LE(input.GetCaret(), int32_t(Text().size()));
        }
    }
    input.SetMaxLength(1 << 30);
    EXPECT_EQ(input.GetMaxLength(), DXC_GuiInputText::kMaxLengthLimit);
}

#undef END
#undef HOME
#undef BKSP
#undef ENTER
#undef LEFT
#undef UP
#undef RIGHT
#undef DOWN
#undef PASTE
#undef DEL
#undef ESC
