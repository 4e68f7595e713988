// GameCtrl GUI: the update without and with a GUI manager (the error window shows the oldest
// error), dropping the oldest error, and the select menu a script opens.
#include "game/ctrl/GameCtrl.h"

#include "engine/gui/DXC_GuiManager.h"

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
