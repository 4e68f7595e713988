// PathCurve: a path of 2D positions over time that an element can move along, given by keys with
// incoming and outgoing tangents, and the preparation of those tangents from the keys.
#pragma once
#include <cstdint>
#include <vector>

struct PathKey {
    float time = 0.0f;
    float x = 0.0f;
    float y = 0.0f;
    float inX = 0.0f;  // incoming tangent, pointing back along the path
    float inY = 0.0f;
    float outX = 0.0f;
    float outY = 0.0f;
};

class PathCurve {
public:
    int32_t GetNumKeys() const { return int32_t(keys.size()); }

    // Derives every key's tangents from its neighbours (KeyTangents) and marks the path prepared:
    // its mode becomes cubic. A looped path's loop time below the last key's time is raised to it.
    void PrepareTangents(float tension);

    std::vector<PathKey> keys;  // times rise with the index
    int32_t mode = 0;           // above 0 cubic Hermite, 0 linear, below 0 stepped
    uint8_t loop = 0;
    float loopTime = 0.0f;  // when a looped path is back at its first key
};
