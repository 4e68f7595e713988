// DXC_3dScene: the scene: its meshes, cameras, helper objects and lights, and the render settings
// that loaders fill and the drawing code reads.
//
// The class is split by role:
//   DXC_3dScene.cpp         construction, reset, defaults
//   DXC_3dSceneQueries.cpp  lookups by name and number, bounds and box tests
//   DXC_3dSceneFile.cpp     the scene body of binary scene files, and whole files
//   DXC_3dSceneLinks.cpp    linking by name, clone meshes, segment tests, settings over all
//                           nodes, copies, insertion of another scene, scene time
//   DXC_3dSceneCycles.cpp   binding animation cycles by name, posing from one or two cycles
//   DXC_3dSceneCombine.cpp  meshes of one vertex format and one set of materials merged into one
#pragma once
#include "base/DynaMem.h"
#include "engine/scene/DXC_3dClipObject.h"
#include "engine/scene/DXC_Camera.h"
#include "engine/scene/DXC_Light.h"
#include "engine/scene/DXC_Mesh.h"

#include <bit>
#include <cstdint>

class DXC_AniCycle;
struct DXC_LightSet;
class DXC_Gfx;
class File;
struct DXC_SceneInfo;

// A record of 32-bit words that hold integers or floats, as the loaders write them.
template <int N> struct SceneWords {
    uint32_t words[N] = {};
    int32_t GetInt(int i) const { return static_cast<int32_t>(words[i]); }
    float GetFloat(int i) const { return std::bit_cast<float>(words[i]); }
    void SetInt(int i, int32_t v) { words[i] = static_cast<uint32_t>(v); }
    void SetFloat(int i, float v) { words[i] = std::bit_cast<uint32_t>(v); }
};

using SceneParams = SceneWords<19>;
using ColorBlock = SceneWords<20>;

class DXC_3dScene : public DXC_3dClipObject {
public:
    DXC_3dScene();
    ~DXC_3dScene() override;

    void Reset();
    // Empties the scene: environment texture, the four lists, the object part.
    void Clear();
    static SceneParams DefaultSceneParams();

    int32_t GetMeshCount() const { return meshes.GetSize(); }
    int32_t GetCameraCount() const { return cameras.GetSize(); }
    int32_t GetObjectCount() const { return objects.GetSize(); }
    int32_t GetLightCount() const { return lights.GetSize(); }
    void SetRenderOptions(const SceneParams& params) { sceneParams = params; }
    const SceneParams& GetRenderOptions() const { return sceneParams; }
    void SetColorBlock(const ColorBlock& block) { colorBlock = block; }
    void SetBackgroundColor(uint32_t argb) { backgroundColor = argb; }

    // Lookups (the lists are walked in the order of their used slots).
    DXC_Mesh* FindMesh(const char* name, bool prefix);
    // The first node of that name: meshes, helper objects, cameras, then lights; mode 1 counts
    // letter case. A missing or empty name finds a node without a name.
    DXC_3dObject* FindObjectByName(const char* name, int32_t mode);
    DXC_3dObject* FindUnparented();
    DXC_Mesh* GetMeshAt(int32_t slot) { return meshes.GetBySlot(slot); }
    DXC_Mesh* GetMesh(int32_t n) { return meshes.GetAt(n); }
    DXC_Light* GetLight(int32_t n) { return lights.GetAt(n); }
    DXC_Light* GetLightChecked(int32_t slot);
    DXC_Camera* GetCameraChecked(int32_t n);
    DXC_3dObject* GetObjectChecked(int32_t n);
    int SetActiveCamera(int32_t n);

    // Bounds: the fraction at which the segment widened by r meets the scene's box, or -1.0
    // (distance, when given: how far it passed, in world units).
    float IntersectBox(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, float r, float* distance);
    float DistanceToBounds(const D3DXVECTOR3& point);
    // Bounds of the meshes' boxes and the helper objects' positions (scenes older than the
    // stored bounds, and the importer).
    void ComputeBounds();
    float GetBoundingSphere(D3DXVECTOR3& centre, bool leaveOutObjects, bool leaveOutCameras);

    // The binary scene body (DXC_3dSceneFile.cpp).
    int Write(File& file) override;
    int Read(File& file, DXC_Gfx& gfx);
    // A whole file: header and body, written in memory first and put in place of an old file in
    // one step, so that a failed write leaves the old file whole.
    int WriteFile(const char* fileName, const DXC_SceneInfo& info);
    // Opaque meshes first in the used order; the number of opaque ones is kept.
    void SortMeshesOpaqueFirst();

    // Linking and whole-scene operations (DXC_3dSceneLinks.cpp).
    int LinkObjects();
    // Every mesh with a clone source name takes the geometry of the mesh of that name (letter
    // case counts) and keeps its own node part, materials and name ("Clone Mesh '%s' not found").
    int LinkCloneMeshes();
    float IntersectSegment(const D3DXVECTOR3& p1, const D3DXVECTOR3& p2, char* name, int32_t bufferSize,
                           bool* prefixMatched, bool stopAtFirstHit);
    bool HitSegment(const D3DXVECTOR3& p1, const D3DXVECTOR3& p2, float radius);
    int SetFlagOnAll(int32_t value);
    int SetRangeOnAll(float value);
    int SetAniTime(double time, int withParent, int force) override;
    void SetMeshTime(double time);
    int RotateRoots(float axisX, float axisY, float axisZ, float angle);
    int ScaleRoots(float x, float y, float z);
    int ScaleMeshes(float x, float y, float z);
    int32_t CountFaces(int32_t a, int32_t b);
    int Insert3dScene(DXC_3dScene& other, bool checkNames);

    // Mesh combining (DXC_3dSceneCombine.cpp): every mesh in used order takes in the later meshes
    // of its vertex format, active word and materials (at most 99, and 65535 vertices in all,
    // never skinned ones nor meshes without geometry), which leave the scene; the others get their
    // placement baked into the offset matrix. The meshes' world matrices must be current. Answers
    // the number of meshes merged away; the scene's bounds are made again when there were any.
    int32_t CombineMeshes(DXC_Gfx& gfx);
    // One such step for the mesh at a position of the used order; the number it took in.
    int32_t MergeMeshes(DXC_Gfx& gfx, int32_t position);
    // After other scenes were inserted: their meshes are combined where a graphics object is
    // given, and the bounds are made again from what the scene holds now. The number of meshes
    // merged away.
    int32_t FinishInsert(DXC_Gfx* gfx);

    // Animation cycles (DXC_3dSceneCycles.cpp). Binding matches the cycle's tracks to this
    // scene's helper objects and meshes by name (letter case counts) and records, per node in
    // used order, its slot and its track (-1 none). Flag bit 0 reports missing and mismatching
    // helper objects, bit 1 meshes, as warnings of the cycle.
    int BindAniCycle(DXC_AniCycle& cycle, int32_t flags);
    // Poses the bound nodes from a (b none or w 0) or from a and b mixed by w; the nodes' matrices
    // are then rebuilt. Cycles bound to other scenes are errors of this scene.
    int BlendAniCycles(const DXC_AniCycle& a, const DXC_AniCycle* b, float w);

    uint32_t sceneWord = 0;
    int32_t activeCamera = -1;
    int32_t secondIndex = -1;
    uint32_t sceneWord2 = 0;
    float sceneFactor = 1.0f;  // the speed of the scene's time
    uint32_t ambientColor = 0xFF000000u;
    uint32_t backgroundColor = 0xFF000000u;
    ColorBlock colorBlock;
    DXC_Texture* environmentTexture = nullptr;  // owned
    SceneParams sceneParams;
    DynaMemSort<DXC_Mesh, 16> meshes;
    DynaMem<DXC_Camera, 4> cameras;
    DynaMem<DXC_3dObject, 32> objects;  // helper objects: dummies and bones
    DynaMem<DXC_Light, 4> lights;
    int32_t opaqueMeshCount = 0;
    int32_t fileSize = 0;

    // How the renderer draws the scene; set by its owner, never stored in the scene file.
    static constexpr uint32_t kRenderClear = 1u << 0;          // clear (or fill with the background) first
    static constexpr uint32_t kRenderDepthSort = 1u << 1;      // opaque near to far, transparent far to near
    static constexpr uint32_t kRenderLightMarkers = 1u << 2;
    static constexpr uint32_t kRenderCameraMarkers = 1u << 3;
    static constexpr uint32_t kRenderBoundingBox = 1u << 4;
    static constexpr uint32_t kRenderMirrored = 1u << 5;       // drawn with the projection flipped
    uint32_t renderFlags = 0;
    int32_t selectedLight = -2;   // markers: -1 every light, 0 and more that one, below -1 none
    int32_t selectedCamera = -2;
    DXC_Texture* backgroundTexture = nullptr;  // not owned
    DXC_LightSet* lightSet = nullptr;          // not owned; switched on while the scene draws
};
