#pragma once
// Tests for blocks of exact silence, which stages use to skip work whose
// result they know: +0.0 into a filter whose memories are all +0.0 gives
// +0.0 and leaves the memories as they were.
#include <cstdint>
#include <cstring>

#include "engine/Simd.h"
#if defined(MORLAVINE_SSE2)
#include <emmintrin.h>
#endif

// Every sample of the block is +0.0 (all bits clear).
inline bool IsPositiveZeroBlock(const float* x, unsigned int n) {
  unsigned int i = 0;
#if defined(MORLAVINE_SSE2)
  // Sixteen samples a step, OR-ed together; a block with sound usually
  // answers after its first step.
  for (; i + 16 <= n; i += 16) {
    const __m128i a = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(x + i)),
                                   _mm_loadu_si128(reinterpret_cast<const __m128i*>(x + i + 4)));
    const __m128i b = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(x + i + 8)),
                                   _mm_loadu_si128(reinterpret_cast<const __m128i*>(x + i + 12)));
    const __m128i zero = _mm_cmpeq_epi32(_mm_or_si128(a, b), _mm_setzero_si128());
    if (_mm_movemask_epi8(zero) != 0xFFFF) return false;
  }
#endif
  uint32_t bits = 0;
  for (; i < n; ++i) {
    uint32_t b;
    std::memcpy(&b, &x[i], sizeof(b));
    bits |= b;
  }
  return bits == 0;
}
