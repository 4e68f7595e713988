// AniCycle: the game's animation cycle: a scene-graph cycle with the file it is read from, the
// frame range to read, and the speed and loop flag it is given when read.
#pragma once
#include "base/String.h"
#include "engine/scene/DXC_AniCycle.h"

#include <cstdint>

class AniCycle : public DXC_AniCycle {
public:
    AniCycle();

    // Reads the frames of the file (truncated to whole frames; both negative: the whole file)
    // through the graphics object. False, reading nothing, without a file name.
    bool Load();
    // The cycle and the record into other (the file name only when the names differ).
    void CopyTo(AniCycle& other) const;

    String m_FileName;  // empty: not read from a file
    float m_StartFrame = -1.0f;
    float m_EndFrame = -1.0f;
    float m_Speed = 1.0f;
    float m_Value = 0.0f;
    uint8_t m_Loop = 0;
};
