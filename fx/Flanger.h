#pragma once
// Stereo flanger of the effects matrix. Per channel a low-shelf cut at
// 1 kHz feeds a 20 ms line read by a sine LFO (up to 5 Hz) that sweeps from
// the base delay (0.2-5.2 ms) up by as much as 5 ms, never below it; the
// right channel's LFO is offset by up to half a cycle. The read is fed back
// with a bipolar gain (-0.95..0.95) and crossfaded linearly with the input.
// Instance 0 or 1 selects the parameter block (base id + 2k + instance).

#include "engine/ModulatedParam.h"
#include "fx/DelayLine.h"
#include "fx/EffectHelpers.h"
#include "fx/IEffectModule.h"

class IGlobalSynth;

class CFlanger : public IEffectModule {
 public:
  CFlanger(IGlobalSynth* synth, unsigned int instance);
  ~CFlanger() override;
  CFlanger(const CFlanger&) = delete;
  CFlanger& operator=(const CFlanger&) = delete;

  void SetSampleRate(float sr) override;
  void SetBlockSize(unsigned int n) override;
  void UpdateParams(unsigned int n) override;
  void Reset() override;
  void ResetFreePhase() override;
  void OnKeyPress() override;
  void Process(float* left, float* right, unsigned int n) override;

  float GetPhase() const { return m_phase; }

 private:
  enum { P_DELAY, P_FEEDBACK, P_HIGHPASS, P_RATE, P_DEPTH, P_STEREO, P_MIX, P_COUNT };

  IGlobalSynth* m_synth;
  MODULATED_PARAM m_params[P_COUNT];
  CDelayLine m_line[2];
  // The value each line takes at the next sample: a sample enters its line
  // one step after it was formed.
  float m_pending[2] = {0.0f, 0.0f};
  FxHelpers::BIQUAD_COEFFS m_shelf;
  FxHelpers::BIQUAD_STATE m_state[2];
  unsigned int m_instance;
  float m_sampleRate = 0.0f;
  float m_phase = 0.0f;
};
