// Processor: the feature test that the game options' detail detection asks.
#include "platform/Processor.h"

#include <gtest/gtest.h>

TEST(ProcessorTest, SseTwoOrHyperThreading)
{
#if defined(__x86_64__)
    EXPECT_TRUE(Platform::HasSse2OrHyperThreading());  // every 64-bit x86 processor has SSE2
#else
    Platform::HasSse2OrHyperThreading();  // answers without faulting
#endif
}
