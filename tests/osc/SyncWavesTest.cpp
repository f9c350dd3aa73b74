// Sync 1 to 6 (modes 16 to 21): Morph X sets the slave's ratio, the
// windowed waves fall silent around each restart of the slave, Sync 3's Y
// turns it into a never-negative square, and the band-limited slave pulse
// aliases less than a naive one.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "WaveRun.h"

namespace {

const int LOW = 36;

// Energy-weighted mean harmonic number over harmonics 1..40.
double Centroid(const WAVE_RUN& r) {
  double num = 0.0, den = 0.0;
  for (int h = 1; h <= 40; ++h) {
    double a = Harmonic(r, h);
    num += h * a * a;
    den += a * a;
  }
  return num / den;
}

}  // namespace

TEST(SyncWaves, MorphXSetsTheSlaveRatio) {
  // Sync 1 to 3 at whole ratios (r = 15 X + 1): the slave's frequency is
  // the strongest harmonic.
  for (float mode : {16.0f, 17.0f, 18.0f})
    for (int ratio : {4, 8, 16}) {
      SCOPED_TRACE(testing::Message() << "mode " << mode << " ratio " << ratio);
      WAVE_RUN r = RenderMode(mode, LOW, (ratio - 1) / 15.0f, 0.0f, 6, 2);
      double top = Harmonic(r, ratio);
      for (int h = 1; h <= 24; ++h) {
        if (h != ratio) {
          EXPECT_LT(Harmonic(r, h), top) << "harmonic " << h;
        }
      }
    }
  // Every sync wave gets brighter as X raises the ratio.
  for (float mode = 16.0f; mode <= 21.0f; mode += 1.0f) {
    SCOPED_TRACE(mode);
    double c0 = Centroid(RenderMode(mode, LOW, 0.0f, 0.5f, 6, 2));
    double c1 = Centroid(RenderMode(mode, LOW, 0.5f, 0.5f, 6, 2));
    double c2 = Centroid(RenderMode(mode, LOW, 1.0f, 0.5f, 6, 2));
    EXPECT_LT(c0, c1);
    EXPECT_LT(c1, c2);
  }
  // Sync 1 at X = 0: the slave runs with the master, a plain square.
  WAVE_RUN sq = RenderMode(16, LOW, 0.0f, 0.0f, 12);
  EXPECT_NEAR(Harmonic(sq, 1), 4.0 / M_PI, 0.01);
  EXPECT_NEAR(Harmonic(sq, 3), 4.0 / (3.0 * M_PI), 0.01);
  EXPECT_LT(Harmonic(sq, 2), 0.01);
}

TEST(SyncWaves, WindowedWavesFallSilentAroundEachRestart) {
  // The window is read from the half-shifted phase of the previous sample:
  // the sample after a wrap of the master phase lies within a quarter of
  // the window's width of its centre, where the band-limited step is still
  // near 0. Four samples away the wave is back at full level.
  COscFixture& f = WaveRig(4);
  const float* blImp = f.synth.GetBlImpTable();
  const float quarter = blImp[108001 / 4 + 1];
  ASSERT_LT(quarter, 0.1f);
  for (float mode : {16.0f, 17.0f, 18.0f})
    for (float x : {0.0f, 0.5f}) {
      SCOPED_TRACE(testing::Message() << "mode " << mode << " X " << x);
      WAVE_RUN r = RenderMode(mode, LOW, x, 0.0f, 6);
      float peak = 0.0f;
      for (float v : r.y) peak = std::max(peak, std::fabs(v));
      ASSERT_GT(peak, 0.3f);
      for (int c = 1; c < 6; ++c) {
        size_t i = r.CycleStart(c) + 1;
        EXPECT_LE(std::fabs(r.y[i]), quarter * 1.2f * peak) << "cycle " << c;
      }
    }
}

TEST(SyncWaves, Sync3MorphYTurnsItIntoTwiceItsSquare) {
  // Y = 1: 2 v^2, never negative; Y = 0: the windowed saw v itself.
  WAVE_RUN sq = RenderMode(18, LOW, 0.5f, 1.0f, 4);
  EXPECT_GE(*std::min_element(sq.y.begin(), sq.y.end()), 0.0f);
  WAVE_RUN plain = RenderMode(18, LOW, 0.5f, 0.0f, 4);
  EXPECT_LT(*std::min_element(plain.y.begin(), plain.y.end()), -0.3f);
  for (size_t i = 0; i < plain.y.size(); i += 13) ASSERT_NEAR(sq.y[i], 2.0f * plain.y[i] * plain.y[i], 1e-5) << i;
}

TEST(SyncWaves, BandLimitedSlavePulseAliasesLessThanANaiveOne) {
  // Sync 1 at X = 0.5 (ratio 8.5) on a 1 kHz note at 2x: the strongest
  // inharmonic component below 20 kHz stays well below that of a naive
  // slave pulse under the same restart window.
  WAVE_RUN r = RenderMode(16, 84, 0.5f, 0.0f, 150, 2);
  COscFixture& f = WaveRig(2);
  const float* blImp = f.synth.GetBlImpTable();
  const float h = 1.0f / (8.0f * static_cast<float>(r.inc));
  std::vector<float> naive(r.y.size());
  for (size_t i = 1; i < naive.size(); ++i) {
    float q = 8.5f * r.phase[i - 1];
    if (q > 1.0f) q -= std::floor(q);
    float half = r.phase[i - 1] + 0.5f;
    if (half > 1.0f) half -= std::floor(half);
    float e = std::fabs(2.0f * half - 1.0f) * h;
    float win = e < 1.0f ? blImp[static_cast<unsigned int>(e * 108001.0f)] : 1.0f;
    naive[i] = win * (q < 0.5f ? 1.0f : -1.0f);
  }
  const double rate = 88200.0, f0 = r.inc * rate;
  auto worstAlias = [&](const std::vector<float>& x) {
    double worst = 0.0;
    for (int k = 1; k <= 80; ++k) {
      double fr = std::fabs(std::remainder(k * f0, rate));
      if (fr > 20000.0) continue;
      if (std::fabs(fr - std::round(fr / f0) * f0) < 50.0) continue;
      worst = std::max(worst, Component(x, fr / rate));
    }
    return worst;
  };
  double bl = worstAlias(r.y), nv = worstAlias(naive);
  EXPECT_LT(bl, nv * 0.5) << bl << " vs " << nv;
}
