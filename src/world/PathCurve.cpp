// PathCurve: tangents of a path from its keys, and the position and tangent at a time.
#include "world/PathCurve.h"

#include "base/KeyTangents.h"
#include "base/Math.h"

#include <cmath>
#include <cstddef>

void PathCurve::PrepareTangents(float tension)
{
    const int32_t count = GetNumKeys();
    if (loop && count > 0 && loopTime < keys.back().time)
        loopTime = keys.back().time;
    auto time = [&](int32_t i) { return keys[size_t(i)].time; };
    KeyTangents::Derive(count, loop != 0, loopTime, tension, time, [&](int32_t i) { return keys[size_t(i)].x; },
                        [&](int32_t i, double in, double out) {
                            keys[size_t(i)].inX = float(in);
                            keys[size_t(i)].outX = float(out);
                        });
    KeyTangents::Derive(count, loop != 0, loopTime, tension, time, [&](int32_t i) { return keys[size_t(i)].y; },
                        [&](int32_t i, double in, double out) {
                            keys[size_t(i)].inY = float(in);
                            keys[size_t(i)].outY = float(out);
                        });
    mode = 1;
}

void PathCurve::Evaluate(double t, D3DXVECTOR2& pos, D3DXVECTOR2* tangent) const
{
    const int32_t n = GetNumKeys();
    if (n == 0)
        return;
    const PathKey& first = keys.front();
    const PathKey& last = keys.back();
    const double length = double(loopTime) - double(first.time);
    const bool looped = loop && length > 0.0;  // a loop of no length runs as an open path
    if (!looped || !(t == t)) {
        if (!(t > first.time)) {  // NaN too: the path's start
            pos = D3DXVECTOR2(first.x, first.y);
            if (tangent)
                *tangent = D3DXVECTOR2(first.outX, first.outY);
            return;
        }
        if (!(t < last.time)) {
            pos = D3DXVECTOR2(last.x, last.y);
            if (tangent)
                *tangent = D3DXVECTOR2(-last.inX, -last.inY);
            return;
        }
    } else {
        t = double(first.time) + Math::WrapDouble(t, length);  // t itself, not t - first.time
    }

    // Interpolation search; index n stands for the way from the last key back to the first,
    // which ends at the loop time.
    auto timeOf = [&](int32_t i) { return i < n ? double(keys[size_t(i)].time) : double(loopTime); };
    int32_t lo = 0;
    int32_t hi = looped ? n : n - 1;
    while (lo + 1 < hi) {
        const double range = timeOf(hi) - timeOf(lo);
        double guess = range > 0.0 ? (t - timeOf(lo)) / range * double(hi - lo) : 0.0;
        if (!(guess >= 0.0))
            guess = 0.0;
        else if (guess > double(hi - lo))
            guess = double(hi - lo);
        int32_t mid = lo + int32_t(guess);
        if (mid <= lo)
            mid = lo + 1;
        else if (mid >= hi)
            mid = hi - 1;
        if (t < timeOf(mid))
            hi = mid;
        else
            lo = mid;
    }
    const PathKey& k0 = keys[size_t(lo)];
    const PathKey& k1 = keys[size_t(hi < n ? hi : 0)];
    const double span = timeOf(hi) - double(k0.time);
    const double s = span > 0.0 ? (t - double(k0.time)) / span : 0.0;

    if (mode > 0) {
        const double s2 = s * s;
        const double s3 = s2 * s;
        const double h00 = 2.0 * s3 - 3.0 * s2 + 1.0;
        const double h10 = s3 - 2.0 * s2 + s;
        const double h11 = s3 - s2;
        const double h01 = 1.0 - h00;
        // The incoming tangent is kept pointing back along the path: it enters negated.
        pos.x = float(k0.x * h00 + k0.outX * h10 - k1.inX * h11 + k1.x * h01);
        pos.y = float(k0.y * h00 + k0.outY * h10 - k1.inY * h11 + k1.y * h01);
        if (tangent && span > 0.0) {
            const double d00 = 6.0 * s2 - 6.0 * s;
            const double d10 = 3.0 * s2 - 4.0 * s + 1.0;
            const double d11 = 3.0 * s2 - 2.0 * s;
            tangent->x = float((k0.x * d00 + k0.outX * d10 - k1.inX * d11 - k1.x * d00) / span);
            tangent->y = float((k0.y * d00 + k0.outY * d10 - k1.inY * d11 - k1.y * d00) / span);
        }
    } else if (mode == 0) {
        pos.x = float(k0.x + (double(k1.x) - k0.x) * s);
        pos.y = float(k0.y + (double(k1.y) - k0.y) * s);
    } else {
        pos = D3DXVECTOR2(k0.x, k0.y);
    }
}
