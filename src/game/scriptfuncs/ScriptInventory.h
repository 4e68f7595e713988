// ScriptInventory: what the inventory and item built-ins of both name chains share: the
// player-character test, the item record of an item element with its report, and the object
// script variables kept across the scripts that making items runs. Making, moving,
// dropping and picking up items are the controller's own operations, called directly.
#pragma once
#include <cstdint>

class GameCtrl;
class ItemBase;
class ScriptCall;
class WorldElem;

namespace ScriptInventory {

// A creature that a player controls.
bool IsPlayerCharacter(WorldElem* elem);

// The item record of an item element; for any other element, or an item element without item,
// "Can not %s on none-item-object" with the function's name, and null.
ItemBase* ItemRecordOf(ScriptCall& call, WorldElem& elem, const char* function);

// The object script variables saved for the items' own scripts (and the treasure's) and given
// back on every way out, a failing item included.
class SavedObjVariables {
public:
    explicit SavedObjVariables(GameCtrl& ctrl);
    ~SavedObjVariables();
    SavedObjVariables(const SavedObjVariables&) = delete;
    SavedObjVariables& operator=(const SavedObjVariables&) = delete;

private:
    GameCtrl& m_Ctrl;
};

}  // namespace ScriptInventory
