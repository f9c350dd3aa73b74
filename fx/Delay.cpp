#include "fx/Delay.h"

#include <cmath>

#include "engine/ParamIds.h"
#include "fx/EffectHelpers.h"

using namespace FxHelpers;

namespace {
// Parameter k (id = base + 2k + instance) of each record.
const unsigned int RECORD_PARAM_K[] = {0, 1, 3, 4, 5, 6, 2, 7, 8};
const float TWO_PI = 6.2831855f;
}  // namespace

CDelay::CDelay(IGlobalSynth* synth, unsigned int instance) : m_synth(synth), m_instance(instance) {
  for (unsigned int r = 0; r < R_COUNT; ++r)
    InitHostRateParam(m_params[r], synth, PARAM_FX_DELAY + 2 * RECORD_PARAM_K[r] + instance);
}

CDelay::~CDelay() {}

void CDelay::SetSampleRate(float sr) {
  m_sampleRate = sr;
  m_size = LineLength(5.0f, sr);
  for (unsigned int c = 0; c < 2; ++c) {
    m_line[c].SetSamplesCount(m_size);
    m_line[c].Clear(m_size);
  }
}

void CDelay::SetBlockSize(unsigned int) {}

void CDelay::UpdateParams(unsigned int n) { UpdateEffectParams(m_params, R_COUNT, n); }

void CDelay::Reset() {
  for (unsigned int c = 0; c < 2; ++c) {
    m_line[c].Clear(m_size);
    m_reverse[c].Reset();
    m_feedback[c] = m_lowpass[c] = m_highpass[c] = 0.0f;
  }
}

void CDelay::ResetFreePhase() {}

void CDelay::OnKeyPress() {
  m_reverse[0].Restart();
  m_reverse[1].Restart();
}

void CDelay::Process(float* left, float* right, unsigned int n) {
  if (!(m_sampleRate > 0.0f) || !m_line[0].GetBuffer() || !m_line[1].GetBuffer()) return;
  const float sr = m_sampleRate;
  const float lengthL = SyncedSeconds(m_synth, PARAM_DELAY_SYNC_L + m_instance) * sr;
  const float lengthR = SyncedSeconds(m_synth, PARAM_DELAY_SYNC_R + m_instance) * sr;
  m_reverse[0].Bind(m_line[0].GetBuffer(), m_line[0].GetSamplesCount());
  m_reverse[1].Bind(m_line[1].GetBuffer(), m_line[1].GetSamplesCount());

  for (unsigned int i = 0; i < n; ++i) {
    const float xL = left[i];
    const float xR = right[i];
    const float w = DryWetGain(ReadParam(m_params[R_MIX], i));
    float dL = ReadParam(m_params[R_TIME_L], i) * lengthL;
    float dR = ReadParam(m_params[R_TIME_R], i) * lengthR;
    if (!(dL > 0.0f)) dL = 0.0f;
    if (!(dR > 0.0f)) dR = 0.0f;

    const float lp = ReadParam(m_params[R_LOWPASS], i);
    const float hp = ReadParam(m_params[R_HIGHPASS], i);
    const float eLP = std::exp(-TWO_PI * (20.0f + 20000.0f * lp * lp) / sr);
    const float eHP = std::exp(-TWO_PI * (20.0f + 20000.0f * hp * hp) / sr);

    const float fb = ReadParam(m_params[R_FEEDBACK], i);
    const float s = ReadParam(m_params[R_SHAPE], i);
    float inL = fb * m_feedback[0] + s * (xL + xR) * 0.5f + (1.0f - s) * xL;
    float inR = s * inL + (1.0f - s) * (fb * m_feedback[1] + xR);

    float vL, vR;
    m_reverse[0].Process2(inL, vL, dL);
    m_reverse[1].Process2(inR, vR, dR);

    const float r = ReadParam(m_params[R_REVERSE], i);
    const float yL = (1.0f - r) * inL + r * vL;
    const float yR = (1.0f - r) * inR + r * vR;

    m_lowpass[0] = eLP * m_lowpass[0] + (1.0f - eLP) * yL;
    m_lowpass[1] = eLP * m_lowpass[1] + (1.0f - eLP) * yR;
    m_highpass[0] = eHP * m_highpass[0] + (1.0f - eHP) * m_lowpass[0];
    m_highpass[1] = eHP * m_highpass[1] + (1.0f - eHP) * m_lowpass[1];
    m_feedback[0] = m_lowpass[0] - m_highpass[0];
    m_feedback[1] = m_lowpass[1] - m_highpass[1];

    const float m = 0.5f * ReadParam(m_params[R_MONO], i);
    const float wetL = (1.0f - m) * m_feedback[0] + m * m_feedback[1];
    const float wetR = (1.0f - m) * m_feedback[1] + m * m_feedback[0];

    left[i] = wetL * w + xL * (1.0f - w);
    right[i] = wetR * w + xR * (1.0f - w);
  }
}
