#include "tables/WaveStandIns.h"

#include <cmath>
#include <mutex>

#include "tables/WaveSynthesis.h"

namespace WaveStandIns {

float WEAKSAW_TABLE[STAND_IN_TABLE_SIZE + 1];
float WEAKTRIANGLE_TABLE[STAND_IN_TABLE_SIZE + 1];
float RESONANT1_TABLE[STAND_IN_TABLE_SIZE + 1];
float RESONANT2_TABLE[STAND_IN_TABLE_SIZE + 1];
float RESONANT3_TABLE[STAND_IN_TABLE_SIZE + 1];
float RESONANT4_TABLE[STAND_IN_TABLE_SIZE + 1];
float SYN_FLUTE1_TABLE[STAND_IN_TABLE_SIZE + 1];
float SYN_GUITAR2_TABLE[STAND_IN_TABLE_SIZE + 1];

namespace {

using WaveSynthesis::PARTIAL;
const double SINE = 0.0, COSINE = 0.5 * M_PI, MINUS_COSINE = -0.5 * M_PI;

// Sums the partials and scales the result to a peak magnitude of 1.
template <unsigned int N>
void Build(float* table, const PARTIAL (&partials)[N]) {
  WaveSynthesis::SumOfSines(table, STAND_IN_TABLE_SIZE, STAND_IN_TABLE_SIZE, partials, N);
  double peak = WaveSynthesis::PeakMagnitude(table, STAND_IN_TABLE_SIZE);
  for (unsigned int i = 0; i < STAND_IN_TABLE_SIZE; ++i) table[i] = static_cast<float>(table[i] / peak);
  table[STAND_IN_TABLE_SIZE] = table[0];
}

const PARTIAL WEAKSAW[] = {{1, 0.808, SINE},  {2, 0.331, SINE}, {3, 0.140, SINE}, {4, 0.062, SINE},
                           {5, 0.030, SINE},  {6, 0.015, SINE}, {7, 0.009, SINE}, {8, 0.005, SINE}};
const PARTIAL WEAKTRIANGLE[] = {
    {1, 0.822, SINE}, {3, -0.145, SINE}, {5, 0.027, SINE}, {7, -0.005, SINE}, {9, 0.002, SINE}};
const PARTIAL RESONANT1[] = {{8, 0.07, MINUS_COSINE},  {9, 0.149, MINUS_COSINE},  {10, 0.293, MINUS_COSINE},
                             {11, 0.298, MINUS_COSINE}, {12, 0.149, MINUS_COSINE}, {13, 0.07, MINUS_COSINE}};
const PARTIAL RESONANT2[] = {{1, 0.263, COSINE},  {2, 0.068, COSINE},  {3, 0.047, COSINE}, {4, 0.064, COSINE},
                             {5, 0.092, COSINE},  {6, 0.152, COSINE},  {7, 0.263, COSINE}, {8, 0.138, COSINE},
                             {9, 0.069, COSINE},  {10, 0.042, COSINE}, {11, 0.028, COSINE}, {12, 0.015, COSINE}};
const PARTIAL RESONANT3[] = {{1, 0.006, MINUS_COSINE}, {2, 0.070, MINUS_COSINE}, {3, 0.337, MINUS_COSINE},
                             {4, 0.462, MINUS_COSINE}, {5, 0.116, MINUS_COSINE}, {6, 0.033, MINUS_COSINE},
                             {7, 0.011, MINUS_COSINE}};
const PARTIAL RESONANT4[] = {{5, 0.08, MINUS_COSINE},   {6, 0.230, MINUS_COSINE}, {7, 0.366, MINUS_COSINE},
                             {8, 0.206, MINUS_COSINE},  {9, 0.122, MINUS_COSINE}, {10, 0.05, MINUS_COSINE},
                             {15, 0.033, MINUS_COSINE}};
const PARTIAL SYN_FLUTE1[] = {{1, 0.882, SINE}, {3, 0.147, SINE}, {5, 0.010, SINE}, {7, 0.006, SINE}};
const PARTIAL SYN_GUITAR2[] = {{1, 0.392, SINE}, {2, 0.587, COSINE}, {3, 0.083, SINE},
                               {4, 0.100, COSINE}, {5, 0.046, SINE}, {6, 0.008, COSINE}};

void BuildAll() {
  Build(WEAKSAW_TABLE, WEAKSAW);
  Build(WEAKTRIANGLE_TABLE, WEAKTRIANGLE);
  Build(RESONANT1_TABLE, RESONANT1);
  Build(RESONANT2_TABLE, RESONANT2);
  Build(RESONANT3_TABLE, RESONANT3);
  Build(RESONANT4_TABLE, RESONANT4);
  Build(SYN_FLUTE1_TABLE, SYN_FLUTE1);
  Build(SYN_GUITAR2_TABLE, SYN_GUITAR2);
}

const bool STAND_INS_BUILT_AT_LOAD = (InitWaveStandIns(), true);

}  // namespace

void InitWaveStandIns() {
  static std::once_flag once;
  std::call_once(once, BuildAll);
}

}  // namespace WaveStandIns
