// Builds the table of EnvTables.h (run by the build, see TableBuild.h).

#include <cmath>
#include <vector>

#include "tables/EnvTables.h"
#include "tables/Pchip.h"
#include "tables/TableBuild.h"

namespace Tables {

namespace {

// The curve passes through these points (position, value); between them it
// is interpolated shape-preservingly on the logarithm of the value, so it
// falls monotonically and smoothly.
const double DECAY_POINTS[][2] = {
    {0.0, 1.0},          {0.05, 0.63987},     {0.1, 0.37604},      {0.2, 0.12786},      {0.3, 0.042240},
    {0.4, 0.013343},     {0.5, 0.0039063},    {0.6, 0.0013603},    {0.7, 0.00044409},   {0.75, 0.00024415},
    {0.8, 0.00012887},   {0.9, 2.8049e-5},    {0.95, 9.2528e-6},   {0.99, 1.3273e-6},   {1.0, 5.8975e-10},
};

}  // namespace

void BuildEnvTables(ITableSink& sink) {
  std::vector<double> x, y;
  for (const auto& p : DECAY_POINTS) {
    x.push_back(p[0]);
    y.push_back(std::log(p[1]));
  }
  CPchip curve(x, y);
  std::vector<float> table(ENV_DECAY_TABLE_SIZE);
  for (unsigned int i = 0; i < ENV_DECAY_TABLE_SIZE; ++i) {
    double pos = static_cast<double>(i) / ENV_DECAY_TABLE_SIZEM1;
    table[i] = static_cast<float>(std::exp(curve(pos)));
  }
  table[0] = 1.0f;
  sink.Put("Tables::ENV_DECAY_TABLE", table.data(), ENV_DECAY_TABLE_SIZE);
}

}  // namespace Tables
