// Builds the tables of WaveTables.h (run by the build, see TableBuild.h).

#include <cmath>
#include <vector>

#include "tables/TableBuild.h"
#include "tables/WaveTables.h"

namespace Tables {


namespace {

// One partial: harmonic number, amplitude, phase in degrees of
// A sin(k theta + phase).
struct WAVE_PARTIAL {
  unsigned int harmonic;
  double amplitude;
  double phaseDeg;
};

// Which extreme the finished wave is scaled to.
enum WAVE_NORM { NORM_GREATEST_PLUS_ONE, NORM_LEAST_MINUS_ONE, NORM_PEAK_ONE };

// The low partials keep (nearly) sine phase; the small phase offsets of the
// weaker ones tilt the wave so that its trough is deeper than its crest.
const WAVE_PARTIAL WEAKSAW_PARTIALS[] = {
    {1, 0.808, 0.0},   {2, 0.331, -8.53}, {3, 0.140, -0.2},  {4, 0.062, -0.06},
    {5, 0.030, 63.94}, {6, 0.015, 20.67}, {7, 0.009, -52.54}, {8, 0.005, 54.43},
    // A tail falling by a quarter per harmonic from 0.0035.
    {9, 0.003500, 0.0}, {10, 0.002625, 0.0}, {11, 0.001969, 0.0}, {12, 0.001477, 0.0},
    {13, 0.001107, 0.0}, {14, 0.000831, 0.0}, {15, 0.000623, 0.0}, {16, 0.000467, 0.0},
    {17, 0.000350, 0.0}, {18, 0.000263, 0.0}, {19, 0.000197, 0.0}, {20, 0.000148, 0.0},
    {21, 0.000111, 0.0}, {22, 0.000083, 0.0}, {23, 0.000062, 0.0}, {24, 0.000047, 0.0}};

const WAVE_PARTIAL WEAKTRIANGLE_PARTIALS[] = {
    {1, 0.822, 0.0}, {3, 0.145, 180.0}, {5, 0.027, 0.0}, {7, 0.005, 180.0}, {9, 0.002, 0.0}};

const WAVE_PARTIAL RESONANT1_PARTIALS[] = {
    // Lower skirt.
    {1, 0.002, 350.7}, {2, 0.004, 345.3}, {3, 0.008, 327.0}, {4, 0.013, 309.0}, {5, 0.019, 244.2},
    // The resonance.
    {6, 0.028, 273.0}, {7, 0.042, 255.0}, {8, 0.072, 234.0}, {9, 0.149, 198.0}, {10, 0.293, 132.0},
    {11, 0.298, 41.0}, {12, 0.149, 332.0}, {13, 0.068, 294.0}, {14, 0.038, 273.0}, {15, 0.025, 255.0},
    {16, 0.017, 238.0},
    // Upper skirt and the faint third bump.
    {17, 0.012, 221.0}, {18, 0.009, 204.0}, {19, 0.007, 187.0}, {20, 0.005, 170.0}, {21, 0.004, 153.0},
    {22, 0.003, 142.4}, {23, 0.0025, 119.0}, {24, 0.002, 100.8}, {29, 0.002, 17.0}, {30, 0.0027, 0.0},
    {31, 0.003, 343.0}, {32, 0.0027, 326.0}, {33, 0.002, 310.2}};

const WAVE_PARTIAL RESONANT2_PARTIALS[] = {
    {1, 0.263, 63.8},   {2, 0.068, 0.0},    {3, 0.047, 0.0},    {4, 0.064, 51.3},   {5, 0.092, 0.0},
    {6, 0.152, 330.9},  {7, 0.263, 291.4},  {8, 0.138, 350.2},  {9, 0.069, 0.0},    {10, 0.042, 337.5},
    {11, 0.028, 29.7},  {12, 0.019, 304.0}, {13, 0.013, 245.3}, {14, 0.009, 272.4}, {15, 0.006, 313.3},
    {16, 0.004, 339.1}, {17, 0.003, 350.5}, {18, 0.002, 358.7}};

const WAVE_PARTIAL RESONANT3_PARTIALS[] = {
    {1, 0.006, 322.7}, {2, 0.070, 325.7}, {3, 0.337, 313.2}, {4, 0.462, 351.4}, {5, 0.116, 35.8},
    {6, 0.033, 0.0},   {7, 0.011, 3.1},   {8, 0.0035, 18.3},  {9, 0.002, 1.8},   {10, 0.001, 318.7}};

const WAVE_PARTIAL RESONANT4_PARTIALS[] = {
    {1, 0.0015, 305.2}, {2, 0.0015, 308.1}, {3, 0.0018, 284.9},
    // The main resonance.
    {4, 0.015, 102.0}, {5, 0.045, 152.0}, {6, 0.230, 170.0}, {7, 0.366, 196.0}, {8, 0.206, 211.0},
    {9, 0.122, 179.0}, {10, 0.032, 157.0}, {11, 0.0018, 318.1},
    // The weaker one at 15.
    {12, 0.008, 100.0}, {13, 0.014, 68.0}, {14, 0.023, 59.0}, {15, 0.033, 103.0}, {16, 0.017, 120.0},
    {17, 0.011, 138.0}, {18, 0.005, 125.0}, {19, 0.0018, 55.0}, {20, 0.0012, 1.9},
    // The faint third bump.
    {29, 0.002, 348.3}, {30, 0.003, 0.0}, {31, 0.004, 354.0}, {32, 0.0045, 342.3}, {33, 0.004, 345.7},
    {34, 0.003, 285.1}, {35, 0.002, 325.3}, {36, 0.001, 0.0}};

const WAVE_PARTIAL RESONANT5_PARTIALS[] = {
    {2, 0.02, 90.0},  {3, 0.06, 120.0}, {4, 0.18, 150.0}, {5, 0.40, 180.0},
    {6, 0.20, 210.0}, {7, 0.07, 240.0}, {8, 0.03, 270.0}, {9, 0.015, 300.0}};

const WAVE_PARTIAL VOWEL1_PARTIALS[] = {
    {1, 0.297, 313.0}, {2, 0.684, 175.0}, {3, 0.123, 122.0}, {4, 0.030, 164.0},  {5, 0.008, 138.0},
    {6, 0.005, 182.0}, {7, 0.009, 97.0},  {8, 0.006, 57.0},  {9, 0.008, 125.0},  {10, 0.012, 153.0},
    {11, 0.007, 175.0}, {12, 0.006, 172.0}, {13, 0.006, 230.0}, {14, 0.003, 307.0}};

const WAVE_PARTIAL VOWEL2_PARTIALS[] = {
    {1, 0.804, 17.0},  {2, 0.175, 236.0}, {3, 0.036, 98.0},   {4, 0.058, 251.0},  {5, 0.117, 292.0},
    {6, 0.088, 121.0}, {7, 0.032, 316.0}, {8, 0.005, 122.0},  {9, 0.005, 92.0},   {10, 0.007, 188.0},
    {11, 0.007, 337.0}, {12, 0.008, 103.0}, {13, 0.008, 247.0}, {14, 0.006, 50.0}, {15, 0.003, 231.0}};

const WAVE_PARTIAL VOWEL3_PARTIALS[] = {
    {1, 0.141, 259.0}, {2, 0.438, 200.0}, {3, 0.413, 82.0},  {4, 0.093, 287.0},  {5, 0.013, 248.0},
    {6, 0.010, 240.0}, {7, 0.005, 340.0}, {8, 0.005, 151.0}, {9, 0.002, 332.0},  {10, 0.003, 274.0},
    {11, 0.002, 183.0}, {13, 0.002, 304.0}, {14, 0.001, 282.0}, {15, 0.001, 177.0}, {16, 0.001, 174.0}};

const WAVE_PARTIAL SYN_FLUTE1_PARTIALS[] = {
    {1, 0.882, 0.0}, {3, 0.147, 241.9}, {5, 0.010, 111.5}, {7, 0.006, 22.6}};

const WAVE_PARTIAL SYN_GUITAR2_PARTIALS[] = {
    {1, 0.392, 268.0}, {2, 0.587, 65.0}, {3, 0.083, 294.0}, {4, 0.100, 323.0},
    {5, 0.046, 357.0}, {6, 0.008, 37.0}, {7, 0.001, 108.0}};

// One exact sine cycle at the table's resolution: sin(k theta_i) is
// CYCLE[(k i) mod size], cos(k theta_i) is CYCLE[(k i + size / 4) mod size].
void BuildCycle(double* cycle) {
  for (unsigned int i = 0; i < WAVE_TABLE_SIZE; ++i)
    cycle[i] = std::sin(2.0 * M_PI * static_cast<double>(i) / static_cast<double>(WAVE_TABLE_SIZE));
}

template <unsigned int COUNT>
void BuildWave(ITableSink& sink, const char* name, const WAVE_PARTIAL (&partials)[COUNT], WAVE_NORM norm,
               const double* cycle, double* sum) {
  const unsigned int mask = WAVE_TABLE_SIZE - 1;
  for (unsigned int i = 0; i < WAVE_TABLE_SIZE; ++i) sum[i] = 0.0;
  for (const WAVE_PARTIAL& h : partials) {
    double ph = h.phaseDeg * M_PI / 180.0;
    double s = h.amplitude * std::cos(ph), c = h.amplitude * std::sin(ph);
    for (unsigned int i = 0; i < WAVE_TABLE_SIZE; ++i) {
      unsigned int j = (h.harmonic * i) & mask;
      sum[i] += s * cycle[j] + c * cycle[(j + WAVE_TABLE_SIZE / 4) & mask];
    }
  }
  double lo = sum[0], hi = sum[0];
  for (unsigned int i = 1; i < WAVE_TABLE_SIZE; ++i) {
    if (sum[i] < lo) lo = sum[i];
    if (sum[i] > hi) hi = sum[i];
  }
  double extreme = norm == NORM_GREATEST_PLUS_ONE ? hi : (norm == NORM_LEAST_MINUS_ONE ? -lo : std::fmax(hi, -lo));
  double scale = extreme > 0.0 ? 1.0 / extreme : 1.0;
  std::vector<float> table(WAVE_TABLE_SIZE + 1);
  for (unsigned int i = 0; i < WAVE_TABLE_SIZE; ++i) table[i] = static_cast<float>(sum[i] * scale);
  table[WAVE_TABLE_SIZE] = table[0];
  sink.Put(name, table.data(), WAVE_TABLE_SIZE + 1);
}

}  // namespace

void BuildWaveTables(ITableSink& sink) {
  std::vector<double> cycle(WAVE_TABLE_SIZE), sum(WAVE_TABLE_SIZE);
  BuildCycle(cycle.data());
  BuildWave(sink, "Tables::WEAKSAW_TABLE", WEAKSAW_PARTIALS, NORM_LEAST_MINUS_ONE, cycle.data(), sum.data());
  BuildWave(sink, "Tables::WEAKTRIANGLE_TABLE", WEAKTRIANGLE_PARTIALS, NORM_PEAK_ONE, cycle.data(), sum.data());
  BuildWave(sink, "Tables::RESONANT1_TABLE", RESONANT1_PARTIALS, NORM_LEAST_MINUS_ONE, cycle.data(), sum.data());
  BuildWave(sink, "Tables::RESONANT2_TABLE", RESONANT2_PARTIALS, NORM_GREATEST_PLUS_ONE, cycle.data(), sum.data());
  BuildWave(sink, "Tables::RESONANT3_TABLE", RESONANT3_PARTIALS, NORM_LEAST_MINUS_ONE, cycle.data(), sum.data());
  BuildWave(sink, "Tables::RESONANT4_TABLE", RESONANT4_PARTIALS, NORM_LEAST_MINUS_ONE, cycle.data(), sum.data());
  BuildWave(sink, "Tables::RESONANT5_TABLE", RESONANT5_PARTIALS, NORM_LEAST_MINUS_ONE, cycle.data(), sum.data());
  BuildWave(sink, "Tables::VOWEL1_TABLE", VOWEL1_PARTIALS, NORM_GREATEST_PLUS_ONE, cycle.data(), sum.data());
  BuildWave(sink, "Tables::VOWEL2_TABLE", VOWEL2_PARTIALS, NORM_GREATEST_PLUS_ONE, cycle.data(), sum.data());
  BuildWave(sink, "Tables::VOWEL3_TABLE", VOWEL3_PARTIALS, NORM_GREATEST_PLUS_ONE, cycle.data(), sum.data());
  BuildWave(sink, "Tables::SYN_FLUTE1_TABLE", SYN_FLUTE1_PARTIALS, NORM_PEAK_ONE, cycle.data(), sum.data());
  BuildWave(sink, "Tables::SYN_GUITAR2_TABLE", SYN_GUITAR2_PARTIALS, NORM_GREATEST_PLUS_ONE, cycle.data(),
            sum.data());
}

}  // namespace Tables
