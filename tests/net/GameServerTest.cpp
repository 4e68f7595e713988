// GameServer listening on a free loopback port with raw transport clients: the connect reply with
// a UDP port per client and the refusal when full, routing by join state, the frame step's time
// synchronisation and frozen world, the join time-outs and the client that never reads (on the
// test clock), the server's settings and the information block.
#include "net/GameServer.h"

#include "base/ByteReader.h"
#include "base/ConfigFileReader.h"
#include "game/ctrl/Difficulty.h"
#include "LoopbackClientNode.h"
#include "support/ErrorOf.h"
#include "support/FreePort.h"
#include "support/LogCapture.h"
#include "support/TestClock.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <set>
#include <thread>
#include <string>
#include <vector>

namespace {

// The server's settings from the text of a server configuration.
void ReadServerConfig(GameServer& server, const std::string& text)
{
    ConfigFileReader reader;
    reader.OpenMemory(text.data(), int32_t(text.size()));
    server.ReadServerConfig(reader);
}

// A server on a free port: any free port for its clients' UDP sockets and no announcement.
struct ListeningServer {
    explicit ListeningServer(bool udp, int32_t maxPlayers, const std::string& extraConfig = std::string())
    {
        ReadServerConfig(server, "DataPort = 0\nBroadcastPortLocal = 0\n" + extraConfig);
        server.GetNetworkSettings().useUDP = udp;
        server.SetMaxPlayers(maxPlayers);
        listening = server.StartNetworkServer(0);
    }
    uint16_t Port() { return server.GetNetNode().GetPort(); }

    GameServer server;
    bool listening = false;
};

// A client of the bare transport: it connects over TCP and reads what arrives, message by message.
class RawClient {
public:
    explicit RawClient(uint16_t port)
    {
        m_Node.Start();
        m_TCP = m_Node.Connect(NetworkNode::kTCP, "127.0.0.1", port);
    }
    // The next whole message, pumping the server meanwhile; empty when none came.
    std::vector<uint8_t> Next(GameServer& server)
    {
        std::vector<uint8_t> message;
        WaitUntil([&] {
            server.HandleConnections();
            const int32_t n = m_Node.GetNumBytesWaiting(m_TCP);
            if (n <= 0)
                return n < 0;
            message.resize(size_t(n));
            m_Node.Receive(m_TCP, message.data(), true, n);
            return true;
        }, 10000);
        return message;
    }
    // The next whole message if one is there now; else empty.
    std::vector<uint8_t> Take()
    {
        std::vector<uint8_t> message;
        const int32_t n = m_Node.GetNumBytesWaiting(m_TCP);
        if (n > 0) {
            message.resize(size_t(n));
            m_Node.Receive(m_TCP, message.data(), true, n);
        }
        return message;
    }
    // The connect reply {UDP port, status}.
    std::pair<uint16_t, uint32_t> Reply(GameServer& server)
    {
        const std::vector<uint8_t> reply = Next(server);
        if (reply.size() != 6)
            return {0, 0xFFFFFFFFu};
        ByteReader in(reply.data(), reply.size());
        const uint16_t udp = in.ReadU16();
        return {udp, in.ReadU32()};
    }
    // The ids of the game packets before the marker message (RestartLevel, sent to all).
    std::vector<uint16_t> IdsBeforeMarker(GameServer& server)
    {
        std::vector<uint16_t> ids;
        for (;;) {
            const std::vector<uint8_t> message = Next(server);
            if (message.size() < 12)
                return ids;
            const uint16_t id = uint16_t(message[2] | (message[3] << 8));
            if (id == GameNetworkNode::kMsgRestartLevel)
                return ids;
            ids.push_back(id);
        }
    }
    bool IsClosed() { return !m_Node.IsConnectionValid(m_TCP, true, true); }
    NetworkNode& Node() { return m_Node; }

private:
    NetworkNode m_Node;
    int32_t m_TCP = -1;
};

void SendMarker(GameServer& server)
{
    server.SetSendTarget(-1, 0);
    server.SendRestartLevel();
    server.FinishPacket();
}

// Connects clients one after the other, so that client i takes slot i; each has read its reply.
std::vector<std::unique_ptr<RawClient>> Connect(ListeningServer& s, int32_t count)
{
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int32_t i = 0; i < count; ++i) {
        clients.push_back(std::make_unique<RawClient>(s.Port()));
        clients.back()->Reply(s.server);
    }
    return clients;
}

}  // namespace

TEST(GameServerConnections, ThreeAcceptedWithTheirOwnUDPPortsTheFourthRefused)
{
    LogCapture log;
    ListeningServer s(true, 3);
    ASSERT_TRUE(s.listening);
    EXPECT_TRUE(s.server.IsServer());
    EXPECT_TRUE(s.server.IsNetworkGameServer());
    std::vector<std::unique_ptr<RawClient>> clients;
    std::set<uint16_t> ports;
    for (int32_t i = 0; i < 3; ++i) {
        clients.push_back(std::make_unique<RawClient>(s.Port()));
        const auto [udp, status] = clients.back()->Reply(s.server);
        EXPECT_EQ(status, 0u);
        EXPECT_NE(udp, 0);
        ports.insert(udp);
    }
    EXPECT_EQ(ports.size(), 3u);
    EXPECT_EQ(s.server.GetNumClients(), 3);
    for (int32_t slot = 0; slot < 3; ++slot) {
        ASSERT_NE(s.server.GetClient(slot), nullptr);
        EXPECT_EQ(s.server.GetClient(slot)->state, GameServer::kClientAccepted);
        EXPECT_GE(s.server.GetClient(slot)->udpConnection, 0);
    }

    RawClient fourth(s.Port());
    EXPECT_EQ(fourth.Reply(s.server), (std::pair<uint16_t, uint32_t>{0, 4}));
    EXPECT_EQ(s.server.GetNumClients(), 3);
    EXPECT_EQ(log.Count("rejected"), 1);
    EXPECT_TRUE(WaitUntil([&] {
        s.server.HandleConnections();
        return fourth.IsClosed();
    })) << "the refused connection stays open";

    // A client that leaves frees its slot for the next one.
    clients[1].reset();
    EXPECT_TRUE(WaitUntil([&] {
        s.server.HandleConnections();
        return s.server.GetNumClients() == 2;
    }));
    EXPECT_EQ(log.Count("Client 1 disconnected"), 1);
    RawClient again(s.Port());
    EXPECT_EQ(again.Reply(s.server).second, 0u);
    EXPECT_NE(s.server.GetClient(1), nullptr);
}

// A network game node joins over loopback (its connect blocks, so it runs beside the server's
// frames): its UDP connection meets the server's socket for it, and TimeSync reaches it over UDP.
TEST(GameServerConnections, ANodeConnectsAndHearsTheServerOverUDP)
{
    ListeningServer s(true, 3);
    LoopbackClientNode client;
    std::atomic<bool> done{false};
    bool connected = false;
    int32_t reason = -1;
    std::thread connecting([&] {
        connected = client.ConnectToServer("127.0.0.1", s.Port(), false, 20.0, &reason);
        done = true;
    });
    WaitUntil([&] {
        s.server.UpdateFrame(0.0f);
        return done.load();
    });
    connecting.join();
    ASSERT_TRUE(connected) << reason;
    ASSERT_GE(client.GetUDPConnection(), 0);
    ASSERT_EQ(s.server.GetNumClients(), 1);
    s.server.GetClient(0)->state = GameServer::kClientJoined;

    s.server.UpdateFrame(2.5f);  // past the countdown of 2 s
    std::vector<uint8_t> message;
    ASSERT_TRUE(WaitUntil([&] {
        NetworkNode& node = client.GetNetNode();
        const int32_t n = node.GetNumBytesWaiting(client.GetUDPConnection());
        if (n <= 0)
            return false;
        message.resize(static_cast<size_t>(n));
        node.Receive(client.GetUDPConnection(), message.data(), true, n);
        return true;
    }));
    ASSERT_EQ(message.size(), 20u);
    EXPECT_EQ(message[2] | (message[3] << 8), GameServer::kMsgTimeSync);
}

TEST(GameServerConnections, WithoutUDPTheReplyNamesNoPort)
{
    ListeningServer s(false, 3);
    RawClient client(s.Port());
    EXPECT_EQ(client.Reply(s.server), (std::pair<uint16_t, uint32_t>{0, 0}));
    EXPECT_EQ(s.server.GetClient(0)->udpConnection, -1);
}

// Slots 0 to 3 in states 1, 6, 7 and 10; which of them a chat message reaches.
TEST(GameServerRouting, TargetsByStateAndExclusion)
{
    ListeningServer s(false, 4);
    std::vector<std::unique_ptr<RawClient>> clients = Connect(s, 4);
    ASSERT_EQ(s.server.GetNumClients(), 4);
    const int32_t states[4] = {1, 6, 7, 10};
    for (int32_t slot = 0; slot < 4; ++slot)
        s.server.GetClient(slot)->state = states[slot];

    struct Row {
        int32_t target;
        int32_t minimumState;
        std::set<int32_t> reached;
    };
    const Row rows[] = {
        {-1, 7, {2, 3}},
        {-1, 1, {0, 1, 2, 3}},
        {int32_t(0x80000000u | 3u), 6, {1, 2}},
        {int32_t(0x80000000u | 1u), 1, {0, 2, 3}},
        {0, 10, {0}},  // one target bypasses the state
        {2, 1, {2}},
        {7, 1, {}},  // a slot nobody holds: nobody, never everybody
    };
    for (const Row& row : rows) {
        s.server.SetSendTarget(row.target, row.minimumState);
        EXPECT_EQ(s.server.SendChatMessage(u"a", u"b"), !row.reached.empty());
        SendMarker(s.server);
        std::set<int32_t> reached;
        for (int32_t slot = 0; slot < 4; ++slot) {
            const std::vector<uint16_t> ids = clients[size_t(slot)]->IdsBeforeMarker(s.server);
            if (ids == std::vector<uint16_t>{GameNetworkNode::kMsgChat})
                reached.insert(slot);
            else
                EXPECT_TRUE(ids.empty()) << "slot " << slot;
        }
        EXPECT_EQ(reached, row.reached) << "target " << row.target << ", minimum " << row.minimumState;
    }
}

// A client whose connection the transport lost stays in the table until the frame removes it; a
// message to every client meanwhile still reaches the others whole, and leaves no torn packet
// behind (which stopped the server with an internal error).
TEST(GameServerRouting, AClientLostMidFrameDoesNotTearAMessageToAll)
{
    LogCapture log;
    ListeningServer s(false, 2);
    std::vector<std::unique_ptr<RawClient>> clients = Connect(s, 2);
    ASSERT_EQ(s.server.GetNumClients(), 2);
    s.server.GetNetNode().DeleteConnection(s.server.GetClient(0)->tcpConnection, false);
    ASSERT_NE(s.server.GetClient(0), nullptr);

    EXPECT_EQ(ErrorOf([&] {
        s.server.SetSendTarget(-1, 0);
        EXPECT_TRUE(s.server.SendChatMessage(u"a", u"b"));
        EXPECT_TRUE(s.server.SendChatMessage(u"c", u"d"));
        SendMarker(s.server);
    }), "no error");
    EXPECT_EQ(clients[1]->IdsBeforeMarker(s.server), std::vector<uint16_t>{GameNetworkNode::kMsgChat});
    EXPECT_EQ(log.Count("Internal error"), 0);
}

// The world and the game time stand until a client is in the world; then TimeSync goes out to the
// joined clients whenever the countdown of 2 s drops below 0: with steps of 0.5 s every fifth step.
TEST(GameServerFrame, TimeSyncEveryFifthStepOnceAClientIsInTheWorld)
{
    ListeningServer s(false, 3);
    std::vector<std::unique_ptr<RawClient>> clients = Connect(s, 1);
    GameClientInfo* client = s.server.GetClient(0);
    ASSERT_NE(client, nullptr);
    client->state = GameServer::kClientLevelLoaded;
    const double start = s.server.GetGameTime();
    // The steps of ten steps of 0.5 s at which a TimeSync reached the client.
    auto syncSteps = [&] {
        std::vector<int32_t> steps;
        for (int32_t step = 1; step <= 10; ++step) {
            s.server.UpdateFrame(0.5f);
            SendMarker(s.server);
            for (const uint16_t id : clients[0]->IdsBeforeMarker(s.server))
                if (id == GameServer::kMsgTimeSync)
                    steps.push_back(step);
        }
        return steps;
    };
    EXPECT_TRUE(syncSteps().empty());
    EXPECT_EQ(s.server.GetGameTime(), start) << "the world ran without anybody in it";

    client->state = GameServer::kClientJoined;
    EXPECT_EQ(syncSteps(), (std::vector<int32_t>{5, 10}));
    EXPECT_DOUBLE_EQ(s.server.GetGameTime(), start + 5.0);
}

// Seconds since the connection and the state reached: who is sent away.
TEST(GameServerFrame, JoinTimeOuts)
{
    struct Row {
        int32_t state;
        double seconds;
        bool removed;
    };
    const Row rows[] = {
        {GameServer::kClientAccepted, 9.0, false}, {GameServer::kClientAccepted, 11.0, true},
        {GameServer::kClientPlayerInfo, 59.0, false}, {GameServer::kClientPlayerInfo, 61.0, true},
        {GameServer::kClientJoined, 100.0, false},
    };
    for (const Row& row : rows) {
        TestClock clock;
        ListeningServer s(false, 3);
        std::vector<std::unique_ptr<RawClient>> clients = Connect(s, 1);
        ASSERT_EQ(s.server.GetNumClients(), 1);
        s.server.GetClient(0)->state = row.state;
        clock.Advance(row.seconds);
        s.server.UpdateFrame(0.0f);
        EXPECT_EQ(s.server.GetNumClients(), row.removed ? 0 : 1) << row.state << " after " << row.seconds;
        if (row.removed) {
            const std::vector<uint8_t> message = clients[0]->Next(s.server);
            ASSERT_EQ(message.size(), 16u);
            EXPECT_EQ(message[2] | (message[3] << 8), GameNetworkNode::kMsgDisconnectRequest);
            EXPECT_EQ(message[12], GameServer::kReasonJoinTimeout);
        }
    }
}

// A client that never reads fills its queues; the server's frames go on without waiting, what does
// not fit waits aside, and after 10 s of that the client is removed.
TEST(GameServerFrame, AClientThatNeverReadsIsRemovedAndNeverStallsTheFrame)
{
    TestClock clock;
    LogCapture log;
    ListeningServer s(false, 3);
    std::vector<std::unique_ptr<RawClient>> clients = Connect(s, 1);
    const int32_t tcp = s.server.GetClient(0)->tcpConnection;
    int64_t sent = 0;
    while (s.server.GetSendTransport().GetOverflowBytes(tcp) == 0 && sent < (int64_t(256) << 20)) {
        s.server.SetSendTarget(0, 0);
        for (int32_t i = 0; i < 64; ++i)
            ASSERT_TRUE(s.server.SendDummyData(1000, false));
        s.server.FinishPacket();
        sent += 64 * 1000;
        s.server.UpdateFrame(0.0f);
    }
    ASSERT_GT(s.server.GetSendTransport().GetOverflowBytes(tcp), 0) << "never overflowed after " << sent;
    EXPECT_EQ(clock.Sleeps().size(), 0u) << "the server waited for the client";
    // The network thread goes on handing the queue to the socket until the system's buffers are
    // full; only then does a backlog stay aside. Top it up until it no longer shrinks.
    int64_t last = -1;
    for (int32_t stable = 0, tries = 0; stable < 3 && tries < 500; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        s.server.UpdateFrame(0.0f);
        const int64_t now = s.server.GetSendTransport().GetOverflowBytes(tcp);
        if (now == 0) {
            s.server.SetSendTarget(0, 0);
            for (int32_t i = 0; i < 64; ++i)
                ASSERT_TRUE(s.server.SendDummyData(1000, false));
            s.server.FinishPacket();
        }
        stable = now > 0 && now == last ? stable + 1 : 0;
        last = now;
    }
    ASSERT_GT(s.server.GetSendTransport().GetOverflowBytes(tcp), 0);
    s.server.UpdateFrame(0.0f);
    EXPECT_EQ(s.server.GetNumClients(), 1);
    clock.Advance(11.0);
    s.server.UpdateFrame(0.0f);
    EXPECT_EQ(s.server.GetNumClients(), 0);
    EXPECT_EQ(log.Count("does not read its messages"), 1);
}

// A sending queue too small for a frame's messages: what does not fit waits aside, and the client
// gets every message, in the order sent, as the frames go on.
TEST(GameServerFrame, MessagesThatWaitAsideArriveInOrder)
{
    ListeningServer s(false, 3);
    s.server.GetNetNode().SetFifoSizes(256, 65536);
    std::vector<std::unique_ptr<RawClient>> clients = Connect(s, 1);
    const int32_t tcp = s.server.GetClient(0)->tcpConnection;
    constexpr int32_t kMessages = 200;
    s.server.SetSendTarget(0, 0);
    for (int32_t i = 0; i < kMessages; ++i) {
        ASSERT_TRUE(s.server.SendObjectAction(i, 1, 0.0f));
        s.server.FinishPacket();
    }
    EXPECT_GT(s.server.GetSendTransport().GetOverflowBytes(tcp), 0);
    std::vector<int32_t> received;
    ASSERT_TRUE(WaitUntil([&] {
        s.server.UpdateFrame(0.0f);
        for (;;) {
            const std::vector<uint8_t> message = clients[0]->Take();
            if (message.size() != 22)
                break;
            received.push_back(message[12] | (message[13] << 8));
        }
        return int32_t(received.size()) >= kMessages;
    }));
    ASSERT_EQ(int32_t(received.size()), kMessages);
    for (int32_t i = 0; i < kMessages; ++i)
        ASSERT_EQ(received[size_t(i)], i);
    EXPECT_EQ(s.server.GetSendTransport().GetOverflowBytes(tcp), 0);
}

TEST(GameServerSettings, KeysOfTheServerConfiguration)
{
    GameServer server;
    EXPECT_FLOAT_EQ(server.GetAngleTolerance(), 0.08726646f);
    ReadServerConfig(server, "; nothing\n");
    EXPECT_FLOAT_EQ(server.GetAngleTolerance(), 0.08726646f);
    EXPECT_EQ(server.GetDataPort(), 6706);
    EXPECT_EQ(server.GetBroadcastPortLocal(), 6705);

    ReadServerConfig(server,
        "AngleUpdateTolerance = 10\nPosUpdateTolerance = 2.5\nTimeSyncInterval = 3\nMinMaxFPS = 15, 60\n"
        "DataPort = 7000\nBroadcastPortLocal = 0\nBroadcastInfoInterval = 4\n");
    EXPECT_FLOAT_EQ(server.GetAngleTolerance(), 0.17453292f);
    EXPECT_FLOAT_EQ(server.GetPositionTolerance(), 2.5f);
    EXPECT_FLOAT_EQ(server.GetTimeSyncInterval(), 3.0f);
    EXPECT_EQ(server.GetDataPort(), 7000);
    EXPECT_FLOAT_EQ(server.GetBroadcastInfoInterval(), 4.0f);
    const GameServer::TimingInfo timing = server.GetTimingInfo();
    EXPECT_EQ(timing.value, 256u);
    EXPECT_FLOAT_EQ(timing.minFPS, 15.0f);
    EXPECT_FLOAT_EQ(timing.maxFPS, 60.0f);
}

TEST(GameServerSettings, NameAndPlayerLimitInTheBlock)
{
    LogCapture log;
    GameServer server;
    EXPECT_EQ(server.GetMaxPlayers(), 65535);
    server.SetServerName("0123456789012345678901234567890123456789");
    EXPECT_STREQ(server.GetKeptServerInfo().name, "0123456789012345678901234567890");
    server.SetMaxPlayers(9);  // four last-sent slots per object: no more players
    EXPECT_EQ(server.GetMaxPlayers(), 4);
    EXPECT_EQ(log.Count("Maximum number of players 9 changed to 4"), 1);
    server.SetMaxPlayers(3);
    EXPECT_EQ(server.GetMaxPlayers(), 3);

    ServerInfoBlock block;
    server.GetServerInfo(block);
    uint8_t bytes[ServerInfoBlock::kSize];
    block.Write(bytes);
    EXPECT_EQ(bytes[0] | (bytes[1] << 8), 0x0100);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes + 4)), "0123456789012345678901234567890");
    EXPECT_EQ(bytes[44] | (bytes[45] << 8), 0);  // no player joined
    EXPECT_EQ(bytes[46] | (bytes[47] << 8), 3);
}

TEST(GameServerSettings, AnnouncesOnlyWithABroadcastPort)
{
    ListeningServer quiet(false, 3, "BroadcastInfoInterval = 0.001\n");
    ASSERT_TRUE(quiet.listening);
    EXPECT_EQ(quiet.server.GetBroadcastConnection(), -1);
    EXPECT_FALSE(quiet.server.SendLanAnnouncement());
}

TEST(GameServerSettings, DataPortRangeOverTheListeningPortIsRefused)
{
    GameServer server;
    ReadServerConfig(server, "DataPort = 6704\nBroadcastPortLocal = 0\n");
    EXPECT_NE(ErrorOf([&] { server.StartNetworkServer(6705); }), "no error");
    EXPECT_FALSE(server.IsListening());
}

// One datagram of the transport (a 12-byte header) carrying "KSIo" and the block, from the
// configured local port to the configured address and port.
TEST(GameServerSettings, AnnouncementIsOneDatagramWithTheBlock)
{
    Socket listener = Socket::Create(Socket::kDatagram);
    ASSERT_TRUE(listener.Bind(0));
    SocketAddress bound;
    ASSERT_TRUE(listener.GetLocalAddress(&bound));
    const uint16_t localPort = FindFreePort(Socket::kDatagram);
    GameServer server;
    server.GetNetworkSettings().broadcastIP = "127.0.0.1";
    ReadServerConfig(server, "DataPort = 0\nBroadcastPortLocal = " + std::to_string(localPort) +
                                 "\nBroadcastPortRemote = " + std::to_string(bound.port) + "\n");
    server.SetServerName("Sample");
    server.SetMaxPlayers(3);
    ASSERT_TRUE(server.StartNetworkServer(0));
    ASSERT_GE(server.GetBroadcastConnection(), 0);
    ASSERT_TRUE(server.SendLanAnnouncement());

    ASSERT_EQ(listener.WaitReady(false, 10000), 1);
    uint8_t datagram[256] = {};
    SocketAddress from;
    ASSERT_EQ(listener.ReceiveFrom(datagram, sizeof datagram, &from), 64);
    EXPECT_EQ(from.port, localPort);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(datagram + 12), 4), "KSIo");
    const uint8_t* block = datagram + 16;
    EXPECT_EQ(block[2] | (block[3] << 8), server.GetNetNode().GetPort());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block + 4)), "Sample");
    EXPECT_EQ(block[44] | (block[45] << 8), 0);
    EXPECT_EQ(block[46] | (block[47] << 8), 3);
    listener.Close();
}

// Without players the server answers as the controller: a node that does not listen keeps the
// plain monster health factor and shows errors in its error list; a listening one with nobody
// joined finds no player near any point and no player of a class, and prints its errors.
TEST(GameServerQueries, WithoutPlayers)
{
    const Difficulty saved = g_Difficulty;
    g_Difficulty.monsterHealth = 1.5f;
    g_Difficulty.monsterHealthMultiplayer.name = "health";
    g_Difficulty.monsterHealthMultiplayer.curve.SetNumKeys(1);
    g_Difficulty.monsterHealthMultiplayer.curve.GetKey(0).value = 2.0f;
    {
        GameServer quiet;
        EXPECT_FLOAT_EQ(quiet.GetMonsterHealthFactor(), 1.5f);
        EXPECT_EQ(quiet.GetCharacterEntryFactor(0), 1.0);
        quiet.ShowError("boom");
        EXPECT_EQ(quiet.GetErrorList().GetSize(), 1);
    }
    {
        ListeningServer listening(false, 3);
        ASSERT_TRUE(listening.listening);
        GameServer& server = listening.server;
        EXPECT_FALSE(server.IsPlayerNear(0.0f, 0.0f, 1e9f));
        EXPECT_EQ(server.GetCharacterEntryFactor(1), 0.0);
        EXPECT_EQ(server.GetMainChar(), nullptr);
        // The reporter has logged the error: the server echoes it on the console only, so that
        // it does not stand twice in the log.
        LogCapture log;
        testing::internal::CaptureStdout();
        server.ShowError("boom");
        EXPECT_NE(testing::internal::GetCapturedStdout().find("boom"), std::string::npos);
        EXPECT_EQ(log.Count("boom"), 0);
        EXPECT_EQ(server.GetErrorList().GetSize(), 0);
    }
    g_Difficulty = saved;
}

// The stop tells every client that the host left, once: a client that heard it already (the
// hosting player left) is not told again. Clients that never close their side hold the stop no
// longer than its grace, and the node's stop closes them afterwards.
TEST(GameServerStop, EveryClientNotYetToldHearsThatTheHostLeftOnce)
{
    ListeningServer s(false, 3);
    ASSERT_TRUE(s.listening);
    std::vector<std::unique_ptr<RawClient>> clients = Connect(s, 3);
    ASSERT_EQ(s.server.GetNumClients(), 3);
    s.server.GetClient(1)->state = GameServer::kClientDisconnecting;
    const auto start = std::chrono::steady_clock::now();
    s.server.TellClientsServerStops();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    const int32_t expected[] = {1, 0, 1};
    for (size_t i = 0; i < clients.size(); ++i) {
        int32_t told = 0;
        Platform::SleepMs(50);
        for (std::vector<uint8_t> message = clients[i]->Take(); !message.empty(); message = clients[i]->Take()) {
            ASSERT_EQ(message.size(), 16u) << i;
            EXPECT_EQ(message[2] | (message[3] << 8), GameNetworkNode::kMsgDisconnectRequest) << i;
            EXPECT_EQ(message[12], GameNetworkNode::kReasonHostLeft) << i;
            ++told;
        }
        EXPECT_EQ(told, expected[i]) << "client " << i;
    }
    EXPECT_EQ(s.server.GetNumClients(), 3) << "nobody closed: the node's stop closes them";
}
