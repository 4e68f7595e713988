// The bot as a client of a fake server on a copy of the sample game: its walk goes out as a
// player's walk orders (0xA001, kind 0) and, while the server moves no player by them, as
// position updates that close in on the ordered points.
#include "server/SciFiBot.h"

#include "game/objects/CreatureObj.h"
#include "net/GameValueCodec.h"
#include "scifi/input/PlayerCommandCodec.h"
#include "support/SampleClientGame.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

class TestBot : public SciFiBot {
public:
    TestBot() : SciFiBot("bot1") {}
};

class SciFiBotGameTest : public SampleClientGame<TestBot> {
protected:
    // The units of one id that reached the server on both channels.
    std::vector<std::vector<uint8_t>> Units(uint16_t id) const
    {
        std::vector<std::vector<uint8_t>> out;
        for (int channel : {0, 1})
            for (const std::vector<uint8_t>& message : server.Messages(channel)) {
                const GamePacketHeader header = GamePacketHeader::Read(message.data());
                if (header.id != id || header.unitSize <= 0)
                    continue;
                for (size_t at = GamePacketHeader::kSize; at + size_t(header.unitSize) <= message.size();
                     at += size_t(header.unitSize))
                    out.emplace_back(message.begin() + ptrdiff_t(at), message.begin() + ptrdiff_t(at + size_t(header.unitSize)));
            }
        return out;
    }
};

}  // namespace

TEST_F(SciFiBotGameTest, TheWalkGoesOutAsPointOrders)
{
    Connect();
    CreatureObj* drone = dynamic_cast<CreatureObj*>(ctrl->GetWorld().FindObjectByWorldID("drone1", nullptr));
    ASSERT_NE(drone, nullptr);
    const float frame = 1.0f / 30.0f;
    double seconds = 0.0;
    // Around the start for two seconds, then toward the drone until beside it (no frame runs, so
    // the drone stays where it is).
    const float goalX = drone->GetPos().x - SciFiBot::kMeleeDistance, goalY = drone->GetPos().y;
    const CreatureObj& hero = *ctrl->GetMainChar();
    for (int step = 0; step < 600; step++, seconds += frame) {
        ctrl->Act(seconds, 60.0, frame);
        ctrl->FinishPacket();  // as the frame's end does
        if (seconds > SciFiBot::kWalkSeconds && std::hypot(hero.GetPos().x - goalX, hero.GetPos().y - goalY) < 0.01f)
            break;
    }
    ASSERT_LT(std::hypot(hero.GetPos().x - goalX, hero.GetPos().y - goalY), 0.01f);

    std::vector<PlayerCommandCodec::PlayerCommand> orders;
    ASSERT_TRUE(WaitUntil([&] {
        orders.clear();
        for (const std::vector<uint8_t>& unit : Units(PlayerCommandCodec::kMsgPointOrder)) {
            PlayerCommandCodec::PlayerCommand order;
            if (PlayerCommandCodec::DecodePointOrder(unit, order, nullptr))
                orders.push_back(order);
        }
        return !orders.empty() && orders.back().x == goalX && orders.back().y == goalY;
    }));
    EXPECT_GE(orders.size(), 5u);  // the circle's points, then the drone's side
    for (const PlayerCommandCodec::PlayerCommand& order : orders)
        EXPECT_EQ(order.kind, 0u);

    // The position reports after the last order close in on its point.
    std::vector<float> distances;
    ASSERT_TRUE(WaitUntil([&] {
        distances.clear();
        for (const std::vector<uint8_t>& unit : Units(GameNetworkNode::kMsgPosition)) {
            ByteReader in(unit.data(), unit.size());
            const NetObjPos pos = GameValueCodec::ReadNetObjPos(in);
            if (pos.ref.objID == hero.m_ObjID)
                distances.push_back(std::hypot(pos.x - goalX, pos.y - goalY));
        }
        return !distances.empty() && distances.back() < 1.0f;
    }));
    ASSERT_GE(distances.size(), 3u);
    EXPECT_LT(distances.back(), distances[distances.size() - 3]);
}
