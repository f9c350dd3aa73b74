#pragma once
// Applies the amplitude envelope and the voice switch to a voice's stereo
// bus output.

class CVoice;
class IGlobalSynth;

class CAmpEnv {
 public:
  explicit CAmpEnv(IGlobalSynth* synth);
  ~CAmpEnv();

  // Multiplies n samples (at the oversampled rate) of left and right in
  // place by the voice's gain.
  void Process(CVoice* voice, float* left, float* right, unsigned int n);

 private:
  IGlobalSynth* m_synth;
};
