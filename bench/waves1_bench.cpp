// Cost of the phase-modulation, resonant, sync and formant waves (modes 4
// to 25): ns per oscillator-rate sample of one oscillator at 4x
// oversampling, through the oscillator's whole render call, with Morph X
// and Y at mid settings so that every shaping path runs.

#include <benchmark/benchmark.h>

#include "tests/osc/OscFixture.h"

namespace {

const unsigned int HOST_BLOCK = 256;

void BM_ComputedWave(benchmark::State& state) {
  const float mode = static_cast<float>(state.range(0));
  COscFixture f(4, HOST_BLOCK);
  f.Set(PARAM_OSC_MODE, mode);
  f.Set(PARAM_OSC_MORPH_X, 0.5f);
  f.Set(PARAM_OSC_MORPH_Y, 0.5f);
  auto voice = f.NewVoice(48);
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

BENCHMARK(BM_ComputedWave)->ArgName("mode")->DenseRange(4, 25);
