#pragma once
// The stereo filter of a bus: the filter bank on a left and a right channel
// with a "Stereo" spread that moves the two channels' cutoffs apart, key
// tracking of the note (with transpose, master tune and pitch bend) and
// velocity, and a fixed gain staging around every kernel (input doubled,
// output halved). One object per bus; the voice's state lives in its
// BUS_STATE (the shared mono voice's when the bus runs once on the mix).

#include "dsp/FilterModule.h"

class CBusFilter : public CFilterModule {
 public:
  explicit CBusFilter(IGlobalSynth* synth);

  void SetInstance(unsigned int bus);
  // The oversampled rate; sizes the comb lines.
  void SetSampleRate(float rate);
  void StartVoice(CVoice* voice);
  void Reset(CVoice* voice);
  // Lets the parameter store fill this block's buffers (n host-rate samples).
  void UpdateParams(unsigned int n);
  // Filters both channels in place.
  void Process(CVoice* voice, float* left, float* right, unsigned int n);
};
