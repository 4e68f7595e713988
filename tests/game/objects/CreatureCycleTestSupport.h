// Cycles for the tests of the cycle players and the chooser: a cycle of a given duration whose
// one track, "BaseDummy", moves a distance along x over a pass.
#pragma once
#include "game/objects/AniCycleSet.h"

inline void MakeTestCycle(AniCycle& cycle, float duration, bool loop, float passDx = 0.0f, const char* file = "anim\\c.3sc")
{
    cycle.AllocTracks(1, 0);
    cycle.objectTracks[0].objectName = "BaseDummy";
    for (float t : {0.0f, duration}) {
        DXC_PosKey key;
        key.time = t;
        key.data.value = D3DXVECTOR3(t / duration * passDx, 0.0f, 0.0f);
        cycle.objectTracks[0].AddPosKey(key);
    }
    cycle.startTime = 0.0f;
    cycle.endTime = duration;
    cycle.speed = 1.0f;
    cycle.SetLoop(loop ? 1 : 0);
    cycle.m_FileName = file;  // "exists" for the chooser; the track data is already there
}

// A cycle of the set with data (and a file name), no fade-in.
inline void AddTestCycle(AniCycleSet& set, int32_t number, float duration = 2.0f, bool loop = true)
{
    MakeTestCycle(set.GetCycle(number), duration, loop);
    set.GetPlayData(number).fadeInTime = 0.0f;
}
