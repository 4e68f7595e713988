// GameServer: sending the world to the clients: the checksums a joining client compares its level
// with, the SyncRequests it answers them with, and the table of queued items sent as sync data
// blocks or deletions.
#include "net/GameServer.h"

#include "base/ByteReader.h"
#include "base/File.h"
#include "base/Log.h"
#include "level/VSD_WallIntern.h"
#include "net/GameValueCodec.h"
#include "platform/Clock.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

#include <vector>

namespace {

constexpr int32_t kMemoryStep = 4096;
constexpr int32_t kChecksumUnit = 20;

}  // namespace

bool GameServer::IsPlayerCharacter(const WorldElem* elem)
{
    if (!elem)
        return false;
    if (GameNetworkNode::IsPlayerCharacter(elem))
        return true;
    for (int32_t i = 0; i < m_Clients.GetSize(); ++i)
        if (const GameClientInfo* client = m_Clients.GetAt(i); client && client->playerInfo.mainCharObjID == elem->m_ObjID)
            return true;
    return false;
}

// 0x0F00, 20 bytes per element, batched: ObjRef3; u32 Adler-32 of the element's full sync block;
// f32 0.0 for a wall, an object's elapsed time. Then 0x0F01 without units, flushed.
bool GameServer::SendObjectChecksums(int32_t slot)
{
    GameClientInfo* client = m_Clients.GetBySlot(slot);
    if (!client)
        return false;
    SetSendTarget(slot, kClientLevelLoaded);
    // The transport keeps its last error until something clears it: a datagram that a departed
    // player's port refused must not fail every later join. Only an error of this send counts.
    m_NetNode.ClearLastError();
    File file;
    file.CreateMemoryFile(kMemoryStep);
    int32_t count = 0;
    bool sent = true;
    const auto sendChecksum = [&](WorldElemBase& elem, float value) {
        if (!sent || WriteSyncBlock(file, elem, false, false) < 0)
            return;
        uint8_t unit[kChecksumUnit];
        ByteWriter out(unit, sizeof unit);
        GameValueCodec::WriteObjRef3(out, ObjRef3(&elem));
        out.WriteU32(file.GetChecksum());
        out.WriteFloat(value);
        sent = SendUnit(false, kMsgObjectChecksums, unit, sizeof unit, false);
        count += sent ? 1 : 0;
    };
    for (int32_t i = 0; i < m_World.GetNumWalls(); ++i)
        if (VSD_WallIntern* wall = m_World.GetWallSafe(m_World.GetWallSlotAt(i)); wall && wall->m_NetSync != 0)
            sendChecksum(*wall, 0.0f);
    sent = sent && ReportWinsockError(nullptr);
    for (int32_t id = m_World.NextObjID(-1); id >= 0; id = m_World.NextObjID(id))
        if (WorldElem* elem = m_World.GetObjNoCheck(id, false); elem && elem->m_NetSync != 0 && !IsPlayerCharacter(elem))
            sendChecksum(*elem, float(elem->m_Age));
    sent = sent && ReportWinsockError(nullptr);
    if (!sent || !FinishPacket())
        return false;
    if (LogsTraffic(1))
        Log::Write("NetSend: %i Object checksums sent to client %i", count, slot);
    client->state = kClientChecksumsSent;
    client->syncRequestsLeft = count;
    return SendEmpty(kMsgChecksumsFinished);
}

// 0x1000 from a client in state 7: 13-byte units (u8 item flags, ObjRef3), each the answer to one
// of the checksums it was sent; what goes beyond that number is dropped.
void GameServer::ReceiveSyncRequests(GameClientInfo& client, const GamePacketHeader& header)
{
    if (client.state != kClientChecksumsSent || header.unitSize != kSyncItemSize)
        return;
    if (LogsTraffic(1))
        Log::Write("NetRec: SyncRequest");
    int32_t dropped = 0;
    uint8_t unit[kSyncItemSize];
    while (ReceivePacketData(unit, 1) == 1) {
        ByteReader in(unit, sizeof unit);
        const uint8_t flags = in.ReadU8();
        const ObjRef3 ref = GameValueCodec::ReadObjRef3(in);
        if (in.Failed() || client.syncRequestsLeft <= 0) {
            ++dropped;
            continue;
        }
        --client.syncRequestsLeft;
        // The form bits are the server's to set when it writes the block.
        AddSyncRequest(m_CurrentClient, flags & kSyncItemCreated, ref, true, false);
    }
    if (dropped > 0)
        Warning("Client %i: %i sync requests beyond the checksums it was sent dropped", m_CurrentClient, dropped);
}

// 0x1001: the client asked for all it lacks; from now on its items go out.
void GameServer::ReceiveSyncRequestsDone(GameClientInfo& client)
{
    if (client.state != kClientChecksumsSent) {
        Warning("Client %i: end of sync requests in state %i ignored", m_CurrentClient, client.state);
        return;
    }
    client.state = kClientSyncsDone;
    if (!LogsTraffic(1))
        return;
    int32_t requested = 0;
    for (const ClientSyncRequest& r : m_SyncRequests)
        requested += (r.slot == m_CurrentClient && r.requested) ? 1 : 0;
    Log::Write("NetRec: %i level init sync requests", requested);
}

// 0x1102, 12 bytes, batched: ObjRef3 of a requested element the server does not have.
bool GameServer::SendObjectMissing(const ObjRef3& ref)
{
    uint8_t unit[GameValueCodec::kObjRef3Size];
    ByteWriter out(unit, sizeof unit);
    GameValueCodec::WriteObjRef3(out, ref);
    return SendUnit(false, kMsgNotExisting, unit, sizeof unit, false);
}

// 0x1100 (queued by the world) and 0x1101 (asked for), one unit of free length, a packet of its
// own: the 13-byte item (flags with the block's form bits, ObjRef3), then the sync data block.
GameServer::SyncSend GameServer::SendSyncItem(ClientSyncRequest& request, File& file, bool firstPass)
{
    const GameClientInfo* client = m_Clients.GetBySlot(request.slot);
    if (!client)
        return SyncSend::kDone;
    if (client->state < kClientSyncsDone)
        return SyncSend::kWait;
    SetSendTarget(request.slot, kClientChecksumsSent);
    const bool isWall = request.ref.type == ElemType::kWall;
    if (request.remove) {
        const bool sent = isWall ? SendDeleteWall(request.ref, request.requested != 0)
                                 : SendDeleteObject(request.ref, request.requested == 0, request.requested != 0);
        return sent ? SyncSend::kDone : SyncSend::kNoRoom;
    }
    WorldElemBase* elem = m_World.GetObjByIdentifierChecked(request.ref);
    if (!elem) {
        if (!request.requested)
            return SyncSend::kDone;
        if (LogsTraffic(1))
            Log::Write("NetSend: Obj/ Wall not existing: client:%i obj/wall:%i (%s)", request.slot, request.ref.objID,
                       isWall ? "wall" : "object");
        return SendObjectMissing(request.ref) ? SyncSend::kDone : SyncSend::kNoRoom;
    }
    if (firstPass && elem->m_Parent.Get())
        return SyncSend::kWait;  // its parent goes first
    const int32_t form = WriteSyncBlock(file, *elem, true, m_NetSettings.compression);
    if (form < 0)
        return SyncSend::kDone;
    request.itemFlags = uint8_t((request.itemFlags & kSyncItemCreated) | form);
    const uint16_t id = request.requested ? kMsgRequestedSync : kMsgSyncData;
    const int32_t length = file.GetSize();
    if (!HasSendRoom(length + kSyncItemSize) || !BeginPacketTCP(id, -1))
        return SyncSend::kNoRoom;
    uint8_t item[kSyncItemSize];
    ByteWriter out(item, sizeof item);
    out.WriteU8(request.itemFlags);
    GameValueCodec::WriteObjRef3(out, request.ref);
    if (LogsTraffic(1)) {
        if (isWall)
            Log::Write("NetSend: SyncData: client:%i wall:%i (%s)", request.slot, request.ref.objID, elem->m_CfgID.c_str());
        else
            Log::Write("NetSend: SyncData: client: %i obj:%i (%s)", request.slot, request.ref.objID, elem->m_CfgID.c_str());
    }
    if (!WriteData(item, sizeof item, false) || !WriteData(file.GetMemoryBuffer(), length, false) || !FinishPacket())
        return SyncSend::kNoRoom;
    return SyncSend::kDone;
}

bool GameServer::SendRequestedSyncs()
{
    if (m_SyncRequests.empty())
        return true;
    File file;
    file.CreateMemoryFile(kMemoryStep);
    bool finished = true;
    for (const bool firstPass : {true, false}) {
        // Items are only marked during a pass; what a send queues meanwhile waits for the next. A
        // client that goes during a send takes its items with it, so the walk reads the table anew.
        const size_t count = m_SyncRequests.size();
        for (size_t i = 0; i < count && i < m_SyncRequests.size(); ++i) {
            if (m_SyncRequests[i].sent)
                continue;
            ClientSyncRequest request = m_SyncRequests[i];
            const SyncSend result = SendSyncItem(request, file, firstPass);
            if (i >= m_SyncRequests.size() || !m_SyncRequests[i].SameAs(request))
                continue;
            m_SyncRequests[i].itemFlags = request.itemFlags;
            if (result == SyncSend::kNoRoom) {
                finished = false;
                break;
            }
            m_SyncRequests[i].sent = result == SyncSend::kDone ? 1 : 0;
        }
        std::erase_if(m_SyncRequests, [](const ClientSyncRequest& r) { return r.sent != 0; });
    }
    FinishPacket();
    return finished;
}

bool GameServer::FlushRequestedSyncs()
{
    if (!IsListening())
        return true;
    for (int32_t pass = 0; pass < kMaxFlushPasses; ++pass) {
        if (SendRequestedSyncs())
            return true;
        // A client's queue drains only while the program waits; one that stops reading is left
        // for the frame's overflow check, not removed in the middle of a script.
        Platform::SleepMs(1);
        HandleConnections();
        for (int32_t i = 0; i < m_Clients.GetSize(); ++i)
            if (const GameClientInfo* client = m_Clients.GetAt(i); client && client->tcpConnection >= 0)
                m_SendTransport.Drain(client->tcpConnection);
    }
    return false;
}
