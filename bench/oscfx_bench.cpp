// Cost of the oscillator effects, the bus shaper and the lo-fi at 4x
// oversampling: ns per oscillator-rate sample of one voice (for the bus
// stages, per stereo frame of one voice), with each stage engaged.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "dsp/Brilliance.h"
#include "dsp/BusShaper.h"
#include "dsp/Chip.h"
#include "dsp/LoFi.h"
#include "dsp/OscAmountEffects.h"
#include "dsp/Ringer.h"
#include "dsp/Scissor.h"
#include "dsp/SubOsc.h"
#include "tests/osc/OscFixture.h"

namespace {

const unsigned int HOST_BLOCK = 256;
const unsigned int OS = 4;
const char* const NAMES[] = {"buzz", "sciss", "sub", "brill", "feed", "erose", "chip"};

std::unique_ptr<IOscEffect> MakeEffect(unsigned int type, IGlobalSynth* synth) {
  switch (type) {
    case OSC_FX_BUZZ: return std::make_unique<CBuzz>(synth);
    case OSC_FX_SCISSOR: return std::make_unique<CScissor>(synth);
    case OSC_FX_SUB: return std::make_unique<CSubOsc>(synth);
    case OSC_FX_BRILLIANCE: return std::make_unique<CBrilliance>(synth);
    case OSC_FX_FEEDBACK: return std::make_unique<CFmFeedback>(synth);
    case OSC_FX_RINGER: return std::make_unique<CRinger>(synth);
    default: return std::make_unique<CChip>(synth);
  }
}

void PerSample(benchmark::State& state, unsigned int n) {
  state.counters["ns/sample"] =
      benchmark::Counter(static_cast<double>(n) * 1e-9, benchmark::Counter::kIsIterationInvariantRate |
                                                            benchmark::Counter::kInvert);
}

void BM_OscEffect(benchmark::State& state) {
  const unsigned int type = static_cast<unsigned int>(state.range(0));
  state.SetLabel(NAMES[type]);
  COscFixture f(OS, HOST_BLOCK);
  f.Set(PARAM_OSC_FX_TYPE, static_cast<float>(type));
  f.Set(PARAM_OSC_FX_AMOUNT, 0.6f);
  const unsigned int n = f.OscBlock();
  std::vector<float> pitch(HOST_BLOCK, 261.6f / f.OscRate());
  f.synth.SetPitchModulation(0, pitch.data());
  auto voice = f.NewVoice(60);
  auto e = MakeEffect(type, &f.synth);
  e->SetInstance(0, 0);
  e->SetSampleRate(f.OscRate());
  e->SetBlockSize(n);
  e->Reset(voice.get());
  std::vector<float> in(n), x(n);
  for (unsigned int i = 0; i < n; ++i) in[i] = 0.5f * std::sin(0.01f * i);
  for (auto _ : state) {
    // The same input every block (the stage works in place).
    std::copy(in.begin(), in.end(), x.begin());
    e->UpdateParams(HOST_BLOCK);
    e->Process(voice.get(), x.data(), n);
    benchmark::DoNotOptimize(x.data());
    benchmark::ClobberMemory();
  }
  PerSample(state, n);
}

template <class STAGE>
void RunBusStage(benchmark::State& state, COscFixture& f, STAGE& stage) {
  const unsigned int n = f.OscBlock();
  auto voice = f.NewVoice(60);
  stage.SetInstance(0);
  stage.SetSampleRate(f.OscRate());
  stage.Reset(voice.get());
  std::vector<float> in(n), l(n), r(n);
  for (unsigned int i = 0; i < n; ++i) in[i] = 0.5f * std::sin(0.01f * i);
  for (auto _ : state) {
    std::copy(in.begin(), in.end(), l.begin());
    std::copy(in.begin(), in.end(), r.begin());
    stage.UpdateParams(HOST_BLOCK);
    stage.Process(voice.get(), l.data(), r.data(), n);
    benchmark::DoNotOptimize(l.data());
    benchmark::ClobberMemory();
  }
  PerSample(state, n);
}

void BM_BusShaper(benchmark::State& state) {
  const bool treble = state.range(0) != 0;
  state.SetLabel(treble ? "treble on" : "treble off");
  COscFixture f(OS, HOST_BLOCK);
  f.Set(PARAM_BUS_DS_DRIVE, 0.7f);
  f.Set(PARAM_BUS_DS_COLOR, 0.4f);
  f.Set(PARAM_BUS_DS_TREBLE, treble ? 0.6f : 0.0f);
  CBusShaper shaper(&f.synth);
  RunBusStage(state, f, shaper);
}

void BM_LoFi(benchmark::State& state) {
  const bool noise = state.range(0) != 0;
  state.SetLabel(noise ? "rate, bit, noise, stereo" : "rate and bit");
  COscFixture f(OS, HOST_BLOCK);
  f.Set(PARAM_BUS_LF_RATE, 0.4f);
  f.Set(PARAM_BUS_LF_KEYSCALE, 0.5f);
  f.Set(PARAM_BUS_LF_BIT, 0.5f);
  f.Set(PARAM_BUS_LF_NOISE, noise ? 0.4f : 0.0f);
  f.Set(PARAM_BUS_LF_STEREO, noise ? 0.5f : 0.0f);
  CLoFi lofi(&f.synth);
  RunBusStage(state, f, lofi);
}

}  // namespace

BENCHMARK(BM_OscEffect)->DenseRange(0, 6);
BENCHMARK(BM_BusShaper)->Arg(0)->Arg(1);
BENCHMARK(BM_LoFi)->Arg(0)->Arg(1);
