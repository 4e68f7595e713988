// DXC_Camera: a camera node with its field of view.
#pragma once
#include "engine/scene/DXC_Target3dObject.h"

class DXC_Camera : public DXC_Target3dObject {
public:
    DXC_Camera();

    int Write(File& file) override;
    int Read(File& file) override;
    // Target part, field of view, then the object part with its keys.
    void CopyTo(DXC_Camera& target) const;

    float fieldOfView = 0.785f;  // radians
};
