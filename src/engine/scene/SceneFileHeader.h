// SceneFileHeader: the header of binary scene files and the scene information it carries.
//
// Header (little-endian): the bytes '3', 'S', 'C', u8 version (100 to 110; written as 110),
// f32 frame speed (frames per second), f32 first frame, f32 last frame, String sound file,
// String script file. The scene body follows (DXC_3dSceneFile.cpp).
#pragma once
#include "engine/scene/DXC_SceneInfo.h"

#include <cstdint>

class DXC_Base;
class File;

// The scene information both file forms carry, under the name the binary side has used.
using SceneInfoRecord = DXC_SceneInfo;

class SceneFileHeader {
public:
    static constexpr int32_t kOldestVersion = 100;
    static constexpr int32_t kCurrentVersion = 110;

    // Whose wording a version outside 100 to 110 is reported in: the scene loader's or the
    // animation cycle loader's (they differ in the message for a version too new).
    enum class Messages { kScene, kCycle };

    // False, with the file back at its start, when the file does not begin with "3SC" (a text
    // export). A version outside 100 to 110 is an error of reporter naming the file.
    static bool Read(File& file, SceneInfoRecord& info, int32_t& version, DXC_Base& reporter, const char* fileName,
                     Messages messages = Messages::kScene);
    static void Write(File& file, const SceneInfoRecord& info);
};
