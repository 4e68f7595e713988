// ItemValueParameters: the parameters of "cfg\itemFunctions.cfg" that price an item, a value
// factor and a power per attribute, and the money value formula over an item's abilities.
#pragma once
#include <cstdint>

class ItemBase;

struct ItemValueParameters {
    // The attributes in the order of both arrays.
    enum Attribute : int32_t {
        kHitp,
        kManaMax,
        kMoveSpeedBonus,
        kManaRecoverAbs,
        kDefPhys,
        kDefMagic,
        kDefPoison,
        kArmour,
        kDamPhys1,
        kDamPhys2,
        kDamPoison,
        kKnockBack,
        kBase,
        kShieldMax,
        kShieldRecAbs,
        kDodgeRefillMult,
        kSkillBonus,
        kSkillUpgrade,
        kCount
    };

    // Both arrays start with the controller's item weights; reading the file first sets the
    // defaults of SetDefaults.
    ItemValueParameters();
    // The factors and powers that a file without keys gives.
    void SetDefaults();

    // The base factor plus one term per priced ability, before the caller's rounding. An ability
    // of physical damage whose subtype is neither 0 nor 1 adds nothing and is counted in
    // ignoredAbilities.
    float CalcItemValue(const ItemBase& item, int32_t& ignoredAbilities) const;

    float values[kCount];
    float powers[kCount];
};
