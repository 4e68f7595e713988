// Random: the published 1998 MT19937 (regeneration of all 624 words at once, the standard matrix
// and tempering constants) with the seeding of that release, and the per-object two-part seeding.
#include "base/Random.h"

#include "platform/Clock.h"

namespace {

constexpr uint32_t kMatrixA = 0x9908b0df;
constexpr uint32_t kUpperMask = 0x80000000;
constexpr uint32_t kLowerMask = 0x7fffffff;
constexpr int kM = 397;

RandomGen g_Program;  // the program-wide generator; main thread only

}  // namespace

void RandomGen::SeedReference(uint32_t seed)
{
    uint32_t x = seed;
    for (int i = 0; i < kStateSize; ++i) {
        m_State[i] = x & 0xffff0000u;
        x = 69069u * x + 1;
        m_State[i] |= (x & 0xffff0000u) >> 16;
        x = 69069u * x + 1;
    }
    m_Position = kStateSize;
}

void RandomGen::Seed(uint32_t s, uint32_t t)
{
    uint32_t x = s;
    for (int i = 0; i < kStateSize / 2; ++i) {
        m_State[i] = x & 0xffff0000u;
        x = 69069u * x + t + 1;
        m_State[i] |= (x & 0xffff0000u) >> 16;
        x = 69069u * x + t + 1;
    }
    uint32_t low = x >> 16;
    uint32_t h = t;
    for (int i = kStateSize / 2; i < kStateSize; ++i) {
        uint32_t w = (h & 0xffff0000u) | low;
        m_State[i - kStateSize / 2] ^= w;
        m_State[i] = w;
        h = 475559465u * h + 69070u;
    }
    m_Position = kStateSize;
}

void RandomGen::Regenerate()
{
    static const uint32_t mag01[2] = {0, kMatrixA};
    int k = 0;
    for (; k < kStateSize - kM; ++k) {
        uint32_t y = (m_State[k] & kUpperMask) | (m_State[k + 1] & kLowerMask);
        m_State[k] = m_State[k + kM] ^ (y >> 1) ^ mag01[y & 1];
    }
    for (; k < kStateSize - 1; ++k) {
        uint32_t y = (m_State[k] & kUpperMask) | (m_State[k + 1] & kLowerMask);
        m_State[k] = m_State[k + (kM - kStateSize)] ^ (y >> 1) ^ mag01[y & 1];
    }
    uint32_t y = (m_State[kStateSize - 1] & kUpperMask) | (m_State[0] & kLowerMask);
    m_State[kStateSize - 1] = m_State[kM - 1] ^ (y >> 1) ^ mag01[y & 1];
    m_Position = 0;
}

uint32_t RandomGen::NextTempered()
{
    if (m_Position >= kStateSize)
        Regenerate();
    uint32_t y = m_State[m_Position++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9d2c5680u;
    y ^= (y << 15) & 0xefc60000u;
    y ^= y >> 18;
    return y;
}

uint32_t RandomGen::NextU32()
{
    if (!IsSeeded()) {
        uint64_t counter = uint64_t(Platform::PerformanceCounter());
        Seed(uint32_t(counter), uint32_t(counter >> 32));
    }
    return NextTempered();
}

float RandomGen::NextFloat() { return float(double(NextU32()) * (1.0 / 4294967296.0)); }

namespace Random {

void Seed(uint32_t seed) { g_Program.SeedReference(seed); }

void SeedFromClock() { Seed(uint32_t(Platform::PerformanceCounter())); }

uint32_t Next()
{
    if (!g_Program.IsSeeded())
        Seed(4357);
    return g_Program.NextTempered();
}

double Float01() { return double(Next()) * (1.0 / 4294967296.0); }

double RandomFloat(float max) { return Float01() * max; }

double Range(float a, float b) { return a + (double(b) - double(a)) * (double(Next()) * (1.0 / 4294967296.0)); }

uint32_t RandomInt(uint32_t n)
{
    return uint32_t((double(Next()) / 4294967295.0) * (double(n) + 0.99999));
}

int32_t RangeInt(int32_t a, int32_t b)
{
    // the span is taken in double, so a .. b over the whole 32-bit range cannot overflow
    double span = double(b) - double(a) + 0.99999;
    return int32_t(int64_t(a) + int64_t((double(Next()) / 4294967295.0) * span));
}

uint32_t RangeUInt(uint32_t a, uint32_t b)
{
    return a + uint32_t((double(Next()) / 4294967295.0) * (double(uint32_t(b - a)) + 0.99999));
}

void ResetForTest() { g_Program = RandomGen(); }

}  // namespace Random
