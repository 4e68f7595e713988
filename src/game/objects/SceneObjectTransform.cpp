// SceneObject: the placement bracket that writes the element into its scene, the local and world
// point transforms, the radius of the scene, the bone limit and the tops of floor objects.
#include "game/objects/SceneObject.h"

#include "engine/gfx/DXC_Gfx.h"
#include "engine/scene/DXC_3dScene.h"
#include "world/WorldCtrl.h"

#include <algorithm>
#include <cmath>

namespace {

D3DXQUATERNION AxisAngle(const D3DXVECTOR3& axis, float angle)
{
    D3DXQUATERNION q;
    D3DXQuaternionIdentity(&q);
    if (angle != 0.0f && D3DXVec3Length(&axis) > 0.0f)
        D3DXQuaternionRotationAxis(&q, &axis, angle);
    return q;
}

D3DXVECTOR3 Rotated(const D3DXVECTOR3& p, const D3DXQUATERNION& q)
{
    D3DXMATRIX m;
    D3DXMatrixRotationQuaternion(&m, &q);
    D3DXVECTOR3 out;
    D3DXVec3TransformCoord(&out, &p, &m);
    return out;
}

constexpr float kRayTop = 10000.0f;  // floor-object rays start here and go straight down

}  // namespace

D3DXQUATERNION SceneObject::GetTilt()
{
    D3DXQUATERNION q = AxisAngle(m_TiltAxis, m_TiltAngle);
    if (SceneObject* parent = InheritedParent()) {
        ParentStep step;
        const D3DXQUATERNION p = parent->GetTilt();
        D3DXQuaternionMultiply(&q, &q, &p);
    }
    return q;
}

D3DXQUATERNION SceneObject::FloorTilt()
{
    D3DXQUATERNION tilt;
    D3DXQuaternionIdentity(&tilt);
    if (!m_World)
        return tilt;
    const D3DXVECTOR2 pos = GetPos();
    if (m_FloorAlignMode == 1) {
        const D3DXVECTOR3 up(0.0f, 0.0f, 1.0f);
        const D3DXVECTOR3 normal = m_World->GetFloorNormal(pos.x, pos.y);
        D3DXVECTOR3 axis;
        D3DXVec3Cross(&axis, &up, &normal);
        tilt = AxisAngle(axis, std::acos(std::clamp(normal.z, -1.0f, 1.0f)));
    } else {
        // The slope along the facing direction, from the floor a step ahead and a step behind;
        // both forms tilt about the horizontal axis across the facing direction.
        constexpr float kStep = 16.0f;
        const float a = GetAngle();
        const D3DXVECTOR2 f(std::cos(a), std::sin(a));
        const float ahead = m_World->GetFloorHeight(pos.x + f.x * kStep, pos.y + f.y * kStep);
        const float behind = m_World->GetFloorHeight(pos.x - f.x * kStep, pos.y - f.y * kStep);
        tilt = AxisAngle(D3DXVECTOR3(f.y, -f.x, 0.0f), std::atan2(ahead - behind, 2.0f * kStep));
    }
    if (m_FloorAlignWeight != 255) {
        D3DXQUATERNION none;
        D3DXQuaternionIdentity(&none);
        D3DXQuaternionSlerp(&tilt, &none, &tilt, float(m_FloorAlignWeight) / 255.0f);
    }
    return tilt;
}

void SceneObject::SetTransformation(float extraHeight, bool useStoredPos)
{
    if (!m_Scene)
        return;
    if (m_TransformOpen)
        Warning("multiple SetTransformation");
    m_TransformOpen = true;
    PlaceScene(*m_Scene, extraHeight, useStoredPos);
}

void SceneObject::PlaceScene(DXC_3dScene& scene, float extraHeight, bool useStoredPos)
{
    D3DXVECTOR3 p(m_PosX, m_PosY, m_Height);
    if (!useStoredPos) {
        const D3DXVECTOR2 pos = GetPos();
        p = D3DXVECTOR3(pos.x, pos.y, GetHeight() + extraHeight);
    }
    scene.SetPosition(p.x, p.y, p.z, 0);
    scene.SetRotationQuaternion(GetTilt(), 0);
    const D3DXVECTOR3 scale = GetScale();
    const D3DXVECTOR3 mirror = GetMirror();
    scene.SetScale(scale.x, scale.y, scale.z, 0);
    scene.MultiplyScale(mirror.x, mirror.y, mirror.z);

    if ((m_OrientationMode == 1 || m_OrientationMode == 2) && m_World) {
        const D3DXVECTOR3 eye = m_World->GetCameraPos();
        const float toCamera = std::atan2(eye.y - p.y, eye.x - p.x);
        if (m_OrientationMode == 1) {
            scene.Rotate(0.0f, 0.0f, 1.0f, toCamera + GetAngle(), 0);
        } else {  // facing the camera, up and down included
            const float pitch = std::atan2(eye.z - p.z, std::hypot(eye.x - p.x, eye.y - p.y));
            D3DXQUATERNION q = AxisAngle(D3DXVECTOR3(0.0f, 1.0f, 0.0f), -pitch);
            const D3DXQUATERNION yaw = AxisAngle(D3DXVECTOR3(0.0f, 0.0f, 1.0f), toCamera);
            D3DXQuaternionMultiply(&q, &q, &yaw);
            scene.SetRotationQuaternion(q, 0);
        }
        return;
    }
    if (m_FloorAlignMode != 0 && !IsOnFloorObject())
        scene.RotateByQuaternion(FloorTilt(), 0);
    scene.Rotate(0.0f, 0.0f, 1.0f, GetAngle(), 0);
}

void SceneObject::SetTransformationCleanUp()
{
    if (!m_Scene)
        return;
    if (!m_TransformOpen)
        Warning("invalid SetTransformationCleanUp");
    m_TransformOpen = false;
    UnmirrorScene(*m_Scene);
}

void SceneObject::UnmirrorScene(DXC_3dScene& scene)
{
    const D3DXVECTOR3 mirror = GetMirror();  // signs: multiplying again takes them out
    scene.MultiplyScale(mirror.x, mirror.y, mirror.z);
}

bool SceneObject::IsOnScreen()
{
    if (!m_Scene || m_ViewTestFlag == 2)
        return false;
    SetTransformation(GetGroundHeight(), false);
    const bool inFrustum = g_Gfx && g_Gfx->IsSceneInFrustum(*m_Scene);
    SetTransformationCleanUp();
    return inFrustum;
}

// The scene's local y axis runs against the world's (scenes are mirrored in y when loaded), so a
// scene point (x, y) lies at R(angle) (x, -y) from the position.
D3DXVECTOR3 SceneObject::LocalToWorld(float x, float y, float z)
{
    const float a = GetAngle();
    const float c = std::cos(a);
    const float s = std::sin(a);
    const D3DXVECTOR2 pos = GetPos();
    D3DXVECTOR3 p(pos.x + x * c + y * s, pos.y + x * s - y * c, z);
    if (m_TiltAngle != 0.0f) {
        const D3DXVECTOR3 centre(pos.x + m_ModelCentre.x * c + m_ModelCentre.y * s,
                                 pos.y + m_ModelCentre.x * s - m_ModelCentre.y * c, m_ModelCentre.z);
        p = Rotated(p - centre, AxisAngle(m_TiltAxis, m_TiltAngle)) + centre;
    }
    return p;
}

D3DXVECTOR3 SceneObject::WorldToLocal(float x, float y, float z)
{
    const float a = GetAngle();
    const float c = std::cos(a);
    const float s = std::sin(a);
    const D3DXVECTOR2 pos = GetPos();
    D3DXVECTOR3 p(x, y, z);
    if (m_TiltAngle != 0.0f) {
        const D3DXVECTOR3 centre(pos.x + m_ModelCentre.x * c + m_ModelCentre.y * s,
                                 pos.y + m_ModelCentre.x * s - m_ModelCentre.y * c, m_ModelCentre.z);
        p = Rotated(p - centre, AxisAngle(m_TiltAxis, -m_TiltAngle)) + centre;
    }
    const float u = p.x - pos.x;
    const float v = p.y - pos.y;
    return {u * c + v * s, u * s - v * c, p.z};
}

float SceneObject::ComputeRadius()
{
    if (!m_Scene)
        return kNoSceneRadius;
    // tilt, scale with mirror, stored position: the scene's root transform for this object
    D3DXMATRIX scaling, rotation, translation, root;
    const D3DXVECTOR3 scale = GetScale();
    const D3DXVECTOR3 mirror = GetMirror();
    D3DXMatrixScaling(&scaling, scale.x * mirror.x, scale.y * mirror.y, scale.z * mirror.z);
    const D3DXQUATERNION tilt = GetTilt();
    D3DXMatrixRotationQuaternion(&rotation, &tilt);
    D3DXMatrixTranslation(&translation, m_PosX, m_PosY, m_Height);
    D3DXMatrixMultiply(&root, &scaling, &rotation);
    D3DXMatrixMultiply(&root, &root, &translation);

    float radius = 0.0f;
    for (int32_t i = 0; i < m_Scene->GetMeshCount(); i++) {
        const DXC_Mesh* mesh = m_Scene->GetMesh(i);
        if (!mesh)
            continue;
        D3DXMATRIX m;
        D3DXMatrixMultiply(&m, &mesh->worldMatrix, &root);
        for (int32_t corner = 0; corner < 8; corner++) {
            const D3DXVECTOR3 local(corner & 1 ? mesh->boxMax.x : mesh->boxMin.x,
                                    corner & 2 ? mesh->boxMax.y : mesh->boxMin.y,
                                    corner & 4 ? mesh->boxMax.z : mesh->boxMin.z);
            D3DXVECTOR3 p;
            D3DXVec3TransformCoord(&p, &local, &m);
            radius = std::max(radius, std::sqrt(p.x * p.x + p.y * p.y));
        }
    }
    return radius;
}

void SceneObject::CheckBoneCount()
{
    if (!m_Scene)
        return;
    for (int32_t i = 0; i < m_Scene->GetMeshCount(); i++) {
        const DXC_Mesh* mesh = m_Scene->GetMesh(i);
        if (mesh && mesh->GetBoneCount() > s_BoneLimit)
            Warning("Mesh '%s' has too many (%i) bones (File: '%s')", mesh->objectName.c_str(), mesh->GetBoneCount(),
                    m_Scene->objectName.c_str());
    }
}

bool SceneObject::GetFloorObjectTop(float x, float y, float& height)
{
    const int32_t mode = m_FloorObject & 3;
    if (!m_Scene || (mode != 1 && mode != 2))
        return false;
    SetTransformation(GetGroundHeight(), false);
    m_Scene->RebuildLocal();
    char part[] = "FloorObject";  // mode 2: only the parts of that name count
    const D3DXVECTOR3 top(x, y, kRayTop);
    const D3DXVECTOR3 bottom(x, y, -kRayTop);
    const float t = m_Scene->IntersectSegment(top, bottom, mode == 2 ? part : nullptr, 0, nullptr, false);
    SetTransformationCleanUp();
    if (t < 0.0f)
        return false;
    height = kRayTop - t * (2.0f * kRayTop);
    return true;
}
