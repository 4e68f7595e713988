// KI_Strategy: an AI strategy of the strategy definitions ("cfg\strategy.cfg"), kept by the
// world's strategy tree under its name. The strategy loader fills it; creatures find it by name.
// Its score script, with the module the world builds for it and the curve that shapes the
// script's result, rates the strategy for a creature and a target (WorldCtrl::EvaluateStrategyScore).
#pragma once
#include "base/BezierSpline.h"
#include "base/String.h"
#include "world/ScriptReaderGameEngine.h"

#include <memory>

class KI_Strategy {
public:
    String name;  // "desc"
    String description;
    String scoreScript;  // a script file name (".txt", ".c", ".cpp") or inline script text; empty: scores 0
    // Built on the first evaluation and reset for the next; built again each time in debug mode,
    // so that an edited script file is read again.
    std::unique_ptr<ScriptReaderGameEngine> scoreModule;
    BezierSpline<float> scoreCurve;  // without keys the script's result is the score
};
