// ScriptInventory: what the inventory and item built-ins of both name chains share: the
// player-character test and the item record of an item element with its report. Making, moving,
// dropping and picking up items are the controller's own operations, called directly.
#pragma once
#include <cstdint>

class ItemBase;
class ScriptCall;
class WorldElem;

namespace ScriptInventory {

// A creature that a player controls.
bool IsPlayerCharacter(WorldElem* elem);

// The item record of an item element; for any other element, or an item element without item,
// "Can not %s on none-item-object" with the function's name, and null.
ItemBase* ItemRecordOf(ScriptCall& call, WorldElem& elem, const char* function);

}  // namespace ScriptInventory
