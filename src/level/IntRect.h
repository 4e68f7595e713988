// IntRect: a rectangle of four 32-bit values (x1, y1, x2, y2), as the level keeps cell areas.
#pragma once
#include <cstdint>
#include <utility>

struct IntRect {
    int32_t x1 = 0;
    int32_t y1 = 0;
    int32_t x2 = 0;
    int32_t y2 = 0;

    // Orders the corners so that x1 <= x2 and y1 <= y2.
    void Normalise()
    {
        if (x2 < x1)
            std::swap(x1, x2);
        if (y2 < y1)
            std::swap(y1, y2);
    }
};
