// Cost of one host block through the voice manager with 0, 8 and 32 held
// voices at 2x, 4x and 8x oversampling, reported per host sample, so that
// each stage that lands shows its cost.
#include <benchmark/benchmark.h>

#include <vector>

#include "engine/GlobalSynth.h"
#include "engine/ParamIds.h"
#include "engine/VoiceManager.h"

namespace {

const unsigned int BLOCK = 256;

// Parameter 1581: 2 selects 2x, 0 selects 4x, 1 selects 8x.
float OversamplingSelector(int factor) { return factor == 2 ? 2.0f : (factor == 4 ? 0.0f : 1.0f); }

void BM_Generate(benchmark::State& state) {
  const int voices = static_cast<int>(state.range(0));
  const int factor = static_cast<int>(state.range(1));
  CGlobalSynth synth;
  CVoiceManager vm(&synth);
  synth.SetSampleRate(44100.0f);
  vm.SetSampleRate(44100.0f);
  vm.SetBlockSize(BLOCK);
  synth.SetParam(PARAM_OVERSAMPLING, OversamplingSelector(factor));
  synth.SetParam(PARAM_MAX_VOICES, 64.0f);
  std::vector<float> left(BLOCK, 0.0f), right(BLOCK, 0.0f);
  vm.Generate(left.data(), right.data(), 0);
  for (int k = 0; k < voices; ++k) vm.StartVoice(36 + k, 0.8f, false);
  vm.Generate(left.data(), right.data(), BLOCK);

  for (auto _ : state) {
    vm.Generate(left.data(), right.data(), BLOCK);
    benchmark::DoNotOptimize(left.data());
    benchmark::ClobberMemory();
  }
  state.counters["ns_per_sample"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * BLOCK, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["voices"] = static_cast<double>(vm.GetVoiceCount());
  state.counters["factor"] = static_cast<double>(synth.GetOversampling());
}

}  // namespace

BENCHMARK(BM_Generate)->ArgsProduct({{0, 8, 32}, {2, 4, 8}})->ArgNames({"voices", "os"});
