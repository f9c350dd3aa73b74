#pragma once
// Rendering and spectrum helpers for the tests of the harmonic, inharmonic,
// organ, instrument and noise modes.

#include <cmath>
#include <complex>
#include <memory>
#include <vector>

#include "OscFixture.h"

struct WAVE_TAKE {
  std::vector<float> y;
  double inc;  // cycles per oscillator sample
};

// One engine per oversampling factor, shared by the tests of a binary (an
// engine is slow to build); RenderMode returns it to neutral settings.
inline COscFixture& SharedFixture(unsigned int os) {
  static std::unique_ptr<COscFixture> fixtures[9];
  os = os == 2 || os == 8 ? os : 4;
  if (!fixtures[os]) fixtures[os] = std::make_unique<COscFixture>(os, 64);
  return *fixtures[os];
}

// Renders about `cycles` cycles of Osc1 in `mode`.
inline WAVE_TAKE RenderTake(float mode, int note, float x, float y, double cycles, unsigned int os = 4) {
  COscFixture& f = SharedFixture(os);
  f.Neutral();
  f.Set(PARAM_OSC_MODE, mode);
  f.Set(PARAM_OSC_MORPH_X, x);
  f.Set(PARAM_OSC_MORPH_Y, y);
  auto voice = f.NewVoice(note);
  f.Start(voice.get());
  WAVE_TAKE t;
  t.inc = PitchHz(note) / f.OscRate();
  t.y = f.Render(voice.get(), 0, static_cast<size_t>(cycles / t.inc) + 2);
  return t;
}

// Amplitude of the component at `cyclesPerSample` in x[skip..] (Hann
// window, the phasor turned by multiplication).
inline double ComponentAmplitude(const std::vector<float>& x, double cyclesPerSample, size_t skip = 0) {
  size_t n = x.size() - skip;
  std::complex<double> acc = 0.0, turn = std::polar(1.0, -2.0 * M_PI * cyclesPerSample), ph = 1.0;
  std::complex<double> wturn = std::polar(1.0, 2.0 * M_PI / static_cast<double>(n)), wph = 1.0;
  double wsum = 0.0;
  for (size_t i = 0; i < n; ++i) {
    double w = 0.5 - 0.5 * wph.real();
    acc += w * static_cast<double>(x[skip + i]) * ph;
    wsum += w;
    ph *= turn;
    wph *= wturn;
  }
  return 2.0 * std::abs(acc) / wsum;
}

// Harmonic amplitudes 1..count of a take (index 0 holds the mean), skipping
// its first cycle.
inline std::vector<double> Partials(const WAVE_TAKE& t, unsigned int count) {
  size_t skip = static_cast<size_t>(1.0 / t.inc);
  std::vector<double> a(count + 1, 0.0);
  double mean = 0.0;
  for (size_t i = skip; i < t.y.size(); ++i) mean += t.y[i];
  a[0] = mean / static_cast<double>(t.y.size() - skip);
  for (unsigned int h = 1; h <= count; ++h) a[h] = ComponentAmplitude(t.y, h * t.inc, skip);
  return a;
}

// In-place radix-2 FFT; x.size() a power of 2.
inline void Fft(std::vector<std::complex<double>>& x) {
  const size_t n = x.size();
  for (size_t i = 1, j = 0; i < n; ++i) {
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(x[i], x[j]);
  }
  for (size_t len = 2; len <= n; len <<= 1) {
    std::complex<double> w = std::polar(1.0, -2.0 * M_PI / static_cast<double>(len));
    for (size_t i = 0; i < n; i += len) {
      std::complex<double> wk = 1.0;
      for (size_t k = 0; k < len / 2; ++k, wk *= w) {
        std::complex<double> a = x[i + k], b = x[i + k + len / 2] * wk;
        x[i + k] = a + b;
        x[i + k + len / 2] = a - b;
      }
    }
  }
}

// Power spectrum (Hann window) of the `size` samples from `skip` on.
inline std::vector<double> PowerSpectrum(const std::vector<float>& y, size_t skip, size_t size) {
  std::vector<std::complex<double>> x(size);
  for (size_t i = 0; i < size; ++i)
    x[i] = (0.5 - 0.5 * std::cos(2.0 * M_PI * static_cast<double>(i) / static_cast<double>(size))) * y[skip + i];
  Fft(x);
  std::vector<double> p(size / 2);
  for (size_t k = 0; k < size / 2; ++k) p[k] = std::norm(x[k]);
  return p;
}

// Share of a take's power (DC aside) that lies within a few bins of the
// harmonics of its pitch: near 1 for a wave that repeats at that pitch.
// The take needs 32768 samples after its first cycle.
inline double HarmonicShare(const WAVE_TAKE& t) {
  const size_t size = 32768;
  const size_t skip = static_cast<size_t>(1.0 / t.inc);
  std::vector<double> p = PowerSpectrum(t.y, skip, size);
  const double binsPerHarmonic = t.inc * static_cast<double>(size);
  double total = 0.0, harmonic = 0.0;
  for (size_t k = 3; k < p.size(); ++k) {
    total += p[k];
    double h = std::round(static_cast<double>(k) / binsPerHarmonic);
    if (h >= 1.0 && std::fabs(static_cast<double>(k) - h * binsPerHarmonic) <= 3.0) harmonic += p[k];
  }
  return total > 0.0 ? harmonic / total : 0.0;
}
