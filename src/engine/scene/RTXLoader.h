// RTXLoader: the importer of the text model export ("3DSMAX_RTXEXPORT"). It reads a file whole, fills a
// scene from it or builds an animation cycle from its key tracks, and keeps the scene information of
// the last load. The graphics object owns one and reuses it for every text export.
// The class is split by role:
//   RTXLoader.cpp           construction, reset, the whole-file read, the two entry points, the finish
//                           with the "Bounds" mesh
//   RTXLoaderNodes.cpp      the top level, the scene block, object nodes, transforms, cameras, lights, fog
//   RTXLoaderTracks.cpp     the key lists of "TM_ANIMATION"
//   RTXLoaderMaterials.cpp  the material list, maps and their animation
//   RTXLoaderApply.cpp      materials converted and applied to meshes, texture matrices, environment map
//   RTXLoaderMesh.cpp       the mesh block's work tables and skin weights
//   RTXLoaderMeshBuild.cpp  the work tables welded into the mesh's vertex and index data
//
// Every block reader loops on the keyword scanner and answers true at the end of its block, false
// when the file ended inside it; the enclosing readers then stop at once.
#pragma once
#include "base/SearchTree.h"
#include "base/TextDataFileReader.h"
#include "engine/gfx/DXC_Material.h"
#include "engine/scene/DXC_SceneInfo.h"
#include "engine/scene/RTXKeyConverter.h"
#include "engine/scene/RTXScanner.h"

#include <cstdint>
#include <vector>

class DXC_3dObject;
class DXC_3dScene;
class DXC_AniCycle;
class DXC_Camera;
class DXC_Gfx;
class DXC_Light;
class DXC_Mesh;

// One transform block: the matrix rows and the decomposed values, with the mirror signs per axis
// that the block's end finds.
struct RTX_Transform {
    D3DXMATRIX rows;  // fourth column 0, 0, 0, 1
    D3DXVECTOR3 position;
    D3DXVECTOR3 scale{1.0f, 1.0f, 1.0f};
    D3DXVECTOR3 axis;  // stored negated, as the scene turns the other way round
    float angle = 0.0f;
    D3DXVECTOR3 mirror{1.0f, 1.0f, 1.0f};

    RTX_Transform() { D3DXMatrixIdentity(&rows); }
};

// Map placement tracks of a map, in this order.
enum : int32_t { RTX_OFFSET_U, RTX_OFFSET_V, RTX_TILE_U, RTX_TILE_V, RTX_ANGLE_W, RTX_PLACEMENT_TRACKS };

struct RTX_MapInfo {
    static constexpr int32_t kMaxPlacementKeys = 1024;

    int32_t kind = 1;  // 1 diffuse, 2 reflection, 3 specular, 4 second multiply, 5 self-illumination, 6 bump, 7 opacity
    D3DXMATRIX textureMatrix;
    float amount = 1.0f;
    uint8_t mirrorU = 0, mirrorV = 0, tileU = 0, tileV = 0;
    String bitmap;
    String mapClass;  // the last "MAP_CLASS" read
    int32_t subMapCount = 0;
    float startFrame = 0.0f;
    float playbackRate = 1.0f;
    int32_t endCondition = 0;  // 0 loop, 1 ping-pong, 2 hold
    float uOffset = 0.0f, vOffset = 0.0f, uTiling = 1.0f, vTiling = 1.0f, wAngle = 0.0f;
    std::vector<RTX_FloatKey> placement[RTX_PLACEMENT_TRACKS];
    float finalUOffset = 0.0f, finalVOffset = 0.0f, finalUScale = 1.0f, finalVScale = 1.0f, finalWAngle = 0.0f;
    int32_t channel = -1;

    RTX_MapInfo() { D3DXMatrixIdentity(&textureMatrix); }
    // Gives the memory of the five placement tracks back; the list of maps does so for every map
    // when it is cleared.
    void FreeArrays()
    {
        for (std::vector<RTX_FloatKey>& track : placement)
            std::vector<RTX_FloatKey>().swap(track);
    }
};

struct RTX_ShaderParams {
    static constexpr int32_t kCount = 8;
    String shader;
    float floats[kCount] = {};
    uint8_t floatSet[kCount] = {};
    D3DXVECTOR4 vectors[kCount];
    uint8_t vectorSet[kCount] = {};
};

// Colour tracks of a material, in this order.
enum : int32_t { RTX_AMBIENT, RTX_DIFFUSE, RTX_SPECULAR, RTX_SELFILLUM, RTX_COLOR_TRACKS };

struct RTX_MaterialInfo {
    String name;
    int32_t converted = 0;
    int32_t subMaterialCount = 0;  // "NUMSUBMTLS": face material ids wrap by it
    std::vector<RTX_MapInfo> maps;
    D3DCOLORVALUE colors[RTX_COLOR_TRACKS];  // ambient, diffuse, specular, self-illumination
    float shineStrength = 0.0f;
    float shine = 0.0f;
    float transparency = 0.0f;
    int32_t blendKind = 0;  // 1 additive, 2 subtractive
    int32_t twoSided = 0;
    std::vector<RTX_MaterialInfo> subMaterials;
    std::vector<RTX_ColorKey> colorTracks[RTX_COLOR_TRACKS];
    uint8_t colorTrackLinear[RTX_COLOR_TRACKS] = {};  // filled from a "CONTROL_COLOR_LINEAR" block
    std::vector<RTX_FloatKey> opacityTrack;            // 1 - the file's value, tangents negated
    uint8_t opacityTrackLinear = 0;
    RTX_ShaderParams shaderParams;
    DXC_Material material;  // the values above as the mesh's material (after the material list)
};

// A texture coordinate set of a mesh and the channel slot whose coordinates fill it.
struct ChannelPlusTexCoord {
    int32_t slot = 0;
    int32_t texCoord = 0;
};

// Work tables of the mesh being read.
struct RTX_VertexWork {
    D3DXVECTOR3 position;
    float weights[4] = {};
    uint8_t bones[4] = {};
    uint8_t weightCount = 0;
};

struct RTX_FaceWork {
    int32_t vertices[3] = {};
    uint8_t groups[8] = {};  // smoothing groups
    uint16_t groupCount = 0;
    int32_t materialId = 0;
};

struct RTX_TexChannel {
    int32_t channel = -1;  // the file's mapping channel; -1 unused
    int32_t vertexCount = 0;
    int32_t vertexRead = 0;
    std::vector<D3DXVECTOR3> vertices;  // u, 1 - v, w
    int32_t faceCount = 0;
    int32_t faceRead = 0;
    std::vector<int32_t> faces;  // three texture vertex indices per face
};

struct RTX_MeshWork {
    static constexpr int32_t kChannelSlots = 8;

    int32_t vertexCount = 0;
    int32_t vertexRead = 0;
    std::vector<RTX_VertexWork> vertices;
    int32_t faceCount = 0;
    int32_t faceRead = 0;
    std::vector<RTX_FaceWork> faces;
    RTX_TexChannel channels[kChannelSlots];
    int32_t channelSlot = 0;  // the slot the next texture lists fill
    int32_t maxWeights = 0;   // the largest weight count of a vertex
    D3DXVECTOR3 boxMin, boxMax;
    uint8_t boxMinSet = 0, boxMaxSet = 0;

    void Clear() { *this = RTX_MeshWork(); }
};

struct RTX_MeshLoadInfo {
    int32_t materialIndex = -1;
    D3DCOLORVALUE color{1.0f, 1.0f, 1.0f, 1.0f};  // the material of a mesh without one
    DXC_Mesh* mesh = nullptr;  // not owned
    // Filled when the mesh is built: the wrapped material id of each sub-mesh, in the order of
    // first use, the texture sets and the file's mapping channel of each channel slot.
    std::vector<int32_t> subMeshIds;
    std::vector<ChannelPlusTexCoord> channels;
    int32_t slotChannels[RTX_MeshWork::kChannelSlots] = {-1, -1, -1, -1, -1, -1, -1, -1};
};

class RTXLoader : public TextDataFileReader {
public:
    static constexpr float kDefaultMinWeight = 0.1f;

    explicit RTXLoader(DXC_Gfx* gfx);
    ~RTXLoader() override;

    // Fills the scene from the file (load flags: bit 2 no textures, bit 3 vertex colours; -1 counts
    // as 0); returns 1. Errors end the load; the scene keeps what was added before.
    int LoadSceneFile(DXC_3dScene* scene, const char* fileName, int32_t loadFlags);
    // Builds the cycle from the file's key tracks between two frames (both negative: the file's own
    // range); returns the result of the graphics object's cycle building.
    int LoadScene(DXC_AniCycle* cycle, const char* fileName, float fromFrame, float toFrame);

    void GetSceneInfo(DXC_SceneInfo& info) const { info = m_Info; }
    void SetSceneInfo(const DXC_SceneInfo& info) { m_Info = info; }

    void SetMessageLevel(int32_t level) { m_MessageLevel = level; }
    int32_t GetMessageLevel() const { return m_MessageLevel; }
    void SetMinWeight(float weight) { m_MinWeight = weight; }
    uint8_t GetVersionMajor() const { return m_VersionMajor; }
    uint8_t GetVersionMinor() const { return m_VersionMinor; }
    const String& GetEnvironmentMap() const { return m_EnvironmentMap; }
    // The material list of the last load; it stays until the next load starts.
    const std::vector<RTX_MaterialInfo>& GetMaterials() const { return m_Materials; }
    bool SkinnedMeshRead() const { return m_SkinnedRead != 0; }
    // The work tables of the last mesh read; they are freed when the next mesh or load starts.
    const RTX_MeshWork& GetMeshWork() const { return m_Work; }

    // Converts an object's key tracks to seconds (after the file has been read).
    void ConvertNodeTracks(DXC_3dObject& object);

private:
    // Reads the keywords of a block up to its end: true at its closing brace, false when the file
    // ended inside it, or inside a keyword's own block (handle answers false then).
    template <class Handle> bool ReadBlock(Handle handle);

    // RTXLoader.cpp
    void Reset(const char* fileName);
    void ReadWholeFile(const char* fileName);
    void ParseFile(DXC_3dScene* scene);
    void FinishScene();
    // The scene's bounds from the mesh named "Bounds", which then leaves the scene; false without one.
    bool TakeBoundsMesh();
    void ComputeTimeBase();
    template <class F> void ForEachObject(F f);

    // RTXLoaderNodes.cpp
    bool ReadTopLevel();
    bool ReadSceneBlock();
    bool ReadEnvMapBlock();
    bool ReadGeomObject();
    bool ReadHelperObject(int32_t kind);
    bool ReadCameraObject();
    bool ReadLightObject();
    bool ReadCameraSettings(DXC_Camera& camera);
    bool ReadLightSettings(DXC_Light& light);
    bool ReadAtmospheric();
    bool ReadStdFog();
    // The keywords that every node block shares: kNotHandled for another keyword, else kRead, or
    // kFileEnded when the file ended inside a block of the keyword.
    enum : int32_t { kFileEnded = -1, kNotHandled = 0, kRead = 1 };
    int32_t ReadNodeKeyword(int32_t keyword, DXC_3dObject& node);
    bool ReadTransform(RTX_Transform& transform);
    void MirrorTest(RTX_Transform& transform);
    void ApplyNodeTransform(DXC_3dObject& node, const RTX_Transform& transform);
    void EndGeomObject(int32_t slot, bool hadMesh);
    uint32_t ReadColorBytes();
    float ReadNumberOr(float fallback);

    // RTXLoaderTracks.cpp
    bool ReadTmAnimation(DXC_3dObject& node);
    bool ReadPositionTrack(DXC_3dObject& node);
    bool ReadRotationTrack(DXC_3dObject& node);
    bool ReadScaleTrack(DXC_3dObject& node);
    bool ReadEulerTrack(DXC_3dObject& node);
    bool ReadEulerAxis(std::vector<RTX_EulerRotKey>& keys);
    bool ReadNodeFloatTrack(DXC_3dObject& node);
    // Float key lists of nodes and materials ("CONTROL_FLOAT_KEY" and "CONTROL_BEZIER_FLOAT_KEY");
    // an opacity track keeps 1 - the value with both tangents negated.
    bool ReadFloatKeys(std::vector<RTX_FloatKey>& track, bool opacity, bool& linearOnly);

    // RTXLoaderMaterials.cpp
    bool ReadMaterialList();
    bool ReadMaterial(RTX_MaterialInfo& material, int32_t depth);
    // By index: a sub-map may add maps to the material.
    bool ReadMap(RTX_MaterialInfo& material, size_t mapIndex, int32_t depth);
    bool ReadMapAnimation(RTX_MapInfo& map);
    bool ReadPlacementKeys(std::vector<RTX_FloatKey>& track);
    bool ReadMaterialAnimation(RTX_MaterialInfo& material);
    bool ReadColorKeys(std::vector<RTX_ColorKey>& track);
    bool MapKindSupported(int32_t kind) const;
    static void ParseShaderParams(RTX_MaterialInfo& material);

    // RTXLoaderApply.cpp
    // The materials of the list from first on (a list read later adds to it), sub-materials too.
    void ConvertMaterials(size_t first);
    void ConvertMaterial(RTX_MaterialInfo& material);
    void ApplyMaterials();
    void ApplyMaterial(DXC_Mesh& mesh, const RTX_MeshLoadInfo& info);
    void ApplyEntry(DXC_Mesh& mesh, int32_t entry, RTX_MaterialInfo& material, const RTX_MeshLoadInfo& info);
    // Once per material: its maps' texture matrices and placement tracks in seconds.
    void ConvertMaps(RTX_MaterialInfo& material);
    static void BuildTextureMatrix(RTX_MapInfo& map);
    RTX_MaterialInfo* MaterialAt(int32_t index);
    void LoadEnvironmentMap();

    // RTXLoaderMesh.cpp
    bool ReadMeshBlock(DXC_Mesh& mesh);
    bool ReadChannelBlock(DXC_Mesh& mesh);
    int32_t ReadTextureKeyword(int32_t keyword, DXC_Mesh& mesh);  // as ReadNodeKeyword
    bool ReadVertexList();
    bool ReadFaceList(DXC_Mesh& mesh);
    bool ReadTexVertexList(RTX_TexChannel& channel);
    bool ReadTexFaceList(RTX_TexChannel& channel, DXC_Mesh& mesh);
    bool ReadWeights(DXC_Mesh& mesh);
    bool ReadBoneWeight(DXC_Mesh& mesh);
    int32_t BoneNumber(DXC_Mesh& mesh, const String& name);
    void AddWeight(DXC_Mesh& mesh, int32_t vertex, float weight, int32_t bone);
    // A count of the file, checked against what the rest of the text can hold.
    int32_t ReadCount(const char* what);
    // The index of a list entry: it must equal the entries read before it and stay below the count.
    int32_t ReadListIndex(int32_t& read, int32_t count, const char* orderError, const char* countError);
    RTX_MeshLoadInfo& EnterMeshInfo(DXC_Mesh& mesh);

    // RTXLoaderMeshBuild.cpp
    void BuildMesh(DXC_Mesh& mesh);
    // The texture sets of the mesh being built: the channels of the material's maps, or every
    // channel slot with coordinates when it has no material.
    void MakeChannelList(const RTX_MaterialInfo* material, RTX_MeshLoadInfo& info);
    static int32_t SlotOfChannel(const RTX_MeshLoadInfo& info, int32_t channel);
    static int32_t TexCoordOfChannel(const RTX_MeshLoadInfo& info, int32_t channel);

    DXC_Gfx* m_Gfx;  // not owned
    RTXScanner m_Scanner;
    String m_TextureDir;
    DXC_SceneInfo m_Info;
    SearchTree<RTX_MeshLoadInfo> m_MeshInfos;
    std::vector<RTX_EulerRotKey> m_Euler[3];
    uint8_t m_VersionMajor = 1;
    uint8_t m_VersionMinor = 0;
    float m_FrameSpeed = 30.0f;
    float m_TicksPerFrame = 160.0f;
    float m_SecondsPerTick = 0.0f;
    float m_SceneLength = 0.0f;
    float m_MinWeight = kDefaultMinWeight;
    int32_t m_FirstFrame = 0;
    int32_t m_LastFrame = 100;
    int32_t m_LoadTextures = 1;
    int32_t m_FlagBit0 = 0;
    int32_t m_VertexColors = 0;
    int32_t m_FlagBit1 = 0;
    int32_t m_FullImport = 0;
    int32_t m_FlagBit4 = 0;
    int32_t m_MaterialIndex = -1;
    D3DCOLORVALUE m_MeshColor{1.0f, 1.0f, 1.0f, 1.0f};
    RTX_MeshWork m_Work;
    std::vector<RTX_MaterialInfo> m_Materials;
    RTX_Transform m_MeshInit;
    DXC_3dScene* m_Scene = nullptr;  // not owned
    int32_t m_SkinnedRead = 0;
    int32_t m_MessageLevel = 5;
    String m_EnvironmentMap;  // "SCENE_ENVMAP" bitmap name
    RTXTimeBase m_TimeBase;
};

template <class Handle> bool RTXLoader::ReadBlock(Handle handle)
{
    for (;;) {
        const int32_t keyword = m_Scanner.NextKeyword();
        if (keyword == RTX_END_OF_BLOCK)
            return true;
        if (keyword == RTX_END_OF_FILE || !handle(keyword))
            return false;
    }
}
