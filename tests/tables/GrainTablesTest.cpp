#include <gtest/gtest.h>

#include <algorithm>

#include "tables/GrainTables.h"

TEST(GrainTables, FlatTopWindowRisesOverTheFirstFifthAndFallsOverTheLast) {
  using Tables::GRAINWND2_TABLE;
  const unsigned int n = Tables::GRAINWND2_TABLE_SIZE;
  EXPECT_EQ(Tables::GRAINWND2_TABLE_SIZEM1, 16383u);
  EXPECT_NEAR(GRAINWND2_TABLE[0], -0.0066f, 1e-4f);
  EXPECT_NEAR(GRAINWND2_TABLE[n - 1], -0.0066f, 1e-4f);
  EXPECT_EQ(GRAINWND2_TABLE[n], GRAINWND2_TABLE[0]);  // guard point
  EXPECT_EQ(*std::max_element(GRAINWND2_TABLE, GRAINWND2_TABLE + n), 1.0f);
  // About 0.993 through the middle.
  for (unsigned int i = n * 3 / 10; i <= n * 7 / 10; i += 37) ASSERT_NEAR(GRAINWND2_TABLE[i], 0.993f, 1e-3f) << i;
  // Half-way up a tenth of the way in, and rising all through the first fifth.
  EXPECT_NEAR(GRAINWND2_TABLE[n / 10], 0.5f, 0.02f);
  for (unsigned int i = 1; i < n / 5; ++i) ASSERT_GE(GRAINWND2_TABLE[i], GRAINWND2_TABLE[i - 1]) << i;
  // Symmetric.
  for (unsigned int i = 0; i < n; i += 101) ASSERT_NEAR(GRAINWND2_TABLE[i], GRAINWND2_TABLE[n - 1 - i], 1e-6f) << i;
}
