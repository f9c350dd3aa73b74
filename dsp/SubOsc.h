#pragma once
// "sub": adds a band-limited square one or more octaves below the
// oscillator (one octave for the first "sub" slot, two for the second...).

#include "dsp/OscAudioEffect.h"

class CSubOsc : public COscAudioEffect {
 public:
  explicit CSubOsc(IGlobalSynth* synth) : COscAudioEffect(OSC_FX_SUB, synth) {}
  void Reset(CVoice* voice) override;
  void Process(CVoice* voice, float* x, unsigned int n) override;
  // Sets the sub ratio from the slot types: 0.5 for the first "sub" slot of
  // the oscillator, 0.25 for the second...
  void UpdateRatio();
  float GetRatio() const { return m_ratio; }

 private:
  // Sub frequency over the oscillator's; depends only on the slot types.
  float m_ratio = 0.5f;
};
