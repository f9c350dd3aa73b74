// The distortion's first tube curve against its description: flat at about
// -0.455 below -0.5, zero just below the centre, rising to 1.0 at +1.
#include <gtest/gtest.h>

#include "tables/EffectCurves.h"

TEST(EffectCurves, FirstTubeCurveIsZeroJustBelowTheCentre) {
  const float* t = Tables::TUBE_TABLE;
  const unsigned int centre = Tables::TUBE_TABLE_SIZE / 2;  // input 0 as the distortion reads it
  // The zero lies between the centre entry and the one below it.
  EXPECT_GT(t[centre], 0.0f);
  EXPECT_LT(t[centre], 0.002f);
  EXPECT_LT(t[centre - 1], 0.0f);
  EXPECT_GT(t[centre - 1], -0.002f);
  // Flat on the negative side below -0.5, 1 at the top, rising throughout.
  for (unsigned int i = 0; i <= centre / 2; ++i) ASSERT_NEAR(t[i], -0.455f, 1e-3f) << i;
  EXPECT_EQ(t[Tables::TUBE_TABLE_SIZEM1], 1.0f);
  for (unsigned int i = centre / 2 + 1; i < Tables::TUBE_TABLE_SIZE; ++i) ASSERT_GT(t[i], t[i - 1]) << i;
  // No corner at the zero: the slope on both sides agrees.
  const float below = t[centre - 1] - t[centre - 2], above = t[centre + 1] - t[centre];
  EXPECT_NEAR(above / below, 1.0f, 0.01f);
}
