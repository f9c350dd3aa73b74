#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "tables/InstrumentTables.h"
#include "tables/ToneTables.h"

namespace {

// Amplitude of harmonic h of the cycle held in the first `period` points.
double Harmonic(const float* t, unsigned int period, unsigned int h) {
  static std::vector<double> c, s;
  if (c.size() != period) {
    c.resize(period);
    s.resize(period);
    for (unsigned int i = 0; i < period; ++i) {
      c[i] = std::cos(2.0 * M_PI * i / period);
      s[i] = std::sin(2.0 * M_PI * i / period);
    }
  }
  double re = 0.0, im = 0.0;
  for (unsigned int i = 0, k = 0; i < period; ++i, k = (k + h) % period) {
    re += t[i] * c[k];
    im += t[i] * s[k];
  }
  return 2.0 * std::hypot(re, im) / period;
}

double Peak(const float* t, unsigned int n) {
  double p = 0.0;
  for (unsigned int i = 0; i < n; ++i) p = std::max(p, std::fabs(static_cast<double>(t[i])));
  return p;
}

double Mean(const float* t, unsigned int n) {
  double s = 0.0;
  for (unsigned int i = 0; i < n; ++i) s += t[i];
  return s / n;
}

struct SINE_PART {
  unsigned int h;
  double a, deg;
};

// Largest difference between the table and its sum of sines over points
// 0..size-1 (theta = 2 pi i / period).
double FormulaError(const float* t, unsigned int size, unsigned int period, const std::vector<SINE_PART>& parts,
                    double scale = 1.0) {
  double worst = 0.0;
  for (unsigned int i = 0; i < size; i += 7) {
    double th = 2.0 * M_PI * i / period, v = 0.0;
    for (const auto& p : parts) v += p.a * std::sin(p.h * th + p.deg * M_PI / 180.0);
    worst = std::max(worst, std::fabs(t[i] - v * scale));
  }
  return worst;
}

}  // namespace

TEST(ToneTables, BellAndInharmonicCyclesAreTheirSumsOfSines) {
  using namespace Tables;
  EXPECT_EQ(BELL_TABLE_SIZEM1, 32768u);
  struct {
    const float* t;
    std::vector<SINE_PART> parts;
    double atZero;
  } cases[] = {
      {BELL_TABLE, {{1, 0.79783, 0}, {10, 0.11170, 59.09}, {11, 0.04986, 123.75}, {25, 0.03638, 233.46}}, 0.1081},
      {INHARM1_TABLE,
       {{1, 0.91624, 0},
        {7, 0.05103, 104.05},
        {18, 0.01274, 50.64},
        {19, 0.02987, 75.95},
        {24, 0.00183, 59.11},
        {29, 0.00073, 0}},
       0.0899},
      {INHARM2_TABLE, {{1, 0.49228, 0}, {3, 0.01024, 123.73}, {13, 0.49228, 33.75}}, 0.2820},
  };
  for (const auto& c : cases) {
    EXPECT_LT(FormulaError(c.t, 32769, 32768, c.parts), 0.002);
    EXPECT_NEAR(Peak(c.t, 32769), 0.98855, 5e-4);
    EXPECT_NEAR(c.t[0], c.atZero, 5e-4);
    EXPECT_NEAR(c.t[32768], c.t[0], 2e-4);  // the last point closes the cycle
    EXPECT_EQ(c.t[32769], c.t[0]);          // guard
  }
}

TEST(ToneTables, OrganRegistrationsAreOctaveSpacedSines) {
  using namespace Tables;
  EXPECT_EQ(ORGAN_TABLE_SIZEM1, 32768u);
  EXPECT_EQ(ORGAN2_TABLE_SIZEM1, 131071u);
  EXPECT_LT(FormulaError(ORGAN_TABLE, 32769, 32768,
                         {{1, 0.44917, 0}, {2, 0.28639, 0}, {4, 0.14149, 0}, {8, 0.21196, 0}, {16, 0.12604, 0},
                          {32, 0.14989, 0}, {64, 0.16826, 0}}),
            0.004);
  EXPECT_NEAR(Peak(ORGAN_TABLE, 32769), 0.9885, 5e-4);
  EXPECT_LT(FormulaError(ORGAN2_TABLE, 131072, 131072,
                         {{1, 0.74556, 0},
                          {3, 0.2944, 25.3},
                          {6, 0.17505, -47.8},
                          {12, 0.08261, -165.9},
                          {24, 0.04912, 135},
                          {48, 0.02199, -90}}),
            0.001);
  EXPECT_FLOAT_EQ(static_cast<float>(Peak(ORGAN2_TABLE, 131072)), 1.0f);
  EXPECT_NEAR(Mean(ORGAN_TABLE, 32768), 0.0, 1e-6);
  EXPECT_NEAR(Mean(ORGAN2_TABLE, 131072), 0.0, 1e-6);
  EXPECT_EQ(ORGAN_TABLE[32769], ORGAN_TABLE[0]);
  EXPECT_EQ(ORGAN2_TABLE[131072], ORGAN2_TABLE[0]);
}

namespace {

struct SPECTRUM_CASE {
  const char* name;
  const float* table;
  std::vector<std::pair<unsigned int, double>> strong;  // harmonic: amplitude (listed ones)
  unsigned int highest;                                 // no energy above this harmonic
};

}  // namespace

TEST(InstrumentTables, SpectraPeakAndForm) {
  using namespace Tables;
  const SPECTRUM_CASE specs[] = {
      {"brass1", SYN_BRASS1_TABLE, {{1, .07}, {2, .156}, {3, .253}, {4, .237}, {5, .184}, {6, .105}, {7, .064}}, 16},
      {"brass2", SYN_BRASS2_TABLE, {{1, .056}, {2, .282}, {3, .28}, {4, .1}, {5, .14}, {6, .06}}, 22},
      {"cello", SYN_CELLO_TABLE, {{1, .686}, {2, .346}, {3, .188}, {4, .131}, {6, .054}}, 48},
      {"flute2", SYN_FLUTE2_TABLE, {{2, .93}, {4, .058}}, 48},
      {"guitar1", SYN_GUITAR1_TABLE, {{1, .518}, {2, .377}, {3, .102}}, 48},
      {"oboe", SYN_OBOE_TABLE, {{1, .163}, {2, .822}}, 48},
      {"guitarmod1",
       SYN_GUITARMOD1_TABLE,
       {{1, .158},
        {2, .284},
        {3, .379},
        {4, .269},
        {5, .208},
        {6, .089},
        {8, .093},
        {9, .207},
        {10, .153},
        {11, .133},
        {12, .065}},
       48},
      {"guitarmod2", SYN_GUITARMOD2_TABLE, {{1, .747}, {2, .169}}, 48},
  };
  const unsigned int N = INSTRUMENT_TABLE_SIZE;
  for (const auto& s : specs) {
    SCOPED_TRACE(s.name);
    EXPECT_FLOAT_EQ(static_cast<float>(Peak(s.table, N)), 1.0f);
    EXPECT_NEAR(Mean(s.table, N), 0.0, 1e-5);
    EXPECT_EQ(s.table[N], s.table[0]);
    for (unsigned int h = 1; h <= 64; ++h) {
      double a = Harmonic(s.table, N, h);
      auto it = std::find_if(s.strong.begin(), s.strong.end(), [h](const auto& p) { return p.first == h; });
      if (it != s.strong.end())
        EXPECT_NEAR(a, it->second, 0.003) << "harmonic " << h;
      else if (h > s.highest)
        EXPECT_LT(a, 1e-4) << "harmonic " << h;
      else
        EXPECT_LT(a, 0.05) << "harmonic " << h;  // only the listed ones are strong
    }
  }
}
