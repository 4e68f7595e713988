// SoundData: one entry of the world's sound registry (a "cfg\sounds.cfg" entry), the record of a
// sound played for a source element (SoundIDData), and the loudness curve SoundCurve.
#pragma once
#include "base/SmartPtr.h"
#include "base/String.h"

#include <cstdint>
#include <vector>

class WorldElem;

struct SoundData {
    static constexpr int32_t kChannels = 4;

    // One channel of an ambient sound.
    struct Channel {
        int32_t handle = -1;
        uint8_t playing = 0;
        uint8_t active = 0;
        float volume = 0.0f;  // 0..1, faded in and out
    };

    String name;  // "desc"
    String file;  // "file"
    int32_t loadFlags = 0;     // "rep" plus one, handed to the sound layer when the file loads
    float distance = 0.0f;     // "dist": audible distance
    float volume = 1.0f;       // "volume"
    float playProb = 1.0f;     // "PlayProb"
    float randPitch = 0.0f;    // "RandPitch"
    float randVolume = 0.0f;   // "RandVolume"
    float pitchChange = 0.0f;  // "PitchChange"
    float minTimeDiff = 0.0f;  // "minTimeDiff": seconds between two plays
    float fadeTime = 0.0f;     // "FadeTime"
    double lastPlayTime = -999.0;  // game seconds
    int32_t handle = -1;  // of the sound playing for the entry
    uint8_t ambient = 0;  // it was started as an ambient sound
    float lastVolume = 0.0f;
    uint8_t hasSound = 0;  // the entry has a file of its own to play
    uint8_t loaded = 0;    // loaded on demand
    int32_t loadOnDemand = 1;  // "LoadOnDemand": 0 loads the file with the level
    Channel channels[kChannels];
    String subtitle;
    float baseVolume = 1.0f;
    std::vector<String> alternatives;  // "alternative"
    std::vector<String> additional;    // "additional"
};

// A sound that follows its source element; also what WorldCtrl::PlaySound answers.
struct SoundIDData {
    String name;
    int32_t handle = -1;  // -1: nothing plays
    SmartPtr<WorldElem> source;
    int32_t id = -1;  // the caller's sound ID
    float baseVolume = 0.0f;
    float distance = 0.0f;  // audible distance
    float volumeFactor = 1.0f;  // fades lower it
    float fadeRate = 0.0f;
};

// x to the power 1.5, kept within [0, 1]: the loudness a volume is played at.
float SoundCurve(float x);
