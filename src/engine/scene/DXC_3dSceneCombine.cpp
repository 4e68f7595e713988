// DXC_3dScene mesh combining: the meshes of a scene that share a vertex format, an active word and
// their materials become one mesh with one device mesh (the game's combined objects are drawn with
// a few large meshes instead of many small ones).
//
// A merged mesh holds its vertices in the scene's space: each source mesh's vertices are taken
// through its offset and world matrix, and a mirrored source's faces are turned round so that
// they still face outwards. A mesh that takes in none keeps its vertices and carries its world
// transform as its offset matrix instead. Either way the mesh stands still afterwards: no keys,
// no parent.
#include "engine/scene/DXC_3dScene.h"

#include "engine/gfx/DXC_Gfx.h"

#include <cstring>
#include <vector>

namespace {

constexpr int32_t kMaxTaken = 99;
constexpr int32_t kMaxVertices = 65535;  // what a mesh's 16-bit indices reach

D3DXMATRIX PlacementOf(const DXC_Mesh& mesh)
{
    D3DXMATRIX m;
    D3DXMatrixMultiply(&m, &mesh.offsetMatrix, &mesh.worldMatrix);
    return m;
}

// The node part of a mesh whose placement now lies in its offset matrix or its vertices.
void StandStill(DXC_Mesh& mesh, const D3DXMATRIX& offset, const D3DXVECTOR3& extraScale)
{
    mesh.ResetTransform();
    mesh.rotationAxis = D3DXVECTOR3(0, 0, 1);
    mesh.extraScale = extraScale;
    mesh.offsetMatrix = offset;
    mesh.parent = nullptr;  // the parent's matrix is in already
    mesh.parentName = "";
    mesh.RebuildLocal();
    mesh.transformChanged = 1;
}

// The vertex, index and attribute data of one source mesh, read from its locked buffers.
struct MeshData {
    std::vector<uint8_t> vertices;
    std::vector<uint16_t> indices;
    std::vector<DWORD> attributes;
    bool mirrored = false;
    D3DXMATRIX placement;
};

MeshData ReadData(DXC_Mesh& mesh)
{
    MeshData data;
    data.placement = PlacementOf(mesh);
    data.mirrored = D3DXMatrixDeterminant(&data.placement) < 0.0f;
    mesh.LockAll(0);
    const size_t stride = mesh.layout.vertexStride;
    data.vertices.resize(size_t(mesh.vertexCount) * stride);
    if (!data.vertices.empty())
        std::memcpy(data.vertices.data(), mesh.VertexBytes(0), data.vertices.size());
    for (int32_t face = 0; face < mesh.faceCount; face++)
        for (int corner = 0; corner < 3; corner++)
            data.indices.push_back(mesh.GetFaceIndex(face, corner));
    const DWORD* attributes = static_cast<const DWORD*>(mesh.lockedAttributeData);
    data.attributes.assign(attributes, attributes + mesh.faceCount);
    mesh.UnlockAll();
    return data;
}

}  // namespace

int32_t DXC_3dScene::CombineMeshes(DXC_Gfx& gfx)
{
    int32_t mergedAway = 0;
    for (int32_t i = 0; i < meshes.GetSize(); i++) {
        const int32_t taken = MergeMeshes(gfx, i);
        mergedAway += taken;
        if (taken > 0)
            continue;
        DXC_Mesh& mesh = *meshes.GetAt(i);
        D3DXMATRIX m = PlacementOf(mesh);
        D3DXVECTOR3 extraScale(1, 1, 1);
        if (D3DXMatrixDeterminant(&m) < 0.0f) {  // the mirror moves into the node's own scaling
            D3DXMATRIX flip;
            D3DXMatrixScaling(&flip, -1, 1, 1);
            D3DXMatrixMultiply(&m, &m, &flip);
            extraScale.x = -1;
        }
        StandStill(mesh, m, extraScale);
    }
    if (mergedAway > 0)
        ComputeBounds();
    return mergedAway;
}

int32_t DXC_3dScene::FinishInsert(DXC_Gfx* gfx)
{
    const int32_t mergedAway = gfx ? CombineMeshes(*gfx) : 0;
    ComputeBounds();
    return mergedAway;
}

int32_t DXC_3dScene::MergeMeshes(DXC_Gfx& gfx, int32_t position)
{
    DXC_Mesh* first = meshes.GetAt(position);
    if (!first || !first->HasDeviceMesh() || first->layout.weightCount > 0)
        return 0;  // skinned vertices follow their bones, and without geometry there is nothing to merge
    std::vector<int32_t> takenSlots;
    std::vector<DXC_Mesh*> sources = {first};
    int32_t vertices = first->vertexCount, faces = first->faceCount;
    for (int32_t j = position + 1; j < meshes.GetSize() && int32_t(takenSlots.size()) < kMaxTaken; j++) {
        DXC_Mesh* other = meshes.GetAt(j);
        if (!other || !other->HasDeviceMesh() || other->layout.vertexFormat != first->layout.vertexFormat ||
            other->meshActive != first->meshActive || vertices + other->vertexCount > kMaxVertices ||
            !first->SameMaterials(*other))
            continue;
        takenSlots.push_back(meshes.GetUsedSlot(j));
        sources.push_back(other);
        vertices += other->vertexCount;
        faces += other->faceCount;
    }
    if (takenSlots.empty())
        return 0;

    std::vector<MeshData> data;
    for (DXC_Mesh* source : sources)
        data.push_back(ReadData(*source));
    const uint32_t format = first->layout.vertexFormat;
    gfx.CreateMesh(first, faces, vertices, first->materialCount, format, 0, 0, 0, 0, 0);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    StandStill(*first, identity, D3DXVECTOR3(1, 1, 1));
    first->LockAll(0);
    const size_t stride = first->layout.vertexStride;
    int32_t vertexBase = 0, faceBase = 0;
    for (const MeshData& d : data) {
        const int32_t count = int32_t(d.vertices.size() / stride);
        if (count > 0)
            std::memcpy(first->VertexBytes(vertexBase), d.vertices.data(), d.vertices.size());
        first->TransformVertexRange(d.placement, vertexBase, count);
        auto* indices = static_cast<uint16_t*>(first->lockedIndexData) + size_t(faceBase) * 3;
        for (size_t f = 0; f < d.attributes.size(); f++) {
            const size_t a = 3 * f;
            indices[a] = uint16_t(d.indices[a] + vertexBase);
            indices[a + 1] = uint16_t(d.indices[d.mirrored ? a + 2 : a + 1] + vertexBase);
            indices[a + 2] = uint16_t(d.indices[d.mirrored ? a + 1 : a + 2] + vertexBase);
            static_cast<DWORD*>(first->lockedAttributeData)[faceBase + int32_t(f)] = d.attributes[f];
        }
        vertexBase += count;
        faceBase += int32_t(d.attributes.size());
    }
    first->UnlockAll();
    first->Optimize();
    first->ComputeBounds();
    for (int32_t slot : takenSlots)
        meshes.Delete(slot);
    return int32_t(takenSlots.size());
}
