// WorldCtrl: the queries over the blocks and the tables: radius and screen queries, nearest
// elements, collecting queries into the result list, lookups by name, the object list and its
// sort, and the view's block tests.
#include "world/WorldCtrl.h"

#include "world/GameCtrlInterface.h"
#include "world/WorldElem.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kWholeMap = 9e10f;

float Distance(const D3DXVECTOR2& a, float x, float y) { return std::hypot(a.x - x, a.y - y); }

// Distance from (x, y) to the segment (x0, y0) (x1, y1).
float SegmentDistance(float x, float y, float x0, float y0, float x1, float y1)
{
    const float dx = x1 - x0;
    const float dy = y1 - y0;
    const float lengthSq = dx * dx + dy * dy;
    float t = lengthSq > 0.0f ? ((x - x0) * dx + (y - y0) * dy) / lengthSq : 0.0f;
    t = std::clamp(t, 0.0f, 1.0f);
    return std::hypot(x - (x0 + t * dx), y - (y0 + t * dy));
}

// Every element of an object list in the blocks of a range, in block order.
template <class Visit> void ForEachObject(WorldCtrl& world, const int32_t range[4], Visit visit)
{
    for (int32_t row = range[1]; row <= range[3]; row++) {
        for (int32_t column = range[0]; column <= range[2]; column++) {
            WorldBlock::List& list = world.GetBlock(column, row)->objects;
            for (int32_t i = 0; i < list.GetSize(); i++)
                if (!visit(static_cast<WorldElem*>(list.GetAt(i))))
                    return;
        }
    }
}

}  // namespace

bool WorldCtrl::MatchesName(const String& text, const char* given, bool wholeName)
{
    if (!given)
        return text.IsEmpty();
    if (text.IsEmpty())
        return given[0] == 0;
    return wholeName ? text.EqualsNoCase(given) : text.StartsWithNoCase(given);
}

int32_t WorldCtrl::ViewReachInBlocks() const { return (m_FloorSize[0] * m_CellWidth / 2 + 511) / 512; }

bool WorldCtrl::RadiusBlockRange(float x, float y, float radius, bool widenByView, int32_t range[4]) const
{
    if (m_BlockColumns <= 0 || m_BlockRows <= 0)
        return false;
    if (widenByView && radius <= 0.0f)
        return ClampBlockRange(0, 0, std::max(m_BlockColumns, m_BlockRows), range);  // the whole map
    const float widened = widenByView ? radius + float(m_FloorSize[0] * m_CellWidth / 2) : radius;
    const int32_t reach = int32_t(std::clamp((widened + 511.0f) / 512.0f, 0.0f, float(1 << 20)));
    return ClampBlockRange(WorldElemGridBase::BlockOf(x + 256.0f), WorldElemGridBase::BlockOf(y + 256.0f), reach,
                           range);
}

bool WorldCtrl::PutResult(int32_t& count, int32_t id)
{
    if (count >= kResultListSize) {
        if (!m_ResultsFull)
            Warning("Too many objects for list!");
        m_ResultsFull = true;
        return false;
    }
    m_ResultList[count++] = id;
    return true;
}

int32_t WorldCtrl::GetAllObjectsWithinRadius(float x, float y, float radius, const char* name, bool wholeName)
{
    m_ResultsFull = false;
    DynaMemSort<SortData, 128, 1> hits;
    int32_t range[4];
    if (RadiusBlockRange(x, y, radius, false, range)) {
        ForEachObject(*this, range, [&](WorldElem* elem) {
            if (!WorldElem::IsValidType(elem->m_TypeCode))
                return true;
            const float limit = radius + (elem->IsActiveType() ? elem->m_Radius : 0.0f);
            const float d = Distance(elem->GetPos(), x, y);
            if (d > limit || (name && !MatchesName(elem->m_CfgID, name, wholeName)))
                return true;
            SortData* hit = hits.GetBySlot(hits.Add());
            hit->id = elem->m_ObjID;
            hit->distance = d;
            return true;
        });
    }
    hits.Sort();
    int32_t count = 0;
    for (int32_t i = 0; i < hits.GetSize() && PutResult(count, hits.GetAt(i)->id); i++) {}
    return count;
}

int32_t WorldCtrl::GetAllObjectsOnScreen(std::vector<WorldElem*>& out, const ElemValidator* validator)
{
    DynaMemSort<SortData, 128, 1> hits;
    int32_t range[4];
    const float x = m_ViewOriginX;
    const float y = m_ViewOriginY;
    if (RadiusBlockRange(x, y, m_ViewRadius, false, range)) {
        ForEachObject(*this, range, [&](WorldElem* elem) {
            if (!WorldElem::IsValidType(elem->m_TypeCode))
                return true;
            const float limit = m_ViewRadius + (elem->IsActiveType() ? elem->m_Radius : 0.0f);
            if (Distance(elem->GetPos(), x, y) > limit || !elem->IsInActiveCell() || elem->IsHidden())
                return true;
            if ((validator && !(*validator)(elem)) || !(elem->GetVisibleFactor(0.0f) > 0.0f))
                return true;
            const D3DXVECTOR3 pos = elem->GetAbsPos3D();
            SortData* hit = hits.GetBySlot(hits.Add());
            hit->elem = elem;
            hit->distance = std::sqrt((pos.x - m_CameraEye.x) * (pos.x - m_CameraEye.x) +
                                      (pos.y - m_CameraEye.y) * (pos.y - m_CameraEye.y) +
                                      (pos.z - m_CameraEye.z) * (pos.z - m_CameraEye.z));
            return true;
        });
    }
    hits.Sort();
    for (int32_t i = 0; i < hits.GetSize(); i++)
        out.push_back(hits.GetAt(i)->elem);
    return int32_t(out.size());
}

int32_t WorldCtrl::CollectObjectsWithinRadius(std::vector<WorldElem*>& out, float x, float y, float radius,
                                              const ElemValidator* validator)
{
    out.clear();
    int32_t range[4];
    if (!RadiusBlockRange(x, y, radius, false, range))
        return 0;
    ForEachObject(*this, range, [&](WorldElem* elem) {
        if (WorldElem::IsValidType(elem->m_TypeCode) && Distance(elem->GetPos(), x, y) <= radius + elem->m_Radius &&
            (!validator || (*validator)(elem)))
            out.push_back(elem);
        return true;
    });
    return int32_t(out.size());
}

int32_t WorldCtrl::GetCreaturesInRange(WorldElem* creature, float radius, int32_t wanted)
{
    m_ObjectListCount = 0;
    const D3DXVECTOR2 centre = creature->GetPos();
    const float limit = radius <= 0.0f ? kWholeMap : radius;
    int32_t range[4];
    if (RadiusBlockRange(centre.x, centre.y, radius, true, range)) {
        ForEachObject(*this, range, [&](WorldElem* elem) {
            if (!elem->IsActiveType() || !elem->IsCreature() || elem == creature || elem->IsDead() ||
                creature->IsEnemyOf(elem, true) != wanted)
                return true;
            const float gap =
                std::max(0.0f, Distance(elem->GetPos(), centre.x, centre.y) - creature->m_Radius - elem->m_Radius);
            if (gap <= limit && IsLineClearBetween(creature, elem))
                AddToObjectList({elem, gap, 0});
            return true;
        });
    }
    SortDataSort(m_ObjectList.get(), 0, m_ObjectListCount - 1);
    return m_ObjectListCount;
}

void WorldCtrl::AddToObjectList(const ObjectListEntry& entry)
{
    if (m_ObjectListCount >= kObjectListSize) {
        Warning("Too many objects for list!");
        return;
    }
    for (int32_t i = 0; i < m_ObjectListCount; i++) {
        if (m_ObjectList[i].elem == entry.elem) {
            m_ObjectList[i].distance = std::min(m_ObjectList[i].distance, entry.distance);
            return;
        }
    }
    m_ObjectList[m_ObjectListCount++] = entry;
}

void WorldCtrl::SortDataSort(ObjectListEntry* records, int32_t first, int32_t last)
{
    while (last > first) {
        if (last - first + 1 > 14) {
            // seven samples spread over the range, the middle one of them as the pivot
            int32_t samples[7];
            for (int32_t k = 0; k < 7; k++)
                samples[k] = first + k * (last - first) / 6;
            for (int32_t i = 1; i < 7; i++)
                for (int32_t j = i; j > 0 && records[samples[j]].distance < records[samples[j - 1]].distance; j--)
                    std::swap(records[samples[j]], records[samples[j - 1]]);
            std::swap(records[first], records[samples[3]]);
        }
        const float pivot = records[first].distance;
        int32_t split = first;
        for (int32_t k = first + 1; k <= last; k++)
            if (records[k].distance < pivot)
                std::swap(records[++split], records[k]);
        std::swap(records[first], records[split]);
        SortDataSort(records, first, split - 1);  // the left part by recursion, the right by the loop
        first = split + 1;
    }
}

void WorldCtrl::AlertEnemy(WorldElem* creature, int32_t alert, WorldElem* enemy)
{
    const D3DXVECTOR2 centre = creature->GetPos();
    const float alertRadius = creature->GetAlertRadius();
    const double k = double(alertRadius) / 512.0 + 1.0;
    const double cx = WorldElemGridBase::BlockOf(centre.x);
    const double cy = WorldElemGridBase::BlockOf(centre.y);
    if (!(k < double(1 << 20)))
        return;  // a reach beyond any grid: a broken alert radius
    for (int32_t column = int32_t(cx - k); double(column) <= cx + k; column++) {
        for (int32_t row = int32_t(cy - k); double(row) <= cy + k; row++) {
            WorldBlock* block = GetBlock(column, row);
            if (!block)
                continue;
            for (int32_t i = 0; i < block->objects.GetSize(); i++) {
                auto* elem = static_cast<WorldElem*>(block->objects.GetAt(i));
                if (!elem->IsCreature() || elem->GetParty() != creature->GetParty() || !elem->CanBeAlerted())
                    continue;
                if (Distance(elem->GetPos(), centre.x, centre.y) - elem->m_Radius < alertRadius && alert == 1)
                    elem->OnAlerted(enemy);
            }
        }
    }
}

int32_t WorldCtrl::FindNearest(float x, float y, float radius, const std::function<float(WorldElem*)>& measure)
{
    float best = radius > 0.0f ? radius : kWholeMap;
    int32_t found = -1;
    int32_t range[4];
    if (!RadiusBlockRange(x, y, radius, true, range))
        return -1;
    ForEachObject(*this, range, [&](WorldElem* elem) {
        const float d = measure(elem);
        if (d >= 0.0f && d < best) {  // strictly nearer: of equal ones the first met stays
            best = d;
            found = elem->m_ObjID;
        }
        return true;
    });
    return found;
}

int32_t WorldCtrl::GetNearestObjectWithCfgID(const char* cfgID, float x, float y, float radius, bool subtractRadius)
{
    return FindNearest(x, y, radius, [&](WorldElem* elem) {
        if (!elem->IsActiveType() || !MatchesName(elem->m_CfgID, cfgID ? cfgID : "", true))
            return -1.0f;
        const float d = Distance(elem->GetPos(), x, y);
        return subtractRadius ? std::max(0.0f, d - elem->m_Radius) : d;
    });
}

int32_t WorldCtrl::GetNearestCreature(float x, float y, float radius, int32_t party)
{
    WorldElem probe;  // an element of the party, for the hostility test only
    probe.m_TypeCode = ElemType::kItem;
    probe.m_Party = party;
    return FindNearest(x, y, radius, [&](WorldElem* elem) {
        if (!elem->IsCreature() || elem->IsDead() || elem->m_IgnoreInQueries || elem->IsEnemyOf(&probe, false) != 1)
            return -1.0f;
        return Distance(elem->GetPos(), x, y);
    });
}

int32_t WorldCtrl::GetNearestObjectWithMass(float x, float y, float radius)
{
    return FindNearest(x, y, radius, [&](WorldElem* elem) {
        return elem->IsActiveType() && elem->m_Mass > 0.0f ? Distance(elem->GetPos(), x, y) : -1.0f;
    });
}

WorldElem* WorldCtrl::GetNearestLight(float x, float y, float radius)
{
    float best = radius > 0.0f ? radius : kWholeMap;
    WorldElem* found = nullptr;
    int32_t range[4];
    if (!RadiusBlockRange(x, y, radius, true, range))
        return nullptr;
    for (int32_t row = range[1]; row <= range[3]; row++) {
        for (int32_t column = range[0]; column <= range[2]; column++) {
            WorldBlock::List& list = GetBlock(column, row)->lights;
            for (int32_t i = 0; i < list.GetSize(); i++) {
                auto* light = static_cast<WorldElem*>(list.GetAt(i));
                if (light->m_WorldID.EqualsNoCase("__MainCharLight__"))
                    continue;
                const float d = Distance(light->GetPos(), x, y);
                if (d < best) {
                    best = d;
                    found = light;
                }
            }
        }
    }
    return found;
}

int32_t WorldCtrl::CollectFromTable(const ElemValidator& wanted)
{
    m_ResultsFull = false;
    int32_t count = 0;
    for (int32_t slot = m_Elements.NextUsedSlot(-1); slot >= 0; slot = m_Elements.NextUsedSlot(slot)) {
        WorldElem* elem = m_Elements.GetBySlot(slot);
        if (elem && wanted(elem) && !PutResult(count, slot))
            break;
    }
    return count;
}

int32_t WorldCtrl::GetAllObjectsWithCfgID(const char* cfgID, bool wholeName)
{
    return CollectFromTable([&](WorldElem* elem) { return MatchesName(elem->m_CfgID, cfgID, wholeName); });
}

int32_t WorldCtrl::GetAllObjectsWithWorldID(const char* worldID, bool wholeName)
{
    return CollectFromTable([&](WorldElem* elem) { return MatchesName(elem->m_WorldID, worldID, wholeName); });
}

int32_t WorldCtrl::GetAllLightsWithWorldID(const char* worldID, bool wholeName)
{
    m_ResultsFull = false;
    int32_t count = 0;
    for (int32_t i = 0; i < m_NumBlocks; i++) {
        WorldBlock::List& list = m_Blocks[i].lights;
        for (int32_t j = 0; j < list.GetSize(); j++) {
            const auto* light = static_cast<WorldElem*>(list.GetAt(j));
            if (MatchesName(light->m_WorldID, worldID, wholeName) && !PutResult(count, light->m_ObjID))
                return count;
        }
    }
    return count;
}

int32_t WorldCtrl::GetAllWallsWithWorldID(const char* worldID, bool wholeName)
{
    m_ResultsFull = false;
    int32_t count = 0;
    for (int32_t slot = m_Walls.NextUsedSlot(-1); slot >= 0; slot = m_Walls.NextUsedSlot(slot)) {
        const VSD_WallIntern* wall = m_Walls.GetBySlot(slot);
        if (wall && MatchesName(wall->m_WorldID, worldID, wholeName) && !PutResult(count, slot))
            break;
    }
    return count;
}

int32_t WorldCtrl::GetAllObjectsWithParty(int32_t party)
{
    return CollectFromTable([party](WorldElem* elem) { return elem->GetParty() == party; });
}

int32_t WorldCtrl::GetAllCreaturesAttacking(WorldElem* target, bool firstOnly, bool extraCondition)
{
    m_ResultsFull = false;
    int32_t count = 0;
    int32_t range[4];
    const D3DXVECTOR2 centre = target->GetPos();
    if (!ClampBlockRange(target->m_CellX, target->m_CellY, 3, range))
        return 0;
    ForEachObject(*this, range, [&](WorldElem* elem) {
        if (!elem->IsCreature() || elem->IsDead() || elem->m_IgnoreInQueries || elem->IsEnemyOf(target, false) != 1 ||
            elem->GetCurrentTarget() != target || !(Distance(elem->GetPos(), centre.x, centre.y) < 1500.0f) ||
            (extraCondition && !elem->GetSecondCreatureFlag()))
            return true;
        return PutResult(count, elem->m_ObjID) && !firstOnly;
    });
    return count;
}

int32_t WorldCtrl::GetAllWallsWithinRadius(float x, float y, float radius, const char* name, bool wholeName)
{
    m_ResultsFull = false;
    int32_t count = 0;
    int32_t range[4];
    const int32_t reach = int32_t(std::clamp((radius + 511.0f) / 512.0f + 1.0f, 0.0f, float(1 << 20)));
    if (!ClampBlockRange(WorldElemGridBase::BlockOf(x + 256.0f), WorldElemGridBase::BlockOf(y + 256.0f), reach, range))
        return 0;
    for (int32_t row = range[1]; row <= range[3]; row++) {
        for (int32_t column = range[0]; column <= range[2]; column++) {
            WorldBlock::List& list = GetBlock(column, row)->walls;
            for (int32_t i = 0; i < list.GetSize(); i++) {
                const auto* wall = static_cast<VSD_WallIntern*>(list.GetAt(i));
                if (name && !MatchesName(wall->m_CfgID, name, wholeName))
                    continue;
                if (SegmentDistance(x, y, wall->m_X1, wall->m_Y1, wall->m_X2, wall->m_Y2) <= radius &&
                    !PutResult(count, wall->m_ObjID))
                    return count;
            }
        }
    }
    return count;
}

int32_t WorldCtrl::GetAllObjectsInLine(float x0, float y0, float x1, float y1)
{
    m_ResultsFull = false;
    int32_t count = 0;
    int32_t range[4];
    const float half = std::hypot(x1 - x0, y1 - y0) * 0.5f;
    const int32_t reach = int32_t(std::clamp((half + 512.0f) / 512.0f, 0.0f, float(1 << 20)));
    if (!ClampBlockRange(WorldElemGridBase::BlockOf((x0 + x1) * 0.5f), WorldElemGridBase::BlockOf((y0 + y1) * 0.5f),
                         reach, range))
        return 0;
    ForEachObject(*this, range, [&](WorldElem* elem) {
        if (!elem->IsActiveType())
            return true;
        const D3DXVECTOR2 pos = elem->GetPos();
        if (SegmentDistance(pos.x, pos.y, x0, y0, x1, y1) <= elem->m_Radius)
            return PutResult(count, elem->m_ObjID);
        return true;
    });
    return count;
}

WorldElem* WorldCtrl::FindObjectByWorldID(const char* worldID, int32_t* start)
{
    if (!worldID)
        return nullptr;
    if (String(worldID).EqualsNoCase("Hero"))
        return GetCtrl().GetMainChar();
    for (int32_t position = start ? std::max(*start, 0) : 0; position < m_Elements.GetSize(); position++) {
        WorldElem* elem = m_Elements.GetAt(position);
        if (elem && elem->m_WorldID.EqualsNoCase(worldID)) {
            if (start)
                *start = position + 1;
            return elem;
        }
    }
    return nullptr;
}

void WorldCtrl::AddPlacedObject(const String& worldID, WorldElem* elem)
{
    NamedElemRef& entry = *m_PlacedObjects.GetBySlot(m_PlacedObjects.Add());
    entry.name = worldID;
    entry.elem = elem;
}

WorldElem* WorldCtrl::FindPlacedObject(const char* worldID)
{
    for (int32_t position = 0; worldID && position < m_PlacedObjects.GetSize(); position++) {
        NamedElemRef* entry = m_PlacedObjects.GetAt(position);
        if (entry && entry->elem.Get() && entry->name.EqualsNoCase(worldID))
            return entry->elem.Get();
    }
    return nullptr;
}

int32_t WorldCtrl::GetCfgObject(const char* cfgID, int32_t n)
{
    for (int32_t position = 0; position < m_Elements.GetSize(); position++) {
        WorldElem* elem = m_Elements.GetAt(position);
        if (elem && elem->m_CfgID.EqualsNoCase(cfgID) && n-- == 0)
            return elem->m_ObjID;
    }
    return -1;
}

int32_t WorldCtrl::GetNameObject(const char* name, int32_t n, bool wholeName)
{
    const String given(name);
    for (int32_t position = 0; position < m_Elements.GetSize(); position++) {
        WorldElem* elem = m_Elements.GetAt(position);
        if (!elem)
            continue;
        const String own(elem->m_Name);
        const bool match = wholeName ? given.EqualsNoCase(own) : given.StartsWithNoCase(own.c_str());
        if (match && n-- == 0)
            return elem->m_ObjID;
    }
    return -1;
}

VSD_WallIntern* WorldCtrl::GetWallByWorldID(const char* worldID)
{
    for (int32_t slot = m_Walls.NextUsedSlot(-1); slot >= 0; slot = m_Walls.NextUsedSlot(slot)) {
        VSD_WallIntern* wall = m_Walls.GetBySlot(slot);
        if (wall && wall->m_WorldID.EqualsNoCase(worldID))
            return wall;
    }
    return nullptr;
}

WorldElem* WorldCtrl::GetLightByWorldID(const char* worldID)
{
    for (int32_t i = 0; i < m_NumBlocks; i++) {
        WorldBlock::List& list = m_Blocks[i].lights;
        for (int32_t j = 0; j < list.GetSize(); j++) {
            auto* light = static_cast<WorldElem*>(list.GetAt(j));
            if (light->m_WorldID.EqualsNoCase(worldID))
                return light;
        }
    }
    return nullptr;
}

int32_t WorldCtrl::GetNumberOfCreatures(int32_t party, bool skipDead)
{
    int32_t count = 0;
    for (int32_t slot = m_Elements.NextUsedSlot(-1); slot >= 0; slot = m_Elements.NextUsedSlot(slot)) {
        WorldElem* elem = m_Elements.GetBySlot(slot);
        if (elem && elem->IsCreature() && (party < 0 || elem->GetParty() == party) && !(skipDead && elem->IsDead()))
            count++;
    }
    return count;
}

bool WorldCtrl::IsBlockNearView(int32_t column, int32_t row) const
{
    const int32_t reach = ViewReachInBlocks() + 3;
    return IsValidCell(column, row) && std::abs(column - WorldElemGridBase::BlockOf(m_ViewOriginX)) <= reach &&
           std::abs(row - WorldElemGridBase::BlockOf(m_ViewOriginY)) <= reach;
}

bool WorldCtrl::IsBlockInView(int32_t column, int32_t row) const
{
    const int32_t reach = ViewReachInBlocks() + 2;
    return IsValidCell(column, row) && std::abs(column - WorldElemGridBase::BlockOf(m_ViewOriginX)) <= reach &&
           std::abs(row - WorldElemGridBase::BlockOf(m_ViewOriginY)) <= reach;
}
