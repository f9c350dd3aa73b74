// Cost per stereo sample at 44.1 kHz of the delay, echoes, chorus, flanger,
// trance gate and exciter, with every parameter at a mid setting, blocks of
// 256 host frames and the block update of the parameters included.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "engine/Buffers.h"
#include "engine/GlobalSynth.h"
#include "engine/ParamHandler.h"
#include "engine/ParamIds.h"
#include "fx/Chorus.h"
#include "fx/Delay.h"
#include "fx/Echoes.h"
#include "fx/Exciter.h"
#include "fx/Flanger.h"
#include "fx/TranceGate.h"

namespace {

const float kRate = 44100.0f;
const unsigned int kBlock = 256;

struct Engine {
  CGlobalSynth synth;
  CParamHandler params{&synth};
  std::vector<float> left, right;
  Engine() : left(kBlock), right(kBlock) {
    synth.SetParamHandler(&params);
    params.SetBlockSize(kBlock);
    for (unsigned int id = PARAM_FX_CHORUS; id <= 306; ++id) params.SetParam(id, 0.6f);
    params.SetParam(PARAM_DELAY_SYNC_L, 2.0f);
    params.SetParam(PARAM_DELAY_SYNC_R, 3.0f);
    params.SetParam(PARAM_ECHOES_SYNC, 2.0f);
    params.SetParam(PARAM_TG_ON, 1.0f);
    params.SetParam(PARAM_TG_RATE, 1.0f);
    params.SetParam(PARAM_TG_MIX, 1.0f);
    params.SetParam(PARAM_TG_STEPS, 16.0f);
    params.SetParam(PARAM_TG_SYNC, 4.0f);
    for (unsigned int k = 0; k < 16; k += 2) params.SetParam(PARAM_TG_STEP_LEFT + k, 1.0f);
    params.SetParam(PARAM_EXCITER, 1.0f);
    params.Update();
    std::srand(1);
    for (unsigned int i = 0; i < kBlock; ++i) {
      left[i] = float(std::rand()) / RAND_MAX - 0.5f;
      right[i] = float(std::rand()) / RAND_MAX - 0.5f;
    }
  }
};

void PerSample(benchmark::State& state) {
  // Seconds per stereo sample, shown with an SI prefix (n = nanoseconds).
  state.counters["per_stereo_sample"] = benchmark::Counter(
      double(state.iterations()) * kBlock, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

template <typename FX>
void BM_Effect(benchmark::State& state) {
  Engine e;
  FX fx(&e.synth, 0);
  fx.SetSampleRate(kRate);
  fx.SetBlockSize(kBlock);
  fx.Reset();
  std::vector<float> l(kBlock), r(kBlock);
  for (auto _ : state) {
    l = e.left;
    r = e.right;
    fx.UpdateParams(kBlock);
    fx.Process(l.data(), r.data(), kBlock);
    benchmark::DoNotOptimize(l.data());
  }
  PerSample(state);
}

void BM_TranceGate(benchmark::State& state) {
  Engine e;
  CTranceGate gate(&e.synth);
  gate.SetSampleRate(kRate);
  gate.FirstKeyPress();
  CStereoBuffer mixes[2];
  mixes[0].SetSamplesCount(kBlock);
  mixes[1].SetSamplesCount(kBlock);
  for (auto _ : state) {
    gate.UpdateParams(kBlock);
    gate.Generate(mixes, kBlock);  // both bus mixes per call
    benchmark::DoNotOptimize(mixes[0].GetLeftBuffer());
  }
  PerSample(state);
}

void BM_Exciter(benchmark::State& state) {
  Engine e;
  CExciter ex(&e.synth);
  ex.SetSampleRate(kRate);
  std::vector<float> l(kBlock), r(kBlock);
  for (auto _ : state) {
    l = e.left;
    r = e.right;
    ex.Process(l.data(), r.data(), kBlock);
    benchmark::DoNotOptimize(l.data());
  }
  PerSample(state);
}

}  // namespace

BENCHMARK_TEMPLATE(BM_Effect, CDelay);
BENCHMARK_TEMPLATE(BM_Effect, CEchoes);
BENCHMARK_TEMPLATE(BM_Effect, CChorus);
BENCHMARK_TEMPLATE(BM_Effect, CFlanger);
BENCHMARK(BM_TranceGate);
BENCHMARK(BM_Exciter);
