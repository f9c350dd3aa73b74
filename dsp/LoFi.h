#pragma once
// The bus's degrader: a bit-depth reducer with a pitched dither (noise),
// then a sample-and-hold whose rate can follow the note, each new held value
// reached along a band-limited step; the stereo spread detunes the right
// channel's hold rate, quantiser depth and noise threshold. In place on the
// bus's stereo buffer at the oversampled rate; state in the voice's
// BUS_STATE.

#include "engine/ModulatedParam.h"

class IGlobalSynth;
class CVoice;

class CLoFi {
 public:
  explicit CLoFi(IGlobalSynth* synth);
  CLoFi(const CLoFi&) = delete;
  CLoFi& operator=(const CLoFi&) = delete;

  void SetInstance(unsigned int bus);
  // The oversampled rate.
  void SetSampleRate(float rate) { m_sampleRate = rate; }
  void StartVoice(CVoice*) {}
  void Reset(CVoice* voice);
  void UpdateParams(unsigned int n);
  void Process(CVoice* voice, float* left, float* right, unsigned int n);

 private:
  IGlobalSynth* m_synth;
  unsigned int m_bus = 0;
  float m_sampleRate = 0.0f;
  MODULATED_PARAM m_rate;
  MODULATED_PARAM m_keyScale;
  MODULATED_PARAM m_bit;
  MODULATED_PARAM m_noise;
  MODULATED_PARAM m_stereo;
};
