// MemoryStatus: the machine's figures as /proc/meminfo gives them, and a total set in their place.
#include "platform/MemoryStatus.h"

#include <gtest/gtest.h>

TEST(MemoryStatusTest, TotalIsTheMachinesUnlessSet)
{
    const int machine = Platform::TotalPhysicalMemoryMB();
    EXPECT_GT(machine, 0);
    EXPECT_GT(Platform::FreePhysicalMemoryMB(), 0);
    EXPECT_LE(Platform::FreePhysicalMemoryMB(), machine);
    for (int megabytes : {600, 0, 1200}) {
        Platform::SetTotalPhysicalMemoryMB(megabytes);
        EXPECT_EQ(Platform::TotalPhysicalMemoryMB(), megabytes);
    }
    Platform::SetTotalPhysicalMemoryMB(-1);
    EXPECT_EQ(Platform::TotalPhysicalMemoryMB(), machine);
}
