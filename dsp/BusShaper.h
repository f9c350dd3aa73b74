#pragma once
// The bus's second distortion stage: an asymmetric pre-shaper whose strength
// follows drive and colour, an optional treble shelf, and a hyperbolic
// saturator, mixed with the dry signal by a fast fade-in of the drive. In
// place on the bus's stereo buffer at the oversampled rate; the shelf's
// memory lives in the voice's BUS_STATE.

#include "dsp/BusStage.h"

class CBusShaper : public CBusStage {
 public:
  explicit CBusShaper(IGlobalSynth* synth);

  void Reset(CVoice* voice);
  void Process(CVoice* voice, float* left, float* right, unsigned int n);

 private:
  MODULATED_PARAM m_drive;
  MODULATED_PARAM m_color;
  MODULATED_PARAM m_treble;
  // Treble shelf, recomputed at every control step that has treble.
  float m_invA0 = 1.0f;
  float m_a1 = 0.0f;
  float m_a2 = 0.0f;
  float m_b0 = 1.0f;
  float m_b1 = 0.0f;
  float m_b2 = 0.0f;
};
