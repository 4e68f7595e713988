// DXC_Light: a light node with the Direct3D 9 light record.
#include "engine/scene/DXC_Light.h"

DXC_Light::DXC_Light()
{
    DXC_Base::SetName("DXC_Light");
    kind = OBJ_KIND_LIGHT;
    lightParams = LightParams();
    lightParams.Falloff = 1.0f;
}

void DXC_Light::SetParams(const LightParams& params)
{
    lightParams = params;
    lightWordA = 0;
}
