#pragma once
// Stereo chorus of the effects matrix. Each channel passes a low-shelf cut
// at 1 kHz into its own 30 ms line; a sine LFO (up to 5 Hz) sweeps the two
// read positions, the right one offset by up to a quarter cycle; the swept
// copies are added to the untouched input. No feedback.
// Instance 0 or 1 selects the parameter block (base id + 2k + instance).

#include "engine/ModulatedParam.h"
#include "fx/SweptDelay.h"

class IGlobalSynth;

class CChorus : public CSweptDelay {
 public:
  CChorus(IGlobalSynth* synth, unsigned int instance);
  ~CChorus() override;

  void UpdateParams(unsigned int n) override;
  void Process(float* left, float* right, unsigned int n) override;

 private:
  enum { P_DELAY, P_RATE, P_DEPTH, P_HIGHPASS, P_STEREO, P_MIX, P_COUNT };

  MODULATED_PARAM m_params[P_COUNT];
};
