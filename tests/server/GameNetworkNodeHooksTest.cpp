// The game's controller as a network client on a copy of the sample game: the hooks that the
// creatures, the items and the world call send their messages to a fake game server over loopback
// once connected (the creature's movement, rotation value and action in the running game, a
// pick-up, a use, a drop, a forwarded script, a level gained, a revival, the player's death)
// instead of, or after, acting here; unconnected, the controller acts itself and nothing is sent.
#include "server/DedicatedServer.h"

#include "game/objects/CreatureObj.h"
#include "game/objects/ItemBase.h"
#include "net/GameNetworkNode.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "world/Inventory.h"
#include "world/WorldElem.h"
#include "world/WorldEventPayloads.h"
#include "support/SampleClientGame.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

class GameNetworkNodeHooksTest : public SampleClientGame<SciFiGameCtrl> {
protected:
    // The ids that reach the server over TCP from the call on, after the frame's packet is out.
    std::vector<uint16_t> SentBy(const std::function<void()>& call)
    {
        const size_t before = server.ReceivedTCP().size();
        call();
        ctrl->FinishPacket();
        // A marker that this node never sends on its own ends what the call sent.
        ctrl->SendRestartLevel();
        EXPECT_TRUE(WaitUntil([&] {
            const auto ids = server.ReceivedTCP();
            return !ids.empty() && ids.back() == GameNetworkNode::kMsgRestartLevel && ids.size() > before;
        }));
        auto ids = server.ReceivedTCP();
        return std::vector<uint16_t>(ids.begin() + std::ptrdiff_t(before), ids.end() - 1);
    }

    int32_t QueuedEvents()
    {
        WorldCtrl& world = ctrl->GetWorld();
        return world.GetEventQueue(0).GetSize() + world.GetEventQueue(1).GetSize();
    }
};

}  // namespace

TEST_F(GameNetworkNodeHooksTest, CreatureOfThisClientTellsTheServer)
{
    CreatureObj& hero = *ctrl->GetMainChar();
    Connect();
    EXPECT_EQ(SentBy([&] { hero.SetMoveType(CreatureObj::kMoveWalk, 50.0f, 60.0f, 1.0f, nullptr, 100, 0.0f); }),
              (std::vector<uint16_t>{0x0800}));
    EXPECT_EQ(SentBy([&] { hero.StartAction(CreatureObj::kActionIdle, "", nullptr, 100, 0.0f); }),
              (std::vector<uint16_t>{0x1900}));
    EXPECT_EQ(SentBy([&] { ctrl->OnHeroLevelUp(2); }), (std::vector<uint16_t>{0x4100}));
    EXPECT_EQ(SentBy([&] { ctrl->AttachCreatureToInput(&hero, ctrl->GetLocalInputIndex()); }),
              (std::vector<uint16_t>{0x2600}));
    EXPECT_EQ(ctrl->GetMainChar(), &hero);
    // A script run with the forwarding flag goes to the server, which runs it.
    EXPECT_EQ(SentBy([&] { ctrl->GetWorld().RunScript(String("iTmp[0] = 4321;"), nullptr, 0, 0, "test", 1, 2); }),
              (std::vector<uint16_t>{0x1600}));
    EXPECT_NE(*ctrl->GetScriptTempInt(0), 4321);
    CreatureObj::s_SyncRotationValues = true;
    EXPECT_EQ(SentBy([&] { hero.SetMoveSpeed(hero.m_ActionState.moveSpeed + 0.5f); }), (std::vector<uint16_t>{0x0801}));
    CreatureObj::s_SyncRotationValues = false;

    // Joining, the creature's notifications wait for the running game.
    ctrl->SetConnectionState(GameNetworkNode::eSynced);
    EXPECT_TRUE(SentBy([&] { hero.SetMoveType(CreatureObj::kMoveWalk, 70.0f, 60.0f, 1.0f, nullptr, 100, 0.0f); })
                    .empty());

    // The running game again: the game's skill slots go out first (1, 3, 2). The player's own
    // character dies here and tells the server; its kill event stays here.
    EXPECT_EQ(SentBy([&] { ctrl->SetConnectionState(GameNetworkNode::eRunningGame); }),
              (std::vector<uint16_t>{0xA300, 0xA302, 0xA301}));
    EXPECT_EQ(SentBy([&] { hero.Kill(nullptr, -1); }), (std::vector<uint16_t>{0x2300}));
}

TEST_F(GameNetworkNodeHooksTest, PickUpUseAndDropAreTheServers)
{
    CreatureObj& hero = *ctrl->GetMainChar();
    WorldElem* crate = NewCrate(300.0f);
    ASSERT_NE(crate, nullptr);
    crate->m_UsesLeft = 5;
    ItemBase* lyingItem = ctrl->ItemFromName("Medkit", false);
    ASSERT_NE(lyingItem, nullptr);
    if (!hero.m_Inventory)
        hero.CreateInventory(4);
    ASSERT_GE(hero.m_Inventory->AddItem(lyingItem), 0);
    const int32_t lyingID = ctrl->DropItem(lyingItem, 0.0f, &hero);  // unconnected: laid here
    ASSERT_GE(lyingID, 0);
    WorldElem* lying = ctrl->GetWorld().GetObjNoCheck(lyingID, false);
    ASSERT_NE(lying, nullptr);

    // Unconnected, the controller uses the crate itself and queues what it is given.
    EXPECT_TRUE(ctrl->UseObject(crate, hero.m_ObjID, 0));
    EXPECT_EQ(crate->m_UsesLeft, 4);

    Connect();
    const int32_t queued = QueuedEvents();
    EXPECT_EQ(SentBy([&] { EXPECT_TRUE(ctrl->PickUpItem(lying, &hero)); }), (std::vector<uint16_t>{0x0D00}));
    EXPECT_EQ(QueuedEvents(), queued);
    EXPECT_EQ(SentBy([&] { EXPECT_TRUE(ctrl->UseObject(crate, hero.m_ObjID, 0)); }), (std::vector<uint16_t>{0x1500}));
    EXPECT_EQ(crate->m_UsesLeft, 4);
    ItemBase* medkit = ctrl->ItemFromName("Medkit", false);
    ASSERT_NE(medkit, nullptr);
    EXPECT_EQ(SentBy([&] { EXPECT_EQ(ctrl->DropItem(medkit, nullptr, &hero, 0.0f, 0.0f, 0.5f), -1); }),
              (std::vector<uint16_t>{0x1300}));

    // Other events stay this node's own.
    LevelChangeRecord change;
    change.startNumber = 1;
    WorldEvent event;
    change.Write(event);
    EXPECT_TRUE(SentBy([&] { ctrl->AddGameEvent(&event); }).empty());
    EXPECT_EQ(QueuedEvents(), queued + 1);
}

TEST_F(GameNetworkNodeHooksTest, UnconnectedNothingIsSent)
{
    CreatureObj& hero = *ctrl->GetMainChar();
    ctrl->GetNetworkSettings().logNetworkTraffic = 0;  // a frame may finish a packet of its own
    hero.SetMoveType(CreatureObj::kMoveWalk, 50.0f, 60.0f, 1.0f, nullptr, 100, 0.0f);
    hero.StartAction(CreatureObj::kActionIdle, "", nullptr, 100, 0.0f);
    ctrl->OnHeroLevelUp(2);
    ctrl->AttachCreatureToInput(&hero, ctrl->GetLocalInputIndex());
    ctrl->ForwardScript("SetHealth(obj, 1);");
    EXPECT_EQ(ctrl->GetCurrentSendPacketHeader().id, 0);  // no sender began a packet
    DedicatedServer::RunFrames(*ctrl, 1);
    EXPECT_EQ(server.GetClients(), 0);
}
