// SciFiGameCtrl: the game's own keys of the engine's records: a creature's shields, leeches,
// dodge, recovery, blocking and armour in its stat block, its damage and defence values, and the
// sci-fi damage ranges of an attack part; and the treasure a world object is made with. A missing
// key leaves its field as it was. Also the skill of an area effect and what a skill does to a
// creature.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/String.h"
#include "scifi/objects/ActionAttack_SF.h"
#include "game/objects/AreaEffect.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "scifi/objects/DamageValues_SF.h"
#include "scifi/objects/EventObj_SF.h"
#include "world/ActionAttack.h"
#include "world/HitEffects.h"

namespace {

constexpr float kRadiansPerDegree = 0.017453292f;

}  // namespace

// "ShieldEnergyMax" and "armour" belong to the world-object entry of the creature; the others to
// the stat block's reader. The level's armour pair scales what the definition gives before an
// own "armour" of this entry replaces it.
void SciFiGameCtrl::ReadCreatureStatKeys(CreatureObj_SF& creature, ConfigFileReader& reader, int32_t entry,
                                         bool monsterLevel)
{
    ConfigFileReader& objects = GetWorldObjectReader();
    CreatureCombatValues& base = creature.m_BaseValues;
    objects.GetFloat("ShieldEnergyMax", base.maxShield, entry);
    reader.GetFloat("manaLeech", base.manaLeech, entry);
    reader.GetFloat("healthLeech", base.healthLeech, entry);
    if (reader.GetFloat("DodgeEnergy", base.maxDodge, entry) == ConfigFileReader::kFound)
        creature.m_DodgeEnergy = base.maxDodge;
    reader.GetFloat("DodgeRefill", base.dodgeRefill, entry);
    reader.GetFloat("ManaRecoverRel", base.manaRegenRel, entry);
    reader.GetFloat("ManaRecoverAbs", base.manaRegenAbs, entry);
    reader.GetFloat("HealthRecoverRel", base.healthRegenRel, entry);
    reader.GetFloat("HealthRecoverAbs", base.healthRegenAbs, entry);
    reader.GetFloat("ShieldRecoverRel", base.shieldRegenRel, entry);
    reader.GetFloat("ShieldRecoverAbs", base.shieldRegenAbs, entry);
    reader.GetFloat("BlockReduceRel", creature.m_Block[0], entry);
    reader.GetFloat("BlockReduceAbs", creature.m_Block[1], entry);
    float angle = 0.0f;
    if (reader.GetFloat("BlockAngle", angle, entry) == ConfigFileReader::kFound)
        creature.m_Block[2] = angle * kRadiansPerDegree;
    if (monsterLevel) {
        const float(&pair)[2] = GetLevelSettings().monsterArmour;
        base.armour = pair[0] * base.armour + pair[1];
        base.defPhys[0] *= pair[0];
        base.defPhys[1] *= pair[0];
    }
    objects.GetFloat("armour", base.armour, entry);
}

// Indexed keys come after the plain ones, so that they override them.
void SciFiGameCtrl::ReadCreatureKeys(ConfigFileReader& reader, int32_t entry, CreatureObj& creature)
{
    GameCtrl::ReadCreatureKeys(reader, entry, creature);
    auto* own = dynamic_cast<CreatureObj_SF*>(&creature);
    if (!own)
        return;
    CreatureCombatValues& base = own->m_BaseValues;
    float value = 0.0f;
    if (reader.GetFloat("defPhys", value, entry) == ConfigFileReader::kFound)
        base.defPhys[0] = base.defPhys[1] = value;
    reader.GetFloat("defPoison", base.defPoison, entry);
    for (int32_t i = 0; i < 2; ++i)
        reader.GetFloat("damPhys", base.damPhys[i], entry, i + 1);
    for (int32_t i = 0; i < 2; ++i)
        reader.GetFloat("defPhys", base.defPhys[i], entry, i + 1);
    reader.GetFloat("damPoison", base.damPoison, entry, 1);
    reader.GetFloat("damPoisonTime", base.poisonTime, entry, 1);
    reader.GetFloat("defPoison", base.defPoison, entry, 1);
    reader.GetFloat("manaLeech", base.manaLeech, entry);
    reader.GetFloat("healthLeech", base.healthLeech, entry);
    ProtectionValues_SF& relative = base.protection;
    if (reader.GetFloat("defPhysRel", value, entry) == ConfigFileReader::kFound)
        relative.physical[0] = relative.physical[1] = value;
    reader.GetFloat("defPoisonRel", relative.poison, entry);
    for (int32_t i = 0; i < 2; ++i)
        reader.GetFloat("defPhysRel", relative.physical[i], entry, i + 1);
    reader.GetFloat("defPoisonRel", relative.poison, entry, 1);
    own->UpdateDamageValues();
}

// The damage a shot, a spell or an area carries. A record made without a controller gets the
// game's set here; "inflame" is always stored, 0 and 0 when the entry has none.
void SciFiGameCtrl::ReadHitEffects(ConfigFileReader& reader, int32_t entry, HitEffects* effects)
{
    GameCtrl::ReadHitEffects(reader, entry, effects);
    if (!effects)
        return;
    if (!effects->damage)
        effects->damage.Renew();
    auto* values = dynamic_cast<DamageValues_SF*>(effects->damage.Get());
    if (!values)
        return;
    for (int32_t i = 0; i < 2; ++i) {
        String key;
        key.Format("damPhys%i", i + 1);
        FindAttributeFunction(reader, values->physical[i], key.c_str(), entry);
    }
    reader.GetFloat("damPoison", values->poison, entry, 1);
    reader.GetFloat("damPoisonTime", values->poisonTime, entry, 1);
    reader.GetFloat("weaken", values->weaken, entry);
    reader.GetFloat("manaLeech", values->manaLeech, entry);
    reader.GetFloat("healthLeech", values->healthLeech, entry);
    float inflame[2] = {0.0f, 0.0f};
    reader.GetFloatPair("inflame", inflame, entry);
    values->inflame[0] = inflame[0];
    values->inflame[1] = inflame[1];
}

// Every damage entry the action loader reads is the attack part it is loading, which the game
// makes as an ActionAttack_SF.
void SciFiGameCtrl::ReadDamageEntry(ConfigFileReader& reader, int32_t entry, DamageEntry* damage)
{
    GameCtrl::ReadDamageEntry(reader, entry, damage);
    auto* attack = damage ? dynamic_cast<ActionAttack_SF*>(static_cast<ActionAttack*>(damage)) : nullptr;
    if (!attack)
        return;
    for (int32_t i = 0; i < 2; ++i) {
        String key;
        key.Format("damPhys%i", i + 1);
        FindAttributeFunctionPair(reader, attack->damPhys[i], key.c_str(), entry);
    }
    reader.GetFloatPair("damPoison", attack->damPoison, entry);
    reader.GetFloatPair("damPoisonTime", attack->damPoisonTime, entry);
    reader.GetFloatPair("weaken", attack->weaken, entry);
    reader.GetFloatPair("manaLeech", attack->manaLeech, entry);
    reader.GetFloatPair("healthLeech", attack->healthLeech, entry);
    reader.GetFloat("BlastKnockDown", attack->blastKnockDown, entry);
    reader.GetFloatPair("inflame", attack->inflame, entry);
}

// The treasure a world object carries is drawn when it is made; a network client gets what its
// server drew. Single treasures are numbered from 1 without gaps after the plain key.
void SciFiGameCtrl::LoadWorldObjects(WorldElem& elem, int32_t entry, const WorldObjectCreateParams& params)
{
    GameCtrl::LoadWorldObjects(elem, entry, params);
    if (params.networkClient)
        return;
    ConfigFileReader& reader = GetWorldObjectReader();
    float gold[2] = {-1.0f, 0.0f};
    float pair[2] = {0.0f, 0.0f};
    if (reader.GetFloatPair("TreasureGold", pair, entry) == ConfigFileReader::kFound) {
        gold[0] = pair[0];
        gold[1] = pair[1];
    }
    int32_t itemList = 0;
    if (reader.GetInt("TreasureList", itemList, entry) == ConfigFileReader::kFound) {
        float size[2] = {0.5f, 0.5f};
        if (reader.GetFloatPair("TreasureSize", pair, entry) == ConfigFileReader::kFound) {
            size[0] = pair[0];
            size[1] = pair[1];
        }
        FillFromItemList(elem, itemList, size[0], size[1], gold[0], gold[1]);
    }
    const bool mightCurve = GetMonsterLevelMightFunct().GetNumKeys() > 0;
    for (int32_t index = -1; index <= kTreasureKeys; ++index) {
        if (index == 0)
            continue;
        float probability = 0.0f;
        float might = 0.0f;
        String list;
        if (!ReadTreasureKey(reader, entry, index, probability, list, might)) {
            if (index >= 1)
                break;
            continue;
        }
        if (!(probability > 0.0f) || list.IsEmpty())
            continue;
        if (mightCurve)
            might += GetMonsterLevelMight(float(elem.GetLevel()));
        DropTreasure(elem, probability, list.c_str(), might, gold[0], gold[1], true, -1, -1, -1.0f);
    }
}

void SciFiGameCtrl::ReadAreaEffect(ConfigFileReader& reader, int32_t entry, AreaEffect& effect)
{
    GameCtrl::ReadAreaEffect(reader, entry, effect);
    auto* event = dynamic_cast<EventObj_SF*>(effect.event);
    String name;
    if (!event || reader.GetString("skill", name, entry) != ConfigFileReader::kFound)
        return;
    SkillTreeEntry* skill = FindSkill(name);
    if (!skill) {
        Warning("Invalid skill specified (%s) in event obj", name.c_str());
        event->m_Skill = nullptr;
        return;
    }
    event->m_Skill = skill;
    if (reader.GetFloat("SkillRadius", event->m_SkillRadius, entry) != ConfigFileReader::kFound)
        event->m_SkillRadius = event->GetRadius();
}

void SciFiGameCtrl::ApplySkillEffect(CreatureObj_SF& creature, SkillTreeEntry& skill, WorldElem* source)
{
    creature.TakeSkillEffect(skill.item, source, kSkillEffectTime);
}
