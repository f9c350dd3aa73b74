#pragma once
// "sciss": a band-limited chopping gate at four times the oscillator's
// frequency; the amount fades the gate in and widens its shut span.

#include "dsp/OscAudioEffect.h"

class CScissor : public COscAudioEffect {
 public:
  explicit CScissor(IGlobalSynth* synth) : COscAudioEffect(OSC_FX_SCISSOR, synth) {}
  void Reset(CVoice* voice) override;
  void Process(CVoice* voice, float* x, unsigned int n) override;
};
