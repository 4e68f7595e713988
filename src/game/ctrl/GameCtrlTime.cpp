// GameCtrl: the game time, the screen fade after a loading screen, the loading progress hook,
// pause, game speed, the halt of sounds and the profiling time.
#include "game/ctrl/GameCtrl.h"

#include "base/MusicChannels.h"
#include "base/SoundManager.h"
#include "base/Timer.h"
#include "game/ctrl/StateManager.h"

#include <algorithm>

int32_t GameCtrl::AdvanceGameTime(float seconds)
{
    m_GameTime += seconds;
    return 1;
}

// The picture does not fade in while a network game is still joining: the loading screen stays.
void GameCtrl::UpdateScreenFade(float dt)
{
    if (m_ScreenFade >= 1.0f || IsJoiningNetworkGame())
        return;
    m_ScreenFade = std::clamp(m_ScreenFade + m_ScreenFadeRate * dt, 0.0f, 1.0f);
}

// At full progress, vanishing as the picture fades in.
void GameCtrl::ShowLoadingScreenFade()
{
    if (IsJoiningNetworkGame() || m_ScreenFade >= 1.0f)
        return;
    ShowLoadingProgress(100.0f, 0, 1.0f - m_ScreenFade, 1);
}

// Connected clients keep being served while a level or the game data load.
void GameCtrl::ShowLoadingProgress(float percent, int32_t stage, float alpha, int32_t flag)
{
    (void)percent;
    (void)stage;
    (void)alpha;
    (void)flag;
    ServiceNetwork();
}

void GameCtrl::SetPause(uint8_t flag)
{
    m_Pause = flag;
    if (flag)
        PauseWorld();
}

void GameCtrl::TogglePause()
{
    m_Pause = uint8_t((m_Pause - 1) & 1);
    if (m_Pause == 1)
        PauseWorld();
}

// Pausing lets the ambient channels fade out and ends the speech; neither comes back by itself.
void GameCtrl::PauseWorld()
{
    m_World.StopAmbientChannels(1);
    m_World.StopSpeech();
}

bool GameCtrl::IsPaused()
{
    if (IsNetworkClient() || IsNetworkGame())
        return false;  // a network game runs on the server's clock, which never stops
    return g_WindowState.inSizeMove != 0 || m_Pause != 0 || m_ViewMode == 3;
}

void GameCtrl::SetGameSpeed(float factor)
{
    m_GameSpeed = factor;
    if (StateManager* stateManager = m_StateManager.Get())
        stateManager->SetTimeScale(double(factor));
}

double GameCtrl::GetProfilingTime()
{
    if (!m_TextViewers[kProfilingViewer].IsOpen())
        return 0.0;
    return Timer::GetTime();
}

// Sounds halt channel by channel: the music channels, the ambient sound while it plays, then the
// world's sounds. The server's sound device is silent, so none of them holds a stream there.
void GameCtrl::HaltSounds()
{
    ApplyToMusicStreams(&SoundManager::UpdateSound);
    m_World.PauseSounds();
}

void GameCtrl::ContinueSounds()
{
    ApplyToMusicStreams(&SoundManager::UpdateSoundState);
    m_World.ResumeSounds();
}

void GameCtrl::ApplyToMusicStreams(void (SoundManager::*operation)(SoundWord, SoundWord))
{
    SoundManager* sound = SoundManager::GetSingletonPtr();
    if (!sound)
        return;
    const MusicChannels& music = g_MusicChannels;
    for (int32_t i = 0; i < MusicChannels::kAmbient; i++)
        if (music.handles[i] >= 0)
            (sound->*operation)(music.handles[i], 0);
    const int32_t ambient = music.handles[MusicChannels::kAmbient];
    if (ambient >= 0 && sound->IsSoundPlaying(ambient, 0))
        (sound->*operation)(ambient, 0);
}

void GameCtrl::SetScreenFade(float value, float rate)
{
    m_ScreenFade = value;
    m_ScreenFadeRate = rate;
}
