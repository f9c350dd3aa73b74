#pragma once
// Placeholder trance gate: applies its step gate in place to both bus mixes
// at the host rate; passes them through unchanged until the real gate lands.

class IGlobalSynth;
class CStereoBuffer;

class CTranceGate {
 public:
  explicit CTranceGate(IGlobalSynth* synth);
  ~CTranceGate();
  CTranceGate(const CTranceGate&) = delete;
  CTranceGate& operator=(const CTranceGate&) = delete;

  void FirstKeyPress();
  // mixes: the two bus mixes; n host frames.
  void Generate(CStereoBuffer* mixes, unsigned int n);
  void Reset();
  void SetSampleRate(float sr);
  void UpdateParams(unsigned int n);

 private:
  IGlobalSynth* m_synth;
  float m_sampleRate = 0.0f;
};
