// Tests of what a listening node accepts: the handshake table from raw sockets, a silent peer that
// delays nobody, the limit of waiting handshakes, and hostile peers that are dropped while a
// well-behaved client keeps its echo.
#include "net/NetworkNode.h"

#include "net/TransportBytes.h"
#include "net/TransportPacket.h"
#include "support/EchoNode.h"
#include "support/LogCapture.h"
#include "support/TestClock.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
constexpr int32_t kPatienceMs = 30000;

Bytes RawHello(uint16_t version = TransportPacket::kProtocolVersion, uint8_t connectBack = 0)
{
    Bytes packet(TransportPacket::kHelloSize);
    TransportPacket::WriteHello(packet.data(), 1, 0, connectBack);
    packet[16] = uint8_t(version);
    packet[17] = uint8_t(version >> 8);
    return packet;
}

// A peer that writes the transport's bytes by hand.
class RawPeer {
public:
    explicit RawPeer(uint16_t port) { m_Connected = m_Socket.Connect(SocketAddress{SocketAddress::kLoopback, port}); }
    ~RawPeer()
    {
        if (m_Socket.IsValid())
            m_Socket.Close();
    }

    bool IsConnected() const { return m_Connected; }
    bool Send(const Bytes& bytes)
    {
        for (size_t sent = 0; sent < bytes.size();) {
            const int32_t n = m_Socket.Send(bytes.data() + sent, int32_t(bytes.size() - sent));
            if (n <= 0)
                return false;
            sent += size_t(n);
        }
        return true;
    }
    // Whether the node has closed the connection; what it sent before is passed over.
    bool WaitClosed()
    {
        uint8_t in[256];
        while (m_Socket.WaitReady(false, kPatienceMs) == 1)
            if (m_Socket.Receive(in, sizeof in) <= 0)
                return true;
        return false;
    }
    // Exactly n bytes, or fewer when the connection ends or nothing comes.
    Bytes Read(size_t n)
    {
        Bytes in(n);
        size_t got = 0;
        while (got < n && m_Socket.WaitReady(false, kPatienceMs) == 1) {
            const int32_t r = m_Socket.Receive(in.data() + got, int32_t(n - got));
            if (r <= 0)
                break;
            got += size_t(r);
        }
        in.resize(got);
        return in;
    }

private:
    Socket m_Socket = Socket::Create(Socket::kStream);
    bool m_Connected = false;
};

// A client node on the test thread that has its messages echoed.
struct EchoClient {
    NetworkNode node;
    int32_t id = -1;

    explicit EchoClient(uint16_t port)
    {
        node.Start();
        id = node.Connect(NetworkNode::kTCP, "127.0.0.1", port);
    }
    bool Echoes(const std::string& text)
    {
        if (!node.SendData(id, text.data(), int32_t(text.size()), true))
            return false;
        if (!WaitUntil([&] { return node.GetNumBytesWaiting(id) > 0; }))
            return false;
        std::string back(size_t(node.GetNumBytesWaiting(id)), '\0');
        node.Receive(id, back.data(), true);
        return back == text;
    }
};

// Deletes the connections that have been reported closed, and gives the count left.
int32_t SettledConnections(NetworkNode& node)
{
    NetworkNode::ConnectionEvent event;
    while (node.GetThreadEvent(&event)) {
    }
    return node.GetNumConnections();
}

}  // namespace

TEST(NetworkNodeAcceptTest, HandshakesAcceptedAndRefused)
{
    NetworkNode server;
    ASSERT_TRUE(server.StartServer(0));
    Bytes wrongText = RawHello();
    wrongText[13] = 'A';
    Bytes wrongType = RawHello();
    wrongType[0] = 0x12;
    NetworkPacketHeader::SetChecksum(wrongType.data());
    Bytes wrongCheck = RawHello();
    wrongCheck[9] ^= 0x01;

    struct Case {
        const char* name;
        Bytes packet;
        bool split;
        const char* refusal;  // null: accepted
    } const cases[] = {
        {"version 0x0101", RawHello(0x0101), false, "Unknown protocol version: 101"},
        {"version 0x00FF", RawHello(0x00FF), false, nullptr},
        {"wrong text", wrongText, false, "Invalid authentication packet received"},
        {"wrong type", wrongType, false, "Invalid authentication packet received"},
        {"wrong check", wrongCheck, false, "Invalid authentication packet received"},
        {"split over two segments", RawHello(), true, nullptr},
        {"connect-back", RawHello(TransportPacket::kProtocolVersion, 1), false, "asks for a connection back: refused"},
    };
    for (const Case& c : cases) {
        LogCapture log;
        const int32_t before = SettledConnections(server);
        auto owned = std::make_unique<RawPeer>(server.GetPort());
        RawPeer& peer = *owned;
        ASSERT_TRUE(peer.IsConnected()) << c.name;
        if (c.split) {
            ASSERT_TRUE(peer.Send(Bytes(c.packet.begin(), c.packet.begin() + 9)));
            ASSERT_TRUE(peer.Send(Bytes(c.packet.begin() + 9, c.packet.end())));
        } else {
            ASSERT_TRUE(peer.Send(c.packet));
        }
        if (c.refusal) {
            EXPECT_TRUE(peer.WaitClosed()) << c.name;
            EXPECT_EQ(log.Count(c.refusal), 1) << c.name;
            EXPECT_EQ(SettledConnections(server), before) << c.name;
        } else {
            EXPECT_TRUE(WaitUntil([&] { return SettledConnections(server) == before + 1; })) << c.name;
            owned.reset();  // the peer leaves: its connection goes too
            EXPECT_TRUE(WaitUntil([&] { return SettledConnections(server) == before; })) << c.name;
        }
    }
    server.Stop();
    EXPECT_EQ(server.GetThreadCount(), 0);
}

TEST(NetworkNodeAcceptTest, SilentPeerDelaysNobodyAndIsClosedAtItsDeadline)
{
    TestClock clock;  // the handshake deadline runs on the program clock, which stands still here
    LogCapture log;
    EchoNode echo;
    ASSERT_TRUE(echo.IsListening());
    RawPeer silent(echo.GetPort());
    ASSERT_TRUE(silent.IsConnected());

    EchoClient client(echo.GetPort());
    ASSERT_GE(client.id, 0);
    EXPECT_TRUE(client.Echoes("while a silent peer waits"));

    // Sixteen wait at most: fifteen more fill the set, the next is closed at once.
    std::vector<std::unique_ptr<RawPeer>> others;
    for (int32_t i = 0; i < NetworkNode::kMaxWaitingHandshakes; i++)
        others.push_back(std::make_unique<RawPeer>(echo.GetPort()));
    EXPECT_TRUE(others.back()->WaitClosed());
    EXPECT_GE(log.Count("16 connections wait for their handshake"), 1);
    EXPECT_EQ(log.Count("No handshake"), 0);

    clock.Advance(NetworkNode::kHandshakeTimeout + 1.0);
    EXPECT_TRUE(silent.WaitClosed());
    for (size_t i = 0; i + 1 < others.size(); i++)
        EXPECT_TRUE(others[i]->WaitClosed()) << i;
    EXPECT_GE(log.Count("No handshake from 127.0.0.1 within 5 s: connection closed"), 1);
    EXPECT_TRUE(client.Echoes("and after"));
}

TEST(NetworkNodeAcceptTest, HostilePeersAreDroppedWhileAClientKeepsItsEcho)
{
    LogCapture log;
    EchoNode echo([](NetworkNode& node) {
        node.SetFifoSizes(NetworkNode::kDefaultQueueSize, 1024);  // messages of at most 1012 bytes
        node.SetMaxConnections(6);
    });
    ASSERT_TRUE(echo.IsListening());
    EchoClient client(echo.GetPort());
    ASSERT_TRUE(client.Echoes("before"));

    Bytes badCheck = TransportBytes(TransportPacket::kReserved, "", 0);
    badCheck[8] ^= 0x10;
    struct Case {
        const char* name;
        Bytes bytes;  // after the handshake
        bool closes;  // else "ok" is echoed
        const char* text;
    } const cases[] = {
        {"oversized numBytes", TransportBytes(TransportPacket::kData, "", 1013), true, "Data packet of 1013 bytes exceeds the receive buffer"},
        {"empty data", JoinBytes({TransportDataBytes(""), TransportDataBytes("ok")}), false, "Data packet without data dropped"},
        {"unknown type", JoinBytes({TransportBytes(9, "", 0), TransportDataBytes("ok")}), false, "Unknown data type in header: 9"},
        {"bad check", JoinBytes({badCheck, TransportDataBytes("ok")}), false, "Invalid data received: Header type: 4"},
        {"garbage", Bytes(240, 0xAB), true, "8 invalid headers in a row"},
    };
    for (const Case& c : cases) {
        RawPeer peer(echo.GetPort());
        ASSERT_TRUE(peer.Send(JoinBytes({RawHello(), c.bytes}))) << c.name;
        if (c.closes) {
            EXPECT_TRUE(peer.WaitClosed()) << c.name;
        } else {
            const Bytes echoed = peer.Read(TransportPacket::kHeaderSize + 2);
            ASSERT_EQ(echoed.size(), size_t(TransportPacket::kHeaderSize + 2)) << c.name;
            EXPECT_EQ(std::string(echoed.end() - 2, echoed.end()), "ok") << c.name;
        }
        EXPECT_GE(log.Count(c.text), 1) << c.name;
        EXPECT_TRUE(client.Echoes(c.name));
    }

    // A flood past the cap of 6: the client and five peers fit, every further one is closed.
    ASSERT_TRUE(WaitUntil([&] { return echo.GetConnections() == 1; }));
    std::vector<std::unique_ptr<RawPeer>> flood;
    for (int32_t i = 0; i < 10; i++) {
        flood.push_back(std::make_unique<RawPeer>(echo.GetPort()));
        flood.back()->Send(RawHello());
    }
    for (size_t i = 5; i < flood.size(); i++)
        EXPECT_TRUE(flood[i]->WaitClosed()) << i;
    EXPECT_TRUE(WaitUntil([&] { return echo.GetConnections() == 6; }));
    EXPECT_GE(log.Count("Connection limit of 6 reached"), 1);
    EXPECT_TRUE(client.Echoes("after the flood"));
}
