#include "tables/WaveSynthesis.h"

#include <cmath>
#include <vector>

namespace WaveSynthesis {

void SumOfSines(float* out, unsigned int count, unsigned int period, const PARTIAL* partials, unsigned int partialCount) {
  std::vector<double> sine(period);
  for (unsigned int i = 0; i < period; ++i) sine[i] = std::sin(2.0 * M_PI * static_cast<double>(i) / period);
  const unsigned int quarter = period / 4;
  std::vector<double> acc(count, 0.0);
  for (unsigned int k = 0; period > 0 && k < partialCount; ++k) {
    const PARTIAL& p = partials[k];
    double c = p.amplitude * std::cos(p.phase), s = p.amplitude * std::sin(p.phase);
    // Indices wrap by one subtraction (both terms lie below the period)
    // rather than a division per value.
    const uint64_t step = p.harmonic % period;
    uint64_t index = 0;
    for (unsigned int i = 0; i < count; ++i) {
      // sin(h theta + phase) = sin(h theta) cos(phase) + cos(h theta) sin(phase)
      uint64_t cosine = index + quarter;
      if (cosine >= period) cosine -= period;
      acc[i] += c * sine[index] + s * sine[cosine];
      index += step;
      if (index >= period) index -= period;
    }
  }
  for (unsigned int i = 0; i < count; ++i) out[i] = static_cast<float>(acc[i]);
}

namespace {

// Peak magnitude of the sum on a coarse grid (the partials of the wave
// tables lie far below its Nyquist limit).
const unsigned int PEAK_GRID = 2048;

double GridPeak(const std::vector<double>& sine, const PARTIAL* partials, unsigned int partialCount) {
  const unsigned int quarter = PEAK_GRID / 4;
  std::vector<double> c(partialCount), s(partialCount);
  for (unsigned int k = 0; k < partialCount; ++k) {
    c[k] = partials[k].amplitude * std::cos(partials[k].phase);
    s[k] = partials[k].amplitude * std::sin(partials[k].phase);
  }
  double peak = 0.0;
  for (unsigned int i = 0; i < PEAK_GRID; ++i) {
    double v = 0.0;
    for (unsigned int k = 0; k < partialCount; ++k) {
      unsigned int index = static_cast<unsigned int>((static_cast<uint64_t>(partials[k].harmonic) * i) % PEAK_GRID);
      v += c[k] * sine[index] + s[k] * sine[(index + quarter) % PEAK_GRID];
    }
    peak = std::fmax(peak, std::fabs(v));
  }
  return peak;
}

void BlendPhases(PARTIAL* partials, unsigned int partialCount, const std::vector<double>& target, double t) {
  for (unsigned int k = 0; k < partialCount; ++k) partials[k].phase = 0.5 * M_PI + t * (target[k] - 0.5 * M_PI);
}

}  // namespace

void ChoosePhasesForUnitPeak(PARTIAL* partials, unsigned int partialCount, uint64_t seed) {
  std::vector<double> sine(PEAK_GRID);
  for (unsigned int i = 0; i < PEAK_GRID; ++i) sine[i] = std::sin(2.0 * M_PI * i / PEAK_GRID);
  std::vector<double> target(partialCount);
  CNoiseSource random(seed);
  // Cosine phases give the largest peak, the sum of the amplitudes; look for
  // a phase set whose peak lies below 1, then blend between the two.
  bool found = false;
  for (unsigned int attempt = 0; attempt < 500 && !found; ++attempt) {
    for (unsigned int k = 0; k < partialCount; ++k) target[k] = 2.0 * M_PI * random.Uniform();
    BlendPhases(partials, partialCount, target, 1.0);
    found = GridPeak(sine, partials, partialCount) < 1.0;
  }
  if (!found) {
    BlendPhases(partials, partialCount, target, 0.0);
    return;
  }
  double lo = 0.0, hi = 1.0;  // peak above 1 at lo, below at hi
  for (unsigned int step = 0; step < 40; ++step) {
    double mid = 0.5 * (lo + hi);
    BlendPhases(partials, partialCount, target, mid);
    if (GridPeak(sine, partials, partialCount) > 1.0)
      lo = mid;
    else
      hi = mid;
  }
  BlendPhases(partials, partialCount, target, 0.5 * (lo + hi));
}

void BuildUnitPeakCycle(float* table, unsigned int size, PARTIAL* partials, unsigned int partialCount, uint64_t seed) {
  ChoosePhasesForUnitPeak(partials, partialCount, seed);
  SumOfSines(table, size, size, partials, partialCount);
  double peak = PeakMagnitude(table, size);
  if (peak > 0.0)
    for (unsigned int i = 0; i < size; ++i) table[i] = static_cast<float>(table[i] / peak);
  table[size] = table[0];
}

double PeakMagnitude(const float* x, unsigned int n) {
  double peak = 0.0;
  for (unsigned int i = 0; i < n; ++i) {
    double v = std::fabs(static_cast<double>(x[i]));
    if (v > peak) peak = v;
  }
  return peak;
}

double Mean(const float* x, unsigned int n) {
  double sum = 0.0;
  for (unsigned int i = 0; i < n; ++i) sum += x[i];
  return n ? sum / n : 0.0;
}

double Rms(const float* x, unsigned int n) {
  double sum = 0.0;
  for (unsigned int i = 0; i < n; ++i) sum += static_cast<double>(x[i]) * x[i];
  return n ? std::sqrt(sum / n) : 0.0;
}

unsigned int ZeroCrossings(const float* x, unsigned int n) {
  unsigned int count = 0;
  for (unsigned int i = 0; i + 1 < n; ++i)
    if (static_cast<double>(x[i]) * x[i + 1] <= 0.0) ++count;
  return count;
}

void RemoveMeanAndNormalise(float* x, unsigned int n) {
  // x - c |x| with c = sum x / sum |x| (|c| <= 1): zero mean, and no value
  // changes its sign, so sparse signals keep their zero crossings.
  double sum = 0.0, magnitude = 0.0;
  for (unsigned int i = 0; i < n; ++i) {
    sum += x[i];
    magnitude += std::fabs(static_cast<double>(x[i]));
  }
  if (magnitude <= 0.0) return;
  double c = sum / magnitude;
  for (unsigned int i = 0; i < n; ++i) x[i] = static_cast<float>(x[i] - c * std::fabs(static_cast<double>(x[i])));
  double peak = PeakMagnitude(x, n);
  if (peak <= 0.0) return;
  for (unsigned int i = 0; i < n; ++i) x[i] = static_cast<float>(x[i] / peak);
}

namespace {

double Shape(double v, double a) { return v / (a + (1.0 - a) * std::fabs(v)); }

// RMS after shaping, mean removal and peak normalisation, given the raw
// extremes (the shaping is monotonic, so it maps them onto the shaped
// ones). For long tables every fourth value is enough for the sums.
double ShapedRms(const float* x, unsigned int n, double a, double rawMax, double rawMin) {
  const unsigned int stride = n > 50000 ? 4 : 1;
  double sum = 0.0, magnitude = 0.0, positive = 0.0, negative = 0.0;
  double maxPositive = Shape(rawMax, a), maxNegative = -Shape(rawMin, a);
  unsigned int count = 0;
  for (unsigned int i = 0; i < n; i += stride, ++count) {
    double v = x[i];
    double y = Shape(v, a);
    sum += y;
    magnitude += std::fabs(y);
    // Adding a zero leaves either sum as it is: this picks the sum without
    // a branch, which noise would mispredict half the time.
    const double square = y * y;
    positive += y > 0.0 ? square : 0.0;
    negative += y > 0.0 ? 0.0 : square;
  }
  if (count == 0 || magnitude <= 0.0) return 0.0;
  double c = sum / magnitude;
  double peak = std::fmax(maxPositive * (1.0 - c), maxNegative * (1.0 + c));
  double sq = (1.0 - c) * (1.0 - c) * positive + (1.0 + c) * (1.0 + c) * negative;
  return peak > 0.0 ? std::sqrt(sq / count) / peak : 0.0;
}

}  // namespace

void ShapeToRms(float* x, unsigned int n, double rms) {
  RemoveMeanAndNormalise(x, n);
  double rawMax = 0.0, rawMin = 0.0;
  for (unsigned int i = 0; i < n; ++i) {
    if (x[i] > rawMax) rawMax = x[i];
    if (x[i] < rawMin) rawMin = x[i];
  }
  // The shaped RMS falls as a grows: a -> 0 gives the signs alone (RMS 1),
  // a = 1 leaves the values unchanged.
  double lo = -16.0, hi = 16.0;  // log2 of a
  for (unsigned int step = 0; step < 36; ++step) {
    double mid = 0.5 * (lo + hi);
    if (ShapedRms(x, n, std::exp2(mid), rawMax, rawMin) > rms)
      lo = mid;
    else
      hi = mid;
  }
  double a = std::exp2(0.5 * (lo + hi));
  for (unsigned int i = 0; i < n; ++i) {
    x[i] = static_cast<float>(Shape(x[i], a));
  }
  RemoveMeanAndNormalise(x, n);
}

}  // namespace WaveSynthesis
