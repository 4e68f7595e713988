// Quaternion: the engine's rotation quaternion (x, y, z, w) over the Direct3D-style one, and the
// 2D transform of a point by a 4 x 4 matrix that goes with it.
#pragma once
#include "platform/D3DXMath.h"

struct Quaternion : D3DXQUATERNION {
    using D3DXQUATERNION::D3DXQUATERNION;
    Quaternion() = default;

    // The rotation by angle around the axis (x, y, z); a zero axis gives the identity.
    Quaternion& SetAxisAngle(float x, float y, float z, float angle);
};

// (x, y, 1) against the first three rows of m: x' = m11 x + m21 y + m31, y' = m12 x + m22 y + m32.
D3DXVECTOR2 TransformPoint2D(const D3DXMATRIX& m, const D3DXVECTOR2& p);
