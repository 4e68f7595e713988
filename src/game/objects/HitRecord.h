// HitRecord: a received hit as the creature's protection resolved it: the damage that remains and
// the hit reactions it carries (stun, slow, freeze, knock-down) with its flag byte. The hit
// reaction (CreatureObj::OnHit) reads it; the game's rules make their own from their protection.
#pragma once
#include <cstdint>

struct HitRecord {
    float damage = 0.0f;
    float stunStrength = 0.0f;
    float stunTime = 0.0f;
    float slowTime = 0.0f;
    float freezeTime = 0.0f;
    float knockDownTime = 0.0f;
    uint8_t flag = 0;  // handed to the direct damage with the amount
};
