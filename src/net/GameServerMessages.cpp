// GameServer: the game messages only the server writes: level loading, the main character, the
// game's basics, actions, experience, pick-ups, mana, saving, the server's information, current
// actions and blood. Each sender sets its routing first; what it answers is whether its unit was
// written.
#include "net/GameServer.h"

#include "base/ByteReader.h"
#include "base/Log.h"
#include "base/Math.h"
#include "game/objects/CreatureObj.h"
#include "net/GameValueCodec.h"
#include "world/WorldElem.h"

#include <vector>

namespace {

constexpr int32_t kLevelNameField = 128;

ObjRef RefOf(const WorldElem* elem)
{
    ObjRef ref;
    ref.Set(elem);
    return ref;
}

}  // namespace

// 0x0400, 144 bytes, flushed: char[128] level file name (at most 127 characters, 0-filled); u32
// random seed; f64 game time the level was entered; i32 difficulty. The client goes to state 5.
bool GameServer::SendLoadLevelRequest(int32_t slot, const String& levelName, uint32_t seed, double enteredAt)
{
    SetSendTarget(slot, kClientNew + 1);
    uint8_t unit[kLoadLevelRequestSize];
    ByteWriter out(unit, sizeof unit);
    GameValueCodec::WriteCharFixed(out, levelName, kLevelNameField);
    out.WriteU32(seed);
    out.WriteDouble(enteredAt);
    out.WriteU32(uint32_t(GetDifficulty()));
    if (LogsTraffic(1))
        Log::Write("NetSend: LoadLevelRequest %s", levelName.c_str());
    if (!SendUnit(false, kMsgLoadLevelRequest, unit, sizeof unit, true))
        return false;
    if (GameClientInfo* client = m_Clients.GetBySlot(slot))
        client->state = kClientLoadRequested;
    return true;
}

// 0x0700, 22 bytes, flushed: the character's place (NetObjPos), u32 its state value (the party,
// as its short state carries it). The client is in the game from then on (state 10).
bool GameServer::SendSetMainChar(int32_t slot)
{
    CreatureObj* creature = GetClientCreature(slot);
    if (!creature)
        return false;
    SetSendTarget(slot, kClientLevelLoaded);
    uint8_t unit[kSetMainCharSize];
    ByteWriter out(unit, sizeof unit);
    NetObjPos pos;
    pos.ref = RefOf(creature);
    pos.x = creature->GetPos().x;
    pos.y = creature->GetPos().y;
    pos.angle = creature->GetOwnAngle();
    GameValueCodec::WriteNetObjPos(out, pos);
    out.WriteU32(StateValueOf(*creature));
    if (!SendUnit(false, kMsgSetMainChar, unit, sizeof unit, true))
        return false;
    if (LogsTraffic(1))
        Log::Write("NetSend: SetMainChar to objID: %i (client:%i)", creature->m_ObjID, slot);
    m_Clients.GetBySlot(slot)->state = kClientJoined;
    return true;
}

// 0x1400, 10 bytes, flushed: f64 game time; u16 difficulty (read back as signed).
bool GameServer::SendGameBasics(int32_t slot)
{
    SetSendTarget(slot, kClientLevelLoaded);
    uint8_t unit[kGameBasicsSize];
    ByteWriter out(unit, sizeof unit);
    out.WriteDouble(GetGameTime());
    out.WriteU16(uint16_t(GetDifficulty()));
    if (LogsTraffic(1))
        Log::Write("NetSend: GameBasics");
    return SendUnit(false, kMsgGameBasics, unit, sizeof unit, true);
}

// The action's name (u32 length, characters), then the block: one unit of free length, flushed,
// to every client from state 9.
bool GameServer::SendActionBlock(uint16_t id, const String& action, const uint8_t* block, int32_t size)
{
    SetSendTarget(-1, kClientSynced);
    std::vector<uint8_t> unit(size_t(GameValueCodec::StringSize(action) + size));
    ByteWriter out(unit.data(), unit.size());
    GameValueCodec::WriteString(out, action);
    out.WriteBytes(block, size_t(size));
    return BeginPacketUDP(id, -1) && WriteData(unit.data(), int32_t(unit.size()), true);
}

// 0x2001: the action's name, then 24 bytes: ObjRef of the creature; u32 the action's value; f32
// game time; f32 x, y of the target point (0.0, 0.0 without one).
bool GameServer::SendPerformActionShot(const WorldElem* creature, const String& action, uint32_t value,
                                       const D3DXVECTOR2* target)
{
    uint8_t block[kActionShotBlock];
    ByteWriter out(block, sizeof block);
    GameValueCodec::WriteObjRef(out, RefOf(creature));
    out.WriteU32(value);
    out.WriteFloat(float(GetGameTime()));
    out.WriteFloat(target ? target->x : 0.0f);
    out.WriteFloat(target ? target->y : 0.0f);
    return SendActionBlock(kMsgPerformActionShot, action, block, sizeof block);
}

// 0x2003: the action's name, then 20 bytes: ObjRef of the creature; u32 the action's value; f32
// game time; u32 the effect's third argument.
bool GameServer::SendPerformActionEffect(const WorldElem* creature, const String& action, uint32_t value,
                                         uint32_t argument)
{
    uint8_t block[kActionEffectBlock];
    ByteWriter out(block, sizeof block);
    GameValueCodec::WriteObjRef(out, RefOf(creature));
    out.WriteU32(value);
    out.WriteFloat(float(GetGameTime()));
    out.WriteU32(argument);
    return SendActionBlock(kMsgPerformActionEffect, action, block, sizeof block);
}

// 0x2400, 12 bytes, batched: ObjRef of the client's character; f32 experience.
bool GameServer::SendGainXp(int32_t slot, float amount)
{
    SetSendTarget(slot, kClientJoined);
    uint8_t unit[12];
    ByteWriter out(unit, sizeof unit);
    GameValueCodec::WriteObjRef(out, RefOf(GetClientCreature(slot)));
    out.WriteFloat(amount);
    if (LogsTraffic(1))
        Log::Write("NetSend: Gain %i XP", RoundFloatToInt(amount));
    return SendUnit(false, kMsgGainXp, unit, sizeof unit, false);
}

bool GameServer::TargetClientOf(const CreatureObj* creature)
{
    const int32_t slot = FindClientOfCreature(creature);
    if (slot < 0)
        return false;
    SetSendTarget(slot, kClientJoined);
    return true;
}

// 0x2700, 16 bytes, flushed, to the creature's client: ObjRef of its creature, ObjRef of the item.
bool GameServer::SendPickUp(const CreatureObj* creature, const WorldElem* item)
{
    if (!TargetClientOf(creature))
        return false;
    uint8_t unit[16];
    ByteWriter out(unit, sizeof unit);
    GameValueCodec::WriteObjRef(out, RefOf(creature));
    GameValueCodec::WriteObjRef(out, RefOf(item));
    return SendUnit(false, kMsgPickUp, unit, sizeof unit, true);
}

// 0x2900, 12 bytes, flushed, to the creature's client: ObjRef of the creature; f32 mana.
bool GameServer::SendSubtractMana(const CreatureObj* creature, float amount)
{
    if (!TargetClientOf(creature))
        return false;
    uint8_t unit[12];
    ByteWriter out(unit, sizeof unit);
    GameValueCodec::WriteObjRef(out, RefOf(creature));
    out.WriteFloat(amount);
    if (LogsTraffic(1))
        Log::Write("NetSend: Subtract Mana: %.1f", double(amount));
    return SendUnit(false, kMsgSubtractMana, unit, sizeof unit, true);
}

// 0x3000, one empty unit, flushed: every joined client saves its character.
bool GameServer::SendSaveCharacter()
{
    SetSendTarget(-1, kClientJoined);
    return SendEmpty(kMsgSaveCharacter);
}

// 0x4000, 12 bytes, flushed: u32 server version 256; f32 minimum and maximum frame rate.
bool GameServer::SendServerInfo(int32_t slot)
{
    SetSendTarget(slot, kClientNew + 1);
    const TimingInfo timing = GetTimingInfo();
    uint8_t unit[12];
    ByteWriter out(unit, sizeof unit);
    out.WriteU32(timing.value);
    out.WriteFloat(timing.minFPS);
    out.WriteFloat(timing.maxFPS);
    if (LogsTraffic(1))
        Log::Write("NetSend: ServerInfo");
    return SendUnit(false, kMsgServerInfo, unit, sizeof unit, true);
}

// 0x4400, one unit of free length, flushed, to every joined client: u32 object ID of the
// creature; the name of its current action (u32 length, characters; empty without one).
bool GameServer::SendCurrentAction(const WorldElem* creature, const String& action)
{
    if (!creature)
        return false;
    SetSendTarget(-1, kClientJoined);
    std::vector<uint8_t> unit(size_t(4 + GameValueCodec::StringSize(action)));
    ByteWriter out(unit.data(), unit.size());
    out.WriteU32(uint32_t(creature->m_ObjID));
    GameValueCodec::WriteString(out, action);
    if (LogsTraffic(1))
        Log::Write("NetSend: creature %i cur action:%s", creature->m_ObjID, action.c_str());
    return SendFreeUnit(kMsgCurrentAction, unit.data(), int32_t(unit.size()), true);
}

uint8_t GameServer::BloodIntensityByte(float intensity)
{
    const int32_t value = RoundFloatToInt(intensity * 255.0f);
    return uint8_t(value < 0 ? 0 : value > 255 ? 255 : value);
}

// 0x4500 over UDP, 5 bytes, batched, to one joined client near the creature: u32 object ID; u8
// intensity 0 to 255.
bool GameServer::SendBloodEffect(int32_t slot, const WorldElem* creature, float intensity)
{
    if (!creature)
        return false;
    SetSendTarget(slot, kClientJoined);
    uint8_t unit[5];
    ByteWriter out(unit, sizeof unit);
    out.WriteU32(uint32_t(creature->m_ObjID));
    out.WriteU8(BloodIntensityByte(intensity));
    return SendUnit(true, kMsgBloodEffect, unit, sizeof unit, false);
}
