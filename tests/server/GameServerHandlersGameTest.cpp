// The clients' messages of the running game on a copy of the sample game: two scripted peers
// joined to the game's server, listening as the program does. What the server passes on and to
// whom, what it does in the world itself (an attack, a pick-up), what it refuses (another
// player's creature, a client that has not joined, malformed units), and the players' updates
// with their ranges, staggering and packet finishing; the world's events told to the players, and
// the controller's questions about the players answered for them.
#include "server/DedicatedServer.h"

#include "base/File.h"
#include "game/ctrl/Difficulty.h"
#include "game/objects/CreatureObj.h"
#include "game/objects/ItemBase.h"
#include "net/GameServer.h"
#include "net/GameValueCodec.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "world/ActionEntry.h"
#include "world/Inventory.h"
#include "script/ScriptValue.h"
#include "world/ScriptReaderGameEngine.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"
#include "support/LogCapture.h"
#include "support/SampleServerGame.h"
#include "support/ScriptedPeer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <utility>
#include <memory>
#include <string>
#include <vector>

namespace {

using Net = GameServer;
using Bytes = std::vector<uint8_t>;

// Little-endian fields of a unit as a client writes them.
class UnitWriter {
public:
    UnitWriter& U8(uint8_t v) { return Put(&v, 1); }
    UnitWriter& U16(uint16_t v)
    {
        uint8_t b[2];
        ByteWriter(b, 2).WriteU16(v);
        return Put(b, 2);
    }
    UnitWriter& I32(int32_t v)
    {
        uint8_t b[4];
        ByteWriter(b, 4).WriteU32(uint32_t(v));
        return Put(b, 4);
    }
    UnitWriter& F32(float v)
    {
        uint8_t b[4];
        ByteWriter(b, 4).WriteFloat(v);
        return Put(b, 4);
    }
    UnitWriter& Ref(const WorldElem* elem)
    {
        ObjRef ref;
        ref.Set(elem);
        return I32(ref.objID).I32(int32_t(ref.myRnd));
    }
    UnitWriter& Ref3(const WorldElem* elem)
    {
        const ObjRef3 ref(elem);
        return I32(ref.objID).I32(int32_t(ref.myRnd)).I32(ref.type);
    }
    UnitWriter& Text(const std::string& text)
    {
        I32(int32_t(text.size()));
        return Put(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    }
    UnitWriter& Wide(const std::u16string& text)
    {
        for (const char16_t c : text)
            U16(uint16_t(c));
        return U16(0);
    }
    Bytes bytes;

private:
    UnitWriter& Put(const uint8_t* p, size_t n)
    {
        bytes.insert(bytes.end(), p, p + n);
        return *this;
    }
};

bool HoldsUnit(const std::vector<ScriptedPeer::Message>& messages, const Bytes& unit)
{
    for (const ScriptedPeer::Message& message : messages)
        for (size_t at = 0; message.unitSize > 0 && at + size_t(message.unitSize) <= message.units.size();
             at += size_t(message.unitSize))
            if (size_t(message.unitSize) == unit.size() && std::equal(unit.begin(), unit.end(), message.units.begin() + ptrdiff_t(at)))
                return true;
    return false;
}

// Whether a unit of a message of that id begins with the element's object ID.
bool Told(const ScriptedPeer& peer, uint16_t id, const WorldElem& elem)
{
    for (const ScriptedPeer::Message& message : peer.Received(id))
        for (size_t at = 0; at + size_t(message.unitSize) <= message.units.size() && message.unitSize >= 4;
             at += size_t(message.unitSize))
            if (int32_t(ByteReader(message.units.data() + at, 4).ReadU32()) == elem.m_ObjID)
                return true;
    return false;
}

// The game's server, which notes the game's own messages it is handed.
class HandlersServer : public SciFiGameCtrl {
public:
    bool DispatchGameMessage(const GamePacketHeader& header, GameClientInfo& client) override
    {
        gameMessages.push_back({header.id, client.state});
        return true;
    }
    std::vector<std::pair<uint16_t, int32_t>> gameMessages;  // id, the client's state
};

class GameServerHandlersGameTest : public SampleServerGame<HandlersServer> {
protected:
    void SetUp() override
    {
        withHero = false;
        listening = true;
        ASSERT_EQ(StartError(kPeersOverTCP), "no error");
        alice = ConnectPeer(aliceSlot);
        PlayerInfoOptions options;
        options.playerName = u"Alice";
        ASSERT_TRUE(alice->Join(options));
        bob = ConnectPeer(bobSlot);
        options.playerName = u"Bob";
        ASSERT_TRUE(bob->Join(options));
        ASSERT_TRUE(alice->Await(Net::kMsgAddObject));
        ASSERT_NE(ctrl->GetClientCreature(aliceSlot), nullptr);
        ASSERT_NE(ctrl->GetClientCreature(bobSlot), nullptr);
    }
    CreatureObj& Alice() { return *ctrl->GetClientCreature(aliceSlot); }
    CreatureObj& Bob() { return *ctrl->GetClientCreature(bobSlot); }
    WorldElem* Find(const char* worldID) { return ctrl->GetWorld().FindObjectByWorldID(worldID, nullptr); }

    // A chat from alice: once it is back at both peers, the server has handled everything alice
    // sent before it and both have read what it sent meanwhile (a client's messages are read in
    // order, and each peer's are sent in order).
    void Barrier()
    {
        const std::string mark = std::to_string(++barriers);
        const Bytes unit = UnitWriter().Wide(u"Alice").Wide(std::u16string(mark.begin(), mark.end())).bytes;
        ASSERT_TRUE(alice->SendMessage(Net::kMsgChat, 1, int32_t(unit.size()), unit));
        ASSERT_TRUE(alice->StepUntil([&] { return HoldsUnit(alice->Received(Net::kMsgChat), unit); }));
        ASSERT_TRUE(bob->StepUntil([&] { return HoldsUnit(bob->Received(Net::kMsgChat), unit); }));
    }
    bool SendFromAlice(uint16_t id, const Bytes& unit, uint32_t count = 1)
    {
        Bytes units;
        for (uint32_t i = 0; i < count; ++i)
            units.insert(units.end(), unit.begin(), unit.end());
        return alice->SendMessage(id, count, int32_t(unit.size()), units);
    }

    int32_t aliceSlot = -1;
    int32_t bobSlot = -1;
    int32_t barriers = 0;
    std::unique_ptr<ScriptedPeer> alice;
    std::unique_ptr<ScriptedPeer> bob;
};

}  // namespace

// A position of alice's own character goes to bob as she sent it, never back to her; a chat goes
// to both; her equipment goes to bob as she sent it and is hers on the server; a use of an element
// that exists is carried out and told to both, a use of one that is gone is dropped unrelayed.
TEST_F(GameServerHandlersGameTest, WhatTheServerPassesOnAndToWhom)
{
    Barrier();
    // Within the angle tolerance of what the players were told, so only the relay sends it.
    const D3DXVECTOR2 at = Alice().GetPos();
    const float angle = Alice().GetOwnAngle() + 0.01f;
    NetObjPos pos;
    pos.ref.Set(&Alice());
    pos.x = at.x;
    pos.y = at.y;
    pos.angle = angle;
    Bytes position(NetObjPos::kSize);
    ByteWriter out(position.data(), position.size());
    GameValueCodec::WriteNetObjPos(out, pos);
    ASSERT_TRUE(SendFromAlice(Net::kMsgPosition, position));
    const Bytes chat = UnitWriter().Wide(u"Alice").Wide(u"hello").bytes;
    ASSERT_TRUE(SendFromAlice(Net::kMsgChat, chat));
    Barrier();
    EXPECT_TRUE(HoldsUnit(bob->Received(Net::kMsgPosition), position));
    EXPECT_FALSE(HoldsUnit(alice->Received(Net::kMsgPosition), position));
    EXPECT_NEAR(Alice().GetOwnAngle(), angle, 0.01f);
    EXPECT_TRUE(HoldsUnit(alice->Received(Net::kMsgChat), chat));
    EXPECT_TRUE(HoldsUnit(bob->Received(Net::kMsgChat), chat));

    // The game's own ids go to the game's server with the client at hand; the next id is nobody's.
    for (const uint16_t id : {uint16_t(0xA001), uint16_t(0xA302), uint16_t(0xA303)})
        ASSERT_TRUE(alice->SendMessage(id, 1, 4, Bytes(4)));
    Barrier();
    const std::vector<std::pair<uint16_t, int32_t>> taken = {{0xA001, Net::kClientJoined}, {0xA302, Net::kClientJoined}};
    EXPECT_EQ(ctrl->gameMessages, taken);

    ItemBase* medkit = ctrl->ItemFromName("Medkit", false);
    ASSERT_NE(medkit, nullptr);
    File record;
    record.CreateMemoryFile(1024);
    record.WriteInt16Value(uint16_t(ItemBase::kRecordVersion));
    medkit->Save(record, 0);
    delete medkit;
    Bytes equipment = UnitWriter().Ref(&Alice()).U16(0).bytes;
    equipment.insert(equipment.end(), record.GetMemoryBuffer(), record.GetMemoryBuffer() + record.GetSize());
    auto* weapon = static_cast<Inventory*>(Alice().GetEquipmentEntry(0));
    ASSERT_NE(weapon, nullptr);
    ASSERT_TRUE(SendFromAlice(Net::kMsgSetEquipment, equipment));
    Barrier();
    EXPECT_TRUE(HoldsUnit(bob->Received(Net::kMsgSetEquipment), equipment));
    EXPECT_FALSE(HoldsUnit(alice->Received(Net::kMsgSetEquipment), equipment));
    ASSERT_EQ(weapon->GetCount(), 1);
    EXPECT_EQ(weapon->GetItem(0)->m_Desc, "Medkit");

    WorldElem* crate = Find("crate1");
    ASSERT_NE(crate, nullptr);
    const Bytes use = UnitWriter().Ref3(crate).Ref(&Alice()).U8(0).bytes;
    WorldElem* gone = ctrl->CreateWorldObject("Crate", nullptr, true, true, true, false, 0.0f, nullptr, 0.0f, nullptr, -1);
    ASSERT_NE(gone, nullptr);
    const Bytes useGone = UnitWriter().Ref3(gone).Ref(&Alice()).U8(0).bytes;
    ctrl->GetWorld().DelObj(gone->m_ObjID, 1);
    ASSERT_TRUE(SendFromAlice(Net::kMsgUseObject, useGone));
    ASSERT_TRUE(SendFromAlice(Net::kMsgUseObject, use));
    Barrier();
    EXPECT_TRUE(HoldsUnit(alice->Received(Net::kMsgUseObject), use));
    EXPECT_TRUE(HoldsUnit(bob->Received(Net::kMsgUseObject), use));
    EXPECT_FALSE(HoldsUnit(bob->Received(Net::kMsgUseObject), useGone));
    EXPECT_EQ(bob->Received(Net::kMsgUseObject).size(), 1u);
}

// Alice's melee attack at the drone: her character on the server takes the action with the drone
// as its last enemy, the players hear of her current action once, and the drone is hurt.
TEST_F(GameServerHandlersGameTest, AnAttackIsCarriedOutOnTheServer)
{
    auto* drone = dynamic_cast<CreatureObj*>(Find("drone1"));
    ASSERT_NE(drone, nullptr);
    const D3DXVECTOR2 at = drone->GetPos();
    Alice().SetPos(at.x - 40.0f, at.y);
    Alice().SetAngleImmediate(0.0f);
    const float health = drone->GetHealth();
    const Bytes attack =
        UnitWriter().I32(Alice().m_ObjID).I32(CreatureObj::kActionEntry).I32(100).F32(0.0f).Ref(drone).Text("Melee").bytes;
    ASSERT_TRUE(SendFromAlice(Net::kMsgCreatureSetAction, attack));
    ASSERT_TRUE(bob->StepUntil([&] { return drone->GetHealth() < health; })) << "the drone was never hit";
    Barrier();
    EXPECT_EQ(Alice().GetCurrentTarget(), drone);
    const std::vector<ScriptedPeer::Message> told = bob->Received(Net::kMsgCurrentAction);
    const auto melee = std::count_if(told.begin(), told.end(), [&](const ScriptedPeer::Message& message) {
        ByteReader in(message.units.data(), message.units.size());
        return int32_t(in.ReadU32()) == Alice().m_ObjID && GameValueCodec::ReadString(in) == "Melee";
    });
    EXPECT_EQ(melee, 1);
    EXPECT_TRUE(Told(*alice, Net::kMsgSetHealth, *drone));
    EXPECT_TRUE(Told(*bob, Net::kMsgSetHealth, *drone));
}

// Alice picks up the medkit: it is in her character's inventory, the element is gone and both
// players are told. A pick-up naming bob's character as picker is refused.
TEST_F(GameServerHandlersGameTest, APickUpIsTheSendersOwn)
{
    WorldElem* medkit = Find("medkit1");
    ASSERT_NE(medkit, nullptr);
    const int32_t medkitID = medkit->m_ObjID;
    WorldElem* second = ctrl->CreateWorldObject("MedkitItem", nullptr, true, true, true, false, 0.0f, nullptr, 0.0f,
                                                nullptr, -1);
    ASSERT_NE(second, nullptr);
    const int32_t secondID = second->m_ObjID;
    const auto pickup = [](CreatureObj& picker, WorldElem* item, int32_t amount) {
        return UnitWriter().U16(5).Ref(&picker).Ref(item).I32(amount).bytes;
    };
    Alice().CreateInventory(4);
    LogCapture log;
    const Bytes forBob = pickup(Bob(), second, 0);
    ASSERT_TRUE(SendFromAlice(Net::kMsgWorldEvent, forBob));
    ASSERT_TRUE(SendFromAlice(Net::kMsgWorldEvent, pickup(Alice(), medkit, 0)));
    const Bytes mine = pickup(Alice(), medkit, 1);  // the players are told what was taken
    Barrier();

    EXPECT_EQ(ctrl->GetWorld().GetObjNoCheck(medkitID, false), nullptr);
    ASSERT_NE(Alice().m_Inventory, nullptr);
    EXPECT_GE(Alice().m_Inventory->FindItemByName("Medkit"), 0);
    EXPECT_TRUE(HoldsUnit(bob->Received(Net::kMsgWorldEvent), mine));
    EXPECT_TRUE(HoldsUnit(alice->Received(Net::kMsgWorldEvent), mine));

    EXPECT_NE(ctrl->GetWorld().GetObjNoCheck(secondID, false), nullptr);
    EXPECT_TRUE(Bob().m_Inventory == nullptr || Bob().m_Inventory->FindItemByName("Medkit") < 0);
    EXPECT_FALSE(HoldsUnit(bob->Received(Net::kMsgWorldEvent), forBob));
    EXPECT_EQ(log.Count("not its character: refused"), 1);
}

// Malformed and foreign messages, one row per handler: each is ignored with a warning (or, for a
// drop by a creature that does not exist, costs the sender its connection), nothing changes in
// the world, the frame goes on and the other client keeps receiving.
TEST_F(GameServerHandlersGameTest, MalformedAndForeignMessagesChangeNothing)
{
    WorldElem* crate = Find("crate1");
    ASSERT_NE(crate, nullptr);
    const Bytes bobsRef = UnitWriter().Ref(&Bob()).bytes;
    struct Case {
        const char* name;
        uint16_t id;
        Bytes unit;
        uint32_t count;
        const char* warning;
    };
    const Case cases[] = {
        {"a position of another size", Net::kMsgPosition, Bytes(17), 1, "of 1 units of 17 bytes ignored"},
        {"10,000 empty positions", Net::kMsgPosition, Bytes(), 10000, "of 10000 units of 0 bytes ignored"},
        {"bob's position", Net::kMsgPosition, UnitWriter().Ref(&Bob()).F32(1.0f).F32(1.0f).U16(0).bytes, 1,
         "not its character"},
        {"a chat without its ends", Net::kMsgChat, UnitWriter().U16('a').U16('b').bytes, 1, "not ended within its unit"},
        {"a movement of another size", Net::kMsgCreatureSetMovement, Bytes(28), 1, "of 1 units of 28 bytes ignored"},
        {"bob's movement", Net::kMsgCreatureSetMovement,
         UnitWriter().I32(Bob().m_ObjID).I32(CreatureObj::kMoveWalk).U8(0).F32(1.0f).F32(1.0f).F32(0.0f).I32(-1).I32(-1).bytes,
         1, "not its character"},
        {"bob's rotation value", Net::kMsgCreatureSetRotVal, UnitWriter().Ref(&Bob()).F32(2.0f).bytes, 1, "not its character"},
        {"an object action of another size", Net::kMsgObjectAction, Bytes(9), 1, "of 1 units of 9 bytes ignored"},
        {"an object action out of range", Net::kMsgObjectAction, UnitWriter().I32(99999999).U16(1).F32(0.0f).bytes, 1,
         nullptr},
        {"a world event of one byte", Net::kMsgWorldEvent, Bytes(1), 1, "World event of 1 bytes dropped"},
        {"a world event too long", Net::kMsgWorldEvent, Bytes(5000), 1, "World event of 5000 bytes dropped"},
        {"a pick-up cut short", Net::kMsgWorldEvent, UnitWriter().U16(5).Ref(&Alice()).bytes, 1, "pick-up event cut short"},
        {"bob's equipment", Net::kMsgSetEquipment, UnitWriter().Ref(&Bob()).U16(0).U16(275).I32(0).bytes, 1,
         "not its character"},
        {"equipment of an unknown version", Net::kMsgSetEquipment, UnitWriter().Ref(&Alice()).U16(0).U16(100).I32(0).bytes,
         1, "item data of version 100"},
        {"a drop by bob's character", Net::kMsgDropItem, UnitWriter().Ref(&Bob()).U16(275).bytes, 1, "not its character"},
        {"a use of another size", Net::kMsgUseObject, Bytes(20), 1, "of 1 units of 20 bytes ignored"},
        {"a script", Net::kMsgRunScript, UnitWriter().I32(0).Text("ExitProgram();").bytes, 1, "RunScript refused"},
        {"an action name past its unit", Net::kMsgCreatureSetAction,
         UnitWriter().I32(Alice().m_ObjID).I32(6).I32(100).F32(0.0f).I32(-1).I32(-1).I32(50).bytes, 1,
         "CreatureSetAction cut short"},
        {"bob's action", Net::kMsgCreatureSetAction,
         UnitWriter().I32(Bob().m_ObjID).I32(6).I32(100).F32(0.0f).I32(-1).I32(-1).Text("Melee").bytes, 1,
         "not its character"},
        {"bob's death", Net::kMsgCreatureKilled, bobsRef, 1, "not its character"},
        {"a dialogue answer of another size", Net::kMsgDialogAnswered, Bytes(3), 1, "of 1 units of 3 bytes ignored"},
        {"10,000 dialogue answers", Net::kMsgDialogAnswered, Bytes(4), 10000, "of 10000 units of 4 bytes ignored"},
        {"bob's revival", Net::kMsgReviveCreature, UnitWriter().Ref(&Bob()).I32(1).bytes, 1, "not its character"},
        {"bob's level", Net::kMsgCharLevelChange, UnitWriter().Ref(&Bob()).I32(9).bytes, 1, "not its character"},
        {"a level change of another size", Net::kMsgCharLevelChange, Bytes(11), 1, "of 1 units of 11 bytes ignored"},
        {"a checkpoint of another size", Net::kMsgLoadCheckpoint, Bytes(5), 1, "of 1 units of 5 bytes ignored"},
        {"an empty message with a unit", Net::kMsgLevelLoaded, Bytes(4), 1, "message 0x0500 of 1 units of 4 bytes ignored"},
    };
    const int32_t bobLevel = Bob().m_Level;
    const float bobHealth = Bob().GetHealth();
    const int32_t bobMove = Bob().m_ActionState.moveCode;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LogCapture log;
        bob->Forget();
        ASSERT_TRUE(SendFromAlice(c.id, c.unit, c.count));
        Barrier();
        if (c.warning) {
            EXPECT_EQ(log.Count(c.warning), 1) << log.Text();
        }
        EXPECT_FALSE(HoldsUnit(bob->Received(c.id), c.unit));
        EXPECT_NE(ctrl->GetClient(aliceSlot), nullptr);
    }
    EXPECT_EQ(Bob().m_Level, bobLevel);
    EXPECT_EQ(Bob().GetHealth(), bobHealth);
    EXPECT_FALSE(Bob().IsDead());
    EXPECT_EQ(Bob().m_ActionState.moveCode, bobMove);
    EXPECT_NE(Bob().m_ActionState.actionName, "Melee");

    // A client that has not joined changes nothing.
    int32_t carolSlot = -1;
    const std::unique_ptr<ScriptedPeer> carol = ConnectPeer(carolSlot);
    LogCapture log;
    const Bytes move =
        UnitWriter().I32(Alice().m_ObjID).I32(CreatureObj::kMoveWalk).U8(0).F32(1.0f).F32(1.0f).F32(0.0f).I32(-1).I32(-1).bytes;
    ASSERT_TRUE(carol->SendMessage(Net::kMsgCreatureSetMovement, 1, int32_t(move.size()), move));
    ASSERT_TRUE(carol->StepUntil([&] { return log.Count("message 0x0800 in state 2 ignored") == 1; }));

    // A drop by a creature the server does not know: the game is out of step with that client,
    // which is sent away; the other one plays on.
    const Bytes drop = UnitWriter().I32(99999).I32(0).U16(275).bytes;
    ASSERT_TRUE(SendFromAlice(Net::kMsgDropItem, drop));
    ASSERT_TRUE(alice->AwaitClosed());
    EXPECT_EQ(log.Count("removed: message 0x1300: Network game out of sync. Invalid DropItem received"), 1)
        << log.Text();
    EXPECT_EQ(ctrl->GetClient(aliceSlot), nullptr);
    const size_t bobHad = bob->Received(Net::kMsgTimeSync).size();
    EXPECT_TRUE(bob->Await(Net::kMsgTimeSync, bobHad + 1));
}

namespace {

// The object IDs of the 0x0100 units in the messages.
std::vector<int32_t> PositionIDs(const std::vector<ScriptedPeer::Message>& messages)
{
    std::vector<int32_t> ids;
    for (const ScriptedPeer::Message& message : messages)
        for (size_t at = 0; at + NetObjPos::kSize <= message.units.size(); at += NetObjPos::kSize)
            ids.push_back(int32_t(ByteReader::DecodeU32(message.units.data() + at)));
    return ids;
}

bool Holds(const std::vector<int32_t>& ids, int32_t id) { return std::find(ids.begin(), ids.end(), id) != ids.end(); }

}  // namespace

// Alice's position updates on two frames in a row, every place forgotten before each: an object
// within 1.5 view radii goes out on one of them, one beyond on neither; a player's character
// within 7 on both, one beyond 7 on its own frame only. Sixteen units share a packet, every
// further one has a packet of its own.
TEST_F(GameServerHandlersGameTest, PlayerUpdatesByRangeAndFrame)
{
    pumping = false;
    WorldCtrl& world = ctrl->GetWorld();
    world.SetViewFloorSize(1, 1);  // a view small enough that seven of it fit into the level
    const float radius = world.GetViewRadius();
    const float size = float(world.GetBlockColumns()) * 512.0f;
    ASSERT_GT(radius, 0.0f);
    ASSERT_GT(size, 0.0f);
    const D3DXVECTOR2 centre = Alice().GetPos();
    const auto crateAt = [&](float dx, float dy) {
        return ctrl->CreateWorldObject("Crate", centre.x + dx, centre.y + dy, 0.0f, 0.0f);
    };
    WorldElem* near = dynamic_cast<WorldElem*>(crateAt(radius * 0.5f, 0.0f));
    WorldElem* far = dynamic_cast<WorldElem*>(crateAt(radius * 1.5f + 120.0f, 0.0f));
    ASSERT_NE(near, nullptr);
    ASSERT_NE(far, nullptr);
    std::vector<WorldElem*> crowd;
    for (int32_t i = 0; i < 40; ++i)
        crowd.push_back(dynamic_cast<WorldElem*>(crateAt(-60.0f - float(i % 8) * 15.0f, float(i / 8) * 15.0f - 30.0f)));

    const auto sentOnNextFrame = [&](float bobDistance) {
        Bob().SetPos(centre.x + bobDistance, centre.y);
        DedicatedServer::RunFrames(*ctrl, 1);  // the next frame, with the active area around both
        ctrl->SendTimeSync();  // what the frame sent has arrived when it arrives
        EXPECT_TRUE(alice->Await(Net::kMsgTimeSync, alice->Received(Net::kMsgTimeSync).size() + 1));
        alice->Forget();
        ctrl->ResetClientSyncSlot(aliceSlot);
        ctrl->SendClientPositions(aliceSlot);
        ctrl->SendTimeSync();  // what came before it has arrived when it arrives
        EXPECT_TRUE(alice->Await(Net::kMsgTimeSync));
        return alice->Received(Net::kMsgPosition);
    };
    for (const float bobDistance : {radius * 1.5f + 200.0f, radius * 7.0f + 200.0f}) {
        SCOPED_TRACE(bobDistance);
        ASSERT_LT(centre.x + bobDistance, size) << "view radius " << radius;
        const std::vector<ScriptedPeer::Message> first = sentOnNextFrame(bobDistance);
        if (bobDistance < radius * 7.0f) {  // bob beside it: only its distance keeps it from alice
            EXPECT_TRUE(world.IsBlockActive(far->m_CellX, far->m_CellY));
        }
        const std::vector<ScriptedPeer::Message> second = sentOnNextFrame(bobDistance);
        const std::vector<int32_t> a = PositionIDs(first), b = PositionIDs(second);
        EXPECT_NE(Holds(a, near->m_ObjID), Holds(b, near->m_ObjID));
        EXPECT_FALSE(Holds(a, far->m_ObjID) || Holds(b, far->m_ObjID));
        const int32_t bobID = Bob().m_ObjID;
        if (bobDistance < radius * 7.0f) {
            EXPECT_TRUE(Holds(a, bobID) && Holds(b, bobID));
        } else {
            EXPECT_NE(Holds(a, bobID), Holds(b, bobID));
        }
        for (const std::vector<ScriptedPeer::Message>* sent : {&first, &second}) {
            ASSERT_GE(sent->size(), 2u);
            EXPECT_EQ((*sent)[0].count, uint32_t(Net::kUpdatesBeforeFlush));
            for (size_t i = 1; i < sent->size(); ++i)
                EXPECT_EQ((*sent)[i].count, 1u);
        }
    }
}

// Health: a monster's change reaches both players, a player's character's every player but its
// own. A death reaches both, unless a broadcast sync of the creature is queued, which carries it.
TEST_F(GameServerHandlersGameTest, HealthAndDeathReachThePlayers)
{
    Barrier();
    auto* drone = dynamic_cast<CreatureObj*>(Find("drone1"));
    ASSERT_NE(drone, nullptr);
    drone->SetHealth(drone->GetHealth() - 5.0f);
    Alice().SetHealth(Alice().GetHealth() - 5.0f);
    Barrier();
    EXPECT_TRUE(Told(*alice, Net::kMsgSetHealth, *drone));
    EXPECT_TRUE(Told(*bob, Net::kMsgSetHealth, *drone));
    EXPECT_TRUE(Told(*bob, Net::kMsgSetHealth, Alice()));
    EXPECT_FALSE(Told(*alice, Net::kMsgSetHealth, Alice()));

    const uint8_t netSync = drone->m_NetSync;
    drone->m_NetSync = 2;
    ctrl->AddSyncRequest(-1, 0, ObjRef3(drone), false, true);
    ASSERT_TRUE(ctrl->IsBroadcastSyncPending(drone));
    ctrl->ReportDeath(drone, nullptr, -1);
    drone->m_NetSync = netSync;
    Barrier();
    EXPECT_FALSE(Told(*alice, Net::kMsgCreatureKilled, *drone));
    EXPECT_FALSE(Told(*bob, Net::kMsgCreatureKilled, *drone));
    drone->Kill(nullptr, -1);
    Barrier();
    EXPECT_TRUE(Told(*alice, Net::kMsgCreatureKilled, *drone));
    EXPECT_TRUE(Told(*bob, Net::kMsgCreatureKilled, *drone));
}

// A built-in a level script calls runs at both players; from a script that runs on every machine
// itself nothing goes.
TEST_F(GameServerHandlersGameTest, ScriptCallsReachThePlayers)
{
    Barrier();
    ScriptValue result;
    ASSERT_EQ(ErrorOf([&] { ctrl->RunScript(result, String("Message(\"hello\");"), "test", 1, -1); }), "no error");
    Barrier();
    EXPECT_EQ(alice->Received(Net::kMsgRunScriptFunction).size(), 1u);
    EXPECT_EQ(bob->Received(Net::kMsgRunScriptFunction).size(), 1u);

    ScriptReaderGameEngine module;
    module.m_RunFlags = 1;
    {
        RunningModuleScope running(&module);
        ctrl->RunScriptFunctionAtClients("Message", nullptr, 0, nullptr, 0, 0);
    }
    Barrier();
    EXPECT_EQ(alice->Received(Net::kMsgRunScriptFunction).size(), 1u);
}

// The controller's players are the joined clients in slot order.
TEST_F(GameServerHandlersGameTest, ThePlayersAreTheJoinedClients)
{
    EXPECT_EQ(ctrl->GetNumPlayers(), 2);
    EXPECT_EQ(ctrl->GetPlayerCharacter(0), &Alice());
    EXPECT_EQ(ctrl->GetPlayerCharacter(1), &Bob());
    EXPECT_EQ(ctrl->GetPlayerCharacter(2), nullptr);
}

namespace {

// A game function through the points, straight between them.
GameFunction LinearFunction(const char* name, std::initializer_list<std::pair<float, float>> points)
{
    GameFunction function;
    function.name = name;
    function.curve.SetMode(0);
    function.curve.SetNumKeys(int32_t(points.size()));
    int32_t i = 0;
    for (const auto& [x, y] : points) {
        function.curve.GetKey(i).time = x;
        function.curve.GetKey(i++).value = y;
    }
    return function;
}

// The process-wide difficulty record as it was, on every way out.
struct DifficultyScope {
    Difficulty saved = g_Difficulty;
    ~DifficultyScope() { g_Difficulty = saved; }
};

// The f32 after the ObjRef of each 0x2400 unit to the peer.
std::vector<float> ExperienceTold(const ScriptedPeer& peer)
{
    std::vector<float> amounts;
    for (const ScriptedPeer::Message& message : peer.Received(Net::kMsgGainXp))
        for (size_t at = 0; at + 12 <= message.units.size(); at += 12)
            amounts.push_back(ByteReader(message.units.data() + at + 8, 4).ReadFloat());
    return amounts;
}

}  // namespace

// Experience of alice's character is shared by every player with a character: the experience
// function at their number (2.0 at 2), over the number of clients (a third one has not joined),
// times the amount; without the function the share is the amount over the clients alone.
TEST_F(GameServerHandlersGameTest, ExperienceIsSharedByThePlayers)
{
    int32_t carolSlot = -1;
    const std::unique_ptr<ScriptedPeer> carol = ConnectPeer(carolSlot);
    ASSERT_EQ(ctrl->GetNumClients(), 3);
    const DifficultyScope scope;
    struct Case {
        const char* name;
        GameFunction function;
        float share;
    };
    const Case cases[] = {
        {"2.0 at two players", LinearFunction("xp", {{1.0f, 1.0f}, {2.0f, 2.0f}, {3.0f, 3.0f}}), 66.67f},
        {"no function", GameFunction(), 33.33f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_Difficulty.monsterXPMultiplayer = c.function;
        alice->Forget();
        bob->Forget();
        Alice().AddExperience(100.0f, false);
        Barrier();
        for (const ScriptedPeer* peer : {alice.get(), bob.get()}) {
            const std::vector<float> told = ExperienceTold(*peer);
            ASSERT_EQ(told.size(), 1u);
            EXPECT_NEAR(told[0], c.share, 0.01f);
        }
    }
    EXPECT_TRUE(carol->Received(Net::kMsgGainXp).empty());
}

// Each event of the world to the players who are to hear of it: alice stands beside the drone, bob
// far off (beyond two view radii). Blood and an animation cycle reach the players near; the cycles
// every player must see, the parts of actions, a use, a revival and the save reach both; mana
// and a pick-up of her own character reach alice alone, and the item stays where it lies until
// her client answers.
TEST_F(GameServerHandlersGameTest, WorldEventsReachThePlayersMeantForThem)
{
    WorldCtrl& world = ctrl->GetWorld();
    world.SetViewFloorSize(1, 1);
    auto* drone = dynamic_cast<CreatureObj*>(Find("drone1"));
    WorldElem* crate = Find("crate1");
    WorldElem* medkit = Find("medkit1");
    ASSERT_TRUE(drone && crate && medkit);
    const D3DXVECTOR2 at = drone->GetPos();
    const float radius = world.GetViewRadius();
    Alice().SetPos(at.x - 40.0f, at.y);
    const float far = radius * 2.0f + drone->GetRadius() + 200.0f;
    ASSERT_LT(at.x + far, float(world.GetBlockColumns()) * 512.0f);
    Bob().SetPos(at.x + far, at.y);
    ActionEntry* volley = world.FindActionEntry("Volley", false);
    ActionEntry* flash = world.FindActionEntry("Flash", false);
    ASSERT_TRUE(volley && volley->shots.GetSize() > 0 && flash && flash->effects.GetSize() > 0);
    const auto cycle = [&](uint16_t id) {
        AnicycleUnit unit;
        unit.objID = drone->m_ObjID;
        unit.moveCycle = id;
        ctrl->SendAnicycle(unit, false);
        ctrl->FinishPacket();
    };
    const auto script = [&](const std::string& text) {
        ScriptValue result;
        ASSERT_EQ(ErrorOf([&] { ctrl->RunScript(result, String(text.c_str()), "test", 1, -1); }), "no error");
    };
    const std::string aliceID = std::to_string(Alice().m_ObjID);
    struct Case {
        const char* name;
        std::function<void()> event;
        uint16_t id;
        bool toAlice;
        bool toBob;
    };
    const Case cases[] = {
        {"blood", [&] { ctrl->ReportBloodEffect(drone, 0.5f); }, Net::kMsgBloodEffect, true, false},
        {"cycle 5", [&] { cycle(5); }, Net::kMsgAnicycle, true, false},
        {"cycle 449", [&] { cycle(449); }, Net::kMsgAnicycle, true, true},
        {"cycle 129 as the action", [&] {
             AnicycleUnit unit;
             unit.objID = drone->m_ObjID;
             unit.actionCycle = 129;
             ctrl->SendAnicycle(unit, false);
         }, Net::kMsgAnicycle, true, true},
        {"a shot", [&] { drone->CallShotScript(volley->shots.GetAt(0), nullptr, &at); }, Net::kMsgPerformActionShot,
         true, true},
        {"an effect", [&] { drone->ExecuteActionEffect(*flash->effects.GetAt(0), 3); }, Net::kMsgPerformActionEffect,
         true, true},
        {"a use", [&] { script("Use(" + aliceID + ", " + std::to_string(crate->m_ObjID) + ");"); }, Net::kMsgUseObject,
         true, true},
        {"a revival", [&] { script("Revive(" + std::to_string(drone->m_ObjID) + ");"); }, Net::kMsgReviveCreature, true,
         true},
        {"the save", [&] { ctrl->SaveMainCharacter(); }, Net::kMsgSaveCharacter, true, true},
        {"mana", [&] { Alice().UseMana(5.0f); }, Net::kMsgSubtractMana, true, false},
        {"a pick-up", [&] { script("PickUp(" + aliceID + ", " + std::to_string(medkit->m_ObjID) + ");"); },
         Net::kMsgPickUp, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Barrier();
        alice->Forget();
        bob->Forget();
        c.event();
        Barrier();
        // Some events leave in a later frame than the barrier's chat line (a use waits for the
        // action): a player meant to hear of one waits for it, bounded; the others had their chance.
        const auto heard = [&](ScriptedPeer& peer, bool meant) {
            return meant ? peer.StepUntil([&] { return !peer.Received(c.id).empty(); }) : peer.Received(c.id).empty();
        };
        EXPECT_TRUE(heard(*alice, c.toAlice)) << "alice";
        EXPECT_TRUE(heard(*bob, c.toBob)) << "bob";
    }
    EXPECT_EQ(world.GetObjNoCheck(medkit->m_ObjID, false), medkit);
    EXPECT_TRUE(Alice().m_Inventory == nullptr || Alice().m_Inventory->FindItemByName("Medkit") < 0);
}

// The controller's questions about the player answer for the joined clients: the main character
// is alice's, "mc_ID" with an index a player's; a script run at a client goes to that player alone,
// and one for an ID that names no creature is the script's error while the script goes on.
TEST_F(GameServerHandlersGameTest, PlayerQueriesAnswerForTheJoinedClients)
{
    EXPECT_EQ(ctrl->GetMainChar(), &Alice());
    EXPECT_EQ(ctrl->GetInputIndexFor(&Bob()), ctrl->GetClient(bobSlot)->inputCtrlIndex);
    LogCapture log;
    ScriptValue result;
    const std::string text = "iTmp[0] = mc_ID; iTmp[1] = mc_ID[1]; iTmp[2] = mc_ID[2];"
                             "RunScriptAtClient(" + std::to_string(Bob().m_ObjID) + ", \"iTmp[5] = 1;\");"
                             "RunScriptAtClient(99999, \"iTmp[5] = 2;\"); iTmp[3] = 7;";
    Barrier();
    ASSERT_EQ(ErrorOf([&] { ctrl->RunScript(result, String(text.c_str()), "test", 1, -1); }), "no error");
    Barrier();
    EXPECT_EQ(*ctrl->GetScriptTempInt(0), Alice().m_ObjID);
    EXPECT_EQ(*ctrl->GetScriptTempInt(1), Bob().m_ObjID);
    EXPECT_EQ(*ctrl->GetScriptTempInt(2), 0);
    // Each script error is logged once with its place; the server shows it on the console only.
    EXPECT_EQ(log.Count("Tried to get mc_ID, but no main character exists"), 1);
    EXPECT_EQ(*ctrl->GetScriptTempInt(3), 7);
    EXPECT_EQ(bob->Received(Net::kMsgRunScript).size(), 1u);
    EXPECT_TRUE(alice->Received(Net::kMsgRunScript).empty());
    EXPECT_EQ(log.Count("Invalid main char ID in 'RunScriptAtClient' (*inline:RunScript:'test',line:1*)"), 1);
}

// The scaling by the players: the share of a class (three players, one of class 2) and the
// monster health factor (1.5 times the multiplayer function, 2.0 at three players).
TEST_F(GameServerHandlersGameTest, ScalingByTheJoinedPlayers)
{
    int32_t carolSlot = -1;
    const std::unique_ptr<ScriptedPeer> carol = ConnectPeer(carolSlot);
    PlayerInfoOptions options;
    options.playerName = u"Carol";
    ASSERT_TRUE(carol->Join(options));
    ASSERT_TRUE(carol->Await(Net::kMsgSetMainChar));
    ASSERT_EQ(ctrl->CountJoinedPlayers(), 3);

    std::vector<CharacterEntry>& entries = ctrl->GetCharacterEntries();
    entries.push_back({String("classOne"), String(), 1});
    entries.push_back({String("classTwo"), String(), 2});
    for (const int32_t slot : {aliceSlot, bobSlot})
        ctrl->GetClient(slot)->playerInfo.characterID = "classOne";
    ctrl->GetClient(carolSlot)->playerInfo.characterID = "classTwo";
    EXPECT_NEAR(ctrl->GetCharacterEntryFactor(2), 1.0 / 3.0, 1e-4);
    EXPECT_NEAR(ctrl->GetCharacterEntryFactor(3), 1.0, 1e-9);
    EXPECT_EQ(ctrl->GetCharacterEntryFactor(4), 0.0);
    EXPECT_EQ(ctrl->GetCharacterEntryFactor(0), 1.0);

    const DifficultyScope scope;
    g_Difficulty.monsterHealth = 1.5f;
    g_Difficulty.monsterHealthMultiplayer = LinearFunction("health", {{1.0f, 1.0f}, {3.0f, 2.0f}});
    EXPECT_FLOAT_EQ(ctrl->GetMonsterHealthFactor(), 3.0f);
    g_Difficulty.monsterHealthMultiplayer = GameFunction();
    EXPECT_FLOAT_EQ(ctrl->GetMonsterHealthFactor(), 1.5f);
    EXPECT_FLOAT_EQ(ctrl->GetMonsterDamageFactor(), g_Difficulty.monsterDamage);
}
