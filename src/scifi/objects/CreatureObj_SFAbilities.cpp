// CreatureObj_SF: what an item's abilities do to the creature: a used item (potion, injection,
// permanent upgrade) onto the base values and the refills, and an equipped item onto the
// effective values and the modifiers, in two passes, during the value update.
#include "scifi/objects/CreatureObj_SF.h"

#include "base/GameOptions.h"
#include "game/objects/ItemBase.h"
#include "scifi/ctrl/SciFiRules.h"
#include "world/WorldCtrl.h"

#include <algorithm>
#include <cmath>

namespace {

// Ability types of the game's items beyond the engine's (ItemAbility).
enum AbilityType : int32_t {
    kDamage = 1,
    kPoison = 3,
    kDefence = 4,
    kPoisonDefence = 6,
    kArmour = 15,
    kManaLeech = 27,
    kHealthLeech = 28,
    kBlast = 29,
    kDamageDealt = 101,
    kShieldRefill = 102,
    kMaxShield = 103,
    kShieldRegenRel = 104,
    kShieldRegenAbs = 105,
    kManaShield = 106,
    kReflect = 108,
    kManaCost = 109,
    kProtection = 110,
    kMaxManaFactor = 111,
    kDodgeRefill = 112,
    kMaxDodge = 113,
    kSkillSet = 114,
    kFillShield = 115,
    kShieldInAction = 116,
    kFurther = 117,
    kSkillBonus = 118,
};

// The ability's entry (its integer field) as an index of a pair; -1 outside.
int32_t Entry(const ItemAbility& ability) { return ability.subtype == 0 || ability.subtype == 1 ? ability.subtype : -1; }

// An ability of an equipped item that shows as 0 in display units does nothing.
bool IsShownAsZero(const ItemAbility& ability)
{
    switch (ability.type) {
    case kDamage: case kPoison: case kDefence: case kPoisonDefence: case ItemAbility::kHealth:
    case ItemAbility::kMana: case kArmour: case ItemAbility::kHitPoints: case ItemAbility::kManaMax:
    case ItemAbility::kManaRecoverAbs: case ItemAbility::kHealthRecoverAbs:
        return std::round(ability.value * g_Options.attributeDisplayFactor) == 0.0f;
    default: return false;
    }
}

// v rounded to display units (v itself without a display factor).
float Displayed(float v)
{
    const float display = g_Options.attributeDisplayFactor;
    return display != 0.0f ? std::round(v * display) / display : v;
}

int32_t RoundedInt(float v) { return int32_t(std::round(v)); }

}  // namespace

void CreatureObj_SF::ApplyPotion(InventoryItem* item)
{
    if (const auto* base = dynamic_cast<const ItemBase*>(item))
        ApplyItemAbilities(*base);
}

// Items hold amounts in their integer field and refill times in their value: "health = 50, 5"
// refills 50 over 5 s; the relative refills hold their fraction in the second value.
void CreatureObj_SF::ApplyItemAbilities(const ItemBase& item)
{
    bool baseChanged = false;
    const float fill = m_Modifiers.fillShieldInsteadOfMana;
    for (int32_t position = 0; position < item.GetAbilityCount(); position++) {
        const ItemAbility* ability = item.GetAbility(position);
        if (!ability)
            continue;
        const float v = ability->value;
        const int32_t entry = Entry(*ability);
        const float amount = float(ability->subtype);
        const float time = ability->value;
        const float fraction = ability->value2;
        CreatureCombatValues& base = m_BaseValues;
        switch (ability->type) {
        case kDamage:
            if (entry >= 0)
                base.damPhys[entry] += v;
            break;
        case kPoison: (entry == 1 ? base.poisonTime : base.damPoison) += v; break;
        case kDefence:
            for (int32_t i = 0; i < 2; i++)
                if (ability->subtype < 0 || i == ability->subtype)
                    base.defPhys[i] += v;
            break;
        case kPoisonDefence:
            base.defPoison += v;
            if (ability->subtype < 0)
                base.poisonTime += v;
            break;
        case ItemAbility::kHealth: RefillHealth(amount, time, false); break;
        case ItemAbility::kMana: RefillManaOrShield(amount, amount, time, fill); break;
        case kArmour: base.armour += v * (m_World ? m_World->GetGameRandom().NextFloat() : 1.0f); break;
        case ItemAbility::kHitPoints: base.maxHealth += v; break;
        case ItemAbility::kManaMax: base.maxMana += v; break;
        case ItemAbility::kHealthFillRel: RefillHealth(m_Values.maxHealth * fraction, time, false); break;
        case ItemAbility::kManaFillRel:
            RefillManaOrShield(m_Values.maxMana * fraction, m_Values.maxShield * fraction, time, fill);
            break;
        case kShieldRefill: RefillShield(amount, time); break;
        default: continue;
        }
        const int32_t type = ability->type;
        baseChanged |= type == kDamage || type == kPoison || type == kDefence || type == kPoisonDefence ||
                       type == kArmour || type == ItemAbility::kHitPoints || type == ItemAbility::kManaMax;
    }
    if (baseChanged)
        UpdateValues(false);
}

// A mana refill that the creature's equipment turns (a share f of it) into shield energy.
void CreatureObj_SF::RefillManaOrShield(float mana, float shield, float time, float fill)
{
    if (!(fill > 0.0f)) {
        RefillMana(mana, time);
        return;
    }
    RefillShield(shield * fill, time);
    if (fill < 1.0f)
        RefillMana((1.0f - fill) * mana, time);
}

void CreatureObj_SF::ApplyEquippedItem(const ItemBase& item)
{
    for (int32_t pass = 0; pass < 2; pass++)
        for (int32_t position = 0; position < item.GetAbilityCount(); position++) {
            const ItemAbility* ability = item.GetAbility(position);
            if (ability && !IsShownAsZero(*ability))
                ApplyEquippedAbility(*ability, pass);
        }
}

// The first pass gives the factors that the second pass's amounts are multiplied by.
void CreatureObj_SF::ApplyEquippedAbility(const ItemAbility& ability, int32_t pass)
{
    const float v = ability.value;
    const int32_t entry = Entry(ability);
    CreatureCombatValues& values = m_Values;
    CreatureModifiers& mods = m_Modifiers;
    if (pass == 0) {
        if (ability.type == kMaxManaFactor)
            values.maxMana *= v;
        else if (ability.type == kFurther && entry >= 0)
            mods.further[entry] += v - 1.0f;
        return;
    }
    switch (ability.type) {
    case kDamage:
        if (entry >= 0)
            values.damPhys[entry] += v * mods.further[entry];
        break;
    case kPoison:
        if (ability.subtype <= 0)
            CombinePoison(values.damPoison, values.poisonTime, v, g_SciFiRules.defaultPoisonTime);
        break;
    case kDefence:
        for (int32_t i = 0; i < 2; i++)
            if (ability.subtype < 0 || i == ability.subtype)
                values.defPhys[i] += Displayed(v);
        break;
    case kPoisonDefence: values.defPoison += Displayed(v); break;
    case kArmour: values.armour += v; break;  // the whole share: equipment does not change by chance
    case ItemAbility::kHitPoints: values.maxHealth += Displayed(v); break;
    case ItemAbility::kManaMax: values.maxMana += Displayed(v); break;
    case ItemAbility::kMoveSpeed: mods.speed[0] += v - 1.0f; break;
    case ItemAbility::kCombatSpeed: mods.speed[1] += v - 1.0f; break;
    case kManaLeech: values.manaLeech += v; break;
    case kHealthLeech: values.healthLeech += v; break;
    case kBlast: values.blast += v; break;
    case ItemAbility::kManaRecoverAbs: values.manaRegenAbs += Displayed(v); break;
    case ItemAbility::kHealthRecoverAbs: values.healthRegenAbs += Displayed(v); break;
    case ItemAbility::kManaRecoverRel: values.manaRegenRel += v; break;
    case ItemAbility::kHealthRecoverRel: values.healthRegenRel += v; break;
    case kDamageDealt:
        if (entry >= 0)
            mods.damageDealt[entry] += v - 1.0f;
        break;
    case kMaxShield: values.maxShield += Displayed(v); break;
    case kShieldRegenRel: values.shieldRegenRel += v; break;
    case kShieldRegenAbs: values.shieldRegenAbs += Displayed(v); break;
    case kManaShield: mods.manaShield += v; break;
    case kReflect:
        if (entry >= 0)
            mods.reflect[entry] += v;
        break;
    case kManaCost: mods.manaCostMultiplier *= v; break;
    case kProtection:
        if (entry >= 0)
            values.protection.physical[entry] *= v;
        else if (ability.subtype == 2)
            values.protection.poison *= v;
        break;
    case kDodgeRefill: values.dodgeRefill *= v; break;
    case kMaxDodge: values.maxDodge += v; break;
    case kSkillSet: mods.skillSet += RoundedInt(v); break;
    case kFillShield: mods.fillShieldInsteadOfMana = v; break;
    case kShieldInAction: mods.shieldRegenInAction = std::min(v + mods.shieldRegenInAction, 1.0f); break;
    case kSkillBonus: AddSkillBonus(ability.subtype, RoundedInt(v)); break;
    default: break;  // 25 and 26 are the engine's body textures and meshes here
    }
}

// A second bonus for a skill adds to its entry, so that a reader finds one bonus per skill.
void CreatureObj_SF::AddSkillBonus(int32_t skill, int32_t bonus)
{
    for (int32_t position = 0; position < m_SkillBonuses.GetSize(); position++)
        if (SkillBonus* entry = m_SkillBonuses.GetAt(position); entry && entry->skill == skill) {
            entry->bonus += bonus;
            return;
        }
    SkillBonus* added = m_SkillBonuses.GetBySlot(m_SkillBonuses.Add());
    added->skill = skill;
    added->bonus = bonus;
}

int32_t CreatureObj_SF::GetSkillUpgrades(int32_t skill)
{
    for (int32_t position = 0; position < m_SkillBonuses.GetSize(); position++)
        if (const SkillBonus* entry = m_SkillBonuses.GetAt(position); entry && entry->skill == skill)
            return entry->bonus;
    return 0;
}

// The skill's item rides on an item influence, which the value update applies as it applies
// equipment, and which ends by itself when the skill stops reaching the creature.
void CreatureObj_SF::TakeSkillEffect(ItemBase& skillItem, WorldElem* source, float seconds)
{
    for (int32_t position = 0; position < m_Influences.GetSize(); position++) {
        CreatureInfluence* influence = m_Influences.GetAt(position);
        if (influence && influence->type == kInfluenceItem && influence->params.item == &skillItem) {
            influence->params.y = std::max(influence->params.y, seconds);
            return;
        }
    }
    InfluenceParams params(1.0f, seconds, source);
    params.item = &skillItem;
    AddInfluence(kInfluenceItem, params);
    UpdateValues(false);
}

void CreatureObj_SF::UpdateInfluences(float dt)
{
    const auto itemInfluences = [this] {
        int32_t count = 0;
        for (int32_t position = 0; position < m_Influences.GetSize(); position++)
            if (const CreatureInfluence* influence = m_Influences.GetAt(position);
                influence && influence->type == kInfluenceItem)
                count++;
        return count;
    };
    const int32_t before = itemInfluences();
    CreatureObj::UpdateInfluences(dt);
    if (itemInfluences() != before)
        UpdateValues(false);
}
