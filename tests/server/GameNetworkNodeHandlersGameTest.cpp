// The game's controller as a network client in the running game on a copy of the sample game: what
// a fake game server sends over loopback is applied to the sample level by the frame loop (world
// events, scripts, equipment, and the rest of the server's messages).
#include "server/DedicatedServer.h"

#include "base/File.h"
#include "game/objects/CreatureObj.h"
#include "game/objects/ItemBase.h"
#include "level/VSD_WallIntern.h"
#include "net/GameNetworkNode.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "script/ScriptValue.h"
#include "world/Inventory.h"
#include "world/WorldElem.h"
#include "support/ByteBuilder.h"
#include "support/GamePacketBytes.h"
#include "support/LogCapture.h"
#include "support/SampleClientGame.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr uint16_t kMarker = 0x3456;  // an id no side knows: its log line ends what came before

// The game's controller that records what the handlers hand on to the game: blood effects, the
// server's message, and the game functions the server calls.
class RecordingCtrl : public SciFiGameCtrl {
public:
    void ReportBloodEffect(WorldElem* creature, float strength) override
    {
        bloodStrengths.push_back(strength);
        SciFiGameCtrl::ReportBloodEffect(creature, strength);
    }
    void HandleServerMessage(int32_t message) override { serverMessages.push_back(message); }
    void ExecuteScriptFunction(ScriptValue& result, const char* name, ScriptValue* arguments, int32_t count,
                               int32_t fromNetwork) override
    {
        if (std::string(name) != "Probe") {
            SciFiGameCtrl::ExecuteScriptFunction(result, name, arguments, count, fromNetwork);
            return;
        }
        result.SetVoid();
        std::string call = "Probe from " + std::to_string(fromNetwork) + ":";
        for (int32_t i = 0; i < count; ++i)
            call += " " + std::to_string(arguments[i].m_Type);
        probes.push_back(call);
    }

    std::vector<float> bloodStrengths;
    std::vector<int32_t> serverMessages;
    std::vector<std::string> probes;
};

class GameNetworkNodeHandlersGameTest : public SampleClientGame<RecordingCtrl> {
protected:
    // The message arrives and the frame loop has handled it (and the marker behind it).
    void Receive(uint16_t id, uint32_t count, int32_t size, const ByteBuilder& units)
    {
        const int before = log.Count("Unknown packet received: 0x3456");
        server.SendToClients(GamePacketBytes(id, count, size, units.bytes));
        server.SendToClients(GamePacketBytes(kMarker, 1, 0));
        ASSERT_TRUE(WaitUntil([&] {
            DedicatedServer::RunFrames(*ctrl, 1);
            return log.Count("Unknown packet received: 0x3456") > before;
        }));
        EXPECT_EQ(ctrl->GetConnectionState(), GameNetworkNode::eRunningGame);
    }
    void ReceiveFree(uint16_t id, const ByteBuilder& unit) { Receive(id, 1, int32_t(unit.bytes.size()), unit); }

    static ByteBuilder Ref(const WorldElem* elem) { return ByteBuilder().I32(elem->m_ObjID).I32(elem->m_MyRnd); }

    // Before connecting: an item of the sample game laid into the world beside the hero; its
    // element.
    WorldElem* LayItem(const char* name)
    {
        CreatureObj& hero = *ctrl->GetMainChar();
        ItemBase* item = ctrl->ItemFromName(name, false);
        if (!item)
            return nullptr;
        if (!hero.m_Inventory)
            hero.CreateInventory(4);
        if (hero.m_Inventory->AddItem(item) < 0)
            return nullptr;
        const int32_t id = ctrl->DropItem(item, 0.0f, &hero);
        return ctrl->GetWorld().GetObjNoCheck(id, false);
    }

    LogCapture log;
};

}  // namespace

// A pick-up of the server is carried out here; other world events are the server's own.
TEST_F(GameNetworkNodeHandlersGameTest, WorldEvents)
{
    CreatureObj& hero = *ctrl->GetMainChar();
    WorldElem* lying = LayItem("Medkit");
    ASSERT_NE(lying, nullptr);
    Connect();
    const int32_t lyingID = lying->m_ObjID;
    const int32_t carried = hero.m_Inventory->GetCount();
    const int32_t queued = ctrl->GetWorld().GetEventQueue(0).GetSize() + ctrl->GetWorld().GetEventQueue(1).GetSize();

    Receive(0x0D00, 1, 2 + 16, ByteBuilder().U16(6).Zeros(16));
    EXPECT_EQ(log.Count("NetRec: WorldEvent 6"), 1);
    EXPECT_EQ(ctrl->GetWorld().GetEventQueue(0).GetSize() + ctrl->GetWorld().GetEventQueue(1).GetSize(), queued);

    // A pick-up needs its whole record: 19 bytes are ignored.
    Receive(0x0D00, 1, 2 + 19, ByteBuilder().U16(5).Append(Ref(&hero).bytes).Append(Ref(lying).bytes).Zeros(3));
    EXPECT_EQ(ctrl->GetWorld().GetObjNoCheck(lyingID, false), lying);

    Receive(0x0D00, 1, 2 + 20, ByteBuilder().U16(5).Append(Ref(&hero).bytes).Append(Ref(lying).bytes).I32(0));
    EXPECT_EQ(log.Count("NetRec: WorldEvent 5"), 2);
    EXPECT_EQ(ctrl->GetWorld().GetObjNoCheck(lyingID, false), nullptr);
    EXPECT_EQ(hero.m_Inventory->GetCount(), carried + 1);
}

// The server's script runs here with its object variables, though a client runs none of its own.
TEST_F(GameNetworkNodeHandlersGameTest, RunScript)
{
    Connect();
    ByteBuilder unit;
    for (int32_t i = 0; i < GameNetworkNode::kRunScriptVariables; ++i)
        unit.I32(10 + i);
    ReceiveFree(0x1600, unit.Str("iTmp[0] = 4321;").Zeros(3));  // what follows the text is ignored
    EXPECT_EQ(log.Count("NetRec: RunScript iTmp[0] = 4321;"), 1);
    EXPECT_EQ(*ctrl->GetScriptTempInt(0), 4321);
    for (int32_t i = 0; i < GameNetworkNode::kRunScriptVariables; ++i)
        EXPECT_EQ(ctrl->GetObjScriptVariable(i), 10 + i);
}

// The item takes the equipment place, whatever was there before; an item record of a version this
// side does not read changes nothing.
TEST_F(GameNetworkNodeHandlersGameTest, SetEquipment)
{
    CreatureObj& hero = *ctrl->GetMainChar();
    auto* weapon = static_cast<Inventory*>(hero.GetEquipmentEntry(0));
    ASSERT_NE(weapon, nullptr);
    ItemBase* medkit = ctrl->ItemFromName("Medkit", false);
    ASSERT_NE(medkit, nullptr);
    File record;
    record.CreateMemoryFile(1024);
    medkit->Save(record, 0);
    const std::vector<uint8_t> state = BytesOf(record);
    const String name = medkit->m_ItemName;
    delete medkit;
    Connect();

    const int32_t before = weapon->GetCount();
    ReceiveFree(0x0E00, Ref(&hero).U16(0).U16(160).Append(state));
    EXPECT_EQ(weapon->GetCount(), before);
    for (int32_t round = 0; round < 2; ++round)
        ReceiveFree(0x0E00, Ref(&hero).U16(0).U16(ItemBase::kRecordVersion).Append(state));
    EXPECT_EQ(log.Count("NetRec: SetEquipment"), 3);
    ASSERT_EQ(weapon->GetCount(), 1);
    const auto* equipped = dynamic_cast<ItemBase*>(weapon->GetItem(0));
    ASSERT_NE(equipped, nullptr);
    EXPECT_STREQ(equipped->m_ItemName.c_str(), name.c_str());
    EXPECT_EQ(equipped->m_Count, 1);
}

// The creature rows: blood at full strength, mana never below 0, the kill's line, the revival of
// the main character, the current action, and the server's message to the game.
TEST_F(GameNetworkNodeHandlersGameTest, CreatureRows)
{
    CreatureObj& hero = *ctrl->GetMainChar();
    ASSERT_NE(ctrl->GetWorld().FindActionEntry("Volley", false), nullptr);
    Connect();

    Receive(0x4500, 1, 5, ByteBuilder().I32(hero.m_ObjID).U8(255));
    EXPECT_EQ(ctrl->bloodStrengths, (std::vector<float>{1.0f}));

    hero.m_Mana = 10.0f;
    Receive(0x2900, 1, 12, Ref(&hero).F32(25.0f));
    EXPECT_GE(hero.m_Mana, 0.0f);  // all 10 taken (the frames since may refill a little)
    EXPECT_LT(hero.m_Mana, 1.0f);

    const int32_t lines = ctrl->GetWorld().GetLogMessages().GetSize();
    Receive(0x2300, 1, 8, Ref(&hero));
    EXPECT_EQ(ctrl->GetWorld().GetLogMessages().GetSize(), lines + 1);
    EXPECT_EQ(log.Count(("NetRec: creature killed:" + std::to_string(hero.m_ObjID)).c_str()), 1);

    hero.m_Dead = 1;
    Receive(0x2600, 1, 12, Ref(&hero).I32(0));  // only the value 1 revives
    EXPECT_EQ(hero.m_Dead, 1);
    Receive(0x2600, 1, 12, Ref(&hero).I32(1));
    EXPECT_EQ(hero.m_Dead, 0);

    ReceiveFree(0x4400, ByteBuilder().I32(hero.m_ObjID).Str("Volley"));
    EXPECT_EQ(hero.m_ActionState.pActionEntry, ctrl->GetWorld().FindActionEntry("Volley", false));
    ReceiveFree(0x4400, ByteBuilder().I32(hero.m_ObjID).Str(""));
    EXPECT_EQ(hero.m_ActionState.pActionEntry, nullptr);

    Receive(0x3000, 1, 0, ByteBuilder());
    EXPECT_EQ(ctrl->serverMessages, (std::vector<int32_t>{0}));
}

// The element rows: an object added at the server's ID (a player's character with its state
// joins the players' characters), deletions (one fading out is left to finish), a wall deleted,
// an element used, and the server's pick-up, which the client asks of the server in turn.
TEST_F(GameNetworkNodeHandlersGameTest, ElementRows)
{
    CreatureObj& hero = *ctrl->GetMainChar();
    WorldCtrl& world = ctrl->GetWorld();
    WorldElem* lying = LayItem("Medkit");
    ASSERT_NE(lying, nullptr);
    WorldElem* gone = NewCrate(300.0f);
    WorldElem* fading = NewCrate(400.0f);
    WorldElem* used = NewCrate(500.0f);
    ASSERT_TRUE(gone && fading && used);
    used->m_UsesLeft = 5;
    ASSERT_GT(world.GetNumWalls(), 0);
    VSD_WallIntern* wall = world.GetWallSafe(world.GetWallSlotAt(0));
    ASSERT_NE(wall, nullptr);
    const int32_t wallID = wall->m_ObjID;
    const ByteBuilder wallRef = ByteBuilder().I32(wallID).I32(int32_t(ObjRef3(wall).myRnd)).I32(ElemType::kWall);
    Connect();

    const int32_t freeID = world.GetObjCapacity() + 5;
    ByteBuilder crate = ByteBuilder().I32(freeID).I32(77).F32s({120.0f, 130.0f}).U16(0);
    crate.Append({'C', 'r', 'a', 't', 'e'}).Zeros(128 - 5).I32(2).U8(0);
    ReceiveFree(0x0600, crate);
    WorldElem* added = world.GetObjNoCheck(freeID, false);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->m_CfgID, String("Crate"));
    EXPECT_EQ(added->m_MyRnd, 77);
    EXPECT_EQ(added->m_Party, 2);
    EXPECT_EQ(added->GetPos().x, 120.0f);

    File state;
    state.CreateMemoryFile(4096);
    GameNetworkNode::WriteCharacterState(state, hero);
    ByteBuilder player = ByteBuilder().I32(freeID + 1).I32(78).F32s({140.0f, 150.0f}).U16(0);
    const std::string heroID = hero.m_CfgID.c_str();
    player.Append(std::vector<uint8_t>(heroID.begin(), heroID.end())).Zeros(128 - heroID.size()).I32(1).U8(1);
    ReceiveFree(0x0600, player.Append(BytesOf(state)));
    EXPECT_EQ(ctrl->GetNumMultiplayerCharacters(), 1);
    EXPECT_EQ(ctrl->GetMultiplayerCharacter(0), world.GetObjNoCheck(freeID + 1, false));

    const auto ref3 = [](const WorldElem* elem) {
        return ByteBuilder().I32(elem->m_ObjID).I32(elem->m_MyRnd).I32(elem->m_TypeCode);
    };
    const int32_t goneID = gone->m_ObjID, fadingID = fading->m_ObjID;
    fading->FadeOut(1.0f);  // a second's fade: a few frames pass before the deletion arrives
    Receive(0x0A00, 2, 14, ref3(gone).U8(1).U8(0).Append(ref3(fading).U8(1).U8(0).bytes));
    EXPECT_EQ(world.GetObjNoCheck(goneID, false), nullptr);
    EXPECT_EQ(world.GetObjNoCheck(fadingID, false), fading);
    EXPECT_EQ(fading->m_IgnoreInQueries, 1);
    Receive(0x0A00, 1, 14, ByteBuilder().I32(goneID).I32(0).I32(10).U8(1).U8(0));
    EXPECT_EQ(log.Count(("NetRec: invalid delete objID:" + std::to_string(goneID)).c_str()), 1);

    Receive(0x1800, 1, 13, ByteBuilder(wallRef).U8(0));
    EXPECT_EQ(world.GetWallSafe(wallID), nullptr);
    EXPECT_EQ(log.Count(("NetRec: delete wall ID:" + std::to_string(wallID)).c_str()), 1);

    Receive(0x1500, 1, 21, ref3(used).Append(Ref(&hero).bytes).U8(0));
    EXPECT_EQ(used->m_UsesLeft, 4);

    const size_t sent = server.ReceivedTCP().size();
    Receive(0x2700, 1, 16, Ref(&hero).Append(Ref(lying).bytes));
    EXPECT_TRUE(WaitUntil([&] {
        const auto ids = server.ReceivedTCP();
        return std::find(ids.begin() + std::ptrdiff_t(sent), ids.end(), 0x0D00) != ids.end();
    }));
}

// A wall the server synchronises and this side lacks is made from its definition at the server's
// ID; a short form of an unknown name makes nothing; a wall that acts for a parent it arrived
// without is removed again.
TEST_F(GameNetworkNodeHandlersGameTest, WallsMadeBySync)
{
    WorldCtrl& world = ctrl->GetWorld();
    ASSERT_GT(world.GetNumWalls(), 0);
    VSD_WallIntern* wall = world.GetWallSafe(world.GetWallSlotAt(0));
    ASSERT_NE(wall, nullptr);
    const int32_t wallID = wall->m_ObjID;
    const String cfgID = wall->m_CfgID;
    ASSERT_FALSE(cfgID.IsEmpty());
    const float ends[4] = {wall->m_X1 + 10.0f, wall->m_Y1, wall->m_X2 + 10.0f, wall->m_Y2};
    File block;
    block.CreateMemoryFile(4096);
    wall->SetEndPoints(ends[0], ends[1], ends[2], ends[3]);
    ASSERT_EQ(ctrl->WriteSyncBlock(block, *wall, false, false), 0);
    const std::vector<uint8_t> full = BytesOf(block);
    wall->m_LinkToParent = 1;
    ASSERT_EQ(ctrl->WriteSyncBlock(block, *wall, false, false), 0);
    const std::vector<uint8_t> orphan = BytesOf(block);
    const int32_t myRnd = int32_t(ObjRef3(wall).myRnd);
    world.DelWall(wallID);
    Connect();

    const auto item = [&](uint8_t flags) { return ByteBuilder().U8(flags).I32(wallID).I32(myRnd).I32(ElemType::kWall); };
    ReceiveFree(0x1100, item(0).Append(full));
    VSD_WallIntern* made = world.GetWallSafe(wallID);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->m_CfgID, cfgID);
    EXPECT_EQ(made->m_X1, ends[0]);
    EXPECT_EQ(made->m_X2, ends[2]);
    world.DelWall(wallID);

    ByteBuilder unknown = item(GameNetworkNode::kSyncItemShort).U16(uint16_t(GameNetworkNode::kSyncBlockFormat));
    unknown.I32(6).Append({'N', 'o', 'W', 'a', 'l', 'l'}).F32s({ends[0], ends[1], ends[2], ends[3]});
    ReceiveFree(0x1100, unknown);
    EXPECT_EQ(world.GetWallSafe(wallID), nullptr);
    EXPECT_EQ(log.Count("Wall simple sync without valid cfgID received"), 1);

    const int32_t walls = world.GetNumWalls();
    ReceiveFree(0x1100, ByteBuilder().U8(0).I32(-3).I32(myRnd).I32(ElemType::kWall).Append(full));
    EXPECT_EQ(world.GetNumWalls(), walls);
    EXPECT_EQ(log.Count("Wall sync for invalid wall ID -3 dropped"), 1);

    ReceiveFree(0x1100, item(0).Append(orphan));
    EXPECT_EQ(world.GetWallSafe(wallID), nullptr);
    EXPECT_EQ(log.Count("Netsync: Child wall without proper parent"), 1);
}

// A game function the server ran is called here as a call from the network, with its arguments;
// one older than the event age is dropped unless it must run, and its time pulls the clock. An
// action shot that old is not carried out either.
TEST_F(GameNetworkNodeHandlersGameTest, TimedEvents)
{
    Connect();
    const double now = ctrl->GetGameTime();
    const auto call = [&](double time, uint8_t always) {
        ByteBuilder unit = ByteBuilder().Str("Probe").I32(-1).I32(-1).I32(0xFFFF).F64(time).U8(always);
        return unit.U8(1).I32(3).U8(2).F64(2.5).U8(3).Str("x");
    };
    ReceiveFree(0x1700, call(now, 0));
    EXPECT_EQ(ctrl->probes, (std::vector<std::string>{"Probe from 1: 1 2 3"}));
    ReceiveFree(0x1700, call(now - 5.0, 0));
    EXPECT_EQ(ctrl->probes.size(), 1u);
    EXPECT_EQ(ctrl->GetTimeSlewTarget(), now - 5.0);
    ReceiveFree(0x1700, call(now - 5.0, 1));
    EXPECT_EQ(ctrl->probes.size(), 2u);

    ctrl->SetTimeSlewTarget(-1.0);
    const float old = float(ctrl->GetGameTime() - 3.0);
    const ByteBuilder shooter = Ref(ctrl->GetMainChar());
    ReceiveFree(0x2001, ByteBuilder().Str("Volley").Append(shooter.bytes).I32(0).F32(old).F32s({0, 0}));
    EXPECT_EQ(ctrl->GetTimeSlewTarget(), double(old));
}

// SetMainChar gives the character the server's whole reference, check value included: the
// positions and actions the client sends of it must resolve on the server.
TEST_F(GameNetworkNodeHandlersGameTest, SetMainCharTakesTheServersReference)
{
    Connect();
    CreatureObj& hero = *ctrl->GetMainChar();
    const int32_t check = hero.GetMyRnd() ^ 0x2468ACE;
    Receive(0x0700, 1, 22, ByteBuilder().I32(300).I32(check).F32(500.0f).F32(600.0f).U16(0).I32(2));
    EXPECT_EQ(ctrl->GetMainChar(), &hero);
    EXPECT_EQ(hero.m_ObjID, 300);
    EXPECT_EQ(hero.GetMyRnd(), check);
    EXPECT_EQ(hero.GetPos().x, 500.0f);
    EXPECT_EQ(hero.m_Party, 2);
}
