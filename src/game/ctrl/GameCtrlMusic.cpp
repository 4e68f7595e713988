// GameCtrl: the music channels: a new track starts on the other music channel and fades in while
// the old one fades out, and the ambient channel. The streams are the sound manager's; the server's
// silent device plays none, but the channels keep their tracks, which the world's music asks.
#include "game/ctrl/GameCtrl.h"

#include "base/GameOptions.h"
#include "base/MusicChannels.h"
#include "base/SoundManager.h"

#include <cmath>

namespace {

SoundWord Word(const char* text) { return reinterpret_cast<SoundWord>(text); }

// The stream volume of a channel at a share of its fade.
float StreamVolume(int32_t channel, float share)
{
    const float v = g_MusicChannels.volumes[channel] * share * g_Options.musicVolume * g_Options.globalVolume;
    return v > 0.0f ? std::pow(v, 1.5f) : 0.0f;
}

}  // namespace

void GameCtrl::StopChannel(int32_t channel)
{
    MusicChannels& music = g_MusicChannels;
    if (music.handles[channel] >= 0) {
        if (SoundManager* sound = SoundManager::GetSingletonPtr())
            sound->StopSound(music.handles[channel], 0);
    }
    music.handles[channel] = -1;
    music.names[channel] = String();
}

void GameCtrl::StopMusic(int32_t channel)
{
    for (int32_t i = 0; i < 2; i++)
        if (channel < 0 || channel == i)
            StopChannel(i);
}

void GameCtrl::StopAmbientSound() { StopChannel(MusicChannels::kAmbient); }

// Without a fade time the change is a cut: the fade step never runs, so the channel that is not
// current would otherwise keep playing its old track beside the new one.
void GameCtrl::StartMusicFade(float seconds)
{
    if (seconds <= 0.0f) {
        m_MusicFadePosition = 1.0f;
        m_MusicFadeRate = 0.0f;
        StopMusic(1 - g_MusicChannels.current);
    } else {
        m_MusicFadePosition = 0.0f;
        m_MusicFadeRate = 1.0f / seconds;
    }
    UpdateMusicFade(0.0f);
}

void GameCtrl::PlayMusic(const char* track, float volume, float pitch, int32_t loop, float fadeTime)
{
    MusicChannels& music = g_MusicChannels;
    if (fadeTime < 0.0f)
        fadeTime = m_LevelMusicFadeTime;
    if (volume < 0.0f)
        volume = m_LevelMusicVolume;
    bool fadeIn = false;
    if (!music.names[music.current].IsEmpty()) {  // the old track fades out on its channel
        music.current = 1 - music.current;
        StartMusicFade(fadeTime);
        fadeIn = true;
    } else if (volume > 0.0f) {
        StartMusicFade(fadeTime);
        fadeIn = true;
    }
    StartTrack(music.current, track, volume, pitch, loop, fadeIn);
}

// The ambient sound starts at once; it does not cross-fade.
void GameCtrl::PlayAmbientMusic(const char* track, float fadeTime)
{
    (void)fadeTime;
    StartTrack(MusicChannels::kAmbient, track, m_LevelMusicVolume, 1.0f, 1, false);
}

// "none" is silence.
void GameCtrl::StartTrack(int32_t channel, const char* track, float volume, float pitch, int32_t loop, bool fadeIn)
{
    MusicChannels& music = g_MusicChannels;
    StopChannel(channel);
    String name(track ? track : "");
    if (name.EqualsNoCase("none"))
        name = String();
    music.names[channel] = name;
    music.volumes[channel] = volume;
    SoundManager* sound = SoundManager::GetSingletonPtr();
    if (name.IsEmpty() || !sound)
        return;
    sound->LoadSound(Word(name.c_str()), Word(name.c_str()), 0);
    // A fade-in starts where the fade stands: silent, or at once at full volume for a cut, which
    // no fade step would ever raise.
    const float start = StreamVolume(channel, fadeIn ? m_MusicFadePosition : 1.0f);
    music.handles[channel] = sound->PlaySound(Word(name.c_str()), loop, volume, start, pitch, 0, 0);
}

void GameCtrl::UpdateMusicFade(float dt)
{
    if (m_MusicFadeRate == 0.0f)
        return;
    MusicChannels& music = g_MusicChannels;
    const int32_t other = 1 - music.current;
    m_MusicFadePosition += dt * m_MusicFadeRate;
    if (m_MusicFadePosition > 1.0f) {
        m_MusicFadePosition = 1.0f;
        m_MusicFadeRate = 0.0f;
        StopMusic(other);
    }
    SoundManager* sound = SoundManager::GetSingletonPtr();
    if (!sound)
        return;
    if (music.handles[music.current] >= 0)
        sound->SetSoundParamA(music.handles[music.current], 0, StreamVolume(music.current, m_MusicFadePosition));
    if (music.handles[other] >= 0)
        sound->SetSoundParamA(music.handles[other], 0, StreamVolume(other, 1.0f - m_MusicFadePosition));
}

void GameCtrl::SetLevelMusicDefaults(float fadeTime, float volume)
{
    m_LevelMusicFadeTime = fadeTime;
    m_LevelMusicVolume = volume;
}

bool GameCtrl::IsBossMusicWanted() { return false; }
