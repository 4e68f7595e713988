// ShotRepeat: how a part of an action repeats: how many copies the action loader makes, and what
// each copy adds to the one before (a later moment, another direction, another start offset).
#pragma once
#include <cstdint>

struct ShotRepeat {
    void Reset() { *this = ShotRepeat(); }

    int32_t count = 1;
    float pointOffset = 0.0f;
    float directionOffset = 0.0f;  // radians
    float startOffsetOffset[2] = {0.0f, 0.0f};
};
