// RecordingSoundDevice: a sound device that keeps the requests the game makes of it, read with the
// words the game passes (names and files as texts, see SoundManager.h), and answers with the
// handle, play state and length a test chooses. ScopedSoundManager makes the program's sound
// manager with one for as long as it lives.
#pragma once
#include "base/NoSoundDevice.h"
#include "base/SoundManager.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class RecordingSoundDevice : public NoSoundDevice {
public:
    struct Load {
        std::string name;
        std::string file;
        int64_t flags;
    };
    struct Play {
        std::string name;
        int64_t loop;
        float baseVolume;
        float volume;
        float pitch;
    };

    bool LoadSound(SoundWord name, SoundWord file, SoundWord flags) override
    {
        loads.push_back({Text(name), Text(file), int64_t(flags)});
        return true;
    }
    int32_t PlaySound(SoundWord name, SoundWord loop, float baseVolume, float volume, float pitch, SoundWord,
                      SoundWord) override
    {
        plays.push_back({Text(name), int64_t(loop), baseVolume, volume, pitch});
        return handle;
    }
    void StopSound(SoundWord soundHandle, SoundWord) override { stopped.push_back(int32_t(soundHandle)); }
    void UpdateSound(SoundWord soundHandle, SoundWord) override { halted.push_back(int32_t(soundHandle)); }
    void UpdateSoundState(SoundWord soundHandle, SoundWord) override { continued.push_back(int32_t(soundHandle)); }
    void SetSoundParamA(SoundWord soundHandle, SoundWord, float value) override
    {
        volumes.push_back({int32_t(soundHandle), value});
    }
    bool IsSoundPlaying(SoundWord, SoundWord) override { return playing; }
    double GetSoundTime(SoundWord) override { return length; }

    int32_t handle = -1;
    bool playing = false;
    double length = 0.0;
    std::vector<Load> loads;
    std::vector<Play> plays;
    std::vector<int32_t> stopped;
    std::vector<int32_t> halted;
    std::vector<int32_t> continued;
    std::vector<std::pair<int32_t, float>> volumes;

private:
    static std::string Text(SoundWord word)
    {
        const char* text = reinterpret_cast<const char*>(word);
        return text ? text : "";
    }
};

class ScopedSoundManager {
public:
    ScopedSoundManager()
    {
        auto recorder = std::make_unique<RecordingSoundDevice>();
        device = recorder.get();
        manager.SetDevice(std::move(recorder));
    }

    SoundManager manager;
    RecordingSoundDevice* device = nullptr;
};
