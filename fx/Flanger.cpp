// Placeholder flanger: pass-through until the real effect lands.
#include "fx/Flanger.h"

CFlanger::CFlanger(IGlobalSynth* synth, unsigned int instance) : m_synth(synth), m_instance(instance) {}
CFlanger::~CFlanger() {}
void CFlanger::SetSampleRate(float sr) { m_sampleRate = sr; }
void CFlanger::SetBlockSize(unsigned int) {}
void CFlanger::UpdateParams(unsigned int) {}
void CFlanger::Reset() {}
void CFlanger::ResetFreePhase() {}
void CFlanger::OnKeyPress() {}
void CFlanger::Process(float*, float*, unsigned int) {}
