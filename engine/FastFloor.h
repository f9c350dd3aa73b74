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

// The same for a double (integral from 2^52 on): a double argument takes
// this overload and keeps its precision instead of narrowing to float.
inline double FastFloor(double x) {
  if (!(std::fabs(x) < 4503599627370496.0)) return std::floor(x);
  double t = static_cast<double>(static_cast<long long>(x));  // truncates toward 0
  if (t > x) t -= 1.0;
  return std::copysign(t, x);
}

// An integer has no floor to take: FastFloor(3) would otherwise have to
// pick between the two overloads.
inline float FastFloor(int) = delete;

// floor(x) with a shortcut for 1 <= x < 2, the usual case of a phase that
// has just passed 1.
inline float FloorPastOne(float x) { return (x >= 1.0f && x < 2.0f) ? 1.0f : FastFloor(x); }

// A position in double precision brought back into 0..1: x - floor(x) when
// x has left 0..1; anything not finite reads at 0.
inline double WrapPosition(double x) {
  if (x > 1.0 || x < 0.0) {
    x -= FastFloor(x);
    if (!(x >= 0.0 && x <= 1.0)) x = 0.0;
  } else if (x != x) {
    x = 0.0;
  }
  return x;
}
