// Tests of the game packet framing over a transport of plain ring queues: batching and its limits,
// channels, full queues and the rollback to whole units, the header checks on receipt, reading
// within units, the invalid-packet dump and the replay queue.
#include "net/GamePacketFraming.h"

#include "base/ErrorClass.h"
#include "net/CountingBytes.h"
#include "net/FakeGameTransport.h"
#include "net/RingQueue.h"
#include "support/ByteBuilder.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int32_t kTCP = 1;
constexpr int32_t kUDP = 2;
constexpr uint16_t kPos = 0x0100;
constexpr uint16_t kChat = 0x0200;

class TestFraming : public ErrorClass, public GamePacketFraming {
public:
    explicit TestFraming(FakeGameTransport& transport) : GamePacketFraming(*this, transport), m_Fake(transport) {}

    bool IsConnected() override { return true; }
    void OnSendFailed(int32_t id) override { failedConnections.push_back(id); }
    bool HasSendRoom(int32_t n) override { return claimRoom || GamePacketFraming::HasSendRoom(n); }
    void WaitForSendRoom() override
    {
        waits++;
        if (drainOnWait)
            m_Fake.TakeSent(m_SendConnection);
    }

    std::vector<int32_t> failedConnections;
    int32_t waits = 0;
    bool drainOnWait = false;
    bool claimRoom = false;

private:
    FakeGameTransport& m_Fake;
};

Bytes Packet(uint16_t magic, uint16_t id, uint32_t count, int32_t size, const Bytes& payload)
{
    ByteBuilder b;
    b.U16(magic).U16(id).I32(int32_t(count)).I32(size).Append(payload);
    return b.bytes;
}

Bytes Packet(uint16_t id, uint32_t count, int32_t size, const Bytes& payload)
{
    return Packet(GamePacketHeader::kMagic, id, count, size, payload);
}

Bytes Cut(Bytes bytes, size_t n)
{
    bytes.resize(n);
    return bytes;
}

GamePacketHeader HeaderOf(const Bytes& message) { return GamePacketHeader::Read(message.data()); }

class GamePacketFramingTest : public ::testing::Test {
protected:
    GamePacketFramingTest()
    {
        transport.Add(kTCP);
        transport.Add(kUDP);
        framing.SetConnections(kTCP, kUDP);
    }

    // One unit of n bytes, begun on the channel.
    bool SendUnit(bool onUDP, uint16_t id, int32_t n, uint8_t first = 1)
    {
        const Bytes unit = Filled(n, first);
        return framing.BeginPacket(onUDP, id, n) && framing.WriteData(unit.data(), n, false);
    }

    FakeGameTransport transport;
    TestFraming framing{transport};
};

TEST_F(GamePacketFramingTest, BatchesUnitsOfOneKindAndChannel)
{
    ASSERT_TRUE(SendUnit(true, kPos, 18, 1));
    ASSERT_TRUE(SendUnit(true, kPos, 18, 100));
    EXPECT_TRUE(transport.TakeSent(kUDP).empty());  // still open
    ASSERT_TRUE(SendUnit(false, kPos, 18, 50));     // TCP after UDP: the UDP packet goes out
    std::vector<Bytes> udp = transport.TakeSent(kUDP);
    ASSERT_EQ(udp.size(), 1u);
    Bytes expected = Packet(kPos, 2, 18, Filled(18, 1));
    const Bytes second = Filled(18, 100);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(udp[0], expected);

    ASSERT_TRUE(SendUnit(false, kChat, 18, 50));  // another id on the same channel
    ASSERT_TRUE(framing.FinishPacket());
    std::vector<Bytes> tcp = transport.TakeSent(kTCP);
    ASSERT_EQ(tcp.size(), 2u);
    EXPECT_EQ(tcp[0], Packet(kPos, 1, 18, Filled(18, 50)));
    EXPECT_EQ(HeaderOf(tcp[1]).id, kChat);
    EXPECT_TRUE(framing.FinishPacket());  // nothing open: true, nothing sent
    EXPECT_TRUE(transport.TakeSent(kTCP).empty());

    // Without a datagram link, units asked for UDP go over TCP and still batch.
    framing.SetConnections(kTCP, -1);
    ASSERT_TRUE(SendUnit(true, kPos, 18, 1));
    ASSERT_TRUE(SendUnit(true, kPos, 18, 100));
    ASSERT_TRUE(framing.FinishPacket());
    tcp = transport.TakeSent(kTCP);
    ASSERT_EQ(tcp.size(), 1u);
    EXPECT_EQ(HeaderOf(tcp[0]).count, 2u);
}

TEST_F(GamePacketFramingTest, BatchLimitsAndSpecialSizes)
{
    // The batch limit: 1820 units of 18 bytes fill 32760 of 32768 bytes; the 1821st starts anew.
    for (int32_t i = 0; i < 1821; i++)
        ASSERT_TRUE(SendUnit(false, kPos, 18));
    ASSERT_TRUE(framing.FinishPacket());
    std::vector<Bytes> sent = transport.TakeSent(kTCP);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(HeaderOf(sent[0]).count, 1820u);
    EXPECT_EQ(HeaderOf(sent[1]).count, 1u);

    // A datagram carries 12 + 112 x 18 bytes of 2036.
    transport.maxDatagram = 2036;
    for (int32_t i = 0; i < 113; i++)
        ASSERT_TRUE(SendUnit(true, kPos, 18));
    ASSERT_TRUE(framing.FinishPacket());
    sent = transport.TakeSent(kUDP);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(HeaderOf(sent[0]).count, 112u);
    EXPECT_LE(sent[0].size(), 2036u);

    // A unit that no datagram carries, and one of free length, go over TCP.
    ASSERT_TRUE(SendUnit(true, kPos, 3000));
    EXPECT_FALSE(framing.IsSendOnUDP());
    const Bytes text = Filled(259, 7);
    ASSERT_TRUE(framing.BeginPacketUDP(0x0300, -1));
    ASSERT_TRUE(framing.WriteData(text.data(), 200, false));
    ASSERT_TRUE(framing.WriteData(text.data() + 200, 59, true));
    // Size 0: count 1 each, never batched.
    ASSERT_TRUE(framing.BeginPacketTCP(0x0500, 0));
    ASSERT_TRUE(framing.BeginPacketTCP(0x0500, 0));
    ASSERT_TRUE(framing.FinishPacket());
    sent = transport.TakeSent(kTCP);
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[0].size(), 3012u);
    EXPECT_EQ(sent[1], Packet(0x0300, 1, 259, text));  // the real size replaces -1
    EXPECT_EQ(sent[2], Packet(0x0500, 1, 0, {}));
    EXPECT_EQ(sent[3], Packet(0x0500, 1, 0, {}));
}

TEST_F(GamePacketFramingTest, FailedFirstUnitDropsThePacket)
{
    // A queue of 64 bytes takes a message of 56; nothing committed waits, so no write can wait.
    const struct {
        int32_t unitSize;
        std::vector<int32_t> parts;
    } kCases[] = {{60, {60}}, {-1, {30, 30}}};
    for (const auto& c : kCases) {
        LogCapture log;
        transport.Add(kTCP, 64);
        ASSERT_TRUE(framing.BeginPacketTCP(kPos, c.unitSize));
        const Bytes bytes = Filled(60, 1);
        bool written = true;
        for (int32_t part : c.parts)
            written = framing.WriteData(bytes.data(), part, false);
        EXPECT_FALSE(written) << c.unitSize;
        EXPECT_EQ(log.Count("exceeds the sending queue of connection 1"), 1) << c.unitSize;
        EXPECT_EQ(framing.GetCurrentSendPacketHeader().id, 0) << c.unitSize;
        EXPECT_EQ(transport.Get(kTCP)->send.GetPendingLength(), 0) << c.unitSize;
        EXPECT_TRUE(framing.FinishPacket());
        EXPECT_TRUE(transport.TakeSent(kTCP).empty()) << c.unitSize;
    }
}

TEST_F(GamePacketFramingTest, FullQueueWaitsForCommittedMessages)
{
    LogCapture log;
    transport.Add(kTCP, 64);
    ASSERT_TRUE(SendUnit(false, kPos, 30));
    ASSERT_TRUE(framing.FinishPacket());
    // Committed bytes wait to be sent: the write waits until they drain.
    framing.drainOnWait = true;
    ASSERT_TRUE(SendUnit(false, kChat, 30));
    EXPECT_EQ(framing.waits, 1);
    ASSERT_TRUE(framing.FinishPacket());

    // They never drain: the client gives up after its retries and reports the connection.
    framing.drainOnWait = false;
    framing.waits = 0;
    framing.SetTrafficLogLevel(1);
    EXPECT_FALSE(SendUnit(false, kPos, 30));
    EXPECT_EQ(framing.waits, GamePacketFraming::kSendRetries + 1);
    EXPECT_EQ(framing.failedConnections, std::vector<int32_t>{kTCP});
    EXPECT_EQ(log.Count("Send() timed out!"), 1);

    // Once they have drained the message still does not fit: it is refused then, without waiting
    // out the retries or reporting the connection.
    transport.TakeSent(kTCP);
    ASSERT_TRUE(SendUnit(false, kPos, 10));
    ASSERT_TRUE(framing.FinishPacket());
    framing.drainOnWait = true;
    framing.waits = 0;
    ASSERT_TRUE(framing.BeginPacketTCP(kChat, -1));
    const Bytes tooLong = Filled(50, 1);
    EXPECT_FALSE(framing.WriteData(tooLong.data(), 50, false));
    EXPECT_EQ(framing.waits, 1);
    EXPECT_EQ(log.Count("exceeds the sending queue of connection 1"), 1);
    EXPECT_EQ(framing.failedConnections.size(), 1u);  // only the one above
    EXPECT_EQ(transport.Get(kTCP)->send.GetPendingLength(), 0);

    // The queue empties between the refused write and the question whether anything waits: the
    // write is tried again then, not taken for one that can never fit.
    framing.drainOnWait = false;
    ASSERT_TRUE(SendUnit(false, kPos, 30));
    ASSERT_TRUE(framing.FinishPacket());
    transport.drainWhenAsked = true;
    framing.waits = 0;
    EXPECT_TRUE(SendUnit(false, kChat, 30));
    EXPECT_EQ(framing.waits, 0);
    EXPECT_EQ(log.Count("exceeds the sending queue of connection 1"), 1);
    transport.drainWhenAsked = false;
    ASSERT_TRUE(framing.FinishPacket());
    EXPECT_EQ(transport.TakeSent(kTCP), std::vector<Bytes>{Packet(kChat, 1, 30, Filled(30, 1))});
}

TEST_F(GamePacketFramingTest, UnderWrittenUnitIsAnInternalError)
{
    ASSERT_TRUE(framing.BeginPacketTCP(kPos, 18));
    const Bytes part = Filled(10, 1);
    ASSERT_TRUE(framing.WriteData(part.data(), 10, false));
    EXPECT_THROW(framing.FinishPacket(), ErrorMsg);
    EXPECT_EQ(transport.Get(kTCP)->send.GetPendingLength(), 0);  // the torn packet never leaves
    ASSERT_TRUE(SendUnit(false, kPos, 18));
    ASSERT_TRUE(framing.FinishPacket());
    EXPECT_EQ(transport.TakeSent(kTCP).size(), 1u);
}

TEST_F(GamePacketFramingTest, LyingHeadersAreDroppedAndTheNextMessageRead)
{
    const Bytes eight = Filled(8, 1);
    const struct {
        const char* name;
        Bytes message;
    } kCases[] = {
        {"id 0", Packet(0x0000, 1, 8, eight)},
        {"id 0xFFFF", Packet(0xFFFF, 1, 8, eight)},
        {"size -5", Packet(kPos, 1, -5, eight)},
        {"one byte over", Packet(kPos, 1, 9, eight)},
        {"one byte under", Packet(kPos, 1, 7, eight)},
        {"count 2^31 of 2", Packet(kPos, 0x80000000u, 2, eight)},
        {"size 0 with data", Packet(kPos, 5, 0, eight)},
        {"7 bytes", Cut(Packet(kPos, 1, 8, eight), 7)},
    };
    for (const auto& c : kCases) {
        LogCapture log;
        transport.Arrive(kTCP, c.message);
        transport.Arrive(kTCP, Packet(kChat, 2, 4, eight));
        GamePacketHeader header;
        int32_t channel = -1;
        ASSERT_TRUE(framing.ReceivePacketHeader(&header, &channel)) << c.name;
        EXPECT_EQ(header.id, kChat) << c.name;
        EXPECT_EQ(channel, GamePacketFraming::kTCP);
        EXPECT_EQ(log.Total(), 1u) << c.name;  // one warning for the dropped message
        framing.NextPacket();
        EXPECT_FALSE(framing.ReceivePacketHeader(&header, &channel));
    }
    // Size 0 takes any count when nothing follows.
    transport.Arrive(kUDP, Packet(0x0500, 7, 0, {}));
    GamePacketHeader header;
    int32_t channel = -1;
    ASSERT_TRUE(framing.ReceivePacketHeader(&header, &channel));
    EXPECT_EQ(header.count, 7u);
    EXPECT_EQ(channel, GamePacketFraming::kUDP);
    EXPECT_EQ(framing.ReceivePacketData(nullptr, -1), 7);
}

TEST_F(GamePacketFramingTest, ReadsStayWithinUnits)
{
    ByteBuilder units;
    units.I32(11).I32(12).I32(21).I32(22).I32(31).I32(32);
    transport.Arrive(kTCP, Packet(kPos, 3, 8, units.bytes));
    uint8_t buffer[32] = {};
    EXPECT_FALSE(framing.ReceiveData(buffer, 10));  // 10 of an 8-byte unit
    ASSERT_TRUE(framing.ReceiveData(buffer, 4));
    EXPECT_EQ(ByteReader::DecodeU32(buffer), 11u);
    EXPECT_EQ(framing.GetUnitBytesLeft(), 4);
    EXPECT_FALSE(framing.ReceiveData(buffer, 5));
    EXPECT_EQ(framing.ReceivePacketData(buffer, 2), 2);  // the rest of the first, then the second
    EXPECT_EQ(ByteReader::DecodeU32(buffer), 12u);
    EXPECT_EQ(ByteReader::DecodeU32(buffer + 8), 22u);
    EXPECT_EQ(framing.GetUnitsLeft(), 1);
    framing.RewindPacket();  // back to the first unit
    EXPECT_EQ(framing.ReceivePacketData(buffer, -1), 3);
    EXPECT_EQ(ByteReader::DecodeU32(buffer), 11u);
    EXPECT_EQ(ByteReader::DecodeU32(buffer + 20), 32u);
    EXPECT_EQ(framing.ReceivePacketData(buffer, 1), 0);
    EXPECT_FALSE(framing.ReceiveData(buffer, 1));
    framing.NextPacket();
    EXPECT_EQ(framing.GetUnitBytesLeft(), 0);
    EXPECT_EQ(transport.GetNumBytesWaiting(kTCP), 0);
}

TEST_F(GamePacketFramingTest, StringsRoundTripAndLyingLengthsStopAtTheUnit)
{
    ASSERT_TRUE(framing.BeginPacketTCP(0x1700, -1));
    ASSERT_TRUE(framing.WriteString("SetGameHost"));
    ASSERT_TRUE(framing.WriteString(""));
    ASSERT_TRUE(framing.FinishPacket());
    transport.Deliver(kTCP, kTCP);
    String text;
    ASSERT_TRUE(framing.ReadString(text));
    EXPECT_EQ(text, "SetGameHost");
    ASSERT_TRUE(framing.ReadString(text));
    EXPECT_EQ(text, "");
    EXPECT_FALSE(framing.ReadString(text));  // the unit is read
    framing.NextPacket();

    // A length one past the unit's bytes: false, and the next unit is untouched.
    ByteBuilder units;
    units.I32(5).U8('a').U8('b').U8('c').U8('d').I32(77).Zeros(4);
    transport.Arrive(kTCP, Packet(0x1900, 2, 8, units.bytes));
    EXPECT_FALSE(framing.ReadString(text));
    EXPECT_EQ(framing.GetUnitBytesLeft(), 4);
    uint8_t buffer[8];
    ASSERT_EQ(framing.ReceivePacketData(buffer, 1), 1);
    ASSERT_EQ(framing.ReceivePacketData(buffer, 1), 1);
    EXPECT_EQ(ByteReader::DecodeU32(buffer), 77u);
}

TEST_F(GamePacketFramingTest, BadMagicIsDumpedOncePerRun)
{
    TempDir dir;
    ScopedCurrentDir inDir(dir.Path());
    GamePacketFraming::ResetInvalidPacketSavedForTest();
    LogCapture log;
    const Bytes first = Packet(0xBEEF, kPos, 1, 4, Filled(4, 1));
    transport.Arrive(kUDP, first);
    transport.Arrive(kUDP, Packet(0xC0DF, kPos, 1, 4, Filled(4, 50)));
    GamePacketHeader header;
    EXPECT_FALSE(framing.ReceivePacketHeader(&header, nullptr));
    EXPECT_GE(log.Count("Invalid network packet received (UDP)"), 1);
    EXPECT_EQ(dir.Read(GamePacketFraming::kInvalidPacketFile), std::string(first.begin(), first.end()));
    EXPECT_EQ(transport.GetNumBytesWaiting(kUDP), 0);
}

TEST_F(GamePacketFramingTest, ReplaysDeferredMessages)
{
    RingQueue deferred(1024);
    const Bytes first = Packet(kPos, 1, 4, Filled(4, 1));
    deferred.Push(first.data(), int32_t(first.size()));
    const Bytes lying = Packet(kPos, 2, 4, Filled(4, 1));
    deferred.Push(lying.data(), int32_t(lying.size()));
    const Bytes last = Packet(kChat, 1, 2, Filled(2, 9));
    deferred.Push(last.data(), int32_t(last.size()));
    transport.Arrive(kTCP, Packet(0x4300, 1, 0, {}));  // waits on the connection meanwhile

    LogCapture log;
    framing.SetReplaySource(&deferred);
    std::vector<uint16_t> ids;
    GamePacketHeader header;
    while (framing.ReceivePacketHeader(&header, nullptr)) {
        ids.push_back(header.id);
        uint8_t buffer[4];
        EXPECT_EQ(framing.ReceivePacketData(buffer, -1), 1);
        framing.NextPacket();
    }
    framing.SetReplaySource(nullptr);
    EXPECT_EQ(ids, (std::vector<uint16_t>{kPos, kChat}));
    EXPECT_EQ(log.Count("Invalid game packet header (TCP)"), 1);
    EXPECT_FALSE(deferred.HasMessage());
    ASSERT_TRUE(framing.ReceivePacketHeader(&header, nullptr));
    EXPECT_EQ(header.id, 0x4300);
}

}  // namespace
