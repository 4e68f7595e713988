// ItemInfoGui: an item information box: the item it describes, whether that item lies unowned
// in the world, and the item it is compared with; so far a closed field that draws nothing.
#pragma once
#include "base/SmartPtr.h"
#include "game/gui/GameGuiField.h"
#include "game/objects/ItemBase.h"

class ItemInfoGui : public GameGuiField {
public:
    explicit ItemInfoGui(bool createChildren = true) : GameGuiField("ItemInfoGui", createChildren) {}

    void SetItem(ItemBase* item, bool unowned, ItemBase* compareWith)
    {
        m_Item = item;
        m_Unowned = unowned;
        m_CompareWith = compareWith;
    }
    ItemBase* GetItem() const { return m_Item.Get(); }
    bool IsUnowned() const { return m_Unowned; }
    ItemBase* GetCompareItem() const { return m_CompareWith.Get(); }

private:
    SmartPtr<ItemBase> m_Item;
    bool m_Unowned = false;
    SmartPtr<ItemBase> m_CompareWith;
};
