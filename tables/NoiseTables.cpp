// Builds the table of NoiseTables.h (run by the build, see TableBuild.h).

#include <cstdint>
#include <vector>

#include "tables/NoiseTables.h"
#include "tables/TableBuild.h"

namespace Tables {

namespace {

const double NOISE_MIN = -1.0;
const double NOISE_MAX = 0.98939;

// A fixed-seed generator, so the table is the same in every run and build.
double NextUniform(uint64_t& state) {
  state ^= state >> 12;
  state ^= state << 25;
  state ^= state >> 27;
  uint64_t r = state * 0x2545F4914F6CDD1DULL;
  return static_cast<double>(r >> 11) * (1.0 / 9007199254740992.0) - 0.5;
}

// Independent samples (a flat spectrum, half the steps crossing zero) with
// the level of a recorded white-noise loop: the sum of three uniform values
// has a crest factor close to 3, so a peak of 1 gives an RMS near 0.34.
void BuildNoiseWhiteTable(ITableSink& sink) {
  uint64_t state = 0x2545F4914F6CDD1DULL;
  std::vector<double> raw(NOISE_WHITE_TABLE_SIZE);
  std::vector<float> table(NOISE_WHITE_TABLE_SIZE);
  double lo = 10.0, hi = -10.0;
  for (unsigned int i = 0; i < NOISE_WHITE_TABLE_SIZE; ++i) {
    double u = NextUniform(state) + NextUniform(state) + NextUniform(state);
    raw[i] = u;
    if (u < lo) lo = u;
    if (u > hi) hi = u;
  }
  // Stretch so the lowest sample is exactly the table's minimum and the
  // highest its maximum.
  double scale = (NOISE_MAX - NOISE_MIN) / (hi - lo);
  for (unsigned int i = 0; i < NOISE_WHITE_TABLE_SIZE; ++i) {
    double v = NOISE_MIN + (raw[i] - lo) * scale;
    if (v < NOISE_MIN) v = NOISE_MIN;
    if (v > NOISE_MAX) v = NOISE_MAX;
    table[i] = static_cast<float>(v);
  }
  sink.Put("Tables::NOISE_WHITE_TABLE", table.data(), NOISE_WHITE_TABLE_SIZE);
}

}  // namespace

void BuildNoiseTables(ITableSink& sink) { BuildNoiseWhiteTable(sink); }

}  // namespace Tables
