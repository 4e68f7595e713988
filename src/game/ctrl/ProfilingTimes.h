// ProfilingTimes: the durations of the frame's stages that the profiling display shows.
#pragma once

// Durations of the frame's stages in seconds, shown by the profiling display.
// The server measures the first two; the others are the drawing stages of the system page.
enum ProfilingTimer {
    kProfileAIMove = 0,
    kProfileGameMove = 1,
    kProfileLighting1,
    kProfileLighting2,
    kProfileLighting3,
    kProfileLighting4,
    kProfileVolumeFog,
    kProfileDrawVolumeFog,
    kProfileDrawFloor,
    kProfileDrawFloorSecond,
    kProfileWallObstruct,
    kProfileDrawObjs,
    kProfileDrawShadows,
    kProfileDrawSmallMap,
    kProfileGui,
    kProfilePreDraw,
    kProfileSorting,
    kProfileVisibility,
    kProfileScripts,
    kProfilePresent,
    kProfileFloorHeight,
    kProfilingTimers
};
extern double g_ProfilingTimes[kProfilingTimers];
