#pragma once
// "chip": a pulse gate whose rate follows the oscillator's pitch and the
// signal itself, mixed with the dry signal.

#include "dsp/OscAudioEffect.h"

class CChip : public COscAudioEffect {
 public:
  explicit CChip(IGlobalSynth* synth) : COscAudioEffect(OSC_FX_CHIP, synth) {}
  void Reset(CVoice* voice) override;
  void Process(CVoice* voice, float* x, unsigned int n) override;
};
