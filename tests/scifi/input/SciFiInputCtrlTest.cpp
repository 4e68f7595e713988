// SciFiInputCtrl: the damage meter, the orders and their rules, the buttons and the cursor's pace,
// the dodge of a tapped direction key, and the creature update on a small world of the game's
// controller: a walk to a point, an attack on an object, faulty strategies, the reach rule, and
// the AI's controller, which runs the engine's step.
#include "scifi/input/SciFiInputCtrl.h"

#include "engine/gui/InputState.h"
#include "engine/gui/MouseState.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "scifi/ctrl/SciFiRules.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "world/ActionEntry.h"
#include "world/KI_Strategy.h"
#include "world/WorldCtrl.h"

#include "support/LogCapture.h"
#include "support/TestClock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

namespace {

// A player's controller that counts how often a strategy is started (each start asks what it
// costs) and the AI passes of the engine's step.
class CountingInput : public SciFiInputCtrl {
public:
    bool CanAffordStrategy(CreatureObj* creature, KI_Strategy* strategy) override
    {
        affordChecks++;
        return SciFiInputCtrl::CanAffordStrategy(creature, strategy);
    }
    void ThinkAll(float dt) override
    {
        thinkPasses++;
        SciFiInputCtrl::ThinkAll(dt);
    }
    int32_t affordChecks = 0;
    int32_t thinkPasses = 0;
};

class SciFiInputCtrlTest : public ::testing::Test {
protected:
    SciFiInputCtrlTest()
    {
        input = std::make_unique<CountingInput>();
        input->SetWorld(&ctrl.GetWorld());
        input->SetMode(InputCtrl::kModeInput);
        hero = AddCreature(0.0f, 0.0f);
        input->SetControlledObject(input->AddObject(hero, false));
    }
    ~SciFiInputCtrlTest() override
    {
        input.reset();
        g_SciFiRules = SciFiRules();
    }

    CreatureObj_SF* AddCreature(float x, float y)
    {
        auto* creature = dynamic_cast<CreatureObj_SF*>(ctrl.CreateCreature());
        creature->m_PosX = x;
        creature->m_PosY = y;
        creature->m_Health = 100.0f;
        creature->m_Values.maxHealth = 100.0f;
        ctrl.GetWorld().AddObj(creature, 0, false);
        return creature;
    }

    KI_Strategy& AddStrategy(const char* name, bool withEntry)
    {
        KI_Strategy& strategy = *ctrl.GetWorld().GetStrategyTree().Insert(String(name));
        strategy.name = name;
        if (withEntry) {
            DynaMem<KI_StratEntry, 4>& entries = strategy.blocks[KI_Strategy::kDefault].entries;
            KI_StratEntry& entry = *entries.GetBySlot(entries.Add());
            entry.type = KI_StratEntry::kAction;
            entry.id = "strike";
            entry.owner = &strategy;
        }
        return strategy;
    }

    // One frame: the game time goes on, then the creature update.
    void Step(float dt)
    {
        ctrl.SetGameTime(ctrl.GetGameTime() + dt);
        input->ControlStep(dt);
    }

    SciFiGameCtrl ctrl;
    std::unique_ptr<CountingInput> input;
    CreatureObj_SF* hero = nullptr;
};

}  // namespace

TEST_F(SciFiInputCtrlTest, DamageMeterRingAndAverage)
{
    EXPECT_EQ(input->GetDamageSlotCount(), 30);
    EXPECT_FLOAT_EQ(input->GetDamageWindow(), 15.0f);

    input->Tick(0.2f);
    input->AddDealtDamage(5.0f);
    EXPECT_EQ(input->GetDamageSlot(0), 5.0f);
    input->Tick(0.5f);  // clock 0.7: slot 1
    input->AddDealtDamage(4.0f);
    EXPECT_EQ(input->GetDamageSlot(1), 4.0f);
    input->Tick(14.5f);  // clock 15.2: the ring's next lap starts at slot 0 again
    EXPECT_EQ(input->GetDamageSlot(0), 0.0f);
    EXPECT_EQ(input->GetDamageSlot(1), 4.0f);
    input->Tick(0.4f);  // clock 15.6: slot 1 is cleared before it takes damage again
    EXPECT_EQ(input->GetDamageSlot(1), 0.0f);

    // Three slots of a second: 3, 6 and 9 weigh 1, 2 and 3.
    input->SetDamageWindow(3.0f, 3);
    for (float damage : {3.0f, 6.0f, 9.0f}) {
        input->AddDealtDamage(damage);
        if (damage < 9.0f)
            input->Tick(1.0f);
    }
    EXPECT_FLOAT_EQ(input->GetDamagePerSecond(), 3.0f * (9 * 3 + 6 * 2 + 3 * 1) / (3.0f * 6.0f));

    input->Disable(false);  // a disabled controller counts nothing
    input->AddDealtDamage(100.0f);
    EXPECT_EQ(input->GetDamageSlot(2), 9.0f);
    input->Enable();

    // The engine's direct damage tells the attacker's controller.
    input->SetDamageWindow(15.0f, 30);
    CreatureObj_SF* drone = AddCreature(50.0f, 0.0f);
    drone->DamageDirect(7.0f, hero, 0, 0, 1, -2);
    EXPECT_EQ(input->GetDamageSlot(0), 7.0f);
    drone->DamageDirect(0.0f, hero, 0, 0, 1, -2);
    input->Disable(false);
    drone->DamageDirect(3.0f, hero, 0, 0, 1, -2);
    EXPECT_EQ(input->GetDamageSlot(0), 7.0f);
}

// A damage window shorter than one slot, none, or not a number would divide by zero.
TEST_F(SciFiInputCtrlTest, ADamageWindowWithoutSlotsTakesTheDefault)
{
    for (float window : {0.0f, 0.3f, -2.0f, std::numeric_limits<float>::quiet_NaN()}) {
        g_SciFiRules.damageDealAverageTime = window;
        LogCapture log;
        SciFiInputCtrl made;
        EXPECT_EQ(made.GetDamageSlotCount(), 30) << window;
        EXPECT_EQ(log.Count("DamageDealAverageTime"), 1) << window;
        made.Tick(0.3f);
        made.AddDealtDamage(2.0f);
        EXPECT_GT(made.GetDamagePerSecond(), 0.0f);
    }
    g_SciFiRules.damageDealAverageTime = 2.0f;
    SciFiInputCtrl made;
    EXPECT_EQ(made.GetDamageSlotCount(), 4);
}

TEST_F(SciFiInputCtrlTest, OrdersClearEachOtherUnlessMoveAndAttackIsAllowed)
{
    CreatureObj_SF* drone = AddCreature(50.0f, 0.0f);
    KI_Strategy& strategy = AddStrategy("melee", true);

    input->AttackObject(drone, &strategy, false);
    EXPECT_EQ(input->GetAttackOrder(), SciFiInputCtrl::kAttackObject);
    input->MoveToPoint(10.0f, 20.0f);
    EXPECT_EQ(input->GetMoveOrder(), SciFiInputCtrl::kMoveToPoint);
    EXPECT_EQ(input->GetAttackOrder(), SciFiInputCtrl::kAttackNone);

    input->MoveToObject(drone);
    input->AttackObject(drone, &strategy, false);
    EXPECT_EQ(input->GetMoveOrder(), SciFiInputCtrl::kMoveNone);
    EXPECT_EQ(input->GetAttackOrder(), SciFiInputCtrl::kAttackObject);

    // A point no player could click is dropped.
    LogCapture log;
    input->MoveToPoint(std::numeric_limits<float>::infinity(), 0.0f);
    input->AttackPosition(0.0f, std::numeric_limits<float>::quiet_NaN(), &strategy, false);
    EXPECT_EQ(input->GetMoveOrder(), SciFiInputCtrl::kMoveNone);
    EXPECT_EQ(input->GetAttackOrder(), SciFiInputCtrl::kAttackObject);
    EXPECT_EQ(log.Count("not finite"), 2);

    EXPECT_FALSE(input->IsButtonDown(4));
    EXPECT_FALSE(input->IsButtonDown(-1));
    input->SetButtonDown(3, true);
    EXPECT_TRUE(input->IsButtonDown(3));
}

// The client's update reports the cursor while a button is held, never more than 30 times a
// second however fast the frames come.
TEST_F(SciFiInputCtrlTest, TheCursorIsReportedAtMostThirtyTimesASecond)
{
    InputState keys;
    MouseState mouse;
    mouse.SetButtonDown(ctrl.GetMoveButton(), true);
    input->SetInputDevices(&keys, &mouse);
    ctrl.SetConnectionState(GameNetworkNode::eRunningGame);
    int32_t reports = 0;
    double last = input->GetLastCursorSendTime();
    for (int32_t frame = 0; frame < 240; frame++) {  // two seconds at 120 frames a second
        ctrl.SetGameTime(frame / 120.0);
        input->Update(1.0f / 120.0f);
        if (input->GetLastCursorSendTime() != last) {
            reports++;
            last = input->GetLastCursorSendTime();
        }
    }
    EXPECT_TRUE(input->IsButtonDown(0));
    EXPECT_LE(reports, 60);
    EXPECT_GE(reports, 40);
    ctrl.SetConnectionState(GameNetworkNode::eDisconnected);
}

// A single tap of a direction key dodges that way once "DodgeTimeFrame" has passed without a
// second tap; the direction turns with the camera.
TEST_F(SciFiInputCtrlTest, ATappedDirectionDodgesAfterTheTimeFrame)
{
    TestClock clock;  // the program clock stands still: a held key never repeats here
    InputState keys;
    MouseState mouse;
    input->SetInputDevices(&keys, &mouse);
    ctrl.GetControls().GetBinding(Controls::kRight) = KeyBinding{1, 32, 0, 0};  // D
    hero->m_DodgeEnergy = 1.0f;

    D3DXVECTOR2 dodge;
    keys.SetKeyDown(32, true);
    input->GetDodgeVector(dodge, hero);
    EXPECT_EQ(dodge, D3DXVECTOR2(0.0f, 0.0f));  // waits for a second tap
    keys.SetKeyDown(32, false);
    ctrl.SetGameTime(ctrl.GetGameTime() + 0.05);
    input->GetDodgeVector(dodge, hero);
    EXPECT_EQ(dodge, D3DXVECTOR2(0.0f, 0.0f));
    ctrl.SetGameTime(ctrl.GetGameTime() + 0.1);
    input->GetDodgeVector(dodge, hero);
    const float heading = ctrl.GetWorld().GetCameraAngle();
    EXPECT_NEAR(dodge.x, -std::sin(heading), 1e-5f);
    EXPECT_NEAR(dodge.y, std::cos(heading), 1e-5f);
    input->GetDodgeVector(dodge, hero);  // the tap is used up
    EXPECT_EQ(dodge, D3DXVECTOR2(0.0f, 0.0f));

    hero->m_DodgeEnergy = 0.5f;  // no charge: no dodge at all
    keys.SetKeyDown(32, true);
    input->GetDodgeVector(dodge, hero);
    ctrl.SetGameTime(ctrl.GetGameTime() + 1.0);
    keys.SetKeyDown(32, false);
    input->GetDodgeVector(dodge, hero);
    EXPECT_EQ(dodge, D3DXVECTOR2(0.0f, 0.0f));
}

// A walk order walks the creature to the point (movement 5) and ends when it arrives.
TEST_F(SciFiInputCtrlTest, AWalkOrderWalksToThePointAndEndsThere)
{
    input->MoveToPoint(120.0f, 0.0f);
    Step(1.0f / 30.0f);
    EXPECT_EQ(hero->GetMoveType(), CreatureObj::kMoveToPoint);
    int32_t frames = 0;
    while (input->GetMoveOrder() != SciFiInputCtrl::kMoveNone && frames < 200) {
        Step(1.0f / 30.0f);
        frames++;
    }
    EXPECT_LT(frames, 200);
    EXPECT_NEAR(hero->GetPos().x, 120.0f, 1.0f);
    EXPECT_GT(input->GetStatistics().moveTime, 0.0f);
}

// In a network game the attack strategy starts once per order; alone it starts again in every
// frame that the attack button is held.
TEST_F(SciFiInputCtrlTest, AnObjectOrderStartsItsStrategyOncePerOrderInANetworkGame)
{
    CreatureObj_SF* drone = AddCreature(300.0f, 0.0f);
    KI_Strategy& strategy = AddStrategy("melee", true);
    input->SetButtonDown(1, true);
    for (bool network : {true, false}) {
        ctrl.SetConnectionState(network ? GameNetworkNode::eRunningGame : GameNetworkNode::eDisconnected);
        input->AttackObject(drone, &strategy, false);
        input->affordChecks = 0;
        for (int32_t frame = 0; frame < 5; frame++)
            Step(1.0f / 30.0f);
        EXPECT_EQ(input->affordChecks, network ? 1 : 5) << network;
        EXPECT_EQ(input->GetAttackOrder(), SciFiInputCtrl::kAttackObject) << network;
        EXPECT_EQ(input->GetLastTargetPosition(), D3DXVECTOR2(300.0f, 0.0f));
        EXPECT_EQ(input->GetAttackOrderTime(), SciFiInputCtrl::kNoAttackOrder);  // no longer fresh
    }
    ctrl.SetConnectionState(GameNetworkNode::eDisconnected);
}

// An order without a strategy, or with one whose Default block is empty, is warned of once and
// cleared; the frame goes on.
TEST_F(SciFiInputCtrlTest, AnOrderWithoutAUsableStrategyIsWarnedOfAndCleared)
{
    CreatureObj_SF* drone = AddCreature(60.0f, 0.0f);
    KI_Strategy& empty = AddStrategy("empty", false);
    struct Case {
        KI_Strategy* strategy;
        bool atPosition;
        const char* warning;
    };
    const Case cases[] = {{nullptr, false, "No strategy specified for player attack"},
                          {&empty, false, "Strategy 'empty' has no Default action entry"},
                          {nullptr, true, "No strategy specified for player attack"},
                          {&empty, true, "Strategy 'empty' has no Default action entry"}};
    for (const Case& c : cases) {
        LogCapture log;
        if (c.atPosition)
            input->AttackPosition(70.0f, 5.0f, c.strategy, false);
        else
            input->AttackObject(drone, c.strategy, false);
        ASSERT_NE(input->GetAttackOrder(), SciFiInputCtrl::kAttackNone);
        EXPECT_NO_THROW({
            Step(1.0f / 30.0f);
            Step(1.0f / 30.0f);
        });
        EXPECT_EQ(input->GetAttackOrder(), SciFiInputCtrl::kAttackNone) << c.warning;
        EXPECT_EQ(log.Count(c.warning), 1) << c.warning;
    }
}

// Within reach: nearer than the target's radius + 64 and on a free line to the point at use
// distance (here the two bodies touching).
TEST_F(SciFiInputCtrlTest, TheReachOfAWalkTargetIsItsRadiusAnd64)
{
    CreatureObj_SF* crate = AddCreature(0.0f, 0.0f);
    crate->m_Radius = 20.0f;
    const float reach = crate->GetRadius() + SciFiInputCtrl::kReachMargin;
    for (const auto& [distance, within] : {std::pair{reach - 1.0f, true}, std::pair{reach + 1.0f, false},
                                           std::pair{10.0f, true}}) {
        hero->m_PosX = distance;
        hero->m_PosY = 0.0f;
        EXPECT_EQ(input->IsWithinReach(hero, crate), within) << distance;
    }
}

// The AI's controller is one of the game's too: its update is the engine's step with the AI pass
// and nothing of a player's.
TEST_F(SciFiInputCtrlTest, TheAIsControllerRunsTheEnginesStep)
{
    input->SetMode(InputCtrl::kModeAI);
    input->MoveToPoint(100.0f, 0.0f);
    input->Update(1.0f / 30.0f);
    EXPECT_EQ(input->thinkPasses, 1);
    EXPECT_EQ(input->GetStatistics().totalTime, 0.0f);
    EXPECT_EQ(input->GetMoveOrder(), SciFiInputCtrl::kMoveToPoint);

    // A player's controller makes no AI pass.
    input->SetMode(InputCtrl::kModeInput);
    input->Update(1.0f / 30.0f);
    EXPECT_EQ(input->thinkPasses, 1);
    EXPECT_GT(input->GetStatistics().totalTime, 0.0f);
}

// An action cost the main character cannot pay ends the player's attack order.
TEST_F(SciFiInputCtrlTest, AnUnpaidActionEndsTheAttackOrder)
{
    CreatureObj_SF* drone = AddCreature(60.0f, 0.0f);
    KI_Strategy& strategy = AddStrategy("melee", true);
    ActionEntry& strike = *ctrl.GetWorld().GetActionTree().Insert(String("strike"));
    strike.name = "strike";
    strike.anicycle = -1;
    strike.mana = 50;
    ctrl.SetMainChar(hero);
    hero->m_Mana = 100.0f;
    input->AttackObject(drone, &strategy, false);
    ASSERT_EQ(input->GetAttackOrder(), SciFiInputCtrl::kAttackObject);

    hero->m_Mana = 0.0f;
    CreatureObj::s_ActionChanged = true;
    EXPECT_EQ(hero->StartAction(CreatureObj::kActionEntry, String("strike"), drone, 0, 0.0f), -1);
    EXPECT_EQ(input->GetAttackOrder(), SciFiInputCtrl::kAttackNone);
}
