// GameSettings: the values of the game options ("cfg\game.cfg") and the game rules (the settings
// file) that the controller keeps; the program-wide ones are in GameOptions, the world's in
// WorldOptions. Each field is named after its key; the initial values stay when a key is missing.
#pragma once
#include "base/String.h"

#include <cstdint>
#include <vector>

struct GameSettings {
    static constexpr int32_t kSpecialMarks = 8;

    // "cfg\game.cfg".
    uint8_t windowsMouseCursor = 0;
    int32_t autoTextureDownsize = 0;
    float screenshotModeMoveSpd = 400.0f;
    uint8_t logLoadScreenEvents = 0;
    uint8_t logObjIDs = 0;
    float cameraSlide = 0.2f;
    String mainMenuVideo;
    String mainMenuVideoAlpha;
    float mainMenuVideoUpperLeft[2] = {0.0f, 0.0f};  // screen fractions
    float mainMenuVideoLowerRight[2] = {1.0f, 1.0f};
    uint8_t compressSavegames = 1;
    int32_t testChar = 0;  // above 0: no videos are unlocked
    int32_t logAniCycleWarnings = 0;
    int32_t showObjectHierarchy = 0;
    String gameDifficulty;
    String level;  // the start level; the settings file may name it too
    uint8_t xFire = 0;
    uint8_t videosEnabled = 1;  // "DisableVideos" inverted
    std::vector<String> shaderEffects;

    // The settings file.
    String boostScript;
    float friendlyFire = 0.0f;  // factor on damage between players
    String onHeroLevelUp;  // script hooks
    String onFirstUseGui;
    String onTrade;
    String goldCoinsItemID = "Gold Coins";
    String mcLight;  // the main character's light
    String specialMarks[kSpecialMarks];  // "SpecialMark1" .. "SpecialMark8"
};
