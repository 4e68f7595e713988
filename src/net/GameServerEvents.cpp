// GameServer: what happens in the server's world, told to the clients: a creature's health and
// death, experience, blood, mana, the parts of actions, uses, saves, revivals, pick-ups and
// animation cycles, a built-in's call that the players' machines must run too, and the debug and
// error lines. A creature whose whole state is about to go out with a broadcast sync needs no
// single event: the sync carries it.
#include "net/GameServer.h"

#include "base/Log.h"
#include "game/ctrl/Difficulty.h"
#include "game/objects/CreatureObj.h"
#include "net/GameValueCodec.h"
#include "script/ScriptValue.h"
#include "world/ActionEffect.h"
#include "world/ActionEntry.h"
#include "world/ActionShot.h"
#include "world/InputCtrlBase.h"
#include "world/ScriptReaderGameEngine.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

#include <cmath>

namespace {

float PlanarDistance(WorldElem& a, WorldElem& b)
{
    const D3DXVECTOR2 p = a.GetPos();
    const D3DXVECTOR2 q = b.GetPos();
    return std::hypot(p.x - q.x, p.y - q.y);
}

}  // namespace

bool GameServer::IsBroadcastSyncPending(const WorldElem* elem) const
{
    if (!elem || elem->m_NetSync < 2)
        return false;
    const ObjRef3 ref(elem);
    for (const ClientSyncRequest& request : m_SyncRequests)
        if (request.broadcast && request.ref.objID == ref.objID && request.ref.type == ref.type &&
            request.ref.myRnd == ref.myRnd)
            return true;
    return false;
}

// A player's own client knows its character's health already; everybody else learns it.
void GameServer::ReportHealth(WorldElem* creature, float health)
{
    GameNetworkNode::ReportHealth(creature, health);
    if (!IsListening() || !creature || IsAddingMultiplayerCharacter() || IsBroadcastSyncPending(creature))
        return;
    const int32_t slot = creature->IsCreature() ? FindClientOfCreature(static_cast<CreatureObj*>(creature)) : -1;
    SetSendTarget(slot >= 0 ? int32_t(kExcludeFlag | uint32_t(slot)) : -1, kClientChecksumsSent);
    SendSetHealth(creature, health);
}

void GameServer::ReportDeath(WorldElem* creature, WorldElem* killer, int32_t killerID)
{
    GameNetworkNode::ReportDeath(creature, killer, killerID);
    if (!IsListening() || !creature || IsBroadcastSyncPending(creature))
        return;
    SetSendTarget(-1, kClientChecksumsSent);
    SendCreatureKilled(creature);
}

// A script that runs on every machine (bit 0 of its run flags) makes the call there itself. The
// queued syncs go first, so that the clients know every element the call may name.
void GameServer::RunScriptFunctionAtClients(const char* name, const ScriptValue* arguments, int32_t count,
                                            WorldElem* subject, int32_t checkSubject, int32_t flag)
{
    if (!IsListening() || !name)
        return;
    if (subject && checkSubject && IsBroadcastSyncPending(subject))
        return;
    if (const ScriptReaderGameEngine* module = GetCurrentScriptModule();
        module && module->m_RunFlags != ScriptReaderGameEngine::kNoRunFlags && (module->m_RunFlags & 1) != 0)
        return;
    FlushRequestedSyncs();
    SetSendTarget(-1, kClientChecksumsSent);
    SendRunScriptFunction(name, arguments, count, subject, uint8_t(flag));
}

void GameServer::AddDebugMessage(const wString& text)
{
    ScriptValue argument;
    argument.SetString(String(text));
    RunScriptFunctionAtClients("DebugMessage", &argument, 1, nullptr, 0, 0);
}

// The share: the experience function at the number of players with a character, over the
// number of clients, times the amount (1.0 for the function when the game has none).
void GameServer::ReportExperienceGain(WorldElem* creature, float amount)
{
    GameNetworkNode::ReportExperienceGain(creature, amount);
    ShareExperience(creature, amount);
}

void GameServer::ShareExperience(WorldElem* creature, float amount)
{
    if (!IsListening() || !IsPlayerCharacter(creature) || GetNumClients() == 0)
        return;
    std::vector<int32_t> players;
    for (int32_t i = 0; i < m_Clients.GetSize(); ++i)
        if (GetClientCreature(m_Clients.GetUsedSlot(i)))
            players.push_back(m_Clients.GetUsedSlot(i));
    const GameFunction* function = GetExperienceShareFunction();
    const float factor = function ? function->GetValue(float(players.size())) : 1.0f;
    const float share = factor * (1.0f / float(GetNumClients())) * amount;
    for (const int32_t slot : players)
        SendGainXp(slot, share);
}

// Seen by a player whose character is within 1.3 view radii of the bleeding creature's edge.
void GameServer::ReportBloodEffect(WorldElem* creature, float intensity)
{
    GameNetworkNode::ReportBloodEffect(creature, intensity);
    if (!IsListening() || !creature)
        return;
    const float reach = m_World.GetViewRadius() * kBloodRangeFactor + creature->GetRadius();
    for (int32_t i = 0; i < m_Clients.GetSize(); ++i) {
        const GameClientInfo* client = m_Clients.GetAt(i);
        CreatureObj* player = client && client->state >= kClientJoined ? GetClientCreature(m_Clients.GetUsedSlot(i)) : nullptr;
        if (player && PlanarDistance(*player, *creature) - reach < 0.0f)
            SendBloodEffect(m_Clients.GetUsedSlot(i), creature, intensity);
    }
    FinishPacket();
}

// A player's character has unlimited mana on the server: its client keeps the real count.
void GameServer::ReportManaUse(WorldElem* creature, float cost)
{
    GameNetworkNode::ReportManaUse(creature, cost);
    if (IsListening() && creature && creature->IsCreature())
        SendSubtractMana(static_cast<CreatureObj*>(creature), cost);
}

// The clients fire the shot themselves, at the point the server's shot flew toward (none: along
// the shooter's facing), so that its projectile and effects play there.
void GameServer::OnShot(WorldElem* shooter, ActionShot* shot, const D3DXVECTOR2* direction)
{
    GameNetworkNode::OnShot(shooter, shot, direction);
    if (!IsListening() || !shooter || !shot || !shot->owner || shot->index < 0)
        return;
    D3DXVECTOR2 target;
    if (direction) {
        const D3DXVECTOR2 start = shooter->GetShotStart(*shot);
        target = D3DXVECTOR2(start.x + direction->x, start.y + direction->y);
    }
    SendPerformActionShot(shooter, shot->owner->name, uint32_t(shot->index), direction ? &target : nullptr);
}

void GameServer::ReportActionEffect(WorldElem* elem, ActionEffect* effect, int32_t index)
{
    GameNetworkNode::ReportActionEffect(elem, effect, index);
    if (!IsListening() || !elem || !effect || !effect->owner || effect->index < 0)
        return;
    SendPerformActionEffect(elem, effect->owner->name, uint32_t(effect->index), uint32_t(index));
}

bool GameServer::UseObject(WorldElem* object, int32_t userID, int32_t param)
{
    const bool used = GameNetworkNode::UseObject(object, userID, param);
    if (!IsListening() || !object)
        return used;
    ObjRef user;
    user.Set(userID >= 0 ? m_World.GetObjNoCheck(userID, false) : nullptr);
    SetSendTarget(-1, kClientChecksumsSent);
    SendUseObject(object, user, uint8_t(param));
    return used;
}

void GameServer::SaveMainCharacter()
{
    GameNetworkNode::SaveMainCharacter();
    if (IsListening() && GetNumClients() > 0)
        SendSaveCharacter();
}

// Every reporter of an error has written its log line already (the script position or the
// level and hero position with it): the server only echoes the text on the console, so that no
// error stands twice in the log.
void GameServer::ShowErrorMessage(const char* text)
{
    if (IsListening() || IsDedicated())
        PrintConsoleOnly(text ? text : "");
    else
        GameNetworkNode::ShowErrorMessage(text);
}

void GameServer::ShowError(const char* message)
{
    if (IsListening() || IsDedicated())
        ShowErrorMessage(message);
    else
        GameNetworkNode::ShowError(message);
}

// A character being made for a joining player is unknown to the clients yet: its revival would
// name nothing there.
void GameServer::AttachCreatureToInput(CreatureObj* creature, int32_t number)
{
    GameNetworkNode::AttachCreatureToInput(creature, number);
    if (!IsListening() || !creature || IsAddingMultiplayerCharacter())
        return;
    SetSendTarget(-1, kClientJoined);
    SendReviveCreature(creature, creature->m_InputCtrl ? creature->m_InputCtrl->GetMode() : 0);
}

bool GameServer::CanRunScriptLocally(uint8_t runFlags)
{
    return IsListening() || GameNetworkNode::CanRunScriptLocally(runFlags);
}

// The player's client takes the item and reports the pick-up back as a world event, which the
// server carries out; a creature that is no player's picks up here.
bool GameServer::PickUpItem(WorldElem* element, CreatureObj* creature)
{
    if (!IsListening())
        return GameNetworkNode::PickUpItem(element, creature);
    if (!creature || !element)
        return false;
    if (FindClientOfCreature(creature) < 0)
        return GameNetworkNode::PickUpItem(element, creature);
    return SendPickUp(creature, element);
}

// Cycle 129 and 448 to 450 (the low 14 bits of either cycle word) are the ones every player must
// see wherever the creature is.
bool GameServer::IsAnicycleForEveryone(const AnicycleUnit& unit)
{
    for (const uint16_t word : {unit.moveCycle, unit.actionCycle}) {
        const int32_t id = word & AniCycleSyncEntry::kIDMask;
        if (id == 129 || (id >= 448 && id <= 450))
            return true;
    }
    return false;
}

bool GameServer::SendAnicycle(const AnicycleUnit& unit, bool onUDP)
{
    if (!IsListening())
        return GameNetworkNode::SendAnicycle(unit, onUDP);
    WorldElem* updated = m_World.GetObjNoCheck(unit.objID, false);
    if (!updated)
        return false;
    const bool everyone = IsAnicycleForEveryone(unit);
    const float factor = IsPlayerCharacter(updated) ? kAnicycleRangeFactorPlayer : kAnicycleRangeFactor;
    const float reach = m_World.GetViewRadius() * factor + updated->GetRadius();
    bool sent = false;
    for (int32_t i = 0; i < m_Clients.GetSize(); ++i) {
        const GameClientInfo* client = m_Clients.GetAt(i);
        const int32_t slot = m_Clients.GetUsedSlot(i);
        CreatureObj* player = client && client->state >= kClientJoined ? GetClientCreature(slot) : nullptr;
        if (!player || (!everyone && PlanarDistance(*player, *updated) - reach >= 0.0f))
            continue;
        SetSendTarget(slot, kClientJoined);
        sent = GameNetworkNode::SendAnicycle(unit, onUDP) || sent;
    }
    return sent;
}
