// Cost of the per-voice modulators (vibrato, LFOs, MSEGs, envelopes) for one
// voice and one block, with 0, 8 and 24 active modulation slots, and of the
// once-per-block parameter update of the matrix.

#include <benchmark/benchmark.h>

#include <memory>

#include "engine/GlobalSynth.h"
#include "engine/ModulatedParam.h"
#include "engine/ModulationMatrix.h"
#include "engine/ParamHandler.h"
#include "engine/ParamIds.h"
#include "engine/Voice.h"

namespace {

const float kRate = 44100.0f;
const unsigned int kBlock = 128;

struct Engine {
  CGlobalSynth synth;
  CParamHandler params{&synth};
  CModulationMatrix matrix{&synth};
  std::unique_ptr<CVoice> voice;

  explicit Engine(unsigned int slots) {
    synth.SetParamHandler(&params);
    synth.SetIModulation(&matrix);
    synth.SetSampleRate(kRate);
    params.SetSampleRate(kRate);
    params.SetBlockSize(kBlock);
    matrix.SetSampleRate(kRate);
    matrix.SetBlockSize(kBlock);
    synth.GetFilterMemoryPool()->SetCapacity(64, 64);
    // Every generator on, so a slot that uses one runs it.
    for (unsigned int k = 0; k < 4; ++k) {
      params.SetParam(PARAM_LFO_ON + k, 1.0f);
      params.SetParam(PARAM_LFO_SHAPE + k, static_cast<float>(k));
      params.SetParam(PARAM_ENV_ON + k, 1.0f);
      params.SetParam(PARAM_MSEG_ON + k, 1.0f);
    }
    // Audio-rate sources in turn (LFO 1-3, envelopes 1-3, MSEG 1-4) on
    // targets below the LFO and MSEG ranges, so no slot is refused.
    const float sources[] = {1, 2, 3, 5, 6, 7, 9, 10, 11, 12};
    for (unsigned int i = 0; i < slots && i < MOD_SLOT_COUNT; ++i) {
      params.SetParam(PARAM_MOD_SOURCE + i, sources[i % 10]);
      params.SetParam(PARAM_MOD_TARGET + i, static_cast<float>(1 + (i * 5) % 119));
      params.SetParam(PARAM_MOD_DEPTH + i, 0.75f);
    }
    params.Update();
    matrix.RebuildMatrix();
    voice.reset(new CVoice(&synth, 60, 1.0f, kRate, 0));
    matrix.PolyReset(voice.get());
  }
};

void BM_PolyGeneratePerVoice(benchmark::State& state) {
  Engine e(static_cast<unsigned int>(state.range(0)));
  e.matrix.UpdateParams(kBlock);
  for (auto _ : state) {
    e.matrix.PolyGenerate(e.voice.get(), kBlock);
    benchmark::DoNotOptimize(e.matrix.GetAmpEnv()[kBlock - 1]);
  }
  state.counters["samples"] = kBlock;
}
BENCHMARK(BM_PolyGeneratePerVoice)->Arg(0)->Arg(8)->Arg(24);

void BM_MatrixUpdateParamsPerBlock(benchmark::State& state) {
  Engine e(static_cast<unsigned int>(state.range(0)));
  for (auto _ : state) e.matrix.UpdateParams(kBlock);
}
BENCHMARK(BM_MatrixUpdateParamsPerBlock)->Arg(0)->Arg(24);

// Reading one modulated parameter for a block with 0 and 4 sources.
void BM_ModulatedParamBlock(benchmark::State& state) {
  Engine e(24);
  e.matrix.UpdateParams(kBlock);
  // Target 1 + 5 i for i = 0, 24... holds sources; pick the id of target 1.
  MODULATED_PARAM p;
  p.Init(&e.synth, 0);
  p.SetUseOversamplingShift(false);
  p.Refresh();
  MOD_SOURCE_LIST* list = e.matrix.GetSourceListOfTarget(1);
  unsigned int sources = static_cast<unsigned int>(state.range(0));
  list->count = sources < list->count ? sources : list->count;
  for (unsigned int k = list->count; k < sources && list->count > 0; ++k) {
    list->source[k] = list->source[0];
    list->amount[k] = list->amount[0];
    list->count = k + 1;
  }
  p.list = list;
  for (auto _ : state) {
    float s = 0.0f;
    for (unsigned int i = 0; i < kBlock; ++i) s += p.GetValue(i);
    benchmark::DoNotOptimize(s);
  }
}
BENCHMARK(BM_ModulatedParamBlock)->Arg(0)->Arg(4);

}  // namespace
