#pragma once
// Waveshaping distortion of the effects matrix: raises the signal to the
// engine's oversampling rate with cascaded 2x up-samplers, lifts bass and
// treble before the shaper, drives one of three transfer curves (classic,
// tube 1, tube 2), brings the signal back down with cascaded 2x
// down-samplers, mixes it linearly with the dry signal and removes DC.
// Instance 0 or 1 selects the parameter block (base id + 2k + instance) and
// the curve setting.

#include "engine/Buffers.h"
#include "engine/DcBlocker.h"
#include "engine/ModulatedParam.h"
#include "fx/EqSections.h"
#include "fx/IEffectModule.h"
#include "osc/2XDownSampler.h"
#include "osc/2XUpSampler.h"

class IGlobalSynth;

class CDistortion : public IEffectModule {
 public:
  // Up to 8x oversampling: three 2x stages.
  static const unsigned int MAX_STAGES = 3;

  CDistortion(IGlobalSynth* synth, unsigned int instance);
  ~CDistortion() override;
  CDistortion(const CDistortion&) = delete;
  CDistortion& operator=(const CDistortion&) = delete;

  void SetSampleRate(float sr) override;
  // Sizes the three work buffers to n x the oversampling factor.
  void SetBlockSize(unsigned int n) override;
  void UpdateParams(unsigned int n) override;
  void Reset() override;
  void ResetFreePhase() override;
  void OnKeyPress() override;
  void Process(float* left, float* right, unsigned int n) override;

 private:
  enum { REC_ASYM, REC_BASS, REC_TREBLE, REC_OUTPUT, REC_DRIVE, REC_MIX, REC_COUNT };

  // n host samples starting at host index `first` of the block.
  void _ProcessChunk(float* left, float* right, unsigned int first, unsigned int n, unsigned int stages);

  IGlobalSynth* m_synth;
  float m_sampleRate = 0.0f;
  unsigned int m_instance;
  // Asym, bass, treble, output and drive read at the oversampled rate; mix
  // at the host rate.
  MODULATED_PARAM m_params[REC_COUNT];
  float m_upState[2][MAX_STAGES][UPSAMPLER_STATE_SIZE];  // left stages 1-3, right stages 1-3
  C2XUpSampler m_upSampler;                                // runs on the states above
  C2XDownSampler m_downSampler[2][MAX_STAGES];             // left stages 1-3, right stages 1-3
  C2xEqHighShelf m_treble;
  C2xEqLowShelf m_bass;
  DC_BLOCKER m_dc[2];
  CMonoBuffer m_work[2];
  CMonoBuffer m_scratch;
  unsigned int m_capacity = 0;  // samples in each work buffer
  // The shelves' gains and frequency their coefficients were last made
  // from (NaN: none yet); unchanged values keep the coefficients.
  float m_lastBassA = 0.0f, m_lastTrebleA = 0.0f, m_lastRate = 0.0f;
};
