// Math: wrapping and floor division. Within the 32-bit range of quotients the truncated quotient
// is used as an integer would be; beyond it the remainder is taken exactly (fmod), so huge ratios
// neither overflow nor give a result outside the wrapped range.
#include "base/Math.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr double kInt32Span = 2147483648.0;

template <typename F> F Wrap(F a, F b)
{
    double m = std::fabs(double(b));
    if (m == 0)
        return a;
    double q = std::trunc(double(a) / m);
    if (std::fabs(q) >= kInt32Span) {
        double r = std::fmod(double(a), m);  // sign of a, |r| < m
        return F(a >= 0 ? r : r + m);
    }
    if (a >= 0)
        return F(double(a) - m * q);
    return F(double(a) + m * (1.0 - q));
}

template <typename F> F FloorDiv(F a, F b)
{
    double m = std::fabs(double(b));
    if (m == 0)
        return 0;
    double q = std::trunc(double(a) / m);
    if (std::fabs(q) >= kInt32Span)
        return F(a >= 0 || std::fmod(double(a), m) == 0 ? q : q - 1);
    if (a >= 0)
        return F(q);
    double k = 1.0 - q;
    return F(std::trunc((double(a) + k * m) / m) - k);
}

}  // namespace

namespace Math {

double WrapDouble(double a, double b) { return Wrap(a, b); }
float WrapFloat(float a, float b) { return Wrap(a, b); }

bool IsAngleInSweep(float angle, float sweep, float period, float start)
{
    if (sweep == 0.0f)
        return false;
    float rel = angle - start;
    if (period != 0.0f) {
        rel = std::fmod(rel, std::fabs(period));
        if (rel < 0.0f)
            rel += std::fabs(period);
    }
    if (sweep > 0.0f)
        return rel <= sweep;
    return rel == 0.0f || rel - std::fabs(period) >= sweep;  // measured backwards from the start
}

int32_t CountPeriodBoundaries(float start, float delta, float period)
{
    if (period == 0.0f)
        return 0;
    const double a = std::floor(double(start) / period);
    const double b = std::floor((double(start) + delta) / period);
    return int32_t(std::fabs(b - a));
}
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

int32_t RoundFloatToInt(float v)
{
    // std::round is half away from zero; values outside the 32-bit range and NaN give the
    // processor's integer-indefinite value, as its conversion does.
    const double r = std::round(double(v));
    if (!(r >= -2147483648.0 && r <= 2147483647.0))
        return INT32_MIN;
    return int32_t(r);
}

D3DXQUATERNION* Math::QuaternionFromEulerXYZ(D3DXQUATERNION* out, float x, float y, float z)
{
    const D3DXQUATERNION qx(std::sin(x * 0.5f), 0.0f, 0.0f, std::cos(x * 0.5f));
    const D3DXQUATERNION qy(0.0f, std::sin(y * 0.5f), 0.0f, std::cos(y * 0.5f));
    const D3DXQUATERNION qz(0.0f, 0.0f, std::sin(z * 0.5f), std::cos(z * 0.5f));
    D3DXQUATERNION xy;
    D3DXQuaternionMultiply(&xy, &qx, &qy);  // D3DX order: qx first, so X turns first
    D3DXQuaternionMultiply(out, &xy, &qz);
    return out;
}
