// Quaternion: rotation from axis and angle against the rotation it stands for; the 2D point
// transform by the first three matrix rows.
#include "level/Quaternion.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(QuaternionTest, AxisAngle)
{
    Quaternion q;
    q.SetAxisAngle(0.0f, 0.0f, 2.0f, 1.0f);  // the axis need not be a unit vector
    EXPECT_NEAR(q.x, 0.0f, 1e-7f);
    EXPECT_NEAR(q.z, std::sin(0.5f), 1e-6f);
    EXPECT_NEAR(q.w, std::cos(0.5f), 1e-6f);

    // It turns (1, 0, 0) by the angle around z, as the Direct3D rotation matrix does.
    D3DXMATRIX m;
    D3DXMatrixRotationQuaternion(&m, &q);
    D3DXVECTOR3 v(1.0f, 0.0f, 0.0f);
    D3DXVec3TransformCoord(&v, &v, &m);
    EXPECT_NEAR(v.x, std::cos(1.0f), 1e-6f);
    EXPECT_NEAR(v.y, std::sin(1.0f), 1e-6f);

    q.SetAxisAngle(0.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_EQ(q, Quaternion(0.0f, 0.0f, 0.0f, 1.0f));
}

TEST(QuaternionTest, TransformPoint2DUsesTheFirstThreeRows)
{
    const D3DXMATRIX m(1, 2, 90, 90, 3, 4, 90, 90, 5, 6, 90, 90, 90, 90, 90, 90);
    const D3DXVECTOR2 p = TransformPoint2D(m, D3DXVECTOR2(10.0f, 100.0f));
    EXPECT_EQ(p.x, 1 * 10 + 3 * 100 + 5);
    EXPECT_EQ(p.y, 2 * 10 + 4 * 100 + 6);
}
