// GameCtrl pick-ups: the amount taken from a stack, what an inventory without room leaves in the
// world, pick-ups without a picker, and the main character's notice.
#include "game/ctrl/GameCtrl.h"

#include "base/LocalText.h"
#include "game/objects/CreatureObj.h"
#include "game/objects/ItemBase.h"
#include "game/objects/ItemObj.h"
#include "world/Inventory.h"
#include "world/WorldEventPayloads.h"

#include "support/SqliteFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class SoundCtrl : public GameCtrl {
public:
    void PlayWorldSound(const char* name) override { sounds.push_back(name); }
    std::vector<std::string> sounds;
};

class GameCtrlPickupTest : public ::testing::Test {
protected:
    // An item element holding a stack of count medkits.
    ItemObj* AddStack(int32_t count)
    {
        auto* element = new ItemObj;
        element->m_LinkedItem = Medkits(count);
        ctrl.GetWorld().AddObj(element, 0, false);
        return element;
    }
    static ItemBase* Medkits(int32_t count)
    {
        auto* item = new ItemBase;
        item->m_ItemName = "Medkit";
        item->m_Desc = "medkit";
        item->m_Pile = 100;
        item->m_Count = count;
        return item;
    }
    // A picker whose inventory has entries places.
    ItemObj* AddPicker(int32_t entries)
    {
        auto* picker = new ItemObj;
        picker->CreateInventory(entries);
        ctrl.GetWorld().AddObj(picker, 0, false);
        return picker;
    }
    void Pick(WorldElem* picker, WorldElem* element, int32_t amount, int32_t flag)
    {
        PickupRecord record;
        record.picker.Set(picker);
        record.item.Set(element);
        record.amount = amount;
        ctrl.ProcessPickupEvent(record, flag);
    }
    bool InWorld(const ObjRef& ref) { return ctrl.GetWorld().GetObjByIdentifier(ref) != nullptr; }
    static int32_t Units(WorldElem* holder)
    {
        int32_t units = 0;
        for (int32_t i = 0; i < holder->m_Inventory->GetCount(); ++i)
            units += holder->m_Inventory->GetItem(i)->m_Count;
        return units;
    }

    SoundCtrl ctrl;
};

}  // namespace

TEST_F(GameCtrlPickupTest, TakesWhatTheInventoryHoldsAndLeavesTheRest)
{
    const struct {
        int32_t stack;
        int32_t amount;
        int32_t flag;
        int32_t held;    // medkits the picker already holds (a stack of them, room up to 100)
        int32_t entries; // its inventory's places
        int32_t taken;
        bool stays;
    } cases[] = {
        {3, 0, 0, 0, 10, 3, false},   // 0: the whole stack
        {3, 5, 0, 0, 10, 3, false},   // more than the stack: the stack
        {3, 2, 0, 0, 10, 2, true},    // part of it: the rest stays
        {3, 0, 0, 98, 1, 2, true},    // room for 2 only: the third stays in the world
        {3, 0, 1, 98, 1, 2, true},    // the flag takes no more than there is room for
        {3, 0, 1, 100, 1, 0, true},   // a full inventory takes nothing
    };
    for (const auto& c : cases) {
        ItemObj* element = AddStack(c.stack);
        ItemObj* picker = AddPicker(c.entries);
        if (c.held > 0)
            picker->m_Inventory->AddItem(Medkits(c.held));
        ObjRef ref;
        ref.Set(element);
        ctrl.sounds.clear();
        Pick(picker, element, c.amount, c.flag);
        EXPECT_EQ(Units(picker), c.held + c.taken) << c.amount << " " << c.held;
        ASSERT_EQ(InWorld(ref), c.stays) << c.amount << " " << c.held;
        if (c.stays) {
            EXPECT_EQ(element->m_LinkedItem->m_Count, c.stack - c.taken);
        }
        EXPECT_EQ(ctrl.sounds, c.taken ? std::vector<std::string>{} : std::vector<std::string>{"GuiError"});
    }
}

TEST_F(GameCtrlPickupTest, WithoutPickerOrItem)
{
    const struct {
        int32_t amount;
        int32_t flag;
        int32_t left;  // 0: the element is gone
    } cases[] = {{2, 1, 1}, {0, 1, 0}, {2, 0, 3}};
    for (const auto& c : cases) {
        ItemObj* element = AddStack(3);
        ObjRef ref;
        ref.Set(element);
        Pick(nullptr, element, c.amount, c.flag);
        ASSERT_EQ(InWorld(ref), c.left > 0);
        if (c.left) {
            EXPECT_EQ(element->m_LinkedItem->m_Count, c.left);
        }
    }
    auto* empty = new ItemObj;  // carries no item
    ctrl.GetWorld().AddObj(empty, 0, false);
    ctrl.sounds.clear();
    Pick(AddPicker(10), empty, 1, 0);
    EXPECT_EQ(ctrl.sounds, std::vector<std::string>{"GuiError"});
}

TEST_F(GameCtrlPickupTest, MainCharacterNotice)
{
    TempDir dir;
    const std::string path = dir / "localisation.db";
    ASSERT_TRUE(WriteSqliteFile(path, "CREATE TABLE Gui (id TEXT, name TEXT, content TEXT);"
                                      "INSERT INTO Gui VALUES ('logmsg', 'pickedup', 'Picked up:');"));
    ASSERT_TRUE(LocalText::Get().Open(path.c_str()));

    auto* hero = new CreatureObj;
    hero->CreateInventory(10);
    ctrl.GetWorld().AddObj(hero, 0, false);
    ctrl.SetMainCharReference(hero);
    Pick(hero, AddStack(3), 2, 0);
    Pick(hero, AddStack(1), 0, 0);  // a single one shows no count
    LocalText::Get().Close();

    EXPECT_EQ(ctrl.sounds, (std::vector<std::string>{"ItemPickedUp", "ItemPickedUp"}));
    auto& log = ctrl.GetWorld().GetLogMessages();
    ASSERT_EQ(log.GetSize(), 2);
    EXPECT_EQ(String(log.GetAt(0)->text), "|Cada68dPicked up: |CdadadaMedkit (2)");
    EXPECT_EQ(String(log.GetAt(1)->text), "|Cada68dPicked up: |CdadadaMedkit");
    EXPECT_EQ(log.GetAt(0)->time, 8.0f);  // 4 s, which the world doubles for every log message
    EXPECT_EQ(Units(hero), 3);
}
