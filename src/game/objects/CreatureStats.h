// CreatureStats: the stat block of a creature type as its creature entry gives it: combat
// behaviour, speeds, experience, trade, idle ("bored") cycle numbers and sound timing.
#pragma once
#include "base/BezierSpline.h"
#include "base/String.h"

#include <cstdint>

struct CreatureStats {
    static constexpr int32_t kWeaponAttacks = 4;

    int32_t aniCycleSet = -1;  // the controller's entry of the creature's cycle set; -1 none
    float maxHitPoints = 100.0f;
    float maxMana = 0.0f;
    uint8_t attackAndMove = 0;
    int32_t weaponAttacks[kWeaponAttacks] = {};
    uint8_t bossMonster = 0;
    uint32_t guiColor = 0xFFFFFFFFu;
    uint8_t causeFightMusic = 0;
    int32_t combatMode = 0;
    uint8_t receiveDamage = 1;
    float attackModeDuration = 0.0f;
    float angleFront = 0.0f;  // radians
    uint8_t canEquip = 0;
    float spdMove = 0.0f;
    float spdMoveSlowWalk = 0.0f;
    float spdMoveBack = 0.0f;
    float spdMoveSide = 0.0f;
    float spdMoveCombat = 0.0f;
    float spdMoveBackCombat = 0.0f;
    float spdMoveSideCombat = 0.0f;
    float spdRot = 0.0f;
    float maxAccel = 0.0f;
    float expKill = 0.0f;
    float expDamage = 0.0f;  // per point of damage
    uint8_t immortal = 0;
    uint8_t attackIsMove = 0;
    int32_t castShadow = 0;
    uint8_t isFlying = 0;
    int32_t characterClass = 0;
    int32_t tradeGold = 0;
    float tradeRate = 1.0f;
    float opacity = 1.0f;
    float hardHitTime = 0.0f;
    float hardHit = 0.0f;
    float attackRadius = 0.0f;
    float attackRadiusBack = 0.0f;
    // Idle cycle numbers, 1-based into the set's bored cycles; 0 none.
    int16_t boredCycleOnDead = 0;
    int16_t boredCycle = 0;
    int16_t boredCycleDialog = 0;
    int16_t boredCycleStaffDialog = 0;
    int16_t boredCycleExhausted = 0;
    int16_t boredCycleVeryExhausted = 0;
    int16_t boredCycleStaff = 0;
    int16_t boredCycleStaffExhausted = 0;
    int16_t boredCycleStaffVeryExhausted = 0;
    int16_t boredCyclePose = 0;
    int16_t boredCycleStaffPose = 0;
    float boredSpeed = 1.0f;          // the idle cycles' speed
    float sndBoredTime[2] = {};       // least and most seconds between idle sounds
    float sndBoredWait = 0.0f;        // until the next idle sound
    BezierSpline<float> damFactorAngle;  // damage factor over the hit angle
    uint8_t terrainAlign = 0;
    float pathfindingTolerance = 0.0f;  // radians
};
