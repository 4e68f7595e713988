// WorldCtrl: the music: the level's tracks, a track chosen by name, the default and fight tracks
// chosen by the fighting around the main character, and the boss track when the game wants it.
// The controller plays the tracks on its music channels; the world keeps what it chose.
#include "world/WorldCtrl.h"

#include "base/GameOptions.h"
#include "base/MusicChannels.h"
#include "world/GameCtrlInterface.h"
#include "world/WorldElem.h"

namespace {

constexpr float kForceCheck = 9e9f;      // an elapsed time that makes the next update check at once
constexpr float kAlwaysSwitch = 100.0f;  // a longer step switches whatever the last check found

}  // namespace

void WorldCtrl::SetLevelMusic(int32_t track, const String& name)
{
    if (track >= kMusicDefault && track <= kMusicAmbient)
        m_LevelMusic[track] = name;
}

void WorldCtrl::SetMusic(const char* name)
{
    String track(name ? name : "");
    if (track.EqualsNoCase("musicFight"))
        track = m_LevelMusic[kMusicFight];
    else if (track.EqualsNoCase("musicBoss"))
        track = m_LevelMusic[kMusicBoss];
    else if (track.EqualsNoCase("musicDefault"))
        track = m_LevelMusic[kMusicDefault];
    if (track.IsEmpty()) {  // the automatic choice, at once
        m_MusicState = kStateChoose;
        UpdateMusic(kForceCheck);
        return;
    }
    if (track == m_MusicPlaying)
        return;
    m_MusicPlaying = track;
    m_MusicState = kStateChoose;
    GetCtrl().PlayMusic(track.c_str(), -1.0f, 1.0f, 1, 1.0f);
}

void WorldCtrl::UpdateMusic(float dt)
{
    GameCtrlInterface& ctrl = GetCtrl();
    WorldElem* hero = ctrl.GetMainChar();
    if (!hero || m_MusicLock > 0)
        return;
    const float interval = m_MusicState == kStateFight ? g_Options.musicCheckTime : g_Options.musicFightCheckTime;
    m_MusicCheckTime += dt;

    if (m_MusicState != kStateBoss && ctrl.IsBossMusicWanted()) {
        const String& boss = m_LevelMusic[kMusicBoss];
        if (!boss.IsEmpty() && g_MusicChannels.GetCurrentTrack() != boss) {
            ctrl.PlayMusic(boss.c_str(), 1.0f, 1.0f, 1, -1.0f);
            m_MusicPlaying = boss;
        }
        if (m_MusicState == kStateNormal)
            m_MusicPlayedTime += ctrl.GetGameTime() - m_MusicStartTime;
        m_MusicCountdown = 0.0f;
        m_MusicState = kStateBoss;
        return;
    }

    if (m_MusicCountdown > 0.0f) {
        m_MusicCountdown -= dt;
        if (m_MusicCountdown <= 0.0f)
            m_MusicCheckTime = kForceCheck;  // the default track and its pause are over
    }
    if (!(m_MusicCheckTime > interval))
        return;
    m_MusicCheckTime = 0.0f;
    int32_t fight = GetAllCreaturesAttacking(hero, true, false) > 0 ? 1 : 0;
    for (int32_t i = 0; !fight && i < ctrl.GetNumPartyMembers(); i++) {
        WorldElem* member = ctrl.GetPartyMember(i);
        if (member && GetAllCreaturesAttacking(member, true, false) > 0)
            fight = 1;
    }
    if (fight != m_LastFightFlag || dt > kAlwaysSwitch)
        SwitchMusic(fight, false);
    m_LastFightFlag = fight;
}

void WorldCtrl::SwitchMusic(int32_t state, bool force)
{
    if (state == m_MusicState && !force)
        return;
    String track;
    bool loop = true;
    switch (state) {
    case kStateNormal:
        track = m_LevelMusic[kMusicDefault];
        loop = !(m_MusicPauseTime > 0.0f);  // with a pause the track ends and comes back after it
        break;
    case kStateFight:
    case kStateBoss:
        track = m_LevelMusic[state == kStateFight ? kMusicFight : kMusicBoss];
        if (track.IsEmpty())
            return;  // the level has none: the music stays
        break;
    default:
        return;
    }
    if (g_MusicChannels.GetCurrentTrack() != track) {
        GameCtrlInterface& ctrl = GetCtrl();
        const double now = ctrl.GetGameTime();
        if (m_MusicState == kStateNormal)
            m_MusicPlayedTime += now - m_MusicStartTime;
        m_MusicStartTime = now;
        ctrl.PlayMusic(track.c_str(), 1.0f, 1.0f, loop ? 1 : 0, -1.0f);
        m_MusicPlaying = track;
        m_MusicCountdown = 0.0f;
        if (state == kStateNormal && !loop)
            m_MusicCountdown = float(GetSoundFileLength(track.c_str())) + m_MusicPauseTime;
    }
    m_MusicState = state;
}
