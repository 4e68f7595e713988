// HitEffects: what a hit does to its target besides the engine's damage (knockback, knockdown,
// stun, freeze, slow) and the damage values it carries, one record per world object type and per
// shot or spell of an action, owned by it.
#pragma once
#include "world/DamageValues.h"

#include <cstdint>

// The hit's damage values, made through the controller's factory; a copy is a copy of the set,
// of its class.
class HitDamageHolder : public DamageValuesHolder {
public:
    HitDamageHolder() = default;
    HitDamageHolder(const HitDamageHolder& other) : DamageValuesHolder(nullptr) { Assign(other); }
    HitDamageHolder& operator=(const HitDamageHolder& other)
    {
        if (this != &other)
            Assign(other);
        return *this;
    }
};

struct HitEffects {
    float knockback = 0.0f;
    float knockdown = 0.0f;
    float stun = 0.0f;
    float stunTime = 0.0f;  // seconds
    uint8_t enterHitCycle = 0;
    float slow = 0.0f;
    float freeze = 0.0f;
    HitDamageHolder damage;  // a shot's projectile carries a copy

    // Every effect back to none; the damage values stay.
    void ResetEffects()
    {
        knockback = knockdown = stun = stunTime = slow = freeze = 0.0f;
        enterHitCycle = 0;
    }
};
