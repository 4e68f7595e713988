// ActionEntry: an entry of the action definitions ("cfg\actions.cfg"), kept by the world's action
// tree under its name: the action's ID and its timed steps, each an ActionEntryBase whose moment
// is the step's value. The action definitions loader fills it; the world answers lookups by name.
#pragma once
#include "base/DynaMem.h"
#include "base/String.h"
#include "world/ActionEntryBase.h"

#include <cstdint>

class ActionEntry {
public:
    // Appends a step owned by the entry; its index is its place in the list.
    ActionEntryBase& AddStep()
    {
        ActionEntryBase* step = steps.GetBySlot(steps.Add());
        step->index = steps.GetSize() - 1;
        step->owner = this;
        return *step;
    }
    // The value of the first step (its moment), 0.0 without steps.
    float GetFirstStepValue()
    {
        ActionEntryBase* first = steps.GetAt(0);
        return first ? first->point : 0.0f;
    }

    String name;  // "desc"
    int32_t id = -1;  // the action's ID
    DynaMem<ActionEntryBase, 4> steps;
};
