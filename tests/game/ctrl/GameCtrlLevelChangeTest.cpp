// GameCtrl level change and game flow on a copy of the sample game: the level description's
// entry by difficulty and its keys, a new game, the level's stored state written and restored
// with its level variables, the placed objects synchronised after a restore, and the folders a
// save synchronises.
#include "game/ctrl/GameCtrl.h"

#include "base/File.h"
#include "engine/gui/DXC_GuiManager.h"
#include "engine/scene/DXC_3dScene.h"
#include "platform/D3D9MemoryTexture.h"
#include "platform/D3DXImage.h"
#include "script/ScriptValue.h"
#include "world/WorldElem.h"

#include "GameCtrlTestSupport.h"
#include "WorldObjectTestSupport.h"
#include "support/DeviceGfx.h"
#include "support/ErrorOf.h"
#include "support/FixtureRoot.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

namespace {

// Counts the runs of the script function "initRan" that the test levels' scripts call.
class LevelCtrl : public SampleGameCtrl {
public:
    LevelCtrl() { SetScriptCallbacks({GetVariable, CallFunction, SetVariable}); }
    static int32_t& InitRuns()
    {
        static int32_t runs = 0;
        return runs;
    }

private:
    static ScriptValue* GetVariable(ScriptValue* result, const char*, int32_t)
    {
        result->SetInt(0);
        return result;
    }
    static ScriptValue* CallFunction(ScriptValue* result, const char* name, ScriptValue*, int32_t)
    {
        if (std::string(name) == "initRan")
            InitRuns()++;
        result->SetInt(0);
        return result;
    }
    static void SetVariable(const char*, int32_t, ScriptValue*) {}
};

// The sample game copied into a fresh game directory, loaded as the server's start-up loads it.
class CopiedSampleGame {
public:
    CopiedSampleGame()
    {
        std::filesystem::copy(SampleGame::Root(), dir.Path(), std::filesystem::copy_options::recursive);
        const std::vector<uint8_t> config = TempDir::ReadAll(dir("cfg/game.cfg"));
        m_Config.Load(std::string(config.begin(), config.end()));
        ctrl = std::make_unique<LevelCtrl>();
        ctrl->LoadGameOptions();
        ctrl->LoadActions();
        ctrl->LoadStrategies();
        ctrl->LoadSounds();
        ctrl->LoadSampleItems();
        LevelCtrl::InitRuns() = 0;
    }
    int32_t Count(const char* worldID)
    {
        int32_t n = 0;
        int32_t start = 0;
        while (ctrl->GetWorld().FindObjectByWorldID(worldID, &start)) {
            ++n;
            ++start;
        }
        return n;
    }

    GameDir dir;

private:
    ScopedGfx m_Gfx;
    ScopedGameConfig m_Config;

public:
    std::unique_ptr<LevelCtrl> ctrl;
};

const char* const kSampleLevel = "levels\\sample\\sample.cfg";

}  // namespace

TEST(GameCtrlLevelChangeTest, EntryByDifficultyIsClampedToTheEntries)
{
    const struct {
        int32_t entries, difficulty, entry;
    } cases[] = {{3, 3, 2}, {3, 5, 2}, {3, 1, 0}, {3, 0, 0}, {1, 2, 0}, {0, 2, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(GameCtrl::GetLevelEntryForDifficulty(c.entries, c.difficulty), c.entry)
            << c.entries << " " << c.difficulty;
}

TEST(GameCtrlLevelChangeTest, DescriptionKeysOfTheDifficultysEntry)
{
    CopiedSampleGame game;
    game.dir.Write("levels/three.cfg",
                   "#easy\nvsdFile = \"levels\\sample\\sample.vsd\"\nname = \"first\"\n"
                   "#normal\nvsdFile = \"levels\\sample\\sample.vsd\"\nname = \"second\"\n"
                   "#hard\nvsdFile = \"levels\\sample\\sample.vsd\"\nname = \"third\"\n"
                   "rndSoundName2 = \"ItemDrop1\"\nMaxTerrainSteepness = 45\n");
    LevelCtrl& ctrl = *game.ctrl;
    ctrl.SetDifficulty(3, 0, 1);
    ASSERT_EQ(ErrorOf([&] { ctrl.ChangeLevel("levels\\three.cfg", String(), LevelChangeOptions()); }), "no error");
    const LevelDescription& desc = ctrl.GetLevelDescription();
    EXPECT_STREQ(desc.name.c_str(), "third");
    EXPECT_TRUE(desc.randomSounds.empty());  // no number 1: no random sounds at all
    EXPECT_NEAR(desc.maxTerrainSteepness, 1.0f, 1e-5f);
    EXPECT_NEAR(ctrl.GetWorld().GetMaxTerrainSteepness(), 1.0f, 1e-5f);
    EXPECT_EQ(desc.floorFog, 9999.0f);
    EXPECT_EQ(desc.fogColor, 0xFF000000u);

    // The sample level: its random sound is known, its defaults hold where it gives no key.
    ASSERT_EQ(ErrorOf([&] { ctrl.ChangeLevel(kSampleLevel, String(), LevelChangeOptions()); }), "no error");
    ASSERT_EQ(desc.randomSounds.size(), 1u);
    EXPECT_STREQ(desc.randomSounds[0].name.c_str(), "ItemDrop1");
    EXPECT_EQ(desc.randomSounds[0].period, 60.0f);
    EXPECT_NEAR(desc.maxTerrainSteepness, std::tan(45.0f * 3.14159265f / 180.0f), 1e-5f);
    EXPECT_EQ(ctrl.GetNumItemLists(), 2);  // "TreasureList"

    game.dir.Write("levels/novsd.cfg", "#only\nname = \"no file\"\n");
    EXPECT_NE(ErrorOf([&] { ctrl.ChangeLevel("levels\\novsd.cfg", String(), LevelChangeOptions()); })
                  .find("No 'vsdFile' entry in 'levels\\novsd.cfg'"),
              std::string::npos);
    EXPECT_NE(ErrorOf([&] { ctrl.ChangeLevel("levels\\missing.cfg", String(), LevelChangeOptions()); }), "no error");
}

TEST(GameCtrlLevelChangeTest, NewGameStartsTheLevelWithItsPlacedObjects)
{
    CopiedSampleGame game;
    LevelCtrl& ctrl = *game.ctrl;
    game.dir.Write("save/current/stale.ld", "x");  // a new game forgets the levels of the last one
    LogCapture log;
    CreatureObj* hero = nullptr;
    ASSERT_EQ(ErrorOf([&] { hero = ctrl.StartNewGame(nullptr); }), "no error");  // the start level
    EXPECT_EQ(hero, nullptr);  // no local player: no hero
    EXPECT_EQ(log.Count("Start new game"), 1);
    EXPECT_EQ(log.Count("VSD file 'levels\\sample\\sample.vsd' loaded"), 1);
    EXPECT_EQ(log.Count("VSD objects loaded (6)"), 1);
    EXPECT_EQ(log.Count("Warning"), 0);
    EXPECT_FALSE(std::filesystem::exists(game.dir("save/current/stale.ld")));
    EXPECT_TRUE(ctrl.AreLevelObjectsReady());
    for (const char* id : {"start1", "crate1", "crate2", "drone1", "medkit1", "heal1"})
        EXPECT_EQ(game.Count(id), 1) << id;
    WorldElem* drone = ctrl.GetWorld().FindObjectByWorldID("drone1", nullptr);
    ASSERT_NE(drone, nullptr);
    EXPECT_TRUE(drone->IsCreature());
    EXPECT_EQ(drone->GetPos().x, 15.0f * 128.0f);

    ctrl.SetStartLevel("");
    EXPECT_NE(ErrorOf([&] { ctrl.StartNewGame(""); }).find("No start level.cfg specified"), std::string::npos);
}

// A new game keeps nothing of the last one: object variables, the inputs' elements and disabling,
// a pending auto-save; the level's creatures join the AI's input; with "LogObjIDs" the level's
// element list is written out.
TEST(GameCtrlLevelChangeTest, NewGameForgetsTheLastGamesState)
{
    CopiedSampleGame game;
    LevelCtrl& ctrl = *game.ctrl;
    ctrl.SetObjScriptVariable(5, 42);
    auto* ai = new InputCtrl;
    ctrl.AddInputCtrl(ai, GameCtrl::kInputAI);
    ai->Disable(false);
    ctrl.GetSettings().logObjIDs = 1;
    DXC_GuiManager gui;  // a client's: the new game shows its own cursor, picture 0
    gui.SetCursorType(2);
    gui.SetCursorEnabled(false);
    ASSERT_EQ(ErrorOf([&] { ctrl.StartNewGame(nullptr); }), "no error");
    EXPECT_EQ(gui.GetCursorType(), 0);
    EXPECT_TRUE(gui.IsCursorEnabled());
    EXPECT_EQ(ctrl.GetObjScriptVariable(5), -1);
    EXPECT_EQ(ai->GetDisableCount(), 0);
    WorldElem* drone = ctrl.GetWorld().FindObjectByWorldID("drone1", nullptr);
    ASSERT_NE(drone, nullptr);
    EXPECT_EQ(drone->m_InputCtrl, ai);  // the level's creatures act from the start
    EXPECT_FALSE(ctrl.IsAutoSaveRequested());
    const std::vector<uint8_t> dump = TempDir::ReadAll(game.dir("objIDs.txt"));
    const std::string text(dump.begin(), dump.end());
    EXPECT_NE(text.find("type:4"), std::string::npos);  // the drone
}

TEST(GameCtrlLevelChangeTest, StoredLevelRestartsWithItsStateAndWithoutItsInitScript)
{
    CopiedSampleGame game;
    game.dir.Write("levels/scripted.cfg",
                   "#only\nvsdFile = \"levels\\sample\\sample.vsd\"\nonInit = \"initRan();\"\n");
    LevelCtrl& ctrl = *game.ctrl;
    ctrl.SetSavegameBaseDir("save\\");
    const String working = ctrl.GetSavegamePath(-1);
    ASSERT_EQ(ErrorOf([&] { ctrl.StartNewGame("levels\\scripted.cfg"); }), "no error");
    EXPECT_EQ(LevelCtrl::InitRuns(), 1);
    EXPECT_EQ(ctrl.GetObjScriptVariablesSaveCount(), 0);

    // The level changes: a crate is gone, a level variable is set.
    WorldElem* crate = ctrl.GetWorld().FindObjectByWorldID("crate1", nullptr);
    ASSERT_NE(crate, nullptr);
    ctrl.GetWorld().DelObj(crate->m_ObjID, 1);
    ScriptStackVariable* variable = ctrl.AddLevelVariable("visits", 1, 1);
    ASSERT_NE(variable, nullptr);
    ctrl.FindScriptVariable("visits", 0)->SetInt(3);
    std::filesystem::create_directories(game.dir.Path() / "save" / "current");
    ASSERT_TRUE(ctrl.SaveLevel(-1));
    File file;
    ASSERT_TRUE(file.Open("save\\current\\scripted.ld"));
    uint16_t version = 0;
    ASSERT_TRUE(file.ReadInt16(&version));
    EXPECT_EQ(version, 275);
    file.Close();

    LogCapture log;
    ASSERT_EQ(ErrorOf([&] { ctrl.ChangeLevel("levels\\scripted.cfg", working, LevelChangeOptions()); }), "no error");
    EXPECT_EQ(LevelCtrl::InitRuns(), 1);  // a stored level has been set up already
    EXPECT_EQ(log.Count("VSD objects loaded"), 0);
    EXPECT_EQ(log.Count("VSD objects synchronized (1)"), 1);  // the healing area is never saved
    EXPECT_EQ(game.Count("crate1"), 0);
    EXPECT_EQ(game.Count("crate2"), 1);
    EXPECT_EQ(game.Count("heal1"), 1);
    ScriptValue* visits = ctrl.FindScriptVariable("visits", 0);
    ASSERT_NE(visits, nullptr);
    EXPECT_EQ(visits->m_Integer, 3);

    // Reset: the stored state goes, so the next start is fresh again.
    ctrl.ResetLevel(0);
    EXPECT_FALSE(std::filesystem::exists(game.dir("save/current/scripted.ld")));
    ASSERT_EQ(ErrorOf([&] { ctrl.ChangeLevel("levels\\scripted.cfg", working, LevelChangeOptions()); }), "no error");
    EXPECT_EQ(LevelCtrl::InitRuns(), 2);
    EXPECT_EQ(game.Count("crate1"), 1);
}

TEST(GameCtrlLevelChangeTest, SynchronisingFoldersForASave)
{
    GameDir dir;
    dir.Write("save/current/a.ld", "level a");
    GameCtrl ctrl;
    ctrl.SetSavegameBaseDir("save\\");
    ctrl.SyncSavegameDir(3);
    EXPECT_EQ(dir.Read("save/save 3/a.ld"), "level a");
    ctrl.SetSavegameBaseDir("saveMP\\");
    ctrl.SyncSavegameDir(-1);  // the working folder itself: made, nothing copied
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "saveMP" / "current"));
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path() / "saveMP" / "current"));
    ctrl.CreateSaveFolder("slot", 1);
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "saveMP" / "slot"));

    dir.Write("blocked", "a file where a folder should go");
    ctrl.SetSavegameBaseDir("blocked\\");
    EXPECT_NE(ErrorOf([&] { ctrl.SyncSavegameDir(2); }).find("Can not create directory 'blocked\\save 2\\'"),
              std::string::npos);
}

// The level's environment scene: loaded where a device draws it (without texture compression
// when the level asks), with its camera 0 selected; cleared by a level without one; never loaded
// on the server.
TEST(GameCtrlLevelChangeTest, TheEnvironmentSceneLoadsWhereADeviceDrawsIt)
{
    CopiedSampleGame game;
    std::filesystem::copy(std::string(SERVER_FIXTURES) + "/scene/rtx/creature.rtx",
                          game.dir("levels/sample/envir.rtx"));
    IDirect3DSurface9* image = nullptr;
    ASSERT_EQ(CreateMemorySurface(256, 256, D3DFMT_A8R8G8B8, D3DPOOL_SCRATCH, &image), D3D_OK);
    ASSERT_EQ(D3DXSaveSurfaceToFileA(game.dir("levels/sample/env.tga").c_str(), D3DXIFF_TGA, image, nullptr, nullptr),
              D3D_OK);
    image->Release();
    const std::string level = "vsdFile = \"levels\\sample\\sample.vsd\"\nenvir = \"levels\\sample\\envir.rtx\"\n";
    game.dir.Write("levels/uncompressed.cfg", "#only\n" + level + "EnvirNoTexComp = 1\n");
    game.dir.Write("levels/compressed.cfg", "#only\n" + level);
    game.dir.Write("levels/none.cfg", "#only\nvsdFile = \"levels\\sample\\sample.vsd\"\n");
    LevelCtrl& ctrl = *game.ctrl;
    auto change = [&](const char* file) {
        ASSERT_EQ(ErrorOf([&] { ctrl.ChangeLevel(file, String(), LevelChangeOptions()); }), "no error") << file;
    };
    change("levels\\uncompressed.cfg");
    EXPECT_EQ(ctrl.GetEnvironmentScene(), nullptr);  // the server draws nothing

    DeviceGfx client;
    client.Gfx().compressionLevel = 2;
    change("levels\\uncompressed.cfg");
    DXC_3dScene* scene = ctrl.GetEnvironmentScene();
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(scene->activeCamera, 0);
    ASSERT_NE(scene->environmentTexture, nullptr);
    EXPECT_EQ(scene->environmentTexture->format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(client.Gfx().compressionLevel, 2);  // only the environment went without
    change("levels\\compressed.cfg");
    ASSERT_NE(ctrl.GetEnvironmentScene(), nullptr);
    EXPECT_EQ(ctrl.GetEnvironmentScene()->environmentTexture->format, D3DFMT_DXT5);
    change("levels\\none.cfg");
    EXPECT_EQ(ctrl.GetEnvironmentScene(), nullptr);
}
