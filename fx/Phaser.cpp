// Placeholder phaser: pass-through until the real effect lands.
#include "fx/Phaser.h"

CPhaser::CPhaser(IGlobalSynth* synth, unsigned int instance) : m_synth(synth), m_instance(instance) {}
CPhaser::~CPhaser() {}
void CPhaser::SetSampleRate(float sr) { m_sampleRate = sr; }
void CPhaser::SetBlockSize(unsigned int) {}
void CPhaser::UpdateParams(unsigned int) {}
void CPhaser::Reset() {}
void CPhaser::ResetFreePhase() {}
void CPhaser::OnKeyPress() {}
void CPhaser::Process(float*, float*, unsigned int) {}
