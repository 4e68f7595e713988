// WorldCtrl sounds: on this program world sounds play nothing, while loading, speech and the play
// time of sound files reach the sound layer; an element's sounds by index; the loudness curve.
#include "world/WorldCtrl.h"

#include "base/GameOptions.h"

#include "world/WorldTestSupport.h"

#include "support/ErrorOf.h"
#include "support/RecordingSoundDevice.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

class WorldCtrlSoundsTest : public ::testing::Test {
protected:
    WorldCtrlSoundsTest() : options(g_Options) { world.SetGrid(16, 16, 64, 64); }
    ~WorldCtrlSoundsTest() override { g_Options = options; }

    GameOptions options;
    ScopedSoundManager sound;
    LevelTestCtrl ctrl;
    GridWorld world;
};

bool Has(const char* tool)
{
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// The first line a command prints; empty when it fails.
std::string FirstLine(const std::string& command, const TempDir& dir)
{
    if (std::system((command + " > '" + dir / "out.txt" + "' 2>/dev/null").c_str()) != 0)
        return "";
    std::string out = dir.Read("out.txt");
    return out.substr(0, out.find('\n'));
}

}  // namespace

TEST_F(WorldCtrlSoundsTest, WorldSoundsPlayNothing)
{
    SoundData data;
    data.file = "sound\\door.wav";
    EXPECT_EQ(world.RegisterSound("Door", data), 0);
    EXPECT_TRUE(world.GetSoundRegistry().IsEmpty());

    TestElem* source = new TestElem(ElemType::kElem, 300, 300);
    world.AddObj(source, 0, false);
    const SoundIDData played = world.PlaySound("Door", 0.0f, false, true);
    EXPECT_EQ(played.handle, -1);
    world.PlaySoundAt("Door", 300, 300, source, 5);
    source->m_Sounds[WorldElem::kUseSound] = "Door";
    source->PlaySoundByIndex(WorldElem::kUseSound, 1);
    source->PlaySound("", 1);
    world.UpdateSounds();
    EXPECT_EQ(world.GetPlayingSounds().GetSize(), 0);
    EXPECT_TRUE(sound.device->plays.empty());

    world.LoadSound("sound\\step.OGG", true);  // a plain file loads under its own name
    world.LoadSound("Door", true);             // a registry name: there is none
    world.LoadSound("", true);
    ASSERT_EQ(sound.device->loads.size(), 1u);
    EXPECT_EQ(sound.device->loads[0].name, "sound\\step.OGG");
    EXPECT_EQ(sound.device->loads[0].file, "sound\\step.OGG");
    EXPECT_EQ(sound.device->loads[0].flags, 4);
}

TEST_F(WorldCtrlSoundsTest, SpeechReachesTheSoundLayer)
{
    sound.device->handle = 7;
    sound.device->length = 2.5;
    g_Options.soundMute = 1;
    EXPECT_EQ(world.PlaySpeech("speech\\intro.ogg", 0), 0.0);
    EXPECT_TRUE(sound.device->loads.empty());
    EXPECT_TRUE(sound.device->plays.empty());

    g_Options.soundMute = 0;
    g_Options.audioVolume = 0.25f;
    EXPECT_EQ(world.PlaySpeech("speech\\intro.ogg", 0), 2.5);
    ASSERT_EQ(sound.device->loads.size(), 1u);
    EXPECT_EQ(sound.device->loads[0].name, "__speechwav__");
    EXPECT_EQ(sound.device->loads[0].file, "speech\\intro.ogg");
    EXPECT_EQ(sound.device->loads[0].flags, 4);
    ASSERT_EQ(sound.device->plays.size(), 1u);
    EXPECT_EQ(sound.device->plays[0].name, "__speechwav__");
    EXPECT_EQ(sound.device->plays[0].volume, 0.125f);  // 0.25 to the power 1.5
    EXPECT_EQ(world.GetSpeechHandle(), 7);

    sound.device->playing = true;
    world.PlaySpeech("speech\\next.ogg", 0);  // the speech before it stops
    EXPECT_EQ(sound.device->stopped, std::vector<int32_t>{7});
    world.StopSpeech();
    EXPECT_EQ(world.GetSpeechHandle(), -1);
    world.StopSpeech();  // none held: nothing to stop
    EXPECT_EQ(sound.device->stopped.size(), 2u);
}

TEST_F(WorldCtrlSoundsTest, ElementSoundIndex)
{
    TestElem elem;
    elem.m_CfgID = "door";
    for (int32_t index : {9, -1}) {
        const std::string error = ErrorOf([&] { elem.PlaySoundByIndex(index, 0); });
        EXPECT_NE(error.find("Invalid sound index: " + std::to_string(index) + "!"), std::string::npos) << error;
    }
    EXPECT_EQ(ErrorOf([&] { elem.PlaySoundByIndex(8, 0); }), "no error");  // empty: nothing plays
}

TEST(SoundCurveTest, PowerKeptWithinZeroAndOne)
{
    const struct {
        float x, y;
    } cases[] = {{0.0f, 0.0f}, {-1.0f, 0.0f}, {0.25f, 0.125f}, {1.0f, 1.0f}, {4.0f, 1.0f}};
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(SoundCurve(c.x), c.y) << c.x;
}

// An Ogg file made by oggenc or sox, measured by ogginfo or soxi.
TEST(SoundFileLengthTest, AgreesWithTheCommandLineTools)
{
    TempDir dir;
    EXPECT_EQ(WorldCtrl::GetSoundFileLength((dir / "missing.ogg").c_str()), 0.0);
    const std::string ogg = dir / "tone.ogg";
    if (Has("oggenc")) {
        std::ofstream raw(dir / "tone.raw", std::ios::binary);  // 30000 frames of 16-bit mono at 22050 Hz
        for (int i = 0; i < 30000; i++) {
            const int16_t s = int16_t(8000.0 * std::sin(i * 0.125));
            raw.write(reinterpret_cast<const char*>(&s), 2);
        }
        raw.close();
        const std::string encode = "oggenc -Q -r -B 16 -C 1 -R 22050 -o '" + ogg + "' '" + dir / "tone.raw" + "'";
        ASSERT_EQ(std::system(encode.c_str()), 0);
    } else if (Has("sox")) {
        ASSERT_EQ(std::system(("sox -n -r 22050 -c 1 '" + ogg + "' synth 1.3605 sine 440").c_str()), 0);
    } else {
        GTEST_SKIP() << "neither oggenc nor sox installed";
    }
    std::vector<std::pair<std::string, double>> measured;
    if (Has("soxi"))
        measured.emplace_back("soxi", std::atof(FirstLine("soxi -D '" + ogg + "'", dir).c_str()));
    if (Has("ogginfo")) {
        const std::string out = FirstLine("ogginfo '" + ogg + "' | grep 'Playback length'", dir);
        const size_t minutes = out.find(':') + 1;  // "Playback length: 0m:01.360s"
        const size_t seconds = out.rfind(':') + 1;
        const double length = std::atof(out.substr(minutes).c_str()) * 60.0 + std::atof(out.substr(seconds).c_str());
        measured.emplace_back("ogginfo", length);
    }
    if (measured.empty())
        GTEST_SKIP() << "neither soxi nor ogginfo installed";
    for (const auto& [tool, seconds] : measured) {
        EXPECT_GT(seconds, 1.0) << tool;
        EXPECT_NEAR(WorldCtrl::GetSoundFileLength(ogg.c_str()), seconds, 0.001) << tool;
    }
}
