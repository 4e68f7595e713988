// WorldOptions: the world's settings that the game options and the game rules write (floor,
// wall and shadow rendering, the mouse click plane, the steepest slope an element may climb).
// The server draws nothing, but the values are kept as a client keeps them.
#pragma once
#include <cstdint>

struct WorldOptions {
    uint8_t camOffsetViaProjection = 0;
    int32_t useWallBump = 1;
    int32_t sysMemFloor = 0;
    int32_t castShadows = 1;
    int32_t blurShadows = 2;
    int32_t wholeFloorTex = 0;
    int32_t compressFloorTex = 0;  // 0 off, 1 DXT1, 2 DXT5
    int32_t texFilter[2] = {1, 1};  // 0 point, 1 linear, 2 anisotropic: objects and walls, floor
    int32_t floorMipMaps = 1;
    uint8_t specularLighting = 1;
    uint32_t shadowColour = 0xFF000000u;  // 0xAARRGGBB
    float clickPlaneAboveTerrain = 0.0f;
    float maxTerrainSteepness = 1.7320509f;  // rise over run: tan(60 degrees)
};
