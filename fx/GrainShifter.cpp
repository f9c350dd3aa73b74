// Placeholder grain shifter: pass-through until the real effect lands.
#include "fx/GrainShifter.h"

CGrainShifter::CGrainShifter(IGlobalSynth* synth, unsigned int instance) : m_synth(synth), m_instance(instance) {}
CGrainShifter::~CGrainShifter() {}
void CGrainShifter::SetSampleRate(float sr) { m_sampleRate = sr; }
void CGrainShifter::SetBlockSize(unsigned int) {}
void CGrainShifter::UpdateParams(unsigned int) {}
void CGrainShifter::Reset() {}
void CGrainShifter::ResetFreePhase() {}
void CGrainShifter::OnKeyPress() {}
void CGrainShifter::Process(float*, float*, unsigned int) {}
