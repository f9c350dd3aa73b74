#include "engine/Lfo.h"

#include "engine/Voice.h"

CLfo::CLfo(IGlobalSynth* synth) : m_synth(synth) {
  m_amount.Init(synth);
  m_rate.Init(synth);
  m_phase.Init(synth);
}
void CLfo::SetInstance(unsigned int instance) { m_instance = instance; }
void CLfo::SetSampleRate(float rate) { m_sampleRate = rate; }
void CLfo::UpdateParams(unsigned int) {}
void CLfo::Reset(CVoice*) {}
void CLfo::Generate(CVoice*, float* out, unsigned int n) {
  for (unsigned int i = 0; i < n; ++i) out[i] = 0.0f;
}
void CLfo::FreePhaseRun(unsigned int) {}
void CLfo::FirstKeyPress() {}
void CLfo::ResetFreePhase() {}
float CLfo::_GetIncrement(unsigned int) { return 0.0f; }
