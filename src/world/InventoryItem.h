// InventoryItem: what an inventory knows of the items it holds: the stack, the values its limits
// and grid read, and the operations it asks of an item (stacking equality, money, keys, the
// item's save record). The game's items (ItemBase and the game's own class) derive from it.
#pragma once
#include "base/SmartPtr.h"
#include "base/String.h"
#include "base/cfDynamicObject.h"
#include "base/cfLeaAllocator.h"
#include "world/TransformableAttribute.h"

#include <cstdint>

class DXC_Texture;
class File;

class InventoryItem : public SmartClass, public cfDynamicObject, public cfLeaAllocator {
public:
    static constexpr int32_t kNoGridCell = -100000;  // money and quest items placed in a grid

    InventoryItem() = default;
    InventoryItem(const InventoryItem&) = default;
    InventoryItem& operator=(const InventoryItem&) = default;
    ~InventoryItem() override = default;

    // Whether two stacks may be merged into one.
    virtual bool IsSameKind(const InventoryItem& other) const = 0;
    // Money per item of the stack; 0 for an item that is not money.
    virtual int32_t GetMoneyPerItem() const = 0;
    // Money per item times the stack count; above 0: the item is money.
    virtual int32_t GetMoneyValue() const = 0;
    virtual bool HasKeyAbility(int32_t keyID) const = 0;
    // The item's save record; the flag is passed on to the game's items.
    virtual void Save(File& stream, int32_t flag) = 0;
    // itemVersion -1: the stream's version decides which fields are present.
    virtual void Load(File& stream, int32_t itemVersion, int32_t extra) = 0;

    bool HasGridSize() const { return m_DimX >= 1 && m_DimY >= 1; }
    bool IsQuestItem() const { return m_QuestItem != 0; }

    int32_t m_Count = 1;  // items in this stack
    int32_t m_Pile = 1;   // largest stack
    TransformableAttribute m_Value{1.0f};  // trade value
    int32_t m_Uses = 0;   // -1 unlimited
    String m_Desc;        // the item's identifier in the item table
    float m_LoadValue[2] = {1.0f, 1.0f};  // what the item adds to an inventory's two load totals
    DXC_Texture* m_Picture = nullptr;     // the item table's picture of m_Desc; none: not in the table
    int32_t m_QuestItem = 0;              // 0 no, 1 quest item, 2 second quest kind
    int32_t m_GridPos = -1;               // cell index in the owner's grid
    int8_t m_DimX = 0;                    // cells covered in a grid; 0: takes no grid space
    int8_t m_DimY = 0;
    String m_BaseItem;                    // definition inherited from; "combine" stacks merge by it
    uint8_t m_Combine = 0;                // 1: stacks of this item merge their values
    uint8_t m_Blocked = 0;                // 1: not offered to its holder's use now

    // The state of the world element the item stands for (its world ID, script variables and
    // info text): the element hands it over when it is picked up and takes it back when the item
    // is dropped again (WorldElem::CopyStateWithLinked). Not part of the item's save record.
    static constexpr int32_t kScriptTemps = 8;
    String m_WorldID;
    float m_ScriptTemp[kScriptTemps] = {};
    String m_InfoText;
    uint8_t m_StateUnchanged = 1;  // cleared when the element changes a script variable or the text
};
