// ToolTipSkin: the description of a nine-piece frame (corners, edges and middle picture with their
// offsets and insets) that the game's start-up fills and the GUI manager keeps for its tooltip
// window. The pictures belong to whoever filled the record.
#pragma once
#include <cstdint>

class DXC_Texture;

struct ToolTipSkin {
    DXC_Texture* corners[4] = {};        // top-left, top-right, bottom-left, bottom-right
    int32_t cornerOffsets[4][2] = {};    // x and y of each corner
    DXC_Texture* edges[4] = {};          // top, right, bottom, left
    int32_t edgeOffsets[4] = {};
    DXC_Texture* middle = nullptr;
    uint8_t middleMode = 0;
    int32_t insets[4] = {};              // top, right, bottom, left
};
