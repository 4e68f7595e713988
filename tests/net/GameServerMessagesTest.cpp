// The messages only the server writes, byte for byte as a client receives them: their headers
// (id, units, unit size), their payloads with the numbers formed for them, and their routing.
#include "net/GameServer.h"

#include "FakeGameTransport.h"
#include "support/ByteBuilder.h"
#include "world/WorldElem.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int32_t kLink = 1;

// A listening server whose one client (TCP only) reads from queues without sockets.
class MessageServer : public GameServer {
public:
    explicit MessageServer(FakeGameTransport& transport) : GameServer(transport)
    {
        transport.Add(kLink);
        GetNetNode().StartServer(0);
        slot = AddClientRecord(kLink, NetworkNode::ConnectionInfo());
        GetClient(slot)->state = kClientJoined;
    }
    int32_t AddClientInState(int32_t connection, int32_t state)
    {
        const int32_t added = AddClientRecord(connection, NetworkNode::ConnectionInfo());
        GetClient(added)->state = state;
        return added;
    }
    int32_t slot = -1;
};

struct Sent {
    uint16_t id = 0;
    uint32_t count = 0;
    int32_t unitSize = 0;
    std::vector<uint8_t> payload;
};

Sent TakeOne(FakeGameTransport& transport)
{
    const std::vector<std::vector<uint8_t>> messages = transport.TakeSent(kLink);
    EXPECT_EQ(messages.size(), 1u);
    if (messages.size() != 1 || messages[0].size() < size_t(GamePacketHeader::kSize))
        return {};
    const GamePacketHeader header = GamePacketHeader::Read(messages[0].data());
    return {header.id, header.count, header.unitSize,
            std::vector<uint8_t>(messages[0].begin() + GamePacketHeader::kSize, messages[0].end())};
}

}  // namespace

TEST(GameServerMessages, GoldenBytes)
{
    FakeGameTransport transport;
    MessageServer server(transport);
    const double time = server.GetGameTime();
    WorldElem creature;  // an element outside any world is enough for its reference
    creature.m_ObjID = 3;
    creature.m_MyRnd = 0x55;
    const std::string longName(200, 'L');

    ByteBuilder level, shot, aimed, effect, xp, info, action, basics, blood;
    level.bytes.assign(longName.begin(), longName.begin() + 127);
    level.Zeros(1).I32(0x12345678).F64(12.5).I32(server.GetDifficulty());
    shot.I32(4).Append({'f', 'i', 'r', 'e'}).I32(-1).I32(-1).I32(7).F32(float(time)).F32(0.0f).F32(0.0f);
    aimed.I32(4).Append({'f', 'i', 'r', 'e'}).I32(3).I32(0x55).I32(7).F32(float(time)).F32(40.0f).F32(-8.0f);
    effect.I32(4).Append({'h', 'e', 'a', 'l'}).I32(3).I32(0x55).I32(7).F32(float(time)).I32(99);
    xp.I32(-1).I32(-1).F32(150.0f);  // the client has no character yet
    info.I32(256).F32(10.0f).F32(30.0f);
    action.I32(3).I32(0);
    basics.F64(time).U16(uint16_t(server.GetDifficulty()));
    blood.I32(3).U8(128);
    const D3DXVECTOR2 target{40.0f, -8.0f};

    struct Case {
        const char* name;
        std::function<bool()> send;
        uint16_t id;
        int32_t unitSize;
        std::vector<uint8_t> payload;
    };
    const Case cases[] = {
        {"0x1400", [&] { return server.SendGameBasics(server.slot); }, 0x1400, 10, basics.bytes},
        {"0x2001 without a target point", [&] { return server.SendPerformActionShot(nullptr, "fire", 7, nullptr); },
         0x2001, 32, shot.bytes},
        {"0x2001 with one", [&] { return server.SendPerformActionShot(&creature, "fire", 7, &target); }, 0x2001, 32,
         aimed.bytes},
        {"0x2003", [&] { return server.SendPerformActionEffect(&creature, "heal", 7, 99); }, 0x2003, 28, effect.bytes},
        {"0x2400", [&] { return server.SendGainXp(server.slot, 150.0f) && server.FinishPacket(); }, 0x2400, 12,
         xp.bytes},
        {"0x3000 one empty unit", [&] { return server.SendSaveCharacter(); }, 0x3000, 0, {}},
        {"0x4000 with the defaults", [&] { return server.SendServerInfo(server.slot); }, 0x4000, 12, info.bytes},
        {"0x4400 without an action", [&] { return server.SendCurrentAction(&creature, ""); }, 0x4400, 8,
         action.bytes},
        {"0x4500", [&] { return server.SendBloodEffect(server.slot, &creature, 0.5f) && server.FinishPacket(); },
         0x4500, 5, blood.bytes},
        {"0x0400 a long level name keeps 127 characters and a NUL",
         [&] { return server.SendLoadLevelRequest(server.slot, longName.c_str(), 0x12345678, 12.5); }, 0x0400, 144,
         level.bytes},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.send());
        const Sent sent = TakeOne(transport);
        EXPECT_EQ(sent.id, c.id);
        EXPECT_EQ(sent.count, 1u);
        EXPECT_EQ(sent.unitSize, c.unitSize);
        EXPECT_EQ(sent.payload, c.payload);
    }
    EXPECT_EQ(server.GetClient(server.slot)->state, GameServer::kClientLoadRequested);
}

TEST(GameServerMessages, BloodIntensityIsRoundedAndClamped)
{
    const std::pair<float, int> cases[] = {{1.0f, 255}, {0.5f, 128}, {-0.2f, 0}, {1.5f, 255}, {0.0f, 0}};
    for (const auto& [intensity, byte] : cases)
        EXPECT_EQ(GameServer::BloodIntensityByte(intensity), byte) << intensity;
}

// Each message goes only to the clients its routing names: a client still loading hears nothing
// of the game, a client's own message reaches no other client.
TEST(GameServerMessages, RoutingByState)
{
    FakeGameTransport transport;
    MessageServer server(transport);
    transport.Add(kLink + 1);
    const int32_t loading = server.AddClientInState(kLink + 1, GameServer::kClientLevelLoaded);

    ASSERT_TRUE(server.SendSaveCharacter());
    ASSERT_TRUE(server.SendPerformActionShot(nullptr, "fire", 7, nullptr));
    EXPECT_EQ(transport.TakeSent(kLink).size(), 2u);
    EXPECT_TRUE(transport.TakeSent(kLink + 1).empty());

    ASSERT_TRUE(server.SendGameBasics(loading));
    EXPECT_TRUE(transport.TakeSent(kLink).empty());
    EXPECT_EQ(transport.TakeSent(kLink + 1).size(), 1u);
}
