#include <gtest/gtest.h>

#include <cmath>

#include "tables/Tables.h"

TEST(Tables, TuningTableFollowsTheEqualTemperedScale) {
  EXPECT_NEAR(Tables::TUNE_TABLE[0], 8.177735f, 1e-5f);
  // Pitch 69 reads index 103499: 440.09 Hz.
  EXPECT_NEAR(Tables::TunePitchToHz(69.0f), 440.09f, 0.01f);
  EXPECT_NEAR(Tables::TUNE_TABLE[103499], 440.09f, 0.01f);
  // 18000 entries per octave.
  EXPECT_NEAR(Tables::TUNE_TABLE[18000 * 5] / Tables::TUNE_TABLE[18000 * 4], 2.0f, 1e-5f);
  EXPECT_NEAR(Tables::TUNE_TABLE[Tables::TUNE_TABLE_SIZEM1], 8.177735 * std::exp2(254999.0 / 18000.0), 0.5);
  // Pitch 15 gives the longest filter time: 19.449 Hz.
  EXPECT_NEAR(Tables::TUNE_TABLE[22499], 19.449291f, 1e-4f);
}

TEST(Tables, TuningLookupStaysInsideTheTableForAnyPitch) {
  const float top = Tables::TUNE_TABLE[Tables::TUNE_TABLE_SIZEM1];
  EXPECT_EQ(Tables::TunePitchToHz(170.0f), top);
  EXPECT_EQ(Tables::TunePitchToHz(1000.0f), top);
  EXPECT_EQ(Tables::TunePitchToHz(INFINITY), top);
  EXPECT_EQ(Tables::TunePitchToHz(-3.0f), Tables::TUNE_TABLE[0]);
  EXPECT_EQ(Tables::TunePitchToHz(NAN), Tables::TUNE_TABLE[0]);
}

TEST(Tables, SineExpAndFadeTablesHaveTheirShapes) {
  EXPECT_EQ(Tables::SINE_TABLE[0], 0.0f);
  EXPECT_EQ(Tables::SINE_TABLE[1023], 0.0f);
  EXPECT_NEAR(Tables::SINE_TABLE[1023 / 4], std::sin(2.0 * M_PI * 255 / 1023), 1e-6);
  for (unsigned int g = 1024; g < 1028; ++g) EXPECT_EQ(Tables::SINE_TABLE[g], 0.0f);

  EXPECT_EQ(Tables::EXP_TABLE[0], 0.0f);
  EXPECT_NEAR(Tables::EXP_TABLE[50000], 0.5 * 0.1, 1e-6);  // x 10^(2x - 2) at x = 0.5
  EXPECT_EQ(Tables::EXP_TABLE[100000], 1.0f);
  EXPECT_EQ(Tables::EXP_TABLE[Tables::EXP_TABLE_SIZEM1], 1.0f);
  for (unsigned int i = 1; i < Tables::EXP_TABLE_SIZE; i += 997)
    EXPECT_GE(Tables::EXP_TABLE[i], Tables::EXP_TABLE[i - 1]);

  EXPECT_EQ(Tables::FASTFADEIN_TABLE[0], 0.0f);
  EXPECT_NEAR(Tables::FASTFADEIN_TABLE[24], 0.5f, 1e-6f);
  EXPECT_EQ(Tables::FASTFADEIN_TABLE[48], 1.0f);
  EXPECT_EQ(Tables::FASTFADEIN_TABLE[Tables::FASTFADEIN_TABLE_SIZEM1], 1.0f);

  double sum = 0.0, peak = 0.0;
  for (unsigned int i = 0; i < Tables::BUZZ_TABLE_SIZE; ++i) {
    sum += Tables::BUZZ_TABLE[i];
    peak = std::fmax(peak, std::fabs(Tables::BUZZ_TABLE[i]));
  }
  EXPECT_NEAR(sum / Tables::BUZZ_TABLE_SIZE, 0.0, 1e-6);
  EXPECT_NEAR(peak, 1.0, 1e-6);
}
