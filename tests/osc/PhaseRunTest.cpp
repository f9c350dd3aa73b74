// PhaseRun::Advance and Fill jump over stretches of steps: they must land on
// the very floats the step-by-step loop reaches, for every start and
// increment.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "osc/PhaseRun.h"

namespace {

uint32_t Bits(float x) {
  uint32_t b;
  std::memcpy(&b, &x, sizeof(b));
  return b;
}

float Stepped(float p, float inc, unsigned int count) {
  for (unsigned int j = 0; j < count; ++j) p = PhaseRun::Step(p, inc);
  return p;
}

// A start phase and increment of case t: the usual rates and the awkward
// spots (ties, steps below the grid, the ends of the range, tiny phases).
void Case(int t, std::mt19937& rng, float& p, float& inc) {
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  p = unit(rng);
  switch (t % 7) {
    case 0: inc = unit(rng) * 0.005f; break;                                     // sub and scissor rates
    case 1: inc = unit(rng) * 0.02f; break;                                      // faster: stepped
    case 2: inc = std::ldexp(std::floor(unit(rng) * 1000.0f) + 0.5f, -24); break;  // ties in 0.5..1
    case 3: inc = std::ldexp(std::floor(unit(rng) * 100.0f) + 0.5f, -28); break;   // ties lower down
    case 4: inc = unit(rng) * 1e-7f; break;                                      // below the grid
    case 5: inc = unit(rng) * 0.004f, p = (t & 8) ? 1.0f : 0.0f; break;          // at the ends
    default: inc = unit(rng) * 0.004f, p = unit(rng) * 1e-31f; break;            // tiny phases
  }
}

TEST(PhaseRunTest, AdvanceLandsWhereTheStepsLand) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  for (int t = 0; t < 20000; ++t) {
    float p, inc;
    Case(t, rng, p, inc);
    const unsigned int count = 1 + static_cast<unsigned int>(unit(rng) * 3000.0f);
    ASSERT_EQ(Bits(PhaseRun::Advance(p, inc, count)), Bits(Stepped(p, inc, count)))
        << std::hexfloat << "p " << p << " inc " << inc << " count " << count;
  }
  // Unusual values are stepped: a negative increment, NaN, infinity.
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(Bits(PhaseRun::Advance(0.5f, -0.001f, 900)), Bits(Stepped(0.5f, -0.001f, 900)));
  EXPECT_TRUE(std::isnan(PhaseRun::Advance(0.5f, nan, 10)));
  EXPECT_EQ(Bits(PhaseRun::Advance(0.5f, inf, 3)), Bits(Stepped(0.5f, inf, 3)));
  EXPECT_EQ(PhaseRun::Advance(0.25f, 0.001f, 0), 0.25f);
}

// Fill stores every phase the step-by-step loop passes through, and ends
// where it ends.
TEST(PhaseRunTest, FillStoresEveryPhaseOfTheSteps) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  std::vector<float> filled(64), stepped(64);
  for (int t = 0; t < 20000; ++t) {
    float p, inc;
    Case(t, rng, p, inc);
    if (t % 5 == 0) inc *= 0.05f;  // long stretches: the four-at-a-time stores
    const unsigned int count = 1 + static_cast<unsigned int>(unit(rng) * 63.0f);
    const float end = PhaseRun::Fill(filled.data(), count, p, inc);
    float q = p;
    for (unsigned int j = 0; j < count; ++j) {
      stepped[j] = q;
      q = PhaseRun::Step(q, inc);
    }
    ASSERT_EQ(Bits(end), Bits(q)) << std::hexfloat << "p " << p << " inc " << inc << " count " << count;
    for (unsigned int j = 0; j < count; ++j)
      ASSERT_EQ(Bits(filled[j]), Bits(stepped[j])) << std::hexfloat << "p " << p << " inc " << inc << " at " << j;
  }
}

}  // namespace
