// CursorDisplay: each show raises the cursor's display counter and each hide lowers it.
#include "platform/CursorDisplay.h"

#include <gtest/gtest.h>

TEST(CursorDisplayTest, ShowsAndHidesCount)
{
    const int32_t start = Platform::ShowCursor(true) - 1;
    EXPECT_EQ(Platform::ShowCursor(false), start);
    EXPECT_EQ(Platform::ShowCursor(false), start - 1);
    EXPECT_EQ(Platform::ShowCursor(false), start - 2);
    EXPECT_EQ(Platform::ShowCursor(true), start - 1);
    EXPECT_EQ(Platform::ShowCursor(true), start);
}
