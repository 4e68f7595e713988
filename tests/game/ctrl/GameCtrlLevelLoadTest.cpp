// GameCtrl level load: the sample level's binary file into the world, with its log line, the
// level state of the previous level reset, and the placed objects listed by their world IDs.
#include "game/ctrl/GameCtrl.h"

#include "world/WorldElem.h"

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

    // The placed objects are listed under their world IDs, and a placed creature keeps where it
    // started even after it moved.
    WorldCtrl& world = ctrl.GetWorld();
    EXPECT_GE(world.GetNumPlacedObjects(), 5);
    WorldElem* medkit = world.FindPlacedObject("medkit1");
    ASSERT_NE(medkit, nullptr);
    EXPECT_STREQ(medkit->m_WorldID.c_str(), "medkit1");
    WorldElem* drone = world.FindPlacedObject("drone1");
    ASSERT_NE(drone, nullptr);
    ASSERT_TRUE(drone->IsCreature());
    const D3DXVECTOR2 start = drone->GetPos();
    EXPECT_EQ(drone->m_StartInGrid, 1);
    drone->SetPos(start.x + 50.0f, start.y);
    EXPECT_EQ(drone->m_StartPos.x, start.x);
    EXPECT_EQ(drone->m_StartPos.y, start.y);
    EXPECT_EQ(drone->m_StartAngle, drone->GetAngle());
    EXPECT_EQ(medkit->m_StartInGrid, 0);  // only creatures keep a start position
    world.DelObj(medkit->m_ObjID, 1);
    EXPECT_EQ(world.FindPlacedObject("medkit1"), nullptr);

    EXPECT_NE(ErrorOf([&] { ctrl.LoadVsdFile("levels\\missing.vsd"); }), "no error");
    EXPECT_STREQ(ctrl.GetVsdFile().c_str(), "levels\\sample\\sample.vsd");  // kept on failure
}
