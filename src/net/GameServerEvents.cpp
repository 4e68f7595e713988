// GameServer: what happens in the server's world, told to the clients: a creature's health and
// death, a built-in's call that the players' machines must run too, and the debug lines. A creature
// whose whole state is about to go out with a broadcast sync needs no single event: the sync
// carries it.
#include "net/GameServer.h"

#include "game/objects/CreatureObj.h"
#include "script/ScriptValue.h"
#include "world/ScriptReaderGameEngine.h"
#include "world/WorldElem.h"

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
