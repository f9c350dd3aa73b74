#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tables/EnvTables.h"
#include "tables/LfoTables.h"
#include "tables/NoiseTables.h"
#include "tables/TimeScale.h"

namespace {

TEST(EnvDecayTable, PassesThroughSampleRowsAndFalls) {
  const double rows[][2] = {{0, 1},         {0.05, 0.63987},  {0.1, 0.37604},      {0.2, 0.12786},
                            {0.3, 0.042240}, {0.4, 0.013343},  {0.5, 0.0039063},    {0.6, 0.0013603},
                            {0.7, 0.00044409}, {0.75, 0.00024415}, {0.8, 0.00012887}, {0.9, 2.8049e-5},
                            {0.95, 9.2528e-6}, {0.99, 1.3273e-6}, {1, 5.8975e-10}};
  for (const auto& r : rows) {
    unsigned int k = static_cast<unsigned int>(std::lround(r[0] * Tables::ENV_DECAY_TABLE_SIZEM1));
    EXPECT_NEAR(Tables::ENV_DECAY_TABLE[k], r[1], r[1] * 2e-4) << "x = " << r[0];
  }
  for (unsigned int k = 1; k < Tables::ENV_DECAY_TABLE_SIZE; ++k)
    ASSERT_LE(Tables::ENV_DECAY_TABLE[k], Tables::ENV_DECAY_TABLE[k - 1]) << k;
}

TEST(NoiseWhiteTable, RangeAndSpread) {
  const float* t = Tables::NOISE_WHITE_TABLE;
  const float* end = t + Tables::NOISE_WHITE_TABLE_SIZE;
  EXPECT_EQ(*std::min_element(t, end), -1.0f);
  EXPECT_FLOAT_EQ(*std::max_element(t, end), 0.98939f);
  double mean = 0.0, sq = 0.0, lag = 0.0;
  unsigned int crossings = 0;
  for (unsigned int i = 0; i < Tables::NOISE_WHITE_TABLE_SIZE; ++i) {
    mean += t[i];
    sq += t[i] * t[i];
    if (i) {
      lag += t[i] * t[i - 1];
      if ((t[i] < 0.0f) != (t[i - 1] < 0.0f)) ++crossings;
    }
  }
  mean /= Tables::NOISE_WHITE_TABLE_SIZE;
  EXPECT_NEAR(mean, 0.0, 0.01);
  // The level and crossing rate of a recorded white-noise loop.
  EXPECT_NEAR(std::sqrt(sq / Tables::NOISE_WHITE_TABLE_SIZE), 0.344, 0.02);
  EXPECT_NEAR(1000.0 * crossings / Tables::NOISE_WHITE_TABLE_SIZE, 501.0, 10.0);
  EXPECT_NEAR(lag / sq, 0.0, 0.02);  // white
}

TEST(LfoTables, ShapesMatchTheirDefinitions) {
  using namespace LfoTables;
  const float* all[] = {SINE_TABLE, TRIANGLE_TABLE, SAW_TABLE,       LOG_TABLE,
                        EXP_TABLE,  SQUARE_TABLE,   LOGSQUARE_TABLE, EXPSQUARE_TABLE};
  for (const float* t : all) EXPECT_EQ(t[4096], t[0]);

  EXPECT_NEAR(SINE_TABLE[1024], 1.0f, 1e-7f);
  EXPECT_EQ(TRIANGLE_TABLE[1024], 1.0f);
  EXPECT_EQ(TRIANGLE_TABLE[3072], -1.0f);
  EXPECT_EQ(TRIANGLE_TABLE[2048], 0.0f);

  EXPECT_NEAR(SAW_TABLE[10], 0.49782f, 1e-5f);
  EXPECT_NEAR(SAW_TABLE[4086], -0.49782f, 1e-5f);
  EXPECT_NEAR(SAW_TABLE[1000], 1.0f - 2000.0f / 4096.0f, 1e-6f);
  EXPECT_NEAR(LOG_TABLE[1024], 0.66809f, 1e-5f);
  EXPECT_NEAR(LOG_TABLE[2048], 0.26186f, 1e-5f);
  EXPECT_NEAR(LOG_TABLE[3072], -0.26186f, 1e-5f);
  EXPECT_NEAR(EXP_TABLE[4095], -0.90035f, 1e-5f);
  EXPECT_EQ(EXP_TABLE[0], -1.0f);

  for (unsigned int k = 0; k < 4096; ++k)
    ASSERT_EQ(SQUARE_TABLE[k], SAW_TABLE[k] - SAW_TABLE[(k + 2047) % 4096]) << k;
  EXPECT_NEAR(SQUARE_TABLE[1000], 0.99951172f, 1e-7f);
  EXPECT_NEAR(SQUARE_TABLE[3000], -1.00048828f, 1e-7f);

  auto peak = [](const float* t) {
    float m = 0.0f;
    for (unsigned int k = 0; k <= 4096; ++k) m = std::max(m, std::fabs(t[k]));
    return m;
  };
  EXPECT_NEAR(peak(SAW_TABLE), 1.0332f, 5e-4f);
  EXPECT_NEAR(peak(SQUARE_TABLE), 1.0396f, 5e-4f);
  EXPECT_NEAR(peak(LOG_TABLE), 1.0787f, 5e-4f);
  EXPECT_NEAR(peak(EXP_TABLE), 1.0783f, 5e-4f);
}

TEST(LfoTables, PulseShapesPeakWhereDescribed) {
  using namespace LfoTables;
  auto argmax = [](const float* t) { return std::max_element(t, t + 4097) - t; };
  auto argmin = [](const float* t) { return std::min_element(t, t + 4097) - t; };
  EXPECT_EQ(argmax(LOGSQUARE_TABLE), 204);
  EXPECT_NEAR(LOGSQUARE_TABLE[204], 0.97879f, 1e-6f);
  EXPECT_EQ(argmin(LOGSQUARE_TABLE), 2420);
  EXPECT_EQ(LOGSQUARE_TABLE[2420], -1.0f);
  EXPECT_NEAR(LOGSQUARE_TABLE[0], -0.03226f, 1e-6f);
  for (unsigned int k = 0; k <= 4096; ++k) {
    bool negative = k <= 7 || k >= 2096;
    ASSERT_EQ(LOGSQUARE_TABLE[k] < 0.0f, negative) << k;
  }
  EXPECT_EQ(argmax(EXPSQUARE_TABLE), 304);
  EXPECT_NEAR(EXPSQUARE_TABLE[304], 0.97168f, 1e-6f);
  EXPECT_EQ(argmin(EXPSQUARE_TABLE), 2336);
  EXPECT_NEAR(EXPSQUARE_TABLE[0], 0.00511f, 1e-6f);
  // Smooth: no steps.
  for (const float* t : {LOGSQUARE_TABLE, EXPSQUARE_TABLE})
    for (unsigned int k = 0; k < 4096; ++k) ASSERT_LT(std::fabs(t[k + 1] - t[k]), 0.02f) << k;
}

TEST(TimeScale, ValuesAndClamping) {
  EXPECT_EQ(TIME_SCALE_TO_RATIO[0], 1.0f);
  EXPECT_EQ(TIME_SCALE_TO_RATIO[2], 0.25f);
  EXPECT_EQ(TIME_SCALE_TO_RATIO[8], 1.0f / 3.0f);
  EXPECT_EQ(TIME_SCALE_TO_RATIO[20], 0.0234375f);
  EXPECT_EQ(TIME_SCALE_TO_RATIO[30], 256.0f);
  EXPECT_FLOAT_EQ(TimeScale::ToSeconds(2, 120.0f), 0.5f);
  EXPECT_FLOAT_EQ(TimeScale::ToSeconds(0, 120.0f), 2.0f);
  EXPECT_EQ(TimeScale::ToSeconds(31, 77.0f), 0.05f);
  EXPECT_EQ(TimeScale::ToSeconds(33, 0.0f), 10.0f);
  EXPECT_FLOAT_EQ(TimeScale::ToSeconds(0, 0.0f), 2.0f);  // no tempo counts as 120
  const struct {
    float in;
    unsigned int out;
  } cases[] = {{0.0f, 0}, {2.9f, 2}, {-0.5f, 0}, {33.0f, 33}, {34.0f, 33}, {-1.0f, 33}, {NAN, 33}, {1e30f, 33}};
  for (const auto& c : cases) EXPECT_EQ(TimeScale::ClampIndex(c.in), c.out) << c.in;
}

}  // namespace
