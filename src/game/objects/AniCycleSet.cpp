// AniCycleSet: construction, availability of a cycle, and copies of whole sets.
#include "game/objects/AniCycleSet.h"

AniCycleSet::AniCycleSet() : m_Cycles(std::make_unique<AniCycle[]>(kCycles)), m_PlayData(kCycles) {}

bool AniCycleSet::IsCycleAvailable(int32_t number) const
{
    if (number < 0 || number >= kCycles)
        return false;
    const AniCycle& cycle = m_Cycles[size_t(number)];
    return cycle.HasData() || !cycle.m_FileName.IsEmpty();
}

void AniCycleSet::CopyFrom(const AniCycleSet& other)
{
    if (&other == this)
        return;
    for (int32_t i = 0; i < kCycles; i++) {
        other.m_Cycles[size_t(i)].CopyTo(m_Cycles[size_t(i)]);
        m_PlayData[size_t(i)] = other.m_PlayData[size_t(i)];
    }
    m_BoredCount = other.m_BoredCount;
    for (int32_t a = 0; a < kAttacks; a++) {
        m_AttackVariantCount[a] = other.m_AttackVariantCount[a];
        for (int32_t v = 0; v < kAttackVariants; v++)
            m_AttackPoints[a][v] = other.m_AttackPoints[a][v];
    }
    m_KnockDownFreePoint = other.m_KnockDownFreePoint;
    m_JumpFreePoint = other.m_JumpFreePoint;
    m_DodgeFreePoint = other.m_DodgeFreePoint;
    m_HeightMin = other.m_HeightMin;
    m_HeightMax = other.m_HeightMax;
    m_TurnTotalAngle = other.m_TurnTotalAngle;
    m_BaseRotationOffset = other.m_BaseRotationOffset;
    m_ScaleFactor = other.m_ScaleFactor;
    m_RotationFactor = other.m_RotationFactor;
    m_Loaded = other.m_Loaded;
}
