#pragma once
// floor() without a library call. x86-64's baseline instruction set (SSE2)
// has no rounding instruction, so std::floor on a float is a call into
// libm; the phase wraps of the oscillators run it at audio rate. This gives
// exactly std::floor's result for every float, the sign of zero included:
// values that are already integral (|x| >= 2^23), infinities and NaN go to
// std::floor.
#include <cmath>

inline float FastFloor(float x) {
  if (!(std::fabs(x) < 8388608.0f)) return std::floor(x);
  float t = static_cast<float>(static_cast<int>(x));  // truncates toward 0
  if (t > x) t -= 1.0f;
  return std::copysign(t, x);
}

// floor(x) with a shortcut for 1 <= x < 2, the usual case of a phase that
// has just passed 1.
inline float FloorPastOne(float x) { return (x >= 1.0f && x < 2.0f) ? 1.0f : FastFloor(x); }
