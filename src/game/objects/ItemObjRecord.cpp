// ItemObj: the save record, written after the scene object's. The writer always writes the
// newest form; the reader expects a field from the stream version that brought it and otherwise
// keeps its default.
//
//   from  field
//         current animation time f32 (full saves only)
//         open state i16, toggle on use u8
//         closed time f32, open time f32 (reversed on load: swapped, animation speed -1)
//   173   loop flag u8
//         rotation kind i16, key number i16, walls as collision box u8
//   163   custom use u8
//         failed-use script String
//   165   count i16, index setting i32
//         full saves only: group number u32 (from 261), wall count i16, then per wall its ID i32
//         and the end points x1, y1, x2, y2 f32 in the item's frame (20 bytes)
//         the linked wall as an element code i32
#include "game/objects/ItemObj.h"

#include "base/File.h"
#include "base/FileRecordReader.h"
#include "level/VSD_WallIntern.h"
#include "world/ElemCode.h"

#include <utility>

namespace {

constexpr uint16_t kCustomUseVersion = 163;
constexpr uint16_t kCountVersion = 165;
constexpr uint16_t kLoopVersion = 173;
constexpr uint16_t kGroupVersion = 261;
constexpr int64_t kWallBytes = 20;  // one wall of the record, for the check of their count

void WriteWall(File& file, int32_t id, const WallChildData& record)
{
    file.WriteInt32(id);
    file.WriteFloat(record.x1);
    file.WriteFloat(record.y1);
    file.WriteFloat(record.x2);
    file.WriteFloat(record.y2);
}

}  // namespace

void ItemObj::SaveItemObj(File& file, bool transferOnly)
{
    if (!transferOnly)
        file.WriteFloat(m_CurrentAniTime);
    file.WriteInt16(m_OpenState);
    file.WriteInt8(m_ToggleOnUse);
    file.WriteFloat(m_ClosedTime);
    file.WriteFloat(m_OpenTime);
    file.WriteInt8(m_LoopAni);
    file.WriteInt16(m_RotationKind);
    file.WriteInt16(m_KeyNumber);
    file.WriteInt8(m_WallsAsCollisionBox);
    file.WriteInt8(m_CustomUse);
    file.WriteString(m_FailedUseScript);
    file.WriteInt16(m_Count);
    file.WriteInt32(m_IndexSetting);
    if (!transferOnly) {
        file.WriteInt32(int32_t(m_GroupNumber));
        // Walls read from a save and not yet found again are written as they were read.
        file.WriteInt16(int16_t(m_Walls.size() + m_SavedWalls.size()));
        for (const WallChildData& record : m_Walls) {
            const VSD_WallIntern* wall = record.wall.Get();
            WriteWall(file, wall ? wall->m_ObjID : record.wallID, record);
        }
        for (const WallChildData& record : m_SavedWalls)
            WriteWall(file, record.wallID, record);
    }
    const VSD_WallIntern* linked = m_LinkedWall.Get();
    file.WriteInt32(linked ? ElemCode::Of(linked) : m_LinkedWallID);
}

void ItemObj::LoadItemObj(File& file, uint16_t version, bool transferOnly)
{
    FileRecordReader in(file, "Item object record cut short");
    if (!transferOnly)
        m_CurrentAniTime = in.F32();
    m_OpenState = in.I16();
    m_ToggleOnUse = in.U8();
    m_ClosedTime = in.F32();
    m_OpenTime = in.F32();
    if (m_OpenTime < m_ClosedTime) {
        std::swap(m_ClosedTime, m_OpenTime);
        m_AniSpeed = -1.0f;
    }
    if (version >= kLoopVersion)
        m_LoopAni = in.U8();
    m_RotationKind = in.I16();
    m_KeyNumber = in.I16();
    m_WallsAsCollisionBox = in.U8();
    if (version >= kCustomUseVersion)
        m_CustomUse = in.U8();
    in.Text(m_FailedUseScript);
    if (version >= kCountVersion) {
        m_Count = in.I16();
        m_IndexSetting = in.I32();
    }
    if (!transferOnly) {
        m_GroupNumber = version >= kGroupVersion ? in.U32() : 0;
        const int32_t count = in.CheckCount("Item object wall", in.I16(), kWallBytes);
        std::vector<WallChildData> saved(static_cast<size_t>(count));
        for (WallChildData& record : saved) {
            record.wallID = in.I32();
            record.x1 = in.F32();
            record.y1 = in.F32();
            record.x2 = in.F32();
            record.y2 = in.F32();
        }
        m_SavedWalls = std::move(saved);  // found again when the level is whole
    }
    m_LinkedWallID = in.I32();
    m_LinkedWall = nullptr;
    if (!transferOnly)
        SetClockOffset(m_CurrentAniTime);  // the clock goes on from the saved time
}

void ItemObj::Save(File& file, bool compact)
{
    SceneObject::Save(file, compact);
    SaveItemObj(file, compact);
}

void ItemObj::Load(File& file, bool compact)
{
    SceneObject::Load(file, compact);
    LoadItemObj(file, file.GetVersion(), compact);
}
