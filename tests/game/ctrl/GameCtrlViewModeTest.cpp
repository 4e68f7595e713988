// GameCtrl view modes: the current mode again does nothing (but mode 2), mode 1 and back, and an
// interactive scene whose file is missing keeps the mode with a message, and leaving a scene hands
// the input back to the player's controller, which must exist.
#include "game/ctrl/GameCtrl.h"

#include "support/ErrorOf.h"

#include <gtest/gtest.h>

TEST(GameCtrlViewModeTest, TheCurrentModeAgainDoesNothing)
{
    GameCtrl ctrl;
    ctrl.SetViewMode(0, nullptr);
    EXPECT_EQ(ctrl.IsViewChanged(), 0);
    ctrl.SetViewMode(1, nullptr);
    EXPECT_EQ(ctrl.GetViewMode(), 1);
    EXPECT_EQ(ctrl.IsViewChanged(), 1);
    ctrl.ClearViewChanged();
    ctrl.SetViewMode(1, nullptr);
    EXPECT_EQ(ctrl.IsViewChanged(), 0);
    ctrl.SetViewMode(0, nullptr);
    EXPECT_EQ(ctrl.GetViewMode(), 0);
    EXPECT_EQ(ctrl.IsViewChanged(), 1);
}

TEST(GameCtrlViewModeTest, MissingSceneKeepsTheModeWithAMessage)
{
    GameCtrl ctrl;
    for (int32_t round = 0; round < 2; ++round) {  // mode 2 asked for again is carried out again
        ctrl.ClearViewChanged();
        ctrl.SetViewMode(2, "scenes\\nowhere");
        EXPECT_EQ(ctrl.IsViewChanged(), 1);
        EXPECT_EQ(ctrl.GetViewMode(), 0);
        EXPECT_EQ(ctrl.GetCameraPathMode(), 0);
    }
    auto& messages = ctrl.GetWorld().GetTextMessages();
    ASSERT_GE(messages.GetSize(), 1);
    EXPECT_TRUE(messages.GetAt(messages.GetSize() - 1)->key == wString(u"Interactive scene 'scenes\\nowhere' not found"));
}

TEST(GameCtrlViewModeTest, LeavingASceneWithoutPlayerInputIsAnError)
{
    GameCtrl ctrl;
    ctrl.ChangeViewMode(2, 0, 0, 0.0f, 0.0f);  // as the scene's start sets it
    EXPECT_EQ(ErrorOf([&] { ctrl.SetViewMode(0, nullptr); }), "Invalid input selected: 0");
}
