// DXC_3dClipObject: a scene node with bounds; DXC_ClipObject is the bounds record itself.
#pragma once
#include "engine/scene/DXC_3dObject.h"

// The 44-byte bounds record of the scene file: sphere and axis-aligned box.
class DXC_ClipObject {
public:
    void ResetBounds() { *this = DXC_ClipObject(); }

    uint32_t boundsFlags = 0;  // bit 0 sphere test on, bit 1 box test on
    float boundsRadius = 0.0f;
    D3DXVECTOR3 boundsCentre;
    D3DXVECTOR3 boxMin;
    D3DXVECTOR3 boxMax;
};

class DXC_3dClipObject : public DXC_3dObject, public DXC_ClipObject {};
