// PathCurve evaluation: the ends of open paths, loops, single keys, the three modes, and
// positions and tangents against an independent evaluation of the same cubic pieces.
#include "world/PathCurve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

namespace {

PathCurve MakePath(std::initializer_list<PathKey> keys, int32_t mode, bool loop, float loopTime)
{
    PathCurve path;
    path.keys = keys;
    path.mode = mode;
    path.loop = loop ? 1 : 0;
    path.loopTime = loopTime;
    return path;
}

PathKey Key(float time, float x, float y, float in = 0.0f, float out = 0.0f)
{
    PathKey key;
    key.time = time;
    key.x = x;
    key.y = y;
    key.inX = key.inY = in;
    key.outX = key.outY = out;
    return key;
}

// The piece between two keys as a cubic Bezier curve (control points a third of a tangent in
// from the ends; the incoming tangent is kept pointing back), by de Casteljau's construction.
struct BezierPiece {
    D3DXVECTOR2 b[4];
    double span = 1.0;

    BezierPiece(const PathKey& k0, const PathKey& k1, double interval)
    {
        b[0] = D3DXVECTOR2(k0.x, k0.y);
        b[1] = D3DXVECTOR2(k0.x + k0.outX / 3.0f, k0.y + k0.outY / 3.0f);
        b[2] = D3DXVECTOR2(k1.x + k1.inX / 3.0f, k1.y + k1.inY / 3.0f);
        b[3] = D3DXVECTOR2(k1.x, k1.y);
        span = interval;
    }
    static double Lerp(double a, double b, double s) { return a + (b - a) * s; }
    void At(double s, double& x, double& y, double& tx, double& ty) const
    {
        double px[4], py[4];
        for (int i = 0; i < 4; i++) {
            px[i] = b[i].x;
            py[i] = b[i].y;
        }
        for (int level = 3; level >= 1; level--) {
            if (level == 1) {  // the last two points span the tangent: 3 (p1 - p0) per unit of s
                tx = 3.0 * (px[1] - px[0]) / span;
                ty = 3.0 * (py[1] - py[0]) / span;
            }
            for (int i = 0; i < level; i++) {
                px[i] = Lerp(px[i], px[i + 1], s);
                py[i] = Lerp(py[i], py[i + 1], s);
            }
        }
        x = px[0];
        y = py[0];
    }
};

}  // namespace

TEST(PathCurveTest, EndsLoopsAndModes)
{
    const PathCurve open = MakePath({Key(1, 10, 20, 0, 0), Key(3, 30, 40, 0, 0)}, 1, false, 0);
    PathCurve tangents = open;
    tangents.keys[0].outX = 5;
    tangents.keys[0].outY = 6;
    tangents.keys[1].inX = 7;
    tangents.keys[1].inY = 8;
    const PathCurve loop = MakePath({Key(0, 0, 0, 0, 0), Key(1, 10, 0, 0, 0), Key(2, 10, 10, 0, 0)}, 1, true, 4);
    const PathCurve single = MakePath({Key(2, 5, 6, 1, 2)}, 1, false, 0);
    const PathCurve singleLoop = MakePath({Key(2, 5, 6, 0, 0)}, 1, true, 6);
    const PathCurve linear = MakePath({Key(0, 0, 0), Key(2, 20, 10)}, 0, false, 0);
    const PathCurve stepped = MakePath({Key(0, 0, 0), Key(2, 20, 10)}, -1, false, 0);
    const struct {
        const char* what;
        const PathCurve& path;
        double t;
        D3DXVECTOR2 pos;
        bool tangentWritten;
        D3DXVECTOR2 tangent;
    } kCases[] = {
        {"before the first key: its position and outgoing tangent", tangents, 0.5, {10, 20}, true, {5, 6}},
        {"at the first key", tangents, 1.0, {10, 20}, true, {5, 6}},
        {"after the last key: the incoming tangent negated", tangents, 9.0, {30, 40}, true, {-7, -8}},
        {"two keys, zero tangents, half-way: the middle", open, 2.0, {20, 30}, true, {15, 15}},
        {"a loop at its end time is back at its first key", loop, 4.0, {0, 0}, true, {0, 0}},
        {"a loop wraps the time itself", loop, 5.0, {10, 0}, true, {0, 0}},
        {"a loop's way back to the first key", loop, 3.0, {5, 5}, true, {-7.5f, -7.5f}},
        {"a loop before its first key", loop, -3.0, {10, 0}, true, {0, 0}},
        {"one key, open: its position", single, 7.0, {5, 6}, true, {-1, -1}},
        {"one key, open, before it", single, 0.0, {5, 6}, true, {2, 2}},
        {"one key, looped: the way back to itself", singleLoop, 3.0, {5, 6}, true, {0, 0}},
        {"linear", linear, 0.5, {5, 2.5f}, false, {}},
        {"stepped", stepped, 1.5, {0, 0}, false, {}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        D3DXVECTOR2 pos(-1, -1);
        D3DXVECTOR2 tangent(-99, -99);
        c.path.Evaluate(c.t, pos, &tangent);
        EXPECT_NEAR(pos.x, c.pos.x, 1e-4f);
        EXPECT_NEAR(pos.y, c.pos.y, 1e-4f);
        if (c.tangentWritten) {
            EXPECT_NEAR(tangent.x, c.tangent.x, 1e-4f);
            EXPECT_NEAR(tangent.y, c.tangent.y, 1e-4f);
        } else {
            EXPECT_EQ(tangent, D3DXVECTOR2(-99, -99));
        }
        c.path.Evaluate(c.t, pos, nullptr);  // no tangent asked for
    }

    D3DXVECTOR2 untouched(3, 4);
    PathCurve().Evaluate(1.0, untouched, nullptr);
    EXPECT_EQ(untouched, D3DXVECTOR2(3, 4));  // no keys: nothing to say
    D3DXVECTOR2 pos;
    loop.Evaluate(std::nan(""), pos, nullptr);
    EXPECT_EQ(pos, D3DXVECTOR2(0, 0));  // a broken time gives the start
}

TEST(PathCurveTest, PositionsAndTangentsAgreeWithABezierEvaluation)
{
    for (const bool looped : {false, true}) {
        SCOPED_TRACE(looped ? "looped" : "open");
        PathCurve path = MakePath({Key(0.0f, 0, 0), Key(1.0f, 100, 20), Key(1.5f, 130, 90), Key(1.5f, 130, 90),
                                   Key(4.0f, -40, 60), Key(4.25f, -50, 0)},
                                  0, looped, 6.0f);
        path.PrepareTangents(1.0f);
        ASSERT_EQ(path.mode, 1);
        const int32_t n = path.GetNumKeys();
        const double end = looped ? path.loopTime : path.keys.back().time;
        for (double t = 0.0; t < end; t += 0.0625) {
            SCOPED_TRACE(t);
            // The piece by a plain walk over the keys: the last key whose time is not above t.
            int32_t lo = 0;
            while (lo + 1 < n && path.keys[size_t(lo + 1)].time <= t)
                lo++;
            const bool back = lo == n - 1;  // only a loop gets here: the way back to key 0
            const PathKey& k0 = path.keys[size_t(lo)];
            const PathKey& k1 = path.keys[back ? 0 : size_t(lo + 1)];
            const double t1 = back ? path.loopTime : k1.time;
            const BezierPiece piece(k0, k1, t1 - k0.time);
            double x, y, tx, ty;
            piece.At((t - k0.time) / (t1 - k0.time), x, y, tx, ty);

            D3DXVECTOR2 pos, tangent;
            path.Evaluate(t, pos, &tangent);
            EXPECT_NEAR(pos.x, x, 1e-3);
            EXPECT_NEAR(pos.y, y, 1e-3);
            EXPECT_NEAR(tangent.x, tx, 1e-2);
            EXPECT_NEAR(tangent.y, ty, 1e-2);
            if (looped) {
                D3DXVECTOR2 later;
                path.Evaluate(t + 3.0 * path.loopTime, later, nullptr);
                EXPECT_NEAR(later.x, pos.x, 1e-3);
                EXPECT_NEAR(later.y, pos.y, 1e-3);
            }
        }
    }
}
