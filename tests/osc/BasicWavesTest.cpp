#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "OscFixture.h"

namespace {

struct WAVE_RUN {
  std::vector<float> y;
  double inc;  // cycles per sample
  // Sample whose frame phase is closest to p in the first cycle.
  size_t At(double p) const { return static_cast<size_t>(std::lround(p / inc)); }
};

WAVE_RUN RenderWave(float mode, int note, float x, float y, size_t cycles = 1, unsigned int os = 4) {
  COscFixture f(os, 64);
  f.Set(PARAM_OSC_MODE, mode);
  f.Set(PARAM_OSC_MORPH_X, x);
  f.Set(PARAM_OSC_MORPH_Y, y);
  auto voice = f.NewVoice(note);
  f.Start(voice.get());
  WAVE_RUN run;
  run.inc = PitchHz(note) / f.OscRate();
  run.y = f.Render(voice.get(), 0, static_cast<size_t>(cycles / run.inc) + 8);
  return run;
}

const int LOW = 24;  // 32.7 Hz: every morph at full strength

}  // namespace

TEST(BasicWaves, PlainSineLagsItsPhaseByOneSample) {
  WAVE_RUN r = RenderWave(0.0f, 69, 0.0f, 0.0f, 3);
  EXPECT_EQ(r.y[0], 0.0f);
  double worst = 0.0;
  for (size_t i = 1; i < r.y.size(); ++i)
    worst = std::max(worst, std::fabs(r.y[i] - std::sin(2.0 * M_PI * r.inc * static_cast<double>(i - 1))));
  EXPECT_LT(worst, 2e-3);
}

TEST(BasicWaves, SineSaturationKeepsThePeakAtOne) {
  WAVE_RUN r = RenderWave(0.0f, LOW, 0.0f, 1.0f);
  float peak = *std::max_element(r.y.begin(), r.y.end());
  float trough = *std::min_element(r.y.begin(), r.y.end());
  EXPECT_NEAR(peak, 1.0f, 1e-3f);
  EXPECT_NEAR(trough, -1.0f, 1e-3f);
  // Saturated: an eighth of a cycle in, well above sin(pi / 4) = 0.707.
  EXPECT_GT(r.y[r.At(0.125) + 1], 0.74f);
}

TEST(BasicWaves, MorphHasNoEffectAboveTheWavesFadeRange) {
  struct {
    float mode;
    int note;  // above the wave's upper fade limit
  } cases[] = {{0.0f, 127}, {3.0f, 112}};  // sine 10 kHz, triangle 3 kHz
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    WAVE_RUN plain = RenderWave(c.mode, c.note, 0.0f, 0.0f, 20);
    WAVE_RUN morphed = RenderWave(c.mode, c.note, 1.0f, 1.0f, 20);
    EXPECT_EQ(plain.y, morphed.y);
  }
  // The saw fades X out above 4 kHz; its Y is not faded.
  WAVE_RUN plain = RenderWave(1.0f, 112, 0.0f, 0.0f, 20);
  WAVE_RUN xOnly = RenderWave(1.0f, 112, 1.0f, 0.0f, 20);
  WAVE_RUN yOnly = RenderWave(1.0f, 112, 0.0f, 1.0f, 20);
  EXPECT_EQ(plain.y, xOnly.y);
  EXPECT_NE(plain.y, yOnly.y);
}

TEST(BasicWaves, SawMorphLaws) {
  // X = Y = 0: a rising saw from -1 to +1 over the cycle.
  WAVE_RUN r = RenderWave(1.0f, LOW, 0.0f, 0.0f);
  for (double p : {0.1, 0.3, 0.5, 0.7, 0.9}) EXPECT_NEAR(r.y[r.At(p)], 2.0 * p - 1.0, 2e-3) << p;

  // X = 1: one saw cycle compressed into p = 0.5 .. 0.6, silence elsewhere.
  r = RenderWave(1.0f, LOW, 1.0f, 0.0f);
  for (double p : {0.05, 0.3, 0.49, 0.62, 0.8, 0.95}) EXPECT_NEAR(r.y[r.At(p)], 0.0, 1e-6) << p;
  EXPECT_NEAR(r.y[r.At(0.525)], 0.5, 0.01);
  EXPECT_NEAR(r.y[r.At(0.575)], -0.5, 0.01);
  float peak = *std::max_element(r.y.begin(), r.y.end());
  float trough = *std::min_element(r.y.begin(), r.y.end());
  EXPECT_NEAR(peak, 1.0f, 0.02f);
  EXPECT_NEAR(trough, -1.0f, 0.02f);

  // Y = 1: a second saw, jumping at p = 0.5, at 0.6 of the level.
  r = RenderWave(1.0f, LOW, 0.0f, 1.0f);
  EXPECT_NEAR(r.y[r.At(0.25)], -0.5 + 0.6 * 0.5, 2e-3);
  EXPECT_NEAR(r.y[r.At(0.75)], 0.5 - 0.6 * 0.5, 2e-3);
}

TEST(BasicWaves, SquareMorphLaws) {
  // X = Y = 0: +1 up to p = 0.5, -1 after.
  WAVE_RUN r = RenderWave(2.0f, LOW, 0.0f, 0.0f);
  for (double p : {0.1, 0.25, 0.45}) EXPECT_NEAR(r.y[r.At(p)], 1.0, 1e-5) << p;
  for (double p : {0.55, 0.75, 0.95}) EXPECT_NEAR(r.y[r.At(p)], -1.0, 1e-5) << p;

  // X = 1: +0.02 for 99 % of the cycle, -1.98 from p = 0.5 to 0.51.
  r = RenderWave(2.0f, LOW, 1.0f, 0.0f);
  for (double p : {0.1, 0.45, 0.6, 0.95}) EXPECT_NEAR(r.y[r.At(p)], 0.02, 1e-4) << p;
  EXPECT_NEAR(r.y[r.At(0.505)], -1.98, 1e-4);

  // Any X and Y: two zero-mean pulses, so a zero-mean wave.
  for (float x : {0.0f, 0.3f, 1.0f})
    for (float y : {0.0f, 0.6f, 1.0f}) {
      WAVE_RUN m = RenderWave(2.0f, 48, x, y, 8);
      size_t n = static_cast<size_t>(std::floor(8.0 / m.inc));
      double sum = 0.0;
      for (size_t i = 0; i < n; ++i) sum += m.y[i];
      EXPECT_NEAR(sum / n, 0.0, 2e-3) << x << " " << y;
    }
}

TEST(BasicWaves, TriangleMorphLaws) {
  // X = Y = 0: rises from 0 like the sine, peaks just under +-1.
  WAVE_RUN r = RenderWave(3.0f, LOW, 0.0f, 0.0f);
  EXPECT_NEAR(r.y[1], 0.0, 1e-3);
  EXPECT_NEAR(r.y[r.At(0.125) + 1], 0.5, 2e-3);
  EXPECT_NEAR(r.y[r.At(0.375) + 1], 0.5, 2e-3);
  EXPECT_NEAR(r.y[r.At(0.625) + 1], -0.5, 2e-3);
  float peak = *std::max_element(r.y.begin(), r.y.end());
  EXPECT_LE(peak, 1.0f);
  EXPECT_NEAR(peak, 1.0f, 1e-3f);

  // Corner rounding: the peak is a parabola, 1 - d/2 with d = 2 inc (then
  // rescaled by the fold's threshold, 0.999 at Y = 0).
  WAVE_RUN hi = RenderWave(3.0f, 96, 0.0f, 0.0f, 4);
  float hiPeak = *std::max_element(hi.y.begin(), hi.y.end());
  EXPECT_LE(hiPeak, (1.0 - hi.inc) / 0.999 + 1e-5);
  EXPECT_GT(hiPeak, (1.0 - 3.0 * hi.inc) / 0.999);

  // Y = 1: folded at 0.5 and rescaled by 2: full level an eighth of a cycle
  // in, back to 0 at the quarter.
  r = RenderWave(3.0f, LOW, 0.0f, 1.0f);
  EXPECT_NEAR(r.y[r.At(0.125) + 1], 1.0, 5e-3);
  EXPECT_NEAR(r.y[r.At(0.25) + 1], 0.0, 5e-3);
  EXPECT_NEAR(r.y[r.At(0.375) + 1], 1.0, 5e-3);
  EXPECT_NEAR(*std::max_element(r.y.begin(), r.y.end()), 1.0f, 1e-3f);
}

TEST(BasicWaves, SawCorrectionWindowsMayOverlapAtTheTopOfTheRange) {
  // At 2x and pitch 127, 4 inc is above 0.5: the windows of successive jumps
  // overlap; the residual index stays in its table and the output bounded.
  for (float mode : {1.0f, 2.0f})
    for (float x : {0.0f, 1.0f}) {
      WAVE_RUN r = RenderWave(mode, 127, x, 1.0f, 200, 2);
      EXPECT_GE(4.0 * r.inc, 0.5);
      for (float v : r.y) ASSERT_TRUE(std::isfinite(v) && std::fabs(v) < 4.0f) << mode << " " << x;
    }
}

TEST(BasicWaves, BandLimitedSawAliasesLessThanANaiveSaw) {
  // A 5 kHz saw at 2x: the band-limited saw's strongest inharmonic component
  // sits well below a naive saw's.
  WAVE_RUN r = RenderWave(1.0f, 111, 0.0f, 0.0f, 1500, 2);
  const double rate = 88200.0;
  const double f0 = r.inc * rate;
  std::vector<float> naive(r.y.size());
  double ph = 0.0;
  for (size_t i = 0; i < naive.size(); ++i) {
    naive[i] = static_cast<float>(2.0 * ph - 1.0);
    ph += r.inc;
    if (ph >= 1.0) ph -= 1.0;
  }
  auto worstAlias = [&](const std::vector<float>& x) {
    double worst = 0.0;
    for (int h = 1; h <= 40; ++h) {
      double f = std::fabs(std::remainder(h * f0, rate));  // folded harmonic
      if (f > 20000.0) continue;
      double nearest = std::round(f / f0);
      if (std::fabs(f - nearest * f0) < 50.0) continue;  // lands on a harmonic
      worst = std::max(worst, Amplitude(x, rate, f));
    }
    return worst;
  };
  double bl = worstAlias(r.y), nv = worstAlias(naive);
  EXPECT_LT(bl, nv * 0.5);
}
