// WorldElem: the inventory an element carries, its gold, dropping everything it carries, and the
// name shown for it.
#include "world/WorldElem.h"

#include "world/GameCtrlInterface.h"
#include "world/Inventory.h"
#include "world/InventoryItem.h"

#include <algorithm>
#include <climits>

namespace {

constexpr float kSpreadDropMinDistance = 30.0f;  // several items lie at least this far out
constexpr float kTwoPi = 6.2831855f;

}  // namespace

void WorldElem::CreateInventory(int32_t kind)
{
    delete m_Inventory;  // with its items
    m_Inventory = new Inventory;
    m_Inventory->SetMaxItems(kind);
    m_Inventory->SetOwner(this);
    if (IsCreature())
        m_Inventory->SetType(m_Party == 1 ? 1 : 2);
}

void WorldElem::CreateGridInventory(int32_t width, int32_t height)
{
    const int64_t cells = int64_t(width) * height;
    CreateInventory(int32_t(std::clamp<int64_t>(cells, INT32_MIN, INT32_MAX)));
    m_Inventory->SetGridSize(width, height);
}

int32_t WorldElem::GetInventoryType() const { return m_Inventory ? m_Inventory->GetMaxItems() : 0; }

int32_t WorldElem::GetGold() { return m_Inventory ? m_Inventory->GetMoney() : 0; }

int32_t WorldElem::AddGold(int32_t amount)
{
    if (!m_Inventory)
        return 0;  // callers test for an inventory first
    if (amount < 0) {
        m_Inventory->RemoveMoney(amount == INT32_MIN ? INT32_MAX : -amount);
        return 1;
    }
    const char* name = g_GameCtrl ? g_GameCtrl->GetSpecialName(0) : nullptr;
    int32_t added = 0;  // units this call put in, taken back when a stack is refused
    while (amount >= 1) {
        InventoryItem* type = g_GameCtrl ? g_GameCtrl->FindItemType(name) : nullptr;
        if (!type)
            GameCtrlInterface::ReportError("Gold coin item not found");
        auto* coins = static_cast<InventoryItem*>(type->CreateNew());
        if (!coins)
            return 0;
        type->CopyTo(coins);
        coins->m_Count = std::min(amount, std::max(type->m_Pile, 1));  // a stack below 1 still ends the loop
        amount -= coins->m_Count;
        const int32_t units = coins->m_Count;
        int32_t moved = 0;
        if (m_Inventory->AddItem(coins, &moved) < 0) {
            delete coins;
            added += moved;
            if (added > 0)
                m_Inventory->RemoveItemsByName(name, added, true);
            return 0;
        }
        added += units;
    }
    return 1;
}

void WorldElem::DropInventory(float distance, float angleOffset)
{
    if (!m_Inventory || m_Inventory->GetCount() == 0)
        return;
    float r = distance;
    if ((m_Solid || IsLyingItem()) && !m_IgnoreInQueries)
        r += GetBodyRadius();
    const int32_t n = m_Inventory->GetCount();
    float step = 0.0f;
    if (n > 1) {
        r = std::max(r, kSpreadDropMinDistance);
        step = kTwoPi / float(n);
    }
    float angle = 0.0f;
    while (m_Inventory->GetCount() > 0) {
        InventoryItem* item = m_Inventory->GetItem(0);
        m_Inventory->RemoveAt(m_Inventory->GetItemListID(0), false);
        if (item && g_GameCtrl)
            g_GameCtrl->DropItem(item, m_Inventory, this, r, angle + angleOffset, 0.5f);
        else
            delete item;
        angle += step;
    }
}

int32_t WorldElem::RemoveItemsByName(const char* name, int32_t count)
{
    if (!m_Inventory)
        return 0;
    const int32_t removed = m_Inventory->RemoveItemsByName(name, count, true);
    OnInventoryChanged();
    return removed;
}

InventoryItem* WorldElem::FindItemByName(const char* name, Inventory** container)
{
    if (container)
        *container = nullptr;
    if (!m_Inventory)
        return nullptr;
    const int32_t slot = m_Inventory->FindItemByName(name);
    InventoryItem* item = slot < 0 ? nullptr : m_Inventory->GetItemBySlot(slot);
    if (item && container)
        *container = m_Inventory;
    return item;
}

void WorldElem::ClearInventory(int32_t flag)
{
    (void)flag;
    if (m_Inventory)
        m_Inventory->Clear(true);
}

bool WorldElem::HasItem(const char* name) { return m_Inventory && m_Inventory->FindItemByName(name) >= 0; }

Inventory* WorldElem::PutIntoInventory(InventoryItem* item, int32_t count)
{
    (void)count;
    return m_Inventory && item && m_Inventory->AddItem(item) >= 0 ? m_Inventory : nullptr;
}

InventoryItem* WorldElem::HasKey(int32_t keyID) { return m_Inventory ? m_Inventory->HasKey(keyID) : nullptr; }

wString WorldElem::GetDisplayName()
{
    if (m_Name.IsEmpty() || !g_GameCtrl)
        return m_Name;
    wString text = m_Name;
    return g_GameCtrl->DBGetField(text, "Names", "content") ? text : m_Name;
}
