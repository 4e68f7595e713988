// EarthQuakeEntry: one earthquake of the level, which shakes the camera near its centre while it
// lasts; and RecoilEffectEntry, one recoil of the camera. The camera step ages both every frame.
#pragma once

struct EarthQuakeEntry {
    float x = 0.0f;  // centre
    float y = 0.0f;
    float strength = 0.0f;
    float frequency = 0.0f;
    float duration = 0.0f;  // seconds
    float elapsed = 0.0f;   // seconds
    float phase = 0.0f;
};

struct RecoilEffectEntry {
    float swing = 0.0f;     // pitch amount
    float strength = 0.0f;  // roll amount
    float duration = 0.0f;  // seconds
    float elapsed = 0.0f;   // seconds
};
