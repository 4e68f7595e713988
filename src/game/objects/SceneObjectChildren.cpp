// SceneObject: elements that follow a bone (or any named node) of the scene.
#include "game/objects/SceneObject.h"

#include "engine/scene/DXC_3dScene.h"

#include <cmath>

void SceneObject::AttachChildToBone(WorldElem* child, const char* boneName, float x, float y, float z)
{
    if (!m_Scene)
        return;
    DXC_3dObject* bone = m_Scene->FindObjectByName(boneName, 1);
    if (!bone) {
        Warning("Bone '%s' not found in mesh object %s", boneName ? boneName : "", m_Scene->objectName.c_str());
        return;
    }
    BoneChildInfo& info = *m_BoneChildren.GetBySlot(m_BoneChildren.Add());
    info.child = child;
    info.bone = bone;
    info.boneName = boneName;
    info.offset[0] = x;
    info.offset[1] = y;
    info.offset[2] = z;
}

void SceneObject::UpdateBoneChildren()
{
    for (int32_t slot = m_BoneChildren.NextUsedSlot(-1); slot >= 0; slot = m_BoneChildren.NextUsedSlot(slot)) {
        BoneChildInfo* info = m_BoneChildren.GetBySlot(slot);
        if (info && !info->child.Get())
            m_BoneChildren.Delete(slot);
    }
    const float back = -GetExtraRotation();
    const float c = std::cos(back);
    const float s = std::sin(back);
    for (int32_t slot = m_BoneChildren.NextUsedSlot(-1); slot >= 0; slot = m_BoneChildren.NextUsedSlot(slot)) {
        BoneChildInfo* info = m_BoneChildren.GetBySlot(slot);
        if (!info || !info->bone)
            continue;
        WorldElem* child = info->child.Get();
        const D3DXVECTOR3 offset(info->offset[0], info->offset[1], info->offset[2]);
        D3DXVECTOR3 p;
        D3DXVec3TransformCoord(&p, &offset, &info->bone->worldMatrix);
        p = D3DXVECTOR3(p.x * c - p.y * s, p.x * s + p.y * c, p.z);
        if (!child->m_Parent.Get()) {
            const D3DXVECTOR3 world = LocalToWorld(p.x, p.y, p.z);
            child->SetPos(world.x, world.y);
            child->SetHeight(world.z + GetHeight());
        } else if (child->m_Parent.Get() == this) {
            child->SetPos(p.x, -p.y);
            child->SetHeight(p.z);
        }
    }
}
