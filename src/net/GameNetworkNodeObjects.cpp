// GameNetworkNode: received object data: an animation-cycle unit or a creature's sync record
// applied to a creature, and a received object ID made an element's own.
#include "net/GameNetworkNode.h"

#include "base/ByteReader.h"
#include "base/Log.h"
#include "game/objects/CreatureObj.h"
#include "game/objects/CreatureSyncData.h"
#include "game/objects/PackedFloat16.h"
#include "net/GameValueCodec.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

namespace {

// Channel 0 movement, 1 action. With restart a channel left without a cycle starts its time anew.
void ApplyCycle(CreatureObj& creature, int32_t channel, uint16_t reference, uint16_t value, bool restart)
{
    const int32_t id = AnicycleUnit::CycleID(reference);
    creature.SetCycleOfType(channel, id, PackedFloat16::ToFloat(value), false, 0.0f, AnicycleUnit::CycleFlag(reference));
    AC_FadeProperties& player = creature.m_CyclePlayers[channel];
    if (restart && player.GetCycleNumber() < 0)
        player.SetTime(0.0f);  // no cycle runs: its time reads 0
}

}  // namespace

void GameNetworkNode::ApplyAnicycleUnit(CreatureObj& creature, const AnicycleUnit& unit, bool restart)
{
    const int32_t move = AnicycleUnit::CycleID(unit.moveCycle);
    const int32_t action = AnicycleUnit::CycleID(unit.actionCycle);
    if (move > kMaxAnicycleID)
        Warning("invalid move anicycle ID received: %i", move);
    else
        ApplyCycle(creature, 0, unit.moveCycle, unit.moveValue, restart);
    if (action > kMaxAnicycleID)
        Warning("invalid action anicycle ID received: %i", action);
    else
        ApplyCycle(creature, 1, unit.actionCycle, unit.actionValue, restart);
    if (m_NetSettings.logNetworkTraffic >= 2)
        Log::Write("NetRec: anicycle update: objID:%i move:%i  action:%i", unit.objID, move, action);
}

bool GameNetworkNode::ReadCreatureSyncData(ByteReader& reader, uint8_t header, CreatureObj& creature)
{
    if (!(header & kSyncItemCreature)) {
        Warning("Internal error: creature not followed by creature sync data");
        return false;
    }
    CreatureSyncData record;
    if (!record.Read(reader)) {
        Warning("Internal error: can not read creature simple sync data");
        return false;
    }
    // The record's slot words share the animation unit's form, so one path checks and plays both.
    AnicycleUnit unit;
    unit.objID = creature.m_ObjID;
    unit.moveCycle = record.move.cycleWord;
    unit.moveValue = record.move.speedWord;
    unit.actionCycle = record.action.cycleWord;
    unit.actionValue = record.action.speedWord;
    ApplyAnicycleUnit(creature, unit, false);
    record.ApplyState(creature);
    return true;
}

bool GameNetworkNode::ClaimObjectID(WorldElem& elem, int32_t wantedID, bool strict)
{
    if (wantedID < 0 || wantedID >= WorldCtrl::kMaxObjID) {
        Warning("invalid object ID received: %i", wantedID);
        return false;
    }
    const int32_t ownID = elem.m_ObjID;
    if (!m_World.HoldsObj(ownID, &elem)) {
        Warning("Element without object ID cannot take objID %i", wantedID);
        return false;
    }
    if (ownID == wantedID || m_World.MoveObjToID(ownID, wantedID, false))
        return true;
    WorldElem* holder = m_World.GetObjNoCheck(wantedID, false);
    if (!holder)
        return false;
    if (holder->m_NetworkSynced) {
        // Both sides agreed on that element: the two worlds differ.
        if (strict)
            Error("Game out of sync - objID not available: %i", wantedID);
        m_World.DelObj(wantedID, 0);
        m_World.MoveObjToID(ownID, wantedID, false);
        Warning("Game out of sync - objID not available: %i", wantedID);
        return false;
    }
    m_World.MoveObjToFreeID(wantedID);
    return m_World.MoveObjToID(ownID, wantedID, false);
}
