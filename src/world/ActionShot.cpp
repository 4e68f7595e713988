// ActionShot: construction and the shot defaults.
#include "world/ActionShot.h"

ActionShot::ActionShot() { Reset(); }

void ActionShot::Reset()
{
    ActionEntryBase::Reset();
    for (int32_t i = 0; i < kChildren; i++) {
        for (float& value : childPos[i])
            value = 0.0f;
        childScale[i] = 1.0f;
    }
    spdMove = 500.0f;
    size = 0.0f;
    friendlySizeFactor = 0.5f;
    traceProb = 0.0f;
    traceWayPerEmit = 0.0f;
    numShots = 1;
    scatterAngle = 0.34906584f;  // 20 degrees
    width = 0.0f;
    height = 0.0f;
    maxDist = 2000.0f;
    angleDeviation = 0.0f;
    angle = 0.0f;
    damDist = 0.0f;
    pervasive.Clear();
    collideWithShots = 0;
    mass = 1.0f;
    serialNumber = 0;
    damFactorWay = BezierSpline<float>();
    for (int32_t i = 0; i < 2; i++) {
        startOffsetLocal[i] = 0.0f;
        startOffsetLocalShootEffect[i] = 0.0f;
        startOffsetShootEffect[i] = 0.0f;
        randomMove[i] = 0.0f;
    }
    randomStartOffsetLocalRadius = 0.0f;
    lightEveryNthCount = 1;
    lghtInt = 0.0f;
    lghtHeight = 0.0f;
    lghtFadeIn = 0.0f;
    hitLghtInt = 0.0f;
    hitLghtHeight = 0.0f;
    hitLghtFadeOut = 0.12f;
    lghtCol = kNoLightColour;
    hitLghtCol = kNoLightColour;
    hitEffects = HitEffects();
    itemDamFactor.Clear();
}
