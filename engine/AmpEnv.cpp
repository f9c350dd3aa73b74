#include "engine/AmpEnv.h"

CAmpEnv::CAmpEnv(IGlobalSynth* synth) : m_synth(synth) {}
CAmpEnv::~CAmpEnv() {}
void CAmpEnv::Process(CVoice*, float*, float*, unsigned int) {}
