// RTXLoader mesh building: the work tables of a mesh become its vertex and index data: the vertex
// format from the weights, material ids as sub-meshes, the texture sets that the material's maps
// use, face normals, and the welding of face corners into shared vertices by sub-mesh, texture
// coordinates and smoothing groups.
#include "engine/scene/RTXLoader.h"

#include "base/Math.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/gfx/DXC_Texture.h"
#include "engine/scene/DXC_Mesh.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

namespace {

constexpr int32_t kSlots = RTX_MeshWork::kChannelSlots;
constexpr int32_t kMaxGroups = 8;
constexpr int32_t kMaxCopies = 128;  // output vertices made from one vertex

// Direct3D 9 vertex formats by the largest weight count: position and normal; then position with
// 1, 2 or 3 blend weights, the last blend value holding four bone index bytes, and normal. One
// weight is built as two.
constexpr uint32_t kFormatOfWeights[5] = {0x012, 0x1018, 0x1018, 0x101A, 0x101C};
constexpr uint32_t kVertexColors = 0x0C0;  // diffuse and specular
constexpr uint32_t kDiffuseWhite = 0xFFFFFFFFu;

struct OutputVertex {
    int32_t source = 0;
    int32_t nextCopy = -1;  // the next vertex made from the same source vertex
    int32_t subMesh = 0;
    int32_t faceCount = 0;
    uint8_t groups[kMaxGroups] = {};
    int32_t groupCount = 0;
    D3DXVECTOR3 normal;  // the sum of the faces' normals until all faces are welded
};

// One face corner to weld.
struct Corner {
    int32_t source = 0;
    const RTX_FaceWork* face = nullptr;
    D3DXVECTOR3 normal;
    int32_t subMesh = 0;
    float uv[kSlots][2] = {};  // by texture set
};

// Finds or makes the output vertex of each face corner. A corner shares a vertex made from the
// same source vertex when both lie in one sub-mesh, have the same coordinates in every texture
// set and share a smoothing group; so a face without groups shares none of its vertices.
class Welder {
public:
    Welder(RTXLoader& reporter, int32_t sources, int32_t sets)
        : m_Reporter(reporter), m_Sets(sets), m_First(size_t(sources), -1), m_Last(size_t(sources), -1),
          m_Copies(size_t(sources), 0)
    {
    }

    int32_t Weld(const Corner& c)
    {
        const RTX_FaceWork& face = *c.face;
        for (int32_t n = m_First[size_t(c.source)]; n >= 0; n = out[size_t(n)].nextCopy) {
            OutputVertex& o = out[size_t(n)];
            if (o.subMesh != c.subMesh || !SameCoordinates(n, c))
                continue;
            uint8_t common[kMaxGroups];
            int32_t count = 0;
            for (int32_t i = 0; i < face.groupCount; i++) {
                if (std::find(o.groups, o.groups + o.groupCount, face.groups[i]) == o.groups + o.groupCount)
                    continue;
                if (count == kMaxGroups) {
                    m_Reporter.Warning("too many smoothing groups");
                    break;
                }
                common[count++] = face.groups[i];
            }
            if (count == 0)
                continue;
            std::copy(common, common + count, o.groups);
            o.groupCount = count;
            o.normal += c.normal;
            o.faceCount++;
            return n;
        }
        if (m_Copies[size_t(c.source)] >= kMaxCopies) {
            m_Reporter.Warning("Too many smoothing groups on vertex %i!", c.source);
            const int32_t n = m_First[size_t(c.source)];
            OutputVertex& o = out[size_t(n)];
            o.normal += c.normal;
            o.faceCount++;
            SetGroups(o, face);
            return n;
        }
        if (m_Copies[size_t(c.source)] > 0)
            duplicates++;
        const int32_t n = int32_t(out.size());
        OutputVertex& o = out.emplace_back();
        o.source = c.source;
        o.subMesh = c.subMesh;
        o.faceCount = 1;
        o.normal = c.normal;
        SetGroups(o, face);
        for (int32_t s = 0; s < m_Sets; s++)
            uv.insert(uv.end(), {c.uv[s][0], c.uv[s][1]});
        int32_t& last = m_Last[size_t(c.source)];
        if (last >= 0)
            out[size_t(last)].nextCopy = n;
        else
            m_First[size_t(c.source)] = n;
        last = n;
        m_Copies[size_t(c.source)]++;
        return n;
    }

    std::vector<OutputVertex> out;
    std::vector<float> uv;  // u, v of every texture set of every output vertex
    int32_t duplicates = 0;

private:
    bool SameCoordinates(int32_t n, const Corner& c) const
    {
        const float* mine = uv.data() + size_t(n) * size_t(m_Sets) * 2;
        for (int32_t s = 0; s < m_Sets; s++)
            if (mine[2 * s] != c.uv[s][0] || mine[2 * s + 1] != c.uv[s][1])
                return false;
        return true;
    }

    static void SetGroups(OutputVertex& o, const RTX_FaceWork& face)
    {
        o.groupCount = std::min<int32_t>(face.groupCount, kMaxGroups);
        std::copy(face.groups, face.groups + o.groupCount, o.groups);
    }

    RTXLoader& m_Reporter;
    int32_t m_Sets;
    std::vector<int32_t> m_First;
    std::vector<int32_t> m_Last;
    std::vector<uint8_t> m_Copies;
};

}  // namespace

int32_t RTXLoader::SlotOfChannel(const RTX_MeshLoadInfo& info, int32_t channel)
{
    for (int32_t s = 0; s < kSlots; s++)
        if (channel >= 0 && info.slotChannels[s] == channel)
            return s;
    return 0;  // the mesh's own coordinates: channel 1, no channel given, or one the mesh lacks
}

int32_t RTXLoader::TexCoordOfChannel(const RTX_MeshLoadInfo& info, int32_t channel)
{
    const int32_t slot = SlotOfChannel(info, channel);
    for (const ChannelPlusTexCoord& pair : info.channels)
        if (pair.slot == slot)
            return pair.texCoord;
    return 0;
}

// Eight slots give eight sets at most, which a vertex format can hold.
void RTXLoader::MakeChannelList(const RTX_MaterialInfo* material, RTX_MeshLoadInfo& info)
{
    info.channels.clear();
    for (int32_t s = 0; s < kSlots; s++)
        info.slotChannels[s] = m_Work.channels[s].channel;
    auto enter = [&](int32_t slot) {
        for (const ChannelPlusTexCoord& pair : info.channels)
            if (pair.slot == slot)
                return;
        info.channels.push_back(ChannelPlusTexCoord{slot, int32_t(info.channels.size())});
    };
    if (!material) {
        // No map reads a set of a mesh without material: only the slots that hold coordinates get
        // one, in slot order, so its vertices carry no empty sets.
        for (int32_t s = 0; s < kSlots; s++)
            if (m_Work.channels[s].faceRead > 0)
                enter(s);
        return;
    }
    while (!material->subMaterials.empty())
        material = &material->subMaterials[0];
    std::vector<const RTX_MapInfo*> maps;
    for (const RTX_MapInfo& map : material->maps)
        maps.push_back(&map);
    auto orderKey = [](const RTX_MapInfo* map) {
        DXC_MapInfo stage;
        stage.mapType = map->kind;
        return stage.GetOrderKey();
    };
    std::stable_sort(maps.begin(), maps.end(),
                     [&](const RTX_MapInfo* a, const RTX_MapInfo* b) { return orderKey(a) < orderKey(b); });
    for (const RTX_MapInfo* map : maps)
        enter(SlotOfChannel(info, map->channel));
}

void RTXLoader::BuildMesh(DXC_Mesh& mesh)
{
    RTX_MeshLoadInfo& info = EnterMeshInfo(mesh);
    const char* name = mesh.GetObjectName();

    int32_t weights = m_Work.maxWeights;
    if (weights == 1) {
        Warning("Only one bone in object %s", name);
        weights = 2;
    }
    if (weights < 0 || weights > 4)
        Error("Invalid number of weightings: %i", weights);

    // Material ids become sub-mesh numbers in the order of their first use.
    const RTX_MaterialInfo* material = MaterialAt(m_MaterialIndex);
    const int32_t wrap = material && !material->subMaterials.empty() ? material->subMaterialCount : 0;
    const int32_t faces = std::min<int32_t>(m_Work.faceRead, int32_t(m_Work.faces.size()));
    std::vector<int32_t> subMeshOfFace(size_t(faces), 0);
    std::unordered_map<int32_t, int32_t> subMeshOfId;
    info.subMeshIds.clear();
    for (int32_t f = 0; f < faces; f++) {
        const int32_t id = wrap > 0 ? Math::WrapInt(m_Work.faces[size_t(f)].materialId, wrap) : 0;
        auto [at, added] = subMeshOfId.emplace(id, int32_t(info.subMeshIds.size()));
        if (added)
            info.subMeshIds.push_back(id);
        subMeshOfFace[size_t(f)] = at->second;
    }

    MakeChannelList(material, info);
    const int32_t sets = int32_t(info.channels.size());
    uint32_t format = kFormatOfWeights[weights] | (uint32_t(sets) << 8);
    if (m_VertexColors)
        format |= kVertexColors;

    // Faces: a face without a normal (its corners on one line) is dropped.
    Welder welder(*this, int32_t(m_Work.vertices.size()), sets);
    std::vector<int32_t> indices;
    std::vector<int32_t> attributes;
    for (int32_t f = 0; f < faces; f++) {
        const RTX_FaceWork& face = m_Work.faces[size_t(f)];
        D3DXVECTOR3 p[3];
        for (int32_t k = 0; k < 3; k++) {
            const int32_t v = face.vertices[k];
            if (v < 0 || size_t(v) >= m_Work.vertices.size())  // the vertex table may have shrunk since
                Error("Invalid vertex index %i in face %i of mesh '%s'", v, f, name);
            p[k] = m_Work.vertices[size_t(v)].position;
        }
        const D3DXVECTOR3 ab = p[1] - p[0], ac = p[2] - p[0];
        D3DXVECTOR3 normal;
        D3DXVec3Cross(&normal, &ab, &ac);
        const float length = D3DXVec3Length(&normal);
        if (!(length > 0.0f) || !std::isfinite(length)) {
            if (m_MessageLevel >= 10)
                Warning("Invalid face %i in mesh '%s'", f, name);
            continue;
        }
        Corner c;
        c.face = &face;
        c.normal = normal / length;
        c.subMesh = subMeshOfFace[size_t(f)];
        for (int32_t k = 0; k < 3; k++) {
            c.source = face.vertices[k];
            for (const ChannelPlusTexCoord& pair : info.channels) {
                const RTX_TexChannel& channel = m_Work.channels[pair.slot];
                c.uv[pair.texCoord][0] = c.uv[pair.texCoord][1] = 0.0f;  // a face without texture face
                if (f >= std::min<int32_t>(channel.faceRead, int32_t(channel.faces.size() / 3)))
                    continue;
                const int32_t t = channel.faces[size_t(f) * 3 + size_t(k)];
                if (t < 0 || size_t(t) >= channel.vertices.size())
                    Error("Invalid texture vertex index %i in face %i of mesh '%s'", t, f, name);
                c.uv[pair.texCoord][0] = channel.vertices[size_t(t)].x;
                c.uv[pair.texCoord][1] = channel.vertices[size_t(t)].y;
            }
            indices.push_back(welder.Weld(c));
        }
        attributes.push_back(c.subMesh);
    }

    if (welder.duplicates > 0 && m_MessageLevel >= 10)
        Warning("%i vertices duplicated in mesh '%s'", welder.duplicates, name);
    for (OutputVertex& o : welder.out) {
        const float length = D3DXVec3Length(&o.normal);
        if (length > 0.0f)
            o.normal = o.normal / length;
        else if (m_MessageLevel >= 10)
            Warning("Zero normal sum in object %s!", name);
    }
    if (attributes.empty())
        return;  // no face left: the mesh keeps no geometry

    const int32_t vertexTotal = int32_t(welder.out.size());  // above 65535: the mesh creation's error
    const int32_t subMeshes = std::max<int32_t>(int32_t(info.subMeshIds.size()), 1);
    m_Gfx->CreateMesh(&mesh, int32_t(attributes.size()), vertexTotal, subMeshes, format, 0, mesh.bones.GetSize(), 0, 0,
                      0);
    const VertexLayout& layout = mesh.layout;
    mesh.LockAll(0);
    for (int32_t n = 0; n < vertexTotal; n++) {
        const OutputVertex& o = welder.out[size_t(n)];
        const RTX_VertexWork& source = m_Work.vertices[size_t(o.source)];
        mesh.SetVertexPosition(n, source.position);
        mesh.SetVertexNormal(n, o.normal);
        if (layout.weightCount > 0) {
            for (uint32_t i = 0; i + 1 < layout.weightCount; i++)  // the last weight is 1 - the others
                mesh.SetVertexFloat(n, layout.blendWeightOffset + 4 * i, source.weights[i]);
            std::memcpy(mesh.VertexBytes(n) + layout.boneIndexOffset, source.bones, 4);
        }
        if (format & kVertexColors)
            std::memcpy(mesh.VertexBytes(n) + layout.diffuseOffset, &kDiffuseWhite, 4);
        for (int32_t s = 0; s < sets; s++) {
            mesh.SetVertexFloat(n, layout.texCoordOffset + 8 * s, welder.uv[(size_t(n) * sets + s) * 2]);
            mesh.SetVertexFloat(n, layout.texCoordOffset + 8 * s + 4, welder.uv[(size_t(n) * sets + s) * 2 + 1]);
        }
    }
    auto* indexData = static_cast<uint8_t*>(mesh.lockedIndexData);
    for (size_t i = 0; i < indices.size(); i++) {
        const uint16_t index = uint16_t(indices[i]);  // the mesh holds at most 65535 vertices
        std::memcpy(indexData + 2 * i, &index, 2);
    }
    auto* attributeData = static_cast<DWORD*>(mesh.lockedAttributeData);
    for (size_t f = 0; f < attributes.size(); f++)
        attributeData[f] = DWORD(attributes[f]);
    mesh.UnlockAll();
    mesh.Optimize();  // faces sorted by sub-mesh; the sub-mesh ranges
    mesh.vertexBlendMode = mesh.VertexBlendMode(layout.weightCount);
    mesh.texChannelCount = std::max(sets, 1);
    mesh.ComputeBounds();
    if (m_Work.boxMinSet)  // the file's box stands
        mesh.boxMin = m_Work.boxMin;
    if (m_Work.boxMaxSet)
        mesh.boxMax = m_Work.boxMax;
}
