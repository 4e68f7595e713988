// Loading saved games and characters on a copy of the sample game, through the controller and
// the state manager that the driver runs: a save made by another process comes back whole, old
// file versions load by their layout, a damaged or lying file changes nothing (not the game, not
// the files), and the slots' special cases.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/File.h"
#include "platform/SafeFileReplace.h"
#include "scifi/input/SciFiInputCtrl.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "script/VariableStack.h"
#include "server/SciFiGameServer.h"
#include "server/SciFiGameStateManager.h"

#include "support/ByteBuilder.h"
#include "support/LogCapture.h"
#include "support/SampleServerGame.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// The unpacked bytes of a packed or plain file.
Bytes Plain(const std::string& path)
{
    File file;
    if (!file.Open(String(path.c_str()), true, File::kVirtualFile, false))
        return Bytes();
    return Bytes(file.GetMemoryBuffer(), file.GetMemoryBuffer() + file.GetSize());
}

// The bytes packed as the game packs "character.sv".
void WritePacked(const std::string& path, const Bytes& plain)
{
    File file;
    ASSERT_TRUE(file.CreateInMemory(String(path.c_str())));
    file.SetCompression(8);
    file.Write(plain.data(), plain.size());
    file.Close();
}

// The creature's record as "character.sv" holds it, at the newest layout.
Bytes CreatureRecord(CreatureObj_SF& creature)
{
    File file;
    file.CreateMemoryFile(0);
    creature.Save(file, true);
    return Bytes(file.GetMemoryBuffer(), file.GetMemoryBuffer() + file.GetSize());
}

// A "character.sv" written by hand for an older version: the creature record of 275 loses its
// last two rows (level progress from 274, an empty last text from 270), the highest difficulty
// byte is there from 266 on and the quick slots from 264 on.
Bytes OldCharacterFile(uint16_t version, const Bytes& creature275, uint8_t highestDifficulty)
{
    ByteBuilder b;
    b.U16(version).F64(12.5).I32(4).U16('v').U16('0').U16('.').U16('2');
    b.I32(0);                         // no learned skill
    b.Str("").Str("").Str("");        // buttons 1, 3, 2
    b.I32(6).I32(1).I32(2).I32(2);    // advance 7, skill 4
    b.U8(3);
    if (version >= 266)
        b.U8(highestDifficulty);
    Bytes record = creature275;
    if (version < 274)
        record.resize(record.size() - 5);
    b.bytes.insert(b.bytes.end(), record.begin(), record.end());
    if (version >= 264)
        for (int32_t i = 0; i < 10; ++i)
            b.Str(i == 2 ? "strike" : "");
    b.U16(0x1234);
    return b.bytes;
}

class SciFiLoadGameTest : public SampleServerGame<SciFiGameServer> {
protected:
    void SetUp() override
    {
        if (listening)
            return;
        Begin();
    }
    void TearDown() override
    {
        if (ctrl)
            ctrl->SetStateManager(nullptr);
    }
    // The driver's start: the state manager enters the game state, whose start loads slot -1.
    void Begin()
    {
        Start();
        ctrl->SetLocalHero(true);
        states = std::make_unique<SciFiGameStateManager>(*ctrl);
        ctrl->SetStateManager(states.get());
        LogCapture log;
        ASSERT_EQ(ErrorOf([&] { states->SetState(SciFiGameStateManager::kStateGame); }), "no error");
        EXPECT_EQ(log.Count("Load game"), 1);
        EXPECT_EQ(log.Count("Start new game"), 1);
        hero = dynamic_cast<CreatureObj_SF*>(ctrl->GetMainChar());
        ASSERT_NE(hero, nullptr);
        ASSERT_EQ(ErrorOf([&] { DedicatedServer::RunFrames(*ctrl, 5); }), "no error");
    }

    std::string Slot(const std::string& file) const { return dir("save/" + file); }

    // What a damaged load must leave as it was.
    struct Snapshot {
        double time;
        int32_t difficulty;
        std::string level;
        int32_t crate;
        int32_t temp;
        float health;
        int32_t points;
        Bytes heroRecord;
        CreatureObj* mainChar;
        bool operator==(const Snapshot& o) const
        {
            return time == o.time && difficulty == o.difficulty && level == o.level && crate == o.crate &&
                   temp == o.temp && health == o.health && points == o.points && heroRecord == o.heroRecord &&
                   mainChar == o.mainChar;
        }
    };
    Snapshot Take()
    {
        auto* now = dynamic_cast<CreatureObj_SF*>(ctrl->GetMainChar());
        StoryVariable* crate = ctrl->GetStories().Find("Crate");
        return Snapshot{ctrl->GetGameTime(),
                        ctrl->GetDifficulty(),
                        ctrl->GetLevelDescFile().c_str(),
                        crate ? crate->GetValue() : -99,
                        *ctrl->GetScriptTempInt(5),
                        now ? now->m_Health : -1.0f,
                        now ? now->m_AdvancePoints : -1,
                        now ? CreatureRecord(*now) : Bytes(),
                        ctrl->GetMainChar()};
    }

    std::unique_ptr<SciFiGameStateManager> states;
    CreatureObj_SF* hero = nullptr;
};

class SciFiLoadGameListeningTest : public SciFiLoadGameTest {
protected:
    SciFiLoadGameListeningTest()
    {
        listening = true;
        withHero = false;
    }
};

// What the process that saved and quit had set up.
void SaveKnownGameInChild(void* context)
{
    auto& ctrl = *static_cast<SciFiGameCtrl*>(context);
    auto* hero = dynamic_cast<CreatureObj_SF*>(ctrl.GetMainChar());
    for (int32_t i = 0; i < 256; ++i) {
        *ctrl.GetScriptTempFloat(i) = float(i) + 0.25f;
        *ctrl.GetScriptTempInt(i) = 1000 - i;
    }
    for (int32_t i = 0; i < 32; ++i)
        ctrl.GetObjScriptText(i)->Format("saved%d", int(i));
    ctrl.SetStory("Crate", 2);
    ctrl.GetGameVariables().Clear();
    ctrl.AddGameVariable("gold", kScriptInt, 0)->SetInt(77);
    ctrl.GetMissionLog().AddEntry(1, String("m_first"));
    ctrl.LearnSkill(String("guard"), false, 1, true);
    ctrl.SetSkillButton3(ctrl.FindSkill(String("guard")));
    ctrl.SetQuickSlot(4, ctrl.FindSkill(String("strike")));
    ctrl.SetDifficulty(2, 1, 1);
    hero->SetPoints(3, 5);
    hero->m_LevelProgress = -1;
    hero->m_HighestDifficulty = 2;
    hero->m_Health = hero->GetMaxHealth(true) * 0.5f;
    hero->m_Experience = 1234.0f;
    ctrl.SetGameTime(321.25);
    if (ctrl.SaveGame(2, nullptr, 0, 0, wString()) != 1)
        std::raise(SIGUSR2);
}

}  // namespace

// Restart: another process saved a known game into slot 2 and ended; this process, whose game
// never held those values, loads the slot and gets every field back, and saving it again writes
// the same character bytes.
TEST_F(SciFiLoadGameTest, ASlotSavedByAnotherProcessComesBackWhole)
{
    ASSERT_EQ(Platform::RunInChildProcess(SaveKnownGameInChild, ctrl.get()), 0);
    ASSERT_NE(ctrl->GetGameTime(), 321.25);

    LogCapture log;
    ASSERT_EQ(ctrl->LoadGame(2, 0, 0), 1);
    EXPECT_EQ(log.Count("Corrupt file"), 0);
    auto* loaded = dynamic_cast<CreatureObj_SF*>(ctrl->GetMainChar());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(ctrl->GetGameTime(), 321.25);
    EXPECT_EQ(ctrl->GetDifficulty(), 2);
    EXPECT_EQ(ctrl->GetLevelDescFile(), String("levels\\sample\\sample.cfg"));
    for (int32_t i = 0; i < 256; ++i) {
        ASSERT_EQ(*ctrl->GetScriptTempFloat(i), float(i) + 0.25f) << i;
        ASSERT_EQ(*ctrl->GetScriptTempInt(i), 1000 - i) << i;
    }
    EXPECT_EQ(*ctrl->GetObjScriptText(31), String("saved31"));
    EXPECT_TRUE(ctrl->GetObjScriptText(32)->IsEmpty());
    EXPECT_EQ(ctrl->GetStories().Find("Crate")->GetValue(), 2);
    ASSERT_NE(ctrl->GetGameVariables().FindVariable("gold"), nullptr);
    EXPECT_EQ(ctrl->GetGameVariables().FindVariable("gold")->m_Integer, 77);
    ASSERT_EQ(ctrl->GetMissionLog().GetEntryCount(), 1);
    EXPECT_EQ(ctrl->GetMissionLog().GetEntry(0).key, String("m_first"));
    EXPECT_TRUE(ctrl->FindSkill(String("guard"))->learned);
    EXPECT_EQ(ctrl->GetShownSkill(3), ctrl->FindSkill(String("guard")));
    EXPECT_EQ(ctrl->GetQuickSlot(4), ctrl->FindSkill(String("strike")));
    EXPECT_EQ(loaded->GetAdvancePoints(), 3);
    EXPECT_EQ(loaded->GetSkillPoints(), 5);
    EXPECT_EQ(loaded->m_LevelProgress, -1);
    EXPECT_EQ(loaded->m_HighestDifficulty, 2);
    EXPECT_EQ(loaded->m_Experience, 1234.0f);
    EXPECT_EQ(loaded->m_Health, loaded->GetMaxHealth(true) * 0.5f);

    // The creature record as the file holds it (after the header fields) saves the same bytes.
    const Bytes saved = Plain(Slot("save 2/character.sv"));
    size_t at = 2 + 8 + 4 + 8;  // version, time, "v0.2"
    const uint32_t texts = ByteReader::DecodeU32(&saved[at]) + 3;  // the learned names, the buttons
    at += 4;
    for (uint32_t i = 0; i < texts; ++i)
        at += 4 + ByteReader::DecodeU32(&saved[at]);
    at += 16 + 2;  // the point pairs, progress and highest difficulty
    File stored;
    stored.CreateMemoryFile(0);
    stored.Write(saved.data() + at, saved.size() - at);
    stored.Seek(0);
    stored.SetVersion(275);
    auto fromFile = std::make_unique<CreatureObj_SF>();
    ASSERT_TRUE(fromFile->LoadChecked(stored, true));
    fromFile->SetPos(loaded->GetPos().x, loaded->GetPos().y);  // a loaded character stays where it is
    fromFile->SetAngle(loaded->GetAngle());
    EXPECT_EQ(CreatureRecord(*loaded), CreatureRecord(*fromFile));
    ASSERT_EQ(ErrorOf([&] { DedicatedServer::RunFrames(*ctrl, 10); }), "no error");
}

// Old files: a "character.sv" of a version outside 258 .. 275 is refused before anything is read
// or changed; learned skills are learned only in the game state.
TEST_F(SciFiLoadGameTest, OldCharacterFilesLoadByTheirVersion)
{
    hero->m_LastText = String();
    hero->m_LevelProgress = 3;  // the record's row wins over the field before it
    const Bytes record = CreatureRecord(*hero);
    const D3DXVECTOR2 pos = hero->GetPos();
    const float angle = hero->GetAngle();
    struct Case {
        uint16_t version;
        bool loads;
        uint8_t highestDifficulty;  // expected
        bool quickSlots;
    };
    // Only the newest creature record can be written here: the older layouts of the fields
    // around it are read by the same code paths the version checks choose.
    const Case cases[] = {{257, false, 0, false}, {276, false, 0, false}, {275, true, 3, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        ctrl->SetQuickSlot(2, ctrl->FindSkill(String("guard")));
        const Bytes plain = OldCharacterFile(c.version, record, 3);
        File file;
        file.CreateMemoryFile(0);
        file.Write(plain.data(), plain.size());
        file.Seek(0);
        hero->SetPoints(0, 0);
        const Bytes heroBefore = CreatureRecord(*hero);
        LogCapture log;
        EXPECT_EQ(ctrl->ReadCharacter(file, *hero), c.loads) << log.Text();
        if (!c.loads) {
            EXPECT_EQ(file.GetPos(), 2);  // not even the game time
            EXPECT_EQ(CreatureRecord(*hero), heroBefore);
            continue;
        }
        EXPECT_EQ(hero->GetAdvancePoints(), 7);
        EXPECT_EQ(hero->GetSkillPoints(), 4);
        EXPECT_EQ(hero->m_LevelProgress, 3);
        EXPECT_EQ(hero->m_HighestDifficulty, c.highestDifficulty);
        EXPECT_EQ(ctrl->GetQuickSlot(2), ctrl->FindSkill(String(c.quickSlots ? "strike" : "guard")));
        EXPECT_EQ(hero->GetPos(), pos);
        EXPECT_EQ(hero->GetAngle(), angle);
    }

    // The names of learned skills are learned only in the game state; a skill the table no
    // longer has is passed over with a warning.
    ByteBuilder names;
    names.U16(275).F64(1.0).I32(0).I32(2).Str("guard").Str("gone_skill").Str("").Str("").Str("");
    names.I32(0).I32(0).I32(0).I32(0).U8(0).U8(1);
    names.bytes.insert(names.bytes.end(), record.begin(), record.end());
    for (int32_t i = 0; i < 10; ++i)
        names.Str("");
    names.U16(0x1234);
    for (bool inGame : {false, true}) {
        SCOPED_TRACE(inGame);
        ctrl->FindSkill(String("guard"))->learned = false;
        ctrl->SetStateManager(inGame ? states.get() : nullptr);  // none: outside the game state
        File file;
        file.CreateMemoryFile(0);
        file.Write(names.bytes.data(), names.bytes.size());
        file.Seek(0);
        LogCapture log;
        EXPECT_TRUE(ctrl->ReadCharacter(file, *hero));
        EXPECT_EQ(ctrl->FindSkill(String("guard"))->learned, inGame);
        EXPECT_EQ(log.Count("gone_skill"), inGame ? 1 : 0);
    }
}

// A "game.sv" older than 266 has no difficulty: the running one stays.
TEST_F(SciFiLoadGameTest, AGameSaveBefore266KeepsTheDifficulty)
{
    ASSERT_EQ(ctrl->SaveGame(2, nullptr, 0, 0, wString()), 1);
    Bytes game = Plain(Slot("save 2/game.sv"));
    const size_t level = 2 + 4 + size_t(game[2]);
    game.erase(game.begin() + long(level), game.begin() + long(level) + 4);  // the difficulty
    game[0] = 265 & 0xFF;
    game[1] = 265 >> 8;
    TempDir::WriteAll(Slot("save 2/game.sv"), game);
    ctrl->SetDifficulty(3, 1, 1);
    ASSERT_EQ(ctrl->LoadGame(2, 0, 0), 1);
    EXPECT_EQ(ctrl->GetDifficulty(), 3);
}

// Damaged files: each cut and each lying field makes the load fail with "Corrupt file" naming the
// file, leaves the running game and both files as they were, and the good slot still loads.
TEST_F(SciFiLoadGameTest, ADamagedSlotChangesNothing)
{
    *ctrl->GetScriptTempInt(5) = 55;
    ctrl->SetStory("Crate", 1);
    ASSERT_EQ(ctrl->SaveGame(2, nullptr, 0, 0, wString()), 1);
    const Bytes goodCharacter = Plain(Slot("save 2/character.sv"));
    const Bytes goodGame = TempDir::ReadAll(Slot("save 2/game.sv"));
    const Bytes packedCharacter = TempDir::ReadAll(Slot("save 2/character.sv"));
    std::filesystem::create_directories(Slot("save 3"));
    *ctrl->GetScriptTempInt(5) = 66;
    ctrl->SetStory("Crate", 2);
    ctrl->SetGameTime(99.0);

    // Offsets of the fields of the good files.
    const size_t levelLength = size_t(goodGame[2]);
    const size_t storyBlock = 2 + 4 + levelLength + 4;  // version, level, difficulty
    size_t stories = storyBlock + 256 * 8;
    for (int32_t i = 0; i < 32; ++i)
        stories += 4 + size_t(ByteReader::DecodeU32(&goodGame[stories]));
    const size_t firstStoryName = stories + 4;
    const size_t learnedCount = 2 + 8 + 4 + 8;  // version, time, the tag "v0.2"
    size_t firstButton = learnedCount + 4;
    for (uint32_t n = ByteReader::DecodeU32(&goodCharacter[learnedCount]); n > 0; --n)
        firstButton += 4 + ByteReader::DecodeU32(&goodCharacter[firstButton]);

    auto patched = [](Bytes bytes, size_t at, const Bytes& with) {
        std::copy(with.begin(), with.end(), bytes.begin() + long(at));
        return bytes;
    };
    auto i32 = [](int32_t v) { return ByteBuilder().I32(v).bytes; };
    struct Damage {
        std::string what;
        Bytes character;  // plain; packed when written
        Bytes game;
        Bytes rawCharacter;  // written as it is, when not empty
    };
    std::vector<Damage> cases;
    for (size_t cut = 0; cut < goodCharacter.size(); cut += (cut < 80 ? 1 : 37))
        cases.push_back({"character cut at " + std::to_string(cut),
                         Bytes(goodCharacter.begin(), goodCharacter.begin() + long(cut)), goodGame, {}});
    for (size_t cut = 0; cut < goodGame.size(); cut += (cut < 40 || cut > stories - 8 ? 1 : 53))
        cases.push_back({"game cut at " + std::to_string(cut), goodCharacter,
                         Bytes(goodGame.begin(), goodGame.begin() + long(cut)), {}});
    for (int32_t count : {-1, 1000000000, 0x7FFFFFFF})
        cases.push_back({"learned count " + std::to_string(count), patched(goodCharacter, learnedCount, i32(count)),
                         goodGame, {}});
    for (int32_t length : {0x7FFFFFFF, -5})
        cases.push_back({"button name length " + std::to_string(length),
                         patched(goodCharacter, firstButton, i32(length)),
                         goodGame, {}});
    Bytes marker = goodCharacter;
    marker.back() = 0x13;
    cases.push_back({"end marker", marker, goodGame, {}});
    for (uint16_t version : {uint16_t(257), uint16_t(276)})
        cases.push_back({"character version", patched(goodCharacter, 0, ByteBuilder().U16(version).bytes), goodGame, {}});
    Bytes flipped = packedCharacter;
    flipped[flipped.size() / 2] ^= 0x5A;
    cases.push_back({"flipped packed byte", {}, goodGame, flipped});
    for (int32_t length : {0x7FFFFFFF, -5})
        cases.push_back({"level length " + std::to_string(length), goodCharacter, patched(goodGame, 2, i32(length)), {}});
    for (int32_t count : {-1, 1000000000})
        cases.push_back({"story count " + std::to_string(count), goodCharacter, patched(goodGame, stories, i32(count)), {}});
    cases.push_back({"story name byte 1", goodCharacter, patched(goodGame, firstStoryName + 4, Bytes{0x01}), {}});
    cases.push_back({"game version 276", goodCharacter, patched(goodGame, 0, ByteBuilder().U16(276).bytes), {}});
    cases.push_back({"difficulty 7", goodCharacter, patched(goodGame, 2 + 4 + levelLength, i32(7)), {}});
    cases.push_back({"missing level", goodCharacter,
                     patched(goodGame, 6, Bytes(levelLength, uint8_t('x'))), {}});
    // The scope record: one variable of type 7, then the rest of the file.
    {
        size_t scope = firstStoryName;
        const int32_t count = int32_t(ByteReader::DecodeU32(&goodGame[stories]));
        for (int32_t i = 0; i < count; ++i)
            scope += 4 + size_t(ByteReader::DecodeU32(&goodGame[scope])) + 4;
        Bytes typed(goodGame.begin(), goodGame.begin() + long(scope));
        const Bytes variable = ByteBuilder().I32(1).Str("v").I32(0).U8(7).I32(0).bytes;
        typed.insert(typed.end(), variable.begin(), variable.end());
        typed.insert(typed.end(), goodGame.begin() + long(scope) + 4, goodGame.end());
        cases.push_back({"variable type 7", goodCharacter, typed, {}});
    }

    const Snapshot before = Take();
    for (const Damage& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.rawCharacter.empty())
            TempDir::WriteAll(Slot("save 3/character.sv"), c.rawCharacter);
        else
            WritePacked(Slot("save 3/character.sv"), c.character);
        TempDir::WriteAll(Slot("save 3/game.sv"), c.game);
        const Bytes onDiskCharacter = TempDir::ReadAll(Slot("save 3/character.sv"));
        LogCapture log;
        int32_t result = -1;
        ASSERT_EQ(ErrorOf([&] { result = ctrl->LoadGame(3, 0, 0); }), "no error");
        EXPECT_EQ(result, 0);
        EXPECT_EQ(log.Count("Corrupt file"), 1);
        const bool gameFault = c.character == goodCharacter && c.rawCharacter.empty();
        EXPECT_EQ(log.Count(gameFault ? "3\\game.sv (" : "3\\character.sv ("), 1) << log.Text();
        EXPECT_TRUE(Take() == before);
        EXPECT_EQ(TempDir::ReadAll(Slot("save 3/character.sv")), onDiskCharacter);
        EXPECT_EQ(TempDir::ReadAll(Slot("save 3/game.sv")), c.game);
    }
    EXPECT_EQ(TempDir::ReadAll(Slot("save 2/game.sv")), goodGame);
    ASSERT_EQ(ctrl->LoadGame(2, 0, 0), 1);
    EXPECT_EQ(*ctrl->GetScriptTempInt(5), 55);
    EXPECT_EQ(ctrl->GetStories().Find("Crate")->GetValue(), 1);
}

// The slots' special cases: -2 opens nothing and starts at difficulty 1; a save with an empty
// level name loads the start level; the quick save keeps the very creature.
TEST_F(SciFiLoadGameTest, SpecialSlots)
{
    ctrl->SetDifficulty(3, 1, 1);
    std::filesystem::create_directories(Slot("current"));
    TempDir::WriteAll(Slot("current/character.sv"), Bytes{1, 2, 3});  // never opened
    LogCapture log;
    ASSERT_EQ(ctrl->LoadGame(-2, 0, 0), 1);
    EXPECT_EQ(log.Count("Corrupt file"), 0);
    EXPECT_EQ(log.Count("Start new game"), 1);
    EXPECT_EQ(ctrl->GetDifficulty(), 1);
    hero = dynamic_cast<CreatureObj_SF*>(ctrl->GetMainChar());
    ASSERT_NE(hero, nullptr);

    // Slot 1 holds the first game level's save: no level name, the start level.
    ASSERT_EQ(ctrl->SaveGame(1, "FIRST_GAME_LEVEL", 0, 0, wString()), 1);
    ctrl->SetLevelDescFile("levels\\elsewhere.cfg");
    hero->SetPoints(40, 0);
    ASSERT_EQ(ctrl->LoadGame(1, 0, 0), 1);
    EXPECT_EQ(ctrl->GetLevelDescFile(), ctrl->GetStartLevel());
    EXPECT_EQ(ctrl->GetMainChar(), hero);  // the quick save moves the same creature
    EXPECT_TRUE(ctrl->GetWorld().HoldsObj(hero->m_ObjID, hero));
    EXPECT_EQ(hero->GetAdvancePoints(), 0);
    int32_t heroes = 0;
    for (int32_t i = 0; i < ctrl->GetWorld().GetNumElements(); ++i) {
        auto* creature = dynamic_cast<CreatureObj*>(ctrl->GetWorld().GetObjectAt(i));
        heroes += creature && creature->IsMainCharacter();
    }
    EXPECT_EQ(heroes, 1);

    // A slot without "character.sv" is no game to load.
    EXPECT_EQ(ctrl->LoadGame(7, 0, 0), 0);
    ASSERT_EQ(ErrorOf([&] { DedicatedServer::RunFrames(*ctrl, 10); }), "no error");
}

// A single-player character converted for a multiplayer game: a new player with its own folder
// under "saveMP", holding the main character's "character.sv", which is the player's save now.
TEST_F(SciFiLoadGameTest, TheMainCharacterBecomesANewMultiplayerPlayer)
{
    hero->SetPoints(6, 1);
    LogCapture log;
    ctrl->SaveCharacterForMultiplayer(false);  // no multiplayer game, nothing to convert
    EXPECT_FALSE(std::filesystem::exists(dir("saveMP")));
    ctrl->SaveCharacterForMultiplayer(true);
    EXPECT_EQ(log.Count("character.sv saved for multiplayer conversion"), 1) << log.Text();
    const String folder = ctrl->GetCurrentPlayer().saveDirectory;
    EXPECT_TRUE(folder.StartsWithNoCase("saveMP\\"));
    EXPECT_EQ(ctrl->ChooseCharacterSaveSlot(true), -3);
    File file;
    ASSERT_TRUE(file.Open(ctrl->InGameFolder(folder + "character.sv"), true, File::kVirtualFile, false));
    auto copy = std::make_unique<CreatureObj_SF>();
    ASSERT_TRUE(ctrl->ReadCharacter(file, *copy));
    EXPECT_EQ(copy->GetAdvancePoints(), 6);
}

// In a network game no "character.sv" is opened: a save slot is refused, slot -1 starts a new
// game at the current level. A listening server keeps no character file of its own.
TEST_F(SciFiLoadGameListeningTest, ANetworkGameOpensNoCharacterSave)
{
    ASSERT_EQ(StartError(kPeersOverTCP), "no error");
    int32_t slot = -1;
    auto peer = ConnectPeer(slot);
    ASSERT_TRUE(ctrl->IsNetworkGame());
    std::filesystem::create_directories(dir("save/quick"));
    TempDir::WriteAll(dir("save/quick/character.sv"), Bytes{1, 2, 3});
    LogCapture log;
    EXPECT_EQ(ctrl->LoadGame(0, 0, 0), 0);
    EXPECT_EQ(log.Count("Corrupt file"), 0);
    ASSERT_EQ(ctrl->LoadGame(-1, 0, 0), 1);
    EXPECT_EQ(log.Count("Start new game"), 1);

    ctrl->SaveCharacterForMultiplayer(false);
    ctrl->SaveMainCharacter();
    EXPECT_FALSE(std::filesystem::exists(dir("character.sv")));
    EXPECT_FALSE(std::filesystem::exists(dir("save/character.sv")));
    EXPECT_FALSE(std::filesystem::exists(dir("saveMP")));
}
