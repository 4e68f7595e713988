// GameServer: the table of sync requests, queued per client by the world's changes (inside the
// world-update depth) and by the clients' own requests.
#include "net/GameServer.h"

#include "level/VSD_WallIntern.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

#include <algorithm>

bool ClientSyncRequest::SameAs(const ClientSyncRequest& other) const
{
    return slot == other.slot && remove == other.remove && requested == other.requested &&
           ((itemFlags ^ other.itemFlags) & GameNetworkNode::kSyncItemCreated) == 0 && ref.Equals(other.ref);
}

std::vector<int32_t> GameServer::ClientsInWorld()
{
    std::vector<int32_t> slots;
    for (int32_t i = 0; i < m_Clients.GetSize(); ++i) {
        const GameClientInfo* client = m_Clients.GetAt(i);
        if (client && client->state >= kClientChecksumsSent)
            slots.push_back(m_Clients.GetUsedSlot(i));
    }
    return slots;
}

void GameServer::QueueSyncRequest(const ClientSyncRequest& request)
{
    if (int32_t(m_SyncRequests.size()) >= kMaxSyncRequests) {
        if (!m_SyncTableFullWarned)
            Warning("Maximum number of data elements reached: %i", kMaxSyncRequests);
        m_SyncTableFullWarned = true;
        return;
    }
    m_SyncTableFullWarned = false;
    m_SyncRequests.push_back(request);
}

void GameServer::AddSyncRequest(int32_t slot, uint8_t itemFlags, const ObjRef3& ref, bool requested, bool broadcast)
{
    if (slot < 0) {
        for (const int32_t each : ClientsInWorld())
            AddSyncRequest(each, itemFlags, ref, requested, true);
        return;
    }
    ClientSyncRequest request;
    request.slot = slot;
    request.broadcast = broadcast ? 1 : 0;
    request.requested = requested ? 1 : 0;
    request.itemFlags = itemFlags;
    request.ref = ref;
    if (!requested && FindSyncRequest(request))
        return;
    QueueSyncRequest(request);
}

const ClientSyncRequest* GameServer::FindSyncRequest(const ClientSyncRequest& request) const
{
    for (const ClientSyncRequest& queued : m_SyncRequests)
        if (queued.SameAs(request))
            return &queued;
    return nullptr;
}

void GameServer::AddSyncRemoval(int32_t slot, const ObjRef3& ref)
{
    ClientSyncRequest request;
    request.broadcast = slot < 0 ? 1 : 0;
    request.remove = 1;
    request.ref = ref;
    for (const int32_t each : slot < 0 ? ClientsInWorld() : std::vector<int32_t>{slot}) {
        request.slot = each;
        QueueSyncRequest(request);  // removals are never merged: each one goes out
    }
}

void GameServer::ClearSyncRequests(int32_t slot)
{
    std::erase_if(m_SyncRequests, [slot](const ClientSyncRequest& r) { return r.slot == slot; });
}

void GameServer::BeginScriptCreation()
{
    GameNetworkNode::BeginScriptCreation();
    ++m_WorldUpdateDepth;  // what a script makes outside the frame's update still reaches the clients
}

void GameServer::EndScriptCreation()
{
    GameNetworkNode::EndScriptCreation();
    if (m_WorldUpdateDepth > 0)
        --m_WorldUpdateDepth;
}

void GameServer::SuspendObjectSync()
{
    m_SuspendedDepths.push_back(m_WorldUpdateDepth);
    m_WorldUpdateDepth = 0;
}

void GameServer::ResumeObjectSync()
{
    if (m_SuspendedDepths.empty())
        return;
    m_WorldUpdateDepth = m_SuspendedDepths.back();
    m_SuspendedDepths.pop_back();
}

void GameServer::OnObjectAdded(int32_t objID)
{
    GameNetworkNode::OnObjectAdded(objID);
    const WorldElem* elem = m_WorldUpdateDepth > 0 ? m_World.GetObjNoCheck(objID, false) : nullptr;
    if (elem && elem->m_NetSync != 0)
        AddSyncRequest(-1, kSyncItemCreated, ObjRef3(elem), false, false);
}

void GameServer::OnWallAdded(int32_t wallID)
{
    GameNetworkNode::OnWallAdded(wallID);
    const VSD_WallIntern* wall = m_WorldUpdateDepth > 0 ? m_World.GetWall(wallID, false) : nullptr;
    if (wall && wall->m_NetSync != 0)
        AddSyncRequest(-1, kSyncItemCreated, ObjRef3(wall), false, false);
}

void GameServer::OnObjectDeleted(int32_t objID, int32_t flag)
{
    GameNetworkNode::OnObjectDeleted(objID, flag);
    for (int32_t i = 0; i < m_Clients.GetSize(); ++i)
        if (GameClientInfo* client = m_Clients.GetAt(i); client && client->playerInfo.mainCharObjID == objID)
            client->playerInfo.mainCharObjID = -1;
    const WorldElem* elem = m_WorldUpdateDepth > 0 ? m_World.GetObjNoCheck(objID, false) : nullptr;
    if (elem && elem->m_NetSync != 0)
        AddSyncRemoval(-1, ObjRef3(elem));
}

void GameServer::OnWallDeleted(int32_t wallID)
{
    GameNetworkNode::OnWallDeleted(wallID);
    const VSD_WallIntern* wall = m_WorldUpdateDepth > 0 ? m_World.GetWall(wallID, false) : nullptr;
    if (wall && wall->m_NetSync != 0)
        AddSyncRemoval(-1, ObjRef3(wall));
}

void GameServer::OnObjectChanged(WorldElem* elem)
{
    GameNetworkNode::OnObjectChanged(elem);
    if (m_WorldUpdateDepth > 0 && elem && elem->m_NetSync >= 2)
        AddSyncRequest(-1, 0, ObjRef3(elem), false, false);
}
