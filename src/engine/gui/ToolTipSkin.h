// ToolTipSkin: the description of a nine-piece frame (corners, edges and middle picture with their
// offsets and insets) that the game's start-up fills and applies with
// DXC_GuiTexFieldScaleable::SetFrame; the GUI manager's tooltip frame is set from one. The
// pictures belong to whoever filled the record.
#pragma once
#include <cstdint>

class DXC_Texture;

struct ToolTipSkin {
    // The offsets and insets from the pictures' integer draw sizes: each corner sits fully inside
    // its anchor, the edges on the field's border, the insets the edges' thickness. Every picture
    // must be set; the middle picture and mode stay as they are.
    void FitToPictures();

    DXC_Texture* corners[4] = {};        // top-left, top-right, bottom-left, bottom-right
    int32_t cornerOffsets[4][2] = {};    // x and y of each corner
    DXC_Texture* edges[4] = {};          // top, right, bottom, left
    int32_t edgeOffsets[4] = {};
    DXC_Texture* middle = nullptr;
    uint8_t middleMode = 0;              // 0 tiles the middle picture, 1 stretches it
    int32_t insets[4] = {};              // top, right, bottom, left
};
