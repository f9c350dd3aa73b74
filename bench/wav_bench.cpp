// Loading and saving WAV files: a 10-second stereo sample and a wavetable.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "osc/SampleLoader.h"
#include "osc/WavFileSave.h"
#include "osc/WaveLib.h"

namespace {

std::string ScratchPath(const char* name) {
  return "/tmp/morlavine_bench_" + std::to_string(long(getpid())) + "_" + name;
}

void BM_SampleLoadFloatStereo10s(benchmark::State& state) {
  const uint32_t frames = 441000;
  std::vector<float> l(frames), r(frames);
  for (uint32_t i = 0; i < frames; ++i) {
    l[i] = std::sin(0.01f * float(i));
    r[i] = std::cos(0.013f * float(i));
  }
  float* ch[2] = {l.data(), r.data()};
  const std::string path = ScratchPath("sample.wav");
  if (!WaveLib::saveToFile(path.c_str(), ch, 2, 44100.0f, frames)) {
    state.SkipWithError("cannot write the test file");
    return;
  }
  CSampleLoader loader;
  for (auto _ : state) {
    bool ok = loader.Load(path.c_str());
    benchmark::DoNotOptimize(ok);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * frames * 8);
  remove(path.c_str());
}
BENCHMARK(BM_SampleLoadFloatStereo10s)->Unit(benchmark::kMillisecond);

void BM_WavetableSave(benchmark::State& state) {
  std::vector<float> wave(16384, 0.25f);
  const std::string path = ScratchPath("table.wav");
  CWavFileSave saver;
  for (auto _ : state) {
    bool ok = saver.Save(path.c_str(), wave.data(), 16384);
    benchmark::DoNotOptimize(ok);
  }
  remove(path.c_str());
}
BENCHMARK(BM_WavetableSave)->Unit(benchmark::kMicrosecond);

}  // namespace
