// SceneObject: the world element that owns a 3D scene, base of items and creatures: scale with
// per-axis mirroring, tilt, floor alignment, body-part variations, a shader choice, effect
// emitters at dummy objects, children that follow bones, fading while it hides the player, and
// its save record. Nothing is drawn on the server, but bones, dummies, radii and animation times
// drive the simulation, so the scene is placed and read all the same.
//
//   SceneObject.cpp            construction, reset, copy, scale, the element queries answered
//                              for the world, visibility, the per-frame update and emitters
//   SceneObjectTransform.cpp   the placement bracket, point transforms, radius, bone limit,
//                              floor-object tops
//   SceneObjectVariations.cpp  body-part variation slots, mesh variations, exchangeable
//                              textures, shaders
//   SceneObjectChildren.cpp    children on bones
//   SceneObjectRecord.cpp      the save record
#pragma once
#include "base/DynaMem.h"
#include "base/SmartPtr.h"
#include "base/String.h"
#include "level/IlluminatedObject.h"
#include "platform/D3DXMath.h"
#include "world/EffectEmitterInfo.h"
#include "world/WorldElem.h"

#include <cstdint>

class DXC_3dObject;
class DXC_3dScene;
class DXC_ShaderEffect;
class File;
class FileRecordReader;
struct SceneMeshSet;
struct SceneTextureEntry;

// An element that follows a bone of the scene, at an offset in bone space.
struct BoneChildInfo {
    SmartPtr<WorldElem> child;
    int32_t savedChildRef = -1;  // the child's ElemCode from a save, until it is attached again
    DXC_3dObject* bone = nullptr;
    String boneName;
    uint8_t keepOutOfSave = 0;
    float offset[3] = {0.0f, 0.0f, 0.0f};
};

class SceneObject : public WorldElem, public IlluminatedObject {
public:
    static constexpr int32_t kSlots = 9;       // body-part slots 1 to 9
    static constexpr int32_t kVariations = 2 * kSlots;  // nine mesh numbers, then nine texture numbers
    static constexpr int32_t kNoSlot = -1;
    static constexpr int32_t kAllEmitterIDs = 65535;
    static constexpr uint16_t kRecordVersion = 275;  // the stream version the record is written at
    static constexpr float kNoSceneRadius = 32.0f;

    // The most bones a mesh may have: 26 until the shader table sets it from the size of its bone
    // matrix array. The shader table is read only with a graphics device, so the server keeps 26.
    static constexpr int32_t kDefaultBoneLimit = 26;
    static inline int32_t s_BoneLimit = kDefaultBoneLimit;
    // Seconds the fade while hiding the player takes; the level start may change it.
    static inline float s_FadeTime = 0.5f;
    // The global factor of new objects, a game constant (1.0 unless configured).
    static inline float s_DefaultGlobalFactor = 1.0f;

    SceneObject();
    // A copy of the object's state (clones of templates): no bone children, the scene and mesh set
    // shared with the original.
    SceneObject(const SceneObject& other);
    SceneObject& operator=(const SceneObject& other);
    ~SceneObject() override;

    void Reset() override;

    // Operations this class adds.
    virtual DXC_ShaderEffect* GetShader();
    virtual float GetExtraRotation() { return 0.0f; }  // creatures: their root rotation
    virtual float ScenePointQuery(const D3DXVECTOR3& point) { return PointQuery(point); }
    // Writes the placement into the scene before it is evaluated; the clean-up ends the bracket.
    virtual void SetTransformation(float extraHeight, bool useStoredPos);
    virtual void SetTransformationCleanUp();
    virtual bool IsLootable() = 0;
    // Mirror signs and absolute scale; with adjustRadius the radius follows the new scale. The
    // walls flag is the items'.
    virtual void SetScale(float x, float y, float z, bool scaleWalls, bool adjustRadius);
    virtual float GetBackAngle();

    // Element queries answered for the world.
    float GetBoundingRadius() override;
    float GetGroundHeight() override;
    bool IsOnScreen() override;
    float GetOpacity() const override;
    bool IsInView() override;
    void Update(float dt) override;
    // An action effect's object scale: the factors multiply the signed scale.
    void MultiplyScale(float x, float y, float z) override
    {
        SetScale(m_Mirror[0] * m_Scale[0] * x, m_Mirror[1] * m_Scale[1] * y, m_Mirror[2] * m_Scale[2] * z, false, true);
    }
    D3DXVECTOR3 LocalToWorld(float x, float y, float z) override;
    D3DXVECTOR3 WorldToLocal(float x, float y, float z) override;
    uint8_t GetFloorObjectFlagByte() override { return uint8_t(m_FloorObject); }
    bool GetFloorObjectTop(float x, float y, float& height) override;

    const D3DXVECTOR3& GetPivot() const { return m_ModelCentre; }
    // The distance of a point from the scene's bounds; 0 without a scene.
    float PointQuery(const D3DXVECTOR3& point);
    float GetOpacityFactor() const;
    bool HasSimpleVisibility() const { return m_SimpleVisibility != 0; }
    // Whether the object is to be shown now.
    virtual bool CheckVisibility();

    // Scale and mirror, combined with the parent's when inherited from a creature or an item.
    D3DXVECTOR3 GetScale();
    D3DXVECTOR3 GetMirror();
    void SetScene(DXC_3dScene* scene) { m_Scene = scene; }
    DXC_3dScene* GetScene() const { return m_Scene; }

    // Variation slots (1 to 9; mesh slot 5 does not exist). Numbers outside -1..98 warn and are
    // stored; unknown slots are ignored, and their getters answer -1.
    void SetMeshVariation(int32_t slot, int32_t number);
    void SetTextureVariation(int32_t slot, int32_t number);
    void SetActiveMeshVariation(int32_t slot, int32_t number);
    void SetActiveTextureVariation(int32_t slot, int32_t number);
    int32_t GetMeshVariation(int32_t slot) const;
    int32_t GetTextureVariation(int32_t slot) const;
    int32_t GetActiveMeshVariation(int32_t slot) const;
    int32_t GetActiveTextureVariation(int32_t slot) const;
    static int32_t MeshPosition(int32_t slot);     // storage position, kNoSlot for none
    static int32_t TexturePosition(int32_t slot);  // 9 + storage position, kNoSlot for none
    void CommitMeshVariations();
    // Shows the parts of the active variations and gives them their textures.
    void ApplyMeshVariations();

    // The override name takes precedence; no shader resolves on the server.
    void SetShader(const String& name, bool override);

    // Emitters: the end time of the effects of the emitters of an id (65535: every id but 0).
    void SetEmitterEndTime(int32_t id, float seconds);
    // Where the firing emitters stand now (drawing only); expired emitters leave the list.
    void UpdateEmitterPositions();
    // Whether the object hides the player (drawing only): the controller's fade test, its frame
    // counter and the camera are the caller's.
    void UpdateFadeTarget(bool fadeTestPasses, uint32_t frameCounter, const D3DXVECTOR3& eye,
                          const D3DXVECTOR3& target);
    EffectEmitterInfo& AddEmitter();

    // Children on bones.
    void AttachChildToBone(WorldElem* child, const char* boneName, float x, float y, float z);
    void UpdateBoneChildren();

    // Without a scene 32; else the largest horizontal distance of a mesh box corner once the
    // tilt, scale, mirror and stored position are applied.
    float ComputeRadius();
    // Warns of every mesh with more bones than the limit.
    void CheckBoneCount();

    // The drawing set-up: nothing to do without a device.
    void SetupRenderStates() {}
    void SetupLighting() {}

    // The record after the element's: always written at kRecordVersion; read by the stream's
    // version. transferOnly leaves out what only a full save holds (the bone children).
    void SaveSceneObject(File& file, bool transferOnly);
    void LoadSceneObject(File& file, uint16_t version, bool transferOnly);
    // The element's record, then the scene object's (the compact flag is transferOnly).
    void Save(File& file, bool compact) override;
    void Load(File& file, bool compact) override;

    // Members, in the order of their meaning.
    float m_ViewMargin = 32.0f;
    uint32_t m_Colour = 0xFF000000u;
    int32_t m_ViewTestFlag = 0;  // 0: never in view
    uint8_t m_Visible = 1;
    uint8_t m_FloorAlignMode = 0;      // 0 none, 1 the floor normal, 2 and 3 the slope ahead
    uint8_t m_FloorAlignWeight = 255;  // 255 full
    uint8_t m_SimpleVisibility = 0;
    uint8_t m_SettingByte2 = 1;
    uint8_t m_SettingByte3 = 1;
    float m_GlobalFactor = 1.0f;
    int16_t m_FloorObject = 0;     // low two bits: 1 the whole model is walkable, 2 its "FloorObject" part
    int32_t m_OrientationMode = 0;  // 0 by the angle, 1 towards the camera plus the angle, 2 facing it
    uint8_t m_SettingByte4 = 1;
    uint8_t m_InheritParentTransform = 0;
    float m_Scale[3] = {1.0f, 1.0f, 1.0f};   // absolute values
    float m_Mirror[3] = {1.0f, 1.0f, 1.0f};  // +1 or -1
    float m_ColourFactor1[3] = {1.0f, 1.0f, 1.0f};
    float m_ColourFactor3[3] = {1.0f, 1.0f, 1.0f};
    float m_ColourFactor2[3] = {1.0f, 1.0f, 1.0f};
    float m_ColourOffset[3] = {0.0f, 0.0f, 0.0f};
    DynaMem<EffectEmitterInfo, 2> m_Emitters;
    DynaMem<BoneChildInfo, 2> m_BoneChildren;
    D3DXVECTOR3 m_TiltAxis{0.0f, 0.0f, 1.0f};
    float m_TiltAngle = 0.0f;  // radians; 0 no tilt
    D3DXVECTOR3 m_ModelCentre;  // pivot of the tilt
    int32_t m_ReservedIndex = -1;
    DXC_3dScene* m_Scene = nullptr;  // shared with the object's type
    float m_AniSpeed = 1.0f;
    int16_t m_HighlightMode = 0;  // 2: always drawn highlighted
    int16_t m_SettingWord = 0;
    float m_SettingFloat = -1.0f;
    String m_OverrideShaderName;
    String m_ShaderName;
    DXC_ShaderEffect* m_Shader = nullptr;
    float m_DistanceSetting = 128.0f;
    int32_t m_FurtherA = 0;
    float m_OptionalVector[3] = {0.0f, 0.0f, 0.0f};
    int32_t m_FurtherB = 0;
    const SceneMeshSet* m_MeshSet = nullptr;  // the type's
    int16_t m_ActiveVariations[kVariations] = {};
    int16_t m_RequestedVariations[kVariations] = {};
    uint32_t m_ColourB = 0xFF000000u;
    int32_t m_SettingInt = 0;
    uint8_t m_SettingByte5 = 0;
    uint8_t m_SettingByte6 = 1;
    float m_FadeStrength = 0.0f;  // 0: no fading
    float m_FadeValue = 0.0f;     // 0..1
    uint8_t m_FadeTarget = 0;     // 1 while the object hides the player
    uint8_t m_FurtherFlag = 0;

protected:
    // The scene object's defaults (construction and reset); the lists are emptied.
    void ResetSceneObject();
    // The placement steps of SetTransformation into a scene, and the clean-up's taking the
    // mirroring out again, without the bracket (items place a second scene with them).
    void PlaceScene(DXC_3dScene& scene, float extraHeight, bool useStoredPos);
    void UnmirrorScene(DXC_3dScene& scene);

private:
    void CopySceneObject(const SceneObject& other);
    void StoreVariation(int16_t* set, int32_t position, int32_t number, const char* kind);
    void ApplyTextureEntry(SceneTextureEntry& entry);
    void UpdateEmitters(float dt);
    // The floor tilt of the placement's orientation step, as a quaternion.
    D3DXQUATERNION FloorTilt();
    // The tilt combined with the parent's when inherited.
    D3DXQUATERNION GetTilt();
    // The parent as a scene object whose transform is inherited; none otherwise.
    SceneObject* InheritedParent();
    // Own per-axis values times the inherited parent's.
    D3DXVECTOR3 Inherited(const float own[3], D3DXVECTOR3 (SceneObject::*parentValue)());

    bool m_TransformOpen = false;
    double m_LastRunningTime = -1.0;  // the running time the emitters saw last; -1 none yet
};
