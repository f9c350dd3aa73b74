#pragma once
// Exciter of one bus mix: a fixed peaking dip of the upper mids (about
// 1.88 kHz, -3.84 dB) followed by a high shelf that lifts the top ("bright",
// +5.17 dB above about 11.5 kHz) or darkens it ("soft", -14.4 dB above
// about 9.6 kHz). Mode from the exciter setting: 0 off, 1 bright, any other
// value soft. Works in place at the host rate.

#include "fx/EffectHelpers.h"

class IGlobalSynth;

class CExciter {
 public:
  explicit CExciter(IGlobalSynth* synth);
  ~CExciter();
  CExciter(const CExciter&) = delete;
  CExciter& operator=(const CExciter&) = delete;

  void Process(float* left, float* right, unsigned int n);
  void Reset();
  void SetSampleRate(float sr);
  // Coefficients of both filters for the stored mode and sample rate.
  void CalcParams();

  unsigned int GetMode() const { return m_mode; }
  // The coefficients in force (for tests that rebuild the filters).
  const FxHelpers::BIQUAD_COEFFS& GetPeak() const { return m_peak; }
  const FxHelpers::BIQUAD_COEFFS& GetShelf() const { return m_shelf; }

 private:
  // Process with one buffer for both channels.
  void _ProcessShared(float* x, unsigned int n);

  IGlobalSynth* m_synth;
  unsigned int m_mode = 1;
  FxHelpers::BIQUAD_COEFFS m_shelf;
  FxHelpers::BIQUAD_COEFFS m_peak;
  FxHelpers::BIQUAD_STATE m_peakState[2];
  FxHelpers::BIQUAD_STATE m_shelfState[2];
  float m_sampleRate = 0.0f;
};
