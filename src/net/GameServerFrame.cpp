// GameServer: the per-frame server step: connections and their bounds, every client's messages
// through the guarded dispatcher, the level for the clients that told who they are, the LAN
// announcement, the world while somebody is in it, time synchronisation, and the stop on ESC or a
// stop signal.
#include "net/GameServer.h"

#include "base/ByteReader.h"
#include "base/Log.h"
#include "base/Timer.h"
#include "game/ctrl/StateManager.h"
#include "platform/Console.h"
#include "platform/StopSignals.h"

#include <vector>

namespace {

// One client's messages handled in one frame: a client that sends faster than the server reads
// must not keep the frame in its receive loop.
constexpr int32_t kMaxMessagesPerClient = 4096;

}  // namespace

// The messages that carry nothing but their id; their count does not matter.
bool GameServer::IsEmptyMessage(uint16_t id)
{
    switch (id) {
    case kMsgLevelLoaded:
    case kMsgSetHostingChar:
    case kMsgSyncRequestsDone:
    case kMsgLevelSynced:
    case kMsgRestartLevel:
        return true;
    default:
        return false;
    }
}

int32_t GameServer::UpdateFrame(float frameTime)
{
    if (!IsListening())
        return GameNetworkNode::UpdateFrame(frameTime);
    ++m_FrameCounter;
    m_WorldUpdateDepth = 0;
    if (IsEndOfGameRequested()) {
        RequestServerStop();
        return 1;
    }
    HandleConnections();
    DrainClientOverflows();
    CheckJoinTimeouts();
    SendRequestedSyncs();
    ReceiveClientMessages();
    SendLoadLevelToNewClients();

    const double now = Timer::GetTime();
    if (m_BroadcastInfoInterval > 0.0f && now - m_LastAnnouncement > double(m_BroadcastInfoInterval)) {
        SendLanAnnouncement();
        m_LastAnnouncement = now;
    }
    if (m_Clients.GetSize() > 0)
        UpdateJoinedClients();
    int32_t result = 1;
    if (AnyClientInWorld() || m_RunWorldWithoutClients) {
        ++m_WorldUpdateDepth;
        result = GameCtrl::UpdateFrame(frameTime);
        --m_WorldUpdateDepth;
        TickTimeSync(frameTime);
    }
    FinishPacket();

    if (Platform::ConsoleKeyWaiting() && Platform::ConsoleReadKey() == Platform::kConsoleEscape) {
        PrintMessageInline("\nESC pressed - terminating dedicated server\n");
        RequestServerStop();
    }
    if (TakeStopSignal())
        RequestServerStop();
    return result;
}

bool GameServer::TakeStopSignal()
{
    const int32_t signal = Platform::TakeStopSignal();
    if (signal == 0)
        return false;
    PrintMessageInline("\n%s received - terminating dedicated server\n", Platform::StopSignalName(signal));
    return true;
}

void GameServer::RequestServerStop()
{
    m_ServerStopRequested = true;
    if (StateManager* stateManager = GetStateManager())
        stateManager->SetState(StateManager::kStateQuit);
}

// Each client's messages in slot order, TCP before UDP; a client that leaves meanwhile is skipped.
void GameServer::ReceiveClientMessages()
{
    std::vector<int32_t> slots;
    for (int32_t i = 0; i < m_Clients.GetSize(); ++i)
        slots.push_back(m_Clients.GetUsedSlot(i));
    for (const int32_t slot : slots) {
        if (!m_Clients.GetBySlot(slot))
            continue;
        m_CurrentClient = slot;
        ForgetReceivedHeader();
        GamePacketHeader header;
        int32_t channel = kTCP;
        for (int32_t handled = 0; handled < kMaxMessagesPerClient && ReceivePacketHeader(&header, &channel); ++handled) {
            DispatchGuarded(header);
            if (!m_Clients.GetBySlot(slot))
                break;  // the message removed its client, and its queues went with it
            NextPacket();
        }
        ForgetReceivedHeader();
    }
    m_CurrentClient = -1;
}

// A message whose data raise an error drops its client, never the server.
void GameServer::DispatchGuarded(const GamePacketHeader& header)
{
    const int32_t slot = m_CurrentClient;
    try {
        DispatchMessage(header);
    } catch (const ErrorMsg& error) {
        char what[32];
        std::snprintf(what, sizeof what, "message 0x%04X", header.id);
        DropClientAfterError(slot, what, error.message);
    }
}

void GameServer::DropClientAfterError(int32_t slot, const char* what, const char* message)
{
    Log::Write("Client %i removed: %s: %s", slot, what, message);
    ForgetReceivedHeader();
    RemoveClient(slot, true);
}

void GameServer::DispatchMessage(const GamePacketHeader& header)
{
    if (!IsListening()) {
        GameNetworkNode::DispatchMessage(header);
        return;
    }
    GameClientInfo* client = m_Clients.GetBySlot(m_CurrentClient);
    if (!client)
        return;
    if (IsEmptyMessage(header.id) && header.unitSize != 0) {
        Warning("Client %i: message 0x%04X of %u units of %i bytes ignored", m_CurrentClient, header.id, header.count,
                header.unitSize);
        return;
    }
    if (header.id >= kFirstGameMessage && header.id <= kLastGameMessage) {
        if (!DispatchGameMessage(header, *client) && LogsTraffic(1))
            Log::Write("Unknown packet received: 0x%04X", header.id);
        return;
    }
    switch (header.id) {
    case kMsgPosition:
        ReceiveClientPositions(*client, header);
        break;
    case kMsgChat:
        ReceiveChat(header);
        break;
    case kMsgPlayerInfo:
        if (CheckClientVersion(*client, header))
            ClearSyncRequests(m_CurrentClient);  // a (re)joining client starts from its own checksums
        break;
    case kMsgLevelLoaded:
        ReceiveLevelLoaded(*client);
        break;
    case kMsgSetHostingChar:
        ReceiveHostingChar(*client);
        break;
    case kMsgCreatureSetMovement:
        ReceiveCreatureSetMovement(*client, header);
        break;
    case kMsgCreatureSetRotVal:
        ReceiveCreatureSetRotVal(*client, header);
        break;
    case kMsgObjectAction:
        ReceiveObjectAction(*client, header);
        break;
    case kMsgWorldEvent:
        ReceiveServerWorldEvent(*client, header);
        break;
    case kMsgSetEquipment:
        ReceiveServerSetEquipment(*client, header);
        break;
    case kMsgSyncRequest:
        ReceiveSyncRequests(*client, header);
        break;
    case kMsgSyncRequestsDone:
        ReceiveSyncRequestsDone(*client);
        break;
    case kMsgLevelSynced:
        ReceiveLevelSynced(*client);
        break;
    case kMsgDropItem:
        ReceiveDropItem(*client, header);
        break;
    case kMsgUseObject:
        ReceiveUseObject(*client, header);
        break;
    case kMsgRunScript:
        RefuseRunScript(*client);
        break;
    case kMsgCreatureSetAction:
        ReceiveCreatureSetAction(*client, header);
        break;
    case kMsgCreatureKilled:
        ReceiveCreatureKilled(*client, header);
        break;
    case kMsgDialogAnswered:
        ReceiveDialogAnswered(*client, header);
        break;
    case kMsgReviveCreature:
        ReceiveReviveCreature(*client, header);
        break;
    case kMsgCharLevelChange:
        ReceiveServerCharLevelChange(*client, header);
        break;
    case kMsgLoadCheckpoint:
        ReceiveLoadCheckpoint(*client, header);
        break;
    case kMsgDummyData:
    case kMsgRestartLevel:
        break;
    default:
        if (LogsTraffic(1))
            Log::Write("Unknown packet received: 0x%04X", header.id);
        break;
    }
}

void GameServer::TickTimeSync(float dt)
{
    m_TimeSyncCountdown -= dt;
    if (m_TimeSyncCountdown < 0.0f) {
        SendTimeSync();
        m_TimeSyncCountdown = m_TimeSyncInterval;  // the overshoot is not carried
    }
}

// Message 0x2800 over UDP, one unit: f64 game time; to every joined client.
bool GameServer::SendTimeSync()
{
    SetSendTarget(-1, kClientJoined);
    if (!BeginPacketUDP(kMsgTimeSync, 8))
        return false;
    uint8_t unit[8];
    ByteWriter out(unit, sizeof unit);
    out.WriteDouble(GetGameTime());
    const bool sent = WriteData(unit, sizeof unit, true);
    if (LogsTraffic(2))
        Log::Write("NetSend: TimeSync:%.2f", GetGameTime());
    return sent;
}

// A client that has not told who it is, or not joined, in time gets a DisconnectRequest and goes.
void GameServer::CheckJoinTimeouts()
{
    const double now = Timer::GetTime();
    std::vector<int32_t> late;
    for (int32_t i = 0; i < m_Clients.GetSize(); ++i) {
        const GameClientInfo* client = m_Clients.GetAt(i);
        if (!client || client->state >= kClientJoined)
            continue;
        const double waited = now - client->connectedAt;
        if ((client->state <= kClientAccepted && waited > kPlayerInfoTimeout) || waited > kJoinTimeout)
            late.push_back(m_Clients.GetUsedSlot(i));
    }
    for (const int32_t slot : late) {
        PrintMessage("Client %i timed out while joining", slot);
        SendAwayClient(slot, kReasonJoinTimeout);
    }
}

// What waits aside goes on into the queues; a client whose backlog outgrew its bounds is gone.
void GameServer::DrainClientOverflows()
{
    const double now = Timer::GetTime();
    std::vector<int32_t> stuck;
    for (int32_t i = 0; i < m_Clients.GetSize(); ++i) {
        const GameClientInfo* client = m_Clients.GetAt(i);
        if (!client || client->tcpConnection < 0)
            continue;
        m_SendTransport.Drain(client->tcpConnection);
        if (m_SendTransport.IsOverflowExceeded(client->tcpConnection, now))
            stuck.push_back(m_Clients.GetUsedSlot(i));
    }
    for (const int32_t slot : stuck) {
        PrintMessage("Client %i does not read its messages: removed", slot);
        RemoveClient(slot, true);
    }
    // Nobody talks to the server over the broadcast socket: whatever reaches it is dropped.
    if (m_BroadcastConnection >= 0)
        while (m_NetNode.GetNumBytesWaiting(m_BroadcastConnection) > 0)
            m_NetNode.Receive(m_BroadcastConnection, nullptr, true, 0);
}
