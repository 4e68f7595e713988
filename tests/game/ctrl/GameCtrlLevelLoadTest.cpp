// GameCtrl level load: the sample level's binary file into the world, with its log line and the
// level state of the previous level reset.
#include "game/ctrl/GameCtrl.h"

#include "WorldObjectTestSupport.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

TEST(GameCtrlLevelLoadTest, SampleLevelLoadsAndResetsTheLevelState)
{
    SampleGame game;
    SampleGameCtrl& ctrl = *game.ctrl;
    ctrl.AddLevelVariable("leftover", 1, 1);
    ASSERT_NE(ctrl.GetLevelVariables().GetVariableCount(), 0);
    LogCapture log;
    EXPECT_EQ(ErrorOf([&] { ctrl.LoadVsdFile("levels\\sample\\sample.vsd"); }), "no error");
    EXPECT_EQ(log.Count("VSD file 'levels\\sample\\sample.vsd' loaded"), 1);
    EXPECT_STREQ(ctrl.GetVsdFile().c_str(), "levels\\sample\\sample.vsd");
    EXPECT_EQ(ctrl.GetLevelVariables().GetVariableCount(), 0);
    EXPECT_GT(ctrl.GetWorld().GetMapWidth(), 0);

    EXPECT_NE(ErrorOf([&] { ctrl.LoadVsdFile("levels\\missing.vsd"); }), "no error");
    EXPECT_STREQ(ctrl.GetVsdFile().c_str(), "levels\\sample\\sample.vsd");  // kept on failure
}
