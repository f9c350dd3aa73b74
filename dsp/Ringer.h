#pragma once
// "erose": ring modulation by a band-limited saw at four times the
// oscillator's frequency, gated at sixteen times it.

#include "dsp/OscAudioEffect.h"

class CRinger : public COscAudioEffect {
 public:
  explicit CRinger(IGlobalSynth* synth) : COscAudioEffect(OSC_FX_RINGER, synth) {}
  void Reset(CVoice* voice) override;
  void Process(CVoice* voice, float* x, unsigned int n) override;
};
