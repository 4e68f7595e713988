// SciFiGameCtrl's player identities: "player.sv" byte for byte, the folder's name, a folder that
// belongs to another player never written into, and which "character.sv" counts as a save.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/Random.h"
#include "scifi/save/PlayerSaveID.h"

#include "support/LogCapture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

class SciFiGameCtrlPlayerSaveTest : public ::testing::Test {
protected:
    SciFiGameCtrlPlayerSaveTest() { ctrl.SetGameFolder(wString(dir.Path().string().c_str())); }
    ~SciFiGameCtrlPlayerSaveTest() override { Random::ResetForTest(); }

    static std::string Hex(const std::string& bytes)
    {
        std::string text;
        char byte[4];
        for (unsigned char c : bytes) {
            std::snprintf(byte, sizeof(byte), "%s%02x", text.empty() ? "" : " ", c);
            text += byte;
        }
        return text;
    }

    // A file of the game folder by its name in the game's form ("save\\Ann_ABCD\\player.sv").
    static std::string ReadGameFile(const TempDir& game, const String& name)
    {
        std::string path = name.c_str();
        for (char& c : path)
            if (c == '\\')
                c = '/';
        return game.Read(path);
    }

    TempDir dir;
    SciFiGameCtrl ctrl;
};

}  // namespace

TEST_F(SciFiGameCtrlPlayerSaveTest, PlayerFileAndFolderNameByteForByte)
{
    const struct {
        const char16_t* name;
        uint32_t id;
        bool multiplayer;
        const char* folder;
        const char* bytes;
    } cases[] = {
        {u"Ann", 0xABCD, false, "save\\Ann_ABCD\\",
         "13 01 00 03 00 00 00 41 00 6e 00 6e 00 cd ab 00 00 04 00 00 00 63 68 5f 78 34 12"},
        // 'é' (U+00E9) is two characters for its bits 0-4 (9: 'j') and 5-9 (7: 'h').
        {u"Zo\u00e9 K", 0x1, true, "saveMP\\Zojh K_1\\",
         "13 01 01 05 00 00 00 5a 00 6f 00 e9 00 20 00 4b 00 01 00 00 00 04 00 00 00 63 68 5f 78 34 12"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        PlayerSaveID created;
        ASSERT_TRUE(ctrl.CreatePlayerSave(wString(c.name), String("ch_x"), c.multiplayer, c.id, created));
        EXPECT_EQ(created.saveDirectory, String(c.folder));
        EXPECT_EQ(created.playerID, c.id);
        EXPECT_EQ(Hex(ReadGameFile(dir, created.saveDirectory + "player.sv")), c.bytes);
        // The new identity is the current player: its name, the root of its save slots, its class.
        EXPECT_EQ(ctrl.GetPlayerName(), wString(c.name));
        EXPECT_EQ(ctrl.GetSavegameBaseDir(), String(c.folder));
        EXPECT_EQ(ctrl.GetSavegamePath(0), String(c.folder) + "quick\\");
        EXPECT_EQ(ctrl.GetPlayerCharacterID(), String("ch_x"));
        EXPECT_EQ(ctrl.GetCurrentPlayer().playerID, c.id);
        EXPECT_EQ(ctrl.GetCurrentPlayer().creature.Get(), nullptr);
    }
}

// Every ID drawn from a seed names a folder that another player owns: the IDs give way in turn,
// and no one else's file changes; when every draw is taken the creation fails.
TEST_F(SciFiGameCtrlPlayerSaveTest, AnotherPlayersFolderIsNeverWrittenInto)
{
    for (int32_t taken : {6, 1000}) {
        SCOPED_TRACE(taken);
        TempDir game;
        ctrl.SetGameFolder(wString(game.Path().string().c_str()));
        Random::Seed(777);
        std::vector<uint32_t> ids = {0xABCD};
        while (int32_t(ids.size()) < taken + 1)
            ids.push_back(Random::Next());
        for (int32_t i = 0; i < taken; ++i) {
            char name[64];
            std::snprintf(name, sizeof(name), "save/Ann_%X/player.sv", unsigned(ids[size_t(i)]));
            game.Write(name, "someone else");
        }
        Random::Seed(777);
        LogCapture log;
        PlayerSaveID created;
        const bool made = ctrl.CreatePlayerSave(wString(u"Ann"), String("ch_x"), false, 0xABCD, created);
        if (taken < 1000) {
            ASSERT_TRUE(made);
            EXPECT_EQ(created.playerID, ids[size_t(taken)]);
        } else {
            EXPECT_FALSE(made);
            EXPECT_EQ(log.Count("No free save folder for player 'Ann'"), 1);
        }
        for (int32_t i = 0; i < taken; ++i) {
            char name[64];
            std::snprintf(name, sizeof(name), "save\\Ann_%X\\player.sv", unsigned(ids[size_t(i)]));
            ASSERT_EQ(ReadGameFile(game, String(name)), "someone else") << name;
        }
    }
}

TEST_F(SciFiGameCtrlPlayerSaveTest, AFolderThatCanNotBeMadeIsAFailure)
{
    dir.Write("save", "a file where the folder would go");
    LogCapture log;
    PlayerSaveID created;
    EXPECT_FALSE(ctrl.CreatePlayerSave(wString(u"Ann"), String("ch_x"), false, 0xABCD, created));
    EXPECT_EQ(log.Count("Can not create directory 'save\\Ann_ABCD\\'"), 1);
    EXPECT_EQ(ctrl.GetSavegameBaseDir(), String("save\\"));  // the current player stays
    EXPECT_EQ(ctrl.GetCurrentPlayer().playerID, 0u);
}

// The versions the character reader reads, and the game time after the version.
TEST_F(SciFiGameCtrlPlayerSaveTest, CharacterSaveValidity)
{
    const auto header = [](uint16_t version, double time) {
        std::string bytes(10, '\0');
        bytes[0] = char(version & 0xFF);
        bytes[1] = char(version >> 8);
        std::memcpy(&bytes[2], &time, 8);  // the test's machine is little-endian, as the file
        return bytes;
    };
    const struct {
        const char* file;
        std::string bytes;
        bool valid;
    } cases[] = {
        {"save/quick/character.sv", header(257, 1.5), false},
        {"save/quick/character.sv", header(258, 2.5), true},
        {"save/quick/character.sv", header(275, 3.5), true},
        {"save/quick/character.sv", header(276, 4.5), false},
        {"save/quick/character.sv", std::string("\x13", 1), false},  // cut short
        {"save/quick/character.sv", header(275, 0.0).substr(0, 9), false},
        // What a writer killed before its rename left is no save.
        {"save/quick/character.sv.tmpAbC123", header(275, 5.5), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.size() > 1 ? int(uint8_t(c.bytes[0]) | uint8_t(c.bytes[1]) << 8) : -1);
        std::filesystem::remove_all(dir.Path() / "save");
        dir.Write(c.file, c.bytes);
        double time = -1.0;
        EXPECT_EQ(ctrl.IsCharacterSaveValid(0, &time), c.valid);
        EXPECT_EQ(ctrl.IsCharacterSaveValid(0), c.valid);
        if (c.valid) {
            double expected;
            std::memcpy(&expected, &c.bytes[2], 8);
            EXPECT_EQ(time, expected);
        }
    }
    std::filesystem::remove_all(dir.Path() / "save");
    EXPECT_FALSE(ctrl.IsCharacterSaveValid(0));  // none there
}
