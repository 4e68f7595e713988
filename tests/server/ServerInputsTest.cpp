// ServerInputs: the server's input controllers on the sample game. With a hero of the server's own
// and a fixed random seed, the drone's AI finds the hero, closes in and attacks it.
#include "server/ServerInputs.h"

#include "game/ctrl/GameCtrlTestSupport.h"
#include "game/objects/CreatureObj.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "world/WorldElem.h"

#include "support/ErrorOf.h"
#include "support/SampleGame.h"
#include "support/ScopedGfx.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

// The game's controller that counts the attacks its creatures report.
class AttackCountingCtrl : public SciFiGameCtrl {
public:
    void ReportAttack(WorldElem* creature) override
    {
        SciFiGameCtrl::ReportAttack(creature);
        attackers.push_back(creature);
    }
    std::vector<WorldElem*> attackers;
};

float Distance(WorldElem& a, WorldElem& b)
{
    const D3DXVECTOR2 p = a.GetPos();
    const D3DXVECTOR2 q = b.GetPos();
    return std::hypot(p.x - q.x, p.y - q.y);
}

}  // namespace

TEST(ServerInputs, TheDroneClosesInOnTheHeroAndAttacks)
{
    GameDir dir;
    CopySampleGame(dir);
    const std::string config = FixSampleSeed(dir);
    ASSERT_FALSE(config.empty());
    ScopedGameConfig gameConfig;
    gameConfig.Load(config);
    ScopedGfx gfx;

    auto ctrl = std::make_unique<AttackCountingCtrl>();
    ASSERT_EQ(ErrorOf([&] {
                  ctrl->OpenLocalisationDB();
                  ctrl->EngineInit(1);
                  ctrl->Init();
                  ctrl->SetDifficulty(1, 1, 1);
                  ServerInputs::Register(*ctrl, true);
                  ctrl->StartNewGame("levels\\sample\\sample.cfg");
              }),
              "no error");
    WorldElem* hero = ctrl->GetMainChar();
    WorldElem* drone = ctrl->GetWorld().FindObjectByWorldID("drone1", nullptr);
    ASSERT_NE(hero, nullptr);
    ASSERT_NE(drone, nullptr);
    // The level start gave the drone to the AI's input; the frame step marks the active area
    // around the hero, which the drone stands in.
    ASSERT_NE(drone->m_InputCtrl, nullptr);
    const float start = Distance(*hero, *drone);

    float nearest = start;
    int32_t frames = 0;
    for (; frames < 300; frames++) {
        ctrl->UpdateFrame(1.0f / 30.0f);
        ctrl->ProcessPendingRequests();
        nearest = std::min(nearest, Distance(*hero, *drone));
        if (std::count(ctrl->attackers.begin(), ctrl->attackers.end(), drone) > 0)
            break;
    }
    EXPECT_LT(nearest, start - 100.0f) << "from " << start;
    EXPECT_LT(frames, 300) << "the drone never attacked; nearest " << nearest;
}
