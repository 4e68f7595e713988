// DXC_Gfx mirrors: one object of a scene drawn by the pass mask, and a mirror object with the
// scene reflected in its plane: the mirror's pixels marked in the stencil buffer, the reflected
// scene drawn into screen buffer 1 (through a copy of the back buffer where that is
// multisampled) and projected onto the mirror.
#include "engine/gfx/DXC_Gfx.h"

#include "engine/scene/DXC_3dScene.h"
#include "engine/scene/DXC_Mesh.h"
#include "platform/D3D9Device.h"

namespace {

// The mirror's plane: through the centre of its box, across the box's thinnest axis, placed.
D3DXPLANE MirrorPlane(const DXC_MeshBase& mesh, const D3DXMATRIX& placed)
{
    const D3DXVECTOR3 size = mesh.boxMax - mesh.boxMin;
    D3DXVECTOR3 axis(0, 0, 1);
    if (size.x <= size.y && size.x <= size.z)
        axis = D3DXVECTOR3(1, 0, 0);
    else if (size.y <= size.z)
        axis = D3DXVECTOR3(0, 1, 0);
    const D3DXVECTOR3 centre = (mesh.boxMin + mesh.boxMax) * 0.5f;
    D3DXVECTOR3 point, normal;
    D3DXVec3TransformCoord(&point, &centre, &placed);
    D3DXVec3TransformNormal(&normal, &axis, &placed);
    D3DXVec3Normalize(&normal, &normal);
    return D3DXPLANE(normal.x, normal.y, normal.z, -D3DXVec3Dot(&normal, &point));
}

}  // namespace

int DXC_Gfx::RenderObject(DXC_3dScene& scene, DXC_Mesh& mesh, int32_t options, int32_t passMask)
{
    const int32_t needs = mesh.IsTransparent() ? 2 : 1;
    if (!(passMask & needs))
        return 0;
    if (mesh.isMirror && CanDrawMirrors()) {
        const D3DXMATRIX placed = mesh.worldMatrix * scene.worldMatrix;
        const tmpRECT<int32_t> rect = CalcMeshRectOnScreen(mesh, placed);
        if (rect.right > rect.left && rect.bottom > rect.top)
            return DrawMirror(scene, mesh, options, rect);
    }
    DrawMesh(&mesh, &scene.worldMatrix, nullptr, 0, false, 3, false);
    return 1;
}

bool DXC_Gfx::CanDrawMirrors() const
{
    return mirrorsEnabled && device && presentParameters.EnableAutoDepthStencil && states.stencilAvailable &&
           mirrorDepth < kMaxMirrorDepth;
}

int DXC_Gfx::DrawMirror(DXC_3dScene& scene, DXC_Mesh& mesh, int32_t options, const tmpRECT<int32_t>& rect)
{
    IDirect3DDevice9& d = Device();
    // The mirror's pixels get 1; the reflection then draws only where the stencil holds 1.
    SetStencilEnable(1);
    ClearStencil(0, nullptr);
    SetStencilFunc(D3DCMP_ALWAYS, 1);
    SetStencilOps(D3DSTENCILOP_REPLACE, D3DSTENCILOP_KEEP, D3DSTENCILOP_KEEP);
    DrawMesh(&mesh, &scene.worldMatrix, nullptr, 0, false, 3, false);
    SetStencilFunc(D3DCMP_EQUAL, 1);
    SetStencilOps(D3DSTENCILOP_KEEP, D3DSTENCILOP_KEEP, D3DSTENCILOP_KEEP);

    const D3DXMATRIX savedView = viewMatrix;
    const D3DXPLANE plane = MirrorPlane(mesh, mesh.worldMatrix * scene.worldMatrix);
    D3DXMATRIX reflect;
    D3DXMatrixReflect(&reflect, &plane);
    SetViewMatrix(reflect * savedView);
    SetClipPlane(0, plane.a, plane.b, plane.c, plane.d);
    EnableClipPlane(0, 1);
    TurnCulling();

    IDirect3DTexture9* buffer = GetScreenBufferTexture(2, 1);
    const bool multisampled = presentParameters.MultiSampleType != D3DMULTISAMPLE_NONE;
    int32_t viewportRect[4];
    float depthRange[2];
    GetViewportRect(viewportRect);
    GetViewportDepthRange(depthRange);
    IDirect3DSurface9* savedTarget = multisampled ? nullptr : GetRenderTarget(0);
    if (!multisampled)
        SetRenderTargetTexture(buffer, 0);
    SetViewPort(viewportRect[0], viewportRect[1], viewportRect[2], viewportRect[3], depthRange[0], depthRange[1]);
    const D3DRECT outerClear = mirrorClear;
    mirrorClear = {rect.left, rect.top, rect.right, rect.bottom};  // the pass clears only behind the mirror
    mirrorDepth++;
    RenderScene(&scene, options, 0, true);
    mirrorDepth--;
    mirrorClear = outerClear;
    if (savedTarget) {
        SetRenderTarget(savedTarget, 0);
        savedTarget->Release();
        SetViewPort(viewportRect[0], viewportRect[1], viewportRect[2], viewportRect[3], depthRange[0], depthRange[1]);
    }
    SetViewMatrix(savedView);
    TurnCulling();
    EnableClipPlane(0, 0);
    SetStencilEnable(0);

    if (multisampled) {  // a multisampled target cannot be a texture: the back buffer is copied
        IDirect3DSurface9* level = nullptr;
        lastResult = buffer->GetSurfaceLevel(0, &level);
        if (SUCCEEDED(lastResult)) {
            lastResult = d.StretchRect(backBuffer.surface, nullptr, level, nullptr, D3DTEXF_NONE);
            level->Release();
        }
        if (FAILED(lastResult))
            Error("StretchRect for anti-aliased mirror failed: %s", GetDirectXErrorName(lastResult));
    }

    // The buffer projected onto the mirror: coordinates from camera-space positions through the
    // projection and the screen's half-size scale and offset.
    lastResult = d.SetTexture(0, buffer);
    if (FAILED(lastResult))
        Error("SetTexture for mirror failed: %s", GetDirectXErrorName(lastResult));
    // (x, y, w) of the clip position to (0.5 x + 0.5 w, 0.5 w - 0.5 y, w); w divides the first two.
    const D3DXMATRIX toScreen(0.5f, 0, 0, 0, 0, -0.5f, 0, 0, 0, 0, 0, 0, 0.5f, 0.5f, 1.0f, 0);
    const D3DXMATRIX projective = projectionMatrix * toScreen;
    SetStageTexCoordIndex(0, D3DTSS_TCI_CAMERASPACEPOSITION);
    SetTextureTransform(&projective, 0);
    SetStageTransformFlags(0, D3DTTFF_COUNT3 | D3DTTFF_PROJECTED);
    DrawMesh(&mesh, &scene.worldMatrix, nullptr, 0, true, 3, false);
    SetTextureTransform(nullptr, 0);
    SetStageTransformFlags(0, D3DTTFF_DISABLE);
    SetStageTexCoordIndex(0, 0);
    return 1;
}
