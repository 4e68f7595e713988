// The controller's reset and small operations in the running server on a copy of the sample game:
// a new game brings the skills back to their entries and empties the slots of what the last game
// learned, the sample rifle takes a power cell into a socket, and the frame loop ages a combat
// link until it runs out.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "scifi/ctrl/SciFiRules.h"
#include "scifi/objects/Item_SF.h"
#include "world/WorldCtrl.h"

#include "support/SampleServerGame.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class SciFiGameCtrlResetGameTest : public SampleServerGame<SciFiGameCtrl> {
protected:
    ~SciFiGameCtrlResetGameTest() override { g_SciFiRules = SciFiRules(); }
    SkillTreeEntry& Skill(const char* name) { return *ctrl->FindSkill(String(name)); }
};

}  // namespace

TEST_F(SciFiGameCtrlResetGameTest, ANewGameForgetsWhatTheLastGameLearned)
{
    Start();
    ctrl->LearnSkill(String("heal"), false, 0, true);
    ctrl->LearnSkill(String("guard"), false, 0, true);
    Skill("strike").learned = false;
    ASSERT_EQ(ctrl->GetShownSkill(1), &Skill("heal"));
    DedicatedServer::RunFrames(*ctrl, 40);  // heal's update script counts in "iTmp"
    ASSERT_GT(*ctrl->GetScriptTempInt(5), 0);

    ctrl->StartNewGame(nullptr);
    DedicatedServer::RunFrames(*ctrl, 1);
    ASSERT_NE(ctrl->GetMainChar(), nullptr);
    EXPECT_FALSE(Skill("heal").learned);
    EXPECT_FALSE(Skill("guard").learned);
    EXPECT_TRUE(Skill("strike").learned);
    EXPECT_TRUE(Skill("drill").learned);  // of the soldier's own file
    EXPECT_EQ(ctrl->GetShownSkill(1), &Skill("NoActive"));
    EXPECT_EQ(ctrl->GetShownSkill(2), &Skill("strike"));
    EXPECT_EQ(ctrl->GetShownSkill(3), &Skill("drill"));
    EXPECT_EQ(*ctrl->GetScriptTempInt(5), 0);
}

TEST_F(SciFiGameCtrlResetGameTest, TheRifleTakesAPowerCellAndAFrameAgesCombatLinks)
{
    Start();
    std::unique_ptr<ItemBase> rifle(ctrl->ItemFromName("Pulse Rifle", false));
    ItemBase* cell = ctrl->ItemFromName("Power Cell", false);
    ASSERT_NE(rifle, nullptr);
    ASSERT_NE(cell, nullptr);
    ASSERT_GT(cell->GetAbilityCount(), 0);
    const ItemAbility bonus = *cell->GetAbility(0);  // "damPhys1Bonus", which the rifle has too
    const float before = rifle->GetAbilityValue(bonus.type, bonus.subtype);
    ctrl->GetDragHolder().AddItem(cell);
    ASSERT_TRUE(ctrl->ApplyItemToSocket(cell, rifle.get()));
    auto& names = dynamic_cast<Item_SF&>(*rifle).GetSocketedNames();
    ASSERT_EQ(names.GetSize(), 1);
    EXPECT_EQ(*names.GetAt(0), "Power Cell");
    EXPECT_FLOAT_EQ(rifle->GetAbilityValue(bonus.type, bonus.subtype), before + bonus.value);
    EXPECT_EQ(ctrl->GetDragHolder().GetCount(), 0);

    g_SciFiRules.combatLinkDuration = 0.5f;
    WorldElem* crate = ctrl->GetWorld().FindObjectByWorldID("crate1", nullptr);
    ASSERT_NE(crate, nullptr);
    ctrl->AddCombatLink(crate, 1, ctrl->GetMainChar());
    DedicatedServer::RunFrames(*ctrl, 10);
    EXPECT_EQ(ctrl->GetNumCombatLinks(), 1);
    DedicatedServer::RunFrames(*ctrl, 10);
    EXPECT_EQ(ctrl->GetNumCombatLinks(), 0);
}
