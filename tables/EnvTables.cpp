#include "tables/EnvTables.h"

#include <cmath>
#include <vector>

#include "tables/Pchip.h"

namespace Tables {

float ENV_DECAY_TABLE[ENV_DECAY_TABLE_SIZE];

namespace {

// The curve passes through these points (position, value); between them it
// is interpolated shape-preservingly on the logarithm of the value, so it
// falls monotonically and smoothly.
const double DECAY_POINTS[][2] = {
    {0.0, 1.0},          {0.05, 0.63987},     {0.1, 0.37604},      {0.2, 0.12786},      {0.3, 0.042240},
    {0.4, 0.013343},     {0.5, 0.0039063},    {0.6, 0.0013603},    {0.7, 0.00044409},   {0.75, 0.00024415},
    {0.8, 0.00012887},   {0.9, 2.8049e-5},    {0.95, 9.2528e-6},   {0.99, 1.3273e-6},   {1.0, 5.8975e-10},
};

bool BuildEnvDecayTable() {
  std::vector<double> x, y;
  for (const auto& p : DECAY_POINTS) {
    x.push_back(p[0]);
    y.push_back(std::log(p[1]));
  }
  CPchip curve(x, y);
  for (unsigned int i = 0; i < ENV_DECAY_TABLE_SIZE; ++i) {
    double pos = static_cast<double>(i) / ENV_DECAY_TABLE_SIZEM1;
    ENV_DECAY_TABLE[i] = static_cast<float>(std::exp(curve(pos)));
  }
  ENV_DECAY_TABLE[0] = 1.0f;
  return true;
}

const bool g_built = BuildEnvDecayTable();

}  // namespace
}  // namespace Tables
