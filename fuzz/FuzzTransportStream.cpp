// FuzzTransportStream: bytes as a peer's transport stream: the handshake check, then the packet
// assembler fed in chunks that the input's own bytes cut, pushing messages through a receiving
// queue as the receiving thread does. The same stream fed whole must give the same messages and
// reports; a datagram's message must be its payload exactly.
//
// Input: a control byte (bit 0 datagrams, bit 1 broadcast, bit 2 datagrams cut by the buffer),
// then the stream.
#include "FuzzTarget.h"

#include "net/RingQueue.h"
#include "net/TransportAssembler.h"

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int32_t kQueueCapacity = 256;
constexpr int32_t kAddressSize = 4;

struct Outcome {
    std::vector<Bytes> messages;
    std::vector<std::pair<int32_t, int64_t>> events;
    bool operator==(const Outcome& other) const { return messages == other.messages && events == other.events; }
};

// Collects each message whole.
class CollectingSink : public TransportAssembler::Sink {
public:
    bool OnMessagePart(const uint8_t* data, int32_t n, bool first, bool last) override
    {
        if (first)
            m_Current.clear();
        m_Current.insert(m_Current.end(), data, data + n);
        if (last)
            outcome.messages.push_back(m_Current);
        return true;
    }
    void OnEvent(TransportAssembler::Event event, int64_t value) override { outcome.events.emplace_back(event, value); }

    Outcome outcome;

private:
    Bytes m_Current;
};

// Appends the sender's address and the parts to a queue's pending message, as the receiving
// thread does, and takes every committed message out again.
class QueueSink : public TransportAssembler::Sink {
public:
    bool OnMessagePart(const uint8_t* data, int32_t n, bool first, bool last) override
    {
        static const uint8_t kAddress[kAddressSize] = {127, 0, 0, 1};
        if (first && !queue.Append(kAddress, kAddressSize, false))
            Fuzz::Finding("an empty queue refused a message's address");
        if (!queue.Append(data, n, last))
            Fuzz::Finding("a message within the limit did not fit the queue");
        if (last) {
            Bytes message(size_t(queue.GetMessageLength()));
            queue.Pop(message.data(), true);
            if (message.size() <= size_t(kAddressSize))
                Fuzz::Finding("an empty message was committed");
            outcome.messages.emplace_back(message.begin() + kAddressSize, message.end());
        }
        return true;
    }
    void OnEvent(TransportAssembler::Event event, int64_t value) override { outcome.events.emplace_back(event, value); }

    RingQueue queue{kQueueCapacity};
    Outcome outcome;
};

int32_t MaxMessage() { return RingQueue(kQueueCapacity).GetMaxMessage() - kAddressSize; }

// The length of the chunk that starts at offset, from the byte there.
int32_t ChunkAt(const uint8_t* stream, size_t size, size_t offset, uint8_t control)
{
    const int32_t n = 1 + (stream[offset] ^ control) % 53;
    return int32_t(std::min(size - offset, size_t(n)));
}

void Stream(const uint8_t* stream, size_t size, uint8_t control)
{
    if (size >= size_t(TransportPacket::kHelloSize)) {
        TransportPacket::Hello hello;
        if (TransportPacket::CheckHello(stream, &hello) == TransportPacket::kHelloAccepted) {
            stream += TransportPacket::kHelloSize;
            size -= TransportPacket::kHelloSize;
        }
    }
    CollectingSink whole;
    TransportAssembler reference(MaxMessage(), whole);
    const TransportAssembler::Result result = reference.Feed(stream, int32_t(size));

    QueueSink chunked;
    TransportAssembler assembler(MaxMessage(), chunked);
    TransportAssembler::Result last = TransportAssembler::kContinue;
    for (size_t offset = 0; offset < size;) {
        const int32_t n = ChunkAt(stream, size, offset, control);
        last = assembler.Feed(stream + offset, n);
        offset += size_t(n);
    }
    if (size > 0 && last != result)
        Fuzz::Finding("the chunks changed how the stream ended");
    if (!(chunked.outcome == whole.outcome))
        Fuzz::Finding("the chunks changed the messages or the reports");
    for (const Bytes& message : whole.outcome.messages)
        if (message.empty() || message.size() > size_t(MaxMessage()))
            Fuzz::Finding("a message outside the limits was kept");
}

void Datagrams(const uint8_t* stream, size_t size, uint8_t control)
{
    CollectingSink sink;
    TransportAssembler assembler(MaxMessage(), sink);
    for (size_t offset = 0; offset < size;) {
        const int32_t n = ChunkAt(stream, size, offset, control);
        const int32_t cut = (control & 4) ? stream[offset] % 3 : 0;
        const size_t before = sink.outcome.messages.size();
        assembler.FeedDatagram(stream + offset, n, n + cut, (control & 2) != 0);
        if (sink.outcome.messages.size() != before &&
            sink.outcome.messages.back() != Bytes(stream + offset + TransportPacket::kHeaderSize, stream + offset + n))
            Fuzz::Finding("a datagram's message is not its payload");
        offset += size_t(n);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size < 1 || size > Fuzz::kMaxInput)
        return 0;
    const uint8_t control = data[0];
    if (control & 1)
        Datagrams(data + 1, size - 1, control);
    else
        Stream(data + 1, size - 1, control);
    return 0;
}
