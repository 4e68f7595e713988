// RTXLoader: construction, the reset before each load, the whole-file read, the two entry points and
// the finish of the scene.
#include "engine/scene/RTXLoader.h"

#include "base/FileName.h"
#include "engine/scene/DXC_3dScene.h"
#include "engine/scene/DXC_AniCycle.h"
#include "engine/scene/SceneMath.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace {

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

template <class T> void CutChain(DXC_KeyBase<T>*& first, int32_t& count, float start, float end)
{
    using Key = DXC_KeyBase<T>;
    const float range = end - start;
    const float limit = range + 1e-5f * range;
    while (first && first->next && first->next->time <= start)
        Key::Unlink(first, first);
    for (Key* k = first; k; k = k->next) {
        k->time = std::max(k->time - start, 0.0f);
        if (k->time > limit) {
            Key::FreeChain(k->next);
            k->next = nullptr;
            break;
        }
    }
    count = Key::Count(first);
}

void TakeOverTracks(DXC_3dObject& node, DXC_3dObject& track, float start, float end)
{
    DXC_PosKey* pos = node.posKeys;
    DXC_RotKey* rot = node.rotKeys;
    DXC_ScaleKey* scale = node.scaleKeys;
    node.ForgetKeys();
    node.ForgetTimeTables();
    DXC_3dObject::CopyNode(node, track);
    track.parent = nullptr;  // the scene goes; the cycle's tracks are bound by name
    track.posKeys = pos;
    track.rotKeys = rot;
    track.scaleKeys = scale;
    CutChain(track.posKeys, track.numPosKey, start, end);
    CutChain(track.rotKeys, track.numRotKey, start, end);
    CutChain(track.scaleKeys, track.numScaleKey, start, end);
    if (track.rotKeys)  // the first key now turns from no rotation
        QuaternionToAxisAngleNorm(track.rotKeys->data.quaternion, &track.rotKeys->data.axis,
                                  &track.rotKeys->data.angle);
    track.SetAniRange(end - start);
    track.BuildKeyTimeTables();
}

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
    m_Materials.clear();
    m_Work.Clear();
    m_EnvironmentMap = "";
    m_MaterialIndex = -1;
    GetPathDirectory(fileName, m_TextureDir);
    ComputeTimeBase();
    DXC_3dScene& s = *m_Scene;
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
        scene->activeCamera = 0;
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
    return BuildCycle(*scene, *cycle, start, end);
}

// The cycle takes the scene's helper and mesh tracks over [start, end] seconds: the keys before
// start are dropped but the last of them at or before it, which holds the value at the start; the
// others move back by start (never below 0), and each chain ends with the first key past the range
// and a tolerance of 1e-5 of it; the cycle runs over the range. The nodes' chains are taken over,
// not copied (the scene forgets them).
int RTXLoader::BuildCycle(DXC_3dScene& scene, DXC_AniCycle& cycle, float start, float end)
{
    if (end < start)
        end = start;  // a reversed range holds nothing
    cycle.AllocTracks(scene.objects.GetSize(), scene.meshes.GetSize());
    for (int32_t i = 0; i < cycle.objectTrackCount; i++)
        TakeOverTracks(*scene.objects.GetAt(i), cycle.objectTracks[i], start, end);
    for (int32_t i = 0; i < cycle.meshTrackCount; i++)
        TakeOverTracks(*scene.meshes.GetAt(i), cycle.meshTracks[i], start, end);
    cycle.startTime = 0.0f;
    cycle.endTime = end - start;
    return 1;
}

void RTXLoader::FinishScene()
{
    Close();  // the file text
    m_Info.firstFrame = float(m_FirstFrame);
    m_Info.lastFrame = float(m_LastFrame);

    // Every node runs over the scene's length; parents and targets are found by name.
    m_Scene->SetAniRange(m_SceneLength);
    ForEachObject([&](DXC_3dObject& object) {
        object.SetAniRange(m_SceneLength);
        ConvertNodeTracks(object);
    });
}
