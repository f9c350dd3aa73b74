#include "engine/GlobalSynth.h"

#include <cmath>
#include <cstdlib>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/FolderLayout.h"
#include "engine/ParamHandler.h"
#include "platform/TickCount.h"

namespace {

// I0(beta) of the Kaiser window, its denominator: the same for every t, so
// a table build sums it once.
float KaiserDenominator() {
  float den = 1.0f;
  float term = 17.2225f;
  float k = 2.0f;
  do {
    k = k + 2.0f;
    den = den + term;
    term = term * 68.89f / (k * k);
  } while (term >= den * 2e-9f);
  return den;
}

// I0 power series of the Kaiser window; beta = 8.3. den is
// KaiserDenominator().
float KaiserWindow(float t, float den) {
  float w = static_cast<float>(std::sqrt(static_cast<double>(1.0f - t * t)) * 8.300000190734863);
  float num = 1.0f;
  float term = w * w * 0.25f;
  float k = 2.0f;
  if (term >= 2e-9f) {
    do {
      k = k + 2.0f;
      num = num + term;
      term = term * (w * w) / (k * k);
    } while (term >= num * 2e-9f);
  }
  return num / den;
}

// The window at t = (2 i - N) * scale for i = 0 .. N, into w (N + 1
// values), each exactly as KaiserWindow(t, den) gives it. With SSE2 four
// values run side by side, each lane with its own series: the same float
// operations in the same order per value, so the same results, with one
// lane's divisions overlapping the others' instead of waiting on its own.
void KaiserWindows(float* w, int N, float scale, float den) {
  int i = 0;
#if defined(__SSE2__)
  const __m128 limit = _mm_set1_ps(2e-9f), two = _mm_set1_ps(2.0f), quarter = _mm_set1_ps(0.25f);
  for (; i + 3 <= N; i += 4) {
    alignas(16) float lane[4];
    for (int j = 0; j < 4; ++j) {
      const float t = static_cast<float>((i + j) + (i + j) - N) * scale;
      lane[j] = static_cast<float>(std::sqrt(static_cast<double>(1.0f - t * t)) * 8.300000190734863);
    }
    const __m128 x = _mm_load_ps(lane);
    const __m128 ww = _mm_mul_ps(x, x);
    __m128 num = _mm_set1_ps(1.0f);
    __m128 term = _mm_mul_ps(ww, quarter);
    __m128 k = two;
    __m128 active = _mm_cmpge_ps(term, limit);
    while (_mm_movemask_ps(active)) {
      k = _mm_add_ps(k, two);
      const __m128 nextNum = _mm_add_ps(num, term);
      const __m128 nextTerm = _mm_div_ps(_mm_mul_ps(term, ww), _mm_mul_ps(k, k));
      // Lanes whose series has ended keep their values.
      num = _mm_or_ps(_mm_and_ps(active, nextNum), _mm_andnot_ps(active, num));
      term = _mm_or_ps(_mm_and_ps(active, nextTerm), _mm_andnot_ps(active, term));
      active = _mm_and_ps(active, _mm_cmpge_ps(term, _mm_mul_ps(num, limit)));
    }
    _mm_storeu_ps(w + i, _mm_div_ps(num, _mm_set1_ps(den)));
  }
#endif
  for (; i <= N; ++i) w[i] = KaiserWindow(static_cast<float>(i + i - N) * scale, den);
}

float Sinc(double x) { return x == 0.0 ? 1.0f : static_cast<float>(std::sin(x) / x); }

}  // namespace

CGlobalSynth::CGlobalSynth() {
  std::srand(TickCount());
  FileSpec::InitFileSpecs();
  m_oversamplingShift = static_cast<unsigned int>(std::log(static_cast<double>(m_oversampling)) / std::log(2.0));
  m_sawTable = new float[BL_SAW_TABLE_SIZE]();
  m_stepTable = new float[BL_STEP_TABLE_SIZE]();
  m_impTable = new float[BL_IMP_TABLE_SIZE]();
  LoadConfig();
}

CGlobalSynth::~CGlobalSynth() {
  delete[] m_sawTable;
  delete[] m_stepTable;
  delete[] m_impTable;
}

void CGlobalSynth::SetSampleRate(float rate) {
  m_sampleRate = rate;
  float r = rate * static_cast<float>(GetOversampling());
  _BuildSawTable(r);
  _BuildStepResponce(r);
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
  // The window first, into the table that the running sum then replaces.
  KaiserWindows(m_sawTable, N, 9.259259e-6f, KaiserDenominator());
  float acc = 0.0f;
  for (int i = 0; i <= N; ++i) {
    float s = Sinc(x);
    acc = acc + s * m_sawTable[i];
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
  KaiserWindows(m_stepTable, N, 6.6666666e-6f, KaiserDenominator());
  float acc = 0.0f;
  for (int i = 0; i <= N; ++i) {
    float s = Sinc(x);
    acc = acc + s * m_stepTable[i];
    m_stepTable[i] = acc;
    x = x + dx;
  }
  float last = m_stepTable[N];
  for (int i = 0; i <= N; ++i) m_stepTable[i] = 2.0f * (m_stepTable[i] / last - 0.5f);
  m_stepTable[75000] = 0.0f;
}
