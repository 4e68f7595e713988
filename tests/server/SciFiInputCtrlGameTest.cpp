// SciFiInputCtrl in the running game on a copy of the sample game: the server's inputs are the
// game's controllers, the sample's key bindings are read at start-up, and a hero whose attack
// button is held on a client's mouse walks up to the drone, strikes it through the game's hit chain and fills its
// damage meter in the driver's frame loop.
#include "scifi/input/SciFiInputCtrl.h"

#include "scifi/ctrl/SciFiGameCtrl.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "world/WorldCtrl.h"

#include "support/FakeInputDevices.h"
#include "support/SampleServerGame.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class SciFiInputCtrlGameTest : public SampleServerGame<SciFiGameCtrl> {
protected:
    void SetUp() override { Start(); }

    float DamageInRing(const SciFiInputCtrl& input)
    {
        float sum = 0.0f;
        for (int32_t slot = 0; slot < input.GetDamageSlotCount(); slot++)
            sum += input.GetDamageSlot(slot);
        return sum;
    }
};

}  // namespace

TEST_F(SciFiInputCtrlGameTest, TheServersInputsAreTheGamesAndTheBindingsAreRead)
{
    WorldElem* drone = ctrl->GetWorld().FindObjectByWorldID("drone1", nullptr);
    ASSERT_NE(drone, nullptr);
    ASSERT_EQ(ErrorOf([&] { DedicatedServer::RunFrames(*ctrl, 60); }), "no error");
    auto* heroInput = dynamic_cast<SciFiInputCtrl*>(ctrl->GetMainChar()->m_InputCtrl);
    auto* droneInput = dynamic_cast<SciFiInputCtrl*>(drone->m_InputCtrl);
    ASSERT_NE(heroInput, nullptr);
    ASSERT_NE(droneInput, nullptr);
    EXPECT_EQ(heroInput->GetMode(), InputCtrl::kModeInput);
    EXPECT_EQ(droneInput->GetMode(), InputCtrl::kModeAI);
    EXPECT_NEAR(heroInput->GetDamageClock(), 2.0f, 0.1f);  // the frame loop ticks it

    // The default bindings were copied for the player and read.
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "cfg" / "controls_user.cfg"));
    const KeyBinding& attack = ctrl->GetControls().GetBinding(Controls::kAttack1);
    EXPECT_EQ(attack.primaryKind, 2);
    EXPECT_EQ(attack.primaryCode, 0);
    EXPECT_TRUE(Controls::s_KeyNamesUtf8);
}

TEST_F(SciFiInputCtrlGameTest, TheHerosStrikesFillItsDamageMeter)
{
    auto* hero = dynamic_cast<CreatureObj_SF*>(ctrl->GetMainChar());
    auto* drone = dynamic_cast<CreatureObj_SF*>(ctrl->GetWorld().FindObjectByWorldID("drone1", nullptr));
    ASSERT_NE(hero, nullptr);
    ASSERT_NE(drone, nullptr);
    auto* input = dynamic_cast<SciFiInputCtrl*>(hero->m_InputCtrl);
    ASSERT_NE(input, nullptr);
    KI_Strategy* melee = ctrl->GetWorld().FindStrategyEntry("PlayerMelee", true);
    ASSERT_NE(melee, nullptr);
    hero->m_BaseValues.damPhys[0] = 6.0f;
    hero->UpdateValues(false);
    hero->m_Stats.immortal = 1;  // the drone strikes back
    const float health = drone->GetHealth();

    // The player holds the attack button on the drone: the frame loop reads it from a client's
    // mouse into the program's mouse state, which the hero's input reads.
    ScopedProgramInputDevices devices;
    devices.mouse.Button(ctrl->GetAttackButton(), true);
    input->AttackObject(drone, melee, false);
    ASSERT_EQ(input->GetAttackOrder(), SciFiInputCtrl::kAttackObject);

    int32_t frames = 0;
    for (; frames < 300 && DamageInRing(*input) == 0.0f; frames++)
        ASSERT_EQ(ErrorOf([&] { DedicatedServer::RunFrames(*ctrl, 1); }), "no error");
    EXPECT_LT(frames, 300) << "the hero never struck the drone";
    EXPECT_LT(drone->GetHealth(), health);
    EXPECT_GT(input->GetDamagePerSecond(), 0.0f);
    EXPECT_GT(input->GetStatistics().attackTime, 0.0f);
    // The meter counts the blow as it was dealt, before the drone's own protection.
    EXPECT_GE(DamageInRing(*input), health - drone->GetHealth());
    EXPECT_TRUE(g_MouseState.IsButtonDown(ctrl->GetAttackButton()));
    EXPECT_EQ(devices.mouse.loss.reads, frames);  // one short batch a frame
}
