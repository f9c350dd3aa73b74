#pragma once
// Tempo-synced tremolo and auto-pan of the effects matrix. Each cycle of the
// synced period opens the gain once with a bump (raised cosine at Edge 0,
// nearly square at Edge 1) over the part of the cycle set by Gate; during
// the bump Stereo pans the channels against each other. Mix is the depth.
// Instance 0 or 1 selects the parameter block (base id + 2k + instance) and
// the sync setting.

#include "engine/ModulatedParam.h"
#include "fx/IEffectModule.h"

class IGlobalSynth;

class CTremolo : public IEffectModule {
 public:
  CTremolo(IGlobalSynth* synth, unsigned int instance);
  ~CTremolo() override;
  CTremolo(const CTremolo&) = delete;
  CTremolo& operator=(const CTremolo&) = delete;

  void SetSampleRate(float sr) override;
  void SetBlockSize(unsigned int n) override;
  void UpdateParams(unsigned int n) override;
  void Reset() override;
  void ResetFreePhase() override;
  void OnKeyPress() override;
  void Process(float* left, float* right, unsigned int n) override;

 private:
  static const unsigned int PARAM_COUNT = 5;

  IGlobalSynth* m_synth;
  MODULATED_PARAM m_params[PARAM_COUNT];  // rate, edge, gate, stereo, mix
  unsigned int m_instance;
  float m_sampleRate = 0.0f;
  float m_cyclePhase = 0.0f;  // 0..1 over one period
  float m_bumpPhase = 0.0f;   // 0..1 over the open part of the period
};
