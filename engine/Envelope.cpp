#include "engine/Envelope.h"

#include "engine/Voice.h"

CEnvelope::CEnvelope(IGlobalSynth* synth) : m_synth(synth) {
  m_attack.Init(synth);
  m_decay.Init(synth);
  m_sustain.Init(synth);
  m_release.Init(synth);
  m_slope.Init(synth);
}
void CEnvelope::SetInstance(unsigned int instance) { m_instance = instance; }
void CEnvelope::SetSampleRate(float rate) { m_sampleRate = rate; }
void CEnvelope::UpdateParams(unsigned int) {}
void CEnvelope::Reset(CVoice*) {}
void CEnvelope::Generate(CVoice*, float* out, unsigned int n) {
  for (unsigned int i = 0; i < n; ++i) out[i] = 0.0f;
}
