// Builds the windows of KaiserTables.h (run by the build, see TableBuild.h).

#include <cmath>
#include <vector>
#include "engine/Simd.h"
#if defined(MORLAVINE_SSE2)
#include <emmintrin.h>
#endif

#include "tables/KaiserTables.h"
#include "tables/TableBuild.h"

namespace Tables {

namespace {

// I0(beta) of the Kaiser window, its denominator: the same for every t, so
// a table build sums it once.
float KaiserDenominator() {
  float den = 1.0f;
  float term = 17.2225f;
  float k = 2.0f;
  do {
    k = k + 2.0f;
    den = den + term;
    term = term * 68.89f / (k * k);
  } while (term >= den * 2e-9f);
  return den;
}

// I0 power series of the Kaiser window; beta = 8.3. den is
// KaiserDenominator().
float KaiserWindow(float t, float den) {
  float w = static_cast<float>(std::sqrt(static_cast<double>(1.0f - t * t)) * 8.300000190734863);
  float num = 1.0f;
  float term = w * w * 0.25f;
  float k = 2.0f;
  if (term >= 2e-9f) {
    do {
      k = k + 2.0f;
      num = num + term;
      term = term * (w * w) / (k * k);
    } while (term >= num * 2e-9f);
  }
  return num / den;
}

// The window at t = (2 i - N) * scale for i = 0 .. N, into w (N + 1
// values), each exactly as KaiserWindow(t, den) gives it. With SSE2 four
// values run side by side, each lane with its own series: the same float
// operations in the same order per value, so the same results, with one
// lane's divisions overlapping the others' instead of waiting on its own.
void KaiserWindows(float* w, int N, float scale, float den) {
  int i = 0;
#if defined(MORLAVINE_SSE2)
  const __m128 limit = _mm_set1_ps(2e-9f), two = _mm_set1_ps(2.0f), quarter = _mm_set1_ps(0.25f);
  for (; i + 3 <= N; i += 4) {
    alignas(16) float lane[4];
    for (int j = 0; j < 4; ++j) {
      const float t = static_cast<float>((i + j) + (i + j) - N) * scale;
      lane[j] = static_cast<float>(std::sqrt(static_cast<double>(1.0f - t * t)) * 8.300000190734863);
    }
    const __m128 x = _mm_load_ps(lane);
    const __m128 ww = _mm_mul_ps(x, x);
    __m128 num = _mm_set1_ps(1.0f);
    __m128 term = _mm_mul_ps(ww, quarter);
    __m128 k = two;
    __m128 active = _mm_cmpge_ps(term, limit);
    while (_mm_movemask_ps(active)) {
      k = _mm_add_ps(k, two);
      const __m128 nextNum = _mm_add_ps(num, term);
      const __m128 nextTerm = _mm_div_ps(_mm_mul_ps(term, ww), _mm_mul_ps(k, k));
      // Lanes whose series has ended keep their values.
      num = _mm_or_ps(_mm_and_ps(active, nextNum), _mm_andnot_ps(active, num));
      term = _mm_or_ps(_mm_and_ps(active, nextTerm), _mm_andnot_ps(active, term));
      active = _mm_and_ps(active, _mm_cmpge_ps(term, _mm_mul_ps(num, limit)));
    }
    _mm_storeu_ps(w + i, _mm_div_ps(num, _mm_set1_ps(den)));
  }
#endif
  for (; i <= N; ++i) w[i] = KaiserWindow(static_cast<float>(i + i - N) * scale, den);
}

void BuildWindow(ITableSink& sink, const char* name, unsigned int n, float scale) {
  std::vector<float> w(n + 1);
  KaiserWindows(w.data(), static_cast<int>(n), scale, KaiserDenominator());
  sink.Put(name, w.data(), n + 1);
}

}  // namespace

void BuildKaiserTables(ITableSink& sink) {
  BuildWindow(sink, "Tables::BL_SAW_WINDOW_TABLE", BL_SAW_WINDOW_N, 9.259259e-6f);
  BuildWindow(sink, "Tables::BL_STEP_WINDOW_TABLE", BL_STEP_WINDOW_N, 6.6666666e-6f);
}

}  // namespace Tables
