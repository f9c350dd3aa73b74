#include "editor/pages/WTEditorEffects.h"

#include <cmath>
#include <cstring>

#include "osc/WaveTable.h"
#include "tables/Tables.h"

namespace {

const unsigned int N = CWTEditorEffects::WAVE_SIZE;

// sin(2 pi p) from the sine table, linearly interpolated.
float TableSin(float p) {
  float sign = 1.0f;
  if (p < 0.0f) {
    p = -p;
    sign = -1.0f;
  }
  if (p > 1.0f) p -= std::floor(p);
  const float x = p * static_cast<float>(Tables::SINE_TABLE_SIZEM1);
  unsigned int i = static_cast<unsigned int>(x);
  if (i > Tables::SINE_TABLE_SIZEM1) i = Tables::SINE_TABLE_SIZEM1;
  const float f = x - static_cast<float>(i);
  return sign * (Tables::SINE_TABLE[i] + f * (Tables::SINE_TABLE[i + 1] - Tables::SINE_TABLE[i]));
}

// One resonant band-pass (constant peak gain) run over the wave from rest,
// added into out.
void BandPass(const float* in, float* out, float w, float gain, float q) {
  const float s = TableSin(w);
  const float c = TableSin(w + 0.25f);
  const float alpha = q * s;
  const float b0 = s * 0.5f;
  const float c1 = 2.0f * c;
  const float c2 = 1.0f - alpha;
  const float inv = 1.0f / (1.0f + alpha);
  float u1 = 0.0f, u2 = 0.0f, y1 = 0.0f, y2 = 0.0f;
  for (unsigned int n = 0; n < N; ++n) {
    const float u = in[n] * gain;
    const float y = (b0 * u - b0 * u2 + c1 * y1 - c2 * y2) * inv;
    u2 = u1;
    u1 = u;
    y2 = y1;
    y1 = y;
    out[n] += y;
  }
}

}  // namespace

CWTEditorEffects::CWTEditorEffects() : m_scratch(new float[N]()) {}

CWTEditorEffects::~CWTEditorEffects() { delete[] m_scratch; }

void CWTEditorEffects::Process(float* wave, float amount) {
  if (!wave || amount == 0.0f || m_type >= EFFECT_COUNT) return;
  switch (m_type) {
    case EFFECT_COMB: ApplyComb(wave, amount); break;
    case EFFECT_SYNC: ApplySync(wave, amount); break;
    case EFFECT_MULTIPLY: ApplyMultiply(wave, amount); break;
    case EFFECT_DECIMATE: ApplyDecimate(wave, amount); break;
    case EFFECT_VOWEL: ApplyVowel(wave, amount); break;
    case EFFECT_DRIVE: ApplyDrive(wave, amount); break;
    case EFFECT_FOLD: ApplyFold(wave, amount); break;
    default: ApplyWidth(wave, amount); break;
  }
}

unsigned int CWTEditorEffects::CombOffset(float amount) {
  return static_cast<unsigned int>((1.0f - amount) * 7500.0f + 500.0f);
}

void CWTEditorEffects::ApplyComb(float* x, float amount) {
  const int d = static_cast<int>(CombOffset(amount));
  const int last = static_cast<int>(N) - 1;
  // In place and in order: later samples see the earlier ones already
  // changed.
  for (int i = 0; i <= last; ++i) {
    const int before = i - d < 0 ? 0 : i - d;
    const int after = i + d > last ? last : i + d;
    x[i] = x[i] - (x[before] + x[after]);
  }
  CWaveTable::Normalize(x, N);
}

void CWTEditorEffects::ApplySync(float* x, float amount) {
  std::memcpy(m_scratch, x, N * sizeof(float));
  const double r = 1.0 + 3.0 * amount;
  const double step = r / N;
  double p = 0.0;
  for (unsigned int i = 0; i < N; ++i) {
    double q = r * p;
    if (q > 1.0) q -= std::floor(q);
    unsigned int k = static_cast<unsigned int>(q * N);
    if (k > N - 1) k = N - 1;
    x[i] = m_scratch[k];
    p += step;
    if (p > 1.0) p -= std::floor(p);
  }
}

void CWTEditorEffects::ApplyMultiply(float* x, float amount) {
  std::memcpy(m_scratch, x, N * sizeof(float));
  float length = (1.0f - 0.5f * amount) * static_cast<float>(N);
  if (!(length >= 1.0f)) length = 1.0f;
  if (length > static_cast<float>(N)) length = static_cast<float>(N);
  const unsigned int n = static_cast<unsigned int>(length);
  for (int pass = 0; pass < 8; ++pass) {
    // The accumulator squeezed into the first n samples, then added back
    // repeated over the whole cycle.
    CWaveTable::Interpolate(x, n, m_scratch, N);
    unsigned int k = 0;
    for (unsigned int j = 0; j < N; ++j) {
      m_scratch[j] += x[k];
      if (++k == n) k = 0;
    }
  }
  std::memcpy(x, m_scratch, N * sizeof(float));
  CWaveTable::Normalize(x, N);
}

void CWTEditorEffects::ApplyDecimate(float* x, float amount) {
  const float q = std::exp2(7.0f - 7.0f * amount);
  float peak = 0.0f;
  for (unsigned int i = 0; i < N; ++i) {
    const float v = std::isfinite(x[i]) ? x[i] * q : 0.0f;
    // The nearest step of 1/q, halves away from zero.
    const float y = (v >= 0.0f ? std::trunc(v + 0.5f) : std::trunc(v - 0.5f)) / q;
    x[i] = y;
    if (std::fabs(y) > peak) peak = std::fabs(y);
  }
  if (peak > 1e-12f && std::isfinite(peak)) {
    const float scale = 1.0f / peak;
    for (unsigned int i = 0; i < N; ++i) x[i] *= scale;
  }
}

void CWTEditorEffects::ApplyVowel(float* x, float a) {
  const float s = 1.1337869e-6f / ((1.0f - (a - 0.8f)) * 1.4f + 1.0f);
  const float f1 = a < 0.5f ? 2.0f * a * 700.0f + 700.0f : (2.0f * a - 1.0f) * -500.0f + 1400.0f;
  const float f2 = 2500.0f * a + 1800.0f;
  const float f3 = 1300.0f * a + 4700.0f;
  // Fade-in of the input for the smallest amounts.
  const float fx = a * static_cast<float>(Tables::FASTFADEIN_TABLE_SIZEM1);
  unsigned int fi = static_cast<unsigned int>(fx);
  if (fi > Tables::FASTFADEIN_TABLE_SIZEM1) fi = Tables::FASTFADEIN_TABLE_SIZEM1;
  const float ff = fx - static_cast<float>(fi);
  const float g = Tables::FASTFADEIN_TABLE[fi] + ff * (Tables::FASTFADEIN_TABLE[fi + 1] - Tables::FASTFADEIN_TABLE[fi]);

  std::memset(m_scratch, 0, N * sizeof(float));
  BandPass(x, m_scratch, f1 * s, g, 0.06f);
  BandPass(x, m_scratch, f2 * s, g, 0.06f);
  BandPass(x, m_scratch, f3 * s, g, 0.01999998f);
  std::memcpy(x, m_scratch, N * sizeof(float));
  CWaveTable::Normalize(x, N);
}

void CWTEditorEffects::ApplyDrive(float* x, float a) {
  const float g = 60.0f * a + 0.01f;
  for (unsigned int i = 0; i < N; ++i) {
    const float y = x[i] * g + 0.05f * g;
    const float t = std::fabs(y);
    const float p = ((t + 3.0f) * t + 6.0f) * t + 12.0f;
    x[i] = y * p / (p * t + 24.0f);
  }
  CWaveTable::Normalize(x, N);
}

float CWTEditorEffects::FoldSample(float x, float t) {
  if (!std::isfinite(x)) return 0.0f;
  if (x >= -t && x <= t) return x / t;
  // Reflecting at +-t again and again is a triangle of period 4t: place x
  // in one period starting at -t and mirror its upper half.
  const double period = 4.0 * t;
  const double u = (static_cast<double>(x) + t) / period;
  double v = (u - std::floor(u)) * period - t;  // -t .. 3t
  if (v > t) v = 2.0 * t - v;
  if (v < -t) v = -t;  // rounding at the period's edge
  return static_cast<float>(v / t);
}

void CWTEditorEffects::ApplyFold(float* x, float a) {
  const float t = 1.0f - 0.95f * a;
  for (unsigned int i = 0; i < N; ++i) x[i] = FoldSample(x[i], t);
}

unsigned int CWTEditorEffects::WidthLength(float amount) {
  float n = (1.0f - 0.99f * amount) * static_cast<float>(N);
  if (!(n >= 1.0f)) n = 1.0f;
  if (n > static_cast<float>(N)) n = static_cast<float>(N);
  return static_cast<unsigned int>(n);
}

void CWTEditorEffects::ApplyWidth(float* x, float a) {
  std::memcpy(m_scratch, x, N * sizeof(float));
  const unsigned int n = WidthLength(a);
  CWaveTable::Interpolate(x, n, m_scratch, N);
  for (unsigned int i = n; i < N; ++i) x[i] = 0.0f;
}
