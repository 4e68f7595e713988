// WorldCtrl: the world grid: the blocks and their element lists, entering and leaving them, the
// active block mask, and the floor height with the walkable objects standing on it.
#include "world/WorldCtrl.h"

#include "world/WorldElem.h"

#include <algorithm>
#include <cmath>

void WorldCtrl::OnBlockGridChanged()
{
    // Whatever the old blocks listed forgets its place; the new blocks start empty and the
    // world's elements and walls enter them again.
    for (int32_t i = 0; i < m_NumBlocks; i++) {
        for (WorldBlock::List* list : {&m_Blocks[i].objects, &m_Blocks[i].lights, &m_Blocks[i].walls,
                                       &m_Blocks[i].effects}) {
            for (int32_t slot = list->NextUsedSlot(-1); slot >= 0; slot = list->NextUsedSlot(slot)) {
                if (WorldElemGridBase* elem = list->GetBySlot(slot)) {
                    elem->m_CellX = -1;
                    elem->m_CellY = -1;
                    elem->m_CellIndex = -1;
                    elem->m_CellListEntry = -1;
                }
            }
        }
    }
    m_NumBlocks = m_BlockColumns * m_BlockRows;
    m_Blocks = m_NumBlocks > 0 ? std::make_unique<WorldBlock[]>(size_t(m_NumBlocks)) : nullptr;
    for (int32_t slot = m_Elements.NextUsedSlot(-1); slot >= 0; slot = m_Elements.NextUsedSlot(slot))
        if (WorldElem* elem = m_Elements.GetBySlot(slot))
            elem->UpdateGridCell();
    for (int32_t slot = m_Walls.NextUsedSlot(-1); slot >= 0; slot = m_Walls.NextUsedSlot(slot))
        if (VSD_WallIntern* wall = m_Walls.GetBySlot(slot))
            wall->UpdateGridCell();
}

WorldBlock* WorldCtrl::GetBlock(int32_t column, int32_t row)
{
    if (!IsValidCell(column, row))
        return nullptr;
    return GetBlockByIndex(row * m_BlockColumns + column);
}

WorldBlock* WorldCtrl::GetBlockByIndex(int32_t index)
{
    if (index < 0 || index >= m_NumBlocks)
        return nullptr;
    return &m_Blocks[index];
}

void WorldCtrl::MoveToBlock(WorldElemGridBase& elem, int32_t column, int32_t row)
{
    if (elem.m_CellListEntry >= 0)
        LeaveBlock(elem);
    elem.m_CellX = column;
    elem.m_CellY = row;
    WorldBlock* block = GetBlock(column, row);
    if (!block)
        return;
    // Elements of the element table are objects; lights, walls and effects live in tables of
    // their own and have lists of their own. Anything else (an element taken out of the table)
    // enters no block, so that no query finds it.
    const uint16_t type = elem.m_TypeCode;
    WorldBlock::List* list = nullptr;
    if (HoldsObj(elem.m_ObjID, &elem))
        list = &block->objects;
    else if (type == ElemType::kWall ? dynamic_cast<VSD_WallIntern*>(&elem) != nullptr
                                     : (type == ElemType::kLight || type == ElemType::kEffect) &&
                                           dynamic_cast<WorldElem*>(&elem) != nullptr)
        list = &block->ListFor(type);  // what the lists hold is what the queries take them for
    if (!list)
        return;
    elem.m_CellListEntry = list->Add(&elem);
    elem.m_CellIndex = row * m_BlockColumns + column;
}

void WorldCtrl::LeaveBlock(WorldElemGridBase& elem)
{
    WorldBlock* block = GetBlockByIndex(elem.m_CellIndex);
    const int32_t entry = elem.m_CellListEntry;
    elem.m_CellListEntry = -1;
    elem.m_CellIndex = -1;
    if (!block)
        return;
    WorldBlock::List& list = HoldsObj(elem.m_ObjID, &elem) ? block->objects : block->ListFor(elem.m_TypeCode);
    if (list.GetBySlot(entry) == &elem) {
        list.Delete(entry);
        return;
    }
    // the element left its table or changed its type code while it was listed: find it
    for (WorldBlock::List* other : {&block->objects, &block->lights, &block->walls, &block->effects}) {
        const int32_t slot = other->IndexOf(&elem);
        if (slot >= 0) {
            other->Delete(slot);
            return;
        }
    }
}

bool WorldCtrl::IsBlockActive(int32_t column, int32_t row) const
{
    if (!IsValidCell(column, row))
        return false;
    const size_t index = size_t(row) * size_t(m_BlockColumns) + size_t(column);
    return index < m_ActiveBlocks.size() && m_ActiveBlocks[index] != 0;
}

bool WorldCtrl::ClampBlockRange(int32_t column, int32_t row, int32_t reach, int32_t range[4]) const
{
    const int64_t c = column;
    const int64_t r = row;
    range[0] = int32_t(std::max<int64_t>(0, c - reach));
    range[1] = int32_t(std::max<int64_t>(0, r - reach));
    range[2] = int32_t(std::min<int64_t>(m_BlockColumns - 1, c + reach));
    range[3] = int32_t(std::min<int64_t>(m_BlockRows - 1, r + reach));
    return range[0] <= range[2] && range[1] <= range[3];
}

float WorldCtrl::GetFloorHeightWithObjects(float x, float y, int32_t ignoreID, WorldElem** floorObject)
{
    const float base = GetFloorHeight(x, y);
    if (floorObject)
        *floorObject = nullptr;
    const int32_t reach = (m_FloorSize[0] * m_CellWidth / 2 + 511) / 512 + 4;
    int32_t range[4];
    if (!ClampBlockRange(WorldElemGridBase::BlockOf(x), WorldElemGridBase::BlockOf(y), reach, range))
        return base;
    constexpr float kNoTop = -10000.0f;  // the test ray starts at 10000 and goes straight down
    float best = kNoTop;
    WorldElem* bestElem = nullptr;
    for (int32_t row = range[1]; row <= range[3]; row++) {
        for (int32_t column = range[0]; column <= range[2]; column++) {
            WorldBlock::List& list = GetBlock(column, row)->objects;
            for (int32_t i = 0; i < list.GetSize(); i++) {
                WorldElem* elem = dynamic_cast<WorldElem*>(list.GetAt(i));
                if (!elem || !elem->IsCreatureOrItem() || elem->m_ObjID == ignoreID || elem->m_IgnoreInQueries)
                    continue;
                const D3DXVECTOR2 pos = elem->GetPos();
                if (std::hypot(pos.x - x, pos.y - y) > elem->m_Radius)
                    continue;
                float top = 0.0f;
                if (elem->GetFloorObjectTop(x, y, top) && top > best) {
                    best = top;
                    bestElem = elem;
                }
            }
        }
    }
    if (best > kNoTop && best > base) {
        if (floorObject)
            *floorObject = bestElem;
        return best;
    }
    return base;
}

void WorldCtrl::ClearActiveBlocks()
{
    std::fill(m_ActiveBlocks.begin(), m_ActiveBlocks.end(), uint8_t(0));
    m_NumActiveAreas = 0;
}

void WorldCtrl::MarkActiveArea(const D3DXVECTOR2* centres, int32_t count)
{
    ClearActiveBlocks();
    for (int32_t i = 0; i < count; i++)
        RevealMapArea(centres[i].x, centres[i].y, false);
    for (int32_t i = 0; i < m_Elements.GetSize(); i++) {
        WorldElem* elem = m_Elements.GetAt(i);
        if (!elem)
            continue;
        const bool active = IsCellActive(*elem);
        if (active && !elem->m_InActiveCell) {
            elem->OnEnterActiveArea();
        } else if (!active && elem->m_InActiveCell) {
            elem->m_InActiveCell = 0;  // it stops thinking; its fade-out runs on
            elem->OnLeaveActiveArea();
        }
    }
}

void WorldCtrl::ResetActiveBlockCounters()
{
    for (int32_t i = 0; i < m_NumBlocks && size_t(i) < m_ActiveBlocks.size(); i++) {
        if (!m_ActiveBlocks[size_t(i)])
            continue;
        for (WorldBlock::List* list : {&m_Blocks[i].objects, &m_Blocks[i].lights, &m_Blocks[i].walls}) {
            for (int32_t j = 0; j < list->GetSize(); j++) {
                auto* elem = static_cast<WorldElemBase*>(list->GetAt(j));
                elem->m_Moved = 0;
                elem->m_Turned = 0;
            }
        }
    }
}
