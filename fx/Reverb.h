#pragma once
// Placeholder reverb of the effects matrix: passes the signal through
// unchanged until the real effect lands. Instance 0 or 1 selects the
// parameter block (base id + 2k + instance).

#include "fx/IEffectModule.h"

class IGlobalSynth;

class CReverb : public IEffectModule {
 public:
  CReverb(IGlobalSynth* synth, unsigned int instance);
  ~CReverb() override;
  CReverb(const CReverb&) = delete;
  CReverb& operator=(const CReverb&) = delete;

  void SetSampleRate(float sr) override;
  void SetBlockSize(unsigned int n) override;
  void UpdateParams(unsigned int n) override;
  void Reset() override;
  void ResetFreePhase() override;
  void OnKeyPress() override;
  void Process(float* left, float* right, unsigned int n) override;

 private:
  IGlobalSynth* m_synth;
  unsigned int m_instance;
  float m_sampleRate = 0.0f;
};
