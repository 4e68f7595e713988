// GameNetworkNode: the handlers that both sides run on a received message, so that the server's
// dispatcher calls them for its current client too: world events, a script to run, a creature's
// equipment. Each reads the held message within its units; a unit that cannot be read ends it.
#include "net/GameNetworkNode.h"

#include "base/ByteReader.h"
#include "base/File.h"
#include "base/Log.h"
#include "game/objects/CreatureObj.h"
#include "game/objects/ItemBase.h"
#include "net/GameValueCodec.h"
#include "world/Inventory.h"
#include "world/WorldCtrl.h"
#include "world/WorldEventPayloads.h"

#include <memory>
#include <vector>

bool GameNetworkNode::ReceiveUnitRest(File& file)
{
    const int32_t length = GetUnitBytesLeft();
    if (length < 0)
        return false;
    std::vector<uint8_t> bytes(static_cast<size_t>(length));
    if (length > 0 && !ReceiveData(bytes.data(), length))
        return false;
    file.CreateMemoryFile(length > 0 ? length : 1);
    file.Write(bytes.data(), bytes.size());
    file.Seek(0);
    return true;
}

// 0x0D00: units of u16 event type and the event's data (unit size less 2 bytes).
void GameNetworkNode::ReceiveDataBlock(const GamePacketHeader& header)
{
    if (header.unitSize < 2 || header.unitSize > 2 + kMaxWorldEventData) {
        Warning("World event of %i bytes dropped", header.unitSize);
        return;
    }
    ForEachUnit(header.unitSize, [&](ByteReader& in) {
        const uint16_t type = in.ReadU16();
        const size_t length = in.GetRemaining();
        HandleReceivedWorldEvent(type, std::span<const uint8_t>(in.ReadSpan(length), length));
    });
}

// The client takes the server's pick-ups; an item the server gave away vanishes here too, even
// when the picker is not known here.
void GameNetworkNode::HandleReceivedWorldEvent(uint16_t type, std::span<const uint8_t> data)
{
    if (LogsTraffic(1))
        Log::Write("NetRec: WorldEvent %i", type);
    if (type != WorldEventType::kPickup || data.size() < size_t(PickupRecord::kSize))
        return;
    WorldEvent event;
    SetEventPayload(event, type, data.data(), PickupRecord::kSize, m_GameTime);
    PickupRecord record;
    if (record.Read(event))
        ProcessPickupEvent(record, 1);
}

// 0x1600, one unit of free length: the object script variables 0 to 7 (i32 each), then the
// script's text as a String; what follows it is ignored.
void GameNetworkNode::ReceiveRunScript(const GamePacketHeader& header, uint32_t scriptFlags)
{
    ForEachUnit(header.unitSize, [&](ByteReader& in) {
        int32_t variables[kRunScriptVariables];
        for (int32_t& value : variables)
            value = in.ReadI32();
        const String text = GameValueCodec::ReadString(in);
        if (in.Failed()) {
            Warning("RunScript of %i bytes dropped", header.unitSize);
            return;
        }
        if (LogsTraffic(1))
            Log::Write("NetRec: RunScript %s", text.c_str());
        for (int32_t i = 0; i < kRunScriptVariables; ++i)
            SetObjScriptVariable(i, variables[i]);
        m_World.RunScript(text, nullptr, 1, 0, "net", 1, int32_t(scriptFlags));
    });
}

// 0x0E00, one unit of free length: ObjRef of the creature, i16 equipment position, then the item's
// state (u16 record version and its record). The item takes the creature's equipment place.
void GameNetworkNode::ReceiveSetEquipment(const GamePacketHeader& header)
{
    uint8_t head[kSetEquipmentHead];
    if (!ReceiveData(head, sizeof head)) {
        Warning("SetEquipment of %i bytes dropped", header.unitSize);
        return;
    }
    ByteReader in(head, sizeof head);
    const ObjRef ref = GameValueCodec::ReadObjRef(in);
    const int16_t position = in.ReadI16();
    File file;
    if (!ReceiveUnitRest(file) || file.GetRemaining() < 2)
        return;
    const uint16_t version = file.ReadInt16Member();
    if (LogsTraffic(1))
        Log::Write("NetRec: SetEquipment");
    auto* creature = dynamic_cast<CreatureObj*>(m_World.GetObjByIdentifier(ref));
    if (!creature || version < kOldestItemVersion || version > ItemBase::kRecordVersion)
        return;
    auto* equipment = static_cast<Inventory*>(creature->GetEquipmentEntry(position));
    if (!equipment)
        return;
    std::unique_ptr<ItemBase> item(CreateItem());
    item->Load(file, -1, 0);
    equipment->Clear(true);
    if (equipment->AddItem(item.get()) >= 0)
        item.release();  // the equipment's now (or merged into a stack there)
}
