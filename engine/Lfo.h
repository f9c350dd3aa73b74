#pragma once
// Low-frequency oscillator of the modulation system. One object serves all
// voices; each voice keeps its own phase and random values in LFO_STATE, the
// object keeps the seed, the free-running phase and the shared random values.

#include "engine/ModulatedParam.h"
#include "engine/ParamIds.h"

class CVoice;
class IGlobalSynth;

struct LFO_STATE {
  float phase;     // 0 <= phase < 1, used in "poly" mode
  float current;   // current random value
  float previous;  // previous random value
};


enum : unsigned int {
  LFO_TRIGGER_POLY = 0,
  LFO_TRIGGER_FREE = 1,
  LFO_TRIGGER_FIRST_KEY = 2,
};

const unsigned int LFO_SHAPE_COUNT = 11;

class CLfo {
 public:
  explicit CLfo(IGlobalSynth* synth);
  ~CLfo() = default;

  void SetInstance(unsigned int instance);
  void SetSampleRate(float rate);
  void UpdateParams(unsigned int n);
  void Reset(CVoice* voice);
  // Writes n samples to out; with out null only the voice's LFO state moves
  // on (phase and random values), exactly as with an output.
  void Generate(CVoice* voice, float* out, unsigned int n);
  void FreePhaseRun(unsigned int n);
  void FirstKeyPress();
  void ResetFreePhase();

  unsigned int GetInstance() const { return m_instance; }
  float GetFreePhase() const { return m_freePhase; }
  float GetSeed() const { return m_seed; }

 private:
  // Cycle time increment per sample at rate 1 for the current settings.
  float _GetIncrement(unsigned int shape);

  IGlobalSynth* m_synth;
  unsigned int m_instance = 0;
  float m_sampleRate = 0.0f;
  float m_seed = 0.0f;
  float m_freePhase = 0.0f;
  float m_current = 0.0f;
  float m_previous = 0.0f;
  MODULATED_PARAM m_amount;
  MODULATED_PARAM m_rate;
  MODULATED_PARAM m_phase;
};
