#pragma once
// Mixes the four oscillator outputs into the two bus inputs.

class IGlobalSynth;
class CStereoBuffer;

class CBusRouter {
 public:
  explicit CBusRouter(IGlobalSynth* synth);
  ~CBusRouter();
  void SetSampleRate(float oversampledRate);
  void UpdateParams(unsigned int hostFrames);
  // oscOutputs: 4 buffers; busInputs: 2 buffers; n oversampled frames.
  void Route(CStereoBuffer* oscOutputs, CStereoBuffer* busInputs, unsigned int n);

 private:
  IGlobalSynth* m_synth;
};
