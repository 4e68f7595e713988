// VSD_FileRecords: the records of the binary level file that the viewer keeps and hands on:
// one floor cell, one placed level object, one wall.
#pragma once
#include "base/String.h"

#include <cmath>
#include <cstdint>

// One floor cell, 6 bytes in the file: i16 texture id, u16 placement, u8 sub-tile column, u8 row.
struct VSD_Parcel {
    static constexpr int32_t kFileSize = 6;

    int16_t textureId = -1;  // -1: the cell has no floor; 0: the placeholder texture
    uint16_t placement = 0;  // bit 0 mirrored, bits 1-2 rotation
    uint8_t subX = 0;
    uint8_t subY = 0;
};

// One placed level object.
struct VSD_ObjectEntry {
    int16_t kind = -1;   // after the load an entry of the object description reader; -1: skip
    int16_t x = 0;       // world units
    int16_t y = 0;
    int16_t angle = 0;   // units of 0.0001 radian
    String text;         // property text, consulted before the object's description
    uint32_t value = 0;  // handed to item objects
};

// One wall as the wall insertion takes it.
struct VSD_WallEntry {
    int16_t descId = 0;  // wall description
    int16_t x1 = 0;
    int16_t y1 = 0;
    int16_t x2 = 0;
    int16_t y2 = 0;
    float value1 = 0.0f;
    float value2 = 1.0f;
    String text;  // property text, consulted before the wall's description

    // Sets the end points from world coordinates (x1, y1, x2, y2), rounded half away from zero;
    // false, and nothing set, when one does not fit the 16 bits an entry holds.
    bool SetEnds(const float ends[4])
    {
        int16_t rounded[4];
        for (int32_t i = 0; i < 4; ++i) {
            if (!(std::fabs(ends[i]) < 32767.5f))
                return false;
            rounded[i] = int16_t(std::lround(ends[i]));
        }
        x1 = rounded[0];
        y1 = rounded[1];
        x2 = rounded[2];
        y2 = rounded[3];
        return true;
    }
};
