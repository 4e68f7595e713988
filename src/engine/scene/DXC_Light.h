// DXC_Light: a light node with the Direct3D 9 light record.
#pragma once
#include "engine/scene/DXC_Target3dObject.h"
#include "platform/D3D9Types.h"

using LightParams = D3DLIGHT9;

class DXC_Light : public DXC_Target3dObject {
public:
    DXC_Light();

    void SetParams(const LightParams& params);
    // A directional light of these colours (each fourth value is not used) and range.
    void SetParams(float dr, float dg, float db, float, float sr, float sg, float sb, float, float ar, float ag,
                   float ab, float, float range);
    int Write(File& file) override;
    int Read(File& file) override;
    // The light's position and direction through its placement and the view (none: identity).
    void UpdateView(const D3DXMATRIX* matrix) override;
    // Target part, the two words, the light record, then the object part with its keys.
    void CopyTo(DXC_Light& target) const;

    uint32_t lightWordA = 1;
    uint32_t lightWordB = 1;
    LightParams lightParams;
};

// The renderer's light of a level: a light node as it is, kept by the level viewer.
class DXC_LightEx : public DXC_Light {
public:
    DXC_LightEx() = default;
};
