// Placeholder chorus: pass-through until the real effect lands.
#include "fx/Chorus.h"

CChorus::CChorus(IGlobalSynth* synth, unsigned int instance) : m_synth(synth), m_instance(instance) {}
CChorus::~CChorus() {}
void CChorus::SetSampleRate(float sr) { m_sampleRate = sr; }
void CChorus::SetBlockSize(unsigned int) {}
void CChorus::UpdateParams(unsigned int) {}
void CChorus::Reset() {}
void CChorus::ResetFreePhase() {}
void CChorus::OnKeyPress() {}
void CChorus::Process(float*, float*, unsigned int) {}
