// GameCtrl sounds: the entries of "cfg\sounds.cfg" with their file-wide defaults, the language
// folder in paths, missing keys and files, progress reports, reloading, and the check of sound
// names.
#include "game/ctrl/GameCtrl.h"

#include "world/SoundData.h"

#include "GameCtrlTestSupport.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"
#include "support/TestClock.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A controller whose world keeps the sounds it is given and that records its progress reports.
class SoundCtrl : public GameCtrl {
public:
    SoundCtrl() { GetWorld().SetSoundOff(false); }
    void ShowLoadingProgress(float percent, int32_t stage, float alpha, int32_t flag) override
    {
        (void)stage;
        (void)alpha;
        (void)flag;
        progress.push_back(percent);
    }
    const SoundData* Sound(const char* name) { return GetWorld().GetSoundRegistry().Find(name); }
    std::vector<float> progress;
};

}  // namespace

TEST(GameCtrlSoundsTest, EntriesAndDefaults)
{
    GameDir dir;
    CopyFixture(dir, "sounds.cfg", "cfg/sounds.cfg");
    dir.Write("snd/plain.wav", "RIFF");
    dir.Write("snd/lang/english/hello.wav", "RIFF");
    SoundCtrl ctrl;
    LogCapture log;
    ctrl.LoadSounds();
    EXPECT_EQ(log.Count("Sounds loaded"), 1);
    EXPECT_EQ(log.Count("Warning"), 1);
    EXPECT_EQ(log.Count("Invalid sound file:'snd\\gone.wav' in entry 'Gone'"), 1);

    const SoundData* plain = ctrl.Sound("Plain");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->loadFlags, 3);  // "DefaultRep" 2, plus one
    EXPECT_FLOAT_EQ(plain->distance, 250.0f);
    EXPECT_FLOAT_EQ(plain->minTimeDiff, 0.15f);
    EXPECT_FLOAT_EQ(plain->fadeTime, 0.5f);
    EXPECT_FLOAT_EQ(plain->volume, 1.0f);
    EXPECT_EQ(plain->loadOnDemand, 1);
    EXPECT_EQ(plain->hasSound, 1);

    const SoundData* once = ctrl.Sound("Once");
    ASSERT_NE(once, nullptr);
    EXPECT_EQ(once->loadFlags, 1);  // "rep = 0"
    EXPECT_FLOAT_EQ(once->distance, 100.0f);
    EXPECT_FLOAT_EQ(once->volume, 0.5f);
    EXPECT_FLOAT_EQ(once->playProb, 0.25f);
    EXPECT_FLOAT_EQ(once->randPitch, 0.1f);
    EXPECT_FLOAT_EQ(once->randVolume, 0.2f);
    EXPECT_FLOAT_EQ(once->pitchChange, 0.3f);
    EXPECT_FLOAT_EQ(once->minTimeDiff, 2.0f);
    EXPECT_EQ(once->loadOnDemand, 0);
    EXPECT_FLOAT_EQ(once->fadeTime, 1.0f);

    const SoundData* chord = ctrl.Sound("Chord");  // no file: its additional sounds play
    ASSERT_NE(chord, nullptr);
    EXPECT_EQ(chord->hasSound, 0);
    ASSERT_EQ(chord->additional.size(), 2u);
    EXPECT_EQ(chord->additional[1], "Once");
    EXPECT_EQ(chord->alternatives.size(), 1u);  // numbered up to the first gap

    const SoundData* speech = ctrl.Sound("Speech");
    ASSERT_NE(speech, nullptr);
    EXPECT_EQ(speech->file, "snd\\lang\\english\\hello.wav");
    EXPECT_NE(ctrl.Sound("Gone"), nullptr);  // a missing file still leaves the entry

    // Loading again releases the old table first: nothing is reported as existing already.
    dir.Write("cfg/sounds.cfg", "#Only\ndesc = \"Only\"\nadditional1 = \"x\"\n");
    ctrl.LoadSounds();
    EXPECT_EQ(log.Count("exists already"), 0);
    EXPECT_EQ(ctrl.Sound("Plain"), nullptr);
    EXPECT_NE(ctrl.Sound("Only"), nullptr);
}

TEST(GameCtrlSoundsTest, Faults)
{
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"#1\nfile = \"a.wav\"\n", "Sound entry 0 without 'desc'"},
        {"#1\ndesc = \"a\"\nadditional1 = \"b\"\n#2\ndesc = \"c\"\nalternative1 = \"a\"\n",
         "Sound entry 1 (c) without 'file'"},
        {"#1\ndesc = \"a\"\nadditional2 = \"b\"\n", "Sound entry 0 (a) without 'file'"},
    };
    for (const auto& c : cases) {
        GameDir dir;
        dir.Write("cfg/sounds.cfg", c.text);
        SoundCtrl ctrl;
        EXPECT_EQ(ErrorOf([&] { ctrl.LoadSounds(); }), c.error) << c.text;
    }
    GameDir dir;
    SoundCtrl ctrl;
    EXPECT_EQ(ErrorOf([&] { ctrl.LoadSounds(); }).find("Can not open"), 0u);
}

TEST(GameCtrlSoundsTest, ProgressAtMostOncePerFifthOfASecond)
{
    GameDir dir;
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += "#" + std::to_string(i) + "\ndesc = \"s" + std::to_string(i) + "\"\nadditional1 = \"x\"\n";
    dir.Write("cfg/sounds.cfg", text);
    SoundCtrl ctrl;
    {
        TestClock clock(1.0e6, 0.25);  // every reading a quarter of a second on
        ctrl.LoadSounds();
        EXPECT_EQ(ctrl.progress, (std::vector<float>{41, 42, 43, 44, 45, 46, 47, 48, 49, 50}));
    }
    ctrl.progress.clear();
    {
        TestClock clock(2.0e6, 0.15);
        ctrl.LoadSounds();
        EXPECT_EQ(ctrl.progress, (std::vector<float>{41, 43, 45, 47, 49}));
    }
}

TEST(GameCtrlSoundsTest, SoundNamesChecked)
{
    GameDir dir;
    dir.Write("cfg/sounds.cfg", "#1\ndesc = \"Hit\"\nadditional1 = \"x\"\n");
    SoundCtrl ctrl;
    ctrl.LoadSounds();
    String names[GameCtrl::kObjectSoundNames] = {"Hit", "Miss", ""};
    LogCapture log;
    ctrl.FindSound(names);  // the server never checks
    EXPECT_EQ(names[1], "Miss");
    g_SkipSoundCheck = 0;
    ctrl.FindSound(names);
    g_SkipSoundCheck = 1;
    EXPECT_EQ(names[0], "Hit");
    EXPECT_EQ(names[1], "");
    EXPECT_EQ(log.Count("Sound 'Miss' does not exist"), 1);
    EXPECT_EQ(log.Count("Warning"), 1);
}
