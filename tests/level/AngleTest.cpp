// Angle: distance and difference of angles at the wrap-around, without and with wrapping first.
#include "level/Angle.h"

#include <gtest/gtest.h>

TEST(AngleTest, DistanceAndDiff)
{
    const struct {
        float a, b;
        float distance, diff;
    } kCases[] = {
        {0.1f, 6.2f, 0.1831853f, -0.18319f},
        {6.2f, 0.1f, 0.1831853f, 0.18319f},
        {0.0f, 3.5f, 2.7831853f, -2.7831853f},
        {-1.0f, 1.0f, 2.0f, 2.0f},
        {0.0f, 0.0f, 0.0f, 0.0f},
        {13.0f, 0.0f, -6.7168147f, -0.43363f},  // Distance does not wrap its inputs: 6.2831853 - 13
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.a << " " << c.b);
        EXPECT_NEAR(Angle::Distance(c.a, c.b), c.distance, 1e-5f);
        EXPECT_NEAR(Angle::Diff(c.a, c.b), c.diff, 1e-4f);
    }
    EXPECT_EQ(Angle::Diff(-1.0f, 1.0f), 2.0f);  // exactly
}
