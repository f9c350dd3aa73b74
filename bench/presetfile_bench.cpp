// Preset files with a 10-second stereo sample in one oscillator: saving
// (temporary file, sync, rename) and loading (whole-file checks, sample
// copy into the oscillator); and the recorder's capture of one slice.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/AccessLock.h"
#include "engine/GlobalSynth.h"
#include "engine/ParamIds.h"
#include "engine/PresetFile.h"
#include "engine/SampleRecorder.h"
#include "engine/VoiceManager.h"

namespace {

std::string ScratchPath(const char* name) {
  return "/tmp/morlavine_bench_" + std::to_string(long(getpid())) + "_" + name;
}

struct BENCH_ENGINE {
  CGlobalSynth synth;
  CVoiceManager vm{&synth};
  CPresetFile file{&synth};
  BENCH_ENGINE() {
    vm.SetSampleRate(44100.0f);
    vm.SetBlockSize(512);
    const unsigned int frames = 441000;
    std::vector<float> l(frames), r(frames);
    for (unsigned int i = 0; i < frames; ++i) {
      l[i] = std::sin(0.01f * float(i));
      r[i] = std::cos(0.013f * float(i));
    }
    char name[] = "bench";
    vm.LoadSampleFromMemory(1, l.data(), r.data(), frames, 44100.0f, name);
    vm.SetIntParam(PARAM_OSC_MODE + 1, 56);
  }
};

void BM_PresetSaveWithSample10s(benchmark::State& state) {
  BENCH_ENGINE e;
  const std::string path = ScratchPath("save.p");
  for (auto _ : state) {
    const unsigned int size = e.vm.SavePreset(e.file.GetBuffer(), 0, 0);
    bool ok = e.file.SaveToFile(&e.vm, 0, size, path.c_str(), nullptr, nullptr, nullptr, nullptr);
    if (!ok) state.SkipWithError("save failed");
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * (441000 * 8 + PRESET_BYTES));
  remove(path.c_str());
}
BENCHMARK(BM_PresetSaveWithSample10s)->Unit(benchmark::kMillisecond);

void BM_PresetLoadWithSample10s(benchmark::State& state) {
  BENCH_ENGINE e;
  const std::string path = ScratchPath("load.p");
  const unsigned int size = e.vm.SavePreset(e.file.GetBuffer(), 0, 0);
  if (!e.file.SaveToFile(&e.vm, 0, size, path.c_str(), nullptr, nullptr, nullptr, nullptr)) {
    state.SkipWithError("cannot write the test file");
    return;
  }
  for (auto _ : state) {
    bool ok = e.file.LoadFromFile(&e.vm, path.c_str(), nullptr, nullptr);
    if (!ok) state.SkipWithError("load failed");
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * (441000 * 8 + PRESET_BYTES));
  remove(path.c_str());
}
BENCHMARK(BM_PresetLoadWithSample10s)->Unit(benchmark::kMillisecond);

void BM_RecorderCaptureSlice512(benchmark::State& state) {
  CAccessLock lock;
  CSampleRecorder rec(&lock);
  rec.Arm(44100.0f);
  std::vector<float> l(512, 0.25f), r(512, -0.25f);
  for (auto _ : state) {
    if (!rec.IsRecording()) rec.StartInPlace();
    rec.Process(l.data(), r.data(), 512);
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * 512);
}
BENCHMARK(BM_RecorderCaptureSlice512);

}  // namespace
