// SceneLoadState: the settings of the scene file load under way, which every record reader
// consults: the file version, what is loaded and where textures are looked for.
#pragma once
#include "base/String.h"

#include <cstdint>

struct SceneLoadState {
    static constexpr int32_t kCurrentVersion = 110;

    int32_t version = kCurrentVersion;
    bool loadGeometry = true;  // off: geometry is skipped and no texture image is loaded
    bool postProcess = true;   // link the names once the body is read
    bool keyWindowOn = false;  // crop every node's keys to [keyWindowStart, keyWindowEnd]
    float keyWindowStart = 0.0f;
    float keyWindowEnd = 0.0f;
    bool addColors = false;      // load flag 0x08
    bool textureOption0 = false;  // load flag 0x01
    bool textureOption1 = false;  // load flag 0x02: normal maps are loaded
    String textureDirectory;
    int32_t mipmapLevels = 0;  // for the stage images; 0 a full chain

    // What texture records older than version 110 give their stages: the blend weight of a
    // reflection map and the mirror U, mirror V, wrap U and wrap V bytes.
    float blendWeight = 1.0f;
    uint8_t stageFlags[4] = {0, 0, 1, 1};

    // The one state of the process; scene files are loaded by one thread at a time.
    static SceneLoadState& Current();
};
