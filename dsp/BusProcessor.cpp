// Placeholder bus until the buses land: passes the signal through.
#include "dsp/BusProcessor.h"

CBusProcessor::CBusProcessor(IGlobalSynth* synth) : m_synth(synth) {}
CBusProcessor::~CBusProcessor() {}
void CBusProcessor::SetInstance(unsigned int bus) { m_bus = bus; }
void CBusProcessor::SetMonoVoice(CVoice* voice) { m_monoVoice = voice; }
void CBusProcessor::SetSampleRate(float) {}
void CBusProcessor::SetBlockSize(unsigned int) {}
void CBusProcessor::Reset(CVoice*) {}
void CBusProcessor::StartVoice(CVoice*) {}
void CBusProcessor::UpdateParams(unsigned int) {}
void CBusProcessor::Process(CVoice*, CStereoBuffer*, unsigned int) {}
void CBusProcessor::ProcessOutput(CVoice*, CStereoBuffer*, unsigned int) {}
