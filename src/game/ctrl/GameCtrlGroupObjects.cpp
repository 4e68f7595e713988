// GameCtrl: the group scenes. A level gives items that belong together (a pile of crates, the
// parts of a decoration) a common group number; at level start the items of one group that lie
// near each other hand their meshes to one new item element, the group element, whose scene holds
// them all in its own frame. The members stay in the world (their scripts, collision and use go
// on) without a scene of their own. The merge runs on every node from the level data; the group
// element is never synchronised.
#include "game/ctrl/GameCtrl.h"

#include "engine/gfx/DXC_Gfx.h"
#include "game/objects/ItemObj.h"

#include <cmath>
#include <vector>

bool MyElementCriteria::operator()(WorldElem* elem) const
{
    if (!elem || elem->m_TypeCode != ElemType::kItem)
        return false;
    const auto* item = dynamic_cast<const ItemObj*>(elem);
    return item && item->GetScene() && item->m_GroupNumber == groupNumber;
}

int32_t GameCtrl::AddGroupScene()
{
    if (m_GroupScenes.GetSize() >= kMaxGroupScenes)
        m_GroupScenes.Error("Maximum number of data elements reached: %i", int32_t(kMaxGroupScenes));
    return m_GroupScenes.Add();
}

void GameCtrl::DeleteGroupScenes()
{
    // A group element of an earlier merge that is still in the world must not keep a scene that
    // goes now.
    for (int32_t id = m_World.NextObjID(-1); id >= 0 && m_GroupScenes.GetSize() > 0; id = m_World.NextObjID(id)) {
        auto* item = dynamic_cast<ItemObj*>(m_World.GetObjNoCheck(id, false));
        if (!item || !item->GetScene())
            continue;
        for (int32_t slot = m_GroupScenes.NextUsedSlot(-1); slot >= 0; slot = m_GroupScenes.NextUsedSlot(slot))
            if (item->GetScene() == m_GroupScenes.GetBySlot(slot))
                item->SetScene(nullptr);
    }
    m_GroupScenes.DeleteAll();
}

void GameCtrl::CreateGroupObjects()
{
    DeleteGroupScenes();

    // The elements of this moment, in table order: the group elements made during the walk are
    // not visited, and an element deleted meanwhile is passed over.
    std::vector<SmartPtr<WorldElem>> walk;
    for (int32_t id = m_World.NextObjID(-1); id >= 0; id = m_World.NextObjID(id))
        if (WorldElem* elem = m_World.GetObjNoCheck(id, false))
            walk.emplace_back(elem);

    std::vector<WorldElem*> found;
    for (SmartPtr<WorldElem>& ref : walk) {
        WorldElem* elem = ref.Get();
        auto* start = elem && elem->m_TypeCode == ElemType::kItem ? dynamic_cast<ItemObj*>(elem) : nullptr;
        if (!start || start->m_GroupNumber == 0)
            continue;  // the group number, not the scene: a merged item may start a group of the rest
        const MyElementCriteria criteria{start->m_GroupNumber};
        const ElemValidator validator = criteria;
        const D3DXVECTOR2 at = start->GetPos();
        if (m_World.CollectObjectsWithinRadius(found, at.x, at.y, m_World.GetViewRadius(), &validator) <= 1)
            continue;
        // A level with more groups than scenes keeps the rest of its items as they are: the merge
        // only saves drawing, and the level goes on loading.
        if (m_GroupScenes.GetSize() >= kMaxGroupScenes) {
            Warning("Maximum number of data elements reached: %i", int32_t(kMaxGroupScenes));
            break;
        }
        CombinedSceneData& scene = *m_GroupScenes.GetBySlot(AddGroupScene());
        scene.groupNumber = start->m_GroupNumber;
        scene.SetRenderOptions(DXC_3dScene::DefaultSceneParams());

        std::vector<ItemObj*> members;
        for (WorldElem* member : found)
            members.push_back(static_cast<ItemObj*>(member));  // the criteria took items only
        const float share = 1.0f / float(members.size());
        float cx = 0.0f;
        float cy = 0.0f;
        for (ItemObj* member : members) {
            const D3DXVECTOR2 pos = member->GetPos();
            cx += pos.x * share;
            cy += pos.y * share;
        }
        float radius = 0.0f;
        for (ItemObj* member : members) {
            const D3DXVECTOR2 pos = member->GetPos();
            const float reach = std::hypot(pos.x - cx, pos.y - cy) + member->m_Radius;
            if (reach >= radius)
                radius = reach;
        }

        // The group element, made as a save game makes an item.
        auto* group = new ItemObj;
        m_World.AddObj(group, 0, false);
        group->m_Radius = radius;
        group->SetSolid(0);
        group->m_NetSync = 0;
        group->m_Sticky = 1;
        group->SetPos(cx, cy);
        group->SetScene(&scene);

        // The members' meshes go into the group element's frame.
        group->SetTransformation(group->GetGroundHeight(), false);
        scene.RebuildLocal();
        const D3DXMATRIX placement = scene.worldMatrix;
        group->SetTransformationCleanUp();
        D3DXMATRIX inverse;
        D3DXMatrixInverse(&inverse, nullptr, &placement);
        for (size_t i = 0; i < members.size(); i++) {
            ItemObj* member = members[i];
            DXC_3dScene* own = member->GetScene();
            member->SetTransformation(member->GetGroundHeight(), false);
            own->RebuildLocal();
            own->MultiplyMatrix(inverse, 0);
            scene.Insert3dScene(*own, false);
            member->SetTransformationCleanUp();
            member->SetScene(nullptr);
            if (i == 0)
                group->SetName(wString("__combined__") + member->m_Name);
        }
        scene.FinishInsert(g_Gfx);
    }
}
