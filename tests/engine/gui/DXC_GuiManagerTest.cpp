// DXC_GuiManager: the global pointer and the drag object; button states turned into clicks,
// double clicks, drags and drops; the mouse kept on the screen and the GUI scale; queued button
// events; the tooltip's delay and tolerance; front moves asked for while drawing; weak references
// to destroyed fields; the clipboard.
#include "engine/gui/DXC_GuiManager.h"
#include "engine/gui/DXC_GuiScaleableText.h"

#include "platform/Clipboard.h"
#include "platform/CursorDisplay.h"

#include "support/GuiScreen.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

TEST(DXC_GuiManagerTest, DragObjectAndGlobalPointer)
{
    EXPECT_EQ(g_GuiManager, nullptr);
    {
        DXC_GuiManager manager;
        EXPECT_EQ(g_GuiManager, &manager);
        int object = 0;
        DXC_GuiField source;
        const std::string longName(200, 'n');
        manager.SetDragObject(&object, longName.c_str(), &source);
        EXPECT_EQ(manager.GetDragObject(), &object);
        EXPECT_EQ(manager.GetDragSource(), &source);
        EXPECT_EQ(std::string(manager.GetDragObjectName()), std::string(127, 'n'));
        manager.SetDragObject(&object, nullptr, &source);  // no name: no drag
        EXPECT_EQ(manager.GetDragObject(), nullptr);
        EXPECT_STREQ(manager.GetDragObjectName(), "");
        manager.SetDragIcon(nullptr, false, nullptr, 1.0f);
        EXPECT_EQ(manager.GetDragIcon(), nullptr);
    }
    EXPECT_EQ(g_GuiManager, nullptr);
}

namespace {

// A screen-wide window under a mouse with a device; Hold and Frame drive it frame by frame.
class GuiMouse : public ::testing::Test {
protected:
    GuiMouse()
    {
        window.SetRect(0, 0, 640, 480);
        screen.manager.AddWindow(&window);
    }
    void Frame(double t, float x, float y, bool held)
    {
        screen.mouse.SetButtonDown(0, held);
        screen.Frame(t, x, y);
    }

    GuiScreen screen{true};
    RecordingField window{nullptr, "window"};
};

using E = std::vector<int32_t>;

}  // namespace

// A press and release in place is a click; a second one soon and near is a double click.
TEST_F(GuiMouse, ClicksAndDoubleClicks)
{
    struct Case {
        double delay;  // from the first click to the second press
        float dx;
        E second;
    };
    const Case cases[] = {{0.1, 5.0f, E{0, 1, 5}}, {0.4, 0.0f, E{0, 1, 4}}, {0.1, 10.0f, E{0, 1, 4}}};
    double t = 1.0;
    for (const Case& c : cases) {
        window.events.clear();
        Frame(t, 100, 100, true);
        Frame(t, 100, 100, false);
        EXPECT_EQ(window.events, (E{0, 1, 4}));
        window.events.clear();
        Frame(t + c.delay, 100 + c.dx, 100, true);
        Frame(t + c.delay, 100 + c.dx, 100, false);
        EXPECT_EQ(window.events, c.second) << c.delay << " " << c.dx;
        t += 10.0;
    }
}

// A held button that travels a squared distance of 10 starts a drag at the press position; its
// release is a drop, not a click.
TEST_F(GuiMouse, DragAndDrop)
{
    struct Probe : DXC_GuiField {
        DXC_GuiField* OnMouse(int32_t button, int32_t event, int32_t x, int32_t y) override
        {
            seen.push_back({event, x, y});
            return DXC_GuiField::OnMouse(button, event, x, y);
        }
        std::vector<std::vector<int32_t>> seen;
    } probe;
    probe.SetRect(0, 0, 640, 480);
    screen.manager.AddWindow(&probe);
    probe.BringToFront(false);
    screen.mouse.SetButtonDown(0, true);
    screen.Frame(1.0, 100, 100);
    screen.Frame(1.1, 102, 101);  // squared distance 5
    screen.Frame(1.2, 103, 101);  // 10
    screen.mouse.SetButtonDown(0, false);
    screen.Frame(1.3, 120, 130);
    const std::vector<std::vector<int32_t>> expected = {{0, 100, 100}, {2, 100, 100}, {1, 120, 130}, {3, 120, 130}};
    EXPECT_EQ(probe.seen, expected);
}

// The mouse stops at the viewport's edge; the overshoot moves the stored offset, so turning back
// moves the pointer at once. A new GUI scale keeps the pointer where it is.
TEST_F(GuiMouse, PositionIsKeptOnTheScreenAndSurvivesTheScale)
{
    struct Case {
        float x, y;
        int32_t ex, ey;
    };
    const Case cases[] = {{100, 100, 100, 100}, {700, 100, 639, 100}, {690, 100, 629, 100},
                          {-5, 500, 0, 479},    {5, 490, 10, 469}};
    for (const Case& c : cases) {
        screen.mouse.x = c.x;
        screen.mouse.y = c.y;
        int32_t x, y;
        screen.manager.GetMousePos(x, y);
        EXPECT_EQ(x, c.ex) << c.x;
        EXPECT_EQ(y, c.ey) << c.y;
    }
    int32_t x0, y0, x1, y1;
    screen.manager.GetMousePos(x0, y0);
    screen.manager.SetGuiScale(2.0f);
    screen.manager.GetMousePos(x1, y1);
    EXPECT_EQ(x1, x0);
    EXPECT_EQ(y1, y0);
    screen.mouse.x += 10;  // device units now count twice
    screen.manager.GetMousePos(x1, y1);
    EXPECT_EQ(x1, x0 + 20);
}

// Queued button events arrive at the next frame, also without a mouse device.
TEST(DXC_GuiManagerQueue, QueuedEventsReplayAtTheNextFrame)
{
    GuiScreen screen;
    RecordingField window(nullptr, "window");
    window.SetRect(0, 0, 640, 480);
    screen.manager.AddWindow(&window);
    screen.manager.SetMousePos(50, 50);
    screen.manager.QueueButtonEvent(0, 0);
    screen.manager.QueueButtonEvent(0, 1);
    screen.manager.QueueButtonEvent(0, 7);  // not a press or a release: skipped
    EXPECT_TRUE(window.events.empty());
    screen.manager.SetFixedTime(1.0);
    screen.manager.Render(true, false);
    EXPECT_EQ(window.events, (E{0, 1, 4}));
    screen.manager.Render(true, false);
    EXPECT_EQ(window.events.size(), 3u);

    // The frame reads the system cursor's visibility and leaves its counter as it was.
    EXPECT_TRUE(screen.manager.IsCursorVisible());
    Platform::ShowCursor(false);
    screen.manager.Render(true, false);
    EXPECT_FALSE(screen.manager.IsCursorVisible());
    EXPECT_EQ(Platform::ShowCursor(true), 0);
}

// The tooltip waits for the delay with the mouse within the tolerance; a move beyond it or
// another field starts the wait again; a changed help text is written again while shown. A field
// without help text never claims it.
TEST_F(GuiMouse, ToolTipDelayToleranceAndChangedText)
{
    DXC_GuiField left, right, silent;
    left.SetRect(0, 0, 200, 200);
    right.SetRect(300, 0, 500, 200);
    silent.SetRect(0, 300, 200, 400);
    left.SetHelpText(wString(u"left"));
    right.SetHelpText(wString(u"right"));
    window.AddChild(&left);
    window.AddChild(&right);
    window.AddChild(&silent);
    screen.manager.SetToolTipParams(0.5, 5, 10, 10);
    DXC_GuiScaleableText& tip = screen.manager.GetToolTipWindow();

    Frame(1.0, 100, 100, false);
    EXPECT_EQ(screen.manager.GetToolTipField(), &left);
    EXPECT_FALSE(screen.manager.IsToolTipShown());
    Frame(1.3, 104, 100, false);  // within the tolerance
    Frame(1.6, 103, 100, false);
    EXPECT_TRUE(screen.manager.IsToolTipShown());
    EXPECT_TRUE(tip.GetText() == wString(u"left"));
    int32_t x, y;
    tip.GetPos(x, y);
    EXPECT_EQ(x, 113);
    EXPECT_EQ(y, 110);

    left.SetHelpText(wString(u"left, changed"));
    Frame(1.7, 103, 100, false);
    EXPECT_TRUE(tip.GetText() == wString(u"left, changed"));

    Frame(2.0, 400, 100, false);  // another field: the wait starts again
    EXPECT_EQ(screen.manager.GetToolTipField(), &right);
    EXPECT_FALSE(screen.manager.IsToolTipShown());
    Frame(2.3, 420, 100, false);  // moved too far before the delay: again
    Frame(2.6, 420, 100, false);
    EXPECT_FALSE(screen.manager.IsToolTipShown());
    Frame(2.9, 420, 100, false);
    EXPECT_TRUE(screen.manager.IsToolTipShown());
    EXPECT_TRUE(tip.GetText() == wString(u"right"));

    Frame(3.0, 100, 350, false);
    EXPECT_EQ(screen.manager.GetToolTipField(), nullptr);
}

namespace {

int s_DropsOutside = 0;
void CountDropOutside() { ++s_DropsOutside; }

}  // namespace

// A drop that no field takes goes to the drop-outside callback; without one, and with the flag
// set, the drag object and icon are cleared.
TEST(DXC_GuiManagerDrop, DropOutsideTheWindows)
{
    for (const bool withCallback : {true, false}) {
        GuiScreen screen(true);
        int object = 0;
        screen.manager.SetDragObject(&object, "EquipmentItem", nullptr);
        screen.manager.SetClearDragOnDrop(true);
        s_DropsOutside = 0;
        screen.manager.SetDropOutsideCallback(withCallback ? CountDropOutside : nullptr);
        screen.mouse.SetButtonDown(0, true);
        screen.Frame(1.0, 100, 100);
        screen.Frame(1.1, 110, 100);
        screen.mouse.SetButtonDown(0, false);
        screen.Frame(1.2, 110, 100);
        EXPECT_EQ(s_DropsOutside, withCallback ? 1 : 0);
        EXPECT_EQ(screen.manager.GetDragObject(), withCallback ? &object : nullptr);
    }
}

// A front move asked for while the tree is drawn applies at the next frame.
TEST(DXC_GuiManagerOrder, FrontMovesDuringDrawingWaitForTheNextFrame)
{
    GuiScreen screen;
    std::vector<std::string> drawn;
    struct Pusher : RecordingField {
        using RecordingField::RecordingField;
        void Render() override
        {
            RecordingField::Render();
            if (other)
                other->BringToFront(false);
        }
        DXC_GuiField* other = nullptr;
    };
    Pusher front(&drawn, "front");
    RecordingField back(&drawn, "back");
    screen.manager.AddWindow(&front);
    screen.manager.AddWindow(&back);
    front.other = &back;
    screen.manager.Render(false, true);
    EXPECT_EQ(drawn, (std::vector<std::string>{"back", "front"}));
    EXPECT_EQ(screen.manager.GetRoot().GetChild(0), &front);
    drawn.clear();
    front.other = nullptr;
    screen.manager.Render(false, true);
    EXPECT_EQ(drawn, (std::vector<std::string>{"front", "back"}));
}

// Fields destroyed while the manager refers to them: the tooltip field, the drag source, a
// deferred front move and an owned cursor icon leave nothing behind (the sanitizers watch).
TEST_F(GuiMouse, DestroyedFieldsLeaveNothingDangling)
{
    auto tipped = std::make_unique<DXC_GuiField>();
    tipped->SetRect(0, 0, 100, 100);
    tipped->SetHelpText(wString(u"tip"));
    window.AddChild(tipped.get());
    Frame(1.0, 50, 50, false);
    ASSERT_EQ(screen.manager.GetToolTipField(), tipped.get());
    int object = 0;
    screen.manager.SetDragObject(&object, "thing", tipped.get());
    tipped.reset();
    EXPECT_EQ(screen.manager.GetToolTipField(), nullptr);
    EXPECT_EQ(screen.manager.GetDragSource(), nullptr);
    EXPECT_EQ(window.GetChildCount(), 0);
    Frame(1.1, 50, 50, false);

    struct Deferrer : DXC_GuiField {
        void Render() override
        {
            if (victim)
                victim->BringToFront(false);
            DXC_GuiField::Render();
        }
        DXC_GuiField* victim = nullptr;
    } deferrer;
    auto victim = std::make_unique<DXC_GuiField>();
    screen.manager.AddWindow(&deferrer);
    screen.manager.AddWindow(victim.get());
    deferrer.victim = victim.get();
    Frame(1.2, 50, 50, false);
    deferrer.victim = nullptr;
    victim.reset();
    Frame(1.3, 50, 50, false);

    screen.manager.SetCursorIcon(4, 4, new DXC_GuiField, true);
    EXPECT_NE(screen.manager.GetCursorIcon(), nullptr);
    screen.manager.SetDragObject(nullptr, nullptr, nullptr);
    Frame(1.4, 50, 50, false);  // nothing dragged: the owned icon goes
    EXPECT_EQ(screen.manager.GetCursorIcon(), nullptr);
}

// Text put on the clipboard in either form comes back in both; the manager reads the UTF-16 form.
TEST(DXC_GuiManagerClipboard, BothForms)
{
    DXC_GuiManager manager;
    Platform::EmptyClipboard();
    EXPECT_TRUE(manager.GetClipboardText().IsEmpty());
    Platform::SetClipboardText(u"Gr\u00fc\u00dfe \u20ac");
    EXPECT_EQ(Platform::GetClipboardTextNarrow(), "Gr\xfc\xdf" "e ?");
    EXPECT_TRUE(manager.GetClipboardText() == wString(u"Gr\u00fc\u00dfe \u20ac"));
    Platform::SetClipboardTextNarrow("a\xe9");
    EXPECT_EQ(Platform::GetClipboardText(), u"a\u00e9");
    Platform::EmptyClipboard();
}

// What the frame draws beyond the fields, counted as line draws of the device: a field's debug
// outline (four sides, plus the origin cross where children start elsewhere) and, without a
// cursor picture, the cursor's cross of two lines; no cursor when none is wanted.
TEST(DXC_GuiManagerDrawing, OutlinesAndCursorCross)
{
    struct Case {
        int32_t debugLevel;
        int32_t cursorType;
        int32_t lines;
    };
    const Case cases[] = {{0, -1, 0}, {0, 0, 2}, {1, -1, 4}, {1, 0, 6}};
    GuiScreen screen;
    DXC_GuiField window;
    window.SetRect(10, 10, 110, 60);
    screen.manager.AddWindow(&window);
    for (const Case& c : cases) {
        window.SetDebugLevel(c.debugLevel);
        screen.manager.SetCursorType(c.cursorType);
        screen.device.Journal().Clear();
        screen.manager.Render(true, true);
        int32_t lines = 0;
        for (const D3D9Call& call : screen.device.Journal().CallsOf(D3D9Op::DrawPrimitive))
            lines += call.Arg(0) == uint32_t(D3DPT_LINELIST) ? 1 : 0;
        EXPECT_EQ(lines, c.lines) << c.debugLevel << " " << c.cursorType;
    }
}
