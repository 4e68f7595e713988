// AC_FadeProperties: one animation cycle player of a creature (the base cycle or the second,
// weighted cycle): the cycle playing, its time, speed and length, the fade from the pose at the
// last change, and the root motion of the cycle's base dummy. Here its state as a plain record;
// playing the cycles comes with the creature's animation.
#pragma once
#include "base/ErrorClass.h"

#include <cstdint>

class AniCycle;
class AniCycleSet;

class AC_FadeProperties : public ErrorClass {
public:
    AC_FadeProperties() { CopyName32(this, "AC_FadeProperties"); }
    AC_FadeProperties(const AC_FadeProperties& other) = default;
    AC_FadeProperties& operator=(const AC_FadeProperties& other) = default;

    uint16_t sentCycleWord = 0xFFFF;  // the packed state last sent
    uint16_t sentSpeedWord = 0;
    int32_t cycleNumber = -1;  // -2 after an init, -1 none
    AniCycle* pNextCycle = nullptr;  // game data
    float time = 0.0f;
    float fade = 0.0f;
    float weight = 0.0f;
    float weightAtChange = 0.0f;
    int32_t reverse = 0;
    float interpolationTimeFactor = 1.0f;
    float length = 0.0f;
    float speed = 1.0f;
    float rootDelta[2] = {0.0f, 0.0f};
    float rootPos[2] = {0.0f, 0.0f};
    float rootPosAtChange[2] = {0.0f, 0.0f};
    float rotationDelta = 0.0f;
    float rotation = 0.0f;
    float rotationAtChange = 0.0f;
    const AniCycleSet* cycleSet = nullptr;  // game data
    const AniCycle* boundCycle = nullptr;
    int32_t baseDummyIndex = -1;
    int16_t rootModes[2] = {0, 0};  // position, rotation
    float fadeInTime = 1.0f;
    float passDisplacement[2] = {0.0f, 0.0f};
    float passRotation = 0.0f;
    uint8_t eventFlag = 0;
};
