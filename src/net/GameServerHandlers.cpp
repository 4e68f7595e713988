// GameServer: the clients' messages of the running game. The server is the authority on the
// world: it acts on what a player asks, passes it on to the other players where they must see it
// too, and refuses what a peer has no business sending: a message from a client that has not
// joined, units of another size than the message's, too many units, and any unit that would
// change a creature other than the sender's own character. Each refusal is one warning naming the
// client and the message; the frame goes on.
#include "net/GameServer.h"

#include "base/ByteReader.h"
#include "base/File.h"
#include "base/Log.h"
#include "game/objects/CreatureObj.h"
#include "game/objects/ItemBase.h"
#include "net/GameValueCodec.h"
#include "world/Inventory.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"
#include "world/WorldEvent.h"
#include "world/WorldEventPayloads.h"

#include <cmath>
#include <initializer_list>
#include <memory>
#include <vector>

namespace {

constexpr int32_t kRefValueSize = GameValueCodec::kObjRefSize + 4;  // ObjRef, then an i32 or f32
constexpr int32_t kObjectActionSize = 10;
constexpr int32_t kAnswerSize = 4;
constexpr uint16_t kReviveOwnInput = 1;

// Every unit of the creatures' messages begins with the creature's object ID (alone or as the
// first field of its ObjRef).
int32_t LeadingObjID(const uint8_t* unit) { return int32_t(ByteReader::DecodeU32(unit)); }

bool AllFinite(std::initializer_list<float> values)
{
    for (const float value : values)
        if (!std::isfinite(value))
            return false;
    return true;
}

// A chat unit: the sender's name and the text, UTF-16, each ended by a 0 unit inside the unit;
// the second 0 is the unit's last.
bool IsWellFormedChat(const uint8_t* unit, int32_t size)
{
    if (size < 4 || size % 2 != 0 || ByteReader::DecodeU16(unit + size - 2) != 0)
        return false;
    for (int32_t at = 0; at < size - 2; at += 2)
        if (ByteReader::DecodeU16(unit + at) == 0)
            return true;
    return false;
}

}  // namespace

bool GameServer::AcceptsWorldMessage(const GameClientInfo& client, const GamePacketHeader& header, int32_t unitSize)
{
    if (client.state < kClientJoined) {
        Warning("Client %i: message 0x%04X in state %i ignored", m_CurrentClient, header.id, client.state);
        return false;
    }
    if ((unitSize > 0 && header.unitSize != unitSize) || header.unitSize <= 0 || header.count > uint32_t(kMaxClientUnits)) {
        Warning("Client %i: message 0x%04X of %u units of %i bytes ignored", m_CurrentClient, header.id, header.count,
                header.unitSize);
        return false;
    }
    return true;
}

bool GameServer::IsOwnCharacter(uint16_t id, int32_t objID)
{
    const CreatureObj* own = GetClientCreature(m_CurrentClient);
    if (own && own->m_ObjID == objID)
        return true;
    ++m_ForeignUnitsRefused;
    Warning("Client %i: message 0x%04X for object %i, not its character: refused (%i so far)", m_CurrentClient, id,
            objID, m_ForeignUnitsRefused);
    return false;
}

int32_t GameServer::ReadOwnUnits(const GamePacketHeader& header, int32_t relayState, std::vector<uint8_t>& units)
{
    const size_t size = size_t(header.unitSize);
    std::vector<uint8_t> unit(size);
    int32_t kept = 0;
    while (ReceivePacketData(unit.data(), 1) == 1) {
        if (!IsOwnCharacter(header.id, LeadingObjID(unit.data())))
            continue;
        units.insert(units.end(), unit.begin(), unit.end());
        ++kept;
    }
    if (relayState > 0 && kept > 0) {
        SetSendTarget(int32_t(kExcludeFlag | uint32_t(m_CurrentClient)), relayState);
        RelayUnits(header.id, header.unitSize, units.data(), kept);
    }
    return kept;
}

// The units of a world-changing message of the current client, each read by the handler with
// its bytes at hand; unitSize 0 takes a message of free length.
template <class Handler>
void GameServer::ForEachClientUnit(const GameClientInfo& client, const GamePacketHeader& header, int32_t unitSize,
                                   Handler handler)
{
    if (!AcceptsWorldMessage(client, header, unitSize))
        return;
    std::vector<uint8_t> unit(size_t(header.unitSize));
    while (ReceivePacketData(unit.data(), 1) == 1) {
        ByteReader in(unit.data(), unit.size());
        handler(in, unit);
    }
}

// The same for the units of the sender's own character alone, after they went on to the others
// from relayState (0: not passed on).
template <class Handler>
void GameServer::ForEachOwnUnit(const GameClientInfo& client, const GamePacketHeader& header, int32_t unitSize,
                                int32_t relayState, Handler handler)
{
    if (!AcceptsWorldMessage(client, header, unitSize))
        return;
    std::vector<uint8_t> units;
    const int32_t kept = ReadOwnUnits(header, relayState, units);
    for (int32_t i = 0; i < kept; ++i) {
        ByteReader in(units.data() + size_t(i) * size_t(unitSize), size_t(unitSize));
        handler(in);
    }
}

bool GameServer::RelayUnits(uint16_t id, int32_t unitSize, const uint8_t* units, int32_t count)
{
    bool sent = true;
    for (int32_t i = 0; i < count && sent; ++i)
        sent = BeginPacketTCP(id, unitSize) && (unitSize == 0 || WriteData(units + size_t(i) * size_t(unitSize), unitSize, false));
    FinishPacket();
    return sent;
}

bool GameServer::RelayCurrentMessage(bool keep)
{
    const GamePacketHeader header = GetReceivedHeader();
    if (header.id == 0 || header.unitSize < 0)
        return false;
    const int32_t count = GetUnitsLeft();
    std::vector<uint8_t> units(size_t(count) * size_t(header.unitSize));
    if (ReceivePacketData(units.data(), count) != count)
        return false;
    const bool sent = RelayUnits(header.id, header.unitSize, units.data(), count);
    if (keep)
        RewindPacket();
    return sent;
}

// 0x0100: NetObjPos units of the sender's character, passed on to the others from state 6.
void GameServer::ReceiveClientPositions(const GameClientInfo& client, const GamePacketHeader& header)
{
    ForEachOwnUnit(client, header, NetObjPos::kSize, kClientLevelLoaded, [&](ByteReader& in) {
        const NetObjPos pos = GameValueCodec::ReadNetObjPos(in);
        WorldElem* elem = m_World.GetObjByIdentifier(pos.ref);
        if (elem && AllFinite({pos.x, pos.y, pos.angle}))
            ApplyPositionUpdate(*elem, pos, true);
    });
}

// 0x0200: every client from state 6 gets the well-formed units, the sender too; the server itself
// does nothing else with them.
void GameServer::ReceiveChat(const GamePacketHeader& header)
{
    if (header.unitSize <= 0 || header.count > uint32_t(kMaxClientUnits)) {
        Warning("Client %i: chat of %u units of %i bytes ignored", m_CurrentClient, header.count, header.unitSize);
        return;
    }
    const size_t size = size_t(header.unitSize);
    std::vector<uint8_t> unit(size), kept;
    int32_t count = 0;
    while (ReceivePacketData(unit.data(), 1) == 1) {
        if (!IsWellFormedChat(unit.data(), header.unitSize)) {
            Warning("Client %i: chat text not ended within its unit: dropped", m_CurrentClient);
            continue;
        }
        kept.insert(kept.end(), unit.begin(), unit.end());
        ++count;
    }
    SetSendTarget(-1, kClientLevelLoaded);
    RelayUnits(header.id, header.unitSize, kept.data(), count);
}

bool GameServer::SendChatLine(const wString& text)
{
    if (!IsListening())
        return GameNetworkNode::SendChatLine(text);
    SetSendTarget(-1, kClientLevelLoaded);
    return SendChatMessage(wString(), text);
}

// 0x0800 CreatureSetMovement, the 29-byte unit of the sender's character.
void GameServer::ReceiveCreatureSetMovement(const GameClientInfo& client, const GamePacketHeader& header)
{
    ForEachOwnUnit(client, header, kCreatureSetMovementSize, 0, [&](ByteReader& in) {
        const int32_t objID = in.ReadI32();
        const int32_t movement = in.ReadI32();
        const uint8_t controlFlag = in.ReadU8();
        const float x = in.ReadFloat(), y = in.ReadFloat(), speed = in.ReadFloat();
        const ObjRef target = GameValueCodec::ReadObjRef(in);
        auto* creature = dynamic_cast<CreatureObj*>(m_World.GetObjNoCheck(objID, false));
        if (!creature || !AllFinite({x, y, speed}))
            return;
        // The player's own input moves at priority 0: a lock the server set holds against it.
        creature->SetMoveType(movement, x, y, speed, m_World.GetObjByIdentifier(target), 0, 0.0f);
        creature->m_ControlFlag = controlFlag;
        if (LogsTraffic(2))
            Log::Write("NetRec: SetMovement: obj:%i, movement:%i", target.objID, movement);
    });
}

// 0x0801 CreatureSetRotVal: ObjRef of the sender's character, f32 its rotation value.
void GameServer::ReceiveCreatureSetRotVal(const GameClientInfo& client, const GamePacketHeader& header)
{
    ForEachOwnUnit(client, header, kRefValueSize, 0, [&](ByteReader& in) {
        const ObjRef ref = GameValueCodec::ReadObjRef(in);
        const float value = in.ReadFloat();
        if (auto* creature = dynamic_cast<CreatureObj*>(m_World.GetObjByIdentifier(ref)); creature && std::isfinite(value))
            creature->SetMoveSpeed(value);
    });
}

// 0x0C00, 10 bytes: i32 object ID, u16 action, f32 parameter.
void GameServer::ReceiveObjectAction(const GameClientInfo& client, const GamePacketHeader& header)
{
    ForEachClientUnit(client, header, kObjectActionSize, [&](ByteReader& in, const std::vector<uint8_t>&) {
        const int32_t objID = in.ReadI32();
        const uint16_t action = in.ReadU16();
        const float param = in.ReadFloat();
        if (LogsTraffic(1))
            Log::Write("NetRec: ObjectAction: obj:%i, action:%i, param:%i", objID, action,
                       std::isfinite(param) ? int32_t(param) : 0);
        if (WorldElem* elem = m_World.GetObjNoCheck(objID, false); elem && std::isfinite(param))
            ObjectAction(elem, action, param);
    });
}

// 0x1500 UseObject, 21 bytes: ObjRef3 of the used element, ObjRef of the user (object ID -1: none),
// u8 parameter. A use of what is gone, or by a user that is gone, is dropped unrelayed; otherwise
// the controller's own use runs, its changes going to the clients, and then the same unit.
void GameServer::ReceiveUseObject(const GameClientInfo& client, const GamePacketHeader& header)
{
    ForEachClientUnit(client, header, kUseObjectSize, [&](ByteReader& in, const std::vector<uint8_t>& unit) {
        const ObjRef3 used = GameValueCodec::ReadObjRef3(in);
        const ObjRef user = GameValueCodec::ReadObjRef(in);
        const uint8_t param = in.ReadU8();
        if (LogsTraffic(1))
            Log::Write("NetRec: UseObject %i", used.objID);
        auto* elem = dynamic_cast<WorldElem*>(m_World.GetObjByIdentifierChecked(used));
        if (!elem || (user.objID >= 0 && !m_World.GetObjByIdentifier(user)))
            return;
        ++m_WorldUpdateDepth;
        GameCtrl::UseObject(elem, user.objID, param);
        --m_WorldUpdateDepth;
        SetSendTarget(-1, kClientChecksumsSent);
        SendUnit(false, kMsgUseObject, unit.data(), kUseObjectSize, true);
        if (LogsTraffic(1))
            Log::Write("NetSend: UseObject %i", used.objID);
    });
}

// 0x1900 CreatureSetAction, free length: the 24-byte block (i32 object ID, i32 action, a 32-bit
// value passed on as it is, f32 parameter, ObjRef of the target), then the action's name.
void GameServer::ReceiveCreatureSetAction(const GameClientInfo& client, const GamePacketHeader& header)
{
    ForEachClientUnit(client, header, 0, [&](ByteReader& in, const std::vector<uint8_t>&) {
        const int32_t objID = in.ReadI32();
        const int32_t action = in.ReadI32();
        const int32_t value = in.ReadI32();
        const float param = in.ReadFloat();
        const ObjRef target = GameValueCodec::ReadObjRef(in);
        const String name = GameValueCodec::ReadString(in);
        if (in.Failed() || !std::isfinite(param)) {
            Warning("Client %i: CreatureSetAction cut short or out of range: dropped", m_CurrentClient);
            return;
        }
        if (!IsOwnCharacter(header.id, objID))
            return;
        CreatureAction(objID, action, name, m_World.GetObjByIdentifier(target), value, param);
        if (LogsTraffic(1))
            Log::Write("NetRec: SetAction: obj:%i, action:%i (%s)", objID, action, name.c_str());
    });
}

// 0x1300 DropItem, free length: ObjRef of the dropping creature, then the item's state (u16
// record version and its record) to the unit's end. The item is laid next to the sender's
// character and every client in the world learns of the new element.
void GameServer::ReceiveDropItem(const GameClientInfo& client, const GamePacketHeader& header)
{
    ForEachClientUnit(client, header, 0, [&](ByteReader& in, const std::vector<uint8_t>& unit) {
        const ObjRef ref = GameValueCodec::ReadObjRef(in);
        auto* creature = dynamic_cast<CreatureObj*>(m_World.GetObjByIdentifier(ref));
        if (!creature)
            Error("Network game out of sync. Invalid DropItem received");
        if (!IsOwnCharacter(header.id, ref.objID))
            return;
        ItemBase* item = LoadItemBlock(unit.data() + GameValueCodec::kObjRefSize,
                                       int32_t(unit.size()) - GameValueCodec::kObjRefSize, header.id);
        if (!item)
            return;
        const int32_t objID = GameCtrl::DropItem(item, nullptr, creature, 0.0f, 0.0f, 0.5f);  // takes the item
        WorldElem* dropped = objID >= 0 ? m_World.GetObjNoCheck(objID, false) : nullptr;
        if (!dropped)
            return;
        SetSendTarget(-1, kClientChecksumsSent);
        File state;
        state.CreateMemoryFile(kCharacterDataStep);
        WriteCharacterState(state, *dropped);
        SendAddObject(dropped, StateValueOf(*dropped), state.GetMemoryBuffer(), state.GetSize());
    });
}

ItemBase* GameServer::LoadItemBlock(const uint8_t* data, int32_t size, uint16_t id)
{
    if (size < 2) {
        Warning("Client %i: message 0x%04X without its item: dropped", m_CurrentClient, id);
        return nullptr;
    }
    File block;
    block.CreateMemoryFile(size);
    block.Write(data, size_t(size));
    block.Seek(0);
    const uint16_t version = block.ReadInt16Member();
    if (version < kOldestItemVersion || version > ItemBase::kRecordVersion) {
        Warning("Client %i: message 0x%04X with item data of version %i: dropped", m_CurrentClient, id, version);
        return nullptr;
    }
    std::unique_ptr<ItemBase> item(CreateItem());
    if (!item)
        return nullptr;
    try {  // a record that does not hold costs the message, not the client
        item->Load(block, -1, 0);
    } catch (const ErrorMsg& error) {
        Warning("Client %i: message 0x%04X with an item that cannot be read (%s): dropped", m_CurrentClient, id,
                error.message);
        return nullptr;
    }
    if (item->m_Count < 1) {
        Warning("Client %i: message 0x%04X with an item of %i units: dropped", m_CurrentClient, id, item->m_Count);
        return nullptr;
    }
    return item.release();
}

// 0x2300, ObjRef of the sender's character, which died on its client: passed on to the others in
// the world, then its death here.
void GameServer::ReceiveCreatureKilled(const GameClientInfo& client, const GamePacketHeader& header)
{
    ForEachOwnUnit(client, header, GameValueCodec::kObjRefSize, kClientChecksumsSent, [&](ByteReader& in) {
        const ObjRef ref = GameValueCodec::ReadObjRef(in);
        auto* creature = dynamic_cast<CreatureObj*>(m_World.GetObjByIdentifier(ref));
        if (creature && !creature->IsDead()) {
            creature->SetHealth(0.0f);
            creature->Die();
        }
        if (LogsTraffic(1))
            Log::Write("NetRec: creature killed:%i", ref.objID);
    });
}

// 0x2500, 4 bytes: i32 the answer.
void GameServer::ReceiveDialogAnswered(const GameClientInfo& client, const GamePacketHeader& header)
{
    ForEachClientUnit(client, header, kAnswerSize,
                      [&](ByteReader& in, const std::vector<uint8_t>&) { DialogAnswered(in.ReadI32()); });
}

// 0x2600, 12 bytes: ObjRef of the sender's character, i32 the mode of the input it goes to (1:
// the client's own input).
void GameServer::ReceiveReviveCreature(const GameClientInfo& client, const GamePacketHeader& header)
{
    ForEachOwnUnit(client, header, kRefValueSize, 0, [&](ByteReader& in) {
        const ObjRef ref = GameValueCodec::ReadObjRef(in);
        const int32_t mode = in.ReadI32();
        auto* creature = dynamic_cast<CreatureObj*>(m_World.GetObjByIdentifier(ref));
        if (!creature)
            return;
        const int32_t input = mode == kReviveOwnInput ? client.inputCtrlIndex : FindInputCtrlIndex(mode);
        if (input >= 0)
            GameCtrl::AttachCreatureToInput(creature, input);
        if (LogsTraffic(1))
            Log::Write("NetRec: revive creature:%i", ref.objID);
    });
}

// 0x4100, 12 bytes: ObjRef of the sender's character, i32 its new level; passed on to the
// joined clients but the sender. A message with a unit for another creature is dropped whole.
void GameServer::ReceiveServerCharLevelChange(const GameClientInfo& client, const GamePacketHeader& header)
{
    if (!AcceptsWorldMessage(client, header, kRefValueSize))
        return;
    std::vector<uint8_t> units;
    if (ReadOwnUnits(header, 0, units) != int32_t(header.count))
        return;
    RewindPacket();
    SetSendTarget(int32_t(kExcludeFlag | uint32_t(m_CurrentClient)), kClientJoined);
    RelayCurrentMessage(true);
    ReceiveCharLevelChange();
}

// 0x4200, 4 bytes: i32 the checkpoint.
void GameServer::ReceiveLoadCheckpoint(const GameClientInfo& client, const GamePacketHeader& header)
{
    ForEachClientUnit(client, header, kAnswerSize,
                      [&](ByteReader& in, const std::vector<uint8_t>&) { LoadCheckpoint(in.ReadI32()); });
}

// 0x0E00 SetEquipment, free length: ObjRef of the sender's character, i16 the equipment
// position, then the item's state to the unit's end. Only a unit whose item can be read goes on to
// the others in the world, before the server equips it.
void GameServer::ReceiveServerSetEquipment(const GameClientInfo& client, const GamePacketHeader& header)
{
    if (!AcceptsWorldMessage(client, header, 0))
        return;
    if (header.unitSize < kSetEquipmentHead + 2 || header.count != 1) {
        Warning("Client %i: SetEquipment of %u units of %i bytes ignored", m_CurrentClient, header.count, header.unitSize);
        return;
    }
    std::vector<uint8_t> unit(size_t(header.unitSize));
    if (ReceivePacketData(unit.data(), 1) != 1 || !IsOwnCharacter(header.id, LeadingObjID(unit.data())))
        return;
    std::unique_ptr<ItemBase> item(LoadItemBlock(unit.data() + kSetEquipmentHead, header.unitSize - kSetEquipmentHead, header.id));
    if (!item)
        return;
    RewindPacket();
    SetSendTarget(int32_t(kExcludeFlag | uint32_t(m_CurrentClient)), kClientChecksumsSent);
    RelayCurrentMessage(true);
    ReceiveSetEquipment(header);
}

// 0x1600 RunScript: a client's script would run here with every right of the server (ending the
// program, writing files, acting on the other players): the dedicated server runs none.
void GameServer::RefuseRunScript(const GameClientInfo& client)
{
    (void)client;
    Warning("Client %i: RunScript refused: the server runs no script of a client", m_CurrentClient);
}

// 0x0D00 data block, units of a u16 event type and the event's data. The server acts on pick-ups
// (type 5) alone; other events are the clients' own.
void GameServer::ReceiveServerWorldEvent(const GameClientInfo& client, const GamePacketHeader& header)
{
    if (AcceptsWorldMessage(client, header, 0))
        ReceiveDataBlock(header);
}

void GameServer::HandleReceivedWorldEvent(uint16_t type, std::span<const uint8_t> data)
{
    if (!IsListening()) {
        GameNetworkNode::HandleReceivedWorldEvent(type, data);
        return;
    }
    if (type != WorldEventType::kPickup)
        return;
    WorldEvent event;
    event.type = type;
    event.size = int32_t(data.size());
    event.payload = std::make_unique<uint8_t[]>(data.size());
    std::copy(data.begin(), data.end(), event.payload.get());
    HandlePickupEvent(event);
}

bool GameServer::HandlePickupEvent(const WorldEvent& event)
{
    PickupRecord record;
    if (!record.Read(event)) {
        Warning("Client %i: pick-up event cut short: dropped", m_CurrentClient);
        return false;
    }
    if (!IsOwnCharacter(kMsgWorldEvent, record.picker.objID))
        return false;
    WorldElem* element = m_World.GetObjByIdentifier(record.item);
    WorldElem* picker = m_World.GetObjByIdentifier(record.picker);
    if (!element || !element->m_LinkedItem || !picker)
        return false;
    const int32_t before = element->m_LinkedItem->m_Count;
    const int32_t room = picker->m_Inventory ? picker->m_Inventory->GetAddableCount(*element->m_LinkedItem) : 0;
    ProcessPickupEvent(record, 0);
    element = m_World.GetObjByIdentifier(record.item);
    const int32_t left = element && element->m_LinkedItem ? element->m_LinkedItem->m_Count : 0;
    if (left >= before) {
        if (room > 0)  // the inventory had room and took nothing: the game is out of step
            Error("Internal error: AddToInventory() failed");
        return false;  // no room: nobody is told
    }
    // The players take what the server took.
    record.amount = before - left;
    WorldEvent told;
    record.Write(told);
    SetSendTarget(-1, kClientChecksumsSent);
    SendWorldEvent(told);
    FinishPacket();
    return true;
}

void GameServer::ObjectAction(WorldElem* elem, uint16_t action, float param)
{
    (void)elem;
    (void)action;
    (void)param;
}

void GameServer::CreatureAction(int32_t objID, int32_t action, const String& name, WorldElem* target, int32_t value,
                                float param)
{
    auto* creature = dynamic_cast<CreatureObj*>(m_World.GetObjNoCheck(objID, false));
    if (!creature)
        return;
    if (creature->StartAction(action, name, target, value, param) < 1 && action == CreatureObj::kActionNone)
        creature->m_ActionRestart = 1;  // the next action starts even when it equals this one
    if (creature->IsMainCharacter())
        creature->SetLastEnemy(target);
}

void GameServer::DialogAnswered(int32_t answer) { Log::Write("NetRec: dialog answered %i", answer); }

void GameServer::LoadCheckpoint(int32_t checkpoint) { Log::Write("NetRec: load checkpoint:%i", checkpoint); }

bool GameServer::DispatchGameMessage(const GamePacketHeader& header, GameClientInfo& client)
{
    (void)header;
    (void)client;
    return false;
}
