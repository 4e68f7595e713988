// GameNetworkNode: the clock slew, the receive loop's join-time filter and deferral with the replay
// after SetMainChar, the sync limit per frame, the deferred buffer's bound, an error while a message
// is applied, and the controller's answers by connection state. Messages travel over queues
// without sockets; the connecting tests are in GameNetworkNodeConnectTest.cpp.
#include "net/GameNetworkNode.h"

#include "FakeGameTransport.h"
#include "base/DXC_Base.h"
#include "base/ByteReader.h"
#include "net/GameValueCodec.h"
#include "support/ByteBuilder.h"
#include "support/GamePacketBytes.h"
#include "support/LogCapture.h"
#include "support/TestClock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <span>
#include <utility>
#include <vector>

namespace {

constexpr int32_t kTCPID = 1;
constexpr int32_t kUDPID = 2;

// The node over queues; it records every message it dispatches, and message 0x7777 raises an
// error as a handler whose data does not fit the world would, 0x7778 the engine's error of a
// damaged scene file.
class QueueNode : public GameNetworkNode {
public:
    explicit QueueNode(FakeGameTransport& transport) : GameNetworkNode(transport)
    {
        transport.Add(kTCPID, 65536, 8 << 20);
        transport.Add(kUDPID);
        SetConnections(kTCPID, kUDPID);
    }
    void DispatchMessage(const GamePacketHeader& header) override
    {
        dispatched.push_back(header.id);
        if (header.id == 0x7777)
            Error("Game out of sync - objID not available: %i", 12);
        if (header.id == 0x7778)
            DXC_Base().Error("Not a scene file: %s", "meshes\\hero.rtx");
        GameNetworkNode::DispatchMessage(header);
    }
    // A node without a world has no character to hand over (the handover is tested on the game).
    void HandleSetMainChar() override { SetConnectionState(eRunningGame); }
    void HandleReceivedWorldEvent(uint16_t type, std::span<const uint8_t> data) override
    {
        worldEvents.emplace_back(type, std::vector<uint8_t>(data.begin(), data.end()));
    }
    void Slew(float dt) { AdvanceGameTime(dt); }
    void RequestLevel(const char* name) { std::snprintf(m_LevelLoad.levelName, sizeof m_LevelLoad.levelName, "%s", name); }
    double Time() const { return m_GameTime; }
    void SetTime(double t) { m_GameTime = t; }

    std::vector<uint16_t> dispatched;
    std::vector<std::pair<uint16_t, std::vector<uint8_t>>> worldEvents;
};

class GameNetworkNodeTest : public ::testing::Test {
protected:
    FakeGameTransport transport;
    QueueNode node{transport};
};

}  // namespace

TEST_F(GameNetworkNodeTest, ClockSlew)
{
    struct Case {
        int32_t state;
        double ahead;
        double expectedAdvance;
        bool keepsSlewing;
    };
    const Case cases[] = {
        {GameNetworkNode::eRunningGame, 0.5, 0.05 + 0.1, true},    // slewed: 0.5 x 0.1, plus the step
        {GameNetworkNode::eRunningGame, -0.5, -0.05 + 0.1, true},  // behind: slewed back
        {GameNetworkNode::eRunningGame, 0.05, 0.01 + 0.1, true},   // the slew is at least 0.1 x dt
        {GameNetworkNode::eRunningGame, 1.5, 1.5 + 0.1, false},    // too far: jumps, slewing ends
        {GameNetworkNode::eSynced, 0.5, 0.1, true},                // not in the game: the plain step
    };
    for (const Case& c : cases) {
        node.SetConnectionState(c.state);
        node.SetTime(100.0);
        node.SetTimeSlewTarget(100.0 + c.ahead);
        node.Slew(0.1f);
        EXPECT_NEAR(node.Time() - 100.0, c.expectedAdvance, 1e-6) << c.ahead << " in state " << c.state;
        if (c.state != GameNetworkNode::eRunningGame)
            continue;
        if (c.keepsSlewing) {
            EXPECT_NEAR(node.GetTimeSlewTarget(), 100.0 + c.ahead + 0.1, 1e-6);
        } else {
            EXPECT_EQ(node.GetTimeSlewTarget(), -1.0);
        }
    }
}

TEST_F(GameNetworkNodeTest, JoinDefersTCPMessagesUntilSetMainChar)
{
    node.SetConnectionState(GameNetworkNode::eSyncRequested);
    transport.Arrive(kTCPID, GamePacketBytes(0x0100, 1, 18));
    transport.Arrive(kTCPID, GamePacketBytes(0x0F01, 1, 0));
    transport.Arrive(kTCPID, GamePacketBytes(0x0D00, 1, 9));
    transport.Arrive(kUDPID, GamePacketBytes(0x0100, 2, 18));
    node.ReceiveMessages();
    EXPECT_EQ(node.dispatched, (std::vector<uint16_t>{0x0F01}));  // the join message at once
    EXPECT_GT(node.GetDeferredBytes(), 0);
    EXPECT_EQ(transport.GetNumBytesWaiting(kUDPID), 0);  // the UDP position is gone

    transport.Arrive(kTCPID, GamePacketBytes(0x0700, 1, 22));
    transport.Arrive(kTCPID, GamePacketBytes(0x0B00, 1, 4));
    node.ReceiveMessages();
    // SetMainChar, the two deferred ones in their order, then what came after SetMainChar.
    EXPECT_EQ(node.dispatched, (std::vector<uint16_t>{0x0F01, 0x0700, 0x0100, 0x0D00, 0x0B00}));
    EXPECT_EQ(node.GetConnectionState(), GameNetworkNode::eRunningGame);
    EXPECT_EQ(node.GetDeferredBytes(), 0);
    EXPECT_EQ(transport.GetNumBytesWaiting(kTCPID), 0);
}

TEST_F(GameNetworkNodeTest, FiftyRequestedSyncsPerFrame)
{
    node.SetConnectionState(GameNetworkNode::eSyncing);
    for (int32_t i = 0; i < 120; ++i)
        transport.Arrive(kTCPID, GamePacketBytes(0x1101, 1, 8));
    std::vector<size_t> perFrame;
    for (int32_t frame = 0; frame < 4; ++frame) {
        const size_t before = node.dispatched.size();
        node.ReceiveMessages();
        perFrame.push_back(node.dispatched.size() - before);
    }
    EXPECT_EQ(perFrame, (std::vector<size_t>{50, 50, 20, 0}));
}

TEST_F(GameNetworkNodeTest, DeferredBufferIsBounded)
{
    LogCapture log;
    node.SetConnectionState(GameNetworkNode::eSyncing);
    const std::vector<uint8_t> big = GamePacketBytes(0x0D00, 1, 60000);
    for (int32_t i = 0; i < 80; ++i)  // 4.8 MB, more than the buffer may hold
        transport.Arrive(kTCPID, big);
    node.ReceiveMessages();
    EXPECT_EQ(node.GetConnectionState(), GameNetworkNode::eDisconnected);
    EXPECT_EQ(log.Count("Deferred messages exceed 4194304 bytes while joining: connection closed"), 1);
    EXPECT_LE(node.GetDeferredBytes(), GameNetworkNode::kMaxDeferredBytes);
    EXPECT_TRUE(node.dispatched.empty());
}

TEST_F(GameNetworkNodeTest, ErrorWhileApplyingEndsTheConnectionNotTheProgram)
{
    const struct {
        uint16_t id;
        const char* line;
    } cases[] = {
        {0x7777, "Connection to the server closed: message 0x7777: Game out of sync - objID not available: 12"},
        {0x7778, "Connection to the server closed: message 0x7778: Not a scene file: meshes\\hero.rtx"},
    };
    for (const auto& test : cases) {
        FakeGameTransport transport;
        QueueNode node(transport);
        LogCapture log;
        node.SetConnectionState(GameNetworkNode::eRunningGame);
        transport.Arrive(kTCPID, GamePacketBytes(test.id, 1, 4));
        transport.Arrive(kTCPID, GamePacketBytes(0x0B00, 1, 4));
        EXPECT_NO_THROW(node.ReceiveMessages());
        EXPECT_EQ(node.dispatched, (std::vector<uint16_t>{test.id}));
        EXPECT_EQ(node.GetConnectionState(), GameNetworkNode::eDisconnected);
        EXPECT_EQ(node.GetTCPConnection(), -1);
        EXPECT_EQ(log.Count(test.line), 1);
    }
}

TEST_F(GameNetworkNodeTest, LevelTheServerNamesMustLoad)
{
    LogCapture log;
    node.SetConnectionState(GameNetworkNode::eLoadingLevel);
    node.RequestLevel("levels\\nowhere\\none.cfg");
    EXPECT_NO_THROW(node.UpdateFrame(0.05f));
    EXPECT_EQ(node.GetConnectionState(), GameNetworkNode::eDisconnected);
    EXPECT_EQ(log.Count("Connection to the server closed: level load: "), 1);
}

TEST_F(GameNetworkNodeTest, UnknownMessagesAreLoggedWithTraffic)
{
    LogCapture log;
    node.GetNetworkSettings().logNetworkTraffic = 1;
    node.SetConnectionState(GameNetworkNode::eRunningGame);
    transport.Arrive(kTCPID, GamePacketBytes(0x3456, 1, 4));
    transport.Arrive(kUDPID, GamePacketBytes(0x0B00, 1, 8));
    node.ReceiveMessages();
    EXPECT_EQ(node.dispatched, (std::vector<uint16_t>{0x3456, 0x0B00}));
    EXPECT_EQ(log.Count("Unknown packet received: 0x3456"), 1);
    EXPECT_EQ(log.Count("Unknown packet received: 0x0B00"), 0);
}

TEST_F(GameNetworkNodeTest, AnimationCycleUnitsAreBatched)
{
    AnicycleUnit first;
    first.objID = 42;
    first.moveCycle = 0x4005;
    first.moveValue = 0x3E00;
    AnicycleUnit second = first;
    second.objID = 43;
    node.SendAnicycle(first, true);
    node.SendAnicycle(second, true);
    node.FinishPacket();
    const std::vector<std::vector<uint8_t>> sent = transport.TakeSent(kUDPID);
    ASSERT_EQ(sent.size(), 1u);
    const GamePacketHeader header = GamePacketHeader::Read(sent[0].data());
    EXPECT_EQ(header.id, 0x0900);
    EXPECT_EQ(header.count, 2u);
    EXPECT_EQ(header.unitSize, AnicycleUnit::kSize);
    ASSERT_EQ(sent[0].size(), size_t(GamePacketHeader::kSize + 2 * AnicycleUnit::kSize));
    ByteReader in(sent[0].data() + GamePacketHeader::kSize, 2 * AnicycleUnit::kSize);
    EXPECT_EQ(GameValueCodec::ReadAnicycleUnit(in).objID, 42);
    const AnicycleUnit back = GameValueCodec::ReadAnicycleUnit(in);
    EXPECT_EQ(back.objID, 43);
    EXPECT_EQ(back.moveCycle, 0x4005);
    EXPECT_EQ(back.actionCycle, AnicycleUnit::kNoCycle);
}

TEST_F(GameNetworkNodeTest, AnswersByConnectionState)
{
    GameCtrl plain;
    // Unconnected, the node answers as the engine's controller does.
    float progress = -1.0f;
    EXPECT_EQ(node.IsJoiningNetworkGame(&progress), plain.IsJoiningNetworkGame(&progress));
    EXPECT_EQ(node.AllowsInput(), plain.AllowsInput());
    EXPECT_EQ(node.IsRunning(), plain.IsRunning());
    EXPECT_EQ(node.IsNetworkClient(), plain.IsNetworkClient());
    EXPECT_EQ(node.IsGameRunning(), plain.IsGameRunning());
    EXPECT_EQ(node.IsNetworkGame(), plain.IsNetworkGame());
    EXPECT_EQ(node.IsMultiplayerGame(), plain.IsMultiplayerGame());
    EXPECT_EQ(node.CanRunScriptLocally(0), plain.CanRunScriptLocally(0));
    EXPECT_EQ(node.CanRunScriptLocally(1), plain.CanRunScriptLocally(1));

    node.SetConnectionState(GameNetworkNode::eSyncing);
    node.SetSyncCounts(10, 4);
    EXPECT_TRUE(node.IsJoiningNetworkGame(&progress));
    EXPECT_FLOAT_EQ(progress, 0.6f);
    EXPECT_FALSE(node.AllowsInput());
    EXPECT_FALSE(node.IsRunning());
    EXPECT_TRUE(node.IsNetworkClient());
    EXPECT_TRUE(node.IsGameRunning());
    EXPECT_TRUE(node.IsMultiplayerGame());
    EXPECT_FALSE(node.CanRunScriptLocally(0));
    EXPECT_TRUE(node.CanRunScriptLocally(1));

    node.SetSyncCounts(0, 0);
    EXPECT_TRUE(node.IsJoiningNetworkGame(&progress));
    EXPECT_EQ(progress, 0.0f);
    node.SetConnectionState(GameNetworkNode::eRunningGame);
    EXPECT_FALSE(node.IsJoiningNetworkGame(&progress));
    EXPECT_TRUE(node.AllowsInput());
}

// A joining frame gives the server 40 ms; with the debug switch a join that receives no sync for
// 10 s dumps what it still waits for, once.
TEST_F(GameNetworkNodeTest, StalledSyncIsDumpedOnce)
{
    TestClock clock;
    LogCapture log;
    node.SetDebugMode(1);
    node.SetConnectionState(GameNetworkNode::eSyncing);
    node.SetSyncCounts(3, 1);
    ObjRef3* ref = node.GetRequestedSyncList().GetBySlot(node.GetRequestedSyncList().Add());
    ref->objID = 5;
    ref->type = 6;
    for (int32_t frame = 0; frame < 300; ++frame)
        node.UpdateFrame(0.0f);
    EXPECT_EQ(clock.Sleeps().size(), 300u);
    EXPECT_EQ(clock.Sleeps().front(), 40u);
    EXPECT_EQ(log.Count("m_NumberOfObjSyncsToReceive = 1"), 1);
    EXPECT_EQ(log.Count("m_RequestedSyncList.GetSize = 1"), 1);
    EXPECT_EQ(log.Count("object 5: NULL"), 1);

    node.SetConnectionState(GameNetworkNode::eRunningGame);
    node.UpdateFrame(0.0f);
    EXPECT_EQ(clock.Sleeps().size(), 300u);  // the running game does not wait
}

TEST(GameNetworkNodeTexts, StatesAndReasons)
{
    EXPECT_STREQ(GameNetworkNode::ConnectionStateName(0, 0).c_str(), "eDisconnected");
    EXPECT_STREQ(GameNetworkNode::ConnectionStateName(6, 12).c_str(), "eSyncRequested: 12");
    EXPECT_STREQ(GameNetworkNode::ConnectionStateName(7, 3).c_str(), "eSyncing: 3");
    EXPECT_STREQ(GameNetworkNode::ConnectionStateName(9, 0).c_str(), "unknown: 9");
    EXPECT_STREQ(GameNetworkNode::ConnectionStateName(10, 0).c_str(), "eRunningGame");
    EXPECT_STREQ(GameNetworkNode::DisconnectReasonText(4).c_str(), "DB:net_max_players");
    EXPECT_STREQ(GameNetworkNode::DisconnectReasonText(5).c_str(), "DB:net_timeout");
    EXPECT_STREQ(GameNetworkNode::DisconnectReasonText(7).c_str(),
                 "Server rejected connection for an unknown reason: 7");
}

namespace {

std::vector<uint8_t> Message(uint16_t id, uint32_t count, int32_t size, const ByteBuilder& units)
{
    return GamePacketBytes(id, count, size, units.bytes);
}

std::vector<uint16_t> SentIDs(FakeGameTransport& transport)
{
    std::vector<uint16_t> ids;
    for (const std::vector<uint8_t>& message : transport.TakeSent(kTCPID))
        ids.push_back(GamePacketHeader::Read(message.data()).id);
    return ids;
}

}  // namespace

// The last outstanding request answered by "not existing" completes the synchronisation as a sync
// would: the join must not stall.
TEST_F(GameNetworkNodeTest, TheLastRequestAnsweredByNotExistingCompletesTheSync)
{
    node.SetConnectionState(GameNetworkNode::eSyncRequested);
    const ObjRef3 ref = [] {
        ObjRef3 r;
        r.objID = 7;
        r.myRnd = 1234;
        r.type = 3;
        return r;
    }();
    *node.GetRequestedSyncList().GetBySlot(node.GetRequestedSyncList().Add()) = ref;
    node.SetSyncCounts(1, 1);
    transport.Arrive(kTCPID, Message(0x1102, 1, 12, ByteBuilder().I32(7).I32(1234).I32(3)));
    node.ReceiveMessages();
    EXPECT_EQ(node.GetConnectionState(), GameNetworkNode::eSynced);
    EXPECT_EQ(node.GetSyncsExpected(), 0);
    EXPECT_EQ(node.GetRequestedSyncList().GetSize(), 0);
    EXPECT_EQ(SentIDs(transport), (std::vector<uint16_t>{0x1200}));
}

// A broken server's message is dropped and the client stays connected: units of the wrong size,
// object IDs out of range, a block whose name claims more bytes than the unit has.
TEST_F(GameNetworkNodeTest, MalformedMessagesAreDroppedAndTheLinkStays)
{
    const struct {
        uint16_t id;
        uint32_t count;
        int32_t size;
        ByteBuilder units;
    } cases[] = {
        {0x0100, 1, 5, ByteBuilder().Zeros(5)},
        {0x0100, 1, 18, ByteBuilder().I32(99999999).I32(0).F32s({1, 2, 3}).Zeros(2)},
        {0x0400, 1, 10, ByteBuilder().Zeros(10)},
        {0x0900, 1, 12, ByteBuilder().I32(-5).Zeros(8)},
        {0x0D00, 1, 1, ByteBuilder().Zeros(1)},
        {0x0E00, 1, 9, ByteBuilder().Zeros(9)},
        {0x0E00, 1, 12, ByteBuilder().I32(99999999).I32(0).U16(0).U16(275)},
        {0x0F00, 2, 7, ByteBuilder().Zeros(14)},
        {0x1101, 1, 5, ByteBuilder().Zeros(5)},
        {0x1101, 1, 25, ByteBuilder().U8(0).I32(1).I32(0).I32(2).U16(0x0113).I32(1000000000).Zeros(2)},
        {0x1102, 1, 3, ByteBuilder().Zeros(3)},
        {0x1400, 1, 1, ByteBuilder().Zeros(1)},
        {0x1600, 1, 40, ByteBuilder().Zeros(32).I32(1000).Zeros(4)},
        {0x2100, 1, 12, ByteBuilder().I32(99999999).I32(0).F32(5)},
        {0x2400, 1, 3, ByteBuilder().Zeros(3)},
        {0x2900, 1, 12, ByteBuilder().I32(-1).I32(0).F32(5)},
        {0x4000, 1, 3, ByteBuilder().Zeros(3)},
        {0x4001, 1, 2, ByteBuilder().Zeros(2)},
        {0x4100, 1, 12, ByteBuilder().I32(1 << 30).I32(0).I32(3)},
        {0x4500, 1, 5, ByteBuilder().I32(99999999).U8(255)},
    };
    for (const auto& test : cases) {
        node.SetConnectionState(GameNetworkNode::eRunningGame);
        transport.Arrive(kTCPID, Message(test.id, test.count, test.size, test.units));
        node.ReceiveMessages();
        EXPECT_EQ(node.GetConnectionState(), GameNetworkNode::eRunningGame) << std::hex << test.id;
    }
}

TEST_F(GameNetworkNodeTest, TimeSyncSetsTheSlewTarget)
{
    node.SetConnectionState(GameNetworkNode::eRunningGame);
    transport.Arrive(kTCPID, Message(0x2800, 1, 8, ByteBuilder().F64(123.5)));
    node.ReceiveMessages();
    EXPECT_EQ(node.GetTimeSlewTarget(), 123.5);
}

// Each unit's type and the data after it reach the world event handler; a unit too short for its
// type, or longer than any event, drops the message.
TEST_F(GameNetworkNodeTest, WorldEventUnits)
{
    node.SetConnectionState(GameNetworkNode::eRunningGame);
    transport.Arrive(kTCPID, Message(0x0D00, 2, 4, ByteBuilder().U16(6).U16(0x0201).U16(9).U16(0x0403)));
    transport.Arrive(kTCPID, Message(0x0D00, 1, 2, ByteBuilder().U16(12)));
    transport.Arrive(kTCPID, Message(0x0D00, 1, 1, ByteBuilder().U8(5)));
    const int32_t tooLong = 2 + GameNetworkNode::kMaxWorldEventData + 1;
    transport.Arrive(kTCPID, Message(0x0D00, 1, tooLong, ByteBuilder().U16(5).Zeros(size_t(tooLong - 2))));
    node.ReceiveMessages();
    using Event = std::pair<uint16_t, std::vector<uint8_t>>;
    EXPECT_EQ(node.worldEvents, (std::vector<Event>{{6, {1, 2}}, {9, {3, 4}}, {12, {}}}));
    EXPECT_EQ(node.GetConnectionState(), GameNetworkNode::eRunningGame);
}
