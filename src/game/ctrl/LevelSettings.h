// LevelSettings: the level-wide values of a level description that the controller keeps.
#pragma once
#include "base/String.h"

#include <cstdint>

struct LevelSettings {
    String levelID;  // the description's file name without "levelID"
    int32_t levelProgressID = 0;
    float monsterHealth[2] = {1.0f, 0.0f};  // multiplier, addend
    float monsterDamage[2] = {1.0f, 0.0f};
    float monsterArmour[2] = {1.0f, 0.0f};
    float itemMight = 0.0f;
    float gold = 1.0f;
    int32_t floorTexRes = 32;
    int32_t lightMap = 1;
    int32_t depotTexSize = 256;
    int32_t fogOfWar = 1;  // 0 to 3
    int32_t gfxFog = 1;    // the graphics side's fog setting: 3 for mode 2
    int32_t fadeOutWallsIfViewedFromBack = 1;
    int32_t textureOverlap = 1;
    bool terrainCenterVertex = true;
    float lightValue = 0.0f;  // the further light value, cleared before the colours
    float ambientCol[3] = {0.0f, 0.0f, 0.0f};
    float diffuseCol[3] = {0.0f, 0.0f, 0.0f};
    float diffuseDir[3] = {1.0f, 1.0f, 1.0f};  // unit length once read
    int32_t wallFadeOutAlgorithm = 0;
};
