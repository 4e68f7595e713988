// CreatureSyncData: filling the sync record from a creature, its bytes, and setting it back.
#include "game/objects/CreatureSyncData.h"

#include "game/objects/AC_FadeProperties.h"
#include "game/objects/CreatureObj.h"
#include "game/objects/PackedFloat16.h"

void AniCycleSyncEntry::Fill(const AC_FadeProperties& player)
{
    player.PackState(cycleWord, speedWord);
    if (player.GetCycleNumber() < 0)
        cycleWord = kNoCycle;  // -1 and "not chosen" alike: no cycle, whatever the reverse flag
}

float AniCycleSyncEntry::Speed() const { return PackedFloat16::ToFloat(speedWord); }

void CreatureSyncData::Fill(CreatureObj& creature)
{
    move.Fill(creature.m_CyclePlayers[0]);
    action.Fill(creature.m_CyclePlayers[1]);
    health = creature.GetHealth();
    maxHealth = creature.GetMaxHealth();
    dead = creature.IsDead() ? 1 : 0;
    colour = creature.GetTintColour();
    for (int32_t i = 0; i < 3; ++i)
        vector[i] = creature.m_TargetValues[i];
    flags = uint8_t((creature.m_IsFlying & 1) | ((creature.m_Invisible & 1) << 1));
}

bool CreatureSyncData::Write(ByteWriter& writer) const
{
    writer.WriteU32(0);
    for (const AniCycleSyncEntry* entry : {&move, &action}) {
        writer.WriteU16(entry->cycleWord);
        writer.WriteU16(entry->speedWord);
    }
    writer.WriteFloat(health);
    writer.WriteFloat(maxHealth);
    writer.WriteU8(dead);
    writer.WriteU8(flags);
    writer.WriteU32(colour);
    for (float v : vector)
        writer.WriteFloat(v);
    return !writer.Failed();
}

bool CreatureSyncData::Read(ByteReader& reader)
{
    const uint8_t* span = reader.ReadSpan(size_t(kSize));  // all or nothing
    if (!span)
        return false;
    ByteReader in(span, size_t(kSize));
    in.Skip(4);  // reserved
    for (AniCycleSyncEntry* entry : {&move, &action}) {
        entry->cycleWord = in.ReadU16();
        entry->speedWord = in.ReadU16();
    }
    health = in.ReadFloat();
    maxHealth = in.ReadFloat();
    dead = in.ReadU8();
    flags = in.ReadU8();
    colour = in.ReadU32();
    for (float& v : vector)
        v = in.ReadFloat();
    return true;
}

void CreatureSyncData::ApplyState(CreatureObj& creature) const
{
    creature.m_TintColour = colour;
    creature.m_IsFlying = (flags & kFlyingBit) ? 1 : 0;
    creature.m_Invisible = (flags & kInvisibleBit) ? 1 : 0;
    for (int32_t i = 0; i < 3; ++i)
        creature.m_TargetValues[i] = vector[i];
}
