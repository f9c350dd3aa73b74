#include "fx/Exciter.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/IGlobalSynth.h"
#include "engine/ParamIds.h"
#include "engine/Silence.h"
#include "tables/Tables.h"

#include "engine/Simd.h"
#if defined(MORLAVINE_SSE2)
#include <xmmintrin.h>
#endif

using namespace FxHelpers;

namespace {

const float TUNE_TABLE_SCALER =
    static_cast<float>(Tables::TUNE_TABLE_SIZEM1) / static_cast<float>(Tables::TUNE_TABLE_MAX_PITCH);

// Frequency of a pitch from the tuning table, without interpolation.
float TunedHz(float pitch) {
  return Tables::TUNE_TABLE[static_cast<unsigned int>(TUNE_TABLE_SCALER * pitch)];
}

const float PEAK_AMPLITUDE = 0.80167806f;  // gain A^2 = -3.84 dB at the centre
const float SHELF_BRIGHT = 1.3465754f;     // shelf gain A^2 = +5.17 dB
const float SHELF_SOFT = 0.43651584f;      // shelf gain A^2 = -14.4 dB

const BIQUAD_COEFFS IDENTITY = {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f};
const BIQUAD_STATE SILENT = {0.0f, 0.0f, 0.0f, 0.0f};

// Poles inside the unit circle: |a2| < a0 and |a1| < a0 + a2.
bool IsStable(const BIQUAD_COEFFS& c) {
  const float a2 = c.a2 * c.ia0;
  const float a1 = c.a1 * c.ia0;
  return std::isfinite(a1) && std::isfinite(a2) && std::isfinite(c.b0 * c.ia0) && std::isfinite(c.b1 * c.ia0) &&
         std::isfinite(c.b2 * c.ia0) && std::fabs(a2) < 1.0f && std::fabs(a1) < 1.0f + a2;
}

bool SameBits(const BIQUAD_STATE& a, const BIQUAD_STATE& b) { return std::memcmp(&a, &b, sizeof(a)) == 0; }

// A channel fed +0.0 throughout whose memories one step leaves bit for bit
// as they were: every step of the block repeats that step and gives y.
bool IsSettled(const BIQUAD_COEFFS& peak, const BIQUAD_COEFFS& shelf, const BIQUAD_STATE& peakState,
               const BIQUAD_STATE& shelfState, const float* x, unsigned int n, float& y) {
  if (!IsPositiveZeroBlock(x, n)) return false;
  BIQUAD_STATE p = peakState, s = shelfState;
  y = Biquad(shelf, s, Biquad(peak, p, 0.0f));
  return SameBits(p, peakState) && SameBits(s, shelfState);
}

#if defined(MORLAVINE_SSE2)

// Four direct-form-I sections side by side, one per lane, each performing
// Biquad's operations in Biquad's order.
struct BIQUAD_X4 {
  __m128 b0, b1, b2, ia0, a1, a2;
  __m128 x1, x2, y1, y2;

  __m128 Step(__m128 x) {
    const __m128 ff = _mm_add_ps(_mm_add_ps(_mm_mul_ps(b0, x), _mm_mul_ps(b1, x1)), _mm_mul_ps(b2, x2));
    const __m128 y = _mm_mul_ps(_mm_sub_ps(_mm_sub_ps(ff, _mm_mul_ps(a1, y1)), _mm_mul_ps(a2, y2)), ia0);
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
  }
};

// [a0, a1] in lanes 0 and 1, [b2, b3] in lanes 2 and 3.
inline __m128 LowHigh(__m128 a, __m128 b) { return _mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 2, 1, 0)); }

// The peak and shelf sections of both channels in the lanes [peak left, peak
// right, shelf left, shelf right]. The shelf lanes run two samples behind:
// the step that takes input sample i into the peak lanes takes the peak's
// output of sample i - 2 into the shelf lanes and gives output sample i - 2.
// (One sample behind, each step would wait for the whole previous step; two
// behind, the steps overlap and only each section's own recursion limits
// the pace.) The first two steps run the peak lanes alone and the last two
// the shelf lanes alone: the other lanes' memories are put back. Needs
// n >= 1 and distinct channels.
void ProcessLanes(const BIQUAD_COEFFS& peak, const BIQUAD_COEFFS& shelf, BIQUAD_STATE* peakState,
                  BIQUAD_STATE* shelfState, float* left, float* right, unsigned int n) {
  BIQUAD_X4 f;
  f.b0 = _mm_setr_ps(peak.b0, peak.b0, shelf.b0, shelf.b0);
  f.b1 = _mm_setr_ps(peak.b1, peak.b1, shelf.b1, shelf.b1);
  f.b2 = _mm_setr_ps(peak.b2, peak.b2, shelf.b2, shelf.b2);
  f.ia0 = _mm_setr_ps(peak.ia0, peak.ia0, shelf.ia0, shelf.ia0);
  f.a1 = _mm_setr_ps(peak.a1, peak.a1, shelf.a1, shelf.a1);
  f.a2 = _mm_setr_ps(peak.a2, peak.a2, shelf.a2, shelf.a2);
  f.x1 = _mm_setr_ps(peakState[0].x1, peakState[1].x1, shelfState[0].x1, shelfState[1].x1);
  f.x2 = _mm_setr_ps(peakState[0].x2, peakState[1].x2, shelfState[0].x2, shelfState[1].x2);
  f.y1 = _mm_setr_ps(peakState[0].y1, peakState[1].y1, shelfState[0].y1, shelfState[1].y1);
  f.y2 = _mm_setr_ps(peakState[0].y2, peakState[1].y2, shelfState[0].y2, shelfState[1].y2);

  // A step of the peak lanes alone (keepHigh) or of the shelf lanes alone.
  auto partStep = [&f](__m128 x, bool keepHigh) {
    const BIQUAD_X4 before = f;
    const __m128 y = f.Step(x);
    if (keepHigh) {
      f.x1 = LowHigh(f.x1, before.x1);
      f.x2 = LowHigh(f.x2, before.x2);
      f.y1 = LowHigh(f.y1, before.y1);
      f.y2 = LowHigh(f.y2, before.y2);
    } else {
      f.x1 = LowHigh(before.x1, f.x1);
      f.x2 = LowHigh(before.x2, f.x2);
      f.y1 = LowHigh(before.y1, f.y1);
      f.y2 = LowHigh(before.y2, f.y2);
    }
    return y;
  };
  alignas(16) float out[4];

  // q0, q1: the steps of samples i - 2 and i - 1 (their peak outputs in
  // lanes 0 and 1).
  __m128 q0 = partStep(_mm_setr_ps(left[0], right[0], 0.0f, 0.0f), true);
  if (n == 1) {
    _mm_store_ps(out, partStep(_mm_movelh_ps(_mm_setzero_ps(), q0), false));
    left[0] = out[2];
    right[0] = out[3];
  } else {
    __m128 q1 = partStep(_mm_setr_ps(left[1], right[1], 0.0f, 0.0f), true);
    unsigned int i = 2;
    for (; i + 4 <= n; i += 4) {
      const __m128 vl = _mm_loadu_ps(left + i);
      const __m128 vr = _mm_loadu_ps(right + i);
      const __m128 lo = _mm_unpacklo_ps(vl, vr);  // l_i r_i l_i+1 r_i+1
      const __m128 hi = _mm_unpackhi_ps(vl, vr);  // l_i+2 r_i+2 l_i+3 r_i+3
      const __m128 y0 = f.Step(_mm_movelh_ps(lo, q0));
      const __m128 y1 = f.Step(_mm_shuffle_ps(lo, q1, _MM_SHUFFLE(1, 0, 3, 2)));
      const __m128 y2 = f.Step(_mm_movelh_ps(hi, y0));
      const __m128 y3 = f.Step(_mm_shuffle_ps(hi, y1, _MM_SHUFFLE(1, 0, 3, 2)));
      q0 = y2;
      q1 = y3;
      // Shelf outputs i - 2 .. i + 1 from lanes 2 and 3.
      const __m128 o01 = _mm_shuffle_ps(y0, y1, _MM_SHUFFLE(3, 2, 3, 2));
      const __m128 o23 = _mm_shuffle_ps(y2, y3, _MM_SHUFFLE(3, 2, 3, 2));
      _mm_storeu_ps(left + i - 2, _mm_shuffle_ps(o01, o23, _MM_SHUFFLE(2, 0, 2, 0)));
      _mm_storeu_ps(right + i - 2, _mm_shuffle_ps(o01, o23, _MM_SHUFFLE(3, 1, 3, 1)));
    }
    for (; i < n; ++i) {
      const __m128 y = f.Step(_mm_movelh_ps(_mm_setr_ps(left[i], right[i], 0.0f, 0.0f), q0));
      _mm_store_ps(out, y);
      left[i - 2] = out[2];
      right[i - 2] = out[3];
      q0 = q1;
      q1 = y;
    }
    // The peak's last two outputs through the shelf lanes alone.
    _mm_store_ps(out, partStep(_mm_movelh_ps(_mm_setzero_ps(), q0), false));
    left[n - 2] = out[2];
    right[n - 2] = out[3];
    _mm_store_ps(out, partStep(_mm_movelh_ps(_mm_setzero_ps(), q1), false));
    left[n - 1] = out[2];
    right[n - 1] = out[3];
  }

  alignas(16) float x1[4], x2[4], y1[4], y2[4];
  _mm_store_ps(x1, f.x1);
  _mm_store_ps(x2, f.x2);
  _mm_store_ps(y1, f.y1);
  _mm_store_ps(y2, f.y2);
  peakState[0] = BIQUAD_STATE{x1[0], x2[0], y1[0], y2[0]};
  peakState[1] = BIQUAD_STATE{x1[1], x2[1], y1[1], y2[1]};
  shelfState[0] = BIQUAD_STATE{x1[2], x2[2], y1[2], y2[2]};
  shelfState[1] = BIQUAD_STATE{x1[3], x2[3], y1[3], y2[3]};
}

#endif

}  // namespace

CExciter::CExciter(IGlobalSynth* synth) : m_synth(synth) {
  m_shelf = m_peak = IDENTITY;
  Reset();
}

CExciter::~CExciter() {}

void CExciter::SetSampleRate(float sr) {
  m_sampleRate = sr;
  CalcParams();
}

void CExciter::Reset() {
  m_peakState[0] = m_peakState[1] = SILENT;
  m_shelfState[0] = m_shelfState[1] = SILENT;
}

void CExciter::CalcParams() {
  static const float PEAK_RATIO = TunedHz(94.153854f);
  static const float HS_RATIO_SOFT = TunedHz(122.4f);
  static const float HS_RATIO_BRIGHT = TunedHz(125.53846f);
  static const float fLn = 2.7725887f;  // 4 ln 2
  static const float fWeight = static_cast<float>(std::sinh(fLn));

  if (m_mode == 0) return;
  const float sr = m_sampleRate;
  if (!(sr > 0.0f)) {
    m_peak = m_shelf = IDENTITY;
    return;
  }

  // Peak: a second-order approximation of -2 cos(2 pi w) keeps it cheap.
  const float w = PEAK_RATIO / sr;
  const float g = fWeight * w;
  const float c = -2.0f * (1.0f - 19.73921f * w * w);
  m_peak.ia0 = 1.0f / (1.0f + g / PEAK_AMPLITUDE);
  m_peak.a1 = c;
  m_peak.a2 = 1.0f - g / PEAK_AMPLITUDE;
  m_peak.b0 = 1.0f + g * PEAK_AMPLITUDE;
  m_peak.b1 = c;
  m_peak.b2 = 1.0f - g * PEAK_AMPLITUDE;

  // High shelf with slope 1.
  const bool bright = m_mode == 1;
  const float A = bright ? SHELF_BRIGHT : SHELF_SOFT;
  const float f = bright ? HS_RATIO_BRIGHT : HS_RATIO_SOFT;
  const float omega = (f / sr) * 6.2831855f;
  const float sn = static_cast<float>(std::sin(static_cast<double>(omega)));
  const float cs = static_cast<float>(std::cos(static_cast<double>(omega)));
  const float beta = static_cast<float>(std::sqrt(static_cast<double>(A)) * sn * std::sqrt(2.0));
  const float P = A + 1.0f;
  const float M = A - 1.0f;
  m_shelf.ia0 = 1.0f / (P - M * cs + beta);
  m_shelf.a1 = 2.0f * (M - P * cs);
  m_shelf.a2 = P - M * cs - beta;
  m_shelf.b0 = A * (P + M * cs + beta);
  m_shelf.b1 = -2.0f * A * (P * cs + M);
  m_shelf.b2 = A * (P + M * cs - beta);

  // At rates too low for the fixed corners a section could turn unstable;
  // it is then left out rather than let it blow up.
  if (!IsStable(m_peak)) m_peak = IDENTITY;
  if (!IsStable(m_shelf)) m_shelf = IDENTITY;
}

void CExciter::Process(float* left, float* right, unsigned int n) {
  // Settings from a damaged preset (negative, NaN, huge) count as "soft",
  // like every value other than 0 and 1.
  const float stored = m_synth->GetParam(PARAM_EXCITER);
  unsigned int mode = 2;
  if (stored > -1.0f && stored < 2.0f) mode = static_cast<unsigned int>(static_cast<int>(stored));
  if (mode != m_mode) {
    m_mode = mode;
    CalcParams();
  }
  if (m_mode == 0 || !left || !right) return;
  if (n == 0) return;
  if (left == right) {
    _ProcessShared(left, n);
    return;
  }
  // Silence into settled filters (an idle engine) gives back what the
  // filters would, without running them.
  float yl = 0.0f, yr = 0.0f;
  const bool settledLeft = IsSettled(m_peak, m_shelf, m_peakState[0], m_shelfState[0], left, n, yl);
  const bool settledRight = IsSettled(m_peak, m_shelf, m_peakState[1], m_shelfState[1], right, n, yr);
  if (settledLeft && settledRight) {
    // Both channels hold +0.0 (the test saw it), so a fill with +0.0 would
    // change nothing.
    if (!IsPositiveZeroBlock(&yl, 1))
      for (unsigned int i = 0; i < n; ++i) left[i] = yl;
    if (!IsPositiveZeroBlock(&yr, 1))
      for (unsigned int i = 0; i < n; ++i) right[i] = yr;
    return;
  }
#if defined(MORLAVINE_SSE2)
  // A settled channel may run along: each of its steps repeats the settled
  // step, as the fill would.
  ProcessLanes(m_peak, m_shelf, m_peakState, m_shelfState, left, right, n);
#else
  if (!settledLeft && !settledRight) {
    // Both channels in one loop: their filter chains are independent, so the
    // processor overlaps them. Local copies stay in registers.
    const BIQUAD_COEFFS peak = m_peak, shelf = m_shelf;
    BIQUAD_STATE peakL = m_peakState[0], shelfL = m_shelfState[0];
    BIQUAD_STATE peakR = m_peakState[1], shelfR = m_shelfState[1];
    for (unsigned int i = 0; i < n; ++i) {
      left[i] = Biquad(shelf, shelfL, Biquad(peak, peakL, left[i]));
      right[i] = Biquad(shelf, shelfR, Biquad(peak, peakR, right[i]));
    }
    m_peakState[0] = peakL;
    m_shelfState[0] = shelfL;
    m_peakState[1] = peakR;
    m_shelfState[1] = shelfR;
    return;
  }
  if (settledLeft) {
    for (unsigned int i = 0; i < n; ++i) left[i] = yl;
  } else {
    for (unsigned int i = 0; i < n; ++i) left[i] = Biquad(m_shelf, m_shelfState[0], Biquad(m_peak, m_peakState[0], left[i]));
  }
  if (settledRight) {
    for (unsigned int i = 0; i < n; ++i) right[i] = yr;
  } else {
    for (unsigned int i = 0; i < n; ++i)
      right[i] = Biquad(m_shelf, m_shelfState[1], Biquad(m_peak, m_peakState[1], right[i]));
  }
#endif
}

void CExciter::_ProcessShared(float* x, unsigned int n) {
  // Each channel's test fills the buffer at once when it passes, so the
  // right channel's test sees the left channel's fill; then each channel
  // that did not pass runs in turn, the right one on the left one's output.
  bool settled[2];
  for (unsigned int ch = 0; ch < 2; ++ch) {
    float y = 0.0f;
    settled[ch] = IsSettled(m_peak, m_shelf, m_peakState[ch], m_shelfState[ch], x, n, y);
    if (settled[ch])
      for (unsigned int i = 0; i < n; ++i) x[i] = y;
  }
  for (unsigned int ch = 0; ch < 2; ++ch)
    if (!settled[ch])
      for (unsigned int i = 0; i < n; ++i) x[i] = Biquad(m_shelf, m_shelfState[ch], Biquad(m_peak, m_peakState[ch], x[i]));
}
