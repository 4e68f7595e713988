// NoSoundDevice: the silent device of the server; every request does nothing and every query
// answers as if no sound were playing.
#pragma once
#include "base/SoundDevice.h"

class NoSoundDevice : public SoundDevice {
public:
    NoSoundDevice() { CopyName32(this, "NoSoundDevice"); }

    bool Init() override { return true; }
    bool LoadSound(SoundWord, SoundWord, SoundWord) override { return true; }
    bool PrepareSound(SoundWord, SoundWord) override { return true; }
    void UpdateStream(SoundWord) override {}
    int64_t OnConfigLoad() override { return 0; }
    int32_t PlaySound(SoundWord, SoundWord, float, float, float, SoundWord, SoundWord) override { return -1; }
    void StopSound(SoundWord, SoundWord) override {}
    void UpdateSound(SoundWord, SoundWord) override {}
    void UpdateSoundState(SoundWord, SoundWord) override {}
    void SetSoundParamA(SoundWord, SoundWord, float) override {}
    void SetSoundValueA(SoundWord, SoundWord, SoundWord) override {}
    void SetSoundParamB(SoundWord, SoundWord, float) override {}
    void SetSoundValueB(SoundWord, SoundWord, SoundWord) override {}
    float GetSoundParam(SoundWord, SoundWord) override { return -1.0f; }
    bool IsSoundPlaying(SoundWord, SoundWord) override { return false; }
    bool QuerySound(SoundWord, SoundWord) override { return false; }
    bool IsSoundBusy(SoundWord) override { return false; }
    double GetSoundTime(SoundWord) override { return 0.0; }
    int32_t GetSoundValue(SoundWord) override { return 0; }
    int32_t GetMemoryUsage() override { return 0; }
    void SetVolume(float) override {}
    float GetVolume() override { return 0.0f; }
    int32_t CreateSound(SoundWord, SoundWord, SoundWord) override { return -1; }
};
