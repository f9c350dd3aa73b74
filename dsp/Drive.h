#pragma once
// The drive: a memoryless waveshaper with seven curves and one modulatable
// amount, shared by the oscillator drives and the bus drive. The curve's
// coefficients follow the amount once per control step; the per-sample work
// is the curve alone.

#include "engine/ModulatedParam.h"

class IGlobalSynth;

namespace Drive {

enum : int {
  TYPE_HYPERBOLIC = 0,
  TYPE_SOFT_CLIP = 1,
  TYPE_HARD_CLIP = 2,
  TYPE_ASYM1 = 3,
  TYPE_ASYM2 = 4,
  TYPE_ASYM3 = 5,
  TYPE_SINE = 6,
  TYPE_COUNT = 7
};

// Coefficients of one curve at one amount.
struct DRIVE_COEFS {
  float g;  // input gain (hyperbolic, hard clip, asym 1)
  float b;  // bias inside the curve (hyperbolic)
  float N;  // normaliser
  float k;  // curve strength (soft clip: input gain; asym: knee; sine: frequency)
};

// Coefficients of type for the squared amount A.
DRIVE_COEFS Coefficients(int type, float A);
// sin(2 pi p) through the sine table, for any p.
float TableSine(float p);
// One sample through the curve of type (0..6); other types pass it.
float Curve(int type, const DRIVE_COEFS& k, float x);

// Whether a drive amount is zero and unmodulated: no audio-rate source, no
// controller source and a stored value of exactly 0.
bool IsBypassed(IGlobalSynth* synth, unsigned int amountId);
// The curve type setting, truncated; outside 0..6 gives TYPE_COUNT.
int TypeFromSetting(float v);

// Shapes n samples of a (and b when not null) in place with type: the curve
// sees inScale x the sample and its result is multiplied by outScale (1 and
// 1 for the oscillator drives, 2 and 0.5 for the bus). The amount is read at
// sample 0 and every K samples.
void Run(const MODULATED_PARAM& amount, int type, float inScale, float outScale, float* a, float* b,
         unsigned int n, unsigned int K);

}  // namespace Drive

// What the oscillator and bus drives share: the amount bound to
// amountBase + instance and read at the oversampled rate, the curve type
// setting at typeBase + instance, and the bypass test before a run.
class CDriveStage {
 public:
  // Once per block: the amount's buffer and sources for n host-rate samples.
  void UpdateParams(unsigned int n) { m_amount.Update(n); }

 protected:
  CDriveStage(IGlobalSynth* synth, unsigned int amountBase, unsigned int typeBase);

  // Binds the amount to an instance the caller has already clamped.
  void _SetInstance(unsigned int instance);
  // Shapes a (and b when not null) with the chosen curve, unless the amount
  // is zero and unmodulated (see Drive::Run for the scales).
  void _Run(float inScale, float outScale, float* a, float* b, unsigned int n);

  IGlobalSynth* m_synth;

 private:
  unsigned int m_amountBase;
  unsigned int m_typeBase;
  unsigned int m_instance = 0;
  MODULATED_PARAM m_amount;
};
