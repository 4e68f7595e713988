// ItemValueParameters: the money value formula, one term per priced ability, on the default
// parameters.
#include "scifi/treasure/ItemValueParameters.h"

#include "game/objects/ItemBase.h"
#include "scifi/objects/ItemAbilityType.h"

#include <gtest/gtest.h>

#include <vector>

TEST(ItemValueParametersTest, CalcItemValue)
{
    ItemValueParameters parameters;
    parameters.SetDefaults();
    parameters.values[ItemValueParameters::kBase] = 2.0f;
    parameters.values[ItemValueParameters::kDamPhys2] = 7.0f;
    namespace T = ItemAbilityType;
    struct Ability {
        int32_t type;
        int32_t subtype;
        float value;
    };
    const struct {
        const char* what;
        std::vector<Ability> abilities;
        float value;
        int32_t ignored;
    } cases[] = {
        {"no abilities", {}, 2.0f, 0},
        {"skill bonus 2.5 counts 3", {{T::kSkillBonus, 0, 2.5f}}, 2.0f + 200.0f * 3.0f, 0},
        {"skill bonus -2.5 counts -3", {{T::kSkillBonus, 0, -2.5f}}, 2.0f - 200.0f * 3.0f, 0},
        {"skill upgrade 1.4 counts 1", {{T::kSkillUpgrade, 9, 1.4f}}, 2.0f + 200.0f, 0},
        {"move speed 1.0 adds nothing", {{ItemAbility::kMoveSpeed, 0, 1.0f}}, 2.0f, 0},
        {"move speed 1.2", {{ItemAbility::kMoveSpeed, 0, 1.2f}}, 2.0f + 25.0f * 0.2f, 0},
        {"dodge refill 1.5", {{T::kDodgeRefillMultiplier, 0, 1.5f}}, 2.0f + 25.0f * 0.5f, 0},
        {"physical damage 1 and 2", {{T::kDamPhys, 0, 3.0f}, {T::kDamPhys, 1, 2.0f}}, 2.0f + 75.0f + 14.0f, 0},
        {"physical damage of subtype 2", {{T::kDamPhys, 2, 3.0f}, {T::kDamPhys, -1, 3.0f}}, 2.0f, 2},
        {"defence and poison are not priced",
         {{T::kDefPhys, -1, 5.0f}, {T::kDefPoison, 0, 5.0f}, {T::kDamPoison, 0, 5.0f}},
         2.0f,
         0},
        {"the rest",
         {{T::kArmour, 0, 2.0f},
          {ItemAbility::kHitPoints, 0, 3.0f},
          {ItemAbility::kManaMax, 0, 4.0f},
          {ItemAbility::kKnockback, 0, 10.0f},
          {ItemAbility::kManaRecoverAbs, 0, 0.5f},
          {T::kShieldEnergyMax, 0, 6.0f},
          {T::kShieldRecoverAbs, 0, 0.25f}},
         2.0f + 80.0f + 99.0f + 100.0f + 5.0f + 100.0f + 150.0f + 50.0f,
         0},
    };
    for (const auto& c : cases) {
        ItemBase item;
        for (const Ability& a : c.abilities) {
            ItemAbility ability;
            ability.type = a.type;
            ability.subtype = a.subtype;
            ability.value = a.value;
            item.AddAbility(ability, false);
        }
        int32_t ignored = -1;
        EXPECT_FLOAT_EQ(parameters.CalcItemValue(item, ignored), c.value) << c.what;
        EXPECT_EQ(ignored, c.ignored) << c.what;
    }
}
