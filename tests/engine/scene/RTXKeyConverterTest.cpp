// Tests of RTXKeyConverter: times, rotation turns, step keys, the Euler merge and TCB controls.
#include "engine/scene/RTXKeyConverter.h"

#include "engine/scene/DXC_3dObject.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fixtures/scene/EulerReference.inc"

namespace {

constexpr float kPi = 3.14159265f;

// Equal rotations: the same quaternion up to its sign.
void ExpectSameRotation(const D3DXQUATERNION& a, const D3DXQUATERNION& b, float tolerance = 1e-5f)
{
    const float sign = D3DXQuaternionDot(&a, &b) < 0.0f ? -1.0f : 1.0f;
    EXPECT_NEAR(a.x, sign * b.x, tolerance);
    EXPECT_NEAR(a.y, sign * b.y, tolerance);
    EXPECT_NEAR(a.z, sign * b.z, tolerance);
    EXPECT_NEAR(a.w, sign * b.w, tolerance);
}

D3DXQUATERNION Quat(const float* q) { return D3DXQUATERNION(q[0], q[1], q[2], q[3]); }

std::vector<float> RotTimes(const DXC_3dObject& node)
{
    std::vector<float> times;
    for (const DXC_RotKey* k = node.rotKeys; k; k = k->next)
        times.push_back(k->time);
    return times;
}

DXC_RotKeyData Turn(float x, float y, float z, float angle)
{
    DXC_RotKeyData d;
    d.axis = D3DXVECTOR3(x, y, z);
    d.angle = angle;
    return d;
}

RTX_EulerRotKey EulerKey(float time, float value, int32_t flags = 0)
{
    RTX_EulerRotKey k;
    k.time = time;
    k.value = value;
    k.flags = flags;
    return k;
}

}  // namespace

TEST(RTXKeyConverter, TicksBecomeSecondsFromTheFirstFrame)
{
    RTXTimeBase base;
    base.firstFrame = 0.0f;
    base.ticksPerFrame = 160.0f;
    base.secondsPerTick = 1.0f / (160.0f * 30.0f);
    EXPECT_FLOAT_EQ(base.ToSeconds(4800.0f), 1.0f);
    base.firstFrame = 10.0f;  // frame 10 is time 0
    EXPECT_FLOAT_EQ(base.ToSeconds(1600.0f), 0.0f);
    EXPECT_FLOAT_EQ(base.ToSeconds(6400.0f), 1.0f);
}

TEST(RTXKeyConverter, SampleAnglesBetweenPiAndTwoPiTurnBack)
{
    EXPECT_NEAR(RTXKeyConverter::SampleAngle(1.5f * kPi), -0.5f * kPi, 1e-5f);
    EXPECT_FLOAT_EQ(RTXKeyConverter::SampleAngle(1.0f), 1.0f);
    EXPECT_FLOAT_EQ(RTXKeyConverter::SampleAngle(-4.0f), -4.0f);
    EXPECT_FLOAT_EQ(RTXKeyConverter::SampleAngle(7.0f), 7.0f);
}

TEST(RTXKeyConverter, TurnsAfterAKeyAreSplitIntoHalfTurns)
{
    DXC_3dObject node;
    RTXKeyConverter::AddTurn(node, 0.0f, Turn(0, 0, 1, 0.0f), KEY_LINEAR);
    RTXKeyConverter::AddTurn(node, 300.0f, Turn(0, 0, 1, 2.5f * kPi), KEY_LINEAR);
    EXPECT_EQ(RotTimes(node), (std::vector<float>{0.0f, 100.0f, 200.0f, 300.0f}));
    for (const DXC_RotKey* k = node.rotKeys->next; k; k = k->next)
        EXPECT_NEAR(k->data.angle, 2.5f * kPi / 3.0f, 1e-5f);
    // The pieces add up to the whole turn.
    D3DXQUATERNION whole;
    D3DXVECTOR3 z(0, 0, 1);
    D3DXQuaternionRotationAxis(&whole, &z, 2.5f * kPi);
    ExpectSameRotation(node.LastRotKey()->data.quaternion, whole);

    // The first key is never split; a huge or undefined angle makes a bounded number of keys.
    DXC_3dObject first;
    RTXKeyConverter::AddTurn(first, 10.0f, Turn(1, 0, 0, 10.0f * kPi), KEY_LINEAR);
    EXPECT_EQ(first.numRotKey, 1);
    RTXKeyConverter::AddTurn(first, 20.0f, Turn(1, 0, 0, 3e38f), KEY_LINEAR);
    EXPECT_EQ(first.numRotKey, 1 + RTXKeyConverter::kMaxTurnPieces);
    RTXKeyConverter::AddTurn(first, 30.0f, Turn(1, 0, 0, std::nanf("")), KEY_LINEAR);
    EXPECT_EQ(first.numRotKey, 2 + RTXKeyConverter::kMaxTurnPieces);
}

TEST(RTXKeyConverter, FloatStepsInsertAHoldingKey)
{
    std::vector<RTX_FloatKey> track;
    RTX_FloatKey k;
    k.time = 0;
    k.value = 1;
    k.inTangent = k.outTangent = 0.5f;
    EXPECT_TRUE(RTXKeyConverter::AppendFloatKey(track, k));
    k.time = 10;
    k.value = 3;
    k.flags = WithStepIn(0);
    EXPECT_TRUE(RTXKeyConverter::AppendFloatKey(track, k));
    ASSERT_EQ(track.size(), 3u);
    EXPECT_FLOAT_EQ(track[1].time, 10.0f);
    EXPECT_FLOAT_EQ(track[1].value, 1.0f);
    EXPECT_FLOAT_EQ(track[1].inTangent, 0.0f);
    EXPECT_FLOAT_EQ(track[1].outTangent, 0.0f);
    // A step to the same value needs no extra key; an out-step of the key before counts too.
    k.time = 20;
    k.flags = WithStepOut(0);
    RTXKeyConverter::AppendFloatKey(track, k);
    EXPECT_EQ(track.size(), 4u);
    k.time = 30;
    k.value = 4;
    k.flags = 0;
    RTXKeyConverter::AppendFloatKey(track, k);
    EXPECT_EQ(track.size(), 6u);

    // The track is full at its limit; the key is refused.
    track.assign(size_t(RTXKeyConverter::kMaxTrackKeys), RTX_FloatKey());
    EXPECT_FALSE(RTXKeyConverter::AppendFloatKey(track, RTX_FloatKey()));
    EXPECT_EQ(track.size(), size_t(RTXKeyConverter::kMaxTrackKeys));
}

TEST(RTXKeyConverter, FloatTrackTangentsScaleBySegmentsBeforeTimesConvert)
{
    std::vector<RTX_FloatKey> track(3);
    const float times[3] = {0.0f, 160.0f, 480.0f};
    for (int i = 0; i < 3; i++) {
        track[size_t(i)].time = times[i];
        track[size_t(i)].inTangent = 1.0f;
        track[size_t(i)].outTangent = 2.0f;
    }
    RTXTimeBase base;
    base.secondsPerTick = 1.0f / 4800.0f;
    RTXKeyConverter::ConvertFloatTrack(track, base);
    EXPECT_FLOAT_EQ(track[0].inTangent, 1.0f);  // no segment before the first key
    EXPECT_FLOAT_EQ(track[0].outTangent, 320.0f);
    EXPECT_FLOAT_EQ(track[1].inTangent, 160.0f);
    EXPECT_FLOAT_EQ(track[1].outTangent, 640.0f);
    EXPECT_FLOAT_EQ(track[2].inTangent, 320.0f);
    EXPECT_FLOAT_EQ(track[2].outTangent, 2.0f);
    EXPECT_FLOAT_EQ(track[2].time, 0.1f);
}

TEST(RTXKeyConverter, EulerAnglesAgreeWithAnIndependentRotationLibrary)
{
    for (const EulerCase& c : kEulerToQuaternion) {
        SCOPED_TRACE(testing::Message() << c.angles[0] << " " << c.angles[1] << " " << c.angles[2]);
        const D3DXVECTOR3 angles(c.angles[0], c.angles[1], c.angles[2]);
        ExpectSameRotation(RTXKeyConverter::EulerToQuaternion(angles), Quat(c.q));
        const D3DXVECTOR3 back = RTXKeyConverter::QuaternionToEuler(Quat(c.q));
        EXPECT_NEAR(back.x, angles.x, 1e-4f);
        EXPECT_NEAR(back.y, angles.y, 1e-4f);
        EXPECT_NEAR(back.z, angles.z, 1e-4f);
    }
    for (const EulerCase& c : kQuaternionToEuler) {
        const D3DXVECTOR3 angles = RTXKeyConverter::QuaternionToEuler(Quat(c.q));
        EXPECT_NEAR(angles.x, c.angles[0], 1e-4f);
        EXPECT_NEAR(angles.y, c.angles[1], 1e-4f);
        EXPECT_NEAR(angles.z, c.angles[2], 1e-4f);
    }
    // At the poles the turn about X is folded into Z.
    const D3DXVECTOR3 pole = RTXKeyConverter::QuaternionToEuler(RTXKeyConverter::EulerToQuaternion({0, kPi / 2, 0.4f}));
    EXPECT_FLOAT_EQ(pole.x, 0.0f);
    EXPECT_NEAR(pole.y, kPi / 2, 1e-6f);
}

TEST(RTXKeyConverter, EulerMergeKeepsTheRestingAnglesOfAxesWithoutKeys)
{
    DXC_3dObject node;
    const D3DXQUATERNION rest = RTXKeyConverter::EulerToQuaternion({0.3f, -0.2f, 0.0f});
    D3DXQuaternionToAxisAngle(&rest, &node.rotationAxis, &node.rotationAngle);
    std::vector<RTX_EulerRotKey> axes[3];
    axes[2] = {EulerKey(0, 0.0f), EulerKey(100, 1.0f), EulerKey(300, 2.0f)};
    RTXKeyConverter::MergeEuler(node, axes);
    EXPECT_TRUE(axes[2].empty());
    ASSERT_EQ(RotTimes(node), (std::vector<float>{0.0f, 100.0f, 300.0f}));
    const float z[3] = {0.0f, 1.0f, 2.0f};
    int i = 0;
    for (const DXC_RotKey* k = node.rotKeys; k; k = k->next, i++) {
        const D3DXVECTOR3 angles = RTXKeyConverter::QuaternionToEuler(k->data.quaternion);
        EXPECT_NEAR(angles.x, 0.3f, 1e-5f);
        EXPECT_NEAR(angles.y, -0.2f, 1e-5f);
        EXPECT_NEAR(angles.z, z[i], 1e-5f);
        EXPECT_EQ(k->type, KEY_LINEAR);
    }
}

TEST(RTXKeyConverter, EulerMergeTakesEveryKeyTimeOnceAndEvaluatesTheOtherAxes)
{
    DXC_3dObject node;
    std::vector<RTX_EulerRotKey> axes[3];
    axes[0] = {EulerKey(0, 0.0f), EulerKey(200, 1.0f, WithStepOut(0))};
    axes[1] = {EulerKey(100, 0.5f), EulerKey(200, 0.5f)};
    axes[2] = {EulerKey(0, 0.2f), EulerKey(400, 0.2f)};
    RTXKeyConverter::MergeEuler(node, axes);
    ASSERT_EQ(RotTimes(node), (std::vector<float>{0.0f, 100.0f, 200.0f, 400.0f}));
    const DXC_RotKey* k = node.rotKeys->next;  // tick 100: X halfway on its curve, Y keyed, Z flat
    const D3DXVECTOR3 at100 = RTXKeyConverter::QuaternionToEuler(k->data.quaternion);
    EXPECT_NEAR(at100.x, 0.5f, 1e-5f);
    EXPECT_NEAR(at100.y, 0.5f, 1e-5f);
    EXPECT_NEAR(at100.z, 0.2f, 1e-5f);
    EXPECT_EQ(k->next->type, KEY_HELD);  // X steps at tick 200
    const D3DXVECTOR3 at400 = RTXKeyConverter::QuaternionToEuler(node.LastRotKey()->data.quaternion);
    EXPECT_NEAR(at400.x, 1.0f, 1e-5f);  // held after the step
    EXPECT_NEAR(at400.y, 0.5f, 1e-5f);  // the last Y key holds

    // Keys at the no-key time, or at times that do not compare, end the merge all the same.
    DXC_3dObject odd;
    axes[0] = {EulerKey(RTXKeyConverter::kNoKeyTime, 1.0f), EulerKey(std::nanf(""), 1.0f)};
    axes[1] = {EulerKey(RTXKeyConverter::kNoKeyTime, 1.0f)};
    RTXKeyConverter::MergeEuler(odd, axes);
    EXPECT_LE(odd.numRotKey, 3);
    EXPECT_GE(odd.numRotKey, 1);
}

TEST(RTXKeyConverter, TcbControlQuaternions)
{
    DXC_3dObject single;
    RTXKeyConverter::AddTurn(single, 0.0f, Turn(0, 1, 0, 0.8f), KEY_TCB);
    RTXKeyConverter::BuildTcbControls(single);
    const DXC_RotKeyData& d = single.rotKeys->data;
    EXPECT_EQ(d.inControl, d.quaternion);
    EXPECT_EQ(d.outControl, d.quaternion);

    // Three keys about one axis with tension 0: the inner key's controls lie on the same axis, a
    // third of the way back and on; the ends take the half-way turn.
    DXC_3dObject node;
    for (int i = 0; i < 3; i++)
        RTXKeyConverter::AddTurn(node, float(i * 100), Turn(0, 0, 1, 0.6f), KEY_TCB);
    RTXKeyConverter::BuildTcbControls(node);
    auto angleOf = [](const D3DXQUATERNION& q) { return 2.0f * std::atan2(q.z, q.w); };
    const DXC_RotKey* first = node.rotKeys;
    const DXC_RotKey* inner = first->next;
    const DXC_RotKey* last = inner->next;
    EXPECT_NEAR(angleOf(first->data.outControl), 0.6f + 0.3f, 1e-4f);
    EXPECT_NEAR(angleOf(first->data.inControl), 0.6f, 1e-5f);
    EXPECT_NEAR(angleOf(inner->data.inControl), 1.2f - 0.2f, 1e-4f);
    EXPECT_NEAR(angleOf(inner->data.outControl), 1.2f + 0.2f, 1e-4f);
    EXPECT_NEAR(angleOf(last->data.inControl), 1.8f - 0.3f, 1e-4f);
}

TEST(RTXKeyConverter, NodeTracksConvertBezierTangentsAndTimes)
{
    DXC_3dObject node;
    DXC_PosKey key;
    key.type = KEY_BEZIER;
    key.data.inTangent = key.data.outTangent = D3DXVECTOR3(1, 1, 1);
    for (float t : {0.0f, 160.0f, 480.0f}) {
        key.time = t;
        node.AddPosKey(key);
    }
    RTXTimeBase base;
    base.secondsPerTick = 1.0f / 4800.0f;
    RTXKeyConverter::ConvertNodeTracks(node, base);
    const DXC_PosKey* k = node.posKeys->next;
    EXPECT_FLOAT_EQ(k->data.inTangent.x, 160.0f);
    EXPECT_FLOAT_EQ(k->data.outTangent.x, 320.0f);
    EXPECT_FLOAT_EQ(k->time, 160.0f / 4800.0f);
    EXPECT_FLOAT_EQ(node.posKeys->data.inTangent.x, 1.0f);

    // Sample (linear) keys keep their tangents.
    DXC_3dObject linear;
    DXC_ScaleKey scale;
    scale.type = KEY_LINEAR;
    scale.data.outTangent = D3DXVECTOR3(1, 1, 1);
    linear.AddScaleKey(scale);
    scale.time = 100;
    linear.AddScaleKey(scale);
    RTXKeyConverter::ConvertNodeTracks(linear, base);
    EXPECT_FLOAT_EQ(linear.scaleKeys->data.outTangent.x, 1.0f);
}
