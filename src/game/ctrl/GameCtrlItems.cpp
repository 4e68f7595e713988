// GameCtrl: the item, event object, creature, protection, attack and damage value factories, the
// key use, the use of objects and the main character's item use, the item entries' pictures, the
// scripts' inventory stores, and the engine's answers to what items and inventories ask of the
// controller (ability weights, added items, game functions, sounds).
#include "game/ctrl/GameCtrl.h"

#include "engine/gfx/DXC_Texture.h"
#include "game/ctrl/DamageValues_Default.h"
#include "game/objects/EventObj.h"
#include "game/objects/ItemObj.h"
#include "game/objects/KI_ActionData.h"
#include "game/objects/ai/InputCtrl.h"
#include "world/ActionAttack.h"
#include "world/Inventory.h"
#include "world/ProtectionValues.h"

#include <new>

ItemBase* GameCtrl::CreateItem() { return new ItemBase; }

// A picture stands for the item's entry: the server draws none, so its texture keeps only the
// picture's name, and an item whose "desc" the table does not know has no picture at all.
void GameCtrl::LoadItemImage(int32_t index)
{
    if (index < 0 || index >= m_ItemReader.GetNumEntries())
        Error("Invalid item index: %i", index);
    if (m_ItemImages.size() < size_t(m_ItemReader.GetNumEntries()))
        m_ItemImages.resize(size_t(m_ItemReader.GetNumEntries()));
    std::shared_ptr<DXC_Texture>& image = m_ItemImages[size_t(index)];
    if (image)
        return;
    image = std::make_shared<DXC_Texture>();
    if (size_t(index) < m_ItemTable.size() && m_ItemTable[size_t(index)])
        image->stageNames[0] = m_ItemTable[size_t(index)]->m_Img;
}

DXC_Texture* GameCtrl::GetItemImage(const char* id)
{
    const int32_t index = FindItemTypeIndex(id);
    if (index < 0)
        Error("Invalid itemID: '%s'", id ? id : "");
    LoadItemImage(index);
    return m_ItemImages[size_t(index)].get();
}

DXC_Texture* GameCtrl::GetItemPicture(const char* desc)
{
    return FindItemTypeIndex(desc) < 0 ? nullptr : GetItemImage(desc);
}

float GameCtrl::GetAbilityWeight(int32_t abilityType)
{
    (void)abilityType;
    return 1.0f;
}

void GameCtrl::OnItemAddedToInventory(Inventory* inventory, InventoryItem* item)
{
    (void)inventory;
    (void)item;
}

// The world's sound event goes to the game event list, which hands only its own kinds to the
// clients, so an item's sound on the server is heard nowhere.
void GameCtrl::PlayWorldSound(const char* name) { (void)name; }

DamageValues* GameCtrl::CreateDamageValues() { return new DamageValues_Default; }

EventObj* GameCtrl::CreateEventObj() { return new EventObj; }

// The engine's classes allocate through the program heap, whose operator new yields null when
// memory runs out; the attack entries use the nothrow form for the same answer.
CreatureObj* GameCtrl::CreateCreature() { return new CreatureObj; }

ProtectionValues* GameCtrl::CreateProtectionValues() { return new ProtectionValues; }

ActionAttack* GameCtrl::CreateActionAttack() { return new (std::nothrow) ActionAttack; }

bool GameCtrl::UseObject(WorldElem* object, int32_t a, int32_t b)
{
    if (!object || !object->OnUse(0, a, b))
        return false;
    OnObjectChanged(object);
    auto* item = object->m_TypeCode == ElemType::kItem ? dynamic_cast<ItemObj*>(object) : nullptr;
    KI_ActionData* task = item ? item->m_AIData : nullptr;
    if (!task || task->task == KI_ActionData::kTaskKeep)
        return true;
    if (task->task == KI_ActionData::kTaskNone)
        task->task = KI_ActionData::kTaskUsed;
    if (task->task != KI_ActionData::kTaskNoInventory)
        ShowInventory(object, 0, nullptr, nullptr);
    return true;
}

int32_t GameCtrl::ShowInventory(WorldElem* object, int32_t flag, const char* textA, const char* textB)
{
    (void)object;
    (void)flag;
    (void)textA;
    (void)textB;
    return -1;
}

void GameCtrl::UseItemByMainChar(InventoryItem* item, int32_t a)
{
    CreatureObj* hero = GetMainChar();
    InputCtrl* first = m_InputCtrls.GetSize() > 0 ? m_InputCtrls.GetAt(0) : nullptr;
    if (!hero || hero->IsDead() || (first && first->IsDisabled(false)) || !IsInputAllowed())
        return;
    hero->UseItem(item, a, 1);
}

void GameCtrl::SetInventoryStorage(Inventory* field, int32_t index)
{
    if (index < 0 || index >= kInventoryStores)
        Error("Invalid inventory storage index");
    if (!field) {
        m_InventoryStores[index].reset();
        return;
    }
    if (!m_InventoryStores[index])
        m_InventoryStores[index] = std::make_unique<Inventory>();
    m_InventoryStores[index]->CopyFrom(*field);
}

void GameCtrl::GetInventoryStorage(Inventory& field, int32_t index)
{
    if (index < 0 || index >= kInventoryStores)
        Error("Invalid inventory storage index");
    if (m_InventoryStores[index])
        field.CopyFrom(*m_InventoryStores[index]);
    else
        field.Clear(true);
}

void GameCtrl::UseKey(WorldElem* item, int32_t userID, int32_t key)
{
    (void)item;
    (void)userID;
    (void)key;
}

void GameCtrl::OnItemReceived(int32_t count, const wString& name)
{
    (void)count;
    (void)name;
}

void GameCtrl::OnGoldReceived(int32_t amount, int32_t flag)
{
    (void)amount;
    (void)flag;
}

bool GameCtrl::IsDialogActive(WorldElem* creature)
{
    (void)creature;
    return false;  // dialogues are the game's
}

void GameCtrl::ReportManaUse(WorldElem* creature, float cost)
{
    (void)creature;
    (void)cost;
}

void GameCtrl::ReportAttack(WorldElem* creature) { (void)creature; }
