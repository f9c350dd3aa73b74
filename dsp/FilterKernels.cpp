#include "dsp/FilterKernels.h"

#include <cmath>

namespace {

// 2 pi^2: the second-order term of cos(2 pi f) = 1 - 2 pi^2 f^2 + ...
const double TWO_PI_SQUARED = 19.73921;

// Splits a delay in samples into a whole part inside the line and the
// fraction; delays longer than the line wrap round it, so every read stays
// inside the line whatever the frequency.
void SplitDelay(float d, unsigned int len, unsigned int& whole, float& frac) {
  if (!(d > 0.0f) || len == 0) {
    whole = 0;
    frac = 0.0f;
    return;
  }
  const float limit = 4.0f * static_cast<float>(len);
  if (d > limit) d = limit;
  const unsigned int t = static_cast<unsigned int>(d);
  frac = d - static_cast<float>(t);
  whole = t % len;
}

// Peaking biquad shared by the notch and the peak: gain G, bandwidth term
// alpha, f in cycles per sample. The cosine term 1 - 2 pi^2 f^2 enters as
// its distance k from 1, so the coefficients near -2 and 1 keep every digit
// of it down to the lowest cutoff at the highest rate.
void PeakingCoefs(BIQUAD_COEFS& q, double G, double alpha, double f) {
  const double k = TWO_PI_SQUARED * f * f;
  const double A1 = alpha / G;
  const double A2 = alpha * G;
  const double n = 1.0 / (1.0 + A1);
  q.a1 = q.b1 = -2.0 * (1.0 - k) * n;
  q.a2 = (1.0 - A1) * n;
  q.b0 = (1.0 + A2) * n;
  q.b2 = (1.0 - A2) * n;
}

}  // namespace

void CEqNotch::SetParams(float f, float r, float c) {
  // 1.5 octaves of bandwidth: ln 2 * 3 / 2.
  static const float fLn = 1.0397208f;
  static const float fWeight = static_cast<float>(std::sinh(static_cast<double>(fLn)));
  const float G = 0.5f - 0.437f * r * r;
  const double alpha = static_cast<double>(8.0f * c + 1.0f) * static_cast<double>(fWeight) * static_cast<double>(f);
  PeakingCoefs(coefs, static_cast<double>(G), alpha, static_cast<double>(f));
}

void CEqPeak::SetParams(float f, float r, float c) {
  // 3.5 octaves of bandwidth: ln 2 * 7 / 2.
  static const float fLn = 2.4260151f;
  static const float fWeight = static_cast<float>(std::sinh(static_cast<double>(fLn)));
  const float G = 1.5f + 5.0f * r * r;
  const double alpha = static_cast<double>(3.0f * c + 1.0f) * static_cast<double>(fWeight) * static_cast<double>(f);
  PeakingCoefs(coefs, static_cast<double>(G), alpha, static_cast<double>(f));
}

void CBellComb::SetParams(float f, float r, float c) {
  static const double SEMITONE = std::pow(2.0, 1.0 / 12.0);
  static const float tun16 = static_cast<float>(1.0 / std::pow(static_cast<double>(static_cast<float>(SEMITONE)), 16.0));
  static const float tun13 = static_cast<float>(1.0 / std::pow(static_cast<double>(static_cast<float>(SEMITONE)), 13.0));
  static const float tun6 = static_cast<float>(std::pow(static_cast<double>(static_cast<float>(SEMITONE)), 6.0));
  static const float tun5 = static_cast<float>(std::pow(static_cast<double>(static_cast<float>(SEMITONE)), 5.0));
  const float period = f > 0.0f ? 1.0f / f : 0.0f;
  SplitDelay(period, m_len, m_delay[0], m_frac[0]);
  SplitDelay((tun13 * c + tun16) * period, m_len, m_delay[1], m_frac[1]);
  SplitDelay((tun6 - tun5 * c) * period, m_len, m_delay[2], m_frac[2]);
  m_feedback = r;
  m_damping = 0.8f * c * c + 0.2f;
}
