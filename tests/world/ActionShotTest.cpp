// ActionShot and the strategy records: the shot defaults with the controller's damage values, a
// reset that brings the defaults back, and the empty records of a strategy.
#include "world/ActionShot.h"

#include "level/LevelTestSupport.h"
#include "world/ActionAttack.h"
#include "world/KI_Strategy.h"

#include <gtest/gtest.h>

#include <memory>

TEST(ActionShotTest, DefaultsAndReset)
{
    LevelTestCtrl ctrl;
    ActionShot shot;
    EXPECT_EQ(shot.point, 1.0f);  // the part's defaults
    EXPECT_EQ(shot.spdMove, 500.0f);
    EXPECT_EQ(shot.friendlySizeFactor, 0.5f);
    EXPECT_EQ(shot.numShots, 1);
    EXPECT_FLOAT_EQ(shot.scatterAngle, 0.34906584f);
    EXPECT_EQ(shot.maxDist, 2000.0f);
    EXPECT_EQ(shot.mass, 1.0f);
    EXPECT_EQ(shot.childScale[3], 1.0f);
    EXPECT_EQ(shot.lightEveryNthCount, 1);
    EXPECT_EQ(shot.hitLghtFadeOut, 0.12f);
    EXPECT_EQ(shot.lghtCol, 0xFF000000u);
    EXPECT_NE(dynamic_cast<TestDamageValues*>(shot.hitEffects.damage.Get()), nullptr);

    shot.spdMove = 10.0f;
    shot.point = 0.5f;
    shot.onHit = "Boom()";
    shot.Reset();
    EXPECT_EQ(shot.spdMove, 500.0f);
    EXPECT_EQ(shot.point, 1.0f);
    EXPECT_STREQ(shot.onHit.c_str(), "Boom()");  // the strings stay

    ActionAttack attack;
    attack.hitAll = 1;
    attack.point = 0.3f;
    std::unique_ptr<cfDynamicObject> copy(attack.CreateNew());
    attack.CopyTo(copy.get());
    auto* made = dynamic_cast<ActionAttack*>(copy.get());
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->hitAll, 1);
    EXPECT_EQ(made->point, 0.3f);
    made->ResetAttack();
    EXPECT_EQ(made->hitAll, 0);
    EXPECT_EQ(made->point, 1.0f);
}

TEST(ActionShotTest, StrategyRecords)
{
    KI_Strategy strategy;
    for (const KI_StratBlock& block : strategy.blocks) {
        EXPECT_EQ(block.entries.GetSize(), 0);
        EXPECT_EQ(block.decision, 0);
        for (float weight : block.weights)
            EXPECT_EQ(weight, 0.0f);
    }
    EXPECT_EQ(strategy.recalcTime, 1.5f);
    EXPECT_EQ(strategy.alertIfEnemySpot, 1);
    EXPECT_FALSE(strategy.IsEnemyParty(1));
    *strategy.enemyParties.GetBySlot(strategy.enemyParties.Add()) = -2;
    EXPECT_TRUE(strategy.IsEnemyParty(-2));
    KI_StratEntry entry;
    EXPECT_EQ(entry.type, KI_StratEntry::kNotADeed);
    EXPECT_EQ(entry.minMaxDist[1], 999999.0f);
    EXPECT_EQ(entry.findBetterWay, 1);
}
