// GameCtrl: the level's object walls turned into world elements: doors and other walls whose
// description names a world object type, and the invisible dummies of doors without one.
#include "game/ctrl/GameCtrl.h"

#include "game/objects/ItemObj.h"
#include "level/VSD_WallIntern.h"
#include "level/WallDesc.h"

#include <cmath>
#include <vector>

namespace {

const char* const kDoorDummyName = "DoorDummy";
constexpr int16_t kObjectOnlyWall = WallDesc::kTypeEffect;  // exists only as its element

}  // namespace

// A wall keeps its element as its parent, and its type name goes once the element stands: a
// second pass finds nothing left to make.
void GameCtrl::AddWallObjects()
{
    std::vector<int32_t> ids;
    for (int32_t position = 0; position < m_World.GetNumWalls(); position++)
        ids.push_back(m_World.GetWallSlotAt(position));
    const std::vector<WallDesc>& descs = m_World.GetWallDescs();

    for (int32_t id : ids) {
        VSD_WallIntern* wall = m_World.GetWallSafe(id);
        if (!wall)
            continue;
        const bool door = wall->m_Door != 0;
        WorldElem* elem = nullptr;
        if (wall->m_DescObjID.IsEmpty()) {
            if (!door || wall->m_Parent.Get())
                continue;
            ItemObj* dummy = new ItemObj;
            dummy->m_CfgID = kDoorDummyName;
            dummy->m_Name = wString(kDoorDummyName);
            if (m_World.AddObj(dummy, 0, true) < 0) {
                delete dummy;
                continue;
            }
            elem = dummy;
        } else {
            const String type = wall->m_DescObjID;
            wall->m_DescObjID = String();
            elem = CreateWorldObject(type.c_str(), nullptr, true, true, true, false, 0.0f, nullptr, 0.0f, nullptr, -1);
            if (!elem)
                continue;
        }

        ItemObj* object = dynamic_cast<ItemObj*>(elem);
        const float length = 2.0f * wall->m_HalfLength;
        const float height = wall->GetWallHeight();
        if (object && !elem->m_CfgID.EqualsNoCase(kDoorDummyName)) {
            // A wall type without a standard size keeps the object's own scale.
            float scaleX = 1.0f;
            float scaleZ = 1.0f;
            if (wall->m_DescIndex >= 0 && size_t(wall->m_DescIndex) < descs.size()) {
                const WallDesc& desc = descs[size_t(wall->m_DescIndex)];
                if (desc.dimensionXZ[0] != 0.0f)
                    scaleX = length / desc.dimensionXZ[0];
                if (desc.dimensionXZ[1] != 0.0f)
                    scaleZ = height / desc.dimensionXZ[1];
            }
            object->SetScale(scaleX, 1.0f, scaleZ, false, true);
        }
        elem->SetPos(wall->m_CentreX, wall->m_CentreY);
        elem->SetAngle(std::atan2(wall->m_DirY, wall->m_DirX));
        if (object)
            object->AddWall(*wall, -wall->m_HalfLength, 0.0f, wall->m_HalfLength, 0.0f);

        if (wall->m_WallType == kObjectOnlyWall)
            m_World.DelWall(id);
    }
}
