// RTXLoader meshes: the work tables of a "MESH" block (vertices, faces, texture channels) with their
// order and size checks, the skin weights of "MESH_WEIGHTS", and the mesh load infos by name with
// their unique names.
#include "engine/scene/RTXLoader.h"

#include "engine/scene/DXC_Mesh.h"

#include <algorithm>

namespace {

// The shortest list entry an export can hold ("*MESH_TFACE 0 0 0 0" and longer): a count that
// could not fit in the rest of the text is refused before a table is sized by it.
constexpr int32_t kMinEntryBytes = 8;
// Bone indices are kept as bytes with the weights.
constexpr int32_t kMaxBones = 256;

int32_t s_DuplicateNames = 0;  // program-wide: a later duplicate in another file gets the next number

const char* ObjectName(const DXC_Mesh& mesh) { return mesh.GetObjectName(); }

}  // namespace

int32_t RTXLoader::ReadCount(const char* what)
{
    int32_t count = 0;
    m_Scanner.ReadInt(count);
    const int32_t room = (GetSize() - GetFilePos()) / kMinEntryBytes;
    if (count < 0 || count > room)
        Error("Invalid %s count %i", what, count);
    return count;
}

int32_t RTXLoader::ReadListIndex(int32_t& read, int32_t count, const char* orderError, const char* countError)
{
    int32_t index = -1;
    m_Scanner.ReadInt(index);
    if (index != read)
        Error("%s", orderError);
    if (index >= count)
        Error("%s", countError);
    read++;
    return index;
}

bool RTXLoader::ReadMeshBlock(DXC_Mesh& mesh)
{
    if (m_Work.channelSlot == 0) {
        m_Work.vertexCount = m_Work.vertexRead = 0;
        m_Work.faceCount = m_Work.faceRead = 0;
    }
    const bool inside = ReadBlock([&](int32_t keyword) {
        switch (keyword) {
        case RTX_MESH_NUMVERTEX:
            m_Work.vertexCount = ReadCount("vertex");
            m_Work.vertexRead = 0;
            m_Work.vertices.assign(size_t(m_Work.vertexCount), RTX_VertexWork());
            m_Work.channelSlot = 0;
            return true;
        case RTX_MESH_NUMFACES:
            m_Work.faceCount = ReadCount("face");
            m_Work.faceRead = 0;
            m_Work.faces.assign(size_t(m_Work.faceCount), RTX_FaceWork());
            return true;
        case RTX_MESH_VERTEX_LIST:
            return m_Scanner.OpenBlock() && ReadVertexList();
        case RTX_MESH_FACE_LIST:
            return m_Scanner.OpenBlock() && ReadFaceList(mesh);
        case RTX_MESH_MAPPINGCHANNEL: {
            int32_t channel = -1;
            m_Scanner.ReadInt(channel);
            if (m_Work.channelSlot >= RTX_MeshWork::kChannelSlots)
                return true;  // no slot left: the block is passed over
            m_Work.channels[m_Work.channelSlot].channel = channel;
            return m_Scanner.OpenBlock() && ReadChannelBlock(mesh);
        }
        case RTX_MESH_WEIGHTS:
            return m_Scanner.OpenBlock() && ReadWeights(mesh);
        case RTX_BOUNDINGBOX_MIN:
            m_Scanner.ReadVector(m_Work.boxMin);
            m_Work.boxMinSet = 1;
            return true;
        case RTX_BOUNDINGBOX_MAX:
            m_Scanner.ReadVector(m_Work.boxMax);
            m_Work.boxMaxSet = 1;
            return true;
        default:
            return ReadTextureKeyword(keyword, mesh) != kFileEnded;
        }
    });
    if (inside && m_Work.boxMinSet)
        mesh.boxMin = m_Work.boxMin;
    if (inside && m_Work.boxMaxSet)
        mesh.boxMax = m_Work.boxMax;
    return inside;
}

// A mapping channel's block holds the texture lists of one more channel slot.
bool RTXLoader::ReadChannelBlock(DXC_Mesh& mesh)
{
    return ReadBlock([&](int32_t keyword) { return ReadTextureKeyword(keyword, mesh) != kFileEnded; });
}

int32_t RTXLoader::ReadTextureKeyword(int32_t keyword, DXC_Mesh& mesh)
{
    if (m_Work.channelSlot >= RTX_MeshWork::kChannelSlots)
        return kNotHandled;  // no slot left: the lists are passed over
    RTX_TexChannel& channel = m_Work.channels[m_Work.channelSlot];
    switch (keyword) {
    case RTX_MESH_NUMTVERTEX:
        channel.vertexCount = ReadCount("t-vertex");
        channel.vertexRead = 0;
        channel.vertices.assign(size_t(channel.vertexCount), D3DXVECTOR3());
        return kRead;
    case RTX_MESH_TVERTLIST:
        return m_Scanner.OpenBlock() && ReadTexVertexList(channel) ? kRead : kFileEnded;
    case RTX_MESH_NUMTVFACES:
        channel.faceCount = ReadCount("t-face");
        if (channel.faceCount != m_Work.faceCount)
            Warning("Number of t-faces and faces does not match");
        channel.faceRead = 0;
        channel.faces.assign(size_t(channel.faceCount) * 3, 0);
        return kRead;
    case RTX_MESH_TFACELIST:
        if (!m_Scanner.OpenBlock() || !ReadTexFaceList(channel, mesh))
            return kFileEnded;
        m_Work.channelSlot++;
        return kRead;
    default:
        return kNotHandled;
    }
}

bool RTXLoader::ReadVertexList()
{
    return ReadBlock([&](int32_t keyword) {
        if (keyword == RTX_MESH_VERTEX) {
            const int32_t index =
                ReadListIndex(m_Work.vertexRead, m_Work.vertexCount, "Wrong vertex list order!", "Too many vertices");
            m_Scanner.ReadVector(m_Work.vertices[size_t(index)].position);
        }
        return true;
    });
}

// "*MESH_FACE 0: A: 0 B: 1 C: 2 AB: 1 ..."; the letters and colons are searched for.
bool RTXLoader::ReadFaceList(DXC_Mesh& mesh)
{
    RTX_FaceWork* face = nullptr;
    return ReadBlock([&](int32_t keyword) {
        if (keyword == RTX_MESH_FACE) {
            const int32_t index =
                ReadListIndex(m_Work.faceRead, m_Work.faceCount, "Wrong face list order!", "Too many faces");
            face = &m_Work.faces[size_t(index)];
            for (int32_t corner = 0; corner < 3; corner++) {
                const char letter = char('A' + corner);
                do {
                    if (FindChar(letter, false) != 0)
                        return false;
                } while (PeekChar() != ':');
                ReadChar();
                int32_t vertex = -1;
                m_Scanner.ReadInt(vertex);
                if (vertex < 0 || vertex >= m_Work.vertexCount)
                    Error("Invalid vertex index %i in face %i of mesh '%s'", vertex, index, ObjectName(mesh));
                face->vertices[corner] = vertex;
            }
        } else if (keyword == RTX_MESH_SMOOTHING) {
            // Group numbers separated by commas, or none when the next keyword follows.
            int32_t group = 0;
            while (m_Scanner.ReadInt(group)) {
                if (face && face->groupCount < 8)
                    face->groups[face->groupCount++] = uint8_t(group);
                SkipBlanks();
                if (PeekChar() != ',')
                    break;
                ReadChar();
            }
        } else if (keyword == RTX_MESH_MTLID) {
            int32_t id = 0;
            m_Scanner.ReadInt(id);
            if (face)
                face->materialId = id;
        }
        return true;
    });
}

bool RTXLoader::ReadTexVertexList(RTX_TexChannel& channel)
{
    return ReadBlock([&](int32_t keyword) {
        if (keyword == RTX_MESH_TVERT) {
            const int32_t index =
                ReadListIndex(channel.vertexRead, channel.vertexCount, "Wrong vertex list order!", "Too many t-vertices");
            D3DXVECTOR3& uvw = channel.vertices[size_t(index)];
            m_Scanner.ReadVector(uvw);
            uvw.y = 1.0f - uvw.y;
        }
        return true;
    });
}

bool RTXLoader::ReadTexFaceList(RTX_TexChannel& channel, DXC_Mesh& mesh)
{
    return ReadBlock([&](int32_t keyword) {
        if (keyword != RTX_MESH_TFACE)
            return true;
        const int32_t index =
            ReadListIndex(channel.faceRead, channel.faceCount, "Wrong face list order!", "Too many t-faces");
        for (int32_t corner = 0; corner < 3; corner++) {
            int32_t vertex = -1;
            m_Scanner.ReadInt(vertex);
            if (vertex < 0 || vertex >= channel.vertexCount)
                Error("Invalid texture vertex index %i in face %i of mesh '%s'", vertex, index, ObjectName(mesh));
            channel.faces[size_t(index) * 3 + size_t(corner)] = vertex;
        }
        return true;
    });
}

bool RTXLoader::ReadWeights(DXC_Mesh& mesh)
{
    m_SkinnedRead = 1;
    m_MeshInit = RTX_Transform();  // no binding matrix of an earlier mesh
    return ReadBlock([&](int32_t keyword) {
        if (keyword == RTX_MESH_INIT_TM) {
            m_MeshInit = RTX_Transform();
            if (!m_Scanner.OpenBlock() || !ReadTransform(m_MeshInit))
                return false;
            const bool before211 = m_VersionMajor < 2 || (m_VersionMajor == 2 && m_VersionMinor < 11);
            if (before211)
                D3DXMatrixMultiply(&m_MeshInit.rows, &mesh.offsetMatrix, &m_MeshInit.rows);
        } else if (keyword == RTX_BONE_WEIGHT) {
            return m_Scanner.OpenBlock() && ReadBoneWeight(mesh);
        }
        return true;
    });
}

// The bone is found or added by its exact name; its matrices are the mesh's binding matrix, the
// bone's own and their product.
bool RTXLoader::ReadBoneWeight(DXC_Mesh& mesh)
{
    String name;
    int32_t bone = -1;
    return ReadBlock([&](int32_t keyword) {
        switch (keyword) {
        case RTX_BONE_NAME:
            m_Scanner.ReadQuotedString(name);
            bone = BoneNumber(mesh, name);
            return true;
        case RTX_BONE_INIT_TM: {
            RTX_Transform init;
            if (!m_Scanner.OpenBlock() || !ReadTransform(init))
                return false;
            if (bone < 0)
                bone = BoneNumber(mesh, name);
            DXC_BoneInfo& info = *mesh.bones.GetBySlot(bone);
            info.fileMatrixA = init.rows;
            info.fileMatrixB = m_MeshInit.rows;
            D3DXMatrixMultiply(&info.offsetMatrix, &info.fileMatrixB, &info.fileMatrixA);
            return true;
        }
        case RTX_INDEX_WEIGHT: {
            int32_t vertex = -1;
            float weight = 0.0f;
            m_Scanner.ReadInt(vertex);
            m_Scanner.ReadNumber(weight);
            if (bone < 0)
                bone = BoneNumber(mesh, name);
            AddWeight(mesh, vertex, weight, bone);
            return true;
        }
        default:
            return true;
        }
    });
}

// A new bone starts with the mesh's binding matrix as both of its matrices.
int32_t RTXLoader::BoneNumber(DXC_Mesh& mesh, const String& name)
{
    DXC_BoneInfo bone;
    bone.boneName = name;
    bone.fileMatrixA = bone.fileMatrixB = bone.offsetMatrix = m_MeshInit.rows;
    const int32_t number = mesh.FindOrAddBone(bone);
    if (number >= kMaxBones)
        Error("Too many bones in mesh '%s'", ObjectName(mesh));
    return number;
}

// At most four (bone, weight) pairs per vertex; a fifth replaces the smallest.
void RTXLoader::AddWeight(DXC_Mesh& mesh, int32_t vertex, float weight, int32_t bone)
{
    if (vertex < 0 || vertex >= m_Work.vertexCount) {
        Warning("Invalid weight index: %i", vertex);
        return;
    }
    if (weight < m_MinWeight)
        return;
    RTX_VertexWork& v = m_Work.vertices[size_t(vertex)];
    if (v.weightCount < 4) {
        v.weights[v.weightCount] = weight;
        v.bones[v.weightCount] = uint8_t(bone);
        v.weightCount++;
        m_Work.maxWeights = std::max<int32_t>(m_Work.maxWeights, v.weightCount);
        return;
    }
    // Ties: of slots 0 and 1 the later, of 2 and 3 the later; between those two, 3 on a tie, 2 not.
    const int32_t a = v.weights[1] <= v.weights[0] ? 1 : 0;
    const int32_t b = v.weights[3] <= v.weights[2] ? 3 : 2;
    const int32_t slot = v.weights[b] < v.weights[a] || (b == 3 && v.weights[b] == v.weights[a]) ? b : a;
    v.weights[slot] = weight;
    v.bones[slot] = uint8_t(bone);
    Warning("More than 4 bones in vertex of object '%s'", ObjectName(mesh));
}

RTX_MeshLoadInfo& RTXLoader::EnterMeshInfo(DXC_Mesh& mesh)
{
    for (;;) {
        if (RTX_MeshLoadInfo* info = m_MeshInfos.Insert(mesh.objectName)) {
            info->materialIndex = m_MaterialIndex;
            info->color = m_MeshColor;
            info->mesh = &mesh;
            return *info;
        }
        Warning("Multiple mesh objects with the same name: '%s'", ObjectName(mesh));
        String suffix;
        suffix.Format(" __%i__", ++s_DuplicateNames);
        mesh.objectName += suffix;
    }
}
