// SceneObject: construction, reset and copy, the scale, the element queries answered for the
// world, visibility, the per-frame update with emitters and fading.
#include "game/objects/SceneObject.h"

#include "base/Math.h"
#include "base/Random.h"
#include "engine/scene/DXC_3dScene.h"
#include "world/GameCtrlInterface.h"
#include "world/WorldCtrl.h"

#include <algorithm>
#include <cmath>

SceneObject::SceneObject()
{
    CopyName32(this, "SceneObject");
    ResetSceneObject();
}

SceneObject::SceneObject(const SceneObject& other) : WorldElem(other), IlluminatedObject(other)
{
    CopyName32(this, "SceneObject");
    CopySceneObject(other);
}

SceneObject& SceneObject::operator=(const SceneObject& other)
{
    if (this != &other) {
        WorldElem::operator=(other);
        IlluminatedObject::operator=(other);
        CopySceneObject(other);
    }
    return *this;
}

SceneObject::~SceneObject() = default;

void SceneObject::Reset()
{
    WorldElem::Reset();
    ResetSceneObject();
}

void SceneObject::ResetSceneObject()
{
    m_TypeCode = ElemType::kElem;
    m_ViewMargin = 32.0f;
    m_Colour = 0xFF000000u;
    m_ViewTestFlag = 0;
    m_Visible = 1;
    m_FloorAlignMode = 0;
    m_FloorAlignWeight = 255;
    m_SimpleVisibility = 0;
    m_SettingByte2 = 1;
    m_SettingByte3 = 1;
    m_GlobalFactor = s_DefaultGlobalFactor;
    m_FloorObject = 0;
    m_OrientationMode = 0;
    m_SettingByte4 = 1;
    m_InheritParentTransform = 0;
    for (int32_t i = 0; i < 3; i++) {
        m_Scale[i] = 1.0f;
        m_Mirror[i] = 1.0f;
        m_ColourFactor1[i] = 1.0f;
        m_ColourFactor2[i] = 1.0f;
        m_ColourFactor3[i] = 1.0f;
        m_ColourOffset[i] = 0.0f;
        m_OptionalVector[i] = 0.0f;
    }
    m_Emitters.DeleteAll();
    m_BoneChildren.DeleteAll();
    m_TiltAxis = D3DXVECTOR3(0.0f, 0.0f, 1.0f);
    m_TiltAngle = 0.0f;
    m_ModelCentre = D3DXVECTOR3();
    m_ReservedIndex = -1;
    m_Scene = nullptr;
    m_AniSpeed = 1.0f;
    m_HighlightMode = 0;
    m_SettingWord = 0;
    m_SettingFloat = -1.0f;
    m_OverrideShaderName = String();
    m_ShaderName = String();
    m_Shader = nullptr;
    m_DistanceSetting = 128.0f;
    m_FurtherA = 0;
    m_FurtherB = 0;
    m_MeshSet = nullptr;
    for (int32_t i = 0; i < kVariations; i++) {
        m_ActiveVariations[i] = 0;
        m_RequestedVariations[i] = 0;
    }
    m_ColourB = 0xFF000000u;
    m_SettingInt = 0;
    m_SettingByte5 = 0;
    m_SettingByte6 = 1;
    m_FadeStrength = 0.0f;
    m_FadeValue = 0.0f;
    m_FadeTarget = 0;
    m_FurtherFlag = 0;
    m_TransformOpen = false;
    m_LastRunningTime = -1.0;
}

void SceneObject::CopySceneObject(const SceneObject& other)
{
    m_ViewMargin = other.m_ViewMargin;
    m_Colour = other.m_Colour;
    m_ViewTestFlag = other.m_ViewTestFlag;
    m_Visible = other.m_Visible;
    m_FloorAlignMode = other.m_FloorAlignMode;
    m_FloorAlignWeight = other.m_FloorAlignWeight;
    m_SimpleVisibility = other.m_SimpleVisibility;
    m_SettingByte2 = other.m_SettingByte2;
    m_SettingByte3 = other.m_SettingByte3;
    m_GlobalFactor = other.m_GlobalFactor;
    m_FloorObject = other.m_FloorObject;
    m_OrientationMode = other.m_OrientationMode;
    m_SettingByte4 = other.m_SettingByte4;
    m_InheritParentTransform = other.m_InheritParentTransform;
    for (int32_t i = 0; i < 3; i++) {
        m_Scale[i] = other.m_Scale[i];
        m_Mirror[i] = other.m_Mirror[i];
        m_ColourFactor1[i] = other.m_ColourFactor1[i];
        m_ColourFactor2[i] = other.m_ColourFactor2[i];
        m_ColourFactor3[i] = other.m_ColourFactor3[i];
        m_ColourOffset[i] = other.m_ColourOffset[i];
        m_OptionalVector[i] = other.m_OptionalVector[i];
    }
    m_Emitters.DeleteAll();
    for (int32_t position = 0; position < other.m_Emitters.GetSize(); position++) {
        const EffectEmitterInfo* emitter = const_cast<DynaMem<EffectEmitterInfo, 2>&>(other.m_Emitters).GetAt(position);
        if (emitter)
            AddEmitter() = *emitter;
    }
    m_BoneChildren.DeleteAll();  // the children belong to the original
    m_TiltAxis = other.m_TiltAxis;
    m_TiltAngle = other.m_TiltAngle;
    m_ModelCentre = other.m_ModelCentre;
    m_ReservedIndex = other.m_ReservedIndex;
    m_Scene = other.m_Scene;
    m_AniSpeed = other.m_AniSpeed;
    m_HighlightMode = other.m_HighlightMode;
    m_SettingWord = other.m_SettingWord;
    m_SettingFloat = other.m_SettingFloat;
    m_OverrideShaderName = other.m_OverrideShaderName;
    m_ShaderName = other.m_ShaderName;
    m_Shader = other.m_Shader;
    m_DistanceSetting = other.m_DistanceSetting;
    m_FurtherA = other.m_FurtherA;
    m_FurtherB = other.m_FurtherB;
    m_MeshSet = other.m_MeshSet;
    for (int32_t i = 0; i < kVariations; i++) {
        m_ActiveVariations[i] = other.m_ActiveVariations[i];
        m_RequestedVariations[i] = other.m_RequestedVariations[i];
    }
    m_ColourB = other.m_ColourB;
    m_SettingInt = other.m_SettingInt;
    m_SettingByte5 = other.m_SettingByte5;
    m_SettingByte6 = other.m_SettingByte6;
    m_FadeStrength = other.m_FadeStrength;
    m_FadeValue = other.m_FadeValue;
    m_FadeTarget = other.m_FadeTarget;
    m_FurtherFlag = other.m_FurtherFlag;
    m_TransformOpen = false;
    m_LastRunningTime = -1.0;
}

void SceneObject::SetScale(float x, float y, float z, bool scaleWalls, bool adjustRadius)
{
    (void)scaleWalls;
    const float oldX = m_Scale[0];
    const float oldY = m_Scale[1];
    const float values[3] = {x, y, z};
    for (int32_t i = 0; i < 3; i++) {
        m_Mirror[i] = values[i] < 0.0f ? -1.0f : 1.0f;
        m_Scale[i] = std::fabs(values[i]);
    }
    if (!adjustRadius)
        return;
    // The radius follows the larger change of the horizontal scale; a vanished old scale gives
    // no ratio to follow.
    float factor = 0.0f;
    if (oldX > 0.0f)
        factor = m_Scale[0] / oldX;
    if (oldY > 0.0f)
        factor = std::max(factor, m_Scale[1] / oldY);
    if (factor > 0.0f && std::isfinite(factor))
        m_Radius = std::fabs(m_Radius * factor);
}

float SceneObject::GetBackAngle()
{
    constexpr float kPi = 3.14159265f;
    float a = m_Angle;
    if (WorldElemBase* parent = m_Parent.Get())
        a += parent->GetAngle();
    return Math::WrapFloat(a + kPi, 2.0f * kPi) - kPi;
}

SceneObject* SceneObject::InheritedParent()
{
    if (!m_InheritParentTransform)
        return nullptr;
    WorldElem* parent = dynamic_cast<WorldElem*>(m_Parent.Get());
    if (!parent || !parent->IsCreatureOrItem())
        return nullptr;
    return dynamic_cast<SceneObject*>(parent);
}

D3DXVECTOR3 SceneObject::Inherited(const float own[3], D3DXVECTOR3 (SceneObject::*parentValue)())
{
    D3DXVECTOR3 v(own[0], own[1], own[2]);
    if (SceneObject* parent = InheritedParent()) {
        ParentStep step;
        const D3DXVECTOR3 p = (parent->*parentValue)();
        v = D3DXVECTOR3(v.x * p.x, v.y * p.y, v.z * p.z);
    }
    return v;
}

D3DXVECTOR3 SceneObject::GetScale() { return Inherited(m_Scale, &SceneObject::GetScale); }

D3DXVECTOR3 SceneObject::GetMirror() { return Inherited(m_Mirror, &SceneObject::GetMirror); }

float SceneObject::GetBoundingRadius()
{
    if (!m_Scene)
        return m_Radius;
    const D3DXVECTOR3 size = m_Scene->boxMax - m_Scene->boxMin;
    const D3DXVECTOR3 scaled(size.x * m_Scale[0], size.y * m_Scale[1], size.z * m_Scale[2]);
    return 0.5f * D3DXVec3Length(&scaled);
}

float SceneObject::GetGroundHeight()
{
    if (m_Parent.Get())
        return WorldElemGridBase::GetGroundHeight();  // the parent's
    if (!m_GroundDirty)
        return m_GroundHeight;
    if (m_GroundMode == 2) {
        m_FloorObjectFlags = 0;
        m_GroundHeight = 0.0f;
        m_GroundDirty = 0;
    } else if ((m_FloorObject & 3) != 0 || m_GroundMode != 0) {
        // a floor object stands on the level floor, never on another object
        m_FloorObjectFlags = 0;
        const D3DXVECTOR2 pos = GetPos();
        m_GroundHeight = m_World ? m_World->GetFloorHeight(pos.x, pos.y) : 0.0f;
        m_GroundDirty = 0;
    } else {
        WorldElemGridBase::GetGroundHeight();
    }
    return m_GroundHeight;
}

float SceneObject::PointQuery(const D3DXVECTOR3& point) { return m_Scene ? m_Scene->DistanceToBounds(point) : 0.0f; }

float SceneObject::GetOpacityFactor() const
{
    if (m_SimpleVisibility)
        return m_Opacity;
    return m_Opacity * std::clamp(m_Visibility, 0.0f, 1.0f);
}

float SceneObject::GetOpacity() const
{
    if (m_SimpleVisibility)
        return GetOpacityFactor() * std::clamp(m_FadeOutValue, 0.0f, 1.0f);
    float opacity = WorldElem::GetOpacity();
    if (m_FadeStrength > 0.0f && m_Scene)
        opacity *= 1.0f - m_FadeValue * m_FadeStrength;
    return opacity;
}

bool SceneObject::IsInView()
{
    if (!m_ViewTestFlag)
        return false;
    if (!m_World)
        return true;  // no view to be outside of
    const D3DXVECTOR2 pos = GetPos();
    return m_World->DistanceOutsideView(pos.x, pos.y) <= m_ViewMargin;
}

bool SceneObject::CheckVisibility()
{
    if (!m_Scene)
        return false;
    if (m_SimpleVisibility)
        return IsOnScreen() || IsInView();
    if (!m_Visible || m_Visibility < 0.0f)
        return false;
    if (m_World && !m_World->IsEverythingInView() && m_World->GetNumActiveAreas() > 0 && !IsInActiveCell())
        return false;
    const bool inView = IsInView();
    if (!inView && m_World) {
        const D3DXVECTOR2 pos = GetPos();
        if (m_World->DistanceOutsideView(pos.x, pos.y) > m_Radius)
            return false;
    }
    if (!IsOnScreen() && !inView)
        return false;
    if (m_IsAuraEffect && g_GameCtrl && !g_GameCtrl->AllowsInput())
        return false;  // the controller's permission
    return true;
}

EffectEmitterInfo& SceneObject::AddEmitter() { return *m_Emitters.GetBySlot(m_Emitters.Add()); }

void SceneObject::Update(float dt)
{
    SmartPtr<WorldElem> alive(this);
    UpdateCommon(dt);
    if (!alive.Get())
        return;  // its automatic action ended it
    UpdateEmitters(dt);
    if (m_FadeStrength > 0.0f) {
        const float step = s_FadeTime > 0.0f ? dt / s_FadeTime : 1.0f;
        if (m_FadeTarget == 0)
            m_FadeValue = std::max(0.0f, m_FadeValue - step);
        else
            m_FadeValue = std::min(1.0f, m_FadeValue + step);
    }
}

void SceneObject::UpdateEmitters(float dt)
{
    const double now = GameCtrlInterface::GameTime() - m_TimeAdded;  // the element's running time
    const double before = m_LastRunningTime >= 0.0 ? m_LastRunningTime : now - double(dt);
    m_LastRunningTime = now;
    for (int32_t position = 0; position < m_Emitters.GetSize(); position++) {
        EffectEmitterInfo* emitter = m_Emitters.GetAt(position);
        if (!emitter)
            continue;
        emitter->emitting = 0;
        if (emitter->randomEmission) {
            if (Random::Float01() < double(emitter->rate) * double(dt))
                emitter->emitting = 1;
        } else if (emitter->rate > 0.0f) {
            // the points 0.5 + k / rate passed within (before, now]
            const double rate = emitter->rate;
            if (std::floor((now - 0.5) * rate) > std::floor((before - 0.5) * rate) && now >= 0.5)
                emitter->emitting = 1;
        }
        if (emitter->lifeTime > 0.0f) {
            emitter->lifeTime -= dt;
            if (emitter->lifeTime <= 0.0f) {
                emitter->lifeTime = 0.0f;
                emitter->lifeOver = 1;
            }
        }
    }
}

void SceneObject::UpdateEmitterPositions()
{
    // The effects themselves are drawn where a device exists: here the emitters only take their
    // fire state back and the expired ones leave.
    for (int32_t slot = m_Emitters.NextUsedSlot(-1); slot >= 0; slot = m_Emitters.NextUsedSlot(slot)) {
        EffectEmitterInfo* emitter = m_Emitters.GetBySlot(slot);
        if (!emitter)
            continue;
        emitter->emitting = 0;
        if (emitter->lifeOver)
            m_Emitters.Delete(slot);
    }
}

void SceneObject::SetEmitterEndTime(int32_t id, float seconds)
{
    // The emitters of the id would hand game time + seconds to their effect objects as the end
    // time; the server's effect catalogue resolves no effect, so no emitter holds one.
    (void)id;
    (void)seconds;
}

void SceneObject::UpdateFadeTarget(bool fadeTestPasses, uint32_t frameCounter, const D3DXVECTOR3& eye,
                                   const D3DXVECTOR3& target)
{
    if (!fadeTestPasses) {
        m_FadeTarget = 0;
        return;
    }
    if (frameCounter % 3 != 0 || !(m_FadeStrength > 0.0f))
        return;
    m_FadeTarget = 0;
    if (!m_Scene)
        return;
    const D3DXVECTOR3 line = target - eye;
    const float length = D3DXVec3Length(&line);
    if (!(length > 0.0f))
        return;
    const D3DXVECTOR3 direction = line / length;
    const D3DXVECTOR3 toObject = GetAbsPos3D() - eye;
    const float along = D3DXVec3Dot(&toObject, &direction);
    const float radius = GetBoundingRadius();
    if (along < -radius || along > length + radius)
        return;
    SetTransformation(GetGroundHeight(), false);
    m_Scene->RebuildLocal();
    const bool hit = m_Scene->HitSegment(eye, target, 0.0f);
    SetTransformationCleanUp();
    if (hit)
        m_FadeTarget = 1;
}
