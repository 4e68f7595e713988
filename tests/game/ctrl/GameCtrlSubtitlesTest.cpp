// GameCtrl subtitles: the line of an id from the main character's own table or the general one,
// the speaker's shown name, the speech file in the id's folder (the speaker's below it) whose play
// time, as ogginfo reports it, is the line's time, and names that never change a query.
#include "game/ctrl/GameCtrl.h"

#include "base/LocalText.h"
#include "game/objects/CreatureObj.h"

#include "game/ctrl/GameCtrlTestSupport.h"

#include "support/OggInfo.h"
#include "support/SqliteFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

void PutLE(std::ofstream& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.put(char((value >> (8 * i)) & 0xFF));
}

// seconds of a 440 Hz tone, 8000 Hz mono 16-bit PCM, as a wave file.
void WriteWave(const std::string& path, double seconds)
{
    const uint32_t samples = uint32_t(seconds * 8000.0);
    std::ofstream out(path, std::ios::binary);
    out << "RIFF";
    PutLE(out, 36 + samples * 2, 4);
    out << "WAVEfmt ";
    PutLE(out, 16, 4);
    PutLE(out, 1, 2);     // PCM
    PutLE(out, 1, 2);     // mono
    PutLE(out, 8000, 4);  // samples per second
    PutLE(out, 16000, 4);
    PutLE(out, 2, 2);
    PutLE(out, 16, 2);
    out << "data";
    PutLE(out, samples * 2, 4);
    for (uint32_t i = 0; i < samples; ++i)
        PutLE(out, uint32_t(int16_t(8000.0 * std::sin(i * 2.0 * M_PI * 440.0 / 8000.0))) & 0xFFFF, 2);
}

class GameCtrlSubtitlesTest : public ::testing::Test {
protected:
    GameCtrlSubtitlesTest()
    {
        EXPECT_TRUE(WriteSqliteFile(dir("localisation.db"),
                                    "CREATE TABLE Subtitles (id TEXT, value INTEGER, speaker TEXT, content TEXT);"
                                    "CREATE TABLE Subtitles_soldier"
                                    " (id TEXT, value INTEGER, speaker TEXT, content TEXT);"
                                    "CREATE TABLE Names (id TEXT, content TEXT);"
                                    "INSERT INTO Subtitles VALUES ('DB:intro', 1, 'hero', 'We are here.'),"
                                    " ('DB:intro', 2, 'merchant', 'Buy!'), ('DB:intro', 3, '', 'Anyone?'),"
                                    " ('DB:it''s', 1, '', 'Quoted.');"
                                    "INSERT INTO Subtitles_soldier VALUES ('DB:intro', 3, 'hero', 'Soldier here.');"
                                    "INSERT INTO Names VALUES ('DB:merchant', 'Merchant Bob');"));
        EXPECT_TRUE(LocalText::Get().Open("localisation.db"));
        hero = new CreatureObj;
        hero->m_CfgID = "ch_soldier";
        ctrl.GetWorld().AddObj(hero, 0, false);
        ctrl.SetMainCharReference(hero);
    }
    ~GameCtrlSubtitlesTest() override { LocalText::Get().Close(); }

    std::string Shown() { return String(ctrl.GetSubTitleWindow().GetLine(0)).c_str(); }

    GameDir dir;
    ScopedGameConfig config;
    GameCtrl ctrl;
    CreatureObj* hero = nullptr;
};

}  // namespace

TEST_F(GameCtrlSubtitlesTest, SpeechTimeIsTheFilesPlayTime)
{
    if (!HasTool("oggenc") || !HasTool("ogginfo"))
        GTEST_SKIP() << "oggenc and ogginfo (vorbis-tools) not installed";
    // The hero's line lies in the id's folder; another speaker's in a folder of its own.
    std::string unixFolder = "lang/" + std::string(ctrl.GetWorld().GetLanguageDir().c_str()) + "speech/subtitles/intro";
    for (char& c : unixFolder)
        if (c == '\\')
            c = '/';
    std::filesystem::create_directories(dir(unixFolder + "/merchant"));
    WriteWave(dir("tone.wav"), 1.5);
    const std::string heroFile = dir(unixFolder + "/intro_1.ogg");
    const std::string merchantFile = dir(unixFolder + "/merchant/intro_2.ogg");
    for (const std::string& file : {heroFile, merchantFile})
        ASSERT_EQ(std::system(("oggenc -Q -o '" + file + "' '" + dir("tone.wav") + "'").c_str()), 0);
    const double length = OggInfoLength(dir, heroFile);
    ASSERT_GT(length, 1.4);

    EXPECT_NEAR(ctrl.GetSubtitle("DB:intro", 1, 1), length, 0.001);
    EXPECT_EQ(Shown(), "We are here.");  // the hero shows no name
    EXPECT_NEAR(ctrl.GetSubTitleWindow().GetDisplayTime(), length, 0.001);
    EXPECT_NEAR(ctrl.GetSubtitle("DB:intro", 2, 1), OggInfoLength(dir, merchantFile), 0.001);
    EXPECT_EQ(Shown(), "Merchant Bob: Buy!");

    std::filesystem::remove(merchantFile);
    std::filesystem::rename(heroFile, dir(unixFolder + "/merchant/intro_1.ogg"));
    EXPECT_EQ(ctrl.GetSubtitle("DB:intro", 1, 1), 0.0f);  // the hero's file is not in a speaker's folder
}

TEST_F(GameCtrlSubtitlesTest, LinesAndNames)
{
    const struct {
        const char* character;
        const char* id;
        int32_t line;
        const char* shown;  // null: nothing found, the window keeps its line
    } cases[] = {
        {"ch_soldier", "DB:intro", 3, "Soldier here."},       // the character's own table first
        {"ch_merchant", "DB:intro", 3, "Anyone?"},            // no such table: the general one
        {"", "DB:intro", 2, "Merchant Bob: Buy!"},
        {"ch_sol'dier", "DB:intro", 3, "Anyone?"},            // a name that is no plain word is not used
        {"ch_soldier WHERE 1 --", "DB:intro", 3, "Anyone?"},
        {"ch_soldier", "DB:it's", 1, "Quoted."},
        {"ch_soldier", "DB:intro' OR '1'='1", 3, nullptr},
        {"ch_soldier", "DB:intro", 9, nullptr},
    };
    for (const auto& c : cases) {
        hero->m_CfgID = c.character;
        ctrl.GetSubTitleWindow().Reset();
        EXPECT_EQ(ctrl.GetSubtitle(c.id, c.line, 1), 0.0f);  // no speech files
        EXPECT_EQ(Shown(), c.shown ? c.shown : "") << c.character << " " << c.id;
    }
    // Without speech the line stays as long as its text takes to read, ten characters at least.
    hero->m_CfgID = "";
    g_Options.dialogTextSpeed = 10.0f;
    ctrl.GetSubtitle("DB:intro", 2, 1);
    EXPECT_FLOAT_EQ(ctrl.GetSubTitleWindow().GetDisplayTime(), 1.8f);  // "Merchant Bob: Buy!"
    ctrl.GetSubtitle("DB:intro", 3, 1);
    EXPECT_FLOAT_EQ(ctrl.GetSubTitleWindow().GetDisplayTime(), 1.0f);  // "Anyone?"

    ctrl.GetSubTitleWindow().Reset();
    ctrl.GetSubtitle("DB:intro", 3, 0);  // only the time: nothing shown
    EXPECT_EQ(Shown(), "");
    g_Options.soundMute = 1;  // muted: no subtitles either
    ctrl.GetSubtitle("DB:intro", 3, 1);
    EXPECT_EQ(Shown(), "");
}
