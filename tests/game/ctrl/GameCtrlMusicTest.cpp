// GameCtrl music: tracks alternate between the two music channels and cross-fade, the ambient
// channel keeps its own track, "none" is silence, and the streams go to the sound manager.
#include "game/ctrl/GameCtrl.h"

#include "base/GameOptions.h"
#include "base/MusicChannels.h"

#include "support/RecordingSoundDevice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

class GameCtrlMusicTest : public ::testing::Test {
protected:
    GameCtrlMusicTest() : options(g_Options) { g_MusicChannels = MusicChannels(); }
    ~GameCtrlMusicTest() override
    {
        g_Options = options;
        g_MusicChannels = MusicChannels();
    }

    GameOptions options;
    ScopedSoundManager sound;
};

}  // namespace

TEST_F(GameCtrlMusicTest, CrossFadeBetweenTheChannels)
{
    GameCtrl ctrl;
    MusicChannels& music = g_MusicChannels;
    ctrl.PlayMusic("old.ogg", 0.0f, 1.0f, 1, 2.0f);  // no volume: no fade
    EXPECT_EQ(music.current, 0);
    EXPECT_EQ(ctrl.GetMusicFadeRate(), 0.0f);
    EXPECT_EQ(music.names[0], String("old.ogg"));

    sound.device->handle = 4;
    ctrl.PlayMusic("new.ogg", 1.0f, 1.0f, 1, 2.0f);  // the old track still plays: the other channel
    EXPECT_EQ(music.current, 1);
    EXPECT_EQ(music.GetCurrentTrack(), String("new.ogg"));
    EXPECT_EQ(music.handles[1], 4);
    ASSERT_EQ(sound.device->plays.size(), 2u);
    EXPECT_EQ(sound.device->plays[1].name, "new.ogg");
    EXPECT_EQ(sound.device->plays[1].volume, 0.0f);  // it fades in

    const float expected[] = {0.25f, 0.5f, 0.75f, 1.0f, 1.0f};
    for (int frame = 0; frame < 5; frame++) {
        ctrl.UpdateMusicFade(0.5f);
        EXPECT_EQ(ctrl.GetMusicFadePosition(), expected[frame]) << frame;
        EXPECT_EQ(music.names[0].IsEmpty(), frame == 4) << frame;  // stopped once the position passes 1
    }
    EXPECT_FLOAT_EQ(sound.device->volumes.back().second, 1.0f);
    EXPECT_EQ(ctrl.GetMusicFadeRate(), 0.0f);

    ctrl.StartMusicFade(2.0f);  // in the middle both play at (0.5 x volume) to the power 1.5
    music.handles[0] = 9;
    music.volumes[0] = 1.0f;
    ctrl.UpdateMusicFade(1.0f);
    EXPECT_FLOAT_EQ(sound.device->volumes[sound.device->volumes.size() - 2].second, std::pow(0.5f, 1.5f));
    EXPECT_FLOAT_EQ(sound.device->volumes.back().second, std::pow(0.5f, 1.5f));
}

TEST_F(GameCtrlMusicTest, ChannelsAndSilence)
{
    GameCtrl ctrl;
    MusicChannels& music = g_MusicChannels;
    ctrl.PlayMusic("level.ogg", -1.0f, 1.0f, 1, -1.0f);  // the level's volume and fade time
    EXPECT_EQ(music.volumes[0], 1.0f);
    EXPECT_FLOAT_EQ(ctrl.GetMusicFadeRate(), 1.0f / 1.5f);
    ctrl.PlayAmbientMusic("wind.ogg", 1.0f);
    EXPECT_EQ(music.names[MusicChannels::kAmbient], String("wind.ogg"));
    ctrl.PlayMusic("none", 1.0f, 1.0f, 1, 0.0f);  // silence on the other channel
    EXPECT_EQ(music.current, 1);
    EXPECT_TRUE(music.GetCurrentTrack().IsEmpty());
    EXPECT_TRUE(music.names[0].IsEmpty());  // no fade time: the old track is cut, not left playing

    ctrl.PlayMusic("a.ogg", 1.0f, 1.0f, 1, 1.0f);
    ctrl.PlayMusic("b.ogg", 1.0f, 1.0f, 1, 1.0f);  // fading over: both channels hold a track
    ASSERT_FALSE(music.names[0].IsEmpty());
    ASSERT_FALSE(music.names[1].IsEmpty());
    ctrl.StopMusic(-1);  // both music channels, not the ambient one
    EXPECT_TRUE(music.names[0].IsEmpty());
    EXPECT_TRUE(music.names[1].IsEmpty());
    EXPECT_EQ(music.names[MusicChannels::kAmbient], String("wind.ogg"));
    ctrl.StopAmbientSound();
    EXPECT_TRUE(music.names[MusicChannels::kAmbient].IsEmpty());
}

TEST_F(GameCtrlMusicTest, VolumesTakeTheGlobalFactors)
{
    g_Options.musicVolume = 0.8f;
    g_Options.globalVolume = 0.5f;
    GameCtrl ctrl;
    sound.device->handle = 3;
    ctrl.PlayMusic("old.ogg", 0.9f, 1.0f, 1, 0.0f);  // no fade: at its volume at once
    EXPECT_FLOAT_EQ(sound.device->plays.back().volume, std::pow(0.9f * 0.8f * 0.5f, 1.5f));
    sound.device->handle = 4;
    ctrl.PlayMusic("new.ogg", 0.6f, 1.0f, 1, 2.0f);
    sound.device->volumes.clear();
    ctrl.UpdateMusicFade(1.0f);  // the middle: each at half its share
    ASSERT_EQ(sound.device->volumes.size(), 2u);
    EXPECT_EQ(sound.device->volumes[0].first, 4);
    EXPECT_FLOAT_EQ(sound.device->volumes[0].second, std::pow(0.5f * 0.6f * 0.8f * 0.5f, 1.5f));
    EXPECT_EQ(sound.device->volumes[1].first, 3);
    EXPECT_FLOAT_EQ(sound.device->volumes[1].second, std::pow(0.5f * 0.9f * 0.8f * 0.5f, 1.5f));
}
