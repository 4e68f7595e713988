// GameCtrl input controllers: the list and its errors, attaching creatures and the main
// character, the frame step through the list, the mobs of the AI's controller, and the names of
// animation numbers and AI tasks.
#include "game/ctrl/GameCtrl.h"

#include "game/objects/CreatureObj.h"
#include "game/objects/ai/InputCtrl.h"

#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class CountingInput : public InputCtrl {
public:
    void Update(float dt) override
    {
        updates++;
        InputCtrl::Update(dt);
    }
    int32_t updates = 0;
};

class GameCtrlInputsTest : public ::testing::Test {
protected:
    CreatureObj* AddCreature()
    {
        CreatureObj* creature = ctrl.CreateCreature();
        ctrl.GetWorld().AddObj(creature, 0, false);
        return creature;
    }
    GameCtrl ctrl;
};

}  // namespace

TEST_F(GameCtrlInputsTest, ListNumbersAndErrors)
{
    EXPECT_EQ(ErrorOf([&] { ctrl.GetInputCtrl(99); }), "Invalid input selected: 99");
    EXPECT_EQ(ErrorOf([&] { ctrl.DeleteInputCtrl(0); }), "Tried to delete invalid input: 0");
    EXPECT_FALSE(ctrl.HasInputCtrl(-1));

    auto* local = new CountingInput;
    auto* ai = new CountingInput;
    EXPECT_EQ(ctrl.AddInputCtrl(ai, GameCtrl::kInputAI), 0);
    EXPECT_EQ(ctrl.AddInputCtrl(local, GameCtrl::kInputLocal), 1);
    EXPECT_EQ(ctrl.GetSecondInputIndex(), 0);
    EXPECT_EQ(ctrl.GetLocalInputIndex(), 1);
    EXPECT_EQ(ai->GetWorld(), &ctrl.GetWorld());
    EXPECT_EQ(ctrl.FindInputCtrlIndex(InputCtrl::kModeInput), 1);
    EXPECT_EQ(ctrl.FindInputCtrlIndex(7), -1);

    ctrl.DisableInputCtrls(InputCtrl::kModeAI);
    EXPECT_EQ(ai->GetDisableCount(), 1);
    EXPECT_EQ(local->GetDisableCount(), 0);
    ctrl.EnableInputCtrls(InputCtrl::kModeAI);
    EXPECT_EQ(ai->GetDisableCount(), 0);

    // Every controller steps with a frame above 0, none with a paused one.
    ctrl.UpdateFrame(0.1f);
    ctrl.UpdateFrame(0.0f);
    EXPECT_EQ(ai->updates, 1);
    EXPECT_EQ(local->updates, 1);

    ctrl.DeleteInputCtrl(1);
    EXPECT_EQ(ctrl.GetLocalInputIndex(), -1);
    EXPECT_EQ(ctrl.GetNumInputCtrls(), 1);
    ctrl.DeleteInputCtrls();
    EXPECT_EQ(ctrl.GetNumInputCtrls(), 0);
    EXPECT_EQ(ctrl.GetSecondInputIndex(), -1);
}

TEST_F(GameCtrlInputsTest, AttachAndMainCharacter)
{
    const int32_t ai = ctrl.AddInputCtrl(new InputCtrl, GameCtrl::kInputAI);
    const int32_t local = ctrl.AddInputCtrl(new InputCtrl, GameCtrl::kInputLocal);
    CreatureObj* hero = AddCreature();
    hero->m_Dead = 1;
    hero->m_Health = 0.0f;
    ctrl.AttachCreatureToInput(hero, local);
    EXPECT_FALSE(hero->IsDead());
    EXPECT_EQ(hero->m_Health, hero->GetMaxHealth());
    EXPECT_EQ(ctrl.GetMainChar(), hero);
    EXPECT_TRUE(hero->IsMainCharacter());
    EXPECT_EQ(ctrl.GetInputCtrl(local)->GetControlledObject(), hero);
    EXPECT_EQ(ctrl.GetLocalInputObject(0), hero);
    EXPECT_EQ(ctrl.GetInputIndexFor(hero), local);

    ctrl.AttachCreatureToInput(hero, local);  // again: stays the main character
    EXPECT_EQ(ctrl.GetMainChar(), hero);
    EXPECT_TRUE(hero->IsMainCharacter());
    EXPECT_EQ(ctrl.GetInputCtrl(local)->GetNumControlled(), 1);

    CreatureObj* monster = AddCreature();
    ctrl.AttachCreatureToInput(monster, ai);
    ctrl.AttachCreatureToInput(monster, 42);  // no such input: only revived
    EXPECT_EQ(monster->m_InputCtrl, ctrl.GetInputCtrl(ai));
    EXPECT_EQ(ctrl.GetInputIndexFor(monster), ai);
    EXPECT_EQ(ErrorOf([&] { ctrl.GetInputCtrl(ai)->AddObject(monster, false); }),
              "Internal error: object added twice to InputCtrl");

    // Another main character: the local input drives only it.
    CreatureObj* second = AddCreature();
    ctrl.SetMainCharacter(second);
    EXPECT_EQ(ctrl.GetMainChar(), second);
    EXPECT_FALSE(hero->IsMainCharacter());
    EXPECT_EQ(hero->m_InputCtrl, nullptr);
    EXPECT_EQ(ctrl.GetInputCtrl(local)->GetControlledObject(), second);

    // The mobs are the AI controller's.
    EXPECT_EQ(ctrl.GetMob(0), nullptr);
}

TEST_F(GameCtrlInputsTest, AnimationNames)
{
    const struct {
        int32_t number;
        const char* name;
    } cases[] = {
        {-1, "none"},           {0, "bored 0"},         {127, "bored 127"},
        {128, "walk"},          {143, "block"},         {159, "forwardRightWeapon"},
        {160, "unknown"},       {164, "unknown"},       {165, "turnRight"},
        {166, "turnWeaponRight"}, {167, "unknown"},     {191, "unknown"},
        {192, "attack 0 (alt:0)"}, {200, "attack 8 (alt:0)"}, {255, "attack 63 (alt:3)"},
        {447, "attack 63 (alt:3)"}, {448, "unknown"},   {-2, "unknown"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(GameCtrl::GetAnimationName(c.number).c_str(), c.name) << c.number;
}

TEST_F(GameCtrlInputsTest, AITaskNames)
{
    const struct {
        int32_t task;
        const char* name;
    } cases[] = {
        {-1, "none"},   {0, "bored"},     {6, "doAction"},     {7, "unknown"},     {8, "block"},
        {17, "drawWeapon"}, {25, "SpecialAniCycle"}, {26, "unknown"}, {27, "gotoPosNoRot"},
        {28, "unknown"}, {-2, "unknown"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(GameCtrl::GetAITaskName(c.task), c.name) << c.task;
}
