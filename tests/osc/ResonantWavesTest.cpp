// Resonant 1 to 5 (modes 11 to 15): the resonant pulse at 8, 16, 8 and 5
// times the note, its gating and mix by Morph X and Y, the levels of the
// narrow pulses, Resonant 1's blend into the square of its table, and the
// band-limiting of the pulses.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "WaveRun.h"
#include "osc/RenderFrame.h"
#include "tables/WaveTables.h"

namespace {

const int LOW = 36;
const double SQUARE_H1 = 4.0 / M_PI;  // fundamental of a +-1 square

// Samples more than two samples away from every jump of a pulse at ratio r
// (jumps at q = 0.5 and q = 1.5 - o of the pulse phase q = r p, one sample
// late), and away from the fundamental's own jumps.
bool AwayFromJumps(const WAVE_RUN& r, size_t i, double ratio, double o) {
  if (i < 3) return false;
  auto far = [&](double q, double jump) {
    double d = std::fabs(std::remainder(q - jump, 1.0));
    return d > 3.0 * ratio * r.inc;
  };
  double qs = ratio * r.phase[i - 1];
  double p = r.phase[i];
  return far(qs, 0.5) && far(qs, 1.5 - o) && far(qs, 0.0) && far(p, 0.5) && far(p, 1.5 - o) && far(p, 0.0);
}

}  // namespace

TEST(ResonantWaves, Resonant2GatesTheEighthHarmonicPulseByTheFundamental) {
  // X = 1, Y = 0: a +-1 square at 8 times the note sounds in the first half
  // of each cycle only (harmonics 7 to 9 of that gated square: 0.457,
  // 2 / pi, 0.356).
  WAVE_RUN r = RenderMode(12, LOW, 1.0f, 0.0f, 12);
  EXPECT_NEAR(Harmonic(r, 8), SQUARE_H1 / 2, 0.01);
  EXPECT_NEAR(Harmonic(r, 7), 0.457, 0.01);
  EXPECT_NEAR(Harmonic(r, 9), 0.356, 0.01);
  for (size_t i = 0; i < r.CycleStart(2); ++i) {
    if (!AwayFromJumps(r, i, 8.0, 0.5)) continue;
    if (r.phase[i] < 0.5f)
      ASSERT_NEAR(std::fabs(r.y[i]), 1.0f, 1e-4) << i;
    else
      ASSERT_NEAR(r.y[i], 0.0f, 1e-4) << i;
  }
  // Y = 1 (width 0.9): the pulses sit at 0.2 and -1.8, the gate at 0.6 and
  // -0.4, so the product takes four levels.
  r = RenderMode(12, LOW, 1.0f, 1.0f, 2);
  const float levels[] = {0.2f * 0.6f, -1.8f * 0.6f, 0.2f * -0.4f, -1.8f * -0.4f};
  bool seen[4] = {};
  for (size_t i = 0; i < r.CycleStart(2); ++i) {
    if (!AwayFromJumps(r, i, 8.0, 0.9)) continue;
    int hit = -1;
    for (int l = 0; l < 4; ++l)
      if (std::fabs(r.y[i] - levels[l]) < 1e-4f) hit = l;
    ASSERT_GE(hit, 0) << i << ": " << r.y[i];
    seen[hit] = true;
  }
  for (bool s : seen) EXPECT_TRUE(s);
  // X = 0 keeps 0.7 of the plain fundamental square.
  r = RenderMode(12, LOW, 0.0f, 0.0f, 12);
  EXPECT_NEAR(Harmonic(r, 1), 0.7 * SQUARE_H1, 0.03);
  EXPECT_NEAR(Harmonic(r, 8), 0.3 * SQUARE_H1 / 2, 0.01);
}

TEST(ResonantWaves, Resonant3PulsesAtSixteenTimesTheNote) {
  // X = 1: the 16-times square gated by the saw's ramp, whose mean is 1/2.
  WAVE_RUN r = RenderMode(13, LOW, 1.0f, 0.0f, 12);
  double h16 = Harmonic(r, 16);
  EXPECT_NEAR(h16, SQUARE_H1 / 2, 0.02);
  for (int h = 1; h <= 24; ++h)
    if (h != 16) {
      EXPECT_LT(Harmonic(r, h), h16) << h;
    }
  // X = 0: mostly the fundamental saw, 0.7 of its 2 / pi.
  r = RenderMode(13, LOW, 0.0f, 0.0f, 12);
  EXPECT_NEAR(Harmonic(r, 1), 0.7 * 2.0 / M_PI, 0.03);
}

TEST(ResonantWaves, Resonant4SwitchesTheSignOfItsTable) {
  // X = Y = 0: a +-1 square at 8 times the note times RESONANT2.
  WAVE_RUN r = RenderMode(14, LOW, 0.0f, 0.0f, 2);
  int flips = 0;
  for (size_t i = 0; i < r.CycleStart(1); ++i) {
    if (!AwayFromJumps(r, i, 8.0, 0.5)) continue;
    float q = OscFrame::TableRead(Tables::RESONANT2_TABLE, Tables::WAVE_TABLE_SIZEM1, r.phase[i]);
    ASSERT_NEAR(std::fabs(r.y[i]), std::fabs(q), 1e-4) << i;
  }
  for (size_t i = 1; i < r.CycleStart(1); ++i)
    if ((r.y[i - 1] > 0.0f) != (r.y[i] > 0.0f)) ++flips;
  EXPECT_GE(flips, 16);
  // Y = 1 keeps 0.7 of the table itself: its fundamental and seventh.
  r = RenderMode(14, LOW, 0.0f, 1.0f, 12);
  EXPECT_GT(Harmonic(r, 1), 0.7 * 0.263 - 0.03);
  EXPECT_GT(Harmonic(r, 7), 0.7 * 0.263 - 0.03);
}

TEST(ResonantWaves, Resonant5MixesThePulseAtFiveTimesTheNote) {
  // X = 0: the flute (0.882 at the fundamental) times a +-1 square at 5
  // times the note: side bands at 4 and 6, nothing at 5.
  WAVE_RUN r = RenderMode(15, LOW, 0.0f, 0.0f, 12);
  EXPECT_NEAR(Harmonic(r, 4), 0.882 * SQUARE_H1 / 2, 0.02);
  EXPECT_NEAR(Harmonic(r, 6), 0.882 * SQUARE_H1 / 2, 0.02);
  EXPECT_LT(Harmonic(r, 5), 0.02);
  // X = 1: 0.8 of the plain pulse, 0.2 of the gated one.
  r = RenderMode(15, LOW, 1.0f, 0.0f, 12);
  EXPECT_NEAR(Harmonic(r, 5), 0.8 * SQUARE_H1, 0.02);
  EXPECT_NEAR(Harmonic(r, 4), 0.2 * 0.882 * SQUARE_H1 / 2, 0.02);
}

TEST(ResonantWaves, Resonant1BlendsItsTableIntoTheSquare) {
  // Above 3500 Hz the saw no longer pushes the phase; Y = 0 gives a
  // zero-mean wave, Y = 1 adds 0.7 times the mean square of RESONANT3.
  double sq = 0.0;
  for (unsigned int i = 0; i < Tables::WAVE_TABLE_SIZE; ++i)
    sq += Tables::RESONANT3_TABLE[i] * Tables::RESONANT3_TABLE[i];
  sq /= Tables::WAVE_TABLE_SIZE;
  for (float y : {0.0f, 1.0f}) {
    WAVE_RUN r = RenderMode(11, 110, 0.5f, y, 200);
    std::vector<float> whole(r.y.begin(), r.y.begin() + r.CycleStart(200));
    EXPECT_NEAR(Mean(whole), 0.7 * sq * y, 2e-3) << y;
  }
  // On a low note X pushes the table's phase: its harmonics spread upwards.
  auto upper = [](const WAVE_RUN& r) {
    double e = 0.0;
    for (int h = 9; h <= 24; ++h) e += Harmonic(r, h) * Harmonic(r, h);
    return e;
  };
  EXPECT_GT(upper(RenderMode(11, LOW, 1.0f, 0.0f, 12)), 5.0 * upper(RenderMode(11, LOW, 0.0f, 0.0f, 12)));
}

TEST(ResonantWaves, BandLimitedPulsesAliasLessThanNaiveOnes) {
  // Resonant 2 at 2 kHz at 2x (its pulse at 16.7 kHz): the strongest
  // inharmonic component below 20 kHz sits well below that of the same wave
  // built from naive pulses.
  WAVE_RUN r = RenderMode(12, 96, 1.0f, 0.0f, 300, 2);
  std::vector<float> naive(r.y.size());
  auto square = [](float q) { return q - std::floor(q) < 0.5f ? 1.0f : -1.0f; };
  for (size_t i = 1; i < naive.size(); ++i) {
    float R = square(8.0f * r.phase[i - 1]);
    float F = square(r.phase[i]);
    naive[i] = R * (F + 1.0f) * 0.5f;
  }
  const double rate = 88200.0, f0 = r.inc * rate;
  auto worstAlias = [&](const std::vector<float>& x) {
    double worst = 0.0;
    for (int h = 1; h <= 80; ++h) {
      double f = std::fabs(std::remainder(h * f0, rate));
      if (f > 20000.0) continue;
      if (std::fabs(f - std::round(f / f0) * f0) < 50.0) continue;
      worst = std::max(worst, Component(x, f / rate));
    }
    return worst;
  };
  double bl = worstAlias(r.y), nv = worstAlias(naive);
  EXPECT_LT(bl, nv * 0.5) << bl << " vs " << nv;
}

TEST(ResonantWaves, Resonant4YBlendsTheTableIntoTheGatedShare) {
  // X = 0: the pulse is a +-1 square at 8 times the note. Where it is +1
  // the wave is the table whatever Y; where it is -1 the table is flipped
  // by the gated share and lifted by the table's own: Y = 0 gives -1 times
  // the table, Y = 0.5 -0.3 times, Y = 1 +0.4 times.
  struct CASE {
    float y;
    double flipped;
  } cases[] = {{0.0f, -1.0}, {0.5f, -0.3}, {1.0f, 0.4}};
  for (const CASE& c : cases) {
    WAVE_RUN r = RenderMode(14, LOW, 0.0f, c.y, 2);
    std::vector<double> low;
    for (size_t i = 0; i < r.CycleStart(1); ++i) {
      if (!AwayFromJumps(r, i, 8.0, 0.5)) continue;
      const float q = OscFrame::TableRead(Tables::RESONANT2_TABLE, Tables::WAVE_TABLE_SIZEM1, r.phase[i]);
      if (std::fabs(q) < 0.05f) continue;
      const double ratio = r.y[i] / q;
      if (std::fabs(ratio - 1.0) > 1e-3) low.push_back(ratio);
    }
    ASSERT_GT(low.size(), 20u) << c.y;
    for (double v : low) ASSERT_NEAR(v, c.flipped, 0.01) << c.y;
  }
}
