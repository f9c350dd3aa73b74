#include "fx/Flanger.h"

#include "engine/ParamIds.h"

using namespace FxHelpers;

CFlanger::CFlanger(IGlobalSynth* synth, unsigned int instance) : CSweptDelay(synth, instance, 0.02f) {
  InitEffectParams(m_params, P_COUNT, synth, PARAM_FX_FLANGER, instance);
}

CFlanger::~CFlanger() {}

void CFlanger::UpdateParams(unsigned int n) { UpdateEffectParams(m_params, P_COUNT, n); }

void CFlanger::Reset() {
  CSweptDelay::Reset();
  m_pending[0] = m_pending[1] = 0.0f;
}

void CFlanger::Process(float* left, float* right, unsigned int n) {
  if (!_BeginBlock()) return;
  const float sr = m_sampleRate;
  const bool lfoRuns = !IsZeroAndUnmodulated(m_synth, PARAM_FX_FLANGER + 2 * P_RATE + m_instance);
  // -1 puts both reads at the base delay while the LFO stands still.
  float lfoL = -1.0f;
  float lfoR = -1.0f;
  for (unsigned int i = 0; i < n; ++i) {
    const float xL = left[i];
    const float xR = right[i];
    const float dl = ReadParam(m_params[P_DELAY], i);
    const float fc = ReadParam(m_params[P_FEEDBACK], i);
    const float hp = ReadParam(m_params[P_HIGHPASS], i);
    const float rt = ReadParam(m_params[P_RATE], i);
    const float dp = ReadParam(m_params[P_DEPTH], i);
    const float st = ReadParam(m_params[P_STEREO], i);
    const float m = ReadParam(m_params[P_MIX], i);

    if (lfoRuns) _StepLfo(rt, st, 0.5f, lfoL, lfoR);
    float fL, fR;
    _Shelf(hp, xL, xR, fL, fR);

    const float base = (0.0002f + 0.005f * dl) * sr;
    const float depth = 0.005f * dp * dp * sr;
    const float g = (fc - 0.5f) * 1.9f;

    const float cL = m_line[0].ReadHermite(base + depth * (lfoL + 1.0f) * 0.5f, fL);
    m_line[0].Write(m_pending[0]);
    m_pending[0] = fL + g * cL;
    const float cR = m_line[1].ReadHermite(base + depth * (lfoR + 1.0f) * 0.5f, fR);
    m_line[1].Write(m_pending[1]);
    m_pending[1] = fR + g * cR;

    left[i] = cL * m + xL * (1.0f - m);
    right[i] = cR * m + xR * (1.0f - m);
  }
}
