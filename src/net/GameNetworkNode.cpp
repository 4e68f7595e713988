// GameNetworkNode: construction and teardown, the connection states and their names, the
// controller's answers while a network game runs, the network settings, closing the link to the
// server, and the reports (transport errors, disconnect reasons, the sync state).
#include "net/GameNetworkNode.h"

#include "base/ConfigFileReader.h"
#include "base/Log.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

#include <cstdio>

GameNetworkNode::GameNetworkNode() : GamePacketFraming(static_cast<GameCtrl&>(*this), m_NodeTransport) {}

GameNetworkNode::GameNetworkNode(GamePacketTransport& transport)
    : GamePacketFraming(static_cast<GameCtrl&>(*this), transport)
{
}

GameNetworkNode::~GameNetworkNode()
{
    // The transport's threads end before the queues the framing points into go.
    m_NetNode.Stop();
    m_Deferred.Free();
    m_RequestedSyncList.DeleteAll();
    m_MultiplayerCharacters.DeleteAll();
}

String GameNetworkNode::ConnectionStateName() const
{
    return ConnectionStateName(m_ConnectionState, m_NumberOfObjSyncsToReceive);
}

namespace {

String Formatted(const char* format, int32_t value) __attribute__((format(printf, 1, 0)));

String Formatted(const char* format, int32_t value)
{
    char text[96];
    std::snprintf(text, sizeof text, format, value);
    return String(text);
}

}  // namespace

String GameNetworkNode::ConnectionStateName(int32_t state, int32_t syncsExpected)
{
    switch (state) {
    case eDisconnected: return "eDisconnected";
    case eConnected: return "eConnected";
    case ePlayerInfoSent: return "ePlayerInfoSent";
    case eLoadingLevel: return "eLoadingLevel";
    case eLevelLoaded: return "eLevelLoaded";
    case eLevelLoadedReported: return "eLevelLoadedReported";
    case eSyncRequested: return Formatted("eSyncRequested: %i", syncsExpected);
    case eSyncing: return Formatted("eSyncing: %i", syncsExpected);
    case eSynced: return "eSynced";
    case eRunningGame: return "eRunningGame";
    default: return Formatted("unknown: %i", state);
    }
}

String GameNetworkNode::DisconnectReasonText(int32_t reason)
{
    switch (reason) {
    case kReasonWrongVersion: return "DB:net_wrong_version";
    case kReasonHostLeft: return "DB:net_host_left_game";
    case kReasonServerFull: return "DB:net_max_players";
    case kReasonTimeout: return "DB:net_timeout";
    case kReasonUDPFailed: return "DB:net_udp_failed";
    default: return Formatted("Server rejected connection for an unknown reason: %i", reason);
    }
}

bool GameNetworkNode::CanRunScriptLocally(uint8_t runFlags)
{
    if (runFlags & 1)
        return true;
    return !IsConnected();  // a client leaves the world's scripts to the server
}

bool GameNetworkNode::IsJoiningNetworkGame(float* progress)
{
    if (m_ConnectionState < eConnected || m_ConnectionState >= eRunningGame)
        return false;
    if (progress) {
        *progress = 0.0f;
        if (m_TotalSyncsRequested > 0)
            *progress = 1.0f - float(m_NumberOfObjSyncsToReceive) / float(m_TotalSyncsRequested);
    }
    return true;
}

bool GameNetworkNode::AllowsInput()
{
    if (IsJoiningNetworkGame())
        return false;
    return GameCtrl::AllowsInput();
}

bool GameNetworkNode::IsRunning()
{
    if (IsConnected())
        return false;
    return GameCtrl::IsRunning();
}

bool GameNetworkNode::IsNetworkGame()
{
    const int32_t peers = m_NetNode.GetNumConnections() - (m_BroadcastConnection >= 0 ? 1 : 0);
    return peers > 0;
}

bool GameNetworkNode::IsMultiplayerGame() const
{
    return m_ConnectionState >= eConnected || m_NetNode.IsServer();
}

// A level load runs for seconds: meanwhile a lost connection is noticed and what is pending goes
// out. Received messages wait in their queues until the next frame, in their order.
void GameNetworkNode::ServiceNetwork()
{
    if (!m_NetNode.IsRunning())
        return;
    ProcessTransportEvents();
    FinishPacket();
}

void GameNetworkNode::LoadGameOptions()
{
    GameCtrl::LoadGameOptions();
    m_NetSettings.Read(GetGameConfig());
    if (!m_NetNode.IsRunning())  // the transport takes its settings before it starts
        m_NetSettings.ApplyTo(m_NetNode);
    SetTrafficLogLevel(m_NetSettings.logNetworkTraffic);
    SetMaxBatchBytes(m_NetSettings.maxBatchBytes);
    StartNetwork();
}

void GameNetworkNode::LoadGameRules(ConfigFileReader& reader)
{
    GameCtrl::LoadGameRules(reader);
    ConfigFileReader& config = GetGameConfig();
    config.GetString("serverIP", m_RulesServerIP);
    m_RulesServerPort = -1;
    config.GetInt("serverPort", m_RulesServerPort);
}

void GameNetworkNode::OnSendFailed(int32_t connectionID)
{
    Warning("Sending to connection %i failed: connection closed", connectionID);
    if (connectionID == GetTCPConnection() || connectionID == GetUDPConnection()) {
        CloseConnections();
        OnConnectionLost();
    }
}

void GameNetworkNode::SetConnectionState(int32_t state)
{
    if (state != m_ConnectionState)
        m_ConnectionState = state;
}

void GameNetworkNode::Disconnect()
{
    if (IsConnected())
        CloseConnections();
}

void GameNetworkNode::OnConnectionLost() { m_World.ShowTextMessage(3.0f, u"%s", u"DB:net_connection_lost"); }

bool GameNetworkNode::StartNetwork()
{
    if (!m_NetNode.IsRunning() && !m_NetNode.Start())
        Warning("m_NetNode.Start() failed");
    return ReportWinsockError(nullptr);
}

void GameNetworkNode::CloseConnections()
{
    for (const int32_t id : {GetTCPConnection(), GetUDPConnection()})
        if (id >= 0)
            m_NetNode.DeleteConnection(id, true);
    SetConnections(-1, -1);
    ForgetReceivedHeader();
    m_ReceiveConnection = -1;
    m_SendConnection = -1;
    m_NumberOfObjSyncsToReceive = 0;
    m_TotalSyncsRequested = 0;
    m_SyncsHandledThisFrame = 0;
    m_RequestedSyncList.DeleteAll();
    SetConnectionState(eDisconnected);
    m_Deferred.Free();  // what waited for the join has no game to go to
    m_MultiplayerCharacters.DeleteAll();
    m_ServerHost = String();
    m_ServerPortConnected = 0;
}

bool GameNetworkNode::ReportWinsockError(const char* where)
{
    if (m_NetNode.GetLastErrorCode() == 0)
        return true;
    m_ErrorText = m_NetNode.GetLastErrorText();
    if (where)
        Warning("Winsock error in %s: %s", where, m_ErrorText.c_str());
    else
        Warning("Winsock error: %s", m_ErrorText.c_str());
    return false;
}

void GameNetworkNode::DumpSyncState()
{
    const char* line = "=====================================";  // 37
    Log::Write("%s", line);
    Log::Write("m_NumberOfObjSyncsToReceive = %i", m_NumberOfObjSyncsToReceive);
    Log::Write("m_RequestedSyncList.GetSize = %i", m_RequestedSyncList.GetSize());
    Log::Write("%s", line);
    for (int32_t i = 0; i < m_RequestedSyncList.GetSize(); ++i) {
        const ObjRef3* ref = m_RequestedSyncList.GetAt(i);
        if (!ref)
            continue;
        const bool wall = ref->type == 7;
        const char* kind = wall ? "wall" : "object";
        const WorldElemBase* elem = m_World.GetObjByIdentifierChecked(*ref);
        const auto* named = dynamic_cast<const WorldElem*>(elem);
        if (elem)
            Log::Write("%s %i: %s", kind, ref->objID, named ? String(named->m_Name).c_str() : "");
        else
            Log::Write("%s %i: NULL", kind, ref->objID);
    }
    Log::Write("%s", line);
}
