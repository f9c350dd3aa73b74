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

#include "engine/Simd.h"
#if defined(MORLAVINE_SSE2)
#include <emmintrin.h>
#endif

namespace PhaseRun {

// One step of the loop above.
inline float Step(float phase, float inc) {
  phase += inc;
  if (phase > 1.0f) phase -= FloorPastOne(phase);
  return phase;
}

// How many of up to count steps of inc from p can be taken at once (0 when
// the next step must be taken alone): steps that keep the phase inside its
// exponent range and below 1. The phase after them is p + k * d, exactly.
inline unsigned int Stretch(float p, float inc, unsigned int count, float& d) {
  if (!(p >= 1e-30f && p < 1.0f && inc >= 0.0f && inc < 0.25f)) return 0;
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
  if (!(next < limit)) return 0;
  d = next - p;  // exact: both on the grid
  if (std::fabs(inc - d) == 0.5f * u) return 0;
  if (d == 0.0f) return count;  // every sum rounds back to p
  const float room = (limit - p) / d;
  unsigned int k = room >= static_cast<float>(count) ? count : static_cast<unsigned int>(room);
  // The division may round up: the last step must stay at the limit.
  while (k > 0 && !(p + static_cast<float>(k) * d <= limit)) --k;
  return k;
}

// Stores the phase before each of count steps of inc into out and returns
// the phase after them. Inside a stretch the k-th phase is p + k d exactly,
// so the stores need not wait for each other (four at a time with SSE2).
// Faster increments cross a range every few steps: stepping is as quick.
inline float Fill(float* out, unsigned int count, float p, float inc) {
  unsigned int j = 0;
  if (!(inc >= 0.0f && inc < 0.004f)) {
    for (; j < count; ++j) {
      out[j] = p;
      p = Step(p, inc);
    }
    return p;
  }
  while (j < count) {
    float d = 0.0f;
    const unsigned int k = count - j >= 8 ? Stretch(p, inc, count - j, d) : 0;
    if (k < 8) {
      // Near a range top or the wrap, or too short to be worth it.
      out[j++] = p;
      p = Step(p, inc);
      continue;
    }
    unsigned int m = 0;
#if defined(MORLAVINE_SSE2)
    const __m128 base = _mm_set1_ps(p), step = _mm_set1_ps(d);
    __m128i index = _mm_set_epi32(3, 2, 1, 0);
    const __m128i four = _mm_set1_epi32(4);
    for (; m + 4 <= k; m += 4) {
      _mm_storeu_ps(out + j + m, _mm_add_ps(base, _mm_mul_ps(_mm_cvtepi32_ps(index), step)));
      index = _mm_add_epi32(index, four);
    }
#endif
    for (; m < k; ++m) out[j + m] = p + static_cast<float>(m) * d;
    p = p + static_cast<float>(k) * d;
    j += k;
  }
  return p;
}

// The phase after count steps of inc.
inline float Advance(float p, float inc, unsigned int count) {
  // Fast increments cross many ranges per cycle: stepping is as quick.
  if (!(inc >= 0.0f && inc < 0.005f)) {
    for (unsigned int j = 0; j < count; ++j) p = Step(p, inc);
    return p;
  }
  while (count > 0) {
    float d = 0.0f;
    const unsigned int k = Stretch(p, inc, count, d);
    if (k > 0) {
      p = p + static_cast<float>(k) * d;
      count -= k;
    } else {
      p = Step(p, inc);
      --count;
    }
  }
  return p;
}

}  // namespace PhaseRun
