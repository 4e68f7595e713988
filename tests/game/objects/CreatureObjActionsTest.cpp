// CreatureObj actions: a start that changes nothing, restarts and combos, the locks of
// "FreePoint" and "CanMove", the half time scale without an attack cycle, the timeline firing
// each part once for any frame step, shots of "AnyDirection", the cost point under a high
// priority, invalid actions met in a frame, and the network client's reports.
#include "game/objects/CreatureObj.h"

#include "ActionTestSupport.h"
#include "world/ActionAttack.h"

#include <gtest/gtest.h>

namespace {

class CreatureObjActionsTest : public ::testing::Test {
protected:
    CreatureObjActionsTest()
    {
        ctrl.gameWorld = &world;
        creature = AddTestElem<CreatureObj>(world);
    }

    // Runs the action in frames of dt until it ends (at most 1000 frames).
    void RunToEnd(float dt)
    {
        for (int32_t i = 0; i < 1000 && creature->m_ActionState.actionCode != CreatureObj::kActionNone; i++) {
            creature->DoAction(dt);
            ctrl.gameTime += dt;
        }
    }
    static void AddAttack(ActionEntry& entry, float point)
    {
        ActionAttack attack;
        attack.point = point;
        entry.attacks.GetBySlot(entry.attacks.Add())->Take(attack);
    }
    int32_t Start(const char* name, float param = 0.0f, int32_t priority = 0)
    {
        return creature->StartAction(CreatureObj::kActionEntry, String(name), nullptr, priority, param);
    }

    ActionTestCtrl ctrl;
    ScriptWorld world;
    CreatureObj* creature = nullptr;
};

}  // namespace

TEST_F(CreatureObjActionsTest, SameStartKeepsRunningRestartAndComboResume)
{
    ActionEntry& slash = AddTestAction(world, "Slash");
    slash.repeatPoint = 0.5f;
    CreatureActionState& s = creature->m_ActionState;
    ASSERT_EQ(Start("Slash", 1.0f), 1);
    EXPECT_EQ(s.pActionEntry, &slash);
    const int32_t serial = creature->m_ActionSerial;
    creature->DoAction(0.1f);
    EXPECT_EQ(Start("Slash", 1.0f), 1);  // same record, name and parameter: goes on
    EXPECT_FLOAT_EQ(s.actionTime, 0.1f);
    EXPECT_EQ(creature->m_ActionSerial, serial);
    creature->m_ActionRestart = 1;
    EXPECT_EQ(Start("Slash", 1.0f), 1);
    EXPECT_EQ(creature->m_ActionSerial, serial + 1);
    EXPECT_EQ(creature->m_ActionRestart, 0);

    // A second start within 0.3 s of the entry's last frame resumes at its repeat point: half of
    // the half time scale of an action without attack cycle.
    creature->DoAction(0.1f);
    creature->ClearAction();
    EXPECT_EQ(s.actionCode, CreatureObj::kActionNone);
    ctrl.gameTime += 0.2;
    ASSERT_EQ(Start("Slash"), 1);
    EXPECT_FLOAT_EQ(s.actionTime, 0.25f);
    creature->ClearAction();
    ctrl.gameTime += 0.5;
    ASSERT_EQ(Start("Slash"), 1);
    EXPECT_FLOAT_EQ(s.actionTime, 0.0f);
}

TEST_F(CreatureObjActionsTest, FreePointAndCanMoveLocks)
{
    struct Case {
        const char* name;
        float freePoint;
        uint8_t canMove;
        int32_t locks;
        uint32_t flags;
        float time;
        int32_t moveCode;
    };
    const Case cases[] = {
        {"Lunge", 1.0f, 0, 1, 3, 0.99f, -1},  // to 0.01 s before the end, movement stopped
        {"Stab", 0.0f, 0, 0, 0, 0.0f, 0},    // no lock
        {"Swipe", 0.5f, 1, 1, 2, 0.5f, 0},    // "CanMove": actions only
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.freePoint);
        ActionEntry& entry = AddTestAction(world, c.name);
        entry.freePoint = c.freePoint;
        entry.canMove = c.canMove;
        CreatureObj* fresh = AddTestElem<CreatureObj>(world);
        ASSERT_EQ(fresh->StartAction(CreatureObj::kActionEntry, String(c.name), nullptr, 0, 0.0f), 1);
        DynaMem<CreatureForcedAction, 4>& locks = fresh->m_ActionState.forcedActions;
        ASSERT_EQ(locks.GetSize(), c.locks);
        EXPECT_EQ(fresh->m_ActionState.moveCode, c.moveCode);
        if (c.locks == 0)
            continue;
        EXPECT_EQ(locks.GetAt(0)->priority, CreatureObj::kAttackLockPriority);
        EXPECT_EQ(locks.GetAt(0)->lockFlags, c.flags);
        EXPECT_FLOAT_EQ(locks.GetAt(0)->time, c.time);
        // Under the lock a start of lower priority is refused and changes nothing.
        EXPECT_EQ(fresh->StartAction(CreatureObj::kActionBlock, String(), nullptr, 0, 0.0f), 0);
        EXPECT_EQ(fresh->m_ActionState.actionCode, CreatureObj::kActionEntry);
    }
}

TEST_F(CreatureObjActionsTest, EachPartFiresOnceForAnyFrameStep)
{
    ActionEntry& entry = AddTestAction(world, "Volley");
    AddAttack(entry, 0.2f);
    entry.AddPart(entry.effects).point = 0.4f;
    entry.AddPart(entry.effects).point = 0.95f;
    entry.effects.GetAt(0)->emitters.Append().effectName = "Sparks";  // carries emitters: the next one's index is 1
    entry.AddPart(entry.shots).point = 0.6f;
    entry.AddPart(entry.spells).point = 0.8f;
    for (float dt : {0.016f, 0.05f, 0.3f}) {
        SCOPED_TRACE(dt);
        ctrl.attacks.clear();
        ctrl.effects.clear();
        ctrl.effectIndexes.clear();
        ctrl.shots.clear();
        ctrl.spells.clear();
        ctrl.cast.clear();
        ctrl.gameTime += 10.0;  // no combo
        ASSERT_EQ(Start("Volley"), 1);
        RunToEnd(dt);
        EXPECT_EQ(ctrl.attacks.size(), 1u);
        ASSERT_EQ(ctrl.effects.size(), 2u);
        EXPECT_EQ(ctrl.effectIndexes, (std::vector<int32_t>{0, 1}));
        EXPECT_EQ(ctrl.shots.size(), 1u);
        EXPECT_EQ(ctrl.spells.size(), 1u);
        EXPECT_EQ(ctrl.cast.size(), 1u);
    }
}

TEST_F(CreatureObjActionsTest, WithoutAttackCycleTheActionRunsAtHalfScale)
{
    ActionEntry& entry = AddTestAction(world, "Jab");
    entry.anicycle = 3;  // the creature has no cycle set: nothing to play
    AddAttack(entry, 1.0f);
    ASSERT_EQ(Start("Jab"), 1);
    creature->DoAction(0.45f);
    EXPECT_TRUE(ctrl.attacks.empty());
    creature->DoAction(0.1f);  // 0.45 .. 0.55 holds 0.5 x 1 s
    EXPECT_EQ(ctrl.attacks.size(), 1u);
}

TEST_F(CreatureObjActionsTest, AnyDirectionAimsAtTheLastEnemyOnly)
{
    ActionEntry& entry = AddTestAction(world, "Bolt");
    D3DXVECTOR2 target(0.0f, 0.0f);
    entry.anyDirection = 1;
    EXPECT_FALSE(creature->GetActionShotTarget(entry, target));  // no enemy: along the facing
    TestElem* enemy = AddTestElem<TestElem>(world, ElemType::kCreature, 300.0f, 40.0f);
    creature->m_LastEnemy = enemy;
    ASSERT_TRUE(creature->GetActionShotTarget(entry, target));
    EXPECT_EQ(target.x, 300.0f);
    EXPECT_EQ(target.y, 40.0f);
    entry.anyDirection = 0;
    EXPECT_FALSE(creature->GetActionShotTarget(entry, target));
}

TEST_F(CreatureObjActionsTest, UnpaidCostStopsUnlessThePriorityIsAboveTheAttackLock)
{
    ActionEntry& entry = AddTestAction(world, "Fireball");
    entry.mana = 10;
    entry.costPoint = 0.5f;
    creature->m_Mana = 5.0f;
    EXPECT_EQ(Start("Fireball"), -1);  // cannot be paid: stopped
    EXPECT_EQ(creature->m_ActionState.actionCode, CreatureObj::kActionNone);

    for (int32_t priority : {0, 6}) {
        SCOPED_TRACE(priority);
        creature->m_Mana = 20.0f;
        creature->m_ActionState.forcedActions.DeleteAll();
        creature->AddForcedAction(priority, 5.0f, CreatureForcedAction::kLocksAction);
        ASSERT_EQ(Start("Fireball", float(priority), priority), 1);
        creature->m_Mana = 0.0f;
        creature->DoAction(0.3f);  // the cost point 0.25 is met
        EXPECT_EQ(creature->m_ActionState.actionCode, priority > 5 ? CreatureObj::kActionEntry : CreatureObj::kActionNone);
        creature->m_ActionState.forcedActions.DeleteAll();
        creature->RecomputeForcePriorities();
        creature->ClearAction();
    }
    creature->m_Mana = 20.0f;
    ctrl.gameTime += 10.0;
    ASSERT_EQ(Start("Fireball"), 1);
    creature->DoAction(0.3f);
    EXPECT_EQ(creature->m_Mana, 10.0f);  // paid at the cost point
}

TEST_F(CreatureObjActionsTest, InvalidActionsStopOnlyThatCreature)
{
    CreatureActionState& s = creature->m_ActionState;
    EXPECT_EQ(Start("NoSuchAction"), 0);  // "Action entry '%s' not found", reported
    EXPECT_EQ(s.actionCode, CreatureObj::kActionNone);

    EXPECT_EQ(creature->StartAction(99, String(), nullptr, 0, 0.0f), 1);  // accepted without start work
    EXPECT_NO_THROW(creature->DoAction(0.1f));  // "Invalid action ID: %i"
    EXPECT_EQ(s.actionCode, CreatureObj::kActionNone);

    AddTestAction(world, "Kick");
    ASSERT_EQ(Start("Kick"), 1);
    s.pActionEntry = nullptr;
    EXPECT_NO_THROW(creature->DoAction(0.1f));  // "Invalid action pointer"
    EXPECT_EQ(s.actionCode, CreatureObj::kActionNone);
}

TEST_F(CreatureObjActionsTest, BlockBoredAndTheNetworkClientsReports)
{
    CreatureActionState& s = creature->m_ActionState;
    ASSERT_EQ(creature->StartAction(CreatureObj::kActionBlock, String(), nullptr, 0, 0.0f), 1);
    EXPECT_EQ(s.moveCode, -1);
    creature->DoAction(0.5f);
    EXPECT_EQ(s.actionCode, CreatureObj::kActionBlock);
    creature->DoAction(0.6f);  // past 1 s without a block cycle
    EXPECT_EQ(s.actionCode, CreatureObj::kActionNone);

    EXPECT_TRUE(creature->StartBoredAction());
    EXPECT_EQ(s.actionCode, CreatureObj::kActionBored);
    creature->AddForcedAction(1, 1.0f, CreatureForcedAction::kLocksAction);
    EXPECT_FALSE(creature->StartBoredAction());

    CreatureObj* hero = AddTestElem<CreatureObj>(world);
    hero->m_MainCharacter = 1;
    ctrl.networkClient = true;
    AddTestAction(world, "Slash");
    ASSERT_EQ(hero->StartAction(CreatureObj::kActionEntry, String("Slash"), nullptr, 0, 0.0f), 1);
    hero->StopAction();
    EXPECT_EQ(ctrl.actionReports, (std::vector<int32_t>{CreatureObj::kActionEntry, CreatureObj::kActionNone}));
}
