// GameCtrl: the experience table of "cfg\experience.cfg", what each character level needs, and the
// experience factor curve by level difference.
#include "game/ctrl/GameCtrl.h"

#include "base/ConfigFileReader.h"
#include "base/File.h"

#include <cstdint>

namespace {

const char* const kExperienceFile = "cfg\\experience.cfg";
constexpr int32_t kDefaultLevels = 30;  // without the file

}  // namespace

// Layout: "deltaLevelXPFactor" (a one-dimensional key curve) and "level2", "level3", ... (the
// experience that level needs) up to the first number missing; level 1 needs 0.
void GameCtrl::LoadExperience()
{
    m_DeltaLevelXPFactor.SetNumKeys(0);
    m_DeltaLevelXPFactorEnabled = 0;
    m_ExperienceTable.DeleteAll();  // a second run must not double the table
    const auto append = [this](float value) {
        *m_ExperienceTable.GetBySlot(m_ExperienceTable.Add()) = value;
    };

    ConfigFileReader reader;
    reader.SetConstantTable(&m_Constants);
    if (!File::Exists(kExperienceFile) || reader.Load(kExperienceFile) != 0) {  // no message
        for (int32_t level = 1; level <= kDefaultLevels; ++level)
            append(float((level - 1) * level * 50));
        return;
    }
    m_DeltaLevelXPFactorEnabled =
        uint8_t(ReadBezierSpline1D(reader, "deltaLevelXPFactor", -1, m_DeltaLevelXPFactor, "deltaLevelXPFactor"));
    append(0.0f);
    for (int32_t level = 2;; ++level) {
        float value = 0.0f;
        if (reader.GetFloat("level", value, -1, level) != ConfigFileReader::kFound)
            break;
        append(value);
    }
}
