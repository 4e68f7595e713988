// SciFiGameCtrl: the factories of the game's damage values, protection values, attack parts,
// items and creatures, the creature's maxima from its stat block, and the damage of the attack in
// progress.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "scifi/objects/ActionAttack_SF.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "scifi/objects/EventObj_SF.h"
#include "scifi/objects/Item_SF.h"
#include "scifi/objects/DamageValues_SF.h"
#include "scifi/objects/ProtectionValues_SF.h"
#include "world/DamageValuesImage.h"

DamageValues* SciFiGameCtrl::CreateDamageValues() { return new DamageValues_SF; }

ProtectionValues* SciFiGameCtrl::CreateProtectionValues() { return new ProtectionValues_SF; }

ActionAttack* SciFiGameCtrl::CreateActionAttack() { return new (std::nothrow) ActionAttack_SF; }

ItemBase* SciFiGameCtrl::CreateItem() { return new Item_SF; }

CreatureObj* SciFiGameCtrl::CreateCreature() { return new CreatureObj_SF; }

EventObj* SciFiGameCtrl::CreateEventObj() { return new EventObj_SF; }

// The engine's hit points and mana are the maxima; the game's own keys of the block follow.
void SciFiGameCtrl::LoadCreatureStats(CreatureObj& creature, ConfigFileReader& reader, int32_t entry,
                                      bool monsterLevel, bool complete, bool skipAppearance)
{
    GameCtrl::LoadCreatureStats(creature, reader, entry, monsterLevel, complete, skipAppearance);
    auto* own = dynamic_cast<CreatureObj_SF*>(&creature);
    if (!own)
        return;
    own->m_BaseValues.maxHealth = creature.m_Stats.maxHitPoints;
    if (creature.m_Stats.maxMana > 0.0f)
        own->m_BaseValues.maxMana = creature.m_Stats.maxMana;
    ReadCreatureStatKeys(*own, reader, entry, monsterLevel);
    own->UpdateValues(false);
}

// Any set gives its image: the engine's own sets carry no physical amounts and no poison.
void SciFiGameCtrl::SetCurrentDamage(DamageValues* damage)
{
    GameCtrl::SetCurrentDamage(damage);
    DamageValuesImage image;
    image.enabled = 0;
    if (damage)
        damage->FillImage(image);
    m_CurrentAttackDamage[0] = image.physical[0];
    m_CurrentAttackDamage[1] = image.physical[1];
    m_CurrentAttackValue = image.rulesValues[0];  // the poison
}

void SciFiGameCtrl::SetCurrentDamageNone()
{
    GameCtrl::SetCurrentDamageNone();
    ClearAttackDamageValues();
}

void SciFiGameCtrl::ClearAttackDamageValues()
{
    m_CurrentAttackDamage[0] = 0.0f;
    m_CurrentAttackDamage[1] = 0.0f;
    m_CurrentAttackValue = 0.0f;
}

void SciFiGameCtrl::TransformAttackDamage(DamageValuesHolder& target, const ActionAttack& attack, WorldElem* creature)
{
    auto* values = dynamic_cast<DamageValues_SF*>(target.Get());
    const auto* own = dynamic_cast<const ActionAttack_SF*>(&attack);
    if (!values || !own)
        return;
    for (int32_t i = 0; i < 2; i++)
        values->SetPhysical(i, own->damPhys[i].attributes[1].GetValue(creature));
}
