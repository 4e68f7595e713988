// Saving a game on a copy of the sample game, through the controller that the driver runs: both
// files of the slot decoded by a reader of this test's own, what a save is refused for, and a save
// that fails or whose writer is killed at each step never costing the slot's previous save.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/File.h"
#include "platform/SafeFileReplace.h"
#include "scifi/input/SciFiInputCtrl.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "script/VariableStack.h"

#include "support/LogCapture.h"
#include "support/SampleServerGame.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

// Little-endian fields from the front of a byte block; a read past the end sets bad and gives 0.
class SaveBytes {
public:
    explicit SaveBytes(std::vector<uint8_t> bytes) : m_Bytes(std::move(bytes)) {}

    uint64_t Unsigned(size_t width)
    {
        if (bad || m_At + width > m_Bytes.size()) {
            bad = true;
            return 0;
        }
        uint64_t value = 0;
        for (size_t i = 0; i < width; ++i)
            value |= uint64_t(m_Bytes[m_At + i]) << (8 * i);
        m_At += width;
        return value;
    }
    uint8_t U8() { return uint8_t(Unsigned(1)); }
    uint16_t U16() { return uint16_t(Unsigned(2)); }
    int32_t I32() { return int32_t(uint32_t(Unsigned(4))); }
    float F32()
    {
        const uint32_t bits = uint32_t(Unsigned(4));
        float value;
        std::memcpy(&value, &bits, 4);
        return value;
    }
    double F64()
    {
        const uint64_t bits = Unsigned(8);
        double value;
        std::memcpy(&value, &bits, 8);
        return value;
    }
    std::string Str()
    {
        const int32_t length = I32();
        if (bad || length < 0 || m_At + size_t(length) > m_Bytes.size()) {
            bad = true;
            return std::string();
        }
        std::string text(m_Bytes.begin() + long(m_At), m_Bytes.begin() + long(m_At) + length);
        m_At += size_t(length);
        return text;
    }
    std::u16string WStr()
    {
        const int32_t length = I32();
        std::u16string text;
        for (int32_t i = 0; i < length && !bad; ++i)
            text += char16_t(U16());
        return text;
    }
    size_t At() const { return m_At; }
    void Skip(size_t n) { m_At += n; }
    size_t Left() const { return m_Bytes.size() - m_At; }
    const std::vector<uint8_t>& Bytes() const { return m_Bytes; }

    bool bad = false;

private:
    std::vector<uint8_t> m_Bytes;
    size_t m_At = 0;
};

struct GameSave {
    std::string level;
    int32_t difficulty = 0;
    float fTmp[256] = {};
    int32_t iTmp[256] = {};
    std::string sTmp[32];
    std::map<std::string, int32_t> stories;
    std::vector<std::string> storyOrder;
    std::map<std::string, int32_t> intGlobals;
    double time = 0.0;
    int32_t selected = 0;
    std::vector<std::pair<int32_t, std::string>> log;
};

// The whole of "game.sv"; false for anything else.
bool DecodeGameSave(const std::vector<uint8_t>& bytes, GameSave& out)
{
    SaveBytes in(bytes);
    if (in.U16() != 275)
        return false;
    out.level = in.Str();
    out.difficulty = in.I32();
    for (int32_t i = 0; i < 256; ++i) {
        out.fTmp[i] = in.F32();
        out.iTmp[i] = in.I32();
    }
    for (std::string& text : out.sTmp)
        text = in.Str();
    const int32_t stories = in.I32();
    for (int32_t i = 0; i < stories && !in.bad; ++i) {
        const std::string name = in.Str();
        out.stories[name] = in.I32();
        out.storyOrder.push_back(name);
    }
    const int32_t globals = in.I32();  // name, element count, type, then the value(s)
    for (int32_t i = 0; i < globals && !in.bad; ++i) {
        const std::string name = in.Str();
        const int32_t elements = in.I32();
        const uint8_t type = in.U8();
        for (int32_t e = 0; e < (elements > 0 ? elements : 1) && !in.bad; ++e) {
            if (type == 1)
                out.intGlobals[name] = in.I32();
            else if (type == 2)
                in.F64();
            else if (type == 3)
                in.Str();
        }
    }
    out.time = in.F64();
    out.selected = in.I32();
    const int32_t entries = in.I32();
    for (int32_t i = 0; i < entries && !in.bad; ++i) {
        const int32_t kind = in.I32();
        out.log.emplace_back(kind, in.Str());
    }
    return !in.bad && in.Left() == 0;
}

struct CharacterSave {
    std::vector<uint8_t> plain;  // unpacked from the container
    double time = 0.0;
    std::u16string tag;
    std::vector<std::string> learned;
    std::string slots[3];  // as stored: slots 1, 3, 2
    int32_t points[4] = {};
    uint8_t progress = 0;
    uint8_t highestDifficulty = 0;
    std::unique_ptr<CreatureObj_SF> creature;
    std::string quickSlots[10];
};

// The whole of "character.sv": a packed container around the fields; the creature record is
// read by the creature's own loader, everything else here.
bool DecodeCharacterSave(const std::string& path, CharacterSave& out)
{
    const std::vector<uint8_t> raw = TempDir::ReadAll(path);
    if (raw.size() < 4 || std::memcmp(raw.data(), "\x13\x01", 2) == 0)
        return false;  // stored plain
    File file;
    if (!file.Open(String(path.c_str()), true, File::kVirtualFile, false) || file.GetCompression() != 8)
        return false;
    out.plain.assign(file.GetMemoryBuffer(), file.GetMemoryBuffer() + file.GetSize());
    SaveBytes in(out.plain);
    if (in.U16() != 275)
        return false;
    out.time = in.F64();
    out.tag = in.WStr();
    const int32_t learned = in.I32();
    for (int32_t i = 0; i < learned && !in.bad; ++i)
        out.learned.push_back(in.Str());
    for (std::string& slot : out.slots)
        slot = in.Str();
    for (int32_t& word : out.points)
        word = in.I32();
    out.progress = in.U8();
    out.highestDifficulty = in.U8();
    if (in.bad)
        return false;
    File record;
    record.CreateMemoryFile(0);
    record.Write(out.plain.data() + in.At(), in.Left());
    record.Seek(0);
    record.SetVersion(275);
    out.creature.reset(new CreatureObj_SF);
    if (!out.creature->LoadChecked(record, true))
        return false;
    in.Skip(size_t(record.GetPos()));
    for (std::string& slot : out.quickSlots)
        slot = in.Str();
    return in.U16() == 0x1234 && !in.bad && in.Left() == 0;
}

class SciFiSaveGameTest : public SampleServerGame<SciFiGameCtrl> {
protected:
    void SetUp() override
    {
        if (listening)
            return;
        Start();
        hero = dynamic_cast<CreatureObj_SF*>(ctrl->GetMainChar());
        ASSERT_NE(hero, nullptr);
        ASSERT_EQ(ErrorOf([&] { DedicatedServer::RunFrames(*ctrl, 10); }), "no error");
    }

    std::string Slot(const char* folder) const { return dir(std::string("save/") + folder); }
    std::vector<uint8_t> Bytes(const std::string& path) const { return TempDir::ReadAll(path); }
    // Files of the slot's folder whose name tells a writer's temporary file.
    size_t TemporaryFiles(const char* folder) const
    {
        size_t n = 0;
        for (const auto& entry : std::filesystem::directory_iterator(Slot(folder)))
            n += entry.path().filename().string().find(".tmp") != std::string::npos;
        return n;
    }

    CreatureObj_SF* hero = nullptr;
};

class SciFiSaveGameListeningTest : public SciFiSaveGameTest {
protected:
    SciFiSaveGameListeningTest() { listening = true; }
};

}  // namespace

TEST_F(SciFiSaveGameTest, BothFilesHoldEveryFieldOfTheRunningGame)
{
    for (int32_t i = 0; i < 256; ++i) {
        *ctrl->GetScriptTempFloat(i) = float(i) * 0.5f;
        *ctrl->GetScriptTempInt(i) = i * 3 - 7;
    }
    for (int32_t i = 0; i < 40; ++i)
        ctrl->GetObjScriptText(i)->Format("text%d", int(i));
    ASSERT_EQ(ctrl->SetStory("Crate", 2), 1);
    ASSERT_EQ(ctrl->SetStory("Barrier", 1), 1);
    ctrl->GetGameVariables().Clear();
    ctrl->AddGameVariable("gold", kScriptInt, 0)->SetInt(77);
    ctrl->GetMissionLog().AddEntry(1, String("m_first"));
    ctrl->GetMissionLog().AddEntry(3, String("b_note"));
    ctrl->LearnSkill(String("guard"), false, 1, true);
    ctrl->SetSkillButton3(ctrl->FindSkill(String("guard")));
    ctrl->SetQuickSlot(4, ctrl->FindSkill(String("strike")));
    hero->SetPoints(3, 5);
    hero->m_LevelProgress = -1;
    hero->m_HighestDifficulty = 2;
    ctrl->SetGameTime(321.25);

    LogCapture log;
    ASSERT_EQ(ctrl->SaveGame(0, nullptr, 0, 0, wString()), 1);
    EXPECT_EQ(log.Count("save\\quick\\game.sv saved"), 1);
    EXPECT_EQ(log.Count("save\\quick\\character.sv saved"), 1);
    EXPECT_EQ(log.Count("levels\\sample\\sample.cfg saved"), 1);
    EXPECT_TRUE(std::filesystem::exists(Slot("quick/sample.ld")));
    EXPECT_TRUE(MessageShown(u"DB:GameSaved"));
    EXPECT_EQ(TemporaryFiles("quick"), 0u);

    GameSave game;
    ASSERT_TRUE(DecodeGameSave(Bytes(Slot("quick/game.sv")), game));
    EXPECT_EQ(game.level, "levels\\sample\\sample.cfg");
    EXPECT_EQ(game.difficulty, ctrl->GetDifficulty());
    for (int32_t i = 0; i < 256; ++i) {
        ASSERT_EQ(game.fTmp[i], float(i) * 0.5f) << i;
        ASSERT_EQ(game.iTmp[i], i * 3 - 7) << i;
    }
    for (int32_t i = 0; i < 32; ++i)
        EXPECT_EQ(game.sTmp[i], "text" + std::to_string(i));
    int32_t stories = 0;
    auto& index = ctrl->GetStories();
    index.ResetWalk();
    index.GetNext();  // a walk left half-way is started again by the writer
    index.ResetWalk();
    std::vector<std::string> walk;
    while (auto* record = index.GetNextRecord()) {
        walk.push_back(record->m_Key.c_str());
        ++stories;
    }
    index.ResetWalk();
    index.GetNext();
    EXPECT_EQ(int32_t(game.stories.size()), stories);
    EXPECT_EQ(game.storyOrder, walk);
    EXPECT_EQ(game.stories["Crate"], 2);
    EXPECT_EQ(game.stories["Barrier"], 1);
    EXPECT_EQ(game.intGlobals, (std::map<std::string, int32_t>{{"gold", 77}}));
    EXPECT_EQ(game.time, 321.25);
    EXPECT_EQ(game.selected, 0);  // the oldest entry added since the log was last opened
    EXPECT_EQ(game.log, (std::vector<std::pair<int32_t, std::string>>{{1, "m_first"}, {3, "b_note"}}));

    CharacterSave character;
    ASSERT_TRUE(DecodeCharacterSave(Slot("quick/character.sv"), character));
    ASSERT_GE(character.plain.size(), 4u);
    EXPECT_EQ(character.plain[0], 0x13);
    EXPECT_EQ(character.plain[1], 0x01);
    EXPECT_EQ(character.plain[character.plain.size() - 2], 0x34);
    EXPECT_EQ(character.plain.back(), 0x12);
    EXPECT_EQ(character.time, 321.25);
    EXPECT_EQ(character.tag, u"v0.2");
    std::set<std::string> learned;
    auto& skills = ctrl->GetSkills();
    skills.ResetWalk();
    while (SkillTreeEntry* skill = skills.GetNext())
        if (skill->learned)
            learned.insert(skill->name.c_str());
    EXPECT_EQ(std::set<std::string>(character.learned.begin(), character.learned.end()), learned);
    EXPECT_EQ(character.learned.size(), learned.size());
    EXPECT_TRUE(learned.count("guard"));
    auto* input = dynamic_cast<SciFiInputCtrl*>(hero->m_InputCtrl);
    ASSERT_NE(input, nullptr);
    const int32_t order[3] = {1, 3, 2};
    for (int32_t i = 0; i < 3; ++i) {
        SkillTreeEntry* skill = input->GetSkillSlot(order[i], false, true);
        EXPECT_EQ(character.slots[i], skill ? skill->name.c_str() : "") << order[i];
    }
    EXPECT_EQ(character.slots[1], "guard");
    EXPECT_EQ(std::vector<int32_t>(character.points, character.points + 4), (std::vector<int32_t>{3, 0, 5, 0}));
    EXPECT_EQ(character.progress, 255);
    EXPECT_EQ(character.highestDifficulty, 2);
    EXPECT_EQ(character.creature->m_Health, hero->m_Health);
    EXPECT_EQ(character.creature->m_Level, hero->m_Level);
    EXPECT_EQ(character.creature->m_Experience, hero->m_Experience);
    EXPECT_EQ(character.creature->m_LevelProgress, -1);
    for (int32_t i = 0; i < 10; ++i)
        EXPECT_EQ(character.quickSlots[i], i == 4 ? "strike" : "") << i;

    // A save of the working folder, as a level change makes it, shows no message.
    ctrl->GetWorld().GetTextMessages().DeleteAll();
    ASSERT_EQ(ctrl->SaveGame(-1, nullptr, 0, 0, wString()), 1);
    EXPECT_TRUE(std::filesystem::exists(Slot("current/game.sv")));
    EXPECT_FALSE(MessageShown(u"DB:GameSaved"));
}

// The completed game's save: the dead hero is stored alive in slot 1, without the level name or
// the level's state; an empty game's "game.sv" has its fixed size.
TEST_F(SciFiSaveGameTest, TheFirstGameLevelSaveOfADeadHeroKeepsAnAliveCleanCopy)
{
    ctrl->GetStories().Clear();
    ctrl->GetGameVariables().Clear();
    ctrl->GetMissionLog().Clear();
    for (int32_t i = 0; i < 32; ++i)
        *ctrl->GetObjScriptText(i) = String();
    hero->m_Dead = 1;
    hero->m_DeathTime = 2.0f;
    hero->m_LifeSpanEnd = 50.0;
    hero->m_Opacity = 0.25f;
    hero->m_FadeRate = -0.5f;
    ASSERT_FALSE(ctrl->IsGameActive());
    EXPECT_EQ(ctrl->SaveGame(0, nullptr, 0, 0, wString()), 0);  // only slot 1 saves a game that is over
    LogCapture log;
    ASSERT_EQ(ctrl->SaveGame(1, "FIRST_GAME_LEVEL", -1, 0, wString()), 1);
    EXPECT_EQ(log.Count("Save level"), 0);
    EXPECT_EQ(Bytes(Slot("save 1/game.sv")).size(), 2210u);
    GameSave game;
    ASSERT_TRUE(DecodeGameSave(Bytes(Slot("save 1/game.sv")), game));
    EXPECT_EQ(game.level, "");
    CharacterSave character;
    ASSERT_TRUE(DecodeCharacterSave(Slot("save 1/character.sv"), character));
    EXPECT_EQ(character.creature->m_Dead, 0);
    EXPECT_EQ(character.creature->m_DeathTime, 0.0f);
    EXPECT_EQ(character.creature->m_LifeSpanEnd, -1.0);
    EXPECT_EQ(character.creature->m_Opacity, 1.0f);
    EXPECT_EQ(character.creature->m_FadeRate, 0.0f);
    EXPECT_EQ(hero->m_Dead, 1);  // the running hero is left as it is
    EXPECT_EQ(hero->m_LifeSpanEnd, 50.0);
    double time = 0.0;
    EXPECT_TRUE(ctrl->IsCharacterSaveValid(1, &time));
    EXPECT_EQ(time, ctrl->GetGameTime());

    // The slot-2 save of the first game level writes no level state either.
    hero->m_Dead = 0;
    ASSERT_EQ(ctrl->SaveGame(2, "FIRST_GAME_LEVEL", 0, 0, wString()), 1);
    EXPECT_EQ(log.Count("Save level"), 0);
}

TEST_F(SciFiSaveGameTest, TestCharacterAndNoHeroAreRefused)
{
    ctrl->GetSettings().testChar = 1;
    EXPECT_EQ(ctrl->SaveGame(1, nullptr, 0, 0, wString()), 0);
    ctrl->GetSettings().testChar = 0;
    EXPECT_FALSE(std::filesystem::exists(Slot("save 1/game.sv")));
    EXPECT_EQ(ctrl->SaveGame(1, nullptr, 0, 0, wString()), 1);
}

TEST_F(SciFiSaveGameListeningTest, ANetworkGameWritesNothingAndReportsSuccess)
{
    Start();
    ASSERT_TRUE(ctrl->IsNetworkServer());
    EXPECT_EQ(ctrl->SaveGame(1, nullptr, 0, 0, wString()), 1);
    EXPECT_EQ(ctrl->SaveGame(0, nullptr, 0, 0, wString()), 1);
    EXPECT_FALSE(std::filesystem::exists(dir("save/quick")));
    EXPECT_FALSE(std::filesystem::exists(dir("save/save 1")));
}

namespace {

struct ChildSave {
    SciFiGameCtrl* ctrl;
    int32_t killAtStage = -1;  // the hooked stage of the save at which the writer dies
    size_t fileSizeLimit = 0;  // above 0: the disk takes no more than this per file
};

int32_t g_StagesSeen = 0;
int32_t g_KillAtStage = -1;

void KillAtStage(const char*)
{
    if (g_StagesSeen++ == g_KillAtStage)
        std::raise(SIGKILL);
}

// In a child process: the save, ended by SIGKILL at a stage, or SIGUSR2 when it reports failure.
void SaveInChild(void* context)
{
    ChildSave& job = *static_cast<ChildSave*>(context);
    g_StagesSeen = 0;
    g_KillAtStage = job.killAtStage;
    Platform::SafeFileReplace::SetTestHook(KillAtStage);
    if (job.fileSizeLimit > 0) {
        std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead
        rlimit limit{rlim_t(job.fileSizeLimit), rlim_t(job.fileSizeLimit)};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (job.ctrl->SaveGame(0, nullptr, 0, 0, wString()) == 0)
        std::raise(SIGUSR2);
}

}  // namespace

// The slot's previous pair, then a save of changed values whose writer dies at each hooked stage:
// before the first rename the old pair stays; after it the new character sits beside the old
// game. Every file there decodes, and the next save leaves no temporary file behind.
TEST_F(SciFiSaveGameTest, AKilledOrFailingSaveNeverCostsThePreviousPair)
{
    *ctrl->GetScriptTempInt(0) = 1;
    hero->SetPoints(1, 1);
    ASSERT_EQ(ctrl->SaveGame(0, nullptr, 0, 0, wString()), 1);
    const std::vector<uint8_t> oldGame = Bytes(Slot("quick/game.sv"));
    const std::vector<uint8_t> oldCharacter = Bytes(Slot("quick/character.sv"));
    *ctrl->GetScriptTempInt(0) = 2;
    hero->SetPoints(9, 9);

    // A disk that takes no more than a few bytes: the result is 0 and the pair stays.
    ChildSave full{ctrl.get(), -1, 200};
    EXPECT_EQ(Platform::RunInChildProcess(SaveInChild, &full), SIGUSR2);
    EXPECT_EQ(Bytes(Slot("quick/game.sv")), oldGame);
    EXPECT_EQ(Bytes(Slot("quick/character.sv")), oldCharacter);
    EXPECT_EQ(TemporaryFiles("quick"), 0u);

    // Stages 0 and 1: "character.sv" written and synced; 2 and 3 the same of "game.sv".
    for (int32_t stage = 0; stage < 4; ++stage) {
        SCOPED_TRACE(stage);
        ChildSave killed{ctrl.get(), stage, 0};
        ASSERT_EQ(Platform::RunInChildProcess(SaveInChild, &killed), SIGKILL);
        EXPECT_GT(TemporaryFiles("quick"), 0u);
        EXPECT_EQ(Bytes(Slot("quick/game.sv")), oldGame);
        GameSave game;
        EXPECT_TRUE(DecodeGameSave(Bytes(Slot("quick/game.sv")), game));
        CharacterSave character;
        ASSERT_TRUE(DecodeCharacterSave(Slot("quick/character.sv"), character));
        if (stage < 2) {
            EXPECT_EQ(Bytes(Slot("quick/character.sv")), oldCharacter);
            EXPECT_EQ(character.points[0], 1);
        } else {
            EXPECT_EQ(character.points[0], 9);  // the new character beside the old game
        }
        EXPECT_TRUE(ctrl->IsCharacterSaveValid(0));
        TempDir::WriteAll(Slot("quick/character.sv"), oldCharacter);
    }
    ASSERT_EQ(ctrl->SaveGame(0, nullptr, 0, 0, wString()), 1);
    EXPECT_EQ(TemporaryFiles("quick"), 0u);
    GameSave game;
    ASSERT_TRUE(DecodeGameSave(Bytes(Slot("quick/game.sv")), game));
    EXPECT_EQ(game.iTmp[0], 2);
}

// A level change saves the level being left under its own name, and entering a level again
// brings back its stored state with the hero who walks in.
TEST_F(SciFiSaveGameTest, ALevelChangeSavesTheLevelLeftUnderItsOwnName)
{
    dir.Write("levels/sample/deck2.cfg", dir.Read("levels/sample/sample.cfg"));
    WorldElem* crate = ctrl->GetWorld().FindObjectByWorldID("crate1", nullptr);
    ASSERT_NE(crate, nullptr);
    ctrl->GetWorld().DelObj(crate->m_ObjID, 1);  // what the player changed in the first level
    ASSERT_EQ(ErrorOf([&] { ctrl->EnterRequestedLevel("levels\\sample\\deck2.cfg", 0, 0); }), "no error");
    EXPECT_TRUE(std::filesystem::exists(Slot("current/sample.ld")));
    EXPECT_FALSE(std::filesystem::exists(Slot("current/deck2.ld")));
    GameSave game;
    ASSERT_TRUE(DecodeGameSave(Bytes(Slot("current/game.sv")), game));
    EXPECT_EQ(game.level, "levels\\sample\\sample.cfg");
    EXPECT_EQ(ctrl->GetMainChar(), hero);
    EXPECT_NE(ctrl->GetWorld().FindObjectByWorldID("crate1", nullptr), nullptr);  // deck2 is fresh

    ASSERT_EQ(ErrorOf([&] { ctrl->EnterRequestedLevel("levels\\sample\\sample.cfg", 0, 0); }), "no error");
    EXPECT_EQ(ctrl->GetMainChar(), hero);
    EXPECT_EQ(ctrl->GetWorld().FindObjectByWorldID("crate1", nullptr), nullptr);  // as it was left
    int32_t heroes = 0;
    for (int32_t i = 0; i < ctrl->GetWorld().GetNumElements(); ++i) {
        auto* creature = dynamic_cast<CreatureObj*>(ctrl->GetWorld().GetObjectAt(i));
        heroes += creature && creature->IsMainCharacter();
    }
    EXPECT_EQ(heroes, 1);
    ASSERT_EQ(ErrorOf([&] { DedicatedServer::RunFrames(*ctrl, 10); }), "no error");
}
