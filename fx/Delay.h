#pragma once
// Stereo delay of the effects matrix. Each channel has its own line (5 s)
// and time, free or tempo-synced; Shape feeds the lines from the stereo
// input or a mono-summed, chained input; Reverse crossfades each line's
// normal echo with a backwards reading of it; the wet signal passes a
// one-pole lowpass and highpass, is fed back, can be narrowed towards mono
// and is mixed with the input by the dry/wet law.
// Instance 0 or 1 selects the parameter block (base id + 2k + instance) and
// the time-scale settings (765 / 767 + instance).

#include "engine/Buffers.h"
#include "engine/ModulatedParam.h"
#include "fx/IEffectModule.h"
#include "fx/ReverseDelay.h"

class IGlobalSynth;

class CDelay : public IEffectModule {
 public:
  CDelay(IGlobalSynth* synth, unsigned int instance);
  ~CDelay() override;
  CDelay(const CDelay&) = delete;
  CDelay& operator=(const CDelay&) = delete;

  void SetSampleRate(float sr) override;
  void SetBlockSize(unsigned int n) override;
  void UpdateParams(unsigned int n) override;
  void Reset() override;
  void ResetFreePhase() override;
  void OnKeyPress() override;
  void Process(float* left, float* right, unsigned int n) override;

  unsigned int GetLineSize() const { return m_size; }

 private:
  // Records in this order; the parameter k of each is given in the .cpp.
  enum { R_TIME_L, R_TIME_R, R_FEEDBACK, R_SHAPE, R_LOWPASS, R_HIGHPASS, R_REVERSE, R_MONO, R_MIX, R_COUNT };

  IGlobalSynth* m_synth;
  MODULATED_PARAM m_params[R_COUNT];
  CReverseDelay m_reverse[2];
  CMonoBuffer m_line[2];
  float m_feedback[2] = {0.0f, 0.0f};
  float m_lowpass[2] = {0.0f, 0.0f};
  float m_highpass[2] = {0.0f, 0.0f};
  unsigned int m_instance;
  unsigned int m_size = 0;
  float m_sampleRate = 0.0f;
};
