// StartupConstants: the texts and numbers that exist before the program's entry runs, read by
// the menu, text output and camera code of the layers above. All constant-initialised, so no
// global can see one of them unset.
#pragma once
#include <cstdint>

namespace StartupConstants {

// Directories of the interactive menu scenes.
constexpr const char* kMenuLevelDir = "levels/menu/";
constexpr const char* kMenuScriptDir = "levels/menu/scripts/";

// The colour code that text output starts with.
constexpr const char16_t* kDefaultColourCode = u"|cAAA";

// Camera and view figures.
constexpr float kHalf = 0.5f;
constexpr float kFieldOfView = 1.0471976f;  // 60 degrees in radians
constexpr int32_t kViewUnits = 50;
constexpr double kProjectionDistance = 403.0792;  // (50 * 600 / 50) / tan(60 deg / 2) * tan(0.37)
constexpr float kViewFactor = 0.3f;
constexpr float kViewUnitsF = 50.0f;
constexpr float kViewRangeNear = 50.0f * 20.666666f;  // 1033.3333
constexpr float kViewRangeMid = 50.0f * 23.166666f;   // 1158.3333
constexpr float kViewRangeFar = 50.0f * 44.444443f;   // 2222.2222
constexpr double kCos85 = 0.0871558;
constexpr double kCos95 = -0.0871558;
constexpr int32_t kDiagonalExtent = 370;  // integer part of sqrt(2) * 261 + 1

}  // namespace StartupConstants
