// Cost of the user wavetable and the sample player: ns per oscillator-rate
// sample of one voice at 4x oversampling (wavetable; sample in plain
// playback and with one and eight grains), and the cost of one rebuild of
// the ten band-limited levels after a wavetable change.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "osc/WaveTable.h"
#include "tests/osc/OscFixture.h"

namespace {

const unsigned int HOST_BLOCK = 256;
const unsigned int N = CWaveTable::TABLE_SIZE;

std::vector<float> Saw(float slope) {
  std::vector<float> w(N);
  for (unsigned int k = 0; k < N; ++k) w[k] = 1.0f - slope * 2.0f * static_cast<float>(k) / N;
  return w;
}

void Counters(benchmark::State& state, unsigned int n) {
  state.counters["ns/sample"] =
      benchmark::Counter(static_cast<double>(n) * 1e-9, benchmark::Counter::kIsIterationInvariantRate |
                                                            benchmark::Counter::kInvert);
}

void BM_WaveTableMode(benchmark::State& state) {
  const int note = static_cast<int>(state.range(0));
  COscFixture f(4, HOST_BLOCK);
  f.Set(PARAM_OSC_MODE, 55.0f);
  const std::vector<float> saw = Saw(1.0f);
  std::memcpy(&f.params.GetPreset()->data[PARAM_WAVETABLE], saw.data(), N * sizeof(float));
  f.osc[0]->UpdateWaveTable();
  auto voice = f.NewVoice(note);
  f.Start(voice.get());
  const unsigned int n = f.OscBlock();
  for (auto _ : state) {
    f.osc[0]->UpdateParams(HOST_BLOCK);
    f.osc[0]->Generate(voice.get(), f.outL[0].data(), f.outR[0].data(), f.scratch.data(), n);
    benchmark::DoNotOptimize(f.outL[0].data());
    benchmark::ClobberMemory();
  }
  Counters(state, n);
}

// grains: 0 plain playback, else the number of grains (density (g - 1) / 7).
void BM_SampleMode(benchmark::State& state) {
  const unsigned int grains = static_cast<unsigned int>(state.range(0));
  COscFixture f(4, HOST_BLOCK);
  f.Set(PARAM_OSC_MODE, 56.0f);
  f.Set(PARAM_OSC_LEVEL, 1.0f);
  f.Set(PARAM_OSC_FREE_PHASE, 1.0f);
  f.Set(PARAM_OSC_INVERT, grains ? 1.0f : 0.0f);
  f.Set(PARAM_OSC_FX_AMOUNT, grains ? static_cast<float>(grains - 1) / 7.0f : 0.0f);
  f.Set(PARAM_OSC_FX_AMOUNT + 8, 0.5f);
  std::vector<float> left(88200), right(88200);
  for (size_t i = 0; i < left.size(); ++i) {
    left[i] = static_cast<float>(std::sin(0.0628 * i));
    right[i] = static_cast<float>(std::sin(0.0314 * i));
  }
  f.osc[0]->LoadSampleFromMemory(left.data(), right.data(), 88200, 44100.0f, "bench");
  auto voice = f.NewVoice(64);
  f.Start(voice.get());
  const unsigned int n = f.OscBlock();
  for (auto _ : state) {
    f.osc[0]->UpdateParams(HOST_BLOCK);
    f.osc[0]->Generate(voice.get(), f.outL[0].data(), f.outR[0].data(), f.scratch.data(), n);
    benchmark::DoNotOptimize(f.outL[0].data());
    benchmark::ClobberMemory();
  }
  Counters(state, n);
}

// One rebuild: normalised copy, one forward and ten backward 16,384-point
// transforms, ten normalised levels. Two different waves alternate so that
// every call rebuilds.
void BM_WaveTableRebuild(benchmark::State& state) {
  CWaveTable table;
  const std::vector<float> a = Saw(1.0f), b = Saw(0.5f);
  char name[16] = "Bench";
  bool flip = false;
  for (auto _ : state) {
    table.LoadWaveTable(flip ? a.data() : b.data(), name);
    flip = !flip;
    benchmark::DoNotOptimize(table.GetLevelTable(9));
    benchmark::ClobberMemory();
  }
  state.SetLabel("one rebuild per iteration");
}

// A preset load that leaves the wave as it was: the levels are kept.
void BM_WaveTableReloadUnchanged(benchmark::State& state) {
  CWaveTable table;
  const std::vector<float> a = Saw(1.0f);
  char name[16] = "Bench";
  table.LoadWaveTable(a.data(), name);
  for (auto _ : state) {
    table.LoadWaveTable(a.data(), name);
    benchmark::ClobberMemory();
  }
}

}  // namespace

BENCHMARK(BM_WaveTableMode)->ArgName("note")->Arg(36)->Arg(96);
BENCHMARK(BM_SampleMode)->ArgName("grains")->Arg(0)->Arg(1)->Arg(8);
BENCHMARK(BM_WaveTableRebuild)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WaveTableReloadUnchanged)->Unit(benchmark::kMicrosecond);
