// Builds the tables of LfoTables.h (run by the build, see TableBuild.h).

#include <cmath>
#include <vector>

#include "tables/LfoTables.h"
#include "tables/Pchip.h"
#include "tables/TableBuild.h"

namespace LfoTables {

namespace {

const int N = 4096;
const double PI = 3.14159265358979323846;

// Ringing of a band-limited step of height 1 centred on entry s, added to
// entries s - 9 .. s + 9 of the ideal (stepped) curve.
const double STEP_RINGING[19] = {0.00018,  -0.00055, -0.00091, 0.00507,  -0.00589, -0.00780, 0.03315,
                                 -0.03924, -0.02403, 0.00026,  0.02421,  0.03907,  -0.03305, 0.00780,
                                 0.00584,  -0.00504, 0.00091,  0.00054,  -0.00018};

// Entries within nine of step s: the ideal value at the centre is the mean of
// both sides, and every entry gets h x ringing.
void BandLimitStep(double* t, int s, double below, double above) {
  double h = above - below;
  t[s] = 0.5 * (below + above);
  for (int j = -9; j <= 9; ++j) t[s + j] += h * STEP_RINGING[j + 9];
}

// The table as floats, its guard entry equal to entry 0, to the sink.
void Store(Tables::ITableSink& sink, const char* name, const double* src, float* dst) {
  for (int k = 0; k < N; ++k) dst[k] = static_cast<float>(src[k]);
  dst[N] = dst[0];
  sink.Put(name, dst, N + 1);
}

double LogCurve(int k) { return 2.0 * std::log(3.0 - 2.0 * k / static_cast<double>(N)) / std::log(3.0) - 1.0; }
double ExpCurve(int k) { return 2.0 * std::exp(-3.0 * k / static_cast<double>(N)) - 1.0; }

// A smooth bipolar pulse: a decaying square (positive half, then negative
// half) smoothed with a circular Gaussian, then re-timed and scaled so that
// its zero crossings, its two peaks and its value at entry 0 land exactly
// where asked. Crossing positions may be fractional; rise < fall < rise + N.
struct PULSE_SHAPE {
  double rise;      // crossing from negative to positive
  double peak;      // entry of the positive peak
  double peakValue;
  double fall;      // crossing from positive to negative
  double trough;    // entry of the negative peak (value -1)
  double entry0;    // value at entry 0 (and N)
  double decay;     // decay rate of each half of the underlying square
  double sigma;     // width of the smoothing in entries
};

void BuildPulse(double* t, const PULSE_SHAPE& p) {
  // Underlying shape on a base grid of N entries: positive half from 0,
  // negative half from N/2, each decaying exponentially.
  std::vector<double> d(N), b(N);
  for (int k = 0; k < N; ++k) {
    if (k < N / 2) d[k] = std::exp(-p.decay * k / N);
    else d[k] = -std::exp(-p.decay * (k - N / 2) / N);
  }
  int r = static_cast<int>(4.0 * p.sigma) + 1;
  std::vector<double> w(2 * r + 1);
  double ws = 0.0;
  for (int j = -r; j <= r; ++j) ws += (w[j + r] = std::exp(-0.5 * (j / p.sigma) * (j / p.sigma)));
  for (int k = 0; k < N; ++k) {
    double s = 0.0;
    for (int j = -r; j <= r; ++j) s += w[j + r] * d[((k + j) % N + N) % N];
    b[k] = s / ws;
  }
  auto base = [&](double u) {  // linear interpolation, periodic
    double f = std::floor(u);
    int k = static_cast<int>(f);
    double fr = u - f;
    double y0 = b[((k % N) + N) % N], y1 = b[(((k + 1) % N) + N) % N];
    return y0 + (y1 - y0) * fr;
  };
  // Base features: rising crossing (near 0), maximum, falling crossing,
  // minimum.
  auto crossing = [&](int from, int to, bool rising) {
    for (int k = from; k < to; ++k) {
      double y0 = base(k), y1 = base(k + 1);
      if (rising ? (y0 < 0.0 && y1 >= 0.0) : (y0 >= 0.0 && y1 < 0.0)) return k + y0 / (y0 - y1);
    }
    return static_cast<double>(from);
  };
  double bRise = crossing(-N / 4, N / 4, true);
  double bFall = crossing(N / 4, 3 * N / 4, false);
  int bPeak = 0, bTrough = 0;
  for (int k = 0; k < N; ++k) {
    if (b[k] > b[bPeak]) bPeak = k;
    if (b[k] < b[bTrough]) bTrough = k;
  }
  double posScale = p.peakValue / b[bPeak];
  double negScale = 1.0 / -b[bTrough];

  // The base point whose scaled value is the one asked for entry 0, searched
  // on the side of the lobe that holds entry 0.
  auto findLevel = [&](double from, double to, double level) {
    double lo = from, hi = to;
    double ylo = base(lo) - level;
    for (int i = 0; i < 60; ++i) {
      double mid = 0.5 * (lo + hi);
      double ym = base(mid) - level;
      if ((ym < 0.0) == (ylo < 0.0)) {
        lo = mid;
        ylo = ym;
      } else {
        hi = mid;
      }
    }
    return 0.5 * (lo + hi);
  };

  // Knots: target position -> base position, over one period starting at the
  // rising crossing.
  std::vector<double> tx, bx;
  auto add = [&](double target, double basePos) {
    tx.push_back(target);
    bx.push_back(basePos);
  };
  double t0 = p.entry0 >= 0.0 ? 0.0 : static_cast<double>(N);  // where entry 0 sits in the period
  add(p.rise, bRise);
  if (p.entry0 >= 0.0) add(t0, findLevel(bRise, bPeak, p.entry0 / posScale));
  add(p.peak, bPeak);
  add(p.fall, bFall);
  add(p.trough, bTrough);
  if (p.entry0 < 0.0) add(t0, findLevel(bTrough, bRise + N, p.entry0 / negScale));
  add(p.rise + N, bRise + N);
  CPchip warp(tx, bx);
  for (int k = 0; k < N; ++k) {
    double target = k;
    if (target < p.rise) target += N;
    double y = base(warp(target));
    t[k] = y * (y >= 0.0 ? posScale : negScale);
  }
  // Entry 0 and the peaks exactly as asked.
  t[0] = p.entry0;
  t[static_cast<int>(p.peak)] = p.peakValue;
  t[static_cast<int>(p.trough)] = -1.0;
}

void BuildAll(Tables::ITableSink& sink) {
  std::vector<double> t(N + 20, 0.0);
  double* a = t.data();
  std::vector<float> out(N + 1), sawTable(N + 1);

  for (int k = 0; k < N; ++k) a[k] = std::sin(2.0 * PI * k / N);
  Store(sink, "LfoTables::SINE_TABLE", a, out.data());

  for (int k = 0; k < N; ++k) {
    double x = static_cast<double>(k) / N;
    a[k] = k <= 1024 ? 4.0 * x : (k <= 3072 ? 2.0 - 4.0 * x : 4.0 * x - 4.0);
  }
  Store(sink, "LfoTables::TRIANGLE_TABLE", a, out.data());

  // Saw: the falling ramp with its jump split into two half steps around a
  // short stretch at 0; the second half mirrors the first.
  std::vector<double> saw(N + 1, 0.0);
  for (int k = 10; k <= N / 2; ++k) saw[k] = 1.0 - 2.0 * k / N;
  BandLimitStep(saw.data(), 10, 0.0, 1.0 - 20.0 / N);
  for (int k = 1; k < N / 2; ++k) saw[N - k] = -saw[k];
  saw[N / 2] = 0.0;
  saw[0] = 0.0;
  Store(sink, "LfoTables::SAW_TABLE", saw.data(), sawTable.data());

  // Square: the saw minus the saw shifted by 2047 entries.
  for (int k = 0; k < N; ++k)
    a[k] = static_cast<double>(sawTable[k]) - static_cast<double>(sawTable[(k + 2047) % N]);
  Store(sink, "LfoTables::SQUARE_TABLE", a, out.data());

  for (int k = 0; k < N; ++k) a[k] = k < 10 ? -1.0 : LogCurve(k);
  BandLimitStep(a, 10, -1.0, LogCurve(10));
  Store(sink, "LfoTables::LOG_TABLE", a, out.data());

  for (int k = 0; k < N; ++k) a[k] = k < 10 ? -1.0 : ExpCurve(k);
  BandLimitStep(a, 10, -1.0, ExpCurve(10));
  Store(sink, "LfoTables::EXP_TABLE", a, out.data());

  PULSE_SHAPE logSquare = {7.5, 204.0, 0.97879, 2095.5, 2420.0, -0.03226, 3.0, 60.0};
  BuildPulse(a, logSquare);
  Store(sink, "LfoTables::LOGSQUARE_TABLE", a, out.data());

  PULSE_SHAPE expSquare = {-0.5, 304.0, 0.97168, 2047.5, 2336.0, 0.00511, 4.0, 60.0};
  BuildPulse(a, expSquare);
  Store(sink, "LfoTables::EXPSQUARE_TABLE", a, out.data());
}

}  // namespace
}  // namespace LfoTables

void Tables::BuildLfoTables(ITableSink& sink) { LfoTables::BuildAll(sink); }
