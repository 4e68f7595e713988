// Quaternion: rotation from axis and angle; the 2D point transform.
#include "level/Quaternion.h"

#include <cmath>

Quaternion& Quaternion::SetAxisAngle(float ax, float ay, float az, float angle)
{
    const float length = std::sqrt(ax * ax + ay * ay + az * az);
    if (!(length > 0.0f)) {
        x = y = z = 0.0f;
        w = 1.0f;
        return *this;
    }
    const float s = std::sin(angle * 0.5f);
    x = ax / length * s;
    y = ay / length * s;
    z = az / length * s;
    w = std::cos(angle * 0.5f);
    return *this;
}

D3DXVECTOR2 TransformPoint2D(const D3DXMATRIX& m, const D3DXVECTOR2& p)
{
    return {m.m[0][0] * p.x + m.m[1][0] * p.y + m.m[2][0], m.m[0][1] * p.x + m.m[1][1] * p.y + m.m[2][1]};
}
