// GameCtrl AI strategy definitions: strategy keys, event blocks and their deeds with the
// defaults by deed, state masks, scores, targets and positions, skipped and unknown blocks, the
// errors, and the hook after a load.
#include "game/ctrl/GameCtrl.h"

#include "GameCtrlTestSupport.h"
#include "world/KI_Strategy.h"

#include "support/ErrorOf.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr float kPi = 3.1415927f;

// Counts the loads it is told of.
class StrategyCtrl : public WorldGameCtrl {
public:
    void OnStrategiesLoaded() override { loads++; }
    int32_t loads = 0;
};

const KI_StratEntry& Deed(KI_Strategy& strategy, int32_t block, int32_t position)
{
    const KI_StratEntry* deed = strategy.blocks[block].entries.GetAt(position);
    EXPECT_NE(deed, nullptr);
    return *deed;
}

}  // namespace

TEST(GameCtrlStrategiesTest, StrategiesAndDeeds)
{
    GameDir dir;
    CopyFixture(dir, "strategy.cfg", "cfg/strategy.cfg");
    StrategyCtrl ctrl;
    LogCapture log;
    ctrl.LoadStrategies();
    EXPECT_EQ(log.Count("Warning"), 0);  // ";FLEE" is passed over without a word
    EXPECT_EQ(log.Count("Strategies loaded"), 1);
    EXPECT_EQ(ctrl.loads, 1);
    ctrl.LoadStrategies();  // unchanged: neither read nor reported again
    EXPECT_EQ(ctrl.loads, 1);

    KI_Strategy* wander = ctrl.World().FindStrategyEntry("Wander", true);
    EXPECT_STREQ(wander->name.c_str(), "Wander");
    EXPECT_EQ(wander->attackRadiusBack, 300.0f);  // none given: the attack radius
    ASSERT_EQ(wander->enemyParties.GetSize(), 2);
    EXPECT_EQ(*wander->enemyParties.GetAt(0), 1);
    EXPECT_EQ(*wander->enemyParties.GetAt(1), -2);
    EXPECT_EQ(wander->alertIfEnemySpot, 1);
    KI_StratBlock& idle = wander->blocks[KI_Strategy::kDefault];
    EXPECT_EQ(idle.decision, 2);
    EXPECT_EQ(idle.weights[KI_StratBlock::kOnEnemy], 0.5f);
    EXPECT_EQ(idle.weights[KI_StratBlock::kOnHit], 0.0f);
    ASSERT_EQ(idle.entries.GetSize(), 3);
    const KI_StratEntry& walk = Deed(*wander, KI_Strategy::kDefault, 0);
    EXPECT_EQ(walk.type, 5);
    EXPECT_EQ(walk.owner, wander);
    EXPECT_EQ(walk.minMaxDist[0], 30.0f);
    EXPECT_EQ(walk.minMaxDist[1], 200.0f);
    EXPECT_EQ(walk.angle, kPi);
    EXPECT_EQ(walk.scoreMinMax[0], 1.0f);  // no score key: (1, 100)
    EXPECT_EQ(walk.scoreMinMax[1], 100.0f);
    EXPECT_FLOAT_EQ(Deed(*wander, KI_Strategy::kDefault, 1).angle, kPi / 2.0f);
    EXPECT_EQ(Deed(*wander, KI_Strategy::kDefault, 2).angle, -1.5707964f);

    KI_Strategy* melee = ctrl.World().FindStrategyEntry("Melee", true);
    EXPECT_EQ(melee->attackRadiusBack, 80.0f);
    EXPECT_EQ(melee->alertIfEnemySpot, 0);  // 0.4 rounds to 0
    ASSERT_EQ(melee->blocks[KI_Strategy::kOnEnemy].entries.GetSize(), 5);
    const KI_StratEntry& strike = Deed(*melee, KI_Strategy::kOnEnemy, 0);
    EXPECT_EQ(strike.type, 0);
    EXPECT_STREQ(strike.id.c_str(), "Slash");
    EXPECT_EQ(strike.goDoAction, 0);
    EXPECT_EQ(strike.findBetterWay, 0);  // no way to search without going
    EXPECT_EQ(strike.scoreMinMax[0], 0.0f);  // scored by a curve: (0, 1000)
    EXPECT_EQ(strike.scoreMinMax[1], 1000.0f);
    EXPECT_EQ(strike.requireState, 0x21u);  // stun 1 and freeze 6
    EXPECT_EQ(strike.disallowState, 0x40u);  // slow 7
    EXPECT_EQ(strike.target, 1);
    const KI_StratEntry& plain = Deed(*melee, KI_Strategy::kOnEnemy, 1);
    EXPECT_EQ(plain.findBetterWay, 1);
    EXPECT_EQ(plain.startEndAction[0], 10.0f);
    EXPECT_EQ(plain.scoreMinMax[1], 100.0f);
    const KI_StratEntry& flee = Deed(*melee, KI_Strategy::kOnEnemy, 2);
    EXPECT_EQ(flee.fleeDist, 1000.0f);
    EXPECT_EQ(flee.angle, 0.5235988f);
    const KI_StratEntry& go = Deed(*melee, KI_Strategy::kOnEnemy, 3);
    EXPECT_EQ(go.positionID, 103);  // the id names the position
    EXPECT_EQ(go.target, 103);
    const KI_StratEntry& aim = Deed(*melee, KI_Strategy::kOnEnemy, 4);
    EXPECT_EQ(aim.positionID, 5);  // the target slot is the position
    EXPECT_EQ(aim.target, 5);
}

TEST(GameCtrlStrategiesTest, Errors)
{
    auto deed = [](const char* block, const char* keys) {
        return std::string("#1\ndesc = \"S\"\nOnHit {\n\t") + block + " {\n" + keys + "\t}\n}\n";
    };
    const char* const kOrder = "EndAction must be > than StartAction (in strategy 'S')";
    const struct {
        std::string text;
        const char* error;
    } cases[] = {
        {deed("ACTION", ""), "Missing 'id' entry in strategy 'S'"},
        {deed("CHANGE_STRATEGY", ""), "Missing 'id' entry in strategy 'S'"},
        {deed("ACTION", "id = \"A\"\nStartEndAction = 50, 5\n"), kOrder},
        {deed("ACTION", "id = \"A\"\nStartEndAction = 5, 5\n"), kOrder},
        {deed("WAIT", "target = \"Nowhere\"\n"), "Unknown target id: 'Nowhere' in strategy 'S'"},
        {deed("GOTO", ""), "Unknown target in GOTO/AIM_AT block in strategy 'S'"},
        {deed("AIM_AT", "id = \"Nowhere\"\n"), "Unknown position id: 'Nowhere'"},
        {deed("WAIT", "RequireState1 = \"stun\"\nRequireState2 = \"dizzy\"\n"), "Unknown strategy state 'dizzy'"},
        {deed("WAIT", "DisallowState1 = \"none\"\n"), "Unknown strategy state 'none'"},
        {"#1\nrecalcTime = 2\n", "Strategy entry 0 without 'desc' entry"},
        {"#1\ndesc = \"S\"\n#2\ndesc = \"s\"\n", "Multiple strategy entry 's'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        GameDir dir;
        dir.Write("cfg/strategy.cfg", c.text);
        StrategyCtrl ctrl;
        EXPECT_EQ(ErrorOf([&] { ctrl.LoadStrategies(); }), c.error);
        EXPECT_TRUE(ctrl.World().GetStrategyTree().IsEmpty());
        EXPECT_EQ(ctrl.loads, 0);
    }
}

TEST(GameCtrlStrategiesTest, UnknownBlocksWarnAndAreSkipped)
{
    GameDir dir;
    dir.Write("cfg/strategy.cfg", "#1\ndesc = \"S\"\nOnPanic {\n\tWAIT {\n\t}\n}\n"
                                  "OnHit {\n\tDANCE {\n\t\tid = \"x\"\n\t}\n\tWAIT {\n\t}\n}\n");
    StrategyCtrl ctrl;
    LogCapture log;
    ctrl.LoadStrategies();
    EXPECT_EQ(log.Count("Warning:GameCtrl: Unknown block in strategy.cfg: OnPanic"), 1);
    EXPECT_EQ(log.Count("Warning:GameCtrl: Unknown block in strategy.cfg: DANCE"), 1);
    KI_Strategy* strategy = ctrl.World().FindStrategyEntry("S", true);
    ASSERT_EQ(strategy->blocks[KI_Strategy::kOnHit].entries.GetSize(), 1);
    EXPECT_EQ(Deed(*strategy, KI_Strategy::kOnHit, 0).type, 3);
    EXPECT_EQ(strategy->blocks[KI_Strategy::kDefault].entries.GetSize(), 0);
}
