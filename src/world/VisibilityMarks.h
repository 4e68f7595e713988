// VisibilityMarks: what the world's visibility marking keeps of an element: whether it was seen,
// whether it reveals the floor around it, and, for visibility objects (event objects of
// visibility kind 4), their test points, on flag and flag value. The game objects fill it.
#pragma once
#include "platform/D3DXMath.h"

#include <cstdint>
#include <vector>

struct VisibilityMarks {
    static constexpr int32_t kVisibilityObject = 4;  // the visibility kind of a visibility object
    static constexpr uint32_t kOn = 0x1;
    static constexpr uint32_t kLostSight = 0x2;  // set once a switched-on object is no longer seen
    static constexpr uint8_t kSeen = 1;
    static constexpr uint8_t kSeenLocked = 255;

    uint8_t seen = 0;            // 0 not seen, 1 seen, 255 seen and locked
    uint8_t seenBefore = 0;
    uint8_t lockWhenSeen = 0;    // a seen element goes to seen and locked
    uint8_t marksArea = 0;       // the element reveals the floor vertices it can see
    int32_t kind = 0;            // the event object's visibility kind
    uint32_t flags = 0;
    float flagValue = 0.0f;
    std::vector<D3DXVECTOR2> testPoints;  // offsets from the position tried in order; none: the position
};
