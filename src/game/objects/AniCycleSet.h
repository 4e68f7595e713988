// AniCycleSet: a creature type's animation cycles, one AniCycle per cycle number 0 to 450 (128
// bored cycles, the named cycles 128 to 166, 25 further ones, 256 attack and alternative attack
// cycles from 192, three more death cycles from 448), with each cycle's playing data and the
// set-wide values the cycle chooser reads.
#pragma once
#include "base/BezierSpline.h"
#include "game/objects/AniCycle.h"

#include <cstdint>
#include <memory>
#include <vector>

// What a player takes over from the set when it binds a cycle, and the cycle's curves.
struct AniCyclePlayData {
    int16_t moveMode = 0;  // root motion of the position: 0 cyclic, 1 accumulating, negative none
    int16_t rotMode = 0;   // the same for the rotation
    float passDx = 0.0f;   // root displacement and rotation of one full pass
    float passDy = 0.0f;
    float passRotation = 0.0f;
    int32_t baseDummy = -1;  // index of the "BaseDummy" object in the cycle; -1 none
    float fadeInTime = 0.0f;
    std::vector<float> eventTimes;  // fractions of the cycle's length (footsteps)
    BezierSpline<float> speedByDirection;  // over the move direction against the facing, degrees
    BezierSpline<float> speedByPhase;      // over the cycle's phase, 0 to 1
    BezierSpline<float> damageByAngle;
    BezierSpline<float> damageByTime;
    std::vector<BezierSpline<float>> heightCurves;
};

class AniCycleSet {
public:
    static constexpr int32_t kCycles = 451;
    static constexpr int32_t kBoredCycles = 128;
    static constexpr int32_t kAttacks = 64;
    static constexpr int32_t kAttackVariants = 4;

    AniCycleSet();

    AniCycle& GetCycle(int32_t number) { return m_Cycles[size_t(number)]; }  // no check
    AniCyclePlayData& GetPlayData(int32_t number) { return m_PlayData[size_t(number)]; }
    // False outside 0 .. 450; true when the cycle holds track data or names a file.
    bool IsCycleAvailable(int32_t number) const;
    // Every cycle with its playing data and curves, then the set-wide values.
    void CopyFrom(const AniCycleSet& other);

    int32_t m_BoredCount = 0;
    int8_t m_AttackVariantCount[kAttacks] = {};  // alternatives found per attack, 0 to 4
    float m_AttackPoints[kAttacks][kAttackVariants] = {};
    float m_KnockDownFreePoint = 0.0f;
    float m_JumpFreePoint = 0.0f;
    float m_DodgeFreePoint = 0.0f;
    float m_HeightMin = 0.0f;
    float m_HeightMax = 0.0f;
    float m_TurnTotalAngle = 0.0f;  // radians
    float m_BaseRotationOffset = 0.0f;
    float m_ScaleFactor = 1.0f;     // "acScale"
    float m_RotationFactor = 1.0f;  // "acRot"
    uint8_t m_Loaded = 0;

private:
    std::unique_ptr<AniCycle[]> m_Cycles;
    std::vector<AniCyclePlayData> m_PlayData;
};
