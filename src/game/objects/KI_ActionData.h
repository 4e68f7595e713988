// KI_ActionData: one intention of a creature's AI (its intention stack holds them): the task
// code, the action it names and the target. The AI runner and the record's saved form complete it.
#pragma once
#include "base/SmartPtr.h"
#include "base/String.h"
#include "world/WorldElem.h"

#include <cstdint>

class KI_ActionData {
public:
    // Task codes that the use of an item element reads.
    static constexpr int32_t kTaskNone = 0;
    static constexpr int32_t kTaskUsed = 5;
    static constexpr int32_t kTaskKeep = 9;
    static constexpr int32_t kTaskNoInventory = 10;

    int32_t task = 0;  // the intention code
    int32_t secondCode = 0;
    String actionName;
    SmartPtr<WorldElem> target;
};
