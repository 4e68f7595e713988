// DamageEntry: the damage part of an attack or effect as the action file gives it: value ranges
// (from, to) of the hit effects and the damage, the script run on damage, the hit's direction and
// how it spreads.
#pragma once
#include "base/String.h"

#include <cstdint>

struct DamageEntry {
    float knockback[2] = {0.0f, 0.0f};
    float knockdown[2] = {0.0f, 0.0f};
    float stun[2] = {0.0f, 0.0f};
    float stunTime[2] = {0.0f, 0.0f};
    float freeze[2] = {0.0f, 0.0f};
    float slow[2] = {0.0f, 0.0f};
    float damFromTo[2] = {0.0f, 0.0f};
    String onDamage;
    float angle = 0.0f;      // radians
    float direction = 0.0f;  // radians
    float precisionPenalty = 0.0f;
    int32_t hitAll = 0;
    uint32_t serialNumber = 0;
};
