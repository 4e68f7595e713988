// Vector: the engine's small 2-D and 3-D float vectors over the Direct3D-style ones.
#pragma once
#include "platform/D3DXMath.h"

struct Vector2 : D3DXVECTOR2 {
    using D3DXVECTOR2::D3DXVECTOR2;
    Vector2() = default;
    Vector2(const D3DXVECTOR2& v) : D3DXVECTOR2(v) {}
    Vector2 operator-(const Vector2& v) const { return Vector2(x - v.x, y - v.y); }
};

struct Vector3 : D3DXVECTOR3 {
    using D3DXVECTOR3::D3DXVECTOR3;
    Vector3() = default;
    Vector3(const D3DXVECTOR3& v) : D3DXVECTOR3(v) {}
    float Length() const { return D3DXVec3Length(this); }
    // Scales by 1 / length; a zero vector stays zero instead of turning into NaN.
    // out = this x (x, y, z).
    Vector3& Cross(float x, float y, float z, Vector3& out) const
    {
        const float cx = this->y * z - this->z * y, cy = this->z * x - this->x * z, cz = this->x * y - this->y * x;
        out = Vector3(cx, cy, cz);
        return out;
    }
    Vector3& Normalize()
    {
        float len = Length();
        if (len != 0.0f)
            *this *= 1.0f / len;
        return *this;
    }
};
