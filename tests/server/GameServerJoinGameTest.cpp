// A client's join on a copy of the sample game, driven by scripted peers on 127.0.0.1 against the
// game's server, listening as the program does: the join's messages in their order and the
// player's character, the version check, messages out of turn and malformed, two players who
// learn of each other, the default character, the level change that carries the characters along,
// and the hosting player.
#include "server/DedicatedServer.h"

#include "base/File.h"
#include "game/objects/CreatureObj.h"
#include "game/objects/EventObj.h"
#include "net/GameServer.h"
#include "net/GameValueCodec.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"
#include "world/WorldEvent.h"
#include "world/WorldEventPayloads.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"
#include "support/SampleServerGame.h"
#include "support/ScriptedPeer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using Net = GameServer;

// The game's server, whose queue refuses the SetMainChar unit a number of times, as a write that
// fails does: the unit and its packet are taken back.
class JoinServer : public SciFiGameCtrl {
public:
    bool WriteData(const void* data, int32_t n, bool finish) override
    {
        if (refuseSetMainChar > 0 && n == kSetMainCharSize && GetCurrentSendPacketHeader().id == kMsgSetMainChar) {
            --refuseSetMainChar;
            SelectClientConnection(GetSendTarget());
            AbandonUnit(GetSendConnection());
            return false;
        }
        return SciFiGameCtrl::WriteData(data, n, finish);
    }
    int32_t refuseSetMainChar = 0;
};

class GameServerJoinGameTest : public SampleServerGame<JoinServer> {
protected:
    void SetUp() override
    {
        withHero = false;
        listening = true;
        ASSERT_EQ(StartError(kPeersOverTCP), "no error");
        ASSERT_TRUE(ctrl->IsListening());
        ASSERT_EQ(ctrl->GetMainChar(), nullptr);
    }
    std::unique_ptr<ScriptedPeer> Connect(int32_t& slot) { return ConnectPeer(slot); }
    int32_t StateOf(int32_t slot) { return ctrl->GetClient(slot) ? ctrl->GetClient(slot)->state : -1; }
    // The players' characters in the world.
    int32_t CountPlayerCharacters()
    {
        int32_t count = 0;
        WorldCtrl& world = ctrl->GetWorld();
        for (int32_t id = world.NextObjID(-1); id >= 0; id = world.NextObjID(id))
            if (auto* creature = dynamic_cast<CreatureObj*>(world.GetObjNoCheck(id, false)))
                count += creature->m_MainCharacter != 0 && creature->m_NetSync == 3;
        return count;
    }
    // The object ID an 0x0600 or 0x0700 unit begins with.
    static int32_t ObjIDOf(const ScriptedPeer::Message& message)
    {
        ByteReader in(message.units.data(), message.units.size());
        return int32_t(in.ReadU32());
    }
    // A character's state as a client sends it after its PlayerInfo: a Hero of that health.
    std::vector<uint8_t> HeroBlock(float health)
    {
        WorldElem* made = ctrl->CreateWorldObject("Hero", nullptr, true, true, true, false, 0.0f, nullptr, 0.0f,
                                                  nullptr, -1);
        auto* hero = dynamic_cast<CreatureObj*>(made);
        EXPECT_NE(hero, nullptr);
        if (!hero)
            return {};
        hero->m_Health = health;
        File file;
        file.CreateMemoryFile(4096);
        GameNetworkNode::WriteCharacterState(file, *hero);
        ctrl->GetWorld().DelObj(hero->m_ObjID, 1);
        return std::vector<uint8_t>(file.GetMemoryBuffer(), file.GetMemoryBuffer() + file.GetSize());
    }
};

// The join answered by hand: PlayerInfo, after the level's load request the first messages, after
// the end of the checksums the others.
void JoinByHand(ScriptedPeer& peer, const std::vector<uint16_t>& afterLoad, const std::vector<uint16_t>& afterChecksums)
{
    peer.SetAnswering(false);
    peer.SendPlayerInfo();
    peer.Await(Net::kMsgLoadLevelRequest);
    for (const uint16_t id : afterLoad)
        peer.SendEmpty(id);
    peer.Await(Net::kMsgChecksumsFinished);
    for (const uint16_t id : afterChecksums)
        peer.SendEmpty(id);
}

size_t FirstIndexOf(const std::vector<uint16_t>& ids, uint16_t id)
{
    return size_t(std::find(ids.begin(), ids.end(), id) - ids.begin());
}

}  // namespace

// The whole join: ServerInfo, the level's load request, GameBasics, the checksums and their end,
// then, once the peer reported its requests done and itself synchronised, SetMainChar; the player
// is in the game with a Hero of its own, a player's character kept in step by its saved state, at
// the level's starting position.
TEST_F(GameServerJoinGameTest, AScriptedPeerJoinsTheSampleLevel)
{
    LogCapture log;
    int32_t slot = -1;
    const std::unique_ptr<ScriptedPeer> peer = Connect(slot);
    PlayerInfoOptions options;
    options.characterID = "Hero";
    options.playerName = u"Alice";
    ASSERT_TRUE(peer->Join(options));

    const std::vector<uint16_t> ids = peer->IdSequence();
    const uint16_t order[] = {GameServer::kMsgServerInfo,       Net::kMsgLoadLevelRequest, Net::kMsgGameBasics,
                              Net::kMsgObjectChecksums,         Net::kMsgChecksumsFinished, Net::kMsgSetMainChar};
    for (size_t i = 1; i < std::size(order); ++i)
        EXPECT_LT(FirstIndexOf(ids, order[i - 1]), FirstIndexOf(ids, order[i])) << std::hex << order[i];
    EXPECT_EQ(peer->Received(Net::kMsgChecksumsFinished).size(), 1u);
    const std::vector<ScriptedPeer::Message> load = peer->Received(Net::kMsgLoadLevelRequest);
    ASSERT_EQ(load.size(), 1u);
    ByteReader in(load[0].units.data(), load[0].units.size());
    EXPECT_EQ(GameValueCodec::ReadCharFixed(in, 128), ctrl->GetLevelDescFile());
    EXPECT_EQ(in.ReadU32(), ctrl->GetLevelSeed());

    EXPECT_EQ(log.Count("Player 'Alice' joined successfully"), 1);
    EXPECT_EQ(StateOf(slot), GameServer::kClientJoined);
    CreatureObj* character = ctrl->GetClientCreature(slot);
    ASSERT_NE(character, nullptr);
    EXPECT_EQ(character->m_CfgID, "Hero");
    EXPECT_EQ(character->m_NetSync, 3);
    EXPECT_EQ(character->m_MainCharacter, 1);
    EXPECT_EQ(String(*character->GetNameField()), "Alice");
    EXPECT_EQ(ObjIDOf(peer->Received(Net::kMsgSetMainChar)[0]), character->m_ObjID);
    ASSERT_NE(ctrl->GetLevelStart(), nullptr);
    EXPECT_EQ(character->GetPos().x, ctrl->GetLevelStart()->GetPos().x);
    EXPECT_EQ(character->GetPos().y, ctrl->GetLevelStart()->GetPos().y);
    // Its input is a player's, but not this machine's: the server has no local player.
    ASSERT_NE(character->m_InputCtrl, nullptr);
    EXPECT_EQ(character->m_InputCtrl->GetMode(), GameCtrl::kInputLocal);
    EXPECT_EQ(ctrl->GetLocalInputIndex(), -1);
    EXPECT_EQ(ctrl->GetMainChar(), character);  // the server's main character is the first player's
    EXPECT_EQ(ctrl->GetNumMultiplayerCharacters(), 1);
    EXPECT_EQ(ctrl->GetMultiplayerCharacter(0), character);
    String configID;
    ASSERT_TRUE(ctrl->GetPlayerConfigID(slot, configID));
    EXPECT_EQ(configID, "Hero");
    EXPECT_FALSE(ctrl->GetPlayerConfigID(slot + 1, configID));
    EXPECT_EQ(ctrl->CountJoinedPlayers(), 1);

    // A second PlayerInfo replaces what the client told, and leaves it where it is.
    options.characterID = "Drone";
    options.playerName = u"Bob";
    ASSERT_TRUE(peer->SendPlayerInfo(options));
    ASSERT_TRUE(peer->StepUntil([&] { return ctrl->GetPlayerConfigID(slot, configID) && configID == "Drone"; }));
    EXPECT_EQ(String(ctrl->GetClient(slot)->playerInfo.playerName), "Bob");
    EXPECT_EQ(StateOf(slot), GameServer::kClientJoined);
    EXPECT_EQ(peer->Received(Net::kMsgLoadLevelRequest).size(), 1u);
    EXPECT_EQ(ctrl->GetClientCreature(slot), character);
}

// The list of the players' characters: only creatures are made, each listed once, and the ones
// gone are purged from the count.
TEST_F(GameServerJoinGameTest, TheMultiplayerCharacterList)
{
    const int32_t objects = ctrl->GetWorld().GetNumElements();
    EXPECT_EQ(ErrorOf([&] { ctrl->AddMultiplayerCharacter("Crate", -1); }),
              "None-creature in AddMultiplayerCharacter: Crate");
    EXPECT_EQ(ctrl->GetWorld().GetNumElements(), objects) << "the crate went again";
    EXPECT_EQ(ctrl->GetNumMultiplayerCharacters(), 0);
    EXPECT_FALSE(ctrl->IsAddingMultiplayerCharacter());

    CreatureObj* first = ctrl->AddMultiplayerCharacter("Hero", -1);
    CreatureObj* second = ctrl->AddMultiplayerCharacter("Drone", -1);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(ctrl->GetNumMultiplayerCharacters(), 2);
    EXPECT_EQ(ctrl->GetMultiplayerCharacter(1), second);
    EXPECT_EQ(ctrl->GetMultiplayerCharacter(2), nullptr);
    ctrl->GetWorld().DelObj(first->m_ObjID, 1);
    EXPECT_EQ(ctrl->GetNumMultiplayerCharacters(), 1);
    EXPECT_EQ(ctrl->GetMultiplayerCharacter(0), second);
}

// A SetMainChar that finds no room goes out in a later frame; the player joins once.
TEST_F(GameServerJoinGameTest, ASetMainCharWithoutRoomIsSentAgain)
{
    LogCapture log;
    int32_t slot = -1;
    const std::unique_ptr<ScriptedPeer> peer = Connect(slot);
    ctrl->refuseSetMainChar = 3;
    ASSERT_TRUE(peer->Join());
    EXPECT_EQ(ctrl->refuseSetMainChar, 0);
    EXPECT_EQ(StateOf(slot), GameServer::kClientJoined);
    EXPECT_EQ(peer->Received(Net::kMsgSetMainChar).size(), 1u);
    EXPECT_EQ(log.Count("joined successfully"), 1);
    EXPECT_EQ(CountPlayerCharacters(), 1);
}

// A client older than the protocol is refused with reason 2 and waits to be gone; 0x0100 and
// later versions are taken.
TEST_F(GameServerJoinGameTest, TheClientVersionIsChecked)
{
    struct Case {
        uint16_t version;
        bool accepted;
    };
    for (const Case& c : {Case{0x00FF, false}, Case{0x0100, true}, Case{0x0101, true}}) {
        SCOPED_TRACE(c.version);
        LogCapture log;
        int32_t slot = -1;
        const std::unique_ptr<ScriptedPeer> peer = Connect(slot);
        peer->SetAnswering(false);
        PlayerInfoOptions options;
        options.version = c.version;
        ASSERT_TRUE(peer->SendPlayerInfo(options));
        if (c.accepted) {
            ASSERT_TRUE(peer->Await(Net::kMsgLoadLevelRequest));
            EXPECT_EQ(StateOf(slot), GameServer::kClientLoadRequested);
        } else {
            ASSERT_TRUE(peer->Await(Net::kMsgDisconnectRequest));
            const ScriptedPeer::Message refusal = peer->Received(Net::kMsgDisconnectRequest)[0];
            EXPECT_EQ(ObjIDOf(refusal), Net::kReasonWrongVersion);
            EXPECT_EQ(StateOf(slot), GameServer::kClientDisconnecting);
            const std::string line =
                "Client " + std::to_string(slot) + " rejected. Unsupported client version: FF";
            EXPECT_EQ(log.Count(line.c_str()), 1);
            EXPECT_FALSE(peer->StepUntil([&] { return !peer->Received(Net::kMsgLoadLevelRequest).empty(); }, 0.3));
        }
        peer->Close();
        ASSERT_TRUE(peer->StepUntil([&] { return ctrl->GetNumClients() == 0; }));
    }
}

// Messages out of turn or malformed are each ignored with a warning; the client still joins once,
// with one character and one pass of checksums.
TEST_F(GameServerJoinGameTest, MessagesOutOfTurnAreIgnored)
{
    struct Case {
        const char* name;
        // What the peer does before (or instead of part of) its join; it answers from then on.
        std::function<void(ScriptedPeer&, int32_t slot)> script;
        const char* warning;
    };
    const std::vector<uint8_t> info = ScriptedPeer::PlayerInfoUnit(PlayerInfoOptions());
    const Case cases[] = {
        {"PlayerInfo of 258 bytes",
         [&](ScriptedPeer& peer, int32_t) { peer.SendMessage(Net::kMsgPlayerInfo, 1, 258, info); },
         "PlayerInfo of 1 units of 258 bytes ignored"},
        {"PlayerInfo of two units",
         [&](ScriptedPeer& peer, int32_t) { peer.SendMessage(Net::kMsgPlayerInfo, 2, 259, info); },
         "PlayerInfo of 2 units of 259 bytes ignored"},
        {"0x0500 in state 2", [](ScriptedPeer& peer, int32_t) { peer.SendEmpty(Net::kMsgLevelLoaded); },
         "level loaded in state 2 ignored"},
        {"0x0500 twice",
         [](ScriptedPeer& peer, int32_t) {
             JoinByHand(peer, {Net::kMsgLevelLoaded, Net::kMsgLevelLoaded},
                        {Net::kMsgSyncRequestsDone, Net::kMsgLevelSynced});
         },
         "level loaded in state 7 ignored"},
        {"0x1200 before 0x1001",
         [](ScriptedPeer& peer, int32_t) {
             JoinByHand(peer, {Net::kMsgLevelLoaded},
                        {Net::kMsgLevelSynced, Net::kMsgSyncRequestsDone, Net::kMsgLevelSynced});
         },
         "level synced in state 7 ignored"},
        {"0x1001 in state 6",
         [this](ScriptedPeer& peer, int32_t slot) {
             peer.SetAnswering(false);
             peer.SendPlayerInfo();
             peer.Await(Net::kMsgLoadLevelRequest);
             ctrl->GetClient(slot)->state = GameServer::kClientLevelLoaded;  // its checksums not yet out
             peer.SendEmpty(Net::kMsgSyncRequestsDone);
             peer.StepUntil([] { return false; }, 0.2);
             ctrl->GetClient(slot)->state = GameServer::kClientLoadRequested;
             peer.SendEmpty(Net::kMsgLevelLoaded);
             peer.SetAnswering(true);
         },
         "end of sync requests in state 6 ignored"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LogCapture log;
        int32_t slot = -1;
        std::unique_ptr<ScriptedPeer> peer = Connect(slot);
        c.script(*peer, slot);
        if (peer->Received(Net::kMsgLoadLevelRequest).empty())
            ASSERT_TRUE(peer->Join());
        else
            ASSERT_TRUE(peer->Await(Net::kMsgSetMainChar));
        // A 0x1200 after the join is as much out of turn.
        peer->SendEmpty(Net::kMsgLevelSynced);
        ASSERT_TRUE(peer->StepUntil([&] { return log.Count("level synced in state 10 ignored") > 0; }));
        EXPECT_GE(log.Count(c.warning), 1);
        EXPECT_EQ(StateOf(slot), GameServer::kClientJoined);
        EXPECT_EQ(peer->Received(Net::kMsgChecksumsFinished).size(), 1u);
        EXPECT_EQ(peer->Received(Net::kMsgSetMainChar).size(), 1u);
        EXPECT_EQ(CountPlayerCharacters(), 1);
        peer->Close();
        ASSERT_TRUE(peer->StepUntil([&] { return ctrl->GetNumClients() == 0; }));
        EXPECT_EQ(CountPlayerCharacters(), 0) << "the character goes with its client";
    }
}

// The second player learns of the first one's character before its own SetMainChar; the first
// learns of the newcomer's.
TEST_F(GameServerJoinGameTest, TwoPlayersLearnOfEachOther)
{
    int32_t first = -1;
    int32_t second = -1;
    const std::unique_ptr<ScriptedPeer> alice = Connect(first);
    PlayerInfoOptions options;
    options.playerName = u"Alice";
    ASSERT_TRUE(alice->Join(options));
    const std::unique_ptr<ScriptedPeer> bob = Connect(second);
    options.playerName = u"Bob";
    ASSERT_TRUE(bob->Join(options));
    ASSERT_TRUE(alice->Await(Net::kMsgAddObject));

    const int32_t aliceID = ctrl->GetClientCreature(first)->m_ObjID;
    const int32_t bobID = ctrl->GetClientCreature(second)->m_ObjID;
    const std::vector<ScriptedPeer::Message> toBob = bob->Received(Net::kMsgAddObject);
    ASSERT_EQ(toBob.size(), 1u);
    EXPECT_EQ(ObjIDOf(toBob[0]), aliceID);
    const std::vector<uint16_t> ids = bob->IdSequence();
    EXPECT_LT(FirstIndexOf(ids, Net::kMsgAddObject), FirstIndexOf(ids, Net::kMsgSetMainChar));
    const std::vector<ScriptedPeer::Message> toAlice = alice->Received(Net::kMsgAddObject);
    ASSERT_EQ(toAlice.size(), 1u);
    EXPECT_EQ(ObjIDOf(toAlice[0]), bobID);
    // The head (position, configuration, value, body flag), then the character's state.
    ASSERT_GT(toAlice[0].units.size(), size_t(Net::kAddObjectHead));
    ByteReader in(toAlice[0].units.data(), toAlice[0].units.size());
    GameValueCodec::ReadNetObjPos(in);
    EXPECT_EQ(GameValueCodec::ReadCharFixed(in, 128), "Hero");
    in.ReadU32();
    EXPECT_EQ(in.ReadU8(), 1);
    EXPECT_EQ(in.ReadU16(), uint16_t(Net::kSyncBlockFormat));
    EXPECT_EQ(ctrl->CountJoinedPlayers(), 2);
}

// A configuration that names no creature, or character data that cannot be taken, leaves the
// player the game's first main character, with a warning.
TEST_F(GameServerJoinGameTest, TheDefaultCharacterStandsInWithAWarning)
{
    struct Case {
        const char* name;
        PlayerInfoOptions options;
        const char* warning;
    };
    PlayerInfoOptions unknown;
    unknown.characterID = "Nobody";
    PlayerInfoOptions crate;
    crate.characterID = "Crate";
    PlayerInfoOptions large;
    large.block.assign(40 * 1024, 7);
    PlayerInfoOptions empty;
    empty.announceBlock = true;
    PlayerInfoOptions garbage;
    garbage.block = {0x13, 0x01, 1, 2, 3};
    const Case cases[] = {
        {"unknown configuration", unknown, "character 'Nobody' is no creature"},
        {"no creature", crate, "character 'Crate' is no creature"},
        {"a 40 KiB block", large, "character data of 40960 bytes exceeds 32768"},
        {"the flag without a block", empty, "announces character data without any"},
        {"a block cut short", garbage, "character data could not be read"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LogCapture log;
        int32_t slot = -1;
        std::unique_ptr<ScriptedPeer> peer = Connect(slot);
        ASSERT_TRUE(peer->Join(c.options));
        EXPECT_EQ(log.Count(c.warning), 1);
        CreatureObj* character = ctrl->GetClientCreature(slot);
        ASSERT_NE(character, nullptr);
        EXPECT_EQ(character->m_CfgID, "Hero");
        EXPECT_EQ(CountPlayerCharacters(), 1);
        peer->Close();
        ASSERT_TRUE(peer->StepUntil([&] { return ctrl->GetNumClients() == 0; }));
    }
}

// A player that cannot be made costs its client, never the server: the client is removed and the
// next one joins.
TEST_F(GameServerJoinGameTest, APlayerThatCannotBeMadeRemovesItsClient)
{
    LogCapture log;
    const String hero = ctrl->GetMainCharacters().GetAt(0)->name;
    ctrl->GetMainCharacters().GetAt(0)->name = "Missing";
    int32_t slot = -1;
    std::unique_ptr<ScriptedPeer> peer = Connect(slot);
    ASSERT_TRUE(peer->SendPlayerInfo());
    ASSERT_TRUE(peer->StepUntil([&] { return ctrl->GetNumClients() == 0; }));
    EXPECT_EQ(log.Count("removed: message 0x1200: World object 'Missing' not found"), 1);
    EXPECT_TRUE(peer->Received(Net::kMsgSetMainChar).empty());
    EXPECT_EQ(CountPlayerCharacters(), 0);
    EXPECT_FALSE(ctrl->IsServerStopRequested());

    ctrl->GetMainCharacters().GetAt(0)->name = hero;
    peer = Connect(slot);
    ASSERT_TRUE(peer->Join());
    EXPECT_EQ(CountPlayerCharacters(), 1);
}

// A level change sends every player to load the next level; once they joined it again their
// characters are the ones they had (their health kept), not the ones their PlayerInfo described,
// and the server's level still makes no hero of its own.
TEST_F(GameServerJoinGameTest, ALevelChangeCarriesThePlayersAlong)
{
    LogCapture log;
    int32_t slot = -1;
    const std::unique_ptr<ScriptedPeer> peer = Connect(slot);
    PlayerInfoOptions options;
    options.block = HeroBlock(40.0f);
    ASSERT_TRUE(peer->Join(options));
    CreatureObj* character = ctrl->GetClientCreature(slot);
    ASSERT_NE(character, nullptr);
    EXPECT_FLOAT_EQ(character->m_Health, 40.0f) << "the character came from PlayerInfo's block";
    character->m_Health = 25.0f;

    peer->SetAnswering(false);
    LevelChangeRecord change;
    String::CopySized(change.levelName, sizeof change.levelName, ctrl->GetLevelDescFile().c_str());
    WorldEvent event;
    change.Write(event);
    ctrl->AddGameEvent(&event);
    ASSERT_TRUE(peer->Await(Net::kMsgLoadLevelRequest, 2));
    EXPECT_EQ(StateOf(slot), GameServer::kClientLoadRequested);
    EXPECT_EQ(ctrl->GetClientCreature(slot), nullptr);
    EXPECT_EQ(log.Count("Loading Level"), 1);

    peer->SetAnswering(true);
    ASSERT_TRUE(peer->SendEmpty(Net::kMsgLevelLoaded));
    ASSERT_TRUE(peer->Await(Net::kMsgSetMainChar, 2));
    EXPECT_EQ(StateOf(slot), GameServer::kClientJoined);
    character = ctrl->GetClientCreature(slot);
    ASSERT_NE(character, nullptr);
    EXPECT_FLOAT_EQ(character->m_Health, 25.0f);
    EXPECT_EQ(character->m_NetSync, 3);
    EXPECT_EQ(CountPlayerCharacters(), 1);
    EXPECT_EQ(log.Count("loaded with hero"), 0);
    EXPECT_EQ(ctrl->GetMainChar(), character);
}

// A player on this machine may host the game: when it leaves, the others are told and the server
// ends. A peer elsewhere that asks the same is not heard.
TEST_F(GameServerJoinGameTest, OnlyAPlayerOnThisMachineHosts)
{
    LogCapture log;
    int32_t remoteSlot = -1;
    const std::unique_ptr<ScriptedPeer> remote = Connect(remoteSlot);
    ctrl->GetClient(remoteSlot)->connectionInfo.address = "192.0.2.7";
    ASSERT_TRUE(remote->SendEmpty(Net::kMsgSetHostingChar));
    ASSERT_TRUE(remote->StepUntil([&] { return log.Count("asked to host the game: ignored") > 0; }));
    EXPECT_EQ(ctrl->GetHostingClient(), -1);

    int32_t hostSlot = -1;
    const std::unique_ptr<ScriptedPeer> host = Connect(hostSlot);
    ASSERT_TRUE(host->Join());
    ASSERT_TRUE(host->SendEmpty(Net::kMsgSetHostingChar));
    ASSERT_TRUE(host->StepUntil([&] { return ctrl->GetHostingClient() == hostSlot; }));
    host->Close();
    ASSERT_TRUE(remote->Await(Net::kMsgDisconnectRequest));
    EXPECT_EQ(ObjIDOf(remote->Received(Net::kMsgDisconnectRequest)[0]), Net::kReasonHostLeft);
    EXPECT_TRUE(ctrl->IsServerStopRequested());
}
