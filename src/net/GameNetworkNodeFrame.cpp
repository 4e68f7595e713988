// GameNetworkNode: the per-frame network service around the controller's own step, the transport's
// events, the receive loop with its join-time filter and deferral, the replay of what was deferred,
// and the slew of the game clock toward the server's.
#include "net/GameNetworkNode.h"

#include "base/DXC_Base.h"
#include "base/ErrorClass.h"
#include "base/Log.h"
#include "base/Timer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

int32_t GameNetworkNode::UpdateFrame(float frameTime)
{
    const bool connected = IsConnected();
    SetNetworkedGame(connected);
    ProcessTransportEvents();
    ReceiveMessages();
    ServiceJoin();
    int32_t result = 1;
    if (m_ConnectionState == eLoadingLevel) {
        try {  // the level and its values came from the server
            LoadReceivedLevel();
        } catch (const ErrorMsg& error) {
            CloseAfterError("level load", error.message);
        } catch (const DXC_Error& error) {  // a damaged scene file of the level
            CloseAfterError("level load", error.message);
        }
    } else
        result = GameCtrl::UpdateFrame(frameTime);
    FinishPacket();
    if (m_ConnectionState > eConnected && m_ConnectionState < eRunningGame)
        Timer::Sleep(kJoinSleepMs);  // the server feeds a joining client while it waits
    if (m_ConnectionState == eSyncing)
        WatchSyncStall();
    return result;
}

// The level of the server's load request, at its seed, time and difficulty.
void GameNetworkNode::LoadReceivedLevel()
{
    m_TotalSyncsRequested = 0;
    m_World.GetGameRandom().Seed(m_LevelLoad.randomSeed);
    m_GameTime = m_LevelLoad.gameTime;
    SetDifficulty(m_LevelLoad.difficulty, 1, 1);
    const String saveDir = GetSavegamePath(-3);
    ChangeLevel(m_LevelLoad.levelName, saveDir, LevelChangeOptions());
    if (m_ConnectionState == eLoadingLevel)  // a connection lost during the load stays lost
        SetConnectionState(eLevelLoaded);
}

// The debug switch dumps the requested syncs once when a join has received none for a while: a
// headless client has no keys to ask for it.
void GameNetworkNode::WatchSyncStall()
{
    if (m_DebugMode == 0)
        return;
    const double now = Timer::GetTime();
    if (m_StallSyncs != m_NumberOfObjSyncsToReceive) {
        m_StallSyncs = m_NumberOfObjSyncsToReceive;
        m_StallSince = now;
    } else if (m_StallSince >= 0.0 && now - m_StallSince >= kSyncStallSeconds) {
        DumpSyncState();
        m_StallSince = -1.0;  // once per stall
    }
}

void GameNetworkNode::ProcessTransportEvents()
{
    NetworkNode::ConnectionEvent event;
    while (m_NetNode.GetThreadEvent(&event)) {
        if (event.kind != NetworkNode::kConnectionClosed)
            continue;
        if (event.connectionID == m_BroadcastConnection) {
            m_BroadcastConnection = -1;
            Log::Write("Broadcast connection lost");
        } else if (event.connectionID >= 0 &&
                   (event.connectionID == GetTCPConnection() || event.connectionID == GetUDPConnection())) {
            if (event.connectionID == GetTCPConnection())
                SetConnections(-1, GetUDPConnection());
            else
                SetConnections(GetTCPConnection(), -1);
            CloseConnections();
            OnConnectionLost();
        }
    }
}

// Deletions too: one may answer a sync request, and the join waits for every answer.
bool GameNetworkNode::IsJoinMessage(uint16_t id)
{
    switch (id) {
    case kMsgDeleteObject:
    case kMsgDeleteWall:
    case kMsgSetMainChar:
    case kMsgObjectChecksums:
    case kMsgChecksumsFinished:
    case kMsgRequestedSync:
    case kMsgNotExisting:
    case kMsgGameBasics:
    case kMsgDisconnectRequest:
        return true;
    default:
        return false;
    }
}

int32_t GameNetworkNode::GetDeferredBytes() const
{
    return m_Deferred.GetCapacity() == 0 ? 0 : m_Deferred.GetMaxMessage() - m_Deferred.GetFree();
}

// One message at a time, so that a join message behind a deferred one is still handled at once;
// the deferred ones keep their order.
bool GameNetworkNode::DeferCurrentMessage()
{
    const int32_t connection = GetReceiveConnection();
    const int32_t length = m_Transport.GetNumBytesWaiting(connection);
    if (length <= 0)
        return true;
    const int32_t needed = length + RingQueue::kPrefixSize;
    if (m_Deferred.GetCapacity() == 0 || m_Deferred.GetFree() < needed) {
        const int64_t wanted = int64_t(m_Deferred.GetCapacity()) + needed + kDeferredGrowth;
        const int32_t capacity = int32_t(std::min<int64_t>(wanted, kMaxDeferredBytes));
        const bool grown = m_Deferred.GetCapacity() == 0 ? (m_Deferred.Create(capacity), true) : m_Deferred.Resize(capacity);
        if (!grown || m_Deferred.GetFree() < needed)
            return false;
    }
    std::vector<uint8_t> message(static_cast<size_t>(length));
    if (m_Transport.Receive(connection, message.data(), false, length) != length)
        return true;  // vanished with its connection
    m_Deferred.Push(message.data(), length);
    return true;
}

void GameNetworkNode::ReceiveMessages()
{
    m_SyncsHandledThisFrame = 0;
    GamePacketHeader header;
    int32_t channel = kTCP;
    while (ReceivePacketHeader(&header, &channel)) {
        const bool joining = m_ConnectionState >= eLevelLoadedReported && m_ConnectionState < eRunningGame;
        if (joining && !IsJoinMessage(header.id)) {
            // Only TCP keeps its order; a UDP message (a position, say) is stale by SetMainChar.
            if (channel == kTCP && !GetReplaySource() && !DeferCurrentMessage()) {
                Warning("Deferred messages exceed %i bytes while joining: connection closed", kMaxDeferredBytes);
                NextPacket();
                CloseConnections();
                OnConnectionLost();
                break;
            }
        } else {
            DispatchGuarded(header);
            if (header.id == kMsgRequestedSync)
                ++m_SyncsHandledThisFrame;
        }
        NextPacket();
        if (!IsConnected() && !GetReplaySource())
            break;  // the message ended the link
        if (m_SyncsHandledThisFrame >= kMaxSyncsPerFrame)
            break;
    }
    ReadLanAnnouncements();
}

// A message that raises an error while it is applied (out of sync, a block that does not unpack,
// a state that does not load) is dropped with its text; it must not end the program. Only a
// SetMainChar that fails ends the link: without its character the client cannot play.
void GameNetworkNode::DispatchGuarded(const GamePacketHeader& header)
{
    try {
        DispatchMessage(header);
    } catch (const ErrorMsg& error) {
        DropAfterMessageError(header, error.message);
    } catch (const DXC_Error& error) {  // a damaged scene file of an element the message made
        DropAfterMessageError(header, error.message);
    }
}

void GameNetworkNode::DropAfterMessageError(const GamePacketHeader& header, const char* message)
{
    char what[32];
    std::snprintf(what, sizeof what, "message 0x%04X", header.id);
    if (header.id == kMsgSetMainChar)
        CloseAfterError(what, message);
    else
        Log::Write("Dropped %s: %s", what, message);
}

void GameNetworkNode::CloseAfterError(const char* what, const char* message)
{
    Log::Write("Connection to the server closed: %s: %s", what, message);
    CloseConnections();
    OnConnectionLost();
}

void GameNetworkNode::DispatchMessage(const GamePacketHeader& header)
{
    switch (header.id) {
    case kMsgSetMainChar:
        HandleSetMainChar();
        ReplayDeferredMessages();
        break;
    case kMsgDummyData:
        break;
    case kMsgServerInfo:
        ReceiveServerInfo(header);
        break;
    case kMsgLoadLevelRequest:
        ReceiveLevelLoad(header);
        break;
    case kMsgGameBasics:
        ReceiveGameBasics(header);
        break;
    case kMsgObjectChecksums:
        ReceiveObjectChecksums(header);
        break;
    case kMsgChecksumsFinished:
        CompareObjectChecksums();
        break;
    case kMsgSyncData:
    case kMsgRequestedSync:
        ReceiveNetworkData_ObjectSync(header.id == kMsgRequestedSync);
        break;
    case kMsgNotExisting:
        ReceiveNotExisting(header);
        break;
    case kMsgPosition:
        ReceivePositions();
        break;
    case kMsgAnicycle:
        ReceiveAnicycles();
        break;
    case kMsgSetHealth:
        ReceiveSetHealth();
        break;
    case kMsgGainXp:
        ReceiveGainXp();
        break;
    case kMsgTimeSync:
        ReceiveTimeSync();
        break;
    case kMsgSubtractMana:
        ReceiveSubtractMana();
        break;
    case kMsgDisconnectRequest:
        ReceiveDisconnectRequest();
        break;
    case kMsgCharLevelChange:
        ReceiveCharLevelChange();
        break;
    case kMsgBloodEffect:
        ReceiveBloodEffect();
        break;
    case kMsgWorldEvent:
        ReceiveDataBlock(header);
        break;
    case kMsgRunScript:
        ReceiveRunScript(header, kClientScriptFlags);
        break;
    case kMsgSetEquipment:
        ReceiveSetEquipment(header);
        break;
    case kMsgChat:
        ReceiveChatMessage(header);
        break;
    case kMsgAddObject:
        ReceiveNetworkData_AddObject(header);
        break;
    case kMsgDeleteObject:
        ReceiveDeleteObject();
        break;
    case kMsgDeleteWall:
        ReceiveDeleteWall();
        break;
    case kMsgUseObject:
        ReceiveUseObject();
        break;
    case kMsgRunScriptFunction:
        ReceiveRunScriptFunction(header);
        break;
    case kMsgPerformActionShot:
    case kMsgPerformActionEffect:
        ReceivePerformAction(header);
        break;
    case kMsgCreatureKilled:
        ReceiveCreatureKilled();
        break;
    case kMsgReviveCreature:
        ReceiveReviveCreature();
        break;
    case kMsgPickUp:
        ReceivePickUp();
        break;
    case kMsgSaveCharacter:
        HandleServerMessage(0);
        break;
    case kMsgCurrentAction:
        ReceiveCurrentAction(header);
        break;
    default:
        if (m_NetSettings.logNetworkTraffic >= 1)
            Log::Write("Unknown packet received: 0x%04X", header.id);
        break;
    }
}

void GameNetworkNode::ReplayDeferredMessages()
{
    if (GetDeferredBytes() == 0)
        return;
    // Taken out first: whatever the replay defers again starts a buffer of its own.
    RingQueue replay;
    replay.Create(m_Deferred.GetCapacity());
    while (m_Deferred.HasMessage()) {
        const int32_t length = m_Deferred.GetMessageLength();
        std::vector<uint8_t> message(static_cast<size_t>(length));
        m_Deferred.Pop(message.data(), true);
        replay.Push(message.data(), length);
    }
    m_Deferred.Free();

    // The message that asked for the replay stays held on its channel for the loop around it.
    const bool onUDP = m_ReceiveOnUDP != 0;
    const int32_t syncsHandled = m_SyncsHandledThisFrame;
    ForgetReceivedHeader();
    SetReplaySource(&replay);
    ReceiveMessages();
    SetReplaySource(nullptr);
    ForgetReceivedHeader();
    SelectReceiveChannel(onUDP);
    m_SyncsHandledThisFrame = syncsHandled;
}

int32_t GameNetworkNode::AdvanceGameTime(float seconds)
{
    if (m_ConnectionState != eRunningGame || m_TimeSlewTarget < 0.0)
        return GameCtrl::AdvanceGameTime(seconds);
    const double dt = double(seconds);
    const double diff = m_TimeSlewTarget - m_GameTime;
    const double a = std::fabs(diff);
    const double step = (diff < 0.0 ? -1.0 : 1.0) * std::max(0.1, a) * dt;
    if (a <= 1.0 && std::fabs(step) <= a) {
        m_TimeSlewTarget += dt;
        m_GameTime += step + dt;
    } else {
        m_GameTime = m_TimeSlewTarget + dt;  // too far off: jump
        m_TimeSlewTarget = -1.0;
    }
    return 1;
}
