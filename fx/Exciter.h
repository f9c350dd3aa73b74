#pragma once
// Placeholder exciter: works in place on one bus mix at the host rate and
// passes it through unchanged until the real exciter lands.

class IGlobalSynth;

class CExciter {
 public:
  explicit CExciter(IGlobalSynth* synth);
  ~CExciter();
  CExciter(const CExciter&) = delete;
  CExciter& operator=(const CExciter&) = delete;

  void Process(float* left, float* right, unsigned int n);
  void Reset();
  void SetSampleRate(float sr);

 private:
  IGlobalSynth* m_synth;
  float m_sampleRate = 0.0f;
};
