// SoundManagerTest: the silent device answers every request as the server expects, through the
// manager; sound resources keep their play state.
#include "base/SoundManager.h"

#include "base/NoSoundDevice.h"
#include "base/SoundResource.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(SoundManagerTest, SilentDeviceAnswers)
{
    EXPECT_EQ(SoundManager::GetSingletonPtr(), nullptr);
    {
        SoundManager manager;
        EXPECT_EQ(SoundManager::GetSingletonPtr(), &manager);
        EXPECT_STREQ(manager.GetClassName(), "SoundManager");
        SoundDevice* device = manager.GetDevice();
        ASSERT_NE(device, nullptr);
        EXPECT_STREQ(device->GetClassName(), "NoSoundDevice");
        EXPECT_EQ(device->GetOwner(), &manager);
        EXPECT_STREQ(device->GetEmptySound()->GetFileName().c_str(), "NilSoundResource");

        EXPECT_TRUE(manager.LoadSound(1, 2, 3));
        EXPECT_TRUE(manager.PrepareSound(1, 2));
        EXPECT_EQ(manager.PlaySound(1, 2, 0.5f, 1.0f, 2.0f, 3, 4), -1);
        EXPECT_EQ(manager.OnConfigLoad(), 0);
        EXPECT_FALSE(manager.IsSoundPlaying(1, 2));
        EXPECT_FALSE(manager.QuerySound(1, 2));
        EXPECT_FALSE(manager.IsSoundBusy(1));
        EXPECT_EQ(manager.GetSoundTime(1), 0.0);
        EXPECT_EQ(manager.GetMemoryUsage(), 0);
        manager.UpdateStream(1);
        manager.StopSound(1, 2);
        manager.UpdateSound(1, 2);
        manager.UpdateSoundState(1, 2);
        manager.SetSoundParamA(1, 2, 0.5f);
        manager.SetSoundParamB(1, 2, 0.5f);
        manager.SetVolume(0.7f);

        // The operations the game does not call.
        EXPECT_TRUE(device->Init());
        EXPECT_EQ(device->GetSoundParam(1, 2), -1.0f);
        EXPECT_EQ(device->GetSoundValue(1), 0);
        EXPECT_EQ(device->GetVolume(), 0.0f);
        EXPECT_EQ(device->CreateSound(1, 2, 3), -1);
    }
    EXPECT_EQ(SoundManager::GetSingletonPtr(), nullptr);
}

TEST(SoundManagerTest, ResourceStates)
{
    SoundResource sound("speech\\hello.ogg");
    EXPECT_EQ(sound.GetState(), SoundResource::kNew);
    EXPECT_TRUE(sound.IsActive());
    EXPECT_EQ(sound.GetParam2(), 1.0f);
    EXPECT_EQ(sound.GetParam3(), 1.0f);
    EXPECT_EQ(sound.GetParam4(), 0.0f);
    EXPECT_EQ(sound.GetLoop(), 0);
    EXPECT_EQ(sound.GetLength(), -1.0);

    sound.Play(0.25f, 2.0f);
    EXPECT_EQ(sound.GetState(), SoundResource::kPlaying);
    EXPECT_EQ(sound.GetParam2(), 0.25f);
    EXPECT_EQ(sound.GetParam3(), 2.0f);
    sound.Pause();
    EXPECT_TRUE(sound.IsPaused());
    EXPECT_TRUE(sound.IsActive());
    sound.Resume();
    EXPECT_FALSE(sound.IsPaused());
    sound.Stop();
    EXPECT_FALSE(sound.IsActive());
    sound.SetLoop(1);
    sound.SetParam1(3.0f);
    sound.SetParam4(4.0f);
    EXPECT_EQ(sound.GetLoop(), 1);
    EXPECT_EQ(sound.GetParam1(), 3.0f);
    EXPECT_EQ(sound.GetParam4(), 4.0f);

    try {
        sound.Error("cannot decode block %d", 7);
        FAIL() << "no error";
    } catch (const ErrorMsg& e) {
        EXPECT_STREQ(e.className, "SoundResource");
        EXPECT_STREQ(e.message, "speech\\hello.ogg: cannot decode block 7");
    }
}
