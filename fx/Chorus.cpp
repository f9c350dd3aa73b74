#include "fx/Chorus.h"

#include "engine/ParamIds.h"

using namespace FxHelpers;

CChorus::CChorus(IGlobalSynth* synth, unsigned int instance) : CSweptDelay(synth, instance, 0.03f) {
  InitEffectParams(m_params, P_COUNT, synth, PARAM_FX_CHORUS, instance);
}

CChorus::~CChorus() {}

void CChorus::UpdateParams(unsigned int n) { UpdateEffectParams(m_params, P_COUNT, n); }

void CChorus::Process(float* left, float* right, unsigned int n) {
  if (!_BeginBlock()) return;
  const float sr = m_sampleRate;
  const bool lfoRuns = !IsZeroAndUnmodulated(m_synth, PARAM_FX_CHORUS + 2 * P_RATE + m_instance);
  float lfoL = 0.0f;
  float lfoR = 0.0f;
  for (unsigned int i = 0; i < n; ++i) {
    const float xL = left[i];
    const float xR = right[i];
    const float dl = ReadParam(m_params[P_DELAY], i);
    const float rt = ReadParam(m_params[P_RATE], i);
    const float dp = ReadParam(m_params[P_DEPTH], i);
    const float hp = ReadParam(m_params[P_HIGHPASS], i);
    const float st = ReadParam(m_params[P_STEREO], i);
    const float m = ReadParam(m_params[P_MIX], i);

    if (lfoRuns) _StepLfo(rt, st, 0.25f, lfoL, lfoR);
    float fL, fR;
    _Shelf(hp, xL, xR, fL, fR);

    const float base = (0.002f + 0.015f * dl) * sr;
    const float depth = (0.0005f + 0.0025f * dl) * dp * sr;
    const float cL = m_line[0].ReadHermite(base + depth * lfoL, fL);
    m_line[0].Write(fL);
    const float cR = m_line[1].ReadHermite(base + depth * lfoR, fR);
    m_line[1].Write(fR);

    left[i] = xL + m * cL;
    right[i] = xR + m * cR;
  }
}
