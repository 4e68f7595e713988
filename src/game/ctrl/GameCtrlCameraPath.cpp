// GameCtrl: the scripted camera path: keys added at game time plus a delay, the reset, and the
// camera the path gives at the game time. Path positions are relative to the reference element
// (its ground position; heights stay as the keys hold them) when one is set.
#include "game/ctrl/GameCtrl.h"

#include "level/Angle.h"
#include "world/WorldElem.h"

#include <cmath>

void GameCtrl::AddCameraPathKey(float delay, float x, float y, float z, float yaw, float pitch, float distance,
                                float roll)
{
    m_CameraChanged = 1;
    const float keyTime = float(m_GameTime) + delay;
    if (delay <= 0.0f)
        HoldFrames(1);  // the new camera is in place before the next drawn frame
    WorldElem* reference = m_CameraReference.Get();
    int32_t index = 0;
    if (m_CameraPath.GetNumKeys() > 0 || delay <= 0.0f) {
        index = m_CameraPath.GetNumKeys();
        m_CameraPath.Resize(index + 1);
    } else {
        // The path starts from the camera as it is now.
        m_CameraPath.Resize(2);
        CameraPathKey start;
        start.time = float(m_GameTime);
        start.position = m_CameraTargetPoint;
        start.position.z += m_CameraHeight;
        if (reference) {
            const D3DXVECTOR2 origin = reference->GetPos();
            start.position.x -= origin.x;
            start.position.y -= origin.y;
        }
        start.yaw = std::fmod(m_CameraYaw[0], Angle::kTwoPi);
        if (start.yaw < 0.0f)
            start.yaw += Angle::kTwoPi;
        start.pitch = m_CameraPitch[0];
        start.distance = m_CameraDistance[0];
        start.roll = m_CameraRoll;
        m_CameraPath.SetKey(0, start);
        index = 1;
    }
    CameraPathKey key;
    key.time = keyTime;
    key.position = D3DXVECTOR3(x, y, z + (reference ? reference->GetHeight() : m_World.GetFloorHeight(x, y)));
    // The path turns the short way from the previous key.
    key.yaw = index > 0 ? m_CameraPath.GetKey(index - 1).yaw + Angle::Diff(m_CameraPath.GetKey(index - 1).yaw, yaw)
                        : yaw;
    key.pitch = pitch;
    key.distance = distance;
    key.roll = roll;
    m_CameraPath.SetKey(index, key);
}

void GameCtrl::ResetCameraPath(int32_t mode)
{
    m_CameraChanged = 1;
    m_CameraPath.Clear();
    m_CameraReference.Release();
    m_CameraPathMode = mode;
}

void GameCtrl::PlayCameraPath()
{
    CameraPathKey camera = m_CameraPath.Evaluate(m_GameTime);
    if (WorldElem* reference = m_CameraReference.Get()) {
        const D3DXVECTOR2 origin = reference->GetPos();
        camera.position.x += origin.x;
        camera.position.y += origin.y;
    }
    camera.position.z -= m_CameraHeightOption;
    SetCamera(camera.position.x, camera.position.y, camera.position.z, camera.distance, camera.pitch, camera.yaw,
              m_CameraHeightOption, camera.roll);
}
