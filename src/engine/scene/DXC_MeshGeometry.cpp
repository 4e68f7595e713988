// DXC_Mesh geometry: buffer locks, vertex access, bounds, transparency, skinning, the triangle and
// segment tests, and the bone operations.
#include "engine/scene/DXC_Mesh.h"

#include "base/Geometry.h"
#include "engine/gfx/DXC_Material.h"
#include "engine/gfx/DXC_Texture.h"
#include "platform/D3D9Types.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kLastBetaIndices = 0x1000;

}  // namespace

int DXC_MeshMaterialBase::SetAniTime(double time, int withParent, int force)
{
    SetMaterialTime(time);
    return DXC_3dObject::SetAniTime(time, withParent, force);
}

int DXC_MeshBase::SetAniTime(double time, int withParent, int force)
{
    if (force || (meshActive && !aniFrozen))
        SetMaterialTime(time);
    return DXC_3dObject::SetAniTime(time, withParent, force);
}

int DXC_MeshBase::LockAll(uint32_t flags)
{
    if (!deviceMesh)
        return 1;
    HRESULT result;
    if (!indexBufferLocked) {
        if (FAILED(result = deviceMesh->LockIndexBuffer(flags, &lockedIndexData)))
            Error("LockIndexBuffer failed: %s", GetDirectXErrorName(result));
        indexBufferLocked = 1;
    }
    if (!vertexBufferLocked) {
        if (FAILED(result = deviceMesh->LockVertexBuffer(flags, &lockedVertexData)))
            Error("LockVertexBuffer failed: %s", GetDirectXErrorName(result));
        vertexBufferLocked = 1;
    }
    if (!attributeBufferLocked) {
        DWORD* attributes = nullptr;
        if (FAILED(result = deviceMesh->LockAttributeBuffer(flags, &attributes)))
            Error("LockAttributeBuffer failed: %s", GetDirectXErrorName(result));
        lockedAttributeData = attributes;
        attributeBufferLocked = 1;
    }
    return 1;
}

int DXC_MeshBase::UnlockAll()
{
    if (!deviceMesh)
        return 1;
    HRESULT result;
    if (attributeBufferLocked) {
        attributeBufferLocked = 0;
        lockedAttributeData = nullptr;
        if (FAILED(result = deviceMesh->UnlockAttributeBuffer()))
            Error("UnlockAttributeBuffer failed: %s", GetDirectXErrorName(result));
    }
    if (vertexBufferLocked) {
        vertexBufferLocked = 0;
        lockedVertexData = nullptr;
        if (FAILED(result = deviceMesh->UnlockVertexBuffer()))
            Error("UnlockVertexBuffer failed: %s", GetDirectXErrorName(result));
    }
    if (indexBufferLocked) {
        indexBufferLocked = 0;
        lockedIndexData = nullptr;
        if (FAILED(result = deviceMesh->UnlockIndexBuffer()))
            Error("UnlockIndexBuffer failed: %s", GetDirectXErrorName(result));
    }
    return 1;
}

uint8_t* DXC_MeshBase::VertexBytes(int32_t n) const
{
    return static_cast<uint8_t*>(lockedVertexData) + size_t(n) * layout.vertexStride;
}

float DXC_MeshBase::GetVertexFloat(int32_t n, uint32_t offset) const
{
    float v;
    std::memcpy(&v, VertexBytes(n) + offset, 4);
    return v;
}

void DXC_MeshBase::SetVertexFloat(int32_t n, uint32_t offset, float v)
{
    std::memcpy(VertexBytes(n) + offset, &v, 4);
}

D3DXVECTOR3 DXC_MeshBase::GetVertexPosition(int32_t n) const
{
    return D3DXVECTOR3(GetVertexFloat(n, 0), GetVertexFloat(n, 4), GetVertexFloat(n, 8));
}

void DXC_MeshBase::SetVertexPosition(int32_t n, const D3DXVECTOR3& p)
{
    SetVertexFloat(n, 0, p.x);
    SetVertexFloat(n, 4, p.y);
    SetVertexFloat(n, 8, p.z);
}

D3DXVECTOR3 DXC_MeshBase::GetVertexNormal(int32_t n) const
{
    const uint32_t at = layout.normalOffset;
    return D3DXVECTOR3(GetVertexFloat(n, at), GetVertexFloat(n, at + 4), GetVertexFloat(n, at + 8));
}

void DXC_MeshBase::SetVertexNormal(int32_t n, const D3DXVECTOR3& v)
{
    const uint32_t at = layout.normalOffset;
    SetVertexFloat(n, at, v.x);
    SetVertexFloat(n, at + 4, v.y);
    SetVertexFloat(n, at + 8, v.z);
}

uint16_t DXC_MeshBase::GetFaceIndex(int32_t face, int corner) const
{
    uint16_t v;
    std::memcpy(&v, static_cast<const uint8_t*>(lockedIndexData) + (size_t(face) * 3 + corner) * 2, 2);
    return v;
}

void DXC_MeshBase::ComputeBounds()
{
    if (!deviceMesh || vertexCount <= 0)
        return;
    const bool lockHere = !vertexBufferLocked;
    if (lockHere)
        LockAll(0);
    D3DXVECTOR3 low = GetVertexPosition(0), high = low;
    float radius = 0.0f;
    for (int32_t n = 0; n < vertexCount; n++) {
        const D3DXVECTOR3 p = GetVertexPosition(n);
        low = D3DXVECTOR3(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
        high = D3DXVECTOR3(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
        radius = std::max(radius, D3DXVec3Length(&p));  // from the mesh's origin, not the centre
    }
    if (lockHere)
        UnlockAll();
    boxMin = low;
    boxMax = high;
    boundsCentre = (low + high) * 0.5f;
    boundsRadius = radius;
}

void DXC_MeshBase::TransformVertices(const D3DXMATRIX& m)
{
    TransformVertexRange(m, 0, vertexCount);
    TransformBox(m);
}

void DXC_MeshBase::TransformVertexRange(const D3DXMATRIX& m, int32_t first, int32_t count)
{
    if (!deviceMesh || first < 0 || count <= 0 || first > vertexCount - count)
        return;
    const bool lockHere = !vertexBufferLocked;
    if (lockHere)
        LockAll(0);
    D3DXMATRIX linear = m, inverse, normalMatrix;
    linear.m[3][0] = linear.m[3][1] = linear.m[3][2] = 0.0f;
    const bool invertible = D3DXMatrixInverse(&inverse, nullptr, &linear) != nullptr;
    D3DXMatrixTranspose(&normalMatrix, &inverse);
    for (int32_t n = first; n < first + count; n++) {
        D3DXVECTOR3 p = GetVertexPosition(n);
        D3DXVec3TransformCoord(&p, &p, &m);
        SetVertexPosition(n, p);
        if ((layout.vertexFormat & 0x010) && invertible) {
            D3DXVECTOR3 normal = GetVertexNormal(n);
            D3DXVec3TransformNormal(&normal, &normal, &normalMatrix);
            SetVertexNormal(n, normal);
        }
    }
    if (lockHere)
        UnlockAll();
}

int DXC_MeshBase::IsTransparent()
{
    if (!meshActive)
        return 0;
    if (transparency >= 0)
        return transparency;
    transparency = GetOpacity() < 1.0f ? 1 : 0;
    for (int32_t i = 0; i < materialCount && !transparency; i++)  // an animated transparency blends too
        if (materials[i].transparency != 0.0f || materials[i].transparencyCurve.GetNumKeys() > 0)
            transparency = 1;
    return transparency;
}

bool DXC_MeshBase::IntersectSegment(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, float r)
{
    D3DXMATRIX m, inverse;
    D3DXMatrixMultiply(&m, &offsetMatrix, &worldMatrix);
    if (!D3DXMatrixInverse(&inverse, nullptr, &m))
        return false;
    D3DXVECTOR3 a, b;
    D3DXVec3TransformCoord(&a, &p0, &inverse);
    D3DXVec3TransformCoord(&b, &p1, &inverse);
    return DXC_ClipObject::IntersectSegment(a, b, r, nullptr);
}

void DXC_Mesh::RefreshAttributeTable()
{
    delete[] attributeTable;
    attributeTable = nullptr;
    attributeCount = 0;
    if (!deviceMesh)
        return;
    DWORD size = 0;
    HRESULT result = deviceMesh->GetAttributeTable(nullptr, &size);
    if (FAILED(result))
        Error("GetAttributeTable failed: %s", GetDirectXErrorName(result));
    if (size == 0)
        return;
    attributeTable = new D3DXATTRIBUTERANGE[size];
    attributeCount = int32_t(size);
    result = deviceMesh->GetAttributeTable(attributeTable, &size);
    if (FAILED(result))
        Error("GetAttributeTable failed: %s", GetDirectXErrorName(result));
}

int DXC_Mesh::Optimize()
{
    if (!deviceMesh)
        return 1;
    UnlockAll();
    HRESULT result = deviceMesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT);
    if (FAILED(result))
        Error("OptimizeInplace failed: %s", GetDirectXErrorName(result));
    RefreshAttributeTable();
    return 1;
}

uint32_t DXC_Mesh::VertexBlendMode(uint32_t weights)
{
    static const uint32_t kModes[5] = {0, 256, 1, 2, 3};
    if (weights > 4)
        Error("Invalid weight number");
    return kModes[weights];
}

void DXC_Mesh::ResetBoneObjects()
{
    delete[] boneObjects;
    boneObjects = nullptr;
    if (bones.GetSize() > 0)
        boneObjects = new DXC_3dObject*[size_t(bones.GetSize())]();
}

int32_t DXC_Mesh::GetTextureStageOfKind2(int32_t n) const
{
    if (extraTextureIndex < 0 || n < 0 || n >= materialCount)
        return 0;
    return textures[n].FindType2Stage();
}

void DXC_Mesh::GetBoneMatrix(D3DXMATRIX& out, int32_t b)
{
    const DXC_BoneInfo* bone = b >= 0 && b < bones.GetSize() ? bones.GetBySlot(b) : nullptr;
    out = worldMatrix;  // a bone the mesh does not have follows the mesh
    if (bone && boneObjects && boneObjects[b])
        D3DXMatrixMultiply(&out, &bone->offsetMatrix, &boneObjects[b]->worldMatrix);
}

void DXC_Mesh::GetBlendedMatrix(D3DXMATRIX& out, int32_t n)
{
    out = D3DXMATRIX();
    const uint32_t weights = layout.weightCount;
    const bool packed = (layout.vertexFormat & kLastBetaIndices) != 0;
    const uint8_t* indices = packed ? VertexBytes(n) + layout.boneIndexOffset : nullptr;
    float sum = 0.0f;
    for (uint32_t i = 0; i < weights; i++) {
        const bool last = i + 1 == weights;
        const float weight = last ? 1.0f - sum : GetVertexFloat(n, layout.blendWeightOffset + 4 * i);
        if (!(weight > 0.0f))
            continue;
        sum += weight;
        const int32_t b = indices ? indices[i < 4 ? i : 3] : int32_t(i);
        D3DXMATRIX m;
        GetBoneMatrix(m, b);
        for (int row = 0; row < 4; row++)
            for (int col = 0; col < 4; col++)
                out.m[row][col] += weight * m.m[row][col];
    }
}

float DXC_Mesh::IntersectTriangles(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, bool firstHitOnly)
{
    if ((boundsFlags & 1) && Math::DistancePointSegment3D({p0, p1}, boundsCentre) > boundsRadius)
        return -1.0f;
    if (!deviceMesh || vertexCount <= 0 || faceCount <= 0)
        return -1.0f;
    const bool lockHere = !vertexBufferLocked || !indexBufferLocked;
    LockAll(0);
    std::vector<D3DXVECTOR3> positions(static_cast<size_t>(vertexCount));
    for (int32_t n = 0; n < vertexCount; n++) {
        positions[size_t(n)] = GetVertexPosition(n);
        if (layout.weightCount > 0) {
            D3DXMATRIX blended;
            GetBlendedMatrix(blended, n);
            D3DXVec3TransformCoord(&positions[size_t(n)], &positions[size_t(n)], &blended);
        }
    }
    float best = -1.0f;
    for (int32_t face = 0; face < faceCount; face++) {
        const uint16_t a = GetFaceIndex(face, 0), b = GetFaceIndex(face, 1), c = GetFaceIndex(face, 2);
        if (a >= vertexCount || b >= vertexCount || c >= vertexCount)
            continue;
        const float t = IntersectTriangle(positions[a], positions[b], positions[c], p0, p1);
        if (t >= 0.0f && (best < 0.0f || t < best))  // a hit at the start counts
            best = t;
        if (best >= 0.0f && firstHitOnly)
            break;
    }
    if (lockHere)
        UnlockAll();
    return best;
}

int DXC_Mesh::RotateBones(const D3DXVECTOR3& axis, float angle, int keepPositions)
{
    D3DXMATRIX r, inverse;
    D3DXMatrixRotationAxis(&r, &axis, angle);
    D3DXMatrixInverse(&inverse, nullptr, &r);
    for (int32_t i = 0; i < bones.GetSize(); i++) {
        DXC_BoneInfo& bone = *bones.GetAt(i);
        D3DXMatrixMultiply(&bone.fileMatrixB, &bone.fileMatrixB, &r);
        D3DXMatrixMultiply(&bone.fileMatrixA, &inverse, &bone.fileMatrixA);
    }
    RotateAxisAngle(axis, angle, keepPositions);
    return 1;
}

int DXC_Mesh::ScaleBones(float x, float y, float z)
{
    D3DXMATRIX s;
    D3DXMatrixScaling(&s, x, y, z);
    for (int32_t i = 0; i < bones.GetSize(); i++) {
        DXC_BoneInfo& bone = *bones.GetAt(i);
        D3DXMatrixMultiply(&bone.fileMatrixA, &s, &bone.fileMatrixA);
        D3DXMatrixMultiply(&bone.offsetMatrix, &bone.fileMatrixB, &bone.fileMatrixA);
    }
    return 1;
}

int32_t DXC_Mesh::FindOrAddBone(const DXC_BoneInfo& bone)
{
    delete[] boneObjects;  // linking builds it again
    boneObjects = nullptr;
    for (int32_t i = 0; i < bones.GetSize(); i++)
        if (bones.GetAt(i)->boneName == bone.boneName)
            return bones.GetUsedSlot(i);
    const int32_t slot = bones.Add();
    *bones.GetBySlot(slot) = bone;
    return slot;
}
