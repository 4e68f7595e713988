// Difficulty: the process-wide difficulty record that monsters, shots and heroes consult for
// health, damage and speeds, filled from one entry of "cfg\difficulty.cfg".
#pragma once
#include "game/ctrl/GameFunction.h"

struct Difficulty {
    float monsterHealth = 1.0f;
    float monsterDamage = 1.0f;
    float monsterMoveSpeed = 1.0f;
    float monsterShotSpeed = 1.0f;
    float heroHealthRegeneration = 1.0f;
    GameFunction monsterHealthMultiplayer;  // over the number of players; no name: none
    GameFunction monsterXPMultiplayer;
};

extern Difficulty g_Difficulty;
