#include "fx/Chorus.h"

#include "engine/ParamIds.h"
#include "fx/ShelfCut.h"

using namespace FxHelpers;

CChorus::CChorus(IGlobalSynth* synth, unsigned int instance) : m_synth(synth), m_instance(instance) {
  InitEffectParams(m_params, P_COUNT, synth, PARAM_FX_CHORUS, instance);
  m_shelf = BIQUAD_COEFFS{1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f};
  m_state[0] = m_state[1] = BIQUAD_STATE{0.0f, 0.0f, 0.0f, 0.0f};
}

CChorus::~CChorus() {}

void CChorus::SetSampleRate(float sr) {
  m_sampleRate = sr;
  const unsigned int length = LineLength(0.03f, sr);
  m_line[0].SetLength(length);
  m_line[1].SetLength(length);
}

void CChorus::SetBlockSize(unsigned int) {}

void CChorus::UpdateParams(unsigned int n) { UpdateEffectParams(m_params, P_COUNT, n); }

void CChorus::Reset() {
  m_line[0].Clear();
  m_line[1].Clear();
  m_state[0] = m_state[1] = BIQUAD_STATE{0.0f, 0.0f, 0.0f, 0.0f};
}

void CChorus::ResetFreePhase() { m_phase = 0.0f; }

void CChorus::OnKeyPress() {}

void CChorus::Process(float* left, float* right, unsigned int n) {
  if (!(m_sampleRate > 0.0f)) return;
  m_line[0].Begin();
  m_line[1].Begin();
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

    if (lfoRuns) {
      lfoL = SineOfPhase(m_phase);
      float pR = m_phase + 0.25f * st * st;
      WrapPhase(pR);
      lfoR = SineOfPhase(pR);
      m_phase += 5.0f * rt * rt / sr;
      WrapPhase(m_phase);
    }

    LowShelfCut1k(m_shelf, hp, sr);
    const float fL = Biquad(m_shelf, m_state[0], xL);
    const float fR = Biquad(m_shelf, m_state[1], xR);

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
