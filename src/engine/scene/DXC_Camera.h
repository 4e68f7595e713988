// DXC_Camera: a camera node with its field of view.
#pragma once
#include "engine/scene/DXC_Target3dObject.h"

class DXC_Camera : public DXC_Target3dObject {
public:
    DXC_Camera();

    float fieldOfView = 0.785f;  // radians
};
