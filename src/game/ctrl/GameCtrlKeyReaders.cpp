// GameCtrl: the key readers that the game data loaders share, each filling one record from one
// entry: network synchronisation, illumination, area effects, hit effects, damage entries, shot
// repetition and treasures; and the light brightness scaling of the light type loader.
#include "game/ctrl/GameCtrl.h"

#include "base/Color.h"
#include "game/ctrl/ShotRepeat.h"
#include "game/objects/AreaEffect.h"
#include "level/IlluminationData.h"
#include "world/ActionEntryBase.h"
#include "world/DamageEntry.h"
#include "world/HitEffects.h"

#include <cmath>

namespace {

constexpr float kDegreesToRadians = 0.017453292f;

// The number truncated toward zero to an integer of T's width; a value beyond 32 bits is left out.
template <typename T> void ReadTruncated(ConfigFileReader& reader, const char* key, T& value, int32_t entry)
{
    double number = 0.0;
    if (reader.GetDouble(key, number, entry) == ConfigFileReader::kFound && std::fabs(number) < 2147483648.0)
        value = T(int32_t(number));
}

}  // namespace

// A flag: the number taken to the nearest integer (halves away from zero), 1 when not 0.
void GameCtrl::ReadFlagKey(ConfigFileReader& reader, const char* key, uint8_t& flag, int32_t entry)
{
    bool value = false;
    if (reader.GetRoundedInt(key, value, entry) == ConfigFileReader::kFound)
        flag = value ? 1 : 0;
}

// A float in degrees, stored in radians.
void GameCtrl::ReadAngleKey(ConfigFileReader& reader, const char* key, float& radians, int32_t entry)
{
    float degrees = 0.0f;
    if (reader.GetFloat(key, degrees, entry) == ConfigFileReader::kFound)
        radians = degrees * kDegreesToRadians;
}

void GameCtrl::ReadByteKey(ConfigFileReader& reader, const char* key, uint8_t& value, int32_t entry)
{
    ReadTruncated(reader, key, value, entry);
}

void GameCtrl::ReadShortKey(ConfigFileReader& reader, const char* key, int16_t& value, int32_t entry)
{
    ReadTruncated(reader, key, value, entry);
}

void GameCtrl::ReadNetSync(ConfigFileReader& reader, uint8_t& netSync, int32_t entry)
{
    ReadByteKey(reader, "NetSync", netSync, entry);
}

void GameCtrl::ReadIllumination(ConfigFileReader& reader, IlluminationData& illumination, int32_t entry)
{
    reader.GetLong("ConstantIllum", illumination.constantIllum, entry);
    ReadFlagKey(reader, "FixIllum", illumination.fixedIllum, entry);
    float rgb[3];
    if (reader.GetVector3("IllumCol", rgb, entry) == ConfigFileReader::kFound) {
        illumination.colour = Color::FromFloats(rgb[0], rgb[1], rgb[2]);
        illumination.fixedIllum = 1;  // a colour of its own is a fixed illumination, whatever "FixIllum" says
    }
    reader.GetVector3("IllumDir", illumination.direction, entry);
    float ambient = 0.0f;
    if (reader.GetFloat("AmbiIllum", ambient, entry) == ConfigFileReader::kFound)
        illumination.ambient = Color::ChannelFromFloat(ambient);
    reader.GetString("NotIllumBy", illumination.notIllumBy, entry);
}

bool GameCtrl::ScaleLightBrightness(ElemLightValues& light, bool isCreature)
{
    const float factor = isCreature ? m_LightBrightness * m_CreatureLightFactor : m_LightBrightness;
    for (int32_t i = 0; i < 3; ++i) {
        light.colour1[i] *= factor;
        light.colour2[i] *= factor;
        light.values[i] *= factor;
    }
    return isCreature;
}

// The reader is the world-object file: area effects belong to world object types.
void GameCtrl::ReadAreaEffect(ConfigFileReader& reader, int32_t entry, AreaEffect& effect)
{
    if (reader.GetInt("count", effect.count, entry) != ConfigFileReader::kFound)
        effect.count = 1;
    reader.GetString("onActivate", effect.onActivate, entry);
    reader.GetString("EffByID", effect.effByID, entry);
    for (int32_t i = 0; i < 4; ++i)
        if (reader.GetInt("EffByParty", effect.effByParty[i], entry, i + 1) != ConfigFileReader::kFound)
            break;  // the parties are numbered without gaps
    reader.GetFloat("ActivationTime", effect.activationTime, entry);
    ReadFlagKey(reader, "ActivateOnExit", effect.activateOnExit, entry);
    reader.GetFloat("DamageEnter", effect.damageEnter, entry);
    reader.GetFloat("DamageFallOff", effect.damageFallOff, entry);
    reader.GetFloat("DamagePerTime", effect.damagePerTime, entry);
    ReadHitEffects(reader, entry, effect.hitEffects);
}

void GameCtrl::ReadHitEffects(ConfigFileReader& reader, int32_t entry, HitEffects* effects)
{
    if (!effects)
        return;
    reader.GetFloat("knockback", effects->knockback, entry);
    reader.GetFloat("knockdown", effects->knockdown, entry);
    reader.GetFloat("stun", effects->stun, entry);
    reader.GetFloat("stunTime", effects->stunTime, entry);
    reader.GetFloat("freeze", effects->freeze, entry);
    reader.GetFloat("slow", effects->slow, entry);
    ReadFlagKey(reader, "EnterHitCycle", effects->enterHitCycle, entry);
}

void GameCtrl::ReadDamageEntry(ConfigFileReader& reader, int32_t entry, DamageEntry* damage)
{
    if (!damage)
        return;
    reader.GetFloatPair("knockback", damage->knockback, entry);
    reader.GetFloatPair("knockdown", damage->knockdown, entry);
    reader.GetFloatPair("damFromTo", damage->damFromTo, entry);
    reader.GetFloatPair("stun", damage->stun, entry);
    reader.GetFloatPair("stunTime", damage->stunTime, entry);
    reader.GetFloatPair("freeze", damage->freeze, entry);
    reader.GetFloatPair("slow", damage->slow, entry);
    ReadAngleKey(reader, "angle", damage->angle, entry);
    ReadAngleKey(reader, "direction", damage->direction, entry);
    reader.GetInt("HitAll", damage->hitAll, entry);
    reader.GetInt64("serialNumber", damage->serialNumber, entry);
    reader.GetFloat("PrecisionPenalty", damage->precisionPenalty, entry);
    reader.GetString("onDamage", damage->onDamage, entry);
}

// The offsets of the repetition mean something only when the part repeats.
void GameCtrl::ReadShotRepeat(ActionEntryBase& part, ShotRepeat& repeat, ConfigFileReader& reader, int32_t entry)
{
    repeat.Reset();
    if (reader.GetInt("RepeatCount", repeat.count, entry) == ConfigFileReader::kFound) {
        reader.GetFloat("RepeatPointOffset", repeat.pointOffset, entry);
        ReadAngleKey(reader, "RepeatDirectionOffset", repeat.directionOffset, entry);
        reader.GetFloatPair("StartOffsetOffset", repeat.startOffsetOffset, entry);
    }
    reader.GetFloat("point", part.point, entry);
    reader.GetString("CallScript", part.callScript, entry);
    reader.GetString("sndHit", part.sndHit, entry);
    reader.GetFloatPair("damIncreaseFactor", part.damIncreaseFactor, entry);
    reader.GetFloat("damIncreaseBase", part.damIncreaseBase, entry);
    reader.GetFloatPair("StartOffset", part.startOffset, entry);
    reader.GetString("DamFactorScript", part.damFactorScript, entry);
}

bool GameCtrl::ReadTreasureKey(ConfigFileReader& reader, int32_t entry, int32_t index, float& probability,
                               String& item, float& might)
{
    return reader.GetFloatTextFloat("Treasure", probability, item, might, entry, index) == ConfigFileReader::kFound;
}
