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

// The byte figures against the machine's own: a set total does not reach them.
TEST(MemoryStatusTest, FiguresAreTheMachinesInBytes)
{
    Platform::SetTotalPhysicalMemoryMB(600);
    const Platform::MemoryFigures figures = Platform::GetMemoryFigures();
    Platform::SetTotalPhysicalMemoryMB(-1);
    const uint64_t total = figures.totalPhysical;
    EXPECT_EQ(int((total / 1024 + 512) / 1024), Platform::TotalPhysicalMemoryMB());
    EXPECT_EQ(total % 1024, 0u);  // kB in the file
    EXPECT_GT(figures.availablePhysical, 0u);
    EXPECT_LE(figures.availablePhysical, total);
    EXPECT_GE(figures.memoryLoad, 0);
    EXPECT_LE(figures.memoryLoad, 100);
    EXPECT_GT(figures.processResident, 0u);
    EXPECT_LT(figures.processResident, total);
}
