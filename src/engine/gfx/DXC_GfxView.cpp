// DXC_Gfx view data: the matrices and the viewport the graphics object keeps, and what it answers
// from them without asking a device: the camera position and the pick ray through a screen point.
#include "engine/gfx/DXC_Gfx.h"

#include <cmath>

void DXC_Gfx::SetViewMatrix(const D3DXMATRIX& matrix)
{
    viewMatrix = matrix;
    frustumDirty = 1;
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
}

void DXC_Gfx::UpdateWorldViewProjection()
{
    worldViewProjection = worldMatrix * viewMatrix * projectionMatrix;
}

void DXC_Gfx::SetCameraLookAt(const D3DXVECTOR3& eye, const D3DXVECTOR3& target, const D3DXVECTOR3& up,
                              bool mirrored)
{
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &target, &up);
    if (mirrored)
        for (int row = 0; row < 3; row++)
            view.m[row][0] = -view.m[row][0];
    SetViewMatrix(view);
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
    viewport = next;
    frustumDirty = 1;
    return 1;
}

void DXC_Gfx::GetViewportRect(int32_t rect[4]) const
{
    rect[0] = int32_t(viewport.X);
    rect[1] = int32_t(viewport.Y);
    rect[2] = int32_t(viewport.X + viewport.Width);
    rect[3] = int32_t(viewport.Y + viewport.Height);
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
    const D3DXVECTOR3 point(x, y, z);
    const D3DXMATRIX viewProjection = viewMatrix * projectionMatrix;
    D3DXVECTOR4 clip;
    D3DXVec3Transform(&clip, &point, &viewProjection);
    if (!(clip.w > 0.0f))
        return false;  // behind the camera
    float sx = 0.0f, sy = 0.0f;
    ProjectToScreen(point, sx, sy);
    int32_t rect[4];
    GetViewportRect(rect);
    return sx >= float(rect[0]) - size && sx <= float(rect[2]) + size && sy >= float(rect[1]) - size &&
           sy <= float(rect[3]) + size;
}
