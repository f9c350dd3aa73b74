#pragma once
// A small stand-in for the engine's command interface: parameters in a plain
// array, four oscillator samples with loop, root pitch and name, and a count
// of the calls that change a sample. The recorder operations do nothing.

#include <cstring>
#include <string>
#include <vector>

#include "engine/ICommandHandler.h"

class CCommandHandlerDouble : public ICommandHandler {
 public:
  struct SAMPLE {
    std::vector<float> left, right;
    float rate = 0.0f;
    unsigned int loopStart = 0, loopEnd = 0, rootPitch = 60;
    std::string path;
    bool operator==(const SAMPLE& o) const {
      return left == o.left && right == o.right && rate == o.rate && loopStart == o.loopStart &&
             loopEnd == o.loopEnd && rootPitch == o.rootPitch && path == o.path;
    }
  };

  CCommandHandlerDouble() : params(PARAM_COUNT, 0.0f) {}

  unsigned int GetIntParam(unsigned int id) override {
    return id < PARAM_COUNT ? static_cast<unsigned int>(static_cast<int>(params[id])) : 0;
  }
  float GetFloatParam(unsigned int id) override { return id < PARAM_COUNT ? params[id] : 0.0f; }
  void SetIntParam(unsigned int id, unsigned int value) override {
    if (id < PARAM_COUNT) params[id] = static_cast<float>(static_cast<int>(value));
  }
  void SetFloatParam(unsigned int id, float value) override {
    if (id < PARAM_COUNT) params[id] = value;
  }
  void ResetParamToFactory(unsigned int) override {}
  bool LoadPreset(SYNTH_PRESET*, unsigned int, unsigned int, unsigned int) override { return true; }
  unsigned int SavePreset(SYNTH_PRESET*, unsigned int, unsigned int) override { return 0; }
  void SetOscWaveTable(float*, char*, unsigned int) override {}
  void GetOscWaveTable(float**, char*, unsigned int) override {}
  void Panic() override {}
  bool LoadSample(char const*, unsigned int) override { return false; }
  bool LoadSampleFromMemory(unsigned int osc, float* left, float* right, unsigned int frames, float rate,
                            char* name) override {
    if (osc > 3) return false;
    ++changes;
    SAMPLE& s = samples[osc];
    s.left.assign(left, left + frames);
    s.right.assign(right, right + frames);
    s.rate = rate;
    s.loopStart = 0;
    s.loopEnd = frames ? frames - 1 : 0;
    s.path = name ? name : "";
    return true;
  }
  const char* GetLoadedSamplePath(unsigned int osc) override { return osc < 4 ? samples[osc].path.c_str() : nullptr; }
  void GetSample(unsigned int osc, float** left, float** right, unsigned int& frames, float* rate) override {
    if (osc > 3) return;
    SAMPLE& s = samples[osc];
    *left = s.left.empty() ? nullptr : s.left.data();
    *right = s.right.empty() ? nullptr : s.right.data();
    frames = static_cast<unsigned int>(s.left.size());
    if (rate) *rate = s.rate;
  }
  void SetSampleLoop(unsigned int osc, unsigned int start, unsigned int end) override {
    if (osc > 3) return;
    ++changes;
    samples[osc].loopStart = start;
    samples[osc].loopEnd = end;
  }
  void SetRecSampleLoop(float, float) override {}
  void SetSampleRootPitch(unsigned int osc, unsigned int pitch) override {
    if (osc > 3) return;
    ++changes;
    samples[osc].rootPitch = pitch;
  }
  unsigned int GetSampleLoopStart(unsigned int osc) override { return osc < 4 ? samples[osc].loopStart : 0; }
  unsigned int GetSampleLoopEnd(unsigned int osc) override { return osc < 4 ? samples[osc].loopEnd : 0; }
  unsigned int GetSampleRootPitch(unsigned int osc) override { return osc < 4 ? samples[osc].rootPitch : 0; }
  void StartRecording() override {}
  void StopRecording() override {}
  void ArmRecording() override {}
  void DisarmRecording() override {}
  void StartPlayback() override {}
  void StopPlayback() override {}
  bool IsPlaybackActive() override { return false; }
  void DeleteRecordedSample() override {}
  bool IsRecordingActive() override { return false; }
  void GetRecordedSample(float** left, float** right, unsigned int& frames) override {
    if (!left || !right) return;
    *left = *right = nullptr;
    frames = 0;
  }
  unsigned int CopyRecordedSample(unsigned int, unsigned int, float*, float*, unsigned int& frames,
                                  unsigned int& generation) override {
    frames = 0;
    generation = 0;
    return 0;
  }
  void CropRecordedSample() override {}
  void TrimRecordedSample() override {}
  void ReverseRecordedSample() override {}
  void InsertRecordedSampleToOsc(unsigned int) override {}

  std::vector<float> params;
  SAMPLE samples[4];
  unsigned int changes = 0;
};
