// Cost of the filter and drive stages at 4x oversampling: ns per
// oversampled sample of one voice for each oscillator filter mode (mono),
// each bus filter mode (per stereo frame), and each drive type.

#include <benchmark/benchmark.h>

#include <random>

#include "dsp/BusDrive.h"
#include "dsp/BusFilter.h"
#include "dsp/OscDrive.h"
#include "dsp/OscFilter.h"
#include "tests/dsp/FilterFixture.h"

namespace {

std::vector<float> Noise(size_t n) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> d(-0.5f, 0.5f);
  std::vector<float> x(n);
  for (auto& v : x) v = d(rng);
  return x;
}

void SetPerSample(benchmark::State& state, unsigned int n) {
  state.counters["ns/sample"] =
      benchmark::Counter(static_cast<double>(n) * 1e-9, benchmark::Counter::kIsIterationInvariantRate |
                                                            benchmark::Counter::kInvert);
}

void BM_OscFilter(benchmark::State& state) {
  CFilterFixture f(4);
  f.Set(PARAM_OSC_FILTER_MODE, static_cast<float>(state.range(0)));
  f.Set(PARAM_OSC_CUTOFF, 0.6f);
  f.Set(PARAM_OSC_RES, 0.5f);
  f.Set(PARAM_OSC_CONTROL, 0.3f);
  f.Set(PARAM_OSC_FILTER_KEYSCALE, 0.5f);
  COscFilter filter(&f.synth);
  filter.SetInstance(0);
  filter.SetSampleRate(f.Rate());
  auto voice = f.NewVoice(60);
  filter.Reset(voice.get());
  filter.StartVoice(voice.get());
  const unsigned int n = f.Block();
  const std::vector<float> src = Noise(n);
  std::vector<float> buf(n);
  for (auto _ : state) {
    buf = src;
    filter.UpdateParams(CFilterFixture::HOST_BLOCK);
    filter.Process(voice.get(), buf.data(), n);
    benchmark::DoNotOptimize(buf.data());
    benchmark::ClobberMemory();
  }
  SetPerSample(state, n);
}

void BM_BusFilter(benchmark::State& state) {
  CFilterFixture f(4);
  f.Set(PARAM_BUS_FILTER_MODE, static_cast<float>(state.range(0)));
  f.Set(PARAM_BUS_CUTOFF, 0.6f);
  f.Set(PARAM_BUS_RES, 0.5f);
  f.Set(PARAM_BUS_CONTROL, 0.3f);
  f.Set(PARAM_BUS_STEREO, 0.7f);
  CBusFilter filter(&f.synth);
  filter.SetInstance(0);
  filter.SetSampleRate(f.Rate());
  auto voice = f.NewVoice(60);
  filter.Reset(voice.get());
  filter.StartVoice(voice.get());
  const unsigned int n = f.Block();
  const std::vector<float> src = Noise(n);
  std::vector<float> l(n), r(n);
  for (auto _ : state) {
    l = src;
    r = src;
    filter.UpdateParams(CFilterFixture::HOST_BLOCK);
    filter.Process(voice.get(), l.data(), r.data(), n);
    benchmark::DoNotOptimize(l.data());
    benchmark::DoNotOptimize(r.data());
    benchmark::ClobberMemory();
  }
  SetPerSample(state, n);
}

void BM_OscDrive(benchmark::State& state) {
  CFilterFixture f(4);
  f.Set(PARAM_OSC_DRIVE_TYPE, static_cast<float>(state.range(0)));
  f.Set(PARAM_OSC_DRIVE, 0.6f);
  COscDrive drive(&f.synth);
  drive.SetInstance(0);
  const unsigned int n = f.Block();
  const std::vector<float> src = Noise(n);
  std::vector<float> buf(n);
  for (auto _ : state) {
    buf = src;
    drive.UpdateParams(CFilterFixture::HOST_BLOCK);
    drive.Process(nullptr, buf.data(), n);
    benchmark::DoNotOptimize(buf.data());
    benchmark::ClobberMemory();
  }
  SetPerSample(state, n);
}

void BM_BusDrive(benchmark::State& state) {
  CFilterFixture f(4);
  f.Set(PARAM_BUS_DRIVE_TYPE, static_cast<float>(state.range(0)));
  f.Set(PARAM_BUS_DRIVE, 0.6f);
  CBusDrive drive(&f.synth);
  drive.SetInstance(0);
  const unsigned int n = f.Block();
  const std::vector<float> src = Noise(n);
  std::vector<float> l(n), r(n);
  for (auto _ : state) {
    l = src;
    r = src;
    drive.UpdateParams(CFilterFixture::HOST_BLOCK);
    drive.Process(nullptr, l.data(), r.data(), n);
    benchmark::DoNotOptimize(l.data());
    benchmark::ClobberMemory();
  }
  SetPerSample(state, n);
}

}  // namespace

BENCHMARK(BM_OscFilter)->DenseRange(1, 24);
BENCHMARK(BM_BusFilter)->DenseRange(1, 24);
BENCHMARK(BM_OscDrive)->DenseRange(0, 6);
BENCHMARK(BM_BusDrive)->DenseRange(0, 6);
