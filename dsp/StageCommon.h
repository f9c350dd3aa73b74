#pragma once
// Helpers shared by the amount-driven stages.
//
// The bypass rule of the amount-driven stages (oscillator effects, drives,
// bus shaper, lo-fi; the effects use it for their LFO rates): a parameter is
// "zero and unmodulated" when it has no audio-rate source, no controller
// source and a stored value of exactly 0. Any assigned source, even at zero
// depth, engages the stage.

#include "engine/IGlobalSynth.h"
#include "engine/IModulation.h"
#include "tables/Tables.h"

inline bool IsZeroAndUnmodulated(IGlobalSynth* synth, unsigned int id) {
  if (synth->GetParam(id) != 0.0f) return false;
  IModulation* mod = synth->GetIModulation();
  if (!mod) return true;
  const MOD_SOURCE_LIST* sources = mod->GetModulation(id);
  if (sources && sources->count != 0) return false;
  const MOD_CONTROLLER_LIST* controllers = mod->GetController(id);
  return !(controllers && controllers->count != 0);
}

// A control value for a 0..1 stage: clamped, NaN as 0.
inline float ClampUnit(float v) { return v > 1.0f ? 1.0f : (v >= 0.0f ? v : 0.0f); }

// The fast fade-in (0 at 0, 1 from 48/4095 on) read with linear
// interpolation at a 0..1 position: the dry/wet factor of the stages.
inline float FastFadeIn(float a) {
  const float* t = Tables::FASTFADEIN_TABLE;
  const unsigned int last = Tables::FASTFADEIN_TABLE_SIZEM1;
  float f = a * static_cast<float>(last);
  unsigned int i = f > 0.0f ? static_cast<unsigned int>(f) : 0u;
  if (i >= last) return t[last];
  return t[i] + (t[i + 1] - t[i]) * (f - static_cast<float>(i));
}
