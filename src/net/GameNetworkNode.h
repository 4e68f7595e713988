// GameNetworkNode: the game controller on the network: the client's link to one server (a TCP and
// an optional UDP connection over its own transport node), the connection state of the join, the
// per-frame network service with the receive loop and its join-time deferral, the slew of the game
// clock toward the server's, connecting, and the controller's answers that change while a network
// game runs. The server's controller derives from it and replaces the service and the dispatcher.
// The implementation is split by role: GameNetworkNode.cpp (construction, states, the controller's
// answers, settings, closing, reports), GameNetworkNodeFrame.cpp (the per-frame service, the receive
// loop, deferral and replay, the clock slew), GameNetworkNodeConnect.cpp (connecting to a server,
// the broadcast connection, the two messages connecting writes), GameNetworkNodeObjects.cpp
// (received animation-cycle units and object IDs).
// Everything here runs on the game thread.
#pragma once
#include "base/DynaMem.h"
#include "base/SmartPtr.h"
#include "base/String.h"
#include "game/ctrl/GameCtrl.h"
#include "net/GamePacketFraming.h"
#include "net/NetworkNode.h"
#include "net/NetworkNodeTransport.h"
#include "net/NetworkSettings.h"
#include "net/RingQueue.h"
#include "world/ObjRef.h"

#include <cstdint>

class CreatureObj;
class WorldElem;
struct AnicycleUnit;

class GameNetworkNode : public GameCtrl, public GamePacketFraming {
public:
    // The join of a client, in order; 9 is a short unnamed step between the joined report and
    // SetMainChar. Every in-game test is state >= eRunningGame; connected is state >= eConnected.
    enum ConnectionState : int32_t {
        eDisconnected = 0,
        eConnected = 1,
        ePlayerInfoSent = 2,
        eLoadingLevel = 3,
        eLevelLoaded = 4,
        eLevelLoadedReported = 5,
        eSyncRequested = 6,
        eSyncing = 7,
        eSynced = 8,
        eRunningGame = 10,
    };

    // Connect reasons: 0 connected; the server's refusal status (4 full, ...); 5 time-out, 6 the
    // UDP connection failed; 7 a connect reply that is not the 6 bytes of the protocol.
    static constexpr int32_t kReasonNone = 0;
    static constexpr int32_t kReasonWrongVersion = 2;
    static constexpr int32_t kReasonHostLeft = 3;
    static constexpr int32_t kReasonServerFull = 4;
    static constexpr int32_t kReasonTimeout = 5;
    static constexpr int32_t kReasonUDPFailed = 6;
    static constexpr int32_t kReasonBadReply = 7;

    static constexpr int32_t kConnectReplySize = 6;  // u16 UDP port, u32 status
    static constexpr int32_t kMaxSyncsPerFrame = 50;  // requested syncs (0x1101) applied per frame
    static constexpr uint32_t kJoinSleepMs = 40;      // a joining client gives the server time
    static constexpr uint32_t kPollMs = 10;           // connecting polls
    // The deferred-receive buffer grows by what it lacks plus this, and never past the limit.
    static constexpr int32_t kDeferredGrowth = 524288;
    static constexpr int32_t kMaxDeferredBytes = 4 * 1024 * 1024;
    static constexpr double kSyncStallSeconds = 10.0;  // a join stuck this long dumps its sync state
    static constexpr int32_t kMaxAnicycleID = 450;

    // Message ids this node reads or writes itself.
    static constexpr uint16_t kMsgPosition = 0x0100;
    static constexpr uint16_t kMsgSetMainChar = 0x0700;
    static constexpr uint16_t kMsgAnicycle = 0x0900;
    static constexpr uint16_t kMsgSetHostingChar = 0x0701;
    static constexpr uint16_t kMsgDummyData = 0x0B00;
    static constexpr uint16_t kMsgWorldEvent = 0x0D00;
    static constexpr uint16_t kMsgObjectChecksums = 0x0F00;
    static constexpr uint16_t kMsgChecksumsFinished = 0x0F01;
    static constexpr uint16_t kMsgRequestedSync = 0x1101;
    static constexpr uint16_t kMsgNotExisting = 0x1102;
    static constexpr uint16_t kMsgGameBasics = 0x1400;
    static constexpr uint16_t kMsgDisconnectRequest = 0x4001;

    GameNetworkNode();
    // Closes the transport before the controller goes.
    ~GameNetworkNode() override;

    int32_t GetConnectionState() const { return m_ConnectionState; }
    // "eSyncRequested: %i" and "eSyncing: %i" carry the syncs still expected; any other value
    // without a name is "unknown: %i".
    String ConnectionStateName() const;
    static String ConnectionStateName(int32_t state, int32_t syncsExpected);
    static String DisconnectReasonText(int32_t reason);

    // The controller's answers while a network game runs.
    bool CanRunScriptLocally(uint8_t runFlags) override;  // bit 0: always; else only unconnected
    bool IsJoiningNetworkGame(float* progress = nullptr) override;  // states 1 to 9
    bool AllowsInput() override;  // never while joining
    bool IsRunning() override;    // false while connected
    bool IsNetworkClient() override { return m_ConnectionState >= eConnected; }
    bool IsGameRunning() override { return m_ConnectionState >= eConnected; }
    bool IsNetworkGame() override;  // a connection to a peer (the broadcast one aside)
    bool IsMultiplayerGame() const override;  // connected or listening
    void ServiceNetwork() override;

    // The per-frame service around the controller's own step, and the clock slew.
    int32_t UpdateFrame(float frameTime) override;
    int32_t AdvanceGameTime(float seconds) override;
    // The server's time to slew toward (TimeSync); -1 ends slewing.
    void SetTimeSlewTarget(double seconds) { m_TimeSlewTarget = seconds; }
    double GetTimeSlewTarget() const { return m_TimeSlewTarget; }

    // Settings: the options step, then the network keys, applied to the transport before it starts.
    void LoadGameOptions() override;
    void LoadGameRules(ConfigFileReader& reader) override;
    const NetworkSettings& GetNetworkSettings() const { return m_NetSettings; }
    NetworkSettings& GetNetworkSettings() { return m_NetSettings; }
    uint16_t GetServerPort() const { return uint16_t(m_NetSettings.serverPort); }
    const String& GetRulesServerIP() const { return m_RulesServerIP; }  // "serverIP" of the rules step
    int32_t GetRulesServerPort() const { return m_RulesServerPort; }

    // The framing's primitives.
    bool IsConnected() override { return m_ConnectionState >= eConnected; }
    void OnSendFailed(int32_t connectionID) override;

    // Connecting. A blocking connect with 10 ms polls; reason takes 0 or why it failed.
    bool ConnectToServer(const char* host, uint16_t port, bool announceHostingChar, double timeout, int32_t* reason);
    bool ConnectAttempt(const char* host, uint16_t port, double startTime, double timeout, int32_t* reason);
    // Both connections established: the current ones become the TCP connection, and state 1.
    bool ConfirmConnected();
    bool OpenBroadcastConnection(bool force);
    int32_t GetBroadcastConnection() const { return m_BroadcastConnection; }
    // True when the transport holds no error; else its text is reported (where may be null).
    bool ReportWinsockError(const char* where);
    const String& GetLastNetworkError() const { return m_ErrorText; }
    void DumpSyncState();

    // Received object data.
    void ApplyAnicycleUnit(CreatureObj& creature, const AnicycleUnit& unit, bool restart);
    // Makes the wanted ID the element's own; false when it could not (strict: an error).
    bool ClaimObjectID(WorldElem& elem, int32_t wantedID, bool strict);

    // Writes the messages connecting needs: n zero bytes of dummy data, and "Set hosting char".
    void SendDummyData(int32_t n, bool onUDP);
    void SendSetHostingChar();

    // Join bookkeeping that the join and its handlers keep.
    int32_t GetSyncsExpected() const { return m_NumberOfObjSyncsToReceive; }
    int32_t GetSyncsRequested() const { return m_TotalSyncsRequested; }
    void SetSyncCounts(int32_t requested, int32_t expected)
    {
        m_TotalSyncsRequested = requested;
        m_NumberOfObjSyncsToReceive = expected;
    }
    DynaMem<ObjRef3, 1024>& GetRequestedSyncList() { return m_RequestedSyncList; }
    int32_t GetDeferredBytes() const;
    NetworkNode& GetNetNode() { return m_NetNode; }

    // Virtuals the server and the game's rules replace.
    virtual void SetConnectionState(int32_t state);
    virtual void Disconnect();
    virtual void OnConnectionLost();
    virtual void OnCharacterAdded(WorldElem* elem) { (void)elem; }
    virtual void OnCreatureRemoved(CreatureObj* creature) { (void)creature; }
    virtual bool StartNetwork();
    virtual void CloseConnections();
    // One animation-cycle unit as 0x0900 (batched with the others of the frame).
    virtual void SendAnicycle(const AnicycleUnit& unit, bool onUDP);
    // With query answers whether a block follows PlayerInfo; without, writes it.
    virtual bool WriteExtraPlayerInfo(bool query)
    {
        (void)query;
        return false;
    }
    // The dispatcher of one received message whose header is held.
    virtual void DispatchMessage(const GamePacketHeader& header);
    virtual void ReceiveMessages();
    virtual void ServiceJoin() {}  // the join's steps come with the client's join
    virtual void HandleSetMainChar();
    // Transport events: a lost connection ends the link to the server.
    virtual void ProcessTransportEvents();

protected:
    // A node whose game packets travel over another transport (queues without sockets); its own
    // transport node stays for connecting.
    explicit GameNetworkNode(GamePacketTransport& transport);

    // Handles the messages deferred while joining, in the order they came (after SetMainChar).
    void ReplayDeferredMessages();
    // The received level load of state eLoadingLevel.
    void LoadReceivedLevel();
    // Level-load request of 0x0400, kept for the frame that loads it.
    struct LevelLoadRequest {
        char levelName[128] = {};
        uint32_t randomSeed = 0;
        double gameTime = 0.0;
        int32_t difficulty = 0;
    };

    DynaMem<SmartPtr<CreatureObj>, 4> m_MultiplayerCharacters;
    int32_t m_ConnectionState = eDisconnected;
    NetworkNode m_NetNode;
    NetworkNodeTransport m_NodeTransport{m_NetNode};
    NetworkSettings m_NetSettings;
    float m_PositionTolerance = 1.0f;
    float m_AngleTolerance = 0.08726646f;  // 5 degrees
    int32_t m_ServerVersion = 0;
    float m_ServerMinFPS = 10.0f;
    float m_ServerMaxFPS = 30.0f;
    int32_t m_MaxEventAge = 1;  // seconds
    int32_t m_NumberOfObjSyncsToReceive = 0;
    int32_t m_TotalSyncsRequested = 0;
    int32_t m_SyncsHandledThisFrame = 0;
    DynaMem<ObjRef3, 1024> m_RequestedSyncList;
    int32_t m_BroadcastConnection = -1;
    RingQueue m_Deferred;  // game packets without address, waiting for SetMainChar
    String m_ErrorText;
    LevelLoadRequest m_LevelLoad;
    double m_TimeSlewTarget = -1.0;
    uint8_t m_AddingMultiplayerCharacter = 0;
    String m_RulesServerIP;
    int32_t m_RulesServerPort = -1;
    // The server connected to, for a repeated connect.
    String m_ServerHost;
    uint16_t m_ServerPortConnected = 0;

private:
    static bool IsJoinMessage(uint16_t id);
    // Moves the held TCP message into the deferred buffer; false when it would outgrow its bound.
    bool DeferCurrentMessage();
    void DispatchGuarded(const GamePacketHeader& header);
    // Received data raised an error while it was applied: the link ends with its text.
    void CloseAfterError(const char* what, const ErrorMsg& error);
    void WatchSyncStall();
    bool WaitForConnectReply(int32_t tcp, double startTime, double timeout, uint8_t* reply, int32_t* reason);
    int32_t m_StallSyncs = -1;
    double m_StallSince = 0.0;
};
