// Cost of the sample player (oscillator mode 56) at 4x oversampling: ns per
// oscillator-rate sample of one voice, plain playback and eight grains, with
// its stereo filter and drive off, and with a 24 dB low-pass, a comb and the
// hard-clip drive.

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "dsp/FilterBank.h"
#include "engine/MemoryPool.h"
#include "tests/osc/OscFixture.h"

namespace {

const unsigned int HOST_BLOCK = 256;

void BM_SamplePlayer(benchmark::State& state) {
  const bool grains = state.range(0) != 0;
  const int filterMode = static_cast<int>(state.range(1));
  const bool drive = state.range(2) != 0;
  COscFixture f(4, HOST_BLOCK);
  const unsigned int len = FilterBank::LineLength(FilterBank::ComputeTuning().maxTime, f.OscRate());
  f.synth.GetFilterMemoryPool()->SetCapacity((3 * len + FilterBank::EXTRA_WORDS) * 4 + 8, 16);
  std::vector<float> sample(44100);
  for (size_t i = 0; i < sample.size(); ++i) sample[i] = std::sin(0.0628f * static_cast<float>(i));
  f.osc[0]->LoadSampleFromMemory(sample.data(), sample.data(), 44100, 44100.0f, "bench");
  f.Set(PARAM_OSC_MODE, 56.0f);
  f.Set(PARAM_OSC_LEVEL, 1.0f);
  f.Set(PARAM_OSC_FREE_PHASE, 1.0f);
  f.Set(PARAM_OSC_INVERT, grains ? 1.0f : 0.0f);
  f.Set(PARAM_OSC_FX_AMOUNT, 1.0f);  // eight grains
  f.Set(PARAM_OSC_FILTER_MODE, static_cast<float>(filterMode));
  f.Set(PARAM_OSC_CUTOFF, 0.6f);
  f.Set(PARAM_OSC_RES, 0.5f);
  f.Set(PARAM_OSC_DRIVE_TYPE, 2.0f);
  f.Set(PARAM_OSC_DRIVE, drive ? 0.5f : 0.0f);
  auto voice = f.NewVoice(60);
  f.Start(voice.get());
  const unsigned int n = f.OscBlock();
  for (auto _ : state) {
    f.osc[0]->UpdateParams(HOST_BLOCK);
    f.osc[0]->Generate(voice.get(), f.outL[0].data(), f.outR[0].data(), f.scratch.data(), n);
    benchmark::DoNotOptimize(f.outL[0].data());
    benchmark::ClobberMemory();
  }
  state.counters["ns/sample"] =
      benchmark::Counter(static_cast<double>(n) * 1e-9, benchmark::Counter::kIsIterationInvariantRate |
                                                            benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(BM_SamplePlayer)
    ->ArgNames({"grains", "filter", "drive"})
    ->Args({0, 0, 0})
    ->Args({0, FilterBank::MODE_LP24, 0})
    ->Args({0, FilterBank::MODE_LP24, 1})
    ->Args({0, FilterBank::MODE_COMB_POS, 1})
    ->Args({1, 0, 0})
    ->Args({1, FilterBank::MODE_LP24, 1});
