#pragma once
// Stereo phaser of the effects matrix: per channel a chain of eight
// first-order all-pass stages with feedback around it, swept by a sine LFO
// (the right channel's phase offset by Stereo) and summed with the dry
// signal to form the notches. Mouth spreads the stage frequencies apart.
// Instance 0 or 1 selects the parameter block (base id + 2k + instance).

#include "engine/ModulatedParam.h"
#include "fx/IEffectModule.h"

class IGlobalSynth;

class CPhaser : public IEffectModule {
 public:
  static const unsigned int STAGE_COUNT = 8;

  CPhaser(IGlobalSynth* synth, unsigned int instance);
  ~CPhaser() override;
  CPhaser(const CPhaser&) = delete;
  CPhaser& operator=(const CPhaser&) = delete;

  void SetSampleRate(float sr) override;
  void SetBlockSize(unsigned int n) override;
  void UpdateParams(unsigned int n) override;
  void Reset() override;
  void ResetFreePhase() override;
  void OnKeyPress() override;
  void Process(float* left, float* right, unsigned int n) override;

 private:
  static const unsigned int PARAM_COUNT = 7;

  struct CHAIN {
    float feedback;              // the chain's last output
    float state[STAGE_COUNT];    // all-pass memories
  };

  // One sample through a chain whose stages sit around sweep value w.
  static float _RunChain(CHAIN& chain, float x, float w, float mouth);

  IGlobalSynth* m_synth;
  MODULATED_PARAM m_params[PARAM_COUNT];  // freq, mouth, feedback, rate, depth, stereo, mix
  unsigned int m_instance;
  float m_sampleRate = 0.0f;
  float m_phase = 0.0f;  // LFO phase 0..1
  CHAIN m_chain[2] = {};   // left, right
};
