#pragma once
// Stereo second-order sections of the equalizer (and the distortion's tone
// shelves): one set of coefficients, separate memories for the two
// channels. SetParams rewrites the coefficients from a normalised frequency
// f (cycles per sample), the amplitude factor A (gain A^2 on the shelf's
// plateau or at the peak's centre) and a bandwidth value W in 0..1.

#include "fx/EffectHelpers.h"

// The boost law of the equalizer: A from a boost value b in 0..1, 0.06 at 0,
// 1 at 0.5 and 6 at 1.
inline float EqBoostToAmplitude(float b) {
  if (b <= 0.5f) return 3.76f * b * b + 0.06f;
  const float d = b - 0.5f;
  return 20.0f * d * d + 1.0f;
}

class C2xEqSection {
 public:
  // Zeroes the memories of both channels; the coefficients stay.
  void Reset() {
    m_left = {};
    m_right = {};
  }
  void Process(float& left, float& right) {
    left = FxHelpers::Biquad(m_coeffs, m_left, left);
    right = FxHelpers::Biquad(m_coeffs, m_right, right);
  }
  // One channel only, for callers that run the channels in separate passes.
  float ProcessLeft(float x) { return FxHelpers::Biquad(m_coeffs, m_left, x); }
  float ProcessRight(float x) { return FxHelpers::Biquad(m_coeffs, m_right, x); }
  const FxHelpers::BIQUAD_COEFFS& GetCoeffs() const { return m_coeffs; }
  // True when every memory is a number (a section fed by something that was
  // not, or driven unstable, is reset by its owner).
  bool IsFinite() const;

 protected:
  FxHelpers::BIQUAD_COEFFS m_coeffs = {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f};
  FxHelpers::BIQUAD_STATE m_left = {};
  FxHelpers::BIQUAD_STATE m_right = {};
};

// Low shelf: gain A^2 below the corner, 1 above it. W = 0 is the steepest
// slope (shelf slope 1), W = 1 a slope of 1/3.
class C2xEqLowShelf : public C2xEqSection {
 public:
  void SetParams(float f, float A, float W);
};

// Peak: gain A^2 at the centre, bandwidth 0.1 + 3.9 W octaves.
class C2xEqPeak : public C2xEqSection {
 public:
  void SetParams(float f, float A, float W);
};

// High shelf: gain 1 below the corner, A^2 above it.
class C2xEqHighShelf : public C2xEqSection {
 public:
  void SetParams(float f, float A, float W);
};
