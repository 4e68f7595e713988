// MobData: a mob of AI creatures that follow one strategy and fight one enemy: its strategy's
// MobScript timer and the 16 mob variables the strategy scores read. The input controller keeps
// the mobs; a creature points to its own. The operations live in ai/InputCtrlMobs.cpp.
#pragma once
#include "base/DynaMem.h"
#include "base/SmartPtr.h"
#include "base/String.h"
#include "world/WorldElem.h"

#include <cstdint>

class CreatureObj;
class KI_Strategy;

class MobData : public SmartClass {
public:
    static constexpr int32_t kVariables = 16;

    // A member reference unless the creature is one already; the creature points to this mob.
    void AddCreature(CreatureObj* creature);
    // Its member slot goes and the creature points to no mob.
    void RemoveCreature(CreatureObj* creature);
    // Members whose creature is gone leave the list.
    void PurgeMembers();
    // Counts the MobScript timer down while it runs; at below 0 the script runs and the timer
    // starts again.
    void Update(float dt);
    // The MobScript with object variable 0 the mob number and 1 its enemy's object ID.
    void RunMobScript();
    // Every member lets go of the mob; the number becomes -1.
    void Clear();

    int32_t mobNumber = -1;  // the slot in the controller's mob list
    String strategyName;     // the mob key
    KI_Strategy* strategy = nullptr;  // game data
    SmartPtr<WorldElem> enemy;
    DynaMem<SmartPtr<WorldElem>, 32> members;
    float variables[kVariables] = {};
    float mobScriptTimer = -1.0f;  // -1: not running
};
