// GameServer: the players' updates of each frame: the positions of what moves near each joined
// player, staggered over the frames by object ID and limited by the level's view radius; the
// creatures' changed animation cycles; and each player's changed current action.
#include "net/GameServer.h"

#include "game/objects/CreatureObj.h"
#include "world/WorldBlock.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

#include <algorithm>
#include <cmath>

namespace {

// The name the players are told for the creature's current action; empty without one.
String CurrentActionName(const CreatureObj& creature)
{
    const CreatureActionState& state = creature.m_ActionState;
    return state.actionCode == CreatureActionState::kNone ? String() : state.actionName;
}

bool IsPlayersCreature(WorldElem& elem)
{
    auto* creature = elem.IsCreature() ? dynamic_cast<CreatureObj*>(&elem) : nullptr;
    return creature && creature->IsMainCharacter();
}

}  // namespace

void GameServer::UpdateJoinedClients()
{
    for (int32_t i = 0; i < m_Clients.GetSize(); ++i) {
        const GameClientInfo* client = m_Clients.GetAt(i);
        if (client && client->state >= kClientJoined)
            SendClientPositions(m_Clients.GetUsedSlot(i));
    }
    SendCreatureUpdates();
    SendCurrentActions();
}

// Objects are considered on one frame in N (by their object ID), within 1.5 view radii; players'
// characters within 7 on every frame and anywhere on their own frames, so that a far player stays
// roughly placed. Packets are finished after 16 units, then after each, so that one frame's
// updates do not pile up in one packet.
void GameServer::SendClientPositions(int32_t slot)
{
    CreatureObj* player = GetClientCreature(slot);
    if (!player)
        return;
    SetSendTarget(slot, kClientJoined);
    const D3DXVECTOR2 centre = player->GetPos();
    const float viewRadius = m_World.GetViewRadius();
    const uint32_t every = uint32_t(std::max(m_PosUpdateEveryNthFrame, 1));
    int32_t count = 0;
    for (int32_t row = 0; row < m_World.GetBlockRows(); ++row) {
        for (int32_t column = 0; column < m_World.GetBlockColumns(); ++column) {
            WorldBlock* block = m_World.IsBlockActive(column, row) ? m_World.GetBlock(column, row) : nullptr;
            if (!block)
                continue;
            for (int32_t i = 0; i < block->objects.GetSize(); ++i) {
                auto* elem = dynamic_cast<WorldElem*>(block->objects.GetAt(i));
                if (!elem || elem->m_NetSync < 1)
                    continue;
                const bool itsFrame = (uint32_t(elem->m_ObjID) + m_FrameCounter) % every == 0;
                float factor = kObjectRangeFactor;
                if (IsPlayersCreature(*elem))
                    factor = itsFrame ? kPlayerRangeFactorFar : kPlayerRangeFactor;
                else if (!itsFrame)
                    continue;
                const D3DXVECTOR2 pos = elem->GetPos();
                const float reach = viewRadius * factor + elem->GetRadius();
                if (std::hypot(pos.x - centre.x, pos.y - centre.y) - reach >= 0.0f)
                    continue;
                if (SendPositionUpdate(elem, slot) && ++count >= kUpdatesBeforeFlush)
                    FinishPacket();
            }
        }
    }
    FinishPacket();
}

void GameServer::SendCreatureUpdates()
{
    SetSendTarget(-1, kClientJoined);
    int32_t count = 0;
    for (int32_t id = m_World.NextObjID(-1); id >= 0; id = m_World.NextObjID(id)) {
        WorldElem* elem = m_World.GetObjNoCheck(id, false);
        auto* creature = elem && elem->IsCreature() ? dynamic_cast<CreatureObj*>(elem) : nullptr;
        if (creature && SendAnicycleUpdate(creature, false) && ++count >= kUpdatesBeforeFlush)
            FinishPacket();
    }
    FinishPacket();
}

// A player's action is told once per change; one that could not go out is tried again next frame.
void GameServer::SendCurrentActions()
{
    SetSendTarget(-1, kClientJoined);
    for (int32_t i = 0; i < m_Clients.GetSize(); ++i) {
        GameClientInfo* client = m_Clients.GetAt(i);
        if (!client || client->state < kClientJoined)
            continue;
        const CreatureObj* creature = GetClientCreature(m_Clients.GetUsedSlot(i));
        if (!creature)
            continue;
        const String action = CurrentActionName(*creature);
        if (action != client->reportedAction && SendCurrentAction(creature, action))
            client->reportedAction = action;
    }
}
