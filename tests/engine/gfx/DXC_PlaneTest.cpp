// DXC_PlaneTest: plane normalisation and transformation against the math oracle, matrix sums and
// scaling, vector comparison and the rectangle clamp.
#include "engine/gfx/DXC_Plane.h"

#include <gtest/gtest.h>

#include "platform/D3DXMathGolden.inc"

TEST(DXC_Plane, NormalizeScalesAllFourByTheNormalsLength)
{
    DXC_Plane plane(0.0f, 3.0f, 4.0f, 10.0f);
    plane.Normalize();
    EXPECT_FLOAT_EQ(plane.b, 0.6f);
    EXPECT_FLOAT_EQ(plane.c, 0.8f);
    EXPECT_FLOAT_EQ(plane.d, 2.0f);
    DXC_Plane none(0.0f, 0.0f, 0.0f, 5.0f);  // no normal: nothing to scale by
    none.Normalize();
    EXPECT_EQ(none.d, 5.0f);
}

TEST(DXC_Plane, TransformIsTheInverseTranspose)
{
    for (const PlaneTransformCase& c : kPlaneTransformCases) {
        D3DXMATRIX m;
        for (int i = 0; i < 16; i++)
            m.m[i / 4][i % 4] = c.m[i];
        DXC_Plane out;
        DXC_Plane::Transform(out, DXC_Plane(c.plane[0], c.plane[1], c.plane[2], c.plane[3]), m);
        const float got[4] = {out.a, out.b, out.c, out.d};
        for (int i = 0; i < 4; i++)
            EXPECT_NEAR(got[i], c.r[i], 1e-5f) << c.plane[0] << " " << i;
    }
    DXC_Plane kept(1.0f, 2.0f, 3.0f, 4.0f);
    DXC_Plane::Transform(kept, DXC_Plane(9.0f, 9.0f, 9.0f, 9.0f), D3DXMATRIX());  // singular: out stays
    EXPECT_EQ(kept.a, 1.0f);
}

TEST(DXC_Plane, MatrixSumScaleAndVectorComparison)
{
    DXC_Matrix sum;
    D3DXMatrixIdentity(&sum);
    D3DXMATRIX translation;
    D3DXMatrixTranslation(&translation, 1.0f, 2.0f, 3.0f);
    sum.Add(translation);
    EXPECT_EQ(sum.m[0][0], 2.0f);
    EXPECT_EQ(sum.m[3][2], 3.0f);
    D3DXMATRIX scaled;
    sum.Scale(scaled, -0.5f);
    EXPECT_EQ(scaled.m[0][0], -1.0f);
    EXPECT_EQ(scaled.m[3][1], -1.0f);
    EXPECT_EQ(sum.m[0][0], 2.0f);  // the source is left alone

    const DXC_Vector3 v(1.0f, 2.0f, 3.0f);
    EXPECT_FALSE(v.Differs(D3DXVECTOR3(1.0f, 2.0f, 3.0f)));
    EXPECT_TRUE(v.Differs(D3DXVECTOR3(1.0f, 2.0f, 3.5f)));
}

TEST(DXC_Plane, IntersectRectClampsOrRejects)
{
    const RECT bounds{0, 0, 100, 50};
    struct Case {
        RECT in;
        int32_t result;
        RECT out;
    } cases[] = {
        {{10, 10, 20, 20}, 1, {10, 10, 20, 20}},
        {{-10, -5, 200, 60}, 1, {0, 0, 100, 50}},
        {{100, 10, 120, 20}, 0, {100, 10, 120, 20}},  // touches the right edge only
        {{-20, 10, 0, 20}, 0, {-20, 10, 0, 20}},      // touches the left edge only
        {{10, 50, 20, 60}, 0, {10, 50, 20, 60}},
        {{10, -9, 20, 0}, 0, {10, -9, 20, 0}},
    };
    for (const Case& c : cases) {
        RECT r = c.in;
        EXPECT_EQ(DXC_IntersectRect(bounds, r), c.result) << c.in.left << "," << c.in.top;
        EXPECT_EQ(r.left, c.out.left);
        EXPECT_EQ(r.top, c.out.top);
        EXPECT_EQ(r.right, c.out.right);
        EXPECT_EQ(r.bottom, c.out.bottom);
    }
}
