// WorldCtrl: the world's sounds: the registry of named sounds, sounds played at a point and
// following their source, ambient channels, speech and the length of sound files.
//
// This program runs without sound: the sound-off member is always set, so registering, playing,
// following, fading, pausing and clearing world sounds end at their first step, the registry and
// the playing-sounds list stay empty, and only what the game keeps as state is served: loading a
// file into the sound layer, speech (which asks the sound layer, not the sound-off member, for
// its length) and the play time of a sound file.
#include "world/WorldCtrl.h"

#include "base/GameOptions.h"
#include "base/SoundFile.h"
#include "base/SoundManager.h"
#include "world/WorldElem.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int32_t kPlainFileFlags = 4;  // load flags of a plain ".wav" or ".ogg" file

// A plain sound file rather than a registry name: ".wav" or ".ogg", whatever the case.
bool IsSoundFileName(const char* name)
{
    const size_t length = std::strlen(name);
    return length >= 4 && name[length - 4] == '.' && SoundFile::GetType(name) != SoundFile::kUnknown;
}

SoundWord Word(const char* text) { return reinterpret_cast<SoundWord>(text); }

}  // namespace

int32_t WorldCtrl::RegisterSound(const char* name, const SoundData& data)
{
    if (m_SoundOff)
        return 0;  // nothing is registered without sound
    if (m_SoundRegistry.Find(name)) {
        Warning("Sound '%s' exists already", name);
        return 0;
    }
    SoundData* entry = m_SoundRegistry.Insert(String(name));
    if (!entry)
        return 0;
    *entry = data;
    return 1;
}

void WorldCtrl::LoadSound(const char* name, bool withVariations)
{
    SoundManager* sound = SoundManager::GetSingletonPtr();
    if (!name || !*name || !sound)
        return;
    if (IsSoundFileName(name)) {
        sound->LoadSound(Word(name), Word(name), kPlainFileFlags);
        return;
    }
    SoundData* entry = m_SoundRegistry.Find(name);
    if (!entry)
        return;
    if (!entry->loaded) {
        sound->LoadSound(Word(entry->name.c_str()), Word(entry->file.c_str()), entry->loadFlags);
        entry->loaded = 1;
    }
    if (!withVariations)
        return;
    for (const String& additional : entry->additional)
        LoadSound(additional.c_str(), false);
    for (const String& alternative : entry->alternatives)
        LoadSound(alternative.c_str(), false);
}

SoundIDData WorldCtrl::PlaySound(const char* name, float distance, bool ambient, bool alternatives)
{
    (void)name;
    (void)distance;
    (void)ambient;
    (void)alternatives;
    return SoundIDData();  // sound is off: nothing plays, the handle is -1
}

void WorldCtrl::PlaySoundAt(const char* name, float x, float y, WorldElem* source, int32_t id)
{
    (void)source;  // a source is followed only by a sound that plays
    (void)id;
    const float listener = std::hypot(x - m_ViewOriginX, y - m_ViewOriginY);
    PlaySound(name, std::max(listener - 150.0f, 0.0f), false, true);
}

void WorldCtrl::UpdateSounds() {}  // sound is off: no sound follows a source

void WorldCtrl::ClearSounds() {}  // sound is off: the registry plays nothing

void WorldCtrl::PreloadLevelSounds() {}  // the program's no-sound setting: nothing is preloaded

void WorldCtrl::UpdateAmbientSounds(float dt) { (void)dt; }  // sound is off: no ambient channel plays

void WorldCtrl::StopAmbientChannels(int32_t pause) { (void)pause; }  // sound is off

void WorldCtrl::ResetSoundPlayTimes()
{
    m_SoundRegistry.ResetWalk();
    while (SoundData* entry = m_SoundRegistry.GetNext())
        entry->lastPlayTime = -999.0;  // a sound with a minimum repeat interval may play at once
}

void WorldCtrl::FadeOutObjectSounds(int32_t objectID, int32_t soundID, float seconds)
{
    (void)objectID;  // sound is off: no sound plays for an object
    (void)soundID;
    (void)seconds;
}

void WorldCtrl::PauseSounds() { ForEachPlayingSound(&SoundManager::UpdateSound); }

void WorldCtrl::ResumeSounds() { ForEachPlayingSound(&SoundManager::UpdateSoundState); }

// Applies a sound manager operation to every sound of the list that the device still plays.
void WorldCtrl::ForEachPlayingSound(void (SoundManager::*operation)(SoundWord, SoundWord))
{
    SoundManager* sound = SoundManager::GetSingletonPtr();
    for (int32_t i = 0; sound && i < m_PlayingSounds.GetSize(); i++) {
        const SoundIDData* entry = m_PlayingSounds.GetAt(i);
        if (entry && entry->handle >= 0 && sound->IsSoundPlaying(entry->handle, 0))
            (sound->*operation)(entry->handle, 0);
    }
}

void WorldCtrl::UpdateSoundVolume(SoundIDData& record) { (void)record; }  // sound is off: no source is heard

double WorldCtrl::PlaySpeech(const char* file, int32_t flags)
{
    (void)flags;
    SoundManager* sound = SoundManager::GetSingletonPtr();
    if (g_Options.soundMute || !sound)
        return 0.0;
    StopSpeech();
    const SoundWord name = Word(m_SpeechName.c_str());
    sound->LoadSound(name, Word(file ? file : ""), kPlainFileFlags);
    m_SpeechHandle = sound->PlaySound(name, 0, 1.0f, SoundCurve(g_Options.audioVolume), 1.0f, 0, 0);
    return sound->GetSoundTime(name);
}

void WorldCtrl::StopSpeech()
{
    SoundManager* sound = SoundManager::GetSingletonPtr();
    if (m_SpeechHandle < 0)
        return;
    if (sound && sound->IsSoundPlaying(m_SpeechHandle, 0))
        sound->StopSound(m_SpeechHandle, 0);
    m_SpeechHandle = -1;
}

double WorldCtrl::GetSoundFileLength(const char* file) { return SoundFile::GetLength(file); }
