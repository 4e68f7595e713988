// D3DXMathTest: the Direct3D-style math against an independent oracle and hand-computed values.
#include "platform/D3DXMath.h"
#include "platform/Vector.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/D3DXMathGolden.inc"

namespace {

constexpr float kTol = 2e-5f;

D3DXMATRIX FromArray(const float* a)
{
    D3DXMATRIX m;
    for (int i = 0; i < 16; i++)
        m.m[i / 4][i % 4] = a[i];
    return m;
}

void ExpectMatrix(const D3DXMATRIX& m, const float* expected, float tol = kTol)
{
    for (int i = 0; i < 16; i++)
        EXPECT_NEAR(m.m[i / 4][i % 4], expected[i], tol) << "element " << i;
}

void ExpectMatrix(const D3DXMATRIX& m, const D3DXMATRIX& e, float tol = kTol)
{
    ExpectMatrix(m, &e.m[0][0], tol);
}

void ExpectQuat(const D3DXQUATERNION& q, const float* e, float tol = kTol)
{
    EXPECT_NEAR(q.x, e[0], tol);
    EXPECT_NEAR(q.y, e[1], tol);
    EXPECT_NEAR(q.z, e[2], tol);
    EXPECT_NEAR(q.w, e[3], tol);
}

D3DXQUATERNION Q(const float* a)
{
    return D3DXQUATERNION(a[0], a[1], a[2], a[3]);
}

TEST(D3DXMath, RotationAxisMatchesOracleAndNormalisesAxis)
{
    for (const AxisCase& c : kAxisCases) {
        D3DXVECTOR3 axis(c.axis[0], c.axis[1], c.axis[2]);
        D3DXMATRIX m;
        D3DXMatrixRotationAxis(&m, &axis, c.angle);
        ExpectMatrix(m, c.m);
        // the quaternion of the same turn gives the same matrix
        D3DXQUATERNION q;
        D3DXQuaternionRotationAxis(&q, &axis, c.angle);
        EXPECT_NEAR(D3DXQuaternionLength(&q), 1.0f, kTol);
        D3DXMATRIX mq;
        D3DXMatrixRotationQuaternion(&mq, &q);
        ExpectMatrix(mq, c.m);
    }
}

TEST(D3DXMath, RowVectorConvention)
{
    // a quarter turn about +z carries +x to +y; translation sits in the fourth row
    D3DXMATRIX r, t, rt;
    D3DXMatrixRotationZ(&r, D3DX_PI / 2);
    D3DXMatrixTranslation(&t, 10, 0, 0);
    D3DXMatrixMultiply(&rt, &r, &t);  // rotate first, then move
    D3DXVECTOR3 p(1, 0, 0), out;
    D3DXVec3TransformCoord(&out, &p, &rt);
    EXPECT_NEAR(out.x, 10.0f, kTol);
    EXPECT_NEAR(out.y, 1.0f, kTol);
    EXPECT_NEAR(out.z, 0.0f, kTol);
    D3DXVECTOR3 axes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    D3DXMATRIX fixed[3];
    D3DXMatrixRotationX(&fixed[0], 0.4f);
    D3DXMatrixRotationY(&fixed[1], 0.4f);
    D3DXMatrixRotationZ(&fixed[2], 0.4f);
    for (int i = 0; i < 3; i++) {
        D3DXMATRIX m;
        D3DXMatrixRotationAxis(&m, &axes[i], 0.4f);
        ExpectMatrix(fixed[i], m);
    }
}

TEST(D3DXMath, RotationQuaternion)
{
    for (const QuatMatrixCase& c : kQuatMatrixCases) {
        D3DXQUATERNION q = Q(c.q);
        D3DXMATRIX m;
        D3DXMatrixRotationQuaternion(&m, &q);
        ExpectMatrix(m, c.m);
    }
    // not normalised: (0, 0, 1, 1) is taken as it stands, so the matrix scales
    D3DXQUATERNION q(0, 0, 1, 1);
    D3DXMATRIX m;
    D3DXMatrixRotationQuaternion(&m, &q);
    const float expected[16] = {-1, 2, 0, 0, -2, -1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    ExpectMatrix(m, expected);
}

TEST(D3DXMath, QuaternionMultiplyAppliesFirstArgumentFirst)
{
    for (const QuatProductCase& c : kQuatProductCases) {
        D3DXQUATERNION a = Q(c.a), b = Q(c.b), ab;
        D3DXQuaternionMultiply(&ab, &a, &b);
        ExpectQuat(ab, c.ab);
        D3DXMATRIX ma, mb, mab, expected;
        D3DXMatrixRotationQuaternion(&ma, &a);
        D3DXMatrixRotationQuaternion(&mb, &b);
        D3DXMatrixRotationQuaternion(&mab, &ab);
        D3DXMatrixMultiply(&expected, &ma, &mb);
        ExpectMatrix(mab, expected);
    }
    // aliasing the output with an input
    D3DXQUATERNION a = Q(kQuatProductCases[0].a), b = Q(kQuatProductCases[0].b);
    D3DXQuaternionMultiply(&a, &a, &b);
    ExpectQuat(a, kQuatProductCases[0].ab);
}

TEST(D3DXMath, QuaternionInverseAndNormalize)
{
    D3DXQUATERNION q(1, 2, 3, 4), inv, prod;
    D3DXQuaternionInverse(&inv, &q);
    D3DXQuaternionMultiply(&prod, &q, &inv);
    const float identity[4] = {0, 0, 0, 1};
    ExpectQuat(prod, identity);
    D3DXQUATERNION n;
    D3DXQuaternionNormalize(&n, &q);
    const float expected[4] = {1 / std::sqrt(30.0f), 2 / std::sqrt(30.0f), 3 / std::sqrt(30.0f),
                               4 / std::sqrt(30.0f)};
    ExpectQuat(n, expected);
    D3DXQUATERNION zero(0, 0, 0, 0);
    D3DXQuaternionNormalize(&n, &zero);
    D3DXQuaternionInverse(&inv, &zero);
    const float zeros[4] = {0, 0, 0, 0};
    ExpectQuat(n, zeros, 0);
    ExpectQuat(inv, zeros, 0);
}

TEST(D3DXMath, SlerpOracleFallbackAndSignFlip)
{
    for (const SlerpCase& c : kSlerpCases) {
        D3DXQUATERNION a = Q(c.a), b = Q(c.b), r;
        D3DXQuaternionSlerp(&r, &a, &b, c.t);
        ExpectQuat(r, c.r, 1e-4f);
    }
    // within 0.001 of each other: plain linear blend, not renormalised
    D3DXQUATERNION a(0, 0, 0, 1), b(0.04f, 0, 0, 0.9992f), r;
    ASSERT_LE(1.0f - D3DXQuaternionDot(&a, &b), 0.001f);
    D3DXQuaternionSlerp(&r, &a, &b, 0.5f);
    const float lin[4] = {0.02f, 0, 0, 0.9996f};
    ExpectQuat(r, lin, 1e-6f);
    // opposite signs: b is taken as -b, so the turn from q to -q is no turn at all
    D3DXQUATERNION q(0.5f, 0.5f, 0.5f, 0.5f), nq(-0.5f, -0.5f, -0.5f, -0.5f);
    D3DXQuaternionSlerp(&r, &q, &nq, 0.3f);
    const float same[4] = {0.5f, 0.5f, 0.5f, 0.5f};
    ExpectQuat(r, same);
    // negative dot product, far apart: the result lies on the short arc towards -b
    D3DXVECTOR3 z(0, 0, 1);
    D3DXQUATERNION q0, q90;
    D3DXQuaternionIdentity(&q0);
    D3DXQuaternionRotationAxis(&q90, &z, D3DX_PI / 2);
    D3DXQUATERNION q90neg = -q90;
    D3DXQuaternionSlerp(&r, &q0, &q90neg, 0.5f);
    const float q45[4] = {0, 0, std::sin(D3DX_PI / 8), std::cos(D3DX_PI / 8)};
    ExpectQuat(r, q45);
}

TEST(D3DXMath, ToAxisAngle)
{
    struct Case {
        D3DXQUATERNION q;
        D3DXVECTOR3 axis;
        float angle;
    } cases[] = {
        {{0, 0, 0, 1}, {0, 0, 0}, 0.0f},
        {{0, 0, 0, 0}, {0, 0, 0}, D3DX_PI},  // null quaternion
        {{0, 0, std::sin(D3DX_PI / 4), std::cos(D3DX_PI / 4)}, {0, 0, std::sin(D3DX_PI / 4)}, D3DX_PI / 2},
        {{0, 2, 0, 0}, {0, 2, 0}, D3DX_PI},        // vector part kept as it stands
        {{0, 0, 0, 1.0000001f}, {0, 0, 0}, 0.0f},  // rounding above 1 gives no NaN
    };
    for (const Case& c : cases) {
        D3DXVECTOR3 axis;
        float angle = -1;
        D3DXQuaternionToAxisAngle(&c.q, &axis, &angle);
        EXPECT_EQ(axis, c.axis);
        EXPECT_NEAR(angle, c.angle, kTol);
    }
}

TEST(D3DXMath, InverseWithDeterminant)
{
    for (const InverseCase& c : kInverseCases) {
        D3DXMATRIX m = FromArray(c.m), inv;
        float det = 0;
        ASSERT_EQ(D3DXMatrixInverse(&inv, &det, &m), &inv);
        ExpectMatrix(inv, c.inv, 1e-3f);
        EXPECT_NEAR(det, c.det, std::fabs(c.det) * 1e-5f);
        EXPECT_NEAR(D3DXMatrixDeterminant(&m), c.det, std::fabs(c.det) * 1e-5f);
    }
    // singular: null, output and determinant untouched
    D3DXMATRIX singular(1, 2, 3, 4, 2, 4, 6, 8, 0, 0, 1, 0, 0, 0, 0, 1), out;
    D3DXMatrixTranslation(&out, 7, 8, 9);
    D3DXMATRIX before = out;
    float det = 42;
    EXPECT_EQ(D3DXMatrixInverse(&out, &det, &singular), nullptr);
    EXPECT_EQ(out, before);
    EXPECT_EQ(det, 42);
    // in place
    D3DXMATRIX m = FromArray(kInverseCases[0].m);
    D3DXMatrixInverse(&m, nullptr, &m);
    ExpectMatrix(m, kInverseCases[0].inv, 1e-3f);
}

TEST(D3DXMath, TransformCoordDividesByW)
{
    for (const CoordCase& c : kCoordCases) {
        D3DXVECTOR3 p(c.p[0], c.p[1], c.p[2]), r;
        D3DXMATRIX m = FromArray(c.m);
        D3DXVec3TransformCoord(&r, &p, &m);
        EXPECT_NEAR(r.x, c.r[0], 1e-4f);
        EXPECT_NEAR(r.y, c.r[1], 1e-4f);
        EXPECT_NEAR(r.z, c.r[2], 1e-4f);
        D3DXVECTOR4 v(c.p[0], c.p[1], c.p[2], 1), h;
        D3DXVec4Transform(&h, &v, &m);
        EXPECT_NEAR(h.x / h.w, c.r[0], 1e-4f);
    }
}

TEST(D3DXMath, ReflectAndTranspose)
{
    for (const ReflectCase& c : kReflectCases) {
        D3DXPLANE p(c.plane[0], c.plane[1], c.plane[2], c.plane[3]);
        D3DXMATRIX m;
        D3DXMatrixReflect(&m, &p);
        ExpectMatrix(m, c.m);
    }
    D3DXMATRIX m = FromArray(kInverseCases[1].m), t;
    D3DXMatrixTranspose(&t, &m);
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++)
            EXPECT_EQ(t.m[i][j], m.m[j][i]);
}

TEST(D3DXMath, SmallVectors)
{
    Vector2 d = Vector2(5, 3) - Vector2(1, 4);
    EXPECT_EQ(d.x, 4);
    EXPECT_EQ(d.y, -1);
    Vector3 v(3, 0, 4);
    v.Normalize();
    EXPECT_NEAR(v.x, 0.6f, 1e-6f);
    EXPECT_NEAR(v.z, 0.8f, 1e-6f);
    Vector3 zero(0, 0, 0);
    zero.Normalize();
    EXPECT_EQ(zero, D3DXVECTOR3(0, 0, 0));
    D3DXVECTOR3 a(1, 0, 0), b(0, 1, 0), c;
    D3DXVec3Cross(&c, &a, &b);
    EXPECT_EQ(c, D3DXVECTOR3(0, 0, 1));
}

}  // namespace
