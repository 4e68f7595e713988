// ObjRenderData: what a 3D object entry gives the drawing of its objects: the centre object and
// position and the shader parameters (shared by an entry's prototype and its copies); and
// ObjGraphics, the look a world object type gives one object (material colours, shadow,
// rotation, alignment and fade settings), kept per object. The server draws nothing but keeps
// both, since they travel with the object.
#pragma once
#include "base/String.h"

#include <cstdint>

struct ObjRenderData {
    static constexpr int32_t kShaderParams = 8;  // "fParam1".."fParam8", "vParam1".."vParam8"

    String centerObj;  // "CenterObj"
    float centerPos[3] = {0.0f, 0.0f, 0.0f};
    float floatParams[kShaderParams] = {};
    uint8_t floatParamSet[kShaderParams] = {};  // 1: the entry gave the value
    float vectorParams[kShaderParams][3] = {};
    uint8_t vectorParamSet[kShaderParams] = {};
};

struct ObjGraphics {
    float diffuse[3] = {1.0f, 1.0f, 1.0f};  // material colours, red, green, blue
    float specular[3] = {0.0f, 0.0f, 0.0f};
    float ambient[3] = {1.0f, 1.0f, 1.0f};
    float emissive[3] = {0.0f, 0.0f, 0.0f};
    uint32_t colourAdd = 0;  // 0x00RRGGBB: alpha always 0
    int32_t blendType = 0;
    uint8_t noTransparency = 0;
    uint8_t alphaThreshold = 0;
    float shadowDir[3] = {0.0f, 0.0f, 0.0f};
    float shadowSize = 0.0f;
    float shadowTexSize = 0.0f;  // 0: no shadow texture yet
    int32_t castShadow = 0;
    uint32_t shadowColour = 0;  // 0xFFRRGGBB
    float rotAxis[3] = {0.0f, 0.0f, 1.0f};
    float rotAngle = 0.0f;  // radians
    float clickSize = 0.0f;
    float fadeOutIfInView = 0.0f;
    uint8_t environmentObject = 0;
    uint8_t canClimb = 0;
    uint8_t fadeOutWithParent = 0;
    int32_t billboard = 0;
    uint8_t lightFalloffApprox = 0;
    uint8_t discoverFadeOut = 0;
    float lightingVSize3DFactor = 0.0f;
    uint8_t simulateCreature = 0;
    // The glow and use settings of a usable object's world-object entry.
    int16_t glowType = 0;
    uint8_t glowBackDraw = 0;
    float glowSize = 0.0f;
    float glowPos[3] = {0.0f, 0.0f, 0.0f};
    uint32_t glowColour = 0xFF000000u;  // 0xAARRGGBB
    int32_t specialEffect = 0;
    uint8_t reverseCycleOnUse = 0;
    uint8_t acStartOnInit = 0;
    uint8_t fadeOutWithWallParent = 0;
};
