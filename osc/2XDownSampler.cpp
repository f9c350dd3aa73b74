#include "osc/2XDownSampler.h"

#include "engine/Silence.h"

#include "engine/Simd.h"
#if defined(MORLAVINE_SSE2)
#include <emmintrin.h>
#endif

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

#if defined(MORLAVINE_SSE2)

// Both channels' half-band filters in the four lanes of SSE registers,
// [A left, A right, B left, B right]: section k of branch A and section k of
// branch B are one vector step, o0 holds the previous inputs and ok the
// previous outputs of section k. Branch B has no fourth section; its lanes
// there run with coefficient 0 and are never read. Each lane performs the
// scalar filter's operations in the scalar filter's order, so the results
// are the same bit for bit.
struct HALF_BAND_X2 {
  __m128 o0, o1, o2, o3, o4;

  HALF_BAND_X2(const float* l, const float* r)
      : o0(_mm_setr_ps(l[0], r[0], l[1], r[1])),
        o1(_mm_setr_ps(l[2], r[2], l[3], r[3])),
        o2(_mm_setr_ps(l[4], r[4], l[5], r[5])),
        o3(_mm_setr_ps(l[6], r[6], l[7], r[7])),
        o4(_mm_setr_ps(l[8], r[8], 0.0f, 0.0f)) {}

  void Store(float* l, float* r) const {
    alignas(16) float v[5][4];
    _mm_store_ps(v[0], o0);
    _mm_store_ps(v[1], o1);
    _mm_store_ps(v[2], o2);
    _mm_store_ps(v[3], o3);
    _mm_store_ps(v[4], o4);
    for (unsigned int k = 0; k < 4; ++k) {
      l[2 * k] = v[k][0];
      r[2 * k] = v[k][1];
      l[2 * k + 1] = v[k][2];
      r[2 * k + 1] = v[k][3];
    }
    l[8] = v[4][0];
    r[8] = v[4][1];
  }

  // x = [a left, a right, b left, b right] (odd and even inputs); returns
  // the outputs in lanes 0 (left) and 1 (right).
  __m128 Step(__m128 x) {
    const __m128 c1 = _mm_setr_ps(0.125f, 0.125f, 0.25f, 0.25f);
    const __m128 c2 = _mm_setr_ps(0.375f, 0.375f, 0.5f, 0.5f);
    const __m128 c3 = _mm_setr_ps(0.625f, 0.625f, 0.75f, 0.75f);
    const __m128 c4 = _mm_setr_ps(0.875f, 0.875f, 0.0f, 0.0f);
    const __m128 y1 = _mm_add_ps(_mm_mul_ps(c1, _mm_sub_ps(x, o1)), o0);
    const __m128 y2 = _mm_add_ps(_mm_mul_ps(c2, _mm_sub_ps(y1, o2)), o1);
    const __m128 y3 = _mm_add_ps(_mm_mul_ps(c3, _mm_sub_ps(y2, o3)), o2);
    const __m128 y4 = _mm_add_ps(_mm_mul_ps(c4, _mm_sub_ps(y3, o4)), o3);
    o0 = x;
    o1 = y1;
    o2 = y2;
    o3 = y3;
    o4 = y4;
    // (a4 + b3) * 0.5: b3 sits in lanes 2 and 3 of y3.
    return _mm_mul_ps(_mm_add_ps(y4, _mm_movehl_ps(y3, y3)), _mm_set1_ps(0.5f));
  }
};

// The DC blockers of both channels in lanes 0 and 1: y = R * y1 + (x - x1).
struct DC_X2 {
  __m128 r, x1, y1;
  DC_X2(const DC_BLOCKER& l, const DC_BLOCKER& rr)
      : r(_mm_setr_ps(l.r, rr.r, 0.0f, 0.0f)),
        x1(_mm_setr_ps(l.x1, rr.x1, 0.0f, 0.0f)),
        y1(_mm_setr_ps(l.y1, rr.y1, 0.0f, 0.0f)) {}
  __m128 Step(__m128 x) {
    y1 = _mm_add_ps(_mm_mul_ps(r, y1), _mm_sub_ps(x, x1));
    x1 = x;
    return y1;
  }
  void Store(DC_BLOCKER& l, DC_BLOCKER& rr) const {
    alignas(16) float vx[4], vy[4];
    _mm_store_ps(vx, x1);
    _mm_store_ps(vy, y1);
    l.x1 = vx[0];
    rr.x1 = vx[1];
    l.y1 = vy[0];
    rr.y1 = vy[1];
  }
};

template <bool kDc>
void StereoKernel(float* sl, float* sr, float* l, float* r, unsigned int n, DC_BLOCKER* dcL, DC_BLOCKER* dcR) {
  HALF_BAND_X2 f(sl, sr);
  DC_X2 dc = kDc ? DC_X2(*dcL, *dcR) : DC_X2(DC_BLOCKER{0.0f, 0.0f, 0.0f}, DC_BLOCKER{0.0f, 0.0f, 0.0f});
  unsigned int j = 0;
  // Two outputs per channel a step: four inputs of each channel are read
  // before the two outputs are written at j, j + 1 (< 2j + 4).
  for (; j + 2 <= n; j += 2) {
    const __m128 vl = _mm_loadu_ps(l + 2 * j);
    const __m128 vr = _mm_loadu_ps(r + 2 * j);
    const __m128 lo = _mm_unpacklo_ps(vl, vr);  // l0 r0 l1 r1
    const __m128 hi = _mm_unpackhi_ps(vl, vr);  // l2 r2 l3 r3
    __m128 y0 = f.Step(_mm_shuffle_ps(lo, lo, _MM_SHUFFLE(1, 0, 3, 2)));
    __m128 y1 = f.Step(_mm_shuffle_ps(hi, hi, _MM_SHUFFLE(1, 0, 3, 2)));
    if (kDc) {
      y0 = dc.Step(y0);
      y1 = dc.Step(y1);
    }
    const __m128 m = _mm_movelh_ps(y0, y1);                          // l_j r_j l_j+1 r_j+1
    const __m128 s = _mm_shuffle_ps(m, m, _MM_SHUFFLE(3, 1, 2, 0));  // l_j l_j+1 r_j r_j+1
    _mm_storel_pi(reinterpret_cast<__m64*>(l + j), s);
    _mm_storeh_pi(reinterpret_cast<__m64*>(r + j), s);
  }
  if (j < n) {
    __m128 y = f.Step(_mm_setr_ps(l[2 * j + 1], r[2 * j + 1], l[2 * j], r[2 * j]));
    if (kDc) y = dc.Step(y);
    alignas(16) float v[4];
    _mm_store_ps(v, y);
    l[j] = v[0];
    r[j] = v[1];
  }
  f.Store(sl, sr);
  if (kDc) dc.Store(*dcL, *dcR);
}

#endif

}  // namespace

bool C2XDownSampler::IsAtRest() const { return IsPositiveZeroBlock(m_state, DOWNSAMPLER_STATE_SIZE); }

bool C2XDownSampler::_SilentAtRest(const float* data, unsigned int n) const {
  return IsAtRest() && IsPositiveZeroBlock(data, 2 * n);
}

void C2XDownSampler::Process(float* data, unsigned int n) {
  // Silence into a filter at rest gives silence and leaves it at rest.
  if (_SilentAtRest(data, n)) return;
  HALF_BAND f(m_state);
  for (unsigned int j = 0; j < n; ++j) data[j] = f.Step(data[2 * j + 1], data[2 * j]);
  f.Store(m_state);
}

void C2XDownSampler::ProcessStereo(C2XDownSampler& left, C2XDownSampler& right, float* l, float* r, unsigned int n) {
  if (l == r) {
    left.Process(l, n);
    right.Process(r, n);
    return;
  }
  // Both at rest with silence: nothing changes. One of them alone at rest
  // with silence may run along: its filter gives +0.0 and stays at rest,
  // which is what skipping it leaves.
  if (left._SilentAtRest(l, n) && right._SilentAtRest(r, n)) return;
  _Stereo(left, right, l, r, n);
}

void C2XDownSampler::_Stereo(C2XDownSampler& left, C2XDownSampler& right, float* l, float* r, unsigned int n) {
#if defined(MORLAVINE_SSE2)
  StereoKernel<false>(left.m_state, right.m_state, l, r, n, nullptr, nullptr);
#else
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
#endif
}

void C2XDownSampler::ProcessStereoDcBlock(C2XDownSampler& left, C2XDownSampler& right, float* l, float* r,
                                          unsigned int n, DC_BLOCKER& dcL, DC_BLOCKER& dcR) {
#if defined(MORLAVINE_SSE2)
  StereoKernel<true>(left.m_state, right.m_state, l, r, n, &dcL, &dcR);
#else
  _Stereo(left, right, l, r, n);
  for (unsigned int j = 0; j < n; ++j) {
    l[j] = DcBlock(dcL, l[j]);
    r[j] = DcBlock(dcR, r[j]);
  }
#endif
}
