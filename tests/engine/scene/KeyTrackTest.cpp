// KeyTrackTest: key insertion, search, interpolation, loop and clamp, cropping and reduction.
#include "engine/scene/DXC_3dObject.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr float kTol = 1e-5f;

DXC_PosKey PosKey(float time, float x, uint16_t type = KEY_LINEAR, float in = 0, float out = 0)
{
    DXC_PosKey k;
    k.time = time;
    k.type = type;
    k.data.value = D3DXVECTOR3(x, 0, 0);
    k.data.inTangent = D3DXVECTOR3(in, 0, 0);
    k.data.outTangent = D3DXVECTOR3(out, 0, 0);
    return k;
}

DXC_RotKey RotKeyAbs(float time, float angleAboutZ, uint16_t type = KEY_LINEAR)
{
    DXC_RotKey k;
    k.time = time;
    k.type = type;
    D3DXVECTOR3 z(0, 0, 1);
    D3DXQuaternionRotationAxis(&k.data.quaternion, &z, angleAboutZ);
    k.data.inControl = k.data.outControl = k.data.quaternion;
    return k;
}

float AngleAboutZ(const D3DXQUATERNION& q)
{
    return 2.0f * std::atan2(q.z, q.w);
}

TEST(KeyTrack, PositionLoopClampAndTypes)
{
    struct Case {
        uint16_t type;
        uint32_t loop;
        float range;
        double time;
        float expected;
    } cases[] = {
        {KEY_LINEAR, 0, 100, -5, 0},                                 // negative time evaluates as 0
        {KEY_LINEAR, 0, 100, 25, 5},  {KEY_LINEAR, 0, 100, 75, 10},  // beyond the last key: its value
        {KEY_LINEAR, 1, 100, 75, 5},                                 // halfway back to the first key
        {KEY_LINEAR, 1, 100, 125, 5}, {KEY_LINEAR, 1, 100, 175, 5},  {KEY_LINEAR, 1, 100, -25, 5},
        {KEY_HELD, 0, 100, 49.9, 0},  {KEY_HELD, 0, 100, 50, 10},    {KEY_HELD, 1, 100, 75, 10},
        {7, 0, 100, 25, 0},                                           // unknown types hold
        {KEY_LINEAR, 1, 0, 75, 10},                                   // a loop of range 0 runs as not looping
        {KEY_LINEAR, 1, 0, -5, 0},    {KEY_LINEAR, 1, -100, 75, 10},  // negative range wraps by |range|, no
                                                                      // way back
    };
    for (const Case& c : cases) {
        DXC_3dObject o;
        o.AddPosKey(PosKey(0, 0, c.type));
        o.AddPosKey(PosKey(50, 10, c.type));
        o.SetAniLoop(c.loop);
        o.SetAniRange(c.range);
        o.SetAniTime(c.time, 0, 1);
        EXPECT_NEAR(o.aniPosition.x, c.expected, 1e-4f)
            << "type " << c.type << " loop " << c.loop << " range " << c.range << " t " << c.time;
        EXPECT_EQ(o.worldMatrix.m[3][0], o.aniPosition.x);
    }
}

TEST(KeyTrack, HermiteTangents)
{
    struct Case {
        float out0, in1, u, expected;
    } cases[] = {
        {10, -10, 0.3f, 3},         // tangents of the straight line (in-tangent stored backwards)
        {0, 0, 0.5f, 5},            // flat ends: smoothstep
        {0, 0, 0.25f, 1.5625f},     //
        {10, 0, 0.5f, 5 + 1.25f},   // h3(0.5) = 0.125
        {0, -10, 0.5f, 5 - 1.25f},  // -h4(0.5) * in = -(-0.125)(-10)
    };
    for (const Case& c : cases) {
        DXC_3dObject o;
        o.AddPosKey(PosKey(0, 0, KEY_BEZIER, 0, c.out0));
        o.AddPosKey(PosKey(2, 10, KEY_BEZIER, c.in1, 0));
        o.SetAniTime(2 * c.u, 0, 1);
        EXPECT_NEAR(o.aniPosition.x, c.expected, 1e-4f) << c.out0 << " " << c.in1 << " " << c.u;
    }
}

TEST(KeyTrack, EmptyTracksGiveRestValues)
{
    DXC_3dObject o;
    o.SetPosition(1, 2, 3, 0);
    o.SetScale(2, 2, 2, 0);
    o.SetRotation(0, 0, 1, D3DX_PI / 2, 0);
    o.SetAniTime(5, 0, 0);
    EXPECT_EQ(o.aniPosition, D3DXVECTOR3(1, 2, 3));
    EXPECT_EQ(o.aniScale, D3DXVECTOR3(2, 2, 2));
    EXPECT_NEAR(AngleAboutZ(o.aniRotation), D3DX_PI / 2, kTol);
    EXPECT_NEAR(o.worldMatrix.m[0][1], 2.0f, kTol);  // x axis turned onto y and scaled
}

TEST(KeyTrack, InsertionOrderAndSearch)
{
    DXC_3dObject o;
    const float times[] = {3, 1, 2, 2, 0, 5};
    for (int i = 0; i < 6; i++)
        o.AddPosKey(PosKey(times[i], float(i)));
    ASSERT_EQ(o.numPosKey, 6);
    // chain in time order; of the two keys at 2 the later-inserted follows
    const float order[] = {0, 1, 2, 2, 3, 5};
    const float values[] = {4, 1, 2, 3, 0, 5};
    int i = 0;
    const DXC_PosKey* prev = nullptr;
    for (DXC_PosKey* k = o.posKeys; k; k = k->next, i++) {
        EXPECT_EQ(k->time, order[i]);
        EXPECT_EQ(k->data.value.x, values[i]);
        EXPECT_EQ(k->prev, prev);
        prev = k;
    }
    EXPECT_EQ(o.LastPosKey()->time, 5);
    // search by table and along the chain agree; each gives the last key at or before t
    o.BuildKeyTimeTables();
    ASSERT_NE(o.posTimeTable, nullptr);
    for (float t : {-1.0f, 0.0f, 0.5f, 1.0f, 2.0f, 2.5f, 4.9f, 5.0f, 9.0f}) {
        DXC_PosKey* a = FindKeyByTime(t, o.posTimeTable, o.numPosKey);
        DXC_PosKey* b = o.posKeys->FindKey(t);
        EXPECT_EQ(a, b) << t;
    }
    // from a later key the walk never goes back: a time before it answers the key itself
    EXPECT_EQ(o.posKeys->next->FindKey(-1.0f), o.posKeys->next);
    EXPECT_EQ(FindKeyByTime(2.0f, o.posTimeTable, o.numPosKey)->data.value.x, 3);
    // one key answers for every time
    KeyTimeEntry<DXC_PosKeyData> one[1] = {{o.posKeys, 0}};
    EXPECT_EQ(FindKeyByTime(-7.0f, one, 1), o.posKeys);
    EXPECT_EQ(FindKeyByTime(7.0f, one, 1), o.posKeys);
    // the evaluation through the table matches
    o.SetAniTime(2.5, 0, 1);
    EXPECT_NEAR(o.aniPosition.x, 1.5f, kTol);  // from 3 at t=2 to 0 at t=3

    // a count that does not match the chain is an error, not a table of the wrong size
    o.numPosKey = 1000000;
    EXPECT_THROW(o.BuildKeyTimeTables(), DXC_Error);
}

TEST(KeyTrack, KeysAddedAfterTheTablesAreFound)
{
    // Tables built for two keys, then two more keys on each track: the search must not use the
    // short tables.
    DXC_3dObject o;
    for (float t : {0.0f, 1.0f}) {
        o.AddPosKey(PosKey(t, t));
        DXC_ScaleKey s;
        s.time = t;
        s.data.value = D3DXVECTOR3(1 + t, 1, 1);
        o.AddScaleKey(s);
        o.AddRotKey(RotKeyAbs(t, 0.1f * t), 1);
    }
    o.BuildKeyTimeTables();
    for (float t : {2.0f, 3.0f}) {
        o.AddPosKey(PosKey(t, t));
        DXC_ScaleKey s;
        s.time = t;
        s.data.value = D3DXVECTOR3(1 + t, 1, 1);
        o.AddScaleKey(s);
        o.AddRotKey(RotKeyAbs(t, 0.1f * t), 1);
    }
    o.SetAniTime(2.5, 0, 1);
    EXPECT_NEAR(o.aniPosition.x, 2.5f, kTol);
    EXPECT_NEAR(o.aniScale.x, 3.5f, kTol);
    EXPECT_NEAR(AngleAboutZ(o.aniRotation), 0.25f, kTol);
    o.BuildKeyTimeTables();  // rebuilt for all four
    o.SetAniTime(2.75, 0, 1);
    EXPECT_NEAR(o.aniPosition.x, 2.75f, kTol);
}

TEST(KeyTrack, RotationInterpolation)
{
    struct Case {
        uint16_t type;
        float u;
        float expected;  // angle about z, of a turn from 0 to 90 degrees
    } cases[] = {
        {KEY_LINEAR, 0.5f, D3DX_PI / 4},
        {KEY_BEZIER, 0.25f, D3DX_PI / 8},
        // TCB with controls on the keys and no continuity: the smoothstep of the angle
        {KEY_TCB, 0.5f, D3DX_PI / 4},
        {KEY_TCB, 0.25f, D3DX_PI / 2 * (3 * 0.0625f - 2 * 0.015625f)},
        {KEY_HELD, 0.75f, 0},
        {9, 0.75f, 0},
    };
    for (const Case& c : cases) {
        DXC_3dObject o;
        o.AddRotKey(RotKeyAbs(0, 0, c.type), 1);
        o.AddRotKey(RotKeyAbs(4, D3DX_PI / 2, c.type), 1);
        o.SetAniTime(4 * c.u, 0, 1);
        EXPECT_NEAR(AngleAboutZ(o.aniRotation), c.expected, 1e-4f) << c.type << " " << c.u;
    }
    // looping back from the last key to the first
    DXC_3dObject o;
    o.AddRotKey(RotKeyAbs(0, 0), 1);
    o.AddRotKey(RotKeyAbs(50, D3DX_PI / 2), 1);
    o.SetAniLoop(1);
    o.SetAniRange(100);
    o.SetAniTime(75, 0, 1);
    EXPECT_NEAR(AngleAboutZ(o.aniRotation), D3DX_PI / 4, 1e-4f);
    o.SetAniLoop(0);
    o.SetAniTime(75, 0, 1);
    EXPECT_NEAR(AngleAboutZ(o.aniRotation), D3DX_PI / 2, 1e-4f);
}

TEST(KeyTrack, RotationKeyModes)
{
    // mode 0: relative turns accumulate into absolute quaternions
    DXC_3dObject o;
    DXC_RotKey k;
    k.time = 0;
    k.data.axis = D3DXVECTOR3(0, 0, 2);  // scaled to unit length
    k.data.angle = D3DX_PI / 4;
    o.AddRotKey(k, 0);
    k.time = 1;
    o.AddRotKey(k, 0);
    EXPECT_NEAR(AngleAboutZ(o.LastRotKey()->data.quaternion), D3DX_PI / 2, kTol);
    EXPECT_EQ(o.rotKeys->data.axis, D3DXVECTOR3(0, 0, 1));
    EXPECT_EQ(o.numRotKey, 2);

    // mode 2: absolute quaternions give the relative turn as axis and angle
    DXC_3dObject a;
    a.AddRotKey(RotKeyAbs(0, 0.5f), 2);
    a.AddRotKey(RotKeyAbs(1, 1.25f), 2);
    EXPECT_NEAR(a.rotKeys->data.angle, 0.5f, kTol);
    EXPECT_NEAR(a.rotKeys->next->data.angle, 0.75f, kTol);
    EXPECT_NEAR(a.rotKeys->next->data.axis.z, 1.0f, kTol);

    // mode 1: kept as given, but moved into the hemisphere of the previous key
    DXC_3dObject b;
    b.AddRotKey(RotKeyAbs(0, 0), 1);
    DXC_RotKey neg = RotKeyAbs(1, 0.2f);
    neg.data.quaternion = -neg.data.quaternion;
    b.AddRotKey(neg, 1);
    EXPECT_GT(b.LastRotKey()->data.quaternion.w, 0.0f);
}

TEST(KeyTrack, CropKeys)
{
    struct Case {
        float start, end;
        int32_t removed;
        std::vector<float> times;
    } cases[] = {
        {1.5f,
         3.5f,
         1,
         {-0.5f, 0.5f, 1.5f,
          4.0f}},  // the last key before start survives; the last key beyond end keeps its time
        {0.0f, 2.5f, 1, {0, 1, 2, 4}},
        {10.0f, 20.0f, 4, {4 - 10.0f}},  // all but the last go
        {0.0f, 10.0f, 0, {0, 1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        DXC_3dObject o;
        for (int i = 0; i < 5; i++)
            o.AddPosKey(PosKey(float(i), float(i)));
        o.BuildKeyTimeTables();
        EXPECT_EQ(o.CropKeys(c.start, c.end), c.removed);
        std::vector<float> times;
        for (DXC_PosKey* k = o.posKeys; k; k = k->next)
            times.push_back(k->time);
        EXPECT_EQ(times, c.times) << c.start << ".." << c.end;
        EXPECT_EQ(o.numPosKey, int32_t(c.times.size()));
        EXPECT_EQ(o.posCursor, nullptr);
        o.SetAniTime(0.25, 0, 1);  // the rebuilt table is usable
    }
}

TEST(KeyTrack, ReduceKeys)
{
    struct Case {
        uint16_t type;
        float middle;
        int32_t removed;
    } cases[] = {
        {KEY_LINEAR, 1.0f, 1},  // on the line
        {KEY_LINEAR, 1.5f, 0},
        {KEY_HELD, 1.0f, 0},  // held keys go only when the value does not change
    };
    for (const Case& c : cases) {
        DXC_3dObject o;
        o.AddPosKey(PosKey(0, 0, c.type));
        o.AddPosKey(PosKey(1, c.middle, c.type));
        o.AddPosKey(PosKey(2, 2, c.type));
        EXPECT_EQ(o.ReduceKeys(0), c.removed);
        EXPECT_EQ(o.numPosKey, 3 - c.removed);
    }
    DXC_3dObject held;
    for (int i = 0; i < 4; i++)
        held.AddPosKey(PosKey(float(i), 7, KEY_HELD));
    EXPECT_EQ(held.ReduceKeys(0), 2);
    // Bezier keys on a line with parallel tangents: the middle goes and the outer tangents stretch
    DXC_3dObject bz;
    bz.AddPosKey(PosKey(0, 0, KEY_BEZIER, 0, 1));
    bz.AddPosKey(PosKey(1, 1, KEY_BEZIER, -1, 1));
    bz.AddPosKey(PosKey(2, 2, KEY_BEZIER, -1, 0));
    EXPECT_EQ(bz.ReduceKeys(0), 1);
    EXPECT_NEAR(bz.posKeys->data.outTangent.x, 2.0f, kTol);
    EXPECT_NEAR(bz.posKeys->next->data.inTangent.x, -2.0f, kTol);
    bz.SetAniTime(1.0, 0, 1);
    EXPECT_NEAR(bz.aniPosition.x, 1.0f, kTol);
    // rotation: two equal relative turns about z merge into one
    DXC_3dObject r;
    DXC_RotKey k;
    k.data.axis = D3DXVECTOR3(0, 0, 1);
    k.data.angle = 0.3f;
    for (int i = 0; i < 3; i++) {
        k.time = float(i);
        r.AddRotKey(k, 0);
    }
    EXPECT_EQ(r.ReduceKeys(0), 0);  // rotation only when asked
    EXPECT_EQ(r.ReduceKeys(1), 1);
    EXPECT_NEAR(r.LastRotKey()->data.angle, 0.6f, kTol);
    EXPECT_NE(r.rotTimeTable, nullptr);
    r.SetAniTime(1.0, 0, 1);
    EXPECT_NEAR(AngleAboutZ(r.aniRotation), 0.6f, 1e-4f);  // the middle pose is still reached
}

TEST(KeyTrack, OpacityCurveIsClamped)
{
    DXC_3dObject o;
    o.opacityCurve.SetNumKeys(2);
    o.opacityCurve.GetKey(0) = {0.0f, -1.0f, 0.0f, 0.0f};
    o.opacityCurve.GetKey(1) = {2.0f, 3.0f, 0.0f, 0.0f};  // linear from -1 to 3
    struct Case {
        double time;
        float expected;
    } cases[] = {{0.0, 0.0f}, {0.75, 0.5f}, {1.0, 1.0f}, {2.0, 1.0f}};
    for (const Case& c : cases) {
        o.SetAniTime(c.time, 0, 1);
        EXPECT_NEAR(o.opacity, c.expected, kTol) << c.time;
    }
    DXC_3dObject none;
    none.opacity = 0.3f;
    none.SetAniTime(1.0, 0, 1);
    EXPECT_EQ(none.opacity, 0.3f);  // without keys the opacity stays as set
}

TEST(KeyTrack, CopyNodeCopiesKeysDeeply)
{
    DXC_3dObject a, b;
    a.SetObjectName("a");
    a.AddPosKey(PosKey(0, 1));
    a.AddPosKey(PosKey(1, 2));
    a.BuildKeyTimeTables();
    DXC_3dObject::CopyNode(a, b);
    EXPECT_STREQ(b.GetObjectName(), "a");
    ASSERT_NE(b.posKeys, a.posKeys);
    EXPECT_EQ(b.numPosKey, 2);
    EXPECT_NE(b.posTimeTable, nullptr);
    a.ClearKeys();
    b.SetAniTime(0.5, 0, 1);
    EXPECT_NEAR(b.aniPosition.x, 1.5f, kTol);
}

}  // namespace
