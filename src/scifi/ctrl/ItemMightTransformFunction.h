// ItemMightTransformFunction: one named function of "cfg\itemFunctions.cfg" that scales a value by a
// might difference through two key curves, the relative ("mightRel") and the absolute ("mightAbs").
#pragma once
#include "base/BezierSpline.h"

struct ItemMightTransformFunction {
    // abs(x) + (rel(x) + 1) * value; a curve without keys counts 0.
    float Apply(float value, float x) const;

    BezierSpline<float> mightRel;
    BezierSpline<float> mightAbs;
};
