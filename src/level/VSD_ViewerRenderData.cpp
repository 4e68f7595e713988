// VSD_Viewer: the render-side data of the level: the renderer's lights, segment buffers and
// vertex formats, the floor size with the far distance, covering the map again, the floor's
// surface frames and the light constants. Without a graphics device nothing is drawn, but the
// data that the world reads stays complete.
#include "level/VSD_Viewer.h"

#include "base/GameOptions.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/scene/DXC_Light.h"
#include "world/GameCtrlInterface.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t kSegmentEntryBytes = 16;
constexpr float kFarDistanceMargin = 100.0f;

D3DXVECTOR3 Unit(const D3DXVECTOR3& v)
{
    D3DXVECTOR3 out;
    D3DXVec3Normalize(&out, &v);
    return out;
}

}  // namespace

int32_t VSD_Viewer::InitRenderData()
{
    const int32_t count = std::max(0, g_Options.maxObjLights);
    m_RenderLights.clear();
    for (int32_t i = 0; i < count; i++)
        m_RenderLights.push_back(std::make_unique<DXC_LightEx>());
    for (std::vector<uint8_t>& buffer : m_SegmentBuffers)
        buffer.assign(size_t(kSegmentBufferEntries) * kSegmentEntryBytes, 0);
    m_VertexFormats[0] = 0x1C4;  // pre-transformed position, diffuse, specular, one texture set
    m_VertexFormats[1] = 0x1C2;  // position, diffuse, specular, one texture set
    m_VertexFormats[2] = 0x1C2;
    m_ViewScale = 1.0f;
    m_RenderDataReady = 1;
    m_LightUpdates = m_Gfx && m_Gfx->HasDevice() ? 1 : 0;
    m_RenderCounter = 0;
    m_RenderTime = 0.0f;
    return 1;
}

void VSD_Viewer::SetFloorSize(int32_t size)
{
    if (size < 1)
        size = m_LevelFloorSize;
    if (size < 1) {
        GameCtrlInterface* ctrl = FindCtrl();
        size = ctrl ? ctrl->GetFloorSizeSetting() : m_FloorSize[0];
    }
    // With the floor size in force before this call; the next camera update takes the new one.
    const float across = float(m_FloorSize[0]) * m_CellWidthF;
    m_FarDistance = std::sqrt(across * across + m_CameraDistance * m_CameraDistance) + kFarDistanceMargin;
    if (m_FloorSize[0] == size && m_FloorSize[1] == size)
        return;
    const int16_t cells = int16_t(std::clamp<int32_t>(size, 1, kMaxMapSide));
    SetViewFloorSize(cells, cells);
}

void VSD_Viewer::CoverMap()
{
    std::fill(m_RevealedCells.begin(), m_RevealedCells.end(), uint8_t(0));
    std::fill(m_CoverPixels.begin(), m_CoverPixels.end(), 0u);
    for (VSD_FloorVertex& vertex : m_FloorVertices)
        vertex.exploration = 0.0f;
    for (int32_t slot = m_Walls.NextUsedSlot(-1); slot >= 0; slot = m_Walls.NextUsedSlot(slot)) {
        if (VSD_WallIntern* wall = m_Walls.GetBySlot(slot))
            wall->m_Seen[0] = wall->m_Seen[1] = 0;
    }
    for (int32_t slot = m_Elements.NextUsedSlot(-1); slot >= 0; slot = m_Elements.NextUsedSlot(slot)) {
        WorldElem* elem = m_Elements.GetBySlot(slot);
        if (!elem)
            continue;
        elem->m_VisMarks.seen = 0;
        if (elem->IsVisibilityObject())
            elem->m_VisMarks.flags &= ~VisibilityMarks::kOn;
    }
}

void VSD_Viewer::CoverMap(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, int32_t(m_MapWidth));
    y2 = std::min(y2, int32_t(m_MapHeight));
    if (x2 - x1 < 1 || y2 - y1 < 1)
        return;
    const size_t row = size_t(m_MapWidth) + 1;
    for (int32_t y = y1; y < y2; y++) {
        for (int32_t x = x1; x < x2; x++) {
            const size_t cell = size_t(y) * size_t(m_MapWidth) + size_t(x);
            if (cell < m_RevealedCells.size())
                m_RevealedCells[cell] = 0;
            if (cell < m_CoverPixels.size())
                m_CoverPixels[cell] = 0;
            const size_t vertex = size_t(y) * row + size_t(x);
            if (vertex < m_FloorVertices.size())
                m_FloorVertices[vertex].exploration = 0.0f;
        }
    }
    if (m_CellWidth <= 0 || m_CellHeight <= 0)
        return;
    // Positions outside the integer range lie outside every rectangle of the map.
    auto inside = [&](const D3DXVECTOR2& pos) {
        if (!(std::fabs(pos.x) < 1e9f && std::fabs(pos.y) < 1e9f))
            return false;
        const int32_t cx = int32_t(pos.x / m_CellWidthF);
        const int32_t cy = int32_t(pos.y / m_CellHeightF);
        return cx >= x1 && cx < x2 && cy >= y1 && cy < y2;
    };
    for (int32_t slot = m_Walls.NextUsedSlot(-1); slot >= 0; slot = m_Walls.NextUsedSlot(slot)) {
        VSD_WallIntern* wall = m_Walls.GetBySlot(slot);
        if (wall && inside(wall->GetPos()))
            wall->m_Seen[0] = wall->m_Seen[1] = 0;
    }
    for (int32_t slot = m_Elements.NextUsedSlot(-1); slot >= 0; slot = m_Elements.NextUsedSlot(slot)) {
        WorldElem* elem = m_Elements.GetBySlot(slot);
        if (!elem || !inside(elem->GetPos()))
            continue;
        elem->m_VisMarks.seen = 0;
        if (elem->IsVisibilityObject())
            elem->m_VisMarks.flags &= ~VisibilityMarks::kOn;
    }
}

void VSD_Viewer::GetSurfaceFrame(float x, float y, D3DXVECTOR3& tangent, D3DXVECTOR3& bitangent,
                                 D3DXVECTOR3& normal) const
{
    normal = GetSmoothFloorNormal(x, y);
    tangent = Unit(D3DXVECTOR3(normal.z, 0.0f, -normal.x));   // n x (0, -1, 0)
    bitangent = Unit(D3DXVECTOR3(0.0f, normal.z, -normal.y));  // n x (1, 0, 0)
}

// The renderer's light constants are shader constants: nothing to set without a device.
void VSD_Viewer::ResetLightConstants()
{
    if (!m_Gfx || !m_Gfx->HasDevice())
        return;
}
