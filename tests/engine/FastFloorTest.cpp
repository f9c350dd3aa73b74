// FastFloor and FloorPastOne stand in for std::floor in the phase wraps:
// they must give its result bit for bit, the sign of zero included.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "engine/FastFloor.h"

namespace {

uint32_t Bits(float x) {
  uint32_t b;
  std::memcpy(&b, &x, sizeof(b));
  return b;
}

TEST(FastFloorTest, MatchesStdFloorBitForBit) {
  const float inf = std::numeric_limits<float>::infinity();
  std::vector<float> values{0.0f, -0.0f, 0.5f, -0.5f, 1.0f, -1.0f, 1.5f, -1.5f, 2.0f, -2.0f,
                            std::nextafter(1.0f, 0.0f), std::nextafter(1.0f, 2.0f), std::nextafter(2.0f, 0.0f),
                            std::nextafter(-1.0f, 0.0f), std::nextafter(-1.0f, -2.0f), 1e-30f, -1e-30f,
                            8388607.5f, -8388607.5f, 8388608.0f, -8388609.0f, 3e9f, -3e9f, 1e30f, -1e30f, inf, -inf};
  // A sweep through the range phases live in, with steps that are no
  // binary fractions.
  for (float x = -3.0f; x < 3.0f; x += 0.0137f) values.push_back(x);
  for (float x : values) {
    EXPECT_EQ(Bits(FastFloor(x)), Bits(std::floor(x))) << x;
    EXPECT_EQ(Bits(FloorPastOne(x)), Bits(std::floor(x))) << x;
  }
  EXPECT_TRUE(std::isnan(FastFloor(std::numeric_limits<float>::quiet_NaN())));
  EXPECT_TRUE(std::isnan(FloorPastOne(std::numeric_limits<float>::quiet_NaN())));
}

}  // namespace
