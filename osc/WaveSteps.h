#pragma once
// Small pieces shared by the wave steps of the phase-modulation, resonant,
// sync and formant waves: table shortcuts, the phase wraps, the parabolic
// shaper, the band-limited pulse and the restart window of the sync waves.

#include <cmath>

#include "engine/FastFloor.h"
#include "osc/RenderFrame.h"
#include "tables/Tables.h"
#include "tables/WaveTables.h"

namespace OscWaves {

// A morph value as the waves use it: 0..1, anything else (a stored value
// outside the range or NaN) held at the nearest end, NaN at 0.
inline float Unit(float v) { return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f; }

// x - floor(x) when x > 1 or x < 0, else x (a phase of exactly 1 stays).
inline float Wrap(float x) { return (x > 1.0f || x < 0.0f) ? x - FastFloor(x) : x; }
using OscFrame::Wrap1;

inline float Sine(float x) { return OscFrame::TableRead(Tables::SINE_TABLE, Tables::SINE_TABLE_SIZEM1, x); }
// Any of the 16384-point single-cycle source waves.
inline float Wave(const float* table, float x) { return OscFrame::TableRead(table, Tables::WAVE_TABLE_SIZEM1, x); }

// Gain of the parabolic shaper 4 g v (1 - |v|) for a value already scaled by
// y, so that its peak is +-1: 1 from y = 0.5 on, 1 / (4 y (1 - y)) below.
inline float ParabGain(float y) { return y >= 0.5f ? 1.0f : 1.0f / ((1.0f - y) * y * 4.0f); }
inline float Parab(float v, float gain) { return 4.0f * gain * v * (1.0f - std::fabs(v)); }

// A zero-mean band-limited pulse: -2o from q = 0.5 to q = 1.5 - o, 2 - 2o
// elsewhere (o between 0.5 and 1), each jump corrected over w.
inline float Pulse(const float* blSaw, float q, float o, float w) {
  return OscFrame::BandLimitedSaw(blSaw, q, w) - OscFrame::BandLimitedSaw(blSaw, Wrap1(q + o), w);
}

// Fade to silence around a restart of the slave phase: halfPhase is the
// master phase shifted by half a cycle (0.5 where the master wraps), h is
// 1 / (8 inc), so the band-limited step is read over four samples on either
// side of the wrap; 1 elsewhere.
const float BL_IMP_ENTRIES = 108001.0f;
inline float RestartWindow(const float* blImp, float halfPhase, float h) {
  float e = std::fabs(2.0f * halfPhase - 1.0f) * h;
  if (e >= 0.0f && e < 1.0f) {
    unsigned int index = static_cast<unsigned int>(e * BL_IMP_ENTRIES);
    if (index > OscFrame::BL_SAW_LAST) index = OscFrame::BL_SAW_LAST;
    return blImp[index];
  }
  return 1.0f;
}

// The band-limited waves need the tables the synth builds for the sample
// rate; before it has them (no rate set yet) they render silence.
inline bool SilentWithoutTable(const float* table, float* out, unsigned int n) {
  if (table) return false;
  for (unsigned int i = 0; i < n; ++i) out[i] = 0.0f;
  return true;
}

}  // namespace OscWaves
