// GameNetworkNode: the senders of the catalogue that carry creatures and moving elements: position
// updates against the last-sent place of a client slot, animation cycles against the last-sent
// cycles, the movement, rotation value and action of a creature controlled here, and health,
// death, revival and character levels.
#include "net/GameNetworkNode.h"

#include "base/Log.h"
#include "game/objects/CreatureObj.h"
#include "level/Angle.h"
#include "net/GameValueCodec.h"
#include "world/WorldElem.h"

#include <algorithm>
#include <cmath>

namespace {

// A unit of an ObjRef and a 32-bit value (an integer or a float), the shape of several messages.
struct RefValueUnit {
    uint8_t bytes[12];
    ByteWriter out{bytes, sizeof bytes};

    explicit RefValueUnit(const WorldElem* elem)
    {
        ObjRef ref;
        GameValueCodec::WriteObjRef(out, ref.Set(elem));
    }
    RefValueUnit(const WorldElem* elem, int32_t value) : RefValueUnit(elem) { out.WriteU32(uint32_t(value)); }
    RefValueUnit(const WorldElem* elem, float value) : RefValueUnit(elem) { out.WriteFloat(value); }
};

}  // namespace

// 0x0100, 18 bytes, over UDP, batched: the element's NetObjPos.
bool GameNetworkNode::SendPositionUpdate(WorldElem* elem, int32_t slot)
{
    if (!elem)
        return false;
    slot = std::clamp(slot, 0, WorldElem::kNetSlots - 1);
    const D3DXVECTOR2 pos = elem->GetPos();
    const float angle = elem->GetOwnAngle();
    float* last = elem->m_LastSentPos[slot];
    const float dx = pos.x - last[0];
    const float dy = pos.y - last[1];
    const bool moved = std::sqrt(dx * dx + dy * dy) > m_PositionTolerance;
    if (!moved && Angle::Distance(angle, elem->m_LastSentAngle[slot]) <= m_AngleTolerance)
        return false;
    NetObjPos unit;
    unit.ref.Set(elem);
    unit.x = pos.x;
    unit.y = pos.y;
    unit.angle = angle;
    uint8_t bytes[NetObjPos::kSize];
    ByteWriter out(bytes, sizeof bytes);
    GameValueCodec::WriteNetObjPos(out, unit);
    if (!SendUnit(true, kMsgPosition, bytes, sizeof bytes, false))
        return false;
    last[0] = pos.x;
    last[1] = pos.y;
    elem->m_LastSentAngle[slot] = angle;
    if (LogsTraffic(2))
        Log::Write("NetSend: pos update: objID:%i pos:%i/%i", elem->m_ObjID, int32_t(pos.x), int32_t(pos.y));
    return true;
}

// 0x0900, 12 bytes, batched per channel: the animation-cycle unit.
bool GameNetworkNode::SendAnicycle(const AnicycleUnit& unit, bool onUDP)
{
    uint8_t bytes[AnicycleUnit::kSize];
    ByteWriter out(bytes, sizeof bytes);
    GameValueCodec::WriteAnicycleUnit(out, unit);
    if (!SendUnit(onUDP, kMsgAnicycle, bytes, AnicycleUnit::kSize, false))
        return false;
    if (LogsTraffic(2))
        Log::Write("NetSend: anicycle update: objID:%i move:%i action:%i", unit.objID,
                   AnicycleUnit::CycleID(unit.moveCycle), AnicycleUnit::CycleID(unit.actionCycle));
    return true;
}

bool GameNetworkNode::SendAnicycleUpdate(CreatureObj* creature, bool force)
{
    if (!creature)
        return false;
    AC_FadeProperties& move = creature->m_CyclePlayers[0];
    AC_FadeProperties& action = creature->m_CyclePlayers[1];
    const uint16_t sent[4] = {move.sentCycleWord, move.sentSpeedWord, action.sentCycleWord, action.sentSpeedWord};
    AnicycleUnit unit;
    unit.objID = creature->m_ObjID;
    const bool moveChanged = move.GetStateChange(unit.moveCycle, unit.moveValue);
    const bool actionChanged = action.GetStateChange(unit.actionCycle, unit.actionValue);
    if (!moveChanged && !actionChanged && !force)
        return false;
    if (SendAnicycle(unit, !force))
        return true;
    // Not sent: the cycles last sent stay what the peer has.
    move.sentCycleWord = sent[0];
    move.sentSpeedWord = sent[1];
    action.sentCycleWord = sent[2];
    action.sentSpeedWord = sent[3];
    return false;
}

// 0x0800 CreatureSetMovement, 29 bytes, batched:
//    0  i32  object ID of the creature     4  i32  movement code
//    8  u8   the creature's control flag
//    9  f32  x   13  f32  y   17  f32  speed  (the movement's three values)
//   21  ObjRef of the target element
bool GameNetworkNode::SendCreatureSetMovement(WorldElem* creature, int32_t code, float x, float y, float speed,
                                              WorldElem* target)
{
    auto* c = dynamic_cast<CreatureObj*>(creature);
    if (!c)
        return false;
    uint8_t unit[kCreatureSetMovementSize];
    ByteWriter out(unit, sizeof unit);
    out.WriteU32(uint32_t(c->m_ObjID));
    out.WriteU32(uint32_t(code));
    out.WriteU8(c->m_ControlFlag);
    out.WriteFloat(x);
    out.WriteFloat(y);
    out.WriteFloat(speed);
    ObjRef ref;
    GameValueCodec::WriteObjRef(out, ref.Set(target));
    if (LogsTraffic(2))
        Log::Write("NetSend: CreatureSetMovement objID:%i, moveID:%i", c->m_ObjID, code);
    return SendUnit(false, kMsgCreatureSetMovement, unit, sizeof unit, false);
}

// 0x0801, 12 bytes, batched: ObjRef of the creature, f32 rotation value.
bool GameNetworkNode::SendCreatureSetRotVal(WorldElem* creature, float value)
{
    if (!creature)
        return false;
    const RefValueUnit unit(creature, value);
    if (LogsTraffic(1))
        Log::Write("NetSend: CreatureSetRotVal objID:%i", creature->m_ObjID);
    return SendUnit(false, kMsgCreatureSetRotVal, unit.bytes, sizeof unit.bytes, false);
}

// 0x1900 CreatureSetAction, one unit of free length, flushed: the 24-byte block
//    0  i32  object ID of the creature     4  i32  action code
//    8  i32  action priority              12  f32  action parameter
//   16  ObjRef of the target element
// then the action's name as a String.
bool GameNetworkNode::SendCreatureSetAction(WorldElem* creature, int32_t code, const char* name, WorldElem* target,
                                            int32_t priority, float param)
{
    if (!creature)
        return false;
    const String action(name ? name : "");
    std::vector<uint8_t> unit(size_t(kCreatureSetActionBlock + GameValueCodec::StringSize(action)));
    ByteWriter out(unit.data(), unit.size());
    out.WriteU32(uint32_t(creature->m_ObjID));
    out.WriteU32(uint32_t(code));
    out.WriteU32(uint32_t(priority));
    out.WriteFloat(param);
    ObjRef ref;
    GameValueCodec::WriteObjRef(out, ref.Set(target));
    GameValueCodec::WriteString(out, action);
    if (LogsTraffic(1))
        Log::Write("NetSend: CreatureSetAction objID:%i, actionID:%i (%s)", creature->m_ObjID, code, action.c_str());
    return SendFreeUnit(kMsgCreatureSetAction, unit.data(), int32_t(unit.size()), true);
}

// 0x2100, 12 bytes, batched: ObjRef of the creature, f32 health.
bool GameNetworkNode::SendSetHealth(WorldElem* creature, float health)
{
    if (!creature)
        return false;
    const RefValueUnit unit(creature, health);
    if (LogsTraffic(1))
        Log::Write("NetSend: SetHealth: creature %i, health: %.1f", creature->m_ObjID, double(health));
    return SendUnit(false, kMsgSetHealth, unit.bytes, sizeof unit.bytes, false);
}

// 0x2300, 8 bytes, batched: ObjRef of the creature.
bool GameNetworkNode::SendCreatureKilled(WorldElem* creature)
{
    if (!creature)
        return false;
    uint8_t unit[GameValueCodec::kObjRefSize];
    ByteWriter out(unit, sizeof unit);
    ObjRef ref;
    GameValueCodec::WriteObjRef(out, ref.Set(creature));
    if (LogsTraffic(1))
        Log::Write("NetSend: creature killed:%i", creature->m_ObjID);
    return SendUnit(false, kMsgCreatureKilled, unit, sizeof unit, false);
}

// 0x2600, 12 bytes, batched: ObjRef of the creature, i32 the mode of its input controller (the
// receiver acts only on 1, the local player's).
bool GameNetworkNode::SendReviveCreature(WorldElem* creature, int32_t value)
{
    if (!creature)
        return false;
    const RefValueUnit unit(creature, value);
    if (LogsTraffic(1))
        Log::Write("NetSend: revive creature:%i", creature->m_ObjID);
    return SendUnit(false, kMsgReviveCreature, unit.bytes, sizeof unit.bytes, false);
}

// 0x4100, 12 bytes, batched: ObjRef of the creature, i32 its new character level.
bool GameNetworkNode::SendCharLevelChange(WorldElem* creature, int32_t level)
{
    if (!creature)
        return false;
    const RefValueUnit unit(creature, level);
    if (LogsTraffic(1))
        Log::Write("NetSend: char level change to %i (creature:%i)", level, creature->m_ObjID);
    return SendUnit(false, kMsgCharLevelChange, unit.bytes, sizeof unit.bytes, false);
}
