// DXC_Gfx scene drawing: a whole scene with its camera, clearing or background, view test, light
// set, its meshes in list order or depth-sorted in an opaque and a transparent run, and the
// display aids (light and camera markers, the bounding box).
#include "engine/gfx/DXC_Gfx.h"

#include "engine/scene/DXC_3dScene.h"
#include "engine/scene/DXC_Camera.h"
#include "engine/scene/DXC_LightSet.h"
#include "engine/scene/DXC_Mesh.h"
#include "engine/gfx/DXC_VertexList.h"
#include "platform/D3D9Device.h"

namespace {

constexpr uint32_t kLightMarkerColor = 0xFFFFFF00u;
constexpr uint32_t kCameraMarkerColor = 0xFF00FFFFu;
constexpr uint32_t kBoxColor = 0xFFFFFFFFu;

}  // namespace

int DXC_Gfx::RenderScene(DXC_3dScene* scene, int32_t optionA, int32_t optionB, bool mirrorPass)
{
    if (!scene) {
        Warning("Pointer to 3dScene is zero");
        return 0;
    }
    const bool plain = optionA == 0 && optionB == 0;
    const bool mirrored = (scene->renderFlags & DXC_3dScene::kRenderMirrored) != 0;
    if (!mirrorPass) {
        if (scene->activeCamera >= 0 && scene->activeCamera < scene->GetCameraCount())
            if (DXC_Camera* camera = scene->cameras.GetAt(scene->activeCamera))
                SetCameraFromObject(*camera, nullptr);
        if (mirrored)
            MirrorProjection();
        if (plain && (scene->renderFlags & DXC_3dScene::kRenderClear)) {
            DXC_Texture* background = scene->backgroundTexture;
            if (background && background->IsValid()) {
                SetMaterialStages(background, -1);
                FillScreen(0xFFFFFFFFu, 1.0f);
                ClearZBuffer(1.0f, nullptr);
            } else {
                Clear(scene->backgroundColor, 1.0f, nullptr);
            }
        }
    } else {
        Clear(0, 1.0f, mirrorClear.x2 > mirrorClear.x1 ? &mirrorClear : nullptr);
    }
    if (!TestBounds(*scene, scene->worldMatrix)) {
        if (mirrored && !mirrorPass)
            MirrorProjection();
        return 0;
    }
    scenesDrawn++;
    const DXC_3dScene* outer = sceneInDrawing;
    sceneInDrawing = scene;
    const bool lit = !mirrorPass && plain && scene->lightSet;
    if (lit)
        ApplyLightSet(*scene->lightSet, lastPresentTime);

    if (plain && (scene->renderFlags & DXC_3dScene::kRenderDepthSort)) {
        DrawSceneSorted(*scene, optionA);
    } else {
        for (int32_t i = 0; i < scene->GetMeshCount(); i++)
            if (DXC_Mesh* mesh = scene->GetMesh(i))
                RenderObject(*scene, *mesh, optionA, 3);
    }
    if (!mirrorPass && plain)
        DrawDisplayAids(*scene);

    if (lit)
        RemoveLightSet(*scene->lightSet);
    if (mirrored && !mirrorPass)
        MirrorProjection();
    sceneInDrawing = outer;
    return 1;
}

void DXC_Gfx::DrawSceneSorted(DXC_3dScene& scene, int32_t optionA)
{
    // Every visible mesh takes part: the list grows to the largest scene once and is kept, so
    // steady drawing allocates nothing.
    const int32_t meshes = scene.GetMeshCount();
    if (int32_t(sortList.size()) < meshes)
        sortList.resize(size_t(meshes));
    int32_t count = 0;
    for (int32_t i = 0; i < meshes; i++) {
        DXC_Mesh* mesh = scene.GetMesh(i);
        if (!mesh)
            continue;
        const D3DXMATRIX placed = mesh->offsetMatrix * mesh->worldMatrix * scene.worldMatrix;
        if ((mesh->boundsFlags & 3) && !TestBounds(*mesh, placed))
            continue;
        D3DXVECTOR3 centre;
        D3DXVec3TransformCoord(&centre, &mesh->boundsCentre, &placed);
        sortList[size_t(count++)] = {i, GetViewDepth(centre)};
    }
    if (count > 1)
        SortByKey(sortList.data(), 0, count - 1);
    for (int32_t k = 0; k < count; k++)  // opaque, near to far
        RenderObject(scene, *scene.GetMesh(sortList[size_t(k)].index), optionA, 1);
    for (int32_t k = count - 1; k >= 0; k--)  // transparent, far to near
        RenderObject(scene, *scene.GetMesh(sortList[size_t(k)].index), optionA, 2);
}

void DXC_Gfx::DrawDisplayAids(DXC_3dScene& scene)
{
    auto marks = [](int32_t selected, int32_t index) { return selected == -1 || selected == index; };
    // A light or a camera: a marker where it stands and a line to its target.
    auto markNode = [this](const auto& node, uint32_t color) {
        const D3DXVECTOR3 p = node.GetMatrixPosition();
        DrawMarker(p.x, p.y, p.z, color);
        if (node.target) {
            const D3DXVECTOR3 t = node.target->GetMatrixPosition();
            DrawLine3D(p.x, p.y, p.z, t.x, t.y, t.z, color);
        }
    };
    if (scene.renderFlags & DXC_3dScene::kRenderLightMarkers)
        for (int32_t i = 0; i < scene.GetLightCount(); i++)
            if (DXC_Light* light = scene.GetLight(i); light && marks(scene.selectedLight, i))
                markNode(*light, kLightMarkerColor);
    if (scene.renderFlags & DXC_3dScene::kRenderCameraMarkers)
        for (int32_t i = 0; i < scene.GetCameraCount(); i++)
            if (DXC_Camera* camera = scene.cameras.GetAt(i); camera && marks(scene.selectedCamera, i))
                markNode(*camera, kCameraMarkerColor);
    if (scene.renderFlags & DXC_3dScene::kRenderBoundingBox) {
        D3DXVECTOR3 corners[8];
        for (int32_t k = 0; k < 8; k++) {
            const D3DXVECTOR3 local(k & 1 ? scene.boxMax.x : scene.boxMin.x, k & 2 ? scene.boxMax.y : scene.boxMin.y,
                                    k & 4 ? scene.boxMax.z : scene.boxMin.z);
            D3DXVec3TransformCoord(&corners[k], &local, &scene.worldMatrix);
        }
        for (int32_t k = 0; k < 8; k++)  // each edge once, from its lower corner
            for (int32_t bit : {1, 2, 4})
                if (!(k & bit)) {
                    const D3DXVECTOR3& a = corners[k];
                    const D3DXVECTOR3& b = corners[k | bit];
                    DrawLine3D(a.x, a.y, a.z, b.x, b.y, b.z, kBoxColor);
                }
    }
}

int DXC_Gfx::DrawMarker(float x, float y, float z, uint32_t color)
{
    auto& list = vertexLists->points;
    DXC_PointVertex* v = LockImmediate(list, 1, DXC_VertexList::kPointList);
    v[0] = {x, y, z, 4.0f, color};
    DisableLighting();
    DrawImmediate(list, D3DPT_POINTLIST, 1);
    RestoreLighting();
    return 1;
}
