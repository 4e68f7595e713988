// The game's controller as a network client on a copy of the sample game, driven by the server's
// frame loop: it connects to a fake game server over loopback, serves the link each frame (the
// messages read, a lost connection noticed and shown), slews its clock in the running game, and
// applies received animation cycles and object IDs to the sample level's elements.
#include "server/DedicatedServer.h"

#include "game/objects/CreatureObj.h"
#include "game/objects/CreatureSyncData.h"
#include "net/GameNetworkNode.h"
#include "net/GameValueCodec.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "world/WorldElem.h"
#include "support/ErrorOf.h"
#include "support/FakeGameServer.h"
#include "support/GamePacketBytes.h"
#include "support/LogCapture.h"
#include "support/SampleServerGame.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class GameNetworkNodeGameTest : public SampleServerGame<SciFiGameCtrl> {
protected:
    void SetUp() override { Start("LogNetworkTraffic = 1"); }

    bool ShowsText(const char16_t* key)
    {
        auto& messages = ctrl->GetWorld().GetTextMessages();
        for (int32_t i = 0; i < messages.GetSize(); ++i)
            if (messages.GetAt(i)->key == wString(key))
                return true;
        return false;
    }

    WorldElem* NewCrate(float x)
    {
        return dynamic_cast<WorldElem*>(ctrl->CreateWorldObject("Crate", x, 100.0f, 0.0f, 0.0f));
    }
};

}  // namespace

TEST_F(GameNetworkNodeGameTest, FrameLoopServesTheLinkToTheServer)
{
    // The options step read the network keys and started the transport.
    EXPECT_EQ(ctrl->GetNetworkSettings().dataPort, 0);
    EXPECT_EQ(ctrl->GetNetworkSettings().logNetworkTraffic, 1);
    EXPECT_TRUE(ctrl->GetNetNode().IsRunning());
    EXPECT_FALSE(ctrl->IsNetworkClient());
    DedicatedServer::RunFrames(*ctrl, 2);
    EXPECT_FALSE(ctrl->IsNetworkedGame());

    FakeGameServer server(FakeGameServer::kAccept);
    int32_t reason = -1;
    ASSERT_TRUE(ctrl->ConnectToServer("127.0.0.1", server.GetPort(), false, 20.0, &reason));
    EXPECT_TRUE(ctrl->IsNetworkClient());
    EXPECT_FALSE(ctrl->IsRunning());
    EXPECT_TRUE(ctrl->IsNetworkGame());

    LogCapture log;
    server.SendToClients(GamePacketBytes(0x0B00, 1, 4));
    server.SendToClients(GamePacketBytes(0x3456, 1, 2));
    ASSERT_TRUE(WaitUntil([&] {
        DedicatedServer::RunFrames(*ctrl, 1);
        return log.Count("Unknown packet received: 0x3456") == 1;
    }));
    EXPECT_TRUE(ctrl->IsNetworkedGame());
    EXPECT_EQ(ctrl->GetNetNode().GetNumBytesWaiting(ctrl->GetTCPConnection()), 0);

    server.DropClients();
    ASSERT_TRUE(WaitUntil([&] {
        DedicatedServer::RunFrames(*ctrl, 1);
        return ctrl->GetConnectionState() == GameNetworkNode::eDisconnected;
    }));
    EXPECT_TRUE(ShowsText(u"DB:net_connection_lost"));
    EXPECT_EQ(ctrl->GetTCPConnection(), -1);
    DedicatedServer::RunFrames(*ctrl, 1);
    EXPECT_FALSE(ctrl->IsNetworkedGame());
    EXPECT_TRUE(ctrl->IsRunning());
}

TEST_F(GameNetworkNodeGameTest, RunningGameSlewsTheClock)
{
    ctrl->SetConnectionState(GameNetworkNode::eRunningGame);
    const double dt = double(DedicatedServer::kStepSeconds);
    const double start = ctrl->GetGameTime();
    ctrl->SetTimeSlewTarget(start + 0.5);
    DedicatedServer::RunFrames(*ctrl, 1);
    EXPECT_NEAR(ctrl->GetGameTime() - start, 0.5 * dt + dt, 1e-6);
    EXPECT_NEAR(ctrl->GetTimeSlewTarget(), start + 0.5 + dt, 1e-6);

    ctrl->SetTimeSlewTarget(ctrl->GetGameTime() + 1.5);
    const double target = ctrl->GetTimeSlewTarget();
    DedicatedServer::RunFrames(*ctrl, 1);
    EXPECT_NEAR(ctrl->GetGameTime(), target + dt, 1e-6);
    EXPECT_EQ(ctrl->GetTimeSlewTarget(), -1.0);
}

TEST_F(GameNetworkNodeGameTest, AnimationCycleUnits)
{
    ctrl->SetConnectionState(GameNetworkNode::eRunningGame);  // a client plays cycles it has no data for
    CreatureObj& hero = *ctrl->GetMainChar();
    ctrl->GetNetworkSettings().logNetworkTraffic = 2;
    LogCapture log;
    auto unit = [&](uint16_t move, uint16_t action) {
        AnicycleUnit u;
        u.objID = hero.m_ObjID;
        u.moveCycle = move;
        u.moveValue = 0x3E00;  // 1.0
        u.actionCycle = action;
        u.actionValue = 0x3E00;
        return u;
    };

    ctrl->ApplyAnicycleUnit(hero, unit(450, 0x4005), false);
    EXPECT_EQ(hero.m_CyclePlayers[0].GetCycleNumber(), 450);
    EXPECT_EQ(hero.m_CyclePlayers[1].GetCycleNumber(), 5);
    EXPECT_EQ(hero.m_CyclePlayers[1].reverse, 1);  // bit 14 handed to the cycle setter

    ctrl->ApplyAnicycleUnit(hero, unit(451, 451), false);
    EXPECT_EQ(log.Count("invalid move anicycle ID received: 451"), 1);
    EXPECT_EQ(log.Count("invalid action anicycle ID received: 451"), 1);
    EXPECT_EQ(hero.m_CyclePlayers[0].GetCycleNumber(), 450);
    EXPECT_EQ(hero.m_CyclePlayers[1].GetCycleNumber(), 5);
    const std::string line = "NetRec: anicycle update: objID:" + std::to_string(hero.m_ObjID) + " move:451  action:451";
    EXPECT_EQ(log.Count(line.c_str()), 1);  // still logged after the refused action

    ctrl->ApplyAnicycleUnit(hero, unit(0x8000, 0x8000), true);
    EXPECT_EQ(hero.m_CyclePlayers[0].GetCycleNumber(), -1);
    EXPECT_EQ(hero.m_CyclePlayers[1].GetCycleNumber(), -1);
    EXPECT_EQ(hero.m_CyclePlayers[0].GetTime(), 0.0f);
}

TEST_F(GameNetworkNodeGameTest, CreatureSyncRecordInABlock)
{
    ctrl->SetConnectionState(GameNetworkNode::eRunningGame);
    CreatureObj& hero = *ctrl->GetMainChar();
    LogCapture log;
    // The server's creature, filled and written as a sync block carries it after the position.
    CreatureObj sent;
    sent.m_CyclePlayers[0].cycleNumber = 7;
    sent.m_CyclePlayers[0].reverse = 1;
    sent.m_CyclePlayers[0].speed = 0.5f;
    sent.m_CyclePlayers[1].cycleNumber = 20;
    sent.m_CyclePlayers[1].speed = 2.0f;
    sent.m_IsFlying = 1;
    sent.m_Invisible = 1;
    sent.m_TintColour = 0x80FF2010u;
    sent.m_TargetValues[1] = 4.0f;
    CreatureSyncData record;
    record.Fill(sent);
    auto block = [&](const CreatureSyncData& r) {
        std::vector<uint8_t> bytes(CreatureSyncData::kSize + 2, 0xEE);  // the block goes on
        ByteWriter writer(bytes.data(), bytes.size());
        r.Write(writer);
        return bytes;
    };
    const uint8_t header = GameNetworkNode::kSyncItemShort | GameNetworkNode::kSyncItemCreature;

    std::vector<uint8_t> bytes = block(record);
    ByteReader reader(bytes.data(), bytes.size());
    ASSERT_TRUE(ctrl->ReadCreatureSyncData(reader, header, hero));
    EXPECT_EQ(reader.GetRemaining(), 2u);
    EXPECT_EQ(hero.m_CyclePlayers[0].GetCycleNumber(), 7);
    EXPECT_EQ(hero.m_CyclePlayers[0].reverse, 1);
    EXPECT_EQ(hero.m_CyclePlayers[0].speed, 0.5f);
    EXPECT_EQ(hero.m_CyclePlayers[1].GetCycleNumber(), 20);
    EXPECT_EQ(hero.m_CyclePlayers[1].speed, 2.0f);
    EXPECT_EQ(hero.m_IsFlying, 1);
    EXPECT_EQ(hero.m_Invisible, 1);
    EXPECT_EQ(hero.m_TintColour, 0x80FF2010u);
    EXPECT_EQ(hero.m_TargetValues[1], 4.0f);

    // A cycle beyond the last is refused with its text; the rest of the record still applies.
    record.move.cycleWord = 451;
    record.action.cycleWord = AniCycleSyncEntry::kNoCycle;
    record.flags = 0;
    bytes = block(record);
    ByteReader second(bytes.data(), bytes.size());
    ASSERT_TRUE(ctrl->ReadCreatureSyncData(second, header, hero));
    EXPECT_EQ(log.Count("invalid move anicycle ID received: 451"), 1);
    EXPECT_EQ(hero.m_CyclePlayers[0].GetCycleNumber(), 7);
    EXPECT_EQ(hero.m_CyclePlayers[1].GetCycleNumber(), -1);
    EXPECT_EQ(hero.m_IsFlying, 0);

    // No creature bit, or a record cut short: the block is not trusted further.
    ByteReader third(bytes.data(), bytes.size());
    EXPECT_FALSE(ctrl->ReadCreatureSyncData(third, GameNetworkNode::kSyncItemShort, hero));
    EXPECT_EQ(log.Count("Internal error: creature not followed by creature sync data"), 1);
    ByteReader cut(bytes.data(), CreatureSyncData::kSize - 1);
    EXPECT_FALSE(ctrl->ReadCreatureSyncData(cut, header, hero));
    EXPECT_EQ(log.Count("Internal error: can not read creature simple sync data"), 1);
    EXPECT_EQ(hero.m_TintColour, 0x80FF2010u);
}

TEST_F(GameNetworkNodeGameTest, ClaimObjectID)
{
    WorldCtrl& world = ctrl->GetWorld();
    WorldElem* holder = NewCrate(100.0f);
    WorldElem* claimer = NewCrate(200.0f);
    ASSERT_NE(holder, nullptr);
    ASSERT_NE(claimer, nullptr);

    // A free ID is taken.
    const int32_t freeID = world.GetObjCapacity() + 3;
    EXPECT_TRUE(ctrl->ClaimObjectID(*claimer, freeID, true));
    EXPECT_EQ(claimer->m_ObjID, freeID);
    EXPECT_TRUE(world.HoldsObj(freeID, claimer));

    // A holder the sides never agreed on moves away.
    const int32_t taken = holder->m_ObjID;
    EXPECT_TRUE(ctrl->ClaimObjectID(*claimer, taken, true));
    EXPECT_TRUE(world.HoldsObj(taken, claimer));
    EXPECT_NE(holder->m_ObjID, taken);
    EXPECT_TRUE(world.HoldsObj(holder->m_ObjID, holder));

    // A synchronised holder: strict is an error, not strict deletes it with a warning.
    WorldElem* synced = NewCrate(300.0f);
    ASSERT_NE(synced, nullptr);
    synced->m_NetworkSynced = 1;
    const int32_t syncedID = synced->m_ObjID;
    const std::string text = "Game out of sync - objID not available: " + std::to_string(syncedID);
    EXPECT_EQ(ErrorOf([&] { ctrl->ClaimObjectID(*holder, syncedID, true); }), text);
    EXPECT_TRUE(world.HoldsObj(syncedID, synced));
    LogCapture log;
    EXPECT_FALSE(ctrl->ClaimObjectID(*holder, syncedID, false));
    EXPECT_TRUE(world.HoldsObj(syncedID, holder));
    EXPECT_EQ(log.Count(text.c_str()), 1);

    // IDs a peer cannot mean are refused.
    EXPECT_FALSE(ctrl->ClaimObjectID(*holder, -1, true));
    EXPECT_FALSE(ctrl->ClaimObjectID(*holder, WorldCtrl::kMaxObjID, true));
    EXPECT_TRUE(world.HoldsObj(syncedID, holder));
}

TEST(WorldObjectCreateParamsTest, SetDefaults)
{
    WorldObjectCreateParams params;
    params.keepPosition = 1;
    params.hasPosition = 1;
    params.posX = 5.0f;
    params.result = 1;
    params.levelElement = 7;
    params.SetDefaults();
    const uint8_t flags[8] = {params.addToWorld, params.withItem, params.createChildren, params.buildBox,
                              params.childFlag, params.keepPosition, params.createEffectChildren, params.networkClient};
    const uint8_t expected[8] = {1, 1, 1, 1, 1, 0, 1, 0};
    EXPECT_TRUE(std::equal(flags, flags + 8, expected));
    EXPECT_EQ(params.levelElement, -1);
    EXPECT_EQ(params.hasPosition, 0);
    EXPECT_EQ(params.posX, 0.0f);
    EXPECT_EQ(params.result, 0);
}
