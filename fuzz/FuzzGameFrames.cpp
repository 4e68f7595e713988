// FuzzGameFrames: bytes as the game messages a peer's transport delivered, read through the
// framing's receiving side as handlers read them: whole units, pieces of units, strings, every
// value codec over each unit, rewinds. A held header must describe its message exactly, no read may
// cross its unit, and each accepted message, sent again unit by unit, must give the same bytes.
//
// Input: a control byte (bit 0: the messages are replayed from a deferred queue; bit 1: read units
// in pieces), then messages, each a u16 (bit 15: arrived over UDP; bits 0..14 its length) and its
// bytes.
#include "FuzzTarget.h"

#include "../tests/net/FakeGameTransport.h"
#include "base/ErrorClass.h"
#include "net/GamePacketFraming.h"
#include "net/GameValueCodec.h"
#include "script/ScriptValue.h"

#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int32_t kTCP = 1;
constexpr int32_t kUDP = 2;
constexpr int32_t kResend = 3;
constexpr int32_t kQueueCapacity = 1 << 13;  // a message of up to 8 KiB

class FuzzFraming : public ErrorClass, public GamePacketFraming {
public:
    explicit FuzzFraming(FakeGameTransport& transport) : GamePacketFraming(*this, transport) {}
    bool IsConnected() override { return true; }
    void OnSendFailed(int32_t) override { Fuzz::Finding("a send to an empty queue gave up"); }
    void WaitForSendRoom() override { Fuzz::Finding("a send to an empty queue waited"); }
};

// Every codec over the unit's bytes; each must stay within them.
void DecodeUnit(const Bytes& unit)
{
    for (int kind = 0; kind < 8; kind++) {
        ByteReader reader(unit.data(), unit.size());
        ScriptValue value;
        while (!reader.Failed() && reader.GetRemaining() > 0) {
            const size_t before = reader.GetRemaining();
            switch (kind) {
            case 0: GameValueCodec::ReadString(reader); break;
            case 1: GameValueCodec::ReadWideTerminated(reader); break;
            case 2: GameValueCodec::ReadObjRef3(reader); break;
            case 3: GameValueCodec::ReadNetObjPos(reader); break;
            case 4: GameValueCodec::ReadAnicycleUnit(reader); break;
            case 5: GameValueCodec::ReadScriptValue(reader, value); break;
            case 6: GameValueCodec::ReadCharFixed(reader, 128); break;
            default: GameValueCodec::ReadWideFixed(reader, 64); break;
            }
            if (!reader.Failed() && reader.GetRemaining() >= before)
                Fuzz::Finding("a codec read nothing and did not fail");
        }
    }
}

// Sends the units again through the framing's sending side and compares the packet.
void Resend(FuzzFraming& sender, FakeGameTransport& transport, const GamePacketHeader& header, const Bytes& payload)
{
    if (header.count == 0)
        return;
    const int32_t size = header.unitSize;
    const uint32_t count = size == 0 ? 1 : header.count;  // size 0 is written with count 1
    for (uint32_t i = 0; i < count; i++)
        if (!sender.BeginPacketTCP(header.id, size) || !sender.WriteData(payload.data() + size_t(i) * size_t(size), size, false))
            Fuzz::Finding("a unit that fits an empty queue was refused");
    if (!sender.FinishPacket())
        Fuzz::Finding("a packet could not be finished");
    std::vector<Bytes> sent = transport.TakeSent(kResend);
    if (sent.size() != 1 || GamePacketHeader::Read(sent[0].data()).count != count ||
        !std::equal(payload.begin(), payload.end(), sent[0].begin() + GamePacketHeader::kSize))
        Fuzz::Finding("the units sent again differ");
}

void ReadAll(FuzzFraming& framing, FuzzFraming& sender, FakeGameTransport& transport, bool pieces)
{
    GamePacketHeader header;
    int32_t channel = -1;
    while (framing.ReceivePacketHeader(&header, &channel)) {
        if (header.unitSize < 0 || !GamePacketHeader::IsValidID(header.id) ||
            int64_t(header.count) * header.unitSize > kQueueCapacity)
            Fuzz::Finding("a lying header was accepted");
        Bytes payload;
        Bytes unit(size_t(header.unitSize) + 1);
        if (header.unitSize == 0 && framing.ReceivePacketData(nullptr, -1) != int32_t(std::min<uint32_t>(header.count, INT32_MAX)))
            Fuzz::Finding("the units of size 0 were refused");
        while (framing.GetUnitsLeft() > 0) {
            if (pieces && header.unitSize > 0) {
                const int32_t first = header.unitSize / 2;
                if (!framing.ReceiveData(unit.data(), first) || framing.GetUnitBytesLeft() != header.unitSize - first)
                    Fuzz::Finding("a piece within the unit was refused");
                if (framing.ReceiveData(unit.data() + first, header.unitSize - first + 1))
                    Fuzz::Finding("a read crossed the end of its unit");
                if (framing.ReceivePacketData(unit.data() + first, 1) != 1)
                    Fuzz::Finding("the rest of a unit was refused");
            } else if (framing.ReceivePacketData(unit.data(), 1) != 1) {
                Fuzz::Finding("a unit of an accepted header was refused");
            }
            unit.resize(size_t(header.unitSize));
            DecodeUnit(unit);
            payload.insert(payload.end(), unit.begin(), unit.end());
            unit.resize(size_t(header.unitSize) + 1);
        }
        framing.RewindPacket();
        String text;
        while (framing.ReadString(text))
            if (text.TextLength() > header.unitSize)
                Fuzz::Finding("a string outgrew its unit");
        framing.NextPacket();
        Resend(sender, transport, header, payload);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size < 1 || size > Fuzz::kMaxInput)
        return 0;
    FakeGameTransport transport;
    transport.Add(kTCP, kQueueCapacity, kQueueCapacity);
    transport.Add(kUDP, kQueueCapacity, kQueueCapacity);
    transport.Add(kResend, 2 * kQueueCapacity, kQueueCapacity);
    FuzzFraming framing(transport);
    framing.SetConnections(kTCP, kUDP);
    FuzzFraming sender(transport);
    sender.SetConnections(kResend, -1);
    sender.SetMaxBatchBytes(2 * kQueueCapacity);

    const uint8_t control = data[0];
    RingQueue deferred(kQueueCapacity);
    Fuzz::ForEachFramedMessage(data + 1, size - 1, [&](const Bytes& message, bool udp) {
        const int32_t n = int32_t(message.size());
        if (control & 1)
            deferred.Push(message.data(), n);
        else if (transport.Get(udp ? kUDP : kTCP)->receive.GetFree() > n + 8)
            transport.Arrive(udp ? kUDP : kTCP, message);
    });
    if (control & 1)
        framing.SetReplaySource(&deferred);
    // Nothing a peer sends may throw: no error record is caught. The first bad magic of the run is
    // dumped into the current directory.
    ReadAll(framing, sender, transport, (control & 2) != 0);
    return 0;
}
