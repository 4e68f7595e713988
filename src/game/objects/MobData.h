// MobData: a mob of AI creatures that follow one strategy and fight one enemy: its strategy's
// MobScript timer and the 16 mob variables the strategy scores read. The input controller keeps
// the mobs; a creature points to its own.
#pragma once
#include "base/DynaMem.h"
#include "base/SmartPtr.h"
#include "base/String.h"
#include "world/WorldElem.h"

#include <cstdint>

class KI_Strategy;

class MobData : public SmartClass {
public:
    static constexpr int32_t kVariables = 16;

    int32_t mobNumber = -1;  // the slot in the controller's mob list
    String strategyName;     // the mob key
    KI_Strategy* strategy = nullptr;  // game data
    SmartPtr<WorldElem> enemy;
    DynaMem<SmartPtr<WorldElem>, 32> members;
    float variables[kVariables] = {};
    float mobScriptTimer = -1.0f;  // -1: not running
};
