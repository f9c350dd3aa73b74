#include "fx/Echoes.h"

#include <cmath>

#include "engine/ParamIds.h"
#include "fx/EffectHelpers.h"

using namespace FxHelpers;

CEchoes::CEchoes(IGlobalSynth* synth, unsigned int instance) : m_synth(synth), m_instance(instance) {
  InitEffectParams(m_params, P_COUNT, synth, PARAM_FX_ECHOES, instance);
}

CEchoes::~CEchoes() {}

void CEchoes::SetSampleRate(float sr) {
  m_sampleRate = sr;
  const unsigned int size = LineLength(5.0f, sr);
  for (CMonoBuffer& b : m_buffers) {
    b.SetSamplesCount(size);
    b.Clear(size);
  }
  _BindLines();
}

void CEchoes::_BindLines() {
  for (unsigned int k = 0; k < 3; ++k) m_lines[k].Bind(m_buffers[k].GetBuffer(), m_buffers[k].GetSamplesCount());
}

void CEchoes::SetBlockSize(unsigned int) {}

void CEchoes::UpdateParams(unsigned int n) { UpdateEffectParams(m_params, P_COUNT, n); }

void CEchoes::Reset() {
  _BindLines();
  for (CEchoDelay& l : m_lines) l.Reset();
}

void CEchoes::ResetFreePhase() { m_phase = 0.0f; }

void CEchoes::OnKeyPress() {}

void CEchoes::Process(float* left, float* right, unsigned int n) {
  if (!(m_sampleRate > 0.0f)) return;
  _BindLines();
  const float sr = m_sampleRate;
  const float period = SyncedSeconds(m_synth, PARAM_ECHOES_SYNC + m_instance) * sr;
  ECHO_COEFFS c;

  for (unsigned int i = 0; i < n; ++i) {
    const float xL = left[i];
    const float xR = right[i];
    const float t = ReadParam(m_params[P_TIME], i);
    float fb = ReadParam(m_params[P_FEEDBACK], i);
    const float q = ReadParam(m_params[P_RATIO], i);
    const float ap = ReadParam(m_params[P_ALLPASS], i);
    const float hp = ReadParam(m_params[P_HIGHPASS], i);
    const float st = ReadParam(m_params[P_STEREO], i);
    const float w = DryWetGain(ReadParam(m_params[P_MIX], i));

    const float lfo = SineOfPhase(m_phase);
    float time = t * period;
    const float inc = t != 0.0f ? 0.5f / time : 1.0f;

    const float x = (100.0f + 3000.0f * ap) / sr;
    c.a1 = (1.0f - x) / (1.0f + x);
    const float e = std::exp(-(10.0f + 10000.0f * hp) / sr);
    c.a0 = 1.0f - e;
    c.b1 = -e;

    float yL = xL;
    float yM = (xL + xR) * 0.5f;
    float yR = xR;
    float splitL = 0.51f + 0.48f * q;
    float splitM = 0.0f;
    float splitR = 0.49f - 0.48f * q;
    m_lines[0].Process2(yL, time, fb, splitL, c);
    m_lines[1].Process2(yM, time, fb, splitM, c);
    m_lines[2].Process2(yR, time, fb, splitR, c);

    const float sv = st * lfo * 0.5f;
    const float wetL = 0.5f * ((0.5f - sv) * yR + (0.5f + sv) * yL + yM);
    const float wetR = 0.5f * ((0.5f + sv) * yR + (0.5f - sv) * yL + yM);
    left[i] = wetL * w + xL * (1.0f - w);
    right[i] = wetR * w + xR * (1.0f - w);

    m_phase += inc;
    WrapPhase(m_phase);
  }
}
