// GameFunction: one named curve of "cfg/functions.cfg" that turns a game value by the level, the
// experience or the might of a creature, the monster level or the number of players.
#pragma once
#include "base/BezierSpline.h"
#include "base/String.h"

#include <cstdint>

struct GameFunction {
    // The input the function is meant for.
    enum Attribute : int32_t { kNone = 0, kLevel = 1, kXP = 2, kMight = 3, kMonsterLevel = 4 };
    // How its result meets the value it applies to.
    enum Operation : int32_t { kAdd = 0, kMultiply = 1 };

    GameFunction() { curve.SetMode(1); }  // cubic until the file says otherwise

    float GetValue(float x) const { return float(curve.Evaluate(double(x))); }
    // y = curve(x) met with the value: value + y (add), value x y (multiply), else y alone.
    float Apply(float value, float x) const
    {
        const float y = GetValue(x);
        if (attributeOperation == kAdd)
            return value + y;
        if (attributeOperation == kMultiply)
            return value * y;
        return y;
    }
    bool IsActive() const { return curve.GetNumKeys() > 0 && enabled != 0; }

    String name;
    int32_t attribute = kNone;
    int32_t attributeOperation = kMultiply;
    BezierSpline<float> curve;
    uint8_t enabled = 1;
};
