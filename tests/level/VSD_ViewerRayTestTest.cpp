// VSD_Viewer ray test: a flat floor from above with and without lift, rays that miss (upward,
// none, only over marked cells, outside the window), rectangles clamped to the map, and a random
// height field against a brute-force test of every window triangle with a ray-triangle test of
// its own.
#include "level/VSD_Viewer.h"

#include "level/LevelTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <random>

namespace {

// A level viewer whose floor window the test places.
class RayViewer : public GridViewer {
public:
    void SetWindow(int32_t x, int32_t y, int16_t size)
    {
        SetViewFloorSize(size, size);
        m_FloorWindowX = x;
        m_FloorWindowY = y;
        GetFloorWindowFlags().assign(size_t(size) * size_t(size), 0);
    }
    uint8_t& Flag(int32_t x, int32_t y)
    {
        return GetFloorWindowFlags()[size_t(y - m_FloorWindowY) * size_t(m_FloorSize[0]) + size_t(x - m_FloorWindowX)];
    }
    void MarkWindowCell(int32_t x, int32_t y) { Flag(x, y) |= 1; }
    bool IsMarked(int32_t x, int32_t y) { return Flag(x, y) & 1; }
};

struct RayTestTest : ::testing::Test {
    LevelTestCtrl ctrl;
    RayViewer viewer;
};

void ExpectNear(const D3DXVECTOR3& a, const D3DXVECTOR3& b, float tolerance)
{
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

// Moller and Trumbore, in double: the ray parameter of a hit in front of the origin.
std::optional<double> HitTriangle(const D3DXVECTOR3& o, const D3DXVECTOR3& d, const D3DXVECTOR3& a,
                                  const D3DXVECTOR3& b, const D3DXVECTOR3& c)
{
    const double e1[3] = {double(b.x) - a.x, double(b.y) - a.y, double(b.z) - a.z};
    const double e2[3] = {double(c.x) - a.x, double(c.y) - a.y, double(c.z) - a.z};
    const double dir[3] = {d.x, d.y, d.z};
    const double p[3] = {dir[1] * e2[2] - dir[2] * e2[1], dir[2] * e2[0] - dir[0] * e2[2],
                         dir[0] * e2[1] - dir[1] * e2[0]};
    const double det = e1[0] * p[0] + e1[1] * p[1] + e1[2] * p[2];
    if (std::fabs(det) < 1e-12)
        return std::nullopt;
    const double s[3] = {double(o.x) - a.x, double(o.y) - a.y, double(o.z) - a.z};
    const double u = (s[0] * p[0] + s[1] * p[1] + s[2] * p[2]) / det;
    if (u < 0 || u > 1)
        return std::nullopt;
    const double q[3] = {s[1] * e1[2] - s[2] * e1[1], s[2] * e1[0] - s[0] * e1[2], s[0] * e1[1] - s[1] * e1[0]};
    const double v = (dir[0] * q[0] + dir[1] * q[1] + dir[2] * q[2]) / det;
    if (v < 0 || u + v > 1)
        return std::nullopt;
    const double t = (e2[0] * q[0] + e2[1] * q[1] + e2[2] * q[2]) / det;
    return t > 0 ? std::optional<double>(t) : std::nullopt;
}

}  // namespace

TEST_F(RayTestTest, FlatFloorAndMisses)
{
    viewer.SetGrid(10, 10, 10, 10);
    viewer.SetWindow(0, 0, 10);
    D3DXVECTOR3 hit;
    ASSERT_TRUE(viewer.RayTest(D3DXVECTOR3(50, 50, 100), D3DXVECTOR3(0, 0, -1), hit, 0.0f));  // a corner of four cells
    ExpectNear(hit, D3DXVECTOR3(50, 50, 0), 1e-4f);
    ASSERT_TRUE(viewer.RayTest(D3DXVECTOR3(50, 50, 100), D3DXVECTOR3(0, 0, -7), hit, 10.0f));  // any length
    ExpectNear(hit, D3DXVECTOR3(50, 50, 10), 1e-4f);  // against the floor raised by 10
    ASSERT_TRUE(viewer.RayTest(D3DXVECTOR3(5, 5, 20), D3DXVECTOR3(3, 4, -5), hit, 0.0f));
    ExpectNear(hit, D3DXVECTOR3(17, 21, 0), 1e-4f);

    const struct {
        D3DXVECTOR3 origin, direction;
    } kMisses[] = {
        {{50, 50, 100}, {0, 0, 1}},     // upward from above
        {{50, 50, 100}, {0, 0, 0}},     // no direction
        {{50, 50, 100}, {1, 0, 0}},     // level with the floor
        {{50, 50, -5}, {0, 0, -1}},     // below it, away
        {{150, 50, 100}, {0, 0, -1}},   // beside the map
        {{50, 50, 100}, {NAN, 0, -1}},
    };
    for (const auto& c : kMisses)
        EXPECT_FALSE(viewer.RayTest(c.origin, c.direction, hit, 0.0f)) << c.origin.x << " " << c.direction.z;

    // Cells outside the window or marked in it are not hit.
    viewer.SetWindow(0, 0, 4);
    EXPECT_FALSE(viewer.RayTest(D3DXVECTOR3(55, 55, 100), D3DXVECTOR3(0, 0, -1), hit, 0.0f));
    EXPECT_TRUE(viewer.RayTest(D3DXVECTOR3(35, 15, 100), D3DXVECTOR3(0, 0, -1), hit, 0.0f));
    viewer.MarkWindowCell(3, 1);
    EXPECT_FALSE(viewer.RayTest(D3DXVECTOR3(35, 15, 100), D3DXVECTOR3(0, 0, -1), hit, 0.0f));
    // A slanted ray over the marked cell hits the floor behind it.
    ASSERT_TRUE(viewer.RayTest(D3DXVECTOR3(35, 15, 10), D3DXVECTOR3(-1, 0, -1), hit, 0.0f));
    ExpectNear(hit, D3DXVECTOR3(25, 15, 0), 1e-4f);
}

TEST_F(RayTestTest, RectanglesAreClampedToTheMap)
{
    viewer.SetGrid(10, 10, 10, 10);
    viewer.SetWindow(0, 0, 10);
    D3DXVECTOR3 hit;
    // Wholly left of the map: the column x = 0.
    EXPECT_TRUE(viewer.RayTestRect(D3DXVECTOR3(5, 35, 100), D3DXVECTOR3(0, 0, -1), -10, 3, -5, 4, hit));
    EXPECT_FALSE(viewer.RayTestRect(D3DXVECTOR3(15, 35, 100), D3DXVECTOR3(0, 0, -1), -10, 3, -5, 4, hit));
    // Partly outside: what lies inside is tested.
    EXPECT_TRUE(viewer.RayTestRect(D3DXVECTOR3(95, 95, 100), D3DXVECTOR3(0, 0, -1), 5, 5, 40, 40, hit));
    ExpectNear(hit, D3DXVECTOR3(95, 95, 0), 1e-4f);
    // Two cells by one, and one by two, are split into their cells.
    EXPECT_TRUE(viewer.RayTestRect(D3DXVECTOR3(15, 5, 100), D3DXVECTOR3(0, 0, -1), 0, 0, 2, 1, hit));
    EXPECT_TRUE(viewer.RayTestRect(D3DXVECTOR3(5, 15, 100), D3DXVECTOR3(0, 0, -1), 0, 0, 1, 2, hit));
}

TEST_F(RayTestTest, RandomHeightFieldAgreesWithEveryTriangle)
{
    constexpr int32_t kSize = 24;
    constexpr float kCell = 32.0f;
    viewer.SetGrid(kSize, kSize, int16_t(kCell), int16_t(kCell));
    std::mt19937 random(20240607);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    viewer.SetHeights([&](int32_t, int32_t) { return unit(random) * 120.0f - 40.0f; });
    viewer.SetWindow(3, 2, 18);
    for (int32_t y = 2; y < 20; y++)
        for (int32_t x = 3; x < 21; x++)
            if (unit(random) < 0.1f)
                viewer.MarkWindowCell(x, y);

    const auto& heights = viewer.GetHeights();
    const auto& centres = viewer.GetCentreHeights();
    auto corner = [&](int32_t x, int32_t y) {
        return D3DXVECTOR3(float(x) * kCell, float(y) * kCell, heights[size_t(y) * (kSize + 1) + size_t(x)]);
    };
    int32_t hits = 0;
    for (int32_t ray = 0; ray < 400; ray++) {
        SCOPED_TRACE(ray);
        const D3DXVECTOR3 origin(unit(random) * kSize * kCell, unit(random) * kSize * kCell, 100 + unit(random) * 200);
        const D3DXVECTOR3 direction(unit(random) * 2 - 1, unit(random) * 2 - 1, unit(random) * 1.4f - 1.2f);
        const D3DXVECTOR3 unitDirection = direction / D3DXVec3Length(&direction);
        double best = 9e9;
        for (int32_t y = 2; y < 20; y++) {
            for (int32_t x = 3; x < 21; x++) {
                if (viewer.IsMarked(x, y))
                    continue;
                const D3DXVECTOR3 m((float(x) + 0.5f) * kCell, (float(y) + 0.5f) * kCell,
                                    centres[size_t(y) * (kSize + 1) + size_t(x)]);
                const D3DXVECTOR3 p00 = corner(x, y), p01 = corner(x, y + 1), p10 = corner(x + 1, y),
                                  p11 = corner(x + 1, y + 1);
                for (const auto& t : {HitTriangle(origin, unitDirection, p00, p01, m),
                                      HitTriangle(origin, unitDirection, p00, p10, m),
                                      HitTriangle(origin, unitDirection, p11, p10, m),
                                      HitTriangle(origin, unitDirection, p11, p01, m)})
                    if (t && *t < best)
                        best = *t;
            }
        }
        D3DXVECTOR3 hit;
        const bool found = viewer.RayTest(origin, direction, hit, 0.0f);
        ASSERT_EQ(found, best < 9e9);
        if (!found)
            continue;
        hits++;
        const D3DXVECTOR3 expected(float(origin.x + unitDirection.x * best), float(origin.y + unitDirection.y * best),
                                   float(origin.z + unitDirection.z * best));
        ExpectNear(hit, expected, 1e-4f);
    }
    EXPECT_GT(hits, 100);  // the rays mostly reach the floor
}
