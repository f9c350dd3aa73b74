// Placeholder oscillator until the oscillator lands: it renders silence.
#include "osc/Oscillator.h"

#include <cstring>

namespace {
float g_table[16384];
char g_name[16];
}  // namespace

COscillator::COscillator(IGlobalSynth* synth) : m_synth(synth) {}
COscillator::~COscillator() {}
void COscillator::SetInstance(unsigned int index) { m_index = index; }
void COscillator::SetSampleRate(float) {}
void COscillator::SetBlockSize(unsigned int) {}
void COscillator::SetWaveTableQuality(unsigned int) {}
void COscillator::Reset(CVoice*) {}
void COscillator::StartVoice(CVoice*) {}
void COscillator::ResetGlide() {}
void COscillator::RebuildOscFX() {}
void COscillator::UpdateParams(unsigned int) {}
void COscillator::UpdateWaveTable() {}
void COscillator::Generate(CVoice*, float* left, float* right, float*, unsigned int n) {
  std::memset(left, 0, n * sizeof(float));
  std::memset(right, 0, n * sizeof(float));
}
float* COscillator::GetOscWaveTable() { return g_table; }
char* COscillator::GetOscWaveTableName() { return g_name; }
void COscillator::GetSample(float** left, float** right, unsigned int& frames, float* rate) {
  *left = nullptr;
  *right = nullptr;
  frames = 0;
  if (rate) *rate = 44100.0f;
}
const char* COscillator::GetSamplePath() { return ""; }
bool COscillator::LoadSample(const char*) { return false; }
bool COscillator::LoadSampleFromMemory(float*, float*, unsigned int, float, const char*) { return false; }
