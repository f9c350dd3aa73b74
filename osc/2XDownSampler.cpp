#include "osc/2XDownSampler.h"

#include "engine/Silence.h"

namespace {
// The decimator's own coefficient set, k / 8 for k = 1..7: c0, c2, c4, c6 in
// branch A, c1, c3, c5 in branch B.
const float _DOWNSAMPLER_AA_FILTER_COEFF[7] = {0.125f, 0.25f, 0.375f, 0.5f, 0.625f, 0.75f, 0.875f};

// The filter state in locals (registers) while a block runs.
struct HALF_BAND {
  float aIn, bIn, a1o, b1o, a2o, b2o, a3o, b3o, a4o;

  explicit HALF_BAND(const float* s)
      : aIn(s[0]), bIn(s[1]), a1o(s[2]), b1o(s[3]), a2o(s[4]), b2o(s[5]), a3o(s[6]), b3o(s[7]), a4o(s[8]) {}
  void Store(float* s) const {
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
  // One output sample from the odd input a and the even input b.
  float Step(float a, float b) {
    const float* c = _DOWNSAMPLER_AA_FILTER_COEFF;
    const float a1 = c[0] * (a - a1o) + aIn;
    const float b1 = c[1] * (b - b1o) + bIn;
    const float a2 = c[2] * (a1 - a2o) + a1o;
    const float b2 = c[3] * (b1 - b2o) + b1o;
    const float a3 = c[4] * (a2 - a3o) + a2o;
    const float b3 = c[5] * (b2 - b3o) + b2o;
    const float a4 = c[6] * (a3 - a4o) + a3o;
    aIn = a;
    bIn = b;
    a1o = a1;
    b1o = b1;
    a2o = a2;
    b2o = b2;
    a3o = a3;
    b3o = b3;
    a4o = a4;
    return (a4 + b3) * 0.5f;
  }
};

}  // namespace

bool C2XDownSampler::_SilentAtRest(const float* data, unsigned int n) const {
  return IsPositiveZeroBlock(m_state, DOWNSAMPLER_STATE_SIZE) && IsPositiveZeroBlock(data, 2 * n);
}

void C2XDownSampler::Process(float* data, unsigned int n) {
  // Silence into a filter at rest gives silence and leaves it at rest.
  if (_SilentAtRest(data, n)) return;
  HALF_BAND f(m_state);
  for (unsigned int j = 0; j < n; ++j) data[j] = f.Step(data[2 * j + 1], data[2 * j]);
  f.Store(m_state);
}

void C2XDownSampler::ProcessStereo(C2XDownSampler& left, C2XDownSampler& right, float* l, float* r, unsigned int n) {
  if (left._SilentAtRest(l, n) || right._SilentAtRest(r, n) || l == r) {
    left.Process(l, n);
    right.Process(r, n);
    return;
  }
  // The two channels' recursions are independent: in one loop the
  // processor overlaps them.
  HALF_BAND fl(left.m_state), fr(right.m_state);
  for (unsigned int j = 0; j < n; ++j) {
    const float yl = fl.Step(l[2 * j + 1], l[2 * j]);
    const float yr = fr.Step(r[2 * j + 1], r[2 * j]);
    l[j] = yl;
    r[j] = yr;
  }
  fl.Store(left.m_state);
  fr.Store(right.m_state);
}
