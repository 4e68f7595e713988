// GameRandom: seeding and the two draws of the world's generator.
#include "world/GameRandom.h"

void GameRandom::Seed(uint32_t seed)
{
    m_Seed = seed;
    m_DrawCount = 0;
    m_State.Seed(seed, 0);
}

int32_t GameRandom::NextInt()
{
    m_DrawCount++;
    return int32_t(m_State.NextU32() & 0x7FFFFFFFu);
}

float GameRandom::NextFloat()
{
    m_DrawCount++;
    return m_State.NextFloat();
}
