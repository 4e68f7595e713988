// ActionShot: construction, the shot defaults and the copy.
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
    hitEffects.ResetEffects();
    itemDamFactor.Clear();
}

void ActionShot::CopyFrom(const ActionShot& other)
{
    if (&other == this)
        return;
    static_cast<ActionEntryBase&>(*this) = other;
    projectileEffect = other.projectileEffect;
    traceEffect = other.traceEffect;
    hitEffect = other.hitEffect;
    hitEffectCreature = other.hitEffectCreature;
    shootEffect = other.shootEffect;
    for (int32_t i = 0; i < kChildren; i++) {
        child[i] = other.child[i];
        for (int32_t axis = 0; axis < 3; axis++)
            childPos[i][axis] = other.childPos[i][axis];
        childScale[i] = other.childScale[i];
    }
    spdMove = other.spdMove;
    size = other.size;
    friendlySizeFactor = other.friendlySizeFactor;
    traceProb = other.traceProb;
    traceWayPerEmit = other.traceWayPerEmit;
    numShots = other.numShots;
    scatterAngle = other.scatterAngle;
    width = other.width;
    height = other.height;
    maxDist = other.maxDist;
    angleDeviation = other.angleDeviation;
    angle = other.angle;
    damDist = other.damDist;
    pervasive = other.pervasive;
    collideWithShots = other.collideWithShots;
    mass = other.mass;
    serialNumber = other.serialNumber;
    damFactorWay = other.damFactorWay;
    for (int32_t i = 0; i < 2; i++) {
        startOffsetLocal[i] = other.startOffsetLocal[i];
        startOffsetLocalShootEffect[i] = other.startOffsetLocalShootEffect[i];
        startOffsetShootEffect[i] = other.startOffsetShootEffect[i];
        randomMove[i] = other.randomMove[i];
    }
    randomStartOffsetLocalRadius = other.randomStartOffsetLocalRadius;
    lightEveryNthCount = other.lightEveryNthCount;
    lghtInt = other.lghtInt;
    lghtHeight = other.lghtHeight;
    lghtFadeIn = other.lghtFadeIn;
    hitLghtInt = other.hitLghtInt;
    hitLghtHeight = other.hitLghtHeight;
    hitLghtFadeOut = other.hitLghtFadeOut;
    lghtCol = other.lghtCol;
    hitLghtCol = other.hitLghtCol;
    hitEffects = other.hitEffects;
    itemDamFactor = other.itemDamFactor;
    onHit = other.onHit;
    onDamage = other.onDamage;
    onInit = other.onInit;
    sndCollide = other.sndCollide;
    sndAmbi = other.sndAmbi;
}
