// The game's controller as a listening server on a copy of the sample game, with the program's own
// start-up and frame loop: the active area follows the server's hero so that the drone closes in
// without anybody marking it, the game time runs, and a client that leaves frees its slot's
// last-sent positions.
#include "server/DedicatedServer.h"

#include "net/GameServer.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"
#include "support/ErrorOf.h"
#include "support/SampleServerGame.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class GameServerGameTest : public SampleServerGame<SciFiGameCtrl> {
protected:
    void SetUp() override
    {
        ASSERT_EQ(StartError(), "no error");
        ASSERT_EQ(ErrorOf([&] { DedicatedServer::StartListening(*ctrl, serverConfig); }), "no error");
        ASSERT_TRUE(ctrl->IsListening());
    }
    float DroneDistance()
    {
        WorldElem* drone = ctrl->GetWorld().FindObjectByWorldID("drone1", nullptr);
        const D3DXVECTOR2 a = drone->GetPos();
        const D3DXVECTOR2 b = ctrl->GetMainChar()->GetPos();
        return std::hypot(a.x - b.x, a.y - b.y);
    }
};

}  // namespace

TEST_F(GameServerGameTest, TheDroneClosesInOnTheHeroOfAListeningServer)
{
    ASSERT_NE(ctrl->GetMainChar(), nullptr);
    ASSERT_NE(ctrl->GetWorld().FindObjectByWorldID("drone1", nullptr), nullptr);
    EXPECT_TRUE(ctrl->IsServer());
    EXPECT_TRUE(ctrl->ProcessActiveBlocksOnly());
    const float before = DroneDistance();
    const double time = ctrl->GetGameTime();

    DedicatedServer::RunFrames(*ctrl, 30);
    EXPECT_EQ(ctrl->GetGameTime(), time) << "the world ran without anybody in it";

    ctrl->SetRunWorldWithoutClients(true);
    DedicatedServer::RunFrames(*ctrl, 150);
    EXPECT_NEAR(ctrl->GetGameTime(), time + 150 * double(DedicatedServer::kStepSeconds), 1e-3);
    EXPECT_LT(DroneDistance(), before - 32.0f) << "the drone never moved toward the hero";
}

TEST_F(GameServerGameTest, ALeavingClientFreesItsSlotsLastSentPositions)
{
    NetworkNode client;
    client.Start();
    const int32_t tcp = client.Connect(NetworkNode::kTCP, "127.0.0.1", ctrl->GetNetNode().GetPort());
    ASSERT_GE(tcp, 0);
    ASSERT_TRUE(WaitUntil([&] {
        DedicatedServer::RunFrames(*ctrl, 1);
        return ctrl->GetNumClients() == 1;
    }));
    const int32_t slot = ctrl->GetClientSlot(0);
    WorldCtrl& world = ctrl->GetWorld();
    int32_t objects = 0;
    for (int32_t id = world.NextObjID(-1); id >= 0; id = world.NextObjID(id), ++objects) {
        world.GetObj(id)->m_LastSentPos[slot][0] = 1.0f;
        world.GetObj(id)->m_LastSentAngle[slot] = 1.0f;
    }
    ASSERT_GT(objects, 0);

    client.DeleteConnection(tcp, true);
    ASSERT_TRUE(WaitUntil([&] {
        DedicatedServer::RunFrames(*ctrl, 1);
        return ctrl->GetNumClients() == 0;
    }));
    for (int32_t id = world.NextObjID(-1); id >= 0; id = world.NextObjID(id)) {
        EXPECT_EQ(world.GetObj(id)->m_LastSentPos[slot][0], -8999999488.0f);
        EXPECT_EQ(world.GetObj(id)->m_LastSentPos[slot][1], -8999999488.0f);
        EXPECT_EQ(world.GetObj(id)->m_LastSentAngle[slot], -8999999488.0f);
    }
}
