// ScriptCreatureArgs: what the creature built-ins of both name chains share: the creature of an
// object argument with a warning for any other element, the influence type of a script's type
// name, and the AI target slots that scripts read and point.
#pragma once
#include "game/scriptfuncs/ScriptCall.h"

#include <cstdint>

class CreatureObj;

namespace ScriptCreatureArgs {

// The creature of the object argument at index; another element warns the text (whose one %s,
// when it has one, is the element's name) and gives null, as does a missing element (reported
// by the lookup).
CreatureObj* CreatureOrWarn(ScriptCall& call, int32_t index, const char* warning);

// The influence type of a type name; a name that names no type (and "none") reports "Invalid
// influence type '%s' in function %s" and gives 0.
int32_t InfluenceType(ScriptCall& call, const char* name);

// The 16 AI target slots ("Target1" .. "Target16") are numbered from 1.
constexpr int32_t kFirstTargetSlot = 1;
constexpr int32_t kLastTargetSlot = 16;
inline bool IsTargetSlot(int32_t n) { return n >= kFirstTargetSlot && n <= kLastTargetSlot; }

// The level at which a reassessment drops any decision, whatever its priority.
constexpr int32_t kReassessAlways = 9999;

}  // namespace ScriptCreatureArgs
