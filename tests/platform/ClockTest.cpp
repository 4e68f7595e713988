// Clock: the program clock runs on, and a test clock replaces it while installed.
#include "platform/Clock.h"

#include "support/TestClock.h"

#include <gtest/gtest.h>

TEST(ClockTest, InstalledClockReplacesTheSystemClock)
{
    Platform::Clock& system = Platform::GetClock();
    const double before = system.GetTime();
    EXPECT_GE(system.GetTime(), before);
    {
        TestClock clock(100.0, 0.25);
        EXPECT_EQ(&Platform::GetClock(), &clock);
        EXPECT_EQ(Platform::GetClock().GetTime(), 100.25);  // every reading moves it on
        EXPECT_EQ(Platform::GetClock().GetTime(), 100.5);
        Platform::GetClock().Sleep(40);
        EXPECT_DOUBLE_EQ(clock.Now(), 100.54);
        EXPECT_EQ(clock.Sleeps(), std::vector<uint32_t>{40});
        {
            TestClock inner(5.0);
            EXPECT_EQ(Platform::GetClock().GetTime(), 5.0);
        }
        EXPECT_EQ(&Platform::GetClock(), &clock);  // the one before comes back
    }
    EXPECT_EQ(&Platform::GetClock(), &system);
    EXPECT_GE(Platform::GetClock().GetTime(), before);
}
