// Placeholder tremolo: pass-through until the real effect lands.
#include "fx/Tremolo.h"

CTremolo::CTremolo(IGlobalSynth* synth, unsigned int instance) : m_synth(synth), m_instance(instance) {}
CTremolo::~CTremolo() {}
void CTremolo::SetSampleRate(float sr) { m_sampleRate = sr; }
void CTremolo::SetBlockSize(unsigned int) {}
void CTremolo::UpdateParams(unsigned int) {}
void CTremolo::Reset() {}
void CTremolo::ResetFreePhase() {}
void CTremolo::OnKeyPress() {}
void CTremolo::Process(float*, float*, unsigned int) {}
