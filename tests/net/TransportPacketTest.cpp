// Tests of the transport packets: golden handshake and goodbye bytes, the handshake check, and the
// writes that carry one queued message.
#include "net/TransportPacket.h"

#include "net/RingQueue.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Hello(uint32_t sequence, uint16_t port, uint8_t connectBack = 0)
{
    Bytes packet(TransportPacket::kHelloSize);
    TransportPacket::WriteHello(packet.data(), sequence, port, connectBack);
    return packet;
}

}  // namespace

TEST(TransportPacketTest, GoldenHandshakeAndGoodbye)
{
    EXPECT_EQ(Hello(1, 0), (Bytes{0x11, 0x00, 0x00, 0x00, 0x0a, 0x00, 0x00, 0x00, 0x1c, 0xb8, 0x00,
                                  0x00, 0x48, 0x45, 0x4c, 0x4f, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00}));

    Bytes goodbye(TransportPacket::kGoodbyeSize);
    TransportPacket::WriteGoodbye(goodbye.data(), 2);
    EXPECT_EQ(goodbye, (Bytes{0x23, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x24, 0x20, 0x00, 0x00}));

    // The sequence keeps its low 12 bits.
    uint8_t header[TransportPacket::kHeaderSize];
    TransportPacket::WriteHeader(header, TransportPacket::kData, 0x1234, 70000);
    const TransportPacket::Header read = TransportPacket::ReadHeader(header);
    EXPECT_TRUE(read.checkOk);
    EXPECT_EQ(read.type, TransportPacket::kData);
    EXPECT_EQ(read.sequence, 0x234u);
    EXPECT_EQ(read.numBytes, 70000u);
    header[4] ^= 1;
    EXPECT_FALSE(TransportPacket::ReadHeader(header).checkOk);
}

TEST(TransportPacketTest, HandshakeCheck)
{
    struct Case {
        const char* name;
        int32_t offset;  // byte changed, -1 none
        uint8_t value;
        bool recheck;  // set the check again after the change
        TransportPacket::HelloResult result;
    } const cases[] = {
        {"as written", -1, 0, false, TransportPacket::kHelloAccepted},
        {"version 0x0101", 16, 0x01, true, TransportPacket::kHelloUnknownVersion},
        {"version 0x00FF", 17, 0x00, true, TransportPacket::kHelloAccepted},
        {"wrong text", 15, 'P', false, TransportPacket::kHelloInvalid},
        {"wrong type", 0, 0x12, true, TransportPacket::kHelloInvalid},
        {"wrong check", 8, 0x00, false, TransportPacket::kHelloInvalid},
    };
    for (const Case& c : cases) {
        Bytes packet = Hello(1, 6705);
        if (c.offset == 17)
            packet[16] = 0xFF;
        if (c.offset >= 0)
            packet[size_t(c.offset)] = c.value;
        if (c.recheck)
            NetworkPacketHeader::SetChecksum(packet.data());
        TransportPacket::Hello hello;
        EXPECT_EQ(TransportPacket::CheckHello(packet.data(), &hello), c.result) << c.name;
        EXPECT_EQ(hello.port, 6705) << c.name;
    }

    TransportPacket::Hello hello;
    EXPECT_EQ(TransportPacket::CheckHello(Hello(3, 0, 1).data(), &hello), TransportPacket::kHelloAccepted);
    EXPECT_EQ(hello.connectBack, 1);  // refusing it is the listening node's decision
    EXPECT_EQ(hello.version, 0x0100);
}

namespace {

// Records every write.
class RecordingWriter : public TransportPacket::Writer {
public:
    bool Write(const uint8_t* data, int32_t n) override
    {
        writes.emplace_back(data, data + n);
        return writes.size() < failAfter;
    }
    std::vector<Bytes> writes;
    size_t failAfter = 1000;
};

}  // namespace

TEST(TransportPacketTest, MessageIsCutIntoWritesOfThePacketSize)
{
    RingQueue queue(65536);
    Bytes message(10000);
    for (size_t i = 0; i < message.size(); i++)
        message[i] = uint8_t(i * 13 + 5);
    ASSERT_TRUE(queue.Push(message.data(), 10000));
    ASSERT_TRUE(queue.Push("next", 4));

    Bytes buffer(4096);
    RecordingWriter writer;
    ASSERT_TRUE(TransportPacket::SendMessage(queue, buffer.data(), 4096, 7, writer));
    ASSERT_EQ(writer.writes.size(), 3u);
    EXPECT_EQ(writer.writes[0].size(), 4096u);
    EXPECT_EQ(writer.writes[1].size(), 4096u);
    EXPECT_EQ(writer.writes[2].size(), 1820u);

    // The header only in the first write; together the writes are header and message.
    const TransportPacket::Header header = TransportPacket::ReadHeader(writer.writes[0].data());
    EXPECT_TRUE(header.checkOk);
    EXPECT_EQ(header.type, TransportPacket::kData);
    EXPECT_EQ(header.sequence, 7u);
    EXPECT_EQ(header.numBytes, 10000u);
    Bytes joined;
    for (const Bytes& w : writer.writes)
        joined.insert(joined.end(), w.begin(), w.end());
    EXPECT_EQ(Bytes(joined.begin() + TransportPacket::kHeaderSize, joined.end()), message);
    EXPECT_EQ(queue.GetMessageLength(), 4);  // moved past the message

    // A message that fits goes in one write; a failed write drops the rest of its message.
    writer.writes.clear();
    ASSERT_TRUE(TransportPacket::SendMessage(queue, buffer.data(), 4096, 8, writer));
    ASSERT_EQ(writer.writes.size(), 1u);
    EXPECT_EQ(writer.writes[0].size(), 16u);
    EXPECT_FALSE(queue.HasMessage());

    ASSERT_TRUE(queue.Push(message.data(), 10000));
    writer.writes.clear();
    writer.failAfter = 1;
    ASSERT_TRUE(queue.Push("after", 5));
    EXPECT_FALSE(TransportPacket::SendMessage(queue, buffer.data(), 4096, 9, writer));
    EXPECT_EQ(writer.writes.size(), 1u);
    EXPECT_EQ(queue.GetMessageLength(), 5);
    EXPECT_EQ(queue.GetReadAlready(), 0);
}
