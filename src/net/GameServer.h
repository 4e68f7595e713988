// GameServer: the server layer of the game controller: the table of clients with their TCP and UDP
// connections, accepting and refusing them, noticing lost ones, routing every outgoing game
// message to one client, all clients or all but one by how far each has come in its join, the
// per-frame server step (connections, the clients' messages, the world while somebody is in it,
// time synchronisation), the active area around the players, the server's settings, its start
// and its LAN announcement.
// The implementation is split by role: GameServer.cpp (construction, settings, start-up, the
// announcement, the printer, lookups), GameServerClients.cpp (the client table, connections,
// removal, send routing and fan-out), GameServerFrame.cpp (the frame step, the receive loop and
// dispatcher, time synchronisation, the active area, the join time-outs), GameServerSync.cpp
// (the table of sync requests and the world's hooks that fill it) and GameServerSyncSend.cpp
// (the checksums, the clients' SyncRequests and the sending of the table), GameServerEvents.cpp
// (the world's events told to the clients), GameServerQueries.cpp (the player queries),
// GameServerMessages.cpp (the messages only the server writes), GameServerHandlers.cpp (the
// clients' messages of the running game, acted on and relayed), GameServerUpdates.cpp (the
// players' position, animation-cycle and action updates), GameServerJoin.cpp (a client's
// join from PlayerInfo to its character in the level) and GameServerLevel.cpp (the server's level
// load and the level change that carries the players' characters along), GameServerStop.cpp
// (the clients told when the server stops).
// Everything here runs on the game thread.
#pragma once
#include "base/DynaMem.h"
#include "base/File.h"
#include "base/String.h"
#include "net/GameNetworkNode.h"
#include "net/ServerInfoBlock.h"
#include "net/ServerSendTransport.h"

#include <cstdint>
#include <vector>

class ConfigFileReader;
class InputCtrl;
class ItemBase;

// One connected client (the slot of its record is its client number in every message and line).
struct GameClientInfo {
    // What the client's PlayerInfo told, and the character while it is in the level.
    struct PlayerInfo {
        String characterID;
        wString playerName;
        int32_t mainCharObjID = -1;
        File characterData;  // in memory: the character block of PlayerInfo, later its saved state
    };

    int32_t tcpConnection = -1;
    int32_t udpConnection = -1;
    int32_t inputCtrlIndex = -1;
    NetworkNode::ConnectionInfo connectionInfo;
    int32_t state = 0;
    PlayerInfo playerInfo;
    double connectedAt = 0.0;  // program clock: the join time-outs count from here
    // SyncRequests the client may still make: each answers one of the checksums sent to it.
    int32_t syncRequestsLeft = 0;
    // The name of its character's action last told to the players (0x4400); none at first.
    String reportedAction;
};

// One queued sync item for one client: an element to send (created, changed or asked for) or to
// delete there. The item flags and the reference go on the wire as the sync message's item.
struct ClientSyncRequest {
    int32_t slot = -1;
    uint8_t broadcast = 0;  // queued for every client in the world
    uint8_t remove = 0;     // the client is to delete the element
    uint8_t requested = 0;  // the client asked for it (SyncRequest)
    uint8_t sent = 0;       // done with in the current pass of the sender
    uint8_t itemFlags = 0;
    ObjRef3 ref;

    // Same client, same remove and requested flags, same created bit, same element.
    bool SameAs(const ClientSyncRequest& other) const;
};

class GameServer : public GameNetworkNode {
public:
    // Client states of the server's own join steps (the numbers of the connection states).
    enum ClientState : int32_t {
        kClientNew = 0,
        kClientAccepted = 2,      // waiting for PlayerInfo
        kClientDisconnecting = 3,  // a DisconnectRequest went out
        kClientPlayerInfo = 4,
        kClientLoadRequested = 5,
        kClientLevelLoaded = 6,
        kClientChecksumsSent = 7,  // from here the client is in the world
        kClientSyncsDone = 8,
        kClientSynced = 9,
        kClientJoined = 10,
    };

    static constexpr int32_t kMaxClients = 4096;
    // Position updates keep four last-sent slots per object: more players could not be served.
    static constexpr int32_t kMaxPlayersLimit = 4;
    static constexpr uint32_t kExcludeFlag = 0x80000000u;
    static constexpr uint32_t kConnectAccepted = 0;
    static constexpr uint32_t kConnectFull = 4;
    static constexpr int32_t kAnnouncementSize = 52;  // "KSIo" and the block
    static constexpr double kPlayerInfoTimeout = 10.0;  // seconds from the connection
    static constexpr double kJoinTimeout = 60.0;
    static constexpr double kCloseGrace = 1.0;  // seconds a client sent away has to read why
    static constexpr int32_t kReasonJoinTimeout = 5;  // the disconnect reason "DB:net_timeout"
    static constexpr int32_t kTimingValue = 256;

    struct TimingInfo {
        uint32_t value = kTimingValue;
        float minFPS = 10.0f;
        float maxFPS = 30.0f;
    };

    GameServer();
    ~GameServer() override;

    // Settings and start-up (GameServer.cpp).
    // The keys of "cfg\server.cfg"; a missing or bad key keeps its value.
    void ReadServerConfig(ConfigFileReader& reader);
    void LoadGameOptions() override;
    void SetServerName(const char* name);  // at most 31 characters
    void SetMaxPlayers(int32_t count);     // clamped to 1..kMaxPlayersLimit with a warning
    int32_t GetMaxPlayers() const { return m_ServerInfo.maxPlayers; }
    TimingInfo GetTimingInfo() const;
    // Listens on the port (0: a free one) and opens the broadcast connection; an error when the
    // transport cannot listen, false on a pending transport error.
    bool StartNetworkServer(int32_t port);
    bool OpenServerBroadcastConnection();
    bool SendLanAnnouncement();
    // The block as it goes out: the kept name and maximum, the rest of the moment.
    virtual void GetServerInfo(ServerInfoBlock& block);
    const ServerInfoBlock& GetKeptServerInfo() const { return m_ServerInfo; }
    // Console and log alike: after a line break, and without one.
    static void PrintMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
    static void PrintMessageInline(const char* format, ...) __attribute__((format(printf, 1, 2)));
    // The console line alone, for a text whose log line its reporter has written.
    static void PrintConsoleOnly(const char* text);

    // The server's answers while it listens.
    bool IsNetworkServer() override { return m_NetNode.IsServer() && m_NetNode.IsRunning(); }
    bool IsListening() const { return m_NetNode.IsServer() && m_NetNode.IsRunning(); }
    bool IsServer() const override;
    bool IsNetworkGameServer() const override;
    void ServiceNetwork() override;
    void RevealMapAtPosition() override;
    // Clears the active area and marks it around every joined client's creature and the server's
    // own main character.
    void UpdateActiveArea();

    // Clients (GameServerClients.cpp).
    void ProcessTransportEvents() override;
    void HandleConnections();
    void RemoveClient(int32_t slot, bool closeConnections);
    // A DisconnectRequest with the reason, then the client goes; its connection closes after the
    // grace.
    void SendAwayClient(int32_t slot, int32_t reason);
    int32_t FindClientByConnection(int32_t connectionID);
    void OnSendFailed(int32_t connectionID) override;
    void SetSendTarget(int32_t target, int32_t minimumState);
    int32_t GetSendTarget() const { return m_SendTarget; }
    int32_t GetSendMinimumState() const { return m_SendMinimumState; }
    bool IsSendTarget(int32_t i);  // i: position in the used-index list
    bool SelectBroadcastTarget(int32_t i);  // a target whose connection stands, selected
    void SelectClientConnection(int32_t slot);
    int32_t SelectSendChannel(bool onUDP) override;
    int32_t SelectReceiveChannel(bool onUDP) override;
    bool WriteData(const void* data, int32_t n, bool finish) override;
    bool HasSendRoom(int32_t n) override;
    bool FinishPacket() override;
    bool SendDisconnectRequest(int32_t slot, int32_t reason);
    // The server stops: every client not told yet gets DisconnectRequest reason 3, as when the
    // hosting player leaves; then the clients have up to kStopGraceSeconds to read it and close
    // their side, before the node's stop closes what is left (GameServerStop.cpp).
    void TellClientsServerStops();
    static constexpr double kStopGraceSeconds = 2.0;
    void ResetClientSyncSlot(int32_t slot);
    GameClientInfo* GetClient(int32_t slot) { return m_Clients.GetBySlot(slot); }
    int32_t GetNumClients() const { return m_Clients.GetSize(); }
    int32_t GetClientSlot(int32_t i) { return m_Clients.GetUsedSlot(i); }
    CreatureObj* GetClientCreature(int32_t slot);
    int32_t FindClientOfCreature(const CreatureObj* creature);
    int32_t CountJoinedPlayers();
    CreatureObj* GetJoinedPlayerCreature(int32_t n);
    bool AnyClientInWorld();
    // The players are the joined clients while the server listens.
    int32_t GetNumPlayers() override;
    // The server's own line goes to every client in the world, without a sender.
    bool SendChatLine(const wString& text) override;
    WorldElem* GetPlayerCharacter(int32_t player) override;
    int32_t GetHostingClient() const { return m_HostingClient; }
    int32_t GetCurrentClient() const { return m_CurrentClient; }
    int32_t GetDataPort() const { return m_DataPort; }
    ServerSendTransport& GetSendTransport() { return m_SendTransport; }

    // Object synchronisation (GameServerSync.cpp). The table keeps the order in which requests
    // were queued, so a client never hears of a deletion before the creation queued earlier.
    static constexpr int32_t kMaxSyncRequests = 4096;
    static constexpr int32_t kMaxFlushPasses = 64;  // a client that stops reading holds a flush no longer
    // Slot -1 queues for every client in the world (state >= 7). An unrequested item equal to
    // one already queued is not queued twice; requested ones always are.
    void AddSyncRequest(int32_t slot, uint8_t itemFlags, const ObjRef3& ref, bool requested, bool broadcast);
    const ClientSyncRequest* FindSyncRequest(const ClientSyncRequest& request) const;
    void AddSyncRemoval(int32_t slot, const ObjRef3& ref);
    void ClearSyncRequests(int32_t slot);
    const std::vector<ClientSyncRequest>& GetSyncRequests() const { return m_SyncRequests; }
    // Only changes made inside the world-update depth (the frame's world update, a script's
    // creation) are queued for the clients; the level change suspends it.
    int32_t GetWorldUpdateDepth() const { return m_WorldUpdateDepth; }
    void BeginScriptCreation() override;
    void EndScriptCreation() override;
    void SuspendObjectSync() override;
    void ResumeObjectSync() override;
    // The world's changes. A removed object also stops being any client's character, whatever
    // the depth.
    void OnObjectAdded(int32_t objID) override;
    void OnWallAdded(int32_t wallID) override;
    void OnObjectDeleted(int32_t objID, int32_t flag) override;
    void OnWallDeleted(int32_t wallID) override;
    // Only elements synchronised by their saved state (NetSync 2 and more) send a change.
    void OnObjectChanged(WorldElem* elem) override;
    // Sending what the table holds (GameServerSyncSend.cpp).
    // The checksum of every synchronised wall and object but the players' characters (0x0F00),
    // then 0x0F01 and state 7; false, still in its state, when a unit could not go out.
    bool SendObjectChecksums(int32_t slot);
    // The queued items of the clients in state >= 8, parents before the elements attached to
    // them, in two passes; false when a pass ended for want of room (the rest waits).
    bool SendRequestedSyncs();
    // Sends until the table is out or the bounded passes are spent; between passes the clients'
    // queues drain. True when nothing is left.
    bool FlushRequestedSyncs();
    void WaitForSync() override { FlushRequestedSyncs(); }
    bool SendObjectMissing(const ObjRef3& ref);  // 0x1102

    // The world's events told to the clients (GameServerEvents.cpp).
    // The element's full state goes out with a broadcast sync that is queued: its NetSync is 2 or
    // more and the table holds a broadcast request for it.
    bool IsBroadcastSyncPending(const WorldElem* elem) const;
    // To every client in the world but the player whose character it is.
    void ReportHealth(WorldElem* creature, float health) override;
    void ReportDeath(WorldElem* creature, WorldElem* killer, int32_t killerID) override;
    void RunScriptFunctionAtClients(const char* name, const ScriptValue* arguments, int32_t count, WorldElem* subject,
                                    int32_t checkSubject, int32_t flag) override;
    void AddDebugMessage(const wString& text) override;  // "DebugMessage" at the clients
    // A player's character gained experience: every player with a character takes a share,
    // scaled by the game's experience function over their number.
    void ReportExperienceGain(WorldElem* creature, float amount) override;
    void ShareExperience(WorldElem* creature, float amount);
    static constexpr float kBloodRangeFactor = 1.3f;  // of the view radius
    void ReportBloodEffect(WorldElem* creature, float intensity) override;  // to the players who see it
    void ReportManaUse(WorldElem* creature, float cost) override;           // the player's client pays
    void OnShot(WorldElem* shooter, ActionShot* shot, const D3DXVECTOR2* direction) override;
    void ReportActionEffect(WorldElem* elem, ActionEffect* effect, int32_t index) override;
    bool UseObject(WorldElem* object, int32_t userID, int32_t param) override;
    void SaveMainCharacter() override;  // every joined client saves its character too
    // The server's own save of a multiplayer game, run before a character is kept for one: the
    // players' machines keep their characters, so the server stores nothing.
    virtual void SaveMultiplayerGame() {}
    // The dedicated server has no window: errors go to the console and the log.
    void ShowErrorMessage(const char* text) override;
    void ShowError(const char* message) override;
    void AttachCreatureToInput(CreatureObj* creature, int32_t number) override;
    bool CanRunScriptLocally(uint8_t runFlags) override;
    // A player's creature picks up at its client, which reports the pick-up back; anything else
    // is the controller's.
    bool PickUpItem(WorldElem* element, CreatureObj* creature) override;
    // An animation cycle reaches the joined players near the creature (a player's character from
    // further off); the cycles every player must see go to all of them.
    static constexpr float kAnicycleRangeFactor = 1.3f;
    static constexpr float kAnicycleRangeFactorPlayer = 2.0f;
    static bool IsAnicycleForEveryone(const AnicycleUnit& unit);
    bool SendAnicycle(const AnicycleUnit& unit, bool onUDP) override;

    // The controller's questions about the players, answered for the joined clients while the
    // server listens (GameServerQueries.cpp).
    // The first joined client's creature (slot order); without one, the controller's own.
    CreatureObj* GetMainChar() override;
    // A player's character: its client's input; anything else the controller's answer.
    int32_t GetInputIndexFor(CreatureObj* creature) override;
    // "mc_ID" with an index names that player's character (no index: the main character).
    void GetScriptVariable(ScriptValue& result, const char* name, int32_t index) override;
    // The script runs at the client whose character the object ID names; an ID that names no
    // creature is an error of the running script.
    void RunScriptAtClient(int32_t creatureID, const char* text) override;
    void RunScriptForPlayer(int32_t playerID, const char* label, const char* text, int32_t flag) override;
    // The difficulty's factor times its multiplayer health function at the number of players.
    float GetMonsterHealthFactor() override;
    double GetCharacterEntryFactor(int32_t mask) override;
    bool IsPlayerNear(float x, float y, float distance) override;

    // The messages only the server writes (GameServerMessages.cpp). Each sets its routing: one
    // client (slot), the creature's client, or every client from the state the message needs.
    static constexpr int32_t kLoadLevelRequestSize = 144;
    static constexpr int32_t kSetMainCharSize = 22;
    static constexpr int32_t kGameBasicsSize = 10;
    static constexpr int32_t kActionShotBlock = 24;
    static constexpr int32_t kActionEffectBlock = 20;
    bool SendLoadLevelRequest(int32_t slot, const String& levelName, uint32_t seed, double enteredAt);
    bool SendSetMainChar(int32_t slot);
    bool SendGameBasics(int32_t slot);
    bool SendPerformActionShot(const WorldElem* creature, const String& action, uint32_t value,
                               const D3DXVECTOR2* target);
    bool SendPerformActionEffect(const WorldElem* creature, const String& action, uint32_t value, uint32_t argument);
    bool SendGainXp(int32_t slot, float amount);
    bool SendPickUp(const CreatureObj* creature, const WorldElem* item);
    bool SendSubtractMana(const CreatureObj* creature, float amount);
    bool SendSaveCharacter();
    bool SendServerInfo(int32_t slot);
    bool SendCurrentAction(const WorldElem* creature, const String& action);
    bool SendBloodEffect(int32_t slot, const WorldElem* creature, float intensity);
    // The intensity times 255, rounded half away from zero, within 0..255.
    static uint8_t BloodIntensityByte(float intensity);

    // The join (GameServerJoin.cpp). PlayerInfo (0x0300) of the current client: the version
    // check, then its name, character and character data are kept (a client in state 2 goes to
    // 4; a later one only replaces them). False when the message was not taken.
    static constexpr int32_t kMaxCharacterData = 32768;  // bytes of PlayerInfo's character block
    static constexpr int32_t kCharacterDataStep = 4096;  // growth of a character's state in memory
    bool CheckClientVersion(GameClientInfo& client, const GamePacketHeader& header);
    // Each frame: ServerInfo and the level's load request to every client whose PlayerInfo was
    // taken (state 4 to 5), and SetMainChar again to one whose SetMainChar could not go out.
    void SendLoadLevelToNewClients();
    // The synchronised client (state 9) becomes a player: it learns the other players'
    // characters, gets an input and its character, the others learn of that, SetMainChar.
    void OnPlayerJoined(int32_t slot);
    // Player n is the client of slot n: its character's configuration ID.
    bool GetPlayerConfigID(int32_t player, String& id) override;

    // The level (GameServerLevel.cpp). The server's own level load (LoadLevel): the players'
    // characters are saved into their character data first, and the level's starting position
    // is kept for the players who join it. A node that does not listen loads as a client.
    CreatureObj* ChangeLevel(const char* levelFile, const String& saveDir, const LevelChangeOptions& options) override;
    // The level change of the running game: every player is sent to load the next level and
    // joins it again with the character it had, while the world's own changes go to nobody.
    void EnterRequestedLevel(const char* levelFile, int32_t startPosition, int32_t networkWord) override;
    uint32_t GetLevelSeed() { return m_World.GetGameRandom().GetSeed(); }
    double GetLevelEnteredAt() const { return m_LevelEnteredAt; }
    WorldElem* GetLevelStart() { return m_LevelStart.Get(); }

    // The frame step (GameServerFrame.cpp); a node that does not listen keeps the node's step.
    int32_t UpdateFrame(float frameTime) override;
    void ReceiveClientMessages();
    // The engine's message ids to their handlers; the game's own ids go to DispatchGameMessage
    // first, inside the same guard that drops a client whose message raised an error.
    void DispatchMessage(const GamePacketHeader& header) override;
    static constexpr uint16_t kFirstGameMessage = 0xA001;
    static constexpr uint16_t kLastGameMessage = 0xA302;
    void TickTimeSync(float dt);
    bool SendTimeSync();
    // Asked to end (ESC, an end-of-game flag, a lost hosting client): the state manager's state 1.
    void RequestServerStop();
    bool IsServerStopRequested() const { return m_ServerStopRequested; }
    // A stop signal not yet answered: prints "<name> received - terminating dedicated server" as
    // the ESC line is printed and answers true (the frame step's test, and start-up's).
    static bool TakeStopSignal();
    // A counted run without clients steps the world as if one were in it.
    void SetRunWorldWithoutClients(bool on) { m_RunWorldWithoutClients = on; }
    float GetTimeSyncInterval() const { return m_TimeSyncInterval; }
    float GetPositionTolerance() const { return m_PositionTolerance; }
    float GetAngleTolerance() const { return m_AngleTolerance; }
    float GetBroadcastInfoInterval() const { return m_BroadcastInfoInterval; }
    int32_t GetBroadcastPortLocal() const { return m_BroadcastPortLocal; }

    // The clients' messages of the running game (GameServerHandlers.cpp).
    // One message from a client holds at most this many units: none of its messages needs more.
    static constexpr int32_t kMaxClientUnits = 256;
    // The message being read goes out again, one unit at a time, to the routing in force, with
    // its id and unit size: keep false consumes the units; keep true reads them again for the
    // handler that follows. False when a unit could not go out.
    bool RelayCurrentMessage(bool keep);
    // The controller's answers to what a player asked, which the game's server replaces; here the
    // engine's: an object action does nothing, a dialogue answer and a checkpoint are logged.
    virtual void ObjectAction(WorldElem* elem, uint16_t action, float param);
    // The player's creature starts the action at the target; a player's character makes the
    // target its last enemy.
    virtual void CreatureAction(int32_t objID, int32_t action, const String& name, WorldElem* target, int32_t value,
                                float param);
    virtual void DialogAnswered(int32_t answer);
    virtual void LoadCheckpoint(int32_t checkpoint);
    // The game's own message ids (kFirstGameMessage to kLastGameMessage) of the current client,
    // with its record at hand: true when taken. Here none is.
    virtual bool DispatchGameMessage(const GamePacketHeader& header, GameClientInfo& client);
    // Units of creatures other than their own character that the clients sent, refused.
    int32_t GetForeignUnitsRefused() const { return m_ForeignUnitsRefused; }

    // The players' updates of each frame (GameServerUpdates.cpp): positions of what is near each
    // joined player, changed animation cycles, changed current actions.
    static constexpr int32_t kUpdatesBeforeFlush = 16;  // from the 16th unit on, each finishes its packet
    static constexpr float kObjectRangeFactor = 1.5f;   // of the level's view radius
    static constexpr float kPlayerRangeFactor = 7.0f;
    static constexpr float kPlayerRangeFactorFar = 99999.0f;  // on the player's own frames: anywhere
    void UpdateJoinedClients();
    void SendClientPositions(int32_t slot);
    void SendCreatureUpdates();
    void SendCurrentActions();
    uint32_t GetFrameCounter() const { return m_FrameCounter; }
    int32_t GetPosUpdateEveryNthFrame() const { return m_PosUpdateEveryNthFrame; }

protected:
    // A server whose game packets travel over another transport (queues without sockets); its own
    // transport node still listens.
    explicit GameServer(GamePacketTransport& transport);
    // A new record in state 2 for the TCP connection; its slot.
    int32_t AddClientRecord(int32_t tcpConnection, const NetworkNode::ConnectionInfo& info);
    // The join's hooks that the game's server replaces. A joining client's input controller:
    // here a plain one; the index in the controller's list.
    virtual int32_t CreateClientInput();
    // Adds a client's input as a player's (kind 1) without making it the local input: on a
    // listening server only the server's own hero is driven from this machine. Its index.
    int32_t AddClientInputCtrl(InputCtrl* input);
    // The joining player's character goes to the level's starting position and angle.
    virtual void PlaceJoiningCreature(CreatureObj* creature);

private:
    bool AddClient(int32_t connectionID, const NetworkNode::ConnectionInfo& info);
    void WriteConnectReply(int32_t connectionID, uint16_t port, uint32_t status);
    void DropClientAfterError(int32_t slot, const char* what, const char* message);
    void DispatchGuarded(const GamePacketHeader& header);
    static bool IsEmptyMessage(uint16_t id);
    void CheckJoinTimeouts();
    void DrainClientOverflows();
    void CloseAfterGrace(int32_t connectionID);
    void CloseSentAwayConnections();
    // The slots of the clients in the world (state >= 7), in slot order.
    std::vector<int32_t> ClientsInWorld();
    // A full table drops the request with one warning per full spell.
    void QueueSyncRequest(const ClientSyncRequest& request);
    // The running game's handlers (GameServerHandlers.cpp); each reads the held message of the
    // current client.
    // A message that changes the world comes from a joined client, with units of its fixed size
    // (0: any) and not too many of them; else it is ignored with a warning.
    bool AcceptsWorldMessage(const GameClientInfo& client, const GamePacketHeader& header, int32_t unitSize);
    // Whether the object a unit of message id names is the current client's own character; one
    // that is not is counted and warned of.
    bool IsOwnCharacter(uint16_t id, int32_t objID);
    template <class Handler>
    void ForEachClientUnit(const GameClientInfo& client, const GamePacketHeader& header, int32_t unitSize,
                           Handler handler);
    template <class Handler>
    void ForEachOwnUnit(const GameClientInfo& client, const GamePacketHeader& header, int32_t unitSize,
                        int32_t relayState, Handler handler);
    // The held message's units whose leading object ID is the sender's character, into units;
    // relayed to the others at the state when it is above 0. The number kept.
    int32_t ReadOwnUnits(const GamePacketHeader& header, int32_t relayState, std::vector<uint8_t>& units);
    void ReceiveClientPositions(const GameClientInfo& client, const GamePacketHeader& header);
    void ReceiveChat(const GamePacketHeader& header);
    void ReceiveCreatureSetMovement(const GameClientInfo& client, const GamePacketHeader& header);
    void ReceiveCreatureSetRotVal(const GameClientInfo& client, const GamePacketHeader& header);
    void ReceiveObjectAction(const GameClientInfo& client, const GamePacketHeader& header);
    void ReceiveUseObject(const GameClientInfo& client, const GamePacketHeader& header);
    void ReceiveCreatureSetAction(const GameClientInfo& client, const GamePacketHeader& header);
    void ReceiveDropItem(const GameClientInfo& client, const GamePacketHeader& header);
    void ReceiveCreatureKilled(const GameClientInfo& client, const GamePacketHeader& header);
    void ReceiveDialogAnswered(const GameClientInfo& client, const GamePacketHeader& header);
    void ReceiveReviveCreature(const GameClientInfo& client, const GamePacketHeader& header);
    void ReceiveServerCharLevelChange(const GameClientInfo& client, const GamePacketHeader& header);
    void ReceiveLoadCheckpoint(const GameClientInfo& client, const GamePacketHeader& header);
    void ReceiveServerWorldEvent(const GameClientInfo& client, const GamePacketHeader& header);
    void ReceiveServerSetEquipment(const GameClientInfo& client, const GamePacketHeader& header);
    void RefuseRunScript(const GameClientInfo& client);
    // The units go out to the routing in force, each as the message's unit; false when one could
    // not.
    bool RelayUnits(uint16_t id, int32_t unitSize, const uint8_t* units, int32_t count);
    // An item from the state a client sent (u16 record version, then the record), made by the
    // controller; null, with a warning, when it cannot be read or holds no units.
    ItemBase* LoadItemBlock(const uint8_t* data, int32_t size, uint16_t id);
    // A world event a client sent: the server acts on pick-ups alone.
    void HandleReceivedWorldEvent(uint16_t type, std::span<const uint8_t> data) override;
    // A pick-up (world event 5) of the current client's character, carried out and told to the
    // players in the world with the amount taken; false when nothing was taken.
    bool HandlePickupEvent(const WorldEvent& event);
    // The join's handlers: level loaded (0x0500), synchronised (0x1200), hosting player (0x0701).
    void ReceiveLevelLoaded(GameClientInfo& client);
    void ReceiveLevelSynced(GameClientInfo& client);
    void ReceiveHostingChar(const GameClientInfo& client);
    // The character of a joining client, made, filled from its character data, named, marked as
    // a player's and placed (steps of OnPlayerJoined).
    CreatureObj* CreateClientCharacter(int32_t slot, GameClientInfo& client);
    // The configuration a client asked for when it names a creature, else the game's first
    // main character.
    String ClientCharacterConfig(int32_t slot, const String& requested);
    // 0x0600 of a player's character with its state, to the current targets.
    bool SendPlayerCharacter(WorldElem* character);
    void SaveClientCharacters();
    // The handlers of a client's SyncRequests (0x1000) and their end (0x1001).
    void ReceiveSyncRequests(GameClientInfo& client, const GamePacketHeader& header);
    void ReceiveSyncRequestsDone(GameClientInfo& client);
    // One item of the table sent, or found pointless: true when it is done with.
    enum class SyncSend { kDone, kWait, kNoRoom };
    SyncSend SendSyncItem(ClientSyncRequest& request, File& file, bool firstPass);
    bool IsPlayerCharacter(const WorldElem* elem) override;
    bool SendActionBlock(uint16_t id, const String& action, const uint8_t* block, int32_t size);
    // Routes to the joined client whose creature it is; false when it is no client's.
    bool TargetClientOf(const CreatureObj* creature);

    ServerSendTransport m_SendTransport;
    DynaMem<GameClientInfo, kMaxClients> m_Clients;
    int32_t m_SendMinimumState = 1;
    int32_t m_SendTarget = -1;
    int32_t m_CurrentClient = -1;
    int32_t m_HostingClient = -1;
    ServerInfoBlock m_ServerInfo;
    int32_t m_DataPort = 6706;
    int32_t m_BroadcastPortLocal = 6705;
    int32_t m_BroadcastPortRemote = 6704;
    float m_BroadcastInfoInterval = 0.0f;
    double m_LastAnnouncement = 0.0;
    float m_TimeSyncInterval = 2.0f;
    float m_TimeSyncCountdown = 2.0f;
    int32_t m_PosUpdateEveryNthFrame = 2;
    float m_MinFPS = 10.0f;
    float m_MaxFPS = 30.0f;
    int32_t m_WorldUpdateDepth = 0;
    bool m_ServerStopRequested = false;
    bool m_RunWorldWithoutClients = false;
    uint32_t m_FrameCounter = 0;  // staggers the position updates over the objects
    int32_t m_ForeignUnitsRefused = 0;
    // Connections of clients sent away (refused as full, timed out): closed once what was queued
    // for them is out and the client had a moment to read it, unless it closes first.
    struct ClosingConnection {
        int32_t id = -1;
        double since = 0.0;
    };
    std::vector<ClosingConnection> m_Closing;
    std::vector<ClientSyncRequest> m_SyncRequests;
    std::vector<int32_t> m_SuspendedDepths;  // what each open SuspendObjectSync put aside
    bool m_SyncTableFullWarned = false;
    SmartPtr<WorldElem> m_LevelStart;  // the starting position the players join at
    double m_LevelEnteredAt = 0.0;     // game time of the last level change
};
