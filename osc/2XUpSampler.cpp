#include "osc/2XUpSampler.h"

namespace {
// All-pass coefficients: c0, c2, c4, c6 in branch A, c1, c3, c5 in branch B.
const float _UPSAMPLER_AA_FILTER_COEFF[8] = {0.0976001173f, 0.324210763f, 0.561098695f, 0.741631627f,
                                              0.85908848f,  0.931541979f, 0.979553342f, 0.0f};
}  // namespace

void C2XUpSampler::Process(const float* in, float* out, unsigned int n, float* state) {
  float* s = state ? state : m_state;
  const float c0 = _UPSAMPLER_AA_FILTER_COEFF[0], c1 = _UPSAMPLER_AA_FILTER_COEFF[1];
  const float c2 = _UPSAMPLER_AA_FILTER_COEFF[2], c3 = _UPSAMPLER_AA_FILTER_COEFF[3];
  const float c4 = _UPSAMPLER_AA_FILTER_COEFF[4], c5 = _UPSAMPLER_AA_FILTER_COEFF[5];
  const float c6 = _UPSAMPLER_AA_FILTER_COEFF[6];

  float aIn = s[0], bIn = s[1], a1o = s[2], b1o = s[3];
  float a2i = s[4], b2i = s[5], a2o = s[6], b2o = s[7];
  float a3i = s[8], b3i = s[9], a3o = s[10], b3o = s[11];
  float a4i = s[12], a4o = s[13];

  for (unsigned int j = 0; j < n; ++j) {
    const float x = in[j];
    const float a1 = c0 * (x - a1o) + aIn;
    const float b1 = c1 * (x - b1o) + bIn;
    aIn = x;
    bIn = x;
    a1o = a1;
    b1o = b1;

    const float a2 = c2 * (a1 - a2o) + a2i;
    const float b2 = c3 * (b1 - b2o) + b2i;
    a2i = a1;
    b2i = b1;
    a2o = a2;
    b2o = b2;

    const float a3 = c4 * (a2 - a3o) + a3i;
    const float b3 = c5 * (b2 - b3o) + b3i;
    a3i = a2;
    b3i = b2;
    a3o = a3;
    b3o = b3;

    const float a4 = c6 * (a3 - a4o) + a4i;
    a4i = a3;
    a4o = a4;

    out[2 * j] = a4;
    out[2 * j + 1] = b3;
  }

  s[0] = aIn;
  s[1] = bIn;
  s[2] = a1o;
  s[3] = b1o;
  s[4] = a2i;
  s[5] = b2i;
  s[6] = a2o;
  s[7] = b2o;
  s[8] = a3i;
  s[9] = b3i;
  s[10] = a3o;
  s[11] = b3o;
  s[12] = a4i;
  s[13] = a4o;
}
