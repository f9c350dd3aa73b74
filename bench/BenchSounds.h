#pragma once
// The sounds the render benchmarks play: the factory preset (one saw per
// voice, no filter, effects off) and a heavy patch that keeps most of a
// voice busy, so that a light sound does not flatter the figures:
//   four oscillators (saw, square, a phase-modulation wave, the user
//   wavetable), each with a filter, a drive and one effect slot at work;
//   both bus filters; unison 4; an LFO on one cutoff and an envelope on
//   another; reverb, delay, chorus and phaser on in the effects matrix;
//   a 64-voice limit.
// Settings go through the command interface, so the same sound can be set
// on a running instrument or written to a preset file
// (bench_presets_report writes bench/heavy.p).

#include "engine/ICommandHandler.h"
#include "engine/ParamIds.h"
#include "engine/Params.h"

namespace BenchSounds {

// Value of parameter 1581 for an oversampling factor: 2 gives 2x, 0 gives
// 4x, 1 gives 8x.
inline float OversamplingSetting(unsigned int factor) { return factor == 8 ? 1.0f : factor == 4 ? 0.0f : 2.0f; }

inline void ApplyHeavySound(ICommandHandler* c) {
  // Oscillators: saw, square, phase-modulation wave 2, user wavetable.
  const unsigned int modes[OSC_COUNT] = {1, 2, 5, 55};
  const float levels[OSC_COUNT] = {0.35f, 0.3f, 0.3f, 0.3f};
  const float detunes[OSC_COUNT] = {0.5f, 0.52f, 0.48f, 0.5f};
  // Filter modes: 24 dB low-pass, analog low-pass, 12 dB low-pass, 12 dB band-pass.
  const unsigned int filters[OSC_COUNT] = {3, 2, 6, 7};
  for (unsigned int k = 0; k < OSC_COUNT; ++k) {
    c->SetIntParam(PARAM_OSC_ON + k, 1);
    c->SetIntParam(PARAM_OSC_MODE + k, modes[k]);
    c->SetFloatParam(PARAM_OSC_LEVEL + k, levels[k]);
    c->SetFloatParam(PARAM_OSC_DETUNE + k, detunes[k]);
    c->SetIntParam(PARAM_OSC_FILTER_MODE + k, filters[k]);
    c->SetFloatParam(PARAM_OSC_CUTOFF + k, 0.55f + 0.05f * static_cast<float>(k));
    c->SetFloatParam(PARAM_OSC_RES + k, 0.3f);
    c->SetIntParam(PARAM_OSC_DRIVE_TYPE + k, 1);
    c->SetFloatParam(PARAM_OSC_DRIVE + k, 0.3f);
    c->SetFloatParam(PARAM_OSC_PAN + k, 0.3f + 0.13f * static_cast<float>(k));
  }
  c->SetIntParam(PARAM_OSC_SEMITONE + 2, 7);
  // One effect slot at work per oscillator (the factory slot types: chip,
  // scissor, sub, brilliance): scissor on 1, sub on 2, brilliance on 3, chip on 4.
  c->SetFloatParam(OscFxParamId(PARAM_OSC_FX_AMOUNT, 1, 0), 0.3f);
  c->SetFloatParam(OscFxParamId(PARAM_OSC_FX_AMOUNT, 2, 1), 0.4f);
  c->SetFloatParam(OscFxParamId(PARAM_OSC_FX_AMOUNT, 3, 2), 0.3f);
  c->SetFloatParam(OscFxParamId(PARAM_OSC_FX_AMOUNT, 0, 3), 0.2f);
  // Both bus filters: 24 dB low-pass and 12 dB high-pass.
  c->SetIntParam(PARAM_BUS_FILTER_MODE + 0, 3);
  c->SetIntParam(PARAM_BUS_FILTER_MODE + 1, 8);
  c->SetFloatParam(PARAM_BUS_CUTOFF + 0, 0.8f);
  c->SetFloatParam(PARAM_BUS_CUTOFF + 1, 0.2f);
  // Unison 4 and a 64-voice limit.
  c->SetIntParam(PARAM_UNISON_COUNT, 4);
  c->SetFloatParam(PARAM_UNISON_DETUNE, 0.2f);
  c->SetFloatParam(PARAM_UNISON_SPREAD, 0.6f);
  c->SetIntParam(PARAM_MAX_VOICES, 64);
  // LFO 1 on oscillator 1's cutoff, envelope 1 on oscillator 2's.
  c->SetIntParam(PARAM_LFO_ON + 0, 1);
  c->SetIntParam(PARAM_ENV_ON + 0, 1);
  c->SetFloatParam(PARAM_ENV_SUSTAIN + 0, 0.3f);
  c->SetFloatParam(PARAM_ENV_DECAY + 0, 0.4f);
  c->SetIntParam(PARAM_MOD_SOURCE + 0, 1);
  c->SetIntParam(PARAM_MOD_TARGET + 0, static_cast<unsigned int>(Params::ParamIdToModTarget(PARAM_OSC_CUTOFF + 0)));
  c->SetFloatParam(PARAM_MOD_DEPTH + 0, 0.75f);
  c->SetIntParam(PARAM_MOD_SOURCE + 1, 5);
  c->SetIntParam(PARAM_MOD_TARGET + 1, static_cast<unsigned int>(Params::ParamIdToModTarget(PARAM_OSC_CUTOFF + 1)));
  c->SetFloatParam(PARAM_MOD_DEPTH + 1, 0.8f);
  // Effects matrix: reverb, delay, chorus and phaser (instance 0 of each) in
  // the first four cells, all on.
  const unsigned int effects[4] = {1, 3, 9, 13};
  for (unsigned int k = 0; k < 4; ++k) {
    c->SetIntParam(PARAM_FXMTX_CELL_FX + k, effects[k]);
    c->SetIntParam(PARAM_FXMTX_CELL_ON + k, 1);
  }
}

}  // namespace BenchSounds
