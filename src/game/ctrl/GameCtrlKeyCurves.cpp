// GameCtrl: move paths and one-dimensional key splines read from a float list of an entry.
#include "game/ctrl/GameCtrl.h"

#include "base/KeyTangents.h"
#include "world/PathCurve.h"

#include <vector>

namespace {

// The key's values: one more than the readers take, so that a longer list shows as such. The
// count, 0 or less when the key is missing.
int32_t ReadValues(ConfigFileReader& reader, const char* key, int32_t entry, std::vector<float>& values)
{
    values.assign(size_t(GameCtrl::kMaxKeyValues) + 1, 0.0f);
    return reader.GetFloatList(key, values.data(), GameCtrl::kMaxKeyValues + 1, entry);
}

const char* Named(const char* name) { return name ? name : ""; }

}  // namespace

// "key = t, x, y, t, x, y, ...": the path is replaced only when the whole list is sound. Its loop
// flag and loop time stay as they were.
void GameCtrl::ReadMovePath(ConfigFileReader& reader, PathCurve& path, const char* key, int32_t entry,
                            const char* name)
{
    std::vector<float> values;
    const int32_t count = ReadValues(reader, key, entry, values);
    if (count <= 0)
        return;
    if (count > kMaxKeyValues || count % 3 != 0)
        Error("Invalid move path (%s)", Named(name));
    std::vector<PathKey> keys(size_t(count / 3));
    for (size_t i = 0; i < keys.size(); ++i) {
        keys[i].time = values[3 * i];
        keys[i].x = values[3 * i + 1];
        keys[i].y = values[3 * i + 2];
        if (i > 0 && keys[i].time < keys[i - 1].time)  // equal times are allowed
            Error("Invalid order in move path entry of %s", Named(name));
    }
    path.keys = std::move(keys);
    path.PrepareTangents(1.0f);
}

// Two forms: "<key>_t = x, y, out, in, x, y, out, ..., in, x, y" gives the tangents (the first
// knot has no in-tangent, the last no out-tangent); "key = x, y, x, y, ..." derives them from the
// neighbours. The spline is replaced only when the list is sound, and is then cubic.
int32_t GameCtrl::ReadBezierSpline1D(ConfigFileReader& reader, const char* key, int32_t entry,
                                     BezierSpline<float>& spline, const char* name)
{
    using Key = BezierSpline<float>::Key;
    std::vector<float> values;
    std::vector<Key> knots;
    const String tangentKey = String(key) + "_t";
    int32_t count = ReadValues(reader, tangentKey.c_str(), entry, values);
    const bool withTangents = count > 0;
    if (withTangents) {
        if (count > kMaxKeyValues || count < 6 || count % 4 != 2)
            Error("Invalid 1-dim bezier spline (%s)", Named(name));
        knots.resize(size_t((count + 2) / 4));
        const size_t last = knots.size() - 1;
        knots[0] = {values[0], values[1], 0.0f, values[2]};
        for (size_t k = 1; k <= last; ++k) {
            const float* v = &values[3 + 4 * (k - 1)];
            knots[k] = {v[1], v[2], v[0], k < last ? v[3] : 0.0f};
        }
    } else {
        count = ReadValues(reader, key, entry, values);
        if (count <= 0)
            return 0;
        if (count > kMaxKeyValues || count % 2 != 0)
            Error("Invalid 1-dim bezier spline (%s)", Named(name));
        knots.resize(size_t(count / 2));
        for (size_t k = 0; k < knots.size(); ++k)
            knots[k] = {values[2 * k], values[2 * k + 1], 0.0f, 0.0f};
    }
    for (size_t k = 1; k < knots.size(); ++k)
        if (knots[k].time < knots[k - 1].time)  // equal x is allowed
            Error("Invalid order in 1-dim bezier spline '%s'", Named(name));
    if (!withTangents)
        KeyTangents::Derive(
            int32_t(knots.size()), spline.IsLooping(), spline.GetLoopTime(), 1.0,
            [&](int32_t i) { return knots[size_t(i)].time; }, [&](int32_t i) { return knots[size_t(i)].value; },
            [&](int32_t i, double in, double out) {
                knots[size_t(i)].inTangent = float(in);
                knots[size_t(i)].outTangent = float(out);
            });

    spline.SetNumKeys(int32_t(knots.size()));
    for (size_t k = 0; k < knots.size(); ++k)
        spline.GetKey(int32_t(k)) = knots[k];
    spline.SetMode(1);
    return 1;
}
