#pragma once
// Stereo chorus of the effects matrix. Each channel passes a low-shelf cut
// at 1 kHz into its own 30 ms line; a sine LFO (up to 5 Hz) sweeps the two
// read positions, the right one offset by up to a quarter cycle; the swept
// copies are added to the untouched input. No feedback.
// Instance 0 or 1 selects the parameter block (base id + 2k + instance).

#include "engine/ModulatedParam.h"
#include "fx/DelayLine.h"
#include "fx/EffectHelpers.h"
#include "fx/IEffectModule.h"

class IGlobalSynth;

class CChorus : public IEffectModule {
 public:
  CChorus(IGlobalSynth* synth, unsigned int instance);
  ~CChorus() override;
  CChorus(const CChorus&) = delete;
  CChorus& operator=(const CChorus&) = delete;

  void SetSampleRate(float sr) override;
  void SetBlockSize(unsigned int n) override;
  void UpdateParams(unsigned int n) override;
  void Reset() override;
  void ResetFreePhase() override;
  void OnKeyPress() override;
  void Process(float* left, float* right, unsigned int n) override;

  float GetPhase() const { return m_phase; }

 private:
  enum { P_DELAY, P_RATE, P_DEPTH, P_HIGHPASS, P_STEREO, P_MIX, P_COUNT };

  IGlobalSynth* m_synth;
  MODULATED_PARAM m_params[P_COUNT];
  CDelayLine m_line[2];
  FxHelpers::BIQUAD_COEFFS m_shelf;
  FxHelpers::BIQUAD_STATE m_state[2];
  unsigned int m_instance;
  float m_sampleRate = 0.0f;
  float m_phase = 0.0f;
};
