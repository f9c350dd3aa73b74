#pragma once
// "brill": a high shelf at 10 kHz whose top gain rises from 1 (amount 0) to
// 64 (amount 1). It runs after the oscillator filter and drive, whatever its
// slot.

#include "dsp/OscAudioEffect.h"

class CBrilliance : public COscAudioEffect {
 public:
  explicit CBrilliance(IGlobalSynth* synth) : COscAudioEffect(OSC_FX_BRILLIANCE, synth) {}
  void Reset(CVoice* voice) override;
  void Process(CVoice* voice, float* x, unsigned int n) override;
};
