#pragma once
// Renders one computed wave of Osc1 from note start and measures it: the
// amplitude of a component at a multiple of the note's frequency, and the
// frame phase of a sample.

#include <cmath>
#include <complex>
#include <memory>
#include <vector>

#include "OscFixture.h"

struct WAVE_RUN {
  std::vector<float> y;
  double inc;  // cycles per sample, as the pitch module gave it
  std::vector<float> phase;  // the frame's running phase at each sample
  // Sample whose frame phase is closest to p in the first cycle.
  size_t At(double p) const { return static_cast<size_t>(std::lround(p / inc)); }
  // First sample of cycle c (the frame phase has just wrapped).
  size_t CycleStart(int c) const { return static_cast<size_t>(std::ceil(c / inc - 1e-9)); }
};

// One oscillator engine per oversampling factor, shared by the runs (a
// fixture takes far longer to build than a run takes to render). A run sets
// the mode and both morphs and starts a fresh voice; every other setting
// stays neutral.
inline COscFixture& WaveRig(unsigned int os) {
  static std::unique_ptr<COscFixture> rigs[9];
  unsigned int slot = os < 9 ? os : 8;
  if (!rigs[slot]) rigs[slot] = std::make_unique<COscFixture>(os, 64);
  return *rigs[slot];
}

inline WAVE_RUN RenderMode(float mode, int note, float x, float y, double cycles, unsigned int os = 4) {
  COscFixture& f = WaveRig(os);
  f.Set(PARAM_OSC_MODE, mode);
  f.Set(PARAM_OSC_MORPH_X, x);
  f.Set(PARAM_OSC_MORPH_Y, y);
  auto voice = f.NewVoice(note);
  f.Start(voice.get());
  WAVE_RUN run;
  const size_t n = static_cast<size_t>(cycles / (PitchHz(note) / f.OscRate())) + 8;
  run.y = f.Render(voice.get(), 0, n);
  // The frame's phase, accumulated as the frame does it (no vibrato, so the
  // increment is the same at every control step).
  const float inc = f.synth.GetPitchModulation(0)[0];
  run.inc = inc;
  float ph = 0.0f;
  for (size_t i = 0; i < n; ++i) {
    run.phase.push_back(ph);
    ph += inc;
    if (ph > 1.0f) ph -= std::floor(ph);
  }
  return run;
}

// Amplitude of the component at freq (cycles per sample) over the whole
// signal, Hann-windowed; phasors advance by rotation, so the cost is a few
// multiplications per sample.
inline double Component(const std::vector<float>& x, double freq) {
  const size_t n = x.size();
  const std::complex<double> step = std::polar(1.0, -2.0 * M_PI * freq);
  const std::complex<double> wstep = std::polar(1.0, 2.0 * M_PI / static_cast<double>(n));
  std::complex<double> z = 1.0, wz = 1.0, acc = 0.0;
  double wsum = 0.0;
  for (size_t i = 0; i < n; ++i) {
    double w = 0.5 - 0.5 * wz.real();
    acc += w * static_cast<double>(x[i]) * z;
    wsum += w;
    z *= step;
    wz *= wstep;
  }
  return 2.0 * std::abs(acc) / wsum;
}

// Amplitude of harmonic h (may be fractional) of a run.
inline double Harmonic(const WAVE_RUN& r, double h) { return Component(r.y, h * r.inc); }

inline double Mean(const std::vector<float>& x) {
  double s = 0.0;
  for (float v : x) s += v;
  return s / static_cast<double>(x.size());
}
