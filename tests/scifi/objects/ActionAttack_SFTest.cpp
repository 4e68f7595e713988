// ActionAttack_SF: the reset of the game's ranges over whatever an attack held, the copy by type
// with the function names of the physical ranges, and the controller's attack factory and its
// use of an attack's physical ranges.
#include "scifi/objects/ActionAttack_SF.h"

#include "FunctionTestCtrl.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "scifi/objects/DamageValues_SF.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// Every range of the game and an engine field set to values no reset gives.
void Scramble(ActionAttack_SF& attack)
{
    for (AttributePair& pair : attack.damPhys)
        for (TransformableAttribute& attribute : pair.attributes) {
            attribute.SetValue(7.0f);
            attribute.functionName = "level";
        }
    for (float* pair : {attack.damPoison, attack.damPoisonTime, attack.weaken, attack.manaLeech, attack.healthLeech,
                        attack.inflame}) {
        pair[0] = 5.0f;
        pair[1] = 6.0f;
    }
    attack.blastKnockDown = 3.0f;
    attack.reach = 9.0f;
    attack.angle = 1.0f;
}

}  // namespace

TEST(ActionAttack_SFTest, ResetGivesTheGameDefaults)
{
    ActionAttack_SF attack;
    EXPECT_EQ(attack.damPoison[0], 0.0f);  // made: every range 0
    EXPECT_EQ(attack.damPhys[1].attributes[0].GetRawValue(), 0.0f);
    Scramble(attack);
    attack.ResetAttack();
    for (const float* pair : {attack.damPoison, attack.damPoisonTime, attack.weaken, attack.manaLeech,
                              attack.healthLeech}) {
        EXPECT_EQ(pair[0], 1.0f);
        EXPECT_EQ(pair[1], 0.0f);
    }
    for (const AttributePair& pair : attack.damPhys) {
        EXPECT_EQ(pair.attributes[0].GetRawValue(), 1.0f);
        EXPECT_EQ(pair.attributes[1].GetRawValue(), 0.0f);
        EXPECT_FALSE(pair.attributes[0].HasFunction());
        EXPECT_FALSE(pair.attributes[1].HasFunction());
    }
    EXPECT_EQ(attack.blastKnockDown, 0.0f);
    EXPECT_EQ(attack.inflame[0], 0.0f);
    EXPECT_EQ(attack.inflame[1], 0.0f);
    EXPECT_EQ(attack.reach, 0.0f);  // the engine's reset ran first
    EXPECT_EQ(attack.reachBonus, ActionAttack::kDefaultReachBonus);
    EXPECT_EQ(attack.angle, 0.2617994f);
}

TEST(ActionAttack_SFTest, CopyByTypeCarriesTheFunctionNames)
{
    ActionAttack_SF attack;
    Scramble(attack);
    attack.damPhys[1].attributes[1].functionName = "might";
    attack.onDamage = "Hit();";
    std::unique_ptr<cfDynamicObject> made(attack.CreateNew());
    auto* copy = dynamic_cast<ActionAttack_SF*>(made.get());
    ASSERT_NE(copy, nullptr);
    attack.CopyTo(copy);
    EXPECT_EQ(copy->damPhys[0].attributes[0].functionName, "level");
    EXPECT_EQ(copy->damPhys[1].attributes[1].functionName, "might");
    EXPECT_EQ(copy->damPhys[1].attributes[1].GetRawValue(), 7.0f);
    EXPECT_EQ(copy->healthLeech[1], 6.0f);
    EXPECT_EQ(copy->inflame[0], 5.0f);
    EXPECT_EQ(copy->blastKnockDown, 3.0f);
    EXPECT_EQ(copy->reach, 9.0f);
    EXPECT_EQ(copy->onDamage, "Hit();");

    ActionAttack engine;  // an engine attack takes the engine's part alone
    attack.CopyTo(&engine);
    EXPECT_EQ(engine.reach, 9.0f);
}

TEST(ActionAttack_SFTest, FactoryAndTheAttackDamage)
{
    FunctionTestCtrl ctrl(2.0f);
    std::unique_ptr<ActionAttack> made(ctrl.CreateActionAttack());
    auto* attack = dynamic_cast<ActionAttack_SF*>(made.get());
    ASSERT_NE(attack, nullptr);
    attack->damPhys[0].attributes[1].SetValue(4.0f).functionName = "level";
    attack->damPhys[1].attributes[1].SetValue(3.0f);
    WorldElem creature;
    DamageValuesHolder target;
    ctrl.TransformAttackDamage(target, *attack, &creature);
    auto* values = dynamic_cast<DamageValues_SF*>(target.Get());
    ASSERT_NE(values, nullptr);
    EXPECT_EQ(values->GetPhysical(0), 8.0f);
    EXPECT_EQ(values->GetPhysical(1), 3.0f);

    // The damage script's current attack damage: the physical amounts and the poison.
    values->poison = 5.0f;
    ctrl.SetCurrentDamage(values);
    EXPECT_EQ(ctrl.GetCurrentAttackDamage()[0], 8.0f);
    EXPECT_EQ(ctrl.GetCurrentAttackDamage()[1], 3.0f);
    EXPECT_EQ(ctrl.GetCurrentAttackValue(), 5.0f);
    EXPECT_NE(ctrl.GetCurrentDamage(), nullptr);  // the engine keeps its copy
    ctrl.SetCurrentDamageNone();
    EXPECT_EQ(ctrl.GetCurrentAttackDamage()[0], 0.0f);
    EXPECT_EQ(ctrl.GetCurrentAttackDamage()[1], 0.0f);
    EXPECT_EQ(ctrl.GetCurrentAttackValue(), 0.0f);
    EXPECT_EQ(ctrl.GetCurrentDamage(), nullptr);
}
