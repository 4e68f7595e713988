// ActionShot: one shot of an action entry ("SHOT" blocks of "cfg\actions.cfg"): the projectile's
// effects, flight, children, light and hit values. The action definitions loader fills it; the
// world fires it.
#pragma once
#include "base/BezierSpline.h"
#include "base/String.h"
#include "world/ActionEntryBase.h"
#include "world/DamageValues.h"
#include "world/HitEffects.h"
#include "world/TransformableAttribute.h"

#include <cstdint>

class ActionShot : public ActionEntryBase {
public:
    static constexpr int32_t kChildren = 4;
    static constexpr uint32_t kNoLightColour = 0xFF000000u;

    // Its damage values come from the controller's factory; then the shot defaults.
    ActionShot();
    ActionShot(const ActionShot&) = delete;
    ActionShot& operator=(const ActionShot&) = delete;

    // The shot defaults; the strings and the damage values are left as they are.
    void Reset();
    // Takes every value of other, the part's included; the damage values become a copy of
    // other's (none when it has none).
    void CopyFrom(const ActionShot& other);

    String projectileEffect;
    String traceEffect;
    String hitEffect;
    String hitEffectCreature;
    String shootEffect;
    String child[kChildren];
    float childPos[kChildren][3] = {};
    float childScale[kChildren] = {};
    float spdMove = 0.0f;
    float size = 0.0f;
    float friendlySizeFactor = 0.0f;
    float traceProb = 0.0f;
    float traceWayPerEmit = 0.0f;
    int32_t numShots = 0;
    float scatterAngle = 0.0f;  // radians
    float width = 0.0f;
    float height = 0.0f;
    float maxDist = 0.0f;
    float angleDeviation = 0.0f;  // radians
    float angle = 0.0f;           // radians
    float damDist = 0.0f;
    TransformableAttribute pervasive;
    uint8_t collideWithShots = 0;
    float mass = 0.0f;
    uint32_t serialNumber = 0;
    BezierSpline<float> damFactorWay;
    float startOffsetLocal[2] = {};
    float startOffsetLocalShootEffect[2] = {};
    float startOffsetShootEffect[2] = {};
    float randomStartOffsetLocalRadius = 0.0f;
    float randomMove[2] = {};  // the first in radians
    uint16_t lightEveryNthCount = 0;
    float lghtInt = 0.0f;
    float lghtHeight = 0.0f;
    float lghtFadeIn = 0.0f;
    float hitLghtInt = 0.0f;
    float hitLghtHeight = 0.0f;
    float hitLghtFadeOut = 0.0f;
    uint32_t lghtCol = kNoLightColour;
    uint32_t hitLghtCol = kNoLightColour;
    HitEffects hitEffects;
    TransformableAttribute itemDamFactor;
    String onHit;
    String onDamage;
    String onInit;
    String sndCollide;
    String sndAmbi;
};
