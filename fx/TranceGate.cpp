#include "fx/TranceGate.h"

#include <cmath>

#include "engine/Buffers.h"
#include "engine/ParamIds.h"
#include "fx/EffectHelpers.h"

using namespace FxHelpers;

CTranceGate::CTranceGate(IGlobalSynth* synth) : m_synth(synth) {
  InitHostRateParam(m_rate, synth, PARAM_TG_RATE);
  InitHostRateParam(m_smooth, synth, PARAM_TG_SMOOTH);
  InitHostRateParam(m_mix, synth, PARAM_TG_MIX);
}

CTranceGate::~CTranceGate() {}

void CTranceGate::FirstKeyPress() {
  m_phase = 0.0f;
  m_attackL = m_releaseL = m_attackR = m_releaseR = 0.0f;
  m_step = 0;
}

void CTranceGate::Reset() {}

void CTranceGate::SetSampleRate(float sr) { m_sampleRate = sr; }

void CTranceGate::UpdateParams(unsigned int n) {
  m_rate.Update(n);
  m_smooth.Update(n);
  m_mix.Update(n);
}

float CTranceGate::_Gain(float& attack, float& release, bool open, float speed) {
  if (attack < 1.0f) {
    attack += speed;
    return attack;
  }
  if (release > 0.0f) {
    release -= speed;
    return release;
  }
  return open ? 1.0f : 0.0f;
}

void CTranceGate::Generate(CStereoBuffer* mixes, unsigned int n) {
  if (!mixes || m_synth->GetParam(PARAM_TG_ON) == 0.0f) return;
  if (!(m_sampleRate > 0.0f)) return;
  float* bufL[2] = {mixes[0].GetLeftBuffer(), mixes[1].GetLeftBuffer()};
  float* bufR[2] = {mixes[0].GetRightBuffer(), mixes[1].GetRightBuffer()};
  for (unsigned int b = 0; b < 2; ++b)
    if (!bufL[b] || mixes[b].GetSamplesCount() < n) return;

  const bool stereo = m_synth->GetParam(PARAM_TG_STEREO) != 0.0f;
  // A damaged step count (0, negative, NaN, above 16) is held to 1..16.
  const float storedSteps = m_synth->GetParam(PARAM_TG_STEPS);
  unsigned int steps = 1;
  if (storedSteps >= 2.0f) steps = storedSteps < 16.0f ? static_cast<unsigned int>(storedSteps) : 16u;
  if (m_step >= TG_STEP_COUNT) m_step = 0;
  float stepSamples = SyncedSeconds(m_synth, PARAM_TG_SYNC) * m_sampleRate;
  if (!(stepSamples >= 1.0f)) stepSamples = 1.0f;  // a step lasts at least one sample

  auto stepOpen = [this](unsigned int row, unsigned int step) { return m_synth->GetParam(row + step) != 0.0f; };
  bool openL = stepOpen(PARAM_TG_STEP_LEFT, m_step);
  bool openR = stereo ? stepOpen(PARAM_TG_STEP_RIGHT, m_step) : openL;

  for (unsigned int i = 0; i < n; ++i) {
    const float r = ReadParam(m_rate, i);
    const float s = ReadParam(m_smooth, i);
    const float m = ReadParam(m_mix, i);
    const float inc = r / stepSamples;
    const float edge = 1.0f / ((s * s * 0.05f + 0.002f) * m_sampleRate);
    const float speed = inc > edge ? inc : edge;

    const float gL = _Gain(m_attackL, m_releaseL, openL, speed);
    const float gR = _Gain(m_attackR, m_releaseR, openR, speed);
    for (unsigned int b = 0; b < 2; ++b) {
      bufL[b][i] = bufL[b][i] * (1.0f - m) + gL * bufL[b][i] * m;
      bufR[b][i] = bufR[b][i] * (1.0f - m) + gR * bufR[b][i] * m;
    }

    m_phase += inc;
    if (m_phase > 1.0f) {
      m_step = (m_step + 1) % steps;
      const bool newL = stepOpen(PARAM_TG_STEP_LEFT, m_step);
      const bool newR = stereo ? stepOpen(PARAM_TG_STEP_RIGHT, m_step) : newL;
      m_phase -= std::floor(m_phase);
      if (!openL && newL) m_attackL = 0.0f;
      if (openL && !newL) m_releaseL = 1.0f;
      if (!openR && newR) m_attackR = 0.0f;
      if (openR && !newR) m_releaseR = 1.0f;
      openL = newL;
      openR = newR;
    }
  }
}
