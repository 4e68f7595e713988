// ActionEntry: an entry of the action definitions ("cfg\actions.cfg"), kept by the world's action
// tree under its name: its timing, cost and movement rules, and its four part lists (attacks,
// effects, shots, spells), each part an ActionEntryBase whose point is its moment in the action.
// The action definitions loader fills it; the world answers lookups by name.
#pragma once
#include "base/BezierSpline.h"
#include "base/DynaMem.h"
#include "base/String.h"
#include "world/ActionEffect.h"
#include "world/ActionEntryBase.h"
#include "world/ActionShot.h"
#include "world/ActionSpell.h"
#include "world/DynActionAttack.h"

#include <cstdint>

class ActionEntry {
public:
    // Appends a step owned by the entry; its index is its place in the list.
    ActionEntryBase& AddStep() { return AddPart(steps); }
    // Appends the shared values of a stored part as the entry's next step.
    void AddStepOf(const ActionEntryBase& part)
    {
        ActionEntryBase& step = AddStep();
        const int32_t index = step.index;
        step = part;
        step.index = index;
        step.owner = this;
    }
    // The value of the first step (its moment), 0.0 without steps.
    float GetFirstStepValue()
    {
        ActionEntryBase* first = steps.GetAt(0);
        return first ? first->point : 0.0f;
    }
    // Appends a default part to one of the part lists, owned by the entry, with its list position
    // as index.
    template <class Part> Part& AddPart(DynaMem<Part, 4>& list)
    {
        Part* part = list.GetBySlot(list.Add());
        part->index = list.GetSize() - 1;
        part->owner = this;
        return *part;
    }

    String name;  // "desc"
    int32_t id = -1;  // the action's ID
    // Every stored part of the four lists in the order the file gives them, each repeated copy a
    // step of its own: the moments at which the action does something.
    DynaMem<ActionEntryBase, 4> steps;

    int32_t isMagic = 0;  // "type" is "magic"
    float duration = 1.0f;  // seconds; longer than recharge
    float recharge = 0.0f;
    float repeatPoint = 0.0f;
    float canNotMoveFromToPoint[2] = {0.0f, 0.0f};
    float canNotDodgeFromToPoint[2] = {0.0f, 1.0f};
    int32_t anicycle = 0;  // the file's cycle number minus 1: -1 none
    int32_t mana = 0;
    int32_t damageDisplayType = 1;
    float displayDamagePerSecond = 0.0f;
    float fame = 0.0f;  // absent in the file: the mana
    int32_t immune = 0;
    float costPoint = 1.0f;
    float freePoint = 1.0f;
    float hitInterruptPoint = 1.0f;
    float warnEnemyPoint = -1.0f;
    uint8_t canMove = 0;
    uint8_t canRotate = 0;
    float boneBlendVal = 0.0f;
    int32_t anyDirection = 0;
    float range = 0.0f;  // how far the action reaches its target; the AI asks whether a target is in it
    String sndAmbi;
    DynaMem<ActionEffect, 4> effects;
    DynaMem<DynActionAttack, 4> attacks;  // the attack lives in the holder
    DynaMem<ActionShot, 4> shots;
    DynaMem<ActionSpell, 4> spells;
    BezierSpline<float> damFactorAngle;
    BezierSpline<float> damFactorTime;
};
