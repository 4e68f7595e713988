// GameCtrl: the engine's answers to the world's element events, damage and shots: the special
// names, dropped items, item slot uses, the current damage of a script event, the shot notice,
// the projectile factory and the level's scaling of monster damage.
#include "game/ctrl/GameCtrl.h"

#include "game/objects/Projectile.h"
#include "world/Inventory.h"
#include "world/ProjectileBase.h"

const char* GameCtrl::GetSpecialName(int32_t index)
{
    if (index == 0)
        return m_Settings.goldCoinsItemID.c_str();
    if (index >= 1 && index <= GameSettings::kSpecialMarks)
        return m_Settings.specialMarks[index - 1].c_str();
    return nullptr;
}

// An item that leaves an inventory (a death, a full inventory) becomes an item element next to the
// element, so that no unit is lost; the element holds its own copy.
int32_t GameCtrl::DropItem(InventoryItem* item, Inventory* inventory, WorldElem* elem, float distance, float angle,
                           float spread)
{
    (void)inventory;
    (void)spread;
    ItemBase* record = dynamic_cast<ItemBase*>(item);
    WorldElem* placed = record && elem ? NewDroppedItemElement(*record, *elem) : nullptr;
    int32_t id = -1;
    if (placed) {
        LayDroppedItem(*placed, *record, *elem, distance, angle);
        id = placed->m_ObjID;
    } else if (item) {
        Warning("Dropped item '%s' has no object to lie in the world", item->m_Desc.c_str());
    }
    delete item;
    return id;
}

void GameCtrl::UseItemSlot(WorldElem* user, int32_t slot, VSD_WallIntern* wall, int32_t flag, int32_t userID)
{
    (void)user;
    (void)slot;
    (void)wall;
    (void)flag;
    (void)userID;
}

void GameCtrl::SetCurrentDamage(DamageValues* damage)
{
    m_CurrentDamage.Set(damage ? damage->Clone() : nullptr);
}

void GameCtrl::SetCurrentDamageNone() { m_CurrentDamage.Set(nullptr); }

void GameCtrl::OnShot(WorldElem* shooter, ActionShot* shot, const D3DXVECTOR2* direction)
{
    (void)shooter;
    (void)shot;
    (void)direction;
}

ProjectileBase* GameCtrl::CreateProjectile() { return new Projectile; }

void GameCtrl::GetMonsterDamageScaling(float& factor, float& offset)
{
    factor = m_LevelSettings.monsterDamage[0];
    offset = m_LevelSettings.monsterDamage[1];
}

InventoryItem* GameCtrl::FindItemType(const char* name) { return FindItem(name, false); }

void GameCtrl::SetScriptContext(int32_t otherID, int32_t argument)
{
    m_ScriptContext[0] = otherID;
    m_ScriptContext[1] = argument;
}

void GameCtrl::SetShotHit(int32_t objID, int32_t kind)
{
    m_ShotResult[1] = objID;
    m_ShotResult[2] = kind;
}

bool GameCtrl::IsGameRunning() { return false; }

void GameCtrl::SetActivator(int32_t objID, int32_t allow)
{
    m_ActivatorID = objID;
    m_AllowFlag = allow;
}
