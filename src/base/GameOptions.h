// GameOptions: the program-wide option variables. The game options ("cfg\game.cfg") and the game
// rules (the settings file) set them when the controller reads its configuration; code of every
// layer reads them. Each field is named after its key; the initial values are the program's own
// and stay when a key is missing. Angles are in radians. The debug level, the floor size and the
// back-draw fade thresholds are the controller's (GameCtrlInterface).
#pragma once
#include <cstdint>

struct GameOptions {
    // Set by the program's entry before the controller exists.
    uint8_t dedicatedServer = 0;
    // Set while the game runs: silences sounds, speech and subtitles (the game sets it in view
    // mode 1).
    uint8_t soundMute = 0;

    // The view. fieldOfView is the one in use, derived from fov and fov16_9 by the screen's
    // aspect; baseFieldOfView is the one a diagonal "FoV_diag" gives.
    float baseFieldOfView = 1.0471976f;  // 60 degrees
    float fov = 1.0471976f;
    float fov16_9 = 1.0471976f;
    float fieldOfView = 1.0471976f;
    float maxCamHeight = 550.0f;  // the limit in use, derived like fieldOfView
    float maxCamHeight4_3 = 0.0f;  // "MaxCamHeight"
    float maxCamHeight16_9 = 0.0f;
    float minCamHeight = 100.0f;
    float maxPitch = 0.7853982f;   // 45 degrees
    float maxPitch2 = 0.6457718f;  // 37 degrees
    float startPitch = 0.7853982f;
    float snapAimAngle = 0.08726646f;  // 5 degrees
    float camOffsetMoveSpd = 2.0f;
    float autoCamFollow = 0.0f;
    float mouseGuiSpd = 0.3f;
    float mouseRotSpd = 0.004f;  // "MouseRotSpd" x 0.001

    // Console, debugging and frame rate.
    uint8_t debugMessages = 1;
    uint8_t allowConsole = 1;
    uint8_t noMeshDraw = 0;
    uint8_t showFPS = 0;
    uint8_t showEditName = 0;
    uint8_t allowXMove = 1;
    float maxFPS = 200.0f;
    float minFPS = 10.0f;

    // Rendering quality.
    int32_t effectVBType = 0;
    uint8_t noLightMap = 0;
    float lightingUpdateInterval = 0.0f;    // seconds; 1 / "LightingUpdateFPS", 0 for 0
    float visibilityUpdateInterval = 0.0f;  // the same for "VisibilityUpdateFPS"
    int32_t floorBufferNumVertices = 2048;
    int32_t floorBufferNumFaces = 1536;
    int32_t compressTex = 0;  // 0 off, 1 DXT1, 2 DXT5
    int32_t compressTexSizeMin = 65536;
    int32_t effectDetails = -1;  // -1: detected from the machine
    int32_t shadowDetails = -1;
    int32_t wallShader = 1;
    int32_t useFixedFunctionShader = 0;
    int32_t maxObjLights = 8;
    int32_t maxCreatureLights = 4;
    float specularFactor = 0.7f;  // "SpecularLighting" above 0
    int32_t noBumpMaps = 0;       // "NoBump" and "NoBumpMaps"
    int32_t noSpecMaps = 0;
    int32_t noSelfillumMaps = 0;
    int32_t noReflectionMaps = 0;
    int32_t useHighlightShader = 1;
    uint8_t useHighlightShaderN[3] = {1, 1, 1};  // "UseHighlightShader0" .. "UseHighlightShader2"
    uint8_t bloomShader = 0;
    uint8_t noPRShader = 0;
    uint8_t preload = 1;
    float ambiLightAttachedFactor = 0.05f;
    float ambiLightFactor = 0.05f;
    float wallFade = 0.05f;
    int32_t wallMipMap = 0;
    float mipMapLoD = 0.0f;
    float lightingVSize3DFactor = 1.0f;
    float pointLightSizeFactor = 300.0f;
    float wallFadeOutTime = 0.5f;

    // Game feel, GUI and audio.
    float dialogTextSpeed = 25.0f;  // characters per second
    float timeBetweenAIEnemySearch = 0.2f;
    float minSpdForSetAniCycle = 2.0f;
    float guiInactiveTime = 1.0f;
    float musicFadeTime = 1.5f;
    float musicFightFadeTime = 1.5f;
    float musicCheckTime = 2.5f;
    float musicFightCheckTime = 1.0f;
    float globalVolume = 1.0f;
    float audioVolume = 1.0f;
    float soundFxVolume = 1.0f;
    float musicVolume = 1.0f;
    float ambientMusicVolume = 1.0f;
    float speechVolume = 1.0f;
    float volumeFallOff = 1.0f;
    uint8_t subtitles = 1;
    uint8_t quickPause = 0;
    uint8_t autoSave = 1;

    // Game rules of the settings file.
    float minTimeBetweenBloodEffects = 0.5f;
    float projectileTerrainSmoothFactor = 3.0f;
    float attributeDisplayFactor = 1.0f;
    float attributeDisplayFactorArmour = 1.0f;
    float itemScale = 1.0f;  // scales 3D objects
    float creatureScale = 1.0f;
    float wallScale = 1.0f;
    float lightScale = 1.0f;
    float noneRangedLightsIntensityPower = 0.5f;
    int32_t maxSummonedMonsters = 5;
    float mainCharCombatSpeed = 1.0f;
    float mainCharMagicSpeed = 1.0f;
    float mainCharMovementSpeed = 1.0f;
    uint32_t highlightGlowColor = 0x64DC960Au;  // 0xAARRGGBB
    int32_t highlightGlowTexSize = 128;
    int32_t highlightGlowNrIteration = 1;
    float highLightEmissAddCol[3] = {0.5f, 0.4f, 0.0f};
    float cycleIntTimeUB = 1.0f;
    float cycleIntTimeLB = 1.0f;
    float spellSlowDown = 0.5f;
    float mouseOverDelay = 0.1f;  // seconds
    int32_t mouseOverDelayInt = 5;  // the same key read as an int
    int32_t mouseOverOffset[2] = {10, 10};
    float wallFadeOutAngleIfInWall = 1.0471976f;  // 60 degrees
    uint8_t highlightModes[3] = {1, 1, 1};  // "Highlight0Mode" .. "Highlight2Mode"
};

extern GameOptions g_Options;
