// NetworkNode: the sending thread (one packet per queued message, throttled to the upload limit)
// and the receiving thread (checked packets into the receiving queue) of each connection.
// Every wait here is bounded and ends on the record's stop or invalid flag.
#include "net/NetworkNode.h"

#include "net/NetworkNodeRecords.h"
#include "net/TransportAssembler.h"
#include "net/TransportPacket.h"
#include "platform/Clock.h"

#include <algorithm>

namespace {

constexpr int32_t kWaitMs = 500;       // on the wake event, which a stop sets
constexpr int32_t kPollMs = 200;       // on a socket; a stop's shutdown wakes all but broadcast ones
constexpr int32_t kRetryMs = 50;       // after a receive error that is not a lost connection
constexpr int32_t kSleepSliceMs = 50;  // the throttle sleeps in slices, looking at the flags

bool Stopping(const NetworkNode::ConnectionData& record) { return record.stop || record.invalid; }

// Sleeps up to ms, in slices, until the record stops.
void SleepUnlessStopped(const NetworkNode::ConnectionData& record, int32_t ms)
{
    while (ms > 0 && !Stopping(record)) {
        const int32_t slice = std::min(ms, kSleepSliceMs);
        Platform::SleepMs(uint32_t(slice));
        ms -= slice;
    }
}

}  // namespace

// The raw sender as the writer of a message's packets.
class NetworkNode::RawWriter : public TransportPacket::Writer {
public:
    RawWriter(NetworkNode& node, ConnectionData& record) : m_Node(node), m_Record(record) {}
    bool Write(const uint8_t* data, int32_t n) override { return m_Node.SendRaw(m_Record, data, n); }

private:
    NetworkNode& m_Node;
    ConnectionData& m_Record;
};

// Takes the assembler's messages into the receiving queue and turns its reports into warnings.
class NetworkNode::ReceivingSink : public TransportAssembler::Sink {
public:
    ReceivingSink(NetworkNode& node, ConnectionData& record) : m_Node(node), m_Record(record) {}

    bool OnMessagePart(const uint8_t* data, int32_t n, bool first, bool last) override
    {
        return m_Node.PushReceived(m_Record, data, n, first, last, sender);
    }

    void OnEvent(TransportAssembler::Event event, int64_t value) override
    {
        const int32_t id = m_Record.connectionID;
        switch (event) {
        case TransportAssembler::kBadHeader:
            m_Node.Warning("Invalid data received: Header type: %i, conID:%i", int32_t(value), id);
            break;
        case TransportAssembler::kMisplacedHello:
            m_Node.Warning("Misplaced authentication received");
            break;
        case TransportAssembler::kUnknownType:
            m_Node.Warning("Unknown data type in header: %i", int32_t(value));
            break;
        case TransportAssembler::kEmptyData:
            m_Node.Warning("Data packet without data dropped, conID:%i", id);
            break;
        case TransportAssembler::kOversized:
            m_Node.Warning("Data packet of %lld bytes exceeds the receive buffer, conID:%i", static_cast<long long>(value), id);
            break;
        case TransportAssembler::kBadDatagram:
            m_Node.Warning("Invalid datagram of %lld bytes dropped, conID:%i", static_cast<long long>(value), id);
            break;
        case TransportAssembler::kTooManyBadHeaders:
            m_Node.Warning("%i invalid headers in a row, conID:%i: connection closed", int32_t(value), id);
            break;
        case TransportAssembler::kGoodbye:
            break;
        }
    }

    SocketAddress sender;  // of the datagram being fed; the peer on a stream

private:
    NetworkNode& m_Node;
    ConnectionData& m_Record;
};

uint32_t NetworkNode::SendThreadProc(void* record)
{
    auto* data = static_cast<ConnectionData*>(record);
    NetworkNode* node = data->node;
    node->SendLoop(*data);
    --node->m_ThreadCount;
    return 0;
}

uint32_t NetworkNode::ReceiveThreadProc(void* record)
{
    auto* data = static_cast<ConnectionData*>(record);
    NetworkNode* node = data->node;
    node->ReceiveLoop(*data);
    --node->m_ThreadCount;
    return 0;
}

void NetworkNode::SendLoop(ConnectionData& record)
{
    RawWriter writer(*this, record);
    bool whole = true;  // no message was cut off by a failed write
    while (!Stopping(record)) {
        const int32_t length = record.queue.GetMessageLength();
        if (length == 0) {
            if (record.goodbye)
                break;
            record.wake.WaitFor(kWaitMs);  // set when a message is committed
            continue;
        }
        if (record.kind == kUDP && length + TransportPacket::kHeaderSize > record.bufferSize) {
            Warning("UDP message of %i bytes exceeds the packet size %i, conID:%i: dropped", length, record.bufferSize,
                    record.connectionID);
            record.queue.Pop(nullptr, true);
            continue;
        }
        whole = TransportPacket::SendMessage(record.queue, record.buffer.get(), record.bufferSize, ++record.sequence, writer);
    }
    if (record.goodbye && whole && !Stopping(record)) {
        uint8_t goodbye[TransportPacket::kGoodbyeSize];
        TransportPacket::WriteGoodbye(goodbye, ++record.sequence);
        SendRaw(record, goodbye, sizeof goodbye);
    }
}

void NetworkNode::SendHello(ConnectionData& record)
{
    uint8_t hello[TransportPacket::kHelloSize];
    TransportPacket::WriteHello(hello, ++record.sequence, m_IsServer ? m_ListeningPort : 0);
    SendRaw(record, hello, sizeof hello);
}

// Writes n bytes, continuing after partial writes. A failed write is reported; a lost connection,
// and on a stream any failure (the peer would misread what follows), closes the connection.
bool NetworkNode::SendRaw(ConnectionData& record, const uint8_t* data, int32_t n)
{
    while (n > 0) {
        if (Stopping(record))
            return false;
        const int32_t ready = record.socket.WaitReady(true, kPollMs);
        if (ready == 0)
            continue;
        int32_t sent = -1;
        if (ready > 0)
            sent = record.datagram ? record.socket.SendTo(data, n, record.peer, true) : record.socket.Send(data, n, true);
        if (sent < 0) {
            const int32_t code = Socket::GetLastError();
            if (code == Socket::kErrorWouldBlock)
                continue;
            if (Stopping(record))
                return false;  // our own shutdown
            ReportSocketError(code, &record);
            if (IsConnectionLostError(code) || record.kind == kTCP)
                LoseConnection(record);
            return false;
        }
        data += sent;
        n -= sent;
        SleepUnlessStopped(record, ThrottleMs(sent, record.uploadLimit));
    }
    return true;
}

void NetworkNode::ReceiveLoop(ConnectionData& record)
{
    ReceivingSink sink(*this, record);
    sink.sender = record.peer;
    // Each message carries the sender's address in front of its data.
    TransportAssembler assembler(record.queue.GetMaxMessage() - RingQueue::kPrefixSize, sink);
    while (!Stopping(record)) {
        const int32_t ready = record.socket.WaitReady(false, kPollMs);
        if (ready == 0)
            continue;
        int32_t received = -1;
        if (ready > 0)
            received = record.kind == kUDP ? record.socket.ReceiveFrom(record.buffer.get(), record.bufferSize, &sink.sender)
                                           : record.socket.Receive(record.buffer.get(), record.bufferSize);
        if (Stopping(record))
            break;
        if (received < 0) {
            const int32_t code = Socket::GetLastError();
            // A datagram refused by the peer's port: the peer may not be listening yet.
            if (record.kind == kUDP && code == Socket::kErrorReset) {
                SleepUnlessStopped(record, kRetryMs);
                continue;
            }
            ReportSocketError(code, &record);
            if (IsConnectionLostError(code)) {
                LoseConnection(record);
                break;
            }
            SleepUnlessStopped(record, kRetryMs);
            continue;
        }
        TransportAssembler::Result result;
        if (record.kind == kUDP) {
            result = assembler.FeedDatagram(record.buffer.get(), std::min(received, record.bufferSize), received,
                                            record.datagram);
        } else if (received == 0) {
            LoseConnection(record);  // the peer has closed
            break;
        } else {
            result = assembler.Feed(record.buffer.get(), received);
        }
        if (result == TransportAssembler::kInterrupted)
            break;
        if (result == TransportAssembler::kClosed) {
            LoseConnection(record);
            record.socket.Shutdown(Socket::kBoth);
            break;
        }
    }
    record.queue.SetPendingLength(0);  // a message cut off by the end is never committed
}

bool NetworkNode::PushReceived(ConnectionData& record, const uint8_t* data, int32_t n, bool first, bool last,
                               const SocketAddress& sender)
{
    m_BytesReceived += uint64_t(n);
    WriteTrafficLog(true, record.connectionID, data, n);
    if (first) {
        const uint8_t address[4] = {uint8_t(sender.address >> 24), uint8_t(sender.address >> 16),
                                    uint8_t(sender.address >> 8), uint8_t(sender.address)};
        if (!WaitForRoom(record, address, sizeof address, false))
            return false;
    }
    return WaitForRoom(record, data, n, last);
}

// Appends to the receiving queue, waiting while the game thread makes room (it wakes the thread
// when it moves past a message).
bool NetworkNode::WaitForRoom(ConnectionData& record, const void* data, int32_t n, bool commit)
{
    while (!record.queue.Append(data, n, commit)) {
        if (Stopping(record))
            return false;
        record.wake.WaitFor(kWaitMs);
    }
    return true;
}
