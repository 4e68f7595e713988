// ItemDragRecord: the record that the game's windows attach to the mouse cursor while the player
// drags an item out of an inventory (the GUI manager's drag object named "EquipmentItem"). The
// world reads it to cancel a drag whose inventory is deleted with its element.
#pragma once

class Inventory;
class ItemBase;

struct ItemDragRecord {
    static constexpr const char* kDragName = "EquipmentItem";

    Inventory* inventory = nullptr;  // where the item was taken from
    ItemBase* item = nullptr;        // the dragged item
};
