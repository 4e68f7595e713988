// ItemValueParameters: the item value parameters and the money value formula.
#include "scifi/treasure/ItemValueParameters.h"

#include "base/Math.h"
#include "game/objects/ItemBase.h"
#include "scifi/objects/ItemAbilityType.h"

#include <algorithm>

namespace {

const float kStartWeights[ItemValueParameters::kCount] = {33.0f, 25.0f, 25.0f, 200.0f, 25.0f, 25.0f,
                                                          25.0f, 40.0f, 25.0f, 25.0f,  25.0f, 0.5f,
                                                          1.0f,  25.0f, 200.0f, 25.0f, 200.0f, 200.0f};
const float kDefaultPowers[ItemValueParameters::kCount] = {1.5f, 1.0f, 2.0f, 8.0f, 0.0f, 0.0f, 0.0f, 5.0f, 0.0f,
                                                           0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};

}  // namespace

ItemValueParameters::ItemValueParameters()
{
    std::copy(std::begin(kStartWeights), std::end(kStartWeights), values);
    std::copy(std::begin(kStartWeights), std::end(kStartWeights), powers);
}

void ItemValueParameters::SetDefaults()
{
    std::copy(std::begin(kStartWeights), std::end(kStartWeights), values);
    std::copy(std::begin(kDefaultPowers), std::end(kDefaultPowers), powers);
}

// Defence and poison abilities carry no price here, so their factors go unused.
float ItemValueParameters::CalcItemValue(const ItemBase& item, int32_t& ignoredAbilities) const
{
    ignoredAbilities = 0;
    float sum = values[kBase];
    for (int32_t position = 0; position < item.GetAbilityCount(); ++position) {
        const ItemAbility* ability = item.GetAbility(position);
        if (!ability)
            continue;
        const float value = ability->value;
        namespace Type = ItemAbilityType;
        switch (ability->type) {
        case Type::kDamPhys:
            if (ability->subtype == 0 || ability->subtype == 1)
                sum += values[kDamPhys1 + ability->subtype] * value;
            else
                ++ignoredAbilities;
            break;
        case Type::kArmour: sum += values[kArmour] * value; break;
        case ItemAbility::kHitPoints: sum += values[kHitp] * value; break;
        case ItemAbility::kManaMax: sum += values[kManaMax] * value; break;
        case ItemAbility::kMoveSpeed: sum += values[kMoveSpeedBonus] * (value - 1.0f); break;
        case ItemAbility::kKnockback: sum += values[kKnockBack] * value; break;
        case ItemAbility::kManaRecoverAbs: sum += values[kManaRecoverAbs] * value; break;
        case Type::kShieldEnergyMax: sum += values[kShieldMax] * value; break;
        case Type::kShieldRecoverAbs: sum += values[kShieldRecAbs] * value; break;
        case Type::kDodgeRefillMultiplier: sum += values[kDodgeRefillMult] * (value - 1.0f); break;
        case Type::kSkillBonus: sum += values[kSkillBonus] * float(RoundFloatToInt(value)); break;
        case Type::kSkillUpgrade: sum += values[kSkillUpgrade] * float(RoundFloatToInt(value)); break;
        default: break;
        }
    }
    return sum;
}
