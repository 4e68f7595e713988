// ItemAbilityType: the ability type codes of the game's items, as "cfg\items.cfg" gives them and
// items and creatures compare them (the engine's own codes stand in ItemAbility).
#pragma once
#include <cstdint>

namespace ItemAbilityType {

constexpr int32_t kDamPhys = 1;    // subtype 0 and 1: the two physical damages
constexpr int32_t kDamPoison = 3;  // subtype 0 and 1
constexpr int32_t kDefPhys = 4;    // subtype -1 both, 0 and 1 one of the two
constexpr int32_t kDefPoison = 6;
constexpr int32_t kArmour = 15;
constexpr int32_t kManaLeech = 27;
constexpr int32_t kHealthLeech = 28;
constexpr int32_t kDamPhysBonus = 101;  // factors: percentage p stored as 1 + p * 0.01
constexpr int32_t kShieldEnergy = 102;
constexpr int32_t kShieldEnergyMax = 103;
constexpr int32_t kShieldRecoverRel = 104;
constexpr int32_t kShieldRecoverAbs = 105;
constexpr int32_t kManaShield = 106;
constexpr int32_t kSockets = 107;  // subtype: the socket count, value 0
constexpr int32_t kDamReflect = 108;
constexpr int32_t kManaCostMultiplier = 109;
constexpr int32_t kDefPhysRel = 110;
constexpr int32_t kManaMaxMultiplier = 111;
constexpr int32_t kDodgeRefillMultiplier = 112;
constexpr int32_t kDodgeEnergyMax = 113;
constexpr int32_t kSkillBonus = 114;
constexpr int32_t kFillShieldInsteadOfMana = 115;
constexpr int32_t kAlwaysRechargeShield = 116;
constexpr int32_t kDamPhysWeaponBonus = 117;  // factors as kDamPhysBonus
constexpr int32_t kSkillUpgrade = 118;        // subtype: the skill ID

}  // namespace ItemAbilityType
