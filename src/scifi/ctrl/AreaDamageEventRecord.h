// AreaDamageEventRecord: the payload of the game's area damage event (type 1), which the game's
// rules post (scripts, explosions) and apply in the world update; the world itself never reads it.
#pragma once
#include "world/DamageValuesImage.h"

#include <cstdint>

struct WorldEvent;

// Type 1, 96 bytes: 0 x and 4 y of the centre (f32), 8 the radius (f32), 12 the reach offset
// added around each target (f32), 16 the damage values' image (DamageValuesImage, 72 bytes),
// 88 the causer's object ID (i32), 92 the last value handed to each single damage (i32).
struct AreaDamageEventRecord {
    static constexpr uint16_t kType = 1;
    static constexpr int32_t kSize = 96;
    float centre[2] = {0.0f, 0.0f};
    float radius = 0.0f;
    float reachOffset = 0.0f;
    DamageValuesImage damage;
    int32_t causerID = -1;
    int32_t lastValue = 0;
    void Write(WorldEvent& event) const;
    bool Read(const WorldEvent& event);
};
