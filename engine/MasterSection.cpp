#include "engine/MasterSection.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/IGlobalSynth.h"
#include "engine/ParamIds.h"
#include "engine/Silence.h"

#include "engine/Simd.h"
#if defined(MORLAVINE_SSE2)
#include <emmintrin.h>
#endif

namespace {

const float LIMIT = 100.0f;

// +0 for a zero, subnormal or NaN result; anything else unchanged.
inline float Flush(float x) {
  uint32_t bits;
  std::memcpy(&bits, &x, sizeof(bits));
  if ((bits & 0x7F800000u) == 0 || x != x) return 0.0f;
  return x;
}

inline float Limit(float x) {
  if (x > LIMIT) return LIMIT;
  if (x < -LIMIT) return -LIMIT;
  return x;
}

}  // namespace

CMasterSection::CMasterSection(IGlobalSynth* synth) : m_synth(synth) {
  m_level.Init(synth, PARAM_MASTER_LEVEL);
  m_pan.Init(synth, PARAM_MASTER_PAN);
  m_mono.Init(synth, PARAM_MASTER_MONO);
  // The section runs at the host rate.
  m_level.SetUseOversamplingShift(false);
  m_pan.SetUseOversamplingShift(false);
  m_mono.SetUseOversamplingShift(false);
  for (auto& dc : m_dc) dc = DC_BLOCKER{0.0f, 0.0f, 0.0f};
}

CMasterSection::~CMasterSection() {}

void CMasterSection::Reset() {
  for (auto& dc : m_dc) DcClear(dc);
}

void CMasterSection::SetSampleRate(float sr) {
  const float r = 1.0f + (-157.07964f / sr);
  for (auto& dc : m_dc) dc.r = r;
}

void CMasterSection::UpdateParams(unsigned int n) {
  m_level.Update(n);
  m_pan.Update(n);
  m_mono.Update(n);
}

namespace {

// One output sample pair of the master section for the given inputs and
// control values; advances the DC blockers when they are on.
inline void MasterStep(float inL, float inR, float level, float pan, float mono, bool dcOn, DC_BLOCKER& dcL,
                       DC_BLOCKER& dcR, float& left, float& right) {
  const float gain = level * level * 8.0f;
  const float width = (1.0f - mono) * (1.0f - mono);
  const float mid = (inL + inR) * 0.5f;
  const float side = (inL - inR) * width * 0.5f;
  float outL = (1.0f - pan) * gain * (mid + side);
  float outR = gain * pan * (mid - side);
  // Huge finite inputs may still overflow here: an infinity is limited
  // below, a NaN (0 x infinity at a hard pan) becomes silence.
  if (outL != outL) outL = 0.0f;
  if (outR != outR) outR = 0.0f;
  outL = Limit(outL);
  outR = Limit(outR);
  if (dcOn) {
    outL = DcBlock(dcL, outL);
    outR = DcBlock(dcR, outR);
  }
  left = Flush(outL);
  right = Flush(outR);
}

#if defined(MORLAVINE_SSE2)

// MasterStep with settled controls for the samples of left and right up to
// the last multiple of four, four at a time: every operation in MasterStep's
// order on four samples at once, then the DC blockers' differences x - x1
// for four samples at once and their recursions sample by sample with both
// channels in two lanes. The same results bit for bit; returns how many
// samples it did.
template <bool kDc>
unsigned int MasterBlocks(float* left, float* right, unsigned int n, float level, float pan, float mono,
                          DC_BLOCKER& dcL, DC_BLOCKER& dcR) {
  const float gain = level * level * 8.0f;
  const float width = (1.0f - mono) * (1.0f - mono);
  const __m128 gainL = _mm_set1_ps((1.0f - pan) * gain);
  const __m128 gainR = _mm_set1_ps(gain * pan);
  const __m128 w = _mm_set1_ps(width);
  const __m128 half = _mm_set1_ps(0.5f);
  const __m128 high = _mm_set1_ps(LIMIT);
  const __m128 low = _mm_set1_ps(-LIMIT);
  const __m128 zero = _mm_setzero_ps();
  const __m128i expMask = _mm_set1_epi32(0x7F800000);
  const __m128 r = _mm_setr_ps(dcL.r, dcR.r, dcL.r, dcR.r);
  __m128 y = _mm_setr_ps(dcL.y1, dcR.y1, 0.0f, 0.0f);
  // Lane 0: the previous input of each blocker.
  __m128 carryL = _mm_set_ss(dcL.x1), carryR = _mm_set_ss(dcR.x1);

  auto flush = [&](__m128 x) {
    const __m128 tiny = _mm_castsi128_ps(
        _mm_cmpeq_epi32(_mm_and_si128(_mm_castps_si128(x), expMask), _mm_setzero_si128()));
    return _mm_andnot_ps(_mm_or_ps(tiny, _mm_cmpunord_ps(x, x)), x);
  };

  unsigned int i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128 l = _mm_loadu_ps(left + i);
    const __m128 rr = _mm_loadu_ps(right + i);
    // Not finite (x - x is NaN): silence.
    const __m128 inL = _mm_and_ps(_mm_cmpeq_ps(_mm_sub_ps(l, l), zero), l);
    const __m128 inR = _mm_and_ps(_mm_cmpeq_ps(_mm_sub_ps(rr, rr), zero), rr);
    const __m128 mid = _mm_mul_ps(_mm_add_ps(inL, inR), half);
    const __m128 side = _mm_mul_ps(_mm_mul_ps(_mm_sub_ps(inL, inR), w), half);
    __m128 outL = _mm_mul_ps(gainL, _mm_add_ps(mid, side));
    __m128 outR = _mm_mul_ps(gainR, _mm_sub_ps(mid, side));
    outL = _mm_and_ps(_mm_cmpord_ps(outL, outL), outL);
    outR = _mm_and_ps(_mm_cmpord_ps(outR, outR), outR);
    outL = _mm_max_ps(_mm_min_ps(outL, high), low);
    outR = _mm_max_ps(_mm_min_ps(outR, high), low);
    if (kDc) {
      // x - x1 for the four samples: x1 is x one lane down, lane 0 from the
      // carry.
      const __m128 sL = _mm_shuffle_ps(outL, outL, _MM_SHUFFLE(2, 1, 0, 3));
      const __m128 sR = _mm_shuffle_ps(outR, outR, _MM_SHUFFLE(2, 1, 0, 3));
      const __m128 dL = _mm_sub_ps(outL, _mm_move_ss(sL, carryL));
      const __m128 dR = _mm_sub_ps(outR, _mm_move_ss(sR, carryR));
      carryL = sL;
      carryR = sR;
      const __m128 d01 = _mm_unpacklo_ps(dL, dR);  // l0 r0 l1 r1
      const __m128 d23 = _mm_unpackhi_ps(dL, dR);  // l2 r2 l3 r3
      const __m128 y0 = _mm_add_ps(_mm_mul_ps(r, y), d01);
      const __m128 y1 = _mm_add_ps(_mm_mul_ps(r, y0), _mm_movehl_ps(d01, d01));
      const __m128 y2 = _mm_add_ps(_mm_mul_ps(r, y1), d23);
      const __m128 y3 = _mm_add_ps(_mm_mul_ps(r, y2), _mm_movehl_ps(d23, d23));
      y = y3;
      const __m128 a = _mm_movelh_ps(y0, y1);  // l0 r0 l1 r1
      const __m128 b = _mm_movelh_ps(y2, y3);  // l2 r2 l3 r3
      outL = _mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0));
      outR = _mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1));
    }
    _mm_storeu_ps(left + i, flush(outL));
    _mm_storeu_ps(right + i, flush(outR));
  }
  if (kDc && i > 0) {
    dcL.x1 = _mm_cvtss_f32(carryL);
    dcR.x1 = _mm_cvtss_f32(carryR);
    dcL.y1 = _mm_cvtss_f32(y);
    dcR.y1 = _mm_cvtss_f32(_mm_shuffle_ps(y, y, _MM_SHUFFLE(1, 1, 1, 1)));
  }
  return i;
}

#endif

}  // namespace

void CMasterSection::Process(CVoice*, float* left, float* right, unsigned int n) {
  const bool dcOn = m_synth->GetParam(PARAM_DC_BLOCK_OFF) == 0.0f;
  if (n > 0 && m_level.constant && m_pan.constant && m_mono.constant && IsPositiveZeroBlock(left, n) &&
      IsPositiveZeroBlock(right, n)) {
    // Silence with settled controls: when one step leaves the DC blockers
    // bit for bit as they were, every step of the block repeats it.
    DC_BLOCKER dcL = m_dc[0], dcR = m_dc[1];
    float outL, outR;
    MasterStep(0.0f, 0.0f, m_level.GetConstantValue(), m_pan.GetConstantValue(), m_mono.GetConstantValue(), dcOn,
               dcL, dcR, outL, outR);
    if (std::memcmp(&dcL, &m_dc[0], sizeof(dcL)) == 0 && std::memcmp(&dcR, &m_dc[1], sizeof(dcR)) == 0) {
      for (unsigned int i = 0; i < n; ++i) {
        left[i] = outL;
        right[i] = outR;
      }
      return;
    }
  }
  // The blockers' memories in locals while the block runs.
  DC_BLOCKER dcL = m_dc[0], dcR = m_dc[1];
  auto run = [&](unsigned int from, auto levelAt, auto panAt, auto monoAt) {
    for (unsigned int i = from; i < n; ++i) {
      // A NaN or infinity must not reach the DC blockers, where it would stay
      // for good: such an input sample becomes silence for this one sample.
      const float inL = std::isfinite(left[i]) ? left[i] : 0.0f;
      const float inR = std::isfinite(right[i]) ? right[i] : 0.0f;
      MasterStep(inL, inR, levelAt(i), panAt(i), monoAt(i), dcOn, dcL, dcR, left[i], right[i]);
    }
  };
  if (m_level.constant && m_pan.constant && m_mono.constant) {
    // Settled controls are read once.
    const float level = m_level.GetConstantValue(), pan = m_pan.GetConstantValue(), mono = m_mono.GetConstantValue();
    unsigned int from = 0;
#if defined(MORLAVINE_SSE2)
    from = dcOn ? MasterBlocks<true>(left, right, n, level, pan, mono, dcL, dcR)
                : MasterBlocks<false>(left, right, n, level, pan, mono, dcL, dcR);
#endif
    run(from, [level](unsigned int) { return level; }, [pan](unsigned int) { return pan; },
        [mono](unsigned int) { return mono; });
  } else {
    run(0, [this](unsigned int i) { return m_level.GetValue(i); }, [this](unsigned int i) { return m_pan.GetValue(i); },
        [this](unsigned int i) { return m_mono.GetValue(i); });
  }
  m_dc[0] = dcL;
  m_dc[1] = dcR;
}
