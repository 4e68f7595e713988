// GameCtrl key curves: move paths and one-dimensional key splines from float lists, their
// limits and errors, and the tangents they derive, checked with a Hermite evaluation of our own.
#include "game/ctrl/GameCtrl.h"

#include "world/PathCurve.h"

#include "GameCtrlTestSupport.h"
#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Cubic Hermite over one interval, tangents per interval, the incoming one pointing back.
double Hermite(double p0, double out0, double p1, double in1, double s)
{
    const double s2 = s * s;
    const double s3 = s2 * s;
    return (2 * s3 - 3 * s2 + 1) * p0 + (s3 - 2 * s2 + s) * out0 + (-2 * s3 + 3 * s2) * p1 - (s3 - s2) * in1;
}

std::string Numbers(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += (i ? ", " : "") + std::to_string(i);
    return text;
}

}  // namespace

TEST(GameCtrlKeyCurvesTest, MovePathListsAndErrors)
{
    GameCtrl ctrl;
    ConfigFileReader reader;
    OpenText(reader, "#1\nMovePath = 0, 10, 20, 2, 30, 40\n"
                     "#2\nMovePath = 0, 1, 2, 3, 4, 5, 6\n"
                     "#3\nMovePath = 0, 1, 1, 2, 2, 2, 1, 3, 3\n"
                     "#4\nMovePath = 0, 1, 1, 2, 2, 2, 2, 3, 3\n"
                     "#5\nMovePath = " + Numbers(1026) + "\n"
                     "#6\n");
    PathCurve path;
    path.loop = 1;
    path.loopTime = 5.0f;
    ctrl.ReadMovePath(reader, path, "MovePath", 0, "door");
    ASSERT_EQ(path.GetNumKeys(), 2);
    EXPECT_EQ(path.keys[1].time, 2.0f);
    EXPECT_EQ(path.keys[1].x, 30.0f);
    EXPECT_EQ(path.keys[1].y, 40.0f);
    EXPECT_EQ(path.mode, 1);  // prepared
    EXPECT_EQ(path.loop, 1);  // loop flag and time are not the key's
    EXPECT_EQ(path.loopTime, 5.0f);

    struct Case {
        int32_t entry;
        const char* error;
    };
    const Case cases[] = {
        {1, "Invalid move path (door)"},
        {2, "Invalid order in move path entry of door"},
        {3, "no error"},  // equal times
        {4, "Invalid move path (door)"},  // beyond the 1024 values the reader takes
        {5, "no error"},  // no key: the path stays
    };
    for (const Case& c : cases) {
        PathCurve kept = path;
        EXPECT_EQ(ErrorOf([&] { ctrl.ReadMovePath(reader, kept, "MovePath", c.entry, "door"); }), c.error) << c.entry;
        if (c.entry != 3) {
            EXPECT_EQ(kept.GetNumKeys(), 2) << c.entry;  // a rejected list changes nothing
        }
    }
}

TEST(GameCtrlKeyCurvesTest, MovePathTangents)
{
    GameCtrl ctrl;
    ConfigFileReader reader;
    // On a line at equal time steps: x = 5 + 3t, y = 7 - 2t.
    OpenText(reader, "#1\npath = 0, 5, 7, 2, 11, 3, 4, 17, -1, 6, 23, -5\n#2\npath = 0, 0, 0, 1, 10, 0, 2, 0, 0\n");
    PathCurve path;
    ctrl.ReadMovePath(reader, path, "path", 0, "line");
    ASSERT_EQ(path.GetNumKeys(), 4);
    EXPECT_EQ(path.keys[0].inX, 0.0f);  // an open path starts without an incoming tangent
    EXPECT_EQ(path.keys[3].outY, 0.0f);  // and ends without an outgoing one
    for (double t = 0.0; t <= 6.0; t += 0.25) {
        const int32_t i = t >= 6.0 ? 2 : int32_t(t / 2.0);
        const PathKey& a = path.keys[size_t(i)];
        const PathKey& b = path.keys[size_t(i) + 1];
        const double s = (t - a.time) / (b.time - a.time);
        EXPECT_NEAR(Hermite(a.x, a.outX, b.x, b.inX, s), 5 + 3 * t, 1e-4) << t;
        EXPECT_NEAR(Hermite(a.y, a.outY, b.y, b.inY, s), 7 - 2 * t, 1e-4) << t;
    }

    // Looped: the first key's predecessor is the last one, across the loop time.
    PathCurve loop;
    loop.loop = 1;
    loop.loopTime = 3.0f;
    ctrl.ReadMovePath(reader, loop, "path", 1, "loop");
    EXPECT_FLOAT_EQ(loop.keys[0].inX, -5.0f);  // slopes 0 (from the last key) and 10, over 1
    EXPECT_FLOAT_EQ(loop.keys[0].outX, 5.0f);
    EXPECT_FLOAT_EQ(loop.keys[2].inX, 5.0f);  // slopes -10 and 0
    EXPECT_FLOAT_EQ(loop.keys[2].outX, -5.0f);

    PathCurve shortLoop;
    shortLoop.loop = 1;
    shortLoop.loopTime = 1.0f;
    ctrl.ReadMovePath(reader, shortLoop, "path", 1, "loop");
    EXPECT_EQ(shortLoop.loopTime, 2.0f);  // raised to the last key's time
    EXPECT_FLOAT_EQ(shortLoop.keys[2].inX, 10.0f);  // no way back across the loop: the slope in alone
    EXPECT_EQ(shortLoop.keys[2].outX, 0.0f);
}

TEST(GameCtrlKeyCurvesTest, BezierSpline1D)
{
    GameCtrl ctrl;
    ConfigFileReader reader;
    OpenText(reader, "#1\nf_t = 0, 1, 0.5, -0.25, 2, 3, 0.75, -1, 4, 5\nf = 0, 9\n"
                     "#2\nf_t = 0, 1, 2, 3, 4, 5, 6, 7\n"
                     "#3\nf = 0, 1, 1, 2, 1, 3\n"
                     "#4\nf = 0, 1, 2\n"
                     "#5\nf = 0, 1, 2, 2, 1, 3\n"
                     "#6\nf = 0, 10, 2, 30, 4, 50, 6, 70\n"
                     "#7\nf_t = " + Numbers(1026) + "\n"
                     "#8\n");
    BezierSpline<float> spline;
    ASSERT_EQ(ctrl.ReadBezierSpline1D(reader, "f", 0, spline, "curve"), 1);  // the tangent form comes first
    ASSERT_EQ(spline.GetNumKeys(), 3);
    const float expected[3][4] = {{0, 1, 0, 0.5f}, {2, 3, -0.25f, 0.75f}, {4, 5, -1, 0}};
    for (int32_t k = 0; k < 3; ++k) {
        EXPECT_EQ(spline.GetKey(k).time, expected[k][0]);
        EXPECT_EQ(spline.GetKey(k).value, expected[k][1]);
        EXPECT_EQ(spline.GetKey(k).inTangent, expected[k][2]);
        EXPECT_EQ(spline.GetKey(k).outTangent, expected[k][3]);
    }
    EXPECT_EQ(spline.GetMode(), 1);

    struct Case {
        int32_t entry;
        int32_t result;
        const char* error;
    };
    const Case cases[] = {
        {1, 0, "Invalid 1-dim bezier spline (curve)"},  // 8 values
        {2, 1, "no error"},                             // equal x
        {3, 0, "Invalid 1-dim bezier spline (curve)"},  // odd
        {4, 0, "Invalid order in 1-dim bezier spline 'curve'"},
        {6, 0, "Invalid 1-dim bezier spline (curve)"},  // beyond 1024 values
        {7, 0, "no error"},                             // neither key
    };
    for (const Case& c : cases) {
        BezierSpline<float> kept = spline;
        int32_t result = -1;
        EXPECT_EQ(ErrorOf([&] { result = ctrl.ReadBezierSpline1D(reader, "f", c.entry, kept, "curve"); }), c.error)
            << c.entry;
        if (std::string(c.error) == "no error") {
            EXPECT_EQ(result, c.result) << c.entry;
        }
        if (c.result == 0) {
            EXPECT_EQ(kept.GetKey(1).value, 3.0f) << c.entry;  // unchanged
        }
    }

    // Derived tangents of points on a line give the line back.
    BezierSpline<float> line;
    ASSERT_EQ(ctrl.ReadBezierSpline1D(reader, "f", 5, line, "line"), 1);
    for (double t = 0.0; t <= 6.0; t += 0.5)
        EXPECT_NEAR(line.Evaluate(t), 10 + 10 * t, 1e-4) << t;
}
