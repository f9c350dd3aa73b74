// Placeholder reverb: pass-through until the real effect lands.
#include "fx/Reverb.h"

CReverb::CReverb(IGlobalSynth* synth, unsigned int instance) : m_synth(synth), m_instance(instance) {}
CReverb::~CReverb() {}
void CReverb::SetSampleRate(float sr) { m_sampleRate = sr; }
void CReverb::SetBlockSize(unsigned int) {}
void CReverb::UpdateParams(unsigned int) {}
void CReverb::Reset() {}
void CReverb::ResetFreePhase() {}
void CReverb::OnKeyPress() {}
void CReverb::Process(float*, float*, unsigned int) {}
