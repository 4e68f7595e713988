// Tests of the receiving side of the packet stream: messages whatever the chunks, every kind of
// packet that is dropped, the packets that end a connection, and datagrams.
#include "net/TransportAssembler.h"

#include "net/TransportBytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using Event = TransportAssembler::Event;

class RecordingSink : public TransportAssembler::Sink {
public:
    bool OnMessagePart(const uint8_t* data, int32_t n, bool first, bool last) override
    {
        if (first)
            current.clear();
        current.append(reinterpret_cast<const char*>(data), size_t(n));
        if (last)
            messages.push_back(current);
        return accept;
    }
    void OnEvent(Event event, int64_t value) override
    {
        events.push_back(event);
        values.push_back(value);
    }

    std::vector<std::string> messages;
    std::vector<Event> events;
    std::vector<int64_t> values;
    std::string current;
    bool accept = true;
};

Bytes BadCheck(Bytes packet)
{
    packet[8] ^= 0x40;
    return packet;
}

Bytes Repeat(const Bytes& part, int32_t times)
{
    Bytes all;
    for (int32_t i = 0; i < times; i++)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

constexpr int32_t kMaxMessage = 100;

}  // namespace

TEST(TransportAssemblerTest, MessagesDoNotDependOnTheChunks)
{
    const Bytes stream = JoinBytes({TransportDataBytes("first"), TransportDataBytes(std::string(40, 'x')), TransportDataBytes("third")});
    const std::vector<std::string> expected = {"first", std::string(40, 'x'), "third"};

    // Whole, a byte at a time, and cut in two at every place.
    for (int32_t cut = 0; cut <= int32_t(stream.size()); cut++) {
        RecordingSink sink;
        TransportAssembler assembler(kMaxMessage, sink);
        EXPECT_EQ(assembler.Feed(stream.data(), cut), TransportAssembler::kContinue);
        EXPECT_EQ(assembler.Feed(stream.data() + cut, int32_t(stream.size()) - cut), TransportAssembler::kContinue);
        EXPECT_EQ(sink.messages, expected) << "cut at " << cut;
        EXPECT_TRUE(sink.events.empty());
    }
    RecordingSink sink;
    TransportAssembler assembler(kMaxMessage, sink);
    for (uint8_t byte : stream)
        assembler.Feed(&byte, 1);
    EXPECT_EQ(sink.messages, expected);
    EXPECT_FALSE(assembler.IsInMessage());
}

TEST(TransportAssemblerTest, StreamDropsAndCloses)
{
    const Bytes bad = BadCheck(TransportBytes(TransportPacket::kReserved, "", 0));
    Bytes hello(TransportPacket::kHelloSize);
    TransportPacket::WriteHello(hello.data(), 1, 0);
    struct Case {
        const char* name;
        Bytes stream;
        std::vector<std::string> messages;
        std::vector<Event> events;
        TransportAssembler::Result result;
    } const cases[] = {
        {"a bad check drops the header", JoinBytes({bad, TransportDataBytes("ok")}), {"ok"}, {TransportAssembler::kBadHeader},
         TransportAssembler::kContinue},
        {"a misplaced handshake drops 22 bytes", JoinBytes({hello, TransportDataBytes("ok")}), {"ok"}, {TransportAssembler::kMisplacedHello},
         TransportAssembler::kContinue},
        {"type 4 is ignored", JoinBytes({TransportBytes(TransportPacket::kReserved, "", 0), TransportDataBytes("ok")}), {"ok"}, {},
         TransportAssembler::kContinue},
        {"type 9 is unknown", JoinBytes({TransportBytes(9, "", 0), TransportDataBytes("ok")}), {"ok"}, {TransportAssembler::kUnknownType},
         TransportAssembler::kContinue},
        {"empty data is dropped", JoinBytes({TransportDataBytes(""), TransportDataBytes("ok")}), {"ok"}, {TransportAssembler::kEmptyData},
         TransportAssembler::kContinue},
        {"a goodbye ends the stream", JoinBytes({TransportDataBytes("ok"), TransportBytes(TransportPacket::kGoodbye, "", 0), TransportDataBytes("late")}), {"ok"},
         {TransportAssembler::kGoodbye}, TransportAssembler::kClosed},
        {"the largest message fits", TransportDataBytes(std::string(kMaxMessage, 'm')), {std::string(kMaxMessage, 'm')}, {},
         TransportAssembler::kContinue},
        {"one byte more ends the stream", JoinBytes({TransportDataBytes(std::string(kMaxMessage + 1, 'm')), TransportDataBytes("late")}), {},
         {TransportAssembler::kOversized}, TransportAssembler::kClosed},
        {"seven bad headers are survived", JoinBytes({Repeat(bad, 7), TransportDataBytes("ok"), Repeat(bad, 7)}), {"ok"},
         std::vector<Event>(14, TransportAssembler::kBadHeader), TransportAssembler::kContinue},
        {"eight bad headers in a row end it", JoinBytes({Repeat(bad, 6), hello, TransportBytes(11, "", 0), TransportDataBytes("late")}), {},
         {TransportAssembler::kBadHeader, TransportAssembler::kBadHeader, TransportAssembler::kBadHeader,
          TransportAssembler::kBadHeader, TransportAssembler::kBadHeader, TransportAssembler::kBadHeader,
          TransportAssembler::kMisplacedHello, TransportAssembler::kUnknownType, TransportAssembler::kTooManyBadHeaders},
         TransportAssembler::kClosed},
    };
    for (const Case& c : cases) {
        for (int32_t step : {int32_t(c.stream.size()), 1, 5}) {
            RecordingSink sink;
            TransportAssembler assembler(kMaxMessage, sink);
            TransportAssembler::Result result = TransportAssembler::kContinue;
            for (size_t at = 0; at < c.stream.size(); at += size_t(step))
                result = assembler.Feed(c.stream.data() + at, int32_t(std::min(c.stream.size() - at, size_t(step))));
            EXPECT_EQ(result, c.result) << c.name << ", chunks of " << step;
            EXPECT_EQ(sink.messages, c.messages) << c.name << ", chunks of " << step;
            EXPECT_EQ(sink.events, c.events) << c.name << ", chunks of " << step;
        }
    }

    // The values reported with the events.
    RecordingSink sink;
    TransportAssembler assembler(kMaxMessage, sink);
    assembler.Feed(BadCheck(TransportBytes(6, "", 0)).data(), TransportPacket::kHeaderSize);
    assembler.Feed(TransportBytes(9, "", 0).data(), TransportPacket::kHeaderSize);
    assembler.Feed(TransportBytes(TransportPacket::kData, "", 5000).data(), TransportPacket::kHeaderSize);
    EXPECT_EQ(sink.values, (std::vector<int64_t>{6, 9, 5000}));
}

TEST(TransportAssemblerTest, RefusedPartInterrupts)
{
    RecordingSink sink;
    sink.accept = false;
    TransportAssembler assembler(kMaxMessage, sink);
    const Bytes packet = TransportDataBytes("abcdef");
    EXPECT_EQ(assembler.Feed(packet.data(), 15), TransportAssembler::kInterrupted);
    EXPECT_EQ(sink.current, "abc");
}

TEST(TransportAssemblerTest, DatagramIsOnePacket)
{
    struct Case {
        const char* name;
        Bytes datagram;
        int32_t extra;  // bytes the socket cut off
        bool broadcast;
        std::vector<std::string> messages;
        std::vector<Event> events;
        TransportAssembler::Result result;
    } const cases[] = {
        {"one message", TransportDataBytes("ok"), 0, false, {"ok"}, {}, TransportAssembler::kContinue},
        {"numBytes short of the datagram", TransportBytes(TransportPacket::kData, "okay", 3), 0, false, {},
         {TransportAssembler::kBadDatagram}, TransportAssembler::kContinue},
        {"numBytes past the datagram", TransportBytes(TransportPacket::kData, "ok", 3), 0, false, {},
         {TransportAssembler::kBadDatagram}, TransportAssembler::kContinue},
        {"cut by the buffer", TransportDataBytes("ok"), 10, false, {}, {TransportAssembler::kBadDatagram}, TransportAssembler::kContinue},
        {"shorter than a header", Bytes(11, 0), 0, false, {}, {TransportAssembler::kBadDatagram},
         TransportAssembler::kContinue},
        {"bad check", BadCheck(TransportDataBytes("ok")), 0, false, {}, {TransportAssembler::kBadHeader}, TransportAssembler::kContinue},
        {"empty data", TransportDataBytes(""), 0, false, {}, {TransportAssembler::kEmptyData}, TransportAssembler::kContinue},
        {"too large is dropped", TransportDataBytes(std::string(kMaxMessage + 1, 'm')), 0, false, {}, {TransportAssembler::kOversized},
         TransportAssembler::kContinue},
        {"goodbye closes a connected socket", TransportBytes(TransportPacket::kGoodbye, "", 0), 0, false, {},
         {TransportAssembler::kGoodbye}, TransportAssembler::kClosed},
        {"goodbye is dropped on broadcast", TransportBytes(TransportPacket::kGoodbye, "", 0), 0, true, {}, {},
         TransportAssembler::kContinue},
    };
    for (const Case& c : cases) {
        RecordingSink sink;
        TransportAssembler assembler(kMaxMessage, sink);
        const int32_t n = int32_t(c.datagram.size());
        EXPECT_EQ(assembler.FeedDatagram(c.datagram.data(), n, n + c.extra, c.broadcast), c.result) << c.name;
        EXPECT_EQ(sink.messages, c.messages) << c.name;
        EXPECT_EQ(sink.events, c.events) << c.name;
    }

    // Bad datagrams never add up to a close: each stands alone.
    RecordingSink sink;
    TransportAssembler assembler(kMaxMessage, sink);
    const Bytes bad = BadCheck(TransportDataBytes("x"));
    for (int32_t i = 0; i < 20; i++)
        EXPECT_EQ(assembler.FeedDatagram(bad.data(), int32_t(bad.size()), int32_t(bad.size()), false),
                  TransportAssembler::kContinue);
    const Bytes good = TransportDataBytes("after");
    assembler.FeedDatagram(good.data(), int32_t(good.size()), int32_t(good.size()), false);
    EXPECT_EQ(sink.messages, std::vector<std::string>{"after"});
}
