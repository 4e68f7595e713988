// VSD_Viewer: the floor's heights: the centre height of every cell from its corners, the height,
// normal and slope at a point from the four triangles of its cell, and the position tests.
//
// A cell's four triangles meet at its centre vertex: in local coordinates (u, v), with
//   p = (hw, hh) + u (hw, -hh) + v (hw, hh)     (hw, hh half the cell's sides),
// u > 0 picks the corner (x + 1, y) else (x, y + 1), v >= 0 the corner (x + 1, y + 1) else (x, y),
// and the height is linear in |u| and |v| between the centre and those two corners.
#include "level/VSD_Viewer.h"

#include <cmath>

void VSD_Viewer::CalcCentreHeights()
{
    const size_t row = size_t(m_MapWidth) + 1;
    if (m_Heights.size() < row * (size_t(m_MapHeight) + 1) || m_CentreHeights.size() < m_Heights.size())
        return;
    for (size_t y = 0; y < size_t(m_MapHeight); y++) {
        for (size_t x = 0; x < size_t(m_MapWidth); x++) {
            const float h[4] = {m_Heights[y * row + x], m_Heights[y * row + x + 1], m_Heights[(y + 1) * row + x],
                                m_Heights[(y + 1) * row + x + 1]};
            const float a = (h[0] + h[1] + h[2] + h[3]) * 0.25f;
            float centre = a;
            if (m_TerrainCenterMode == 1) {
                float d[4];
                float sum = 0.0f;
                for (int i = 0; i < 4; i++) {
                    d[i] = std::fabs(a - h[i]);
                    sum += d[i];
                }
                if (sum > 0.0f) {  // a flat cell keeps the mean
                    const float scale = 1.0f / (0.25f * sum);
                    bool outlier = false;
                    for (float di : d)
                        outlier = outlier || di * scale > 1.5f;
                    if (outlier) {  // leave out the corner that deviates most
                        const int first = d[0] > d[1] ? 0 : 1;
                        const int second = d[2] > d[3] ? 2 : 3;
                        const int out = d[second] < d[first] ? first : second;
                        centre = (h[0] + h[1] + h[2] + h[3] - h[out]) * 0.33333334f;
                    }
                }
            }
            m_CentreHeights[y * row + x] = centre;
        }
    }
}

namespace {

// The triangle of a cell that holds a point: its corner heights and where the point lies in it.
struct FloorTriangle {
    float u = 0.0f;  // local coordinates, see the file's head
    float v = 0.0f;
    float centre = 0.0f;
    float hu = 0.0f;  // height of the corner that u leads to
    float hv = 0.0f;
};

// The cell under (x, y) and the triangle there; false outside the map or without heights.
bool FindFloorTriangle(const VSD_Viewer& viewer, const std::vector<float>& heights,
                              const std::vector<float>& centres, float x, float y, FloorTriangle& t)
{
    const float cw = viewer.GetCellWidthF();
    const float ch = viewer.GetCellHeightF();
    const float fx = std::trunc(x / cw);
    const float fy = std::trunc(y / ch);
    if (!(fx >= 0.0f && fx < float(viewer.GetMapWidth()) && fy >= 0.0f && fy < float(viewer.GetMapHeight())))
        return false;
    const size_t row = size_t(viewer.GetMapWidth()) + 1;
    const size_t cx = size_t(fx);
    const size_t cy = size_t(fy);
    if (heights.size() < row * (size_t(viewer.GetMapHeight()) + 1) || centres.size() < heights.size())
        return false;
    const float hw = cw * 0.5f;
    const float hh = ch * 0.5f;
    const float a = (x - fx * cw - hw) / hw;  // u + v
    const float b = (y - fy * ch - hh) / hh;  // v - u
    t.u = (a - b) * 0.5f;
    t.v = (a + b) * 0.5f;
    t.centre = centres[cy * row + cx];
    t.hu = t.u > 0.0f ? heights[cy * row + cx + 1] : heights[(cy + 1) * row + cx];
    t.hv = t.v >= 0.0f ? heights[(cy + 1) * row + cx + 1] : heights[cy * row + cx];
    return true;
}

}  // namespace

float VSD_Viewer::GetFloorHeight(float x, float y) const
{
    FloorTriangle t;
    if (!FindFloorTriangle(*this, m_Heights, m_CentreHeights, x, y, t))
        return 0.0f;
    return t.centre + std::fabs(t.u) * (t.hu - t.centre) + std::fabs(t.v) * (t.hv - t.centre);
}

D3DXVECTOR3 VSD_Viewer::GetFloorNormal(float x, float y) const
{
    FloorTriangle t;
    if (!FindFloorTriangle(*this, m_Heights, m_CentreHeights, x, y, t))
        return {0.0f, 0.0f, 1.0f};
    // The triangle's corners relative to its centre vertex: u and v lead to them by (hw, -hh) and
    // (hw, hh), turned round by their signs.
    const float hw = m_CellWidthF * 0.5f;
    const float hh = m_CellHeightF * 0.5f;
    const float su = t.u > 0.0f ? 1.0f : -1.0f;
    const float sv = t.v >= 0.0f ? 1.0f : -1.0f;
    D3DXVECTOR3 edgeU(su * hw, -su * hh, t.hu - t.centre);
    D3DXVECTOR3 edgeV(sv * hw, sv * hh, t.hv - t.centre);
    D3DXVECTOR3 normal;
    D3DXVec3Cross(&normal, &edgeU, &edgeV);
    if (normal.z < 0.0f)
        normal = -normal;
    D3DXVec3Normalize(&normal, &normal);
    return normal;
}

float VSD_Viewer::GetFloorSlope(float x, float y) const
{
    const D3DXVECTOR3 n = GetFloorNormal(x, y);
    return std::sqrt(n.x * n.x + n.y * n.y) / n.z;
}

int32_t VSD_Viewer::CheckFloorSlope(float x0, float y0, float x1, float y1, float limit, float& slope,
                                    D3DXVECTOR2& contour, D3DXVECTOR2& slide) const
{
    const D3DXVECTOR3 n = GetFloorNormal(x1, y1);
    slope = std::sqrt(n.x * n.x + n.y * n.y) / n.z;
    if (!(slope > limit))
        return 0;
    contour = D3DXVECTOR2(n.y, -n.x);
    const float length = std::sqrt(contour.x * contour.x + contour.y * contour.y);
    if (length > 0.0f)
        contour = contour * (1.0f / length);
    const D3DXVECTOR2 move(x1 - x0, y1 - y0);
    slide = contour * (move.x * contour.x + move.y * contour.y);
    return move.x * n.x + move.y * n.y >= 0.0f ? -1 : 1;
}

bool VSD_Viewer::IsOutsideLevel(float x, float y) const
{
    return x < 0.0f || y < 0.0f || x >= m_CellWidthF * float(m_MapWidth) || y >= m_CellHeightF * float(m_MapHeight);
}

bool VSD_Viewer::IsInActiveArea(float x, float y) const
{
    return float(m_ActiveX1 - 1) * m_CellWidthF <= x && x <= float(m_ActiveX2 + 2) * m_CellWidthF &&
           float(m_ActiveY1 - 1) * m_CellHeightF <= y && y <= float(m_ActiveY2 + 2) * m_CellHeightF;
}

const VSD_Parcel* VSD_Viewer::GetParcel(int32_t x, int32_t y) const
{
    if (!IsValidMapCell(x, y))
        return nullptr;
    const size_t index = size_t(y) * size_t(m_MapWidth) + size_t(x);
    return index < m_Parcels.size() ? &m_Parcels[index] : nullptr;
}
