// AC_FadeProperties: the fade curve and fades in and out, changing cycles, speed and length,
// the end of a cycle, speed curves, events, the height curve, the packed state and the save
// record with its old numbering.
#include "game/objects/AC_FadeProperties.h"

#include "base/File.h"
#include "game/objects/CreatureCycleTestSupport.h"
#include "support/ByteBuilder.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int32_t kWalk = 128;
constexpr int32_t kRun = 148;

class AC_FadePropertiesTest : public ::testing::Test {
protected:
    AC_FadePropertiesTest()
    {
        AddTestCycle(set, kWalk, 3.0f);
        AddTestCycle(set, kRun, 2.0f);
        player.cycleSet = &set;
    }
    void Set(int32_t number, bool restart = false, bool resetTime = true)
    {
        player.SetCycle(&set.GetCycle(number), number, restart, resetTime);
    }

    AniCycleSet set;
    AC_FadeProperties player;
};

}  // namespace

TEST_F(AC_FadePropertiesTest, FadeCurve)
{
    // ((1.1 - 0.2x)x + 0.1)x evaluated in Python's doubles.
    const struct {
        float x, f;
    } kCases[] = {{-0.5f, 0.0f},        {0.0f, 0.0f},   {0.25f, 0.090625f}, {0.5f, 0.3f},
                  {0.59f, 0.4008342f}, {0.75f, 0.609375f}, {1.0f, 1.0f}, {1.5f, 1.0f}};
    for (const auto& c : kCases)
        EXPECT_NEAR(AC_FadeProperties::FadeCurve(c.x), c.f, 1e-6f) << c.x;
    // It passes 0.5 at 0.66951 (bisection in Python), not at 0.59.
    EXPECT_LT(AC_FadeProperties::FadeCurve(0.6694f), 0.5f);
    EXPECT_GT(AC_FadeProperties::FadeCurve(0.6696f), 0.5f);
}

TEST_F(AC_FadePropertiesTest, FadesInAndOut)
{
    EXPECT_EQ(player.cycleNumber, -1);
    set.GetPlayData(kWalk).fadeInTime = 0.5f;
    Set(kWalk);
    EXPECT_EQ(player.weight, 0.001f);  // a cycle set at weight 0 is never invisible
    EXPECT_EQ(player.fade, 1.0f);
    EXPECT_EQ(player.length, 3.0f);
    player.Advance(0.25f, false);
    EXPECT_GT(player.weight, 0.001f);
    EXPECT_LT(player.weight, 1.0f);
    player.Advance(0.26f, false);
    EXPECT_EQ(player.fade, 0.0f);
    EXPECT_EQ(player.weight, 1.0f);

    player.Clear();  // fades out in 0.1 x the factor
    EXPECT_EQ(player.pNextCycle, nullptr);
    EXPECT_FLOAT_EQ(player.GetFadeTime(), 0.1f);
    EXPECT_EQ(player.weightAtChange, 1.0f);
    player.Advance(0.05f, false);
    EXPECT_GT(player.weight, 0.0f);
    player.Advance(0.051f, false);
    EXPECT_EQ(player.weight, 0.0f);

    AC_FadeProperties slow;
    slow.cycleSet = &set;
    slow.interpolationTimeFactor = 2.0f;
    set.GetPlayData(kRun).fadeInTime = 0.3f;
    slow.SetCycle(&set.GetCycle(kRun), kRun, false, true);
    EXPECT_FLOAT_EQ(slow.GetFadeTime(), 0.6f);
    slow.Advance(0.59f, false);
    EXPECT_GT(slow.fade, 0.0f);
    slow.Advance(0.02f, false);
    EXPECT_EQ(slow.fade, 0.0f);
}

TEST_F(AC_FadePropertiesTest, ChangingCycles)
{
    Set(kWalk);
    player.SetSpeed(2.0f);
    player.time = 1.2f;
    player.fade = 0.4f;
    Set(kWalk);  // the same without restart: nothing at all
    EXPECT_EQ(player.speed, 2.0f);
    EXPECT_EQ(player.time, 1.2f);
    EXPECT_EQ(player.fade, 0.4f);

    player.time = 2.5f;
    Set(kRun, false, false);  // the phase goes on: 2.5 modulo 2
    EXPECT_FLOAT_EQ(player.time, 0.5f);
    EXPECT_EQ(player.speed, 1.0f);
    EXPECT_EQ(player.fade, 1.0f);
    Set(kRun, true, true);
    EXPECT_EQ(player.time, 0.0f);

    {
        LogCapture log;
        AniCycle empty;
        EXPECT_THROW(player.SetCycle(&empty, 5, false, true), ErrorMsg);
        EXPECT_EQ(log.Count("Invalid anicycle in SetCycle()"), 1);
    }
}

TEST_F(AC_FadePropertiesTest, SpeedLengthAndEnd)
{
    {
        LogCapture log;
        player.SetSpeed(2.0f);
        player.SetLength(2.0f);
        EXPECT_EQ(log.Count("pNextCycle=NULL in SetSpeed"), 1);
        EXPECT_EQ(log.Count("pNextCycle=NULL in SetLength"), 1);
        EXPECT_EQ(player.speed, 1.0f);
        EXPECT_FALSE(player.IsFinished());
    }
    Set(kWalk);  // 3 s
    player.SetSpeed(2.0f);
    EXPECT_FLOAT_EQ(player.length, 1.5f);
    player.SetLength(1.0f);
    EXPECT_FLOAT_EQ(player.speed, 3.0f);

    AniCycle& once = set.GetCycle(kRun);
    once.SetLoop(0);
    Set(kRun);
    player.time = 1.99f;
    EXPECT_FALSE(player.IsFinished());
    player.time = 2.0f;
    EXPECT_TRUE(player.IsFinished());
    player.reverse = 1;
    EXPECT_FALSE(player.IsFinished());
    player.time = 0.0f;
    EXPECT_TRUE(player.IsFinished());
    once.SetLoop(1);
    player.time = 50.0f;
    EXPECT_FALSE(player.IsFinished());  // a looping cycle never ends
}

TEST_F(AC_FadePropertiesTest, SpeedCurvesEventsAndHeight)
{
    EXPECT_EQ(player.GetSpeedFactor(1.0f), 1.0f);  // no cycle
    Set(kRun);  // 2 s
    EXPECT_EQ(player.GetSpeedFactor(1.0f), 1.0f);  // no curves
    AniCyclePlayData& play = set.GetPlayData(kRun);
    play.speedByPhase.SetNumKeys(2);
    play.speedByPhase.GetKey(1).time = 1.0f;
    play.speedByPhase.GetKey(0).value = 1.0f;
    play.speedByPhase.GetKey(1).value = 2.0f;
    player.time = 2.5f;  // phase 0.25
    EXPECT_NEAR(player.GetSpeedFactor(0.3f), 1.25f, 1e-5f);
    play.speedByDirection.SetNumKeys(2);
    play.speedByDirection.GetKey(1).time = 180.0f;
    play.speedByDirection.GetKey(1).value = 4.0f;  // 0 at 0 degrees, 4 at 180
    EXPECT_NEAR(player.GetSpeedFactor(3.14159265f / 2.0f), 2.0f * 1.25f, 1e-4f);

    play.eventTimes = {0.5f};  // at 1.0 s
    player.time = 0.9f;
    player.Advance(0.05f, true);
    EXPECT_EQ(player.eventFlag, 0);
    player.Advance(0.1f, true);
    EXPECT_EQ(player.eventFlag, 1);
    player.Advance(0.1f, true);
    EXPECT_EQ(player.eventFlag, 0);

    BezierSpline<float> rise;  // 10 units per second
    rise.SetNumKeys(2);
    rise.GetKey(1).time = 10.0f;
    rise.GetKey(1).value = 100.0f;
    play.heightCurves.push_back(rise);
    player.time = 1.0f;
    player.speed = 2.0f;
    EXPECT_NEAR(player.GetRootDistance(0.5f, 0), 10.0f, 1e-4f);
    EXPECT_EQ(player.GetRootDistance(0.5f, 1), 0.0f);  // no such curve
}

TEST_F(AC_FadePropertiesTest, PackedState)
{
    // Speed words computed with Python's struct: the float's bits plus 1 << 13, bits 30-31
    // to 14-15 and bits 14-27 to 0-13.
    const struct {
        float speed;
        uint16_t word;
    } kSpeeds[] = {{1.0f, 0x3E00}, {2.0f, 0x4000}, {0.5f, 0x3C00}, {0.75f, 0x3D00}, {-1.5f, 0xBF00}};
    for (const auto& c : kSpeeds)
        EXPECT_EQ(AC_FadeProperties::PackSpeed(c.speed), c.word) << c.speed;

    uint16_t cycleWord = 0, speedWord = 0;
    player.Init(AC_BoundCycle());
    EXPECT_EQ(player.cycleNumber, -2);
    EXPECT_TRUE(player.GetStateChange(cycleWord, speedWord));  // after an init: a change
    EXPECT_EQ(cycleWord, 0xFFFE);
    EXPECT_FALSE(player.GetStateChange(cycleWord, speedWord));
    Set(kWalk);
    player.SetSpeed(2.0f);
    player.reverse = 1;
    EXPECT_TRUE(player.GetStateChange(cycleWord, speedWord));
    EXPECT_EQ(cycleWord, 0x4000 | kWalk);
    EXPECT_EQ(speedWord, 0x4000);

    LogCapture log;
    player.cycleNumber = 451;
    EXPECT_FALSE(player.GetStateChange(cycleWord, speedWord));
    EXPECT_EQ(cycleWord, 65535);
    EXPECT_EQ(speedWord, 0x3E00);
    EXPECT_EQ(log.Count("Internal Error: invalid NextCycleID: 451"), 1);
}

TEST_F(AC_FadePropertiesTest, SaveRecord)
{
    Set(kWalk);
    player.time = 1.25f;
    player.fade = 0.5f;
    player.weight = 0.75f;
    player.weightAtChange = 0.25f;
    player.reverse = 1;
    player.speed = 2.0f;
    player.length = 1.5f;
    player.rootPosAtChange[0] = 3.0f;
    player.rootPosAtChange[1] = -4.0f;
    player.rotationAtChange = 0.5f;
    player.interpolationTimeFactor = 2.0f;
    File out;
    out.CreateMemoryFile(0);
    player.Save(out);
    const std::vector<uint8_t> expected =
        ByteBuilder().I32(kWalk).F32s({1.25f, 0.5f, 0.75f, 0.25f}).I32(1).F32s({1.5f, 2.0f, 3.0f, -4.0f, 0.5f, 2.0f}).bytes;
    EXPECT_EQ(BytesOf(out), expected);

    auto load = [](const std::vector<uint8_t>& bytes, uint16_t version) {
        AC_FadeProperties loaded;
        File file;
        ByteBuilder{bytes}.Into(file);
        loaded.Load(file, version);
        EXPECT_EQ(file.GetRemaining(), 0) << version;
        return loaded;
    };
    AC_FadeProperties back = load(expected, 275);
    EXPECT_EQ(back.cycleNumber, kWalk);
    EXPECT_EQ(back.pNextCycle, nullptr);  // bound again by the creature
    EXPECT_EQ(back.rotationAtChange, 0.5f);
    EXPECT_EQ(back.interpolationTimeFactor, 2.0f);
    EXPECT_EQ(back.speed, 2.0f);

    auto record = [](int32_t number, bool withRotation) {
        ByteBuilder b;
        b.I32(number).F32s({0, 0, 0, 0}).I32(0).F32s({0, 1, 0, 0});
        if (withRotation)
            b.F32(0.5f);
        b.F32(1.0f);
        return b.bytes;
    };
    const struct {
        int32_t saved;
        uint16_t version;
        int32_t loaded;
    } kCases[] = {
        {70, 223, 134},    // the older attack numbering
        {63, 223, 63},     {70, 224, 70},   {-2, 275, -2},
        {400, 223, -1},    // 464 after renumbering: no cycle
        {451, 275, -1},    {-3, 275, -1},   {0x7FFFFFFF, 275, -1}, {0x7FFFFFFF, 223, -1},
    };
    for (const auto& c : kCases) {
        AC_FadeProperties loaded = load(record(c.saved, c.version >= 243), c.version);
        EXPECT_EQ(loaded.cycleNumber, c.loaded) << c.saved << " " << c.version;
        EXPECT_EQ(loaded.rotationAtChange, c.version >= 243 ? 0.5f : 0.0f);
    }
    File cut;
    std::vector<uint8_t> shortRecord = record(5, true);
    shortRecord.pop_back();
    ByteBuilder{shortRecord}.Into(cut);
    AC_FadeProperties victim;
    EXPECT_THROW(victim.Load(cut, 275), ErrorMsg);
}

TEST_F(AC_FadePropertiesTest, CopyKeepsState)
{
    Set(kRun);
    player.time = 0.7f;
    player.Advance(0.1f, true);
    AC_FadeProperties copy(player);
    EXPECT_EQ(copy.cycleNumber, kRun);
    EXPECT_EQ(copy.pNextCycle, &set.GetCycle(kRun));
    EXPECT_EQ(copy.time, player.time);
    EXPECT_EQ(copy.bound.cycle, player.bound.cycle);
    EXPECT_STREQ(copy.GetClassName(), "AC_FadeProperties");
}
