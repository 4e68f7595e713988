// CameraOrbit: the arithmetic of the game camera, which orbits its target point by yaw, pitch,
// distance and roll: the eye and up vector, the smoothing step toward a target value, the line of
// sight kept above the floor and the largest pitch for a distance. Angles in radians; pitch is
// measured from the vertical (0 looks straight down).
#pragma once
#include "platform/D3DXMath.h"

#include <functional>

namespace CameraOrbit {

// The eye's offset from the look-at point and the up vector of a camera.
void ComputeView(float distance, float pitch, float yaw, float roll, D3DXVECTOR3& eyeOffset, D3DXVECTOR3& up);

// The yaw as the camera keeps it: wrapped into 0..2 pi, then minus 2 pi when above pi.
float StoredYaw(float yaw);

// One smoothing step of a value toward its target: delta is the (signed) way to go; the speed
// |delta| clamped to minSpeed..maxSpeed covers the whole way in smoothTime seconds. A step past
// the target ends on it. smoothTime must be above 0.
float SmoothStep(float current, float target, float delta, float smoothTime, float dt, float minSpeed, float maxSpeed);

// The floor height at a point of the map.
using FloorHeight = std::function<float(float x, float y)>;

// The pitch that keeps the line of sight from the eye of (distance, pitch, yaw) to the target at
// least 50 units above the floor at up to eight samples (the margin shrinking toward the target);
// true with the new pitch when a sample was too low, false when the line clears or has no
// horizontal length.
bool ClearFloorPitch(const D3DXVECTOR3& target, float distance, float pitch, float yaw, const FloorHeight& floor,
                     float& newPitch);

// The largest pitch at a distance: maxPitch2 itself when it is pi/2 or more; otherwise the pitch
// at which the top of the view (halfFov above the view line) still sees what it sees at the
// default distance, within 0..maxPitch. The nearer the camera, the larger the pitch.
float MaxPitch(float maxPitch2, float maxPitch, float halfFov, float defaultDistance, float distance);

}  // namespace CameraOrbit
