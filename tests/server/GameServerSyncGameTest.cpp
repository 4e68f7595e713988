// The server's object synchronisation on a copy of the sample game, with a client on 127.0.0.1:
// the checksums a joining client gets, the SyncRequests it may make, the blocks that answer them
// (plain and packed), parents before the elements attached to them, vanished elements, the world's
// changes that scripts make, and a client's copy built again from the blocks it receives.
#include "server/DedicatedServer.h"

#include "base/File.h"
#include "game/objects/CreatureObj.h"
#include "game/objects/CreatureSyncData.h"
#include "game/objects/PackedFloat16.h"
#include "level/VSD_WallIntern.h"
#include "net/GameServer.h"
#include "net/GameValueCodec.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"
#include "support/ByteBuilder.h"
#include "support/ErrorOf.h"
#include "support/GamePacketBytes.h"
#include "support/RawGameClient.h"
#include "support/SampleServerGame.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <tuple>
#include <vector>

namespace {

// The game's server, whose clients' queues can be made to look full: a client that stopped reading.
class RoomServer : public SciFiGameCtrl {
public:
    bool HasSendRoom(int32_t n) override
    {
        ++roomAsked;
        return !queuesFull && SciFiGameCtrl::HasSendRoom(n);
    }
    bool queuesFull = false;
    int32_t roomAsked = 0;
};

class GameServerSyncGameTest : public SampleServerGame<RoomServer> {
protected:
    void SetUp() override
    {
        ASSERT_EQ(StartError(), "no error");
        ASSERT_EQ(ErrorOf([&] { DedicatedServer::StartListening(*ctrl, serverConfig); }), "no error");
        client = std::make_unique<RawGameClient>(ctrl->GetNetNode().GetPort());
        ASSERT_GE(client->tcp, 0);
        ASSERT_TRUE(WaitUntil([&] {
            DedicatedServer::RunFrames(*ctrl, 1);
            return ctrl->GetNumClients() == 1;
        }));
        slot = ctrl->GetClientSlot(0);
    }
    void SetState(int32_t state) { ctrl->GetClient(slot)->state = state; }
    // Frames run until the client holds a message of that id.
    bool Await(uint16_t id)
    {
        return WaitUntil([&] {
            DedicatedServer::RunFrames(*ctrl, 1);
            client->Collect();
            return client->Got(id);
        });
    }
    // A SyncRequest message of the items (flags, reference).
    static std::vector<uint8_t> SyncRequests(const std::vector<std::pair<uint8_t, ObjRef3>>& items)
    {
        std::vector<uint8_t> packet = GamePacketBytes(GameNetworkNode::kMsgSyncRequest, uint32_t(items.size()), 13);
        ByteWriter out(packet.data() + GamePacketHeader::kSize, packet.size() - GamePacketHeader::kSize);
        for (const auto& [flags, ref] : items) {
            out.WriteU8(flags);
            GameValueCodec::WriteObjRef3(out, ref);
        }
        return packet;
    }
    VSD_WallIntern* FirstWall()
    {
        WorldCtrl& world = ctrl->GetWorld();
        return world.GetWallSafe(world.GetWallSlotAt(0));
    }
    WorldElem* Find(const char* worldID) { return ctrl->GetWorld().FindObjectByWorldID(worldID, nullptr); }

    std::unique_ptr<RawGameClient> client;
    int32_t slot = -1;
};

struct ChecksumUnit {
    ObjRef3 ref;
    uint32_t checksum = 0;
    float value = 0.0f;
};

std::vector<ChecksumUnit> ChecksumsOf(const RawGameClient& client)
{
    std::vector<ChecksumUnit> units;
    for (const std::vector<uint8_t>& payload : client.Units(GameNetworkNode::kMsgObjectChecksums)) {
        ByteReader in(payload.data(), payload.size());
        while (in.GetRemaining() >= 20) {
            ChecksumUnit unit;
            unit.ref = GameValueCodec::ReadObjRef3(in);
            unit.checksum = in.ReadU32();
            unit.value = in.ReadFloat();
            units.push_back(unit);
        }
    }
    return units;
}

}  // namespace

// A joining client is sent the checksum of every synchronised element; what it asks for beyond
// that number, or before it was sent them, is not taken; a wall's checksum is the Adler-32 of the
// block that answers its request, and a packed block unpacks to the same bytes.
TEST_F(GameServerSyncGameTest, ChecksumsAndTheBlocksThatAnswerRequests)
{
    VSD_WallIntern* wall = FirstWall();
    ASSERT_NE(wall, nullptr);
    wall->m_NetSync = 2;
    const ObjRef3 wallRef(wall);
    ctrl->GetNetworkSettings().compression = false;

    SetState(GameServer::kClientLevelLoaded);
    ASSERT_TRUE(client->Send(SyncRequests({{0, wallRef}})));
    // The hosting message after it tells when the server has read it.
    ASSERT_TRUE(client->Send(GamePacketBytes(GameNetworkNode::kMsgSetHostingChar, 0, 0)));
    ASSERT_TRUE(WaitUntil([&] {
        DedicatedServer::RunFrames(*ctrl, 1);
        return ctrl->GetHostingClient() == slot;
    }));
    EXPECT_TRUE(ctrl->GetSyncRequests().empty()) << "taken before any checksum went out";

    ASSERT_TRUE(ctrl->SendObjectChecksums(slot));
    EXPECT_EQ(ctrl->GetClient(slot)->state, GameServer::kClientChecksumsSent);
    ASSERT_TRUE(Await(GameNetworkNode::kMsgChecksumsFinished));
    const std::vector<ChecksumUnit> checksums = ChecksumsOf(*client);
    // The wall, both crates, the drone and the medkit; the server's own hero is a player's.
    ASSERT_EQ(checksums.size(), 5u);
    EXPECT_TRUE(checksums[0].ref.Equals(wallRef));
    EXPECT_EQ(checksums[0].value, 0.0f);
    for (const ChecksumUnit& unit : checksums)
        EXPECT_NE(unit.ref.objID, ctrl->GetMainChar()->m_ObjID);

    // 5000 units: only as many as checksums went out are taken; the rest go with one warning.
    const ObjRef3 crateRef(Find("crate1"));
    ObjRef3 missing = crateRef;
    missing.objID = 3999;
    std::vector<std::pair<uint8_t, ObjRef3>> items{{0, wallRef}, {GameNetworkNode::kSyncItemCreated, missing}};
    items.resize(5000, {0, crateRef});
    ASSERT_TRUE(client->Send(SyncRequests(items)));
    ASSERT_TRUE(WaitUntil([&] {
        DedicatedServer::RunFrames(*ctrl, 1);
        return ctrl->GetSyncRequests().size() >= checksums.size();
    }));
    DedicatedServer::RunFrames(*ctrl, 3);
    EXPECT_EQ(ctrl->GetSyncRequests().size(), checksums.size());

    // Nothing goes out before the client said it asked for all (0x1001).
    DedicatedServer::RunFrames(*ctrl, 5);
    client->Collect();
    EXPECT_FALSE(client->Got(GameNetworkNode::kMsgRequestedSync));
    ASSERT_TRUE(client->Send(GamePacketBytes(GameNetworkNode::kMsgSyncRequestsDone, 0, 0)));
    ASSERT_TRUE(Await(GameNetworkNode::kMsgNotExisting));
    ASSERT_TRUE(WaitUntil([&] {
        DedicatedServer::RunFrames(*ctrl, 1);
        client->Collect();
        return client->Units(GameNetworkNode::kMsgRequestedSync).size() == checksums.size() - 1;
    }));
    EXPECT_EQ(ctrl->GetClient(slot)->state, GameServer::kClientSyncsDone);
    EXPECT_TRUE(ctrl->GetSyncRequests().empty());

    const std::vector<uint8_t> wallSync = client->Units(GameNetworkNode::kMsgRequestedSync)[0];
    ASSERT_GT(wallSync.size(), 13u);
    EXPECT_EQ(wallSync[0], 0) << "a wall kept in step by its saved state has the full form";
    const std::vector<uint8_t> plain(wallSync.begin() + 13, wallSync.end());
    EXPECT_EQ(File::Adler32(plain.data(), plain.size()), checksums[0].checksum);
    EXPECT_EQ(client->Units(GameNetworkNode::kMsgNotExisting)[0].size(), 12u);

    // Packed: the block starts with the container and unpacks to the plain block.
    ctrl->GetNetworkSettings().compression = true;
    ctrl->AddSyncRequest(slot, 0, wallRef, true, false);
    client->messages.clear();
    ASSERT_TRUE(Await(GameNetworkNode::kMsgRequestedSync));
    const std::vector<uint8_t> packed = client->Units(GameNetworkNode::kMsgRequestedSync)[0];
    ASSERT_GT(packed.size(), 19u);
    EXPECT_EQ(std::memcmp(packed.data() + 13, "\xA7\x51\x4D\xA7", 4), 0);
    File file;
    ByteBuilder{std::vector<uint8_t>(packed.begin() + 13, packed.end())}.Into(file);
    ASSERT_TRUE(file.UnpackOnOpen());
    ASSERT_EQ(file.GetSize(), int32_t(plain.size()));
    EXPECT_EQ(std::memcmp(file.GetMemoryBuffer(), plain.data(), plain.size()), 0);
}

// An element attached to another goes after it in the same call; a requested element that has
// gone is answered with 0x1102, an unrequested one is dropped without a word.
TEST_F(GameServerSyncGameTest, ParentsFirstAndVanishedElements)
{
    SetState(GameServer::kClientJoined);
    WorldElem* parent = dynamic_cast<WorldElem*>(ctrl->CreateWorldObject("Crate", 300.0f, 300.0f, 0.0f, 0.0f));
    WorldElem* child = dynamic_cast<WorldElem*>(ctrl->CreateWorldObject("Crate", 340.0f, 300.0f, 0.0f, 0.0f));
    ASSERT_TRUE(parent && child);
    parent->AttachChild(child);
    ObjRef3 gone(child);
    gone.objID = 3998;
    ctrl->AddSyncRequest(slot, GameNetworkNode::kSyncItemCreated, ObjRef3(child), false, false);
    ctrl->AddSyncRequest(slot, GameNetworkNode::kSyncItemCreated, ObjRef3(parent), false, false);
    ctrl->AddSyncRequest(slot, 0, gone, false, false);
    EXPECT_TRUE(ctrl->SendRequestedSyncs());
    EXPECT_TRUE(ctrl->GetSyncRequests().empty());
    ASSERT_TRUE(Await(GameServer::kMsgSyncData));
    ASSERT_TRUE(WaitUntil([&] {
        client->Collect();
        return client->Units(GameServer::kMsgSyncData).size() == 2;
    }));
    const std::vector<std::vector<uint8_t>> syncs = client->Units(GameServer::kMsgSyncData);
    EXPECT_EQ(ByteReader::DecodeU32(syncs[0].data() + 1), uint32_t(parent->m_ObjID));
    EXPECT_EQ(ByteReader::DecodeU32(syncs[1].data() + 1), uint32_t(child->m_ObjID));
    EXPECT_EQ(syncs[0][0], GameNetworkNode::kSyncItemCreated);

    ctrl->AddSyncRequest(slot, 0, gone, true, false);
    ASSERT_TRUE(Await(GameNetworkNode::kMsgNotExisting));
    DedicatedServer::RunFrames(*ctrl, 3);
    client->Collect();
    EXPECT_EQ(client->Units(GameServer::kMsgSyncData).size(), 2u) << "the unrequested vanished one went out";
}

// A script's "AddObject" outside the frame's world update still reaches the clients, and
// "SetAutoAction" sends what is queued before the script goes on.
TEST_F(GameServerSyncGameTest, ScriptChangesReachTheClients)
{
    SetState(GameServer::kClientJoined);
    ScriptValue result;
    ASSERT_EQ(ErrorOf([&] { ctrl->RunScript(result, String("AddObject(\"Crate\", 500, 500);"), "test", 1, -1); }),
              "no error");
    ASSERT_EQ(ctrl->GetSyncRequests().size(), 1u);
    EXPECT_EQ(ctrl->GetSyncRequests()[0].itemFlags, GameNetworkNode::kSyncItemCreated);

    ASSERT_EQ(ErrorOf([&] {
                  ctrl->RunScript(result, String("SetAutoAction(GetObject(\"crate1\"), \"open\", 1);"), "test",
                                  1, -1);
              }),
              "no error");
    EXPECT_TRUE(ctrl->GetSyncRequests().empty()) << "the wait sent nothing";
    ASSERT_TRUE(WaitUntil([&] {
        client->Collect();
        return client->Got(GameServer::kMsgSyncData);
    }));

    // A client that stops reading holds the wait for a bounded number of tries, and its items
    // wait for a later frame.
    ctrl->queuesFull = true;
    ctrl->roomAsked = 0;
    ctrl->AddSyncRequest(slot, 0, ObjRef3(Find("crate1")), false, false);
    ASSERT_EQ(ErrorOf([&] {
                  ctrl->RunScript(result, String("SetAutoAction(GetObject(\"crate1\"), \"open\", 1);"), "test",
                                  1, -1);
              }),
              "no error");
    EXPECT_EQ(ctrl->roomAsked, 2 * GameServer::kMaxFlushPasses);  // two passes a try
    EXPECT_EQ(ctrl->GetSyncRequests().size(), 1u);
    ctrl->queuesFull = false;
    DedicatedServer::RunFrames(*ctrl, 1);
    EXPECT_TRUE(ctrl->GetSyncRequests().empty());
}

// A received block puts an element back as the server had it: a crate by its saved state (here
// packed), the drone by its short state and its creature record.
TEST_F(GameServerSyncGameTest, BlocksPutElementsBack)
{
    WorldElem* crate = Find("crate1");
    auto* drone = dynamic_cast<CreatureObj*>(Find("drone1"));
    ASSERT_TRUE(crate && drone);
    const D3DXVECTOR2 cratePos = crate->GetPos();
    drone->SetPos(900.0f, 700.0f);
    drone->SetAngle(1.25f);
    drone->m_Invisible = 1;
    drone->m_NetSync = 1;  // named elements are kept by their saved state: this one by its short state

    File crateFile, droneFile;
    crateFile.CreateMemoryFile(4096);
    droneFile.CreateMemoryFile(4096);
    EXPECT_EQ(ctrl->WriteSyncBlock(crateFile, *crate, true, true), 0);
    EXPECT_EQ(ctrl->WriteSyncBlock(droneFile, *drone, true, true),
              GameNetworkNode::kSyncItemShort | GameNetworkNode::kSyncItemCreature);
    EXPECT_EQ(droneFile.GetSize(), 2 + 4 + drone->m_CfgID.TextLength() + 23 + CreatureSyncData::kSize)
        << "the short form is never packed";

    crate->SetPos(cratePos.x + 64.0f, cratePos.y);
    drone->SetPos(100.0f, 100.0f);
    drone->SetAngle(0.0f);
    drone->m_Invisible = 0;
    for (auto& [file, elem, flags] : {std::tuple<File&, WorldElemBase&, uint8_t>{crateFile, *crate, 0},
                                      {droneFile, *drone, GameNetworkNode::kSyncItemShort | GameNetworkNode::kSyncItemCreature}}) {
        file.Seek(0);
        GameNetworkNode::SyncBlockHead head;
        ASSERT_TRUE(ctrl->ReadSyncBlockHead(file, false, head));
        EXPECT_EQ(head.name, elem.m_CfgID);
        uint8_t itemFlags = flags;
        ASSERT_TRUE(ctrl->ApplySyncBlock(file, itemFlags, head, elem));
        EXPECT_EQ(itemFlags, flags);
        EXPECT_EQ(file.GetRemaining(), 0);
    }
    EXPECT_EQ(crate->GetPos().x, cratePos.x);
    EXPECT_EQ(drone->GetPos().x, 900.0f);
    EXPECT_EQ(drone->GetPos().y, 700.0f);
    EXPECT_FLOAT_EQ(drone->GetOwnAngle(), 1.25f);
    EXPECT_EQ(drone->m_Invisible, 1);

    // A block of another format, or cut inside its head, is refused.
    File bad;
    ByteBuilder().U16(0x0112).Str("Crate").Into(bad);
    GameNetworkNode::SyncBlockHead head;
    EXPECT_FALSE(ctrl->ReadSyncBlockHead(bad, false, head));
    ByteBuilder().U16(0x0113).Str("Crate").F32(1.0f).Into(bad);
    EXPECT_FALSE(ctrl->ReadSyncBlockHead(bad, true, head)) << "a wall's end points cut short";
}

// The messages about a client's own creature go to that client alone: its character handed over
// (with the place and the state value its short state carries), mana taken, an item to pick up.
TEST_F(GameServerSyncGameTest, MessagesAboutTheClientsCreature)
{
    auto* drone = dynamic_cast<CreatureObj*>(Find("drone1"));
    WorldElem* crate = Find("crate1");
    ASSERT_TRUE(drone && crate);
    SetState(GameServer::kClientSynced);
    ctrl->GetClient(slot)->playerInfo.mainCharObjID = drone->m_ObjID;
    drone->SetPos(640.0f, 320.0f);
    drone->SetAngle(0.5f);

    ASSERT_TRUE(ctrl->SendSetMainChar(slot));
    EXPECT_EQ(ctrl->GetClient(slot)->state, GameServer::kClientJoined);
    ASSERT_TRUE(ctrl->SendSubtractMana(drone, 12.5f));
    ASSERT_TRUE(ctrl->SendPickUp(drone, crate));
    // One frame sends them; then wait for the bytes alone. Stepping the server on while waiting
    // (a slow machine needs many polls) had it drop this bare test client, and the drone with it.
    DedicatedServer::RunFrames(*ctrl, 1);
    ASSERT_TRUE(WaitUntil([&] {
        client->Collect();
        return client->Got(GameNetworkNode::kMsgSetMainChar) && client->Got(GameServer::kMsgSubtractMana) &&
               client->Got(GameServer::kMsgPickUp);
    }));

    ByteBuilder mainChar, mana, pickUp;
    mainChar.I32(drone->m_ObjID).I32(drone->GetMyRnd()).F32(640.0f).F32(320.0f).U16(PackedFloat16::Pack(0.5f)).I32(2);
    mana.I32(drone->m_ObjID).I32(drone->GetMyRnd()).F32(12.5f);
    pickUp.I32(drone->m_ObjID).I32(drone->GetMyRnd()).I32(crate->m_ObjID).I32(crate->GetMyRnd());
    ASSERT_EQ(client->Units(GameNetworkNode::kMsgSetMainChar).size(), 1u);
    EXPECT_EQ(client->Units(GameNetworkNode::kMsgSetMainChar)[0], mainChar.bytes);
    EXPECT_EQ(client->Units(GameServer::kMsgSubtractMana)[0], mana.bytes);
    EXPECT_EQ(client->Units(GameServer::kMsgPickUp)[0], pickUp.bytes);

    // A creature that is no client's goes nowhere.
    ctrl->GetClient(slot)->playerInfo.mainCharObjID = -1;
    EXPECT_FALSE(ctrl->SendSubtractMana(drone, 1.0f));
    EXPECT_FALSE(ctrl->SendSetMainChar(slot));
}
