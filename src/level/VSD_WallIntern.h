// VSD_WallIntern: a wall of the level's wall table, made from a wall entry of the level file or
// of a script; its slot in the table is its wall ID.
#pragma once
#include "level/VSD_FileRecords.h"

#include <cstdint>

class VSD_WallIntern {
public:
    VSD_WallIntern() = default;
    explicit VSD_WallIntern(const VSD_WallEntry& entry)
        : m_DescID(entry.descId), m_X1(entry.x1), m_Y1(entry.y1), m_X2(entry.x2), m_Y2(entry.y2),
          m_WallValue1(entry.value1), m_WallValue2(entry.value2)
    {
    }

    int32_t m_ObjID = -1;  // the wall's slot in the wall table
    int16_t m_DescID = 0;  // index of the wall's description
    float m_X1 = 0.0f;     // end points, world units
    float m_Y1 = 0.0f;
    float m_X2 = 0.0f;
    float m_Y2 = 0.0f;
    float m_WallValue1 = 0.0f;
    float m_WallValue2 = 1.0f;
};
