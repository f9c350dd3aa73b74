#pragma once
// What the bus shaper and the lo-fi share: the bus they serve (0 or 1), the
// oversampled rate, and parameter records bound to base id + bus. Each
// stage registers its records at construction; SetInstance rebinds them all
// and UpdateParams updates them in the order they were registered.

#include "engine/ModulatedParam.h"

class IGlobalSynth;
class CVoice;

class CBusStage {
 public:
  CBusStage(const CBusStage&) = delete;
  CBusStage& operator=(const CBusStage&) = delete;

  void SetInstance(unsigned int bus);
  // The oversampled rate.
  void SetSampleRate(float rate) { m_sampleRate = rate; }
  void StartVoice(CVoice*) {}
  void UpdateParams(unsigned int n);

 protected:
  static const unsigned int MAX_PARAMS = 5;

  explicit CBusStage(IGlobalSynth* synth) : m_synth(synth) {}

  // Binds param to baseId (bus 0) and registers it; at most MAX_PARAMS.
  void _AddParam(MODULATED_PARAM& param, unsigned int baseId);

  IGlobalSynth* m_synth;
  unsigned int m_bus = 0;
  float m_sampleRate = 0.0f;

 private:
  MODULATED_PARAM* m_params[MAX_PARAMS] = {};
  unsigned int m_baseIds[MAX_PARAMS] = {};
  unsigned int m_paramCount = 0;
};
