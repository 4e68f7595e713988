// GameCtrl: the level an amount of experience reaches, the level-difference experience factor,
// the might of a monster level, friendly fire and the difficulty switch.
#include "game/ctrl/GameCtrl.h"

#include "base/File.h"
#include "world/WorldElem.h"

#include <algorithm>

namespace {

const char* const kDifficultyFile = "cfg\\difficulty.cfg";
constexpr float kUnreachableExperience = 1e22f;  // no character gets there

}  // namespace

// Entry j holds what level j + 1 needs: the first threshold above the experience tells the level.
int32_t GameCtrl::GetLevelForExperience(float experience)
{
    const int32_t count = m_ExperienceTable.GetSize();
    for (int32_t j = 1; j < count; ++j)
        if (*m_ExperienceTable.GetBySlot(j) > experience)
            return j;
    return count;
}

float GameCtrl::GetExperienceForLevel(int32_t level)
{
    if (level < 1)
        return 0.0f;
    if (level >= m_ExperienceTable.GetSize())
        return kUnreachableExperience;
    return *m_ExperienceTable.GetBySlot(level - 1);
}

float GameCtrl::GetDeltaLevelXPFactor(int32_t a, int32_t b)
{
    if (m_DeltaLevelXPFactor.GetNumKeys() == 0 || !m_DeltaLevelXPFactorEnabled)
        return 1.0f;
    return std::max(0.0f, float(m_DeltaLevelXPFactor.Evaluate(double(b - a))));
}

float GameCtrl::GetMonsterLevelMight(float level) { return float(m_MonsterLevelMightFunct.Evaluate(level)); }

float GameCtrl::GetFriendlyFire(int32_t a, int32_t b) const
{
    return a >= 1 && b >= 1 ? m_Settings.friendlyFire : 0.0f;
}

float GameCtrl::GetFriendlyFireBetween(WorldElem* c1, WorldElem* c2) const
{
    if (!c1 || !c2)
        return 0.0f;
    return GetFriendlyFire(c1->GetParty(), c2->GetParty());
}

// The lowest and highest used are kept even when nothing else changes.
void GameCtrl::SetDifficulty(int32_t difficulty, uint8_t onlyIfChanged, uint8_t setName)
{
    m_LowestDifficulty = std::min(m_LowestDifficulty, difficulty);
    m_HighestDifficulty = std::max(m_HighestDifficulty, difficulty);
    m_DifficultyReader.SetConstantTable(&m_Constants);
    if (onlyIfChanged && difficulty == m_Difficulty && !m_DifficultyReader.NeedsReload())
        return;
    if (setName)
        m_DifficultyName = DifficultyName(difficulty);
    m_Difficulty = difficulty;
    m_DifficultyReader.SetDescKey("desc");
    m_DifficultyReader.Load(kDifficultyFile);
    LoadDifficulty(m_DifficultyReader, difficulty - 1);
}
