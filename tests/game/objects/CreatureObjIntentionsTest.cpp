// CreatureObj's AI strategy runner: the priority gate of a start, CHANGE_STRATEGY's answer, the
// time limit with and without FinishAction, the stack limit, death with and without an input
// controller, the led aim and the entries that fail.
#include "game/objects/CreatureObj.h"

#include "game/objects/ai/AITestSupport.h"

#include "support/ErrorOf.h"
#include "support/LogCapture.h"

#include <cmath>

namespace {

constexpr int32_t kAction = 0;
constexpr int32_t kChangeStrategy = 1;
constexpr int32_t kWait = 3;
constexpr int32_t kGoto = 7;
constexpr int32_t kAimAt = 8;

class CreatureObjIntentionsTest : public AITest {};

float Length(const D3DXVECTOR2& v) { return std::sqrt(v.x * v.x + v.y * v.y); }

}  // namespace

TEST_F(CreatureObjIntentionsTest, EntryBelowThePriorityIsNotStartedAndReportsSuccess)
{
    KI_Strategy& strategy = AddStrategy("Gate");
    KI_StratEntry& entry = AddEntry(strategy, KI_Strategy::kDefault, kWait, 1.0f);
    entry.prior = 2;
    CreatureObj* creature = AddCreature(0.0f, 0.0f, "Gate");
    creature->m_AIRun.currentPriority = 5;
    EXPECT_EQ(creature->StartStrategyEntry(entry, nullptr, false, nullptr), 1);
    EXPECT_EQ(creature->m_AIActions.GetSize(), 0);
    // A script's queued start passes the gate.
    EXPECT_EQ(creature->StartStrategyEntry(entry, nullptr, true, nullptr), 1);
    EXPECT_EQ(creature->m_AIActions.GetSize(), 1);
    // At the priority it starts, and holds the creature at its own priority.
    entry.prior = 5;
    entry.maxForceTime = 2.0f;
    EXPECT_EQ(creature->StartStrategyEntry(entry, nullptr, false, nullptr), 1);
    EXPECT_EQ(creature->m_AIRun.currentPriority, 5);
    EXPECT_EQ(creature->GetActionForcePriority(), 5);
}

TEST_F(CreatureObjIntentionsTest, ChangeStrategyReportsZero)
{
    KI_Strategy& first = AddStrategy("One");
    KI_Strategy& second = AddStrategy("Two");
    KI_StratEntry& entry = AddEntry(first, KI_Strategy::kDefault, kChangeStrategy, 1.0f);
    entry.id = "Two";
    entry.myID2 = 4;
    CreatureObj* creature = AddCreature(0.0f, 0.0f, "One");
    creature->m_ReassessFlag = 0;
    EXPECT_EQ(creature->StartStrategyEntry(entry, nullptr, false, nullptr), 0);
    EXPECT_EQ(creature->GetDecision(), &second);
    EXPECT_EQ(creature->m_AIRun.strategyID, 4);
    EXPECT_EQ(creature->m_ReassessFlag, 1);
}

TEST_F(CreatureObjIntentionsTest, TimeLimitFinishesOnlyWithFinishAction)
{
    for (const uint8_t finishAction : {uint8_t(0), uint8_t(1)}) {
        CreatureObj* creature = AddCreature(0.0f, 0.0f, nullptr);
        KI_ActionData below;
        below.task = kIntentWait;
        creature->SetIntention(below, -1.0f, 0);
        KI_ActionData timed;
        timed.task = kIntentGotoPos;
        timed.vectors[0][0] = 80.0f;
        timed.flags[1] = finishAction;
        creature->PushIntention(timed, 0.5f, 0, false);
        ASSERT_EQ(creature->m_AIActions.GetSize(), 2);
        creature->m_ReassessFlag = 0;
        for (int32_t i = 0; i < 3; i++)
            creature->FrameUpdate(0.3f);
        ASSERT_NE(creature->GetTopAction(), nullptr);
        EXPECT_EQ(creature->GetTopAction()->task, finishAction ? kIntentWait : kIntentGotoPos);
        EXPECT_EQ(creature->m_AIActions.GetSize(), finishAction ? 1 : 2);
        EXPECT_EQ(creature->m_ReassessFlag, 1);  // either way it decides again
    }
}

TEST_F(CreatureObjIntentionsTest, PushIsRefusedOnlyAboveSixteenRecords)
{
    CreatureObj* creature = AddCreature(0.0f, 0.0f, nullptr);
    KI_ActionData record;
    for (int32_t i = 0; i < 17; i++) {
        record.secondCode = i;
        EXPECT_EQ(creature->PushIntention(record, -1.0f, 0, false), 1) << i;
    }
    EXPECT_EQ(creature->PushIntention(record, -1.0f, 0, false), 0);
    EXPECT_EQ(creature->m_AIActions.GetSize(), 17);
    // Queued at the bottom: the top stays the last pushed.
    creature->m_AIActions.DeleteAll();
    record.secondCode = 1;
    creature->PushIntention(record, -1.0f, 0, false);
    record.secondCode = 2;
    creature->PushIntention(record, -1.0f, 0, true);
    EXPECT_EQ(creature->GetTopAction()->secondCode, 1);
    EXPECT_EQ(creature->m_AIActions.GetAt(0)->secondCode, 2);
}

TEST_F(CreatureObjIntentionsTest, DeathSetsIntentionDeadAndLeavesTheController)
{
    LogCapture log;
    CreatureObj* owned = AddCreature(0.0f, 0.0f, nullptr);
    InfluenceParams slow;
    slow.x = 0.5f;
    slow.y = 10.0f;
    owned->AddInfluence(CreatureObj::kEffectSlow, slow);
    ASSERT_EQ(owned->m_Influences.GetSize(), 1);
    owned->Die();
    EXPECT_EQ(owned->m_Influences.GetSize(), 0);  // a dead body is no longer slowed
    EXPECT_EQ(input.FindObject(owned), -1);
    EXPECT_EQ(owned->GetTopAction()->task, kIntentDead);
    EXPECT_EQ(owned->m_ActionState.moveCode, 2);
    EXPECT_EQ(log.Count("Object without owner!"), 0);

    CreatureObj* stray = AddTestElem<CreatureObj>(world);
    stray->m_AIRun.currentPriority = 3;
    stray->Die();
    EXPECT_EQ(log.Count("Object without owner!"), 1);
    EXPECT_TRUE(stray->IsDead());
    EXPECT_EQ(stray->m_AIRun.currentPriority, -1);
    EXPECT_EQ(stray->m_AIActions.GetSize(), 1);
    EXPECT_EQ(stray->GetTopAction()->task, kIntentDead);
}

TEST_F(CreatureObjIntentionsTest, AimLeadLimitsTheTargetSpeedAndMeetsTheShot)
{
    const D3DXVECTOR2 from(0.0f, 0.0f);
    const D3DXVECTOR2 at(300.0f, 100.0f);
    const float shot = 800.0f;
    const struct {
        D3DXVECTOR2 velocity;
        D3DXVECTOR2 limited;
    } cases[] = {
        {{0.0f, 400.0f}, {0.0f, 250.0f}},
        {{-320.0f, -240.0f}, {-200.0f, -150.0f}},
        {{100.0f, 0.0f}, {100.0f, 0.0f}},
    };
    for (const auto& c : cases) {
        const D3DXVECTOR2 lead = CreatureObj::AimLeadPoint(from, at, c.velocity, shot);
        const D3DXVECTOR2 same = CreatureObj::AimLeadPoint(from, at, c.limited, shot);
        EXPECT_FLOAT_EQ(lead.x, same.x);
        EXPECT_FLOAT_EQ(lead.y, same.y);
        // An independent solution of |p + v t| = s t by bisection.
        double lo = 0.0;
        double hi = 100.0;
        for (int32_t i = 0; i < 200; i++) {
            const double t = (lo + hi) / 2.0;
            const double x = at.x + c.limited.x * t;
            const double y = at.y + c.limited.y * t;
            (std::sqrt(x * x + y * y) > shot * t ? lo : hi) = t;
        }
        EXPECT_NEAR(lead.x, at.x + c.limited.x * lo, 0.01) << c.velocity.x;
        EXPECT_NEAR(lead.y, at.y + c.limited.y * lo, 0.01) << c.velocity.y;
        EXPECT_NEAR(Length(lead), shot * lo, 0.01);
    }
    // A shot slower than a target running away never meets it: aimed at the target itself.
    const D3DXVECTOR2 away = CreatureObj::AimLeadPoint(from, at, D3DXVECTOR2(240.0f, 80.0f), 100.0f);
    EXPECT_EQ(away.x, at.x);
    EXPECT_EQ(away.y, at.y);

    // The ACTION entry adds the lead's angle, times CalcAimAngle, to its aim deviation.
    ActionEntry& action = AddTestAction(world, "Volley");
    action.AddPart(action.shots).spdMove = shot;
    KI_Strategy& strategy = AddStrategy("Shooter");
    KI_StratEntry& entry = AddEntry(strategy, KI_Strategy::kOnEnemy, kAction, 1.0f);
    entry.id = "Volley";
    entry.calcAimAngle = 1.0f;
    CreatureObj* creature = AddCreature(0.0f, 0.0f, "Shooter");
    CreatureObj* target = AddCreature(300.0f, 100.0f, nullptr);
    target->m_VelocityY = 400.0f;
    EXPECT_EQ(creature->StartStrategyEntry(entry, target, false, nullptr), 1);
    const KI_ActionData* top = creature->GetTopAction();
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->task, kIntentGoDoAction);
    const D3DXVECTOR2 lead = CreatureObj::AimLeadPoint(from, at, D3DXVECTOR2(0.0f, 250.0f), shot);
    EXPECT_NEAR(top->values[1], std::atan2(lead.y, lead.x) - std::atan2(at.y, at.x), 1e-4f);
}

TEST_F(CreatureObjIntentionsTest, PositionKindsOfGotoAndAimAt)
{
    KI_Strategy& strategy = AddStrategy("Kinds");
    CreatureObj* creature = AddCreature(0.0f, 0.0f, "Kinds");
    CreatureObj* other = AddCreature(200.0f, 0.0f, nullptr);
    creature->m_ElemRefs[1] = other;  // target element 102
    const struct {
        int32_t type;
        int32_t kind;
        bool enemy;
        int32_t started;
        int32_t task;
    } cases[] = {
        {kGoto, 102, false, 1, kIntentGotoObj},
        {kAimAt, 102, false, 1, kIntentRotateToObj},
        {kGoto, 103, false, 0, -1},  // not defined: the entry fails
        {kGoto, 1, true, 1, kIntentGotoObj},
        {kGoto, 1, false, 1, kIntentGotoPos},     // the last enemy position
        {kAimAt, 1, false, 1, kIntentRotateToPos},
        {kGoto, 2, false, 0, -1},                 // no last target position yet
        {kGoto, 0, false, 0, -1},                 // no target
    };
    for (const auto& c : cases) {
        LogCapture log;
        creature->m_AIActions.DeleteAll();
        creature->m_LastEnemy = c.enemy ? other : nullptr;
        creature->m_AIRun.lastEnemyPos[0] = 150.0f;
        creature->m_ReassessFlag = 0;
        KI_StratEntry& entry = AddEntry(strategy, KI_Strategy::kDefault, c.type, 1.0f);
        entry.positionID = c.kind;
        EXPECT_EQ(creature->StartStrategyEntry(entry, nullptr, false, nullptr), c.started) << c.kind;
        if (c.started) {
            ASSERT_NE(creature->GetTopAction(), nullptr);
            EXPECT_EQ(creature->GetTopAction()->task, c.task) << c.kind;
        } else {
            EXPECT_EQ(creature->m_ReassessFlag, 1) << c.kind;
        }
        EXPECT_EQ(log.Count("Target element 103 of creature"), c.kind == 103 ? 1 : 0);
    }
    // An unknown entry type is reported and fails; nothing is thrown.
    LogCapture log;
    KI_StratEntry& unknown = AddEntry(strategy, KI_Strategy::kDefault, 23, 1.0f);
    int32_t result = -1;
    EXPECT_EQ(ErrorOf([&] { result = creature->StartStrategyEntry(unknown, nullptr, false, nullptr); }), "no error");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(log.Count("Unsupported strategy entry: 23"), 1);
}

TEST_F(CreatureObjIntentionsTest, ConversationTurnsTowardTheSpeakerAndBack)
{
    CreatureObj* creature = AddCreature(0.0f, 0.0f, nullptr);
    CreatureObj* speaker = AddCreature(0.0f, 100.0f, nullptr);
    creature->SetAngleImmediate(0.25f);
    EXPECT_EQ(creature->TurnForConversation(true, speaker, true, false), 1);
    ASSERT_NE(creature->GetTopAction(), nullptr);
    EXPECT_EQ(creature->GetTopAction()->task, kIntentRotateToObj);
    EXPECT_EQ(creature->GetTopAction()->target.Get(), speaker);
    // Turning is no waiting: the end of the conversation does not turn it back now.
    EXPECT_EQ(creature->TurnForConversation(false, speaker, false, true), 0);
    KI_ActionData wait;
    creature->SetIntention(wait, -1.0f, 0);
    EXPECT_EQ(creature->TurnForConversation(false, speaker, false, true), 1);
    EXPECT_EQ(creature->GetTopAction()->task, kIntentRotateToAngle);
    EXPECT_FLOAT_EQ(creature->GetTopAction()->firstValue, 0.25f);
    EXPECT_EQ(creature->TurnForConversation(false, speaker, false, false), 0);  // no turn back asked
    // A creature held by a movement of priority 100 keeps its way.
    creature->SetIntention(wait, -1.0f, 0);
    creature->AddForcedAction(100, 5.0f, CreatureForcedAction::kLocksMovement);
    EXPECT_EQ(creature->TurnForConversation(true, speaker, false, false), 0);
}
