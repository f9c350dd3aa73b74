#pragma once
// A phase accumulator advanced by many steps of one increment, bit for bit
// as the step-by-step loop
//
//   phase += inc;  if (phase > 1) phase -= floor(phase);
//
// computes it, without running every step. While the phase stays inside one
// binary exponent range [2^e, 2^(e+1)) every sum rounds to the same grid of
// spacing u = 2^(e-23), and as the phase lies on that grid each step adds
// the same amount d = (phase + inc) - phase, a multiple of u: k steps add
// k d, an exact float product and sum. Steps near the top of a range (where
// the grid changes or the phase wraps), at ties (inc an odd multiple of
// u/2, where rounding to even alternates) and with unusual values are
// taken one by one.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/FastFloor.h"

namespace PhaseRun {

// One step of the loop above.
inline float Step(float phase, float inc) {
  phase += inc;
  if (phase > 1.0f) phase -= FloorPastOne(phase);
  return phase;
}

// The phase after count steps of inc.
inline float Advance(float p, float inc, unsigned int count) {
  // Fast increments cross many ranges per cycle: stepping is as quick.
  if (!(inc >= 0.0f && inc < 0.005f)) {
    for (unsigned int j = 0; j < count; ++j) p = Step(p, inc);
    return p;
  }
  while (count > 0) {
    if (p >= 1e-30f && p < 1.0f) {
      uint32_t bits;
      std::memcpy(&bits, &p, sizeof(bits));
      const uint32_t range = bits & 0x7F800000u;  // 2^e for p in [2^e, 2^(e+1))
      const uint32_t uBits = range - (23u << 23), topBits = range + (1u << 23);
      float u, top;
      std::memcpy(&u, &uBits, sizeof(u));
      std::memcpy(&top, &topBits, sizeof(top));
      if (top > 1.0f) top = 1.0f;  // the wrap
      const float limit = top - 2.0f * u;
      const float next = p + inc;
      if (next < limit) {
        const float d = next - p;  // exact: both on the grid
        if (std::fabs(inc - d) != 0.5f * u) {
          if (d == 0.0f) return p;  // every sum rounds back to p
          const float room = (limit - p) / d;
          unsigned int k = room >= static_cast<float>(count) ? count : static_cast<unsigned int>(room);
          // The division may round up: the last step must stay at the limit.
          while (k > 0 && !(p + static_cast<float>(k) * d <= limit)) --k;
          if (k > 0) {
            p = p + static_cast<float>(k) * d;
            count -= k;
            continue;
          }
        }
      }
    }
    p = Step(p, inc);
    --count;
  }
  return p;
}

}  // namespace PhaseRun
