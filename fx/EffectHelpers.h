#pragma once
// Mechanics shared by the effects of the effects matrix, the trance gate and
// the exciter: parameter records of an effect instance, interpolated table
// reads, the table sine, the dry/wet law, tempo-synced times, the
// zero-and-unmodulated test of an LFO rate and a direct-form-I biquad.
//
// Every helper here is safe on hostile numbers: a NaN or infinite position
// reads the table's first or last entry, never outside it.

#include <cmath>

#include "dsp/StageCommon.h"
#include "engine/IGlobalSynth.h"
#include "engine/IModulation.h"
#include "engine/ModulatedParam.h"
#include "tables/EffectTables.h"
#include "tables/Tables.h"
#include "tables/TimeScale.h"

namespace FxHelpers {

// Binds parameter records to the ids base + 2k + instance for k = 0..count-1
// and reads them at the host rate (index shift 0).
inline void InitEffectParams(MODULATED_PARAM* params, unsigned int count, IGlobalSynth* synth, unsigned int base,
                             unsigned int instance) {
  for (unsigned int k = 0; k < count; ++k) {
    params[k].Init(synth, base + 2 * k + instance);
    params[k].SetUseOversamplingShift(false);
  }
}

// Binds one record to a parameter id, host rate.
inline void InitHostRateParam(MODULATED_PARAM& param, IGlobalSynth* synth, unsigned int id) {
  param.Init(synth, id);
  param.SetUseOversamplingShift(false);
}

// The block update of every record: the store fills n values, the record
// takes the value buffer, source list and shift again.
inline void UpdateEffectParams(MODULATED_PARAM* params, unsigned int count, unsigned int n) {
  for (unsigned int k = 0; k < count; ++k) params[k].Update(n);
}

// A parameter's value at sample i, limited to 0..1 (NaN reads 0). The
// stored words come from hosts and preset files; a value beyond the range
// (a feedback of 1.5, a cut-off of 1e30) would make a feedback path run away
// or a coefficient overflow, so every effect reads through this limit.
inline float ReadParam(const MODULATED_PARAM& param, unsigned int i) {
  float v = param.GetValue(i);
  if (v >= 0.0f) return v <= 1.0f ? v : 1.0f;
  return 0.0f;
}

// Length in samples of a line holding `seconds` at sample rate sr:
// ceil(seconds * sr), at least 1 and at most 2^24 samples, so a rate that
// is not a number or absurdly high cannot ask for an impossible store.
inline unsigned int LineLength(float seconds, float sr) {
  float x = std::ceil(seconds * sr);
  if (!(x >= 1.0f)) return 1;
  if (!(x <= 16777216.0f)) return 16777216u;
  return static_cast<unsigned int>(x);
}

// Linear interpolation in a table of sizem1 + 1 entries at x in 0..1:
// i = trunc(x * sizem1), T[i] + (T[i + 1] - T[i]) * frac. Positions below 0
// (and NaN) read entry 0, positions from 1 up read entry sizem1.
inline float TableLookup(const float* table, unsigned int sizem1, float x) {
  if (!(x > 0.0f)) return table[0];
  float pos = x * static_cast<float>(sizem1);
  if (!(pos < static_cast<float>(sizem1))) return table[sizem1];
  unsigned int i = static_cast<unsigned int>(pos);
  return table[i] + (table[i + 1] - table[i]) * (pos - static_cast<float>(i));
}

// Sine of an LFO phase in 0..1 (one table period over the whole range).
inline float SineOfPhase(float phase) {
  return TableLookup(Tables::SINE_TABLE, Tables::SINE_TABLE_SIZEM1, phase);
}

// sin(2 pi p) for any p, as the filters take it: p reduced by its floor when
// |p| > 1, looked up at |p| and negated for negative p. Not finite: 0.
inline float Sine(float p) {
  if (!std::isfinite(p)) return 0.0f;
  if (std::fabs(p) > 1.0f) p -= std::floor(p);
  float s = SineOfPhase(std::fabs(p));
  return p < 0.0f ? -s : s;
}

// cos(2 pi p): the sine a quarter cycle later.
inline float Cosine(float p) { return Sine(p + 0.25f); }

// Wraps a phase that ran past 1 back into 0..1 by subtracting its floor.
// A phase driven below 0 is wrapped the same way, and a phase that is no
// longer a number restarts at 0.
inline void WrapPhase(float& phase) {
  if (phase > 1.0f || phase < 0.0f) {
    if (std::isfinite(phase))
      phase -= std::floor(phase);
    else
      phase = 0.0f;
  }
  if (!(phase == phase)) phase = 0.0f;  // NaN
}

// The dry/wet gain w of a mix value: wet * w + dry * (1 - w).
inline float DryWetGain(float mix) {
  return TableLookup(Tables::DRYWET_TABLE, Tables::DRYWET_TABLE_SIZEM1, mix);
}

// Seconds of the time-scale setting stored at settingId: note lengths at the
// host tempo for settings 0-30, 0.05 / 1 / 10 s for 31-33. A stored setting
// outside the table (negative, NaN, above 33) reads the last entry.
inline float SyncedSeconds(IGlobalSynth* synth, unsigned int settingId) {
  unsigned int index = TimeScale::ClampIndex(synth->GetParam(settingId));
  return TimeScale::ToSeconds(index, synth->GetHostTempo());
}

// True when the parameter has no audio-rate source, no controller source and
// a stored value of exactly 0 (an LFO rate that keeps its LFO stopped): the
// bypass rule of the amount-driven stages.
using ::IsZeroAndUnmodulated;

// 4-point Hermite (Catmull-Rom) value between y0 (f = 0) and y1 (f = 1),
// with ym1 the sample before y0 and y2 the one after y1.
inline float Hermite(float y0, float y1, float ym1, float y2, float f) {
  float c1 = (y1 - ym1) * 0.5f;
  float c2 = ym1 - 2.5f * y0 + 2.0f * y1 - 0.5f * y2;
  float c3 = (y2 - ym1) * 0.5f + 1.5f * (y0 - y1);
  return ((c3 * f + c2) * f + c1) * f + y0;
}

// Second-order section coefficients, normalised by 1/a0 at the output.
struct BIQUAD_COEFFS {
  float b0, b1, b2, ia0, a1, a2;
};

// Memories of one channel of a direct-form-I section.
struct BIQUAD_STATE {
  float x1, x2, y1, y2;
};

// One direct-form-I step: y = (b0 x + b1 x1 + b2 x2 - a1 y1 - a2 y2) / a0.
inline float Biquad(const BIQUAD_COEFFS& c, BIQUAD_STATE& s, float x) {
  float y = (c.b0 * x + c.b1 * s.x1 + c.b2 * s.x2 - c.a1 * s.y1 - c.a2 * s.y2) * c.ia0;
  s.x2 = s.x1;
  s.x1 = x;
  s.y2 = s.y1;
  s.y1 = y;
  return y;
}

}  // namespace FxHelpers
