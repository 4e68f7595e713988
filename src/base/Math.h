// Math: wrapping of angles and times and the small arithmetic helpers.
#pragma once
#include "platform/D3DXMath.h"

#include <cstdint>

namespace Math {

// a wrapped into [0, |b|) for a >= 0 and (0, |b|] for a < 0; b = 0 gives a.
double WrapDouble(double a, double b);
float WrapFloat(float a, float b);
// Floor division by |b|; b = 0 gives 0.
float FloorDivFloat(float a, float b);
double FloorDivDouble(double a, double b);
// a mod |b| in [0, |b|); b = 0 gives a.
int32_t WrapInt(int32_t a, int32_t b);
// Whether angle, taken from start modulo period, lies within the sweep on the sweep's side
// (0 .. sweep forwards, sweep .. 0 backwards); a zero sweep holds nothing.
bool IsAngleInSweep(float angle, float sweep, float period, float start);
// How many multiples of period lie between start and start + delta.
int32_t CountPeriodBoundaries(float start, float delta, float period);
// The rotation about X by x, then about Y by y, then about Z by z (radians), into out.
D3DXQUATERNION* QuaternionFromEulerXYZ(D3DXQUATERNION* out, float x, float y, float z);

}  // namespace Math

float ClampFloat(float v, float low, float high);
// The nearest integer, halves away from zero (as C's lround).
int32_t RoundFloatToInt(float v);
