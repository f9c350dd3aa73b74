#pragma once
// The low-shelf cut at 1 kHz in front of the chorus and flanger lines: gain
// A^2 below the corner (A = 1 - 0.75 * hp, down to 1/16 at hp = 1) and 1 at
// the top; hp = 0 is flat.

#include "fx/EffectHelpers.h"

namespace FxHelpers {

inline void LowShelfCut1k(BIQUAD_COEFFS& c, float hp, float sampleRate) {
  const float A = 1.0f - 0.75f * hp;
  const float w = 1000.0f / sampleRate;
  const float sn = Sine(w);
  const float cs = Sine(w + 0.25f);
  const float beta = (A + 1.0f) * sn;
  c.ia0 = 1.0f / ((A + 1.0f) + (A - 1.0f) * cs + beta);
  c.a1 = -2.0f * ((A - 1.0f) + (A + 1.0f) * cs);
  c.a2 = (A + 1.0f) + (A - 1.0f) * cs - beta;
  c.b0 = A * ((A + 1.0f) - (A - 1.0f) * cs + beta);
  c.b1 = 2.0f * A * ((A - 1.0f) - (A + 1.0f) * cs);
  c.b2 = A * ((A + 1.0f) - (A - 1.0f) * cs - beta);
}

}  // namespace FxHelpers
