// DXC_LightSet: the lights, ambient colour and fog a scene switches on while it is drawn.
#pragma once
#include "engine/gfx/DXC_GfxStateCache.h"

#include <cstdint>
#include <vector>

class DXC_Light;

struct DXC_LightSet {
    bool hasAmbient = false;
    uint32_t ambientColor = 0;
    bool hasFog = false;
    DXC_Fog fog;
    std::vector<DXC_Light*> lights;  // not owned; at most eight reach the device
};
