// DXC_3dObject: the scene node's reset, messages, setters, matrix rebuilds and hierarchy composition.
#include "engine/scene/DXC_3dObject.h"

#include "engine/scene/SceneMath.h"

#include <cmath>
#include <cstdio>

DXC_3dObject::DXC_3dObject()
{
    DXC_Base::SetName("DXC_3dObject");
    Reset();
}

DXC_3dObject::~DXC_3dObject()
{
    ClearKeys();
}

void DXC_3dObject::Error(const char* format, ...)
{
    char message[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format ? format : "", args);
    va_end(args);
    DXC_Base::Error("%s: %s", objectName.c_str(), message);
}

void DXC_3dObject::Warning(const char* format, ...)
{
    char message[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format ? format : "", args);
    va_end(args);
    DXC_Base::Warning("%s: %s", objectName.c_str(), message);
}

void DXC_3dObject::UpdateVectors(int) {}

void DXC_3dObject::Reset()
{
    ClearKeys();  // a reset of a keyed node must not leak its chains
    parentName = "";
    kind = OBJ_KIND_NONE;
    D3DXMatrixIdentity(&worldMatrix);
    D3DXMatrixIdentity(&offsetMatrix);
    D3DXMatrixIdentity(&baseMatrix);
    extraScale = D3DXVECTOR3(1, 1, 1);
    position = D3DXVECTOR3(0, 0, 0);
    scale = D3DXVECTOR3(1, 1, 1);
    rotationAxis = D3DXVECTOR3(0, 0, 0);
    rotationAngle = 0.0f;
    aniFrozen = 0;
    transformChanged = 1;
    lastAniTime = 0.0;
    D3DXMatrixIdentity(&translationMatrix);
    D3DXMatrixIdentity(&rotationMatrix);
    D3DXMatrixIdentity(&scalingMatrix);
    aniPosition = D3DXVECTOR3(0, 0, 0);
    aniScale = D3DXVECTOR3(1, 1, 1);
    aniRotation = D3DXQUATERNION(0, 0, 0, 1);
    objectName = "*undefined*";
    parent = nullptr;
    inheritPosition = inheritScale = inheritRotation = inheritMirror = 1;
    aniLoop = 0;
    aniRange = 100.0f;
    worldValid = 0;
    opacity = 1.0f;
    inheritOpacity = 0;
}

void DXC_3dObject::ResetTransform()
{
    D3DXMatrixIdentity(&baseMatrix);
    position = D3DXVECTOR3(0, 0, 0);
    scale = D3DXVECTOR3(1, 1, 1);
    rotationAngle = 0.0f;
    D3DXMatrixIdentity(&worldMatrix);
    D3DXMatrixIdentity(&offsetMatrix);
    ClearKeys();
    worldValid = 0;
    transformChanged = 1;
}

void DXC_3dObject::CopyNode(const DXC_3dObject& src, DXC_3dObject& dst, bool withKeys)
{
    if (&src == &dst)
        return;
    dst.ClearKeys();
    dst.kind = src.kind;
    dst.worldMatrix = src.worldMatrix;
    dst.offsetMatrix = src.offsetMatrix;
    dst.baseMatrix = src.baseMatrix;
    dst.extraScale = src.extraScale;
    dst.position = src.position;
    dst.scale = src.scale;
    dst.rotationAxis = src.rotationAxis;
    dst.rotationAngle = src.rotationAngle;
    dst.aniFrozen = src.aniFrozen;
    dst.transformChanged = src.transformChanged;
    dst.lastAniTime = src.lastAniTime;
    dst.translationMatrix = src.translationMatrix;
    dst.rotationMatrix = src.rotationMatrix;
    dst.scalingMatrix = src.scalingMatrix;
    dst.aniPosition = src.aniPosition;
    dst.aniScale = src.aniScale;
    dst.aniRotation = src.aniRotation;
    dst.objectName = src.objectName;
    dst.parent = src.parent;
    dst.parentName = src.parentName;
    dst.inheritPosition = src.inheritPosition;
    dst.inheritScale = src.inheritScale;
    dst.inheritRotation = src.inheritRotation;
    dst.inheritMirror = src.inheritMirror;
    if (withKeys) {
        dst.posKeys = DXC_PosKey::CopyChain(src.posKeys);
        dst.scaleKeys = DXC_ScaleKey::CopyChain(src.scaleKeys);
        dst.rotKeys = DXC_RotKey::CopyChain(src.rotKeys);
        dst.numPosKey = DXC_PosKey::Count(dst.posKeys);
        dst.numScaleKey = DXC_ScaleKey::Count(dst.scaleKeys);
        dst.numRotKey = DXC_RotKey::Count(dst.rotKeys);
    }
    dst.aniLoop = src.aniLoop;
    dst.aniRange = src.aniRange;
    dst.worldValid = src.worldValid;
    dst.opacityCurve = src.opacityCurve;
    dst.opacity = src.opacity;
    dst.inheritOpacity = src.inheritOpacity;
    if (withKeys && (src.posTimeTable || src.rotTimeTable || src.scaleTimeTable))
        dst.BuildKeyTimeTables();
}

int DXC_3dObject::CopyTo(DXC_3dObject& target, int withKeys) const
{
    if (&target == this)
        return 1;
    target.Reset();
    CopyNode(*this, target, withKeys != 0);
    return 1;
}

int DXC_3dObject::SetPosition(float x, float y, float z, int rebuild)
{
    position = D3DXVECTOR3(x, y, z);
    if (rebuild)
        RebuildLocal();
    else
        transformChanged = 1;
    return 1;
}

int DXC_3dObject::SetRotation(float axisX, float axisY, float axisZ, float angle, int rebuild)
{
    rotationAxis = D3DXVECTOR3(axisX, axisY, axisZ);
    rotationAngle = angle;
    if (rebuild)
        RebuildLocal();
    else
        transformChanged = 1;
    return 1;
}

int DXC_3dObject::SetScale(float x, float y, float z, int rebuild)
{
    scale = D3DXVECTOR3(x, y, z);
    if (rebuild)
        RebuildLocal();
    else
        transformChanged = 1;
    return 1;
}

D3DXQUATERNION DXC_3dObject::StaticQuaternion() const
{
    D3DXQUATERNION q;
    D3DXQuaternionRotationAxis(&q, &rotationAxis, rotationAngle);
    return q;
}

int DXC_3dObject::Rotate(float axisX, float axisY, float axisZ, float angle, int rebuild)
{
    D3DXVECTOR3 axis(axisX, axisY, axisZ);
    D3DXQUATERNION turn;
    D3DXQuaternionRotationAxis(&turn, &axis, angle);
    return RotateByQuaternion(turn, rebuild);
}

int DXC_3dObject::RotateByQuaternion(const D3DXQUATERNION& turn, int rebuild)
{
    D3DXQUATERNION q = StaticQuaternion();
    D3DXQuaternionMultiply(&q, &q, &turn);
    QuaternionToAxisAngleSafe(q, &rotationAxis, &rotationAngle);
    if (rebuild)
        RebuildLocal();
    else
        transformChanged = 1;
    return 1;
}

int DXC_3dObject::SetRotationQuaternion(const D3DXQUATERNION& q, int rebuild)
{
    QuaternionToAxisAngleNorm(q, &rotationAxis, &rotationAngle);
    if (rebuild)
        RebuildLocal();
    else
        transformChanged = 1;
    return 1;
}

D3DXMATRIX DXC_3dObject::MultiplyMatrix(const D3DXMATRIX& m, int rebuildFirst)
{
    if (rebuildFirst)
        RebuildLocal();
    D3DXMatrixMultiply(&worldMatrix, &worldMatrix, &m);
    transformChanged = 1;
    return worldMatrix;
}

void DXC_3dObject::MultiplyScale(float x, float y, float z)
{
    extraScale.x *= x;
    extraScale.y *= y;
    extraScale.z *= z;
    transformChanged = 1;
}

void DXC_3dObject::SetInheritance(uint32_t inheritPos, uint32_t inheritRot, uint32_t inheritScl,
                                  uint32_t inheritMir)
{
    inheritPosition = inheritPos;
    inheritRotation = inheritRot;
    inheritScale = inheritScl;
    inheritMirror = inheritMir;
}

void DXC_3dObject::RebuildLocal()
{
    D3DXMatrixTranslation(&translationMatrix, position.x, position.y, position.z);
    D3DXMatrixScaling(&scalingMatrix, scale.x * extraScale.x, scale.y * extraScale.y, scale.z * extraScale.z);
    D3DXMatrixRotationAxis(&rotationMatrix, &rotationAxis, rotationAngle);
    D3DXMATRIX m;
    D3DXMatrixMultiply(&m, &scalingMatrix, &rotationMatrix);
    D3DXMatrixMultiply(&m, &m, &translationMatrix);
    baseMatrix = m;
    worldMatrix = m;
    aniPosition = position;
    transformChanged = 1;
}

void DXC_3dObject::RebuildWorld(int force)
{
    if (!force && worldValid)
        return;
    D3DXMatrixTranslation(&translationMatrix, aniPosition.x, aniPosition.y, aniPosition.z);
    D3DXMatrixScaling(&scalingMatrix, aniScale.x * extraScale.x, aniScale.y * extraScale.y,
                      aniScale.z * extraScale.z);
    D3DXMatrixRotationQuaternion(&rotationMatrix, &aniRotation);
    D3DXMatrixMultiply(&worldMatrix, &scalingMatrix, &rotationMatrix);
    D3DXMatrixMultiply(&worldMatrix, &worldMatrix, &translationMatrix);
    if (parent) {
        parent->RebuildWorld(force);
        D3DXMatrixMultiply(&worldMatrix, &worldMatrix, &parent->worldMatrix);  // whatever the flags say
    }
    worldValid = 1;
    transformChanged = 1;
}

void DXC_3dObject::SetWorldDirty(int dirty)
{
    worldValid = dirty ? 0 : 1;
    transformChanged = dirty ? 1 : 0;
}

void DXC_3dObject::ComposeParent()
{
    if (!parent)
        return;
    const bool all = inheritPosition && inheritScale && inheritRotation && inheritMirror;
    const bool none = !inheritPosition && !inheritScale && !inheritRotation && !inheritMirror;
    if (none)
        return;
    D3DXMATRIX p = parent->worldMatrix;
    if (all) {
        D3DXMatrixMultiply(&worldMatrix, &worldMatrix, &p);
        return;
    }
    // Partial inheritance: take the parent apart into translation, axis lengths and pure rotation.
    D3DXVECTOR3 t(p.m[3][0], p.m[3][1], p.m[3][2]);
    p.m[3][0] = p.m[3][1] = p.m[3][2] = 0.0f;
    float len[3];
    for (int row = 0; row < 3; row++) {
        float* r = p.m[row];
        len[row] = std::sqrt(r[0] * r[0] + r[1] * r[1] + r[2] * r[2]);
        if (len[row] != 0.0f) {  // a collapsed parent axis stays collapsed instead of turning into NaN
            r[0] /= len[row];
            r[1] /= len[row];
            r[2] /= len[row];
        }
    }
    D3DXMATRIX n;
    D3DXMatrixIdentity(&n);
    if (inheritScale) {
        n.m[0][0] *= len[0];
        n.m[1][1] *= len[1];
        n.m[2][2] *= len[2];
    }
    if (inheritRotation)
        D3DXMatrixMultiply(&n, &n, &p);
    if (inheritPosition) {
        n.m[3][0] = t.x;
        n.m[3][1] = t.y;
        n.m[3][2] = t.z;
    }
    D3DXMatrixMultiply(&worldMatrix, &worldMatrix, &n);
}

D3DXVECTOR3 DXC_3dObject::GetMatrixPosition() const
{
    return D3DXVECTOR3(worldMatrix.m[3][0], worldMatrix.m[3][1], worldMatrix.m[3][2]);
}

D3DXQUATERNION DXC_3dObject::GetWorldRotation() const
{
    if (!parent)
        return aniRotation;
    D3DXQUATERNION up = parent->GetWorldRotation();
    D3DXQUATERNION q;
    D3DXQuaternionMultiply(&q, &aniRotation, &up);
    return q;
}

float DXC_3dObject::GetOpacity() const
{
    if (inheritOpacity && parent)
        return opacity * parent->GetOpacity();
    return opacity;
}

void DXC_3dObject::RotateAbout(const D3DXQUATERNION& r, int keepPositions)
{
    D3DXQUATERNION q = StaticQuaternion();
    D3DXQuaternionMultiply(&q, &q, &r);
    QuaternionToAxisAngleSafe(q, &rotationAxis, &rotationAngle);
    D3DXMATRIX rm;
    D3DXMatrixRotationQuaternion(&rm, &r);

    for (DXC_RotKey* k = rotKeys; k; k = k->next) {
        DXC_RotKeyData& d = k->data;
        D3DXQuaternionMultiply(&d.quaternion, &d.quaternion, &r);
        if (k == rotKeys)
            QuaternionToAxisAngleSafe(d.quaternion, &d.axis, &d.angle);  // the first key is absolute
        else
            D3DXVec3TransformCoord(&d.axis, &d.axis, &rm);  // later keys turn relative to it
        D3DXQuaternionMultiply(&d.inControl, &d.inControl, &r);
        D3DXQuaternionMultiply(&d.outControl, &d.outControl, &r);
    }
    if (!keepPositions) {
        D3DXVec3TransformCoord(&position, &position, &rm);
        for (DXC_PosKey* k = posKeys; k; k = k->next)
            D3DXVec3TransformCoord(&k->data.value, &k->data.value, &rm);
    }
    RebuildLocal();
    UpdateVectors(1);
}

void DXC_3dObject::RotateAxisAngle(const D3DXVECTOR3& axis, float angle, int keepPositions)
{
    if (angle == 0.0f)
        return;
    D3DXQUATERNION r;
    D3DXQuaternionRotationAxis(&r, &axis, angle);
    RotateAbout(r, keepPositions);
}

int DXC_3dObject::ScaleWithKeys(float x, float y, float z, int keepPositions)
{
    auto mul = [x, y, z](D3DXVECTOR3& v) {
        v.x *= x;
        v.y *= y;
        v.z *= z;
    };
    mul(scale);
    for (DXC_ScaleKey* k = scaleKeys; k; k = k->next)
        mul(k->data.value);
    if (!keepPositions) {
        mul(position);
        for (DXC_PosKey* k = posKeys; k; k = k->next)
            mul(k->data.value);
    }
    RebuildLocal();
    UpdateVectors(1);
    return 1;
}

bool DXC_3dObject::HasParentCycle() const
{
    // Two walkers, one twice as fast: they meet only when the chain runs in a circle.
    const DXC_3dObject* slow = this;
    const DXC_3dObject* fast = this;
    for (;;) {
        fast = fast->parent;
        if (!fast)
            return false;
        fast = fast->parent;
        if (!fast)
            return false;
        slow = slow->parent;
        if (slow == fast)
            return true;
    }
}
