// DXC_3dScene queries: lookups by name and number, the active camera, and the bounds tests.
#include "engine/scene/DXC_3dScene.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

template <class List> DXC_3dObject* FindIn(List& list, const char* name, bool exact)
{
    for (int32_t i = 0; i < list.GetSize(); i++) {
        DXC_3dObject* node = list.GetAt(i);
        if (node && (exact ? node->objectName == name : node->objectName.EqualsNoCase(name)))
            return node;
    }
    return nullptr;
}

template <class List> DXC_3dObject* FirstUnparented(List& list)
{
    for (int32_t i = 0; i < list.GetSize(); i++) {
        DXC_3dObject* node = list.GetAt(i);
        if (node && !node->parent)
            return node;
    }
    return nullptr;
}

D3DXVECTOR3 Transformed(const D3DXVECTOR3& p, const D3DXMATRIX& m)
{
    D3DXVECTOR3 out;
    D3DXVec3TransformCoord(&out, &p, &m);
    return out;
}

}  // namespace

DXC_Mesh* DXC_3dScene::FindMesh(const char* name, bool prefix)
{
    const char* wanted = name ? name : "";
    const int32_t length = int32_t(std::strlen(wanted));
    for (int32_t i = 0; i < meshes.GetSize(); i++) {
        DXC_Mesh* mesh = meshes.GetAt(i);
        if (!mesh)
            continue;
        if (prefix ? String::CompareNNoCase(mesh->objectName.c_str(), wanted, length) == 0 : mesh->objectName == wanted)
            return mesh;
    }
    return nullptr;
}

DXC_3dObject* DXC_3dScene::FindObjectByName(const char* name, int32_t mode)
{
    const char* wanted = name ? name : "";
    const bool exact = mode == 1;
    if (DXC_3dObject* node = FindIn(meshes, wanted, exact))
        return node;
    if (DXC_3dObject* node = FindIn(objects, wanted, exact))
        return node;
    if (DXC_3dObject* node = FindIn(cameras, wanted, exact))
        return node;
    return FindIn(lights, wanted, exact);
}

DXC_3dObject* DXC_3dScene::FindUnparented()
{
    if (DXC_3dObject* node = FirstUnparented(meshes))
        return node;
    return FirstUnparented(objects);
}

DXC_Light* DXC_3dScene::GetLightChecked(int32_t slot)
{
    DXC_Light* light = lights.GetBySlot(slot);
    if (!light)
        Error("Light number %i does not exist.", slot);
    return light;
}

DXC_Camera* DXC_3dScene::GetCameraChecked(int32_t n)
{
    if (n < 0 || n >= cameras.GetSize())
        Error("Camera number %i does not exist.", n);
    return cameras.GetAt(n);
}

DXC_3dObject* DXC_3dScene::GetObjectChecked(int32_t n)
{
    if (n < 0 || n >= objects.GetSize())
        Error("Helper object number %i does not exist.", n);
    return objects.GetAt(n);
}

int DXC_3dScene::SetActiveCamera(int32_t n)
{
    if (n >= cameras.GetSize()) {
        Warning("Camera nr %i does not exist", n);
        return 0;
    }
    activeCamera = n;
    return 1;
}

float DXC_3dScene::IntersectBox(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, float r, float* distance)
{
    D3DXMATRIX inverse;
    float det = 0.0f;
    if (!D3DXMatrixInverse(&inverse, &det, &worldMatrix))
        return -1.0f;  // a scene squashed flat has no inside
    const float s = std::cbrt(std::fabs(det));
    float fraction = 0.0f;
    if (SegmentBoxTest(boxMin, boxMax, Transformed(p0, inverse), Transformed(p1, inverse), r / s, &fraction, distance))
        return fraction;
    if (distance)
        *distance *= s;
    return -1.0f;
}

float DXC_3dScene::DistanceToBounds(const D3DXVECTOR3& p)
{
    D3DXMATRIX m, inverse;
    D3DXMatrixMultiply(&m, &offsetMatrix, &worldMatrix);
    if (!D3DXMatrixInverse(&inverse, nullptr, &m))
        return 0.0f;
    const D3DXVECTOR3 q = Transformed(p, inverse);
    const D3DXVECTOR3 fromCentre = q - boundsCentre;
    const float d = D3DXVec3Length(&fromCentre);
    if (!(d > 0.0f))
        return 0.0f;
    const D3DXVECTOR3 toCentre = p - Transformed(boundsCentre, m);
    const float sphere = (1.0f - boundsRadius / d) * D3DXVec3Length(&toCentre);
    auto outside = [](float v, float low, float high) { return v < low ? v - low : v > high ? v - high : 0.0f; };
    const D3DXVECTOR3 local(outside(q.x, boxMin.x, boxMax.x), outside(q.y, boxMin.y, boxMax.y),
                            outside(q.z, boxMin.z, boxMax.z));
    D3DXVECTOR3 world;
    D3DXVec3TransformNormal(&world, &local, &m);
    return std::max(sphere, D3DXVec3Length(&world));
}

namespace {

// The extent of the meshes' boxes through their matrices, and of the helper objects' and the
// cameras' positions when asked; false when the scene has neither meshes nor helper objects.
bool Extent(DXC_3dScene& scene, bool withObjects, bool withCameras, D3DXVECTOR3& low, D3DXVECTOR3& high)
{
    if (scene.meshes.GetSize() == 0 && scene.objects.GetSize() == 0)
        return false;
    low = D3DXVECTOR3(9e10f, 9e10f, 9e10f);
    high = D3DXVECTOR3(-9e10f, -9e10f, -9e10f);
    auto widen = [&](const D3DXVECTOR3& p) {
        low = D3DXVECTOR3(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
        high = D3DXVECTOR3(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
    };
    for (int32_t i = 0; i < scene.meshes.GetSize(); i++) {
        const DXC_Mesh& mesh = *scene.meshes.GetAt(i);
        D3DXMATRIX m;
        D3DXMatrixMultiply(&m, &mesh.offsetMatrix, &mesh.worldMatrix);
        for (int corner = 0; corner < 8; corner++)
            widen(Transformed(D3DXVECTOR3((corner & 1) ? mesh.boxMax.x : mesh.boxMin.x,
                                          (corner & 2) ? mesh.boxMax.y : mesh.boxMin.y,
                                          (corner & 4) ? mesh.boxMax.z : mesh.boxMin.z),
                              m));
    }
    if (withObjects)
        for (int32_t i = 0; i < scene.objects.GetSize(); i++)
            widen(scene.objects.GetAt(i)->GetMatrixPosition());
    if (withCameras)
        for (int32_t i = 0; i < scene.cameras.GetSize(); i++)
            widen(scene.cameras.GetAt(i)->GetMatrixPosition());
    return true;
}

}  // namespace

void DXC_3dScene::ComputeBounds()
{
    D3DXVECTOR3 low, high;
    if (!Extent(*this, true, false, low, high))
        return;
    boxMin = low;
    boxMax = high;
    boundsCentre = (low + high) * 0.5f;
    const D3DXVECTOR3 half = (high - low) * 0.5f;
    boundsRadius = D3DXVec3Length(&half);
}

float DXC_3dScene::GetBoundingSphere(D3DXVECTOR3& centre, bool leaveOutObjects, bool leaveOutCameras)
{
    D3DXVECTOR3 low, high;
    if (!Extent(*this, !leaveOutObjects, !leaveOutCameras, low, high))
        return 1.0f;
    centre = (low + high) * 0.5f;
    const D3DXVECTOR3 half = (high - low) * 0.5f;
    return D3DXVec3Length(&half);
}
