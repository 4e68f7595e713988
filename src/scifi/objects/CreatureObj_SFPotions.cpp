// CreatureObj_SF: the quick potion commands: the carried potion that best fits what the hero
// lacks is drunk through the controller's item use for the main character.
#include "scifi/objects/CreatureObj_SF.h"

#include "game/objects/ItemBase.h"
#include "scifi/ctrl/SciFiGameCtrl.h"

#include <algorithm>
#include <limits>

namespace {

constexpr float kDoNotNeedPotionTime = 1.0f;
constexpr float kShieldOnlyFill = 0.9999f;   // above it a mana potion fills the shield alone
constexpr float kShieldFractionFill = 0.5f;  // from it a relative potion counts against the shield

// What a potion gives for its kind: the absolute kinds hold their amount in the integer field,
// the relative kinds their fraction in the second value.
float PotionAmount(const ItemAbility& ability)
{
    return ability.type == ItemAbility::kHealthFillRel || ability.type == ItemAbility::kManaFillRel
               ? ability.value2
               : float(ability.subtype);
}

}  // namespace

ItemBase* CreatureObj_SF::FindBestPotion(int32_t type, float need) const
{
    ItemBase* covering = nullptr;
    ItemBase* largest = nullptr;
    float coveringAmount = std::numeric_limits<float>::max();
    float largestAmount = -std::numeric_limits<float>::max();
    for (int32_t i = 0; m_Inventory && i < m_Inventory->GetCount(); i++) {
        auto* item = dynamic_cast<ItemBase*>(m_Inventory->GetItem(i));
        if (!item || item->CountAbilities(type) != 1)
            continue;
        float amount = 0.0f;
        for (int32_t position = 0; position < item->GetAbilityCount(); position++)
            if (const ItemAbility* ability = item->GetAbility(position); ability && ability->type == type)
                amount = PotionAmount(*ability);
        if (amount >= need && amount < coveringAmount) {
            covering = item;
            coveringAmount = amount;
        }
        if (amount > largestAmount) {
            largest = item;
            largestAmount = amount;
        }
    }
    return covering ? covering : largest;
}

bool CreatureObj_SF::CarriesPotion(bool health) const
{
    for (int32_t i = 0; m_Inventory && i < m_Inventory->GetCount(); i++) {
        const auto* item = dynamic_cast<const ItemBase*>(m_Inventory->GetItem(i));
        if (item && (health ? item->IsHealthPotion() : item->IsManaPotion()))
            return true;
    }
    return false;
}

// The absolute potion first; the relative one only for what the first leaves missing, so that
// one press never drinks more than the hero lacks.
void CreatureObj_SF::UseQuickPotion(bool health, int32_t absoluteType, int32_t relativeType)
{
    auto* ctrl = dynamic_cast<SciFiGameCtrl*>(g_GameCtrl);
    if (!m_Inventory || !ctrl)
        return;
    float maximum = 0.0f;
    float need = GetPotionNeed(health, maximum);
    if (need <= 0.0f) {
        if (CarriesPotion(health))
            ctrl->ShowMessage(kDoNotNeedPotionTime, "DB:DoNotNeedPotion");
        return;
    }
    if (ItemBase* potion = FindBestPotion(absoluteType, need)) {
        ctrl->UseItemByMainChar(potion, 0);
        need = GetPotionNeed(health, maximum);
    }
    if (need > 0.0f && maximum > 0.0f)
        if (ItemBase* potion = FindBestPotion(relativeType, need / maximum))
            ctrl->UseItemByMainChar(potion, 0);
}

float CreatureObj_SF::GetPotionNeed(bool health, float& maximum) const
{
    if (health) {
        maximum = m_Values.maxHealth;
        return maximum - m_Health - m_HealthRefillLeft;
    }
    maximum = m_Values.maxMana;
    const float manaNeed = maximum - m_Mana - m_ManaRefillLeft;
    const float fill = m_Modifiers.fillShieldInsteadOfMana;
    if (!(fill > 0.0f))
        return manaNeed;
    const float shieldNeed = (m_Values.maxShield - m_ShieldEnergy - m_ShieldRefill) * fill;
    if (fill >= kShieldFractionFill)
        maximum = m_Values.maxShield;
    if (fill > kShieldOnlyFill)
        return shieldNeed;
    // A shared potion is worth drinking while either pool lacks something.
    return std::max(manaNeed, shieldNeed);
}

bool CreatureObj_SF::CanUseItem(InventoryItem* item)
{
    const auto* base = dynamic_cast<const ItemBase*>(item);
    if (base && base->IsManaPotion() && m_Modifiers.fillShieldInsteadOfMana > 0.0f && m_ShieldEnergy < m_Values.maxShield)
        return true;
    return CreatureObj::CanUseItem(item);
}

void CreatureObj_SF::UseHealthPotion() { UseQuickPotion(true, ItemAbility::kHealth, ItemAbility::kHealthFillRel); }

void CreatureObj_SF::UseManaPotion() { UseQuickPotion(false, ItemAbility::kMana, ItemAbility::kManaFillRel); }
