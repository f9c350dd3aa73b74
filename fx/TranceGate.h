#pragma once
// Trance gate: chops the two stereo bus mixes with a tempo-synced pattern
// of up to 16 on/off steps, with ramped edges and a dry/wet mix. The same
// left and right gains apply to both bus mixes; the right channel follows
// the left row or, in stereo, its own row. Runs at the host rate after the
// exciters and before the effects matrix.

#include "engine/ModulatedParam.h"

class IGlobalSynth;
class CStereoBuffer;

class CTranceGate {
 public:
  explicit CTranceGate(IGlobalSynth* synth);
  ~CTranceGate();
  CTranceGate(const CTranceGate&) = delete;
  CTranceGate& operator=(const CTranceGate&) = delete;

  // Restarts the pattern at step 0 with both edges fading in from silence.
  void FirstKeyPress();
  // mixes: the two bus mixes; n host frames, in place.
  void Generate(CStereoBuffer* mixes, unsigned int n);
  void Reset();
  void SetSampleRate(float sr);
  void UpdateParams(unsigned int n);

  unsigned int GetStep() const { return m_step; }
  float GetPhase() const { return m_phase; }

 private:
  // Gain of one side for this sample: a running attack ramp first, then a
  // running release ramp, else the settled gain of the step.
  static float _Gain(float& attack, float& release, bool open, float speed);

  IGlobalSynth* m_synth;
  float m_sampleRate = 0.0f;
  float m_phase = 0.0f;
  float m_attackL = 0.0f;
  float m_releaseL = 0.0f;
  float m_attackR = 0.0f;
  float m_releaseR = 0.0f;
  unsigned int m_step = 0;
  MODULATED_PARAM m_rate;
  MODULATED_PARAM m_smooth;
  MODULATED_PARAM m_mix;
};
