#include "dsp/Brilliance.h"

#include <cmath>

#include "engine/FastFloor.h"
#include "engine/Voice.h"
#include "tables/Tables.h"

namespace {

const float SHELF_HZ = 10000.0f;

// sin(2 pi x) from the sine table with linear interpolation; a negative
// phase reads the table at |x| and negates.
float TableSine(float x) {
  const bool negative = x < 0.0f;
  if (negative) x = -x;
  x -= FastFloor(x);
  float f = x * static_cast<float>(Tables::SINE_TABLE_SIZEM1);
  unsigned int i = f > 0.0f ? static_cast<unsigned int>(f) : 0u;
  if (i >= Tables::SINE_TABLE_SIZEM1) i = Tables::SINE_TABLE_SIZEM1 - 1;
  const float* t = Tables::SINE_TABLE;
  const float s = t[i] + (t[i + 1] - t[i]) * (f - static_cast<float>(i));
  return negative ? -s : s;
}

// Normalised shelf coefficients (b0, b1, b2, a1, a2) for amount a at the
// shelf's sine S and cosine C.
struct SHELF_COEFS {
  float b0, b1, b2, a1, a2;
};

SHELF_COEFS ShelfCoefficients(float a, float S, float C) {
  const float A = 1.0f + 7.0f * a * a;
  const float beta = (A + 1.0f) * S;
  const float a0 = (A + 1.0f) - (A - 1.0f) * C + beta;
  const float a2raw = (A + 1.0f) - (A - 1.0f) * C - beta;
  const float a1raw = 2.0f * ((A - 1.0f) - (A + 1.0f) * C);
  // A stable filter needs |a2| < a0 and |a1| < a0 + a2; rates that put
  // 10 kHz near or above the band's top break that, and pass instead.
  if (a0 > 1e-6f && std::fabs(a2raw) < a0 && std::fabs(a1raw) < a0 + a2raw) {
    // Normalised by a0 here so the sample loop needs no division.
    const float r = 1.0f / a0;
    return SHELF_COEFS{A * ((A + 1.0f) + (A - 1.0f) * C + beta) * r, -2.0f * A * ((A - 1.0f) + (A + 1.0f) * C) * r,
                       A * ((A + 1.0f) + (A - 1.0f) * C - beta) * r, a1raw * r, a2raw * r};
  }
  return SHELF_COEFS{1.0f, 0.0f, 0.0f, 0.0f, 0.0f};
}

}  // namespace

void CBrilliance::Reset(CVoice* voice) {
  float* s = voice->GetOscFXState(m_osc)->brilliance[m_slot];
  s[0] = s[1] = s[2] = s[3] = 0.0f;
}

void CBrilliance::Process(CVoice* voice, float* x, unsigned int n) {
  if (_Bypassed()) return;
  if (!(m_sampleRate > 0.0f)) return;
  float w = SHELF_HZ / m_sampleRate;
  if (std::fabs(w) > 1.0f) w -= std::trunc(w);
  const float S = TableSine(w);
  const float C = TableSine(w + 0.25f);

  float* state = voice->GetOscFXState(m_osc)->brilliance[m_slot];
  float x1 = state[0], x2 = state[1], y1 = state[2], y2 = state[3];
  // The coefficients follow the amount once per control step; a settled
  // amount gives one set for the block, and a step that finds the previous
  // step's amount keeps its set.
  const unsigned int K = m_amount.constant ? n : _Oversampling();
  SHELF_COEFS k = {1.0f, 0.0f, 0.0f, 0.0f, 0.0f};
  float lastA = 0.0f;
  for (unsigned int i = 0; i < n;) {
    const float a = _Amount(i);
    if (i == 0 || a != lastA) {
      k = ShelfCoefficients(a, S, C);
      lastA = a;
    }
    const unsigned int end = n - i > K ? i + K : n;
    for (; i < end; ++i) {
      const float in = x[i];
      const float y = k.b0 * in + k.b1 * x1 + k.b2 * x2 - k.a1 * y1 - k.a2 * y2;
      x2 = x1;
      x1 = in;
      y2 = y1;
      y1 = y;
      x[i] = y;
    }
  }
  state[0] = x1;
  state[1] = x2;
  state[2] = y1;
  state[3] = y2;
}
