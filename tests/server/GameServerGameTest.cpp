// The game's controller as a listening server on a copy of the sample game, with the program's own
// start-up and frame loop: the active area follows the server's hero so that the drone closes in
// without anybody marking it, the game time runs, a client that leaves frees its slot's last-sent
// positions, and the world's changes are queued for the clients only inside the update depth.
#include "server/DedicatedServer.h"

#include "net/GameServer.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"
#include "support/ErrorOf.h"
#include "support/RawGameClient.h"
#include "support/SampleServerGame.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

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

// The world's changes reach the sync table only inside the world-update depth, which a script's
// creation raises and a suspension lowers; a deleted object stops being a client's character
// whatever the depth.
TEST_F(GameServerGameTest, WorldChangesAreQueuedInsideTheUpdateDepth)
{
    NetworkNode client;
    client.Start();
    ASSERT_GE(client.Connect(NetworkNode::kTCP, "127.0.0.1", ctrl->GetNetNode().GetPort()), 0);
    ASSERT_TRUE(WaitUntil([&] {
        DedicatedServer::RunFrames(*ctrl, 1);
        return ctrl->GetNumClients() == 1;
    }));
    const int32_t slot = ctrl->GetClientSlot(0);
    ctrl->GetClient(slot)->state = GameServer::kClientJoined;
    WorldCtrl& world = ctrl->GetWorld();
    std::vector<WorldElem*> crates;
    for (int32_t i = 0; i < 4; ++i) {
        const float x = 100.0f + 50.0f * float(i);
        crates.push_back(dynamic_cast<WorldElem*>(ctrl->CreateWorldObject("Crate", x, 100.0f, 0.0f, 0.0f)));
        ASSERT_NE(crates.back(), nullptr);
        crates.back()->m_NetSync = 2;
    }
    const auto& table = ctrl->GetSyncRequests();
    ASSERT_TRUE(table.empty());  // made outside the depth
    ctrl->OnObjectAdded(crates[0]->m_ObjID);
    EXPECT_TRUE(table.empty());

    ctrl->BeginScriptCreation();
    EXPECT_EQ(ctrl->GetWorldUpdateDepth(), 1);
    ctrl->OnObjectAdded(crates[0]->m_ObjID);
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(table[0].slot, slot);
    EXPECT_EQ(table[0].itemFlags, GameNetworkNode::kSyncItemCreated);
    EXPECT_TRUE(table[0].ref.RefersTo(crates[0]));

    ctrl->SuspendObjectSync();  // as the level change does
    world.DelObj(crates[1]->m_ObjID, 1);
    EXPECT_EQ(table.size(), 1u);
    ctrl->ResumeObjectSync();
    EXPECT_EQ(ctrl->GetWorldUpdateDepth(), 1);
    const ObjRef3 second(crates[2]);
    world.DelObj(crates[2]->m_ObjID, 1);
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[1].remove, 1);
    EXPECT_EQ(table[1].ref.Equals(second), 1);
    const int32_t hero = ctrl->GetMainChar()->m_ObjID;
    ASSERT_TRUE(ctrl->UseObject(crates[0], hero, 0));  // a use changes the element
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[2].itemFlags, 0);
    EXPECT_TRUE(table[2].ref.RefersTo(crates[0]));
    ctrl->EndScriptCreation();
    EXPECT_EQ(ctrl->GetWorldUpdateDepth(), 0);
    crates[0]->m_NetSync = 1;  // by its short state: a use alone sends nothing
    ctrl->BeginScriptCreation();
    ctrl->UseObject(crates[0], hero, 0);
    ctrl->EndScriptCreation();
    crates[0]->m_NetSync = 2;
    ctrl->UseObject(crates[0], hero, 0);
    EXPECT_EQ(table.size(), 3u);

    ctrl->GetClient(slot)->playerInfo.mainCharObjID = crates[3]->m_ObjID;
    world.DelObj(crates[3]->m_ObjID, 1);
    EXPECT_EQ(table.size(), 3u);
    EXPECT_EQ(ctrl->GetClient(slot)->playerInfo.mainCharObjID, -1);
}

// The hosting player's client leaves: its character leaves the world and every client in it hears
// so, every client is told that the host left, and the server ends.
TEST_F(GameServerGameTest, TheHostLeavingEndsTheServer)
{
    // The raw clients read no datagrams: blood near the host's character would go over UDP and
    // its port's refusal would lose the client.
    ctrl->GetNetworkSettings().useUDP = false;
    RawGameClient host(ctrl->GetNetNode().GetPort());
    ASSERT_TRUE(WaitUntil([&] {
        DedicatedServer::RunFrames(*ctrl, 1);
        return ctrl->GetNumClients() == 1;
    }));
    RawGameClient other(ctrl->GetNetNode().GetPort());
    ASSERT_TRUE(WaitUntil([&] {
        DedicatedServer::RunFrames(*ctrl, 1);
        return ctrl->GetNumClients() == 2;
    }));
    WorldElem* character = ctrl->GetWorld().FindObjectByWorldID("drone1", nullptr);
    ASSERT_NE(character, nullptr);
    const int32_t characterID = character->m_ObjID;
    GameClientInfo* hostInfo = ctrl->GetClient(0);
    hostInfo->playerInfo.mainCharObjID = characterID;
    hostInfo->state = GameServer::kClientJoined;
    ctrl->GetClient(1)->state = GameServer::kClientChecksumsSent;
    EXPECT_EQ(ctrl->GetClientCreature(0), character);
    EXPECT_EQ(ctrl->CountJoinedPlayers(), 1);

    // 0x0701 from the host: it announces itself as the hosting player.
    const uint8_t hosting[12] = {0xC0, 0xDE, 0x01, 0x07, 1, 0, 0, 0, 0, 0, 0, 0};
    host.node.SendData(host.tcp, hosting, sizeof hosting, true);
    ASSERT_TRUE(WaitUntil([&] {
        DedicatedServer::RunFrames(*ctrl, 1);
        return ctrl->GetHostingClient() == 0;
    }));

    host.node.DeleteConnection(host.tcp, true);
    ASSERT_TRUE(WaitUntil([&] {
        DedicatedServer::RunFrames(*ctrl, 1);
        return ctrl->IsServerStopRequested();
    }));
    EXPECT_EQ(ctrl->GetWorld().GetObjNoCheck(characterID, false), nullptr);
    ASSERT_TRUE(WaitUntil([&] {
        other.Collect();
        return other.Got(GameNetworkNode::kMsgDisconnectRequest);
    }));
    EXPECT_TRUE(other.Got(GameNetworkNode::kMsgDeleteObject));
    EXPECT_EQ(ctrl->GetClient(1)->state, GameServer::kClientDisconnecting);
}
