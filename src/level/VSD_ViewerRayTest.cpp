// VSD_Viewer: the ray test into the height field of the floor window. A quadtree over the window's
// cells drops every rectangle whose box of corner heights the ray misses; a single cell is four
// triangles around its centre point.
#include "level/VSD_Viewer.h"

#include "base/Geometry.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kNoHit = 9e9f;         // ray parameters and squared distances at or above it are none
constexpr float kBoxRayLength = 10000.0f;

}  // namespace

bool VSD_Viewer::RayTest(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction, D3DXVECTOR3& hit,
                         float lift) const
{
    const float length = D3DXVec3Length(&direction);
    if (!(length > 0.0f) || !std::isfinite(length))
        return false;  // no direction: nothing is hit
    const D3DXVECTOR3 unit = direction / length;
    D3DXVECTOR3 lowered = origin;
    lowered.z -= lift;  // the ray against the floor raised by lift
    const bool found = RayTestRect(lowered, unit, m_FloorWindowX, m_FloorWindowY, m_FloorWindowX + m_FloorSize[0],
                                   m_FloorWindowY + m_FloorSize[1], hit);
    hit.z += lift;
    return found;
}

bool VSD_Viewer::RayTestRect(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction, int32_t x1, int32_t y1,
                             int32_t x2, int32_t y2, D3DXVECTOR3& hit) const
{
    const int32_t w = m_MapWidth;
    const int32_t h = m_MapHeight;
    if (w < 1 || h < 1)
        return false;
    x1 = std::clamp(x1, 0, w - 1);
    y1 = std::clamp(y1, 0, h - 1);
    x2 = std::clamp(x2, 0, w);
    y2 = std::clamp(y2, 0, h);
    const size_t row = size_t(w) + 1;
    auto corner = [&](int32_t x, int32_t y) {
        const size_t index = size_t(y) * row + size_t(x);
        return index < m_Heights.size() ? m_Heights[index] : 0.0f;  // a level without heights is flat
    };

    if (x2 - x1 < 2 && y2 - y1 < 2) {
        const int32_t wx = x1 - m_FloorWindowX;
        const int32_t wy = y1 - m_FloorWindowY;
        if (wx < 0 || wy < 0 || wx >= m_FloorSize[0] || wy >= m_FloorSize[1])
            return false;
        const size_t flag = size_t(wy) * size_t(m_FloorSize[0]) + size_t(wx);
        if (flag < m_FloorWindowFlags.size() && (m_FloorWindowFlags[flag] & 1))
            return false;
        const float cw = m_CellWidthF;
        const float ch = m_CellHeightF;
        const size_t index = size_t(y1) * row + size_t(x1);
        const D3DXVECTOR3 m((float(x1) + 0.5f) * cw, (float(y1) + 0.5f) * ch,
                            index < m_CentreHeights.size() ? m_CentreHeights[index] : 0.0f);
        const D3DXVECTOR3 p00(float(x1) * cw, float(y1) * ch, corner(x1, y1));
        const D3DXVECTOR3 p01(float(x1) * cw, float(y1 + 1) * ch, corner(x1, y1 + 1));
        const D3DXVECTOR3 p10(float(x1 + 1) * cw, float(y1) * ch, corner(x1 + 1, y1));
        const D3DXVECTOR3 p11(float(x1 + 1) * cw, float(y1 + 1) * ch, corner(x1 + 1, y1 + 1));
        const Triangle3D triangles[4] = {{p00, p01, m}, {p00, p10, m}, {p11, p10, m}, {p11, p01, m}};
        float best = kNoHit;
        for (const Triangle3D& triangle : triangles) {
            float t = 0.0f;
            if (Math::IntersectRayTriangle(triangle, {origin, direction}, t) && t > 0.0f && t < best)
                best = t;
        }
        if (best >= kNoHit)
            return false;
        hit = origin + direction * best;
        return true;
    }

    float low = corner(x1, y1);
    float high = low;
    for (int32_t y = y1; y <= y2; y++)
        for (int32_t x = x1; x <= x2; x++) {
            low = std::min(low, corner(x, y));
            high = std::max(high, corner(x, y));
        }
    const D3DXVECTOR3 boxLow(float(m_CellWidth) * float(x1), float(m_CellHeight) * float(y1), low);
    const D3DXVECTOR3 boxHigh(float(m_CellWidth) * float(x2), float(m_CellHeight) * float(y2), high);
    if (!Math::IntersectSegmentBox(origin, origin + direction * kBoxRayLength, boxLow, boxHigh))
        return false;

    const int32_t mx = x1 + (x2 - x1) / 2;
    const int32_t my = y1 + (y2 - y1) / 2;
    const int32_t quarters[4][4] = {{x1, y1, mx, my}, {mx, y1, x2, my}, {x1, my, mx, y2}, {mx, my, x2, y2}};
    float best = kNoHit;
    bool found = false;
    for (const auto& q : quarters) {
        D3DXVECTOR3 point;
        if (!RayTestRect(origin, direction, q[0], q[1], q[2], q[3], point))
            continue;
        const D3DXVECTOR3 away = point - origin;
        const float distanceSq = D3DXVec3Dot(&away, &away);
        if (distanceSq < best && D3DXVec3Dot(&away, &direction) > 0.0f) {  // an equal one keeps the earlier
            best = distanceSq;
            hit = point;
            found = true;
        }
    }
    return found;
}
