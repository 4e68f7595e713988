// GameSaveRecord: a "game.sv" as read, held until the whole file has been read and checked;
// only then does the load give it to the game.
#pragma once
#include "base/String.h"
#include "scifi/save/ScriptVariablesGame.h"

#include <cstdint>

struct GameSaveRecord {
    static constexpr uint16_t kNewestVersion = 275;
    static constexpr uint16_t kDifficultyVersion = 266;  // older saves keep the current difficulty

    uint16_t version = 0;
    String level;  // empty: the start level
    bool hasDifficulty = false;
    int32_t difficulty = 1;
    ScriptVariablesGame::Block variables;
    double gameTime = 0.0;
    int32_t missionLogPosition = -1;  // the mission log block, read again when applied
};
