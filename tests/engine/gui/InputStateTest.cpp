// InputState: key changes from the keyboard's state, auto-repeat on the program clock without
// drift, rates that repeat nothing, and a lost keyboard.
#include "engine/gui/InputState.h"

#include "support/FakeInputDevices.h"
#include "support/TestClock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr int32_t kKeyA = 30;
constexpr double kFrame = 1.0 / 64.0;

// A keyboard given to a fresh key state, with timing that binary fractions hold exactly: half a
// second before a key repeats, then 16 repeats a second.
struct KeyboardFixture {
    TestClock clock{10.0};
    FakeKeyboard keyboard;
    InputState keys;

    KeyboardFixture()
    {
        keys.device = &keyboard;
        keys.repeatDelay = 0.5f;
        keys.repeatRate = 16.0f;
    }
    void NextFrame()
    {
        clock.Advance(kFrame);
        EXPECT_EQ(keys.Update(), InputState::kUpdated);
    }
};

}  // namespace

TEST(InputStateTest, WithoutAKeyboardNothingIsHeld)
{
    InputState keys;
    EXPECT_EQ(keys.Update(), InputState::kNoDevice);
    for (int32_t key : {0, kKeyA, 255, -1, 256}) {
        EXPECT_FALSE(keys.IsKeyDown(key)) << key;
        EXPECT_FALSE(keys.IsKeyJustReleased(key)) << key;
        EXPECT_EQ(keys.GetKeyRepeats(key), 0) << key;
    }
}

// 1 in the frame of the press, nothing before the delay, then whole repeats with the remainder
// carried: over 1,000 frames the repeats are exactly trunc((T - delay) x rate).
TEST(InputStateTest, AHeldKeyRepeatsAfterTheDelayWithoutDrift)
{
    KeyboardFixture f;
    f.keyboard.Hold(kKeyA, true);
    f.NextFrame();
    EXPECT_TRUE(f.keys.IsKeyDown(kKeyA));
    EXPECT_EQ(f.keys.change[kKeyA], InputState::kChangeDown);
    EXPECT_EQ(f.keys.pressTime[kKeyA], f.clock.Now());
    EXPECT_EQ(f.keys.GetKeyRepeats(kKeyA), 1);

    int32_t repeats = 0;
    for (int32_t frame = 1; frame <= 1000; frame++) {
        f.NextFrame();
        const int32_t n = f.keys.GetKeyRepeats(kKeyA);
        if (frame * kFrame <= 0.5) {
            ASSERT_EQ(n, 0) << "frame " << frame;
        }
        ASSERT_LE(n, 1) << "a quarter repeat per frame, frame " << frame;
        repeats += n;
    }
    EXPECT_EQ(repeats, int32_t(std::trunc((1000 * kFrame - 0.5) * 16.0)));
    EXPECT_EQ(repeats, 242);
    EXPECT_EQ(f.keys.GetKeyRepeats(kKeyA), 0);  // asked again in the same frame: used up

    f.keyboard.Hold(kKeyA, false);
    f.NextFrame();
    EXPECT_FALSE(f.keys.IsKeyDown(kKeyA));
    EXPECT_TRUE(f.keys.IsKeyJustReleased(kKeyA));
    EXPECT_EQ(f.keys.pressTime[kKeyA], 0.0);
    EXPECT_EQ(f.keys.GetKeyRepeats(kKeyA), 0);
    f.keys.ClearKeyChange(kKeyA);
    EXPECT_FALSE(f.keys.IsKeyJustReleased(kKeyA));

    f.keyboard.Hold(kKeyA, true);  // released again, and the next update ends the event
    f.NextFrame();
    f.keyboard.Hold(kKeyA, false);
    f.NextFrame();
    EXPECT_TRUE(f.keys.IsKeyJustReleased(kKeyA));
    f.NextFrame();
    EXPECT_FALSE(f.keys.IsKeyJustReleased(kKeyA));
}

// A rate that cannot be divided by gives the press and never a repeat; the press time stays.
TEST(InputStateTest, ARateOfZeroOrNotFiniteRepeatsNothing)
{
    const float rates[] = {0.0f, -16.0f, std::numeric_limits<float>::quiet_NaN(),
                           std::numeric_limits<float>::infinity()};
    for (float rate : rates) {
        KeyboardFixture f;
        f.keys.repeatRate = rate;
        f.keyboard.Hold(kKeyA, true);
        f.NextFrame();
        const double pressed = f.keys.pressTime[kKeyA];
        EXPECT_EQ(f.keys.GetKeyRepeats(kKeyA), 1) << rate;
        f.clock.Advance(10.0);
        f.NextFrame();
        EXPECT_EQ(f.keys.GetKeyRepeats(kKeyA), 0) << rate;
        EXPECT_EQ(f.keys.pressTime[kKeyA], pressed) << rate;
    }
}

// A failed read takes the keyboard again and reads once more; one that stays lost holds no key,
// whatever the failed read left, and a key held before reads as released.
TEST(InputStateTest, ALostKeyboardIsTakenAgainOrHoldsNoKey)
{
    KeyboardFixture f;
    f.keyboard.Hold(kKeyA, true);
    f.keyboard.loss.lostReads = 1;
    f.NextFrame();
    EXPECT_EQ(f.keyboard.loss.reads, 2);
    EXPECT_EQ(f.keyboard.loss.acquires, 1);
    EXPECT_EQ(f.keys.reacquired, 1);
    EXPECT_EQ(f.keys.result, kInputDeviceOk);
    EXPECT_TRUE(f.keys.IsKeyDown(kKeyA));

    f.keyboard.loss.lostReads = 1000;
    f.keyboard.loss.acquireResult = kInputDeviceLost;
    f.NextFrame();
    EXPECT_EQ(f.keyboard.loss.reads, 3);  // not read again without the device
    EXPECT_EQ(f.keys.result, kInputDeviceLost);
    EXPECT_FALSE(f.keys.IsKeyDown(kKeyA));
    EXPECT_TRUE(f.keys.IsKeyJustReleased(kKeyA));
    for (int32_t key = 0; key < InputState::kKeys; key++)
        ASSERT_FALSE(f.keys.IsKeyDown(key)) << key;
}
