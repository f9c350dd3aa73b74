#pragma once
// The filter bank behind the oscillator and bus filters: 24 filter kernels
// selected by mode (0 = off). A filter module computes, once per control
// tick, a frequency, resonance and control value and hands them to one
// CFilterChannel per channel, which derives the active kernel's coefficients
// and then runs the kernel on every sample. The kernels keep their state in
// the voice's filter block: all kernels share the first words of the block,
// the combs use it as their delay lines.

#include <cmath>

#include "dsp/FilterKernels.h"
#include "tables/Tables.h"

namespace FilterBank {

enum : int {
  MODE_OFF = 0,
  MODE_ANALOG_LP1 = 1,
  MODE_ANALOG_LP2 = 2,
  MODE_LP24 = 3,
  MODE_BP24 = 4,
  MODE_HP24 = 5,
  MODE_LP12 = 6,
  MODE_BP12 = 7,
  MODE_HP12 = 8,
  MODE_ACID_LP = 9,
  MODE_ACID_BP = 10,
  MODE_BP48 = 11,
  MODE_RING_LP = 12,
  MODE_FORMANT = 13,
  MODE_ALLPASS2 = 14,
  MODE_ALLPASS4 = 15,
  MODE_ALLPASS8 = 16,
  MODE_NOTCH = 17,
  MODE_PEAK = 18,
  MODE_LOWSHELF = 19,
  MODE_HIGHSHELF = 20,
  MODE_LP6 = 21,
  MODE_COMB_NEG = 22,
  MODE_COMB_POS = 23,
  MODE_BELL_COMB = 24,
  MODE_COUNT = 25
};

// The highest cutoff pitch a module hands on (21.1 kHz), and the lowest comb
// pitch (the period of pitch 15 sizes the comb lines).
const float MAX_CUTOFF_PITCH = 136.0f;
const float LOWEST_COMB_PITCH = 15.0f;
// Words at the start of a block that a reset clears: every kernel but the
// combs keeps its state in them.
const unsigned int RESET_WORDS = 20;
static_assert(BIQUAD_COEFS::WORDS <= RESET_WORDS, "a reset clears the biquads' outputs in double too");
// Words a block holds beyond its three comb lines.
const unsigned int EXTRA_WORDS = 39;

inline bool IsCombMode(int mode) { return mode == MODE_COMB_NEG || mode == MODE_COMB_POS || mode == MODE_BELL_COMB; }

// The mode stored as a float setting, truncated toward zero; anything that
// is not a kernel (negative, above 24, not a number) gives a value outside
// 1..24, which passes the signal unchanged.
inline int ModeFromSetting(float v) {
  if (!(v > -1.0f && v < 4096.0f)) return MODE_COUNT;
  return static_cast<int>(v);
}

// Tuning constants of the filter modules, from the tuning table.
struct TUNING {
  float semitoneDelta;    // 2^(1/12)
  float tuneTableScaler;  // tuning-table entries per semitone
  float maxTime;          // the period of pitch 15 in seconds: the longest comb delay
};
// Builds the tuning table first when needed.
TUNING ComputeTuning();

// Frequency in Hz of a pitch through the tuning table; the index is clamped
// into the table, NaN reads entry 0. (Inline: the filters call it at every
// control tick whose cutoff moved.)
inline float PitchToHz(float pitch, float scaler) {
  const float f = pitch * scaler;
  if (!(f > 0.0f)) return Tables::TUNE_TABLE[0];
  if (f >= static_cast<float>(Tables::TUNE_TABLE_SIZEM1)) return Tables::TUNE_TABLE[Tables::TUNE_TABLE_SIZEM1];
  return Tables::TUNE_TABLE[static_cast<unsigned int>(f)];
}

// The pitch a mode works at for cutoff pitch P (0..136); the formant mode
// takes P / 136 as its vowel position instead.
inline float ModePitch(int mode, float P) {
  switch (mode) {
    case MODE_ANALOG_LP1:
      return P / 136.0f * 117.0f + 20.0f;
    case MODE_ANALOG_LP2:
      return P / 136.0f * 110.0f + 50.0f;
    case MODE_ACID_LP:
      return P / 136.0f * 100.0f + 50.0f;
    case MODE_ACID_BP:
      return P / 136.0f * 110.0f + 40.0f;
    case MODE_COMB_NEG:
    case MODE_COMB_POS:
    case MODE_BELL_COMB:
      return P * 125.0f / 136.0f + 15.0f;
    default:
      return P;
  }
}

// Comb line length for a rate: ceil(maxTime x rate), at least 1.
unsigned int LineLength(float maxTime, float rate);

}  // namespace FilterBank

// One channel of a filter module: the coefficients of the active kernel, the
// kernel gains and the binding to the voice's state block.
class CFilterChannel {
 public:
  // Gains around every kernel but "lp 6db": input scaled before the
  // recursion, output after it, when the flag is on.
  void SetGains(float in, float out, bool on) {
    m_inGain = in;
    m_outGain = out;
    m_gainOn = on;
  }
  // Comb line length at the module's rate.
  void SetLineLength(unsigned int len) { m_len = len; }

  // Points the kernels at a state block of bytes bytes and at the voice's
  // comb write indices (one) and bell-comb write indices (three). Returns
  // whether the block can serve mode: a block too small for the comb lines
  // shortens them, and one too small for anything serves nothing.
  bool Bind(int mode, float* block, unsigned int bytes, unsigned int* combIndex, unsigned int* bellIndex);

  // Coefficients of mode from the frequency f (cycles per sample at rate sr;
  // the acid modes also use it in Hz), the vowel position v (formant), the
  // resonance r, the control value c and, for "ring lp", the carrier's phase
  // increment.
  void Compute(int mode, float f, float v, float r, float c, float sr, float carrierInc);
  // Takes another channel's coefficients (same mode, same settings).
  void CopyCoefficients(const CFilterChannel& other);

  // One sample through the kernel of MODE; MODE outside 1..24 passes it.
  template <int MODE>
  inline float Step(float x);
  // n samples of x through the kernel of MODE, in place.
  template <int MODE>
  inline void Run(float* __restrict x, unsigned int n);

 private:
  // State-variable section on words s[0..2] (previous input, band, low).
  struct SVF {
    float low, band, damp;  // damp = g * band' + l + l': the high output is x - damp
  };
  static inline SVF Svf(float* s, float w, float g, float x) {
    const float u = s[0], b = s[1], l = s[2];
    const float h = (u + x) * 0.25f - (g * b + l);
    const float b2 = b + w * h;
    const float l2 = l + w * b2;
    s[0] = x;
    s[1] = b2;
    s[2] = l2;
    return SVF{l + l2, b2, g * b2 + l + l2};
  }
  // One-pole section on words s[0..1] (previous input, previous output).
  static inline float OnePole(float* s, float p, float x) {
    const float y = p * (x + 0.3f * s[0]) + (1.0f - p) * s[1];
    s[0] = x;
    s[1] = y;
    return y;
  }
  // First-order all-pass section on word *s.
  static inline float AllPass(float* s, float k, float x) {
    const float y = *s - k * x;
    *s = k * y + x;
    return y;
  }
  // Damping of a section from its frequency term and quality.
  static inline float Damping(float w, float q) { return (w + 2.0f) * (2.0f - w) * q / (2.0f * (q * w + 2.0f - w)); }
  // Resonance compensation carried from the previous sample, bounded.
  static inline float Compensation(float m) {
    if (!(m > 1.0f)) return 1.0f;
    return m < 1e8f ? m : 1e8f;
  }
  inline float _Comb(float x);
  // The biquad of a biquad mode (notch, peak, the shelves).
  static constexpr bool IsBiquad(int mode) {
    return mode == FilterBank::MODE_NOTCH || mode == FilterBank::MODE_PEAK || mode == FilterBank::MODE_LOWSHELF ||
           mode == FilterBank::MODE_HIGHSHELF;
  }
  template <int MODE>
  const BIQUAD_COEFS& _Biquad() const {
    if constexpr (MODE == FilterBank::MODE_NOTCH) {
      return m_notch.coefs;
    } else if constexpr (MODE == FilterBank::MODE_PEAK) {
      return m_peak.coefs;
    } else {
      return m_biquad;
    }
  }

  float* m_s = nullptr;
  unsigned int* m_combIndex = nullptr;
  unsigned int m_len = 1;      // line length at the module's rate
  unsigned int m_useLen = 1;   // line length the bound block holds
  float m_inGain = 1.0f;
  float m_outGain = 1.0f;
  bool m_gainOn = false;

  // Coefficients of the active kernel (each kernel uses its own subset).
  float m_w[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  float m_g[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  float m_p = 0.0f;       // one-pole coefficient
  float m_r = 0.0f;       // resonance
  float m_c = 0.0f;       // control
  float m_k = 0.0f;       // feedback
  float m_q = 0.0f;       // saturation drive
  float m_qn = 1.0f;      // saturation normaliser
  float m_a = 0.0f;       // smoothing coefficient
  float m_G = 0.0f;       // analog lp1 input gain
  float m_bias = 0.0f;    // analog lp1 input offset
  float m_fb = 0.0f;      // analog lp1 feedback
  float m_norm = 1.0f;    // analog lp1 post-clip gain
  float m_inc = 0.0f;     // ring carrier increment
  float m_apA = 0.0f, m_apB = 0.0f;
  unsigned int m_delay = 0;  // comb delay, whole samples
  float m_frac = 0.0f;       // comb delay, fraction
  BIQUAD_COEFS m_biquad = {1.0, 0.0, 0.0, 0.0, 0.0};
  CEqNotch m_notch;
  CEqPeak m_peak;
  CBellComb m_bell;
};

inline float CFilterChannel::_Comb(float x) {
  float* line = m_s;
  const int len = static_cast<int>(m_useLen);
  int i = static_cast<int>(*m_combIndex) - static_cast<int>(m_delay);
  if (i < 0) i += len;
  const int im1 = i == 0 ? len - 1 : i - 1;
  const int im2 = im1 == 0 ? len - 1 : im1 - 1;
  const int ip1 = i + 1 == len ? 0 : i + 1;
  const float y0 = line[i], y1 = line[im1], y2 = line[im2], ym1 = line[ip1];
  const float c1 = (y1 - ym1) * 0.5f;
  const float v = y0 - y1;
  const float s = c1 + v;
  const float t = s + v + (y2 - y0) * 0.5f;
  const float fr = m_frac;
  const float out = ((t * fr - (s + t)) * fr + c1) * fr + y0;
  float* damp = line + len + 1;
  const float z = (1.0f - m_a) * out + m_a * *damp;
  *damp = z;
  line[*m_combIndex] = x - 0.999f * m_k * z;
  if (++*m_combIndex >= m_useLen) *m_combIndex = 0;
  return out;
}

template <int MODE>
inline float CFilterChannel::Step(float x) {
  using namespace FilterBank;
  if constexpr (MODE < 1 || MODE > 24) {
    return x;
  } else if constexpr (MODE == MODE_LP6) {
    const float y = (1.0f - m_a) * x + m_a * m_s[0];
    m_s[0] = y;
    return y;
  } else {
    float* s = m_s;
    if (m_gainOn) x *= m_inGain;
    float y;
    if constexpr (MODE == MODE_ANALOG_LP1) {
      const float u = (x + m_bias) * m_G - m_fb * (s[6] + 0.5f * s[7]);
      float a = std::fabs(u);
      if (a > 2.0f) a = 2.0f;
      float sat = a * (1.0f - 0.25f * a);
      if (u < 0.0f) sat = -sat;
      const float v = sat * m_norm;
      const SVF s1 = Svf(s, m_w[0], m_g[0], v);
      const SVF s2 = Svf(s + 3, m_w[0], m_g[0], s1.low);
      y = s2.low;
      s[7] = s[6];
      s[6] = y;
    } else if constexpr (MODE == MODE_ANALOG_LP2) {
      const float xin = x - m_k * s[8];
      const float y1 = OnePole(s, m_p, xin);
      const float y2 = OnePole(s + 2, m_p, y1);
      const float t = m_q * y2;
      const float at = std::fabs(t);
      const float sat = t * m_qn / (1.0f / (t * t + at + 1.0f) + at);
      const float y3 = OnePole(s + 4, m_p, sat);
      const float y4 = OnePole(s + 6, m_p, y3);
      s[8] = y4;
      y = 0.4f * y4;
    } else if constexpr (MODE >= MODE_LP24 && MODE <= MODE_HP24) {
      const float m = Compensation(s[8]);
      const float q = 2.0f - 1.94f * (m_r - 0.2f * m_c * m);
      const float g1 = Damping(m_w[0], q);
      const float g2 = Damping(m_w[1], q);
      const SVF s1 = Svf(s, m_w[0], g1, x);
      if constexpr (MODE == MODE_LP24) {
        y = Svf(s + 4, m_w[1], g2, s1.low).low;
      } else if constexpr (MODE == MODE_BP24) {
        const float b1 = (1.0f - m_a) * 2.0f * s1.band + m_a * s[3];
        s[3] = b1;
        const SVF s2 = Svf(s + 4, m_w[1], g2, b1);
        y = (1.0f - m_a) * 2.0f * s2.band + m_a * s[7];
        s[7] = y;
      } else {
        const float h1 = x - s1.damp;
        const SVF s2 = Svf(s + 4, m_w[1], g2, h1);
        y = h1 - s2.damp;
      }
      s[8] = 16.0f * s1.band;
    } else if constexpr (MODE >= MODE_LP12 && MODE <= MODE_HP12) {
      const float m = Compensation(s[4]);
      float q = 2.0f * (1.0f - (m_r - 0.2f * m_c * m));
      if (q < 0.02f) q = 0.02f;
      const SVF s1 = Svf(s, m_w[0], Damping(m_w[0], q), x);
      if constexpr (MODE == MODE_LP12) {
        y = s1.low;
      } else if constexpr (MODE == MODE_BP12) {
        y = (1.0f - m_a) * 2.0f * s1.band + m_a * s[3];
        s[3] = y;
      } else {
        y = x - s1.damp;
      }
      s[4] = 16.0f * s1.band;
    } else if constexpr (MODE == MODE_ACID_LP) {
      float v = x - m_k * s[0];
      v = OnePole(s + 1, m_p, v);
      v = OnePole(s + 3, m_p, v);
      v = OnePole(s + 5, m_p, v);
      const float z = Svf(s + 7, m_p, m_g[0], v).low;
      s[0] = z;
      const float t = m_q * z;
      const float at = std::fabs(t);
      const float R = ((at + 3.0f) * at + 6.0f) * at + 12.0f;
      const float sat = t * m_qn * R / (R * at + 24.0f);
      y = OnePole(s + 10, m_p, sat);
    } else if constexpr (MODE == MODE_ACID_BP) {
      float v = x - m_k * s[0];
      v = OnePole(s + 1, m_p, v);
      v = OnePole(s + 3, m_p, v);
      v = OnePole(s + 5, m_p, v);
      v = OnePole(s + 7, m_p, v);
      s[0] = v;
      const float t = m_q * v;
      const float t2 = t * t;
      const float sat = t * m_qn / (1.0f + t + t2 + t2 * t * 0.5f + t2 * t2 * (1.0f / 6.0f));
      y = 0.6f * (sat - Svf(s + 9, m_p, m_g[0], sat).damp);
    } else if constexpr (MODE == MODE_BP48) {
      const float e1 = x - Svf(s, m_w[0], m_g[0], x).damp;
      const float e2 = e1 - Svf(s + 3, m_w[1], m_g[1], s[12]).damp;
      const float e3 = Svf(s + 6, m_w[2], m_g[2], s[13]).low;
      y = Svf(s + 9, m_w[3], m_g[3], s[14]).low;
      s[12] = e1;
      s[13] = e2;
      s[14] = e3;
    } else if constexpr (MODE == MODE_RING_LP) {
      const float lp = Svf(s, m_w[0], m_g[0], x).low;
      const float m = std::fabs(lp + 1.0f) + lp;
      float ph = s[4] + 0.25f;
      ph -= std::floor(ph);
      float fi = ph * static_cast<float>(Tables::SINE_TABLE_SIZEM1);
      if (!(fi >= 0.0f)) fi = 0.0f;
      unsigned int j = static_cast<unsigned int>(fi);
      if (j >= Tables::SINE_TABLE_SIZEM1) j = Tables::SINE_TABLE_SIZEM1 - 1;
      const float cosv = Tables::SINE_TABLE[j] + (Tables::SINE_TABLE[j + 1] - Tables::SINE_TABLE[j]) * (fi - static_cast<float>(j));
      float phase = s[4] + m_inc;
      phase -= std::floor(phase);
      s[4] = phase;
      const float r = cosv * m * m_c + lp * m * (1.0f - m_c);
      y = (1.0f - m_a) * r + m_a * s[3];
      s[3] = y;
    } else if constexpr (MODE == MODE_FORMANT) {
      y = 2.0f * (Svf(s, m_w[0], m_g[0], x).band + Svf(s + 3, m_w[1], m_g[1], x).band +
                  Svf(s + 6, m_w[2], m_g[2], x).band + Svf(s + 9, m_w[3], m_g[3], x).band);
    } else if constexpr (MODE >= MODE_ALLPASS2 && MODE <= MODE_ALLPASS8) {
      float v = x - m_k * s[0];
      if constexpr (MODE == MODE_ALLPASS2) {
        v = AllPass(s + 1, m_apA, v);
        v = AllPass(s + 2, m_apB, v);
      } else if constexpr (MODE == MODE_ALLPASS4) {
        v = AllPass(s + 1, m_apA, v);
        v = AllPass(s + 2, m_apA, v);
        v = AllPass(s + 3, m_apB, v);
        v = AllPass(s + 4, m_apB, v);
      } else {
        v = AllPass(s + 1, m_apA, v);
        v = AllPass(s + 2, m_apA, v);
        v = AllPass(s + 3, m_apA, v);
        v = AllPass(s + 4, m_apB, v);
        v = AllPass(s + 5, m_apB, v);
        v = AllPass(s + 6, m_apB, v);
      }
      s[0] = v;
      y = x - v;
    } else if constexpr (IsBiquad(MODE)) {
      _Biquad<MODE>().Run(s, &x, 1, 1.0f, 1.0f);
      y = x;
    } else if constexpr (MODE == MODE_COMB_NEG || MODE == MODE_COMB_POS) {
      y = _Comb(x);
    } else {
      m_bell.Filter(x);
      y = x;
    }
    if (m_gainOn) y *= m_outGain;
    return y;
  }
}

template <int MODE>
inline void CFilterChannel::Run(float* __restrict x, unsigned int n) {
  if constexpr (IsBiquad(MODE)) {
    _Biquad<MODE>().Run(m_s, x, n, m_gainOn ? m_inGain : 1.0f, m_gainOn ? m_outGain : 1.0f);
  } else {
    for (unsigned int i = 0; i < n; ++i) x[i] = Step<MODE>(x[i]);
  }
}
