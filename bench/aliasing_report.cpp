// Aliasing of the band-limited saw: for saws at 0.5, 1, 2.25 and 5 kHz,
// rendered at 2x, 4x and 8x oversampling and brought back to the host rate
// through the chain of 2:1 decimators, the strongest component that is not a
// harmonic of the fundamental, relative to the fundamental, in dB. Where the
// decimator is not part of the build, the oversampled signal is analysed
// directly over the audible band (0..20 kHz), i.e. as an ideal decimator
// would pass it.

#include <fftw.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "tests/osc/OscFixture.h"

#if __has_include("osc/2XDownSampler.h")
#include "osc/2XDownSampler.h"
#define MORLAVINE_HAS_DECIMATOR 1
#else
#define MORLAVINE_HAS_DECIMATOR 0
#endif

namespace {

const double HOST_RATE = 44100.0;
const unsigned int HOST_FFT = 65536;

struct ALIAS_RESULT {
  double f0;
  double worstDb;
  double worstHz;
};

// Renders a saw close to hz, returns the analysed signal and its rate.
std::vector<float> RenderSaw(double hz, unsigned int os, double& f0, double& rate) {
  COscFixture f(os, 256, static_cast<float>(HOST_RATE));
  double pitch = 69.0 + 12.0 * std::log2(hz / 440.09);
  int note = static_cast<int>(std::lround(pitch));
  f.Set(PARAM_OSC_MODE, 1.0f);
  f.Set(PARAM_OSC_DETUNE, static_cast<float>(0.5 + (pitch - note)));
  auto voice = f.NewVoice(note);
  f.Start(voice.get());
  const size_t skip = static_cast<size_t>(0.05 * f.OscRate());
  const size_t n = static_cast<size_t>(HOST_FFT) * os;
  std::vector<float> y = f.Render(voice.get(), 0, skip + n);
  f0 = static_cast<double>(f.synth.GetPitchModulation(0)[0]) * f.OscRate();
  rate = f.OscRate();
#if MORLAVINE_HAS_DECIMATOR
  C2XDownSampler stages[3];
  size_t len = y.size();
  for (unsigned int s = 0; (1u << s) < os; ++s) {
    len /= 2;
    stages[s].Process(y.data(), static_cast<unsigned int>(len));
    rate /= 2.0;
  }
  y.resize(len);
  std::vector<float> tail(y.end() - HOST_FFT, y.end());
  return tail;
#else
  return std::vector<float>(y.end() - n, y.end());
#endif
}

ALIAS_RESULT Analyse(const std::vector<float>& x, double rate, double f0, double bandHz) {
  const int n = static_cast<int>(x.size());
  fftw_plan plan = fftw_create_plan(n, FFTW_FORWARD, FFTW_ESTIMATE);
  std::vector<fftw_complex> in(n), out(n);
  for (int i = 0; i < n; ++i) {
    double t = 2.0 * M_PI * i / n;  // 4-term Blackman-Harris window
    double w = 0.35875 - 0.48829 * std::cos(t) + 0.14128 * std::cos(2 * t) - 0.01168 * std::cos(3 * t);
    in[i].re = w * x[i];
    in[i].im = 0.0;
  }
  fftw_one(plan, in.data(), out.data());
  fftw_destroy_plan(plan);
  const double binHz = rate / n;
  const int guard = 12;  // main lobe of the window and the pitch's spread
  auto mag = [&](int k) { return std::hypot(out[k].re, out[k].im); };
  int k0 = static_cast<int>(std::lround(f0 / binHz));
  double fundamental = 0.0;
  for (int k = k0 - guard; k <= k0 + guard; ++k) fundamental = std::fmax(fundamental, mag(k));
  int top = static_cast<int>(std::fmin(bandHz, rate / 2.0) / binHz);
  ALIAS_RESULT r = {f0, -400.0, 0.0};
  for (int k = guard; k < top; ++k) {
    double f = k * binHz;
    double h = std::round(f / f0);
    if (h >= 1.0 && std::fabs(f - h * f0) <= guard * binHz) continue;  // a harmonic
    double db = 20.0 * std::log10(mag(k) / fundamental + 1e-30);
    if (db > r.worstDb) {
      r.worstDb = db;
      r.worstHz = f;
    }
  }
  return r;
}

}  // namespace

int main() {
  std::printf("Saw aliasing, host rate %.0f Hz, %s\n", HOST_RATE,
              MORLAVINE_HAS_DECIMATOR ? "after the 2:1 decimator chain"
                                      : "at the oversampled rate (no decimator in this build; the 0..20 kHz column is what an ideal decimator keeps)");
  std::printf("%8s %4s %10s %16s %10s %16s %10s\n", "saw Hz", "os", "f0 Hz", "worst dB <20kHz", "at Hz",
              "worst dB <Nyq", "at Hz");
  for (double hz : {500.0, 1000.0, 2250.0, 5000.0}) {
    for (unsigned int os : {2u, 4u, 8u}) {
      double f0 = 0.0, rate = 0.0;
      std::vector<float> x = RenderSaw(hz, os, f0, rate);
      ALIAS_RESULT audible = Analyse(x, rate, f0, 20000.0);
      ALIAS_RESULT full = Analyse(x, rate, f0, rate / 2.0);
      std::printf("%8.0f %4u %10.2f %16.1f %10.1f %16.1f %10.1f\n", hz, os, f0, audible.worstDb, audible.worstHz,
                  full.worstDb, full.worstHz);
    }
  }
  return 0;
}
