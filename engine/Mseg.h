#pragma once
// Multi-segment envelope generator: up to 64 breakpoints from the preset
// image, an optional loop while the key is held, and a hold on the last
// point. One object serves all voices; each voice keeps MSEG_STATE, the
// object the shared position of the "MONO" and "FIRST K" trigger modes.

#include "engine/ModulatedParam.h"
#include "engine/ParamIds.h"

class CVoice;
class IGlobalSynth;

struct MSEG_STATE {
  float position;          // in time units
  int pointIndex;          // point the current segment starts from
  unsigned char finished;  // ran past the last point
  float smoothed;          // memory of the smoothed-steps low-pass
};


enum : unsigned int {
  MSEG_CURVE = 0,
  MSEG_STEPS = 1,
  MSEG_SMOOTH_STEPS = 2,
};

enum : unsigned int {
  MSEG_TRIGGER_POLY = 0,
  MSEG_TRIGGER_MONO = 1,
  MSEG_TRIGGER_FIRST_KEY = 2,
};

class CMseg {
 public:
  explicit CMseg(IGlobalSynth* synth);
  ~CMseg() = default;

  void SetInstance(unsigned int instance);
  void SetSampleRate(float rate);
  void UpdateParams(unsigned int n);
  void BeforeProcessFirstVoice();
  void FirstKeyPress();
  void Reset(CVoice* voice);
  // The point that follows index (looping back while the gate is held), or
  // -1 when there is none.
  int GetNextPoint(int index, bool gate);
  void Generate(CVoice* voice, float* out, unsigned int n);

  unsigned int GetInstance() const { return m_instance; }

 private:
  float _PointTime(int k);
  float _PointLevel(int k);
  float _PointCurve(int k);

  IGlobalSynth* m_synth;
  unsigned int m_instance = 0;
  float m_sampleRate = 0.0f;
  MSEG_STATE m_shared;
  unsigned char m_firstVoice = 1;
  unsigned char m_restartRequest = 0;
  unsigned char m_firstKeyRequest = 0;
  MODULATED_PARAM m_rate;
  float m_a = 0.0f;
  float m_b = 0.0f;
};
