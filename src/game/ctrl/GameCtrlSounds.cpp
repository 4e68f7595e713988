// GameCtrl: the sound definitions of "cfg\sounds.cfg" read into the world's sound table, and the
// check of the sound names that creature and object types carry.
#include "game/ctrl/GameCtrl.h"

#include "base/File.h"
#include "base/Log.h"
#include "base/Timer.h"
#include "world/SoundData.h"

#include <cmath>
#include <cstdint>
#include <cstring>

// Non-zero: sound names are taken as they are. Nothing on the server clears it.
int32_t g_SkipSoundCheck = 1;

namespace {

const char* const kSoundsFile = "cfg\\sounds.cfg";
const char* const kLanguageMark = "LANG\\";  // stands for the language folder in a sound path
constexpr double kProgressInterval = 0.2;    // seconds between two progress reports

// When the sound loader last reported progress, for the whole run.
double s_LastSoundProgress = -1.0;

// The file-wide defaults, searched in every line of the file.
struct SoundDefaults {
    float dist = 300.0f;
    int32_t rep = 0;
    float minTimeDiff = 0.15f;
};

// Every "<key>1", "<key>2", ... up to the first one missing.
void ReadNumberedNames(ConfigFileReader& reader, const char* key, int32_t entry, std::vector<String>& names)
{
    for (int32_t index = 1;; ++index) {
        String name;
        if (reader.GetString(key, name, entry, index) != ConfigFileReader::kFound)
            return;
        names.push_back(name);
    }
}

// "rep" as the sound layer takes it: the file's value plus one (the largest stays).
int32_t PlusOne(int32_t rep) { return rep < INT32_MAX ? rep + 1 : rep; }

}  // namespace

// Layout of an entry ("#" line, keys in any order): desc (the name), file (may hold "LANG\"),
// rep, dist, volume, RandPitch, RandVolume, PitchChange, LoadOnDemand, PlayProb, minTimeDiff,
// FadeTime, alternative1.., additional1... An entry needs a file unless it has additional sounds.
void GameCtrl::LoadSounds()
{
    if (m_SoundsLoaded) {
        m_World.ClearSounds();
        m_World.GetSoundRegistry().Clear();
    }
    m_SoundReader.SetConstantTable(&m_Constants);
    m_SoundReader.SetDescKey("desc");  // the definitions answer by name where nothing is registered
    if (m_SoundReader.Load(kSoundsFile) != 0)
        Error("%s", m_SoundReader.GetErrorText());
    m_SoundsLoaded = 1;

    SoundDefaults defaults;
    m_SoundReader.GetFloat("DefaultDist", defaults.dist);
    m_SoundReader.GetInt("DefaultRep", defaults.rep);
    m_SoundReader.GetFloat("DefaultminTimeDiff", defaults.minTimeDiff);

    const int32_t count = m_SoundReader.GetNumEntries();
    for (int32_t i = 0; i < count; ++i) {
        SoundData sound;
        sound.loadFlags = PlusOne(defaults.rep);
        sound.distance = defaults.dist;
        sound.minTimeDiff = defaults.minTimeDiff;
        sound.fadeTime = 0.5f;
        if (m_SoundReader.GetString("desc", sound.name, i) != ConfigFileReader::kFound)
            Error("Sound entry %i without 'desc'", i);
        m_SoundReader.GetFloat("dist", sound.distance, i);
        m_SoundReader.GetFloat("volume", sound.volume, i);
        m_SoundReader.GetFloat("RandPitch", sound.randPitch, i);
        m_SoundReader.GetFloat("RandVolume", sound.randVolume, i);
        m_SoundReader.GetFloat("PitchChange", sound.pitchChange, i);
        m_SoundReader.GetInt("LoadOnDemand", sound.loadOnDemand, i);
        m_SoundReader.GetFloat("PlayProb", sound.playProb, i);
        m_SoundReader.GetFloat("minTimeDiff", sound.minTimeDiff, i);
        m_SoundReader.GetFloat("FadeTime", sound.fadeTime, i);
        ReadNumberedNames(m_SoundReader, "alternative", i, sound.alternatives);
        ReadNumberedNames(m_SoundReader, "additional", i, sound.additional);

        const bool hasFile = m_SoundReader.GetString("file", sound.file, i) == ConfigFileReader::kFound;
        if (!hasFile && sound.additional.empty())
            Error("Sound entry %i (%s) without 'file'", i, sound.name.c_str());
        if (const char* mark = std::strstr(sound.file.c_str(), kLanguageMark)) {
            const int32_t at = int32_t(mark - sound.file.c_str());
            sound.file.Replace(at, int32_t(std::strlen(kLanguageMark)), m_World.GetLanguageDir().c_str());
        }
        if (hasFile && !File::Exists(sound.file.c_str()))
            Warning("Invalid sound file:'%s' in entry '%s'", sound.file.c_str(), sound.name.c_str());
        sound.hasSound = hasFile ? 1 : 0;
        int32_t rep = 0;
        if (m_SoundReader.GetInt("rep", rep, i) == ConfigFileReader::kFound)
            sound.loadFlags = PlusOne(rep);
        m_World.RegisterSound(sound.name.c_str(), sound);

        if (i % 10 == 5) {
            const double now = Timer::GetTime();
            if (now - s_LastSoundProgress > kProgressInterval) {
                ShowLoadingProgress(40.0f + float(std::round(10.0 * double(i) / double(count))), 0, 1.0f, 1);
                s_LastSoundProgress = now;
            }
        }
    }
    Log::Write("Sounds loaded");
}

void GameCtrl::FindSound(String (&names)[kObjectSoundNames])
{
    if (g_SkipSoundCheck)
        return;
    for (String& name : names) {
        if (name.IsEmpty() || m_World.GetSoundRegistry().Find(name))
            continue;
        Warning("Sound '%s' does not exist", name.c_str());
        name = String();
    }
}
