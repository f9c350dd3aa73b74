// Placeholder echoes effect: pass-through until the real effect lands.
#include "fx/Echoes.h"

CEchoes::CEchoes(IGlobalSynth* synth, unsigned int instance) : m_synth(synth), m_instance(instance) {}
CEchoes::~CEchoes() {}
void CEchoes::SetSampleRate(float sr) { m_sampleRate = sr; }
void CEchoes::SetBlockSize(unsigned int) {}
void CEchoes::UpdateParams(unsigned int) {}
void CEchoes::Reset() {}
void CEchoes::ResetFreePhase() {}
void CEchoes::OnKeyPress() {}
void CEchoes::Process(float*, float*, unsigned int) {}
