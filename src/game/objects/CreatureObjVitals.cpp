// CreatureObj: health and its reports, refills of health and mana spread over time, mana costs
// under unlimited mana, experience with its level-ups and the experience of a kill, potions and
// the use of an item, and the scaling of the damage that monsters deal.
#include "game/objects/CreatureObj.h"

#include "game/objects/ItemAbility.h"
#include "game/objects/ItemBase.h"
#include "world/ActionEntry.h"
#include "world/GameCtrlInterface.h"
#include "world/Inventory.h"
#include "world/WorldCtrl.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kReportedHealthChange = 0.5f;  // smaller changes are not sent to the clients
constexpr float kDoNotNeedPotionTime = 1.0f;

// Rounded to the nearest integer, halves away from zero.
double RoundHalfAway(double value) { return std::round(value); }

}  // namespace

bool CreatureObj::HasUnlimitedMana() { return IsMainCharacter() && g_GameCtrl && g_GameCtrl->IsNetworkGameServer(); }

void CreatureObj::SetHealth(float health)
{
    if (std::fabs(health - m_Health) > kReportedHealthChange && g_GameCtrl)
        g_GameCtrl->ReportHealth(this, health);
    m_Health = health;
}

void CreatureObj::RefillHealthToMax()
{
    const float maximum = float(int32_t(GetMaxHealth()));
    if (m_Health < maximum)
        SetHealth(maximum);
}

// A refill over no time at all is given at once, up to the maximum: the rate would be infinite.
void CreatureObj::RefillHealth(float amount, float seconds, bool add)
{
    if (!(seconds > 0.0f)) {
        if (amount > 0.0f && m_Health < GetMaxHealth())
            SetHealth(std::min(m_Health + amount, GetMaxHealth()));
        else if (amount < 0.0f)
            SetHealth(m_Health + amount);
        return;
    }
    if (add && m_HealthRefillLeft > 0.0f && m_HealthRefillRate > 0.0f) {
        m_HealthRefillRate += amount / seconds;
        m_HealthRefillLeft += amount;
        return;
    }
    QueueRefill(m_HealthRefillLeft, m_HealthRefillRate, amount, seconds);
}

void CreatureObj::QueueRefill(float& left, float& rate, float amount, float seconds)
{
    if (left > 0.0f && rate > 0.0f)
        rate = amount / (left / rate + seconds);
    else
        rate = amount / seconds;
    left += amount;
}

float CreatureObj::GetMana() { return HasUnlimitedMana() ? kUnlimitedMana : m_Mana; }

bool CreatureObj::HasManaForAction(const char* actionName)
{
    WorldCtrl* world = m_World ? m_World : (g_GameCtrl ? g_GameCtrl->GetGameWorld() : nullptr);
    ActionEntry* entry = world ? world->FindActionEntry(actionName, true) : nullptr;
    return entry && HasMana(float(entry->mana));
}

void CreatureObj::RefillManaToMax()
{
    const float maximum = float(int32_t(GetMaxMana()));
    if (m_Mana < maximum)
        m_Mana = maximum;
}

void CreatureObj::RefillMana(float amount, float seconds)
{
    if (!(seconds > 0.0f)) {  // at once, as a refill of health
        if (amount > 0.0f && m_Mana < GetMaxMana())
            m_Mana = std::min(m_Mana + amount, GetMaxMana());
        else if (amount < 0.0f)
            AddMana(amount);
        return;
    }
    QueueRefill(m_ManaRefillLeft, m_ManaRefillRate, amount, seconds);
}

void CreatureObj::SetExperience(float experience)
{
    m_Experience = experience;
    if (g_GameCtrl)
        m_Level = m_HighestLevel = g_GameCtrl->GetLevelForExperience(experience);
}

void CreatureObj::SetCharacterLevel(int32_t level)
{
    if (!g_GameCtrl) {
        m_Level = m_HighestLevel = level;
        return;
    }
    m_Experience = g_GameCtrl->GetExperienceForLevel(level);
    m_Level = m_HighestLevel = g_GameCtrl->GetLevelForExperience(m_Experience);
}

void CreatureObj::AddExperience(float amount, bool direct)
{
    if (WorldElem* receiver = m_ExperienceReceiver.Get()) {
        if (auto* creature = dynamic_cast<CreatureObj*>(receiver); creature && creature != this)
            creature->AddExperience(amount, direct);
        return;
    }
    if (!m_Dead)
        m_Experience += amount;
    if (!g_GameCtrl)
        return;
    if (IsMainCharacter() && g_GameCtrl->IsNetworkGameServer()) {
        // The client raises the level by the experience it reports back.
        g_GameCtrl->ReportExperienceGain(this, amount);
        return;
    }
    const int32_t level = g_GameCtrl->GetLevelForExperience(m_Experience);
    if (level <= m_HighestLevel)
        return;
    const int32_t gained = level - m_HighestLevel;
    m_PendingLevelUps += gained;
    m_HighestLevel = m_Level = level;
    SmartPtr<WorldElem> alive(this);
    OnLevelGain(gained);
    if (!alive.Get() || !IsMainCharacter())
        return;
    for (int32_t reached = level - gained + 1; reached <= level; reached++)
        g_GameCtrl->OnHeroLevelUp(reached);
}

void CreatureObj::GainLevel()
{
    const float next = g_GameCtrl ? g_GameCtrl->GetExperienceForLevel(m_Level + 1) : m_Experience;
    AddExperience(next - m_Experience, true);
}

void CreatureObj::GiveKillExperience(float amount, int32_t killerID, WorldElem* killer)
{
    if (!(amount > 0.0f) || !g_GameCtrl || g_GameCtrl->IsNetworkClient())
        return;
    WorldElem* receiver = nullptr;
    if (killerID == -2) {
        receiver = killer;
    } else if (killerID >= 0) {
        // An ID from a script or a save may name nothing any more: no one gets the experience.
        WorldCtrl* world = m_World ? m_World : g_GameCtrl->GetGameWorld();
        receiver = world ? world->GetObjNoCheck(killerID, false) : nullptr;
    }
    if (!receiver)
        return;
    if (killer && !GetCreatorOrSelf()->IsEnemyOf(killer->GetCreatorOrSelf(), false))
        return;
    const float factor = g_GameCtrl->GetDeltaLevelXPFactor(receiver->GetLevel(), GetLevel());
    if (m_NoExperience)
        return;
    if (auto* gainer = dynamic_cast<CreatureObj*>(receiver->GetCreatorOrSelf()))
        gainer->AddExperience(factor * amount, m_Creator.Get() == nullptr);
}

bool CreatureObj::CanUseItem(InventoryItem* item)
{
    const auto* base = dynamic_cast<const ItemBase*>(item);
    if (!base)
        return true;
    if (base->IsHealthPotion() && RoundHalfAway(m_Health) == RoundHalfAway(GetMaxHealth()))
        return false;
    if (base->IsManaPotion() && RoundHalfAway(GetMana()) == RoundHalfAway(GetMaxMana()))
        return false;
    return true;
}

int32_t CreatureObj::GetCarryLimit(InventoryItem& item) { return m_Inventory ? m_Inventory->GetAddableCount(item) : 0; }

// An ability's value is its amount (or factor) and its second value the seconds it takes.
void CreatureObj::ApplyPotion(InventoryItem* item)
{
    const auto* base = dynamic_cast<const ItemBase*>(item);
    if (!base)
        return;
    for (int32_t position = 0; position < base->GetAbilityCount(); position++) {
        const ItemAbility* ability = base->GetAbility(position);
        if (!ability)
            continue;
        switch (ability->type) {
        case ItemAbility::kHealth: RefillHealth(float(int32_t(ability->value)), ability->value2, false); break;
        case ItemAbility::kHealthFillRel: RefillHealth(GetMaxHealth() * ability->value, ability->value2, false); break;
        case ItemAbility::kMana: RefillMana(float(int32_t(ability->value)), ability->value2); break;
        case ItemAbility::kManaFillRel: RefillMana(GetMaxMana() * ability->value, ability->value2); break;
        default: break;
        }
    }
}

void CreatureObj::UseItem(Inventory* inventory, int32_t index)
{
    InventoryItem* item = inventory ? inventory->GetItem(index) : nullptr;
    if (!item || item->m_Uses == 0)
        return;
    SmartPtr<InventoryItem> itemRef(item);
    auto* base = dynamic_cast<ItemBase*>(item);
    if (base && !base->m_OnItemUse.IsEmpty() && g_GameCtrl && m_World) {
        WorldElem* owner = inventory->GetOwner();
        g_GameCtrl->SetActivator(owner ? owner->m_ObjID : -1, 1);
        SmartPtr<WorldElem> alive(this);
        m_World->RunScript(base->m_OnItemUse, this, 1, 1, "onItemUse", 1, 255);
        if (!alive.Get() || !itemRef.Get() || g_GameCtrl->GetAllowFlag() == 0)
            return;  // the script refused the use (or took the item away)
    }
    if (!CanUseItem(item)) {
        if (g_GameCtrl)
            g_GameCtrl->ShowMessage(kDoNotNeedPotionTime, "DB:DoNotNeedPotion");
        return;
    }
    ApplyPotion(item);
    if (base && IsMainCharacter() && !base->m_BookText.IsEmpty() && g_GameCtrl)
        g_GameCtrl->ShowBook(base->m_BookText.c_str());
    if (item->m_Uses > 0) {
        item->m_Uses--;
        if (base && !base->m_Snd.IsEmpty())
            PlaySound(base->m_Snd.c_str(), -1);
    }
    if (item->m_Uses != 0 || !base || !base->m_DestroyAfterUse)
        return;
    if (item->m_Count > 1) {
        item->m_Count--;
        item->m_Uses = 1;
        return;
    }
    const int32_t slot = inventory->FindItem(item);
    if (slot >= 0)
        inventory->RemoveAt(slot, true);
}

bool CreatureObj::UseItem(InventoryItem* item, int32_t a, int32_t flag)
{
    (void)a;
    (void)flag;
    const int32_t index = item && m_Inventory ? m_Inventory->FindItem(item) : -1;
    if (index < 0)
        return false;
    UseItem(m_Inventory, index);
    return true;
}

void CreatureObj::ApplyMonsterDamageScaling(float& value)
{
    const int32_t party = GetParty();
    if (!(party == 0 || party == -1 || party >= 100) || !g_GameCtrl)
        return;
    float factor = 1.0f;
    float offset = 0.0f;
    g_GameCtrl->GetMonsterDamageScaling(factor, offset);
    value = value * factor + offset;
}
