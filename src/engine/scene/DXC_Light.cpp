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

void DXC_Light::SetParams(float dr, float dg, float db, float, float sr, float sg, float sb, float, float ar, float ag,
                          float ab, float, float range)
{
    lightParams = LightParams();
    lightParams.Type = 3;  // directional
    lightParams.Diffuse = {dr, dg, db, 0.0f};
    lightParams.Specular = {sr, sg, sb, 0.0f};
    lightParams.Ambient = {ar, ag, ab, 0.0f};
    lightParams.Range = range;
    lightWordA = 0;
}

void DXC_Light::UpdateView(const D3DXMATRIX* view)
{
    D3DXMATRIX inverse, placed, m;
    if (!D3DXMatrixInverse(&inverse, nullptr, &worldMatrix))
        return;  // a light squashed flat has nowhere to shine from
    D3DXMatrixMultiply(&placed, &offsetMatrix, &worldMatrix);
    D3DXMatrixMultiply(&m, &inverse, &placed);
    if (view)
        D3DXMatrixMultiply(&m, &m, view);
    D3DXVECTOR3 p, d;
    D3DXVec3TransformCoord(&p, &worldPosition, &m);
    D3DXVec3TransformNormal(&d, &direction, &m);
    lightParams.Position[0] = p.x;
    lightParams.Position[1] = p.y;
    lightParams.Position[2] = p.z;
    lightParams.Direction[0] = d.x;
    lightParams.Direction[1] = d.y;
    lightParams.Direction[2] = d.z;
}

void DXC_Light::CopyTo(DXC_Light& target) const
{
    target.CopyFrom(*this);
    target.lightWordA = lightWordA;
    target.lightWordB = lightWordB;
    target.lightParams = lightParams;
    DXC_3dObject::CopyTo(target, 1);
}
