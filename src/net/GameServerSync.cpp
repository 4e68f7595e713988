// GameServer: the table of sync requests, queued per client by the world's changes and by the
// clients' own requests.
#include "net/GameServer.h"

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
