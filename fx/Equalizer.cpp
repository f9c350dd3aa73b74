// Placeholder equalizer: pass-through until the real effect lands.
#include "fx/Equalizer.h"

CEqualizer::CEqualizer(IGlobalSynth* synth, unsigned int instance) : m_synth(synth), m_instance(instance) {}
CEqualizer::~CEqualizer() {}
void CEqualizer::SetSampleRate(float sr) { m_sampleRate = sr; }
void CEqualizer::SetBlockSize(unsigned int) {}
void CEqualizer::UpdateParams(unsigned int) {}
void CEqualizer::Reset() {}
void CEqualizer::ResetFreePhase() {}
void CEqualizer::OnKeyPress() {}
void CEqualizer::Process(float*, float*, unsigned int) {}
