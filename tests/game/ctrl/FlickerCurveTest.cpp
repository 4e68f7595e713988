// FlickerCurve: the flicker of light intensity against the formula worked out apart, and the
// controller answering the world's flicker question with it.
#include "game/ctrl/FlickerCurve.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(FlickerCurveTest, ValuesFollowTheFormula)
{
    FlickerCurve curve;
    for (float t : {0.0f, 0.37f, 2.5f, 11.0f}) {
        const double w = 0.35 * std::cos(1.0 * t) + 0.2 * std::cos(2.23 * t + 0.123) + 0.45 * std::cos(3.14 * t + 1.57);
        const double expected = std::pow(w, 9) * 0.9 + 0.06 * std::cos(13.0 * t) + 0.04 * std::cos(11.0 * t + 1.0);
        EXPECT_NEAR(curve.Evaluate(t), expected, 1e-5) << t;
    }
    curve.exponent = 1.0f;  // the plain sum, the first three scaled
    const float t = 0.8f;
    const double plain = 0.9 * (0.35 * std::cos(1.0 * t) + 0.2 * std::cos(2.23 * t + 0.123) +
                                0.45 * std::cos(3.14 * t + 1.57)) +
                         0.06 * std::cos(13.0 * t) + 0.04 * std::cos(11.0 * t + 1.0);
    EXPECT_NEAR(curve.Evaluate(t), plain, 1e-5);
    curve.exponent = 2.5f;  // not a whole number: the next one up
    const double w = 0.35 * std::cos(1.0 * t) + 0.2 * std::cos(2.23 * t + 0.123) + 0.45 * std::cos(3.14 * t + 1.57);
    EXPECT_NEAR(curve.Evaluate(t), w * w * w * 0.9 + 0.06 * std::cos(13.0 * t) + 0.04 * std::cos(11.0 * t + 1.0), 1e-5);
}
