// MouseState: buffered records in batches, what each offset does, acceleration with its cap, the
// move callback, button edges over updates, and a lost mouse.
#include "engine/gui/MouseState.h"

#include "support/FakeInputDevices.h"
#include "support/TestClock.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr double kUpdateSeconds = 1.0 / 64.0;

struct MouseFixture {
    TestClock clock{10.0};
    FakeMouse device;
    MouseState mouse;

    MouseFixture()
    {
        mouse.device = &device;
        NextUpdate();  // the first update sets the time the next one measures from
    }
    void NextUpdate()
    {
        clock.Advance(kUpdateSeconds);
        EXPECT_EQ(mouse.Update(), 1);
    }
};

}  // namespace

TEST(MouseStateTest, WithoutAMouseNothingIsHeld)
{
    MouseState mouse;
    EXPECT_EQ(mouse.Update(), 0);
    for (int32_t button : {0, 7, -1, 8}) {
        EXPECT_FALSE(mouse.IsButtonDown(button)) << button;
        EXPECT_FALSE(mouse.WasButtonPressed(button)) << button;
        EXPECT_FALSE(mouse.WasButtonReleased(button)) << button;
    }
}

// Records come 16 at a time until a batch comes short; each offset moves, turns the wheel or sets
// a button, and any other offset is passed over.
TEST(MouseStateTest, RecordsAreTakenInBatchesAndReadByOffset)
{
    MouseFixture f;
    f.device.batches.clear();
    f.device.Record(MouseDevice::kOffsetY, -3);
    f.device.Record(MouseDevice::kOffsetWheel, 120);
    f.device.Record(MouseDevice::kOffsetWheel, -40);
    const int32_t down[MouseState::kButtons] = {1, 0, 0, 1, 1, 0, 0, 1};
    for (int32_t button = 0; button < MouseState::kButtons; button++)  // only bit 7 holds a button
        f.device.Record(MouseDevice::kOffsetButton0 + uint32_t(button), down[button] ? 0x81 : 0x7F);
    f.device.Record(20, 0x80);  // past the last button
    f.device.Record(3, 50);     // inside the x field
    int32_t moveX = 0;
    for (int32_t i = 0; f.device.pending.size() < 40; i++) {
        f.device.Record(MouseDevice::kOffsetX, i % 2 == 0 ? 2 : -1);
        moveX += i % 2 == 0 ? 2 : -1;
    }
    f.NextUpdate();
    EXPECT_EQ(f.device.batches, (std::vector<uint32_t>{16, 16, 8}));
    EXPECT_EQ(f.mouse.x, float(moveX));
    EXPECT_EQ(f.mouse.y, -3.0f);
    EXPECT_EQ(f.mouse.wheel, 80);
    for (int32_t button = 0; button < MouseState::kButtons; button++) {
        EXPECT_EQ(f.mouse.down[button], down[button]) << button;
        EXPECT_EQ(f.mouse.WasButtonPressed(button), down[button] == 1) << button;
    }

    f.device.batches.clear();  // a full batch that empties the buffer is followed by an empty one
    for (int32_t i = 0; i < 16; i++)
        f.device.Record(MouseDevice::kOffsetX, 1);
    f.NextUpdate();
    EXPECT_EQ(f.device.batches, (std::vector<uint32_t>{16, 0}));
    EXPECT_EQ(f.mouse.x, float(moveX + 16));
}

// The factor is |movement / seconds| x acceleration x 0.001, at most the cap, on each axis alone;
// with acceleration 0 the movement is the device's exactly.
TEST(MouseStateTest, AccelerationGrowsTheMovementUpToTheCap)
{
    struct Case {
        float acceleration;
        int32_t moveX;
        int32_t moveY;
        float expectX;
        float expectY;
    } cases[] = {
        {0.0f, 7, -5, 7.0f, -5.0f},
        {1.0f, 8, 0, 8.0f * 1.512f, 0.0f},     // 8 x 64 x 1 x 0.001 = 0.512
        {500.0f, 4, -4, 10.0f, -10.0f},        // 128 is capped at 1.5
        {1.0f, 8, 40, 8.0f * 1.512f, 100.0f},  // the axes are taken apart
    };
    for (const Case& c : cases) {
        MouseFixture f;
        f.mouse.acceleration = c.acceleration;
        f.mouse.accelerationCap = 1.5f;
        f.device.Record(MouseDevice::kOffsetX, c.moveX);
        f.device.Record(MouseDevice::kOffsetY, c.moveY);
        const float startX = f.mouse.x;
        f.NextUpdate();
        EXPECT_FLOAT_EQ(f.mouse.x - startX, c.expectX) << c.acceleration;
        EXPECT_FLOAT_EQ(f.mouse.y, c.expectY) << c.acceleration;
        EXPECT_EQ(f.mouse.lastTime, f.clock.Now());
    }
}

TEST(MouseStateTest, TheMoveCallbackChangesTheMovement)
{
    MouseFixture f;
    f.mouse.userValue = 3;
    f.mouse.onMove = [](float& moveX, float& moveY, intptr_t userValue) {
        moveX *= float(userValue);
        moveY = 0.0f;
    };
    f.device.Record(MouseDevice::kOffsetX, 5);
    f.device.Record(MouseDevice::kOffsetY, 9);
    f.NextUpdate();
    EXPECT_EQ(f.mouse.x, 15.0f);
    EXPECT_EQ(f.mouse.y, 0.0f);
}

// Pressed and released hold for the update in which the button changed.
TEST(MouseStateTest, ButtonEdgesLastOneUpdate)
{
    MouseFixture f;
    struct Step {
        int held;  // -1: no record this update
        bool down;
        bool pressed;
        bool released;
    } steps[] = {{1, true, true, false}, {-1, true, false, false}, {0, false, false, true}, {-1, false, false, false}};
    for (const Step& s : steps) {
        if (s.held >= 0)
            f.device.Button(2, s.held == 1);
        f.NextUpdate();
        EXPECT_EQ(f.mouse.IsButtonDown(2), s.down);
        EXPECT_EQ(f.mouse.WasButtonPressed(2), s.pressed);
        EXPECT_EQ(f.mouse.WasButtonReleased(2), s.released);
    }
}

// A failed read takes the mouse again and reads on; one that cannot be taken holds no button.
TEST(MouseStateTest, ALostMouseIsTakenAgainOrHoldsNoButton)
{
    MouseFixture f;
    f.device.Button(0, true);
    f.device.loss.lostReads = 1;
    f.NextUpdate();
    EXPECT_EQ(f.device.loss.acquires, 1);
    EXPECT_EQ(f.mouse.reacquired, 1);
    EXPECT_TRUE(f.mouse.IsButtonDown(0));

    f.device.Button(1, true);  // waits in a buffer that cannot be read
    f.device.loss.lostReads = 1000;
    f.device.loss.acquireResult = kInputDeviceLost;
    f.NextUpdate();
    EXPECT_EQ(f.mouse.result, kInputDeviceLost);
    EXPECT_FALSE(f.mouse.IsButtonDown(0));
    EXPECT_FALSE(f.mouse.IsButtonDown(1));
    EXPECT_TRUE(f.mouse.WasButtonReleased(0));
}
