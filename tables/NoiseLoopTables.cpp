// Builds the tables of NoiseLoopTables.h (run by the build, see
// TableBuild.h).

#include <cmath>
#include <vector>

#include "tables/NoiseLoopTables.h"
#include "tables/TableBuild.h"
#include "tables/WaveSynthesis.h"

namespace Tables {

namespace {

using WaveSynthesis::CNoiseSource;

// Every filter below runs over its input twice as if it were a ring and keeps
// the second pass, so the loop's last value runs on into its first.

// One-pole filter y = a y' + x over a ring. For Gaussian noise the lag-one
// correlation is a, and a sign change between neighbours has the
// probability acos(a) / pi: a = cos(pi z) gives z crossings per value.
void OnePoleRing(std::vector<double>& x, double a) {
  // The periodic solution: the state that a pass from rest ends with,
  // divided by 1 - a^n, is the state the ring starts with.
  const size_t n = x.size();
  double y = 0.0;
  for (size_t i = 0; i < n; ++i) y = a * y + x[i];
  y /= 1.0 - std::pow(a, static_cast<double>(n));
  for (size_t i = 0; i < n; ++i) {
    y = a * y + x[i];
    x[i] = y;
  }
}

// One-pole high-pass y = h (y' + x - x') over a ring, solved the same way.
void HighPassRing(std::vector<double>& x, double h) {
  const size_t n = x.size();
  double y = 0.0, previous = x[n - 1];
  for (size_t i = 0; i < n; ++i) {
    y = h * (y + x[i] - previous);
    previous = x[i];
  }
  y /= 1.0 - std::pow(h, static_cast<double>(n));
  previous = x[n - 1];
  for (size_t i = 0; i < n; ++i) {
    double in = x[i];
    y = h * (y + in - previous);
    previous = in;
    x[i] = y;
  }
}

void Gaussian(std::vector<double>& x, size_t n, uint64_t seed) {
  CNoiseSource random(seed);
  x.resize(n);
  for (double& v : x) v = random.Gauss();
}

const unsigned int MAX_DRONE_PARTIALS = 4;
const unsigned int MAX_LOOP_SIZE = 164240;  // the longest loop (CRACKLE2)

// Working buffers shared by every table's build. Fresh memory costs a page
// fault per page on first touch, far more than the arithmetic here: the
// builds reuse these buffers (each is sized for the longest loop once)
// instead of taking new vectors for every try.
struct SCRATCH {
  std::vector<double> input[MAX_DRONE_PARTIALS];  // per-table inputs that every try reads
  std::vector<double> swell;
  std::vector<double> candidate, best;  // the try being measured, the closest so far

  SCRATCH() {
    for (std::vector<double>& v : input) v.reserve(MAX_LOOP_SIZE);
    swell.reserve(MAX_LOOP_SIZE);
    candidate.reserve(MAX_LOOP_SIZE);
    best.reserve(MAX_LOOP_SIZE);
  }
};

// One partial of a drone: a two-pole resonator at ratio x the fundamental.
struct DRONE_PARTIAL {
  double ratio;
  double weight;
};

struct DRONE_RECIPE {
  const DRONE_PARTIAL* partials;
  unsigned int partialCount;
  double bandwidth;  // resonator bandwidth, a fraction of its frequency
};

// Narrow-band noise at the partials of f0 (cycles per value), with a slow
// swell: a tonal drone, written to out. noise holds one white input per
// partial, swell the gain curve. The partials' resonators run side by side
// in one pass over the loop (their recursions are independent), and the
// sum adds them in partial order, as separate passes would.
template <unsigned int COUNT>
void DroneOf(double f0, const DRONE_RECIPE& r, const std::vector<double>* noise, const std::vector<double>& swell,
             std::vector<double>& out) {
  const size_t n = swell.size();
  const double* x[COUNT];
  double b1[COUNT], b2[COUNT], gain[COUNT], y1[COUNT], y2[COUNT];
  for (unsigned int k = 0; k < COUNT; ++k) {
    x[k] = noise[k].data();
    double f = f0 * r.partials[k].ratio;
    if (f > 0.45) f = 0.45;
    double radius = 1.0 - M_PI * f * r.bandwidth;
    b1[k] = 2.0 * radius * std::cos(2.0 * M_PI * f);
    b2[k] = -radius * radius;
    gain[k] = r.partials[k].weight * std::sqrt(1.0 - radius);
    y1[k] = y2[k] = 0.0;
  }
  // The resonators ring far shorter than the loop: a first pass settles
  // them into the ring's steady state.
  for (size_t i = 0; i < n; ++i) {
    for (unsigned int k = 0; k < COUNT; ++k) {
      double y = b1[k] * y1[k] + b2[k] * y2[k] + x[k][i];
      y2[k] = y1[k];
      y1[k] = y;
    }
  }
  out.resize(n);
  for (size_t i = 0; i < n; ++i) {
    double sum = 0.0;
    for (unsigned int k = 0; k < COUNT; ++k) {
      double y = b1[k] * y1[k] + b2[k] * y2[k] + x[k][i];
      y2[k] = y1[k];
      y1[k] = y;
      sum += gain[k] * y;
    }
    out[i] = sum * swell[i];
  }
}

void Drone(double f0, const DRONE_RECIPE& r, const std::vector<double>* noise, const std::vector<double>& swell,
           std::vector<double>& out) {
  switch (r.partialCount) {
    case 1: DroneOf<1>(f0, r, noise, swell, out); break;
    case 2: DroneOf<2>(f0, r, noise, swell, out); break;
    case 3: DroneOf<3>(f0, r, noise, swell, out); break;
    default: DroneOf<MAX_DRONE_PARTIALS>(f0, r, noise, swell, out); break;
  }
}

struct CRACKLE_RECIPE {
  double eventsPerValue;  // mean rate of crackles
  double decay;           // crackle decay time in values
};

// The envelope of the crackles, into envelope: randomly timed, randomly loud
// decaying impulses over the ring, plus a faint floor that keeps every
// value signed.
void CrackleEnvelope(std::vector<double>& envelope, size_t n, const CRACKLE_RECIPE& r, uint64_t seed) {
  CNoiseSource random(seed ^ 0xC0FFEEULL);
  std::vector<double>& impulses = envelope;
  impulses.assign(n, 0.0);
  for (size_t i = 0; i < n; ++i)
    if (random.Uniform() < r.eventsPerValue) {
      double u = random.Uniform();
      impulses[i] = u * u * u;  // mostly soft, a few loud
    }
  const double fall = std::exp(-1.0 / r.decay);
  double e = 0.0;
  for (size_t i = 0; i < n; ++i) e = e * fall + impulses[i];
  for (size_t i = 0; i < n; ++i) {
    e = e * fall + impulses[i];
    envelope[i] = e + 1e-4;
  }
}

// Sparse crackles into out: white noise (the same for every try) turned
// into a carrier of z crossings per value, under the crackles' envelope.
void Crackle(const std::vector<double>& white, double z, const std::vector<double>& envelope,
             std::vector<double>& out) {
  out.assign(white.begin(), white.end());
  OnePoleRing(out, std::cos(M_PI * z));
  for (size_t i = 0; i < out.size(); ++i) out[i] *= envelope[i];
}

unsigned int Crossings(const std::vector<double>& x) {
  unsigned int count = 0;
  for (size_t i = 0; i + 1 < x.size(); ++i)
    if (x[i] * x[i + 1] <= 0.0) ++count;
  return count;
}

// Builds a loop by calling make(z, out) with a density parameter that starts
// at start and is corrected a few times towards the target crossing rate
// (damping < 1 for steep responses), keeping the closest; then it
// shapes its level; guard = first value.
template <class MAKE>
void BuildLoop(SCRATCH& scratch, float* table, unsigned int size, double zcPer1000, double rms, double start,
               double damping, MAKE make) {
  const double target = zcPer1000 / 1000.0;
  double param = start, bestError = 1e300;
  std::vector<double>& x = scratch.best;
  x.clear();
  for (int pass = 0; pass < 6; ++pass) {
    std::vector<double>& candidate = scratch.candidate;
    make(param, candidate);
    double measured = static_cast<double>(Crossings(candidate)) / size;
    double error = std::fabs(measured / target - 1.0);
    if (error < bestError) {
      bestError = error;
      x.swap(candidate);
    }
    if (measured <= 0.0 || error < 0.02) break;
    param *= std::pow(target / measured, damping);
  }
  for (unsigned int i = 0; i < size; ++i) table[i] = static_cast<float>(x[i]);
  WaveSynthesis::ShapeToRms(table, size, rms);
  table[size] = table[0];
}

// For the one-pole carriers the parameter is the crossing rate itself,
// kept below 1.
double ClampRate(double z) { return z < 0.999 ? z : 0.999; }

const DRONE_PARTIAL DRONE1_PARTIALS[] = {{1.0, 1.0}, {2.0, 0.6}, {3.0, 0.35}, {4.02, 0.2}};
const DRONE_PARTIAL DRONE2_PARTIALS[] = {{1.0, 1.0}, {1.5, 0.7}, {2.0, 0.5}, {2.51, 0.3}};
const DRONE_PARTIAL DRONE3_PARTIALS[] = {{1.0, 1.0}, {1.498, 0.5}, {2.0, 0.4}, {3.0, 0.2}};
const DRONE_PARTIAL DRONE4_PARTIALS[] = {{1.0, 1.0}, {2.01, 0.5}, {3.0, 0.25}, {5.0, 0.12}};
const DRONE_PARTIAL DRONE5_PARTIALS[] = {{1.0, 1.0}, {2.0, 0.4}, {2.997, 0.2}};

void BuildDrone(SCRATCH& scratch, float* table, unsigned int size, double zc, double rms,
                const DRONE_PARTIAL* partials, unsigned int count, double bandwidth, double swellDepth,
                unsigned int swellCycles, uint64_t seed) {
  if (count > MAX_DRONE_PARTIALS) count = MAX_DRONE_PARTIALS;
  DRONE_RECIPE r = {partials, count, bandwidth};
  const std::vector<double>* noise = scratch.input;
  for (unsigned int k = 0; k < count; ++k) Gaussian(scratch.input[k], size, seed + 17 * k);
  // A slow swell of whole cycles per loop, so the loop closes.
  std::vector<double>& swell = scratch.swell;
  swell.resize(size);
  for (size_t i = 0; i < size; ++i)
    swell[i] = 1.0 + swellDepth * std::sin(2.0 * M_PI * swellCycles * static_cast<double>(i) / size);
  BuildLoop(scratch, table, size, zc, rms, zc / 2000.0, 1.0,
            [&](double f0, std::vector<double>& out) { Drone(f0, r, noise, swell, out); });
}

void BuildCrackle(SCRATCH& scratch, float* table, unsigned int size, double zc, double rms, double events,
                  double decay, uint64_t seed) {
  CRACKLE_RECIPE r = {events, decay};
  // Only the carrier's crossing rate changes between tries: the noise and
  // the envelope are made once.
  std::vector<double>& white = scratch.input[0];
  std::vector<double>& envelope = scratch.input[1];
  Gaussian(white, size, seed);
  CrackleEnvelope(envelope, size, r, seed);
  BuildLoop(scratch, table, size, zc, rms, zc / 1000.0, 1.0,
            [&](double z, std::vector<double>& out) { Crackle(white, ClampRate(z), envelope, out); });
}

void BuildClick(SCRATCH& scratch, float* table) {
  // A bright noise burst with a sharp attack and a long faint tail. The zero
  // values before and after it count as crossings: the burst itself carries
  // the rest of the table's 907 per 1000.
  const unsigned int first = NOISE_CLICK_FIRST, last = NOISE_CLICK_LAST;
  const unsigned int n = last - first + 1;
  const unsigned int silentPairs = first + (NOISE_CLICK_TABLE_SIZE - 1 - last);
  const double burstRate = (0.907 * (NOISE_CLICK_TABLE_SIZE - 1) - silentPairs) / (n - 1);
  std::vector<double>& x = scratch.input[0];
  Gaussian(x, n, 0xC11C4ULL);
  double a = std::cos(M_PI * burstRate);
  double y = 0.0;
  for (unsigned int i = 0; i < n; ++i) {
    y = a * y + x[i];
    double t = static_cast<double>(i);
    x[i] = y * (std::exp(-t / 120.0) + 0.02 * std::exp(-t / 4000.0));
  }
  for (unsigned int i = 0; i <= NOISE_CLICK_TABLE_SIZE; ++i) table[i] = 0.0f;
  float* burst = table + first;
  for (unsigned int i = 0; i < n; ++i) burst[i] = static_cast<float>(x[i]);
  // Level over the whole table 0.008: the burst alone carries all of it.
  WaveSynthesis::ShapeToRms(burst, n, 0.008 * std::sqrt(static_cast<double>(NOISE_CLICK_TABLE_SIZE) / n));
  for (unsigned int i = 0; i < n; ++i)
    if (burst[i] == 0.0f) burst[i] = 1e-9f;  // the burst has no silent value
  table[NOISE_CLICK_TABLE_SIZE] = table[0];
}

void BuildAll(ITableSink& sink) {
  SCRATCH scratch;
  std::vector<float> table(MAX_LOOP_SIZE + 1);  // each loop in turn, then its guard value
  float* t = table.data();
  // Integrated noise (a 1/f^2 spectrum) above a high-pass corner f that
  // sets its crossing rate: about 2 sqrt(f / 2) per value, so f = z^2 / 2.
  // The integration does not depend on f: it is done once.
  std::vector<double>& integrated = scratch.input[0];
  Gaussian(integrated, NOISE_BROWN_TABLE_SIZE, 0xB2035ULL);
  OnePoleRing(integrated, 0.99999);
  BuildLoop(scratch, t, NOISE_BROWN_TABLE_SIZE, 15.0, 0.496, 0.022, 0.5, [&](double z, std::vector<double>& out) {
    out.assign(integrated.begin(), integrated.end());
    HighPassRing(out, 1.0 - M_PI * z * z);
  });
  sink.Put("Tables::NOISE_BROWN_TABLE", t, NOISE_BROWN_TABLE_SIZE + 1);
  BuildDrone(scratch, t, NOISE_DRONE1_TABLE_SIZE, 22.0, 0.399, DRONE1_PARTIALS, 4, 0.01, 0.4, 3, 0xD1);
  sink.Put("Tables::NOISE_DRONE1_TABLE", t, NOISE_DRONE1_TABLE_SIZE + 1);
  BuildDrone(scratch, t, NOISE_DRONE2_TABLE_SIZE, 98.0, 0.303, DRONE2_PARTIALS, 4, 0.02, 0.3, 2, 0xD2);
  sink.Put("Tables::NOISE_DRONE2_TABLE", t, NOISE_DRONE2_TABLE_SIZE + 1);
  BuildDrone(scratch, t, NOISE_DRONE3_TABLE_SIZE, 24.0, 0.409, DRONE3_PARTIALS, 4, 0.01, 0.5, 4, 0xD3);
  sink.Put("Tables::NOISE_DRONE3_TABLE", t, NOISE_DRONE3_TABLE_SIZE + 1);
  BuildDrone(scratch, t, NOISE_DRONE4_TABLE_SIZE, 11.0, 0.446, DRONE4_PARTIALS, 4, 0.015, 0.3, 1, 0xD4);
  sink.Put("Tables::NOISE_DRONE4_TABLE", t, NOISE_DRONE4_TABLE_SIZE + 1);
  BuildDrone(scratch, t, NOISE_DRONE5_TABLE_SIZE, 5.0, 0.414, DRONE5_PARTIALS, 3, 0.02, 0.35, 2, 0xD5);
  sink.Put("Tables::NOISE_DRONE5_TABLE", t, NOISE_DRONE5_TABLE_SIZE + 1);
  BuildCrackle(scratch, t, NOISE_CRACKLE1_TABLE_SIZE, 73.0, 0.028, 0.0008, 40.0, 0xC1);
  sink.Put("Tables::NOISE_CRACKLE1_TABLE", t, NOISE_CRACKLE1_TABLE_SIZE + 1);
  BuildCrackle(scratch, t, NOISE_CRACKLE2_TABLE_SIZE, 724.0, 0.091, 0.004, 12.0, 0xC2);
  sink.Put("Tables::NOISE_CRACKLE2_TABLE", t, NOISE_CRACKLE2_TABLE_SIZE + 1);
  BuildCrackle(scratch, t, NOISE_CRACKLE3_TABLE_SIZE, 532.0, 0.069, 0.002, 20.0, 0xC3);
  sink.Put("Tables::NOISE_CRACKLE3_TABLE", t, NOISE_CRACKLE3_TABLE_SIZE + 1);
  BuildClick(scratch, t);
  sink.Put("Tables::NOISE_CLICK_TABLE", t, NOISE_CLICK_TABLE_SIZE + 1);
}

static_assert(MAX_LOOP_SIZE >= NOISE_BROWN_TABLE_SIZE && MAX_LOOP_SIZE >= NOISE_DRONE1_TABLE_SIZE &&
                  MAX_LOOP_SIZE >= NOISE_DRONE2_TABLE_SIZE && MAX_LOOP_SIZE >= NOISE_DRONE3_TABLE_SIZE &&
                  MAX_LOOP_SIZE >= NOISE_DRONE4_TABLE_SIZE && MAX_LOOP_SIZE >= NOISE_DRONE5_TABLE_SIZE &&
                  MAX_LOOP_SIZE >= NOISE_CRACKLE1_TABLE_SIZE && MAX_LOOP_SIZE >= NOISE_CRACKLE2_TABLE_SIZE &&
                  MAX_LOOP_SIZE >= NOISE_CRACKLE3_TABLE_SIZE && MAX_LOOP_SIZE >= NOISE_CLICK_TABLE_SIZE,
              "the scratch buffers hold the longest loop");

}  // namespace

void BuildNoiseLoopTables(ITableSink& sink) { BuildAll(sink); }

}  // namespace Tables
