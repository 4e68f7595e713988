// SteppingClock: the program clock of a counted run stands still while read and moves one whole
// step per sleep, so a main loop on it paces each pass at exactly one step.
#include "platform/SteppingClock.h"

#include <gtest/gtest.h>

TEST(SteppingClock, StandsStillWhileReadAndStepsPerSleep)
{
    Platform::Clock* before = &Platform::GetClock();
    {
        Platform::SteppingClock clock(1.0 / 30.0);
        ASSERT_EQ(&Platform::GetClock(), &clock);
        const double start = clock.GetTime();
        EXPECT_EQ(clock.GetTime(), start);
        clock.Sleep(1);  // one step, however little was asked
        const double step = clock.GetTime() - start;
        EXPECT_GE(step, 1.0 / 30.0);  // never shorter than a period of the same length
        EXPECT_LT(step, 1.0 / 30.0 + 2e-9);
        clock.Sleep(500);
        EXPECT_NEAR(clock.GetTime() - start, 2.0 * step, 1e-12);

        // A loop that polls without sleeping still sees time pass.
        const double polled = clock.GetTime();
        double now = polled;
        for (int32_t i = 0; i < Platform::SteppingClock::kReadsPerStep && now == polled; ++i)
            now = clock.GetTime();
        EXPECT_GT(now, polled);
    }
    EXPECT_EQ(&Platform::GetClock(), before);
}
