// KillValues: what a creature keeps for the world's kill event: its two kill scripts, the delay
// before it dies, and the flag that its kill was handled already. The creature fills it; the world
// reads it through WorldElem::GetKillValues.
#pragma once
#include "base/String.h"

#include <cstdint>

struct KillValues {
    String onKill;   // "OnKill"
    String onKill2;  // "OnKill2", run after it
    float deathDelay = 0.0f;  // a kill script may raise it to put the death off
    uint8_t killHandled = 0;  // set: a kill event of the creature does nothing more
};
