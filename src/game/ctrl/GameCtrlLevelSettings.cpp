// GameCtrl: the engine's level-wide settings of a level description entry.
#include "game/ctrl/GameCtrl.h"

#include "base/FileName.h"

#include <cmath>

namespace {

// A pair "multiplier, addend"; both fall back together.
void ReadFactorPair(ConfigFileReader& reader, const char* key, int32_t entry, float (&pair)[2])
{
    if (reader.GetFloatPair(key, pair, entry) != ConfigFileReader::kFound) {
        pair[0] = 1.0f;
        pair[1] = 0.0f;
    }
}

template <typename T> void ReadOr(int32_t status, T& value, T fallback)
{
    if (status != ConfigFileReader::kFound)
        value = fallback;
}

}  // namespace

// The keys are read in this order; a missing or bad one takes its default.
void GameCtrl::LoadLevelSettings(ConfigFileReader& reader, int32_t entry)
{
    LevelSettings& level = m_LevelSettings;
    if (reader.GetString("levelID", level.levelID, entry) != ConfigFileReader::kFound)
        GetFileNameFromPath(reader.GetFileName(), level.levelID, true);
    ReadOr(reader.GetInt("levelProgressID", level.levelProgressID, entry), level.levelProgressID, 0);

    int32_t monsterLevel[2] = {1, 1};
    if (reader.GetIntPair("MonsterLevel", monsterLevel, entry) != ConfigFileReader::kFound)
        monsterLevel[0] = monsterLevel[1] = 1;
    bool addHeroLevel = false;
    ReadOr(reader.GetBool("AddHeroLevelToMonsterLevel", addHeroLevel, entry), addHeroLevel, false);
    SetMonsterLevelRange(monsterLevel[0], monsterLevel[1], addHeroLevel ? 1 : 0);
    ReadFactorPair(reader, "MonsterHealth", entry, level.monsterHealth);
    SetMonsterHealth(level.monsterHealth[0], level.monsterHealth[1]);  // monsters read from now on get it
    ReadFactorPair(reader, "MonsterDamage", entry, level.monsterDamage);
    ReadFactorPair(reader, "MonsterArmour", entry, level.monsterArmour);
    ReadOr(reader.GetFloat("ItemMight", level.itemMight, entry), level.itemMight, 0.0f);
    ReadOr(reader.GetFloat("Gold", level.gold, entry), level.gold, 1.0f);

    ReadOr(reader.GetInt("FloorTexRes", level.floorTexRes, entry), level.floorTexRes, 32);
    ReadOr(reader.GetInt("LightMap", level.lightMap, entry), level.lightMap, 1);
    ReadOr(reader.GetInt("DepotTexSize", level.depotTexSize, entry), level.depotTexSize, 256);
    m_World.SetFloorTexRes(level.floorTexRes);
    m_World.SetDepotTexSize(level.depotTexSize);

    ReadOr(reader.GetInt("FogOfWar", level.fogOfWar, entry), level.fogOfWar, 1);
    if (level.fogOfWar < 0 || level.fogOfWar > 3)
        Error("Invalid FogOfWar value in '%s'", reader.GetFileName());
    level.gfxFog = level.fogOfWar == 2 ? 3 : 1;
    ReadOr(reader.GetInt("FadeOutWallsIfViewedFromBack", level.fadeOutWallsIfViewedFromBack, entry),
           level.fadeOutWallsIfViewedFromBack, 1);
    m_World.SetFadeWallsFromBack(level.fadeOutWallsIfViewedFromBack);
    ReadOr(reader.GetInt("TextureOverlap", level.textureOverlap, entry), level.textureOverlap, 1);
    ReadOr(reader.GetBool("TerrainCenterVertex", level.terrainCenterVertex, entry), level.terrainCenterVertex,
           true);
    m_World.SetTerrainCenterVertex(level.terrainCenterVertex ? 1 : 0);

    level.lightValue = 0.0f;
    if (reader.GetVector3("AmbientCol", level.ambientCol, entry) != ConfigFileReader::kFound)
        level.ambientCol[0] = level.ambientCol[1] = level.ambientCol[2] = 0.0f;
    if (reader.GetVector3("DiffuseCol", level.diffuseCol, entry) == ConfigFileReader::kFound) {
        float dir[3] = {1.0f, 1.0f, 1.0f};
        if (reader.GetVector3("DiffuseDir", dir, entry) != ConfigFileReader::kFound)
            dir[0] = dir[1] = dir[2] = 1.0f;
        const float length = std::sqrt(dir[0] * dir[0] + dir[1] * dir[1] + dir[2] * dir[2]);
        if (length > 0.0f)  // a zero direction keeps the one before
            for (int32_t i = 0; i < 3; ++i)
                level.diffuseDir[i] = dir[i] / length;
    } else {
        level.diffuseCol[0] = level.diffuseCol[1] = level.diffuseCol[2] = 0.0f;
    }

    level.wallFadeOutAlgorithm = 0;
    ReadOr(reader.GetInt("WallFadeOutAlgorithm", level.wallFadeOutAlgorithm, entry), level.wallFadeOutAlgorithm, 0);
    m_World.SetLevelColours(level.diffuseCol, level.ambientCol);
}

void GameCtrl::SetLevelLight(const float diffuse[3], const float direction[3], const float ambient[3])
{
    for (int32_t i = 0; i < 3; i++) {
        m_LevelSettings.diffuseCol[i] = diffuse[i];
        m_LevelSettings.diffuseDir[i] = direction[i];
        m_LevelSettings.ambientCol[i] = ambient[i];
    }
    m_World.SetLevelColours(m_LevelSettings.diffuseCol, m_LevelSettings.ambientCol);
}
