#include "fx/Phaser.h"

#include <cmath>

#include "engine/IGlobalSynth.h"
#include "engine/ParamIds.h"
#include "fx/EffectHelpers.h"

CPhaser::CPhaser(IGlobalSynth* synth, unsigned int instance) : m_synth(synth), m_instance(instance) {
  FxHelpers::InitEffectParams(m_params, PARAM_COUNT, synth, PARAM_FX_PHASER, instance);
}

CPhaser::~CPhaser() {}

void CPhaser::SetSampleRate(float sr) { m_sampleRate = sr; }
void CPhaser::SetBlockSize(unsigned int) {}
void CPhaser::UpdateParams(unsigned int n) { FxHelpers::UpdateEffectParams(m_params, PARAM_COUNT, n); }

// The LFO phase runs on through a reset.
void CPhaser::Reset() {
  m_chain[0] = {};
  m_chain[1] = {};
}

void CPhaser::ResetFreePhase() { m_phase = 0.0f; }
void CPhaser::OnKeyPress() {}

float CPhaser::_RunChain(CHAIN& chain, float x, float w, float mouth) {
  // Stages 0-3 at w times 1, 1 + 4 Mo, 1 + 8 Mo, 1 + 12 Mo; stages 4-7 at w
  // divided by 2, 2 + 4 Mo, 2 + 8 Mo, 2 + 12 Mo. Each t is the tangent term
  // of its stage: a = (1 - t) / (1 + t).
  const float spread = 4.0f * mouth;
  for (unsigned int k = 0; k < CPhaser::STAGE_COUNT; ++k) {
    const float t = (k < 4) ? (1.0f + static_cast<float>(k) * spread) * w
                            : w / (2.0f + static_cast<float>(k - 4) * spread);
    const float a = (1.0f - t) / (1.0f + t);
    const float v = chain.state[k] - a * x;
    chain.state[k] = a * v + x;
    x = v;
  }
  chain.feedback = x;
  return x;
}

void CPhaser::Process(float* left, float* right, unsigned int n) {
  if (n == 0 || !(m_sampleRate > 0.0f) || !m_synth) return;
  using namespace FxParam;
  // A Rate of exactly 0 with nothing modulating it stops the LFO at its
  // centre value for the whole block.
  const bool lfoRuns = !FxHelpers::IsZeroAndUnmodulated(m_synth, m_params[PHASER_RATE].paramId);
  const float invRate = 1.0f / m_sampleRate;
  for (unsigned int i = 0; i < n; ++i) {
    const float F = FxHelpers::ReadParam(m_params[PHASER_FREQ], i);
    const float Mo = FxHelpers::ReadParam(m_params[PHASER_MOUTH], i);
    const float Fb = FxHelpers::ReadParam(m_params[PHASER_FEEDBACK], i);
    const float R = FxHelpers::ReadParam(m_params[PHASER_RATE], i);
    const float D = FxHelpers::ReadParam(m_params[PHASER_DEPTH], i);
    const float St = FxHelpers::ReadParam(m_params[PHASER_STEREO], i);
    const float M = FxHelpers::ReadParam(m_params[PHASER_MIX], i);

    const float fb = 2.0f * Fb - 1.0f;
    const float centre = (30000.0f * F + 2000.0f) * invRate;
    const float range = D * (19000.0f * F + 1000.0f) * invRate;

    float sL = 0.0f, sR = 0.0f;
    if (lfoRuns) {
      sL = FxHelpers::SineOfPhase(m_phase);
      float pR = m_phase + 0.5f * St * St;
      if (pR > 1.0f) pR -= std::floor(pR);
      sR = FxHelpers::SineOfPhase(pR);
      m_phase += 5.0f * R * R * invRate;  // 0 to 5 Hz
      FxHelpers::WrapPhase(m_phase);
    }
    const float wL = centre + range * sL;
    const float wR = centre + range * sR;

    const float dryL = left[i];
    const float dryR = right[i];
    const float g = fb * 0.95f;
    float yL = _RunChain(m_chain[0], m_chain[0].feedback * g + dryL, wL, Mo);
    float yR = _RunChain(m_chain[1], m_chain[1].feedback * g + dryR, wR, Mo);
    // Negative feedback also inverts the all-pass output before the sum.
    if (fb < 0.0f) {
      yL = -yL;
      yR = -yR;
    }
    left[i] = (dryL + yL) * M + dryL * (1.0f - M);
    right[i] = (dryR + yR) * M + dryR * (1.0f - M);
  }
  // A chain fed a NaN would keep it for good.
  if (!std::isfinite(m_chain[0].feedback) || !std::isfinite(m_chain[1].feedback)) Reset();
}
