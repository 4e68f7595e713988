// DXC_3dScene: the scene: its meshes, cameras, helper objects and lights, and the render settings
// that loaders fill and the drawing code reads.
#pragma once
#include "base/DynaMem.h"
#include "engine/scene/DXC_3dClipObject.h"
#include "engine/scene/DXC_Camera.h"
#include "engine/scene/DXC_Light.h"
#include "engine/scene/DXC_Mesh.h"

#include <bit>
#include <cstdint>

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
    static SceneParams DefaultSceneParams();

    int32_t GetMeshCount() const { return meshes.GetSize(); }
    int32_t GetCameraCount() const { return cameras.GetSize(); }
    int32_t GetObjectCount() const { return objects.GetSize(); }
    int32_t GetLightCount() const { return lights.GetSize(); }
    void SetRenderOptions(const SceneParams& params) { sceneParams = params; }
    const SceneParams& GetRenderOptions() const { return sceneParams; }
    void SetColorBlock(const ColorBlock& block) { colorBlock = block; }
    void SetBackgroundColor(uint32_t argb) { backgroundColor = argb; }

    // The first node of that name: meshes, helper objects, cameras, then lights; mode 1 counts
    // letter case. A missing or empty name finds a node without a name.
    DXC_3dObject* FindObjectByName(const char* name, int32_t mode);

    uint32_t sceneWord = 0;
    int32_t activeCamera = -1;
    int32_t secondIndex = -1;
    uint32_t sceneWord2 = 0;
    float sceneFactor = 1.0f;
    uint32_t ambientColor = 0xFF000000u;
    uint32_t backgroundColor = 0xFF000000u;
    ColorBlock colorBlock;
    DXC_Texture* environmentTexture = nullptr;  // owned; none on the server
    SceneParams sceneParams;
    DynaMem<DXC_Mesh, 16> meshes;
    DynaMem<DXC_Camera, 4> cameras;
    DynaMem<DXC_3dObject, 32> objects;  // helper objects: dummies and bones
    DynaMem<DXC_Light, 4> lights;
};
