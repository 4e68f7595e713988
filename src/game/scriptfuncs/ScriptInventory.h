// ScriptInventory: what the inventory and item built-ins of both name chains share: the
// player-character test, the item record of an item element with its report, and the one place
// where they reach the controller's item operations (making an item by name, moving units between
// two inventories, dropping an item into the world, picking one up).
#pragma once
#include <cstdint>

class GameCtrl;
class Inventory;
class InventoryItem;
class ItemBase;
class ScriptCall;
class WorldElem;

namespace ScriptInventory {

// A creature that a player controls.
bool IsPlayerCharacter(WorldElem* elem);

// The item record of an item element; for any other element, or an item element without item,
// "Can not %s on none-item-object" with the function's name, and null.
ItemBase* ItemRecordOf(ScriptCall& call, WorldElem& elem, const char* function);

// A new item of that name, owned by the caller; null for a name no item entry has.
ItemBase* NewItem(GameCtrl& ctrl, const char* name);

// Moves units of the item from one inventory to the other, without a report on the screen;
// false when the target refused them.
bool MoveItem(GameCtrl& ctrl, InventoryItem* item, Inventory* from, Inventory* to, int32_t units);

// Lays the item (owned by the caller until then) into the world at the element; the new
// element's object ID, or -1 when none is known.
int32_t DropItem(GameCtrl& ctrl, InventoryItem* item, WorldElem* at);

// The item element's item into the picker's inventory; false when it was not taken.
bool PickUp(GameCtrl& ctrl, WorldElem& picker, WorldElem& item);

}  // namespace ScriptInventory
