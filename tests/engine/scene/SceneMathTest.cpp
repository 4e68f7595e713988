// SceneMathTest: the scene graph's own rotation conversions, tolerances and easing.
#include "engine/scene/SceneMath.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float kTol = 2e-5f;

D3DXQUATERNION AxisAngle(float x, float y, float z, float angle)
{
    D3DXVECTOR3 axis(x, y, z);
    D3DXQUATERNION q;
    D3DXQuaternionRotationAxis(&q, &axis, angle);
    return q;
}

void ExpectMatrixNear(const D3DXMATRIX& a, const D3DXMATRIX& b, float tol = 1e-5f)
{
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++)
            EXPECT_NEAR(a.m[i][j], b.m[i][j], tol) << i << "," << j;
}

TEST(SceneMath, MatrixToQuaternionRoundTripsEveryBranch)
{
    const D3DXQUATERNION cases[] = {
        AxisAngle(0, 0, 1, 0.5f),         // trace branch
        AxisAngle(1, 0, 0, D3DX_PI),      // m11 largest
        AxisAngle(0, 1, 0, D3DX_PI),      // m22 largest
        AxisAngle(0, 0, 1, D3DX_PI),      // m33 largest
        AxisAngle(1, 2, -3, 2.9f),        // near a half turn, mixed axis
        AxisAngle(-0.2f, 1, 0.1f, 3.1f),  // m22 branch with off-diagonal terms
    };
    for (const D3DXQUATERNION& q : cases) {
        D3DXMATRIX m, back;
        D3DXMatrixRotationQuaternion(&m, &q);
        D3DXQUATERNION r = MatrixToQuaternion(m);
        // same turn, either sign; near a half turn float rounding is amplified by the small divisor
        EXPECT_NEAR(std::fabs(D3DXQuaternionDot(&r, &q)), 1.0f, 2e-4f);
        D3DXMatrixRotationQuaternion(&back, &r);
        ExpectMatrixNear(back, m, 5e-4f);
    }
    // the trace branch answers the negated form
    D3DXQUATERNION q = AxisAngle(0, 0, 1, 0.5f);
    D3DXMATRIX m;
    D3DXMatrixRotationQuaternion(&m, &q);
    D3DXQUATERNION r = MatrixToQuaternion(m);
    EXPECT_NEAR(r.z, -q.z, kTol);
    EXPECT_NEAR(r.w, -q.w, kTol);
    D3DXMATRIX id;
    D3DXMatrixIdentity(&id);
    EXPECT_EQ(MatrixToQuaternion(id), D3DXQUATERNION(0, 0, 0, -1));
}

TEST(SceneMath, AxisAngleConversions)
{
    D3DXVECTOR3 axis;
    float angle = -1;
    // the identity's negated form: a zero axis, angle 0 (not 2 pi)
    QuaternionToAxisAngleNorm(D3DXQUATERNION(0, 0, 0, -1), &axis, &angle);
    EXPECT_EQ(axis, D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(angle, 0.0f);
    // unnormalised input, unit axis out
    QuaternionToAxisAngleNorm(D3DXQUATERNION(0, 0, 2 * std::sin(0.3f), 2 * std::cos(0.3f)), &axis, &angle);
    EXPECT_NEAR(axis.z, 1.0f, kTol);
    EXPECT_NEAR(angle, 0.6f, kTol);
    // Safe: no vector part gives +z and 0; otherwise the plain conversion with its unnormalised axis
    QuaternionToAxisAngleSafe(D3DXQUATERNION(0, 0, 0, 5), &axis, &angle);
    EXPECT_EQ(axis, D3DXVECTOR3(0, 0, 1));
    EXPECT_EQ(angle, 0.0f);
    QuaternionToAxisAngleSafe(AxisAngle(0, 0, 1, D3DX_PI / 2), &axis, &angle);
    EXPECT_NEAR(axis.z, std::sin(D3DX_PI / 4), kTol);
    EXPECT_NEAR(angle, D3DX_PI / 2, kTol);
}

TEST(SceneMath, EaseTime)
{
    struct Case {
        float u, a, b, expected;
    } cases[] = {
        {0.3f, 0, 0, 0.3f},
        {0.25f, 0.5f, 0.5f, 0.125f},
        {0.5f, 0.5f, 0.5f, 0.5f},
        {0.75f, 0.5f, 0.5f, 0.875f},
        {0.25f, 1, 1, 0.125f},                   // a + b above 1 is scaled down to 0.5 each
        {0.1f, 0.2f, 0, 0.01f / (1.8f * 0.2f)},  // (k / a) u^2 with k = 1 / 1.8
        {1.0f, 0.2f, 0.3f, 1.0f},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(EaseTime(c.u, c.a, c.b), c.expected, 1e-6f) << c.u << " " << c.a << " " << c.b;
}

TEST(SceneMath, ParallelAndNearZero)
{
    struct Case {
        D3DXVECTOR3 a, b;
        bool parallel;
    } cases[] = {
        {{1, 0, 0}, {-2, 0, 0}, true}, {{0, 0, 0}, {0, 0, 0}, true},     {{0, 0, 0}, {1, 0, 0}, false},
        {{1, 0, 0}, {0, 0, 0}, true},  // a length 0 product matches the 0 dot product
        {{1, 1, 0}, {2, 2, 0}, true},  {{1, 0, 0}, {1, 0.1f, 0}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VectorsParallel(c.a, c.b), c.parallel);
    EXPECT_TRUE(IsNearZero(9e-6f));
    EXPECT_TRUE(IsNearZero(-9e-6f));
    EXPECT_FALSE(IsNearZero(1e-5f));
}

TEST(SceneMath, RotationAxisBetween)
{
    D3DXQUATERNION id(0, 0, 0, 1);
    EXPECT_EQ(RotationAxisBetween(id, id), D3DXVECTOR3(0, 0, 0));
    D3DXVECTOR3 axis = RotationAxisBetween(id, AxisAngle(0, 0, 1, D3DX_PI / 2));
    EXPECT_NEAR(axis.x, 0, kTol);
    EXPECT_NEAR(axis.z, std::sin(D3DX_PI / 4), kTol);
    // from a to a followed by b: the turn b itself
    D3DXQUATERNION a = AxisAngle(1, 0, 0, 0.7f), b = AxisAngle(0, 1, 0, 0.4f), ab;
    D3DXQuaternionMultiply(&ab, &a, &b);
    axis = RotationAxisBetween(a, ab);
    EXPECT_NEAR(axis.x, 0, kTol);
    EXPECT_NEAR(axis.y, std::sin(0.2f), kTol);
    EXPECT_NEAR(axis.z, 0, kTol);
}

TEST(SceneMath, ViewportAndAxes)
{
    D3DVIEWPORT9 vp;
    vp.X = 0;
    vp.Y = 0;
    vp.Width = 640;
    vp.Height = 480;
    vp.MinZ = 0;
    vp.MaxZ = 1;
    D3DXMATRIX m = MatrixViewport(vp);
    EXPECT_EQ(m.m[0][0], 320);
    EXPECT_EQ(m.m[1][1], -240);
    EXPECT_EQ(m.m[2][2], 1);
    EXPECT_EQ(m.m[3][0], 320);
    EXPECT_EQ(m.m[3][1], 240);
    EXPECT_EQ(m.m[3][3], 1);
    EXPECT_EQ(m.m[0][3], 0);

    DXC_Matrix n;
    n.SetScaling(2, 3, 4).MultiplyRotationAxis(D3DXVECTOR3(0, 0, 1), 0.3f);
    MatrixNormalizeAxes(&n);
    for (int row = 0; row < 3; row++)
        EXPECT_NEAR(
            std::sqrt(n.m[row][0] * n.m[row][0] + n.m[row][1] * n.m[row][1] + n.m[row][2] * n.m[row][2]),
            1.0f, kTol);
}

TEST(SceneMath, MatrixWrappers)
{
    DXC_Matrix m;
    m.SetTranslation(1, 2, 3).MultiplyRotationAxis(D3DXVECTOR3(0, 1, 0), 1.1f);
    float det = 0;
    DXC_Matrix inv = m.Inverted();
    DXC_Matrix prod = m * inv;
    DXC_Matrix id;
    ExpectMatrixNear(prod, id);
    m.Invert(&det);
    EXPECT_NEAR(det, 1.0f, kTol);
    ExpectMatrixNear(m, inv);
    m.ClearTranslation();
    EXPECT_EQ(m.m[3][0], 0);
    EXPECT_EQ(DXC_Matrix().SetScaling(2).Determinant(), 8);
    EXPECT_EQ(DXC_Matrix().SetZero().Determinant(), 0);
    DXC_Matrix singular = DXC_Matrix().SetZero();
    EXPECT_EQ(singular.Inverted(), singular);
}

}  // namespace
