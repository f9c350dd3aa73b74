#pragma once
// A block set to one value, four values per store (SSE2, the x86-64
// baseline): at -O2 the compiler leaves a plain loop storing one float at a
// time, and the voice's control buffers are filled once per block.
#include <cstddef>

#include "engine/Simd.h"
#if defined(MORLAVINE_SSE2)
#include <xmmintrin.h>
#endif

inline void FillBlock(float* out, unsigned int n, float value) {
  unsigned int i = 0;
#if defined(MORLAVINE_SSE2)
  const __m128 v = _mm_set1_ps(value);
  for (; i + 4 <= n; i += 4) _mm_storeu_ps(out + i, v);
#endif
  for (; i < n; ++i) out[i] = value;
}
