#pragma once
// Stereo flanger of the effects matrix. Per channel a low-shelf cut at
// 1 kHz feeds a 20 ms line read by a sine LFO (up to 5 Hz) that sweeps from
// the base delay (0.2-5.2 ms) up by as much as 5 ms, never below it; the
// right channel's LFO is offset by up to half a cycle. The read is fed back
// with a bipolar gain (-0.95..0.95) and crossfaded linearly with the input.
// Instance 0 or 1 selects the parameter block (base id + 2k + instance).

#include "engine/ModulatedParam.h"
#include "fx/SweptDelay.h"

class IGlobalSynth;

class CFlanger : public CSweptDelay {
 public:
  CFlanger(IGlobalSynth* synth, unsigned int instance);
  ~CFlanger() override;

  void UpdateParams(unsigned int n) override;
  void Reset() override;
  void Process(float* left, float* right, unsigned int n) override;

 private:
  enum { P_DELAY, P_FEEDBACK, P_HIGHPASS, P_RATE, P_DEPTH, P_STEREO, P_MIX, P_COUNT };

  MODULATED_PARAM m_params[P_COUNT];
  // The value each line takes at the next sample: a sample enters its line
  // one step after it was formed.
  float m_pending[2] = {0.0f, 0.0f};
};
