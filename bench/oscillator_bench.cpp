// Cost of the oscillators' render path: ns per oscillator-rate sample for
// each basic wave at 2x, 4x and 8x oversampling, and one voice with four saw
// oscillators at unison 1 and 8 (ns per oscillator-rate sample of the voice,
// all oscillators and sub-voices together), and each computed wave at 4x.

#include <benchmark/benchmark.h>

#include "tests/osc/OscFixture.h"

namespace {

const unsigned int HOST_BLOCK = 256;

// One oscillator rendering mode `mode` at note `note`, Morph X and Y at
// `morph`, through the oscillator's whole render call.
void RunMode(benchmark::State& state, float mode, unsigned int os, float morph, int note) {
  COscFixture f(os, HOST_BLOCK);
  f.Set(PARAM_OSC_MODE, mode);
  f.Set(PARAM_OSC_MORPH_X, morph);
  f.Set(PARAM_OSC_MORPH_Y, morph);
  auto voice = f.NewVoice(note);
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

// The basic waves at 2x, 4x and 8x.
void BM_BasicWave(benchmark::State& state) {
  RunMode(state, static_cast<float>(state.range(0)), static_cast<unsigned int>(state.range(1)), 0.3f, 60);
}

// The computed waves (modes 4 to 54) at 4x, Morph X and Y at mid settings so
// that every shaping path runs.
void BM_ComputedWave(benchmark::State& state) { RunMode(state, static_cast<float>(state.range(0)), 4, 0.5f, 48); }

void BM_FourSawVoice(benchmark::State& state) {
  const unsigned int unison = static_cast<unsigned int>(state.range(0));
  COscFixture f(4, HOST_BLOCK);
  f.Set(PARAM_UNISON_COUNT, static_cast<float>(unison));
  for (unsigned int k = 0; k < 4; ++k) {
    f.Set(PARAM_OSC_ON + k, 1.0f);
    f.Set(PARAM_OSC_MODE + k, 1.0f);
    f.Set(PARAM_OSC_SEMITONE + k, static_cast<float>(k));
  }
  auto voice = f.NewVoice(60);
  for (unsigned int u = 0; u < voice->GetUnisonCount(); ++u) f.Start(voice->GetVoice(u));
  const unsigned int n = f.OscBlock();
  for (auto _ : state) {
    for (unsigned int u = 0; u < voice->GetUnisonCount(); ++u) f.Block(voice->GetVoice(u));
    benchmark::DoNotOptimize(f.outL[0].data());
    benchmark::ClobberMemory();
  }
  state.counters["sub-voices"] = voice->GetUnisonCount();
  state.counters["ns/sample"] =
      benchmark::Counter(static_cast<double>(n) * 1e-9, benchmark::Counter::kIsIterationInvariantRate |
                                                            benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(BM_BasicWave)
    ->ArgNames({"mode", "os"})
    ->ArgsProduct({{0, 1, 2, 3}, {2, 4, 8}});
BENCHMARK(BM_ComputedWave)->ArgName("mode")->DenseRange(4, 54);
BENCHMARK(BM_FourSawVoice)->ArgName("unison")->Arg(1)->Arg(8);
