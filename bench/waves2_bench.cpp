// Cost of the instrument, organ, inharmonic, harmonic and noise modes
// (26 to 54): ns per oscillator-rate sample of one oscillator at 4x
// oversampling, Morph X and Y at 0.3, middle C.

#include <benchmark/benchmark.h>

#include "tests/osc/OscFixture.h"

namespace {

const unsigned int HOST_BLOCK = 256;

void BM_Waves2Mode(benchmark::State& state) {
  const float mode = static_cast<float>(state.range(0));
  COscFixture f(4, HOST_BLOCK);
  f.Set(PARAM_OSC_MODE, mode);
  f.Set(PARAM_OSC_MORPH_X, 0.3f);
  f.Set(PARAM_OSC_MORPH_Y, 0.3f);
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

BENCHMARK(BM_Waves2Mode)->ArgName("mode")->DenseRange(26, 54);
