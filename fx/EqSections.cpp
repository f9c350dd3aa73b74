#include "fx/EqSections.h"

#include <cmath>

namespace {

const float SQRT2 = 1.4142135f;
// pi x ln 2: turns a bandwidth in octaves into the argument of the sinh.
const float PI_LN2 = 2.177586f;
// Largest sinh argument taken: far beyond any bandwidth below the Nyquist
// frequency, and sinh of it still fits a float.
const float MAX_SINH_ARG = 80.0f;

// The shelf term X = sqrt(2) sin sqrt(W (A^2 + 1) + A). A corner above the
// Nyquist frequency gives a negative sine, whose X could drive a0 through 0;
// such a corner is taken at its mirror image below the Nyquist frequency
// (the only frequency a sampled filter can tell it from), that is with |sin|.
inline float ShelfX(float sn, float A, float W) {
  return SQRT2 * std::fabs(sn) * std::sqrt(W * (A * A + 1.0f) + A);
}

inline void Store(FxHelpers::BIQUAD_COEFFS& c, float b0, float b1, float b2, float a0, float a1, float a2) {
  c.b0 = b0;
  c.b1 = b1;
  c.b2 = b2;
  c.ia0 = 1.0f / a0;
  c.a1 = a1;
  c.a2 = a2;
}

}  // namespace

bool C2xEqSection::IsFinite() const {
  return std::isfinite(m_left.x1) && std::isfinite(m_left.x2) && std::isfinite(m_left.y1) &&
         std::isfinite(m_left.y2) && std::isfinite(m_right.x1) && std::isfinite(m_right.x2) &&
         std::isfinite(m_right.y1) && std::isfinite(m_right.y2);
}

void C2xEqLowShelf::SetParams(float f, float A, float W) {
  const float sn = FxHelpers::Sine(f);
  const float cs = FxHelpers::Cosine(f);
  const float X = ShelfX(sn, A, W);
  const float ap1 = A + 1.0f;
  const float am1 = A - 1.0f;
  Store(m_coeffs, A * (ap1 - am1 * cs + X), 2.0f * A * (am1 - ap1 * cs), A * (ap1 - am1 * cs - X),
        ap1 + am1 * cs + X, -2.0f * (am1 + ap1 * cs), ap1 + am1 * cs - X);
}

void C2xEqPeak::SetParams(float f, float A, float W) {
  const float sn = FxHelpers::Sine(f);
  const float cs = FxHelpers::Cosine(f);
  const float octaves = 0.1f + 3.9f * W;
  // The argument in single precision, the sinh and its product with the
  // sine in double. A sine of 0 (a centre exactly at the Nyquist frequency)
  // or a sine near it would overflow the sinh: the argument is limited.
  float arg = f * octaves * PI_LN2 / sn;
  if (!(arg <= MAX_SINH_ARG)) arg = (arg < 0.0f) ? -MAX_SINH_ARG : MAX_SINH_ARG;
  if (arg < -MAX_SINH_ARG) arg = -MAX_SINH_ARG;
  const float alpha = static_cast<float>(static_cast<double>(sn) * std::sinh(static_cast<double>(arg)));
  Store(m_coeffs, 1.0f + alpha * A, -2.0f * cs, 1.0f - alpha * A, 1.0f + alpha / A, -2.0f * cs, 1.0f - alpha / A);
}

void C2xEqHighShelf::SetParams(float f, float A, float W) {
  const float sn = FxHelpers::Sine(f);
  const float cs = FxHelpers::Cosine(f);
  const float X = ShelfX(sn, A, W);
  const float ap1 = A + 1.0f;
  const float am1 = A - 1.0f;
  Store(m_coeffs, A * (ap1 + am1 * cs + X), -2.0f * A * (am1 + ap1 * cs), A * (ap1 + am1 * cs - X),
        ap1 - am1 * cs + X, 2.0f * (am1 - ap1 * cs), ap1 - am1 * cs - X);
}
