// SoundFile: what a sound file is by its name, and how long an Ogg Vorbis file plays.
#pragma once
#include <cstdint>

namespace SoundFile {

constexpr int32_t kWave = 0;
constexpr int32_t kOggVorbis = 1;
constexpr int32_t kUnknown = 2;

// By the last three characters, whatever their case: "wav", "ogg", anything else.
int32_t GetType(const char* fileName);
// Play time in seconds of an Ogg Vorbis file (a game name); 0.0 for other types and for a file
// that cannot be opened or read as Ogg Vorbis.
double GetLength(const char* fileName);

}  // namespace SoundFile
