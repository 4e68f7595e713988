// CreatureObj_SF: the value update, which makes the effective combat values and the modifiers
// from the base values, the equipment, the skills and the influences, and the creature's own
// damage values that follow from them.
#include "scifi/objects/CreatureObj_SF.h"

#include "game/objects/ItemBase.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "scifi/ctrl/SciFiRules.h"
#include "scifi/objects/DamageValues_SF.h"
#include "world/GameCtrlInterface.h"

#include <algorithm>

namespace {

// A maximum that changed: without shift the value is only cut to it; with shift the value moves
// by the change, between least and the new maximum.
float FollowMaximum(float value, float oldMax, float newMax, bool shift, float least)
{
    if (!shift)
        return std::min(value, newMax);
    return std::clamp(value + (newMax - oldMax), least, std::max(newMax, least));
}

}  // namespace

void CreatureObj_SF::UpdateValues(bool shift)
{
    const float oldMaxMana = m_Values.maxMana;
    const float oldMaxHealth = m_Values.maxHealth;
    const int32_t oldSkillSet = m_Modifiers.skillSet;
    m_Values = m_BaseValues;
    m_Modifiers = CreatureModifiers{};
    m_SkillBonuses.DeleteAll();

    // Equipment in the order body, head, weapon, then skills and item influences.
    for (int32_t type = kEquipmentTypes - 1; type >= 0; type--)
        if (auto* item = m_Equipment[type].GetCount() > 0 ? dynamic_cast<ItemBase*>(m_Equipment[type].GetItem(0))
                                                           : nullptr)
            ApplyEquippedItem(*item);
    auto* ctrl = dynamic_cast<SciFiGameCtrl*>(g_GameCtrl);
    if (ctrl)
        ctrl->ApplySkillEffects(*this);
    for (int32_t position = 0; position < m_Influences.GetSize(); position++) {
        const CreatureInfluence* influence = m_Influences.GetAt(position);
        if (influence && influence->type == kInfluenceItem && influence->params.GetItem())
            ApplyEquippedItem(*influence->params.GetItem());
    }

    for (float& factor : m_Modifiers.speed)
        factor = std::max(factor, kLeastSpeedFactor);
    if (m_Weakened) {
        const float weaken = g_SciFiRules.spellWeaken;
        m_Values.armour *= weaken;
        m_Values.defPhys[0] *= weaken;
        m_Values.defPhys[1] *= weaken;
    }

    if (m_Values.maxMana != oldMaxMana)
        m_Mana = FollowMaximum(m_Mana, oldMaxMana, m_Values.maxMana, shift, 0.0f);
    if (m_Values.maxHealth != oldMaxHealth)
        SetHealth(FollowMaximum(m_Health, oldMaxHealth, m_Values.maxHealth, shift, 1.0f));

    UpdateOwnDamageValues();
    if (m_Modifiers.skillSet != oldSkillSet && ctrl) {
        ctrl->AssignDefaultSkillButtons();
        ctrl->EndSkillSlotEffects(*this);
    }
}

void CreatureObj_SF::UpdateOwnDamageValues()
{
    auto* own = dynamic_cast<DamageValues_SF*>(GetDamageValues());
    if (!own)
        return;
    own->physical[0].SetValue(m_Values.damPhys[0]);
    own->physical[1].SetValue(m_Values.damPhys[1]);
    own->poison = m_Values.damPoison;
    own->poisonTime = m_Values.poisonTime;
    own->manaLeech = m_Values.manaLeech;
    own->healthLeech = m_Values.healthLeech;
    own->damage[0] = m_Values.blast;
    InfluenceParams weaken;
    if (IsInfluenced(kEffectWeaponWeaken, 0.0f, &weaken, false))
        own->weaken = weaken.x;
}
