// CreatureSyncData: the fixed 38-byte record of a creature's visible state that follows its
// position in an object sync block, and AniCycleSyncEntry, one animation slot within it.
#pragma once
#include "base/ByteReader.h"

#include <cstdint>

class AC_FadeProperties;
class CreatureObj;

// First word: the cycle ID in bits 13..0 and the slot's flag (playing backwards) in bit 14; a word
// with bit 15 set means no cycle (the writer sends 0xFFFF). Second word: the cycle speed as a
// PackedFloat16.
struct AniCycleSyncEntry {
    static constexpr uint16_t kNoCycle = 0xFFFF;
    static constexpr uint16_t kNoCycleBit = 0x8000;
    static constexpr uint16_t kFlagBit = 0x4000;
    static constexpr uint16_t kIDMask = 0x3FFF;

    uint16_t cycleWord = kNoCycle;
    uint16_t speedWord = 0;

    // The decoding of a first word, shared with the animation unit that carries the same words.
    static int32_t IDOf(uint16_t word) { return (word & kNoCycleBit) ? -1 : word & kIDMask; }
    static bool FlagOf(uint16_t word) { return (word & (kNoCycleBit | kFlagBit)) == kFlagBit; }

    void Fill(const AC_FadeProperties& player);
    int32_t CycleID() const { return IDOf(cycleWord); }
    bool Flag() const { return FlagOf(cycleWord); }
    float Speed() const;
};

// Layout, little-endian, no padding:
//    0  u32  reserved, written as 0, never read
//    4  AniCycleSyncEntry  move cycle (the base player)
//    8  AniCycleSyncEntry  action cycle (the second player)
//   12  f32  health             16  f32  maximum health
//   20  u8   dead (1)           21  u8   flags: bit 0 flying, bit 1 invisible, bits 2..7 zero
//   22  u32  display colour, ARGB
//   26  3 f32  the creature's target vector (what scripts read as its target values)
struct CreatureSyncData {
    static constexpr int32_t kSize = 38;
    static constexpr uint8_t kFlyingBit = 0x01;
    static constexpr uint8_t kInvisibleBit = 0x02;

    AniCycleSyncEntry move;
    AniCycleSyncEntry action;
    float health = 0.0f;
    float maxHealth = 0.0f;
    uint8_t dead = 0;
    uint8_t flags = 0;
    uint32_t colour = 0xFF000000u;
    float vector[3] = {0.0f, 0.0f, 0.0f};

    void Fill(CreatureObj& creature);
    // Writes all 38 bytes or fails the writer.
    bool Write(ByteWriter& writer) const;
    // Takes all 38 bytes, or fails the reader and leaves this record as it was.
    bool Read(ByteReader& reader);
    // Sets the colour, the two flags and the vector back on a creature; the cycles go through the
    // receiver, which checks their IDs first.
    void ApplyState(CreatureObj& creature) const;
};
