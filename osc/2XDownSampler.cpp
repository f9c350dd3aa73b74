#include "osc/2XDownSampler.h"

namespace {
// The decimator's own coefficient set, k / 8 for k = 1..7: c0, c2, c4, c6 in
// branch A, c1, c3, c5 in branch B.
const float _DOWNSAMPLER_AA_FILTER_COEFF[7] = {0.125f, 0.25f, 0.375f, 0.5f, 0.625f, 0.75f, 0.875f};
}  // namespace

void C2XDownSampler::Process(float* data, unsigned int n) {
  float* s = m_state;
  const float c0 = _DOWNSAMPLER_AA_FILTER_COEFF[0], c1 = _DOWNSAMPLER_AA_FILTER_COEFF[1];
  const float c2 = _DOWNSAMPLER_AA_FILTER_COEFF[2], c3 = _DOWNSAMPLER_AA_FILTER_COEFF[3];
  const float c4 = _DOWNSAMPLER_AA_FILTER_COEFF[4], c5 = _DOWNSAMPLER_AA_FILTER_COEFF[5];
  const float c6 = _DOWNSAMPLER_AA_FILTER_COEFF[6];

  float aIn = s[0], bIn = s[1], a1o = s[2], b1o = s[3];
  float a2o = s[4], b2o = s[5], a3o = s[6], b3o = s[7], a4o = s[8];

  for (unsigned int j = 0; j < n; ++j) {
    const float a = data[2 * j + 1];
    const float b = data[2 * j];

    const float a1 = c0 * (a - a1o) + aIn;
    const float b1 = c1 * (b - b1o) + bIn;
    const float a2 = c2 * (a1 - a2o) + a1o;
    const float b2 = c3 * (b1 - b2o) + b1o;
    const float a3 = c4 * (a2 - a3o) + a2o;
    const float b3 = c5 * (b2 - b3o) + b2o;
    const float a4 = c6 * (a3 - a4o) + a3o;

    aIn = a;
    bIn = b;
    a1o = a1;
    b1o = b1;
    a2o = a2;
    b2o = b2;
    a3o = a3;
    b3o = b3;
    a4o = a4;

    data[j] = (a4 + b3) * 0.5f;
  }

  s[0] = aIn;
  s[1] = bIn;
  s[2] = a1o;
  s[3] = b1o;
  s[4] = a2o;
  s[5] = b2o;
  s[6] = a3o;
  s[7] = b3o;
  s[8] = a4o;
}
