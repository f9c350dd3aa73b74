#pragma once
// Building blocks for the wave, organ and noise tables that are generated in
// code when the program is loaded: sums of sines, phase choice for a given
// peak, and the noise generators, level shaping and measurements of the
// noise loops. Used only while the tables are built.

#include <cstdint>

namespace WaveSynthesis {

// One sine component: amplitude x sin(harmonic x theta + phase), phase in radians.
struct PARTIAL {
  unsigned int harmonic;
  double amplitude;
  double phase;
};

// out[i] = sum of the partials at theta = 2 pi i / period, for i = 0..count-1.
// period must be a multiple of 4.
void SumOfSines(float* out, unsigned int count, unsigned int period, const PARTIAL* partials, unsigned int partialCount);

// Chooses the partials' phases so that their sum peaks at magnitude 1 when
// the amplitudes allow it (their sum at least 1, and some phase set below
// 1): a blend between cosine phases (peak = sum of amplitudes) and a
// low-crest phase set, found by bisection. Deterministic for a given seed.
void ChoosePhasesForUnitPeak(PARTIAL* partials, unsigned int partialCount, uint64_t seed);

// One cycle of size points (size a multiple of 4) from the partials'
// amplitudes, with phases chosen for a peak of 1, scaled to a peak of
// exactly 1, and the guard point table[size] = table[0]. partials' phases
// are overwritten.
void BuildUnitPeakCycle(float* table, unsigned int size, PARTIAL* partials, unsigned int partialCount, uint64_t seed);

// Peak magnitude and mean of n values.
double PeakMagnitude(const float* x, unsigned int n);
double Mean(const float* x, unsigned int n);
double Rms(const float* x, unsigned int n);
// Pairs of neighbouring values whose product is not positive (a zero value
// counts as a crossing).
unsigned int ZeroCrossings(const float* x, unsigned int n);

// Removes the mean without moving a zero crossing (positive and negative
// values are scaled slightly apart), then scales to a peak magnitude of 1.
void RemoveMeanAndNormalise(float* x, unsigned int n);

// Odd, monotonic level shaping that keeps the peak at 1 and every sign (so
// zero crossings stay where they are): y = x / (a + (1 - a)|x|), a chosen
// so that the RMS of the shaped, zero-mean, peak-1 values is rms.
void ShapeToRms(float* x, unsigned int n, double rms);

// A small fixed-seed generator: the same tables in every run and build.
class CNoiseSource {
 public:
  explicit CNoiseSource(uint64_t seed) : m_state(seed ? seed : 0x9E3779B97F4A7C15ULL) {}
  // Uniform in [0, 1).
  double Uniform() {
    m_state ^= m_state >> 12;
    m_state ^= m_state << 25;
    m_state ^= m_state >> 27;
    return static_cast<double>((m_state * 0x2545F4914F6CDD1DULL) >> 11) * (1.0 / 9007199254740992.0);
  }
  // Near-Gaussian, zero mean, unit variance (sum of four uniforms).
  double Gauss() { return (Uniform() + Uniform() + Uniform() + Uniform() - 2.0) * 1.7320508075688772; }

 private:
  uint64_t m_state;
};

}  // namespace WaveSynthesis
