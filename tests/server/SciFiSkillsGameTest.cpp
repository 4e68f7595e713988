// The sample game's skills in the running server: the driver reads them, with the soldier's own
// skill file, before the new game and without a warning; the hero's skill buttons take its
// learned skills, and their scripts scale the damage it deals and takes.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "scifi/input/SciFiInputCtrl.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "scifi/skills/SkillTreeEntry.h"
#include "world/WorldCtrl.h"

#include "support/LogCapture.h"
#include "support/SampleServerGame.h"

#include <gtest/gtest.h>

namespace {

class SciFiSkillsGameTest : public SampleServerGame<SciFiGameCtrl> {};

}  // namespace

TEST_F(SciFiSkillsGameTest, TheSampleSkillsLoadAndScaleTheHerosDamage)
{
    LogCapture log;
    Start();
    EXPECT_EQ(log.Count("Warning"), 0);
    ASSERT_EQ(ErrorOf([&] { DedicatedServer::RunFrames(*ctrl, 30); }), "no error");
    EXPECT_EQ(log.Count("Warning"), 0);

    const SkillTreeEntry* heal = ctrl->FindSkill(String("heal"));
    const SkillTreeEntry* guard = ctrl->FindSkill(String("guard"));
    SkillTreeEntry* strike = ctrl->FindSkill(String("strike"));
    ASSERT_NE(heal, nullptr);
    ASSERT_NE(guard, nullptr);
    ASSERT_NE(strike, nullptr);
    EXPECT_EQ(heal->displayName, wString(u"Heal"));
    EXPECT_EQ(guard->requiredRecords[0], ctrl->FindSkill(String("drill")));  // the soldier's file
    EXPECT_EQ(strike->strategy, ctrl->GetWorld().FindStrategyEntry("PlayerMelee", false));
    EXPECT_EQ(strike->weaponStrategy, 0);

    auto* hero = dynamic_cast<CreatureObj_SF*>(ctrl->GetMainChar());
    auto* drone = dynamic_cast<CreatureObj_SF*>(ctrl->GetWorld().FindObjectByWorldID("drone1", nullptr));
    ASSERT_NE(hero, nullptr);
    ASSERT_NE(drone, nullptr);
    auto* input = dynamic_cast<SciFiInputCtrl*>(hero->m_InputCtrl);
    ASSERT_NE(input, nullptr);
    ctrl->AssignDefaultSkillButtons();
    EXPECT_EQ(input->GetSkillSlot(2, true, false), strike);
    EXPECT_EQ(input->GetSkillSlot(3, true, false), ctrl->FindSkill(String("drill")));
    EXPECT_EQ(input->GetSkillSlot(1, false, true), nullptr);  // no active skill is learned
    EXPECT_FLOAT_EQ(hero->GetDamageDealFactor(drone), 1.5f);
    EXPECT_FLOAT_EQ(hero->GetDamageReceiveFactor(drone), 1.0f);
    ctrl->LearnSkill(String("guard"), false, 1, true);  // the button keeps the drill
    ctrl->SetSkillButton3(ctrl->FindSkill(String("guard")));
    EXPECT_FLOAT_EQ(hero->GetDamageReceiveFactor(drone), 0.5f);
    EXPECT_FLOAT_EQ(drone->GetDamageDealFactor(hero), 1.0f);  // not a hero
    ASSERT_EQ(ErrorOf([&] { DedicatedServer::RunFrames(*ctrl, 30); }), "no error");
}
