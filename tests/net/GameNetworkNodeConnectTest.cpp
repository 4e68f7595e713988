// GameNetworkNode connecting over loopback to a fake game server on a free port: an accepting
// reply gives state 1, a UDP connection and the dummy message arriving over UDP; a refusal gives
// its status as the reason; silence times out on the test clock; a lost connection ends the link.
#include "net/GameNetworkNode.h"

#include "LoopbackClientNode.h"
#include "support/FakeGameServer.h"
#include "support/FreePort.h"
#include "support/LogCapture.h"
#include "support/TestClock.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

TEST(GameNetworkNodeConnectTest, AcceptedWithUDP)
{
    FakeGameServer server(FakeGameServer::kAccept);
    ASSERT_TRUE(server.IsListening());
    LoopbackClientNode node;
    int32_t reason = -1;
    ASSERT_TRUE(node.ConnectToServer("127.0.0.1", server.GetPort(), true, 20.0, &reason));
    EXPECT_EQ(reason, 0);
    EXPECT_EQ(node.GetConnectionState(), GameNetworkNode::eConnected);
    EXPECT_GE(node.GetTCPConnection(), 0);
    EXPECT_GE(node.GetUDPConnection(), 0);
    EXPECT_EQ(node.GetSendConnection(), node.GetTCPConnection());
    EXPECT_EQ(node.GetReceiveConnection(), node.GetTCPConnection());
    EXPECT_TRUE(node.IsNetworkClient());
    EXPECT_TRUE(node.IsNetworkGame());
    ASSERT_TRUE(WaitUntil([&] { return !server.ReceivedUDP().empty() && !server.ReceivedTCP().empty(); }));
    EXPECT_EQ(server.ReceivedUDP(), (std::vector<uint16_t>{GameNetworkNode::kMsgDummyData}));
    EXPECT_EQ(server.ReceivedTCP(), (std::vector<uint16_t>{GameNetworkNode::kMsgSetHostingChar}));

    // A second connect to the same server keeps the connections.
    const int32_t tcp = node.GetTCPConnection();
    EXPECT_TRUE(node.ConnectToServer("127.0.0.1", server.GetPort(), false, 20.0, &reason));
    EXPECT_EQ(node.GetTCPConnection(), tcp);
    EXPECT_EQ(server.GetClients(), 1);
}

TEST(GameNetworkNodeConnectTest, RefusedWithItsStatus)
{
    FakeGameServer server(FakeGameServer::kRefuse, 4);
    LoopbackClientNode node;
    int32_t reason = -1;
    EXPECT_FALSE(node.ConnectToServer("127.0.0.1", server.GetPort(), false, 20.0, &reason));
    EXPECT_EQ(reason, GameNetworkNode::kReasonServerFull);
    EXPECT_EQ(node.GetConnectionState(), GameNetworkNode::eDisconnected);
    EXPECT_EQ(node.GetTCPConnection(), -1);
    EXPECT_EQ(node.GetNetNode().GetNumConnections(), 0);
    EXPECT_STREQ(GameNetworkNode::DisconnectReasonText(reason).c_str(), "DB:net_max_players");
}

TEST(GameNetworkNodeConnectTest, ShortReplyIsRefused)
{
    LogCapture log;
    FakeGameServer server(FakeGameServer::kShortReply);
    LoopbackClientNode node;
    int32_t reason = -1;
    EXPECT_FALSE(node.ConnectToServer("127.0.0.1", server.GetPort(), false, 20.0, &reason));
    EXPECT_EQ(reason, GameNetworkNode::kReasonBadReply);
    EXPECT_EQ(log.Count("Invalid connect reply of 5 bytes"), 1);
    EXPECT_EQ(node.GetNetNode().GetNumConnections(), 0);
    EXPECT_EQ(server.GetClients(), 1);  // not tried again
}

TEST(GameNetworkNodeConnectTest, SilenceTimesOut)
{
    FakeGameServer server(FakeGameServer::kSilent);
    LoopbackClientNode node;
    TestClock clock;  // every poll moves it on by its 10 ms
    int32_t reason = -1;
    EXPECT_FALSE(node.ConnectToServer("127.0.0.1", server.GetPort(), false, 0.5, &reason));
    EXPECT_EQ(reason, GameNetworkNode::kReasonTimeout);
    EXPECT_EQ(node.GetConnectionState(), GameNetworkNode::eDisconnected);
    EXPECT_EQ(node.GetNetNode().GetNumConnections(), 0);
    EXPECT_GE(clock.Sleeps().size(), 50u);
}

TEST(GameNetworkNodeConnectTest, NoServerTimesOut)
{
    LogCapture log;
    const uint16_t port = FindFreePort(Socket::kStream);  // nobody listens there
    LoopbackClientNode node;
    TestClock clock;
    int32_t reason = -1;
    EXPECT_FALSE(node.ConnectToServer("127.0.0.1", port, false, 0.2, &reason));
    EXPECT_EQ(reason, GameNetworkNode::kReasonTimeout);
    EXPECT_GE(log.Count("ConnectToServer failed: "), 1);
}

TEST(GameNetworkNodeConnectTest, LostConnectionEndsTheLink)
{
    FakeGameServer server(FakeGameServer::kAccept);
    LoopbackClientNode node;
    int32_t reason = -1;
    ASSERT_TRUE(node.ConnectToServer("127.0.0.1", server.GetPort(), false, 20.0, &reason));
    server.DropClients();
    ASSERT_TRUE(WaitUntil([&] {
        node.ServiceNetwork();
        return node.GetConnectionState() == GameNetworkNode::eDisconnected;
    }));
    EXPECT_EQ(node.GetTCPConnection(), -1);
    EXPECT_EQ(node.GetUDPConnection(), -1);
    EXPECT_FALSE(node.IsNetworkClient());
}
