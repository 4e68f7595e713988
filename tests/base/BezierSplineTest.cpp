// BezierSpline: evaluation in every mode with the loop wrap and degenerate keys; the saved form.
#include "base/BezierSpline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

using Curve = BezierSpline<float>;
using Key = Curve::Key;
using Bytes = std::vector<uint8_t>;

Curve Make(std::vector<Key> keys, int32_t mode, bool loop = false, float loopTime = 0.0f)
{
    Curve c;
    c.SetNumKeys(int32_t(keys.size()));
    for (size_t i = 0; i < keys.size(); i++)
        c.GetKey(int32_t(i)) = keys[i];
    c.SetMode(mode);
    c.SetLoop(loop);
    c.SetLoopTime(loopTime);
    return c;
}

constexpr float kNoDerivative = -999.0f;  // the target keeps this when nothing is written

}  // namespace

TEST(BezierSplineTest, Evaluation)
{
    const Curve linear = Make({{0, 0}, {10, 100}}, 0);
    const Curve flatCubic = Make({{0, 0, 0, 0}, {1, 1, 0, 0}}, 1);
    // The in-tangent points backwards: -1 there and 1 out of key 0 make the cubic a straight line.
    const Curve straightCubic = Make({{0, 0, 0, 1}, {1, 1, -1, 0}}, 1);
    const Curve looping = Make({{0, 0}, {1, 10}}, 0, true, 2.0f);
    const Curve step = Make({{0, 1}, {1, 2}, {2, 3}}, -1);
    const Curve edges = Make({{0, 0, 0, 4}, {1, 1, 3, 0}}, 1);
    const Curve empty = Make({}, 1);
    const Curve repeatedTime = Make({{0, 0}, {1, 5}, {1, 7}, {2, 9}}, 0);
    const Curve loopAtLastKey = Make({{0, 0, 0, 0}, {1, 1, 0, 0}}, 1, true, 1.0f);
    const Curve loopOfNoLength = Make({{0, 0}, {1, 10}}, 0, true, 0.0f);

    struct Case {
        const char* what;
        const Curve* curve;
        double t;
        double value;
        float derivative;
    };
    const Case cases[] = {
        {"linear inside", &linear, 2.5, 25.0, kNoDerivative},
        {"before the first key", &linear, -3.0, 0.0, 0.0f},
        {"after the last key", &linear, 11.0, 100.0, -0.0f},
        {"cubic, flat tangents", &flatCubic, 0.5, 0.5, 1.5f},
        {"cubic, tangent sign", &straightCubic, 0.3, 0.3, 1.0f},
        {"before: out-tangent of key 0", &edges, -1.0, 0.0, 4.0f},
        {"after: minus the in-tangent", &edges, 2.0, 1.0, -3.0f},
        {"loop, last key to key 0", &looping, 1.25, 7.5, kNoDerivative},
        {"loop, negative time", &looping, -0.75, 7.5, kNoDerivative},
        {"loop, -0.5 is 1.5", &looping, -0.5, 5.0, kNoDerivative},
        {"loop, second period", &looping, 2.25, 2.5, kNoDerivative},
        {"step holds the key", &step, 0.99, 1.0, kNoDerivative},
        {"step at the next key", &step, 1.0, 2.0, kNoDerivative},
        {"step between", &step, 1.5, 2.0, kNoDerivative},
        {"no keys", &empty, 3.0, 0.0, 0.0f},
        {"two keys at one time", &repeatedTime, 1.5, 8.0, kNoDerivative},
        {"loop time at the last key", &loopAtLastKey, -1.0, 1.0, 0.0f},
        {"loop time at the first key", &loopOfNoLength, 5.0, 10.0, -0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        float derivative = kNoDerivative;
        EXPECT_NEAR(c.curve->Evaluate(c.t, &derivative), c.value, 1e-6);
        EXPECT_NEAR(derivative, c.derivative, 1e-5);
    }

    // Keys out of order or a time of NaN give some value, never a wild index.
    const Curve unsorted = Make({{0, 0}, {5, 5}, {2, 2}, {1, 1}, {-4, 3}}, 1, true, 3.0f);
    for (double t : {-7.0, 0.5, 2.9, 3.0, 1e12, std::numeric_limits<double>::quiet_NaN()}) {
        unsorted.Evaluate(t);
        linear.Evaluate(t);
    }
}

TEST(BezierSplineTest, SavedFormAndDamagedRecords)
{
    Curve curve = Make({{0, 1, 2, 3}, {1, 0.5f, 0, 0}}, 1, true, 2.0f);
    curve.SetSecondFlag(7);
    File f;
    f.CreateMemoryFile(0);
    ASSERT_TRUE(curve.Save(f));
    const Bytes golden = {
        2, 0, 0, 0,  1, 0, 0, 0,  1, 7,  0, 0, 0, 0x40,                        // count, mode, flags, loop time
        0, 0, 0, 0,  0, 0, 0x80, 0x3F,  0, 0, 0, 0x40,  0, 0, 0x40, 0x40,     // key 0
        0, 0, 0x80, 0x3F,  0, 0, 0, 0x3F,  0, 0, 0, 0,  0, 0, 0, 0,           // key 1
    };
    ASSERT_EQ(Bytes(f.GetMemoryBuffer(), f.GetMemoryBuffer() + f.GetSize()), golden);

    f.Seek(0);
    Curve copy;
    ASSERT_TRUE(copy.Load(f));
    EXPECT_EQ(copy.GetNumKeys(), 2);
    EXPECT_EQ(copy.GetSecondFlag(), 7);
    EXPECT_EQ(copy.Evaluate(0.5), curve.Evaluate(0.5));
    Curve assigned;
    assigned = copy;
    EXPECT_EQ(assigned.Evaluate(1.7), curve.Evaluate(1.7));
    EXPECT_FLOAT_EQ(assigned.GetLoopTime(), 2.0f);

    // Every cut record and a lying count is an error that leaves the curve as it was.
    auto loadFrom = [](const Bytes& bytes, Curve& target) {
        File in;
        in.CreateMemoryFile(0);
        in.Write(bytes.data(), bytes.size());
        in.Seek(0);
        return target.Load(in);
    };
    for (size_t cut = 0; cut < golden.size(); cut++) {
        Curve target = curve;
        EXPECT_THROW(loadFrom(Bytes(golden.begin(), golden.begin() + long(cut)), target), ErrorMsg) << cut;
        EXPECT_EQ(target.GetNumKeys(), 2);
    }
    Bytes lying = golden;
    lying[0] = lying[1] = lying[2] = 0xFF;
    lying[3] = 0x7F;
    EXPECT_THROW(loadFrom(lying, copy), ErrorMsg);
    Bytes none = golden;
    none[0] = none[1] = none[2] = none[3] = 0xFF;  // -1: no keys
    ASSERT_TRUE(loadFrom(none, copy));
    EXPECT_EQ(copy.GetNumKeys(), 0);
    EXPECT_EQ(copy.Evaluate(1.0), 0.0);
}

TEST(BezierSplineTest, FourComponentCurves)
{
    BezierSpline<SplineVector4> curve;
    curve.SetNumKeys(2);
    EXPECT_EQ(curve.GetKey(0).value, (SplineVector4{{0, 0, 0, 1}}));  // a new key holds (0, 0, 0, 1)
    curve.GetKey(0).value = {{0, 10, -4, 1}};
    curve.GetKey(1) = {2.0f, {{2, 20, 4, 0}}, {{0, 0, 0, 0}}, {{0, 0, 0, 0}}};
    curve.SetMode(0);
    const SplineVector4 mid = curve.EvaluateValue(0.5);
    EXPECT_EQ(mid, (SplineVector4{{0.5f, 12.5f, -2, 0.75f}}));
    SplineVector4 slope{{9, 9, 9, 9}};
    EXPECT_EQ(curve.EvaluateValue(5.0, &slope), curve.GetKey(1).value);
    EXPECT_EQ(slope, (SplineVector4{{-0.0f, -0.0f, -0.0f, -0.0f}}));  // minus the in-tangent

    // Equal key times read from a file neither divide by zero nor loop.
    curve.GetKey(1).time = 0.0f;
    curve.SetMode(1);
    const SplineVector4 flat = curve.EvaluateValue(0.0);
    EXPECT_FALSE(std::isnan(flat.v[0]));

    File f;
    f.CreateMemoryFile(0);
    ASSERT_TRUE(curve.Save(f));
    EXPECT_EQ(f.GetSize(), 14 + 2 * 52);
    f.Seek(0);
    BezierSpline<SplineVector4> read;
    ASSERT_TRUE(read.Load(f));
    EXPECT_EQ(read.GetKey(1).value, curve.GetKey(1).value);
    EXPECT_EQ(read.GetMode(), 1);
}
