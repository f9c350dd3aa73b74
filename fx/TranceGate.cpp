// Placeholder trance gate: pass-through until the real gate lands.
#include "fx/TranceGate.h"

CTranceGate::CTranceGate(IGlobalSynth* synth) : m_synth(synth) {}
CTranceGate::~CTranceGate() {}
void CTranceGate::FirstKeyPress() {}
void CTranceGate::Generate(CStereoBuffer*, unsigned int) {}
void CTranceGate::Reset() {}
void CTranceGate::SetSampleRate(float sr) { m_sampleRate = sr; }
void CTranceGate::UpdateParams(unsigned int) {}
