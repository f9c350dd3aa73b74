#pragma once
// Global services for testing the effects alone: every parameter is a plain
// word the test sets directly, and a modulatable parameter's per-sample
// buffer holds that word for the whole block unless the test writes its
// own curve. Modulation lists can be attached per parameter.

#include <cmath>
#include <string>
#include <vector>

#include "engine/IGlobalSynth.h"
#include "engine/IModulation.h"
#include "engine/Random.h"
#include "engine/ParamIds.h"

class CFxModulationDouble : public IModulation {
 public:
  CFxModulationDouble() : m_sources(MODULATABLE_PARAM_COUNT), m_controllers(MODULATABLE_PARAM_COUNT) {
    for (auto& l : m_sources) l = MOD_SOURCE_LIST{};
    for (auto& l : m_controllers) l = MOD_CONTROLLER_LIST{};
  }
  MOD_SOURCE_LIST* GetModulation(unsigned int id) override {
    return id < m_sources.size() ? &m_sources[id] : nullptr;
  }
  MOD_CONTROLLER_LIST* GetController(unsigned int id) override {
    return id < m_controllers.size() ? &m_controllers[id] : nullptr;
  }
  void SetController(unsigned int, float) override {}
  float GetControllerValue(unsigned int) override { return 0.0f; }
  float* GetPitchModulation(unsigned int) override { return nullptr; }
  float* GetVibratoModulation() override { return nullptr; }
  float* GetAmpEnv() override { return nullptr; }
  float* GetVoiceSwitch() override { return nullptr; }

  std::vector<MOD_SOURCE_LIST> m_sources;
  std::vector<MOD_CONTROLLER_LIST> m_controllers;
};

class CFxSynthDouble : public IGlobalSynth {
 public:
  static constexpr unsigned int kMaxBlock = 4096;

  CFxSynthDouble() : m_params(PARAM_COUNT, 0.0f), m_buffers(MODULATABLE_PARAM_COUNT) {
    for (auto& b : m_buffers) b.assign(kMaxBlock, 0.0f);
  }
  virtual ~CFxSynthDouble() = default;

  // Sets a parameter word; a modulatable one also fills its buffer.
  void Set(unsigned int id, float value) {
    m_params[id] = value;
    if (id < MODULATABLE_PARAM_COUNT) m_buffers[id].assign(kMaxBlock, value);
  }
  // The per-sample buffer of a modulatable parameter, for a curve.
  std::vector<float>& Curve(unsigned int id) { return m_buffers[id]; }
  // Attaches one audio-rate source with a per-sample depth buffer.
  void AddSource(unsigned int id, float* source, float* depth) {
    MOD_SOURCE_LIST& l = m_mod.m_sources[id];
    l.source[l.count] = source;
    l.amount[l.count] = depth;
    ++l.count;
  }

  float GetHostTempo() override { return m_tempo; }
  void SetHostTempo(float bpm) override { m_tempo = bpm > 0.0f ? bpm : 120.0f; }
  float GetParam(unsigned int id) override { return id < m_params.size() ? m_params[id] : 0.0f; }
  void SetParam(unsigned int id, float value) override { Set(id, value); }
  float* GetParamPointer(unsigned int id) override {
    return id < MODULATABLE_PARAM_COUNT ? m_buffers[id].data() : nullptr;
  }
  void UpdateParam(unsigned int id, unsigned int) override { ++m_updates[id < MODULATABLE_PARAM_COUNT ? id : 0]; }
  IModulation* GetIModulation() override { return &m_mod; }
  unsigned int GetOversampling() override { return 4; }
  unsigned int GetOversamplingShift() override { return 2; }

  // Everything else is unused by the effects.
  void SetSampleRate(float) override {}
  float GetLastPitch() override { return 0.0f; }
  float GetUnisonPitchShift(unsigned int) override { return 0.0f; }
  float GetUnisonPanShift(unsigned int) override { return 0.0f; }
  float GetUnisonNsPhaseShift(unsigned int) override { return 0.0f; }
  float GetUnisonNsPitchShift(unsigned int) override { return 0.0f; }
  SYNTH_PRESET* GetPreset() override { return nullptr; }
  float* GetPitchModulation(unsigned int) override { return nullptr; }
  float* GetBuzzParam(unsigned int) override { return nullptr; }
  float* GetFeedbackParam(unsigned int) override { return nullptr; }
  void SetBuzzParam(unsigned int, float*) override {}
  void SetFeedbackParam(unsigned int, float*) override {}
  float* GetBlImpTable() override { return nullptr; }
  float* GetBlSawTable() override { return nullptr; }
  float* GetBlStepTable() override { return nullptr; }
  CMemoryPool* GetFilterMemoryPool() override { return nullptr; }
  CRandom& GetRandom() override { return random; }
  CRandom random{1};
  bool GetRecordOnMidiInputFlag() override { return false; }
  void SetRecordOnMidiInputFlag(bool) override {}
  void SetLastPitch(float) override {}
  void SetUnisonPitchShift(unsigned int, float) override {}
  void SetUnisonPanShift(unsigned int, float) override {}
  void SetUnisonNsPhaseShift(unsigned int, float) override {}
  void SetUnisonNsPitchShift(unsigned int, float) override {}
  void SetOversampling(unsigned int) override {}
  void SetParamHandler(void*) override {}
  void SetIModulation(void*) override {}
  void SetPitchModulation(unsigned int, float*) override {}
  void SetMidiMap(void*) override {}
  void* GetMidiMap() override { return nullptr; }
  void SetWaveTableQuality(unsigned int) override {}
  unsigned int GetWaveTableQuality() override { return 0; }
  std::string GetDefaultAuthorName() override { return ""; }
  std::string GetDefaultPresetPath() override { return ""; }
  std::string GetDefaultMidiMapPath() override { return ""; }
  void SetDefaultAuthorName(std::string) override {}
  void SetDefaultPresetPath(std::string) override {}
  void SetDefaultMidiMapPath(std::string) override {}

  CFxModulationDouble m_mod;
  std::vector<float> m_params;
  std::vector<std::vector<float>> m_buffers;
  std::vector<unsigned int> m_updates = std::vector<unsigned int>(MODULATABLE_PARAM_COUNT, 0);
  float m_tempo = 120.0f;
};
