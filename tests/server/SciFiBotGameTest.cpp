// The bot as a client of a fake server on a copy of the sample game: its walk goes out as a
// player's walk orders (0xA001, kind 0) and its attack as an object order (0xA002, kind 1); the
// server alone moves its character.
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

TEST_F(SciFiBotGameTest, TheWalkAndTheAttackGoOutAsOrders)
{
    Connect();
    CreatureObj* drone = dynamic_cast<CreatureObj*>(ctrl->GetWorld().FindObjectByWorldID("drone1", nullptr));
    ASSERT_NE(drone, nullptr);
    const float frame = 1.0f / 30.0f;
    double seconds = 0.0;
    // Around the start for two seconds, then toward the drone (no frame runs, so the drone stays
    // where it is, and only a server would move the bot's character).
    const float goalX = drone->GetPos().x - SciFiBot::kMeleeDistance, goalY = drone->GetPos().y;
    CreatureObj& hero = *ctrl->GetMainChar();
    const D3DXVECTOR2 start = hero.GetPos();
    for (int step = 0; step < 90; step++, seconds += frame) {
        ctrl->Act(seconds, 60.0, frame);
        ctrl->FinishPacket();  // as the frame's end does
    }
    EXPECT_EQ(hero.GetPos(), start);

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

    // The server's report of the character beside the drone: the attack goes out as the primary
    // button's order on the drone with the player's melee strategy.
    hero.SetPos(goalX, goalY);
    ctrl->Act(seconds, 60.0, frame);
    ctrl->Act(seconds + frame, 60.0, frame);
    ctrl->FinishPacket();
    EXPECT_TRUE(ctrl->GetSummary().attacked);
    std::vector<PlayerCommandCodec::PlayerCommand> attacks;
    ASSERT_TRUE(WaitUntil([&] {
        attacks.clear();
        for (const std::vector<uint8_t>& unit : Units(PlayerCommandCodec::kMsgObjectOrder)) {
            PlayerCommandCodec::PlayerCommand order;
            if (PlayerCommandCodec::DecodeObjectOrder(unit, order, nullptr))
                attacks.push_back(order);
        }
        return !attacks.empty();
    }));
    EXPECT_EQ(attacks.back().kind, 1u);
    EXPECT_EQ(attacks.back().target.objID, drone->m_ObjID);
    EXPECT_EQ(attacks.back().name, SciFiBot::kAttackStrategy);
    // The bot never told the server where its character stands.
    for (const std::vector<uint8_t>& unit : Units(GameNetworkNode::kMsgPosition)) {
        ByteReader in(unit.data(), unit.size());
        EXPECT_NE(GameValueCodec::ReadNetObjPos(in).ref.objID, hero.m_ObjID);
    }
}
