// VirtualMemoryTest: regions are mapped, placed on request and returned to the system.
#include "platform/VirtualMemory.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace Platform;

TEST(VirtualMemoryTest, PageSizesArePowersOfTwo)
{
    size_t page = GetPageSize();
    size_t gran = GetAllocationGranularity();
    EXPECT_EQ(page & (page - 1), 0u);
    EXPECT_EQ(gran & (gran - 1), 0u);
    EXPECT_GE(gran, page);
}

TEST(VirtualMemoryTest, MapWriteUnmap)
{
    size_t size = 4 * GetAllocationGranularity();
    char* p = static_cast<char*>(MapMemory(size));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[0], 0);  // fresh pages are zero
    std::memset(p, 0xAB, size);
    EXPECT_TRUE(IsMemoryMapped(p, size));

    // Returning the tail keeps the head.
    size_t half = size / 2;
    EXPECT_TRUE(UnmapMemory(p + half, half));
    EXPECT_TRUE(IsMemoryMapped(p, half));
    EXPECT_FALSE(IsMemoryMapped(p + half, half));
    EXPECT_EQ(static_cast<unsigned char>(p[half - 1]), 0xAB);

    // The freed tail can be taken back at exactly that address, and a taken range is refused.
    void* again = MapMemoryAt(p + half, half);
    if (again) {
        EXPECT_EQ(again, p + half);
        EXPECT_EQ(MapMemoryAt(p, half), nullptr);
    }
    EXPECT_TRUE(UnmapMemory(p, again ? size : half));
    EXPECT_FALSE(IsMemoryMapped(p, GetPageSize()));
}
