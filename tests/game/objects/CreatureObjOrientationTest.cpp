// CreatureObj orientation, steps and queries: the facing of an attached creature, the view angle
// that waits for a turn to settle, the goal test, the ground offset on steps, free directions,
// stepping around a target and walking only ahead, the AI stack queries and the attack's state
// point, the decision, item filtering, and the save writers read back by their readers.
#include "game/objects/CreatureObj.h"

#include "ActionTestSupport.h"
#include "base/File.h"
#include "game/objects/CreatureCycleTestSupport.h"
#include "game/objects/ItemBase.h"
#include "support/ErrorOf.h"
#include "support/FixtureRoot.h"
#include "support/LogCapture.h"
#include "support/ScopedGfx.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float kPi = 3.14159265f;

class CreatureObjOrientationTest : public ::testing::Test {
protected:
    CreatureObjOrientationTest()
    {
        ctrl.gameWorld = &world;
        creature = AddTestElem<CreatureObj>(world);
        for (int32_t n : {0, 128, 131, 132, 133, 134, 144, 156, 157, 160, 161, 165})
            AddTestCycle(set, n, 2.0f, n != 144);
        creature->BindCycleSet(&set);
    }
    KI_ActionData& Push()
    {
        return *creature->m_AIActions.GetBySlot(creature->m_AIActions.Add());
    }

    ActionTestCtrl ctrl;
    ScriptWorld world;
    AniCycleSet set;
    CreatureObj* creature = nullptr;
};

}  // namespace

TEST_F(CreatureObjOrientationTest, FacingOffsetAndAttachedAngles)
{
    CreatureObj* mount = AddTestElem<CreatureObj>(world);
    mount->SetAngle(2.0f);
    mount->AttachChild(creature);
    creature->m_Angle = 1.5f;
    EXPECT_NEAR(creature->GetAngle(), 3.5f - 2.0f * kPi, 1e-5f);
    creature->m_Motion.angleOffset = 0.25f;
    EXPECT_NEAR(creature->GetAngle(), 3.5f - 2.0f * kPi + 0.25f, 1e-5f);
    mount->DetachChild(creature);

    // Setting a facing takes the offset off the element angle and remembers the angle before.
    creature->m_Angle = 0.5f;
    creature->SetAngle(1.0f);
    EXPECT_NEAR(creature->m_Angle, 0.75f, 1e-6f);
    EXPECT_NEAR(creature->GetAngle(), 1.0f, 1e-6f);
    EXPECT_NEAR(creature->m_Motion.angleBeforeTurn, 0.75f, 1e-6f);

    creature->m_Motion.angleOffset = 0.0f;
    creature->SetAngleImmediate(4.0f);  // wrapped
    EXPECT_NEAR(creature->GetAngle(), 4.0f - 2.0f * kPi, 1e-5f);
    EXPECT_NEAR(creature->m_Motion.goalAngle, 4.0f - 2.0f * kPi, 1e-5f);
    EXPECT_NEAR(creature->m_Motion.viewAngle, 4.0f - 2.0f * kPi, 1e-5f);
    EXPECT_NEAR(creature->m_Motion.syncedFacing, 4.0f - 2.0f * kPi, 1e-5f);
}

TEST_F(CreatureObjOrientationTest, ViewAngleFollowsSettledTurns)
{
    creature->SetAngleImmediate(0.0f);
    // A turn that keeps its direction leaves the view angle where the turn started.
    creature->SetAngle(0.2f);
    creature->UpdateTurnDirection();
    EXPECT_NEAR(creature->GetViewAngle(), 0.2f, 1e-6f);  // the first turn starts from rest
    creature->SetAngle(0.4f);
    creature->UpdateTurnDirection();
    EXPECT_NEAR(creature->GetViewAngle(), 0.2f, 1e-6f);
    creature->SetAngle(0.3f);  // turning back: the view catches up
    creature->UpdateTurnDirection();
    EXPECT_NEAR(creature->GetViewAngle(), 0.3f, 1e-6f);

    // A main character without AI answers its current angle.
    creature->m_MainCharacter = 1;
    creature->SetAngle(-1.0f);
    EXPECT_NEAR(creature->GetViewAngle(), -1.0f, 1e-6f);
}

TEST_F(CreatureObjOrientationTest, GoalGroundOffsetAndReferencePoint)
{
    creature->SetPos(100.0f, 100.0f);
    creature->SetAngleImmediate(0.0f);
    creature->m_Motion.goalPos[0] = 101.0f;  // 1 unit off: min(50, 150) x 0.025 = 1.25 reached
    creature->m_Motion.goalPos[1] = 100.0f;
    creature->m_Motion.goalAngle = 0.1f;     // 5 x 0.025 = 0.125: reached
    EXPECT_FALSE(creature->IsGoalOpen());
    creature->m_Motion.goalAngle = 0.2f;
    EXPECT_TRUE(creature->IsGoalOpen());
    creature->m_Motion.goalAngle = 0.0f;
    creature->m_Motion.goalPos[0] = 102.0f;
    EXPECT_TRUE(creature->IsGoalOpen());

    // The ground offset takes up a step and lets it go over the next frames, within its limits.
    creature->m_GroundMode = 2;  // the ground is 0
    creature->SmoothGroundOffset(0.1f);
    EXPECT_EQ(creature->m_Motion.groundOffset, 0.0f);  // the first ground is only remembered
    creature->m_Motion.lastGround = 8.0f;  // the creature stepped down by 8
    creature->SmoothGroundOffset(0.1f);
    EXPECT_NEAR(creature->m_Motion.groundOffset, 8.0f, 1e-5f);
    creature->SmoothGroundOffset(0.1f);
    EXPECT_NEAR(creature->m_Motion.groundOffset, 8.0f * 0.7f, 1e-5f);
    creature->m_Motion.lastGround = 40.0f;  // beyond -10 .. 10 without a height
    creature->SmoothGroundOffset(0.1f);
    EXPECT_EQ(creature->m_Motion.groundOffset, 10.0f);

    CreatureObj* other = AddTestElem<CreatureObj>(world);
    other->SetPos(10.0f, 20.0f);
    other->SetAngle(kPi / 2);
    EXPECT_EQ(creature->GetReferencePoint(other), D3DXVECTOR2(10.0f, 20.0f));
    creature->m_Motion.referenceOffset[0] = 5.0f;
    const D3DXVECTOR2 p = creature->GetReferencePoint(other);
    EXPECT_NEAR(p.x, 10.0f, 1e-4f);
    EXPECT_NEAR(p.y, 25.0f, 1e-4f);
}

TEST_F(CreatureObjOrientationTest, FreeDirectionAndLineTests)
{
    creature->SetPos(0.0f, 0.0f);
    EXPECT_TRUE(creature->IsLineClearTo(300.0f, 0.0f));
    // In an open world the first try is clear: a point on the turned line, short of its end by
    // the reach, within the angle.
    for (int32_t i = 0; i < 20; i++) {
        const D3DXVECTOR2 d = creature->FindFreeDirection(0.0f, 0.0f, 100.0f, 0.0f, 0.5f, 9.0f);
        EXPECT_NEAR(std::sqrt(d.x * d.x + d.y * d.y), 90.0f, 1e-3f);
        EXPECT_LE(std::fabs(std::atan2(d.y, d.x)), 0.5f + 1e-5f);
    }
    // A short wish keeps no length.
    const D3DXVECTOR2 d = creature->FindFreeDirection(0.0f, 0.0f, 5.0f, 0.0f, 0.0f, 9.0f);
    EXPECT_EQ(d, D3DXVECTOR2(0.0f, 0.0f));
}

TEST_F(CreatureObjOrientationTest, StepsWalkAheadAndCircleTheTarget)
{
    creature->SetPos(100.0f, 100.0f);
    creature->SetAngleImmediate(0.0f);
    CreatureActionState& s = creature->m_ActionState;
    ASSERT_TRUE(creature->SetMoveType(3, 300.0f, 100.0f, 0.0f, nullptr, 0, 0.0f));
    creature->DoMovement(0.1f);
    EXPECT_GT(creature->GetPos().x, 100.0f);
    EXPECT_EQ(creature->m_CyclePlayers[0].GetCycleNumber(), 128);

    // A goal behind: no step in this frame without a decision that allows any direction.
    creature->SetPos(100.0f, 100.0f);
    creature->SetAngleImmediate(0.0f);
    s.moveTarget[0] = -100.0f;
    creature->m_Push[0] = 3.0f;
    creature->MoveStep(0.1f, false, false);
    EXPECT_EQ(creature->GetPos(), D3DXVECTOR2(100.0f, 100.0f));
    EXPECT_EQ(creature->m_Push[0], 3.0f);  // kept for a step that moves
    EXPECT_NEAR(std::fabs(creature->GetAngle()), kPi, 1e-3f);  // turned to the goal
    KI_Strategy any;
    any.moveIfOpposingTarget = 1;
    creature->SetDecision(&any);
    creature->SetAngleImmediate(0.0f);
    creature->MoveStep(0.1f, false, false);
    EXPECT_LT(creature->GetPos().x, 100.0f);
    EXPECT_EQ(creature->m_Push[0], 0.0f);
    creature->SetDecision(nullptr);

    // Stepping sideways around a target keeps facing it; without a target the step is blocked.
    CreatureObj* target = AddTestElem<CreatureObj>(world);
    target->SetPos(200.0f, 0.0f);
    creature->SetPos(0.0f, 0.0f);
    creature->SetAngleImmediate(0.0f);
    ASSERT_TRUE(creature->SetMoveType(22, 0.0f, 0.0f, 5.0f, target, 0, 0.0f));
    creature->DoMovement(0.1f);
    const D3DXVECTOR2 pos = creature->GetPos();
    EXPECT_GT(pos.y, 0.0f);
    EXPECT_NEAR(pos.x, 0.0f, 0.5f);
    EXPECT_NEAR(creature->GetAngle(), std::atan2(-pos.y, 200.0f - pos.x), 1e-4f);
    ASSERT_TRUE(creature->SetMoveType(21, 0.0f, 0.0f, 5.0f, nullptr, 0, 0.0f));
    creature->DoMovement(0.1f);
    EXPECT_EQ(creature->m_BlockedFlagC, 1);
    EXPECT_EQ(creature->m_MovementDone, 1);
}

TEST_F(CreatureObjOrientationTest, JumpLockByTypeFactorAndNetworkReport)
{
    set.m_JumpFreePoint = 0.5f;
    ASSERT_TRUE(creature->Jump(0));
    const CreatureActionState& s = creature->m_ActionState;
    ASSERT_EQ(s.forcedActions.GetSize(), 1);
    EXPECT_FLOAT_EQ(creature->m_ActionState.forcedActions.GetAt(0)->time, 2.0f * 0.5f / creature->GetSpeedFactor());

    // Controlled on a network client: a changed movement is told, the same one not, and both play.
    creature->RemoveForcedActions(100);
    ctrl.multiplayer = true;
    ctrl.networkClient = true;
    creature->m_MainCharacter = 1;
    EXPECT_TRUE(creature->SetMoveType(3, 10.0f, 0.0f, 1.0f, nullptr, 0, 0.0f));
    EXPECT_TRUE(creature->SetMoveType(3, 10.0f, 0.0f, 1.0f, nullptr, 0, 0.0f));
    EXPECT_TRUE(creature->SetMoveType(0, 0.0f, 0.0f, 0.0f, nullptr, 0, 0.0f));
    EXPECT_EQ(ctrl.movementReports, (std::vector<int32_t>{3, 0}));
    EXPECT_EQ(s.moveCode, 0);
    creature->m_MainCharacter = 0;
    EXPECT_TRUE(creature->SetMoveType(3, 10.0f, 0.0f, 1.0f, nullptr, 0, 0.0f));
    EXPECT_EQ(ctrl.movementReports.size(), 2u);  // only a main character is controlled here

    // The move speed goes to the server only with the synchronisation switch on.
    creature->m_MainCharacter = 1;
    creature->SetMoveSpeed(2.0f);
    CreatureObj::s_SyncRotationValues = true;
    creature->SetMoveSpeed(2.0f);  // unchanged: not sent
    creature->SetMoveTargetAndSpeed(5.0f, 6.0f, 3.0f);
    CreatureObj::s_SyncRotationValues = false;
    EXPECT_EQ(ctrl.rotationReports, std::vector<float>{3.0f});
    EXPECT_EQ(s.moveSpeed, 3.0f);
    EXPECT_EQ(s.moveTarget[1], 6.0f);
}

TEST_F(CreatureObjOrientationTest, AIStackQueriesAndStatePoint)
{
    EXPECT_FALSE(creature->IsTopActionRunning());
    EXPECT_EQ(creature->GetTopActionValue(), 0);
    EXPECT_FALSE(creature->CountDownTopAction(1.0f));
    EXPECT_TRUE(creature->CanBeInterrupted());

    Push().task = 17;
    KI_ActionData& top = Push();
    top.task = 17;
    top.values[0] = 0.5f;
    EXPECT_TRUE(creature->IsTopActionRunning());
    EXPECT_FALSE(creature->CanBeInterrupted());
    creature->m_AIActions.Lock();  // while the stack is held it can always be interrupted
    EXPECT_TRUE(creature->CanBeInterrupted());
    creature->m_AIActions.Unlock();
    top.finished = 1;
    EXPECT_FALSE(creature->IsTopActionRunning());
    creature->SetTopActionPair(4, 5);
    EXPECT_EQ(creature->GetTopActionValue(), 4);
    EXPECT_FALSE(creature->CountDownTopAction(0.3f));
    EXPECT_TRUE(creature->CountDownTopAction(0.3f));

    creature->SetAIState(2);
    top.aiState = 5;
    creature->TakeTopActionState();
    EXPECT_EQ(creature->m_AIState, 5);
    EXPECT_EQ(creature->m_PreviousAIState, 2);

    // The attack's state point: an attack of 1 s at animation speed 1 takes the state at 0.5.
    ActionEntry& slash = AddTestAction(world, "Slash");
    ASSERT_EQ(creature->StartAction(CreatureObj::kActionEntry, String("Slash"), nullptr, 0, 0.0f), 1);
    top.aiState = 7;
    top.params.kind = 15;
    top.hasStateCurve = 1;
    top.statePoint = 0.5f;
    creature->m_ActionState.actionTime = 0.3f;
    creature->CheckAttackStatePoint(0.1f);
    EXPECT_EQ(creature->m_AIState, 5);
    creature->CheckAttackStatePoint(0.25f);
    EXPECT_EQ(creature->m_AIState, 7);
    (void)slash;

    // A timed entry that runs out takes the top's state too.
    top.aiState = 9;
    creature->AddTimedValue(1, 0.05f);
    creature->UpdateAITimers(0.1f);
    EXPECT_EQ(creature->m_AIState, 9);
    EXPECT_EQ(creature->m_ReassessFlag, 1);
}

TEST_F(CreatureObjOrientationTest, StrategyDecisionAndItems)
{
    KI_Strategy& guard = *world.GetStrategyTree().Insert(String("Guard"));
    guard.name = "Guard";
    guard.recalcTime = 3.0f;
    creature->GetStrategyData().strategyTimer = 2.0f;
    creature->SetStrategy(String("Guard"), true);
    EXPECT_EQ(creature->GetDecision(), &guard);
    EXPECT_EQ(creature->GetStrategyData().value, 3.0f);
    EXPECT_EQ(creature->GetStrategyData().strategyTimer, 0.0f);
    EXPECT_STREQ(creature->m_DefaultStrategyName.c_str(), "Guard");
    creature->SetStrategy(String(""));
    EXPECT_EQ(creature->GetDecision(), nullptr);
    EXPECT_STREQ(creature->m_DefaultStrategyName.c_str(), "Guard");

    // A reset record keeps its name and nothing else.
    CreatureStrategyData& data = creature->GetStrategyData();
    data.name = "mob";
    creature->SetStrategy(String("Guard"));
    creature->AddTimedValue(2, 1.0f);
    data.Reset();
    EXPECT_STREQ(data.name.c_str(), "mob");
    EXPECT_EQ(data.strategy, nullptr);
    EXPECT_EQ(data.value, 1.5f);
    EXPECT_EQ(data.timedLevel, -1);
    EXPECT_EQ(data.timedValues.GetSize(), 0);

    ItemBase item;
    EXPECT_EQ(creature->FilterItem(&item), &item);
    item.m_Blocked = 1;
    EXPECT_EQ(creature->FilterItem(&item), nullptr);
    EXPECT_EQ(creature->FilterItem(nullptr), nullptr);
}

TEST_F(CreatureObjOrientationTest, SaveWritersReadBack)
{
    // The action state with three locks.
    CreatureObj* target = AddTestElem<CreatureObj>(world);
    CreatureActionState& s = creature->m_ActionState;
    s.moveCode = 4;
    s.moveTargetObj = target;
    s.moveVecA[0] = 2.5f;
    creature->AddForcedAction(7, 2.0f, CreatureForcedAction::kLocksMovement);
    creature->AddForcedAction(5, 1.0f, CreatureForcedAction::kLocksAction);
    creature->AddForcedAction(1000, 0.5f, CreatureForcedAction::kLocksMovement | CreatureForcedAction::kLocksAction);
    // The strategy record with two timed entries.
    CreatureStrategyData& strategy = creature->GetStrategyData();
    strategy.name = "mob";
    strategy.strategyTimer = 0.75f;
    creature->AddTimedValue(3, 4.0f);
    creature->AddTimedValue(6, 1.5f);
    // An influence entry with a source.
    CreatureInfluence influence;
    influence.type = CreatureObj::kEffectStun;
    influence.params.InitObject(1.0f, 2.0f, target, 7);
    influence.priority = 4;

    File out;
    out.CreateMemoryFile(0);
    creature->SaveActionState(out);
    strategy.Save(out);
    influence.Save(out);
    out.Seek(0);

    CreatureObj* loaded = AddTestElem<CreatureObj>(world);
    loaded->LoadActionState(out);
    CreatureStrategyData again;
    again.Load(out, &world);
    CreatureInfluence& back = *loaded->m_Influences.GetBySlot(loaded->m_Influences.Add());
    back.Load(out, CreatureObj::kRecordVersion);
    EXPECT_EQ(out.GetRemaining(), 0);
    loaded->RestoreWallChildren();

    const CreatureActionState& l = loaded->m_ActionState;
    EXPECT_EQ(l.moveCode, 4);
    EXPECT_EQ(l.moveTargetObj.Get(), target);
    EXPECT_EQ(l.moveVecA[0], 2.5f);
    ASSERT_EQ(l.forcedActions.GetSize(), 3);
    EXPECT_EQ(loaded->m_ActionState.forcedActions.GetAt(2)->priority, 1000);
    EXPECT_EQ(loaded->m_ActionState.forcedActions.GetAt(2)->lockFlags, 3u);
    EXPECT_EQ(loaded->m_ActionState.forcedActions.GetAt(2)->time, 0.5f);
    EXPECT_EQ(l.movePriority, 1000);
    EXPECT_EQ(l.actionPriority, 1000);

    EXPECT_STREQ(again.name.c_str(), "mob");
    EXPECT_EQ(again.strategyTimer, 0.75f);
    EXPECT_EQ(again.timedLevel, 6);
    ASSERT_EQ(again.timedValues.GetSize(), 2);
    EXPECT_EQ(again.timedValues.GetAt(0)->level, 3);
    EXPECT_EQ(again.timedValues.GetAt(1)->time, 1.5f);

    EXPECT_EQ(back.type, CreatureObj::kEffectStun);
    EXPECT_EQ(back.params.x, 1.0f);
    EXPECT_EQ(back.params.y, 2.0f);
    EXPECT_EQ(back.params.value, 7);
    EXPECT_EQ(back.priority, 4);
    EXPECT_EQ(back.params.target.Get(), target);
}

TEST_F(CreatureObjOrientationTest, HitSoundsTurnFactorAndFadeCycles)
{
    // The hit sounds play at most every 0.2 s; the creature's own one goes out as an event.
    ctrl.world = &world;
    creature->m_HitSound = "ouch";
    const auto events = [&] { return world.GetEventQueue(0).GetSize() + world.GetEventQueue(1).GetSize(); };
    const int32_t before = events();
    creature->PlayHitSounds("hit");
    ctrl.gameTime += 0.1;
    creature->PlayHitSounds("hit");
    EXPECT_EQ(events() - before, 1);
    ctrl.gameTime += 0.15;
    creature->PlayHitSounds("hit");
    EXPECT_EQ(events() - before, 2);

    EXPECT_EQ(creature->GetTurnFactor(0.0f, 1.0f, 0.0f), 0.0f);
    EXPECT_EQ(creature->GetTurnFactor(-2.0f, 1.0f, 0.0f), -2.0f);
    creature->m_ShieldStrength = 0.25f;
    EXPECT_FLOAT_EQ(creature->GetTurnFactor(2.0f, 0.0f, 1.0f), 1.5f);
    // An attack multiplies its angle and time curves in, the creature its own curve.
    const auto constant = [](BezierSpline<float>& curve, float value) {
        curve.SetNumKeys(1);
        curve.GetKey(0).value = value;
    };
    ActionEntry& slash = AddTestAction(world, "Slash");
    constant(slash.damFactorAngle, 2.0f);
    constant(slash.damFactorTime, 0.25f);
    constant(creature->m_Stats.damFactorAngle, 0.5f);
    EXPECT_FLOAT_EQ(creature->GetTurnFactor(2.0f, 0.0f, 1.0f), 0.75f);  // no attack running
    ASSERT_EQ(creature->StartAction(CreatureObj::kActionEntry, String("Slash"), nullptr, 0, 0.0f), 1);
    EXPECT_FLOAT_EQ(creature->GetTurnFactor(2.0f, 0.0f, 1.0f), 0.375f);
    creature->m_ShieldStrength = 0.0f;
    creature->StopAction();

    // Both fade cycles start again from their beginning.
    creature->SetCycleOfType(0, 128, 1.0f, true, 0.0f, false);
    creature->m_CyclePlayers[0].SetTime(0.7f);
    creature->RestartFadeCycles();
    EXPECT_EQ(creature->m_CyclePlayers[0].GetCycleNumber(), 128);
    EXPECT_EQ(creature->m_CyclePlayers[0].GetTime(), 0.0f);
    EXPECT_EQ(creature->m_Motion.cyclesRestarted, 1);
}

TEST_F(CreatureObjOrientationTest, BaseDummyCarriesTheCreatureUnderItsLock)
{
    EXPECT_FALSE(creature->BaseDummy("", -1.0f, -1.0f, 1.0f, false, 0.0f));
    EXPECT_EQ(creature->m_ActionState.moveCode, 0);

    ScopedCurrentDir dir(std::string(SERVER_FIXTURES) + "/../../gamedata");
    ScopedGfx gfx;
    creature->SetAngleImmediate(0.0f);
    ASSERT_TRUE(creature->BaseDummy("meshes\\hero_idle.rtx", -1.0f, -1.0f, 1.0f, false, 0.5f));
    const CreatureActionState& s = creature->m_ActionState;
    EXPECT_EQ(s.actionCode, CreatureObj::kActionBaseDummy);
    EXPECT_EQ(s.moveCode, CreatureObj::kMoveBaseDummy);
    EXPECT_EQ(creature->m_CyclePlayers[0].GetCycleNumber(), CreatureObj::kBaseDummyCycle);
    EXPECT_NEAR(creature->GetAngle(), 0.5f, 1e-6f);
    const float duration = float(set.GetCycle(CreatureObj::kBaseDummyCycle).GetAniDuration());
    ASSERT_GT(duration, 0.0f);
    ASSERT_EQ(s.forcedActions.GetSize(), 1);
    EXPECT_EQ(creature->GetMovementForcePriority(), CreatureObj::kBaseDummyPriority);  // a kill waits
    EXPECT_EQ(creature->GetActionForcePriority(), CreatureObj::kBaseDummyPriority);
    EXPECT_EQ(creature->GetMoveType(), CreatureObj::kMoveBaseDummy);
    EXPECT_FALSE(creature->SetMoveType(3, 1.0f, 1.0f, 1.0f, nullptr, 999, 0.0f));  // under its lock

    // Looping, it holds for 100 s.
    ASSERT_TRUE(creature->BaseDummy("meshes\\hero_idle.rtx", -1.0f, -1.0f, 1.0f, true, 0.0f));
    ASSERT_EQ(creature->m_ActionState.forcedActions.GetSize(), 1);
    EXPECT_EQ(creature->m_ActionState.forcedActions.GetAt(0)->time, 100.0f);
}
