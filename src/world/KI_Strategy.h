// KI_Strategy: an AI strategy of the strategy definitions ("cfg\strategy.cfg"), kept by the
// world's strategy tree under its name, with its six event blocks (KI_StratBlock) of candidate
// deeds (KI_StratEntry). The strategy loader fills them; creatures find a strategy by name and
// the AI reads it. A deed's score script, with the module the world builds for it and the curve
// that shapes the script's result, rates the deed for a creature and a target
// (WorldCtrl::EvaluateStrategyScore).
#pragma once
#include "base/BezierSpline.h"
#include "base/DynaMem.h"
#include "base/String.h"
#include "world/ScriptReaderGameEngine.h"

#include <memory>

#include <cstdint>

class KI_Strategy;

// One candidate deed of an event block: its code, how it is scored and when it may be chosen.
class KI_StratEntry {
public:
    // The deed codes that the loader maps the block keywords to.
    enum Deed : int32_t {
        kAction = 0,
        kChangeStrategy = 1,
        kFlee = 2,
        kWait = 3,
        kGoAside = 4,
        kWalkAround = 5,
        kBlock = 6,
        kGoto = 7,
        kAimAt = 8,
        kGoLeftEnemy = 9,
        kGoRightEnemy = 10,
        kGoBackEnemy = 11,
        kGoDirectionEnemy = 12,
        kDodgeFront = 13,  // 13 to 16: front, back, left, right
        kJumpFront = 17,   // 17 to 20: front, back, left, right
        kJumpRight = 20,
        kDrawWeapon = 21,
        kSheathWeapon = 22,
    };
    static constexpr int32_t kNotADeed = 23;  // a block name outside the deed table
    static constexpr int32_t kMobVariables = 16;

    int32_t type = kNotADeed;
    BezierSpline<float> scoreDist;
    BezierSpline<float> scoreHealth;
    BezierSpline<float> scoreMana;
    BezierSpline<float> scoreAimAngle;
    BezierSpline<float> scoreEnemyAngle;
    BezierSpline<float> scoreTargetHealth;
    float scoreMinMax[2] = {1.0f, 100.0f};
    float minMaxDist[2] = {0.0f, 999999.0f};
    float startEndAction[2] = {5.0f, 50.0f};
    float actionDelay[2] = {0.0f, 0.0f};
    float teaseDist = 0.0f;
    float teaseProb = 0.0f;
    String scoreScript;  // a script file name (".txt", ".c", ".cpp") or inline script text; empty: scores 0
    BezierSpline<float> scoreScriptTransf;  // without keys the script's result is the score
    // Built on the first evaluation and reset for the next; built again each time in debug mode,
    // so that an edited script file is read again. Copies of the deed share it.
    mutable std::shared_ptr<ScriptReaderGameEngine> scoreModule;
    BezierSpline<float> scoreMobVariable[kMobVariables];
    float scaleScore[2] = {1.0f, 0.0f};  // factor, offset
    uint32_t requireState = 0;  // masks over the influence types
    uint32_t disallowState = 0;
    int32_t requireID = 0;
    int32_t disallowID = 0;
    int32_t myID = 0;
    int32_t myID2 = 0;
    float maxAimAngle = 0.0017453292f;  // a tenth of a degree
    float calcAimAngle = 0.0f;
    float aimDeviation = 0.0f;
    float angle = 0.0f;
    float maxApproach = 5.0f;
    float goZigZag[2] = {0.0f, 0.0f};  // the first in radians
    float fleeDist = 0.0f;
    float fleeDistRand = 0.0f;
    int32_t prior = 0;
    float maxForceTime = 10.0f;
    float maxForceTimeRand = 0.0f;
    int32_t positionID = 0;  // GOTO and AIM_AT only
    uint8_t findBetterWay = 1;
    uint8_t goDoAction = 1;
    uint8_t randomActionStart = 0;
    uint8_t finishAction = 0;
    uint8_t allowDeadTarget = 0;
    String id;
    String callScript;
    String finishScript;
    int32_t target = 0;  // target slot
    float targetPosOff[2] = {0.0f, 0.0f};
    KI_Strategy* owner = nullptr;
};

// One event block: its entries, the decision and the six cross weights.
class KI_StratBlock {
public:
    // The weights in their stored order.
    enum Weight { kOnHardHit, kOnHit, kOnAttacked, kOnEnemy, kOnLostTarget, kDefault, kWeights };

    KI_StratBlock() = default;  // no entries, decision and weights 0
    KI_StratBlock(const KI_StratBlock&) = delete;
    KI_StratBlock& operator=(const KI_StratBlock&) = delete;

    DynaMem<KI_StratEntry, 4> entries;
    int32_t decision = 0;
    float weights[kWeights] = {};
};

class KI_Strategy {
public:
    // The event blocks in their order.
    enum Block { kDefault, kOnHit, kOnAttacked, kOnEnemy, kOnLostTarget, kOnHardHit, kBlocks };

    // Whether the party is listed among the enemy parties.
    bool IsEnemyParty(int32_t party)
    {
        for (int32_t i = 0; i < enemyParties.GetSize(); i++)
            if (*enemyParties.GetAt(i) == party)
                return true;
        return false;
    }

    KI_StratBlock blocks[kBlocks];
    float recalcTime = 1.5f;
    float attackRadius = 200.0f;
    float attackRadiusBack = 200.0f;  // absent in the file: the attack radius
    int32_t reassessPrior = 0;
    uint8_t alertIfEnemySpot = 1;
    DynaMem<int32_t, 4> enemyParties;
    String mobScript;
    float mobScriptInterval = 1.0f;
    uint8_t moveForwardOnly = 0;
    uint8_t moveIfOpposingTarget = 0;
    String name;  // "desc"
    String description;
};
