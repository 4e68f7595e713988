// ActionEntryBase: what every timed part of an action (attack, effect, shot, spell) has: the
// moment it fires, its damage increase, its start offset and its scripts.
#pragma once
#include "base/String.h"

#include <cstdint>

class ActionEntry;

class ActionEntryBase {
public:
    ActionEntryBase() { Reset(); }

    void Reset()
    {
        point = 1.0f;
        index = -1;
        damIncreaseFactor[0] = 1.0f;
        damIncreaseFactor[1] = 0.0f;
        damIncreaseBase = -1000.0f;
        startOffset[0] = 0.0f;
        startOffset[1] = 0.0f;
        callScript.Release();
        sndHit.Release();
        damFactorScript.Release();
        owner = nullptr;
    }

    float point;  // moment in the action, as the action runner reads it
    int32_t index;  // the part's slot in its list, set when it is stored
    float damIncreaseFactor[2];
    float damIncreaseBase;
    float startOffset[2];
    String callScript;
    String sndHit;
    String damFactorScript;
    ActionEntry* owner;  // the action that holds the part
};
