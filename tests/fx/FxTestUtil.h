#pragma once
// Signal helpers for the effect tests: test signals, block-wise running of
// an effect, and measurements (level, tone amplitude, peaks).

#include <cmath>
#include <vector>

#include "FxSynthDouble.h"
#include "fx/IEffectModule.h"

namespace FxTest {

const float kRate = 44100.0f;

struct STEREO {
  std::vector<float> l, r;
  explicit STEREO(size_t n = 0, float v = 0.0f) : l(n, v), r(n, v) {}
  size_t size() const { return l.size(); }
};

inline STEREO Impulse(size_t n, size_t at = 0, float level = 1.0f) {
  STEREO s(n);
  s.l[at] = level;
  s.r[at] = level;
  return s;
}

inline std::vector<float> Sine(size_t n, float hz, float amp = 0.5f, float rate = kRate) {
  std::vector<float> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = amp * static_cast<float>(std::sin(2.0 * M_PI * hz * i / rate));
  return v;
}

inline STEREO StereoSine(size_t n, float hz, float amp = 0.5f) {
  STEREO s;
  s.l = Sine(n, hz, amp);
  s.r = s.l;
  return s;
}

// Runs the signal through the effect in place, UpdateParams before each
// block, as the effects matrix does.
inline void RunFx(IEffectModule& fx, STEREO& s, unsigned int block = 256) {
  for (size_t pos = 0; pos < s.size(); pos += block) {
    unsigned int n = static_cast<unsigned int>(std::min<size_t>(block, s.size() - pos));
    fx.UpdateParams(n);
    fx.Process(s.l.data() + pos, s.r.data() + pos, n);
  }
}

inline double Rms(const std::vector<float>& v, size_t from = 0, size_t to = 0) {
  if (to == 0 || to > v.size()) to = v.size();
  double s = 0.0;
  for (size_t i = from; i < to; ++i) s += double(v[i]) * v[i];
  return to > from ? std::sqrt(s / double(to - from)) : 0.0;
}

// Amplitude of the component at hz over [from, to), by correlation with a
// sine and cosine (the window should hold whole cycles for accuracy).
inline double ToneAmplitude(const std::vector<float>& v, double hz, size_t from, size_t to, double rate = kRate) {
  double re = 0.0, im = 0.0;
  for (size_t i = from; i < to; ++i) {
    double ph = 2.0 * M_PI * hz * double(i) / rate;
    re += v[i] * std::cos(ph);
    im += v[i] * std::sin(ph);
  }
  double n = double(to - from);
  return 2.0 * std::sqrt(re * re + im * im) / n;
}

inline double Db(double ratio) { return 20.0 * std::log10(ratio); }

inline bool AllFinite(const STEREO& s, float bound = 1.0e6f) {
  for (size_t i = 0; i < s.size(); ++i)
    if (!std::isfinite(s.l[i]) || !std::isfinite(s.r[i]) || std::fabs(s.l[i]) > bound || std::fabs(s.r[i]) > bound)
      return false;
  return true;
}

// Index of the largest magnitude in [from, to).
inline size_t PeakIndex(const std::vector<float>& v, size_t from, size_t to) {
  size_t best = from;
  for (size_t i = from; i < to && i < v.size(); ++i)
    if (std::fabs(v[i]) > std::fabs(v[best])) best = i;
  return best;
}

}  // namespace FxTest
