// GameCtrl GUI: the update without and with a GUI manager (the error window shows the oldest
// error), dropping the oldest error, and the select menu a script opens.
#include "game/ctrl/GameCtrl.h"

#include "engine/gui/DXC_GuiManager.h"

#include "support/GuiScreen.h"
#include "support/TestClock.h"

#include <gtest/gtest.h>

namespace {

void AddError(GameCtrl& ctrl, const char* text) { *ctrl.GetErrorList().GetBySlot(ctrl.GetErrorList().Add()) = text; }

}  // namespace

TEST(GameCtrlGuiTest, WithoutAGuiManagerTheUpdateChangesNothing)
{
    TestClock clock(50.0, 1.0);
    ASSERT_EQ(g_GuiManager, nullptr);
    GameCtrl ctrl;
    AddError(ctrl, "first");
    const float lastTest = GameCtrl::GetLastGuiTestTime();
    EXPECT_EQ(ctrl.UpdateGui(), 0);
    EXPECT_EQ(ctrl.GetErrorWindow().IsOpen(), 0);
    EXPECT_EQ(ctrl.GetErrorWindow().GetNumLines(), 0);
    EXPECT_EQ(GameCtrl::GetLastGuiTestTime(), lastTest);
    EXPECT_EQ(ctrl.IsGuiBusy(), 0);
}

// The error window shows the oldest error until it is dropped, then the next; an empty list
// closes it. Dropping from an empty list does nothing.
TEST(GameCtrlGuiTest, ErrorWindowShowsTheOldestError)
{
    TestClock clock(50.0, 1.0);
    GameCtrl ctrl;
    DXC_GuiManager manager;
    ctrl.DropFirstError();
    EXPECT_EQ(ctrl.GetErrorList().GetSize(), 0);
    AddError(ctrl, "first");
    AddError(ctrl, "second");
    const char* const shown[] = {"first", "second"};
    for (const char* text : shown) {
        ctrl.UpdateGui();
        EXPECT_EQ(ctrl.GetErrorWindow().IsOpen(), 1);
        ASSERT_EQ(ctrl.GetErrorWindow().GetNumLines(), 1);
        EXPECT_TRUE(ctrl.GetErrorWindow().GetLine(0) == wString(text));
        ctrl.DropFirstError();
    }
    EXPECT_EQ(ctrl.GetErrorList().GetSize(), 0);
    ctrl.UpdateGui();
    EXPECT_EQ(ctrl.GetErrorWindow().IsOpen(), 0);
    ctrl.DropFirstError();
    EXPECT_EQ(ctrl.GetErrorList().GetSize(), 0);
}

TEST(GameCtrlGuiTest, SelectMenuOpensWithItsTitle)
{
    GameCtrl ctrl;
    ctrl.GetSelectMenu().AddLine("old entry");
    ctrl.OpenSelectMenu(nullptr, 0);
    EXPECT_EQ(ctrl.GetSelectMenu().IsOpen(), 1);
    EXPECT_EQ(ctrl.GetSelectMenu().GetTitle().TextLength(), 0);
    EXPECT_EQ(ctrl.GetSelectMenu().GetNumLines(), 0);
    EXPECT_EQ(ctrl.GetSelectMenuScriptID(), -1);  // no script runs

    struct Case {
        const char16_t* text;
        int32_t length;
        const char16_t* title;
    };
    const Case cases[] = {{u"Choose a door", 6, u"Choose"}, {u"Left", 4, u"Left"}, {u"Right", 4000, u"Right"}};
    for (const Case& c : cases) {
        ctrl.OpenSelectMenu(c.text, c.length);
        EXPECT_TRUE(ctrl.GetSelectMenu().GetTitle() == wString(c.title)) << c.length;
    }
}

namespace {

// A client's controller with a GUI on a 640 x 480 screen; it counts its layouts.
struct GuiCtrl : GameCtrl {
    void LayoutGui() override
    {
        ++layouts;
        GameCtrl::LayoutGui();
    }
    int32_t layouts = 0;
};

// A window of the GUI tree that notes, when it is drawn, the GUI's time and cursor.
struct CursorWitness : DXC_GuiField {
    void Render() override
    {
        ++draws;
        time = manager->GetTime();
        cursorType = manager->GetCursorType();
        DXC_GuiField::Render();
    }
    int32_t draws = 0;
    double time = 0.0;
    int32_t cursorType = -9;
};

}  // namespace

// In view mode 1 the controller's windows come first (the error window asks for the GUI's own
// cursor), then the GUI tree, on the frame's clock.
TEST(GameCtrlGuiTest, ViewModeOneDrawsTheWindowsThenTheTree)
{
    TestClock clock(50.0, 1.0);
    GuiScreen screen;
    GameCtrl ctrl;
    CursorWitness witness;
    screen.manager.AddWindow(&witness);
    ctrl.SetViewMode(1, nullptr);
    ctrl.GetErrorWindow().SetOpenState(true);
    screen.manager.SetCursorType(-1);
    ctrl.RenderFrame();
    EXPECT_EQ(witness.draws, 1);
    EXPECT_EQ(witness.cursorType, 0);
    EXPECT_EQ(witness.time, ctrl.GetRealTime());
    EXPECT_TRUE(screen.manager.IsCursorEnabled());
}

// Outside view mode 1: no picture with the system's cursor or a hidden one; the GUI's own cursor
// while the GUI takes the mouse; otherwise the game's picture with the GUI's cursor off.
TEST(GameCtrlGuiTest, CursorChoice)
{
    struct Case {
        bool systemCursor;
        bool hidden;
        bool guiCursor;
        int32_t type;
        bool enabled;
    };
    const Case cases[] = {{true, false, true, -1, false},
                          {false, true, true, -1, false},
                          {false, false, true, 0, true},
                          {false, false, false, 1, false}};
    GuiScreen screen;
    GameCtrl ctrl;
    CursorWitness witness;
    screen.manager.AddWindow(&witness);
    for (const Case& c : cases) {
        ctrl.GetSettings().windowsMouseCursor = c.systemCursor ? 1 : 0;
        ctrl.SetCursorHidden(c.hidden);
        ctrl.SetGuiCursorForced(c.guiCursor);
        screen.manager.SetCursorEnabled(false);
        ctrl.DrawGui();
        EXPECT_EQ(screen.manager.GetCursorType(), c.type);
        EXPECT_EQ(witness.cursorType, c.type);  // chosen before the tree is drawn
        EXPECT_EQ(screen.manager.IsCursorEnabled(), c.enabled);
    }
    EXPECT_EQ(witness.draws, 4);
}

// The info bar shows the world's tracked value against its maximum, captioned by its name, and
// hides while the maximum is 0.
TEST(GameCtrlGuiTest, InfoBarFollowsTheWorldsTrackedValue)
{
    GuiScreen screen;
    GameCtrl ctrl;
    ctrl.GetInfoBar().SetOpenState(true);
    ctrl.DrawGui();
    EXPECT_EQ(ctrl.GetInfoBar().IsOpen(), 0);
    ctrl.GetWorld().SetTrackedValue(1.0f, 4.0f, "energy");
    ctrl.DrawGui();
    EXPECT_EQ(ctrl.GetInfoBar().IsOpen(), 1);
    EXPECT_EQ(ctrl.GetInfoBar().GetFill(), 0.25f);
    EXPECT_TRUE(ctrl.GetInfoBar().GetCaption() == wString(u"energy"));  // no database: the name
    ctrl.GetWorld().SetTrackedValue(9.0f, 4.0f, "energy");
    ctrl.DrawGui();
    EXPECT_EQ(ctrl.GetInfoBar().GetFill(), 1.0f);
}

// The error window opens at 0.5 and 0.3 of the free screen; after the surfaces were made again
// the root has the viewport's size, the windows are laid out once and the error window is put
// back and kept on the screen.
TEST(GameCtrlGuiTest, RecreatedSurfacesResizeTheRootAndLayOutOnce)
{
    TestClock clock(50.0, 1.0);
    GuiScreen screen;
    GuiCtrl ctrl;
    AddError(ctrl, "first");
    ctrl.GetErrorWindow().SetSize(200, 100);
    ctrl.GetErrorWindow().SetOpenState(false);
    ctrl.UpdateGui();
    int32_t x, y;
    ctrl.GetErrorWindow().GetPos(x, y);
    EXPECT_EQ(x, 220);
    EXPECT_EQ(y, 114);

    ctrl.GetErrorWindow().SetPos(600, 450);
    screen.manager.GetRoot().SetSize(10, 10);
    ctrl.RecreateSurfaces();
    int32_t width, height;
    screen.manager.GetRoot().GetSize(width, height);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    EXPECT_EQ(ctrl.layouts, 1);
    ctrl.GetErrorWindow().GetPos(x, y);
    EXPECT_EQ(x, 220);
    EXPECT_EQ(y, 114);
}
