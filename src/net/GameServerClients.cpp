// GameServer: the client table: accepting and refusing TCP connections with the connect reply and
// a UDP socket per client, noticing lost connections, removing clients, and the send routing that
// fans every outgoing game message out to the clients it is meant for.
#include "net/GameServer.h"

#include "base/ByteReader.h"
#include "base/Log.h"
#include "base/Timer.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

#include <algorithm>

void GameServer::ProcessTransportEvents()
{
    if (IsListening())
        HandleConnections();
    else
        GameNetworkNode::ProcessTransportEvents();
}

// The connect reply, raw on the new TCP connection before any game packet:
//   0  u16  UDP port of the server's socket for this client; 0 none (all goes over TCP)
//   2  u32  status: 0 accepted, 4 refused because the server is full
void GameServer::WriteConnectReply(int32_t connectionID, uint16_t port, uint32_t status)
{
    uint8_t reply[kConnectReplySize];
    ByteWriter out(reply, sizeof reply);
    out.WriteU16(port);
    out.WriteU32(status);
    m_NetNode.SendData(connectionID, reply, kConnectReplySize, true);
}

void GameServer::HandleConnections()
{
    NetworkNode::ConnectionEvent event;
    while (m_NetNode.GetThreadEvent(&event)) {
        const int32_t id = event.connectionID;
        if (event.kind == NetworkNode::kSendStarted) {
            if (!m_NetNode.IsConnectionValid(id, true, true) || FindClientByConnection(id) >= 0)
                continue;
            NetworkNode::ConnectionInfo info;
            if (!m_NetNode.GetConnectionInfo(id, &info) || info.kind != NetworkNode::kTCP)
                continue;  // the server's own datagram connections
            if (m_Clients.GetSize() >= int32_t(m_ServerInfo.maxPlayers)) {
                WriteConnectReply(id, 0, kConnectFull);
                PrintMessage("Client on TCP connection %i rejected", id);
                CloseAfterGrace(id);
                continue;
            }
            AddClient(id, info);
        } else if (event.kind == NetworkNode::kConnectionClosed) {
            if (id == m_BroadcastConnection) {
                m_BroadcastConnection = -1;
                PrintMessage("Broadcast connection lost");
                continue;
            }
            m_SendTransport.Forget(id);
            const int32_t slot = FindClientByConnection(id);
            if (slot < 0)
                continue;
            GameClientInfo* client = m_Clients.GetBySlot(slot);
            // The connection that is left goes with the one lost.
            if (client->tcpConnection == id)
                client->tcpConnection = -1;
            else
                client->udpConnection = -1;
            RemoveClient(slot, true);
            PrintMessage("Client %i disconnected", slot);
        }
    }
    CloseSentAwayConnections();
}

void GameServer::CloseAfterGrace(int32_t connectionID) { m_Closing.push_back({connectionID, Timer::GetTime()}); }

// A connection closed at once would take the reply or the DisconnectRequest with it: the client's
// transport drops what it has not read when the connection goes.
void GameServer::CloseSentAwayConnections()
{
    const double now = Timer::GetTime();
    for (size_t i = 0; i < m_Closing.size();) {
        const ClosingConnection closing = m_Closing[i];
        const bool valid = m_NetNode.IsConnectionValid(closing.id, true, false);
        if (valid)
            m_SendTransport.Drain(closing.id);
        const double waited = now - closing.since;
        const bool pending = m_SendTransport.IsSendPending(closing.id);
        if (valid && (waited < kCloseGrace || (pending && waited < ServerSendTransport::kMaxOverflowSeconds))) {
            ++i;
            continue;
        }
        if (valid)
            m_NetNode.DeleteConnection(closing.id, true);
        m_SendTransport.Forget(closing.id);
        m_Closing.erase(m_Closing.begin() + ptrdiff_t(i));
    }
}

void GameServer::SendAwayClient(int32_t slot, int32_t reason)
{
    GameClientInfo* client = m_Clients.GetBySlot(slot);
    if (!client)
        return;
    SendDisconnectRequest(slot, reason);
    FinishPacket();
    const int32_t tcp = client->tcpConnection;
    if (client->udpConnection >= 0)
        m_NetNode.DeleteConnection(client->udpConnection, false);
    m_SendTransport.Forget(client->udpConnection);
    client->tcpConnection = -1;
    client->udpConnection = -1;
    RemoveClient(slot, false);
    if (tcp >= 0)
        CloseAfterGrace(tcp);
}

int32_t GameServer::AddClientRecord(int32_t tcpConnection, const NetworkNode::ConnectionInfo& info)
{
    const int32_t slot = m_Clients.Add();
    GameClientInfo* client = m_Clients.GetBySlot(slot);
    client->connectionInfo = info;
    client->tcpConnection = tcpConnection;
    client->state = kClientAccepted;
    client->connectedAt = Timer::GetTime();
    return slot;
}

bool GameServer::AddClient(int32_t connectionID, const NetworkNode::ConnectionInfo& info)
{
    const int32_t slot = AddClientRecord(connectionID, info);
    GameClientInfo* client = m_Clients.GetBySlot(slot);
    uint16_t udpPort = 0;
    if (m_NetSettings.useUDP) {
        // DataPort 0: an ephemeral port for each client, which the reply names.
        const uint16_t localPort = m_DataPort > 0 ? uint16_t((m_DataPort + slot) & 0xFFFF) : 0;
        const int32_t udp = m_NetNode.Connect(NetworkNode::kUDP, info.address.c_str(), info.receiveRemotePort, localPort);
        NetworkNode::ConnectionInfo udpInfo;
        if (udp >= 0 && m_NetNode.GetConnectionInfo(udp, &udpInfo)) {
            client->udpConnection = udp;
            udpPort = udpInfo.receiveLocalPort;
        } else {
            if (udp >= 0)
                m_NetNode.DeleteConnection(udp, false);
            // The client is told so and goes on over TCP alone, rather than waiting for a reply.
            PrintMessage("Failed to create UDP socket for client %i", slot);
        }
    }
    WriteConnectReply(connectionID, udpPort, kConnectAccepted);
    PrintMessage("Client %i connected (TCP:%i, UDP:%i)", slot, client->tcpConnection, client->udpConnection);
    return true;
}

int32_t GameServer::FindClientByConnection(int32_t connectionID)
{
    if (connectionID < 0)
        return -1;
    for (int32_t i = 0; i < m_Clients.GetSize(); ++i) {
        const GameClientInfo* client = m_Clients.GetAt(i);
        if (client && (client->tcpConnection == connectionID || client->udpConnection == connectionID))
            return m_Clients.GetUsedSlot(i);
    }
    return -1;
}

void GameServer::RemoveClient(int32_t slot, bool closeConnections)
{
    GameClientInfo* client = m_Clients.GetBySlot(slot);
    if (!client)
        return;
    for (const int32_t id : {client->tcpConnection, client->udpConnection}) {
        if (id < 0)
            continue;
        if (closeConnections)
            m_NetNode.DeleteConnection(id, true);
        m_SendTransport.Forget(id);
    }
    const int32_t mainCharID = client->playerInfo.mainCharObjID;
    if (client->inputCtrlIndex >= 0 && HasInputCtrl(client->inputCtrlIndex))
        DeleteInputCtrl(client->inputCtrlIndex);
    m_Clients.Delete(slot);
    if (m_CurrentClient == slot)
        m_CurrentClient = -1;
    ResetClientSyncSlot(slot);  // whoever takes the slot next gets every position anew
    ClearSyncRequests(slot);

    if (WorldElem* character = mainCharID >= 0 ? m_World.GetObjNoCheck(mainCharID, false) : nullptr) {
        const ObjRef3 ref(character);
        m_World.DelObj(mainCharID, 1);
        // Everybody who may have seen the character hears that it went.
        SetSendTarget(-1, kClientChecksumsSent);
        SendDeleteObject(ref, true, false);
        FinishPacket();
    }
    if (slot == m_HostingClient) {
        m_HostingClient = -1;
        SendDisconnectRequest(-1, kReasonHostLeft);
        RequestServerStop();
    }
}

void GameServer::OnSendFailed(int32_t connectionID)
{
    if (!IsListening()) {
        GameNetworkNode::OnSendFailed(connectionID);
        return;
    }
    for (int32_t i = 0; i < m_Clients.GetSize(); ++i) {
        const GameClientInfo* client = m_Clients.GetAt(i);
        if (client && client->tcpConnection == connectionID) {
            const int32_t slot = m_Clients.GetUsedSlot(i);
            Warning("Sending to client %i failed: client removed", slot);
            RemoveClient(slot, true);
            return;
        }
    }
}

void GameServer::SetSendTarget(int32_t target, int32_t minimumState)
{
    FinishPacket();
    m_SendTarget = target;
    m_SendMinimumState = minimumState;
}

bool GameServer::IsSendTarget(int32_t i)
{
    if (i < 0 || i >= m_Clients.GetSize())
        return false;
    const int32_t slot = m_Clients.GetUsedSlot(i);
    if (m_SendTarget < -1 && slot == int32_t(uint32_t(m_SendTarget) & ~kExcludeFlag))
        return false;
    const GameClientInfo* client = m_Clients.GetAt(i);
    return client && client->state >= m_SendMinimumState;
}

// A client whose connection the transport lost stays a target until the frame removes it; it
// takes nothing meanwhile, and never fails a message to all for the others.
bool GameServer::SelectBroadcastTarget(int32_t i)
{
    if (!IsSendTarget(i))
        return false;
    SelectClientConnection(m_Clients.GetUsedSlot(i));
    return m_Transport.IsConnectionValid(m_SendConnection, true, true);
}

void GameServer::SelectClientConnection(int32_t slot)
{
    const GameClientInfo* client = m_Clients.GetBySlot(slot);
    if (!client) {
        m_SendConnection = -1;
        return;
    }
    m_SendConnection = (m_SendOnUDP && client->udpConnection >= 0) ? client->udpConnection : client->tcpConnection;
}

int32_t GameServer::SelectSendChannel(bool onUDP)
{
    if (!IsListening())
        return GameNetworkNode::SelectSendChannel(onUDP);
    m_SendOnUDP = (onUDP && m_NetSettings.useUDP) ? 1 : 0;
    return m_SendConnection;
}

int32_t GameServer::SelectReceiveChannel(bool onUDP)
{
    if (!IsListening())
        return GameNetworkNode::SelectReceiveChannel(onUDP);
    m_ReceiveOnUDP = (onUDP && m_NetSettings.useUDP) ? 1 : 0;
    const GameClientInfo* client = m_Clients.GetBySlot(m_CurrentClient);
    if (!client)
        m_ReceiveConnection = -1;
    else
        m_ReceiveConnection = m_ReceiveOnUDP ? client->udpConnection : client->tcpConnection;
    return m_ReceiveConnection;
}

bool GameServer::WriteData(const void* data, int32_t n, bool finish)
{
    if (!IsListening())
        return GameNetworkNode::WriteData(data, n, finish);
    if (m_SendTarget >= 0) {
        SelectClientConnection(m_SendTarget);
        return GameNetworkNode::WriteData(data, n, finish);
    }
    if (!AcceptsUnitBytes(n))
        return false;
    bool ok = true;
    for (int32_t i = 0; i < m_Clients.GetSize(); ++i) {
        if (!SelectBroadcastTarget(i))
            continue;
        // The server's transport keeps what a queue cannot take, so no client makes it wait.
        ok = m_Transport.SendData(m_SendConnection, data, n, false) && ok;
    }
    m_PartialSend += n;
    return finish ? FinishPacket() && ok : ok;
}

bool GameServer::HasSendRoom(int32_t n)
{
    if (!IsListening())
        return GameNetworkNode::HasSendRoom(n);
    if (m_SendTarget >= 0) {
        SelectClientConnection(m_SendTarget);
        return GameNetworkNode::HasSendRoom(n);
    }
    for (int32_t i = 0; i < m_Clients.GetSize(); ++i) {
        if (!SelectBroadcastTarget(i))
            continue;
        if (!m_Transport.HasRoom(m_SendConnection, n + GamePacketHeader::kSize))
            return false;
    }
    return true;
}

bool GameServer::FinishPacket()
{
    if (!IsListening())
        return GameNetworkNode::FinishPacket();
    GamePacketHeader& open = m_CurrentSendPacketHeader;
    if (open.id == 0)
        return true;
    if (m_SendTarget >= 0) {
        SelectClientConnection(m_SendTarget);
        return GameNetworkNode::FinishPacket();
    }
    if (open.unitSize == -1)
        open.unitSize = m_PartialSend;
    const bool torn = open.unitSize != m_PartialSend;
    uint8_t header[GamePacketHeader::kSize];
    open.Write(header);
    bool ok = true;
    for (int32_t i = 0; i < m_Clients.GetSize(); ++i) {
        if (!SelectBroadcastTarget(i))
            continue;
        if (torn) {
            m_Transport.SetPendingLength(m_SendConnection, 0);  // a torn packet never leaves
            continue;
        }
        if (open.count > 0)
            m_Transport.PatchPending(m_SendConnection, 0, header, GamePacketHeader::kSize);
        ok = m_Transport.CommitPending(m_SendConnection) && ok;
    }
    const uint16_t id = open.id;
    open = GamePacketHeader();
    m_PartialSend = 0;
    if (torn)
        Error("Internal error: m_CurrentSendPacketHeader.BytesPerUnit != m_PartialSend, data ID:%i", id);
    return ok;
}

// Message 0x4001, one unit: i32 reason (2 unsupported client version, 3 the host left).
bool GameServer::SendDisconnectRequest(int32_t slot, int32_t reason)
{
    SetSendTarget(slot, kClientNew + 1);
    uint8_t unit[4];
    ByteWriter out(unit, sizeof unit);
    out.WriteU32(uint32_t(reason));
    const bool sent = SendUnit(false, kMsgDisconnectRequest, unit, sizeof unit, true);
    if (LogsTraffic(1))
        Log::Write("NetSend: DisconnectRequest: %i", reason);
    for (int32_t i = 0; i < m_Clients.GetSize(); ++i) {
        GameClientInfo* client = m_Clients.GetAt(i);
        const int32_t s = m_Clients.GetUsedSlot(i);
        if (client && (slot == s || (slot == -1 && client->state >= 1)))
            client->state = kClientDisconnecting;
    }
    return sent;
}

void GameServer::ResetClientSyncSlot(int32_t slot)
{
    if (slot < 0 || slot >= WorldElem::kNetSlots)
        return;
    for (int32_t id = m_World.NextObjID(-1); id >= 0; id = m_World.NextObjID(id)) {
        WorldElem* elem = m_World.GetObjNoCheck(id, false);
        if (!elem)
            continue;
        elem->m_LastSentPos[slot][0] = WorldElem::kNeverSent;
        elem->m_LastSentPos[slot][1] = WorldElem::kNeverSent;
        elem->m_LastSentAngle[slot] = WorldElem::kNeverSent;
    }
}
