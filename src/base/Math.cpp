// Math: the quotients are taken in double and truncated toward zero with a saturating
// conversion, so huge ratios cannot overflow a 32-bit integer.
#include "base/Math.h"

#include <cmath>
#include <cstdlib>

namespace {

// Truncation toward zero to a 32-bit integer, saturated at its range (NaN gives 0).
double TruncToInt32(double v)
{
    if (std::isnan(v))
        return 0.0;
    if (v >= 2147483647.0)
        return 2147483647.0;
    if (v <= -2147483648.0)
        return -2147483648.0;
    return std::trunc(v);
}

template <typename F> F Wrap(F a, F b)
{
    F m = std::fabs(b);
    if (m == 0)
        return a;
    double q = TruncToInt32(double(a) / double(m));
    if (a >= 0)
        return F(double(a) - double(m) * q);
    return F(double(a) + double(m) * (1.0 - q));
}

template <typename F> F FloorDiv(F a, F b)
{
    F m = std::fabs(b);
    if (m == 0)
        return 0;
    if (a >= 0)
        return F(TruncToInt32(double(a) / double(m)));
    double k = 1.0 - TruncToInt32(double(a) / double(m));
    return F(TruncToInt32((double(a) + k * double(m)) / double(m)) - k);
}

}  // namespace

namespace Math {

double WrapDouble(double a, double b) { return Wrap(a, b); }
float WrapFloat(float a, float b) { return Wrap(a, b); }
float FloorDivFloat(float a, float b) { return FloorDiv(a, b); }
double FloorDivDouble(double a, double b) { return FloorDiv(a, b); }

int32_t WrapInt(int32_t a, int32_t b)
{
    int64_t m = std::llabs(int64_t(b));
    if (m == 0)
        return a;
    int64_t v = a;
    if (v < 0)
        v = m - ((-v) % m);
    return int32_t(v % m);
}

}  // namespace Math

float ClampFloat(float v, float low, float high)
{
    if (v < low)
        return low;
    if (v > high)
        return high;
    return v;
}
