// Angle: the angle helpers of the whole game (radians): the shortest distance, the signed
// difference of two angles and the shortest way within any period.
#pragma once
#include <cstdint>

namespace Angle {

constexpr float kPi = 3.1415925f;     // the float just below pi, as the game compares with it
constexpr float kTwoPi = 6.2831855f;
constexpr float kDegToRad = 0.017453292f;

// |a - b| or its complement to 2 pi, whichever is smaller; the inputs are not wrapped first.
float Distance(float a, float b);
// b - a after wrapping both into [0, 2 pi), brought into [-pi, pi].
float Diff(float a, float b);
// The shorter way between a and b of the period p, both wrapped into [0, p) first; direction,
// when given, receives +1 when that way leaves the larger wrapped angle, else -1.
float ShortestDistance(float a, float b, float period, int32_t* direction = nullptr);

}  // namespace Angle
