// GamePacketFraming: game messages as game packets: a 12-byte game header and equal units, built
// unit by unit in place in a connection's sending queue with consecutive units of one kind batched,
// and read back header first, unit by unit, from a receiving queue or a replay queue.
// The implementation is split by role: GamePacketFraming.cpp (the sending side) and
// GamePacketFramingReceive.cpp (the receiving side and the header checks).
//
// The network game node derives from it and overrides the primitives (connection state, channel
// choice, the writes); the server node overrides them again to write to its targeted clients.
// Everything here runs on the game thread.
#pragma once
#include "base/String.h"

#include <cstdint>

class ErrorClass;
class GamePacketTransport;
class RingQueue;

// Game packet header, little-endian:
//   0  u16  magic 0xDEC0 (bytes C0 DE)
//   2  u16  message id, 0x0100 to 0xFFFE; 0 means no packet
//   4  u32  unit count
//   8  i32  bytes per unit; -1 while a message of free length is built, its real length on the wire
// The count x size bytes of units follow; each packet is exactly one transport message. A message
// of unit size 0 is written with count 1 and read with any count.
struct GamePacketHeader {
    static constexpr int32_t kSize = 12;
    static constexpr uint16_t kMagic = 0xDEC0;
    static constexpr uint16_t kFirstID = 0x0100;
    static constexpr uint16_t kLastID = 0xFFFE;

    uint16_t magic = kMagic;
    uint16_t id = 0;
    uint32_t count = 0;
    int32_t unitSize = -1;

    void Write(uint8_t* dest) const;
    static GamePacketHeader Read(const uint8_t* source);
    static bool IsValidID(uint16_t id) { return id >= kFirstID && id <= kLastID; }
};

class GamePacketFraming {
public:
    static constexpr int32_t kDefaultMaxBatchBytes = 32768;
    static constexpr int32_t kSendRetryMs = 10;
    static constexpr int32_t kServerSendRetries = 6000;  // 60 s
    static constexpr int32_t kSendRetries = 30000;       // 300 s
    static constexpr const char* kInvalidPacketFile = "invalid_packet.dat";

    enum Channel : int32_t { kTCP = 0, kUDP = 1 };

    // Warnings and errors are reported through the node that owns the framing.
    GamePacketFraming(ErrorClass& reporter, GamePacketTransport& transport);
    virtual ~GamePacketFraming() = default;
    GamePacketFraming(const GamePacketFraming&) = delete;
    GamePacketFraming& operator=(const GamePacketFraming&) = delete;

    // The node's link to its server (client side); -1 for none.
    void SetConnections(int32_t tcpConnection, int32_t udpConnection);
    int32_t GetTCPConnection() const { return m_TCPConnection; }
    int32_t GetUDPConnection() const { return m_UDPConnection; }
    void SetMaxBatchBytes(int32_t bytes) { m_MaxBatchBytes = bytes; }
    int32_t GetMaxBatchBytes() const { return m_MaxBatchBytes; }
    void SetTrafficLogLevel(int32_t level) { m_TrafficLogLevel = level; }
    int32_t GetSendConnection() const { return m_SendConnection; }
    int32_t GetReceiveConnection() const { return m_ReceiveConnection; }
    bool IsSendOnUDP() const { return m_SendOnUDP != 0; }
    const GamePacketHeader& GetCurrentSendPacketHeader() const { return m_CurrentSendPacketHeader; }

    // Primitives, overridden by the node and again by the server node.
    virtual bool IsConnected() = 0;
    virtual bool IsNetworkServer() { return false; }
    virtual void OnSendFailed(int32_t connectionID) = 0;
    // The UDP connection when asked for and present, else the TCP one; gives its ID.
    virtual int32_t SelectSendChannel(bool onUDP);
    virtual int32_t SelectReceiveChannel(bool onUDP);
    // Writes n bytes of the open unit; with finish the packet goes out. A write that fails takes
    // the packet back to its last whole unit.
    virtual bool WriteData(const void* data, int32_t n, bool finish);
    virtual bool HasSendRoom(int32_t n);  // for a unit of n bytes and a header
    virtual bool FinishPacket();

    // Sending. Each unit begins with BeginPacket, which batches it into the open packet when that
    // has the same id, size and channel and room; then exactly the unit's bytes follow. A unit of
    // free length has size -1 and is never batched. A unit too big for one datagram, or of free
    // length, asked for on UDP goes over TCP. False when the unit may not be written.
    bool BeginPacket(bool onUDP, uint16_t id, int32_t unitSize);
    bool BeginPacketTCP(uint16_t id, int32_t unitSize) { return BeginPacket(false, id, unitSize); }
    bool BeginPacketUDP(uint16_t id, int32_t unitSize) { return BeginPacket(true, id, unitSize); }
    // u32 length, then the characters, in one write.
    bool WriteString(const String& text);

    // Receiving (GamePacketFramingReceive.cpp). A header is taken from TCP first, then UDP; channel
    // tells which (kTCP, kUDP). A message whose header does not hold is dropped with a warning and
    // the next one is tried.
    bool ReceivePacketHeader(GamePacketHeader* header, int32_t* channel);
    // n bytes of the current unit; false, and nothing read, past the unit's end.
    bool ReceiveData(void* dest, int32_t n);
    // The rest of the current unit and then whole units, at most units of them (all when
    // negative); dest takes units x size less the bytes already read. Gives the units read.
    int32_t ReceivePacketData(void* dest, int32_t units);
    // A String of the current unit: a length beyond the unit's bytes left is false and reads no
    // further.
    bool ReadString(String& text);
    int32_t GetUnitBytesLeft() const;
    int32_t GetUnitsLeft() const { return m_UnitsLeft; }
    // Back to the first unit of the held message (the server handles a message after relaying it).
    void RewindPacket();
    // Drops the held header and the current message.
    void NextPacket();
    // While set, messages are read from this queue (game packets without an address) instead of
    // from the connection: the client replays the messages it deferred while joining.
    void SetReplaySource(RingQueue* queue) { m_ReplaySource = queue; }
    RingQueue* GetReplaySource() const { return m_ReplaySource; }
    const GamePacketHeader& GetReceivedHeader() const { return m_ReceivedHeader; }

    static void ResetInvalidPacketSavedForTest();

protected:
    // Appends to a connection's pending message, waiting in 10 ms steps while committed messages
    // drain; a message that still does not fit once none is left to drain is a warning and false.
    bool SendToConnection(int32_t connectionID, const void* data, int32_t n, bool commit);
    // Checks, patches and commits the open packet on the connection.
    bool FinishPacketOn(int32_t connectionID);
    // Whether n more bytes fit the open unit; a write past its size is refused.
    bool AcceptsUnitBytes(int32_t n) const;
    // After a failed write: the unit being written is dropped from the pending message, and with it
    // the whole packet when it held no whole unit.
    void AbandonUnit(int32_t connectionID);
    void CheckPartialSend(int32_t connectionID);
    bool ValidateCurrentPacket(int32_t connectionID);
    // The pause between two tries of a full queue.
    virtual void WaitForSendRoom();
    // Forgets the held header without moving past its message.
    void ForgetReceivedHeader();

    ErrorClass& m_Reporter;
    GamePacketTransport& m_Transport;

    GamePacketHeader m_CurrentSendPacketHeader;
    int32_t m_PartialSend = 0;  // bytes written since the current unit began
    bool m_WritingHeader = false;
    int32_t m_SendOnUDP = 0;
    // The channel the open packet's units asked for: a node without a datagram link sends them
    // over TCP, and they still batch.
    bool m_OpenAskedUDP = false;
    int32_t m_SendConnection = -1;
    int32_t m_ReceiveOnUDP = 0;
    int32_t m_ReceiveConnection = -1;
    int32_t m_TCPConnection = -1;
    int32_t m_UDPConnection = -1;
    int32_t m_MaxBatchBytes = kDefaultMaxBatchBytes;
    int32_t m_TrafficLogLevel = 0;

    GamePacketHeader m_ReceivedHeader;
    int32_t m_UnitsLeft = 0;
    int32_t m_UnitBytesRead = 0;
    RingQueue* m_ReplaySource = nullptr;

private:
    enum HeaderResult { kNoMessage, kHeaderHeld, kDropped };
    bool ReceivePartial(bool onUDP, GamePacketHeader* header);
    HeaderResult ReadNextHeader(bool onUDP);
    bool CheckHeader(const GamePacketHeader& header, int32_t length, bool onUDP);
    int32_t ReadCurrent(void* dest, int32_t n);  // n bytes on, or -1
    int32_t WaitingLength();
    void SaveInvalidPacket(const uint8_t* header, int32_t length);
};
