// DXC_SceneInfo: the scene information record that both scene file forms carry: sound and script
// file, frame speed, first and last frame. Animation time in seconds is
// (frame - first frame) / frame speed.
#pragma once
#include "base/String.h"

struct DXC_SceneInfo {
    String soundFile;
    String scriptFile;
    float frameSpeed = 30.0f;  // frames per second
    float firstFrame = 0.0f;
    float lastFrame = 0.0f;
};
