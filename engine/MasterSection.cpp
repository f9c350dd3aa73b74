#include "engine/MasterSection.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/IGlobalSynth.h"
#include "engine/ParamIds.h"
#include "engine/Silence.h"

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
  auto run = [&](auto levelAt, auto panAt, auto monoAt) {
    for (unsigned int i = 0; i < n; ++i) {
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
    run([level](unsigned int) { return level; }, [pan](unsigned int) { return pan; },
        [mono](unsigned int) { return mono; });
  } else {
    run([this](unsigned int i) { return m_level.GetValue(i); }, [this](unsigned int i) { return m_pan.GetValue(i); },
        [this](unsigned int i) { return m_mono.GetValue(i); });
  }
  m_dc[0] = dcL;
  m_dc[1] = dcR;
}
