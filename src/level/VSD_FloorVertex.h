// VSD_FloorVertex: what the floor keeps per grid vertex: the walls that leave it, the sectors
// they divide it into, and how far it has been explored.
#pragma once
#include <cstdint>

struct VSD_FloorVertex {
    uint8_t wallMask = 0;  // one bit per direction in which a wall leaves the vertex
    uint8_t sectorCount = 0;
    uint8_t sectorMids[8] = {};  // doubled mid directions
    uint8_t sectorOf[8] = {};    // sector of each direction
    uint8_t crossing = 0;        // diagonal walls
    float exploration = 0.0f;    // 0 to 1
    uint8_t visibilityFlags = 0;  // bit 0: no visibility object reveals the vertex
};
