// The client's list of servers heard on the local network, fed by datagrams over loopback: one
// entry per sender address and TCP port, the latest announcement kept; payloads of any other size
// or magic ignored; a server silent for more than ten seconds gone; at most 64 servers kept.
#include "net/GameNetworkNode.h"

#include "LoopbackClientNode.h"
#include "base/ByteReader.h"
#include "net/NetworkNode.h"
#include "support/FreePort.h"
#include "support/TestClock.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// An announcement as a server sends it: "KSIo", then the block; extra bytes pad it to size.
Bytes Announcement(uint16_t port, const char* name, uint16_t players, size_t size = 52, const char* magic = "KSIo")
{
    ServerInfoBlock block;
    block.version = 0x0100;
    block.port = port;
    std::memcpy(block.name, name, std::min(std::strlen(name), sizeof block.name));
    block.players = players;
    block.maxPlayers = 4;
    Bytes bytes(std::max<size_t>(size, 52));
    std::memcpy(bytes.data(), magic, 4);
    block.Write(bytes.data() + 4);
    bytes.resize(size);
    return bytes;
}

// A client node listening on a free broadcast port (an unconnected datagram socket, as the
// broadcast address makes it) and a transport node that sends to that port.
class GameNetworkNodeLanTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        NetworkSettings& settings = node.GetNetworkSettings();
        settings.broadcastIP = "127.0.0.255";
        settings.broadcastPortLocal = FindFreePort();
        settings.broadcastPortRemote = FindFreePort();
        ASSERT_TRUE(node.OpenBroadcastConnection(false));
        ASSERT_TRUE(sender.Start());
        toNode = sender.Connect(NetworkNode::kUDP, "127.0.0.1", uint16_t(settings.broadcastPortLocal));
        ASSERT_GE(toNode, 0);
    }
    void Send(const Bytes& datagram) { ASSERT_TRUE(sender.SendData(toNode, datagram.data(), int32_t(datagram.size()), true)); }
    // Datagrams from one socket arrive in order over loopback: once the marker server is listed,
    // everything sent before it was read.
    bool ReadUntilListed(uint16_t port)
    {
        return WaitUntil([&] {
            node.ReadLanAnnouncements();
            for (int32_t i = 0; i < node.GetNumLanServers(); ++i)
                if (node.GetLanServer(i)->info.port == port)
                    return true;
            return false;
        });
    }
    std::vector<uint16_t> Ports() const
    {
        std::vector<uint16_t> ports;
        for (int32_t i = 0; i < node.GetNumLanServers(); ++i)
            ports.push_back(node.GetLanServer(i)->info.port);
        return ports;
    }

    LoopbackClientNode node;
    NetworkNode sender;
    int32_t toNode = -1;
};

}  // namespace

// A repeated announcement replaces the first; the name ends at its 32 bytes without a NUL; other
// sizes and another magic are ignored, however long.
TEST_F(GameNetworkNodeLanTest, OneEntryPerServerAndOnlyExactAnnouncements)
{
    Send(Announcement(7000, "A server name of exactly 32 byte", 1));
    Send(Announcement(7000, "Second", 2));
    Send(Announcement(7001, "Too long", 0, 53));
    Send(Announcement(7002, "Too short", 0, 51));
    Send(Announcement(7003, "Far too long", 0, 200));
    Send(Announcement(7004, "Wrong magic", 0, 52, "KSIx"));
    Send(Bytes(3, 'K'));
    Send(Announcement(7100, "Marker", 0));
    ASSERT_TRUE(ReadUntilListed(7100));
    EXPECT_EQ(Ports(), (std::vector<uint16_t>{7000, 7100}));
    const GameNetworkNode::GameServerInfoWithIP* first = node.GetLanServer(0);
    EXPECT_EQ(first->info.players, 2);
    EXPECT_STREQ(first->info.GetName().c_str(), "Second");
    EXPECT_EQ(first->address, 0x7F000001u);
    EXPECT_EQ(node.GetLanServer(2), nullptr);

    Send(Announcement(7000, "A server name of exactly 32 bytes and more", 3));
    ASSERT_TRUE(WaitUntil([&] {
        node.ReadLanAnnouncements();
        return node.GetNumLanServers() == 2 && node.GetLanServer(1)->info.port == 7000;
    }));
    EXPECT_STREQ(node.GetLanServer(1)->info.GetName().c_str(), "A server name of exactly 32 byte");
}

// Older than ten seconds, a server leaves the list; one that announced again stays.
TEST_F(GameNetworkNodeLanTest, SilentServersExpire)
{
    TestClock clock;
    Send(Announcement(7000, "Quiet", 0));
    Send(Announcement(7001, "Chatty", 0));
    ASSERT_TRUE(ReadUntilListed(7001));
    clock.Advance(6.0);
    Send(Announcement(7001, "Chatty", 1));
    ASSERT_TRUE(WaitUntil([&] {
        node.ReadLanAnnouncements();
        return node.GetNumLanServers() == 2 && node.GetLanServer(1)->info.players == 1;
    }));
    clock.Advance(4.0);
    node.ReadLanAnnouncements();
    EXPECT_EQ(Ports(), (std::vector<uint16_t>{7000, 7001})) << "ten seconds exactly is not too old";
    clock.Advance(0.5);
    node.ReadLanAnnouncements();
    EXPECT_EQ(Ports(), (std::vector<uint16_t>{7001}));
    clock.Advance(6.0);
    node.ReadLanAnnouncements();
    EXPECT_EQ(node.GetNumLanServers(), 0);
}

// A flood of announcements keeps the latest 64 servers.
TEST_F(GameNetworkNodeLanTest, TheListIsBounded)
{
    const int32_t flood = GameNetworkNode::kMaxLanServers + 6;
    for (int32_t i = 0; i < flood; ++i)
        Send(Announcement(uint16_t(8000 + i), "Flood", 0));
    ASSERT_TRUE(ReadUntilListed(uint16_t(8000 + flood - 1)));
    ASSERT_EQ(node.GetNumLanServers(), GameNetworkNode::kMaxLanServers);
    EXPECT_EQ(node.GetLanServer(0)->info.port, 8006);
}
