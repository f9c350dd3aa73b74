#pragma once
// One bus: send from bus 1, filter, drive, shaper, lo-fi and the output
// stage (level and pan). Runs per voice or once on the mix.

class IGlobalSynth;
class CStereoBuffer;
class CVoice;

class CBusProcessor {
 public:
  explicit CBusProcessor(IGlobalSynth* synth);
  ~CBusProcessor();
  void SetInstance(unsigned int bus);
  void SetMonoVoice(CVoice* voice);
  void SetSampleRate(float oversampledRate);
  void SetBlockSize(unsigned int oversampledFrames);
  void Reset(CVoice* voice);
  void StartVoice(CVoice* voice);
  void UpdateParams(unsigned int hostFrames);
  void Process(CVoice* voice, CStereoBuffer* buses, unsigned int n);
  void ProcessOutput(CVoice* voice, CStereoBuffer* buses, unsigned int n);

 private:
  IGlobalSynth* m_synth;
  unsigned int m_bus = 0;
  CVoice* m_monoVoice = nullptr;
};
