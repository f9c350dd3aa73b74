#include "engine/GlobalSynth.h"

#include <cmath>
#include <cstdlib>
#include <new>

#include "engine/FolderLayout.h"
#include "engine/ParamHandler.h"
#include "tables/KaiserTables.h"

namespace {

float Sinc(double x) { return x == 0.0 ? 1.0f : static_cast<float>(std::sin(x) / x); }

}  // namespace

CGlobalSynth::CGlobalSynth() {
  m_random.Seed(FreshRandomSeed(this));
  FileSpec::InitFileSpecs();
  // A fresh install gets its data folders and built-in wave files here,
  // when the instance is made (never on the audio thread).
  FileSpec::CreateFolderLayout();
  m_oversamplingShift = static_cast<unsigned int>(std::log(static_cast<double>(m_oversampling)) / std::log(2.0));
  // Zero until the first SetSampleRate fills them (calloc does not clear
  // memory fresh from the system a second time).
  m_sawTable = static_cast<float*>(std::calloc(BL_SAW_TABLE_SIZE, sizeof(float)));
  m_stepTable = static_cast<float*>(std::calloc(BL_STEP_TABLE_SIZE, sizeof(float)));
  m_impTable = static_cast<float*>(std::calloc(BL_IMP_TABLE_SIZE, sizeof(float)));
  if (!m_sawTable || !m_stepTable || !m_impTable) {
    std::free(m_sawTable);
    std::free(m_stepTable);
    std::free(m_impTable);
    throw std::bad_alloc();
  }
  LoadConfig();
}

CGlobalSynth::~CGlobalSynth() {
  std::free(m_sawTable);
  std::free(m_stepTable);
  std::free(m_impTable);
}

void CGlobalSynth::SetSampleRate(float rate) {
  m_sampleRate = rate;
  float r = rate * static_cast<float>(GetOversampling());
  // The tables depend on the oversampled rate alone: one they were built
  // for already (a host that sets the same rate again) keeps them.
  if (r == m_tablesRate) return;
  _BuildSawTable(r);
  _BuildStepResponce(r);
  m_tablesRate = r > 0.0f ? r : 0.0f;
}

SYNTH_PRESET* CGlobalSynth::GetPreset() { return m_params ? m_params->GetPreset() : nullptr; }
float CGlobalSynth::GetParam(unsigned int id) { return m_params ? m_params->GetParam(id) : 0.0f; }
float* CGlobalSynth::GetParamPointer(unsigned int id) { return m_params ? m_params->GetParamBuffer(id) : nullptr; }
bool CGlobalSynth::IsParamSettled(unsigned int id, unsigned int frames) {
  return m_params && m_params->IsSettled(id, frames);
}
const unsigned int* CGlobalSynth::GetParamChangeCount() { return m_params ? m_params->GetChangeCount() : nullptr; }
void CGlobalSynth::UpdateParam(unsigned int id, unsigned int frames) {
  if (m_params) m_params->UpdateParam(id, frames);
}
void CGlobalSynth::SetParam(unsigned int id, float value) {
  if (m_params) m_params->SetParam(id, value);
}

void CGlobalSynth::SetParamHandler(void* paramHandler) {
  m_params = static_cast<CParamHandler*>(paramHandler);
  if (m_params) m_params->SetWaveTableQuality(m_quality);
}

void CGlobalSynth::SetHostTempo(float bpm) { m_tempo = (bpm > 0.0f && std::isfinite(bpm)) ? bpm : 120.0f; }

void CGlobalSynth::SetOversampling(unsigned int factor) {
  if (factor == 0) factor = 1;
  m_oversampling = factor;
  m_oversamplingShift = static_cast<unsigned int>(std::log(static_cast<double>(factor)) / std::log(2.0));
  if (m_params) m_params->NoteChange();  // stages take the new shift again
}

void CGlobalSynth::SetRecordOnMidiInputFlag(bool flag) {
  m_recordOnMidi = flag;
  SaveConfig(CONFIG_FIELD_RECORD_ON_MIDI);
}

void CGlobalSynth::SetWaveTableQuality(unsigned int quality) {
  m_quality = quality;
  if (m_params) m_params->SetWaveTableQuality(quality);
  SaveConfig(0);
}

void CGlobalSynth::SetDefaultAuthorName(std::string name) {
  m_defaultAuthor = std::move(name);
  SaveConfig(CONFIG_FIELD_AUTHOR);
}

void CGlobalSynth::SetDefaultPresetPath(std::string path) {
  m_defaultPresetPath = std::move(path);
  SaveConfig(CONFIG_FIELD_PRESET_PATH);
}

void CGlobalSynth::SetDefaultMidiMapPath(std::string path) {
  m_defaultMidiMapPath = std::move(path);
  SaveConfig(CONFIG_FIELD_MIDI_MAP_PATH);
}

void CGlobalSynth::_BuildSawTable(float rate) {
  if (!(rate > 0.0f)) return;
  const int N = 108000;
  float rs = 15000.0f / rate;
  double r = rs;
  double x = -4.0 * M_PI * r;
  double dx = (r * 8.0 * M_PI) / 108000.0;
  // The windowed sinc's running sum.
  static_assert(N == static_cast<int>(Tables::BL_SAW_WINDOW_N), "the window spans the table");
  const float* window = Tables::BL_SAW_WINDOW_TABLE;
  float acc = 0.0f;
  for (int i = 0; i <= N; ++i) {
    float s = Sinc(x);
    acc = acc + s * window[i];
    m_sawTable[i] = acc;
    m_impTable[i] = acc;
    x = x + dx;
  }
  float m = -1000000.0f;
  for (int i = 0; i <= N; ++i)
    if (m_impTable[i] > m) m = m_impTable[i];
  for (int i = 0; i <= N; ++i) m_impTable[i] /= m;

  float s = (m_sawTable[N] != 0.0f) ? 2.0f / m_sawTable[N] : 2.0f;
  m = -1000000.0f;
  for (int i = 0; i <= N; ++i) {
    float v = m_sawTable[i] * s;
    if (i > 54000) v -= 2.0f;
    m_sawTable[i] = v;
    if (v > m) m = v;
  }
  if (m == 0.0f) m = 1.0f;
  for (int i = 0; i <= N; ++i) m_sawTable[i] /= m;
  m_sawTable[54000] = 0.0f;
}

void CGlobalSynth::_BuildStepResponce(float rate) {
  if (!(rate > 0.0f)) return;
  const int N = 150000;
  double r = 15000.0f / rate;
  double x = -30.0 * M_PI * r;
  double dx = (r * 60.0 * M_PI) / 150000.0;
  static_assert(N == static_cast<int>(Tables::BL_STEP_WINDOW_N), "the window spans the table");
  const float* window = Tables::BL_STEP_WINDOW_TABLE;
  float acc = 0.0f;
  for (int i = 0; i <= N; ++i) {
    float s = Sinc(x);
    acc = acc + s * window[i];
    m_stepTable[i] = acc;
    x = x + dx;
  }
  float last = m_stepTable[N];
  for (int i = 0; i <= N; ++i) m_stepTable[i] = 2.0f * (m_stepTable[i] / last - 0.5f);
  m_stepTable[75000] = 0.0f;
}
