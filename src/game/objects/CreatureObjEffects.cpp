// CreatureObj: the effect types of influences: their names as configuration files and scripts
// write them, their mask bits and the immunity bits that resist them, the mask of the active
// influences and the end of an influence's visuals.
#include "game/objects/CreatureObj.h"

#include <cstring>

namespace {

struct EffectTypeInfo {
    int32_t type;
    const char* name;
    uint32_t immunityBit;
};

// In the order the name lookup compares them. Type 3 (a hit while blocking) has no name.
constexpr EffectTypeInfo kEffectTypes[] = {
    {CreatureObj::kEffectItem, "item", 0},
    {CreatureObj::kEffectStun, "stun", 1},
    {CreatureObj::kEffectHit, "hit", 0},
    {CreatureObj::kEffectKnockDown, "knockdown", 2},
    {CreatureObj::kEffectInvisible, "invisible", 0},
    {CreatureObj::kEffectFreeze, "freeze", 4},
    {CreatureObj::kEffectSlow, "slow", 8},
    {CreatureObj::kEffectWeaponPoison, "weaponPoison", 0},
    {CreatureObj::kEffectWeaponWeaken, "weaponWeaken", 0},
    {CreatureObj::kEffectWeaken, "weaken", 16},
    {CreatureObj::kEffectInflame, "inflame", 32},
    {CreatureObj::kEffectForce, "force", 64},
    {CreatureObj::kEffectBlastKnockDown, "BlastKnockDown", 2},  // knock-downs share their bit
    {CreatureObj::kEffectMagicArmour1, "MagicArmour1", 0},
    {CreatureObj::kEffectMagicArmour2, "MagicArmour2", 0},
    {CreatureObj::kEffectMagicArmour3, "MagicArmour3", 0},
    {CreatureObj::kEffectPartyConvert, "PartyConvert", 128},
    {CreatureObj::kEffectShadowRun, "ShadowRun", 0},
    {CreatureObj::kEffectShield, "Shield", 0},
    {CreatureObj::kEffectComboReplace, "ComboReplace", 0},
};

const EffectTypeInfo* FindType(int32_t type)
{
    for (const EffectTypeInfo& info : kEffectTypes)
        if (info.type == type)
            return &info;
    return nullptr;
}

// The influences whose effect emitters end with them.
bool EndsEmitters(int32_t type)
{
    switch (type) {
    case CreatureObj::kEffectStun:
    case CreatureObj::kEffectWeaponPoison:
    case CreatureObj::kEffectInflame:
    case CreatureObj::kEffectWeaken:
    case CreatureObj::kEffectShadowRun:
    case CreatureObj::kEffectShield:
        return true;
    default:
        return false;
    }
}

constexpr float kEmitterEndDelay = 0.4f;

}  // namespace

int32_t CreatureObj::GetEffectTypeByName(const char* name)
{
    const String text(name ? name : "");
    for (const EffectTypeInfo& info : kEffectTypes)
        if (text.EqualsNoCase(info.name))
            return info.type;
    return kEffectNone;
}

String CreatureObj::GetEffectTypeName(int32_t type)
{
    if (type == kEffectNone)
        return String("none");
    const EffectTypeInfo* info = FindType(type);
    return String(info ? info->name : "unknown");
}

uint32_t CreatureObj::GetEffectTypeBit(int32_t type)
{
    return type >= 1 && type <= 32 ? 1u << (type - 1) : 0u;  // type 0 has no bit
}

uint32_t CreatureObj::GetEffectImmunityBit(int32_t type)
{
    const EffectTypeInfo* info = FindType(type);
    return info ? info->immunityBit : 0u;
}

uint32_t CreatureObj::GetActiveEffectMask()
{
    uint32_t mask = 0;
    for (int32_t position = 0; position < m_Influences.GetSize(); position++)
        mask |= GetEffectTypeBit(m_Influences.GetAt(position)->type);
    return mask;
}

void CreatureObj::EndInfluenceVisual(int32_t type)
{
    if (EndsEmitters(type)) {
        SetEmitterEndTime(type, kEmitterEndDelay);
        return;
    }
    if (type == kEffectInvisible && m_Opacity < 1.0f)
        m_FadeRate = s_InvisibleFadeInRate;
}
