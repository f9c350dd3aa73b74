#pragma once
// Four-band stereo equalizer of the effects matrix: a low shelf, two peaks
// and a high shelf in series, each band's coefficients recomputed every
// sample from that sample's frequency, boost and bandwidth values. No
// dry/wet control: the output is always the filtered signal. Instance 0 or 1
// selects the parameter block (base id + 2k + instance).

#include "engine/ModulatedParam.h"
#include "fx/EqSections.h"
#include "fx/IEffectModule.h"

class IGlobalSynth;

class CEqualizer : public IEffectModule {
 public:
  static const unsigned int BAND_COUNT = 4;

  CEqualizer(IGlobalSynth* synth, unsigned int instance);
  ~CEqualizer() override;
  CEqualizer(const CEqualizer&) = delete;
  CEqualizer& operator=(const CEqualizer&) = delete;

  void SetSampleRate(float sr) override;
  void SetBlockSize(unsigned int n) override;
  void UpdateParams(unsigned int n) override;
  void Reset() override;
  void ResetFreePhase() override;
  void OnKeyPress() override;
  void Process(float* left, float* right, unsigned int n) override;

 private:
  IGlobalSynth* m_synth;
  float m_sampleRate = 0.0f;
  // Frequency of bands 1-4, then boost 1-4, then bandwidth 1-4.
  MODULATED_PARAM m_params[3 * BAND_COUNT];
  C2xEqLowShelf m_band1;
  C2xEqPeak m_band2;
  C2xEqPeak m_band3;
  C2xEqHighShelf m_band4;
  // The raw frequency, boost and bandwidth each band's coefficients were
  // last computed from: an unchanged band keeps its coefficients (NaN: none
  // computed yet).
  float m_last[BAND_COUNT][3];
};
