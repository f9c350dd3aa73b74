#pragma once
// Multi-tap echo of the effects matrix: three echo lines side by side, fed
// by the left input, the mono sum and the right input, each giving two taps
// per period. A sine LFO at half the echo rate pans the left and right
// lines against each other; the dry/wet law mixes the result in.
// Instance 0 or 1 selects the parameter block (base id + 2k + instance) and
// the time-scale setting (769 + instance).

#include "engine/Buffers.h"
#include "engine/ModulatedParam.h"
#include "fx/EchoDelay.h"
#include "fx/IEffectModule.h"

class IGlobalSynth;

class CEchoes : public IEffectModule {
 public:
  CEchoes(IGlobalSynth* synth, unsigned int instance);
  ~CEchoes() override;
  CEchoes(const CEchoes&) = delete;
  CEchoes& operator=(const CEchoes&) = delete;

  void SetSampleRate(float sr) override;
  void SetBlockSize(unsigned int n) override;
  void UpdateParams(unsigned int n) override;
  void Reset() override;
  void ResetFreePhase() override;
  void OnKeyPress() override;
  void Process(float* left, float* right, unsigned int n) override;

  float GetPhase() const { return m_phase; }

 private:
  enum { P_TIME, P_FEEDBACK, P_RATIO, P_ALLPASS, P_HIGHPASS, P_STEREO, P_MIX, P_COUNT };

  void _BindLines();

  IGlobalSynth* m_synth;
  MODULATED_PARAM m_params[P_COUNT];
  CEchoDelay m_lines[3];  // left, middle, right
  CMonoBuffer m_buffers[3];
  unsigned int m_instance;
  float m_sampleRate = 0.0f;
  float m_phase = 0.0f;
};
