#pragma once
// The oscillator filter: the filter bank with a cutoff that follows the
// played key (with the oscillator's tuning, the transpose and pitch bend),
// the velocity and an optional glide of the key tracking. COscFilter runs on
// the mono signal of the oscillator's wave path, COscFilterStereo on the two
// channels of the sample player; one object serves every voice of its
// oscillator and keeps the voice's state in its OSC_FX_STATE.

#include "dsp/FilterModule.h"

class COscFilterCore : public CFilterModule {
 public:
  explicit COscFilterCore(IGlobalSynth* synth);

  void SetInstance(unsigned int osc);
  // The rate Process runs at (the oversampled rate); sizes the comb lines.
  void SetSampleRate(float rate);
  // Starts the voice's key-tracking glide.
  void StartVoice(CVoice* voice);
  // Clears the voice's filter state (the glide is left alone).
  void Reset(CVoice* voice);
  // Lets the parameter store fill this block's cutoff, resonance, key,
  // velocity and control buffers (n host-rate samples).
  void UpdateParams(unsigned int n);

 protected:
  // Filters left, and right when not null, in place.
  void _Process(CVoice* voice, float* left, float* right, unsigned int n);
};

class COscFilter : public COscFilterCore {
 public:
  explicit COscFilter(IGlobalSynth* synth) : COscFilterCore(synth) {}
  void Process(CVoice* voice, float* buffer, unsigned int n) { _Process(voice, buffer, nullptr, n); }
};

class COscFilterStereo : public COscFilterCore {
 public:
  explicit COscFilterStereo(IGlobalSynth* synth) : COscFilterCore(synth) {}
  void Process(CVoice* voice, float* left, float* right, unsigned int n) {
    if (left && right) _Process(voice, left, right, n);
  }
};
