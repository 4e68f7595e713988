// DXC_AniCycleTest: cycle time (loop, clamp, speed), pose copies, whole-motion changes and blending.
#include "engine/scene/DXC_AniCycle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

constexpr float kTol = 1e-5f;

// A cycle whose one object track has position x equal to the evaluated time (keys 0 -> 0, 10 -> 10).
void MakeClock(DXC_AniCycle& c)
{
    c.AllocTracks(1, 0);
    c.AllocMaps(1, 0);
    c.objectMap[0] = {0, 0};
    for (float t : {0.0f, 10.0f}) {
        DXC_PosKey k;
        k.time = t;
        k.data.value = D3DXVECTOR3(t, 0, 0);
        c.objectTracks[0].AddPosKey(k);
    }
}

TEST(DXC_AniCycle, TimeLoopClampAndSpeed)
{
    struct Case {
        float start, end, speed;
        uint32_t loop;
        double time, expected;
    } cases[] = {
        {1, 3, 2, 1, 1.25, 1.5},  // 2.5 wrapped into the length 2.0, then + 1.0
        {1, 3, 2, 0, 1.25, 2.5},   {1, 3, 2, 0, 2.0, 3.0},
        {1, 3, 2, 0, 0.1, 1.0},    {1, 3, 2, 1, -0.25, 2.5},  // -0.5 wraps to 1.5
        {2, 2, 1, 1, 7.0, 2.0},                               // no length: clamps instead of dividing by zero
        {0, 4, 0.5f, 1, 9.0, 0.5},
    };
    for (const Case& c : cases) {
        DXC_AniCycle cycle;
        MakeClock(cycle);
        cycle.startTime = c.start;
        cycle.endTime = c.end;
        cycle.speed = c.speed;
        cycle.loop = c.loop;
        cycle.SetAniTime(c.time);
        EXPECT_NEAR(cycle.objectTracks[0].aniPosition.x, c.expected, kTol) << c.time;
    }
    DXC_AniCycle cycle;
    cycle.startTime = 1;
    cycle.endTime = 3;
    cycle.speed = 2;
    EXPECT_DOUBLE_EQ(cycle.GetAniDuration(), 1.0);
}

TEST(DXC_AniCycle, InitLoopAndData)
{
    DXC_AniCycle c;
    EXPECT_STREQ(c.GetCycleName(), "*NoName*");
    EXPECT_EQ(c.loop, 1u);
    EXPECT_EQ(c.speed, 1.0f);
    EXPECT_FALSE(c.HasData());
    MakeClock(c);
    EXPECT_TRUE(c.HasData());
    c.SetLoop(1);
    EXPECT_EQ(c.objectTracks[0].aniLoop, 1u);
    char longName[100];
    std::memset(longName, 'x', sizeof longName);
    longName[99] = 0;
    c.SetCycleName(longName);
    EXPECT_EQ(std::strlen(c.GetCycleName()), 63u);
    c.Init();
    EXPECT_FALSE(c.HasData());
}

TEST(DXC_AniCycle, PoseCopy)
{
    DXC_AniCycle a, b;
    MakeClock(a);
    MakeClock(b);
    a.SetCycleName("walk");
    a.endTime = 10;
    a.loop = 0;
    a.SetAniTime(4.0);
    b << a;
    EXPECT_EQ(b.objectTracks[0].aniPosition.x, 4.0f);
    EXPECT_EQ(b.objectTracks[0].worldMatrix.m[3][0], 4.0f);
    EXPECT_STREQ(b.GetCycleName(), "walk");
    EXPECT_EQ(b.endTime, 10.0f);

    DXC_AniCycle other;
    MakeClock(other);
    other.objectMap[0].sceneSlot = 5;
    try {
        other << a;
        FAIL();
    } catch (const DXC_Error& e) {
        EXPECT_STREQ(e.message, "Scenes do not match in DXC_AniCycle 'walk' operator '<<'");
    }
    DXC_AniCycle empty;
    EXPECT_THROW(empty << a, DXC_Error);
}

TEST(DXC_AniCycle, WholeMotionChanges)
{
    DXC_AniCycle c;
    c.AllocTracks(2, 0);
    c.objectTracks[0].SetPosition(1, 0, 0, 1);
    c.objectTracks[1].SetPosition(1, 0, 0, 1);
    c.objectTracks[1].parentName = "root";
    for (int i = 0; i < 2; i++)
        c.objectTracks[i].transformChanged = 0;
    c.ScaleAll(1, 1, 1, 0);
    c.SetTransformAll(0, 0, 1, 0);
    EXPECT_EQ(c.objectTracks[0].transformChanged, 0u);  // nothing at all
    c.SetTransformAll(0, 0, 1, D3DX_PI / 2);
    EXPECT_NEAR(c.objectTracks[0].position.y, 1.0f, kTol);  // roots turn
    EXPECT_NEAR(c.objectTracks[1].position.x, 1.0f, kTol);  // children are left to their root
    EXPECT_EQ(c.objectTracks[1].transformChanged, 1u);
    c.ScaleAll(2, 2, 2, 0);
    EXPECT_NEAR(c.objectTracks[0].position.y, 2.0f, kTol);
    EXPECT_EQ(c.objectTracks[0].scale, D3DXVECTOR3(2, 2, 2));
    EXPECT_EQ(c.objectTracks[1].scale, D3DXVECTOR3(1, 1, 1));
}

// Two-track cycles fitting the same scene slots; track 0 is the root.
struct BlendRig {
    DXC_AniCycle a, b, out;
    BlendRig()
    {
        for (DXC_AniCycle* c : {&a, &b, &out}) {
            c->AllocTracks(2, 0);
            c->AllocMaps(2, 0);
            c->objectMap[0] = {3, 0};
            c->objectMap[1] = {7, 1};
        }
        a.SetCycleName("A");
        b.SetCycleName("B");
        out.SetCycleName("Out");
        D3DXVECTOR3 z(0, 0, 1);
        for (int i = 0; i < 2; i++) {
            a.objectTracks[i].aniPosition = D3DXVECTOR3(2, 0, 0);
            a.objectTracks[i].lastAniTime = 1.0;
            b.objectTracks[i].aniPosition = D3DXVECTOR3(4, 0, 0);
            b.objectTracks[i].aniScale = D3DXVECTOR3(3, 3, 3);
            D3DXQuaternionRotationAxis(&b.objectTracks[i].aniRotation, &z, D3DX_PI / 2);
            b.objectTracks[i].lastAniTime = 2.0;
        }
    }
};

TEST(DXC_AniCycle, BlendWeights)
{
    struct Case {
        float w;
        const float* weights;
        float expectedWB;
    };
    static const float half[2] = {0.5f, 0.5f};
    static const float zero[2] = {0.0f, 0.0f};
    static const float one[2] = {1.0f, 1.0f};
    const Case cases[] = {
        {0.0f, nullptr, 0.0f},  {1.0f, nullptr, 1.0f}, {0.5f, nullptr, 0.5f},
        {-3.0f, nullptr, 0.0f}, {7.0f, nullptr, 1.0f},  // clamped
        {0.5f, half, 0.5f},     {1.0f, half, 1.0f},    {0.25f, half, 0.25f},
        {0.5f, zero, 0.0f},     {1.0f, zero, 1.0f},    {0.5f, one, 1.0f},
    };
    for (const Case& c : cases) {
        BlendRig r;
        r.out.Blend(r.a, &r.b, c.w, c.weights, -1, 0.0f, 1.0f);
        SCOPED_TRACE(testing::Message() << "w " << c.w << " table " << (c.weights ? c.weights[0] : -1));
        const DXC_3dObject& t = r.out.objectTracks[1];
        EXPECT_NEAR(t.aniPosition.x, 2 + 2 * c.expectedWB, 1e-4f);
        EXPECT_NEAR(t.aniScale.x, 1 + 2 * c.expectedWB, 1e-4f);
        EXPECT_NEAR(2 * std::atan2(t.aniRotation.z, t.aniRotation.w), D3DX_PI / 2 * c.expectedWB, 1e-4f);
        EXPECT_EQ(t.lastAniTime, std::fmin(std::fmax(c.w, 0.0f), 1.0f) < 0.5f ? 1.0 : 2.0);
        EXPECT_EQ(t.worldValid, 1u);  // rebuilt
        EXPECT_NEAR(t.worldMatrix.m[3][0], t.aniPosition.x, 1e-4f);
    }
    // bias and contrast shape the table value: e 0.5, bias 0.5 -> f 0.75; contrast 2 -> g 1
    BlendRig r;
    r.out.Blend(r.a, &r.b, 0.5f, half, -1, 0.5f, 2.0f);
    EXPECT_NEAR(r.out.objectTracks[0].aniPosition.x, 4.0f, 1e-4f);
}

TEST(DXC_AniCycle, BlendRootRelativeAndMissingTracks)
{
    BlendRig r;
    r.a.objectTracks[0].worldMatrix.m[3][0] = 0.5f;  // the root's world position
    r.out.Blend(r.a, nullptr, 0.7f, nullptr, 0, 0, 1);
    EXPECT_NEAR(r.out.objectTracks[0].aniPosition.x, 2.0f, kTol);  // the root itself stays
    EXPECT_NEAR(r.out.objectTracks[1].aniPosition.x, 1.5f, kTol);  // others relative to it
    EXPECT_EQ(r.out.objectTracks[1].aniRotation, D3DXQUATERNION(0, 0, 0, 1));

    // a child that inherits its parent's position keeps its position
    BlendRig p;
    p.a.objectTracks[0].worldMatrix.m[3][0] = 0.5f;
    p.a.objectTracks[1].parent = &p.a.objectTracks[0];
    p.out.Blend(p.a, nullptr, 0, nullptr, 0, 0, 1);
    EXPECT_NEAR(p.out.objectTracks[1].aniPosition.x, 2.0f, kTol);

    // A without a track for an entry: B's track is taken whole; B without one: A's
    BlendRig m;
    m.a.objectMap[0].track = -1;
    m.b.objectMap[1].track = -1;
    m.out.Blend(m.a, &m.b, 0.25f, nullptr, -1, 0, 1);
    EXPECT_NEAR(m.out.objectTracks[0].aniPosition.x, 4.0f, kTol);
    EXPECT_NEAR(m.out.objectTracks[1].aniPosition.x, 2.0f, kTol);
    EXPECT_EQ(m.out.objectTracks[1].lastAniTime, 1.0);
}

TEST(DXC_AniCycle, BlendErrors)
{
    struct Case {
        int which;  // 0 A's count, 1 B's count, 2 slot of A, 3 slot of B
        const char* message;
    } cases[] = {
        {0, "Number of scene helper objects does not match in DXC_AniCycle 'Out'"},
        {1, "Number of compatible helper objects does not match in DXC_AniCycle 'Out'"},
        {2, "Scenes are not compatible in DXC_AniCycle 'Out' and DXC_AniCycle 'A'"},
        {3, "Scenes are not compatible in DXC_AniCycle 'Out' and DXC_AniCycle 'B'"},
    };
    for (const Case& c : cases) {
        BlendRig r;
        if (c.which == 0)
            r.a.AllocMaps(1, 0);
        if (c.which == 1)
            r.b.AllocMaps(3, 0);
        if (c.which == 2)
            r.a.objectMap[1].sceneSlot = 9;
        if (c.which == 3)
            r.b.objectMap[1].sceneSlot = 9;
        try {
            r.out.Blend(r.a, &r.b, 0.5f, nullptr, -1, 0, 1);
            ADD_FAILURE() << c.message;
        } catch (const DXC_Error& e) {
            EXPECT_STREQ(e.message, c.message);
        }
    }
}

}  // namespace
