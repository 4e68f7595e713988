// SciFiGameCtrl's dialogue lines, messages and subtitles: the class's own rows first, the
// hero's lines in the player's name with the class's voice, speakers by their display names,
// class names that could change a query kept out of it, nothing without a main character, the
// message's spoken version, and the subtitle's times: its speech file's play time as ogginfo
// reports it, else a reading time of 25 characters a second, never under half a second.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/LocalText.h"
#include "scifi/ctrl/GameStateDebug.h"
#include "scifi/ctrl/SciFiRules.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "scifi/text/VoiceClass.h"
#include "world/WorldCtrl.h"

#include "game/ctrl/GameCtrlTestSupport.h"
#include "support/RecordingSoundDevice.h"
#include "support/OggInfo.h"
#include "support/SqliteFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

class SciFiGameCtrlDialogueTest : public ::testing::Test {
protected:
    SciFiGameCtrlDialogueTest()
    {
        EXPECT_TRUE(WriteSqliteFile(
            dir("localisation.db"),
            "CREATE TABLE Dialogues (id TEXT, speaker TEXT, text TEXT);"
            "CREATE TABLE Dialogues_soldier (id TEXT, speaker TEXT, text TEXT);"
            "CREATE TABLE Subtitles (id TEXT, value INTEGER, speaker TEXT, content TEXT);"
            "CREATE TABLE Subtitles_soldier (id TEXT, value INTEGER, speaker TEXT, content TEXT);"
            "CREATE TABLE Names (id TEXT, content TEXT);"
            "CREATE TABLE Messages (id TEXT, content TEXT);"
            "INSERT INTO Dialogues VALUES ('DB:greet', 'merchant', 'Welcome.'), ('DB:mine', '_hero', 'I am here.'),"
            " ('DB:called', '_Hero', 'Who calls?'), ('DB:mute', '', 'Silence.');"
            "INSERT INTO Dialogues_soldier VALUES ('DB:greet', 'sergeant', 'Report!');"
            "INSERT INTO Subtitles VALUES ('DB:intro', 1, 'merchant', 'Buy!'), ('DB:intro', 2, 'hero', 'Me.'),"
            " ('DB:long', 1, '', '" + std::string(50, 'x') + "'), ('DB:short', 1, '', 'Hi');"
            "INSERT INTO Subtitles_soldier VALUES ('DB:intro', 1, 'sergeant', 'Soldier!');"
            "INSERT INTO Names VALUES ('DB:merchant', 'Merchant Bob'), ('DB:sergeant', 'Sarge'),"
            " ('DB:_Hero', 'The Hero');"
            "INSERT INTO Messages VALUES ('DB:medi_full', 'Full.');"));
        EXPECT_TRUE(LocalText::Get().Open("localisation.db"));
        hero = static_cast<CreatureObj_SF*>(ctrl.CreateCreature());
        hero->m_CfgID = "ch_soldier";
        ctrl.GetWorld().AddObj(hero, 0, false);
        ctrl.SetMainCharReference(hero);
        ctrl.SetPlayerName(wString(u"Ann"));
    }
    ~SciFiGameCtrlDialogueTest() override
    {
        LocalText::Get().Close();
        g_SciFiRules = SciFiRules();
        g_GameStateDebug = GameStateDebug();
    }

    // A speech file of the language folder, in the game's own path form.
    std::string Speech(const char* folder, const std::string& file)
    {
        std::string path = "lang\\" + std::string(ctrl.GetWorld().GetLanguageDir().c_str()) + folder + "\\" + file;
        std::string unix = path;
        for (char& ch : unix)
            if (ch == '\\')
                ch = '/';
        std::filesystem::create_directories(std::filesystem::path(dir(unix)).parent_path());
        dir.Write(unix, "speech");
        return path;
    }
    std::string Line(const wString& text) { return String(text).c_str(); }

    GameDir dir;
    ScopedGameConfig config;
    ScopedSoundManager sound;
    SciFiGameCtrl ctrl;
    CreatureObj_SF* hero = nullptr;
};

}  // namespace

TEST_F(SciFiGameCtrlDialogueTest, DialogueLinesFromTheClassTableFirst)
{
    const std::string dialogues = "lang\\" + std::string(ctrl.GetWorld().GetLanguageDir().c_str()) + "dialogues\\";
    const struct {
        const char* character;
        const char* key;
        const char* speaker;
        const char* text;
        std::string speech;
    } cases[] = {
        {"ch_soldier", "DB:greet", "Sarge", "Report!", dialogues + "greet.ogg"},  // the class's row wins
        {"ch_merchant", "DB:greet", "Merchant Bob", "Welcome.", dialogues + "greet.ogg"},
        {"slayer", "DB:mine", "Ann", "I am here.", dialogues + "PL_mine.ogg"},  // no "ch_": used as it stands
        {"ch_ayla", "DB:mine", "Ann", "I am here.", dialogues + "PY_mine.ogg"},
        {"ch_soldier", "DB:called", "The Hero", "Who calls?", dialogues + "called.ogg"},  // "_Hero" is a name
        {"ch_sol'dier", "DB:greet", "Merchant Bob", "Welcome.", dialogues + "greet.ogg"},  // never in a query
        {"ch_soldier", "DB:mute", "", "Silence.", dialogues + "mute.ogg"},
        {"ch_soldier", "plain", "", "plain", ""},  // no database key: no speaker, no speech
    };
    for (const auto& test : cases) {
        hero->m_CfgID = test.character;
        ctrl.PlayDialogueLine(String(test.key), hero, nullptr, 7, false);
        const DialogGui& window = ctrl.GetDialogWindow();
        EXPECT_EQ(Line(window.GetSpeaker()), test.speaker) << test.character << " " << test.key;
        EXPECT_EQ(Line(window.GetText()), test.text) << test.key;
        EXPECT_EQ(std::string(window.GetSpeechPath().c_str()), test.speech) << test.key;
        EXPECT_EQ(window.GetPartner(0), hero);
        EXPECT_EQ(window.GetScriptID(), 7);
        EXPECT_TRUE(ctrl.IsDialogActive(nullptr));
        ctrl.CloseDialog();
        EXPECT_FALSE(ctrl.IsDialogActive(hero));
    }

    // Speech only: the file plays when it exists, the window stays closed.
    hero->m_CfgID = "ch_slayer";
    const std::string file = Speech("dialogues", "PL_mine.ogg");
    ctrl.PlayDialogueLine(String("DB:mine"), nullptr, nullptr, -1, true);
    EXPECT_FALSE(ctrl.IsDialogActive(nullptr));
    ASSERT_EQ(sound.device->loads.size(), 1u);
    EXPECT_EQ(sound.device->loads[0].file, file);
    ctrl.PlayDialogueLine(String("DB:greet"), nullptr, nullptr, -1, true);  // no file: nothing plays
    EXPECT_EQ(sound.device->loads.size(), 1u);

    // Until a player has joined the server has no main character, and no dialogue.
    ctrl.SetMainCharReference(nullptr);
    ctrl.PlayDialogueLine(String("DB:greet"), nullptr, nullptr, -1, false);
    EXPECT_FALSE(ctrl.IsDialogActive(nullptr));
}

TEST_F(SciFiGameCtrlDialogueTest, DatabaseMessagesAreSpokenInTheClassVoice)
{
    hero->m_CfgID = "ch_pyro";
    const std::string file = Speech("dialogues", "PY_MSG_medi_full.ogg");
    ctrl.ShowMessage(3.0f, "DB:%s", "medi_full");
    ASSERT_EQ(sound.device->loads.size(), 1u);
    EXPECT_EQ(sound.device->loads[0].file, file);
    auto& messages = ctrl.GetWorld().GetTextMessages();
    ASSERT_EQ(messages.GetSize(), 1);
    EXPECT_EQ(Line(messages.GetAt(0)->text), "Full.");

    // A plain message, or no main character: shown, nothing spoken, no creature asked.
    ctrl.ShowMessage(3.0f, "%s", "InvFull");
    ctrl.SetMainCharReference(nullptr);
    ctrl.ShowMessage(3.0f, "DB:medi_full");
    EXPECT_EQ(sound.device->loads.size(), 1u);
    EXPECT_EQ(messages.GetSize(), 3);
}

TEST_F(SciFiGameCtrlDialogueTest, SubtitleLinesAndTimes)
{
    g_SciFiRules.subtitlePause = 2.0f;
    const struct {
        const char* character;
        const char* key;
        int32_t line;
        const char* shown;
        float result;   // "SubtitlePause" + the line's length
        float display;  // what the window takes to show it
    } cases[] = {
        {"ch_soldier", "DB:intro,1", 0, "Sarge: Soldier!", 2.0f + 15.0f / 25.0f, 15.0f / 25.0f},
        {"ch_merchant", "DB:intro,1", 0, "Merchant Bob: Buy!", 2.0f + 18.0f / 25.0f, 18.0f / 25.0f},
        {"ch_soldier", "DB:intro", 2, "Ann: Me.", 2.0f + 0.32f, 0.5f},  // the line's number stands in
        {"ch_soldier", "DB:long,1", 0, "", 4.0f, 2.0f},
        {"ch_soldier", "DB:short,1", 0, "Hi", 2.0f + 0.08f, 0.5f},  // shown at least half a second
        {"ch_sol'dier", "DB:intro,1", 0, "Merchant Bob: Buy!", 2.0f + 18.0f / 25.0f, 18.0f / 25.0f},
        {"ch_soldier", "DB:none,1", 0, "", 2.0f, 0.0f},  // nothing to show
    };
    for (const auto& test : cases) {
        hero->m_CfgID = test.character;
        const float result = ctrl.GetSubtitle(test.key, test.line, 1);
        const SubTitleGui& window = ctrl.GetSubTitleWindow();
        const std::string shown = Line(ctrl.GetSubTitleWindow().GetLine(0));
        if (std::string(test.key) == "DB:long,1")
            EXPECT_EQ(shown, std::string(50, 'x'));
        else
            EXPECT_EQ(shown, test.shown) << test.key;
        EXPECT_NEAR(result, test.result, 1e-5) << test.character << " " << test.key;
        EXPECT_NEAR(window.GetDisplayTime(), test.display, 1e-5) << test.key;
        EXPECT_FLOAT_EQ(window.GetFadeWidth(), SubTitleGui::kFadeWidth);
        EXPECT_FLOAT_EQ(window.GetFadeTime(), 2.0f);
    }

    // The fade offset lengthens the display and shortens the fade.
    g_SciFiRules.subtitleFadeOffset = 0.5f;
    hero->m_CfgID = "ch_soldier";
    EXPECT_FLOAT_EQ(ctrl.GetSubtitle("DB:long,1", 0, 1), 4.0f);
    EXPECT_FLOAT_EQ(ctrl.GetSubTitleWindow().GetDisplayTime(), 2.5f);
    EXPECT_FLOAT_EQ(ctrl.GetSubTitleWindow().GetFadeTime(), 1.5f);

    // Skip mode asks nothing and takes no time.
    g_GameStateDebug.skipMode = 1;
    ctrl.GetSubTitleWindow().ClearFormattedText();
    EXPECT_EQ(ctrl.GetSubtitle("DB:intro,1", 0, 1), 0.0f);
    EXPECT_EQ(ctrl.GetSubTitleWindow().GetNumLines(), 0);
    g_GameStateDebug.skipMode = 0;

    // Without a main character: the general table, no voice.
    ctrl.SetMainCharReference(nullptr);
    ctrl.GetSubtitle("DB:intro,1", 0, 1);
    EXPECT_EQ(Line(ctrl.GetSubTitleWindow().GetLine(0)), "Merchant Bob: Buy!");
}

TEST_F(SciFiGameCtrlDialogueTest, SubtitleSpeechTimeIsTheFilesPlayTime)
{
    if (!HasTool("oggenc") || !HasTool("ogginfo"))
        GTEST_SKIP() << "oggenc and ogginfo (vorbis-tools) not installed";
    hero->m_CfgID = "ch_slayer";  // the hero's line in the class's voice
    std::string file = Speech("subtitles", "PL_intro.ogg");
    for (char& ch : file)
        if (ch == '\\')
            ch = '/';
    const std::string wave = dir("tone.raw");
    {
        std::ofstream out(wave, std::ios::binary);
        for (int i = 0; i < 8000 * 3 / 2; ++i) {
            const int16_t sample = int16_t(8000.0 * std::sin(i * 2.0 * M_PI * 440.0 / 8000.0));
            out.put(char(sample & 0xFF));
            out.put(char((sample >> 8) & 0xFF));
        }
    }
    ASSERT_EQ(std::system(("oggenc -Q -r -B 16 -C 1 -R 8000 -o '" + dir(file) + "' '" + wave + "'").c_str()), 0);
    const double length = OggInfoLength(dir, dir(file));
    ASSERT_GT(length, 1.4);
    EXPECT_NEAR(ctrl.GetSubtitle("DB:intro,2", 0, 1), 2.0 + length, 0.001);
    EXPECT_NEAR(ctrl.GetSubTitleWindow().GetDisplayTime(), length, 0.001);
}

TEST(VoiceClassTest, ClassNamesAndVoices)
{
    const struct {
        const char* name;
        const char* table;
        const char* prefix;
    } cases[] = {
        {"soldier", "Dialogues_soldier", ""}, {"mAx", "Dialogues_mAx", "MA_"}, {"pLain", "Dialogues_pLain", "PL_"},
        {"ay", "Dialogues_ay", "PY_"},        {"x", "Dialogues_x", ""},        {"", "", ""},
        {"a b", "", ""},                      {"a'y", "", ""},
    };
    for (const auto& test : cases) {
        const VoiceClass voice{String(test.name)};
        EXPECT_STREQ(voice.TableName("Dialogues").c_str(), test.table) << test.name;
        EXPECT_STREQ(voice.GetVoicePrefix(), test.prefix) << test.name;
    }
    EXPECT_STREQ(VoiceClass(static_cast<const CreatureObj*>(nullptr)).GetName().c_str(), "");
}
