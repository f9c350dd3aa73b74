#include "fx/Tremolo.h"

#include <cmath>

#include "engine/IGlobalSynth.h"
#include "engine/ParamIds.h"
#include "fx/EffectHelpers.h"

CTremolo::CTremolo(IGlobalSynth* synth, unsigned int instance) : m_synth(synth), m_instance(instance) {
  FxHelpers::InitEffectParams(m_params, PARAM_COUNT, synth, PARAM_FX_TREMOLO, instance);
}

CTremolo::~CTremolo() {}

void CTremolo::SetSampleRate(float sr) { m_sampleRate = sr; }
void CTremolo::SetBlockSize(unsigned int) {}
void CTremolo::UpdateParams(unsigned int n) { FxHelpers::UpdateEffectParams(m_params, PARAM_COUNT, n); }
// The phases run on through a reset; only a free-phase reset restarts the cycle.
void CTremolo::Reset() {}

void CTremolo::ResetFreePhase() {
  m_cyclePhase = 0.0f;
  m_bumpPhase = 0.0f;
}

void CTremolo::OnKeyPress() {}

void CTremolo::Process(float* left, float* right, unsigned int n) {
  if (n == 0 || !(m_sampleRate > 0.0f) || !m_synth) return;
  // The period, read once per block: a note length at the host tempo or a
  // plain time.
  const float period = FxHelpers::SyncedSeconds(m_synth, PARAM_TREMOLO_SYNC + m_instance);
  const float perSample = (period > 0.0f) ? 1.0f / (m_sampleRate * period) : 0.0f;
  using namespace FxParam;
  for (unsigned int i = 0; i < n; ++i) {
    const float R = FxHelpers::ReadParam(m_params[TREMOLO_RATE], i);
    const float E = FxHelpers::ReadParam(m_params[TREMOLO_EDGE], i);
    const float G = FxHelpers::ReadParam(m_params[TREMOLO_GATE], i);
    const float St = FxHelpers::ReadParam(m_params[TREMOLO_STEREO], i);
    const float M = FxHelpers::ReadParam(m_params[TREMOLO_MIX], i);

    // Cycles per sample: Rate 1 runs one cycle per period, Rate 0 one per 40000 periods.
    const float r = 0.995f * R + 0.005f;
    const float inc = r * r * perSample;
    const float g = 0.75f * G + 0.25f;  // open part of the cycle, a quarter to all of it

    float shape = -1.0f;
    float sR = 0.0f;
    if (m_cyclePhase < g) {
      // The bump: e (-cos 2 pi phase) through the soft clip s / (|s| + 1),
      // scaled to run from -1 at its ends to +1 in its middle.
      const float e = 8.0f * E * E + 0.01f;
      sR = FxHelpers::SineOfPhase(m_bumpPhase);
      float p = m_bumpPhase + 0.75f;
      if (p > 1.0f) p -= std::floor(p);
      const float s = e * FxHelpers::SineOfPhase(p);
      shape = ((e + 1.0f) / e) *
              static_cast<float>(static_cast<double>(s) / (static_cast<double>(std::fabs(s)) + 1.0));
    }
    m_bumpPhase += inc / g;
    FxHelpers::WrapPhase(m_bumpPhase);

    const float pan = 0.5f + 0.5f * St * St * M * sR;
    const float amp = (1.0f - M) + (shape + 1.0f) * M * 0.5f;

    m_cyclePhase += inc;
    if (m_cyclePhase > 1.0f) {
      FxHelpers::WrapPhase(m_cyclePhase);
      m_bumpPhase = 0.0f;
    }
    left[i] *= (1.0f - pan) * 2.0f * amp;
    right[i] *= pan * 2.0f * amp;
  }
}
