// GameNetworkNode: the game controller on the network: the client's link to one server (a TCP and
// an optional UDP connection over its own transport node), the connection state of the join, the
// per-frame network service with the receive loop and its join-time deferral, the slew of the game
// clock toward the server's, connecting, and the controller's answers that change while a network
// game runs. The server's controller derives from it and replaces the service and the dispatcher.
// The implementation is split by role: GameNetworkNode.cpp (construction, states, the controller's
// answers, settings, closing, reports), GameNetworkNodeFrame.cpp (the per-frame service, the receive
// loop, deferral and replay, the clock slew), GameNetworkNodeConnect.cpp (connecting to a server,
// the broadcast connection), GameNetworkNodeObjects.cpp (received animation-cycle units and object
// IDs), GameNetworkNodeSyncBlock.cpp (the sync data block of a wall or object),
// GameNetworkNodeMessages.cpp (the message catalogue: the senders of chat, the join, elements,
// items, events, scripts and game flow), GameNetworkNodeCreatures.cpp (the senders of creatures:
// positions, animation cycles, movement, actions, health, death, revival, levels),
// GameNetworkNodeShared.cpp (the handlers the server's dispatcher shares: world events, scripts,
// equipment), GameNetworkNodeHandlers.cpp, GameNetworkNodeElements.cpp and
// GameNetworkNodeEvents.cpp (the client's handlers of creatures, elements and timed events),
// GameNetworkNodeChat.cpp (the chat list and the chat line), GameNetworkNodeLan.cpp (the list of
// servers heard on the local network), GameNetworkNodeScript.cpp (the network's script functions),
// GameNetworkNodeHooks.cpp (the controller's hooks that
// send instead of, or after, acting here) and GameNetworkNodePlayers.cpp (the players' characters
// and the state they carry along).
// Everything here runs on the game thread.
#pragma once
#include "base/ByteReader.h"
#include "base/DynaMem.h"
#include "base/SmartPtr.h"
#include "base/String.h"
#include "game/ctrl/GameCtrl.h"
#include "net/GamePacketFraming.h"
#include "net/NetworkNode.h"
#include "net/NetworkNodeTransport.h"
#include "net/NetworkSettings.h"
#include "net/RingQueue.h"
#include "net/ServerInfoBlock.h"
#include "world/ObjRef.h"

#include <cstdint>
#include <deque>
#include <span>
#include <vector>

class File;
class CreatureObj;
class Inventory;
class InventoryItem;
class WorldElem;
class WorldElemBase;
class VSD_WallIntern;
struct NetObjPos;
struct AnicycleUnit;
struct ScriptValue;
struct WorldEvent;

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
    // Flags of a sync item (the byte before its ObjRef3): created (full), the block holds only
    // the short state, and a creature's sync record follows that short state.
    static constexpr uint8_t kSyncItemCreated = 0x01;
    static constexpr uint8_t kSyncItemShort = 0x02;
    static constexpr uint8_t kSyncItemCreature = 0x04;
    static constexpr int16_t kSyncBlockFormat = 0x0113;
    static constexpr int32_t kSyncItemSize = 13;  // u8 item flags, ObjRef3
    static constexpr uint32_t kMaxSyncBlockBytes = 1u << 20;  // a packed block unpacked

    // Message ids this node reads or writes itself; the layouts are at the senders
    // (GameNetworkNodeMessages.cpp, GameNetworkNodeCreatures.cpp).
    static constexpr uint16_t kMsgPosition = 0x0100;
    static constexpr uint16_t kMsgChat = 0x0200;
    static constexpr uint16_t kMsgPlayerInfo = 0x0300;
    static constexpr uint16_t kMsgLoadLevelRequest = 0x0400;
    static constexpr uint16_t kMsgLevelLoaded = 0x0500;
    static constexpr uint16_t kMsgAddObject = 0x0600;
    static constexpr uint16_t kMsgSetMainChar = 0x0700;
    static constexpr uint16_t kMsgSetHostingChar = 0x0701;
    static constexpr uint16_t kMsgCreatureSetMovement = 0x0800;
    static constexpr uint16_t kMsgCreatureSetRotVal = 0x0801;
    static constexpr uint16_t kMsgAnicycle = 0x0900;
    static constexpr uint16_t kMsgDeleteObject = 0x0A00;
    static constexpr uint16_t kMsgDummyData = 0x0B00;
    static constexpr uint16_t kMsgObjectAction = 0x0C00;
    static constexpr uint16_t kMsgWorldEvent = 0x0D00;
    static constexpr uint16_t kMsgSetEquipment = 0x0E00;
    static constexpr uint16_t kMsgObjectChecksums = 0x0F00;
    static constexpr uint16_t kMsgChecksumsFinished = 0x0F01;
    static constexpr uint16_t kMsgSyncRequest = 0x1000;
    static constexpr uint16_t kMsgSyncRequestsDone = 0x1001;
    static constexpr uint16_t kMsgSyncData = 0x1100;  // unrequested; 0x1101 answers a SyncRequest
    static constexpr uint16_t kMsgRequestedSync = 0x1101;
    static constexpr uint16_t kMsgNotExisting = 0x1102;
    static constexpr uint16_t kMsgLevelSynced = 0x1200;
    static constexpr uint16_t kMsgDropItem = 0x1300;
    static constexpr uint16_t kMsgGameBasics = 0x1400;
    static constexpr uint16_t kMsgUseObject = 0x1500;
    static constexpr uint16_t kMsgRunScript = 0x1600;
    static constexpr uint16_t kMsgRunScriptFunction = 0x1700;
    static constexpr uint16_t kMsgDeleteWall = 0x1800;
    static constexpr uint16_t kMsgCreatureSetAction = 0x1900;
    static constexpr uint16_t kMsgPerformActionShot = 0x2001;
    static constexpr uint16_t kMsgPerformActionEffect = 0x2003;
    static constexpr uint16_t kMsgSetHealth = 0x2100;
    static constexpr uint16_t kMsgCreatureKilled = 0x2300;
    static constexpr uint16_t kMsgGainXp = 0x2400;
    static constexpr uint16_t kMsgDialogAnswered = 0x2500;
    static constexpr uint16_t kMsgReviveCreature = 0x2600;
    static constexpr uint16_t kMsgPickUp = 0x2700;
    static constexpr uint16_t kMsgTimeSync = 0x2800;
    static constexpr uint16_t kMsgSubtractMana = 0x2900;
    static constexpr uint16_t kMsgSaveCharacter = 0x3000;
    static constexpr uint16_t kMsgServerInfo = 0x4000;
    static constexpr uint16_t kMsgDisconnectRequest = 0x4001;
    static constexpr uint16_t kMsgCharLevelChange = 0x4100;
    static constexpr uint16_t kMsgLoadCheckpoint = 0x4200;
    static constexpr uint16_t kMsgRestartLevel = 0x4300;
    static constexpr uint16_t kMsgCurrentAction = 0x4400;
    static constexpr uint16_t kMsgBloodEffect = 0x4500;

    // Fixed unit sizes of the catalogue.
    static constexpr int32_t kCreatureSetMovementSize = 29;
    static constexpr int32_t kCreatureSetActionBlock = 24;
    static constexpr int32_t kUseObjectSize = 21;
    static constexpr int32_t kRunScriptFunctionBlock = 21;
    static constexpr int32_t kPlayerInfoSize = 259;
    static constexpr int32_t kAddObjectHead = 151;
    static constexpr uint16_t kProtocolVersion = 0x0100;
    static constexpr int32_t kConfigIDField = 128;  // char[128]: at most 127 characters
    static constexpr int32_t kPlayerNameField = 64;  // UTF-16 char[64]: at most 63 units
    static constexpr int32_t kRunScriptVariables = 8;  // object script variables 0 to 7
    static constexpr int32_t kMaxWorldEventData = 4096;  // bytes of a received world event

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
    String GetLastNetworkError() const { return m_ErrorText; }
    void DumpSyncState();

    // Received object data.
    void ApplyAnicycleUnit(CreatureObj& creature, const AnicycleUnit& unit, bool restart);
    // The creature record after a creature's position in a sync block (header bit 0x04): read
    // whole, its cycles checked and played, its colour, flags and vector set. False, with a
    // warning, when the header lacks the bit or the record is cut short: the rest of that block
    // cannot be trusted.
    bool ReadCreatureSyncData(ByteReader& reader, uint8_t header, CreatureObj& creature);
    // The sync data block of a wall or object (GameNetworkNodeSyncBlock.cpp), in a memory file:
    //   i16 format 0x0113; the configuration ID (a File string); a wall's end points (4 f32);
    //   then the short state (objects of NetSync 1: 23 bytes, a creature's 38-byte record after
    //   it; walls of NetSync below 2 with a configuration ID: nothing) or the compact saved state.
    // The writer clears the file first; allowShort takes the short form where the element's
    // NetSync asks for it, compress packs a full block whole into the packed container. It gives
    // the form bits of the item flags (kSyncItemShort, kSyncItemCreature), or -1 with a warning
    // for an element that is neither a wall nor an object.
    int32_t WriteSyncBlock(File& file, WorldElemBase& elem, bool allowShort, bool compress);
    // The 32-bit state value of an element that its short state and SetMainChar carry: its party.
    static uint32_t StateValueOf(const WorldElem& elem);
    struct SyncBlockHead {
        String name;  // the configuration ID a missing element is made from
        bool wall = false;
        float ends[4] = {};
    };
    // The head of a received block (a packed block is unpacked in place first); false when the
    // format is another or the head is cut short.
    bool ReadSyncBlockHead(File& file, bool wall, SyncBlockHead& head);
    // The rest of the block applied to the element found or made for it. A creature's record that
    // cannot be read is reported and bit 2 of the flags cleared; false when the block does not
    // fit the element or its short state is cut short.
    bool ApplySyncBlock(File& file, uint8_t& itemFlags, const SyncBlockHead& head, WorldElemBase& elem);
    // A position the server sent: at once on the server or without interpolation (its smoothing
    // target the same), else the element's smoothing takes it there over a frame or three of the
    // server's, unless it is too far off to smooth.
    void ApplyPositionUpdate(WorldElem& elem, const NetObjPos& pos, bool interpolate);
    // The main character, or a player's character that the node keeps.
    virtual bool IsPlayerCharacter(const WorldElem* elem);
    // Makes the wanted ID the element's own; false when it could not (strict: an error).
    bool ClaimObjectID(WorldElem& elem, int32_t wantedID, bool strict);

    // The message catalogue (GameNetworkNodeMessages.cpp, GameNetworkNodeCreatures.cpp). Each
    // sender answers whether its unit was written; one that fails leaves the sending queue as it
    // was before the unit. The server sets its targets first and calls the same senders.
    // Positions: only a move beyond the tolerances of the element's last-sent place of that client
    // slot (clamped to 0..3) is sent, which then becomes the last-sent place.
    bool SendPositionUpdate(WorldElem* elem, int32_t slot);
    // Only a changed cycle is sent, over UDP, unless forced (then over TCP); a failed send keeps
    // the cycles last sent.
    bool SendAnicycleUpdate(CreatureObj* creature, bool force);
    bool SendChatMessage(const wString& sender, const wString& text);
    // Only in state eConnected: the player's character, name and the game's extra block.
    bool SendPlayerInfo();
    // value: what the receiver keeps in the object; body: its network state, or none.
    bool SendAddObject(WorldElem* elem, uint32_t value, const uint8_t* body, int32_t bodySize);
    bool SendDummyData(int32_t n, bool onUDP);
    bool SendSetHostingChar();
    bool SendLevelLoaded();
    bool SendDeleteObject(const ObjRef3& ref, bool remove, bool answersSyncRequest);
    bool SendObjectAction(int32_t objID, uint16_t action, float param);
    bool SendWorldEvent(const WorldEvent& event);
    bool SendSetEquipment(WorldElem* creature, int16_t position, InventoryItem* item);
    bool SendSyncRequest(uint8_t flags, const ObjRef3& ref);  // flags bit 0: the element is missing
    bool SendSyncRequestsDone();
    bool SendLevelSynced();
    bool SendDropItem(WorldElem* creature, InventoryItem* item);
    bool SendUseObject(WorldElem* elem, const ObjRef& user, uint8_t param);
    bool SendRunScript(const char* text);  // with the object script variables 0 to 7
    // A built-in's call for the subject element at the game time; runAlways: however old it is.
    bool SendRunScriptFunction(const char* name, const ScriptValue* arguments, int32_t count, WorldElem* subject,
                               uint8_t runAlways);
    bool SendDeleteWall(const ObjRef3& ref, bool answersSyncRequest);
    bool SendSetHealth(WorldElem* creature, float health);
    bool SendCreatureKilled(WorldElem* creature);
    bool SendDialogAnswered(int32_t answer);
    bool SendReviveCreature(WorldElem* creature, int32_t value);  // the receiver acts on 1
    bool SendCharLevelChange(WorldElem* creature, int32_t level);
    bool SendLoadCheckpoint(int32_t checkpoint);
    bool SendRestartLevel();
    // The client's creature notifications (the three hooks below send them in the running game).
    bool SendCreatureSetMovement(WorldElem* creature, int32_t code, float x, float y, float speed, WorldElem* target);
    bool SendCreatureSetRotVal(WorldElem* creature, float value);
    bool SendCreatureSetAction(WorldElem* creature, int32_t code, const char* name, WorldElem* target, int32_t priority,
                               float param);

    // The controller's hooks, sent to the peer on a connected node (GameNetworkNodeHooks.cpp).
    void ReportMovement(WorldElem* creature, int32_t code, float x, float y, float speed, WorldElem* target) override;
    void ReportRotationValue(WorldElem* creature, float value) override;
    void ReportAction(WorldElem* creature, int32_t code, const char* name, WorldElem* target, int32_t priority,
                      float param) override;
    void ReportDeath(WorldElem* creature, WorldElem* killer, int32_t killerID) override;
    void OnHeroLevelUp(int32_t level) override;
    // Connected: sent instead of done here (a pick-up event, the use, the drop).
    void AddGameEvent(const WorldEvent* event) override;
    bool UseObject(WorldElem* object, int32_t userID, int32_t param) override;
    int32_t DropItem(InventoryItem* item, Inventory* inventory, WorldElem* elem, float distance, float angle,
                     float spread) override;
    using GameCtrl::DropItem;  // the drop out of an inventory stays the controller's
    void AttachCreatureToInput(CreatureObj* creature, int32_t number) override;
    void ForwardScript(const char* text) override;

    // The players' characters (GameNetworkNodePlayers.cpp). A character is made from its
    // configuration like a placed object and given to the input controller (none: -1); one that
    // is not a creature is removed again and reported.
    CreatureObj* AddMultiplayerCharacter(const char* configID, int32_t inputIndex);
    CreatureObj* GetMultiplayerCharacter(int32_t index);  // null past the end
    int32_t GetNumMultiplayerCharacters();                // characters that still exist
    bool IsAddingMultiplayerCharacter() const { return m_AddingMultiplayerCharacter != 0; }
    // The state a character carries from level to level and to the other players: i16 format
    // 0x0113, then the element's compact saved state (its character form). The reader takes a
    // format of the versions saves are read in and loads the element from the rest; false, with
    // the element untouched, for another format; an error when the state is cut short or wrong.
    static void WriteCharacterState(File& file, WorldElem& elem);
    static bool ReadCharacterState(File& file, WorldElem& elem);

    // The chat list (GameNetworkNodeChat.cpp): the latest lines with their arrival time (the real
    // clock); a notice of the game has only its sender's text.
    struct ChatMessage {
        double time = 0.0;
        wString sender;
        wString text;
    };
    static constexpr int32_t kMaxChatLines = 4096;
    void AddChatMessage(const wString& sender, const wString& text);
    void AddChatMessageAt(double time, const wString& sender, const wString& text);
    void AddSystemChatMessage(const wString& text);
    int32_t GetNumChatMessages() const { return int32_t(m_ChatMessages.size()); }
    const ChatMessage* GetChatMessage(int32_t index) const;  // null past the end
    // The player's line under the main character's name. It is not added here: the server's relay
    // brings it back. The server sends its own lines to every client in the world, without sender.
    virtual bool SendChatLine(const wString& text);

    // The servers heard on the local network (GameNetworkNodeLan.cpp), read after each receive loop
    // while the broadcast connection is open. One server is one sender address and TCP port; a
    // server not heard for kLanServerTimeout seconds leaves the list, which holds at most
    // kMaxLanServers so that a flood of announcements cannot grow it.
    struct GameServerInfoWithIP {
        ServerInfoBlock info;
        uint32_t address = 0;  // the sender, the first octet in the top byte
        double time = 0.0;     // the real clock at the last announcement
    };
    static constexpr int32_t kMaxLanServers = 64;
    static constexpr double kLanServerTimeout = 10.0;
    static constexpr int32_t kLanAnnouncementSize = 52;  // "KSIo" and the information block
    static constexpr int32_t kMaxLanDatagram = 64;       // longer ones are released unread
    void ReadLanAnnouncements();
    int32_t GetNumLanServers() const { return int32_t(m_LanServers.size()); }
    const GameServerInfoWithIP* GetLanServer(int32_t index) const;  // null past the end

    // The network's script functions; every other name goes to the next handler
    // (GameNetworkNodeScript.cpp).
    void ExecuteScriptFunction(ScriptValue& result, const char* name, ScriptValue* arguments, int32_t count,
                               int32_t fromNetwork) override;

    // The player's name that PlayerInfo carries (at most 63 units are sent).
    void SetPlayerName(const wString& name) { m_PlayerName = name; }
    const wString& GetPlayerName() const { return m_PlayerName; }

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
    // A player's character that the server deleted, before it leaves the world.
    virtual void OnCharacterRemoved(CreatureObj* creature) { (void)creature; }
    virtual void OnCreatureRemoved(CreatureObj* creature) { (void)creature; }
    // A message of the server to the game (0x3000 asks each client to save its character): the
    // game's controller acts on it.
    virtual void HandleServerMessage(int32_t message) { (void)message; }
    virtual bool StartNetwork();
    virtual void CloseConnections();
    // One animation-cycle unit as 0x0900 (batched with the others of the frame).
    virtual bool SendAnicycle(const AnicycleUnit& unit, bool onUDP);
    // With query answers whether a block follows PlayerInfo; without, writes it.
    virtual bool WriteExtraPlayerInfo(bool query)
    {
        (void)query;
        return false;
    }
    // The dispatcher of one received message whose header is held.
    virtual void DispatchMessage(const GamePacketHeader& header);
    virtual void ReceiveMessages();
    // The client's join step of each frame (GameNetworkNodeJoin.cpp): PlayerInfo once connected,
    // the level-loaded report once the level stands, dummy data in the running game.
    virtual void ServiceJoin();
    virtual void HandleSetMainChar();
    // Transport events: a lost connection ends the link to the server.
    virtual void ProcessTransportEvents();

protected:
    // The join's received messages (GameNetworkNodeJoin.cpp); each reads the held message.
    static constexpr int32_t kServerInfoSize = 12;
    static constexpr int32_t kLevelLoadSize = 144;
    static constexpr int32_t kGameBasicsSize = 10;
    static constexpr int32_t kChecksumSize = 20;
    static constexpr int32_t kSetMainCharSize = 22;
    static constexpr uint32_t kMinServerVersion = 0x0100;
    void ReceiveServerInfo(const GamePacketHeader& header);
    void ReceiveLevelLoad(const GamePacketHeader& header);
    void ReceiveGameBasics(const GamePacketHeader& header);
    void ReceiveObjectChecksums(const GamePacketHeader& header);
    void CompareObjectChecksums();
    bool ReceiveNetworkData_ObjectSync(bool requested);
    VSD_WallIntern* MakeSyncedWall(const ObjRef3& ref, const SyncBlockHead& head, uint8_t flags);
    void ReceiveNotExisting(const GamePacketHeader& header);
    // One outstanding request answered (a sync, a "not existing", a deletion with the answers
    // flag): taken off the list; the last one completes the join's synchronisation.
    void AnswerSyncRequest(const ObjRef3& ref);
    void ReportLevelSynced();
    // The running game's handlers (GameNetworkNodeHandlers.cpp).
    template <class Handler> void ForEachUnit(int32_t unitSize, Handler handler);
    void ReceivePositions();
    void ReceiveAnicycles();
    void ReceiveSetHealth();
    void ReceiveGainXp();
    void ReceiveTimeSync();
    void ReceiveSubtractMana();
    void ReceiveDisconnectRequest();
    void ReceiveCharLevelChange();
    void ReceiveBloodEffect();
    // The handlers the server's dispatcher calls as well, for its current client
    // (GameNetworkNodeShared.cpp). World events (0x0D00): each unit's type and data go to
    // HandleReceivedWorldEvent; a unit of less than 2 bytes or more data than an event holds
    // drops the message.
    void ReceiveDataBlock(const GamePacketHeader& header);
    // A received world event; the client carries out the server's pick-ups (type 5).
    virtual void HandleReceivedWorldEvent(uint16_t type, std::span<const uint8_t> data);
    // A script the peer runs here (0x1600) with the run flags of this side (1 on a client).
    void ReceiveRunScript(const GamePacketHeader& header, uint32_t scriptFlags);
    // A creature's equipment item (0x0E00), of the item record versions this side reads.
    static constexpr int32_t kSetEquipmentHead = 10;  // ObjRef, i16 equipment position
    static constexpr uint16_t kOldestItemVersion = 161;
    static constexpr uint32_t kClientScriptFlags = 1;  // the server's scripts run here as its own
    void ReceiveSetEquipment(const GamePacketHeader& header);
    // The rest of the current unit as a memory file at its start; false when it cannot be read.
    bool ReceiveUnitRest(File& file);
    // The rest of the running game's handlers: chat (GameNetworkNodeChat.cpp); elements added,
    // deleted and used (GameNetworkNodeElements.cpp); timed events (GameNetworkNodeEvents.cpp);
    // creatures (GameNetworkNodeHandlers.cpp).
    static constexpr int32_t kDeleteObjectSize = 14;  // ObjRef3, u8 remove, u8 answers a request
    // An object deleted with the remove flag while it fades out this fast is left to finish.
    static constexpr float kKeptFadeRate = -0.9f;
    static constexpr int32_t kKillMessageByServer = -2;
    void ReceiveChatMessage(const GamePacketHeader& header);
    void ReceiveNetworkData_AddObject(const GamePacketHeader& header);
    void ReceiveDeleteObject();
    void ReceiveDeleteWall();
    void ReceiveUseObject();
    // True when an event of that game time is not older than the maximum event age; else its time
    // becomes the clock's slew target.
    bool IsEventInTime(double eventTime);
    void ReceiveRunScriptFunction(const GamePacketHeader& header);
    void ReceivePerformAction(const GamePacketHeader& header);  // 0x2001 shot, 0x2003 effect
    void ReceiveCreatureKilled();
    void ReceiveReviveCreature();
    void ReceivePickUp();
    void ReceiveCurrentAction(const GamePacketHeader& header);
    std::deque<ChatMessage> m_ChatMessages;
    std::vector<GameServerInfoWithIP> m_LanServers;
    struct ObjectChecksum {
        ObjRef3 ref;
        uint32_t checksum = 0;
        float value = 0.0f;
    };
    std::vector<ObjectChecksum> m_ObjectChecksums;
    double m_LastDummyDataTime = 0.0;

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
    wString m_PlayerName;

    // Whether the traffic log takes a line of that level (1 all messages, 2 the frequent ones).
    bool LogsTraffic(int32_t level) const { return m_NetSettings.logNetworkTraffic >= level; }
    // One unit of a fixed size, batched with its kind; flush sends the packet at once.
    bool SendUnit(bool onUDP, uint16_t id, const uint8_t* unit, int32_t size, bool flush);
    // One unit of free length in a packet of its own over TCP.
    bool SendFreeUnit(uint16_t id, const uint8_t* unit, int32_t size, bool flush);
    bool SendEmpty(uint16_t id);  // no units, flushed

private:
    static bool IsJoinMessage(uint16_t id);
    // Moves the held TCP message into the deferred buffer; false when it would outgrow its bound.
    bool DeferCurrentMessage();
    void DispatchGuarded(const GamePacketHeader& header);
    // Received data raised an error while it was applied: the link ends with its text.
    void CloseAfterError(const char* what, const char* message);
    void DropAfterMessageError(const GamePacketHeader& header, const char* message);
    void WatchSyncStall();
    bool WaitForConnectReply(int32_t tcp, double startTime, double timeout, uint8_t* reply, int32_t* reason);
    int32_t m_StallSyncs = -1;
    double m_StallSince = 0.0;
};

// Reads the held message's units of the given size one by one into the handler; a message of
// another unit size is dropped whole.
template <class Handler> void GameNetworkNode::ForEachUnit(int32_t unitSize, Handler handler)
{
    if (GetReceivedHeader().unitSize != unitSize || unitSize < 0)
        return;
    std::vector<uint8_t> unit(static_cast<size_t>(unitSize));
    while (ReceivePacketData(unit.data(), 1) == 1) {
        ByteReader in(unit.data(), unit.size());
        handler(in);
    }
}
