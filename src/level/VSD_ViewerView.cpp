// VSD_Viewer: the view onto the level: the screen rectangle, the view circle and its edge fade,
// the camera's heading, the follow point, the level colours, and the cell and material tests
// that game logic asks about positions.
#include "level/VSD_Viewer.h"

#include "world/GameCtrlInterface.h"
#include "world/WorldElemGridBase.h"

#include <algorithm>
#include <cmath>

int32_t VSD_Viewer::SetActiveRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    m_ScreenRect[0] = x1;
    m_ScreenRect[1] = y1;
    m_ScreenRect[2] = x2;
    m_ScreenRect[3] = y2;
    return 1;
}

bool VSD_Viewer::IsValidCell(int32_t x, int32_t y) const
{
    return x >= 0 && x < m_BlockColumns && y >= 0 && y < m_BlockRows;
}

bool VSD_Viewer::IsValidMapCell(int32_t x, int32_t y) const
{
    return x >= 0 && x < m_MapWidth && y >= 0 && y < m_MapHeight;
}

uint16_t VSD_Viewer::GetFloorMaterial(float x, float y) const
{
    const float fx = std::trunc(x / m_CellWidthF);
    const float fy = std::trunc(y / m_CellHeightF);
    if (!(fx >= 0.0f && fx < float(m_MapWidth) && fy >= 0.0f && fy < float(m_MapHeight)))
        return 0;  // the last column and row answer too
    const VSD_Parcel* parcel = GetParcel(int32_t(fx), int32_t(fy));
    if (!parcel || parcel->textureId < 0 || parcel->textureId >= m_NumFloorTextures ||
        size_t(parcel->textureId) >= m_FloorTextures.size())
        return 0;
    return m_FloorTextures[size_t(parcel->textureId)].material;
}

void VSD_Viewer::SetLevelColours(const float diffuse[3], const float second[3])
{
    for (int32_t i = 0; i < 3; i++) {
        m_LevelDiffuse[i] = diffuse[i];
        m_LevelSecond[i] = second[i];
    }
    SetLevelDiffuseCol();
}

void VSD_Viewer::SetLevelDiffuseCol()
{
    bool any = false;
    for (int32_t i = 0; i < 3; i++) {
        m_LevelDiffuse[i] = std::clamp(m_LevelDiffuse[i], 0.0f, 1.0f);
        m_LevelSecond[i] = std::clamp(m_LevelSecond[i], 0.0f, 1.0f);
        any = any || m_LevelDiffuse[i] != 0.0f || m_LevelSecond[i] != 0.0f;
        m_LevelSecondBytes[i] = uint8_t(std::lround(255.0f * m_LevelSecond[i]));
    }
    m_HasLevelColour = any ? 1 : 0;
}

void VSD_Viewer::SetViewOrigin(float x, float y)
{
    m_ViewOriginX = x;
    m_ViewOriginY = y;
}

void VSD_Viewer::SetFadeCentre(float x, float y)
{
    m_FadeCentreX = x;
    m_FadeCentreY = y;
}

void VSD_Viewer::SetCameraVectors(const D3DXVECTOR3& eye, const D3DXVECTOR3& target, const D3DXVECTOR3& up)
{
    m_CameraEye = eye;
    m_CameraTarget = target;
    m_CameraUp = up;
}

void VSD_Viewer::SetViewFloorSize(int16_t width, int16_t height)
{
    m_FloorSize[0] = width;
    m_FloorSize[1] = height;
    AllocViewFloor();
}

void VSD_Viewer::AllocViewFloor()
{
    const int32_t n = m_FloorSize[0];
    const int32_t m = m_FloorSize[1];
    m_ViewRadius = std::max(float(n + 1) * m_CellWidthF * 0.5f, float(m + 1) * m_CellHeightF * 0.5f);
    m_ViewRadiusSq = m_ViewRadius * m_ViewRadius;
    m_InnerViewRadius = std::min(float(n - 1) * m_CellWidthF * 0.5f, float(m - 1) * m_CellHeightF * 0.5f);
    m_ViewFloorCentre[0] = n / 2;
    m_ViewFloorCentre[1] = m / 2;
}

uint8_t VSD_Viewer::GetViewRingClass(int32_t i, int32_t j) const
{
    if (i < 0 || j < 0 || i >= m_FloorSize[0] || j >= m_FloorSize[1])
        return 3;
    const float dx = float(i - m_ViewFloorCentre[0]) * m_CellWidthF;
    const float dy = float(j - m_ViewFloorCentre[1]) * m_CellHeightF;
    const float d = std::sqrt(dx * dx + dy * dy);
    if (d <= m_CellWidthF + m_ViewRadius + 1.0f)
        return 0;
    return d <= m_CellWidthF + m_ViewRadius + 2.0f ? 1 : 3;
}

float VSD_Viewer::GetViewFadeFactor(float x, float y, float r) const
{
    const float band = 2.0f * m_CellWidthF;
    const float d = (m_ViewRadius - 1.5f * m_CellWidthF) - std::hypot(x - m_FadeCentreX, y - m_FadeCentreY) + r;
    if (d >= band)
        return 1.0f;
    const float factor = d / band;
    return factor > 0.0f ? factor : 0.0f;
}

float VSD_Viewer::DistanceOutsideView(float x, float y) const
{
    const float d = std::hypot(x - m_ViewOriginX, y - m_ViewOriginY) - m_ViewRadius;
    return d > 0.0f ? d : 0.0f;
}

float VSD_Viewer::GetCameraAngle() const
{
    const D3DXVECTOR3 v = m_CameraTarget - m_CameraEye;
    const float length = D3DXVec3Length(&v);
    float dx = 0.0f;
    float dy = 0.0f;
    if (length != 0.0f) {
        dx = v.x / length;
        dy = v.y / length;
    }
    const float hx = dx + m_CameraUp.x;
    const float hy = dy + m_CameraUp.y;
    if (hx * hx + hy * hy <= 0.0f)
        return 0.0f;
    return std::atan2(hy, hx);
}

float VSD_Viewer::GetBackFacingFade(const D3DXVECTOR3& point, const D3DXVECTOR3& normal)
{
    D3DXVECTOR3 dir = point - m_CameraEye;
    D3DXVec3Normalize(&dir, &dir);
    const float d = -D3DXVec3Dot(&dir, &normal);
    float full = 0.0f;  // d at and above which the surface is fully drawn
    float none = 0.0f;  // d below which it is not drawn
    GetCtrl().GetBackDrawFadeThresholds(full, none);
    if (d >= full)
        return 1.0f;
    if (d < none)
        return 0.0f;
    return (d - none) / (full - none);
}

void VSD_Viewer::UpdateFollowPoint(float dt)
{
    D3DXVECTOR2 target;
    if (!GetCtrl().GetFollowTarget(target)) {
        m_FollowX = 0.0f;
        m_FollowY = 0.0f;
        return;
    }
    const float dx = target.x - m_FollowX;
    const float dy = target.y - m_FollowY;
    const float dist = std::sqrt(dx * dx + dy * dy);
    if (dist == 0.0f)
        return;
    const float speed = GetCtrl().IsFastFollow(0) ? 8.0f : 2.0f;
    const float step = speed * (0.05f + dist) * dt;
    if (step >= dist) {
        m_FollowX = target.x;
        m_FollowY = target.y;
    } else {
        m_FollowX += dx * step / dist;
        m_FollowY += dy * step / dist;
    }
}

int32_t VSD_Viewer::GetActiveBlockReach() const
{
    return int32_t(std::ceil(m_ViewRadius / float(kBlockSize))) + 1;
}

void VSD_Viewer::RevealMapArea(float x, float y, bool clearFirst)
{
    if (clearFirst) {
        std::fill(m_ActiveBlocks.begin(), m_ActiveBlocks.end(), uint8_t(0));
        m_NumActiveAreas = 0;
    }
    m_NumActiveAreas++;
    const int32_t reach = GetActiveBlockReach();
    const int32_t cx = WorldElemGridBase::BlockOf(x);
    const int32_t cy = WorldElemGridBase::BlockOf(y);
    const int64_t x1 = std::max<int64_t>(0, int64_t(cx) - reach);
    const int64_t x2 = std::min<int64_t>(m_BlockColumns - 1, int64_t(cx) + reach);
    const int64_t y1 = std::max<int64_t>(0, int64_t(cy) - reach);
    const int64_t y2 = std::min<int64_t>(m_BlockRows - 1, int64_t(cy) + reach);
    for (int64_t row = y1; row <= y2; row++) {
        for (int64_t column = x1; column <= x2; column++) {
            const double dx = double(column - cx);
            const double dy = double(row - cy);
            const size_t index = size_t(row) * size_t(m_BlockColumns) + size_t(column);
            if (std::sqrt(dx * dx + dy * dy) <= double(reach) && index < m_ActiveBlocks.size())
                m_ActiveBlocks[index] = 1;  // a disc of blocks, not a square
        }
    }
}

bool VSD_Viewer::IsCellActive(const WorldElemGridBase& elem) const
{
    if (!IsValidCell(elem.m_CellX, elem.m_CellY))
        return false;
    const size_t index = size_t(elem.m_CellY) * size_t(m_BlockColumns) + size_t(elem.m_CellX);
    return index < m_ActiveBlocks.size() && m_ActiveBlocks[index] != 0;
}
