// ItemHolderGui: the item holder window, in which a player takes an item out of an inventory:
// so far the item it holds and the creature whose inventory gave it.
#pragma once
#include "game/gui/GameGuiField.h"
#include "world/InventoryItem.h"

#include <cstdint>
#include <memory>

class ItemHolderGui : public GameGuiField {
public:
    explicit ItemHolderGui(bool createChildren = true) : GameGuiField("ItemHolderGui", createChildren) {}

    // The window owns the item from now on; one it held before is destroyed, as it shows one at
    // a time. owner is the creature the item came from, or none.
    void HoldItem(InventoryItem* item, WorldElem* owner, int32_t value)
    {
        m_Item.reset(item);
        SetCharacter(owner);
        m_Value = value;
    }
    InventoryItem* GetHeldItem() const { return m_Item.get(); }
    int32_t GetHeldValue() const { return m_Value; }

private:
    std::unique_ptr<InventoryItem> m_Item;
    int32_t m_Value = 0;
};
