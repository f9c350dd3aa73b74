#pragma once
// Signal helpers for measuring the effects: test tones, the level of one
// frequency component, peak search, decay fitting, and a driver that runs
// an effect over a long buffer in blocks as the effects matrix does.

#include <cmath>
#include <memory>
#include <vector>

#include "fx/IEffectModule.h"

namespace EffectSignals {

const double TWO_PI = 6.283185307179586;

inline std::vector<float> Sine(double freq, double sr, unsigned int n, double amp = 1.0) {
  std::vector<float> x(n);
  for (unsigned int i = 0; i < n; ++i) x[i] = static_cast<float>(amp * std::sin(TWO_PI * freq * i / sr));
  return x;
}

// Deterministic white noise in -amp..amp.
inline std::vector<float> Noise(unsigned int n, double amp = 1.0, unsigned int seed = 12345) {
  std::vector<float> x(n);
  unsigned int s = seed;
  for (unsigned int i = 0; i < n; ++i) {
    s = s * 1664525u + 1013904223u;
    x[i] = static_cast<float>(amp * (static_cast<double>(s >> 8) / 8388608.0 - 1.0));
  }
  return x;
}

// Amplitude of the component at freq in x[0..len): a Hann-windowed single
// DFT bin, scaled so that a sine of amplitude a reads a.
inline double ToneAmplitude(const float* x, unsigned int len, double freq, double sr) {
  // Phasors of the tone and of the window advanced by rotation.
  const double dt = TWO_PI * freq / sr, dw = TWO_PI / len;
  const double ct = std::cos(dt), st = std::sin(dt), cw = std::cos(dw), sw = std::sin(dw);
  double pc = 1.0, ps = 0.0, wc = 1.0, ws = 0.0;
  double re = 0.0, im = 0.0, wsum = 0.0;
  for (unsigned int i = 0; i < len; ++i) {
    const double w = 0.5 - 0.5 * wc;
    re += w * x[i] * pc;
    im += w * x[i] * ps;
    wsum += w;
    const double npc = pc * ct - ps * st;
    ps = ps * ct + pc * st;
    pc = npc;
    const double nwc = wc * cw - ws * sw;
    ws = ws * cw + wc * sw;
    wc = nwc;
  }
  return 2.0 * std::sqrt(re * re + im * im) / wsum;
}

inline double Db(double ratio) { return 20.0 * std::log10(ratio); }

inline double Rms(const float* x, unsigned int n) {
  double s = 0.0;
  for (unsigned int i = 0; i < n; ++i) s += static_cast<double>(x[i]) * x[i];
  return n ? std::sqrt(s / n) : 0.0;
}

inline float PeakAbs(const float* x, unsigned int n) {
  float p = 0.0f;
  for (unsigned int i = 0; i < n; ++i) p = std::fmax(p, std::fabs(x[i]));
  return p;
}

inline bool AllFinite(const std::vector<float>& x) {
  for (float v : x)
    if (!std::isfinite(v)) return false;
  return true;
}

// The frequency between lo and hi (in steps of step Hz) with the largest
// component in x.
inline double PeakFrequency(const float* x, unsigned int len, double sr, double lo, double hi, double step) {
  double best = lo, bestAmp = -1.0;
  for (double f = lo; f <= hi; f += step) {
    const double a = ToneAmplitude(x, len, f, sr);
    if (a > bestAmp) {
      bestAmp = a;
      best = f;
    }
  }
  return best;
}

// Runs the effect over n samples in blocks: UpdateParams, then Process.
inline void RunBlocks(IEffectModule& fx, float* left, float* right, unsigned int n, unsigned int block = 256) {
  for (unsigned int i = 0; i < n; i += block) {
    const unsigned int m = (n - i < block) ? n - i : block;
    fx.UpdateParams(m);
    fx.Process(left + i, right + i, m);
  }
}

// Reverberation time from an impulse response: the Schroeder energy decay
// curve, a straight line fitted between fromDb and toDb below its start,
// extrapolated to -60 dB. Returns seconds, or -1 when the curve never falls
// to toDb.
inline double Rt60(const std::vector<float>& h, double sr, double fromDb = -5.0, double toDb = -35.0) {
  std::vector<double> edc(h.size() + 1, 0.0);
  for (size_t i = h.size(); i-- > 0;) edc[i] = edc[i + 1] + static_cast<double>(h[i]) * h[i];
  const double total = edc[0];
  if (!(total > 0.0)) return -1.0;
  double sx = 0, sy = 0, sxx = 0, sxy = 0;
  unsigned int count = 0;
  bool reached = false;
  for (size_t i = 0; i < h.size(); ++i) {
    const double db = 10.0 * std::log10(edc[i] / total + 1e-300);
    if (db > fromDb) continue;
    if (db < toDb) {
      reached = true;
      break;
    }
    const double t = i / sr;
    sx += t;
    sy += db;
    sxx += t * t;
    sxy += t * db;
    ++count;
  }
  if (!reached || count < 2) return -1.0;
  const double slope = (count * sxy - sx * sy) / (count * sxx - sx * sx);
  return -60.0 / slope;
}

// Normalised correlation of two signals (1 for equal shapes).
inline double Correlation(const float* a, const float* b, unsigned int n) {
  double ab = 0, aa = 0, bb = 0;
  for (unsigned int i = 0; i < n; ++i) {
    ab += static_cast<double>(a[i]) * b[i];
    aa += static_cast<double>(a[i]) * a[i];
    bb += static_cast<double>(b[i]) * b[i];
  }
  return (aa > 0 && bb > 0) ? ab / std::sqrt(aa * bb) : 0.0;
}

// Creates an effect as the effects matrix does: sample rate, block size, reset.
template <class T, class SYNTH>
std::unique_ptr<T> MakeEffect(SYNTH& synth, unsigned int instance, float sr = 44100.0f, unsigned int block = 256) {
  std::unique_ptr<T> fx(new T(&synth, instance));
  fx->SetSampleRate(sr);
  fx->SetBlockSize(block);
  fx->Reset();
  return fx;
}

}  // namespace EffectSignals
