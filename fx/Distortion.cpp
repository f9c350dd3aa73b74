// Placeholder distortion: pass-through until the real effect lands.
#include "fx/Distortion.h"

CDistortion::CDistortion(IGlobalSynth* synth, unsigned int instance) : m_synth(synth), m_instance(instance) {}
CDistortion::~CDistortion() {}
void CDistortion::SetSampleRate(float sr) { m_sampleRate = sr; }
void CDistortion::SetBlockSize(unsigned int) {}
void CDistortion::UpdateParams(unsigned int) {}
void CDistortion::Reset() {}
void CDistortion::ResetFreePhase() {}
void CDistortion::OnKeyPress() {}
void CDistortion::Process(float*, float*, unsigned int) {}
