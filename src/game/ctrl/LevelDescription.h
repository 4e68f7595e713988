// LevelDescription: the values of a level description entry that a level change reads and keeps
// for the world, the renderer and the mini map (music, sounds, scripts, fog, shaders), and the
// option words of a level change.
#pragma once
#include "base/String.h"

#include <cstdint>
#include <vector>

// What a level change is asked to do beside loading the level.
struct LevelChangeOptions {
    // The change leaves a running level: the stored states lie in the running game's working
    // folder, the main character comes along, and the game is saved before the old level goes.
    int32_t fromRunningLevel = 0;
    int32_t startPosition = 0;     // the starting position a new hero is placed at
    int32_t networkWord = 0;       // handed on by the network layers, unused here
    int32_t keepRunningState = 0;  // music, environment, level scripts, fog and shader keys stay
    int32_t quietLoad = 0;         // no loading music; handed to the save on the way out
};

struct LevelDescription {
    static constexpr int32_t kMaxRandomSounds = 16;
    static constexpr int32_t kMaxTextLength = 1024;  // "vsdFile" and "TreasureList"

    String loadingScreen;
    float musicVolume = 1.0f;
    float musicFightVolume = 1.0f;
    float musicBossVolume = 1.0f;
    float ambiSoundVolume = 1.0f;
    float musicFadeTime = 1.5f;
    float musicFightFadeTime = 1.5f;
    float musicQuietTime = 0.0f;
    String music;
    String musicLoading;
    String musicFight;
    String musicBoss;
    String ambiSound;
    String treasureList;
    String vsdFile;
    String mcLight;
    String name;  // as shown: a "DB:" name is replaced by its text of group "level"
    String onHeroDie;
    int32_t drawWallsToMiniMap = 0;
    int32_t envirNoTexComp = 0;
    String envir;
    float minTimeBetweenRndSounds = 10.0f;
    struct RandomSound {
        String name;
        float period = 100.0f;
    };
    std::vector<RandomSound> randomSounds;  // those the sound table knows, at most kMaxRandomSounds
    float mcAmbientLight[3] = {0.0f, 0.0f, 0.0f};
    float callInterval = 0.0f;
    String callScript;
    String onInit;
    String onEnter;
    float wallFadeOutTime = 0.5f;
    float objectFadeOutTime = 0.5f;
    float maxTerrainSteepness = 1.7320509f;  // tangent of the key's degrees (60 by default)
    float floorFog = 9999.0f;
    float fogStart = 0.9f;
    uint32_t fogColor = 0xFF000000u;
    int32_t terrainCenterHeight = 0;
    String postRenderEffect;
    std::vector<float> shaderParams;
    String bloomShader;
    uint32_t wallMinimapColor = 0;
    int32_t floorSize = 0;
};

// The process-wide fade-out times of what hides the hero, set by every level change that reads them.
extern float g_WallFadeOutTime;
extern float g_ObjectFadeOutTime;
