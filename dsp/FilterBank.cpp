#include "dsp/FilterBank.h"

#include <cstring>

namespace {

const float TWO_PI = 6.2831853f;
// The state-variable sections, the one-pole smoother and the peaking
// equalisers are stable only below a frequency term of 2 (a cutoff of about
// 0.32 of the rate). Oversampled rates keep every cutoff well below that;
// at low processing rates the term is held just under it.
const float MAX_SECTION_W = 1.9f;
const float MAX_EQ_FREQ = 0.3f;
const float MAX_ONE_POLE = 1.0f;
// The acid low-pass loop (three one-poles and a section with negative
// feedback) turns unstable above a frequency term of about 0.65; at the
// usual oversampled rates it stays below 0.55.
const float MAX_ACID_LP = 0.55f;
// The combs' four-point interpolation needs one newer sample than the read
// position: a delay of at least two samples keeps that sample inside the
// line (only very short combs at low processing rates come near it).
const float MIN_COMB_DELAY = 2.0f;

inline float SectionW(float f) {
  const float w = TWO_PI * f;
  if (!(w > 0.0f)) return 0.0f;
  return w < MAX_SECTION_W ? w : MAX_SECTION_W;
}

inline float Clamp(float v, float lo, float hi) {
  if (!(v > lo)) return lo;
  return v < hi ? v : hi;
}

// Smoothing coefficient: a second-order approximation of exp(-w).
inline float Smoothing(float w) { return 0.5f * w * w + 1.0f - w; }

// Sine of 2 pi x through the sine table, x wrapped into 0..1.
float TableSine(float x) {
  x -= std::floor(x);
  float fi = x * static_cast<float>(Tables::SINE_TABLE_SIZEM1);
  if (!(fi >= 0.0f)) fi = 0.0f;
  unsigned int j = static_cast<unsigned int>(fi);
  if (j >= Tables::SINE_TABLE_SIZEM1) j = Tables::SINE_TABLE_SIZEM1 - 1;
  return Tables::SINE_TABLE[j] + (Tables::SINE_TABLE[j + 1] - Tables::SINE_TABLE[j]) * (fi - static_cast<float>(j));
}

}  // namespace

namespace FilterBank {

TUNING ComputeTuning() {
  TUNING t;
  t.semitoneDelta = static_cast<float>(std::pow(2.0, 1.0 / 12.0));
  t.tuneTableScaler = static_cast<float>(Tables::TUNE_TABLE_SIZEM1) / static_cast<float>(Tables::TUNE_TABLE_MAX_PITCH);
  const unsigned int lowest = static_cast<unsigned int>(LOWEST_COMB_PITCH * t.tuneTableScaler);
  t.maxTime = 1.0f / Tables::TUNE_TABLE[lowest];
  return t;
}

unsigned int LineLength(float maxTime, float rate) {
  const float l = std::ceil(maxTime * rate);
  if (!(l >= 1.0f)) return 1;
  if (l > 16777216.0f) return 16777216;
  return static_cast<unsigned int>(l);
}

}  // namespace FilterBank

using namespace FilterBank;

bool CFilterChannel::Bind(int mode, float* block, unsigned int bytes, unsigned int* combIndex,
                          unsigned int* bellIndex) {
  m_s = block;
  m_combIndex = combIndex;
  const unsigned int words = bytes / sizeof(float);
  if (!block || words < RESET_WORDS) return false;
  if (IsBiquad(mode)) BIQUAD_COEFS::Enter(block);
  if (!IsCombMode(mode)) return true;
  BIQUAD_COEFS::Leave(block);
  // The lines must fit the block whatever rate it was sized for.
  unsigned int fit = mode == MODE_BELL_COMB ? (words - 1) / 3 : words - 2;
  m_useLen = m_len < fit ? m_len : fit;
  if (m_useLen < 4) return false;
  if (mode == MODE_BELL_COMB) {
    for (unsigned int j = 0; j < 3; ++j)
      if (bellIndex[j] >= m_useLen) bellIndex[j] = 0;
    m_bell.Bind(block, bellIndex, m_useLen);
  } else if (*combIndex >= m_useLen) {
    *combIndex = 0;
  }
  return true;
}

void CFilterChannel::CopyCoefficients(const CFilterChannel& o) {
  std::memcpy(m_w, o.m_w, sizeof(m_w));
  std::memcpy(m_g, o.m_g, sizeof(m_g));
  m_p = o.m_p;
  m_r = o.m_r;
  m_c = o.m_c;
  m_k = o.m_k;
  m_q = o.m_q;
  m_qn = o.m_qn;
  m_a = o.m_a;
  m_G = o.m_G;
  m_bias = o.m_bias;
  m_fb = o.m_fb;
  m_norm = o.m_norm;
  m_inc = o.m_inc;
  m_apA = o.m_apA;
  m_apB = o.m_apB;
  m_delay = o.m_delay;
  m_frac = o.m_frac;
  m_biquad = o.m_biquad;
  m_notch.coefs = o.m_notch.coefs;
  m_peak.coefs = o.m_peak.coefs;
  m_bell.CopyParams(o.m_bell);
}

void CFilterChannel::Compute(int mode, float f, float v, float r, float c, float sr, float carrierInc) {
  if (!(f > 0.0f)) f = 0.0f;
  if (!(sr > 0.0f)) sr = 1.0f;
  const float w = SectionW(f);
  switch (mode) {
    case MODE_ANALOG_LP1: {
      m_w[0] = w;
      m_g[0] = Damping(w, 2.0f - 1.358f * 0.85f * r);
      const float c3 = c * c * c;
      const float d = r + 0.01f;
      m_G = 391.0f * c3 + d;
      m_bias = 0.05f * c3;
      m_fb = (2.0f * c + d) * 0.85f * r;
      m_norm = (m_G + 1.0f) / m_G;
      break;
    }
    case MODE_ANALOG_LP2:
      m_p = f < MAX_ONE_POLE ? f : MAX_ONE_POLE;
      m_k = 0.8f * r + 0.145f;
      m_q = 0.6f * r + 3.6f * c + 0.01f;
      m_qn = (m_q + 1.0f) / m_q;
      break;
    case MODE_LP24:
    case MODE_BP24:
    case MODE_HP24:
      m_w[0] = w;
      m_w[1] = SectionW(f + 20.0f / sr);
      m_r = r;
      m_c = c;
      m_a = Smoothing(w);
      break;
    case MODE_LP12:
    case MODE_BP12:
    case MODE_HP12:
      m_w[0] = w;
      m_r = r;
      m_c = c;
      m_a = Smoothing(w);
      break;
    case MODE_ACID_LP: {
      const float e = (f * sr - 2000.0f) / 8000.0f;
      float h;
      if (e < 0.0f) {
        h = 0.5f - 0.5f * c;
      } else if (e <= 1.0f) {
        const float u = 1.0f - e;
        h = 1.0f - (0.5f * c + 0.5f) * u * u * u;
      } else {
        h = 1.0f;
      }
      m_k = 0.63f * r * h;
      m_p = f < MAX_ACID_LP ? f : MAX_ACID_LP;
      m_g[0] = Damping(m_p, Clamp(2.0f * (1.0f - m_k), 0.02f, 1e30f));
      m_q = 3.5f * c + 0.01f;
      m_qn = (m_q + 1.0f) / m_q;
      break;
    }
    case MODE_ACID_BP: {
      const float e = (f * sr - 1000.0f) / 3000.0f;
      float h;
      if (e < 0.0f) {
        h = 0.5f;
      } else if (e <= 1.0f) {
        const float u = 1.0f - e;
        h = 1.0f - 0.5f * u * u * u;
      } else {
        h = 1.0f;
      }
      m_k = r * h;
      m_p = f < MAX_ONE_POLE ? f : MAX_ONE_POLE;
      m_g[0] = Damping(m_p, Clamp(2.0f * (1.0f - 0.93f * m_k), 0.02f, 1e30f));
      m_q = c + 0.01f;
      m_qn = (m_q + 1.0f) / m_q;
      break;
    }
    case MODE_BP48: {
      const float hi = (2.0f * c + 2.0f) * f;
      const float top = 22000.0f / sr;
      const float fH = hi < top ? hi : top;
      const float fL = f / (2.0f * c + 1.0f);
      const float q = 1.03f - 0.776f * r;
      m_w[0] = SectionW(fL);
      m_w[1] = SectionW(fL + 20.0f / sr);
      m_w[2] = SectionW(fH);
      m_w[3] = SectionW(fH + 20.0f / sr);
      for (unsigned int j = 0; j < 4; ++j) m_g[j] = Damping(m_w[j], q);
      break;
    }
    case MODE_RING_LP:
      m_w[0] = w;
      m_g[0] = Damping(w, Clamp(2.0f * (1.0f - 0.99f * r), 0.02f, 1e30f));
      m_a = Smoothing(w);
      m_c = c;
      m_inc = carrierInc;
      break;
    case MODE_FORMANT: {
      float F1, F2, F4;
      const float F3 = (c + 1.0f) * v * 3000.0f + 1600.0f;
      if (v >= 0.5f) {
        const float u = 2.0f * (v - 0.5f);
        F1 = 200.0f * u + 300.0f * c + 200.0f;
        F2 = -1350.0f * u + 1500.0f * c + 2250.0f;
        F4 = 600.0f * u - 500.0f * c + 1200.0f;
      } else {
        const float u = 2.0f * v;
        F1 = 500.0f + 300.0f * c - 300.0f * u;
        F2 = 1500.0f * u + 1500.0f * c + 750.0f;
        F4 = 3200.0f - 500.0f * c - 2000.0f * u;
      }
      const float q = Clamp(1.0f - r, 0.02f, 1.0f);
      const float F[4] = {F1, F2, F3, F4};
      for (unsigned int j = 0; j < 4; ++j) {
        m_w[j] = SectionW(F[j] / sr);
        m_g[j] = Damping(m_w[j], q);
      }
      break;
    }
    case MODE_ALLPASS2:
    case MODE_ALLPASS4:
    case MODE_ALLPASS8: {
      m_k = 0.95f * r;
      const float s = 8.0f * c + 1.0f;
      m_apA = (1.0f - f * s) / (1.0f + f * s);
      m_apB = (1.0f - f / s) / (1.0f + f / s);
      break;
    }
    case MODE_NOTCH:
      m_notch.SetParams(f < MAX_EQ_FREQ ? f : MAX_EQ_FREQ, r, c);
      break;
    case MODE_PEAK:
      m_peak.SetParams(f < MAX_EQ_FREQ ? f : MAX_EQ_FREQ, r, c);
      break;
    case MODE_LOWSHELF:
    case MODE_HIGHSHELF: {
      float A;
      if (r <= 0.5f) {
        A = 3.0f * r * r + 0.25f;
      } else {
        const float d = r - 0.5f;
        A = (mode == MODE_LOWSHELF ? 5.0f : 7.0f) * d * d + 1.0f;
      }
      // The sine of w and d = 1 - cos w = 2 sin^2(w / 2), both from the
      // sine table: d written out keeps its digits at cutoffs of a few
      // hertz at the highest rates, where cos w rounds to 1.
      const float sn = TableSine(f);
      const float h = TableSine(0.5f * f);
      const double d = 2.0 * static_cast<double>(h) * static_cast<double>(h);
      const float prod = 2.0f * A * (1.0f - 0.9999f * c);
      const double beta = prod > 0.0f ? static_cast<double>(sn * std::sqrt(prod)) : 0.0;
      const double a = static_cast<double>(A);
      // With cos w = 1 - d: A + 1 + (A - 1) cos w = 2A - (A - 1) d,
      // A + 1 - (A - 1) cos w = 2 + (A - 1) d, A - 1 + (A + 1) cos w =
      // 2A - (A + 1) d and A - 1 - (A + 1) cos w = -2 + (A + 1) d.
      const double lowSum = 2.0 * a - (a - 1.0) * d;
      const double highSum = 2.0 + (a - 1.0) * d;
      const double lowMix = 2.0 * a - (a + 1.0) * d;
      const double highMix = -2.0 + (a + 1.0) * d;
      BIQUAD_COEFS& k = m_biquad;
      if (mode == MODE_LOWSHELF) {
        const double n = 1.0 / (lowSum + beta);
        k.a1 = -2.0 * lowMix * n;
        k.a2 = (lowSum - beta) * n;
        k.b0 = a * (highSum + beta) * n;
        k.b1 = 2.0 * a * highMix * n;
        k.b2 = a * (highSum - beta) * n;
      } else {
        const double n = 1.0 / (highSum + beta);
        k.a1 = 2.0 * highMix * n;
        k.a2 = (highSum - beta) * n;
        k.b0 = a * (lowSum + beta) * n;
        k.b1 = -2.0 * a * lowMix * n;
        k.b2 = a * (lowSum - beta) * n;
      }
      break;
    }
    case MODE_LP6:
      m_a = Smoothing(w);
      break;
    case MODE_COMB_NEG:
    case MODE_COMB_POS: {
      float D = f > 0.0f ? 1.0f / f : static_cast<float>(m_useLen);
      if (D > static_cast<float>(m_useLen)) D = static_cast<float>(m_useLen);
      if (!(D >= MIN_COMB_DELAY)) D = MIN_COMB_DELAY;
      m_delay = static_cast<unsigned int>(D);
      m_frac = D - static_cast<float>(m_delay);
      if (m_delay >= m_useLen) m_delay = 0;  // a full line reads the oldest sample
      m_k = mode == MODE_COMB_NEG ? r : -r;
      m_a = 0.8f * c * c + 0.2f;
      break;
    }
    case MODE_BELL_COMB:
      m_bell.SetParams(f, r, c);
      break;
    default:
      break;
  }
}
