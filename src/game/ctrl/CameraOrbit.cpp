// CameraOrbit: the camera's rotations, its smoothing step, the floor check of its line of sight
// and its pitch limit.
#include "game/ctrl/CameraOrbit.h"

#include "base/Math.h"
#include "level/Angle.h"

#include <algorithm>
#include <cmath>

namespace CameraOrbit {

namespace {

constexpr float kHalfPi = 1.5707964f;
constexpr float kFloorMargin = 50.0f;    // the line of sight keeps this much above the floor
constexpr float kSampleSpacing = 0.03125f;  // one floor sample per 32 units of horizontal length
constexpr int32_t kMaxSamples = 8;
constexpr float kPitchLeverage = 110.0f;  // the pitch limit's lever beyond the camera distance

}  // namespace

void ComputeView(float distance, float pitch, float yaw, float roll, D3DXVECTOR3& eyeOffset, D3DXVECTOR3& up)
{
    // Turned in the x-y plane: x' = x cos a + y sin a, y' = y cos a - x sin a.
    auto turnXY = [](D3DXVECTOR3& v, float a) {
        const float c = std::cos(a);
        const float s = std::sin(a);
        const float x = v.x * c + v.y * s;
        v.y = v.y * c - v.x * s;
        v.x = x;
    };
    // Turned in the x-z plane: x' = x cos a - z sin a, z' = z cos a + x sin a.
    auto turnXZ = [](D3DXVECTOR3& v, float a) {
        const float c = std::cos(a);
        const float s = std::sin(a);
        const float x = v.x * c - v.z * s;
        v.z = v.z * c + v.x * s;
        v.x = x;
    };
    eyeOffset = D3DXVECTOR3(0.0f, 0.0f, distance);
    up = D3DXVECTOR3(1.0f, 0.0f, 0.0f);
    turnXY(up, roll);
    turnXZ(eyeOffset, pitch);
    turnXY(eyeOffset, -yaw);
    turnXZ(up, pitch);
    turnXY(up, -yaw);
}

float StoredYaw(float yaw)
{
    float wrapped = Math::WrapFloat(yaw, Angle::kTwoPi);
    if (wrapped > Angle::kPi)
        wrapped -= Angle::kTwoPi;
    return wrapped;
}

float SmoothStep(float current, float target, float delta, float smoothTime, float dt, float minSpeed, float maxSpeed)
{
    const float way = std::fabs(delta);
    const float speed = std::clamp(way, minSpeed, maxSpeed);
    const float step = speed / smoothTime * dt;
    if (step <= way)
        return current + (delta < 0.0f ? -step : step);
    return target;
}

bool ClearFloorPitch(const D3DXVECTOR3& target, float distance, float pitch, float yaw, const FloorHeight& floor,
                     float& newPitch)
{
    const float ex = -distance * std::sin(pitch);
    const D3DXVECTOR3 eye(target.x + ex * std::cos(-yaw), target.y - ex * std::sin(-yaw),
                          target.z + distance * std::cos(pitch));
    const D3DXVECTOR3 d = target - eye;
    const float h = std::sqrt(d.x * d.x + d.y * d.y);
    if (!(h > 0.0f))  // looking straight down: no line to check
        return false;
    const int32_t n = std::clamp(RoundFloatToInt(h * kSampleSpacing), 1, kMaxSamples);
    float slope = -d.z / h;
    bool hit = false;
    for (int32_t i = 0; i < n; ++i) {
        const float t = float(i) / float(n);
        const float f = floor(eye.x + t * d.x, eye.y + t * d.y);
        const float c = f + kFloorMargin * (1.0f - t) * (1.0f - t);
        if (eye.z + t * d.z < c + kFloorMargin) {
            const float clearing = (c - target.z) / ((1.0f - t) * h);  // t stays below 1
            slope = std::max(slope, clearing);
            hit = true;
        }
    }
    if (!hit || !(slope > 0.0f))
        return false;
    newPitch = std::atan(1.0f / slope);
    return true;
}

float MaxPitch(float maxPitch2, float maxPitch, float halfFov, float defaultDistance, float distance)
{
    if (maxPitch2 >= kHalfPi)
        return maxPitch2;
    const float lever = kPitchLeverage + distance;
    if (!(lever > 0.0f))  // the camera inside the lever: as near as it gets
        return maxPitch;
    float pitch = std::atan((defaultDistance + kPitchLeverage) * std::tan(maxPitch2 + halfFov) / lever) - halfFov;
    if (pitch < 0.0f)
        pitch = 0.0f;
    if (pitch > maxPitch)
        pitch = maxPitch;
    return pitch;
}

}  // namespace CameraOrbit
