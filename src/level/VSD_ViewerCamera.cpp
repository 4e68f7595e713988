// VSD_Viewer: the camera of the level. SetCamera shakes the requested camera by the earthquakes
// near its target, pans it and turns it by the recoil effects, hands it to the graphics object and
// places the floor window from where the viewport's corner rays meet the floor; the camera step
// ages the effects each frame.
#include "level/VSD_Viewer.h"

#include "engine/gfx/DXC_Gfx.h"

#include <cmath>

namespace {

constexpr float kQuakeReach = 100.0f;        // beyond the view circle an earthquake still shakes
constexpr float kQuakeScale = 10.0f;
constexpr float kQuakeFadeTime = 0.3f;       // seconds before its end an earthquake fades out
constexpr float kQuakeFadeRate = 3.3333333f;
constexpr float kRecoilEyeMove = 400.0f;
constexpr float kViewDistanceMargin = 64.0f;
constexpr float kFarDistanceMargin = 100.0f;
constexpr int32_t kLargestCell = 1 << 30;

bool IsFinite(const D3DXVECTOR3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// Where the ray from origin along direction meets the floor plane z = 0. A ray parallel to the
// plane, pointing away from it or not finite meets it nowhere.
bool GroundPoint(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction, D3DXVECTOR3& out)
{
    if (!IsFinite(origin) || !IsFinite(direction) || direction.z == 0.0f)
        return false;
    const float t = -origin.z / direction.z;
    if (!(t >= 0.0f))
        return false;
    const D3DXVECTOR3 point(origin.x + direction.x * t, origin.y + direction.y * t, 0.0f);
    if (!IsFinite(point))
        return false;
    out = point;
    return true;
}

// The unit vector of (x, y); false when it has no direction.
bool Unit2D(float x, float y, D3DXVECTOR2& out)
{
    const float length = std::sqrt(x * x + y * y);
    if (!(length > 0.0f) || !std::isfinite(length))
        return false;
    out = D3DXVECTOR2(x / length, y / length);
    return true;
}

// v turned about axis by angle; a zero axis turns nothing.
D3DXVECTOR3 Turn(const D3DXVECTOR3& v, const D3DXVECTOR3& axis, float angle)
{
    if (!(D3DXVec3Length(&axis) > 0.0f))
        return v;
    D3DXMATRIX rotation;
    D3DXMatrixRotationAxis(&rotation, &axis, angle);
    D3DXVECTOR3 out;
    D3DXVec3TransformNormal(&out, &v, &rotation);
    return out;
}

// The cell of a coordinate, kept within reach of any map.
int32_t CellOf(float coordinate, float cell)
{
    if (!(cell > 0.0f))
        return 0;
    const float c = std::trunc(coordinate / cell);
    if (!(c > -float(kLargestCell)))
        return -kLargestCell;
    return c < float(kLargestCell) ? int32_t(c) : kLargestCell;
}

}  // namespace

int32_t VSD_Viewer::SetCamera(float eyeX, float eyeY, float eyeZ, float targetX, float targetY, float targetZ,
                              float upX, float upY, float upZ)
{
    D3DXVECTOR3 up(upX, upY, upZ);
    D3DXVec3Normalize(&up, &up);
    m_RequestedEye = D3DXVECTOR3(eyeX, eyeY, eyeZ);
    m_RequestedTarget = D3DXVECTOR3(targetX, targetY, targetZ);
    m_RequestedUp = up;
    m_CameraEye = m_RequestedEye;
    m_CameraTarget = m_RequestedTarget;
    m_CameraUp = up;

    // Earthquakes shake eye and target alike, the more the nearer the target is to their centre.
    D3DXVECTOR3 offset(0.0f, 0.0f, 0.0f);
    const float reach = m_ViewRadius + kQuakeReach;
    for (int32_t slot = m_EarthQuakes.NextUsedSlot(-1); slot >= 0; slot = m_EarthQuakes.NextUsedSlot(slot)) {
        const EarthQuakeEntry* q = m_EarthQuakes.GetBySlot(slot);
        if (!q)
            continue;
        const float d = std::hypot(targetX - q->x, targetY - q->y);
        const float f = reach > 0.0f ? (reach - d) / reach : 0.0f;
        D3DXVECTOR3 shake(0.0f, 0.0f, 0.0f);
        if (f > 0.0f) {
            const float s = q->frequency * q->elapsed;
            const float p = q->phase;
            const float a = q->strength * f * kQuakeScale;
            shake = D3DXVECTOR3((std::sin(2.0f * p + 31.0f * s) + std::sin(p + 20.0f * s)) * a,
                                (std::sin(4.0f * p + 19.0f * s) + std::sin(3.0f * p + 32.0f * s)) * a,
                                (std::sin(13.0f * p + 37.0f * s) + std::sin(17.0f * p + 27.0f * s)) * a);
        }
        const float left = q->duration - q->elapsed;
        if (left < kQuakeFadeTime)
            shake *= left * kQuakeFadeRate;
        offset += shake;
    }

    if (!m_PanOff && m_Pan[0] * m_Pan[0] + m_Pan[1] * m_Pan[1] > 0.0f) {
        D3DXVECTOR3 forward = m_RequestedTarget - m_RequestedEye;
        const float distance = D3DXVec3Length(&forward);
        D3DXVec3Normalize(&forward, &forward);
        D3DXVECTOR3 right;
        D3DXVec3Cross(&right, &forward, &up);
        offset -= right * (std::tan(m_FieldOfView[1] * 0.5f) * m_Pan[0] * distance);
        offset -= up * (std::tan(m_FieldOfView[0] * 0.5f) * m_Pan[1] * distance);
    }
    m_CameraEye += offset;
    m_CameraTarget += offset;

    for (int32_t slot = m_RecoilEffects.NextUsedSlot(-1); slot >= 0; slot = m_RecoilEffects.NextUsedSlot(slot)) {
        const RecoilEffectEntry* r = m_RecoilEffects.GetBySlot(slot);
        if (!r || !(r->elapsed >= 0.0f && r->elapsed <= r->duration))
            continue;
        const float time = r->duration > 0.0f ? r->elapsed / r->duration : 1.0f;  // no length: at its end
        const float v = float(m_RecoilCurve.Evaluate(time));
        D3DXVECTOR3 d = m_CameraTarget - m_CameraEye;
        D3DXVECTOR3 turnedUp = Turn(m_CameraUp, d, v * r->strength);
        D3DXVECTOR3 side;
        D3DXVec3Cross(&side, &d, &turnedUp);
        const float length = D3DXVec3Length(&d);
        const D3DXVECTOR3 flat = length > 0.0f ? D3DXVECTOR3(d.x / length, d.y / length, 0.0f) : D3DXVECTOR3();
        d = Turn(d, side, v * r->swing);
        turnedUp = Turn(turnedUp, side, v * r->swing);
        m_CameraEye -= flat * (kRecoilEyeMove * std::sin(v * r->swing));
        m_CameraTarget = m_CameraEye + d;
        m_CameraUp = turnedUp;
    }

    m_ViewDir = m_CameraTarget - m_CameraEye;
    D3DXVec3Normalize(&m_ViewDir, &m_ViewDir);
    if (m_Gfx) {
        if (m_Gfx->HasDevice())
            m_Gfx->SetCameraLookAt(m_CameraEye, m_CameraTarget, m_CameraUp);
        m_Gfx->UpdateWorldViewProjection();
    }

    // The visible ground: where the rays through the viewport's corners meet the floor. Without a
    // viewport (the server's graphics object has none) no ray meets it and the old points stay.
    bool cornersMet = m_Gfx != nullptr;
    D3DXVECTOR3 corners[4];
    D3DXVECTOR3 upperMiddle;
    if (m_Gfx) {
        int32_t rect[4];
        m_Gfx->GetViewportRect(rect);
        const float screen[4][2] = {{float(rect[0]), float(rect[3])},
                                    {float(rect[2]), float(rect[3])},
                                    {float(rect[2]), float(rect[1])},
                                    {float(rect[0]), float(rect[1])}};
        for (int32_t i = 0; i < 4; i++) {
            D3DXVECTOR3 direction;
            m_Gfx->GetPickRayDir(direction, screen[i][0], screen[i][1]);
            cornersMet = GroundPoint(m_CameraEye, direction, corners[i]) && cornersMet;
        }
        m_Gfx->GetPickRayDir(upperMiddle, (float(rect[0]) + float(rect[2])) * 0.5f, float(rect[1]));
        if (cornersMet)
            for (int32_t i = 0; i < 4; i++)
                m_GroundCorners[i] = corners[i];
    }

    // The floor window: the lower edge of the visible ground, widened and pulled back, with the
    // view circle fitted in front of it. A camera whose rays give no ground centres it on the target.
    const float c = m_CellWidthF;
    const float radius = m_ViewRadius;
    D3DXVECTOR2 b, g;
    bool placed = cornersMet && Unit2D(corners[1].x - corners[0].x, corners[1].y - corners[0].y, b) &&
                  Unit2D(upperMiddle.x, upperMiddle.y, g);
    D3DXVECTOR2 centre;
    if (placed) {
        const D3DXVECTOR2 lowerLeft(corners[0].x, corners[0].y);
        const D3DXVECTOR2 lowerRight(corners[1].x, corners[1].y);
        const D3DXVECTOR2 a = lowerLeft - b * (2.0f * c) - g * (3.0f * c);
        const D3DXVECTOR2 z = lowerRight + b * (2.0f * c) - g * (3.0f * c);
        const float w = std::hypot(z.x - a.x, z.y - a.y) * 0.5f;
        D3DXVECTOR3 ahead;
        if (2.0f * w * w <= radius * radius)
            centre = a + b * w + g * std::sqrt(radius * radius - w * w);
        else if (GroundPoint(m_CameraEye, m_ViewDir, ahead))
            centre = D3DXVECTOR2(ahead.x, ahead.y);
        else
            placed = false;
    }
    if (placed) {
        centre = centre - g * c;
        const D3DXVECTOR3 farEdge(centre.x + g.x * radius, centre.y + g.y * radius, 0.0f);
        const D3DXVECTOR3 toEdge = farEdge - m_CameraEye;
        m_ViewDistance = D3DXVec3Length(&toEdge) - kViewDistanceMargin;
        m_ViewDistanceScaled = m_ViewDistance * m_RenderFactors[0];
    }
    if (!placed || m_WindowFollowsTarget)
        centre = D3DXVECTOR2(m_CameraTarget.x, m_CameraTarget.y);
    if (!std::isfinite(centre.x) || !std::isfinite(centre.y))
        centre = D3DXVECTOR2(0.0f, 0.0f);  // a target of no number leaves no window to place
    m_FloorWindowCentreX = centre.x;
    m_FloorWindowCentreY = centre.y;
    m_FloorWindowCentreCell[0] = CellOf(centre.x, m_CellWidthF);
    m_FloorWindowCentreCell[1] = CellOf(centre.y, m_CellHeightF);
    m_FloorWindowX = m_FloorWindowCentreCell[0] - m_ViewFloorCentre[0];
    m_FloorWindowY = m_FloorWindowCentreCell[1] - m_ViewFloorCentre[1];

    const float across = float(m_FloorSize[0]) * c;
    m_FarDistance = std::sqrt(across * across + m_CameraDistance * m_CameraDistance) + kFarDistanceMargin;
    return 1;
}

void VSD_Viewer::UpdateCameraEffects(float dt)
{
    for (int32_t slot = m_EarthQuakes.NextUsedSlot(-1); slot >= 0; slot = m_EarthQuakes.NextUsedSlot(slot)) {
        EarthQuakeEntry* q = m_EarthQuakes.GetBySlot(slot);
        if (!q)
            continue;
        q->elapsed += dt;
        if (q->duration < q->elapsed)
            m_EarthQuakes.Delete(slot);
    }
    for (int32_t slot = m_RecoilEffects.NextUsedSlot(-1); slot >= 0; slot = m_RecoilEffects.NextUsedSlot(slot)) {
        RecoilEffectEntry* r = m_RecoilEffects.GetBySlot(slot);
        if (!r)
            continue;
        if (!(r->elapsed >= 0.0f) || r->elapsed > r->duration)  // a recoil ends one frame after its time
            m_RecoilEffects.Delete(slot);
        else
            r->elapsed += dt;
    }
    UpdateFollowPoint(dt);
}
