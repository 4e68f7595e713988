// The game's controller as a network client in the running game on a copy of the sample game: what
// a fake game server sends over loopback is applied to the sample level by the frame loop (world
// events, scripts, equipment, and the rest of the server's messages).
#include "server/DedicatedServer.h"

#include "base/File.h"
#include "game/objects/CreatureObj.h"
#include "game/objects/ItemBase.h"
#include "net/GameNetworkNode.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "world/Inventory.h"
#include "world/WorldElem.h"
#include "support/ByteBuilder.h"
#include "support/FakeGameServer.h"
#include "support/GamePacketBytes.h"
#include "support/LogCapture.h"
#include "support/SampleServerGame.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr uint16_t kMarker = 0x3456;  // an id no side knows: its log line ends what came before

class GameNetworkNodeHandlersGameTest : public SampleServerGame<SciFiGameCtrl> {
protected:
    void SetUp() override { Start("LogNetworkTraffic = 1"); }

    void Connect()
    {
        int32_t reason = -1;
        ASSERT_TRUE(ctrl->ConnectToServer("127.0.0.1", server.GetPort(), false, 20.0, &reason));
        ctrl->SetConnectionState(GameNetworkNode::eRunningGame);
    }

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
    FakeGameServer server{FakeGameServer::kAccept};
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
