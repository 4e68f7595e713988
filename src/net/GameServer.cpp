// GameServer: construction, the server's settings of "cfg\server.cfg", the name and the player
// limit, starting to listen with the broadcast connection, the LAN announcement, the console
// printer and the controller's answers while the server listens.
#include "net/GameServer.h"

#include "base/ByteReader.h"
#include "base/ConfigFileReader.h"
#include "base/Log.h"
#include "base/Timer.h"
#include "game/objects/CreatureObj.h"
#include "platform/ConsoleOutput.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

constexpr float kDegreesToRadians = 0.017453292f;
const uint8_t kAnnouncementMagic[4] = {'K', 'S', 'I', 'o'};

}  // namespace

// The framing writes through the server's transport, which the node's own transport node serves.
GameServer::GameServer() : GameNetworkNode(m_SendTransport), m_SendTransport(m_NetNode) { CopyName32(this, "GameServer"); }

GameServer::GameServer(GamePacketTransport& transport) : GameNetworkNode(transport), m_SendTransport(m_NetNode)
{
    CopyName32(this, "GameServer");
}

GameServer::~GameServer()
{
    m_NetNode.Stop();  // no thread may still fill a queue while the table goes
    m_Clients.DeleteAll();
}

void GameServer::ReadServerConfig(ConfigFileReader& reader)
{
    reader.GetFloat("TimeSyncInterval", m_TimeSyncInterval);
    reader.GetInt("PosUpdateEveryNthFrame", m_PosUpdateEveryNthFrame);
    m_PosUpdateEveryNthFrame = std::max(1, m_PosUpdateEveryNthFrame);  // a divisor
    float fps[2] = {m_MinFPS, m_MaxFPS};
    if (reader.GetFloatPair("MinMaxFPS", fps) == 0 && fps[0] > 0.0f && fps[1] >= fps[0]) {
        m_MinFPS = fps[0];
        m_MaxFPS = fps[1];
    }
    reader.GetInt("DataPort", m_DataPort);
    reader.GetInt("BroadcastPortLocal", m_BroadcastPortLocal);
    reader.GetInt("BroadcastPortRemote", m_BroadcastPortRemote);
    reader.GetFloat("BroadcastInfoInterval", m_BroadcastInfoInterval);
    reader.GetFloat("PosUpdateTolerance", m_PositionTolerance);
    float degrees = 0.0f;
    if (reader.GetFloat("AngleUpdateTolerance", degrees) == 0)
        m_AngleTolerance = degrees * kDegreesToRadians;
    m_TimeSyncCountdown = m_TimeSyncInterval;
}

void GameServer::LoadGameOptions()
{
    GameNetworkNode::LoadGameOptions();
    if (m_NetSettings.logNetworkTraffic >= NetworkSettings::kTrafficFilesLevel)
        m_NetNode.EnableTrafficLog(NetworkNode::kLogIncoming | NetworkNode::kLogOutgoing, "server");
}

void GameServer::SetServerName(const char* name)
{
    std::memset(m_ServerInfo.name, 0, sizeof m_ServerInfo.name);
    if (name)
        std::strncpy(m_ServerInfo.name, name, ServerInfoBlock::kNameField - 1);
}

void GameServer::SetMaxPlayers(int32_t count)
{
    const int32_t clamped = std::max(1, std::min(kMaxPlayersLimit, count));
    if (clamped != count)
        Warning("Maximum number of players %i changed to %i", count, clamped);
    m_ServerInfo.maxPlayers = uint16_t(clamped);
}

GameServer::TimingInfo GameServer::GetTimingInfo() const { return TimingInfo{uint32_t(kTimingValue), m_MinFPS, m_MaxFPS}; }

bool GameServer::StartNetworkServer(int32_t port)
{
    if (IsListening())
        return true;
    // Every client's UDP socket must be free to take: a range that reaches the listening port or
    // the broadcast port would fail clients later, so it is refused now.
    if (m_DataPort > 0) {
        const int32_t last = m_DataPort + kMaxPlayersLimit - 1;
        const bool listening = port > 0 && port >= m_DataPort && port <= last;
        const bool broadcast = m_BroadcastPortLocal > 0 && m_BroadcastPortLocal >= m_DataPort &&
                               m_BroadcastPortLocal <= last;
        if (listening || broadcast || last > 65535)
            Error("DataPort range %i to %i overlaps a port in use", m_DataPort, last);
    }
    if (!m_NetNode.StartServer(port))
        Error("m_NetNode.Start() failed");
    OpenServerBroadcastConnection();
    m_WorldUpdateDepth = 0;
    m_CurrentClient = -1;
    return ReportWinsockError(nullptr);
}

bool GameServer::OpenServerBroadcastConnection()
{
    if (m_BroadcastConnection >= 0) {
        m_NetNode.DeleteConnection(m_BroadcastConnection, true);
        m_BroadcastConnection = -1;
    }
    if (m_BroadcastPortLocal < 1)
        return false;
    m_BroadcastConnection = m_NetNode.Connect(NetworkNode::kUDP, m_NetSettings.broadcastIP.c_str(),
                                              uint16_t(m_BroadcastPortRemote), uint16_t(m_BroadcastPortLocal));
    if (m_BroadcastConnection < 0)
        ReportWinsockError("OpenBroadcastConnection");
    return m_BroadcastConnection >= 0;
}

void GameServer::GetServerInfo(ServerInfoBlock& block)
{
    block = m_ServerInfo;
    block.version = kProtocolVersion;
    block.port = m_NetNode.GetPort();
    block.levelProgressID = uint32_t(GetLevelSettings().levelProgressID);
    block.difficulty = uint32_t(GetDifficulty());
    block.players = uint16_t(CountJoinedPlayers());
}

// "KSIo", then the block, as one datagram.
bool GameServer::SendLanAnnouncement()
{
    if (m_BroadcastConnection < 0)
        return false;
    uint8_t bytes[kAnnouncementSize];
    std::memcpy(bytes, kAnnouncementMagic, sizeof kAnnouncementMagic);
    ServerInfoBlock block;
    GetServerInfo(block);
    block.Write(bytes + sizeof kAnnouncementMagic);
    return m_NetNode.SendData(m_BroadcastConnection, bytes, kAnnouncementSize, true);
}

namespace {

void PrintFormatted(const char* prefix, const char* format, va_list args) __attribute__((format(printf, 2, 0)));

void PrintFormatted(const char* prefix, const char* format, va_list args)
{
    char text[1024];
    std::vsnprintf(text, sizeof text, format, args);
    Platform::ConsoleWrite(prefix);
    Platform::ConsoleWrite(text);
    Log::Write("%s", text);
}

}  // namespace

void GameServer::PrintMessage(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    PrintFormatted("\n", format, args);
    va_end(args);
}

void GameServer::PrintConsoleOnly(const char* text)
{
    Platform::ConsoleWrite("\n");
    Platform::ConsoleWrite(text);
}

void GameServer::PrintMessageInline(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    PrintFormatted("", format, args);
    va_end(args);
}

bool GameServer::IsServer() const { return IsListening(); }

bool GameServer::IsNetworkGameServer() const { return IsListening(); }

// A level load runs for seconds: clients come and go meanwhile, but no world is stepped.
void GameServer::ServiceNetwork()
{
    if (!IsListening()) {
        GameNetworkNode::ServiceNetwork();
        return;
    }
    HandleConnections();
    FinishPacket();
}

void GameServer::RevealMapAtPosition()
{
    if (IsListening())
        UpdateActiveArea();
    else
        GameNetworkNode::RevealMapAtPosition();
}

void GameServer::UpdateActiveArea()
{
    std::vector<D3DXVECTOR2> centres;
    for (int32_t i = 0; i < m_Clients.GetSize(); ++i) {
        const GameClientInfo* client = m_Clients.GetAt(i);
        if (client && client->state >= kClientJoined)
            if (CreatureObj* creature = GetClientCreature(m_Clients.GetUsedSlot(i)))
                centres.push_back(creature->GetPos());
    }
    if (CreatureObj* hero = GetMainChar())
        centres.push_back(hero->GetPos());
    m_World.MarkActiveArea(centres.data(), int32_t(centres.size()));
}

CreatureObj* GameServer::GetClientCreature(int32_t slot)
{
    const GameClientInfo* client = m_Clients.GetBySlot(slot);
    if (!client || client->playerInfo.mainCharObjID < 0)
        return nullptr;
    WorldElem* elem = m_World.GetObjNoCheck(client->playerInfo.mainCharObjID, false);
    return elem && elem->IsCreature() ? static_cast<CreatureObj*>(elem) : nullptr;
}

int32_t GameServer::FindClientOfCreature(const CreatureObj* creature)
{
    if (!creature)
        return -1;
    for (int32_t i = 0; i < m_Clients.GetSize(); ++i) {
        const GameClientInfo* client = m_Clients.GetAt(i);
        if (client && client->playerInfo.mainCharObjID >= 0 && client->playerInfo.mainCharObjID == creature->m_ObjID)
            return m_Clients.GetUsedSlot(i);
    }
    return -1;
}

int32_t GameServer::CountJoinedPlayers()
{
    int32_t count = 0;
    for (int32_t i = 0; i < m_Clients.GetSize(); ++i)
        if (const GameClientInfo* client = m_Clients.GetAt(i); client && client->state >= kClientJoined)
            ++count;
    return count;
}

CreatureObj* GameServer::GetJoinedPlayerCreature(int32_t n)
{
    for (int32_t i = 0; i < m_Clients.GetSize(); ++i) {
        const GameClientInfo* client = m_Clients.GetAt(i);
        if (client && client->state >= kClientJoined && n-- == 0)
            return GetClientCreature(m_Clients.GetUsedSlot(i));
    }
    return nullptr;
}

bool GameServer::AnyClientInWorld()
{
    for (int32_t i = 0; i < m_Clients.GetSize(); ++i)
        if (const GameClientInfo* client = m_Clients.GetAt(i); client && client->state >= kClientChecksumsSent)
            return true;
    return false;
}

int32_t GameServer::GetNumPlayers() { return IsListening() ? CountJoinedPlayers() : GameNetworkNode::GetNumPlayers(); }

WorldElem* GameServer::GetPlayerCharacter(int32_t player)
{
    return IsListening() ? GetJoinedPlayerCreature(player) : GameNetworkNode::GetPlayerCharacter(player);
}
