#pragma once
// The engine's global services for one plug-in instance.

#include <atomic>
#include <string>

#include "engine/ConfigFile.h"
#include "engine/IGlobalSynth.h"
#include "engine/MemoryPool.h"
#include "engine/Random.h"

class CParamHandler;

const unsigned int BL_SAW_TABLE_SIZE = 108001;
const unsigned int BL_IMP_TABLE_SIZE = 108001;
const unsigned int BL_STEP_TABLE_SIZE = 150001;

class CGlobalSynth final : public IGlobalSynth {
 public:
  CGlobalSynth();
  ~CGlobalSynth();
  CGlobalSynth(const CGlobalSynth&) = delete;
  CGlobalSynth& operator=(const CGlobalSynth&) = delete;

  void SetSampleRate(float rate) override;
  float GetHostTempo() override { return m_tempo; }
  float GetLastPitch() override { return m_lastPitch; }
  float GetUnisonPitchShift(unsigned int index) override { return m_unisonPitch[index & 7]; }
  float GetUnisonPanShift(unsigned int index) override { return m_unisonPan[index & 7]; }
  float GetUnisonNsPhaseShift(unsigned int index) override { return m_unisonNsPhase[index & 7]; }
  float GetUnisonNsPitchShift(unsigned int index) override { return m_unisonNsPitch[index & 7]; }
  unsigned int GetOversampling() override { return m_oversampling; }
  unsigned int GetOversamplingShift() override { return m_oversamplingShift; }
  SYNTH_PRESET* GetPreset() override;
  float GetParam(unsigned int id) override;
  float* GetParamPointer(unsigned int id) override;
  void UpdateParam(unsigned int id, unsigned int frames) override;
  bool IsParamSettled(unsigned int id, unsigned int frames) override;
  const unsigned int* GetParamChangeCount() override;
  IModulation* GetIModulation() override { return m_modulation; }
  float* GetPitchModulation(unsigned int osc) override { return m_pitchMod[osc & 3]; }
  float* GetBuzzParam(unsigned int osc) override { return m_buzz[osc & 3]; }
  float* GetFeedbackParam(unsigned int osc) override { return m_feedback[osc & 3]; }
  void SetBuzzParam(unsigned int osc, float* buffer) override { m_buzz[osc & 3] = buffer; }
  void SetFeedbackParam(unsigned int osc, float* buffer) override { m_feedback[osc & 3] = buffer; }
  float* GetBlImpTable() override { return m_impTable; }
  float* GetBlSawTable() override { return m_sawTable; }
  float* GetBlStepTable() override { return m_stepTable; }
  CMemoryPool* GetFilterMemoryPool() override { return &m_pool; }
  CRandom& GetRandom() override { return m_random; }
  bool GetRecordOnMidiInputFlag() override { return m_recordOnMidi; }
  void SetRecordOnMidiInputFlag(bool flag) override;
  void SetHostTempo(float bpm) override;
  void SetLastPitch(float pitch) override { m_lastPitch = pitch; }
  void SetUnisonPitchShift(unsigned int index, float value) override { m_unisonPitch[index & 7] = value; }
  void SetUnisonPanShift(unsigned int index, float value) override { m_unisonPan[index & 7] = value; }
  void SetUnisonNsPhaseShift(unsigned int index, float value) override { m_unisonNsPhase[index & 7] = value; }
  void SetUnisonNsPitchShift(unsigned int index, float value) override { m_unisonNsPitch[index & 7] = value; }
  void SetOversampling(unsigned int factor) override;
  void SetParam(unsigned int id, float value) override;
  void SetParamHandler(void* paramHandler) override;
  void SetIModulation(void* modulation) override { m_modulation = static_cast<IModulation*>(modulation); }
  void SetPitchModulation(unsigned int osc, float* buffer) override { m_pitchMod[osc & 3] = buffer; }
  void SetMidiMap(void* midiMap) override { m_midiMap = midiMap; }
  void* GetMidiMap() override { return m_midiMap; }
  void SetWaveTableQuality(unsigned int quality) override;
  unsigned int GetWaveTableQuality() override { return m_quality; }
  std::string GetDefaultAuthorName() override { return m_defaultAuthor; }
  std::string GetDefaultPresetPath() override { return m_defaultPresetPath; }
  std::string GetDefaultMidiMapPath() override { return m_defaultMidiMapPath; }
  void SetDefaultAuthorName(std::string name) override;
  void SetDefaultPresetPath(std::string path) override;
  void SetDefaultMidiMapPath(std::string path) override;

  float GetSampleRate() const { return m_sampleRate; }
  CParamHandler* GetParamHandler() { return m_params; }

  // Settings file (config.bin). SaveConfig writes the fields named in changed
  // (CONFIG_FIELD_*) on top of the file's current contents, so that a change
  // made by one instance does not undo a newer one made by another.
  void LoadConfig();
  void SaveConfig(unsigned int changed = CONFIG_FIELDS_ALL);

 private:
  void _BuildSawTable(float rate);
  void _BuildStepResponce(float rate);

  float m_sampleRate = 44100.0f;
  float m_tablesRate = 0.0f;  // the oversampled rate the band-limited tables hold (0: none)
  float m_tempo = 120.0f;
  float m_lastPitch = 0.0f;
  unsigned int m_oversampling = 4;
  unsigned int m_oversamplingShift = 0;
  CMemoryPool m_pool;
  CRandom m_random;
  CParamHandler* m_params = nullptr;
  IModulation* m_modulation = nullptr;
  float* m_pitchMod[4] = {};
  float* m_buzz[4] = {};
  float* m_feedback[4] = {};
  float* m_sawTable = nullptr;
  float* m_stepTable = nullptr;
  float* m_impTable = nullptr;
  float m_unisonPitch[8] = {};
  float m_unisonPan[8] = {};
  float m_unisonNsPhase[8] = {};
  float m_unisonNsPitch[8] = {};
  std::string m_defaultAuthor;
  std::string m_defaultPresetPath;
  std::string m_defaultMidiMapPath;
  // Set on the editor's thread, read by note starts on the render thread.
  std::atomic<bool> m_recordOnMidi{true};
  unsigned int m_configPending = 0;  // settings changed but not yet written
  void* m_midiMap = nullptr;
  unsigned int m_quality = 2;
};
