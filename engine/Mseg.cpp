#include "engine/Mseg.h"

#include "engine/Voice.h"

CMseg::CMseg(IGlobalSynth* synth) : m_synth(synth), m_shared() { m_rate.Init(synth); }
void CMseg::SetInstance(unsigned int instance) { m_instance = instance; }
void CMseg::SetSampleRate(float rate) { m_sampleRate = rate; }
void CMseg::UpdateParams(unsigned int) {}
void CMseg::BeforeProcessFirstVoice() { m_firstVoice = 1; }
void CMseg::FirstKeyPress() { m_firstKeyRequest = 1; }
void CMseg::Reset(CVoice*) {}
int CMseg::GetNextPoint(int, bool) { return -1; }
void CMseg::Generate(CVoice*, float* out, unsigned int n) {
  for (unsigned int i = 0; i < n; ++i) out[i] = 0.0f;
}
float CMseg::_PointTime(int) { return -1.0f; }
float CMseg::_PointLevel(int) { return 0.0f; }
float CMseg::_PointCurve(int) { return 0.0f; }
