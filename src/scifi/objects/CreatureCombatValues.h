// CreatureCombatValues: a creature's maximum resources and its damage, defence, protection, leech
// and regeneration values. A creature holds two: the base values (its configuration, raised by
// advance points) and the effective ones (the base plus equipment and skills, made anew by the
// creature's value update).
#pragma once
#include "scifi/objects/ProtectionValues_SF.h"

#include <cstdint>

class File;
class FileRecordReader;

class CreatureCombatValues {
public:
    static constexpr int32_t kRecordFloats = 25;
    static constexpr int32_t kRecordBytes = kRecordFloats * 4;
    static constexpr int32_t kOldBlockBytes = 104;
    static constexpr uint16_t kFieldRecordVersion = 241;  // older streams hold the 104-byte block

    CreatureCombatValues() = default;
    CreatureCombatValues(const CreatureCombatValues& other) { *this = other; }
    // Every value, the protection factors among them; the protection set keeps its own class.
    CreatureCombatValues& operator=(const CreatureCombatValues& other);

    // 25 f32: maximum mana, health and shield; physical damage 1, physical defence 1, physical
    // damage 2, physical defence 2; poison damage, poison defence, poison duration, armour; mana
    // regeneration absolute and fraction, mana leech, health leech; blast strength, health
    // regeneration absolute and fraction, shield regeneration absolute and fraction, maximum
    // dodge energy, dodge refill; the three protection factors.
    void Save(File& file) const;
    // The same from version 241 on. Older streams hold one 104-byte block in field order: the
    // first eleven values (maximum mana ... armour, physical defence 1 and 2), a 4-byte word
    // skipped, the three protection factors, the remaining eleven values.
    void Load(FileRecordReader& in, uint16_t version);

    float maxMana = 10.0f;
    float maxHealth = 1.0f;
    float maxShield = 0.0f;
    float damPhys[2] = {0.0f, 0.0f};  // "damPhys", entries 1 and 2
    float damPoison = 0.0f;           // "damPoison"
    float defPoison = 0.0f;           // "defPoison"
    float poisonTime = 0.0f;          // "damPoisonTime"
    float armour = 0.0f;              // added to both physical defences
    float defPhys[2] = {0.0f, 0.0f};  // "defPhys", entries 1 and 2 (without an entry both)
    ProtectionValues_SF protection;
    float manaRegenAbs = 0.6666667f;   // per second
    float manaRegenRel = 0.016666668f;  // of the maximum per second
    float manaLeech = 0.0f;
    float healthLeech = 0.0f;
    float blast = 0.0f;  // engine amount 1 of the creature's own damage set
    float healthRegenAbs = 0.0f;
    float healthRegenRel = 0.0f;
    float shieldRegenAbs = 1.0f;
    float shieldRegenRel = 0.0f;
    float maxDodge = 2.0f;
    float dodgeRefill = 0.5f;  // per second
};
