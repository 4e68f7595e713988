// DXC_Target3dObject: direction and up vectors of target objects and their orientation.
#include "engine/scene/DXC_Target3dObject.h"

#include "engine/scene/SceneMath.h"

namespace {

D3DXVECTOR3 RowPoint(float x, float y, float z, const D3DXMATRIX& m)
{
    D3DXVECTOR3 in(x, y, z), out;
    D3DXVec3TransformCoord(&out, &in, &m);
    return out;
}

}  // namespace

DXC_Target3dObject::DXC_Target3dObject()
{
    DXC_Base::SetName("DXC_Target3dObject");
    Reset();
}

void DXC_Target3dObject::Reset()
{
    DXC_3dObject::Reset();
    target = nullptr;
    targetName = "";
    direction = D3DXVECTOR3(0, 1, 0);
    upVector = D3DXVECTOR3(0, 0, 1);
    UpdateView(nullptr);
}

void DXC_Target3dObject::UpdateView(const D3DXMATRIX*) {}

void DXC_Target3dObject::UpdateVectors(int withTarget)
{
    worldPosition = RowPoint(0, 0, 0, worldMatrix);
    if (withTarget && target) {
        direction = target->GetMatrixPosition() - worldPosition;  // not normalised
        return;
    }
    upVector = RowPoint(0, 1, 0, worldMatrix) - worldPosition;
    direction = RowPoint(0, 0, -1, worldMatrix) - worldPosition;
}

void DXC_Target3dObject::OrientFromVectors()
{
    D3DXVECTOR3 s, t;
    D3DXVec3Cross(&s, &direction, &upVector);
    D3DXVec3Cross(&t, &s, &direction);
    D3DXMATRIX m(s.x, s.y, s.z, 0, t.x, t.y, t.z, 0, -direction.x, -direction.y, -direction.z, 0, 0, 0, 0, 1);
    QuaternionToAxisAngleNorm(MatrixToQuaternion(m), &rotationAxis, &rotationAngle);
}

int DXC_Target3dObject::SetDirection(float x, float y, float z, int update)
{
    D3DXVECTOR3 d(x, y, z);
    D3DXVec3Normalize(&direction, &d);
    OrientFromVectors();
    if (update)
        UpdateView(nullptr);
    return 1;
}

int DXC_Target3dObject::SetUpVector(float x, float y, float z, int update)
{
    D3DXVECTOR3 u(x, y, z);
    D3DXVec3Normalize(&upVector, &u);
    if (update)
        UpdateView(nullptr);
    return 1;
}

int DXC_Target3dObject::SetPositionNow(float x, float y, float z, int update)
{
    position = D3DXVECTOR3(x, y, z);
    RebuildLocal();
    worldPosition = position;
    if (update)
        UpdateView(nullptr);
    return 1;
}

int DXC_Target3dObject::SetAniTime(double time, int withParent, int force)
{
    DXC_3dObject::SetAniTime(time, withParent, force);
    if (target)
        target->SetAniTime(time, 1, 0);
    UpdateVectors(1);
    UpdateView(nullptr);
    return 1;
}

void DXC_Target3dObject::CopyFrom(const DXC_Target3dObject& other)
{
    CopyNode(other, *this);
    if (targetName != other.targetName)
        targetName = other.targetName;
    target = other.target;
    worldPosition = other.worldPosition;
    direction = other.direction;
    upVector = other.upVector;
}
