// RTXLoader: construction, the reset before each load, the whole-file read, the two entry points and
// the finish of the scene with its "Bounds" mesh.
#include "engine/scene/RTXLoader.h"

#include "base/FileName.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/scene/DXC_3dScene.h"
#include "engine/scene/DXC_AniCycle.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace {

void FreeMapArrays(RTX_MaterialInfo& material)  // sub-materials nest at most kMaxNesting deep
{
    for (RTX_MapInfo& map : material.maps)
        map.FreeArrays();
    for (RTX_MaterialInfo& sub : material.subMaterials)
        FreeMapArrays(sub);
}

// Flag bits of LoadSceneFile.
constexpr int32_t kFlagNoTextures = 0x04;
constexpr int32_t kFlagVertexColors = 0x08;

// The render option words a full text load sets (meaning lies with the graphics layer).
constexpr int kParamFirst = 0;
constexpr int kParamTextLoaded = 5;
constexpr int kParamFogOn = 7;
constexpr int kParamFogColor = 10;
constexpr int kParamWord11 = 11;
constexpr int kParamWord15 = 15;

float FiniteOrZero(float v) { return std::isfinite(v) ? v : 0.0f; }

}  // namespace

RTXLoader::RTXLoader(DXC_Gfx* gfx) : m_Gfx(gfx), m_Scanner(*this)
{
    CopyName32(this, "RTXLoader");
    m_FileName = "*nofile*";
    ComputeTimeBase();
}

RTXLoader::~RTXLoader() = default;

template <class F> void RTXLoader::ForEachObject(F f)
{
    DXC_3dScene& s = *m_Scene;
    for (int32_t i = 0; i < s.meshes.GetSize(); i++)
        f(*s.meshes.GetAt(i));
    for (int32_t i = 0; i < s.cameras.GetSize(); i++)
        f(*s.cameras.GetAt(i));
    for (int32_t i = 0; i < s.objects.GetSize(); i++)
        f(*s.objects.GetAt(i));
    for (int32_t i = 0; i < s.lights.GetSize(); i++)
        f(*s.lights.GetAt(i));
}

void RTXLoader::Reset(const char* fileName)
{
    m_FileName = fileName;
    m_FrameSpeed = 30.0f;
    m_TicksPerFrame = 160.0f;
    m_VersionMajor = 1;
    m_VersionMinor = 0;
    m_FirstFrame = 0;
    m_LastFrame = 100;
    m_SkinnedRead = 0;
    m_Info = DXC_SceneInfo();
    m_MeshInfos.Clear();
    for (std::vector<RTX_EulerRotKey>& keys : m_Euler)
        keys.clear();
    for (RTX_MaterialInfo& material : m_Materials)
        FreeMapArrays(material);
    m_Materials.clear();
    m_Work.Clear();
    m_EnvironmentMap = "";
    m_MaterialIndex = -1;
    GetDirectoryPart(m_FileName, m_TextureDir);
    ComputeTimeBase();
    DXC_3dScene& s = *m_Scene;
    delete s.environmentTexture;
    s.environmentTexture = nullptr;
    s.ResetBounds();  // the box of the last file's "Bounds" mesh would stay otherwise
    s.meshes.DeleteAll();
    s.cameras.DeleteAll();
    s.objects.DeleteAll();
    s.lights.DeleteAll();
    s.ClearKeys();
}

// The file is read whole with one read; the parse then works on the copy.
void RTXLoader::ReadWholeFile(const char* fileName)
{
    std::FILE* file = Platform::OpenFile(fileName, "rb");
    if (!file)
        Error("Can not open file %s", fileName);
    const int64_t size = Platform::GetOpenFileSize(file);
    if (size < 0 || size >= INT32_MAX) {
        std::fclose(file);
        Error("Error reading from file %s at %i", fileName, 0);
    }
    std::vector<char> bytes(size_t(size), 0);
    const size_t read = size > 0 ? std::fread(bytes.data(), 1, size_t(size), file) : 0;
    std::fclose(file);
    if (read != size_t(size))
        Error("Error reading from file %s at %i", fileName, int32_t(read));
    OpenBytes(fileName, std::move(bytes));
}

void RTXLoader::ParseFile(DXC_3dScene* scene)
{
    m_Scene = scene;
    Reset(m_FileName.c_str());
    ReadWholeFile(m_FileName.c_str());
    if (!ReadTopLevel())
        Warning("Encountered unexpected end of file at pos %i", GetFilePos());
}

void RTXLoader::ComputeTimeBase()
{
    // A frame speed or tick count of 0 has no clock: its times all become 0.
    m_SecondsPerTick = FiniteOrZero(1.0f / (m_TicksPerFrame * m_FrameSpeed));
    m_SceneLength = FiniteOrZero(float(m_LastFrame - m_FirstFrame) / m_FrameSpeed);
    m_TimeBase.firstFrame = float(m_FirstFrame);
    m_TimeBase.ticksPerFrame = m_TicksPerFrame;
    m_TimeBase.secondsPerTick = m_SecondsPerTick;
    m_Info.frameSpeed = m_FrameSpeed;
}

void RTXLoader::ConvertNodeTracks(DXC_3dObject& object)
{
    RTXKeyConverter::ConvertNodeTracks(object, m_TimeBase);
}

int RTXLoader::LoadSceneFile(DXC_3dScene* scene, const char* fileName, int32_t loadFlags)
{
    m_FileName = fileName;
    scene->SetObjectName(fileName);
    if (loadFlags == -1)
        loadFlags = 0;
    m_LoadTextures = (loadFlags & kFlagNoTextures) ? 0 : 1;
    m_FlagBit0 = loadFlags & 0x01;
    m_FlagBit1 = loadFlags & 0x02;
    m_FlagBit4 = loadFlags & 0x10;
    m_VertexColors = (loadFlags & kFlagVertexColors) ? 1 : 0;
    m_FullImport = 1;
    ParseFile(scene);
    FinishScene();

    if (scene->GetCameraCount() > 0)
        scene->SetActiveCamera(0);
    SceneParams params = scene->GetRenderOptions();
    params.SetInt(kParamTextLoaded, 1);
    params.SetInt(kParamFirst, 0);
    params.SetInt(kParamWord11, 1);
    params.SetFloat(kParamWord15, 0.008f);
    scene->SetRenderOptions(params);
    if (params.GetInt(kParamFogOn) != 0)
        scene->SetBackgroundColor(uint32_t(params.GetInt(kParamFogColor)));
    return 1;
}

int RTXLoader::LoadScene(DXC_AniCycle* cycle, const char* fileName, float fromFrame, float toFrame)
{
    auto scene = std::make_unique<DXC_3dScene>();
    scene->SetObjectName(fileName);
    m_FileName = fileName;
    m_LoadTextures = 0;
    m_FullImport = 0;
    ParseFile(scene.get());
    FinishScene();
    m_Scene = nullptr;

    if (fromFrame < 0.0f && toFrame < 0.0f) {
        fromFrame = float(m_FirstFrame);
        toFrame = float(m_LastFrame);
    }
    const float start = FiniteOrZero((fromFrame - float(m_FirstFrame)) / m_FrameSpeed);
    const float end = FiniteOrZero((toFrame - float(m_FirstFrame)) / m_FrameSpeed);
    return m_Gfx->BuildAniCycle(*scene, *cycle, start, end);
}

void RTXLoader::FinishScene()
{
    Close();  // the file text
    m_Info.firstFrame = float(m_FirstFrame);
    m_Info.lastFrame = float(m_LastFrame);
    DXC_3dScene& s = *m_Scene;
    s.LinkObjects();
    s.SetRangeOnAll(m_SceneLength);
    ForEachObject([&](DXC_3dObject& object) { ConvertNodeTracks(object); });
    if (m_FullImport) {
        ApplyMaterials();
        s.LinkCloneMeshes();
        if (!TakeBoundsMesh()) {
            s.SetAniTime(FiniteOrZero(float(m_FirstFrame) / m_FrameSpeed), 1, 0);
            s.ComputeBounds();
            if (m_SkinnedRead)
                Warning("Skinned meshes without 'Bounds' object");
        }
    }
    s.SortMeshesOpaqueFirst();  // the material list stays for inspection until the next load
}

// The first mesh named "Bounds" (any letter case), posed at time 0, gives the scene its box and
// sphere and switches both tests on; then it leaves the scene, and no link may point at it.
bool RTXLoader::TakeBoundsMesh()
{
    DXC_3dScene& s = *m_Scene;
    for (int32_t i = 0; i < s.meshes.GetSize(); i++) {
        DXC_Mesh& bounds = *s.meshes.GetAt(i);
        if (!bounds.objectName.EqualsNoCase("Bounds"))
            continue;
        bounds.SetAniTime(0.0, 1, 1);
        D3DXMATRIX m;
        D3DXMatrixMultiply(&m, &bounds.offsetMatrix, &bounds.worldMatrix);
        DXC_ClipObject box = bounds;
        box.TransformBox(m);
        s.SetBox(box.boxMin, box.boxMax);
        D3DXVECTOR3 centre = (bounds.boxMin + bounds.boxMax) * 0.5f;
        D3DXVec3TransformCoord(&centre, &centre, &m);
        float scale = 0.0f;
        for (const auto& row : {m.m[0], m.m[1], m.m[2]}) {  // the largest scaling of an axis
            const D3DXVECTOR3 axis(row[0], row[1], row[2]);
            scale = std::max(scale, D3DXVec3Length(&axis));
        }
        s.SetSphere(bounds.boundsRadius * scale, &centre);
        s.SetBoundsFlags(3);

        ForEachObject([&](DXC_3dObject& node) {
            if (node.parent == &bounds)
                node.parent = nullptr;
        });
        for (int32_t c = 0; c < s.cameras.GetSize(); c++)
            if (s.cameras.GetAt(c)->target == &bounds)
                s.cameras.GetAt(c)->target = nullptr;
        for (int32_t l = 0; l < s.lights.GetSize(); l++)
            if (s.lights.GetAt(l)->target == &bounds)
                s.lights.GetAt(l)->target = nullptr;
        for (int32_t n = 0; n < s.meshes.GetSize(); n++) {
            DXC_Mesh& mesh = *s.meshes.GetAt(n);
            for (int32_t b = 0; mesh.boneObjects && b < mesh.bones.GetSize(); b++)
                if (mesh.boneObjects[b] == &bounds)
                    mesh.boneObjects[b] = nullptr;
        }
        s.meshes.Delete(s.meshes.GetUsedSlot(i));
        return true;
    }
    return false;
}
