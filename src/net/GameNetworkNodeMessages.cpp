// GameNetworkNode: the message catalogue that both sides write: chat, the join's messages, element
// deletions and additions, object actions, world events, items, use, scripts and the game flow.
// Each sender documents its unit; the creatures' senders are in GameNetworkNodeCreatures.cpp.
// Every unit is built whole and written in one piece, so that a write that fails takes back the
// whole unit and the packet around it stays well formed.
#include "net/GameNetworkNode.h"

#include "base/File.h"
#include "base/Log.h"
#include "game/objects/ItemBase.h"
#include "net/GameValueCodec.h"
#include "script/ScriptValue.h"
#include "world/WorldElem.h"
#include "world/WorldEvent.h"

#include <vector>

namespace {

// The item's state as its unit carries it: the u16 record version, then the item's save record.
std::vector<uint8_t> ItemBlock(InventoryItem& item)
{
    File block;
    block.CreateMemoryFile(1024);
    block.WriteInt16Value(uint16_t(ItemBase::kRecordVersion));
    item.Save(block, 0);
    const uint8_t* data = block.GetMemoryBuffer();
    return std::vector<uint8_t>(data, data + block.GetSize());
}

ObjRef RefOf(const WorldElem* elem)
{
    ObjRef ref;
    return ref.Set(elem);
}

}  // namespace

bool GameNetworkNode::SendUnit(bool onUDP, uint16_t id, const uint8_t* unit, int32_t size, bool flush)
{
    if (!BeginPacket(onUDP, id, size))
        return false;
    if (size == 0)
        return flush ? FinishPacket() : true;
    return WriteData(unit, size, flush);
}

bool GameNetworkNode::SendFreeUnit(uint16_t id, const uint8_t* unit, int32_t size, bool flush)
{
    return BeginPacketTCP(id, -1) && WriteData(unit, size, flush);
}

bool GameNetworkNode::SendEmpty(uint16_t id) { return SendUnit(false, id, nullptr, 0, true); }

// 0x0200, (len1 + len2) x 2 + 4 bytes, batched: the sender's name and the text, each UTF-16 with
// a 0 terminator; the unit size counts the units of both texts without their terminators.
bool GameNetworkNode::SendChatMessage(const wString& sender, const wString& text)
{
    const int32_t size = (sender.TextLength() + text.TextLength()) * 2 + 4;
    std::vector<uint8_t> unit(static_cast<size_t>(size));
    ByteWriter out(unit.data(), unit.size());
    GameValueCodec::WriteWideTerminated(out, sender);
    GameValueCodec::WriteWideTerminated(out, text);
    if (LogsTraffic(1))
        Log::Write("NetSend: chat msg: %s", String(text).c_str());
    return SendUnit(false, kMsgChat, unit.data(), size, false);
}

// 0x0300 PlayerInfo, one unit of free length, a packet of its own:
//    0  u16       protocol version 0x0100
//    2  char[128] configuration ID of the player's character (at most 127 characters, 0-filled)
//  130  u16[64]   player name, UTF-16 (at most 63 units, 0-filled)
//  258  u8        1: the game's extra block follows in the same unit (its length: the unit's
//                 size less 259)
bool GameNetworkNode::SendPlayerInfo()
{
    if (m_ConnectionState != eConnected)
        return false;
    uint8_t unit[kPlayerInfoSize];
    ByteWriter out(unit, sizeof unit);
    const bool extra = WriteExtraPlayerInfo(true);
    out.WriteU16(kProtocolVersion);
    GameValueCodec::WriteCharFixed(out, GetPlayerCharacterID(), kConfigIDField);
    GameValueCodec::WriteWideFixed(out, m_PlayerName, kPlayerNameField);
    out.WriteU8(extra ? 1 : 0);
    if (LogsTraffic(1))
        Log::Write("NetSend: PlayerInfo name:%s, cfgID:%s", String(m_PlayerName).c_str(), GetPlayerCharacterID().c_str());
    if (!SendFreeUnit(kMsgPlayerInfo, unit, kPlayerInfoSize, false))
        return false;
    if (extra)
        WriteExtraPlayerInfo(false);
    return FinishPacket();
}

// 0x0600 AddObject, one unit of free length, flushed:
//    0  NetObjPos  the object's place (18 bytes)
//   18  char[128]  its configuration ID (at most 127 characters, 0-filled)
//  146  u32        a value the receiver keeps in the object unchanged
//  150  u8         1: the object's network state follows and fills the rest of the unit
bool GameNetworkNode::SendAddObject(WorldElem* elem, uint32_t value, const uint8_t* body, int32_t bodySize)
{
    if (!elem || bodySize < 0)
        return false;
    std::vector<uint8_t> unit(size_t(kAddObjectHead + (body ? bodySize : 0)));
    ByteWriter out(unit.data(), unit.size());
    NetObjPos pos;
    pos.ref.Set(elem);
    pos.x = elem->GetPos().x;
    pos.y = elem->GetPos().y;
    pos.angle = elem->GetOwnAngle();
    GameValueCodec::WriteNetObjPos(out, pos);
    GameValueCodec::WriteCharFixed(out, elem->m_CfgID, kConfigIDField);
    out.WriteU32(value);
    out.WriteU8(body ? 1 : 0);
    if (body)
        out.WriteBytes(body, size_t(bodySize));
    return SendFreeUnit(kMsgAddObject, unit.data(), int32_t(unit.size()), true);
}

// 0x0B00: n zero bytes in one unit, batched; the server ignores it.
bool GameNetworkNode::SendDummyData(int32_t n, bool onUDP)
{
    if (n < 0)
        return false;
    const std::vector<uint8_t> zeros(size_t(n), 0);
    return SendUnit(onUDP, kMsgDummyData, zeros.data(), n, false);
}

// 0x0701: no units, flushed; the server makes this client its host.
bool GameNetworkNode::SendSetHostingChar()
{
    if (LogsTraffic(1))
        Log::Write("NetSend: Set hosting char");
    return SendEmpty(kMsgSetHostingChar);
}

bool GameNetworkNode::SendLevelLoaded() { return SendEmpty(kMsgLevelLoaded); }  // 0x0500: no units

// 0x0A00, 14 bytes, batched: ObjRef3 of the element, u8 remove flag, u8 1 when it answers a sync
// request of the receiver.
bool GameNetworkNode::SendDeleteObject(const ObjRef3& ref, bool remove, bool answersSyncRequest)
{
    uint8_t unit[14];
    ByteWriter out(unit, sizeof unit);
    GameValueCodec::WriteObjRef3(out, ref);
    out.WriteU8(remove ? 1 : 0);
    out.WriteU8(answersSyncRequest ? 1 : 0);
    if (LogsTraffic(1))
        Log::Write("NetSend: delete objID %i", ref.objID);
    return SendUnit(false, kMsgDeleteObject, unit, sizeof unit, false);
}

// 0x0C00, 10 bytes, batched: i32 object ID, u16 action, f32 parameter.
bool GameNetworkNode::SendObjectAction(int32_t objID, uint16_t action, float param)
{
    uint8_t unit[10];
    ByteWriter out(unit, sizeof unit);
    out.WriteU32(uint32_t(objID));
    out.WriteU16(action);
    out.WriteFloat(param);
    if (LogsTraffic(1))
        Log::Write("NetSend: object action: objID:%i fParam1:%i", objID, int32_t(param));
    return SendUnit(false, kMsgObjectAction, unit, sizeof unit, false);
}

// 0x0D00, length + 2 bytes, batched: u16 world event type, then the event's data.
bool GameNetworkNode::SendWorldEvent(const WorldEvent& event)
{
    const int32_t length = event.payload ? event.size : 0;
    std::vector<uint8_t> unit(size_t(length) + 2);
    ByteWriter out(unit.data(), unit.size());
    out.WriteU16(event.type);
    out.WriteBytes(event.payload.get(), size_t(length));
    return SendUnit(false, kMsgWorldEvent, unit.data(), int32_t(unit.size()), false);
}

// 0x0E00 SetEquipment, one unit of free length, a packet of its own: ObjRef of the creature,
// i16 equipment position, then the item's state (u16 record version 275 and its record).
bool GameNetworkNode::SendSetEquipment(WorldElem* creature, int16_t position, InventoryItem* item)
{
    if (!creature || !item)
        return false;
    const std::vector<uint8_t> block = ItemBlock(*item);
    std::vector<uint8_t> unit(10 + block.size());
    ByteWriter out(unit.data(), unit.size());
    GameValueCodec::WriteObjRef(out, RefOf(creature));
    out.WriteU16(uint16_t(position));
    out.WriteBytes(block.data(), block.size());
    if (LogsTraffic(1))
        Log::Write("NetSend: SetEquipment");
    return SendFreeUnit(kMsgSetEquipment, unit.data(), int32_t(unit.size()), false);
}

// 0x1000, 13 bytes, batched: u8 flags (bit 0: the element is missing here, else its checksum
// differs), ObjRef3 of the element.
bool GameNetworkNode::SendSyncRequest(uint8_t flags, const ObjRef3& ref)
{
    uint8_t unit[13];
    ByteWriter out(unit, sizeof unit);
    out.WriteU8(flags);
    GameValueCodec::WriteObjRef3(out, ref);
    return SendUnit(false, kMsgSyncRequest, unit, sizeof unit, false);
}

bool GameNetworkNode::SendSyncRequestsDone() { return SendEmpty(kMsgSyncRequestsDone); }  // 0x1001: no units

bool GameNetworkNode::SendLevelSynced() { return SendEmpty(kMsgLevelSynced); }  // 0x1200: no units

// 0x1300 DropItem, one unit of free length, flushed: ObjRef of the dropping creature, then the
// item's state (u16 record version 275 and its record), which fills the rest of the unit.
bool GameNetworkNode::SendDropItem(WorldElem* creature, InventoryItem* item)
{
    if (!item)
        return false;
    const std::vector<uint8_t> block = ItemBlock(*item);
    std::vector<uint8_t> unit(GameValueCodec::kObjRefSize + block.size());
    ByteWriter out(unit.data(), unit.size());
    GameValueCodec::WriteObjRef(out, RefOf(creature));
    out.WriteBytes(block.data(), block.size());
    return SendFreeUnit(kMsgDropItem, unit.data(), int32_t(unit.size()), true);
}

// 0x1500, 21 bytes, batched and flushed: ObjRef3 of the used element, ObjRef of the user, u8
// parameter.
bool GameNetworkNode::SendUseObject(WorldElem* elem, const ObjRef& user, uint8_t param)
{
    if (!elem)
        return false;
    uint8_t unit[kUseObjectSize];
    ByteWriter out(unit, sizeof unit);
    GameValueCodec::WriteObjRef3(out, ObjRef3(elem));
    GameValueCodec::WriteObjRef(out, user);
    out.WriteU8(param);
    if (LogsTraffic(1))
        Log::Write("NetSend: UseObject %i", elem->m_ObjID);
    return SendUnit(false, kMsgUseObject, unit, sizeof unit, true);
}

// 0x1600 RunScript, one unit of free length, flushed: the object script variables 0 to 7 (i32
// each), then the script text as a String.
bool GameNetworkNode::SendRunScript(const char* text)
{
    const String script(text ? text : "");
    std::vector<uint8_t> unit(size_t(kRunScriptVariables * 4 + GameValueCodec::StringSize(script)));
    ByteWriter out(unit.data(), unit.size());
    for (int32_t i = 0; i < kRunScriptVariables; i++)
        out.WriteU32(uint32_t(GetObjScriptVariable(i)));
    GameValueCodec::WriteString(out, script);
    if (LogsTraffic(1))
        Log::Write("NetSend: RunScript %s", script.c_str());
    return SendFreeUnit(kMsgRunScript, unit.data(), int32_t(unit.size()), true);
}

// 0x1700 RunScriptFunction, one unit of free length, flushed: the function's name as a String;
// the 21-byte block (ObjRef3 of the subject element, f64 game time of the call, u8 1: run however
// old the call is); then one script value per argument (their count is not written).
bool GameNetworkNode::SendRunScriptFunction(const char* name, const ScriptValue* arguments, int32_t count,
                                            WorldElem* subject, uint8_t runAlways)
{
    const String function(name ? name : "");
    if (count < 0 || (count > 0 && !arguments))
        return false;
    size_t size = size_t(GameValueCodec::StringSize(function) + kRunScriptFunctionBlock);
    for (int32_t i = 0; i < count; i++)
        size += size_t(GameValueCodec::ScriptValueSize(arguments[i]));
    std::vector<uint8_t> unit(size);
    ByteWriter out(unit.data(), unit.size());
    GameValueCodec::WriteString(out, function);
    GameValueCodec::WriteObjRef3(out, ObjRef3(subject));
    out.WriteDouble(GetGameTime());
    out.WriteU8(runAlways);
    for (int32_t i = 0; i < count; i++)
        GameValueCodec::WriteScriptValue(out, arguments[i]);
    if (LogsTraffic(1))
        Log::Write("NetSend: RunScriptFunction %s", function.c_str());
    return SendFreeUnit(kMsgRunScriptFunction, unit.data(), int32_t(unit.size()), true);
}

// 0x1800, 13 bytes, batched: ObjRef3 of the wall (kind 7), u8 1 when it answers a sync request.
bool GameNetworkNode::SendDeleteWall(const ObjRef3& ref, bool answersSyncRequest)
{
    uint8_t unit[13];
    ByteWriter out(unit, sizeof unit);
    GameValueCodec::WriteObjRef3(out, ref);
    out.WriteU8(answersSyncRequest ? 1 : 0);
    if (LogsTraffic(1))
        Log::Write("NetSend: delete wall ID %i", ref.objID);
    return SendUnit(false, kMsgDeleteWall, unit, sizeof unit, false);
}

// 0x2500, 4 bytes, batched and flushed: i32 answer.
bool GameNetworkNode::SendDialogAnswered(int32_t answer)
{
    uint8_t unit[4];
    ByteWriter::EncodeU32(unit, uint32_t(answer));
    if (LogsTraffic(1))
        Log::Write("NetSend: dialog answered %i", answer);
    return SendUnit(false, kMsgDialogAnswered, unit, sizeof unit, true);
}

// 0x4200, 4 bytes, batched and flushed: i32 checkpoint.
bool GameNetworkNode::SendLoadCheckpoint(int32_t checkpoint)
{
    uint8_t unit[4];
    ByteWriter::EncodeU32(unit, uint32_t(checkpoint));
    if (LogsTraffic(1))
        Log::Write("NetSend: load checkpoint %i", checkpoint);
    return SendUnit(false, kMsgLoadCheckpoint, unit, sizeof unit, true);
}

// 0x4300: no units, flushed.
bool GameNetworkNode::SendRestartLevel()
{
    if (LogsTraffic(1))
        Log::Write("NetSend: restart level");
    return SendEmpty(kMsgRestartLevel);
}
