// WorldCtrl music: a track set by name, the default and fight tracks chosen by the creatures
// attacking the main character and its party at the configured check intervals, the boss track,
// the lock, and the music state the resets leave.
#include "world/WorldCtrl.h"

#include "base/GameOptions.h"
#include "base/MusicChannels.h"

#include "world/WorldTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class Attacker : public TestElem {
public:
    Attacker(float x, float y) : TestElem(ElemType::kCreature, x, y) { m_Party = 2; }
    WorldElem* GetCurrentTarget() override { return target; }
    WorldElem* target = nullptr;
};

class WorldCtrlMusicTest : public ::testing::Test {
protected:
    WorldCtrlMusicTest() : options(g_Options)
    {
        g_MusicChannels = MusicChannels();
        g_Options.musicFightCheckTime = 1.0f;
        g_Options.musicCheckTime = 2.5f;
        world.SetGrid(32, 32, 64, 64);
        hero = new TestElem(ElemType::kCreature, 1000, 1000);
        hero->m_Party = 1;
        world.AddObj(hero, 0, false);
        attacker = new Attacker(1200, 1000);
        world.AddObj(attacker, 0, false);
        ctrl.mainChar = hero;
        world.SetLevelMusic(WorldCtrl::kMusicDefault, "calm.ogg");
        world.SetLevelMusic(WorldCtrl::kMusicFight, "fight.ogg");
    }
    ~WorldCtrlMusicTest() override
    {
        g_Options = options;
        g_MusicChannels = MusicChannels();
    }

    std::vector<std::string> Played() const
    {
        std::vector<std::string> tracks;
        for (const auto& call : ctrl.music)
            tracks.push_back(call.track);
        return tracks;
    }

    GameOptions options;
    LevelTestCtrl ctrl;
    GridWorld world;
    TestElem* hero = nullptr;
    Attacker* attacker = nullptr;
};

using Tracks = std::vector<std::string>;

}  // namespace

TEST_F(WorldCtrlMusicTest, TrackByName)
{
    world.SetMusic("boss.ogg");
    ASSERT_EQ(Played(), Tracks{"boss.ogg"});
    EXPECT_EQ(ctrl.music[0].volume, -1.0f);  // the default volume, looping, faded in over 1 s
    EXPECT_EQ(ctrl.music[0].loop, 1);
    EXPECT_EQ(ctrl.music[0].fadeTime, 1.0f);
    EXPECT_EQ(world.GetMusicState(), WorldCtrl::kStateChoose);

    world.UpdateMusic(1.5f);  // the first check chooses the default track
    EXPECT_EQ(world.GetMusicState(), WorldCtrl::kStateNormal);
    EXPECT_EQ(Played(), (Tracks{"boss.ogg", "calm.ogg"}));
    world.SetMusic("calm.ogg");  // playing already: nothing changes
    world.SetMusic("musicDefault");
    EXPECT_EQ(world.GetMusicState(), WorldCtrl::kStateNormal);
    EXPECT_EQ(Played(), (Tracks{"boss.ogg", "calm.ogg"}));
    world.SetMusic("musicFight");  // the level's fight track
    EXPECT_EQ(world.GetMusicPlaying(), String("fight.ogg"));
    EXPECT_EQ(world.GetMusicState(), WorldCtrl::kStateChoose);
}

TEST_F(WorldCtrlMusicTest, LongStepAlwaysSwitches)
{
    world.UpdateMusic(1.5f);
    ASSERT_EQ(Played(), Tracks{"calm.ogg"});
    world.SetMusic("special.ogg");
    world.UpdateMusic(50.0f);  // a check that finds the same fight flag switches nothing
    EXPECT_EQ(Played(), (Tracks{"calm.ogg", "special.ogg"}));
    world.UpdateMusic(150.0f);  // above 100: switches all the same
    EXPECT_EQ(Played(), (Tracks{"calm.ogg", "special.ogg", "calm.ogg"}));
    EXPECT_EQ(world.GetMusicState(), WorldCtrl::kStateNormal);

    world.SetMusic("special.ogg");
    world.SetMusic("");  // the automatic choice at once
    EXPECT_EQ(Played().back(), "calm.ogg");
    EXPECT_EQ(Played().size(), 5u);
}

TEST_F(WorldCtrlMusicTest, FightingChoosesAtTheCheckIntervals)
{
    world.UpdateMusic(1.5f);
    ASSERT_EQ(world.GetMusicState(), WorldCtrl::kStateNormal);
    attacker->target = hero;
    world.UpdateMusic(0.9f);  // "MusicFightCheckTime" has not passed
    EXPECT_EQ(world.GetMusicState(), WorldCtrl::kStateNormal);
    world.UpdateMusic(0.2f);
    EXPECT_EQ(world.GetMusicState(), WorldCtrl::kStateFight);
    EXPECT_EQ(Played(), (Tracks{"calm.ogg", "fight.ogg"}));

    attacker->target = nullptr;
    world.UpdateMusic(2.0f);  // while fighting the interval is "MusicCheckTime"
    EXPECT_EQ(world.GetMusicState(), WorldCtrl::kStateFight);
    world.UpdateMusic(0.6f);
    EXPECT_EQ(world.GetMusicState(), WorldCtrl::kStateNormal);

    TestElem* friendOfHero = new TestElem(ElemType::kCreature, 1400, 1000);
    friendOfHero->m_Party = 1;
    world.AddObj(friendOfHero, 0, false);
    ctrl.party.push_back(friendOfHero);
    attacker->target = friendOfHero;  // the party's attackers count too
    world.UpdateMusic(1.1f);
    EXPECT_EQ(world.GetMusicState(), WorldCtrl::kStateFight);

    world.LockMusic();
    attacker->target = nullptr;
    world.UpdateMusic(10.0f);
    EXPECT_EQ(world.GetMusicState(), WorldCtrl::kStateFight);
    world.UnlockMusic();
    ctrl.mainChar = nullptr;  // no main character: no music changes either
    world.UpdateMusic(10.0f);
    EXPECT_EQ(world.GetMusicState(), WorldCtrl::kStateFight);
    ctrl.mainChar = hero;
    world.UpdateMusic(10.0f);
    EXPECT_EQ(world.GetMusicState(), WorldCtrl::kStateNormal);
}

TEST_F(WorldCtrlMusicTest, BossTrackAndTheLevelWithoutOne)
{
    world.UpdateMusic(1.5f);
    world.SwitchMusic(WorldCtrl::kStateBoss, false);  // the level has no boss track: nothing
    EXPECT_EQ(world.GetMusicState(), WorldCtrl::kStateNormal);
    world.SwitchMusic(WorldCtrl::kStateNormal, true);  // forced, but the channel plays it already
    EXPECT_EQ(Played(), Tracks{"calm.ogg"});

    world.SetLevelMusic(WorldCtrl::kMusicBoss, "boss.ogg");
    ctrl.bossMusic = true;
    world.UpdateMusic(0.1f);
    EXPECT_EQ(world.GetMusicState(), WorldCtrl::kStateBoss);
    EXPECT_EQ(Played(), (Tracks{"calm.ogg", "boss.ogg"}));
    EXPECT_EQ(world.GetMusicCountdown(), 0.0f);
    world.UpdateMusic(0.1f);  // boss music already
    EXPECT_EQ(Played().size(), 2u);
}

TEST_F(WorldCtrlMusicTest, PauseAfterTheDefaultTrackAndResets)
{
    world.SetMusicPauseTime(4.0f);
    world.UpdateMusic(1.5f);
    ASSERT_EQ(Played(), Tracks{"calm.ogg"});
    EXPECT_EQ(ctrl.music[0].loop, 0);  // it ends, and the pause follows
    EXPECT_EQ(world.GetMusicCountdown(), 4.0f);  // a track that cannot be read plays 0 s

    world.ResetLevelEffects();
    EXPECT_EQ(world.GetMusicCountdown(), -1.0f);
    EXPECT_EQ(world.GetMusicState(), WorldCtrl::kStateChoose);
    world.SwitchMusic(WorldCtrl::kStateNormal, false);
    world.ResetGameState();
    EXPECT_EQ(world.GetMusicState(), WorldCtrl::kStateChoose);
    g_MusicChannels.names[0] = "calm.ogg";
    world.StopAllSounds();  // the program's music channels are forgotten
    EXPECT_TRUE(g_MusicChannels.GetCurrentTrack().IsEmpty());
}
