// NetworkNode: the socket transport under the game's network node: a listening socket, a table of
// TCP and UDP connections, one sending and one receiving thread per connection, and the queues
// through which the game thread hands messages to them and takes messages back.
// The implementation is split by role: NetworkNode.cpp (settings, starting and stopping, errors,
// connection info, traffic logs), NetworkNodeConnections.cpp (opening, closing and deleting
// connections), NetworkNodeAccept.cpp (the accept thread and the handshakes waiting on it),
// NetworkNodeThreads.cpp (the sending and receiving threads), NetworkNodeQueues.cpp (the game
// thread's queue operations and thread events); NetworkNodeRecords.h holds the records.
//
// Threads. The game thread makes every call below except CloseConnection, which any thread may
// make; it alone deletes connections, so a record it looked up stays valid for the rest of its
// call. The accept thread and the connection threads meet it through one lock over the three
// tables (records and connections), one over the two event queues, one over the last error and
// one over the traffic logs, always taken in that order and never the other way. Each ring queue
// has one writer and one reader and needs no lock. Every wait of a transport thread is bounded
// and also ends on its stop or invalid flag, so a stop (flag, socket shutdown, wake) ends it
// within one wait; a thread that is still running after its grace time is logged and given up:
// its record and socket are kept until it ends, and the destructor waits for it.
#pragma once
#include "base/DynaMem.h"
#include "base/ErrorClass.h"
#include "base/String.h"
#include "base/thread/cfThreadSync.h"
#include "net/RingQueue.h"
#include "platform/Socket.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

class Thread;

class NetworkNode : public ErrorClass {
public:
    static constexpr int32_t kDefaultPacketSize = 4096;
    static constexpr int32_t kDefaultPacketSizeUDP = 2048;
    static constexpr int32_t kDefaultQueueSize = 65536;
    static constexpr int32_t kDefaultMaxConnections = 64;
    static constexpr int32_t kMaxWaitingHandshakes = 16;
    static constexpr double kHandshakeTimeout = 5.0;  // seconds of the program clock
    static constexpr int32_t kOwnErrorCode = 99999;
    static constexpr int32_t kTrafficLogCount = 10;  // connection IDs 0 to 9 are logged
    static constexpr int32_t kNoListening = -1;      // StartServer without a port

    enum Kind : int32_t { kTCP = 0, kUDP = 1 };
    enum TrafficLogFlags : int32_t { kLogIncoming = 1, kLogOutgoing = 2 };

    // Connection IDs of the queue operations: one connection, every one, or every one but one.
    static constexpr int32_t kAllConnections = -1;
    static constexpr uint32_t kAllButFlag = 0x80000000u;
    static constexpr int32_t AllBut(int32_t id) { return int32_t(uint32_t(id) | kAllButFlag); }

    // What the game thread learns from the transport threads.
    enum EventKind : int32_t { kReceiveStarted = 0, kSendStarted = 1, kConnectionClosed = 2 };
    struct ConnectionEvent {
        int32_t kind = 0;
        int32_t connectionID = -1;
    };

    struct ConnectionInfo {
        uint32_t kind = 0;
        String address;  // the peer, dotted
        uint16_t port = 0;  // of the connection's key: the port it was opened to, or announced
        uint16_t sendLocalPort = 0;
        uint16_t sendRemotePort = 0;
        uint16_t receiveLocalPort = 0;
        uint16_t receiveRemotePort = 0;
    };

    NetworkNode();
    ~NetworkNode() override;
    NetworkNode(const NetworkNode&) = delete;
    NetworkNode& operator=(const NetworkNode&) = delete;

    // Settings, for connections made later.
    void SetPacketSize(int32_t size);     // at least 32
    void SetPacketSizeUDP(int32_t size);  // at least 32
    void SetFifoSizes(int32_t sendSize, int32_t receiveSize);
    void SetMaxUpload(float bytesPerSecond);  // 0: no limit
    void SetReuseFlag(bool on);
    bool SetSocketReuse(Socket& socket);
    void SetMaxConnections(int32_t count);  // accepted sockets beyond it are closed at once
    // Closes the open traffic logs and deletes the old files of IDs 0 to 9 of the prefix.
    void EnableTrafficLog(int32_t flags, const char* prefix);

    bool Start();                             // for client use
    bool StartServer(int32_t port);           // kNoListening: only started; 0 listens on a free port
    void StopServer();
    void Stop();

    // The new connection's ID, or -1. A dotted address (or, for Connect, a host name) whose last
    // octet is 255 makes a UDP broadcast connection, which is not connected.
    int32_t StartClient(uint32_t kind, uint32_t address, uint16_t port, uint16_t localPort = 0);
    int32_t Connect(uint32_t kind, const char* host, uint16_t port, uint16_t localPort = 0);

    void DeleteConnection(int32_t id, bool sayGoodbye);
    // Reports a connection closed, once: queues its deletion and the event kConnectionClosed.
    void CloseConnection(int32_t id, bool sayGoodbye);
    bool EnableBroadcast(int32_t id);
    bool IsConnectionValid(int32_t id, bool needSending, bool needReceiving);
    bool GetConnectionInfo(int32_t id, ConnectionInfo* info);
    int32_t GetNumConnections();

    int32_t GetPacketSize() const { return m_PacketSize; }
    int32_t GetPacketSizeUDP() const { return m_PacketSizeUDP; }
    // The longest message one datagram carries; a longer UDP message is dropped when sent.
    int32_t GetMaxDatagramMessage() const;
    uint16_t GetPort() const { return m_ListeningPort; }
    bool IsServer() const { return m_IsServer; }
    bool IsRunning() const { return m_Running; }
    uint64_t GetBytesSent() const { return m_BytesSent.load(); }
    uint64_t GetBytesReceived() const { return m_BytesReceived.load(); }
    int32_t GetLastErrorCode();
    String GetLastErrorText();
    // Forgets the last error, as a socket call that succeeds does.
    void ClearLastError() { ReportSocketError(0); }
    int32_t GetThreadCount() const { return m_ThreadCount.load(); }  // transport threads still running

    // Queue operations (NetworkNodeQueues.cpp).
    bool SendData(int32_t id, const void* data, int32_t n, bool commit);
    bool HasRoom(int32_t id, int32_t n);
    bool IsSendPending(int32_t id);
    bool CommitPending(int32_t id);
    bool PeekPending(int32_t id, int32_t offset, void* dest, int32_t n);
    bool PatchPending(int32_t id, int32_t offset, const void* src, int32_t n);
    // The message being written (not yet committed): its length, the longest among several
    // targets; setting a smaller one cuts it back on every target (0 discards it), which is how a
    // write that failed halfway is taken back.
    int32_t GetPendingLength(int32_t id);
    void SetPendingLength(int32_t id, int32_t n);
    // Data bytes of the next received message (0 none, -1 no receiving record); address takes its
    // sender, the first octet in the top byte.
    int32_t GetNumBytesWaiting(int32_t id, uint32_t* address = nullptr);
    int32_t Receive(int32_t id, void* dest, bool moveOn, int32_t max = -1);
    int32_t ReadBytes(int32_t id, void* dest, int32_t n, bool moveOn);
    void SetReadOffset(int32_t id, int32_t n);
    bool GetThreadEvent(ConnectionEvent* event);
    // Deletes the connections that threads have reported closed.
    void ProcessDisconnects();

    // Milliseconds a write of sent bytes waits under the limit (bytes per second; 0: none).
    static int32_t ThrottleMs(int32_t sent, float limit);
    static bool IsConnectionLostError(int32_t code);

    struct ConnectionData;
    struct ConnectionEntry;

private:
    struct GivenUp;
    class ReceivingSink;
    class RawWriter;

    // NetworkNode.cpp
    bool ReportSocketError(int32_t code, const ConnectionData* record = nullptr);
    void SetError(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void WriteTrafficLog(bool incoming, int32_t id, const void* data, int32_t n);
    void CloseTrafficLogs();
    void PushEvent(RingQueue& queue, int32_t first, int32_t second);
    bool PopEvent(RingQueue& queue, int32_t* first, int32_t* second);
    void DeleteAllConnections();
    void FinishGivenUp(bool wait);

    // NetworkNodeConnections.cpp
    ConnectionData* NewRecord(int32_t direction, uint32_t kind, Socket socket, const SocketAddress& peer);
    int32_t AddConnection(uint32_t kind, uint32_t address, uint16_t port, ConnectionData* sending,
                          ConnectionData* receiving, bool accepted);
    bool IsRegistered(const ConnectionData& record);
    void CloseFromThread(ConnectionData& record);
    void InvalidateConnection(ConnectionData& record);
    void LoseConnection(ConnectionData& record);
    bool StopRecord(ConnectionData& record, bool sayGoodbye);
    void PurgeDisconnects(int32_t id);
    bool StartConnectionThread(ConnectionData& record);

    // NetworkNodeAccept.cpp
    static uint32_t AcceptThreadProc(void* node);
    void AcceptLoop();
    bool AcceptHello(Socket socket, const SocketAddress& peer, const uint8_t* packet);

    // NetworkNodeThreads.cpp
    static uint32_t SendThreadProc(void* record);
    static uint32_t ReceiveThreadProc(void* record);
    void SendLoop(ConnectionData& record);
    void ReceiveLoop(ConnectionData& record);
    bool SendRaw(ConnectionData& record, const uint8_t* data, int32_t n);
    void SendHello(ConnectionData& record);
    bool PushReceived(ConnectionData& record, const uint8_t* data, int32_t n, bool first, bool last,
                      const SocketAddress& sender);
    bool WaitForRoom(ConnectionData& record, const void* data, int32_t n, bool commit);

    // NetworkNodeQueues.cpp
    ConnectionData* SendRecordOf(int32_t id);
    ConnectionData* ReceiveRecordOf(int32_t id);
    const std::vector<ConnectionData*>& SendTargets(int32_t id);
    bool QueueSend(ConnectionData& record, const void* data, int32_t n, bool commit);
    void CommitSend(ConnectionData& record);

    int32_t m_LastErrorCode = 0;
    String m_LastErrorText;
    bool m_Started = false;
    int32_t m_PacketSize = kDefaultPacketSize;
    int32_t m_PacketSizeUDP = kDefaultPacketSizeUDP;
    int32_t m_SendQueueSize = kDefaultQueueSize;
    int32_t m_ReceiveQueueSize = kDefaultQueueSize;
    std::atomic<int32_t> m_MaxConnections{kDefaultMaxConnections};
    uint16_t m_ListeningPort = 0;
    Socket m_ListeningSocket;
    std::atomic<bool> m_StopAccepting{false};
    std::unique_ptr<Thread> m_AcceptThread;

    DynaPtrList<ConnectionData*, 64> m_SendRecords;
    DynaPtrList<ConnectionData*, 64> m_ReceiveRecords;
    DynaMem<ConnectionEntry, 64> m_Connections;
    RingQueue m_Disconnects{128};     // {connection ID, say goodbye}, i32 each
    RingQueue m_ThreadEvents{1024};  // {kind, connection ID}, i32 each
    std::vector<GivenUp> m_GivenUp;          // game thread only
    std::vector<ConnectionData*> m_Targets;  // game thread only: SendTargets' list

    cfThreadMutex m_TableLock;
    cfThreadMutex m_EventLock;
    cfThreadMutex m_ErrorLock;
    cfThreadMutex m_LogLock;

    bool m_IsServer = false;
    bool m_Running = false;
    int32_t m_TrafficLogFlags = 0;
    String m_TrafficLogPrefix;
    bool m_ReuseSockets = false;
    std::FILE* m_TrafficLogs[2][kTrafficLogCount] = {};  // incoming, outgoing

    std::atomic<uint64_t> m_BytesSent{0};
    std::atomic<uint64_t> m_BytesReceived{0};
    std::atomic<int32_t> m_ThreadCount{0};
    float m_MaxUpload = 0.0f;
};
