// Cost of the parameter store's per-block work.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "engine/GlobalSynth.h"
#include "engine/ParamHandler.h"

namespace {
struct Store {
  Store() {
    setenv("MORLAVINE_DATA_DIR", "/tmp/morlavine-bench", 1);
    synth.SetParamHandler(&params);
    params.SetSampleRate(44100.0f);
    params.SetBlockSize(512);
  }
  ~Store() { synth.SetParamHandler(nullptr); }
  CGlobalSynth synth;
  CParamHandler params{&synth};
};
}  // namespace

// UpdateParam for all 361 modulatable ids, one 512-frame block, while every
// id is ramping.
static void BM_UpdateAllModulatable(benchmark::State& state) {
  Store s;
  unsigned int n = 0;
  for (auto _ : state) {
    if ((n++ & 1) == 0)
      for (unsigned int id = 0; id < MODULATABLE_PARAM_COUNT; ++id) s.params.SetParam(id, (n & 2) ? 0.2f : 0.8f);
    for (unsigned int id = 0; id < MODULATABLE_PARAM_COUNT; ++id) s.params.UpdateParam(id, 512);
    benchmark::ClobberMemory();
  }
  state.counters["ns/id"] = benchmark::Counter(double(state.iterations()) * MODULATABLE_PARAM_COUNT,
                                               benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_UpdateAllModulatable);

// Block start after one plain setting changed: the whole deferred area is
// copied into the live image.
static void BM_DeferredUpdateAfterOneChange(benchmark::State& state) {
  Store s;
  float v = 0.0f;
  for (auto _ : state) {
    s.params.SetParam(500, v += 1.0f);
    s.params.Update();
    s.params.ClearStatus();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_DeferredUpdateAfterOneChange);

// The usual case: nothing is ramping, every buffer is a fill.
static void BM_UpdateAllModulatableSettled(benchmark::State& state) {
  Store s;
  for (unsigned int id = 0; id < MODULATABLE_PARAM_COUNT; ++id) s.params.UpdateParam(id, 512);
  for (auto _ : state) {
    for (unsigned int id = 0; id < MODULATABLE_PARAM_COUNT; ++id) s.params.UpdateParam(id, 512);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_UpdateAllModulatableSettled);
