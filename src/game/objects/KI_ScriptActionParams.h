// KI_ScriptActionParams: the AI action that a script gives a creature ("SetAI", "AddAI"): the
// deed code of its type name, the target names and target slot, and the optional parameters in
// the places the two calls give them. The creature's AI turns it into an intention.
#pragma once
#include "base/String.h"

#include <cstdint>

struct KI_ScriptActionParams {
    static constexpr int32_t kNoSlot = -1;
    static constexpr int32_t kUnknownKind = 23;  // ParseAIActionType of any other name

    int32_t kind = kUnknownKind;  // the deed code of the type name (ParseAIActionType)
    String typeName;            // as the script wrote it
    String targetName;          // the third argument when it is a String
    String secondName;          // the fourth argument when it is a String
    int32_t targetSlot[2] = {kNoSlot, kNoSlot};  // a named target slot (101..116 "Target1".."Target16"), both copies
    int32_t intValue = 100;     // SetAI's fifth argument
    float number = 1000.0f;     // SetAI's sixth argument
    float secondNumber = 1000.0f;  // SetAI's seventh, AddAI's fifth argument
    String text;                // SetAI's eighth, AddAI's sixth argument, when a String
};
