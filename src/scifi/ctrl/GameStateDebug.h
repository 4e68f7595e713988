// GameStateDebug: the program's debug switches of the game state step (single steps, skipping,
// the free camera, a fixed terrain height, a requested load) and the camera angles of the last
// pass, which the client's debug input and the game scripts read. All start off; the dedicated
// server never turns one on.
#pragma once
#include <cstdint>

struct GameStateDebug {
    static constexpr float kNoTerrainHeight = 8999999488.0f;  // above 8e9: take the height again

    uint8_t singleStepMode = 0;
    uint8_t skipMode = 0;
    int32_t freeCameraMode = 0;
    float freeCameraPoint[2] = {0.0f, 0.0f};
    uint8_t fixedTerrainHeightMode = 0;
    float fixedTerrainHeight = kNoTerrainHeight;
    float passCameraYaw = 0.0f;
    float passCameraPitch = 0.0f;
    uint8_t loadRequestPending = 0;
    int32_t requestedLoadSlot = 0;
};

extern GameStateDebug g_GameStateDebug;
