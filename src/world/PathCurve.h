// PathCurve: a path of 2D positions over time that an element can move along, given by keys with
// incoming and outgoing tangents, the preparation of those tangents from the keys and the
// position and direction of travel at a time; PathMotion, an element's way along its path.
#pragma once
#include "platform/D3DXMath.h"

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

    // The position at time t and, when asked, the tangent (the change of position per second).
    // Before the first key and after the last one an open path keeps the end key's position; a
    // looped path wraps t into its loop. Linear and stepped paths write no tangent between keys.
    // A path without keys is not evaluated: pos stays as it is.
    void Evaluate(double t, D3DXVECTOR2& pos, D3DXVECTOR2* tangent) const;

    std::vector<PathKey> keys;  // times rise with the index
    int32_t mode = 0;           // above 0 cubic Hermite, 0 linear, below 0 stepped
    uint8_t loop = 0;
    float loopTime = 0.0f;  // when a looped path is back at its first key
};

// An element's motion along its path (keys "MovePath", "PathMoveSpd", "PathStartTime",
// "PathGotoTime", "LoopPathEndTime", "RotateWithPath", "LocalPathCoords"): the path time advances
// by the speed each frame and the element is moved to the path's point at it. A looped path is
// cyclic, its loop time the period.
struct PathMotion {
    PathCurve curve;
    float time = 0.0f;      // the path parameter
    float gotoTime = 0.0f;  // where the parameter stops when stopAtTarget is set
    float speed = 0.0f;     // parameter units per second; 0 keeps the element off its path
    float offset[2] = {0.0f, 0.0f};  // the path origin, added with addOffset
    uint8_t stopAtTarget = 0;
    uint8_t advanceWhenBlocked = 0;  // the time runs on while the element is held up
    uint8_t addOffset = 0;
    uint8_t faceDirection = 0;  // the element turns into its direction of travel

    bool IsActive() const { return curve.GetNumKeys() > 0 && speed != 0.0f; }
};
