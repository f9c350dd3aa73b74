// Builds the tables of EffectCurves.h (run by the build, see TableBuild.h).

#include <cmath>
#include <vector>

#include "tables/EffectCurves.h"
#include "tables/TableBuild.h"

namespace Tables {

namespace {

void BuildGrainWindow(ITableSink& sink) {
  std::vector<float> window(GRAINWND_TABLE_SIZE + 4);
  for (unsigned int i = 0; i < GRAINWND_TABLE_SIZE; ++i) {
    const double x = static_cast<double>(i) / static_cast<double>(GRAINWND_TABLE_SIZEM1);
    window[i] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * M_PI * x));
  }
  // Close both ends exactly (cos(2 pi) is not exactly 1 in floating point).
  window[0] = 0.0f;
  window[GRAINWND_TABLE_SIZEM1] = 0.0f;
  for (unsigned int i = 0; i < 4; ++i) window[GRAINWND_TABLE_SIZE + i] = 0.0f;
  sink.Put("Tables::GRAINWND_TABLE", window.data(), GRAINWND_TABLE_SIZE + 4);
}

// Tube 1: the negative side is a cubic soft clip from the zero at ZERO down
// to FLOOR, reached with zero slope at KNEE and held below it; the positive
// side is a tanh scaled to reach 1 at the last entry, its steepness chosen so
// that both sides meet at the zero with the same slope. Entry i stands for
// the input i / 1101 - 1, as the distortion reads it. The zero lies half an
// entry below the centre, so the curve passes just above 0 at input 0: the
// distortion scales its output by the curve's value at a small drive, and a
// zero further off would outweigh the signal there.
const double TUBE_STEP = 2.0 / static_cast<double>(TUBE_TABLE_SIZE);
const double TUBE_ZERO = -0.5 * TUBE_STEP;
const double TUBE_KNEE = -0.5;
const double TUBE_FLOOR = -0.455;
const double TUBE_TOP = static_cast<double>(TUBE_TABLE_SIZEM1) * TUBE_STEP - 1.0;  // input of the last entry

double TubeCurve(double x, double k) {
  if (x >= TUBE_ZERO) return std::tanh(k * (x - TUBE_ZERO)) / std::tanh(k * (TUBE_TOP - TUBE_ZERO));
  double u = (TUBE_ZERO - x) / (TUBE_ZERO - TUBE_KNEE);
  if (u > 1.0) u = 1.0;
  return TUBE_FLOOR * (1.5 * u - 0.5 * u * u * u);
}

void BuildTubeTable(ITableSink& sink) {
  // Slope of the negative side at the zero; solve k / tanh(k (top - zero)) for it.
  const double slope = -TUBE_FLOOR * 1.5 / (TUBE_ZERO - TUBE_KNEE);
  double lo = 1.0e-3, hi = 20.0;
  for (int it = 0; it < 80; ++it) {
    const double k = 0.5 * (lo + hi);
    if (k / std::tanh(k * (TUBE_TOP - TUBE_ZERO)) < slope)
      lo = k;
    else
      hi = k;
  }
  const double k = 0.5 * (lo + hi);
  std::vector<float> tube(TUBE_TABLE_SIZE);
  for (unsigned int i = 0; i < TUBE_TABLE_SIZE; ++i)
    tube[i] = static_cast<float>(TubeCurve(static_cast<double>(i) * TUBE_STEP - 1.0, k));
  tube[TUBE_TABLE_SIZEM1] = 1.0f;
  sink.Put("Tables::TUBE_TABLE", tube.data(), TUBE_TABLE_SIZE);
}

// Tube 2: the sine of a rising cubic phase curve through the points where
// the sine takes the curve's values: -0.983 at -1, 0.228 at 0, the peak
// (a quarter cycle) at +0.55 and 0.698 on the way back at +1.
void BuildTube2Table(ITableSink& sink) {
  const double xs[4] = {-1.0, 0.0, 0.55, 1.0};
  const double ys[4] = {std::asin(-0.983), std::asin(0.228), 0.5 * M_PI, M_PI - std::asin(0.698)};
  // Lagrange form of the cubic through the four points.
  std::vector<float> tube(TUBE2_TABLE_SIZE);
  for (unsigned int i = 0; i < TUBE2_TABLE_SIZE; ++i) {
    const double x = 2.0 * static_cast<double>(i) / static_cast<double>(TUBE2_TABLE_SIZEM1) - 1.0;
    double phase = 0.0;
    for (int a = 0; a < 4; ++a) {
      double term = ys[a];
      for (int b = 0; b < 4; ++b)
        if (b != a) term *= (x - xs[b]) / (xs[a] - xs[b]);
      phase += term;
    }
    tube[i] = static_cast<float>(std::sin(phase));
  }
  sink.Put("Tables::TUBE2_TABLE", tube.data(), TUBE2_TABLE_SIZE);
}

}  // namespace

void BuildEffectCurves(ITableSink& sink) {
  BuildGrainWindow(sink);
  BuildTubeTable(sink);
  BuildTube2Table(sink);
}

}  // namespace Tables
