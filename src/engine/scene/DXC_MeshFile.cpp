// The mesh record of binary scene files, with the packed vertex layouts of every version.
//
// Mesh record (little-endian):
//   the object record; the 44-byte bounds record (u32 flags, f32 radius, 3 f32 centre, 3 f32 box
//   minimum, 3 f32 box maximum); i32 texture channel count, i32 active word, i32 transparency;
//   i32 material count N, N material records, N texture records; String clone source name;
//   i32 bone count B; geometry (only without a clone source); i32 extra texture index;
//   B bone records (String name, 16 f32 first matrix, 16 f32 second matrix).
// Geometry: i32 vertex count V, i32 face count F, u32 vertex format, V vertices, F x 3 u16 vertex
// indices, F x u16 attribute (material number).
// Packed vertex, version 101 on: 3 f32 position; the leading texture sets of two floats as 2 f32
// each (version 107 on all of them, 102 to 106 at most one, 101 always one pair, kept only when
// the format has a set); 3 i16 normal (x 32767); one u16 per stored weight (x 65535); with the
// format's last beta as bone indices 4 bytes of them. Version 100 holds the vertex as it lies in
// memory.
#include "engine/scene/DXC_Mesh.h"

#include "base/File.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/gfx/DXC_Material.h"
#include "engine/gfx/DXC_Texture.h"
#include "engine/scene/SceneLoadState.h"
#include "engine/scene/SceneRecordReader.h"

#include <cmath>
#include <cstring>

namespace {

constexpr uint32_t kNormal = 0x010;
constexpr uint32_t kColors = 0x0C0;  // diffuse and specular
constexpr uint32_t kLastBetaIndices = 0x1000;
constexpr int64_t kMinMaterialBytes = 512;  // a material and a texture record hold more in every version
constexpr int64_t kMinBoneBytes = 4 + 128;

// Leading texture sets of two floats in the format.
uint32_t LeadingPairs(const VertexLayout& layout)
{
    uint32_t n = 0;
    while (n < layout.texSetCount && ((layout.vertexFormat >> (16 + 2 * n)) & 3) == 0)
        n++;
    return n;
}

uint32_t StoredWeights(const VertexLayout& layout)
{
    const bool packed = (layout.vertexFormat & kLastBetaIndices) != 0;
    return layout.weightCount > 0 && packed ? layout.weightCount - 1 : layout.weightCount;
}

// Texture pairs a packed vertex of the version holds.
uint32_t StoredPairs(const VertexLayout& layout, int32_t version)
{
    if (version <= 101)
        return 1;
    const uint32_t leading = LeadingPairs(layout);
    return version >= 107 ? leading : (leading > 0 ? 1 : 0);
}

int64_t FileVertexBytes(const VertexLayout& layout, int32_t version)
{
    if (version <= 100)
        return layout.vertexStride;
    return 18 + 2 * int64_t(StoredWeights(layout)) + 8 * int64_t(StoredPairs(layout, version)) +
           ((layout.vertexFormat & kLastBetaIndices) ? 4 : 0);
}

// Float to a stored integer: truncated toward zero; what no 32-bit integer holds counts as 0.
int32_t Truncated(double v)
{
    return (v > -2147483648.0 && v < 2147483648.0) ? int32_t(v) : 0;
}

}  // namespace

int DXC_Mesh::Write(File& file)
{
    WriteObjectRecord(file);
    WriteBounds(file);
    file.WriteInt32(texChannelCount);
    file.WriteInt32(int32_t(meshActive));
    file.WriteInt32(transparency);
    file.WriteInt32(materialCount);
    for (int32_t i = 0; i < materialCount; i++)
        materials[i].Save(file);
    for (int32_t i = 0; i < materialCount; i++)
        textures[i].Save(file);
    file.WriteString(cloneSourceName);
    file.WriteInt32(bones.GetSize());
    if (cloneSourceName.IsEmpty()) {
        // Without a device mesh (geometry not loaded) the record holds no vertices and no faces.
        const bool geometry = deviceMesh && vertexCount > 0 && faceCount > 0;
        const int32_t v = geometry ? vertexCount : 0, f = geometry ? faceCount : 0;
        file.WriteInt32(v);
        file.WriteInt32(f);
        file.WriteInt32(int32_t(layout.vertexFormat));
        if (geometry) {
            LockAll(0);
            const uint32_t pairs = LeadingPairs(layout), weights = StoredWeights(layout);
            for (int32_t n = 0; n < v; n++) {
                const D3DXVECTOR3 p = GetVertexPosition(n);
                file.WriteFloat(p.x);
                file.WriteFloat(p.y);
                file.WriteFloat(p.z);
                for (uint32_t i = 0; i < pairs; i++) {
                    file.WriteFloat(GetVertexFloat(n, layout.texCoordOffset + 8 * i));
                    file.WriteFloat(GetVertexFloat(n, layout.texCoordOffset + 8 * i + 4));
                }
                const D3DXVECTOR3 normal = (layout.vertexFormat & kNormal) ? GetVertexNormal(n) : D3DXVECTOR3();
                for (float c : {normal.x, normal.y, normal.z})
                    file.WriteInt16(Truncated(double(c) * 32767.0));
                for (uint32_t i = 0; i < weights; i++)
                    file.WriteInt16(Truncated(double(GetVertexFloat(n, layout.blendWeightOffset + 4 * i)) * 65535.0) &
                                    0xFFFF);
                if (layout.vertexFormat & kLastBetaIndices)
                    file.Write(VertexBytes(n) + layout.boneIndexOffset, 4);
            }
            for (int32_t face = 0; face < f; face++)
                for (int corner = 0; corner < 3; corner++)
                    file.WriteInt16(GetFaceIndex(face, corner));
            const DWORD* attributes = static_cast<const DWORD*>(lockedAttributeData);
            for (int32_t face = 0; face < f; face++) {
                if (attributes[face] > 0xFFFF)
                    Error("Material number %u of face %i does not fit the file", attributes[face], face);
                file.WriteInt16(int32_t(attributes[face]));
            }
            UnlockAll();
        }
    }
    file.WriteInt32(extraTextureIndex);
    for (int32_t i = 0; i < bones.GetSize(); i++) {
        const DXC_BoneInfo& bone = *bones.GetAt(i);
        file.WriteString(bone.boneName);
        for (const D3DXMATRIX* m : {&bone.fileMatrixA, &bone.fileMatrixB})
            for (const auto& row : m->m)
                for (float value : row)
                    file.WriteFloat(value);
    }
    return 1;
}

int DXC_Mesh::Read(File& file, DXC_Gfx& gfx)
{
    const SceneLoadState& state = SceneLoadState::Current();
    const int32_t version = state.version;
    SceneRecordReader in(file);
    Clear();
    ReadObjectRecord(file);
    kind = kind ? kind : OBJ_KIND_MESH;
    ReadBounds(in);
    texChannelCount = in.I32();
    meshActive = in.U32();
    transparency = in.I32();

    const int32_t materialTotal = in.Count("Material", kMinMaterialBytes);
    AllocMaterials(materialTotal);
    for (int32_t i = 0; i < materialCount; i++)
        materials[i].Load(file);
    bool reflection = false;
    for (int32_t i = 0; i < materialCount; i++) {
        textures[i].ReadFromScene(file, gfx);
        reflection = reflection || textures[i].HasMapType(MAP_REFLECTION, false);
    }
    in.Text(cloneSourceName);
    const int32_t boneTotal = in.Count("Bone", kMinBoneBytes);

    if (cloneSourceName.IsEmpty()) {
        const int32_t vertices = in.I32();
        const int32_t faces = in.I32();
        uint32_t format = in.U32();
        layout.FromFormat(format);
        const int64_t vertexBytes = FileVertexBytes(layout, version);
        const int64_t total = int64_t(vertices) * vertexBytes + int64_t(faces) * 8;
        if (vertices < 0 || faces < 0 || total > int64_t(file.GetRemaining()))
            file.Error("Mesh '%s': %i vertices and %i faces exceed the %i bytes left", objectName.c_str(), vertices,
                       faces, file.GetRemaining());
        if (!state.loadGeometry || vertices == 0 || faces == 0) {
            in.Skip(total);
        } else {
            const VertexLayout stored = layout;  // the layout of version 100's raw vertices
            if (state.addColors)
                format |= kColors;
            gfx.CreateMesh(this, faces, vertices, materialCount, format, 0, boneTotal, 0, 0, reflection ? 1 : 0);
            LockAll(0);
            for (int32_t n = 0; n < vertices; n++) {
                uint8_t* vertex = VertexBytes(n);
                if (version <= 100) {
                    std::vector<uint8_t> raw(stored.vertexStride);
                    if (!file.Read(raw.data(), raw.size()))
                        in.CutShort();
                    if (!state.addColors) {
                        std::memcpy(vertex, raw.data(), raw.size());
                        continue;
                    }
                    std::memcpy(vertex, raw.data(), 12);
                    if (stored.vertexFormat & kNormal)
                        std::memcpy(vertex + layout.normalOffset, raw.data() + stored.normalOffset, 12);
                    if (stored.texSetCount > 0)
                        std::memcpy(vertex + layout.texCoordOffset, raw.data() + stored.texCoordOffset, 8);
                    std::memcpy(vertex + layout.blendWeightOffset, raw.data() + stored.blendWeightOffset,
                                4 * StoredWeights(stored));
                    if (stored.vertexFormat & kLastBetaIndices) {
                        const uint8_t* indices = raw.data() + stored.boneIndexOffset;
                        for (uint32_t i = 0; i < stored.weightCount && i < 4; i++)
                            if (indices[i] >= boneTotal)
                                Error("Invalid bone index: %i", indices[i]);
                        std::memcpy(vertex + layout.boneIndexOffset, indices, 4);
                    }
                    continue;
                }
                SetVertexPosition(n, in.Vec3());
                for (uint32_t i = 0; i < StoredPairs(stored, version); i++) {
                    const float u = in.F32(), v = in.F32();
                    if (i < layout.texSetCount) {
                        SetVertexFloat(n, layout.texCoordOffset + 8 * i, u);
                        SetVertexFloat(n, layout.texCoordOffset + 8 * i + 4, v);
                    }
                }
                D3DXVECTOR3 normal;
                normal.x = float(in.I16()) * 3.051851e-5f;
                normal.y = float(in.I16()) * 3.051851e-5f;
                normal.z = float(in.I16()) * 3.051851e-5f;
                if (layout.vertexFormat & kNormal)
                    SetVertexNormal(n, normal);
                for (uint32_t i = 0; i < StoredWeights(stored); i++)
                    SetVertexFloat(n, layout.blendWeightOffset + 4 * i, float(in.U16()) * 1.5259022e-5f);
                if (layout.vertexFormat & kLastBetaIndices)
                    for (int i = 0; i < 4; i++)
                        vertex[layout.boneIndexOffset + i] = in.U8();
                if (layout.vertexFormat & 0x040)
                    std::memset(vertex + layout.diffuseOffset, 0xFF, 4);  // white where the file has no colour
            }
            for (int32_t face = 0; face < faces; face++) {
                for (int corner = 0; corner < 3; corner++) {
                    const uint16_t index = in.U16();
                    if (index >= vertices)
                        Error("Invalid vertex index %u in face %i", index, face);
                    std::memcpy(static_cast<uint8_t*>(lockedIndexData) + (size_t(face) * 3 + corner) * 2, &index, 2);
                }
            }
            DWORD* attributes = static_cast<DWORD*>(lockedAttributeData);
            for (int32_t face = 0; face < faces; face++)
                attributes[face] = in.U16();
            UnlockAll();
            vertexBlendMode = VertexBlendMode(layout.weightCount);
        }
    }

    if (version < 110)  // light maps took the mesh's last channel before they had their own
        for (int32_t i = 0; i < materialCount; i++)
            for (DXC_MapInfo& stage : textures[i].stages)
                if (stage.mapType == MAP_LIGHT)
                    stage.texCoordIndex = int16_t(texChannelCount - 1);
    extraTextureIndex = in.I32();
    for (int32_t i = 0; i < boneTotal; i++) {
        DXC_BoneInfo& bone = *bones.GetBySlot(bones.Add());
        in.Text(bone.boneName);
        in.Matrix(bone.fileMatrixA);
        in.Matrix(bone.fileMatrixB);
        D3DXMatrixMultiply(&bone.offsetMatrix, &bone.fileMatrixB, &bone.fileMatrixA);
    }
    if (state.loadGeometry && cloneSourceName.IsEmpty() && deviceMesh)
        Optimize();
    return 1;
}
