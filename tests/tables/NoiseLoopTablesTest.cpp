#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tables/NoiseLoopTables.h"

namespace {

struct LEVELS {
  double peak, mean, rms, crossingsPer1000, largestStep, seam;
};

// Peak, mean, RMS, zero crossings (pairs of neighbours whose product is not
// positive) per 1000 values, the largest step between neighbours and the
// step from the last value into the first (the loop's seam).
LEVELS Measure(const float* t, unsigned int n) {
  LEVELS l = {};
  double sum = 0.0, sq = 0.0;
  unsigned int crossings = 0;
  for (unsigned int i = 0; i < n; ++i) {
    l.peak = std::max(l.peak, std::fabs(static_cast<double>(t[i])));
    sum += t[i];
    sq += static_cast<double>(t[i]) * t[i];
    if (i + 1 < n) {
      if (static_cast<double>(t[i]) * t[i + 1] <= 0.0) ++crossings;
      l.largestStep = std::max(l.largestStep, std::fabs(static_cast<double>(t[i + 1]) - t[i]));
    }
  }
  l.mean = sum / n;
  l.rms = std::sqrt(sq / n);
  l.crossingsPer1000 = 1000.0 * crossings / n;
  l.seam = std::fabs(static_cast<double>(t[0]) - t[n - 1]);
  return l;
}

}  // namespace

TEST(NoiseLoopTables, LevelsCrossingsAndSeamlessLoops) {
  using namespace Tables;
  struct {
    const char* name;
    const float* t;
    unsigned int size, sizeM1;
    double rms, crossings;
  } cases[] = {
      {"brown", NOISE_BROWN_TABLE, NOISE_BROWN_TABLE_SIZE, NOISE_BROWN_TABLE_SIZEM1, 0.496, 15},
      {"drone1", NOISE_DRONE1_TABLE, NOISE_DRONE1_TABLE_SIZE, NOISE_DRONE1_TABLE_SIZEM1, 0.399, 22},
      {"drone2", NOISE_DRONE2_TABLE, NOISE_DRONE2_TABLE_SIZE, NOISE_DRONE2_TABLE_SIZEM1, 0.303, 98},
      {"drone3", NOISE_DRONE3_TABLE, NOISE_DRONE3_TABLE_SIZE, NOISE_DRONE3_TABLE_SIZEM1, 0.409, 24},
      {"drone4", NOISE_DRONE4_TABLE, NOISE_DRONE4_TABLE_SIZE, NOISE_DRONE4_TABLE_SIZEM1, 0.446, 11},
      {"drone5", NOISE_DRONE5_TABLE, NOISE_DRONE5_TABLE_SIZE, NOISE_DRONE5_TABLE_SIZEM1, 0.414, 5},
      {"crackle1", NOISE_CRACKLE1_TABLE, NOISE_CRACKLE1_TABLE_SIZE, NOISE_CRACKLE1_TABLE_SIZEM1, 0.028, 73},
      {"crackle2", NOISE_CRACKLE2_TABLE, NOISE_CRACKLE2_TABLE_SIZE, NOISE_CRACKLE2_TABLE_SIZEM1, 0.091, 724},
      {"crackle3", NOISE_CRACKLE3_TABLE, NOISE_CRACKLE3_TABLE_SIZE, NOISE_CRACKLE3_TABLE_SIZEM1, 0.069, 532},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.sizeM1, c.size - 1);
    LEVELS l = Measure(c.t, c.size);
    EXPECT_FLOAT_EQ(static_cast<float>(l.peak), 1.0f);
    EXPECT_NEAR(l.mean, 0.0, 1e-4);
    EXPECT_NEAR(l.rms, c.rms, 0.05 * c.rms);
    EXPECT_NEAR(l.crossingsPer1000, c.crossings, 0.05 * c.crossings + 0.5);
    EXPECT_EQ(c.t[c.size], c.t[0]);  // guard
    // The loop closes: its seam is no larger a step than the loop takes inside.
    EXPECT_LE(l.seam, l.largestStep);
  }
}

TEST(NoiseLoopTables, ClickIsOneBurstBetweenSilence) {
  using namespace Tables;
  const float* t = NOISE_CLICK_TABLE;
  for (unsigned int i = 0; i < NOISE_CLICK_FIRST; ++i) ASSERT_EQ(t[i], 0.0f) << i;
  for (unsigned int i = NOISE_CLICK_LAST + 1; i <= NOISE_CLICK_TABLE_SIZE; ++i) ASSERT_EQ(t[i], 0.0f) << i;
  EXPECT_NE(t[NOISE_CLICK_FIRST], 0.0f);
  EXPECT_NE(t[NOISE_CLICK_LAST], 0.0f);
  LEVELS l = Measure(t, NOISE_CLICK_TABLE_SIZE);
  EXPECT_FLOAT_EQ(static_cast<float>(l.peak), 1.0f);
  EXPECT_NEAR(l.rms, 0.008, 0.0008);
  EXPECT_NEAR(l.crossingsPer1000, 907, 20);
  // Most of the burst's energy lies in its first few hundred values.
  double early = 0.0, all = 0.0;
  for (unsigned int i = NOISE_CLICK_FIRST; i <= NOISE_CLICK_LAST; ++i) {
    all += static_cast<double>(t[i]) * t[i];
    if (i < NOISE_CLICK_FIRST + 500) early += static_cast<double>(t[i]) * t[i];
  }
  EXPECT_GT(early, 0.8 * all);
}
