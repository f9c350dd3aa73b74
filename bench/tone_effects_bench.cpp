// Cost of the reverb, equalizer, distortion (at 2x, 4x and 8x oversampling),
// grain shifter, phaser and tremolo: ns per stereo sample at 44.1 kHz in
// blocks of 256, every parameter mid-range, both channels fed noise.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "engine/ParamIds.h"
#include "fx/Distortion.h"
#include "fx/Equalizer.h"
#include "fx/GrainShifter.h"
#include "fx/Phaser.h"
#include "fx/Reverb.h"
#include "fx/Tremolo.h"
#include "tests/fx/FxSynthDouble.h"

namespace {

const unsigned int BLOCK = 256;

class CBenchSynth : public CFxSynthDouble {
 public:
  unsigned int factor = 4;
  unsigned int GetOversampling() override { return factor; }
  unsigned int GetOversamplingShift() override { return factor == 2 ? 1 : (factor == 4 ? 2 : 3); }
};

template <class T>
void BM_Effect(benchmark::State& state) {
  CBenchSynth synth;
  synth.factor = static_cast<unsigned int>(state.range(0));
  for (unsigned int id = PARAM_FX_REVERB; id <= PARAM_FX_GRAINSHIFTER + 11; ++id) synth.Set(id, 0.6f);
  synth.Set(PARAM_TREMOLO_SYNC, 3.0f);
  synth.Set(PARAM_DIST_CURVE, 1.0f);
  std::unique_ptr<T> fx(new T(&synth, 0));
  fx->SetSampleRate(44100.0f);
  fx->SetBlockSize(BLOCK);
  fx->Reset();
  std::vector<float> left(BLOCK), right(BLOCK);
  std::srand(3);
  for (unsigned int i = 0; i < BLOCK; ++i) {
    left[i] = static_cast<float>(std::rand()) / RAND_MAX - 0.5f;
    right[i] = static_cast<float>(std::rand()) / RAND_MAX - 0.5f;
  }
  std::vector<float> l(BLOCK), r(BLOCK);
  for (auto _ : state) {
    l = left;
    r = right;
    fx->UpdateParams(BLOCK);
    fx->Process(l.data(), r.data(), BLOCK);
    benchmark::DoNotOptimize(l.data());
    benchmark::ClobberMemory();
  }
  state.counters["ns/sample"] = benchmark::Counter(
      static_cast<double>(BLOCK) * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK_TEMPLATE(BM_Effect, CReverb)->Arg(4);
BENCHMARK_TEMPLATE(BM_Effect, CEqualizer)->Arg(4);
BENCHMARK_TEMPLATE(BM_Effect, CDistortion)->Arg(2)->Arg(4)->Arg(8);
BENCHMARK_TEMPLATE(BM_Effect, CGrainShifter)->Arg(4);
BENCHMARK_TEMPLATE(BM_Effect, CPhaser)->Arg(4);
BENCHMARK_TEMPLATE(BM_Effect, CTremolo)->Arg(4);

}  // namespace
