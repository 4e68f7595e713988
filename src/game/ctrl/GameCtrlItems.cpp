// GameCtrl: the item, event object and damage value factories, the key use, the item entries'
// pictures, and the engine's answers to what items and inventories ask of the controller (ability
// weights, added items, game functions, sounds).
#include "game/ctrl/GameCtrl.h"

#include "engine/gfx/DXC_Texture.h"
#include "game/ctrl/DamageValues_Default.h"
#include "game/objects/EventObj.h"

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

// Game functions come from "cfg/functions.cfg"; the engine controller reads none, and an unknown
// name leaves the value as it is.
float GameCtrl::ApplyGameFunction(float value, const char* name, WorldElem* element)
{
    (void)name;
    (void)element;
    return value;
}

float GameCtrl::ApplyGameFunctionFor(float value, const char* name, const float* parameter)
{
    (void)name;
    (void)parameter;
    return value;
}

DamageValues* GameCtrl::CreateDamageValues() { return new DamageValues_Default; }

EventObj* GameCtrl::CreateEventObj() { return new EventObj; }

void GameCtrl::UseKey(WorldElem* item, int32_t userID, int32_t key)
{
    (void)item;
    (void)userID;
    (void)key;
}
