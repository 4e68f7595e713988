// DXC_Gfx visibility: the user clipping planes, the view frustum built lazily from the kept view,
// projection and viewport, and the sphere and bounds tests that cull what lies outside. Planes
// face outward: a point at a positive distance lies outside.
#include "engine/gfx/DXC_Gfx.h"

#include "engine/scene/DXC_3dClipObject.h"
#include "engine/scene/DXC_3dScene.h"

#include <cmath>

void DXC_Gfx::SetClipPlane(int32_t index, float a, float b, float c, float d)
{
    if (index < 0 || index >= kClipPlanes)
        Error("Clipping plane ID out of range: %i", index);
    float* plane = clipPlanes[index];
    plane[0] = a;
    plane[1] = b;
    plane[2] = c;
    plane[3] = d;
    const float lengthSq = a * a + b * b + c * c;
    if (lengthSq > 0.0f) {
        const float length = std::sqrt(lengthSq);
        for (int i = 0; i < 4; i++)
            plane[i] /= length;
    }
}

// Corners c0 to c7 and normals N0 to N5: planes 0 to 2 (near, left, bottom) pass through c0, 3 to
// 5 (right, far, top) through c1. The sign turns the normals outward whichever way the inverse
// mirrors.
void DXC_Gfx::BuildFrustum()
{
    const D3DXMATRIX viewProjection = viewMatrix * projectionMatrix;
    D3DXMATRIX m;
    if (!D3DXMatrixInverse(&m, nullptr, &viewProjection))
        return;  // no view to build from; the old frustum stays and stays dirty
    const float s = D3DXMatrixDeterminant(&m) < 0.0f ? 1.0f : -1.0f;
    const float n = viewport.MinZ, f = viewport.MaxZ;
    const D3DXVECTOR3 device[8] = {{-1, -1, n}, {1, 1, f},  {1, -1, n}, {1, 1, n},
                                   {-1, 1, f},  {-1, -1, f}, {1, -1, f}, {-1, 1, n}};
    D3DXVECTOR3* c = frustumCorners;
    for (int i = 0; i < 8; i++)
        D3DXVec3TransformCoord(&c[i], &device[i], &m);
    const D3DXVECTOR3 edges[6][2] = {{c[3] - c[2], c[0] - c[2]}, {c[0] - c[5], c[4] - c[5]},
                                     {c[5] - c[0], c[2] - c[0]}, {c[2] - c[3], c[1] - c[3]},
                                     {c[4] - c[1], c[3] - c[1]}, {c[1] - c[4], c[5] - c[4]}};
    for (int k = 0; k < 6; k++) {
        D3DXVECTOR3& normal = frustumNormals[k];
        D3DXVec3Cross(&normal, &edges[k][0], &edges[k][1]);
        const float length = D3DXVec3Length(&normal);
        if (length > 0.0f)
            normal *= 1.0f / (length * s);
    }
    frustumDirty = 0;
}

int32_t DXC_Gfx::TestSphere(float x, float y, float z, float radius)
{
    if (frustumDirty)
        BuildFrustum();
    const D3DXVECTOR3 p(x, y, z);
    int32_t passed = 0;
    for (int32_t i = 0; i < activeClipPlanes; i++) {
        const float* plane = clipPlanes[i];
        const float d = plane[0] * x + plane[1] * y + plane[2] * z + plane[3];
        if (d > radius)
            return 0;
        if (d <= 0.0f)
            passed++;
    }
    for (int k = 0; k < 6; k++) {
        const D3DXVECTOR3 offset = p - frustumCorners[k < 3 ? 0 : 1];
        const float d = D3DXVec3Dot(&frustumNormals[k], &offset);
        if (d > radius)
            return 0;
        if (d <= 0.0f)
            passed++;
    }
    return passed == activeClipPlanes + 6 ? 2 : 1;
}

int32_t DXC_Gfx::TestBounds(const DXC_ClipObject& bounds, const D3DXMATRIX& matrix)
{
    const int32_t flags = int32_t(bounds.boundsFlags);
    if (flags <= 0)
        return 1;
    if (flags & 1) {
        D3DXVECTOR3 centre;
        D3DXVec3TransformCoord(&centre, &bounds.boundsCentre, &matrix);
        const int32_t sphere = TestSphere(centre.x, centre.y, centre.z, bounds.boundsRadius * GetMaxAxisScale(matrix));
        if (sphere == 0)
            return 0;
        if (sphere == 2)
            return 1;
    }
    if (flags & 2) {
        D3DXVECTOR3 corners[8];
        for (int i = 0; i < 8; i++) {
            const D3DXVECTOR3 local(i & 1 ? bounds.boxMin.x : bounds.boxMax.x,
                                    i & 2 ? bounds.boxMin.y : bounds.boxMax.y,
                                    i & 4 ? bounds.boxMin.z : bounds.boxMax.z);
            D3DXVec3TransformCoord(&corners[i], &local, &matrix);
            if (TestSphere(corners[i].x, corners[i].y, corners[i].z, 0.0f) != 0)
                return 1;
        }
        for (int k = 0; k < 6; k++) {  // all corners beyond one plane: the box misses the frustum
            int32_t outside = 0;
            for (const D3DXVECTOR3& corner : corners) {
                const D3DXVECTOR3 offset = corner - frustumCorners[k < 3 ? 0 : 1];
                if (D3DXVec3Dot(&frustumNormals[k], &offset) > 0.0f)
                    outside++;
            }
            if (outside == 8)
                return 0;
        }
    }
    return 1;
}

bool DXC_Gfx::TestObjectBounds(DXC_3dClipObject& object, const D3DXMATRIX& matrix)
{
    const D3DXMATRIX m = object.offsetMatrix * object.worldMatrix * matrix;
    return TestBounds(object, m) > 0;
}

bool DXC_Gfx::IsSceneInFrustum(DXC_3dScene& scene)
{
    if (!HasDevice())
        return false;
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    return TestObjectBounds(scene, identity);
}
