#include "fx/Reverb.h"

#include <cmath>

#include "engine/IGlobalSynth.h"
#include "engine/ParamIds.h"
#include "fx/EffectHelpers.h"

namespace {

const float LINE_SECONDS = 0.27f;
const float PI = 3.14159265f;
const float DIFFUSER_GAIN = 0.7f;

// tan(w) by the first three terms of its series, w + w^3/3 + 2 w^5/15.
inline float Tangent(float w) {
  const float w3 = w * w * w;
  return w3 * 0.13333334f * w * w + w3 * 0.33333334f + w;
}

}  // namespace

REVERB_SHELF ReverbHighShelf(float g, float invRate) {
  const float k = Tangent(PI * 4000.0f * g * invRate);
  const float a = 1.0f / (1.0f + k);
  const float b = (1.0f - k) * a;
  const float c = (g * g - 1.0f) * a + 1.0f;
  return {b, 1.0f - b - c, c};
}

REVERB_SHELF ReverbLowShelf(float g, float invRate) {
  const float k = Tangent(PI * (65.0f / g) * invRate);
  const float a = 1.0f / (1.0f + k);
  const float b = (1.0f - k) * a;
  const float e = (g * g - 1.0f) * k * a;
  return {b, e - b, e + 1.0f};
}

// ---- CDiffuseDelay ----

void CDiffuseDelay::SetSampleRate(float sr, unsigned int length) {
  m_sampleRate = sr;
  m_invRate = sr > 0.0f ? 1.0f / sr : 0.0f;
  m_line.SetLength(length);
}

void CDiffuseDelay::Reset() {
  m_line.Clear();
  m_high = {};
  m_low = {};
}

void CDiffuseDelay::Process2(float& sample, float& delay, float& gain, const REVERB_SHELF& low,
                             const REVERB_SHELF& high) {
  const float x = sample;
  float y = m_line.ReadHermite(delay, x);
  y = ReverbShelfStep(high, m_high, y);
  y = ReverbShelfStep(low, m_low, y);
  const float v = y - gain * x;
  m_line.Write(x + gain * v);
  sample = v;
}

// ---- CReverbShelfPair ----

void CReverbShelfPair::SetSampleRate(float sr) {
  m_sampleRate = sr;
  m_invRate = sr > 0.0f ? 1.0f / sr : 0.0f;
}

void CReverbShelfPair::Reset() {
  m_highLeft = {};
  m_highRight = {};
  m_lowLeft = {};
  m_lowRight = {};
}

void CReverbShelfPair::Process(float& left, float& right, const REVERB_SHELF& high, const REVERB_SHELF& low) {
  left = ReverbShelfStep(low, m_lowLeft, ReverbShelfStep(high, m_highLeft, left));
  right = ReverbShelfStep(low, m_lowRight, ReverbShelfStep(high, m_highRight, right));
}

// ---- CReverb ----

CReverb::CReverb(IGlobalSynth* synth, unsigned int instance) : m_synth(synth) {
  FxHelpers::InitEffectParams(m_params, PARAM_COUNT, synth, PARAM_FX_REVERB, instance);
}

CReverb::~CReverb() {}

void CReverb::SetSampleRate(float sr) {
  m_sampleRate = sr;
  m_length = FxHelpers::LineLength(LINE_SECONDS, sr);
  for (CDiffuseDelay& d : m_diffuser) d.SetSampleRate(sr, m_length);
  for (CDelayLine& line : m_preDelay) line.SetLength(m_length);
  for (CDelayLine& line : m_tank) line.SetLength(m_length);
  m_damping.SetSampleRate(sr);
  m_output.SetSampleRate(sr);
}

void CReverb::SetBlockSize(unsigned int) {}
void CReverb::UpdateParams(unsigned int n) { FxHelpers::UpdateEffectParams(m_params, PARAM_COUNT, n); }

// Silences the tail; the LFO runs on and the write positions stay.
void CReverb::Reset() {
  for (CDiffuseDelay& d : m_diffuser) d.Reset();
  for (CDelayLine& line : m_preDelay) line.Clear();
  for (CDelayLine& line : m_tank) line.Clear();
  m_damping.Reset();
  m_output.Reset();
  m_feedbackRight = 0.0f;
  m_feedbackLeft = 0.0f;
}

void CReverb::ResetFreePhase() { m_phase = 0.0f; }
void CReverb::OnKeyPress() {}

void CReverb::Process(float* left, float* right, unsigned int n) {
  if (n == 0 || !(m_sampleRate > 0.0f)) return;
  for (CDiffuseDelay& d : m_diffuser) d.Begin();
  for (CDelayLine& line : m_preDelay) line.Begin();
  for (CDelayLine& line : m_tank) line.Begin();

  const float sr = m_sampleRate;
  const float invRate = 1.0f / sr;
  float gain = DIFFUSER_GAIN;
  using namespace FxParam;
  for (unsigned int i = 0; i < n; ++i) {
    const float P = FxHelpers::ReadParam(m_params[REVERB_PREDELAY], i);
    const float S = FxHelpers::ReadParam(m_params[REVERB_SIZE], i);
    const float Dc = FxHelpers::ReadParam(m_params[REVERB_DECAY], i);
    const float Lo = FxHelpers::ReadParam(m_params[REVERB_LO_DAMP], i);
    const float Hi = FxHelpers::ReadParam(m_params[REVERB_HI_DAMP], i);
    const float R = FxHelpers::ReadParam(m_params[REVERB_RATE], i);
    const float Dp = FxHelpers::ReadParam(m_params[REVERB_DEPTH], i);
    const float M = FxHelpers::ReadParam(m_params[REVERB_MIX], i);

    const float m = FxHelpers::DryWetGain(M);
    const float dryL = left[i];
    const float dryR = right[i];

    // Pre-delay, 0.5 ms to 250 ms.
    const float pre = (P * P * 0.2495f + 0.0005f) * sr;
    float aL = m_preDelay[0].ReadHermite(pre, dryL);
    m_preDelay[0].Write(dryL);
    float aR = m_preDelay[1].ReadHermite(pre, dryR);
    m_preDelay[1].Write(dryR);

    // Diffuser and tank times and the modulation depth, in samples.
    const float S2 = S * S;
    const float base = (S2 * 0.135f + 0.015f) * sr;
    const float step = (S2 * 0.012f + 0.003f) * sr;
    const float depth = (Dp * 0.85f + 0.15f) * 0.001f * sr;

    // One LFO with four taps an eighth of a cycle apart, 0.15 to 1 Hz.
    float s[4];
    for (unsigned int k = 0; k < 4; ++k) {
      float p = m_phase + static_cast<float>(k) * 0.125f;
      if (p > 1.0f) p -= std::floor(p);
      s[k] = FxHelpers::SineOfPhase(p);
    }
    m_phase += (R * 0.85f + 0.15f) * invRate;
    FxHelpers::WrapPhase(m_phase);

    // The shelves of this sample: the damping factors (0.71..1) in the
    // diffusers and the damping pair, a slight lift above the corner in the
    // output pair when Hi Damp is low (1.1 - 0.5 Hi^2, 0.6..1.1).
    const float lowF = 1.0f - 0.29f * Lo * Lo;
    const float highF = 1.0f - 0.29f * Hi * Hi;
    const REVERB_SHELF low = ReverbLowShelf(lowF, invRate);
    const REVERB_SHELF high = ReverbHighShelf(highF, invRate);
    const REVERB_SHELF outHigh = ReverbHighShelf(1.1f - 0.5f * Hi * Hi, invRate);

    aL += m_feedbackLeft;
    aR += m_feedbackRight;

    // Three diffusers per channel, the two channels modulated in opposite
    // directions.
    for (unsigned int k = 0; k < 3; ++k) {
      const float t = base - static_cast<float>(3 - k) * step;
      float dL = t + s[k] * depth;
      float dR = t - s[k] * depth;
      m_diffuser[2 * k].Process2(aL, dL, gain, low, high);
      m_diffuser[2 * k + 1].Process2(aR, dR, gain, low, high);
    }

    m_damping.Process(aL, aR, high, low);

    const float tankL = base + s[3] * depth;
    const float tankR = base - s[3] * depth;
    float tL = m_tank[0].ReadHermite(tankL, aL);
    m_tank[0].Write(aL);
    float tR = m_tank[1].ReadHermite(tankR, aR);
    m_tank[1].Write(aR);

    m_feedbackRight = Dc * tL;
    m_feedbackLeft = Dc * tR;

    m_output.Process(tL, tR, outHigh, low);

    left[i] = tL * m + dryL * (1.0f - m);
    right[i] = tR * m + dryR * (1.0f - m);
  }
  // A tail fed a NaN would recirculate it for good.
  if (!std::isfinite(m_feedbackLeft) || !std::isfinite(m_feedbackRight)) Reset();
}
