// DXC_Gfx screen rectangles and light sets: the screen area a mesh or a scene covers (clipped at
// the camera plane), the view test of a scene, switching a light set on and off around drawing,
// and the scene renderer's viewport update.
#include "engine/gfx/DXC_Gfx.h"

#include "engine/scene/DXC_3dScene.h"
#include "engine/scene/DXC_LightSet.h"
#include "engine/scene/DXC_Mesh.h"

#include <algorithm>
#include <cmath>

namespace {

// Points on the camera plane itself project with this w, which sends them far out on their own
// side; the viewport clamp then brings them to its edge.
constexpr float kMinProjectedW = 1e-6f;

// One box point: view-space position and depth in front of the camera.
struct BoxPoint {
    D3DXVECTOR3 view;
    float depth;
};

}  // namespace

tmpRECT<int32_t> DXC_Gfx::CalcMeshRectOnScreen(const DXC_MeshBase& mesh, const D3DXMATRIX& matrix) const
{
    const D3DXMATRIX toView = mesh.offsetMatrix * matrix * viewMatrix;
    const D3DXVECTOR3& lo = mesh.boxMin;
    const D3DXVECTOR3& hi = mesh.boxMax;
    // Eight corners and at most one crossing point per box edge.
    BoxPoint points[8 + 12];
    int32_t count = 0;
    for (int32_t k = 0; k < 8; k++) {
        const D3DXVECTOR3 local(k & 1 ? hi.x : lo.x, k & 2 ? hi.y : lo.y, k & 4 ? hi.z : lo.z);
        D3DXVECTOR3 view;
        D3DXVec3TransformCoord(&view, &local, &toView);
        points[count++] = {view, view.z};
    }
    for (int32_t k = 0; k < 8; k++) {
        if (points[k].depth >= 0.0f)
            continue;
        for (int32_t bit : {1, 2, 4}) {
            const BoxPoint& front = points[k ^ bit];
            if (front.depth <= 0.0f)
                continue;
            const float f = front.depth / (front.depth - points[k].depth);
            const D3DXVECTOR3 cross = points[k].view * f + front.view * (1.0f - f);
            points[count++] = {cross, 0.0f};
        }
    }

    const D3DVIEWPORT9& vp = viewport;
    const float left = float(vp.X), top = float(vp.Y);
    const float right = left + float(vp.Width), bottom = top + float(vp.Height);
    float minX = 0, minY = 0, maxX = 0, maxY = 0;
    bool any = false;
    for (int32_t i = 0; i < count; i++) {
        if (points[i].depth < 0.0f)
            continue;
        D3DXVECTOR4 clip;
        D3DXVec3Transform(&clip, &points[i].view, &projectionMatrix);
        const float w = std::max(clip.w, kMinProjectedW);
        const float x = left + float(vp.Width) * 0.5f * (1.0f + clip.x / w);
        const float y = top + float(vp.Height) * 0.5f * (1.0f - clip.y / w);
        minX = any ? std::min(minX, x) : x;
        maxX = any ? std::max(maxX, x) : x;
        minY = any ? std::min(minY, y) : y;
        maxY = any ? std::max(maxY, y) : y;
        any = true;
    }
    tmpRECT<int32_t> rect;
    if (!any) {  // wholly behind the camera
        rect.left = rect.right = int32_t(vp.X);
        rect.top = rect.bottom = int32_t(vp.Y);
        return rect;
    }
    // Clamped as floats, so that a point far out never overflows the conversion.
    rect.left = int32_t(std::clamp(std::floor(minX), left, right));
    rect.top = int32_t(std::clamp(std::floor(minY), top, bottom));
    rect.right = int32_t(std::clamp(std::ceil(maxX), left, right));
    rect.bottom = int32_t(std::clamp(std::ceil(maxY), top, bottom));
    return rect;
}

tmpRECT<int32_t> DXC_Gfx::CalcObjectRectOnScreen(DXC_3dScene& scene) const
{
    tmpRECT<int32_t> total;
    bool any = false;
    for (int32_t i = 0; i < scene.GetMeshCount(); i++) {
        const DXC_Mesh* mesh = scene.GetMesh(i);
        if (!mesh)
            continue;
        const tmpRECT<int32_t> r = CalcMeshRectOnScreen(*mesh, mesh->worldMatrix * scene.worldMatrix);
        if (!any) {
            total = r;
        } else {
            total.left = std::min(total.left, r.left);
            total.top = std::min(total.top, r.top);
            total.right = std::max(total.right, r.right);
            total.bottom = std::max(total.bottom, r.bottom);
        }
        any = true;
    }
    return total;
}

bool DXC_Gfx::IsObjectVisible(DXC_3dScene& scene)
{
    if (scene.boundsFlags & 3)
        return TestBounds(scene, scene.worldMatrix) != 0;
    if (scene.GetMeshCount() > 0) {
        for (int32_t i = 0; i < scene.GetMeshCount(); i++)
            if (DXC_Mesh* mesh = scene.GetMesh(i); 
                mesh && TestBounds(*mesh, mesh->offsetMatrix * mesh->worldMatrix * scene.worldMatrix) != 0)
                return true;
        return false;
    }
    const D3DXVECTOR3 p = scene.GetMatrixPosition();
    return TestSphere(p.x, p.y, p.z, 0.0f) != 0;
}

void DXC_Gfx::ApplyLightSet(const DXC_LightSet& set, double time)
{
    if (set.hasAmbient)
        SetAmbient(set.ambientColor);
    if (set.hasFog) {
        SetFog(set.fog);
        EnableFog(1);
    }
    if (set.lights.empty())
        return;
    int32_t slot = 0;
    for (DXC_Light* light : set.lights) {
        if (slot >= 8)
            break;
        SetLight(slot, *light, time, false);
        LightEnable(slot, 1);
        slot++;
    }
    for (; slot < 8; slot++)
        LightEnable(slot, 0);
}

void DXC_Gfx::RemoveLightSet(const DXC_LightSet& set)
{
    if (set.hasFog)
        EnableFog(0);
    const int32_t used = std::min<int32_t>(int32_t(set.lights.size()), 8);
    for (int32_t slot = 0; slot < used; slot++)
        LightEnable(slot, 0);
}

void DXC_Gfx::SetViewportAndCamera(int32_t x, int32_t y, int32_t width, int32_t height)
{
    float depth[2];
    GetViewportDepthRange(depth);
    if (!(depth[1] > depth[0])) {  // no viewport set yet
        depth[0] = 0.0f;
        depth[1] = 1.0f;
    }
    SetViewPort(x, y, x + width, y + height, depth[0], depth[1]);
    UpdateWorldViewProjection();
    frustumDirty = 1;
}
