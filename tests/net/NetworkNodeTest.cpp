// Tests of the transport node on the loopback address: connecting, thread events, messages both
// ways, counters and connection info, routing to all or all but one, goodbye and closing, stopping
// every thread, settings, the throttle, traffic logs, and UDP and broadcast connections.
#include "net/NetworkNode.h"

#include "support/FreePort.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

// The next message of a connection, waited for; empty when none came.
Bytes NextMessage(NetworkNode& node, int32_t id, uint32_t* sender = nullptr)
{
    if (!WaitUntil([&] { return node.GetNumBytesWaiting(id) > 0; }))
        return {};
    Bytes message(size_t(node.GetNumBytesWaiting(id, sender)));
    EXPECT_EQ(node.Receive(id, message.data(), true), int32_t(message.size()));
    return message;
}

// The thread events that have come, after waiting for count of them.
std::vector<NetworkNode::ConnectionEvent> Events(NetworkNode& node, size_t count)
{
    std::vector<NetworkNode::ConnectionEvent> events;
    WaitUntil([&] {
        NetworkNode::ConnectionEvent event;
        while (node.GetThreadEvent(&event))
            events.push_back(event);
        return events.size() >= count;
    });
    return events;
}

int32_t Count(const std::vector<NetworkNode::ConnectionEvent>& events, int32_t kind)
{
    int32_t n = 0;
    for (const auto& event : events)
        n += event.kind == kind;
    return n;
}

// A listening node and a client node connected to it, both driven by the test thread.
struct Pair {
    NetworkNode server;
    NetworkNode client;
    int32_t clientID = -1;
    int32_t serverID = -1;

    explicit Pair(int32_t packetSize = NetworkNode::kDefaultPacketSize)
    {
        client.SetPacketSize(packetSize);
        server.SetPacketSize(packetSize);
        EXPECT_TRUE(server.StartServer(0));
        EXPECT_TRUE(client.Start());
        clientID = client.Connect(NetworkNode::kTCP, "127.0.0.1", server.GetPort());
        const auto events = Events(server, 2);
        if (events.size() >= 2)
            serverID = events[1].connectionID;
    }
};

}  // namespace

TEST(NetworkNodeTest, ServerAndClientExchangeMessages)
{
    Pair pair;
    ASSERT_GE(pair.clientID, 0);
    ASSERT_GE(pair.serverID, 0);
    EXPECT_TRUE(pair.server.IsServer());
    EXPECT_NE(pair.server.GetPort(), 0);  // the port that 0 bound
    EXPECT_FALSE(pair.client.IsServer());

    // The client's sending thread starts first, the server's receiving thread.
    const auto clientEvents = Events(pair.client, 2);
    ASSERT_EQ(clientEvents.size(), 2u);
    EXPECT_EQ(clientEvents[0].kind, NetworkNode::kSendStarted);
    EXPECT_EQ(clientEvents[1].kind, NetworkNode::kReceiveStarted);
    EXPECT_EQ(clientEvents[1].connectionID, pair.clientID);

    Bytes large(10000);
    for (size_t i = 0; i < large.size(); i++)
        large[i] = uint8_t(i * 31 + i / 256);
    ASSERT_TRUE(pair.client.SendData(pair.clientID, large.data(), 10000, true));
    uint32_t sender = 0;
    EXPECT_EQ(NextMessage(pair.server, pair.serverID, &sender), large);
    EXPECT_EQ(sender, SocketAddress::kLoopback);

    // Two messages queued together arrive apart and in order.
    ASSERT_TRUE(pair.server.SendData(pair.serverID, "first", 5, true));
    ASSERT_TRUE(pair.server.SendData(pair.serverID, "second!", 7, true));
    EXPECT_EQ(NextMessage(pair.client, pair.clientID), Text("first"));
    EXPECT_EQ(NextMessage(pair.client, pair.clientID), Text("second!"));

    EXPECT_EQ(pair.client.GetBytesSent(), 10000u);
    EXPECT_EQ(pair.server.GetBytesReceived(), 10000u);
    EXPECT_EQ(pair.server.GetBytesSent(), 12u);
    EXPECT_EQ(pair.client.GetBytesReceived(), 12u);

    NetworkNode::ConnectionInfo atServer;
    NetworkNode::ConnectionInfo atClient;
    ASSERT_TRUE(pair.server.GetConnectionInfo(pair.serverID, &atServer));
    ASSERT_TRUE(pair.client.GetConnectionInfo(pair.clientID, &atClient));
    EXPECT_EQ(atServer.kind, uint32_t(NetworkNode::kTCP));
    EXPECT_STREQ(atServer.address.c_str(), "127.0.0.1");
    EXPECT_EQ(atServer.port, 0);  // a node that does not listen announces port 0
    EXPECT_EQ(atServer.receiveRemotePort, atClient.sendLocalPort);
    EXPECT_EQ(atServer.sendLocalPort, pair.server.GetPort());
    EXPECT_EQ(atClient.port, pair.server.GetPort());
    EXPECT_EQ(atClient.receiveRemotePort, pair.server.GetPort());
    EXPECT_FALSE(pair.server.GetConnectionInfo(pair.serverID + 1, &atServer));
    EXPECT_TRUE(pair.server.IsConnectionValid(pair.serverID, true, true));
    EXPECT_FALSE(pair.server.IsConnectionValid(pair.serverID + 1, false, false));
}

TEST(NetworkNodeTest, SmallPacketsCarryLargeMessagesAndPartsReadInPieces)
{
    Pair pair(10);  // stored as 32: a 3000-byte message takes about a hundred writes
    EXPECT_EQ(pair.client.GetPacketSize(), 32);
    ASSERT_GE(pair.serverID, 0);
    Bytes message(3000);
    for (size_t i = 0; i < message.size(); i++)
        message[i] = uint8_t(i % 251);
    // Built from pieces, patched, then committed.
    ASSERT_TRUE(pair.client.SendData(pair.clientID, message.data(), 1000, false));
    ASSERT_TRUE(pair.client.SendData(pair.clientID, message.data() + 1000, 2000, false));
    EXPECT_FALSE(pair.client.IsSendPending(pair.clientID));
    uint8_t head[2] = {};
    ASSERT_TRUE(pair.client.PeekPending(pair.clientID, 0, head, 2));
    EXPECT_EQ(head[1], 1);
    ASSERT_TRUE(pair.client.PatchPending(pair.clientID, 0, "PQ", 2));
    EXPECT_FALSE(pair.client.PatchPending(pair.clientID, 2999, "PQ", 2));
    ASSERT_TRUE(pair.client.CommitPending(pair.clientID));
    message[0] = 'P';
    message[1] = 'Q';

    ASSERT_TRUE(WaitUntil([&] { return pair.server.GetNumBytesWaiting(pair.serverID) == 3000; }));
    uint8_t piece[10] = {};
    EXPECT_EQ(pair.server.ReadBytes(pair.serverID, piece, 10, false), 10);
    EXPECT_EQ(Bytes(piece, piece + 10), Bytes(message.begin(), message.begin() + 10));
    pair.server.SetReadOffset(pair.serverID, 2990);
    EXPECT_EQ(pair.server.ReadBytes(pair.serverID, piece, 11, false), -1);  // only 10 remain
    EXPECT_EQ(pair.server.ReadBytes(pair.serverID, piece, 10, true), 10);
    EXPECT_EQ(Bytes(piece, piece + 10), Bytes(message.end() - 10, message.end()));
    EXPECT_EQ(pair.server.GetNumBytesWaiting(pair.serverID), 0);
}

TEST(NetworkNodeTest, RoutesToAllAndToAllButOne)
{
    NetworkNode server;
    ASSERT_TRUE(server.StartServer(0));
    NetworkNode clients[3];
    int32_t ids[3];
    for (int32_t i = 0; i < 3; i++) {
        clients[i].Start();
        ids[i] = clients[i].Connect(NetworkNode::kTCP, "127.0.0.1", server.GetPort());
        ASSERT_GE(ids[i], 0);
    }
    ASSERT_EQ(Count(Events(server, 6), NetworkNode::kSendStarted), 3);
    // The server's connection of the second client: its peer port is the client's own.
    NetworkNode::ConnectionInfo atClient;
    ASSERT_TRUE(clients[1].GetConnectionInfo(ids[1], &atClient));
    int32_t second = -1;
    for (int32_t id = 0; id < 3; id++) {
        NetworkNode::ConnectionInfo atServer;
        if (server.GetConnectionInfo(id, &atServer) && atServer.receiveRemotePort == atClient.sendLocalPort)
            second = id;
    }
    ASSERT_GE(second, 0);

    ASSERT_TRUE(server.HasRoom(NetworkNode::kAllConnections, 100));
    ASSERT_TRUE(server.SendData(NetworkNode::AllBut(second), "most", 4, true));
    ASSERT_TRUE(server.SendData(NetworkNode::kAllConnections, "all", 3, true));
    EXPECT_EQ(NextMessage(clients[0], ids[0]), Text("most"));
    EXPECT_EQ(NextMessage(clients[1], ids[1]), Text("all"));  // the excluded one gets only the second
    EXPECT_EQ(NextMessage(clients[2], ids[2]), Text("most"));
    EXPECT_EQ(NextMessage(clients[0], ids[0]), Text("all"));
    EXPECT_EQ(NextMessage(clients[2], ids[2]), Text("all"));
    EXPECT_FALSE(server.SendData(NetworkNode::kAllConnections, nullptr, 70000, true));  // no queue holds it
    EXPECT_FALSE(server.IsSendPending(NetworkNode::kAllConnections));

    // A message being written to all is cut back on all.
    ASSERT_TRUE(server.SendData(NetworkNode::kAllConnections, "cut here", 8, false));
    EXPECT_EQ(server.GetPendingLength(NetworkNode::kAllConnections), 8);
    server.SetPendingLength(NetworkNode::kAllConnections, 3);
    ASSERT_TRUE(server.CommitPending(NetworkNode::kAllConnections));
    for (int32_t i = 0; i < 3; i++)
        EXPECT_EQ(NextMessage(clients[i], ids[i]), Text("cut")) << i;
}

TEST(NetworkNodeTest, PendingMessageIsCutBackBeforeItIsCommitted)
{
    Pair pair;
    ASSERT_GE(pair.serverID, 0);
    NetworkNode& client = pair.client;
    const int32_t id = pair.clientID;
    ASSERT_TRUE(client.SendData(id, "hello world", 11, false));
    EXPECT_EQ(client.GetPendingLength(id), 11);
    client.SetPendingLength(id, 5);
    client.SetPendingLength(id, 9);  // never lengthens it
    EXPECT_EQ(client.GetPendingLength(id), 5);
    ASSERT_TRUE(client.SendData(id, "!", 1, true));
    EXPECT_EQ(client.GetPendingLength(id), 0);
    ASSERT_TRUE(client.SendData(id, "dropped", 7, false));
    client.SetPendingLength(id, 0);  // discards it
    ASSERT_TRUE(client.SendData(id, "next", 4, true));
    EXPECT_EQ(NextMessage(pair.server, pair.serverID), Text("hello!"));
    EXPECT_EQ(NextMessage(pair.server, pair.serverID), Text("next"));
    EXPECT_EQ(client.GetBytesSent(), 10u);  // only what was committed

    EXPECT_EQ(client.GetPendingLength(id + 5), 0);  // no such connection
    client.SetPendingLength(id + 5, 0);
}

TEST(NetworkNodeTest, GoodbyeClosesOnceAndStopEndsEveryThread)
{
    Pair pair;
    ASSERT_GE(pair.serverID, 0);
    Events(pair.client, 2);
    pair.client.DeleteConnection(pair.clientID, true);
    EXPECT_FALSE(pair.client.IsConnectionValid(pair.clientID, false, false));

    // The goodbye closes the server's side: one event, and a second close queues nothing.
    std::vector<NetworkNode::ConnectionEvent> events;
    ASSERT_TRUE(WaitUntil([&] {
        NetworkNode::ConnectionEvent event;
        while (pair.server.GetThreadEvent(&event))
            events.push_back(event);
        return Count(events, NetworkNode::kConnectionClosed) > 0;
    }));
    pair.server.CloseConnection(pair.serverID, false);
    NetworkNode::ConnectionEvent event;
    while (pair.server.GetThreadEvent(&event))
        events.push_back(event);
    EXPECT_EQ(Count(events, NetworkNode::kConnectionClosed), 1);
    EXPECT_EQ(pair.server.GetNumConnections(), 0);
    EXPECT_EQ(pair.client.GetNumConnections(), 0);
    EXPECT_EQ(Count(Events(pair.client, 0), NetworkNode::kConnectionClosed), 0);  // it closed itself

    // Ten connections: 21 threads on the server, none after Stop.
    int32_t ids[10];
    for (int32_t& id : ids) {
        id = pair.client.Connect(NetworkNode::kTCP, "127.0.0.1", pair.server.GetPort());
        ASSERT_GE(id, 0);
    }
    EXPECT_EQ(Count(Events(pair.server, 20), NetworkNode::kSendStarted), 10);
    EXPECT_EQ(pair.server.GetThreadCount(), 21);
    pair.server.Stop();
    EXPECT_EQ(pair.server.GetThreadCount(), 0);
    EXPECT_FALSE(pair.server.IsRunning());
    EXPECT_EQ(pair.server.GetNumConnections(), 0);
    // The server said goodbye on each: the client learns of every one.
    std::vector<NetworkNode::ConnectionEvent> closed;
    ASSERT_TRUE(WaitUntil([&] {
        while (pair.client.GetThreadEvent(&event))
            closed.push_back(event);
        return Count(closed, NetworkNode::kConnectionClosed) == 10;
    }));
    pair.client.Stop();
    EXPECT_EQ(pair.client.GetThreadCount(), 0);
}

TEST(NetworkNodeTest, EventQueuesGrowInsteadOfDropping)
{
    NetworkNode server;
    ASSERT_TRUE(server.StartServer(0));
    NetworkNode client;
    client.Start();
    // 30 connections closed before the client looks: 30 deletions (more than the first 128 bytes
    // hold) and 90 events (more than 1024 bytes).
    std::vector<int32_t> ids;
    for (int32_t i = 0; i < 30; i++) {
        ids.push_back(client.Connect(NetworkNode::kTCP, "127.0.0.1", server.GetPort()));
        ASSERT_GE(ids.back(), 0);
    }
    for (int32_t id : ids)
        client.CloseConnection(id, false);
    const auto events = Events(client, 90);
    EXPECT_EQ(Count(events, NetworkNode::kSendStarted), 30);
    EXPECT_EQ(Count(events, NetworkNode::kReceiveStarted), 30);
    EXPECT_EQ(Count(events, NetworkNode::kConnectionClosed), 30);
    EXPECT_EQ(client.GetNumConnections(), 0);
    EXPECT_EQ(client.GetThreadCount(), 0);
}

TEST(NetworkNodeTest, SettingsAndThrottle)
{
    LogCapture log;
    NetworkNode node;
    node.SetPacketSize(10);
    node.SetPacketSizeUDP(4000);
    EXPECT_EQ(node.GetPacketSize(), 32);
    EXPECT_EQ(node.GetPacketSizeUDP(), 4000);
    EXPECT_EQ(log.Count("must be called before"), 0);
    node.Start();
    node.SetPacketSize(64);
    EXPECT_EQ(log.Count("SetPacketSize() must be called before starting the NetworkNode"), 1);
    EXPECT_EQ(node.GetPacketSize(), 64);  // stored all the same

    struct Case {
        int32_t sent;
        float limit;
        int32_t ms;
    } const cases[] = {{4096, 100000.0f, 40}, {4096, 0.0f, 0}, {99, 100000.0f, 0}, {100, 100000.0f, 1}, {2048, -5.0f, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(NetworkNode::ThrottleMs(c.sent, c.limit), c.ms) << c.sent << " at " << c.limit;

    for (int32_t code : {10038, 10050, 10053, 10054, 10060})
        EXPECT_TRUE(NetworkNode::IsConnectionLostError(code)) << code;
    for (int32_t code : {0, 10035, 10061, 11001})
        EXPECT_FALSE(NetworkNode::IsConnectionLostError(code)) << code;
}

TEST(NetworkNodeTest, TrafficLogsHoldThePayload)
{
    TempDir dir;
    const std::string server = dir / "server";
    const std::string client = dir / "client";
    for (int32_t i = 0; i < 10; i++) {
        dir.Write("server_in" + std::to_string(i) + ".log", "old");
        dir.Write("server_out" + std::to_string(i) + ".log", "old");
    }
    dir.Write("server_in10.log", "kept");
    {
        Pair pair;
        ASSERT_GE(pair.serverID, 0);
        pair.server.EnableTrafficLog(3, server.c_str());
        pair.client.EnableTrafficLog(3, client.c_str());
        for (int32_t i = 0; i < 10; i++) {
            EXPECT_FALSE(std::filesystem::exists(dir / ("server_in" + std::to_string(i) + ".log"))) << i;
            EXPECT_FALSE(std::filesystem::exists(dir / ("server_out" + std::to_string(i) + ".log"))) << i;
        }
        EXPECT_TRUE(std::filesystem::exists(dir / "server_in10.log"));

        pair.client.SendData(pair.clientID, "hello", 5, true);
        pair.client.SendData(pair.clientID, "world!!", 7, true);
        EXPECT_EQ(NextMessage(pair.server, pair.serverID), Text("hello"));
        EXPECT_EQ(NextMessage(pair.server, pair.serverID), Text("world!!"));
        pair.server.SendData(pair.serverID, "reply", 5, true);
        EXPECT_EQ(NextMessage(pair.client, pair.clientID), Text("reply"));
        pair.client.Stop();
        pair.server.Stop();
    }
    EXPECT_EQ(dir.Read("server_in0.log"), "helloworld!!");
    EXPECT_EQ(dir.Read("server_out0.log"), "reply");
    EXPECT_EQ(dir.Read("client_out0.log"), "helloworld!!");
    EXPECT_EQ(dir.Read("client_in0.log"), "reply");
}

TEST(NetworkNodeTest, UdpPairAndBroadcast)
{
    LogCapture log;
    const uint16_t portB = FindFreePort();
    ASSERT_NE(portB, 0);
    NetworkNode a;
    NetworkNode b;
    a.Start();
    b.Start();
    const int32_t idA = a.Connect(NetworkNode::kUDP, "127.0.0.1", portB);
    ASSERT_GE(idA, 0);
    NetworkNode::ConnectionInfo infoA;
    ASSERT_TRUE(a.GetConnectionInfo(idA, &infoA));
    const int32_t idB = b.Connect(NetworkNode::kUDP, "127.0.0.1", infoA.sendLocalPort, portB);
    ASSERT_GE(idB, 0);

    ASSERT_TRUE(a.SendData(idA, "ping", 4, true));
    EXPECT_EQ(NextMessage(b, idB), Text("ping"));
    ASSERT_TRUE(b.SendData(idB, "pong", 4, true));
    EXPECT_EQ(NextMessage(a, idA), Text("pong"));
    // A UDP message never spans datagrams: one larger than the packet size is dropped.
    const Bytes large(5000, 7);
    ASSERT_TRUE(a.SendData(idA, large.data(), 5000, true));
    ASSERT_TRUE(a.SendData(idA, "after", 5, true));
    EXPECT_EQ(NextMessage(b, idB), Text("after"));
    EXPECT_EQ(log.Count("exceeds the packet size"), 1);

    // An address ending in .255 makes a broadcast connection over UDP only; it is bound but not
    // connected, so it takes datagrams from anyone and tells who sent them.
    EXPECT_EQ(a.Connect(NetworkNode::kTCP, "127.255.255.255", portB), -1);
    EXPECT_EQ(a.GetLastErrorCode(), NetworkNode::kOwnErrorCode);
    const uint16_t listenPort = FindFreePort();
    const int32_t broadcast = b.Connect(NetworkNode::kUDP, "127.255.255.255", portB, listenPort);
    ASSERT_GE(broadcast, 0);
    EXPECT_TRUE(b.IsConnectionValid(broadcast, true, true));
    const int32_t toBroadcast = a.Connect(NetworkNode::kUDP, "127.0.0.1", listenPort);
    ASSERT_TRUE(a.SendData(toBroadcast, "announce", 8, true));
    uint32_t sender = 0;
    EXPECT_EQ(NextMessage(b, broadcast, &sender), Text("announce"));
    EXPECT_EQ(sender, SocketAddress::kLoopback);

    // A host that does not resolve: -1 and the lookup's text.
    EXPECT_EQ(a.Connect(NetworkNode::kTCP, "no-such-host.invalid", 1), -1);
    EXPECT_NE(a.GetLastErrorCode(), 0);
    EXPECT_GT(a.GetLastErrorText().GetLength(), int32_t(std::string("Error 11001: ").size()));
    EXPECT_GE(log.Count("WSA Error: Error "), 1);
}
