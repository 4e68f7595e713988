// HitEffects: what a hit does to its target besides damage (knockback, knockdown, stun, freeze,
// slow), one record per world object type and per shot or spell of an action, owned by it.
#pragma once
#include <cstdint>

struct HitEffects {
    float knockback = 0.0f;
    float knockdown = 0.0f;
    float stun = 0.0f;
    float stunTime = 0.0f;  // seconds
    uint8_t enterHitCycle = 0;
    float slow = 0.0f;
    float freeze = 0.0f;
};
