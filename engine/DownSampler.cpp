#include "engine/DownSampler.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/Buffers.h"
#include "engine/IGlobalSynth.h"
#include "engine/ParamIds.h"
#include "engine/Silence.h"

#include "engine/Simd.h"
#if defined(MORLAVINE_SSE2)
#include <emmintrin.h>
#endif

namespace {

// True when every sample is finite: x * 0 is 0 for finite x and NaN for an
// infinity or NaN, so one pass without branches answers it (four sums, so
// that the additions need not wait for each other).
bool AllFinite(const float* x, unsigned int n) {
  float a0 = 0.0f, a1 = 0.0f, a2 = 0.0f, a3 = 0.0f;
  unsigned int i = 0;
  for (; i + 4 <= n; i += 4) {
    a0 += x[i] * 0.0f;
    a1 += x[i + 1] * 0.0f;
    a2 += x[i + 2] * 0.0f;
    a3 += x[i + 3] * 0.0f;
  }
  for (; i < n; ++i) a0 += x[i] * 0.0f;
  return (a0 + a1) + (a2 + a3) == 0.0f;
}

void FlushNonFinite(float* x, unsigned int n) {
  for (unsigned int i = 0; i < n; ++i)
    if (!std::isfinite(x[i])) x[i] = 0.0f;
}

// Magnitude below which nothing can overflow inside the decimators. A
// first-order section y = c (x - y1) + x1 with 0 < c < 1 keeps |y| within
// max(|y1|, (1 + c) / (1 - c) * X) when its inputs stay within X, so one
// stage's outputs and memories stay within 184 (branch A) and 35 (branch B)
// times the largest of its inputs and memories, and three stages within
// 184^3 * 1e18 < 1e25: far from the float range. A mix whose oversampled
// samples and decimator memories all lie within it gives finite outputs and
// needs neither the flush of its input nor the test of its output.
const float BOUND = 1.0e18f;
const uint32_t BOUND_BITS = 0x5D5E0B6Bu;  // bits of BOUND
static_assert(sizeof(float) == sizeof(uint32_t), "32-bit floats");

// |x| <= BOUND: the absolute value's bits order like the magnitude, and the
// infinities and NaNs lie above every finite value.
inline bool Bounded(float x) {
  uint32_t b;
  std::memcpy(&b, &x, sizeof(b));
  return (b & 0x7FFFFFFFu) <= BOUND_BITS;
}

bool StateBounded(const C2XDownSampler& s) {
  const float* v = s.GetState();
  for (unsigned int k = 0; k < DOWNSAMPLER_STATE_SIZE; ++k)
    if (!Bounded(v[k])) return false;
  return true;
}

inline bool AtRest(const DC_BLOCKER& dc) { return IsPositiveZeroBlock(&dc.x1, 1) && IsPositiveZeroBlock(&dc.y1, 1); }

struct MIX_SCAN {
  bool zeroL, zeroR;  // every sample +0.0
  bool bounded;       // every sample of both channels within BOUND
};

// One pass over both channels of a mix for both answers.
MIX_SCAN ScanMix(const float* l, const float* r, unsigned int n) {
  uint32_t orL = 0, orR = 0, over = 0;
  unsigned int i = 0;
#if defined(MORLAVINE_SSE2)
  const __m128i absMask = _mm_set1_epi32(0x7FFFFFFF);
  const __m128i bound = _mm_set1_epi32(static_cast<int>(BOUND_BITS));
  __m128i vl = _mm_setzero_si128(), vr = _mm_setzero_si128(), vo = _mm_setzero_si128();
  for (; i + 4 <= n; i += 4) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(l + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r + i));
    vl = _mm_or_si128(vl, a);
    vr = _mm_or_si128(vr, b);
    vo = _mm_or_si128(vo, _mm_or_si128(_mm_cmpgt_epi32(_mm_and_si128(a, absMask), bound),
                                       _mm_cmpgt_epi32(_mm_and_si128(b, absMask), bound)));
  }
  const __m128i zero = _mm_setzero_si128();
  if (_mm_movemask_epi8(_mm_cmpeq_epi32(vl, zero)) != 0xFFFF) orL = 1;
  if (_mm_movemask_epi8(_mm_cmpeq_epi32(vr, zero)) != 0xFFFF) orR = 1;
  if (_mm_movemask_epi8(vo) != 0) over = 1;
#endif
  for (; i < n; ++i) {
    uint32_t a, b;
    std::memcpy(&a, &l[i], sizeof(a));
    std::memcpy(&b, &r[i], sizeof(b));
    orL |= a;
    orR |= b;
    over |= static_cast<uint32_t>((a & 0x7FFFFFFFu) > BOUND_BITS) | static_cast<uint32_t>((b & 0x7FFFFFFFu) > BOUND_BITS);
  }
  return MIX_SCAN{orL == 0, orR == 0, over == 0};
}

// Both DC blockers over n samples, in one loop that the processor overlaps.
void DcBlockStereo(DC_BLOCKER& dcL, DC_BLOCKER& dcR, float* xl, float* xr, unsigned int n) {
  DC_BLOCKER l = dcL, r = dcR;
  for (unsigned int i = 0; i < n; ++i) {
    xl[i] = DcBlock(l, xl[i]);
    xr[i] = DcBlock(r, xr[i]);
  }
  dcL = l;
  dcR = r;
}

}  // namespace

CDownSampler::CDownSampler(IGlobalSynth* synth) : m_synth(synth) {
  for (auto& dc : m_dc) dc = DC_BLOCKER{0.0f, 0.0f, 0.0f};
}

CDownSampler::~CDownSampler() {}

void CDownSampler::Reset() {
  for (auto& s : m_states) s = C2XDownSampler();
  for (auto& dc : m_dc) DcClear(dc);
}

void CDownSampler::_ResetChannel(unsigned int mix, unsigned int ch) {
  for (unsigned int s = 0; s < MAX_STAGES; ++s) m_states[4 * s + 2 * mix + ch] = C2XDownSampler();
  DcClear(m_dc[2 * mix + ch]);
}

void CDownSampler::SetSampleRate(float sr) {
  const float r = 1.0f + (-94.24778f / sr);
  for (auto& dc : m_dc) dc.r = r;
}

void CDownSampler::Process(CStereoBuffer* mixes, unsigned int frames) {
  const unsigned int factor = m_synth->GetOversampling();
  unsigned int stages = static_cast<unsigned int>(logf(static_cast<float>(factor)) / 0.6931472f);
  if (stages > MAX_STAGES) stages = MAX_STAGES;
  const bool dcOn = m_synth->GetParam(PARAM_DC_BLOCK_OFF) == 0.0f;
  // The mixes are independent of each other.
  for (unsigned int m = 0; m < 2; ++m) {
    float* l = mixes[m].GetLeftBuffer();
    float* r = mixes[m].GetRightBuffer();
    if (!_ProcessBoundedMix(m, l, r, frames, stages, dcOn)) _ProcessMix(m, l, r, frames, stages, dcOn);
  }
}

bool CDownSampler::_ProcessBoundedMix(unsigned int m, float* l, float* r, unsigned int frames, unsigned int stages,
                                      bool dcOn) {
  DC_BLOCKER& dcL = m_dc[2 * m];
  DC_BLOCKER& dcR = m_dc[2 * m + 1];
  // A blocker at rest fed +0.0 gives +0.0 and stays at rest for any finite
  // coefficient, so silent channels may run along with the other one.
  if (stages == 0 || l == r || (dcOn && !(std::isfinite(dcL.r) && std::isfinite(dcR.r)))) return false;
  bool rest = true;
  for (unsigned int s = 0; s < stages; ++s)
    for (unsigned int ch = 0; ch < 2; ++ch) {
      const C2XDownSampler& f = m_states[4 * s + 2 * m + ch];
      if (!StateBounded(f)) return false;
      rest = rest && f.IsAtRest();
    }
  const MIX_SCAN scan = ScanMix(l, r, frames);
  if (!scan.bounded) return false;

  const unsigned int count = frames >> stages;
  if (rest && scan.zeroL && scan.zeroR) {
    // Silence into decimators at rest: the block's first count samples are
    // +0.0 already and the decimators stay at rest.
    if (dcOn && !(AtRest(dcL) && AtRest(dcR))) DcBlockStereo(dcL, dcR, l, r, count);
    return true;
  }
  // Decimators at rest fed +0.0 give +0.0 and stay at rest, so every stage
  // may run on both channels whatever one of them holds.
  for (unsigned int s = 0; s < stages; ++s) {
    C2XDownSampler& fl = m_states[4 * s + 2 * m];
    C2XDownSampler& fr = m_states[4 * s + 2 * m + 1];
    const unsigned int n = frames >> (s + 1);
    if (dcOn && s + 1 == stages)
      C2XDownSampler::ProcessStereoDcBlock(fl, fr, l, r, n, dcL, dcR);
    else
      C2XDownSampler::ProcessStereo(fl, fr, l, r, n);
  }
  return true;
}

void CDownSampler::_ProcessMix(unsigned int m, float* l, float* r, unsigned int frames, unsigned int stages,
                               bool dcOn) {
  float* channel[2] = {l, r};
  // A NaN or infinity in the oversampled mix would stay in the all-pass
  // state of the decimators; replace it by silence first.
  for (float* x : channel)
    if (!AllFinite(x, frames)) FlushNonFinite(x, frames);

  for (unsigned int s = 0; s < stages; ++s)
    C2XDownSampler::ProcessStereo(m_states[4 * s + 2 * m], m_states[4 * s + 2 * m + 1], l, r, frames >> (s + 1));

  const unsigned int count = stages ? frames >> stages : frames;
  bool block[2] = {false, false};
  for (unsigned int ch = 0; ch < 2; ++ch) {
    float* x = channel[ch];
    // Finite but huge input can still overflow inside the decimators; such
    // a channel starts afresh instead of staying silent.
    if (!AllFinite(x, count)) {
      FlushNonFinite(x, count);
      _ResetChannel(m, ch);
    }
    // Silence into a blocker at rest stays silence.
    const DC_BLOCKER& dc = m_dc[2 * m + ch];
    block[ch] = dcOn && !(AtRest(dc) && IsPositiveZeroBlock(x, count));
  }
  DC_BLOCKER& dcL = m_dc[2 * m];
  DC_BLOCKER& dcR = m_dc[2 * m + 1];
  if (block[0] && block[1] && l != r) {
    DcBlockStereo(dcL, dcR, l, r, count);
    return;
  }
  if (block[0])
    for (unsigned int i = 0; i < count; ++i) l[i] = DcBlock(dcL, l[i]);
  if (block[1])
    for (unsigned int i = 0; i < count; ++i) r[i] = DcBlock(dcR, r[i]);
}
