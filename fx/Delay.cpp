// Placeholder delay: pass-through until the real effect lands.
#include "fx/Delay.h"

CDelay::CDelay(IGlobalSynth* synth, unsigned int instance) : m_synth(synth), m_instance(instance) {}
CDelay::~CDelay() {}
void CDelay::SetSampleRate(float sr) { m_sampleRate = sr; }
void CDelay::SetBlockSize(unsigned int) {}
void CDelay::UpdateParams(unsigned int) {}
void CDelay::Reset() {}
void CDelay::ResetFreePhase() {}
void CDelay::OnKeyPress() {}
void CDelay::Process(float*, float*, unsigned int) {}
