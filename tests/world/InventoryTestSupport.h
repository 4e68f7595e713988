// InventoryTestSupport: what the inventory tests share: a small item record that stacks by desc
// and pile and saves the fields an inventory reads, an owner that counts the changes it is told
// of, and a controller that makes such items.
#pragma once
#include "base/File.h"
#include "base/FileRecordReader.h"
#include "level/LevelTestSupport.h"
#include "world/Inventory.h"
#include "world/InventoryItem.h"
#include "world/WorldElem.h"

#include <memory>

class TestItem : public InventoryItem {
public:
    static constexpr int32_t kPadding = int32_t(Inventory::kMinItemRecordBytes);  // a record's least size

    explicit TestItem(const char* desc = "thing", int32_t count = 1, int32_t pile = 1)
    {
        m_Desc = desc;
        m_Count = count;
        m_Pile = pile;
    }

    TestItem* CreateNew() const override { return new TestItem; }
    void CopyTo(cfDynamicObject* other) const override
    {
        if (TestItem* item = dynamic_cast<TestItem*>(other))
            *item = *this;
    }
    bool IsSameKind(const InventoryItem& other) const override
    {
        return other.m_Desc == m_Desc && other.m_Pile == m_Pile;
    }
    int32_t GetMoneyPerItem() const override { return moneyPerItem; }
    int32_t GetMoneyValue() const override { return moneyPerItem * m_Count; }
    bool HasKeyAbility(int32_t keyID) const override { return key >= 0 && key == keyID; }

    // desc, count, pile, quest, money per item, grid position, the flag; then padding.
    void Save(File& stream, int32_t flag) override
    {
        stream.WriteString(m_Desc);
        stream.WriteInt32(m_Count);
        stream.WriteInt32(m_Pile);
        stream.WriteInt32(m_QuestItem);
        stream.WriteInt32(moneyPerItem);
        stream.WriteInt32(m_GridPos);
        stream.WriteInt32(flag);
        const uint8_t padding[kPadding] = {};
        stream.Write(padding, sizeof padding);
    }
    void Load(File& stream, int32_t itemVersion, int32_t extra) override
    {
        FileRecordReader in(stream, "Test item cut short");
        in.Text(m_Desc);
        m_Count = in.I32();
        m_Pile = in.I32();
        m_QuestItem = in.I32();
        moneyPerItem = in.I32();
        m_GridPos = in.I32();
        savedFlag = in.I32();
        in.Skip(kPadding);
        loadedVersion = itemVersion;
        loadedExtra = extra;
        m_Picture = g_GameCtrl ? g_GameCtrl->GetItemPicture(m_Desc.c_str()) : nullptr;
    }

    int32_t moneyPerItem = 0;
    int32_t key = -1;
    int32_t savedFlag = 0;
    int32_t loadedVersion = 0;
    int32_t loadedExtra = 0;
};

// A quest item, a money stack and a grid item, as the tests build them.
inline TestItem* QuestItem(const char* desc = "letter")
{
    auto* item = new TestItem(desc);
    item->m_QuestItem = 1;
    return item;
}
inline TestItem* Money(int32_t count, int32_t perItem = 1)
{
    auto* item = new TestItem("gold", count, 1000);
    item->moneyPerItem = perItem;
    return item;
}
inline TestItem* GridItem(const char* desc, int8_t width, int8_t height)
{
    auto* item = new TestItem(desc);
    item->m_DimX = width;
    item->m_DimY = height;
    return item;
}

class CountingOwner : public WorldElem {
public:
    void OnInventoryChanged() override { changes++; }
    int32_t changes = 0;
};

// A controller whose item factory makes TestItems.
class ItemTestCtrl : public LevelTestCtrl {
public:
    ItemTestCtrl()
    {
        makeItem = [] { return new TestItem; };
    }
};
