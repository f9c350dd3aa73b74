#pragma once
// Attack-decay-sustain-release generator of the modulation section. One
// object serves all voices; each voice keeps one ENV_STATE per envelope.

#include "engine/ModulatedParam.h"
#include "engine/ParamIds.h"

class CVoice;
class IGlobalSynth;

enum : unsigned int {
  ENV_STAGE_ATTACK = 0,
  ENV_STAGE_DECAY = 1,
  ENV_STAGE_SUSTAIN = 2,
  ENV_STAGE_RELEASE = 3,
  ENV_STAGE_DONE = 4,
};

struct ENV_STATE {
  unsigned char finished;  // set once the envelope has reached stage 4
  float position;          // 0..1 within the current stage
  float level;             // level reached; the release starts from it
  unsigned int stage;      // ENV_STAGE_*
};


class CEnvelope {
 public:
  explicit CEnvelope(IGlobalSynth* synth);
  ~CEnvelope() = default;

  void SetInstance(unsigned int instance);
  void SetSampleRate(float rate);
  void UpdateParams(unsigned int n);
  void Reset(CVoice* voice);
  void Generate(CVoice* voice, float* out, unsigned int n);

  unsigned int GetInstance() const { return m_instance; }

 private:
  IGlobalSynth* m_synth;
  unsigned int m_instance = 0;
  float m_sampleRate = 44100.0f;
  MODULATED_PARAM m_attack;
  MODULATED_PARAM m_decay;
  MODULATED_PARAM m_sustain;
  MODULATED_PARAM m_release;
  MODULATED_PARAM m_slope;
};
