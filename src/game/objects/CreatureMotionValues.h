// CreatureMotionValues: what a creature keeps for its facing, its goal, the drawn body's ground
// offset, its reference point, its hit sounds and its approach: the values beside the movement
// that the orientation operations, the movement steps and the queries read.
#pragma once
#include "base/SmartPtr.h"
#include "world/WorldElem.h"

#include <cstdint>

struct CreatureMotionValues {
    static constexpr float kUnknownGround = 8e9f;  // a ground height at or above it is not known

    float angleOffset = 0.0f;      // added to the element angle to give the facing
    float angleBeforeTurn = 0.0f;  // the world angle before the last turn
    float turnDirection = 0.0f;    // signed angle of the last turn
    float viewAngle = 0.0f;        // the facing while a turn keeps its direction
    float syncedFacing = 0.0f;     // the facing the network last agreed on
    float goalPos[2] = {0.0f, 0.0f};
    float goalAngle = 0.0f;
    float goalSpeed = 150.0f;      // how near the goal counts as reached (with the rotation speed)
    float groundOffset = 0.0f;     // the drawn body's offset from its position on steps
    float lastGround = 9e9f;       // the ground height of the last frame
    double lastHitSound = -1e9;    // game time the hit sounds last played
    SmartPtr<WorldElem> reference; // the element the reference offset is taken from
    float referenceOffset[2] = {0.0f, 0.0f};
    uint8_t heightFlag = 0;        // scripts set it: line tests start at the creature's height
    uint8_t cyclesRestarted = 0;   // the fade cycles were started again
    float approachTolerance = 0.0f;  // added to the contact distance of an approach
    float approachDistance = -1.0f;  // an approach ends within it; below 0 none
    float lastFollowTurn = 0.0f;   // the last approach step's change of angle
};
