// Random: the program-wide MT19937 generator (default seed 4357) and the per-object RandomGen.
#pragma once
#include <cstdint>

// A Mersenne Twister state; position 625 means never seeded, 624 means regenerate before the next draw.
class RandomGen {
public:
    static constexpr int32_t kStateSize = 624;

    RandomGen() = default;
    // Two-part seeding; the world seeds its generator with (seed, 0).
    void Seed(uint32_t s, uint32_t t);
    // The program-wide seeding of the 1998 reference generator.
    void SeedReference(uint32_t seed);
    uint32_t NextU32();   // an unseeded generator seeds itself from the clock
    float NextFloat();    // u * 2^-32 rounded to float: exactly 1.0 is possible
    bool IsSeeded() const { return m_Position != kStateSize + 1; }

    uint32_t NextTempered();  // the next output of a seeded state

private:
    void Regenerate();
    uint32_t m_State[kStateSize] = {};
    int32_t m_Position = kStateSize + 1;
};

namespace Random {

void Seed(uint32_t seed);
void SeedFromClock();
uint32_t Next();               // seeds itself with 4357 at the first draw
double Float01();              // [0, 1)
double RandomFloat(float max);
double Range(float a, float b);
uint32_t RandomInt(uint32_t n);          // 0 .. n inclusive
int32_t RangeInt(int32_t a, int32_t b);  // a .. b inclusive
uint32_t RangeUInt(uint32_t a, uint32_t b);

// Back to never seeded, as at start (tests).
void ResetForTest();

}  // namespace Random
