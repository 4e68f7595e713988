// WorldCtrl: writing the level part of a save game, the element codes of saved records, the
// post-render effect list and the earthquakes of the level.
//
// The section, in order (little-endian; String: i32 length and the characters):
//   i16 map width, i16 map height (must equal the level's)
//   3 x 3 f32 light colours (diffuse, second, ambient), String level text
//   [166] String music playing
//   [236] i32 post-render effect count, each String name and i32 enable count (older: one String)
//   [171] f32 count-down left, f32 count-down total (-1 after it ended), String count-down name
//   (w + 1) x (h + 1) u8 floor vertex visibility (value x 255, truncated)
//   w x h u8 revealed cells, [222] w x h u8 cover-map alpha
//   i32 event count, each u16 type, f64 time, i32 length and the data
//   walls: i32 n, n x i32 slot, n x (u16 0x1234, 2 x 2 f32 end points, the wall's record)
//   i32 main character's object ID or -1
//   elements: i32 n, n x i32 object ID, n x (u16 0x1234, then u16 0x1000 and String worldID for
//     a kept "DoNotSave=1" element, else u16 type code ([<240] i32) and the element's record)
//   lights: i32 n, n x i32 slot, n x (u16 0x1234, u16 2, the light's record)
//   effects: i32 n (always 0 here: effects have no record of their own)
// Every record begins with the object's configuration name.
#include "world/WorldCtrl.h"

#include "base/File.h"
#include "base/Random.h"
#include "level/VSD_LightSource.h"
#include "level/VSD_WallIntern.h"
#include "world/ElemCode.h"
#include "world/GameCtrlInterface.h"
#include "world/WorldElem.h"

#include <cmath>
#include <vector>

namespace {

int32_t RoundHalfAway(float value) { return int32_t(std::lround(value)); }

// The slots of a list whose objects want to be saved, in slot order (the list's index of used
// slots: a list grown to a high saved slot is not walked slot by slot).
template <class List, class Wants> std::vector<int32_t> SavedSlots(List& list, Wants wants)
{
    std::vector<int32_t> slots;
    for (int32_t position = 0; position < list.GetSize(); position++) {
        const int32_t slot = list.GetUsedSlot(position);
        if (auto* object = list.GetBySlot(slot); object && wants(*object))
            slots.push_back(slot);
    }
    return slots;
}

void WriteSlots(File& file, const std::vector<int32_t>& slots)
{
    file.WriteInt32(int32_t(slots.size()));
    for (int32_t slot : slots)
        file.WriteInt32(slot);
}

}  // namespace

void WorldCtrl::SaveLevel(File& file, int32_t flagA, int32_t flagB)
{
    file.WriteInt16(m_MapWidth);
    file.WriteInt16(m_MapHeight);
    file.WriteFloats(m_LevelDiffuse, 3);
    file.WriteFloats(m_LevelSecond, 3);
    file.WriteFloats(m_LevelAmbient, 3);
    file.WriteString(m_LevelText);
    file.WriteString(m_MusicPlaying);
    file.WriteInt32(m_PostRenderEffects.GetSize());
    for (int32_t slot = m_PostRenderEffects.NextUsedSlot(-1); slot >= 0; slot = m_PostRenderEffects.NextUsedSlot(slot))
        if (const PostRenderEffect* effect = m_PostRenderEffects.GetBySlot(slot)) {
            file.WriteString(effect->name);
            file.WriteInt32(effect->count);
        }
    file.WriteFloat(m_CountDownLeft);
    file.WriteFloat(m_CountDownStart);
    file.WriteString(m_CountDownLabel);

    const size_t vertices = size_t(m_MapWidth + 1) * size_t(m_MapHeight + 1);
    const size_t cells = size_t(m_MapWidth) * size_t(m_MapHeight);
    for (size_t i = 0; i < vertices; i++) {
        const float value = i < m_FloorVertices.size() ? m_FloorVertices[i].exploration * 255.0f : 0.0f;
        // truncated toward zero; a value the byte cannot take keeps its low byte
        file.WriteInt8(std::isfinite(value) && std::fabs(value) < 2e9f ? int32_t(value) & 0xFF : 0);
    }
    for (size_t i = 0; i < cells; i++)
        file.WriteInt8(i < m_RevealedCells.size() ? m_RevealedCells[i] : 0);
    for (size_t i = 0; i < cells; i++)
        file.WriteInt8(i < m_CoverPixels.size() ? int32_t(m_CoverPixels[i] >> 24) : 0);

    int32_t events = 0;
    for (auto& queue : m_EventQueues)
        events += queue.GetSize();
    file.WriteInt32(events);
    for (auto& queue : m_EventQueues)
        for (int32_t slot = queue.NextUsedSlot(-1); slot >= 0; slot = queue.NextUsedSlot(slot))
            if (const WorldEvent* event = queue.GetBySlot(slot)) {
                file.WriteInt16(event->type);
                file.WriteDouble(event->time);
                file.WriteInt32(event->payload ? event->size : 0);
                if (event->payload && event->size > 0)
                    file.Write(event->payload.get(), size_t(event->size));
            }

    const std::vector<int32_t> walls =
        SavedSlots(m_Walls, [&](VSD_WallIntern& wall) { return wall.WantsSave(flagA, flagB); });
    WriteSlots(file, walls);
    for (int32_t slot : walls) {
        VSD_WallIntern& wall = *m_Walls.GetBySlot(slot);
        file.WriteInt16(kSaveMarker);
        const float ends[4] = {wall.m_X1, wall.m_Y1, wall.m_X2, wall.m_Y2};
        file.WriteFloats(ends, 4);
        wall.Save(file, false);
    }

    WorldElem* mainChar = GetCtrl().GetMainChar();
    file.WriteInt32(mainChar ? mainChar->m_ObjID : -1);

    const std::vector<int32_t> elems =
        SavedSlots(m_Elements, [&](WorldElem& elem) { return elem.WantsSave(flagA, flagB); });
    WriteSlots(file, elems);
    for (int32_t slot : elems) {
        WorldElem& elem = *m_Elements.GetBySlot(slot);
        file.WriteInt16(kSaveMarker);
        if (elem.m_DoNotSave && !elem.m_WorldID.IsEmpty()) {  // the controller keeps it: only its identity
            file.WriteInt16(kKeptObjectCode);
            file.WriteString(elem.m_WorldID);
            continue;
        }
        if (elem.m_DoNotSave) {
            const D3DXVECTOR2 pos = elem.GetPos();
            Warning("'DoNotSave=1'-object without worldID (%s at targetPos %i/%i)", elem.m_CfgID.c_str(),
                    RoundHalfAway(pos.x), RoundHalfAway(pos.y));
        }
        file.WriteInt16(elem.m_TypeCode);
        elem.Save(file, false);
    }

    const std::vector<int32_t> lights =
        SavedSlots(m_Lights, [&](VSD_LightIntern& light) { return light.WantsSave(flagA, flagB); });
    WriteSlots(file, lights);
    for (int32_t slot : lights) {
        file.WriteInt16(kSaveMarker);
        file.WriteInt16(ElemType::kLight);
        m_Lights.GetBySlot(slot)->Save(file, false);
    }

    file.WriteInt32(0);  // effects
}

WorldElemBase* WorldCtrl::GetElemByCode(int32_t code)
{
    int32_t kind = 0;
    int32_t id = 0;
    ElemCode::Split(code, kind, id);
    if (kind < 0)
        return nullptr;
    if (kind == ElemType::kLight)
        return m_Lights.GetBySlot(id);
    if (kind == ElemType::kWall)
        return m_Walls.GetBySlot(id);
    return GetObjSafe(id, "GetElemByCode", true);
}

void WorldCtrl::RestoreWallChildren(WorldElem* item)
{
    if (item)
        item->RestoreWallChildren();
}

bool WorldCtrl::EnablePostRenderEffect(const char* name)
{
    // The render objects are the graphics layer's; this program has none, so no effect is found
    // and the list stays empty.
    (void)name;
    return false;
}

int32_t WorldCtrl::AddEarthQuake(float x, float y, float duration, float strength, float frequency)
{
    const int32_t slot = m_EarthQuakes.Add();
    EarthQuakeEntry& quake = *m_EarthQuakes.GetBySlot(slot);
    quake.x = x;
    quake.y = y;
    quake.strength = strength;
    quake.frequency = frequency;
    quake.duration = duration;
    quake.elapsed = 0.0f;
    quake.phase = Random::RandomFloat(10.0f);
    return slot;
}
