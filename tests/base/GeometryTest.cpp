// GeometryTest: approximate equality, quantisation, frames, segments and circles, distances, the
// ray-triangle test against an independent Moller-Trumbore test, and the moving circle against walls.
#include "base/Geometry.h"

#include "platform/Vector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace {

float FromBits(uint32_t bits)
{
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

// The published test (Moller and Trumbore, 1997), in double, without culling: the ray parameter
// when the ray's line meets the triangle, a negative one included.
bool MollerTrumbore(const Triangle3D& tri, const Ray3D& ray, double& t, double& u, double& v)
{
    auto sub = [](const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
        return std::array<double, 3>{double(a.x) - b.x, double(a.y) - b.y, double(a.z) - b.z};
    };
    auto cross = [](const std::array<double, 3>& a, const std::array<double, 3>& b) {
        return std::array<double, 3>{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    };
    auto dot = [](const std::array<double, 3>& a, const std::array<double, 3>& b) {
        return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
    };
    const std::array<double, 3> dir = {ray.direction.x, ray.direction.y, ray.direction.z};
    const auto e1 = sub(tri.b, tri.a), e2 = sub(tri.c, tri.a);
    const auto p = cross(dir, e2);
    const double det = dot(e1, p);
    if (std::fabs(det) < 1e-12)
        return false;
    const auto s = sub(ray.origin, tri.a);
    u = dot(s, p) / det;
    const auto q = cross(s, e1);
    v = dot(dir, q) / det;
    t = dot(e2, q) / det;
    return u >= 0 && v >= 0 && u + v <= 1;
}

}  // namespace

TEST(Geometry, ApproxEqualAndQuantize)
{
    EXPECT_TRUE(Math::ApproxEqual(1000.0f, 1000.0009f));
    EXPECT_FALSE(Math::ApproxEqual(1000.0f, 1000.002f));
    EXPECT_TRUE(Math::ApproxEqual(-1000.0f, -1000.0009f));  // negative values have a band too
    EXPECT_FALSE(Math::ApproxEqual(-1000.0f, -1000.002f));
    EXPECT_TRUE(Math::ApproxEqual(0.0f, 0.0f));

    EXPECT_EQ(Math::QuantizeFloat(1.0f), 1.0f);
    EXPECT_EQ(Math::QuantizeFloat(std::nextafter(2.0f, 0.0f)), 2.0f);  // mantissa overflow
    EXPECT_EQ(Math::QuantizeFloat(FromBits(0x3F800003u)), FromBits(0x3F800000u));  // bit 2 clear: cut
    EXPECT_EQ(Math::QuantizeFloat(FromBits(0x3F800004u)), FromBits(0x3F800008u));  // bit 2 set: up
    EXPECT_EQ(Math::QuantizeFloat(FromBits(0xBF800005u)), FromBits(0xBF800008u));  // sign kept
    EXPECT_TRUE(std::isnan(Math::QuantizeFloat(std::numeric_limits<float>::quiet_NaN())));
}

TEST(Geometry, FramesSegmentsCircles)
{
    const Frame2D frame{1, 1, 2, 0, 0, 4};
    D3DXVECTOR2 uv;
    Math::PointToFrame2D(frame, D3DXVECTOR2(5, 3), uv);
    EXPECT_FLOAT_EQ(uv.x, 2.0f);
    EXPECT_FLOAT_EQ(uv.y, 0.5f);
    EXPECT_DOUBLE_EQ(Math::FrameDeterminant2D(frame), 8.0);

    float t = -1;
    EXPECT_TRUE(Math::IntersectSegments2D({0, 0, 2, 2}, {0, 2, 2, 0}, t));
    EXPECT_FLOAT_EQ(t, 0.5f);
    EXPECT_FALSE(Math::IntersectSegments2D({0, 0, 1, 0}, {2, 0, 3, 0}, t));  // collinear
    EXPECT_TRUE(Math::IntersectSegments2D({0, 0, 1, 0}, {1, 0, 1, 5}, t));   // touching at an end
    EXPECT_FLOAT_EQ(t, 0.0f);
    EXPECT_FALSE(Math::IntersectSegments2D({0, 0, 1, 0}, {2, -1, 2, 1}, t));
    EXPECT_FLOAT_EQ(t, 0.5f);  // written although the crossing lies outside

    const Circle2D unit{0, 0, 1};
    struct Case {
        Segment2D segment;
        bool hits;
        float at;
    } cases[] = {
        {{-2, 0, 2, 0}, true, 0.25f},   // enters at x = -1
        {{0, 0, 4, 0}, true, 0.25f},    // starts inside: the exit
        {{1, 0, 3, 0}, false, -0.5f},   // starts on the circle, going out: closest approach
        {{-2, 5, 2, 5}, false, 0.5f},   // passes by
    };
    for (const Case& c : cases) {
        float out = -9;
        EXPECT_EQ(Math::SegmentHitsCircle(unit, c.segment, out), c.hits);
        EXPECT_FLOAT_EQ(out, c.at);
    }
    EXPECT_TRUE(Math::CircleTouchesSegment(unit, {-5, 0.5f, 5, 0.5f}));
    EXPECT_TRUE(Math::CircleTouchesSegment(unit, {0.5f, 0, 5, 0}));
    EXPECT_FALSE(Math::CircleTouchesSegment(unit, {2, 0, 5, 0}));
    EXPECT_FALSE(Math::CircleTouchesSegment(unit, {-5, 2, 5, 2}));

    EXPECT_DOUBLE_EQ(Math::DistancePointLine3D({D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 2)}, D3DXVECTOR3(3, 4, 9)), 5.0);
    const Segment3D seg{D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(10, 0, 0)};
    EXPECT_DOUBLE_EQ(Math::DistancePointSegment3D(seg, D3DXVECTOR3(13, 4, 0)), 5.0);  // beyond the end
    EXPECT_DOUBLE_EQ(Math::DistancePointSegment3D(seg, D3DXVECTOR3(-3, 4, 0)), 5.0);
    EXPECT_DOUBLE_EQ(Math::DistancePointSegment3D(seg, D3DXVECTOR3(5, 2, 0)), 2.0);
    EXPECT_DOUBLE_EQ(Math::SignedDistanceToLine2D({0, 0, 1, 0}, D3DXVECTOR2(3, -2)), 2.0);
    EXPECT_DOUBLE_EQ(Math::SignedDistanceToLine2D({0, 0, 1, 0}, D3DXVECTOR2(3, 2)), -2.0);

    Vector3 out;
    Vector3(1, 0, 0).Cross(0, 1, 0, out);
    EXPECT_EQ(out, D3DXVECTOR3(0, 0, 1));
}

TEST(Geometry, RayTriangleAgreesWithMollerTrumbore)
{
    std::mt19937 random(12345);
    std::uniform_real_distribution<float> coord(-10.0f, 10.0f);
    auto vec = [&] { return D3DXVECTOR3(coord(random), coord(random), coord(random)); };
    int hits = 0, compared = 0;
    for (int i = 0; i < 20000; i++) {
        const Triangle3D tri{vec(), vec(), vec()};
        const Ray3D ray{vec(), vec()};
        double t = 0, u = 0, v = 0;
        const bool expected = MollerTrumbore(tri, ray, t, u, v);
        // Decisions within rounding of an edge, or nearly parallel rays, may go either way.
        const double margin = 1e-3;
        if (std::fabs(u) < margin || std::fabs(v) < margin || std::fabs(u + v - 1) < margin || std::fabs(u - 1) < margin ||
            std::fabs(v - 1) < margin)
            continue;
        D3DXVECTOR3 n;
        const D3DXVECTOR3 e1 = tri.b - tri.a, e2 = tri.c - tri.a;
        D3DXVec3Cross(&n, &e1, &e2);
        if (std::fabs(D3DXVec3Dot(&n, &ray.direction)) < 1e-2 * D3DXVec3Length(&n) * D3DXVec3Length(&ray.direction))
            continue;
        float out = 0;
        const bool got = Math::IntersectRayTriangle(tri, ray, out);
        compared++;
        ASSERT_EQ(got, expected) << i;
        if (got) {
            hits++;
            EXPECT_NEAR(out, t, 1e-3 * (1 + std::fabs(t))) << i;
        }
    }
    EXPECT_GT(compared, 15000);
    EXPECT_GT(hits, 1000);
    // A ray lying in the triangle's plane.
    float out = 0;
    EXPECT_FALSE(Math::IntersectRayTriangle({D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 1, 0)},
                                            {D3DXVECTOR3(-1, 0.2f, 0), D3DXVECTOR3(1, 0, 0)}, out));
}

TEST(Geometry, SegmentAgainstBox)
{
    const D3DXVECTOR3 lo(0, 0, 0), hi(100, 50, 0);  // a flat box, as a flat floor gives
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        D3DXVECTOR3 a, b;
        bool meets;
    } kCases[] = {
        {{50, 25, 10}, {50, 25, -10}, true},     // through the flat box
        {{100, 50, 10}, {100, 50, -10}, true},   // through its corner edge
        {{101, 25, 10}, {101, 25, -10}, false},  // beside it
        {{50, 25, 10}, {50, 25, 1}, false},      // ends before it
        {{50, 25, 0}, {60, 25, 0}, true},        // lies in it
        {{-10, 25, 0}, {-5, 25, 0}, false},      // in its plane, short of it
        {{-10, -10, 5}, {110, 60, -5}, true},    // diagonally across
        {{nan, 25, 10}, {50, 25, -10}, false},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(Math::IntersectSegmentBox(c.a, c.b, lo, hi), c.meets) << c.a.x << "," << c.a.y << "," << c.a.z;
}

TEST(Geometry, MovingCircleAgainstWalls)
{
    struct Case {
        const char* what;
        D3DXVECTOR2 p1, p2, m;
        float r, g;
        bool hit, sliding, embedded;
        float t;
    } cases[] = {
        {"head-on, touches at the end of the step", {-5, 3}, {5, 3}, {0, 2}, 1, 0, true, false, false, 1.0f},
        {"head-on, halfway", {-5, 3}, {5, 3}, {0, 4}, 1, 0, true, false, false, 0.5f},
        {"falls short", {-5, 3}, {5, 3}, {0, 1}, 1, 0, false, false, false, 0.0f},
        {"moving away", {-5, 3}, {5, 3}, {0, -2}, 1, 0.5f, false, false, false, 0.0f},
        {"parallel within the clearance", {-5, 1.5f}, {5, 1.5f}, {2, 0}, 1, 0.6f, false, true, false, 0.0f},
        {"parallel beyond the clearance", {-5, 3}, {5, 3}, {2, 0}, 1, 0.6f, false, false, false, 0.0f},
        {"overlapping the inside", {-5, 0.5f}, {5, 0.5f}, {0, 1}, 1, 0, false, false, true, 0.0f},
        {"on the end point", {0, 3}, {5, 3}, {0, 4}, 1, 0, true, false, false, 0.5f},
        {"past the end", {2, 3}, {5, 3}, {0, 4}, 1, 0, false, false, false, 0.0f},
        {"inside the band, closing in", {-5, 1.2f}, {5, 1.2f}, {0, 1}, 1, 0.5f, true, false, false, 0.0f},
        {"no movement", {-5, 3}, {5, 3}, {0, 0}, 1, 0.5f, false, false, false, 0.0f},
        {"wall of no length", {3, 0}, {3, 0}, {4, 0}, 1, 0, true, false, false, 0.5f},
        {"wall of no length, no movement", {3, 0}, {3, 0}, {0, 0}, 1, 0, false, false, false, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WallHit hit;
        hit.hit = true;  // whatever the record held before
        hit.sliding = true;
        hit.t = 7.0f;
        Math::MovingCircleVsWall(hit, c.p1, c.p2, c.m, c.r, c.g);
        EXPECT_EQ(hit.hit, c.hit);
        EXPECT_EQ(hit.sliding, c.sliding);
        EXPECT_EQ(hit.embedded, c.embedded);
        if (c.hit) {
            EXPECT_NEAR(hit.t, c.t, 1e-5f);
        }
    }
    WallHit slide;
    Math::MovingCircleVsWall(slide, {-5, 1.5f}, {5, 1.5f}, {2, 0}, 1, 0.6f);
    EXPECT_NEAR(slide.posX, 2.0f, 1e-5f);
    EXPECT_NEAR(slide.posY, -0.1f, 1e-5f);
    EXPECT_NEAR(slide.slideX, 1.0f, 1e-6f);
    EXPECT_NEAR(slide.normalY, -1.0f, 1e-6f);

    WallHit end;
    Math::MovingCircleVsWall(end, {0, 3}, {5, 3}, {0, 4}, 1, 0);
    EXPECT_NEAR(end.normalY, -1.0f, 1e-5f);  // from the end point toward the circle
}
