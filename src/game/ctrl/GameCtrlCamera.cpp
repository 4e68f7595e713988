// GameCtrl: the orbit camera: placing it, its targets with the floor check of the line of sight,
// the pitch limit, the smoothing step, following the main character, and the level reset that
// puts the camera path back.
#include "game/ctrl/GameCtrl.h"

#include "base/GameOptions.h"
#include "game/ctrl/CameraOrbit.h"
#include "level/Angle.h"

namespace {

// The speeds of the smoothing step (per whole way of T seconds): distance in units, angles in
// radians.
constexpr float kDistanceSpeed[2] = {10.0f, 200.0f};
constexpr float kYawSpeed[2] = {0.07f, 3.14159f};
constexpr float kPitchSpeed[2] = {0.07f, 1.0f};

}  // namespace

void GameCtrl::SetCamera(float x, float y, float z, float distance, float pitch, float yaw, float height, float roll)
{
    m_CameraTargetPoint = D3DXVECTOR3(x, y, z);
    m_CameraYaw[0] = CameraOrbit::StoredYaw(yaw);
    m_CameraPitch[0] = pitch;
    m_CameraDistance[0] = distance;
    m_CameraRoll = roll;
    D3DXVECTOR3 offset;
    CameraOrbit::ComputeView(distance, pitch, yaw, roll, offset, m_CameraUp);
    if (height < 0.0f)
        height = m_CameraHeightOption;
    m_CameraHeight = height;
    m_CameraLookAt = D3DXVECTOR3(x, y, z + height);
    m_CameraEye = m_CameraLookAt + offset;
    m_World.SetCameraDistance(distance);
    m_World.SetCamera(m_CameraEye.x, m_CameraEye.y, m_CameraEye.z, m_CameraLookAt.x, m_CameraLookAt.y,
                      m_CameraLookAt.z, m_CameraUp.x, m_CameraUp.y, m_CameraUp.z);
}

void GameCtrl::SetCameraTarget(float x, float y, float z, float distance, float pitch, float yaw)
{
    m_CameraYaw[1] = yaw;
    m_CameraPitch[1] = pitch;
    m_CameraDistance[1] = distance;
    m_CameraTargetPoint = D3DXVECTOR3(x, y, z);
    if (!m_CameraFloorCheck)
        return;
    float clearing = pitch;
    if (CameraOrbit::ClearFloorPitch(m_CameraTargetPoint, distance, pitch, yaw,
                                     [this](float fx, float fy) { return m_World.GetFloorHeight(fx, fy); }, clearing))
        m_CameraPitch[1] = clearing;
}

float GameCtrl::GetMaxPitch()
{
    return CameraOrbit::MaxPitch(g_Options.maxPitch2, g_Options.maxPitch, g_Options.fieldOfView * 0.5f,
                                 g_Options.maxCamHeight, m_CameraDistance[0]);
}

void GameCtrl::SnapCameraToTarget()
{
    if (IsCameraPathPlaying())
        return;
    m_CameraYaw[0] = m_CameraYaw[1];
    m_CameraPitch[0] = m_CameraPitch[1];
    m_CameraDistance[0] = m_CameraDistance[1];
    m_CameraRoll = 0.0f;
}

void GameCtrl::UpdateCamera(float dt)
{
    if (IsCameraPathPlaying())
        PlayCameraPath();
    else
        UpdateCameraSmooth(dt);
}

void GameCtrl::UpdateCameraSmooth(float dt)
{
    float distance = m_CameraDistance[1];
    float yaw = m_CameraYaw[1];
    float pitch = m_CameraPitch[1];
    if (m_CameraSmoothTime != 0.0f) {  // 0: straight to the targets, no division
        const float t = m_CameraSmoothTime;
        distance = CameraOrbit::SmoothStep(m_CameraDistance[0], m_CameraDistance[1],
                                           m_CameraDistance[1] - m_CameraDistance[0], t, dt, kDistanceSpeed[0],
                                           kDistanceSpeed[1]);
        yaw = CameraOrbit::SmoothStep(m_CameraYaw[0], m_CameraYaw[1], Angle::Diff(m_CameraYaw[0], m_CameraYaw[1]), t,
                                      dt, kYawSpeed[0], kYawSpeed[1]);
        pitch = CameraOrbit::SmoothStep(m_CameraPitch[0], m_CameraPitch[1], Angle::Diff(m_CameraPitch[0], m_CameraPitch[1]),
                                        t, dt, kPitchSpeed[0], kPitchSpeed[1]);
    }
    const float height = m_CameraHeightOptionEnabled ? m_CameraHeightOption : -1.0f;
    SetCamera(m_CameraTargetPoint.x, m_CameraTargetPoint.y, m_CameraTargetPoint.z, distance, pitch, yaw, height,
              0.0f);
}

void GameCtrl::CameraFollowMainChar()
{
    CreatureObj* hero = GetMainChar();
    if (!hero)
        return;
    m_CameraYaw[1] = m_CameraYaw[0] = hero->GetAngle();
    m_CameraPitch[0] = m_CameraPitch[1];
    UpdateCamera(0.0f);
}

void GameCtrl::SetCameraHeightOption(float height, bool enabled)
{
    m_CameraHeightOption = height;
    m_CameraHeightOptionEnabled = enabled ? 1 : 0;
}

D3DXVECTOR3 GameCtrl::GetCameraTargetAndHeight() const
{
    return D3DXVECTOR3(m_CameraTargetPoint.x, m_CameraTargetPoint.y, m_CameraHeight);
}
