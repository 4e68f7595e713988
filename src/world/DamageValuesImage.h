// DamageValuesImage: the 72-byte image of an evaluated damage value set, as the game's damage
// report carries it to a client and the damage world event carries it to the rules. World code
// fills and reads the engine's fields at their offsets; the game's rules fill and read the whole.
#pragma once
#include <cstdint>

class ByteReader;
class ByteWriter;
class DamageValues;

// 0 class word of the sender (u32, without meaning for the receiver), 4 the four damage amounts
// (f32), 20 the enabled flag (u8), 21 the extra flag (u8), 22 two bytes padding, 24 valueA and
// valueB (f32), 32 the rules' eight values (f32), 64 the two physical amounts (f32).
struct DamageValuesImage {
    static constexpr int32_t kSize = 72;
    static constexpr int32_t kRulesValues = 8;

    uint32_t classWord = 0;
    float damage[4] = {};
    uint8_t enabled = 1;
    uint8_t extraFlag = 0;
    float valueA = 0.0f;
    float valueB = 0.0f;
    float rulesValues[kRulesValues] = {};
    float physical[2] = {};

    // The engine's fields from a set of any class, and back into one.
    void SetEngineFields(const DamageValues& values);
    void GetEngineFields(DamageValues& values) const;

    void Write(ByteWriter& out) const;
    // Reads kSize bytes; the reader's failure flag tells a short image.
    void Read(ByteReader& in);
};
