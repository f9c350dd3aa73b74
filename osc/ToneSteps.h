#pragma once
// Small pieces shared by the wave steps of the harmonic, inharmonic, organ
// and instrument waves.

#include <cmath>

#include "engine/FastFloor.h"
#include "osc/RenderFrame.h"
#include "tables/Tables.h"

namespace ToneSteps {

// A morph value as these waves use it: 0..1, a value outside the range held
// at the nearest end, NaN at 0.
inline float Unit(float v) { return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f; }

// x - floor(x) when x > 1 or x < 0, else x (a phase of exactly 1 stays).
inline float Wrap(float x) { return (x > 1.0f || x < 0.0f) ? x - FastFloor(x) : x; }
// x - floor(x) when x > 1, else x.
using OscFrame::Wrap1;

inline float Sine(float x) { return OscFrame::TableRead(Tables::SINE_TABLE, Tables::SINE_TABLE_SIZEM1, x); }

}  // namespace ToneSteps
