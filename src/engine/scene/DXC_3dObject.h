// DXC_3dObject: the scene node: static transform, hierarchy, key tracks, evaluation and opacity.
#pragma once
#include "base/BezierSpline.h"
#include "base/String.h"
#include "engine/gfx/DXC_ResourceBase.h"
#include "engine/scene/KeyTrack.h"
#include "platform/D3DXMath.h"

#include <cstdint>

class File;

// Object kinds, stored in the scene file.
enum : int32_t {
    OBJ_KIND_NONE = 0,
    OBJ_KIND_MESH = 1,
    OBJ_KIND_BONE = 2,
    OBJ_KIND_HELPER = 4,
    OBJ_KIND_CAMERA = 8,
    OBJ_KIND_LIGHT = 32,
};

class DXC_3dObject : public DXC_ResourceBase {
public:
    DXC_3dObject();
    ~DXC_3dObject() override;
    DXC_3dObject(const DXC_3dObject&) = delete;
    DXC_3dObject& operator=(const DXC_3dObject&) = delete;

    // Messages carry the object's name in front.
    [[noreturn]] void Error(const char* format, ...) override __attribute__((format(printf, 2, 3)));
    void Warning(const char* format, ...) override __attribute__((format(printf, 2, 3)));

    virtual void UpdateVectors(int withTarget);
    // The record of the binary scene file (DXC_3dObjectFile.cpp); both return 1.
    virtual int Write(File& file);
    virtual int Read(File& file);
    virtual int IsMesh() const { return 0; }
    // Evaluates the key tracks at time (seconds) and composes the parent; returns 1.
    virtual int SetAniTime(double time, int withParent, int force);

    void Reset();
    void ResetTransform();
    // Copies the node fields (matrices, transform, evaluated values, names, flags and, withKeys,
    // duplicates of the key chains) from src.
    static void CopyNode(const DXC_3dObject& src, DXC_3dObject& dst, bool withKeys = true);
    // Resets target and copies this node into it; without keys target has none.
    int CopyTo(DXC_3dObject& target, int withKeys) const;
    // Takes from's key chains and time tables over; from forgets them, so each keeps one owner.
    void TakeKeys(DXC_3dObject& from);

    // Setters; rebuild set rebuilds the local matrix at once, clear only marks the node changed.
    int SetPosition(float x, float y, float z, int rebuild);
    int SetRotation(float axisX, float axisY, float axisZ, float angle, int rebuild);
    int SetScale(float x, float y, float z, int rebuild);
    int Rotate(float axisX, float axisY, float axisZ, float angle, int rebuild);
    int RotateByQuaternion(const D3DXQUATERNION& q, int rebuild);
    int SetRotationQuaternion(const D3DXQUATERNION& q, int rebuild);
    D3DXMATRIX MultiplyMatrix(const D3DXMATRIX& m, int rebuildFirst);
    void MultiplyScale(float x, float y, float z);
    void SetInheritance(uint32_t inheritPos, uint32_t inheritRot, uint32_t inheritScl, uint32_t inheritMir);
    void MirrorY() { extraScale.y = -extraScale.y; }
    void SetAniRange(float range) { aniRange = range; }
    void SetAniLoop(uint32_t loop) { aniLoop = loop; }
    void SetObjectName(const char* name) { objectName = name; }
    const char* GetObjectName() const { return objectName.c_str(); }

    void RebuildLocal();
    void RebuildWorld(int force);
    void SetWorldDirty(int dirty);
    void ComposeParent();

    D3DXVECTOR3 GetMatrixPosition() const;
    D3DXQUATERNION GetWorldRotation() const;
    float GetOpacity() const;

    // Whole-node re-orientation and resizing, keys included.
    void RotateAbout(const D3DXQUATERNION& r, int keepPositions);
    void RotateAxisAngle(const D3DXVECTOR3& axis, float angle, int keepPositions);
    int ScaleWithKeys(float x, float y, float z, int keepPositions);

    // Key tracks.
    void AddPosKey(const DXC_PosKey& key);
    void AddScaleKey(const DXC_ScaleKey& key);
    void AddRotKey(const DXC_RotKey& key, int mode);  // 0 relative axis/angle, 1 as given, 2 absolute
    DXC_PosKey* LastPosKey() const;
    DXC_ScaleKey* LastScaleKey() const;
    DXC_RotKey* LastRotKey() const;
    void BuildKeyTimeTables();
    int32_t CropKeys(float start, float end);
    int32_t ReduceKeys(int withRotation);
    void ForgetTimeTables();
    void ForgetKeys();
    void ClearKeys();
    // True when following the parent links from this node never ends.
    bool HasParentCycle() const;

    int32_t kind = OBJ_KIND_NONE;
    D3DXMATRIX worldMatrix;
    D3DXMATRIX offsetMatrix;
    // Transform block, stored whole in the scene file.
    D3DXMATRIX baseMatrix;
    D3DXVECTOR3 extraScale{1.0f, 1.0f, 1.0f};  // per-axis factors of every scaling (mirror signs)
    D3DXVECTOR3 position;
    D3DXVECTOR3 scale{1.0f, 1.0f, 1.0f};
    D3DXVECTOR3 rotationAxis;
    float rotationAngle = 0.0f;

    uint32_t aniFrozen = 0;
    uint32_t transformChanged = 1;
    double lastAniTime = 0.0;
    D3DXMATRIX translationMatrix;
    D3DXMATRIX rotationMatrix;
    D3DXMATRIX scalingMatrix;
    D3DXVECTOR3 aniPosition;
    D3DXVECTOR3 aniScale{1.0f, 1.0f, 1.0f};
    D3DXQUATERNION aniRotation{0.0f, 0.0f, 0.0f, 1.0f};
    String objectName;
    DXC_3dObject* parent = nullptr;  // not owned; linked by parentName
    String parentName;
    uint32_t inheritPosition = 1;
    uint32_t inheritScale = 1;
    uint32_t inheritRotation = 1;
    uint32_t inheritMirror = 1;
    DXC_PosKey* posKeys = nullptr;
    DXC_PosKey* posCursor = nullptr;
    DXC_ScaleKey* scaleKeys = nullptr;
    DXC_ScaleKey* scaleCursor = nullptr;
    DXC_RotKey* rotKeys = nullptr;
    DXC_RotKey* rotCursor = nullptr;
    KeyTimeEntry<DXC_ScaleKeyData>* scaleTimeTable = nullptr;
    KeyTimeEntry<DXC_RotKeyData>* rotTimeTable = nullptr;
    KeyTimeEntry<DXC_PosKeyData>* posTimeTable = nullptr;
    int32_t numRotKey = 0;
    int32_t numScaleKey = 0;
    int32_t numPosKey = 0;
    uint32_t aniLoop = 0;
    float aniRange = 100.0f;
    uint32_t worldValid = 0;
    BezierSpline<float> opacityCurve;
    float opacity = 1.0f;
    uint8_t inheritOpacity = 0;

protected:
    void WriteObjectRecord(File& file) const;
    void ReadObjectRecord(File& file);
    void FinishRead();  // crop to the key window, time tables, evaluation at 0
    void FreeTimeTables();
    void FreeKeyChains();  // the three chains and their tables
    // q(static): the quaternion of the static rotation axis and angle.
    D3DXQUATERNION StaticQuaternion() const;
};
