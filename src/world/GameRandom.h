// GameRandom: the world's own random generator, for every random decision that server and clients
// must take alike. Its seed travels to the clients with the level, so both sides draw the same
// sequence as long as they draw in the same order; every draw is counted.
#pragma once
#include "base/Random.h"

#include <cstdint>

class GameRandom {
public:
    // Stores the seed, restarts the draw count and seeds the state with (seed, 0).
    void Seed(uint32_t seed);
    int32_t NextInt();  // 0 .. 2147483647: the next output with its top bit cleared
    float NextFloat();  // [0, 1]: the next output times 2^-32, rounded to a float

    uint32_t GetSeed() const { return m_Seed; }
    uint32_t GetDrawCount() const { return m_DrawCount; }

private:
    uint32_t m_Seed = 0;
    uint32_t m_DrawCount = 0;
    RandomGen m_State;
};
