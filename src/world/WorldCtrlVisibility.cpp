// WorldCtrl: the visibility grid (per floor vertex the visibility objects that reveal it and the
// target it fades to), the wall visibility factor, the fade of the shown visibility, the marking
// of what the players see each frame and the floor vertices their elements reveal.
#include "world/WorldCtrl.h"

#include "world/GameCtrlInterface.h"
#include "world/WorldElem.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kVisibilityFalloff = 64.0f;   // contributions reach this far beyond the radius
constexpr float kFalloffRate = 0.015625f;     // 1 / 64
constexpr float kMinContribution = 0.05f;
constexpr float kGridHalfWidth = 30.0f;
constexpr float kCompleteFade = 9e9f;
constexpr float kOverrideEyeRadius = 15.0f;
constexpr float kOpacityRange = 32.0f;
constexpr float kSeenFactor = 0.05f;          // a test point counts as seen above this factor
constexpr int32_t kAdjustRays = 0;            // the part a full recompute casts first

// The process-wide view cell of the last marking.
int32_t g_LastViewCell[2] = {0, 0};

float Distance(const D3DXVECTOR2& a, const D3DXVECTOR2& b) { return std::hypot(a.x - b.x, a.y - b.y); }

}  // namespace

bool WorldCtrl::VertexRectOf(const D3DXVECTOR2& pos, float radius, int32_t rect[4]) const
{
    if (m_CellWidth <= 0 || m_CellHeight <= 0 || !(std::fabs(pos.x) < 1e9f && std::fabs(pos.y) < 1e9f) ||
        !(radius < 1e9f))
        return false;
    auto first = [](float v, float cell) { return int64_t(std::trunc(v / cell)); };
    const int64_t columns = int64_t(m_MapWidth) + 1;
    const int64_t rows = int64_t(m_MapHeight) + 1;
    rect[0] = int32_t(std::clamp<int64_t>(first(pos.x - radius, m_CellWidthF), 0, columns));
    rect[1] = int32_t(std::clamp<int64_t>(first(pos.y - radius, m_CellHeightF), 0, rows));
    rect[2] = int32_t(std::clamp<int64_t>(first(pos.x + radius, m_CellWidthF) + 1, 0, columns));
    rect[3] = int32_t(std::clamp<int64_t>(first(pos.y + radius, m_CellHeightF) + 1, 0, rows));
    return rect[0] < rect[2] && rect[1] < rect[3];
}

// A grid built for another map (a level loaded since) is not used until it is built again.
bool WorldCtrl::VisibilityGridFits() const
{
    return !m_VisibilityGrid.empty() &&
           m_VisibilityGrid.size() == (size_t(m_MapWidth) + 1) * (size_t(m_MapHeight) + 1);
}

const WorldCtrl::VisibilityVertex* WorldCtrl::GetVisibilityVertex(int32_t column, int32_t row) const
{
    if (column < 0 || row < 0 || column > m_MapWidth || row > m_MapHeight)
        return nullptr;
    const size_t index = size_t(row) * (size_t(m_MapWidth) + 1) + size_t(column);
    return index < m_VisibilityGrid.size() ? &m_VisibilityGrid[index] : nullptr;
}

void WorldCtrl::BuildVisibilityGrid()
{
    m_VisibilityGrid.clear();
    const size_t row = size_t(m_MapWidth) + 1;
    m_VisibilityGrid.resize(row * (size_t(m_MapHeight) + 1));
    bool overflow = false;
    for (int32_t slot = m_Elements.NextUsedSlot(-1); slot >= 0; slot = m_Elements.NextUsedSlot(slot)) {
        WorldElem* object = m_Elements.GetBySlot(slot);
        if (!object || !object->IsVisibilityObject())
            continue;
        const D3DXVECTOR2 p = object->GetPos();
        const float r = object->m_Radius;
        int32_t rect[4];
        if (!VertexRectOf(p, r, rect))
            continue;
        for (int32_t y = rect[1]; y < rect[3]; y++) {
            for (int32_t x = rect[0]; x < rect[2]; x++) {
                const size_t index = size_t(y) * row + size_t(x);
                if (index < m_FloorVertices.size() && (m_FloorVertices[index].visibilityFlags & 1))
                    continue;
                const D3DXVECTOR2 v(m_CellWidthF * float(x), m_CellHeightF * float(y));
                const float d = Distance(v, p);
                float contribution = 1.0f;
                if (!(d < 0.1f)) {
                    if (d > r + kVisibilityFalloff)
                        continue;
                    if (d > r)
                        contribution = 1.0f - (d - r) * kFalloffRate;
                    const D3DXVECTOR2 from = v + (p - v) * (0.1f / d);
                    contribution *= GetWallVisibilityFactor(from, p, kGridHalfWidth);
                    if (!(contribution > kMinContribution))
                        continue;
                }
                VisibilityVertex& vertex = m_VisibilityGrid[index];
                if (vertex.count >= kMaxVisibilityObjects) {
                    overflow = true;
                    continue;
                }
                vertex.objects[vertex.count] = object;
                vertex.contributions[vertex.count] = contribution;
                vertex.count++;
            }
        }
    }
    if (overflow)
        Warning("Areas covered by more than 3 visibility objects");
}

float WorldCtrl::GetWallVisibilityFactor(const D3DXVECTOR2& a, const D3DXVECTOR2& b, float halfWidth)
{
    if (a == b)
        return 1.0f;
    const float length = Distance(a, b);
    const D3DXVECTOR2 side((a.y - b.y) / length * halfWidth, (b.x - a.x) / length * halfWidth);
    int32_t range[4];
    const int32_t reach = int32_t(std::min(length + halfWidth, 1e6f) / float(kBlockSize)) / 2 + 1;
    const D3DXVECTOR2 mid = (a + b) * 0.5f;
    if (!ClampBlockRange(WorldElemGridBase::BlockOf(mid.x), WorldElemGridBase::BlockOf(mid.y),
                         reach + int32_t(GetLongestWallHalf() / float(kBlockSize)) + 1, range))
        return 1.0f;
    // Each ray is blocked or clear; a blocked ray takes half of the factor.
    auto blocked = [&](const D3DXVECTOR2& from, const D3DXVECTOR2& to) {
        const float dx = to.x - from.x;
        const float dy = to.y - from.y;
        for (int32_t row = range[1]; row <= range[3]; row++) {
            for (int32_t column = range[0]; column <= range[2]; column++) {
                WorldBlock::List& walls = GetBlock(column, row)->walls;
                for (int32_t i = 0; i < walls.GetSize(); i++) {
                    auto* wall = static_cast<VSD_WallIntern*>(walls.GetAt(i));
                    if (!wall->m_VisibilityObstruct || wall->GetObstruction() < 0.5f)
                        continue;
                    const float ex = wall->m_X2 - wall->m_X1;
                    const float ey = wall->m_Y2 - wall->m_Y1;
                    const float denom = dx * ey - dy * ex;
                    if (denom == 0.0f)
                        continue;
                    const float sx = wall->m_X1 - from.x;
                    const float sy = wall->m_Y1 - from.y;
                    const float t = (sx * ey - sy * ex) / denom;
                    const float u = (sx * dy - sy * dx) / denom;
                    if (t >= 0.0f && t <= 1.0f && u >= 0.0f && u <= 1.0f)
                        return true;
                }
            }
        }
        return false;
    };
    float sum = 0.0f;
    if (blocked(a, b))
        sum += 1.0f;
    if (blocked(a + side, b + side))
        sum += 1.0f;
    if (blocked(a - side, b - side))
        sum += 1.0f;
    return std::max(0.0f, 1.0f - 0.5f * sum);
}

void WorldCtrl::UpdateVisibilityArea(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    if (!VisibilityGridFits())
        return;
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, int32_t(m_MapWidth) + 1);
    y2 = std::min(y2, int32_t(m_MapHeight) + 1);
    const size_t row = size_t(m_MapWidth) + 1;
    for (int32_t y = y1; y < y2; y++) {
        for (int32_t x = x1; x < x2; x++) {
            VisibilityVertex& vertex = m_VisibilityGrid[size_t(y) * row + size_t(x)];
            float sum = 0.0f;
            for (int32_t i = 0; i < vertex.count; i++) {
                WorldElem* object = vertex.objects[i].Get();
                if (object && (object->m_VisMarks.flags & VisibilityMarks::kOn))
                    sum += vertex.contributions[i];
            }
            if (sum > 0.0f)
                RevealCoverCell(x, y);
            vertex.target = std::min(sum, 1.0f);
        }
    }
}

void WorldCtrl::FadeVisibility(float dt)
{
    if (m_VisibilityMode != 3 || !VisibilityGridFits())
        return;
    const float step = dt / s_VisibilityFadeTime;
    const int32_t x1 = std::max(m_FloorWindowX, 0);
    const int32_t y1 = std::max(m_FloorWindowY, 0);
    const int32_t x2 = int32_t(std::min<int64_t>(int64_t(x1) + m_FloorSize[0], int64_t(m_MapWidth) + 1));
    const int32_t y2 = int32_t(std::min<int64_t>(int64_t(y1) + m_FloorSize[1], int64_t(m_MapHeight) + 1));
    const size_t row = size_t(m_MapWidth) + 1;
    for (int32_t y = y1; y < y2; y++) {
        for (int32_t x = x1; x < x2; x++) {
            const size_t index = size_t(y) * row + size_t(x);
            if (index >= m_FloorVertices.size())
                continue;
            const float target = m_VisibilityGrid[index].target;
            float& shown = m_FloorVertices[index].exploration;
            if (step > 1.0f || std::fabs(target - shown) <= step)
                shown = target;
            else if (shown < target)
                shown += step;
            else if (shown > target)
                shown -= step;
        }
    }
}

void WorldCtrl::BuildVisibilityMap()
{
    BuildVisibilityGrid();
    UpdateVisibilityArea(0, 0, int32_t(m_MapWidth) + 1, int32_t(m_MapHeight) + 1);
}

bool WorldCtrl::CalcVisibilityMap()
{
    if (m_VisibilityMode != 3 || VisibilityGridFits())
        return false;
    BuildVisibilityMap();
    return true;
}

void WorldCtrl::AdjustVisibility()
{
    if (m_VisibilityMode == 3 && m_RevealedCells.empty())
        return;  // no cover map
    MarkVisibleElements(kAdjustRays);
    if (m_VisibilityMode == 3)
        BuildVisibilityMap();
    FadeVisibility(kCompleteFade);
}

void WorldCtrl::MarkVisibleElements(int32_t rays)
{
    if (m_VisibilityMode == 0 || m_VisibilitySuspended)
        return;
    GameCtrlInterface& ctrl = GetCtrl();
    const int32_t viewX = WorldElemGridBase::BlockOf(m_ViewOriginX);
    const int32_t viewY = WorldElemGridBase::BlockOf(m_ViewOriginY);
    int32_t range[4];
    auto forEachObject = [&](auto visit) {
        for (int32_t row = range[1]; row <= range[3]; row++) {
            for (int32_t column = range[0]; column <= range[2]; column++) {
                WorldBlock::List& list = GetBlock(column, row)->objects;
                for (int32_t i = 0; i < list.GetSize(); i++)
                    visit(*static_cast<WorldElem*>(list.GetAt(i)));
            }
        }
    };
    if (m_VisibilityMode == 3) {
        WorldElem* mainChar = ctrl.GetMainChar();
        if (!mainChar || !ClampBlockRange(viewX, viewY, ViewReachInBlocks() + 4, range))
            return;
        D3DXVECTOR2 eye = mainChar->GetPos();
        float eyeRadius = std::max(mainChar->m_Radius - 1.0f, 0.0f);
        D3DXVECTOR2 overridePoint;
        if (ctrl.GetViewOverride(overridePoint)) {
            eye = overridePoint;
            eyeRadius = kOverrideEyeRadius;
        }
        forEachObject([&](WorldElem& object) {
            if (!object.IsVisibilityObject())
                return;
            const D3DXVECTOR2 p = object.GetPos();
            const float r = object.m_Radius;
            if (!(DistanceOutsideView(p.x, p.y) <= r || Distance(eye, p) <= m_ViewRadius + r))
                return;
            VisibilityMarks& marks = object.m_VisMarks;
            bool seen = false;
            if (marks.testPoints.empty()) {
                seen = GetWallVisibilityFactor(eye, p, eyeRadius) > kSeenFactor;
            } else {
                for (const D3DXVECTOR2& offset : marks.testPoints) {
                    if (GetWallVisibilityFactor(eye, p + offset, eyeRadius) > kSeenFactor) {
                        seen = true;
                        break;
                    }
                }
            }
            if (seen) {
                const bool wasOn = (marks.flags & VisibilityMarks::kOn) != 0;
                marks.flags |= VisibilityMarks::kOn;
                if (!wasOn) {
                    marks.flagValue = 0.0f;
                    int32_t rect[4];
                    if (VertexRectOf(p, r, rect))
                        UpdateVisibilityArea(rect[0], rect[1], rect[2], rect[3]);
                }
                EvaluateOpacity(p, kOpacityRange, r);
            } else if ((marks.flags & VisibilityMarks::kOn) && !(marks.flags & VisibilityMarks::kLostSight)) {
                marks.flags |= VisibilityMarks::kLostSight;
                marks.flagValue = 1.0f;
                EvaluateOpacity(p, kOpacityRange, r);
            }
        });
        forEachObject([&](WorldElem& elem) {
            VisibilityMarks& marks = elem.m_VisMarks;
            if (&elem == mainChar) {
                marks.seen = VisibilityMarks::kSeen;
                marks.seenBefore = 1;
                return;
            }
            if (marks.seen == VisibilityMarks::kSeenLocked)
                elem.UnmarkSeen();
            else if (marks.seen == VisibilityMarks::kSeen)
                elem.MarkSeen();
            if (marks.lockWhenSeen && marks.seen == VisibilityMarks::kSeen)
                marks.seen = VisibilityMarks::kSeenLocked;
        });
    } else if (ClampBlockRange(viewX, viewY, ViewReachInBlocks() + 1, range)) {
        const int32_t quality = std::max(1, ctrl.GetVisibilityQuality());
        forEachObject([&](WorldElem& elem) {
            const D3DXVECTOR2 p = elem.GetPos();
            const float viewRange = elem.GetViewRange();
            if (!elem.m_VisMarks.marksArea || !(DistanceOutsideView(p.x, p.y) <= viewRange + 32.0f))
                return;
            CastVisibilityRays(p, viewRange, rays, quality);
            if (quality > 1)
                CastVisibilityRays(p, viewRange, quality * quality / 2, quality);
            EvaluateOpacity(p, elem.m_Radius, -1.0f);
        });
    }
    g_LastViewCell[0] = viewX;
    g_LastViewCell[1] = viewY;
}

// The floor window is cut into quality x quality parts; a call works on part (part mod their
// number). Every vertex of that part within reach that a clear line joins to the eye is raised,
// with its neighbours, by MarkVertexVisibility.
void WorldCtrl::CastVisibilityRays(const D3DXVECTOR2& eye, float radius, int32_t part, int32_t quality)
{
    if (m_CellWidth <= 0 || m_CellHeight <= 0 || m_FloorVertices.empty() || !(radius > 0.0f))
        return;
    const int32_t parts = quality * quality;
    const int32_t index = ((part % parts) + parts) % parts;
    const int32_t columns = std::max(1, int32_t(m_FloorSize[0]) + 1);
    const int32_t rows = std::max(1, int32_t(m_FloorSize[1]) + 1);
    const int32_t partWidth = (columns + quality - 1) / quality;
    const int32_t partHeight = (rows + quality - 1) / quality;
    const int32_t x1 = std::max(0, m_FloorWindowX + (index % quality) * partWidth);
    const int32_t y1 = std::max(0, m_FloorWindowY + (index / quality) * partHeight);
    const int32_t x2 = std::min(int32_t(m_MapWidth) + 1, m_FloorWindowX + (index % quality + 1) * partWidth);
    const int32_t y2 = std::min(int32_t(m_MapHeight) + 1, m_FloorWindowY + (index / quality + 1) * partHeight);
    const size_t row = size_t(m_MapWidth) + 1;
    if (m_VisibilityMode == 2) {
        for (int32_t y = y1; y < y2; y++)
            for (int32_t x = x1; x < x2; x++)
                m_FloorVertices[size_t(y) * row + size_t(x)].exploration = 0.0f;
    }
    for (int32_t y = y1; y < y2; y++) {
        for (int32_t x = x1; x < x2; x++) {
            const D3DXVECTOR2 v(m_CellWidthF * float(x), m_CellHeightF * float(y));
            const float d = Distance(eye, v);
            if (d > radius)
                continue;
            if (d > 0.0f && !GetIntersection(eye.x, eye.y, v.x, v.y, nullptr, kLineWalls | kLineOpaqueOnly, false,
                                             nullptr, nullptr, 0, kNoMinHeight))
                continue;
            MarkVertexVisibility(x, y, 1.0f - d / (radius + 1.0f), x2, y2);
        }
    }
}

// Elements around the point that a clear enough view reaches become opaque and seen.
void WorldCtrl::EvaluateOpacity(const D3DXVECTOR2& eye, float range, float radius)
{
    const float reach = std::max(range, radius) + 64.0f;
    int32_t blocks[4];
    if (!RadiusBlockRange(eye.x, eye.y, reach, false, blocks))
        return;
    for (int32_t row = blocks[1]; row <= blocks[3]; row++) {
        for (int32_t column = blocks[0]; column <= blocks[2]; column++) {
            WorldBlock::List& list = GetBlock(column, row)->objects;
            for (int32_t i = 0; i < list.GetSize(); i++) {
                auto* elem = static_cast<WorldElem*>(list.GetAt(i));
                if (elem->IsVisibilityObject() || Distance(eye, elem->GetPos()) > reach + elem->m_Radius)
                    continue;
                const float factor = GetWallVisibilityFactor(eye, elem->GetPos(), elem->m_Radius);
                if (factor < 0.5f)
                    continue;  // mostly hidden: left as it is
                if (elem->m_Visibility < 0.95f)
                    elem->SetVisibility(1.0f, false);
                if (elem->m_VisMarks.seen == 0 && factor > kSeenFactor)
                    elem->m_VisMarks.seen = VisibilityMarks::kSeen;
            }
        }
    }
}

void WorldCtrl::MarkVertexVisibility(int32_t column, int32_t row, float value, int32_t columnRange, int32_t rowRange)
{
    const int32_t columns = std::min(columnRange, int32_t(m_MapWidth) + 1);
    const int32_t rows = std::min(rowRange, int32_t(m_MapHeight) + 1);
    if (column < 0 || row < 0 || column >= columns || row >= rows)
        return;
    const size_t stride = size_t(m_MapWidth) + 1;
    auto valueAt = [&](int32_t x, int32_t y) -> float* {
        const size_t index = size_t(y) * stride + size_t(x);
        return index < m_FloorVertices.size() ? &m_FloorVertices[index].exploration : nullptr;
    };
    if (float* own = valueAt(column, row); own && value > *own)
        *own = value;
    const D3DXVECTOR2 centre(m_CellWidthF * float(column), m_CellHeightF * float(row));
    for (int32_t y = std::max(0, row - 2); y <= std::min(rows - 1, row + 2); y++) {
        for (int32_t x = std::max(0, column - 2); x <= std::min(columns - 1, column + 2); x++) {
            if (x == column && y == row)
                continue;
            float* current = valueAt(x, y);
            const D3DXVECTOR2 v(m_CellWidthF * float(x), m_CellHeightF * float(y));
            const float d = Distance(centre, v);
            const float raised = (1.0f - d / (2.5f * m_CellWidthF)) * value;
            if (!current || !(raised > 0.0f) || !(raised > *current))
                continue;
            const D3DXVECTOR2 end = v - (v - centre) * (0.2f / d);
            if (GetIntersection(centre.x, centre.y, end.x, end.y, nullptr, kLineWalls, false, nullptr, nullptr, 0,
                                kNoMinHeight))
                *current = raised;
        }
    }
}
