// DXC_Light: a light node with the Direct3D 9 light record.
#pragma once
#include "engine/scene/DXC_Target3dObject.h"
#include "platform/D3D9Types.h"

using LightParams = D3DLIGHT9;

class DXC_Light : public DXC_Target3dObject {
public:
    DXC_Light();

    void SetParams(const LightParams& params);

    uint32_t lightWordA = 1;
    uint32_t lightWordB = 1;
    LightParams lightParams;
};
