// CreatureCycleValues: what a creature's cycle chooser and movement read beside its two cycle
// players: animation factors, hit playback, death cycle, speeds by movement mode, the height
// track, the repeated-request count and the root motion of the frame.
#pragma once
#include <cstdint>

struct CreatureCycleValues {
    float aniSpeedFactor = 1.0f;   // A: bored cycles
    float walkAniFactor = 1.0f;    // Wk: walking cycles
    uint8_t movementChanged = 0;   // set by a change of movement mode
    uint8_t hitRestart = 0;        // the next hit restarts its cycle
    float hitLength = 0.5f;        // seconds a hit cycle is played in
    int16_t deathCycle = 0;        // cycle = value - 1; 0 none
    uint8_t deathVariant = 0;      // 1 to 3: cycle 447 + variant
    // Speeds of the normal modes (0 and above) and of the slow walk (-2).
    float forwardSpeed = 100.0f;
    float backwardSpeed = 100.0f;
    float sideSpeed = 100.0f;
    float slowSpeed = 100.0f;
    // Speeds of mode -1 (running).
    float runForwardSpeed = 150.0f;
    float runBackwardSpeed = 100.0f;
    float runSideSpeed = 100.0f;
    float rotationSpeed = 5.0f;
    float acceleration = 0.0f;  // 0: none, the speed is reached at once
    float turningSpeed = 0.0f;  // radians per second of the turn now made
    uint8_t heightTrack = 0;    // the height curve of a cycle that lifts the creature
    int32_t repeatedCycle = -1;  // the cycle requested in a row, and how often
    int32_t repeatCount = 0;
    // The root motion of the frame, blended from both players.
    float rootDx = 0.0f;
    float rootDy = 0.0f;
    float rootRotationDelta = 0.0f;
    float rootRotation = 0.0f;
    uint8_t poseDirty = 0;
};
