// DXC_GuiField: the open state and rectangle, a text window's lines; in a tree under a manager:
// routing of presses to the front-most child and drawing back to front, the focus when fields
// close or leave their parent, modal windows and their count, dragging, placement on the screen,
// typed text and what the manager forwards while nothing is attached.
#include "engine/gui/DXC_GuiField.h"

#include "engine/gui/CConsoleGui.h"
#include "engine/gui/DXC_GuiManager.h"
#include "engine/gui/DXC_GuiTextViewerScl.h"

#include "support/GuiScreen.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(DXC_GuiFieldTest, OpenStateAndRectangle)
{
    struct Field : DXC_GuiField {
        void OnOpenChanged(bool open) override { changes.push_back(open); }
        std::vector<bool> changes;
    } field;
    EXPECT_EQ(field.IsOpen(), 1);
    field.SetOpenState(true);  // already open: nothing
    field.SetOpenState(false);
    field.SetOpenState(false);
    field.SetOpenState(true);
    field.ToggleOpen();
    field.ToggleOpen();
    EXPECT_EQ(field.changes, (std::vector<bool>{false, true, false, true}));

    field.SetSize(100, 50);
    field.SetPos(270, 215);
    int32_t w;
    int32_t h;
    field.GetSize(w, h);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 50);
    EXPECT_TRUE(field.IsPointInside(270, 215));
    EXPECT_FALSE(field.IsPointInside(370, 215));  // right and bottom are outside
    EXPECT_EQ(std::string(field.GetName()), "DXC_GuiField");
}

TEST(DXC_GuiFieldTest, WindowsAndManager)
{
    ErrorMsgGui errors;
    EXPECT_EQ(std::string(errors.GetName()), "ErrorMsgGui");
    errors.AddLine("first");
    errors.AddLine(wString(u"second"));
    EXPECT_EQ(errors.GetNumLines(), 2);
    EXPECT_EQ(String(errors.GetLine(1)), "second");
    EXPECT_EQ(String(errors.GetLine(2)), "");
    errors.Reset();
    EXPECT_EQ(errors.GetNumLines(), 0);
    EXPECT_TRUE(errors.IsChanged());

    BarGui bar;
    bar.SetFill(1.5f);
    EXPECT_EQ(bar.GetFill(), 1.0f);

    DXC_GuiManager manager;
    EXPECT_EQ(manager.GetRoot().GetManager(), &manager);
    EXPECT_EQ(manager.OnChar('a', 1, 0), nullptr);  // nothing on the focus path takes it
    EXPECT_EQ(manager.FindFieldUnderMouse(), &manager.GetRoot());
    manager.GetRoot().SetOpenState(false);
    EXPECT_EQ(manager.FindFieldUnderMouse(), nullptr);
}

namespace {

class GuiTree : public ::testing::Test {
protected:
    // A top-level window with the rectangle, added to the manager.
    void AddWindow(DXC_GuiField& window, int32_t l, int32_t t, int32_t r, int32_t b)
    {
        window.SetRect(l, t, r, b);
        screen.manager.AddWindow(&window);
    }
    DXC_GuiField* Press(int32_t x, int32_t y) { return Root().OnMouse(0, DXC_GuiField::kMousePressed, x, y); }
    DXC_GuiField& Root() { return screen.manager.GetRoot(); }
    DXC_GuiField* Focus() { return screen.manager.GetFocus(false); }

    GuiScreen screen;
    std::vector<std::string> drawn;
};

}  // namespace

// Overlapping windows: the press goes to the one at the lower list position, which comes to the
// front and is drawn last.
TEST_F(GuiTree, PressesReachTheFrontWindowWhichIsDrawnLast)
{
    RecordingField a(&drawn, "a");
    RecordingField b(&drawn, "b");
    AddWindow(a, 0, 0, 100, 100);
    AddWindow(b, 50, 50, 150, 150);
    EXPECT_EQ(Root().GetChild(0), &a);
    EXPECT_EQ(Press(60, 60), &a);
    EXPECT_TRUE(b.events.empty());
    EXPECT_EQ(Press(120, 120), &b);  // only b lies there; it takes the focus and the front
    EXPECT_EQ(Root().GetChild(0), &b);
    EXPECT_EQ(Focus(), &b);
    screen.manager.Render(false, true);
    EXPECT_EQ(drawn, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Press(60, 60), &b);  // now b covers the overlap
}

// A closing window hands the focus to the front-most other open window that is not permanent,
// then to the root; a closing field inside a window, or one its parent lets go of, to that parent.
TEST_F(GuiTree, FocusAfterClosingAndRemoving)
{
    DXC_GuiField hud, first, second, inner;
    hud.SetPermanent(true);
    AddWindow(hud, 0, 400, 640, 480);
    AddWindow(second, 300, 0, 400, 100);
    AddWindow(first, 0, 0, 100, 100);
    inner.SetRect(10, 10, 50, 50);
    second.AddChild(&inner);
    ASSERT_TRUE(first.SetFocus(true));
    EXPECT_EQ(Root().GetChild(0), &first);
    hud.BringToFront(false);  // a permanent window in front is never the one that takes the focus
    first.SetOpenState(false);
    EXPECT_EQ(Focus(), &second);
    EXPECT_FALSE(first.HasFocus());

    ASSERT_TRUE(inner.SetFocus(true));
    inner.SetOpenState(false);
    EXPECT_EQ(Focus(), &second);
    EXPECT_FALSE(inner.HasFocus());

    inner.SetOpenState(true);
    ASSERT_TRUE(inner.SetFocus(true));
    second.RemoveChild(&inner);
    EXPECT_EQ(Focus(), &second);
    EXPECT_FALSE(inner.HasFocus());
    EXPECT_EQ(second.GetChildCount(), 0);

    second.SetOpenState(false);
    EXPECT_EQ(Focus(), &Root());
}

// While a modal window is open nothing outside it takes the focus by a press; its own children
// do. Opening what is open or closing what is closed leaves the count alone; a count that would
// drop below 0 is reported and stays 0.
TEST_F(GuiTree, ModalWindowKeepsTheFocusAndItsCount)
{
    DXC_GuiField outside, dialog, button;
    AddWindow(outside, 0, 0, 200, 200);
    AddWindow(dialog, 300, 100, 500, 300);
    button.SetRect(10, 10, 60, 40);
    dialog.AddChild(&button);
    dialog.SetModal(true);
    EXPECT_EQ(screen.manager.GetModalWindowCount(), 1);
    ASSERT_TRUE(dialog.SetFocus(true));

    EXPECT_EQ(Press(50, 50), nullptr);
    EXPECT_EQ(Focus(), &dialog);
    EXPECT_EQ(Press(315, 115), &button);
    EXPECT_EQ(Focus(), &button);
    EXPECT_FALSE(outside.IsInputActive());
    EXPECT_TRUE(button.IsInputActive());

    dialog.SetOpenState(true);
    EXPECT_EQ(screen.manager.GetModalWindowCount(), 1);
    dialog.SetOpenState(false);
    dialog.SetOpenState(false);
    EXPECT_EQ(screen.manager.GetModalWindowCount(), 0);
    EXPECT_EQ(Press(50, 50), &outside);

    LogCapture log;
    screen.manager.ChangeModalWindowCount(-1);
    EXPECT_EQ(screen.manager.GetModalWindowCount(), 0);
    EXPECT_EQ(log.Count("Internal problem: m_ModalWindowCount < 0"), 1);
}

// A left-button drag moves a window of mode 1 always, of mode 2 only with the left Shift key.
TEST_F(GuiTree, DragModes)
{
    struct Case {
        int32_t mode;
        bool shift;
        bool dragging;
    };
    const Case cases[] = {{DXC_GuiField::kDragAlways, false, true},
                          {DXC_GuiField::kDragWithShift, false, false},
                          {DXC_GuiField::kDragWithShift, true, true},
                          {DXC_GuiField::kDragNever, true, false}};
    DXC_GuiField window;
    AddWindow(window, 100, 100, 200, 200);
    EXPECT_EQ(window.GetDragMode(), DXC_GuiField::kDragAlways);  // what AddWindow chooses
    for (const Case& c : cases) {
        window.SetDragMode(c.mode);
        screen.keys.SetKeyDown(InputState::kLeftShift, c.shift);
        ASSERT_EQ(Press(150, 150), &window);
        Root().OnMouse(0, DXC_GuiField::kMouseDragStarted, 150, 150);
        EXPECT_EQ(window.IsDragging(), c.dragging) << c.mode << " " << c.shift;
    }
}

// Relative placement in the parent or on the screen, and the clamp onto the screen: a field
// larger than the screen ends aligned right and bottom.
TEST_F(GuiTree, PlacementAndClampToScreen)
{
    DXC_GuiField parent, child, window;
    AddWindow(parent, 0, 0, 640, 480);
    child.SetSize(100, 50);
    parent.AddChild(&child);
    child.SetRelativePos(0.5f, 0.5f);
    int32_t x, y;
    child.GetPos(x, y);
    EXPECT_EQ(x, 270);
    EXPECT_EQ(y, 215);
    child.SetRelativePosX(1.0f);
    child.GetPos(x, y);
    EXPECT_EQ(x, 540);
    EXPECT_EQ(y, 215);

    struct Case {
        int32_t rect[4];
        int32_t x, y;
    };
    const Case cases[] = {
        {{-20, -5, 80, 45}, 0, 0},          // off the top left
        {{600, 460, 700, 510}, 540, 430},   // off the bottom right
        {{10, 10, 710, 510}, -60, -20},     // larger than the screen
        {{20, 30, 120, 80}, 20, 30},        // inside: stays
    };
    AddWindow(window, 0, 0, 0, 0);
    for (const Case& c : cases) {
        window.SetRect(c.rect[0], c.rect[1], c.rect[2], c.rect[3]);
        window.ClampToScreen();
        window.GetPos(x, y);
        EXPECT_EQ(x, c.x);
        EXPECT_EQ(y, c.y);
    }

    DXC_GuiField loose;  // neither parent nor manager: nothing moves
    loose.SetRect(5, 6, 15, 16);
    loose.SetRelativePos(0.5f, 0.5f);
    loose.ClampToScreen();
    loose.GetPos(x, y);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 6);
}

// Characters travel down the focus path; a collecting field keeps each one as often as the
// 16-bit repeat count says; a blocked keyboard takes nothing.
TEST_F(GuiTree, TypedTextFollowsTheFocusPath)
{
    DXC_GuiField window, input;
    AddWindow(window, 0, 0, 200, 200);
    input.SetRect(0, 0, 100, 20);
    window.AddChild(&input);
    input.SetCollectText(true);
    ASSERT_TRUE(input.SetFocus(true));
    EXPECT_EQ(screen.manager.OnChar('a', 3, 0), &window);  // the window hands it on
    screen.manager.OnChar('b', 0x10002, 0);                // only the low 16 bits count
    screen.manager.BlockKeyboard(true);
    EXPECT_EQ(screen.manager.OnChar('c', 1, 0), nullptr);
    screen.manager.BlockKeyboard(false);
    EXPECT_TRUE(input.GetTypedText() == wString(u"aaabb"));
}
