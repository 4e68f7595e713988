// CreatureObj movement: the movement lock, the same movement again, refusals and trimming under an
// action without "CanMove", codes that cannot be carried out, jumps and dodges with their locks,
// code 16 stopping the action, the frame step of a jump and of walking, the serpentine offset and
// the walking cycle chosen from the movement vector.
#include "game/objects/CreatureObj.h"

#include "ActionTestSupport.h"
#include "engine/scene/DXC_3dScene.h"
#include "game/objects/CreatureCycleTestSupport.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float kPi = 3.14159265f;

class CreatureObjMovementTest : public ::testing::Test {
protected:
    CreatureObjMovementTest()
    {
        ctrl.gameWorld = &world;
        creature = AddTestElem<CreatureObj>(world);
        for (int32_t n : {0, 128, 130, 131, 132, 133, 134, 165, 144, 145, 146, 147, 149, 150, 151, 152, 153, 156, 157, 160, 161})
            AddTestCycle(set, n, 2.0f, n != 144 && !(n >= 149 && n <= 152));
        creature->BindCycleSet(&set);
    }
    bool Set(int32_t code, int32_t priority = 0, float x = 0.0f, float y = 0.0f, float speed = 0.0f)
    {
        return creature->SetMoveType(code, x, y, speed, nullptr, priority, 0.0f);
    }
    int32_t BaseCycle() const { return creature->m_CyclePlayers[0].GetCycleNumber(); }

    ActionTestCtrl ctrl;
    ScriptWorld world;
    AniCycleSet set;
    CreatureObj* creature = nullptr;
};

}  // namespace

TEST_F(CreatureObjMovementTest, PriorityRepeatAndInvalidCodes)
{
    CreatureActionState& s = creature->m_ActionState;
    creature->AddForcedAction(5, 1.0f, CreatureForcedAction::kLocksMovement);
    ASSERT_EQ(s.movePriority, 5);
    EXPECT_FALSE(Set(3, 4, 10.0f, 20.0f));  // below the lock: nothing changes
    EXPECT_EQ(s.moveTarget[0], 0.0f);
    EXPECT_TRUE(Set(3, 5, 10.0f, 20.0f, 2.0f));
    EXPECT_EQ(s.moveCode, 3);

    // The same movement again only replaces its parameters.
    creature->m_BlockedFlagA = 1;
    const D3DXVECTOR2 vecB(4.0f, 5.0f);
    EXPECT_TRUE(creature->SetMoveType(3, 30.0f, 40.0f, 1.0f, nullptr, 5, 0.5f, nullptr, &vecB));
    EXPECT_EQ(s.moveCode, 3);
    EXPECT_EQ(s.moveTarget[0], 30.0f);
    EXPECT_EQ(s.moveSpeed, 1.0f);
    EXPECT_EQ(s.actionParam, 0.5f);
    EXPECT_EQ(s.moveVecB[1], 5.0f);
    EXPECT_EQ(creature->m_BlockedFlagA, 0);

    // Codes the frame step cannot carry out are refused with a warning.
    LogCapture log;
    for (int32_t code : {6, 7, 8, 17, -2, 28})
        EXPECT_FALSE(Set(code, 100)) << code;
    EXPECT_EQ(log.Count("Unknown creature movement"), 6);
    EXPECT_EQ(s.moveCode, 3);

    // Codes 25 and above store their parameters and start no cycle.
    creature->RemoveForcedActions(100);
    Set(0);
    const int32_t before = BaseCycle();
    EXPECT_TRUE(Set(25, 0, 7.0f, 8.0f));
    EXPECT_EQ(s.moveCode, 25);
    EXPECT_EQ(s.moveTarget[1], 8.0f);
    EXPECT_EQ(BaseCycle(), before);
}

TEST_F(CreatureObjMovementTest, ActionWithoutCanMoveRefusesAndTrims)
{
    ActionEntry& slash = AddTestAction(world, "Slash");
    slash.canMove = 0;
    slash.canRotate = 0;
    CreatureActionState& s = creature->m_ActionState;
    ASSERT_EQ(creature->StartAction(CreatureObj::kActionEntry, String("Slash"), nullptr, 0, 0.0f), 1);
    s.actionPriority = 5;
    for (int32_t code : {4, 5, 9, 10, 11, 12, 13, 14, 15, 16, 21, 22, 23, 26, 27})
        EXPECT_FALSE(Set(code, 4)) << code;
    EXPECT_TRUE(Set(3, 4, 10.0f, 20.0f, 3.0f));  // trimmed: no target, no speed
    EXPECT_EQ(s.moveCode, 3);
    EXPECT_EQ(s.moveTarget[0], 0.0f);
    EXPECT_EQ(s.moveTarget[1], 0.0f);
    EXPECT_EQ(s.moveSpeed, 0.0f);
    EXPECT_TRUE(Set(9, 5));  // not below the action's priority: not trimmed
}

TEST_F(CreatureObjMovementTest, JumpAndDodgeLocksAndStops)
{
    CreatureActionState& s = creature->m_ActionState;
    creature->AddForcedAction(1, 1.0f, CreatureForcedAction::kLocksAction);
    EXPECT_FALSE(creature->Jump(0));
    EXPECT_FALSE(creature->Dodge(0));
    creature->RemoveForcedActions(100);

    creature->m_SpeedFactor = 2.0f;
    const float factor = creature->GetSpeedFactor();
    ASSERT_TRUE(creature->Jump(0));
    EXPECT_EQ(s.moveCode, 9);
    EXPECT_EQ(BaseCycle(), 144);
    ASSERT_EQ(s.forcedActions.GetSize(), 1);
    const CreatureForcedAction* lock = s.forcedActions.GetBySlot(s.forcedActions.GetUsedSlot(0));
    ASSERT_NE(lock, nullptr);
    EXPECT_EQ(lock->priority, CreatureObj::kJumpLockPriority);
    EXPECT_FLOAT_EQ(lock->time, 2.0f / factor);
    EXPECT_EQ(s.movePriority, 7);
    EXPECT_FALSE(creature->Dodge(1));  // under the jump's lock

    // The jump carries the creature along its facing at the front jump speed.
    creature->m_JumpFrontSpeed = 100.0f;
    creature->SetAngle(kPi / 2);
    const D3DXVECTOR2 start = creature->GetPos();
    creature->DoMovement(0.1f);
    EXPECT_NEAR(creature->GetPos().y - start.y, 10.0f, 0.01f);
    EXPECT_NEAR(creature->GetPos().x - start.x, 0.0f, 0.01f);
    EXPECT_NEAR(creature->m_VelocityY, 100.0f, 0.1f);
    EXPECT_EQ(creature->m_Moved, 1);

    // Code 16 also stops the running action at the given priority.
    creature->RemoveForcedActions(100);
    AddTestAction(world, "Slash");
    ASSERT_EQ(creature->StartAction(CreatureObj::kActionEntry, String("Slash"), nullptr, 0, 0.0f), 1);
    creature->RemoveForcedActions(100);
    EXPECT_TRUE(Set(16));
    EXPECT_EQ(s.actionCode, CreatureObj::kActionNone);
    EXPECT_EQ(BaseCycle(), 152);
}

TEST_F(CreatureObjMovementTest, WalkToPointAndSerpentineOffset)
{
    creature->SetPos(100.0f, 100.0f);
    ASSERT_TRUE(Set(3, 0, 300.0f, 100.0f, 10.0f));
    const D3DXVECTOR2 start = creature->GetPos();
    for (int32_t i = 0; i < 5; i++)
        creature->DoMovement(0.1f);
    EXPECT_GT(creature->GetPos().x, start.x);
    EXPECT_LE(creature->GetPos().x, 300.0f);

    creature->m_MyRnd = 123456789;
    for (float r : {60.0f, 120.0f, 400.0f}) {
        const float a = 20.0f;
        const float w = 80.0f;
        const double phase = 123456789.0 * 4.656613e-10;
        double k = (r - creature->GetRadius() - 50.0) * 0.01;
        k = k < 0.0 ? 0.0 : (k > 1.0 ? 1.0 : k);
        const double expected = std::sin((r / w + phase) * 6.283) * a * k * k;
        EXPECT_NEAR(creature->SerpentineOffset(r, a, w), expected, 1e-3) << r;
    }
}

TEST_F(CreatureObjMovementTest, WalkingCycleFromMoveVector)
{
    struct Case {
        float angle;  // of the movement vector, the creature facing 0
        int32_t cycles[2];
    };
    const Case cases[] = {
        {0.0f, {128, 128}},         {kPi, {131, 131}},           {kPi / 2, {133, 133}},
        {-kPi / 2, {132, 132}},     {kPi / 4, {157, 157}},       {-kPi / 4, {156, 156}},
        {3 * kPi / 4, {161, 161}},  {-3 * kPi / 4, {160, 160}},
    };
    for (const Case& c : cases) {
        creature->m_PrevMoveVect[0] = creature->m_PrevMoveVect[1] = 0.0f;
        creature->SetAniCycleFromMoveVect(std::cos(c.angle), std::sin(c.angle));
        EXPECT_EQ(BaseCycle(), c.cycles[0]) << c.angle;
    }
    LogCapture log;
    const int32_t before = BaseCycle();
    creature->SetAniCycleFromMoveVect(0.0f, 0.0f);
    EXPECT_EQ(log.Count("SetAniCycleFromMoveVect( (0,0) )"), 1);
    EXPECT_EQ(BaseCycle(), before);
}

TEST_F(CreatureObjMovementTest, OneShotMovementReturnsToStanding)
{
    AddTestCycle(set, 130, 0.5f, false);
    creature->BindCycleSet(&set);
    ASSERT_TRUE(Set(1));
    EXPECT_EQ(BaseCycle(), 130);
    creature->m_ReassessFlag = 0;
    for (int32_t i = 0; i < 20 && creature->m_ActionState.moveCode == 1; i++) {
        creature->AdvanceCycles(0.1f, false);
        creature->DoMovement(0.1f);
    }
    EXPECT_EQ(creature->m_ActionState.moveCode, 0);
    EXPECT_EQ(creature->m_ReassessFlag, 1);
    EXPECT_EQ(creature->m_MovementDone, 0);  // set, then the stand movement starts afresh
}

TEST_F(CreatureObjMovementTest, ReassessmentWaitsForTheInterval)
{
    // Many creatures, one frame step: none reassesses before the interval, and most soon after.
    struct Case {
        bool active;
        float interval;
        float earliest;
    };
    for (const Case& c : {Case{true, 2.0f, 2.0f}, Case{false, 2.0f, 10.0f}}) {
        int32_t fired = 0;
        for (int32_t n = 0; n < 50; n++) {
            CreatureObj* other = AddTestElem<CreatureObj>(world);
            other->m_InActiveCell = c.active ? 1 : 0;
            other->m_Strategy.value = c.interval;
            other->m_ReassessFlag = 0;
            float t = 0.0f;
            while (other->m_ReassessFlag == 0 && t < c.earliest + 30.0f) {
                other->UpdateAITimers(0.05f);
                t += 0.05f;
            }
            EXPECT_GT(t, c.earliest - 0.01f);
            fired += other->m_ReassessFlag;
        }
        EXPECT_GT(fired, 40) << c.earliest;
    }
}

TEST_F(CreatureObjMovementTest, CurrentActionDataWithoutIntention)
{
    KI_ActionData data;
    data.task = 7;
    data.target = creature;
    creature->GetCurrentActionData(data);
    EXPECT_EQ(data.task, 0);
    EXPECT_EQ(data.target.Get(), nullptr);

    KI_ActionData top;
    top.task = 3;
    top.actionName = "Slash";
    creature->m_AIActions.GetBySlot(creature->m_AIActions.Add())->task = 1;
    *creature->m_AIActions.GetBySlot(creature->m_AIActions.Add()) = top;
    creature->GetCurrentActionData(data);
    EXPECT_EQ(data.task, 3);
    EXPECT_EQ(data.actionName, String("Slash"));
}

TEST_F(CreatureObjMovementTest, QueriesRadiusBodyPointsComboCodes)
{
    creature->m_Radius = 12.0f;
    EXPECT_EQ(creature->GetRadius(), 12.0f);
    creature->m_Dead = 1;
    EXPECT_EQ(creature->GetRadius(), 24.0f);
    creature->m_Dead = 0;

    EXPECT_EQ(creature->FindBone(2), nullptr);  // no scene
    DXC_3dScene scene;
    scene.objects.GetBySlot(scene.objects.Add())->SetObjectName("bip01 neck");
    scene.objects.GetBySlot(scene.objects.Add())->SetObjectName("Bip01 Pelvis");
    creature->SetScene(&scene);
    ASSERT_NE(creature->FindBone(2), nullptr);
    EXPECT_STREQ(creature->FindBone(2)->GetObjectName(), "bip01 neck");
    EXPECT_STREQ(creature->FindBone(3)->GetObjectName(), "Bip01 Pelvis");
    for (int32_t n : {0, 6, 23, -1, 7})
        EXPECT_EQ(creature->FindBone(n), nullptr) << n;
    creature->SetScene(nullptr);

    const int32_t combos[][3] = {{23, 9, 10}, {25, 4, 5}, {29, 17, 18}, {30, 19, 20}, {31, 31, 31}, {22, 22, 22}};
    for (const auto& c : combos) {
        EXPECT_EQ(CreatureObj::MapComboAction(c[0], false), c[1]) << c[0];
        EXPECT_EQ(CreatureObj::MapComboAction(c[0], true), c[2]) << c[0];
    }
    EXPECT_FLOAT_EQ(CreatureObj::RoundHundredth(1.005f), 1.0f);
    EXPECT_FLOAT_EQ(CreatureObj::RoundHundredth(-2.346f), -2.35f);
}

TEST_F(CreatureObjMovementTest, LineOfSightCache)
{
    CreatureObj* target = AddTestElem<CreatureObj>(world);
    target->SetPos(50.0f, 0.0f);
    ASSERT_TRUE(creature->CanSeeCached(target));  // an empty world: clear
    // A cached "blocked" answers while it is fresh and the target stays near.
    creature->m_SightCache = 0;
    target->SetPos(55.0f, 0.0f);
    ctrl.gameTime += 0.4;
    EXPECT_FALSE(creature->CanSeeCached(target));
    ctrl.gameTime += 0.2;  // older than 0.5 s: tested again
    EXPECT_TRUE(creature->CanSeeCached(target));
    creature->m_SightCache = 0;
    target->SetPos(200.0f, 0.0f);  // moved by more than 100: tested again
    EXPECT_TRUE(creature->CanSeeCached(target));
}

TEST_F(CreatureObjMovementTest, BoneWeightsByName)
{
    DXC_3dScene scene;
    for (const char* name : {"BIP01 NECK", "Bip01 Spine", "Bip01 Spine3", "Bip01 L Finger0", "staff_dummy", "tail"})
        scene.objects.GetBySlot(scene.objects.Add())->SetObjectName(name);
    creature->SetScene(&scene);
    creature->SetupBones(false);
    EXPECT_EQ(creature->m_BoneWeights, std::vector<float>(6, 0.0f));
    creature->SetupBones(true);
    EXPECT_EQ(creature->m_BoneWeights, (std::vector<float>{0.8f, 0.3f, 0.6f, 1.0f, 0.0f, 1.0f}));
    creature->SetScene(nullptr);
}

TEST_F(CreatureObjMovementTest, ApproachTargetUntilContact)
{
    CreatureObj* target = AddTestElem<CreatureObj>(world);
    target->SetPos(200.0f, 0.0f);
    creature->SetPos(0.0f, 0.0f);
    ASSERT_TRUE(creature->SetMoveType(4, 0.0f, 0.0f, 5.0f, target, 0, 0.0f));
    float last = 0.0f;
    for (int32_t i = 0; i < 400 && !creature->m_BlockedFlagA; i++) {
        creature->DoMovement(0.05f);
        EXPECT_GE(creature->GetPos().x, last - 0.01f);
        last = creature->GetPos().x;
    }
    EXPECT_EQ(creature->m_BlockedFlagA, 1);
    const float contact = target->GetRadius() + creature->GetRadius() + 1.0f;
    EXPECT_LE(200.0f - creature->GetPos().x, contact + 0.01f);

    // Without a target element the movement counts as done.
    ASSERT_TRUE(creature->SetMoveType(20, 0.0f, 0.0f, 5.0f, nullptr, 0, 0.0f));
    creature->DoMovement(0.05f);
    EXPECT_EQ(creature->m_MovementDone, 1);
}

TEST_F(CreatureObjMovementTest, MoveCycleTurnsAndStands)
{
    // Fast movement takes the walking cycle; a small step turning fast takes the turning cycle by
    // the turn's sign; standing still for more than 0.1 s returns to standing.
    creature->UpdateMoveCycle(1.0f, 0.0f, 0.0f, 0.1f);
    EXPECT_EQ(BaseCycle(), 128);
    creature->UpdateMoveCycle(0.0f, 0.1f, 1.0f, 0.1f);
    EXPECT_EQ(BaseCycle(), 165);
    creature->UpdateMoveCycle(0.0f, -0.1f, -1.0f, 0.1f);
    EXPECT_EQ(BaseCycle(), 134);
    creature->UpdateMoveCycle(0.0f, 0.0f, 0.0f, 0.06f);
    EXPECT_EQ(BaseCycle(), 134);
    creature->UpdateMoveCycle(0.0f, 0.0f, 0.0f, 0.06f);
    EXPECT_EQ(BaseCycle(), 0);
    creature->UpdateMoveCycle(5.0f, 0.0f, 0.0f, 0.0f);  // no time: nothing
    EXPECT_EQ(BaseCycle(), 0);
}
