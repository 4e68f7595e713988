// Angle: the angle helpers of the whole game (radians): the shortest distance and the signed
// difference of two angles.
#pragma once

namespace Angle {

constexpr float kPi = 3.1415925f;     // the float just below pi, as the game compares with it
constexpr float kTwoPi = 6.2831855f;
constexpr float kDegToRad = 0.017453292f;

// |a - b| or its complement to 2 pi, whichever is smaller; the inputs are not wrapped first.
float Distance(float a, float b);
// b - a after wrapping both into [0, 2 pi), brought into [-pi, pi].
float Diff(float a, float b);

}  // namespace Angle
