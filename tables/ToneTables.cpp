// Builds the tables of ToneTables.h (run by the build, see TableBuild.h).

#include <cmath>
#include <vector>

#include "tables/TableBuild.h"
#include "tables/ToneTables.h"
#include "tables/WaveSynthesis.h"

namespace Tables {

namespace {

using WaveSynthesis::PARTIAL;

double Deg(double degrees) { return degrees * M_PI / 180.0; }

const PARTIAL BELL_PARTIALS[] = {
    {1, 0.79783, 0.0}, {10, 0.11170, Deg(59.09)}, {11, 0.04986, Deg(123.75)}, {25, 0.03638, Deg(233.46)}};
const PARTIAL INHARM1_PARTIALS[] = {{1, 0.91624, 0.0},         {7, 0.05103, Deg(104.05)}, {18, 0.01274, Deg(50.64)},
                                    {19, 0.02987, Deg(75.95)}, {24, 0.00183, Deg(59.11)}, {29, 0.00073, 0.0}};
const PARTIAL INHARM2_PARTIALS[] = {{1, 0.49228, 0.0}, {3, 0.01024, Deg(123.73)}, {13, 0.49228, Deg(33.75)}};
const PARTIAL ORGAN_PARTIALS[] = {{1, 0.44917, 0.0},  {2, 0.28639, 0.0},  {4, 0.14149, 0.0}, {8, 0.21196, 0.0},
                                  {16, 0.12604, 0.0}, {32, 0.14989, 0.0}, {64, 0.16826, 0.0}};
const PARTIAL ORGAN2_PARTIALS[] = {{1, 0.74556, 0.0},         {3, 0.2944, Deg(25.3)},    {6, 0.17505, Deg(-47.8)},
                                   {12, 0.08261, Deg(-165.9)}, {24, 0.04912, Deg(135.0)}, {48, 0.02199, Deg(-90.0)}};

template <unsigned int N>
void Build(ITableSink& sink, const char* name, unsigned int size, unsigned int period, const PARTIAL (&partials)[N]) {
  std::vector<float> table(size + 1);
  WaveSynthesis::SumOfSines(table.data(), size, period, partials, N);
  table[size] = table[0];
  sink.Put(name, table.data(), size + 1);
}

}  // namespace

void BuildToneTables(ITableSink& sink) {
  // The 32769-point cycles span theta = 0 .. 2 pi inclusive.
  Build(sink, "Tables::BELL_TABLE", BELL_TABLE_SIZE, BELL_TABLE_SIZEM1, BELL_PARTIALS);
  Build(sink, "Tables::INHARM1_TABLE", INHARM1_TABLE_SIZE, INHARM1_TABLE_SIZEM1, INHARM1_PARTIALS);
  Build(sink, "Tables::INHARM2_TABLE", INHARM2_TABLE_SIZE, INHARM2_TABLE_SIZEM1, INHARM2_PARTIALS);
  Build(sink, "Tables::ORGAN_TABLE", ORGAN_TABLE_SIZE, ORGAN_TABLE_SIZEM1, ORGAN_PARTIALS);
  // The second registration's sum peaks a hair above 1: scale it to 1.
  std::vector<float> organ2(ORGAN2_TABLE_SIZE + 1);
  WaveSynthesis::SumOfSines(organ2.data(), ORGAN2_TABLE_SIZE, ORGAN2_TABLE_SIZE, ORGAN2_PARTIALS,
                            sizeof(ORGAN2_PARTIALS) / sizeof(ORGAN2_PARTIALS[0]));
  organ2[ORGAN2_TABLE_SIZE] = organ2[0];
  double peak = WaveSynthesis::PeakMagnitude(organ2.data(), ORGAN2_TABLE_SIZE);
  for (unsigned int i = 0; i <= ORGAN2_TABLE_SIZE; ++i) organ2[i] = static_cast<float>(organ2[i] / peak);
  sink.Put("Tables::ORGAN2_TABLE", organ2.data(), ORGAN2_TABLE_SIZE + 1);
}

}  // namespace Tables
