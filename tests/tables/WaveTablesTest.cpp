// The single-cycle source waves of the computed modes, measured by their
// spectrum: harmonic amplitudes (and phases where the wave's design fixes
// them), the weak parts that must stay below a bound, the extreme values,
// zero mean and the guard point.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tables/WaveTables.h"

namespace {

using namespace Tables;

const unsigned int N = WAVE_TABLE_SIZE;

struct HARMONIC {
  double amplitude;
  double phaseDeg;  // of A sin(k theta + phase)
};

HARMONIC Measure(const float* t, unsigned int k) {
  static std::vector<double> cycle;
  if (cycle.empty())
    for (unsigned int i = 0; i < N; ++i) cycle.push_back(std::sin(2.0 * M_PI * i / N));
  double s = 0.0, c = 0.0;
  for (unsigned int i = 0; i < N; ++i) {
    unsigned int j = (k * i) % N;
    s += t[i] * cycle[j];
    c += t[i] * cycle[(j + N / 4) % N];
  }
  s *= 2.0 / N;
  c *= 2.0 / N;
  double ph = std::atan2(c, s) * 180.0 / M_PI;
  if (ph < 0.0) ph += 360.0;
  return {std::hypot(s, c), ph};
}

double AngleDiff(double a, double b) { return std::fabs(std::remainder(a - b, 360.0)); }

struct PARTIAL {
  unsigned int k;
  double amplitude;
  double phaseDeg;  // < 0: the phase is free
};

struct TABLE_CASE {
  const char* name;
  const float* table;
  double least, greatest;  // NAN: not stated
  std::vector<PARTIAL> partials;
  double otherBound;        // every harmonic not listed stays below this
  unsigned int quietFrom;   // from this harmonic on...
  double quietBound;        // ...below this
};

std::vector<TABLE_CASE> Cases() {
  return {
      {"WEAKSAW", WEAKSAW_TABLE, -1.0, 0.970,
       {{1, 0.808, 0.0}, {2, 0.331, -1}, {3, 0.140, 0.0}, {4, 0.062, 0.0}, {5, 0.030, -1}, {6, 0.015, -1},
        {7, 0.009, -1}, {8, 0.005, -1}},
       0.004, 9, 0.004},
      {"WEAKTRIANGLE", WEAKTRIANGLE_TABLE, -1.0, 1.0,
       {{1, 0.822, 0.0}, {3, 0.145, 180.0}, {5, 0.027, 0.0}, {7, 0.005, 180.0}, {9, 0.002, 0.0}},
       0.0005, 10, 0.0005},
      {"RESONANT1", RESONANT1_TABLE, -1.0, NAN,
       {{6, 0.028, 273}, {7, 0.042, 255}, {8, 0.072, 234}, {9, 0.149, 198}, {10, 0.293, 132}, {11, 0.298, 41},
        {12, 0.149, 332}, {13, 0.068, 294}, {14, 0.038, 273}, {15, 0.025, 255}, {16, 0.017, 238},
        {5, 0.019, -1}, {17, 0.012, -1}},
       0.019, 36, 0.001},
      {"RESONANT2", RESONANT2_TABLE, -0.49, 1.0,
       {{1, 0.263, -1}, {2, 0.068, -1}, {3, 0.047, -1}, {4, 0.064, -1}, {5, 0.092, -1}, {6, 0.152, -1},
        {7, 0.263, -1}, {8, 0.138, -1}, {9, 0.069, -1}, {10, 0.042, -1}, {11, 0.028, -1}},
       0.028, 12, 0.028},
      {"RESONANT3", RESONANT3_TABLE, -1.0, 0.82,
       {{1, 0.006, -1}, {2, 0.070, -1}, {3, 0.337, -1}, {4, 0.462, -1}, {5, 0.116, -1}, {6, 0.033, -1},
        {7, 0.011, -1}},
       0.004, 8, 0.004},
      {"RESONANT4", RESONANT4_TABLE, -1.0, NAN,
       {{4, 0.015, 102}, {5, 0.045, 152}, {6, 0.230, 170}, {7, 0.366, 196}, {8, 0.206, 211}, {9, 0.122, 179},
        {10, 0.032, 157}, {12, 0.008, 100}, {13, 0.014, 68}, {14, 0.023, 59}, {15, 0.033, 103}, {16, 0.017, 120},
        {17, 0.011, 138}, {18, 0.005, 125}},
       0.0045, 41, 0.001},
      {"VOWEL1", VOWEL1_TABLE, NAN, 1.0,
       {{1, 0.297, 313}, {2, 0.684, 175}, {3, 0.123, 122}, {4, 0.030, 164}, {5, 0.008, 138}, {6, 0.005, 182},
        {7, 0.009, 97}, {8, 0.006, 57}, {9, 0.008, 125}, {10, 0.012, 153}, {11, 0.007, 175}, {12, 0.006, 172},
        {13, 0.006, 230}, {14, 0.003, 307}},
       0.002, 17, 0.001},
      {"VOWEL2", VOWEL2_TABLE, NAN, 1.0,
       {{1, 0.804, 17}, {2, 0.175, 236}, {3, 0.036, 98}, {4, 0.058, 251}, {5, 0.117, 292}, {6, 0.088, 121},
        {7, 0.032, 316}, {8, 0.005, 122}, {9, 0.005, 92}, {10, 0.007, 188}, {11, 0.007, 337}, {12, 0.008, 103},
        {13, 0.008, 247}, {14, 0.006, 50}, {15, 0.003, 231}},
       0.002, 17, 0.001},
      {"VOWEL3", VOWEL3_TABLE, NAN, 1.0,
       {{1, 0.141, 259}, {2, 0.438, 200}, {3, 0.413, 82}, {4, 0.093, 287}, {5, 0.013, 248}, {6, 0.010, 240},
        {7, 0.005, 340}, {8, 0.005, 151}, {9, 0.002, 332}, {10, 0.003, 274}, {11, 0.002, 183}, {13, 0.002, 304},
        {14, 0.001, 282}, {15, 0.001, 177}, {16, 0.001, 174}},
       0.002, 17, 0.001},
      {"SYN_FLUTE1", SYN_FLUTE1_TABLE, -1.0, 1.0,
       {{1, 0.882, -1}, {3, 0.147, -1}, {5, 0.010, -1}, {7, 0.006, -1}},
       0.0005, 8, 0.0005},
      {"SYN_GUITAR2", SYN_GUITAR2_TABLE, NAN, 1.0,
       {{1, 0.392, 268}, {2, 0.587, 65}, {3, 0.083, 294}, {4, 0.100, 323}, {5, 0.046, 357}, {6, 0.008, 37},
        {7, 0.001, 108}},
       0.001, 10, 0.0005},
  };
}

}  // namespace

TEST(WaveTables, SourceWavesHaveTheirSpectraExtremesAndGuardPoints) {
  for (const TABLE_CASE& c : Cases()) {
    SCOPED_TRACE(c.name);
    const float* t = c.table;
    EXPECT_EQ(t[N], t[0]) << "guard point";
    double sum = 0.0, lo = t[0], hi = t[0];
    for (unsigned int i = 0; i < N; ++i) {
      sum += t[i];
      lo = std::fmin(lo, t[i]);
      hi = std::fmax(hi, t[i]);
    }
    EXPECT_NEAR(sum / N, 0.0, 1e-6) << "mean";
    if (!std::isnan(c.least)) {
      EXPECT_NEAR(lo, c.least, 0.003) << "least value";
    }
    if (!std::isnan(c.greatest)) {
      EXPECT_NEAR(hi, c.greatest, 0.003) << "greatest value";
    }

    std::vector<bool> listed(49, false);
    for (const PARTIAL& h : c.partials) {
      listed[h.k] = true;
      HARMONIC m = Measure(t, h.k);
      // Three decimals, and the scale that sets the extreme exactly.
      EXPECT_NEAR(m.amplitude, h.amplitude, 0.0006 + 0.004 * h.amplitude) << "harmonic " << h.k;
      if (h.phaseDeg >= 0.0 && h.amplitude >= 0.005) {
        EXPECT_LT(AngleDiff(m.phaseDeg, h.phaseDeg), 2.0) << "phase of harmonic " << h.k;
      }
    }
    for (unsigned int k = 1; k <= 48; ++k) {
      if (listed[k]) continue;
      double bound = k >= c.quietFrom ? c.quietBound : c.otherBound;
      EXPECT_LT(Measure(t, k).amplitude, bound) << "harmonic " << k;
    }
  }
}

TEST(WaveTables, ShapesOfTheColourWaves) {
  // The weak triangle peaks at a quarter and three quarters of the cycle.
  EXPECT_NEAR(WEAKTRIANGLE_TABLE[N / 4], 1.0f, 1e-6f);
  EXPECT_NEAR(WEAKTRIANGLE_TABLE[3 * N / 4], -1.0f, 1e-6f);
  // The weak saw falls: it starts near 0, jumps up just after the start and
  // falls through the cycle to its trough just before the end.
  EXPECT_NEAR(WEAKSAW_TABLE[0], 0.0f, 0.03f);
  unsigned int top = 0, bottom = 0;
  for (unsigned int i = 0; i < N; ++i) {
    if (WEAKSAW_TABLE[i] > WEAKSAW_TABLE[top]) top = i;
    if (WEAKSAW_TABLE[i] < WEAKSAW_TABLE[bottom]) bottom = i;
  }
  EXPECT_LT(top, N / 5);
  EXPECT_GT(bottom, 4 * N / 5);
  EXPECT_GT(WEAKSAW_TABLE[N / 4], WEAKSAW_TABLE[N / 2]);
  EXPECT_GT(WEAKSAW_TABLE[N / 2], WEAKSAW_TABLE[3 * N / 4]);
  // The fifth resonant wave is not read by any mode but is complete.
  double lo = 0.0;
  for (unsigned int i = 0; i < N; ++i) lo = std::fmin(lo, RESONANT5_TABLE[i]);
  EXPECT_NEAR(lo, -1.0, 1e-6);
  EXPECT_EQ(RESONANT5_TABLE[N], RESONANT5_TABLE[0]);
  EXPECT_GT(Measure(RESONANT5_TABLE, 5).amplitude, Measure(RESONANT5_TABLE, 4).amplitude);
}
