#include "fx/Exciter.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/IGlobalSynth.h"
#include "engine/ParamIds.h"
#include "engine/Silence.h"
#include "tables/Tables.h"

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
// as they were: every step of the block would repeat that step, so the block
// takes its output and the memories stay. True when it did so; false when
// the channel must run sample by sample.
bool SkipSettledChannel(const BIQUAD_COEFFS& peak, const BIQUAD_COEFFS& shelf, const BIQUAD_STATE& peakState,
                        const BIQUAD_STATE& shelfState, float* x, unsigned int n) {
  if (!IsPositiveZeroBlock(x, n)) return false;
  BIQUAD_STATE p = peakState, s = shelfState;
  const float y = Biquad(shelf, s, Biquad(peak, p, 0.0f));
  if (!SameBits(p, peakState) || !SameBits(s, shelfState)) return false;
  for (unsigned int i = 0; i < n; ++i) x[i] = y;
  return true;
}

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
  // Silence into settled filters (an idle engine) gives back what the
  // filters would, without running them.
  const bool skipLeft = SkipSettledChannel(m_peak, m_shelf, m_peakState[0], m_shelfState[0], left, n);
  const bool skipRight = SkipSettledChannel(m_peak, m_shelf, m_peakState[1], m_shelfState[1], right, n);
  if (skipLeft && skipRight) return;
  if (!skipLeft && !skipRight) {
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
  if (!skipLeft) {
    for (unsigned int i = 0; i < n; ++i) left[i] = Biquad(m_shelf, m_shelfState[0], Biquad(m_peak, m_peakState[0], left[i]));
  }
  if (!skipRight) {
    for (unsigned int i = 0; i < n; ++i)
      right[i] = Biquad(m_shelf, m_shelfState[1], Biquad(m_peak, m_peakState[1], right[i]));
  }
}
