// KeyTangents: the tangents of a key curve (a key curve's values, or each axis of a move path)
// derived from the neighbouring keys, so that a cubic Hermite evaluation passes smoothly through
// them. Tangents are per interval, as the key curves keep them: the out-tangent is the change
// over the following interval, the in-tangent the change over the preceding one, pointing back.
#pragma once
#include <cstdint>

namespace KeyTangents {

// For key i: dIn and dOut are the intervals to the previous and next key, sIn and sOut the slopes
// over them (0 over an interval of 0). The first key of an open curve takes sIn = sOut and has no
// in-tangent; the last takes sOut = sIn with dOut = 0 and has no out-tangent. A looped curve
// reaches across loopTime (at least the last key's time): the way from the last key back to the
// first takes loopTime minus the last key's time. A tangent whose opposite interval is 0 is
// scaled by tension. time(i) and value(i) read key i; store(i, in, out) takes the result.
template <class Time, class Value, class Store>
void Derive(int32_t count, bool looped, double loopTime, double tension, Time time, Value value, Store store)
{
    if (count <= 0)
        return;
    const int32_t last = count - 1;
    if (looped && loopTime < double(time(last)))
        loopTime = time(last);
    const double wrap = loopTime - double(time(last));  // the interval from the last key to the first
    auto slope = [](double from, double to, double interval) { return interval != 0.0 ? (to - from) / interval : 0.0; };

    for (int32_t i = 0; i < count; ++i) {
        const double p = value(i);
        double dIn = 0.0;
        double dOut = 0.0;
        double sIn = 0.0;
        double sOut = 0.0;
        const bool hasIn = i > 0 || looped;
        const bool hasOut = i < last || looped;
        if (hasIn) {
            const int32_t prev = i > 0 ? i - 1 : last;
            dIn = i > 0 ? double(time(i)) - double(time(prev)) : wrap;
            sIn = slope(value(prev), p, dIn);
        }
        if (hasOut) {
            const int32_t next = i < last ? i + 1 : 0;
            dOut = i < last ? double(time(next)) - double(time(i)) : wrap;
            sOut = slope(p, value(next), dOut);
        }
        if (!hasIn)
            sIn = sOut;
        if (!hasOut)
            sOut = sIn;

        double in = 0.0;
        double out = 0.0;
        if (hasIn)
            in = dOut == 0.0 ? -sIn * dIn * tension : -(sIn + sOut) / 2.0 * dIn;
        if (hasOut)
            out = dIn == 0.0 ? sOut * dOut * tension : (sIn + sOut) / 2.0 * dOut;
        store(i, in, out);
    }
}

}  // namespace KeyTangents
