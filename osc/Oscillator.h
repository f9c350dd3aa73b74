#pragma once
// One of the four oscillators; one object serves all voices, per-voice state
// lives in CVoice.

class IGlobalSynth;
class CVoice;

class COscillator {
 public:
  explicit COscillator(IGlobalSynth* synth);
  ~COscillator();
  COscillator(const COscillator&) = delete;
  COscillator& operator=(const COscillator&) = delete;

  void SetInstance(unsigned int index);
  void SetSampleRate(float oversampledRate);
  void SetBlockSize(unsigned int oversampledFrames);
  void SetWaveTableQuality(unsigned int quality);
  void Reset(CVoice* voice);
  void StartVoice(CVoice* voice);
  void ResetGlide();
  void RebuildOscFX();
  void UpdateParams(unsigned int hostFrames);
  void UpdateWaveTable();
  // Renders one sub-voice into left/right (n oversampled frames), overwriting them.
  void Generate(CVoice* voice, float* left, float* right, float* fmSource, unsigned int n);

  float* GetOscWaveTable();
  char* GetOscWaveTableName();
  void GetSample(float** left, float** right, unsigned int& frames, float* rate);
  const char* GetSamplePath();
  bool LoadSample(const char* path);
  bool LoadSampleFromMemory(float* left, float* right, unsigned int frames, float rate, const char* name);

 private:
  IGlobalSynth* m_synth;
  unsigned int m_index = 0;
};
