// MusicChannels: the program's music state: two music channels, so that a new track can fade in
// while the old one fades out, and the ambient channel, each with the handle of the stream the
// sound manager plays and the name of its track.
#pragma once
#include "base/String.h"

#include <cstdint>

struct MusicChannels {
    static constexpr int32_t kAmbient = 2;
    static constexpr int32_t kChannels = 3;

    int32_t current = 0;  // 0 or 1: the channel of the newest track
    int32_t handles[kChannels] = {-1, -1, -1};  // -1: no stream
    String names[kChannels];  // empty: silence
    float volumes[kChannels] = {1.0f, 1.0f, 1.0f};  // given when the track started

    // The track of the channel that plays the newest one.
    const String& GetCurrentTrack() const { return names[current]; }
    // Every handle -1 and every name empty, as when every sound was stopped.
    void Forget()
    {
        for (int32_t i = 0; i < kChannels; i++) {
            handles[i] = -1;
            names[i] = String();
        }
    }
};

extern MusicChannels g_MusicChannels;
