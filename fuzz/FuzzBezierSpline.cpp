// FuzzBezierSpline: a key curve loaded from arbitrary bytes, evaluated around and between its keys,
// saved and loaded again to the same curve.
#include "FuzzTarget.h"

#include "base/BezierSpline.h"

#include <cstring>

namespace {

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool SameCurve(const BezierSpline<float>& a, const BezierSpline<float>& b)
{
    if (a.GetNumKeys() != b.GetNumKeys() || a.GetMode() != b.GetMode() || a.IsLooping() != b.IsLooping() ||
        a.GetSecondFlag() != b.GetSecondFlag() || !SameBits(a.GetLoopTime(), b.GetLoopTime()))
        return false;
    for (int32_t i = 0; i < a.GetNumKeys(); i++) {
        const auto& x = a.GetKey(i);
        const auto& y = b.GetKey(i);
        if (!SameBits(x.time, y.time) || !SameBits(x.value, y.value) || !SameBits(x.inTangent, y.inTangent) ||
            !SameBits(x.outTangent, y.outTangent))
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size > Fuzz::kMaxInput)
        return 0;
    File file;
    Fuzz::LoadMemoryFile(file, data, size);
    BezierSpline<float> curve;
    try {
        curve.Load(file);
    } catch (const ErrorMsg&) {
        if (curve.GetNumKeys() != 0)
            Fuzz::Finding("a refused curve was kept");
        return 0;
    }

    float slope = 0.0f;
    const int32_t n = curve.GetNumKeys();
    for (int32_t i = 0; i < n && i < 64; i++) {  // at, between and beyond the keys
        double t = curve.GetKey(i).time;
        curve.Evaluate(t, &slope);
        curve.Evaluate(t + 0.5, &slope);
        curve.Evaluate(t - 1e-3);
    }
    curve.Evaluate(double(curve.GetLoopTime()) * 2.5 + 1.0, &slope);
    curve.Evaluate(-1e30, &slope);
    curve.Evaluate(1e30);

    File saved;
    saved.CreateMemoryFile(0);
    curve.Save(saved);
    saved.Seek(0);
    BezierSpline<float> again;
    try {
        again.Load(saved);
    } catch (const ErrorMsg& e) {
        Fuzz::Finding(e.message);  // a saved curve must load
    }
    if (!SameCurve(curve, again))
        Fuzz::Finding("saving and loading changed the curve");
    return 0;
}
