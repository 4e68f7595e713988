// KI_Strategy: an AI strategy of the strategy definitions ("cfg\strategy.cfg"), kept by the
// world's strategy tree under its name. The strategy loader fills it; creatures find it by name.
#pragma once
#include "base/String.h"

class KI_Strategy {
public:
    String name;  // "desc"
    String description;
};
