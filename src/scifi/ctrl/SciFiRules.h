// SciFiRules: the game's balance values and the other process-wide values of its rules, in one
// record that the rules code reads directly. The controller reads them from the rules file and
// "cfg\game.cfg"; a key that is missing leaves its value here.
#pragma once
#include <cstdint>
#include <vector>

struct SciFiRules {
    // Balance values.
    float spellWeaken = 0.5f;             // armour and physical defence factor while weakened
    float defaultPoisonTime = 5.0f;       // seconds of an item's poison
    float damageFuncFactorA = 0.0f;       // the armour damage function's factor
    float armourShieldFactor = 0.0f;      // and the scale of its armour term
    float shieldRecoverNoActionTime = 3.0f;
    float damageDealAverageTime = 15.0f;  // the player input's damage average span, in seconds
    float noMoveCounterMaximum = 10.0f;
    float noMoveCounterDecreaseFactor = 2.0f;
    float actionRememberTime = 1.0f;
    float dodgeTimeFrame = 0.1f;
    float itemEnchantProb = 0.0f;  // game-wide; a level may give its own
    float itemBoostProb = 0.0f;
    float subtitlePause = 2.0f;
    float subtitleFadeOffset = 0.0f;
    float combatLinkDuration = 5.0f;  // seconds a combat link lives unless refreshed; no file sets it
    // "ItemTierColor0", 1, ...: alpha 255 and each channel truncated; every load appends.
    std::vector<uint32_t> itemTierColors;

    // Camera and display options.
    float camAboveGround = 50.0f;
    float gamma = 0.5f;  // "GammaCorrection" -1..1 mapped to 0..1

    // Engine and widget defaults that the game's controller changes when it is made; the engine
    // keeps no field for them yet, so they wait here for the parts that use them.
    uint8_t loadingScreenFlag = 0;  // the engine's is set
    uint8_t levelChangeFlag = 1;    // the engine's is clear
    float engineSettings[2] = {0.93f, 0.9f};  // the engine's 0.9 and 0.87
    int32_t gfxSetting = 2;
    int32_t widgetSizes[2] = {335, 335};
    float widgetSetting = 0.0f;
};

// The one record of the running program; the controller's construction sets it to the values
// above.
inline SciFiRules g_SciFiRules;
