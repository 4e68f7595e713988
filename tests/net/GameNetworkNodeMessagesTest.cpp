// GameNetworkNode's message catalogue: each sender's packet as it arrives at a fake game server
// over loopback, compared with bytes written by hand (the 12-byte game header and the unit);
// batching of position updates; the tolerances of position updates and the last-sent animation
// cycles; a sender into a full queue.
#include "net/GameNetworkNode.h"

#include "FakeGameTransport.h"
#include "LoopbackClientNode.h"
#include "base/File.h"
#include "game/objects/CreatureObj.h"
#include "game/objects/ItemBase.h"
#include "level/Angle.h"
#include "script/ScriptValue.h"
#include "support/ByteBuilder.h"
#include "support/FakeGameServer.h"
#include "support/LogCapture.h"
#include "support/WaitUntil.h"
#include "world/WorldEventPayloads.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kOverTCP = 0;
constexpr int kOverUDP = 1;
constexpr uint32_t kHeroRnd = 0x01020304;
constexpr uint32_t kOtherRnd = 0xA0B0C0D0;

std::vector<uint8_t> Expected(uint16_t id, uint32_t count, int32_t size, const ByteBuilder& units)
{
    ByteBuilder packet;
    packet.U16(0xDEC0).U16(id).I32(int32_t(count)).I32(size).Append(units.bytes);
    return packet.bytes;
}

std::vector<uint8_t> SaveRecord(ItemBase& item)
{
    File file;
    file.CreateMemoryFile(0);
    item.Save(file, 0);
    return BytesOf(file);
}

// A game whose PlayerInfo carries a block of its own.
class MessageNode : public LoopbackClientNode {
public:
    bool WriteExtraPlayerInfo(bool query) override
    {
        if (extraBlock.empty() || query)
            return !extraBlock.empty();
        return WriteData(extraBlock.data(), int32_t(extraBlock.size()), false);
    }
    std::vector<uint8_t> extraBlock;
};

class GameNetworkNodeMessagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.IsListening());
        int32_t reason = -1;
        ASSERT_TRUE(node.ConnectToServer("127.0.0.1", server.GetPort(), false, 20.0, &reason));
        ASSERT_TRUE(WaitUntil([&] { return server.Messages(kOverUDP).size() == 1; }));  // the connect's dummy data
        Place(hero, 5, kHeroRnd, 100.5f, -20.25f, 1.0f);
        Place(other, 9, kOtherRnd, 0.0f, 0.0f, 0.0f);
    }

    static void Place(CreatureObj& c, int32_t id, uint32_t rnd, float x, float y, float angle)
    {
        c.m_ObjID = id;
        c.m_MyRnd = rnd;
        c.m_PosX = x;
        c.m_PosY = y;
        c.m_Angle = angle;
    }

    // What arrives on the channel after the call and the finish of the packet it left open.
    std::vector<std::vector<uint8_t>> Arrivals(int channel, size_t expected, const std::function<void()>& call)
    {
        const size_t before[2] = {server.Messages(kOverTCP).size(), server.Messages(kOverUDP).size()};
        call();
        node.FinishPacket();
        EXPECT_TRUE(WaitUntil([&] { return server.Messages(channel).size() >= before[channel] + expected; }));
        const auto all = server.Messages(channel);
        return std::vector<std::vector<uint8_t>>(all.begin() + std::ptrdiff_t(before[channel]), all.end());
    }

    FakeGameServer server{FakeGameServer::kAccept};
    MessageNode node;
    CreatureObj hero;
    CreatureObj other;
};

}  // namespace

TEST_F(GameNetworkNodeMessagesTest, GoldenBytes)
{
    hero.m_CfgID = "Hero";
    hero.m_ControlFlag = 1;
    node.SetPlayerCharacterID(std::string(200, 'x').c_str());
    node.SetPlayerName(u"Zed");
    for (int32_t i = 0; i < 8; i++)
        node.SetObjScriptVariable(i, i * 10 - 1);
    ItemBase item;
    item.m_Desc = "Sword";
    std::vector<uint8_t> itemBlock = ByteBuilder().U16(275).bytes;
    for (uint8_t b : SaveRecord(item))
        itemBlock.push_back(b);
    PickupRecord pickup;
    pickup.picker.Set(&hero);
    pickup.item = ObjRef(3, 0x55);
    pickup.amount = 2;
    WorldEvent event;
    pickup.Write(event);
    ScriptValue arguments[3];
    arguments[0].SetInt(7);
    arguments[1].SetFloat(0.5);
    arguments[2].SetString("hi");
    const double now = node.GetGameTime();

    const ByteBuilder heroRef = ByteBuilder().I32(5).I32(int32_t(kHeroRnd));
    const ByteBuilder heroRef3 = ByteBuilder(heroRef).I32(4);
    const ByteBuilder heroPos = ByteBuilder(heroRef).F32s({100.5f, -20.25f}).U16(0x3E00);  // angle 1.0
    const ByteBuilder otherRef = ByteBuilder().I32(9).I32(int32_t(kOtherRnd));
    const ByteBuilder wallRef3 = ByteBuilder().I32(12).I32(0).I32(7);
    ObjRef3 wall;
    wall.objID = 12;
    wall.myRnd = 0;
    wall.type = 7;
    const std::string cfgID127 = std::string(127, 'x');
    ByteBuilder heroName = ByteBuilder().Str("Hero");
    heroName.bytes.erase(heroName.bytes.begin(), heroName.bytes.begin() + 4);  // the characters alone

    struct Row {
        const char* name;
        int channel;
        std::function<bool()> send;
        std::vector<uint8_t> expected;
    };
    const Row rows[] = {
        {"position", kOverUDP, [&] { return node.SendPositionUpdate(&hero, 0); },
         Expected(0x0100, 1, 18, heroPos)},
        {"chat", kOverTCP, [&] { return node.SendChatMessage(u"ab", u"c"); },
         Expected(0x0200, 1, 10, ByteBuilder().U16('a').U16('b').U16(0).U16('c').U16(0))},
        {"player info", kOverTCP, [&] { return node.SendPlayerInfo(); },
         Expected(0x0300, 1, 259,
                ByteBuilder().U16(0x0100).Append(std::vector<uint8_t>(cfgID127.begin(), cfgID127.end())).U8(0)
                    .U16('Z').U16('e').U16('d').Zeros(61 * 2).U8(0))},
        {"player info with the game's block", kOverTCP,
         [&] {
             node.extraBlock = {0xAA, 0xBB, 0xCC};
             const bool sent = node.SendPlayerInfo();
             node.extraBlock.clear();
             return sent;
         },
         Expected(0x0300, 1, 262,
                  ByteBuilder().U16(0x0100).Append(std::vector<uint8_t>(cfgID127.begin(), cfgID127.end())).U8(0)
                      .U16('Z').U16('e').U16('d').Zeros(61 * 2).U8(1).U8(0xAA).U8(0xBB).U8(0xCC))},
        {"add object", kOverTCP, [&] { return node.SendAddObject(&hero, 0xCAFE, nullptr, 0); },
         Expected(0x0600, 1, 151, ByteBuilder(heroPos).Append(heroName.bytes).Zeros(124).I32(0xCAFE).U8(0))},
        {"add object with its state", kOverTCP,
         [&] {
             const uint8_t body[3] = {7, 8, 9};
             return node.SendAddObject(&hero, 1, body, 3);
         },
         Expected(0x0600, 1, 154, ByteBuilder(heroPos).Append(heroName.bytes).Zeros(124).I32(1).U8(1).U8(7).U8(8).U8(9))},
        {"set hosting char", kOverTCP, [&] { return node.SendSetHostingChar(); }, Expected(0x0701, 1, 0, ByteBuilder())},
        {"level loaded", kOverTCP, [&] { return node.SendLevelLoaded(); }, Expected(0x0500, 1, 0, ByteBuilder())},
        {"creature set movement", kOverTCP, [&] { return node.SendCreatureSetMovement(&hero, 3, 1.0f, 2.0f, 0.5f, &other); },
         Expected(0x0800, 1, 29, ByteBuilder().I32(5).I32(3).U8(1).F32s({1.0f, 2.0f, 0.5f}).Append(otherRef.bytes))},
        {"creature set rotation value", kOverTCP, [&] { return node.SendCreatureSetRotVal(&hero, 0.25f); },
         Expected(0x0801, 1, 12, ByteBuilder(heroRef).F32(0.25f))},
        {"delete object", kOverTCP, [&] { return node.SendDeleteObject(ObjRef3(&hero), true, false); },
         Expected(0x0A00, 1, 14, ByteBuilder(heroRef3).U8(1).U8(0))},
        {"dummy data", kOverUDP, [&] { return node.SendDummyData(3, true); }, Expected(0x0B00, 1, 3, ByteBuilder().Zeros(3))},
        {"object action", kOverTCP, [&] { return node.SendObjectAction(77, 0x0102, -1.5f); },
         Expected(0x0C00, 1, 10, ByteBuilder().I32(77).U16(0x0102).F32(-1.5f))},
        {"world event", kOverTCP, [&] { return node.SendWorldEvent(event); },
         Expected(0x0D00, 1, 22, ByteBuilder().U16(5).Append(heroRef.bytes).I32(3).I32(0x55).I32(2))},
        {"set equipment", kOverTCP, [&] { return node.SendSetEquipment(&hero, 3, &item); },
         Expected(0x0E00, 1, int32_t(10 + itemBlock.size()), ByteBuilder(heroRef).U16(3).Append(itemBlock))},
        {"sync request", kOverTCP, [&] { return node.SendSyncRequest(1, ObjRef3(&other)); },
         Expected(0x1000, 1, 13, ByteBuilder().U8(1).Append(otherRef.bytes).I32(4))},
        {"sync requests done", kOverTCP, [&] { return node.SendSyncRequestsDone(); }, Expected(0x1001, 1, 0, ByteBuilder())},
        {"level synced", kOverTCP, [&] { return node.SendLevelSynced(); }, Expected(0x1200, 1, 0, ByteBuilder())},
        {"drop item", kOverTCP, [&] { return node.SendDropItem(&hero, &item); },
         Expected(0x1300, 1, int32_t(8 + itemBlock.size()), ByteBuilder(heroRef).Append(itemBlock))},
        {"use object", kOverTCP, [&] { return node.SendUseObject(&other, ObjRef(5, kHeroRnd), 2); },
         Expected(0x1500, 1, 21, ByteBuilder().Append(otherRef.bytes).I32(4).Append(heroRef.bytes).U8(2))},
        {"run script", kOverTCP, [&] { return node.SendRunScript("Kill(obj);"); },
         Expected(0x1600, 1, 46,
                ByteBuilder().I32(-1).I32(9).I32(19).I32(29).I32(39).I32(49).I32(59).I32(69).Str("Kill(obj);"))},
        {"run script function", kOverTCP,
         [&] { return node.SendRunScriptFunction("SetHealth", arguments, 3, &hero, 1); },
         Expected(0x1700, 1, 13 + 21 + 5 + 9 + 7,
                ByteBuilder().Str("SetHealth").Append(heroRef3.bytes).F64(now).U8(1)
                    .U8(1).I32(7).U8(2).F64(0.5).U8(3).Str("hi"))},
        {"delete wall", kOverTCP, [&] { return node.SendDeleteWall(wall, true); },
         Expected(0x1800, 1, 13, ByteBuilder(wallRef3).U8(1))},
        {"creature set action", kOverTCP, [&] { return node.SendCreatureSetAction(&hero, 12, "Slash", &other, 40, 0.75f); },
         Expected(0x1900, 1, 24 + 9,
                ByteBuilder().I32(5).I32(12).I32(40).F32(0.75f).Append(otherRef.bytes).Str("Slash"))},
        {"set health", kOverTCP, [&] { return node.SendSetHealth(&hero, 37.5f); },
         Expected(0x2100, 1, 12, ByteBuilder(heroRef).F32(37.5f))},
        {"creature killed", kOverTCP, [&] { return node.SendCreatureKilled(&hero); }, Expected(0x2300, 1, 8, heroRef)},
        {"dialog answered", kOverTCP, [&] { return node.SendDialogAnswered(2); }, Expected(0x2500, 1, 4, ByteBuilder().I32(2))},
        {"revive creature", kOverTCP, [&] { return node.SendReviveCreature(&hero, 1); },
         Expected(0x2600, 1, 12, ByteBuilder(heroRef).I32(1))},
        {"char level change", kOverTCP, [&] { return node.SendCharLevelChange(&hero, 6); },
         Expected(0x4100, 1, 12, ByteBuilder(heroRef).I32(6))},
        {"load checkpoint", kOverTCP, [&] { return node.SendLoadCheckpoint(4); }, Expected(0x4200, 1, 4, ByteBuilder().I32(4))},
        {"restart level", kOverTCP, [&] { return node.SendRestartLevel(); }, Expected(0x4300, 1, 0, ByteBuilder())},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        bool sent = false;
        const auto arrived = Arrivals(row.channel, 1, [&] { sent = row.send(); });
        EXPECT_TRUE(sent);
        ASSERT_EQ(arrived.size(), 1u);
        EXPECT_EQ(arrived[0], row.expected);
    }
}

// Position updates of one frame share a UDP packet until another message ends it.
TEST_F(GameNetworkNodeMessagesTest, PositionUpdatesAreBatched)
{
    auto batch = Arrivals(kOverUDP, 1, [&] {
        node.SendPositionUpdate(&hero, 0);
        node.SendPositionUpdate(&other, 0);
    });
    ASSERT_EQ(batch.size(), 1u);
    EXPECT_EQ(GamePacketHeader::Read(batch[0].data()).count, 2u);
    EXPECT_EQ(batch[0].size(), size_t(12 + 2 * 18));

    hero.m_PosX += 10.0f;
    other.m_PosX += 10.0f;
    const size_t chats = server.Messages(kOverTCP).size();
    batch = Arrivals(kOverUDP, 2, [&] {
        node.SendPositionUpdate(&hero, 0);
        node.SendChatMessage(u"ab", u"c");
        node.SendPositionUpdate(&other, 0);
    });
    ASSERT_EQ(batch.size(), 2u);
    for (const auto& packet : batch)
        EXPECT_EQ(GamePacketHeader::Read(packet.data()).count, 1u);
    EXPECT_TRUE(WaitUntil([&] { return server.Messages(kOverTCP).size() == chats + 1; }));
}

TEST_F(GameNetworkNodeMessagesTest, PositionTolerances)
{
    Place(hero, 5, kHeroRnd, 0.0f, 0.0f, 0.0f);
    ASSERT_TRUE(node.SendPositionUpdate(&hero, 0));  // the first update always goes
    const float degree = Angle::kDegToRad;
    struct Case {
        const char* what;
        float x;
        float angle;
        int32_t slot;
        bool sent;
        float rememberedX;  // in the slot used
    };
    const Case cases[] = {
        {"0.9 units and 4 degrees", 0.9f, 4 * degree, 0, false, 0.0f},
        {"1.1 units", 1.1f, 0.0f, 0, true, 1.1f},
        {"6 degrees", 1.1f, 6 * degree, 0, true, 1.1f},
        {"slot 7 is slot 3, first use", 1.1f, 6 * degree, 7, true, 1.1f},
        {"slot 3 after slot 7", 1.5f, 6 * degree, 3, false, 1.1f},
        {"slot -2 is slot 0", 1.5f, 6 * degree, -2, false, 1.1f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        hero.m_PosX = c.x;
        hero.m_Angle = c.angle;
        EXPECT_EQ(node.SendPositionUpdate(&hero, c.slot), c.sent);
        const int32_t slot = c.slot < 0 ? 0 : (c.slot > 3 ? 3 : c.slot);
        EXPECT_EQ(hero.m_LastSentPos[slot][0], c.rememberedX);
    }
    EXPECT_EQ(hero.m_LastSentAngle[0], 6 * degree);
    EXPECT_EQ(other.m_LastSentPos[2][1], WorldElem::kNeverSent);
}

TEST_F(GameNetworkNodeMessagesTest, AnimationCycleUpdates)
{
    hero.m_CyclePlayers[0].cycleNumber = 5;
    auto arrived = Arrivals(kOverUDP, 1, [&] { EXPECT_TRUE(node.SendAnicycleUpdate(&hero, false)); });
    ASSERT_EQ(arrived.size(), 1u);
    EXPECT_EQ(GamePacketHeader::Read(arrived[0].data()).id, 0x0900);
    EXPECT_EQ(hero.m_CyclePlayers[0].sentCycleWord, 5);

    const size_t udp = server.Messages(kOverUDP).size();
    EXPECT_FALSE(node.SendAnicycleUpdate(&hero, false));  // unchanged
    arrived = Arrivals(kOverTCP, 1, [&] { EXPECT_TRUE(node.SendAnicycleUpdate(&hero, true)); });
    ASSERT_EQ(arrived.size(), 1u);
    EXPECT_EQ(arrived[0], Expected(0x0900, 1, 12,
                                 ByteBuilder().I32(5).U16(5).U16(hero.m_CyclePlayers[0].sentSpeedWord)
                                     .U16(hero.m_CyclePlayers[1].sentCycleWord)
                                     .U16(hero.m_CyclePlayers[1].sentSpeedWord)));
    EXPECT_EQ(server.Messages(kOverUDP).size(), udp);
}

// A sender whose unit does not fit leaves the queue as it was: the next message goes out whole,
// and an animation-cycle update that was not sent is not taken as sent.
TEST(GameNetworkNodeQueueTest, FullQueue)
{
    class QueueNode : public GameNetworkNode {
    public:
        explicit QueueNode(FakeGameTransport& transport) : GameNetworkNode(transport)
        {
            transport.Add(1, 96);
            transport.Add(2, RingQueue::kMinCapacity);  // room for no packet at all
            SetConnections(1, -1);
            SetConnectionState(eRunningGame);
        }
    };
    FakeGameTransport transport;
    QueueNode node(transport);
    LogCapture log;
    CreatureObj hero;
    hero.m_ObjID = 5;

    EXPECT_FALSE(node.SendRunScript(std::string(200, 'a').c_str()));
    EXPECT_TRUE(node.SendSetHealth(&hero, 1.0f));
    EXPECT_TRUE(node.SendSetHealth(&hero, 2.0f));
    EXPECT_TRUE(node.FinishPacket());
    const auto sent = transport.TakeSent(1);
    ASSERT_EQ(sent.size(), 1u);
    const GamePacketHeader header = GamePacketHeader::Read(sent[0].data());
    EXPECT_EQ(header.id, 0x2100);
    EXPECT_EQ(header.count, 2u);
    EXPECT_EQ(sent[0].size(), size_t(12 + 2 * 12));
    EXPECT_EQ(log.Count("exceeds the sending queue of connection 1"), 1);

    node.SetConnections(2, -1);
    hero.m_CyclePlayers[1].cycleNumber = 8;
    EXPECT_FALSE(node.SendAnicycleUpdate(&hero, false));
    EXPECT_EQ(hero.m_CyclePlayers[1].sentCycleWord, 0xFFFF);  // still what the peer has
    EXPECT_TRUE(transport.TakeSent(2).empty());
}
