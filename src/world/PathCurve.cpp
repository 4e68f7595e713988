// PathCurve: tangents of a path from its keys.
#include "world/PathCurve.h"

#include "base/KeyTangents.h"

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
