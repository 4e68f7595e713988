// SceneFileHeader: the header of binary scene files and the scene information it carries.
//
// Header (little-endian): the bytes '3', 'S', 'C', u8 version (100 to 110; written as 110),
// f32 frame speed (frames per second), f32 first frame, f32 last frame, String sound file,
// String script file. The scene body follows (DXC_3dSceneFile.cpp).
#pragma once
#include "base/String.h"

#include <cstdint>

class DXC_Base;
class File;

// Sound file, script file, frame speed, first frame, last frame. Animation time in seconds is
// (frame - first frame) / frame speed.
struct SceneInfoRecord {
    String soundFile;
    String scriptFile;
    float frameSpeed = 30.0f;
    float firstFrame = 0.0f;
    float lastFrame = 0.0f;
};

class SceneFileHeader {
public:
    static constexpr int32_t kOldestVersion = 100;
    static constexpr int32_t kCurrentVersion = 110;

    // False, with the file back at its start, when the file does not begin with "3SC" (a text
    // export). A version outside 100 to 110 is an error of reporter naming the file.
    static bool Read(File& file, SceneInfoRecord& info, int32_t& version, DXC_Base& reporter, const char* fileName);
    static void Write(File& file, const SceneInfoRecord& info);
};
