// InputCtrl's AI decision: the block of the event and the fall-back to Default, the decision
// modes, the interval far outside the view, the entry score with MinMaxDist and scoreMinMax,
// CHANGE_STRATEGY choosing again in the same frame, death, and the signed angle.
#include "game/objects/ai/InputCtrl.h"

#include "game/objects/ai/AITestSupport.h"

#include "support/ErrorOf.h"
#include "support/LogCapture.h"

#include <cmath>
#include <set>
#include <vector>

namespace {

constexpr int32_t kWait = 3;
constexpr int32_t kChangeStrategy = 1;
constexpr int32_t kWalkAround = 5;
constexpr int32_t kGoto = 7;

class InputCtrlDecisionTest : public AITest {};

}  // namespace

TEST_F(InputCtrlDecisionTest, WithoutCandidateTheIntentionIsAppliedAgainUnlessDefaultHasOne)
{
    for (const bool defaultEntry : {false, true}) {
        const char* name = defaultEntry ? "HitWithDefault" : "HitOnly";
        KI_Strategy& strategy = AddStrategy(name);
        AddEntry(strategy, KI_Strategy::kOnHit, kWait, 5.0f).minMaxDist[1] = 10.0f;  // the attacker is 100 away
        if (defaultEntry)
            AddEntry(strategy, KI_Strategy::kDefault, kWait, 5.0f).myID = 9;
        CreatureObj* creature = AddCreature(0.0f, 0.0f, name);
        CreatureObj* attacker = AddCreature(100.0f, 0.0f, nullptr);
        KI_ActionData going;
        going.task = kIntentGotoPos;
        going.vectors[0][0] = 50.0f;
        creature->SetIntention(going, -1.0f, 0);
        creature->m_ActionState.moveCode = 0;  // the intention is no longer carried out
        creature->m_AIEvents.hit = 1;
        creature->m_AIEvents.attacker = attacker;

        input.Think(creature, 0.1f, 0);
        EXPECT_EQ(creature->m_AIEvents.hit, 0) << name;
        ASSERT_NE(creature->GetTopAction(), nullptr);
        if (defaultEntry) {
            EXPECT_EQ(creature->GetTopAction()->task, kIntentWait);
            EXPECT_EQ(creature->m_AIRun.strategyID, 9);
        } else {
            EXPECT_EQ(creature->GetTopAction()->task, kIntentGotoPos);
            EXPECT_EQ(creature->m_ActionState.moveCode, 5);  // applied again
            EXPECT_EQ(creature->m_ActionState.moveTarget[0], 50.0f);
        }
    }
}

TEST_F(InputCtrlDecisionTest, DecisionModesChooseAmongTheCandidates)
{
    const struct {
        int32_t mode;
        std::set<int32_t> chosen;  // the MyIDs started over many decisions
    } cases[] = {
        {0, {1, 2, 3}},
        {1, {1, 2}},     // only those sharing the best score
        {7, {1, 2, 3}},  // unknown: as 0
    };
    for (const auto& c : cases) {
        LogCapture log;
        String name;
        name.Format("Mode%i", c.mode);
        KI_Strategy& strategy = AddStrategy(name.c_str());
        strategy.blocks[KI_Strategy::kDefault].decision = c.mode;
        AddEntry(strategy, KI_Strategy::kDefault, kWait, 5.0f).myID = 1;
        AddEntry(strategy, KI_Strategy::kDefault, kWait, 5.0f).myID = 2;
        AddEntry(strategy, KI_Strategy::kDefault, kWait, 2.0f).myID = 3;
        CreatureObj* creature = AddCreature(0.0f, 0.0f, name.c_str());
        std::set<int32_t> chosen;
        for (int32_t i = 0; i < 300; i++) {
            creature->m_ReassessFlag = 1;
            input.Think(creature, 0.1f, 0);
            chosen.insert(creature->m_AIRun.strategyID);
        }
        EXPECT_EQ(chosen, c.chosen) << c.mode;
        EXPECT_EQ(log.Count("Unknown decision mode 7"), c.mode == 7 ? 1 : 0);
    }

    // Mode 2 goes through the candidates in order.
    KI_Strategy& strategy = AddStrategy("Sequence");
    strategy.blocks[KI_Strategy::kDefault].decision = 2;
    for (int32_t id = 1; id <= 3; id++)
        AddEntry(strategy, KI_Strategy::kDefault, kWait, float(id)).myID = id;
    CreatureObj* creature = AddCreature(0.0f, 0.0f, "Sequence");
    std::vector<int32_t> sequence;
    for (int32_t i = 0; i < 5; i++) {
        creature->m_ReassessFlag = 1;
        input.Think(creature, 0.1f, 0);
        sequence.push_back(creature->m_AIRun.strategyID);
    }
    EXPECT_EQ(sequence, (std::vector<int32_t>{1, 2, 3, 1, 2}));
}

TEST_F(InputCtrlDecisionTest, FarOutsideTheViewDecidesEveryThreeSeconds)
{
    AddStrategy("Calm");
    const struct {
        float x;  // the view is the point (0, 0)
        int32_t least;
        int32_t most;
    } cases[] = {
        {2000.0f, 2, 2},  // at 3 and 6 s
        {501.0f, 2, 2},
        {400.0f, 20, 60},  // every "TimeBetweenAIEnemySearch" (0.2 s)
    };
    for (const auto& c : cases) {
        CreatureObj* creature = AddCreature(c.x, 0.0f, "Calm");
        creature->m_ReassessFlag = 0;
        CreatureObj::s_EnemySearchCount = 0;
        for (int32_t i = 1; i <= 60; i++) {
            ctrl.gameTime = i / 10.0;
            input.Think(creature, 0.1f, 0);
        }
        EXPECT_GE(CreatureObj::s_EnemySearchCount, c.least) << c.x;
        EXPECT_LE(CreatureObj::s_EnemySearchCount, c.most) << c.x;
        world.DelObj(creature->m_ObjID, 0);
    }
}

TEST_F(InputCtrlDecisionTest, MinMaxDistExcludesWhateverTheCurvesSayButNotForWalkAround)
{
    KI_Strategy& strategy = AddStrategy("Scores");
    CreatureObj* creature = AddCreature(0.0f, 0.0f, "Scores");
    CreatureObj* near = AddCreature(30.0f, 0.0f, nullptr);
    CreatureObj* far = AddCreature(100.0f, 0.0f, nullptr);
    const D3DXVECTOR2 farPoint(0.0f, 100.0f);
    const struct {
        int32_t type;
        WorldElem* target;
        const D3DXVECTOR2* position;
        float score;
    } cases[] = {
        {kGoto, near, nullptr, 10.0f},
        {kGoto, far, nullptr, 0.0f},
        {kWalkAround, far, nullptr, 10.0f},
        {kGoto, nullptr, &farPoint, 0.0f},
        {kGoto, nullptr, nullptr, 0.0f},  // neither: only the offset
    };
    for (const auto& c : cases) {
        KI_StratEntry& entry = AddEntry(strategy, KI_Strategy::kDefault, c.type, 0.0f);
        SetCurve(entry.scoreDist, {{0.0f, 10.0f}, {1000.0f, 10.0f}});
        entry.minMaxDist[1] = 50.0f;
        EXPECT_FLOAT_EQ(input.ScoreEntry(entry, creature, c.target, c.position), c.score)
            << c.type << " " << (c.target ? c.target->GetPos().x : -1.0f);
    }
}

TEST_F(InputCtrlDecisionTest, ScoreBelowTheMinimumBecomesTheMinimumAndACandidate)
{
    KI_Strategy& strategy = AddStrategy("Clamped");
    CreatureObj* creature = AddCreature(0.0f, 0.0f, "Clamped");
    const struct {
        float offset;
        float min;
        float score;
    } cases[] = {
        {-5.0f, 3.0f, 3.0f},
        {50.0f, 3.0f, 10.0f},  // the maximum is 10
        {-5.0f, 0.0f, 0.0f},   // 0: no candidate
    };
    for (const auto& c : cases) {
        KI_StratBlock& block = strategy.blocks[KI_Strategy::kOnEnemy];
        block.entries.DeleteAll();
        KI_StratEntry& entry = AddEntry(strategy, KI_Strategy::kOnEnemy, kWait, c.offset);
        entry.scoreMinMax[0] = c.min;
        entry.scoreMinMax[1] = 10.0f;
        EXPECT_FLOAT_EQ(input.ScoreEntry(entry, creature, nullptr, nullptr), c.score);
        std::vector<KIProbList> candidates;
        EXPECT_FLOAT_EQ(input.EvaluateBlock(block, candidates, creature, nullptr, 1.0f), c.score);
        EXPECT_EQ(candidates.size(), c.score > 0.0f ? 1u : 0u);
    }
}

TEST_F(InputCtrlDecisionTest, CrossWeightScalesTheOtherBlocksScores)
{
    KI_Strategy& strategy = AddStrategy("Weighted");
    AddEntry(strategy, KI_Strategy::kOnHit, kWait, 4.0f).myID = 1;
    AddEntry(strategy, KI_Strategy::kDefault, kWait, 10.0f).myID = 2;
    strategy.blocks[KI_Strategy::kOnHit].weights[KI_StratBlock::kDefault] = 0.5f;
    strategy.blocks[KI_Strategy::kOnHit].decision = 1;  // the best only
    CreatureObj* creature = AddCreature(0.0f, 0.0f, "Weighted");
    CreatureObj* attacker = AddCreature(100.0f, 0.0f, nullptr);
    creature->m_AIEvents.hit = 1;
    creature->m_AIEvents.attacker = attacker;
    input.Think(creature, 0.1f, 0);
    EXPECT_EQ(creature->m_AIRun.strategyID, 2);  // Default's 10 x 0.5 beats 4
}

TEST_F(InputCtrlDecisionTest, ChangeStrategyChoosesAgainInTheSameFrame)
{
    KI_Strategy& first = AddStrategy("First");
    AddEntry(first, KI_Strategy::kDefault, kChangeStrategy, 5.0f).id = "Second";
    KI_Strategy& second = AddStrategy("Second");
    AddEntry(second, KI_Strategy::kDefault, kWait, 5.0f).myID = 7;
    CreatureObj* creature = AddCreature(0.0f, 0.0f, "First");
    input.Think(creature, 0.1f, 0);
    EXPECT_EQ(creature->GetDecision(), &second);
    EXPECT_EQ(creature->m_AIRun.strategyID, 7);
    ASSERT_NE(creature->GetTopAction(), nullptr);
    EXPECT_EQ(creature->GetTopAction()->task, kIntentWait);
}

TEST_F(InputCtrlDecisionTest, FailingEntriesAreReportedAndTheFrameGoesOn)
{
    LogCapture log;
    KI_Strategy& strategy = AddStrategy("Broken");
    AddEntry(strategy, KI_Strategy::kDefault, 23, 5.0f);
    AddEntry(strategy, KI_Strategy::kDefault, kGoto, 5.0f).positionID = 103;  // no third target element
    CreatureObj* creature = AddCreature(0.0f, 0.0f, "Broken");
    EXPECT_EQ(ErrorOf([&] {
                  for (int32_t i = 0; i < 20; i++) {
                      creature->m_ReassessFlag = 1;
                      input.Think(creature, 0.1f, 0);
                  }
              }),
              "no error");
    EXPECT_GE(log.Count("Unsupported strategy entry: 23"), 1);
    EXPECT_GE(log.Count("Target element 103 of creature"), 1);
}

TEST_F(InputCtrlDecisionTest, DeadCreatureGetsIntentionDeadOnce)
{
    AddStrategy("Any");
    CreatureObj* creature = AddCreature(0.0f, 0.0f, "Any");
    creature->m_Dead = 1;
    for (int32_t i = 0; i < 3; i++)
        input.Think(creature, 0.1f, 0);
    EXPECT_EQ(creature->m_AIActions.GetSize(), 1);
    ASSERT_NE(creature->GetTopAction(), nullptr);
    EXPECT_EQ(creature->GetTopAction()->task, kIntentDead);
    EXPECT_EQ(creature->m_ActionState.moveCode, 2);
}

TEST(SignedAngleBetween, SignClampAndZeroVectors)
{
    // The float cosine of this vector with itself rounds above 1.
    const D3DXVECTOR2 v(0.0625f, 0.625f);
    const float length = std::sqrt(v.x * v.x + v.y * v.y);
    ASSERT_GT((v.x * v.x + v.y * v.y) / (length * length), 1.0f);
    const struct {
        D3DXVECTOR2 a;
        D3DXVECTOR2 b;
        float angle;
    } cases[] = {
        {v, v, 0.0f},
        {{1.0f, 0.0f}, {0.0f, 1.0f}, 1.5707964f},
        {{1.0f, 0.0f}, {0.0f, -1.0f}, -1.5707964f},
        {{1.0f, 0.0f}, {-1.0f, 0.0f}, 3.1415927f},
        {{0.0f, 0.0f}, {1.0f, 0.0f}, 0.0f},
        {{1.0f, 2.0f}, {0.0f, 0.0f}, 0.0f},
    };
    for (const auto& c : cases) {
        const float angle = SignedAngleBetween(c.a, c.b);
        EXPECT_FALSE(std::isnan(angle));
        EXPECT_NEAR(angle, c.angle, 1e-6f) << c.a.x << "," << c.a.y << " " << c.b.x << "," << c.b.y;
    }
    EXPECT_EQ(SignedAngleBetween(v, v), 0.0f);
}

TEST_F(InputCtrlDecisionTest, StuckOnAHalfSecondTickLooksForABetterWay)
{
    const struct {
        uint8_t findBetterWay;
        float intentionTime;  // 0.2 + 0.1: twice that rounds to another whole number, a tick
        int32_t task;
        int32_t stack;
    } cases[] = {
        {1, 0.2f, kIntentFindBetterWay, 2},
        {0, 0.2f, kIntentGotoPos, 1},  // it decides again instead
        {1, 0.1f, kIntentGotoPos, 1},   // no tick: no test
    };
    for (const auto& c : cases) {
        CreatureObj* creature = AddCreature(100.0f, 100.0f, nullptr);
        KI_ActionData going;
        going.task = kIntentGotoPos;
        going.vectors[0][0] = 900.0f;
        going.vectors[0][1] = 100.0f;
        going.flags[0] = c.findBetterWay;
        creature->SetIntention(going, -1.0f, 0);
        creature->m_ReassessFlag = 0;
        creature->m_IntentionTime = c.intentionTime;
        creature->m_HalfSecondSample[0] = 100.0f;  // where it stood half a second ago
        creature->m_HalfSecondSample[1] = 100.0f;
        input.ThinkAll(0.1f);
        ASSERT_NE(creature->GetTopAction(), nullptr);
        EXPECT_EQ(creature->GetTopAction()->task, c.task) << int(c.findBetterWay) << " " << c.intentionTime;
        EXPECT_EQ(creature->m_AIActions.GetSize(), c.stack);
        if (c.task == kIntentFindBetterWay) {
            EXPECT_FLOAT_EQ(creature->GetTopAction()->values[0], 3.0f);  // its time limit
        } else if (!c.findBetterWay) {
            EXPECT_EQ(creature->m_ReassessFlag, 1);
        }
        world.DelObj(creature->m_ObjID, 0);
    }
}
