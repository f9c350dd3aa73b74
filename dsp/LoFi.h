#pragma once
// The bus's degrader: a bit-depth reducer with a pitched dither (noise),
// then a sample-and-hold whose rate can follow the note, each new held value
// reached along a band-limited step; the stereo spread detunes the right
// channel's hold rate, quantiser depth and noise threshold. In place on the
// bus's stereo buffer at the oversampled rate; state in the voice's
// BUS_STATE.

#include "dsp/BusStage.h"

class CLoFi : public CBusStage {
 public:
  explicit CLoFi(IGlobalSynth* synth);

  void Reset(CVoice* voice);
  void Process(CVoice* voice, float* left, float* right, unsigned int n);

 private:
  MODULATED_PARAM m_rate;
  MODULATED_PARAM m_keyScale;
  MODULATED_PARAM m_bit;
  MODULATED_PARAM m_noise;
  MODULATED_PARAM m_stereo;
};
