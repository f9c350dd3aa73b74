#include "fx/SweptDelay.h"

using namespace FxHelpers;

CSweptDelay::CSweptDelay(IGlobalSynth* synth, unsigned int instance, float lineSeconds)
    : m_synth(synth), m_instance(instance), m_lineSeconds(lineSeconds) {
  m_shelf = BIQUAD_COEFFS{1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f};
  m_state[0] = m_state[1] = BIQUAD_STATE{0.0f, 0.0f, 0.0f, 0.0f};
}

void CSweptDelay::SetSampleRate(float sr) {
  m_sampleRate = sr;
  const unsigned int length = LineLength(m_lineSeconds, sr);
  m_line[0].SetLength(length);
  m_line[1].SetLength(length);
}

void CSweptDelay::SetBlockSize(unsigned int) {}

void CSweptDelay::Reset() {
  m_line[0].Clear();
  m_line[1].Clear();
  m_state[0] = m_state[1] = BIQUAD_STATE{0.0f, 0.0f, 0.0f, 0.0f};
}

void CSweptDelay::ResetFreePhase() { m_phase = 0.0f; }

void CSweptDelay::OnKeyPress() {}
