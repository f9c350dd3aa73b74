// Placeholder exciter: pass-through until the real exciter lands.
#include "fx/Exciter.h"

CExciter::CExciter(IGlobalSynth* synth) : m_synth(synth) {}
CExciter::~CExciter() {}
void CExciter::Process(float*, float*, unsigned int) {}
void CExciter::Reset() {}
void CExciter::SetSampleRate(float sr) { m_sampleRate = sr; }
