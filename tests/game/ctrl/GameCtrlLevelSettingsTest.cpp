// GameCtrl level settings: the defaults of an empty description, every key read, the fog of war
// check, and the diffuse direction with and without a diffuse colour.
#include "game/ctrl/GameCtrl.h"

#include "GameCtrlTestSupport.h"
#include "support/ErrorOf.h"

#include <gtest/gtest.h>

namespace {

// A level description file in the game directory, loaded into the reader.
void LoadDescription(const GameDir& dir, ConfigFileReader& reader, const char* text)
{
    dir.Write("levels/test_level.cfg", text);
    ASSERT_EQ(reader.Load("levels\\test_level.cfg"), 0);
}

void ExpectVector(const float* v, float x, float y, float z)
{
    EXPECT_FLOAT_EQ(v[0], x);
    EXPECT_FLOAT_EQ(v[1], y);
    EXPECT_FLOAT_EQ(v[2], z);
}

}  // namespace

TEST(GameCtrlLevelSettingsTest, EmptyDescriptionTakesDefaults)
{
    GameDir dir;
    ConfigFileReader reader;
    LoadDescription(dir, reader, "\n");
    WorldGameCtrl ctrl;
    ctrl.SetMonsterLevelRange(4, 9, 1);
    ctrl.LoadLevelSettings(reader, -1);
    const LevelSettings& s = ctrl.GetLevelSettings();
    EXPECT_EQ(s.levelID, String("test_level.cfg"));
    EXPECT_EQ(s.levelProgressID, 0);
    EXPECT_EQ(ctrl.GetMonsterLevel(1.0f), 1);  // 1 to 1 and no hero level
    for (const float* pair : {s.monsterHealth, s.monsterDamage, s.monsterArmour}) {
        EXPECT_FLOAT_EQ(pair[0], 1.0f);
        EXPECT_FLOAT_EQ(pair[1], 0.0f);
    }
    EXPECT_FLOAT_EQ(s.itemMight, 0.0f);
    EXPECT_FLOAT_EQ(s.gold, 1.0f);
    EXPECT_EQ(s.floorTexRes, 32);
    EXPECT_EQ(s.lightMap, 1);
    EXPECT_EQ(s.depotTexSize, 256);
    EXPECT_EQ(s.fogOfWar, 1);
    EXPECT_EQ(s.gfxFog, 1);
    EXPECT_EQ(s.fadeOutWallsIfViewedFromBack, 1);
    EXPECT_EQ(s.textureOverlap, 1);
    EXPECT_TRUE(s.terrainCenterVertex);
    ExpectVector(s.ambientCol, 0.0f, 0.0f, 0.0f);
    ExpectVector(s.diffuseCol, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(s.wallFadeOutAlgorithm, 0);
    EXPECT_FALSE(ctrl.World().HasLevelColour());
}

TEST(GameCtrlLevelSettingsTest, EveryKeyRead)
{
    GameDir dir;
    ConfigFileReader reader;
    LoadDescription(dir, reader,
                    "levelID = \"crypt\"\nlevelProgressID = 7\nMonsterLevel = 3, 8\nAddHeroLevelToMonsterLevel = 1\n"
                    "MonsterHealth = 2, 10\nMonsterDamage = 1.5, 1\nMonsterArmour = 0.5, -2\nItemMight = 4\n"
                    "Gold = 2.5\nFloorTexRes = 64\nLightMap = 0\nDepotTexSize = 512\nFogOfWar = 2\n"
                    "FadeOutWallsIfViewedFromBack = 0\nTextureOverlap = 0\nTerrainCenterVertex = 0\n"
                    "AmbientCol = 0.1, 0.2, 0.3\nDiffuseCol = 0.5, 0.25, 1\nDiffuseDir = 0, 3, 4\n"
                    "WallFadeOutAlgorithm = 2\n");
    WorldGameCtrl ctrl;
    ctrl.LoadLevelSettings(reader, -1);
    const LevelSettings& s = ctrl.GetLevelSettings();
    EXPECT_EQ(s.levelID, String("crypt"));
    EXPECT_EQ(s.levelProgressID, 7);
    EXPECT_EQ(ctrl.GetMonsterLevel(0.0f), 3);
    EXPECT_EQ(ctrl.GetMonsterLevel(1.0f), 8);
    EXPECT_FLOAT_EQ(s.monsterHealth[1], 10.0f);
    EXPECT_FLOAT_EQ(s.monsterDamage[0], 1.5f);
    EXPECT_FLOAT_EQ(s.monsterArmour[1], -2.0f);
    EXPECT_FLOAT_EQ(s.itemMight, 4.0f);
    EXPECT_FLOAT_EQ(s.gold, 2.5f);
    EXPECT_EQ(s.floorTexRes, 64);
    EXPECT_EQ(s.lightMap, 0);
    EXPECT_EQ(s.depotTexSize, 512);
    EXPECT_EQ(s.fogOfWar, 2);
    EXPECT_EQ(s.gfxFog, 3);
    EXPECT_EQ(s.fadeOutWallsIfViewedFromBack, 0);
    EXPECT_EQ(s.textureOverlap, 0);
    EXPECT_FALSE(s.terrainCenterVertex);
    ExpectVector(s.ambientCol, 0.1f, 0.2f, 0.3f);
    ExpectVector(s.diffuseCol, 0.5f, 0.25f, 1.0f);
    ExpectVector(s.diffuseDir, 0.0f, 0.6f, 0.8f);
    EXPECT_EQ(s.wallFadeOutAlgorithm, 2);
    ExpectVector(ctrl.World().GetLevelDiffuse(), 0.5f, 0.25f, 1.0f);
}

TEST(GameCtrlLevelSettingsTest, FogOfWarOutsideItsRange)
{
    for (const char* value : {"4", "-1"}) {
        GameDir dir;
        ConfigFileReader reader;
        LoadDescription(dir, reader, (std::string("FogOfWar = ") + value + "\n").c_str());
        GameCtrl ctrl;
        EXPECT_EQ(ErrorOf([&] { ctrl.LoadLevelSettings(reader, -1); }),
                  "Invalid FogOfWar value in 'levels\\test_level.cfg'")
            << value;
    }
}

TEST(GameCtrlLevelSettingsTest, DiffuseDirection)
{
    GameDir dir;
    ConfigFileReader reader;
    GameCtrl ctrl;
    LoadDescription(dir, reader, "DiffuseCol = 1, 1, 1\nDiffuseDir = 0, 0, 2\n");
    ctrl.LoadLevelSettings(reader, -1);
    ExpectVector(ctrl.GetLevelSettings().diffuseDir, 0.0f, 0.0f, 1.0f);

    LoadDescription(dir, reader, "DiffuseDir = 2, 0, 0\n");  // not read without a colour
    ctrl.LoadLevelSettings(reader, -1);
    ExpectVector(ctrl.GetLevelSettings().diffuseDir, 0.0f, 0.0f, 1.0f);
    ExpectVector(ctrl.GetLevelSettings().diffuseCol, 0.0f, 0.0f, 0.0f);

    LoadDescription(dir, reader, "DiffuseCol = 1, 1, 1\nDiffuseDir = 0, 0, 0\n");  // keeps the one before
    ctrl.LoadLevelSettings(reader, -1);
    ExpectVector(ctrl.GetLevelSettings().diffuseDir, 0.0f, 0.0f, 1.0f);

    LoadDescription(dir, reader, "DiffuseCol = 1, 1, 1\n");  // the default direction
    ctrl.LoadLevelSettings(reader, -1);
    const float d = 1.0f / std::sqrt(3.0f);
    ExpectVector(ctrl.GetLevelSettings().diffuseDir, d, d, d);
}
