// The instance's random generator: the C library's sequence and value range,
// and generators that do not disturb one another.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/GlobalSynth.h"
#include "engine/Random.h"

namespace {

std::vector<uint32_t> Draw(CRandom& r, size_t n) {
  std::vector<uint32_t> out(n);
  for (uint32_t& v : out) v = r.Next();
  return out;
}

#if defined(__GLIBC__)
TEST(Random, GivesTheCLibrarySequenceForTheSameSeed) {
  for (uint32_t seed : {0u, 1u, 7u, 42u, 12345u, 2147483647u, 2147483648u, 4294967295u}) {
    SCOPED_TRACE(seed);
    CRandom r(seed);
    std::srand(seed);
    for (int i = 0; i < 2000; ++i) ASSERT_EQ(r.Next(), static_cast<uint32_t>(std::rand())) << "draw " << i;
  }
}
#endif

TEST(Random, ValuesCoverTheWholeRangeOfRand) {
  CRandom r(99);
  uint32_t lo = UINT32_MAX, hi = 0;
  unsigned int buckets[16] = {};
  const int n = 160000;
  for (int i = 0; i < n; ++i) {
    const uint32_t v = r.Next();
    ASSERT_LE(v, CRandom::RANDOM_MAX);
    lo = v < lo ? v : lo;
    hi = v > hi ? v : hi;
    ++buckets[v >> 27];
    const float u = r.NextUnit();
    ASSERT_GE(u, 0.0f);
    ASSERT_LE(u, 1.0f);
  }
  EXPECT_LT(lo, CRandom::RANDOM_MAX / 1000);
  EXPECT_GT(hi, CRandom::RANDOM_MAX - CRandom::RANDOM_MAX / 1000);
  // Uniform: every sixteenth of the range within 5 % of its share.
  for (unsigned int b : buckets) EXPECT_NEAR(b, n / 16, n / 16 / 20);
}

TEST(Random, GeneratorsAreIndependentAndReseedable) {
  CRandom a(5), b(5);
  const std::vector<uint32_t> first = Draw(a, 100);
  CRandom other(6);
  Draw(other, 1000);  // draws elsewhere change nothing here
  EXPECT_EQ(Draw(b, 100), first);
  EXPECT_NE(Draw(other, 100), first);
  a.Seed(5);
  EXPECT_EQ(Draw(a, 100), first) << "seeding again starts the sequence over";
}

TEST(Random, InstancesStartFromDifferentSeeds) {
  CGlobalSynth a, b;
  EXPECT_NE(Draw(a.GetRandom(), 8), Draw(b.GetRandom(), 8));
}

}  // namespace
