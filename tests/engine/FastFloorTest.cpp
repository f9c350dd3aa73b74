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

uint64_t Bits(double x) {
  uint64_t b;
  std::memcpy(&b, &x, sizeof(b));
  return b;
}

TEST(FastFloorTest, DoubleKeepsItsPrecision) {
  const double inf = std::numeric_limits<double>::infinity();
  // Values a float cannot hold apart from their floor's neighbour.
  std::vector<double> values{0.0, -0.0, 1.99999999, -1.99999999, 0.999999999999, -0.000000001,
                             std::nextafter(1.0, 0.0), std::nextafter(2.0, 0.0), std::nextafter(-1.0, -2.0),
                             16777217.5, -16777217.5, 4503599627370495.5, -4503599627370495.5,
                             4503599627370496.0, 1e300, -1e300, inf, -inf};
  for (double x = -3.0; x < 3.0; x += 0.0137) values.push_back(x);
  for (double x : values) EXPECT_EQ(Bits(FastFloor(x)), Bits(std::floor(x))) << x;
  EXPECT_TRUE(std::isnan(FastFloor(std::numeric_limits<double>::quiet_NaN())));
}

TEST(FastFloorTest, WrapPositionKeepsDoublePrecision) {
  const struct {
    double x;
    double wrapped;
  } cases[] = {{1.99999999, 0.99999999}, {-0.00000001, 0.99999999}, {1.5, 0.5}, {0.25, 0.25},
               {3.000000001, 0.000000001}, {-2.75, 0.25}};
  for (const auto& c : cases) EXPECT_NEAR(WrapPosition(c.x), c.wrapped, 1e-15) << c.x;
  const double bad[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                        -std::numeric_limits<double>::infinity()};
  for (double x : bad) EXPECT_EQ(WrapPosition(x), 0.0) << x;
}

}  // namespace
