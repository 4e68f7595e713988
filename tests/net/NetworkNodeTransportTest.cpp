// Tests of the game packet framing over transport nodes on the loopback address: a message that
// outgrows the sending queue mid-unit leaves the peer only whole, valid packets, and a UDP message
// too big for one datagram goes over TCP while one that fits goes over UDP.
#include "net/NetworkNodeTransport.h"

#include "base/ErrorClass.h"
#include "net/CountingBytes.h"
#include "net/GamePacketFraming.h"
#include "support/FreePort.h"
#include "support/LogCapture.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint16_t kPosMessage = 0x0100;
constexpr uint16_t kChatMessage = 0x0200;
constexpr uint16_t kBigMessage = 0x0300;
constexpr uint16_t kEndMessage = 0x0400;

class NodeFraming : public ErrorClass, public GamePacketFraming {
public:
    explicit NodeFraming(GamePacketTransport& transport) : GamePacketFraming(*this, transport) {}

    bool IsConnected() override { return true; }
    void OnSendFailed(int32_t id) override { failedConnections.push_back(id); }

    // One unit begun on the channel and written; unitSize -1 begins one of free length, whose
    // first piece unit is.
    bool Send(bool onUDP, uint16_t id, const Bytes& unit, int32_t unitSize)
    {
        return BeginPacket(onUDP, id, unitSize) && WriteData(unit.data(), int32_t(unit.size()), false);
    }

    std::vector<int32_t> failedConnections;
};

// A transport node, its framing, and the connection IDs the framing uses.
struct Side {
    NetworkNode node;
    NetworkNodeTransport transport{node};
    NodeFraming framing{transport};
};

struct Received {
    uint16_t id = 0;
    uint32_t count = 0;
    int32_t unitSize = 0;
    int32_t channel = -1;
    Bytes units;
};

// The peer's next count messages, each read whole, from either channel; fewer when no more come.
std::vector<Received> ReceiveMessages(NodeFraming& framing, size_t count)
{
    std::vector<Received> messages;
    while (messages.size() < count) {
        GamePacketHeader header;
        int32_t channel = -1;
        if (!WaitUntil([&] { return framing.ReceivePacketHeader(&header, &channel); }))
            break;
        Received message{header.id, header.count, header.unitSize, channel, {}};
        message.units.resize(size_t(header.count) * size_t(header.unitSize));
        EXPECT_EQ(framing.ReceivePacketData(message.units.data(), -1), int32_t(header.count));
        framing.NextPacket();
        messages.push_back(message);
    }
    return messages;
}

// The second event of a listening node names the connection it accepted.
int32_t AcceptedConnection(NetworkNode& server)
{
    std::vector<NetworkNode::ConnectionEvent> events;
    WaitUntil([&] {
        NetworkNode::ConnectionEvent event;
        while (server.GetThreadEvent(&event))
            events.push_back(event);
        return events.size() >= 2;
    });
    return events.size() >= 2 ? events[1].connectionID : -1;
}

}  // namespace

TEST(NetworkNodeTransportTest, MessageOutgrowingTheQueueMidUnitLeavesOnlyWholePackets)
{
    LogCapture log;
    Side peer;
    Side sender;
    ASSERT_TRUE(peer.node.StartServer(0));
    sender.node.SetFifoSizes(1024, NetworkNode::kDefaultQueueSize);  // takes a message of 1016 bytes
    ASSERT_TRUE(sender.node.Start());
    const int32_t link = sender.node.Connect(NetworkNode::kTCP, "127.0.0.1", peer.node.GetPort());
    ASSERT_GE(link, 0);
    const int32_t accepted = AcceptedConnection(peer.node);
    ASSERT_GE(accepted, 0);
    sender.framing.SetConnections(link, -1);
    peer.framing.SetConnections(accepted, -1);

    // Two batched units, then a free-length message whose third piece outgrows the queue: the
    // batched packet went out whole when the new one began, the torn one is taken back.
    const Bytes pos1 = Filled(18, 1);
    const Bytes pos2 = Filled(18, 100);
    ASSERT_TRUE(sender.framing.Send(false, kPosMessage, pos1, 18));
    ASSERT_TRUE(sender.framing.Send(false, kPosMessage, pos2, 18));
    const Bytes piece = Filled(400, 7);
    ASSERT_TRUE(sender.framing.Send(false, kBigMessage, piece, -1));
    ASSERT_TRUE(sender.framing.WriteData(piece.data(), 400, false));
    EXPECT_FALSE(sender.framing.WriteData(piece.data(), 400, false));
    EXPECT_EQ(log.Count("exceeds the sending queue of connection"), 1);
    EXPECT_EQ(sender.node.GetPendingLength(link), 0);

    // Valid messages after it: one of free length, and units that meet the queue still full of the
    // one before them, which wait for it to drain.
    const Bytes chat = Filled(259, 3);
    ASSERT_TRUE(sender.framing.Send(false, kChatMessage, chat, -1));
    const Bytes wide1 = Filled(600, 11);
    const Bytes wide2 = Filled(600, 13);
    ASSERT_TRUE(sender.framing.Send(false, kPosMessage, wide1, 600));
    ASSERT_TRUE(sender.framing.Send(false, kPosMessage, wide2, 600));  // no room to batch: a packet of its own
    ASSERT_TRUE(sender.framing.BeginPacketTCP(kEndMessage, 0));
    ASSERT_TRUE(sender.framing.FinishPacket());

    // Exactly these, the end marker last: nothing torn or lost came between.
    const std::vector<Received> got = ReceiveMessages(peer.framing, 5);
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(got[4].id, kEndMessage);
    EXPECT_EQ(got[4].count, 1u);
    Bytes batched = pos1;
    batched.insert(batched.end(), pos2.begin(), pos2.end());
    const struct {
        uint16_t id;
        uint32_t count;
        int32_t unitSize;
        const Bytes& units;
    } kExpected[] = {{kPosMessage, 2, 18, batched}, {kChatMessage, 1, 259, chat}, {kPosMessage, 1, 600, wide1}, {kPosMessage, 1, 600, wide2}};
    for (size_t i = 0; i < std::size(kExpected); i++) {
        EXPECT_EQ(got[i].id, kExpected[i].id) << i;
        EXPECT_EQ(got[i].count, kExpected[i].count) << i;
        EXPECT_EQ(got[i].unitSize, kExpected[i].unitSize) << i;
        EXPECT_EQ(got[i].units, kExpected[i].units) << i;
    }
    EXPECT_EQ(log.Count("Invalid game packet header"), 0);
    EXPECT_EQ(log.Count("Internal error"), 0);
    EXPECT_TRUE(sender.framing.failedConnections.empty());
    EXPECT_TRUE(sender.node.IsConnectionValid(link, true, true));
}

TEST(NetworkNodeTransportTest, UdpMessageTooBigForADatagramGoesOverTcp)
{
    Side peer;
    Side sender;
    for (Side* side : {&peer, &sender})
        side->node.SetPacketSizeUDP(2048);
    ASSERT_TRUE(peer.node.StartServer(0));
    ASSERT_TRUE(sender.node.Start());
    const int32_t link = sender.node.Connect(NetworkNode::kTCP, "127.0.0.1", peer.node.GetPort());
    ASSERT_GE(link, 0);
    const int32_t accepted = AcceptedConnection(peer.node);
    ASSERT_GE(accepted, 0);
    // A UDP pair: the sender's socket to a free port, the peer's bound there and connected back.
    const uint16_t peerPort = FindFreePort();
    ASSERT_NE(peerPort, 0);
    const int32_t senderUDP = sender.node.Connect(NetworkNode::kUDP, "127.0.0.1", peerPort);
    ASSERT_GE(senderUDP, 0);
    NetworkNode::ConnectionInfo senderInfo;
    ASSERT_TRUE(sender.node.GetConnectionInfo(senderUDP, &senderInfo));
    const int32_t peerUDP = peer.node.Connect(NetworkNode::kUDP, "127.0.0.1", senderInfo.sendLocalPort, peerPort);
    ASSERT_GE(peerUDP, 0);
    sender.framing.SetConnections(link, senderUDP);
    peer.framing.SetConnections(accepted, peerUDP);

    // 12 + 2024 bytes fill a datagram exactly; 12 + 3000 do not fit one.
    EXPECT_EQ(sender.node.GetMaxDatagramMessage(), 2036);
    const Bytes fits = Filled(2024, 5);
    const Bytes big = Filled(3000, 9);
    ASSERT_TRUE(sender.framing.Send(true, kPosMessage, fits, 2024));
    EXPECT_TRUE(sender.framing.IsSendOnUDP());
    ASSERT_TRUE(sender.framing.Send(true, kBigMessage, big, 3000));
    EXPECT_FALSE(sender.framing.IsSendOnUDP());
    ASSERT_TRUE(sender.framing.FinishPacket());

    // The two channels keep no order between them.
    const std::vector<Received> got = ReceiveMessages(peer.framing, 2);
    ASSERT_EQ(got.size(), 2u);
    for (const Received& message : got) {
        const bool isBig = message.id == kBigMessage;
        EXPECT_EQ(message.channel, isBig ? GamePacketFraming::kTCP : GamePacketFraming::kUDP) << message.id;
        EXPECT_EQ(message.count, 1u) << message.id;
        EXPECT_EQ(message.units, isBig ? big : fits) << message.id;
    }
}
