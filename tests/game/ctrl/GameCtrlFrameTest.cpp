// GameCtrl frame: the per-frame step drives the music fade, the world's update and its post-update
// (the messages count down), and reveals the area around the stored map position; the drawn frame
// gives the world the whole screen as its active rectangle.
#include "game/ctrl/GameCtrl.h"

#include "base/MusicChannels.h"

#include "GameCtrlTestSupport.h"

#include <gtest/gtest.h>

TEST(GameCtrlFrameTest, StepDrivesTheWorld)
{
    GameCtrl ctrl;
    WorldCtrl& world = ctrl.GetWorld();
    world.ShowTextMessageByKey(1.0f, u"hello");
    world.AddLogMessage(u"saved", 1.0f, false);

    ctrl.UpdateFrame(0.0f);  // no time: neither the world nor its messages step
    EXPECT_EQ(world.GetLastFrameTime(), 0.0f);
    EXPECT_EQ(world.GetTextMessages().GetAt(0)->time, 1.0f);

    ctrl.UpdateFrame(0.25f);
    EXPECT_EQ(world.GetLastFrameTime(), 0.25f);
    EXPECT_EQ(world.GetTextMessages().GetAt(0)->time, 0.75f);
    EXPECT_EQ(world.GetLogMessages().GetAt(0)->time, 1.75f);
    for (int i = 0; i < 3; i++)
        ctrl.UpdateFrame(0.25f);
    EXPECT_EQ(world.GetTextMessages().GetSize(), 0);
    EXPECT_EQ(world.GetLogMessages().GetSize(), 1);

    g_MusicChannels = MusicChannels();
    ctrl.PlayMusic("a.ogg", 1.0f, 1.0f, 1, 1.0f);
    ctrl.UpdateFrame(0.0f);  // the music fade steps with any step, 0 included
    EXPECT_EQ(ctrl.GetMusicFadePosition(), 0.0f);
    ctrl.UpdateFrame(0.5f);
    EXPECT_EQ(ctrl.GetMusicFadePosition(), 0.5f);
    g_MusicChannels = MusicChannels();
}

// A server reveals the map around the stored map position at the start of every step (a game
// of its own marks its active area there instead).
TEST(GameCtrlFrameTest, RevealsAroundTheMapPosition)
{
    struct ServerCtrl : GameCtrl {
        bool IsServer() const override { return true; }
    } ctrl;
    const int32_t areas = ctrl.GetWorld().GetNumActiveAreas();
    ctrl.UpdateFrame(0.1f);  // no position stored yet
    EXPECT_EQ(ctrl.GetWorld().GetNumActiveAreas(), areas);
    ctrl.SetMapPosition(600.0f, 700.0f);
    ctrl.UpdateFrame(0.0f);  // at the start of every step, paused or not
    ctrl.UpdateFrame(0.1f);
    EXPECT_EQ(ctrl.GetWorld().GetNumActiveAreas(), areas + 2);
}

TEST(GameCtrlFrameTest, DrawnFrameGivesTheWorldTheScreen)
{
    GameCtrl ctrl;
    ctrl.GetWorld().SetActiveRect(1, 2, 3, 4);
    ctrl.RenderFrame();
    const int32_t* rect = ctrl.GetWorld().GetScreenRect();
    EXPECT_EQ(rect[0], 0);
    EXPECT_EQ(rect[1], 0);
    EXPECT_EQ(rect[2], g_ScreenWidth);
    EXPECT_EQ(rect[3], g_ScreenHeight);
}
