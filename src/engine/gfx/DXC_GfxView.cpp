// DXC_Gfx view data: the matrices and the viewport the graphics object keeps and sends, the cameras
// it builds, and what it answers from its copies without asking a device: the camera position, the
// pick ray through a screen point, screen positions and view depths.
#include "engine/gfx/DXC_Gfx.h"

#include "engine/scene/DXC_Camera.h"
#include "platform/D3D9Device.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kCameraPlaneEpsilon = 1e-5f;  // clip w at or below it: at or behind the camera plane

bool SameViewport(const D3DVIEWPORT9& a, const D3DVIEWPORT9& b)
{
    return a.X == b.X && a.Y == b.Y && a.Width == b.Width && a.Height == b.Height && a.MinZ == b.MinZ &&
           a.MaxZ == b.MaxZ;
}

}  // namespace

// The server keeps its copies without a device; a client sends each one.
void DXC_Gfx::SendTransform(D3DTRANSFORMSTATETYPE type, const D3DXMATRIX& matrix)
{
    if (!device)
        return;
    lastResult = device->SetTransform(type, &matrix);
    if (FAILED(lastResult))
        Error("SetTransform failed: %s", GetDirectXErrorName(lastResult));
}

// A mirrored view turns the faces round. Without a device only the request changes, so the
// server's copies of a mirrored camera need no device.
void DXC_Gfx::TurnCulling()
{
    if (device)
        SetCullMode(-states.requestedCullMode);
    else
        states.requestedCullMode = -states.requestedCullMode;
}

void DXC_Gfx::SetViewMatrix(const D3DXMATRIX& matrix)
{
    viewMatrix = matrix;
    frustumDirty = 1;
    SendTransform(D3DTS_VIEW, viewMatrix);
}

void DXC_Gfx::SetProjectionMatrix(const D3DXMATRIX& matrix)
{
    projectionMatrix = matrix;
    const float w = matrix.m[2][3];
    if (w != 1.0f && w != 0.0f)
        for (auto& row : projectionMatrix.m)
            for (float& element : row)
                element /= w;
    frustumDirty = 1;
    SendTransform(D3DTS_PROJECTION, projectionMatrix);
}

void DXC_Gfx::SetPerspective(float nearPlane, float farPlane, float fieldOfView, float aspect)
{
    if (aspect == -1.0f)
        aspect = viewport.Height ? float(viewport.Width) * aspectFactor / float(viewport.Height) : aspectFactor;
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, fieldOfView, aspect, nearPlane, farPlane);
    perspectiveNear = nearPlane;
    perspectiveFar = farPlane;
    SetProjectionMatrix(projection);
}

void DXC_Gfx::MirrorProjection()
{
    D3DXMATRIX mirror;
    D3DXMatrixScaling(&mirror, -1.0f, 1.0f, 1.0f);
    const D3DXMATRIX mirrored = projectionMatrix * mirror;
    TurnCulling();
    SetProjectionMatrix(mirrored);
}

void DXC_Gfx::SetWorldMatrix(const D3DXMATRIX& matrix, int32_t index)
{
    if (index < 0 || index >= kWorldMatrices)
        Error("Invalid world matrix index: %i", index);
    worldMatrices[index] = matrix;
    SendTransform(D3DTS_WORLDMATRIX(index), matrix);
}

void DXC_Gfx::UpdateWorldViewProjection()
{
    worldViewProjection = worldMatrices[0] * viewMatrix * projectionMatrix;
}

void DXC_Gfx::SetTextureTransform(const D3DXMATRIX* matrix, int32_t stage)
{
    if (stage < 0 || stage >= DXC_StateCache::kStages)
        Error("Invalid texture stage in SetTextureTransform()");
    if (matrix) {
        SetStageTransformFlags(stage, D3DTTFF_COUNT3);
        states.stageMatrices[stage] = *matrix;
        SendTransform(D3DTRANSFORMSTATETYPE(D3DTS_TEXTURE0 + stage), *matrix);
        return;
    }
    if (states.stages[stage].transformFlags != 0) {
        SetStageTransformFlags(stage, D3DTTFF_DISABLE);
        D3DXMatrixIdentity(&states.stageMatrices[stage]);
    }
}

void DXC_Gfx::SetCameraLookAt(const D3DXVECTOR3& eye, const D3DXVECTOR3& target, const D3DXVECTOR3& up,
                              bool mirrored)
{
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &target, &up);
    if (mirrored) {
        for (int row = 0; row < 3; row++)
            view.m[row][0] = -view.m[row][0];
        TurnCulling();
    }
    SetViewMatrix(view);
}

void DXC_Gfx::SetCameraFromObject(DXC_Camera& camera, const D3DXMATRIX* parent)
{
    D3DXMATRIX world = camera.offsetMatrix * camera.worldMatrix;
    float determinant = D3DXMatrixDeterminant(&world);
    if (parent) {
        world = world * *parent;
        determinant *= D3DXMatrixDeterminant(parent);
    }
    SetPerspective(perspectiveNear, perspectiveFar, camera.fieldOfView, -1.0f);
    D3DXVECTOR3 eye, direction, up;
    D3DXVec3TransformCoord(&eye, &camera.worldPosition, &world);
    D3DXVec3TransformNormal(&direction, &camera.direction, &world);  // the translation left out
    D3DXVec3TransformNormal(&up, &camera.upVector, &world);
    SetCameraLookAt(eye, eye + direction, up, determinant < 0.0f);
}

int DXC_Gfx::SetViewPort(int32_t x1, int32_t y1, int32_t x2, int32_t y2, float minZ, float maxZ)
{
    D3DVIEWPORT9 next;
    next.X = unsigned(x1);
    next.Y = unsigned(y1);
    next.Width = unsigned(x2 - x1);
    next.Height = unsigned(y2 - y1);
    next.MinZ = minZ;
    next.MaxZ = maxZ;
    if (viewportCacheValid && SameViewport(next, viewportCache))
        return 1;
    viewport = viewportCache = next;
    viewportCacheValid = 1;
    frustumDirty = 1;
    if (!device)
        return 1;
    lastResult = device->SetViewport(&viewport);
    if (FAILED(lastResult)) {
        if (!windowed)
            Error("SetViewPort failed: %s", GetDirectXErrorName(lastResult));
        Warning("SetViewPort failed: %s", GetDirectXErrorName(lastResult));
        return 0;
    }
    return 1;
}

void DXC_Gfx::GetViewportRect(int32_t rect[4]) const
{
    rect[0] = int32_t(viewport.X);
    rect[1] = int32_t(viewport.Y);
    rect[2] = int32_t(viewport.X + viewport.Width);
    rect[3] = int32_t(viewport.Y + viewport.Height);
}

void DXC_Gfx::GetViewportDepthRange(float range[2]) const
{
    range[0] = viewport.MinZ;
    range[1] = viewport.MaxZ;
}

void DXC_Gfx::GetCameraPos(D3DXVECTOR3& out) const
{
    D3DXMATRIX inverse;
    if (!D3DXMatrixInverse(&inverse, nullptr, &viewMatrix)) {
        out = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
        return;
    }
    out = D3DXVECTOR3(inverse.m[3][0], inverse.m[3][1], inverse.m[3][2]);
}

void DXC_Gfx::GetPickRayDir(D3DXVECTOR3& out, float x, float y) const
{
    out = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    if (viewport.Width == 0 || viewport.Height == 0)
        return;  // the server's graphics object never has a viewport
    const D3DXMATRIX viewProjection = viewMatrix * projectionMatrix;
    D3DXMATRIX inverse;
    if (!D3DXMatrixInverse(&inverse, nullptr, &viewProjection))
        return;
    const D3DXVECTOR3 screen((x - float(viewport.X)) * 2.0f / float(viewport.Width) - 1.0f,
                             -((y - float(viewport.Y)) * 2.0f / float(viewport.Height) - 1.0f), 0.0f);
    D3DXVECTOR3 near, camera;
    D3DXVec3TransformCoord(&near, &screen, &inverse);
    GetCameraPos(camera);
    out = near - camera;
}

int DXC_Gfx::ProjectToScreen(const D3DXVECTOR3& point, float& x, float& y) const
{
    const D3DXMATRIX viewProjection = viewMatrix * projectionMatrix;
    D3DXVECTOR4 clip;
    D3DXVec3Transform(&clip, &point, &viewProjection);
    if (!(clip.w > kCameraPlaneEpsilon))
        return 0;  // the division would mirror it onto the screen, or blow it up
    const float halfWidth = float(viewport.Width) * 0.5f;
    const float halfHeight = float(viewport.Height) * 0.5f;
    x = float(viewport.X) + halfWidth + clip.x / clip.w * halfWidth;
    y = float(viewport.Y) + halfHeight - clip.y / clip.w * halfHeight;
    return 1;
}

bool DXC_Gfx::IsPointOnScreen(float x, float y, float z, float size) const
{
    if (!HasDevice())
        return false;
    float sx = 0.0f, sy = 0.0f;
    if (!ProjectToScreen(D3DXVECTOR3(x, y, z), sx, sy))
        return false;  // behind the camera
    int32_t rect[4];
    GetViewportRect(rect);
    return sx >= float(rect[0]) - size && sx <= float(rect[2]) + size && sy >= float(rect[1]) - size &&
           sy <= float(rect[3]) + size;
}

float DXC_Gfx::GetViewDepth(const D3DXVECTOR3& point) const
{
    const D3DXMATRIX& v = viewMatrix;
    return point.x * v.m[0][2] + point.y * v.m[1][2] + point.z * v.m[2][2] + v.m[3][2];
}

float DXC_Gfx::GetMaxAxisScale(const D3DXMATRIX& matrix)
{
    float largest = 0.0f;
    for (int column = 0; column < 3; column++) {
        const float x = matrix.m[0][column], y = matrix.m[1][column], z = matrix.m[2][column];
        largest = std::max(largest, x * x + y * y + z * z);
    }
    return std::sqrt(largest);
}
