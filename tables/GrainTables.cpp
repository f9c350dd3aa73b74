// Builds the table of GrainTables.h (run by the build, see TableBuild.h).

#include <cmath>
#include <vector>

#include "tables/GrainTables.h"
#include "tables/TableBuild.h"

namespace Tables {

namespace {

const double EDGE = 0.2;         // rise and fall, each a fifth of the window
const double END_VALUE = -0.0066;
const double FLAT_VALUE = 0.993;
const double OVERSHOOT = 0.007;  // the bump that lifts the shoulder to 1.0
const double OVERSHOOT_WIDTH = 0.1;

}  // namespace

void BuildGrainTables(ITableSink& sink) {
  std::vector<double> w(GRAINWND2_TABLE_SIZE);
  double peak = 0.0;
  for (unsigned int i = 0; i < GRAINWND2_TABLE_SIZE; ++i) {
    const double x = static_cast<double>(i) / GRAINWND2_TABLE_SIZEM1;
    const double d = x < 0.5 ? x : 1.0 - x;  // distance from the nearer end
    const double rise = d < EDGE ? 0.5 - 0.5 * std::cos(M_PI * d / EDGE) : 1.0;
    double bump = 0.0;
    if (d > EDGE && d < EDGE + OVERSHOOT_WIDTH) {
      const double s = std::sin(M_PI * (d - EDGE) / OVERSHOOT_WIDTH);
      bump = OVERSHOOT * s * s;
    }
    w[i] = END_VALUE + (FLAT_VALUE - END_VALUE) * rise + bump;
    if (w[i] > peak) peak = w[i];
  }
  std::vector<float> window(GRAINWND2_TABLE_SIZE + 1);
  for (unsigned int i = 0; i < GRAINWND2_TABLE_SIZE; ++i) window[i] = static_cast<float>(w[i] / peak);
  window[GRAINWND2_TABLE_SIZE] = window[0];
  sink.Put("Tables::GRAINWND2_TABLE", window.data(), GRAINWND2_TABLE_SIZE + 1);
}

}  // namespace Tables
